#include "idlgen/thunks.h"

#include <sstream>

#include "idlgen/type_mapping.h"

namespace idlgen {

std::string MethodName(const Member& m) {
  if (Has(m.attrs, "propget")) return "get_" + m.name;
  if (Has(m.attrs, "propput")) return "put_" + m.name;
  if (Has(m.attrs, "propputref")) return "putref_" + m.name;
  return m.name;
}

void WriteThunk(std::ostream& out, const Description& d, const Interface& i, const Member& m, const std::string& method,
                const std::string& thunk) {
  std::string signature;
  for (const Param& p : m.params) signature += (signature.empty() ? "" : ", ") + CppType(p.type);
  out << "HRESULT " << thunk << "(void* instance, [[maybe_unused]] VARIANTARG* a) {\n";
  out << "  static_assert(std::is_same_v<decltype(&" << i.name << "::" << method << "), HRESULT (" << i.name << "::*)("
      << signature << ")>,\n                \"" << i.name << "::" << method
      << " in the public header does not match the IDL\");\n";
  // An enum travels as a long and an interface pointer by reference as a
  // void*: the method gets a temporary of its own type, copied back after.
  std::ostringstream call, after;
  for (std::size_t k = 0; k < m.params.size(); ++k) {
    const Param& p = m.params[k];
    std::string arg = "a[" + std::to_string(k) + "]";
    std::string temp = 't' + std::to_string(k);
    bool isEnum = d.enums.count(p.type.base) > 0;
    bool isInterface = d.interfaces.count(p.type.base) > 0 || p.type.base == "IUnknown" || p.type.base == "IDispatch";
    std::string expression;
    if (isInterface && p.type.pointers == 0) {
      throw Error("line " + std::to_string(m.line) + ": " + p.type.base + " by value");
    } else if (isInterface && p.type.pointers == 1) {
      expression = "static_cast<" + p.type.base + "*>(static_cast<void*>(" + arg + ".punkVal))";
    } else if (isInterface && p.type.pointers == 2) {
      out << "  " << p.type.base << "* " << temp << ";\n";
      out << "  std::memcpy(&" << temp << ", " << arg << ".byref, sizeof " << temp << ");\n";
      expression = "&" + temp;
      after << "  std::memcpy(" << arg << ".byref, &" << temp << ", sizeof " << temp << ");\n";
    } else if (isEnum && p.type.pointers == 0) {
      expression = "static_cast<" + p.type.base + ">(" + arg + ".lVal)";
    } else if (isEnum && p.type.pointers == 1) {
      out << "  " << p.type.base << " " << temp << " = static_cast<" << p.type.base << ">(*" << arg << ".plVal);\n";
      expression = "&" + temp;
      after << "  *" << arg << ".plVal = " << temp << ";\n";
    } else {
      const BaseType* base = FindBaseType(p.type.base);
      if (!base) throw Error("line " + std::to_string(m.line) + ": unknown type " + p.type.base);
      if (p.type.pointers > 1)
        throw Error("line " + std::to_string(m.line) + ": " + p.type.base +
                    " with more than one * is not an automation type");
      if (p.type.pointers == 1)
        expression = arg + "." + base->pointer;
      else if (base->value)
        expression = arg + "." + base->value;
      else
        expression = arg;  // a VARIANT by value
    }
    call << (k ? ", " : "") << expression;
  }
  out << "  HRESULT hr = static_cast<" << i.name << "*>(instance)->" << method << "(" << call.str() << ");\n";
  out << after.str();
  out << "  return hr;\n}\n\n";
}

}  // namespace idlgen
