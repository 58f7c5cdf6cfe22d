#include "idlgen/library_types.h"

namespace idlgen {
namespace {

class Collector {
 public:
  explicit Collector(const Description& d) : d_(d) {}

  void AddType(LibraryType::Kind kind, const std::string& name) {
    if (IndexOf(types_, name) < 0) types_.push_back({kind, name});
  }
  void AddInterface(const std::string& name) {
    if (IndexOf(types_, name) >= 0) return;
    auto it = d_.interfaces.find(name);
    if (it == d_.interfaces.end()) throw Error("interface " + name + " is not defined");
    const Interface& i = it->second;
    if (!Has(i.attrs, "dual") || i.base != "IDispatch")
      throw Error("interface " + name + ": idlgen handles dual interfaces derived from IDispatch");
    AddType(LibraryType::kInterface, name);
    for (const Member& m : i.members)
      for (const Param& p : m.params) {
        if (d_.enums.count(p.type.base)) AddType(LibraryType::kEnum, p.type.base);
        if (d_.interfaces.count(p.type.base)) AddInterface(p.type.base);
      }
  }
  std::vector<LibraryType> Types() && { return std::move(types_); }

 private:
  const Description& d_;
  std::vector<LibraryType> types_;
};

}  // namespace

std::vector<LibraryType> LibraryTypes(const Description& d) {
  if (!d.library) throw Error("no library block");
  Collector collector(d);
  for (const Coclass& c : d.library->coclasses) {
    collector.AddType(LibraryType::kCoclass, c.name);
    for (const auto& entry : c.interfaces) collector.AddInterface(entry.interface);
  }
  return std::move(collector).Types();
}

int IndexOf(const std::vector<LibraryType>& types, const std::string& name) {
  for (std::size_t i = 0; i < types.size(); ++i)
    if (types[i].name == name) return static_cast<int>(i);
  return -1;
}

}  // namespace idlgen
