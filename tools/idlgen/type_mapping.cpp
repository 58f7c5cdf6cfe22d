#include "idlgen/type_mapping.h"

#include <map>

namespace idlgen {

const BaseType* FindBaseType(const std::string& name) {
  static const std::map<std::string, BaseType> types = {
      {"long", {"LONG", "VT_I4", "lVal", "plVal"}},
      {"LONG", {"LONG", "VT_I4", "lVal", "plVal"}},
      {"short", {"SHORT", "VT_I2", "iVal", "piVal"}},
      {"SHORT", {"SHORT", "VT_I2", "iVal", "piVal"}},
      {"unsigned long", {"ULONG", "VT_UI4", "ulVal", "pulVal"}},
      {"ULONG", {"ULONG", "VT_UI4", "ulVal", "pulVal"}},
      {"DWORD", {"DWORD", "VT_UI4", "ulVal", "pulVal"}},
      {"unsigned char", {"BYTE", "VT_UI1", "bVal", "pbVal"}},
      {"BYTE", {"BYTE", "VT_UI1", "bVal", "pbVal"}},
      {"double", {"DOUBLE", "VT_R8", "dblVal", "pdblVal"}},
      {"float", {"FLOAT", "VT_R4", "fltVal", "pfltVal"}},
      {"DATE", {"DATE", "VT_DATE", "date", "pdate"}},
      {"BSTR", {"BSTR", "VT_BSTR", "bstrVal", "pbstrVal"}},
      {"VARIANT_BOOL", {"VARIANT_BOOL", "VT_BOOL", "boolVal", "pboolVal"}},
      {"VARIANT", {"VARIANT", "VT_VARIANT", nullptr, "pvarVal"}},
      {"OLE_COLOR", {"OLE_COLOR", "VT_USERDEFINED", "ulVal", "pulVal"}},
  };
  auto it = types.find(name);
  return it == types.end() ? nullptr : &it->second;
}

std::string CppType(const WrittenType& t) {
  const BaseType* base = FindBaseType(t.base);
  return (base ? std::string(base->cpp) : t.base) + std::string(static_cast<std::size_t>(t.pointers), '*');
}

std::string TypeDescLiteral(const WrittenType& t, const std::vector<LibraryType>& types, int line) {
  if (t.base == "IUnknown" || t.base == "IDispatch") {
    if (t.pointers < 1) throw Error("line " + std::to_string(line) + ": " + t.base + " by value");
    return std::string("{") + (t.base == "IUnknown" ? "VT_UNKNOWN" : "VT_DISPATCH") + ", " +
           std::to_string(t.pointers - 1) + ", 0}";
  }
  if (t.base == "OLE_COLOR") return "{VT_USERDEFINED, " + std::to_string(t.pointers) + ", AUTOMATION_STDOLE_OLE_COLOR}";
  if (int index = IndexOf(types, t.base); index >= 0)
    return "{VT_USERDEFINED, " + std::to_string(t.pointers) + ", " + std::to_string(index) + "}";
  const BaseType* base = FindBaseType(t.base);
  if (!base) throw Error("line " + std::to_string(line) + ": unknown type " + t.base);
  return std::string("{") + base->vt + ", " + std::to_string(t.pointers) + ", 0}";
}

}  // namespace idlgen
