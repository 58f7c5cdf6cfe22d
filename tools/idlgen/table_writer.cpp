// idlgen: the IDL of a type library, compiled for this platform.
//
// On Windows widl or MIDL compiles an .idl file into a type library that
// oleaut32 reads. Here idlgen reads the same file and writes a C++ source
// with the tables of holiday/automation/type_library.h and one invoke thunk
// per member. Each thunk calls the member of the public header's interface
// through a member pointer whose type is spelled from the IDL, and a
// static_assert compares it with the header's declaration: a description
// that disagrees with the header stops the build. The generated header
// declares a check of the vtable slots (the order of the members) for the
// tests.
//
// Types enter the library as the IDL compilers put them in: in the order the
// library block first refers to them, each interface followed by the types
// its members use. Types that nothing in the library refers to stay out.
//
// The subset understood is what a dual-interface automation library needs:
// import, importlib, typedef enum, forward declarations, dual interfaces
// derived from IDispatch, coclasses, and the usual attributes.
//
// A second mode prepares the file for widl on Windows:
//   idlgen --cp932 in.idl -o out.idl
// converts it from UTF-8 to code page 932 (the platform reads a type
// library's strings in the ANSI code page) and doubles every trail byte 0x5C
// inside a string literal, which widl would otherwise read as an escape.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/utf.h"

namespace {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteIfChanged(const std::string& path, const std::string& content) {
  std::ifstream existing(path, std::ios::binary);
  if (existing) {
    std::string old((std::istreambuf_iterator<char>(existing)), std::istreambuf_iterator<char>());
    if (old == content) return;
  }
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw Error("cannot write " + path);
}

// --- Reading the file ------------------------------------------------------

struct Token {
  enum Kind { identifier, number, string, punct, end } kind = end;
  std::string text;
  long long value = 0;
  int line = 0;
};

class Lexer {
 public:
  Lexer(std::string source, std::string file) : src_(std::move(source)), file_(std::move(file)) {}

  const Token& Peek() {
    if (!peeked_) {
      next_ = Scan();
      peeked_ = true;
    }
    return next_;
  }
  Token Next() {
    Token t = Peek();
    peeked_ = false;
    return t;
  }
  // The raw text up to the closing parenthesis (uuid and version arguments,
  // which are not tokens of the language).
  std::string RawUntilParen() {
    if (peeked_) throw Failure("internal: raw text after a peeked token");
    std::size_t close = src_.find(')', pos_);
    if (close == std::string::npos) throw Failure("missing )");
    std::string raw = src_.substr(pos_, close - pos_);
    for (char c : raw)
      if (c == '\n') ++line_;
    pos_ = close;
    raw.erase(0, raw.find_first_not_of(" \t\r\n"));
    raw.erase(raw.find_last_not_of(" \t\r\n") + 1);
    return raw;
  }
  Error Failure(const std::string& what) const {
    return Error(file_ + ":" + std::to_string(peeked_ ? next_.line : line_) + ": " + what);
  }

 private:
  Token Scan() {
    SkipSpace();
    Token t;
    t.line = line_;
    if (pos_ >= src_.size()) return t;
    char c = src_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t start = pos_;
      while (pos_ < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_')) ++pos_;
      t.kind = Token::identifier;
      t.text = src_.substr(start, pos_ - start);
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      std::size_t start = pos_;
      while (pos_ < src_.size() && std::isalnum(static_cast<unsigned char>(src_[pos_]))) ++pos_;
      t.kind = Token::number;
      t.text = src_.substr(start, pos_ - start);
      std::string digits = t.text;
      while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' || digits.back() == 'U' ||
                                 digits.back() == 'u'))
        digits.pop_back();
      try {
        std::size_t used = 0;
        t.value = std::stoll(digits, &used, 0);
        if (used != digits.size()) throw Failure("bad number " + t.text);
      } catch (const std::logic_error&) {
        throw Failure("bad number " + t.text);
      }
      return t;
    }
    if (c == '"') {
      ++pos_;
      t.kind = Token::string;
      while (pos_ < src_.size() && src_[pos_] != '"') {
        if (src_[pos_] == '\n') throw Failure("newline in a string");
        if (src_[pos_] == '\\' && pos_ + 1 < src_.size()) {
          char e = src_[++pos_];
          t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          t.text += src_[pos_];
        }
        ++pos_;
      }
      if (pos_ >= src_.size()) throw Failure("unterminated string");
      ++pos_;
      return t;
    }
    t.kind = Token::punct;
    t.text = std::string(1, c);
    ++pos_;
    return t;
  }

  void SkipSpace() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (src_.compare(pos_, 2, "//") == 0 || (c == '#' && AtLineStart())) {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      } else if (src_.compare(pos_, 2, "/*") == 0) {
        std::size_t close = src_.find("*/", pos_ + 2);
        if (close == std::string::npos) throw Failure("unterminated comment");
        for (std::size_t i = pos_; i < close; ++i)
          if (src_[i] == '\n') ++line_;
        pos_ = close + 2;
      } else {
        break;
      }
    }
  }
  bool AtLineStart() const {
    for (std::size_t i = pos_; i > 0; --i) {
      char p = src_[i - 1];
      if (p == '\n') return true;
      if (p != ' ' && p != '\t') return false;
    }
    return true;
  }

  std::string src_;
  std::string file_;
  std::size_t pos_ = 0;
  int line_ = 1;
  Token next_;
  bool peeked_ = false;
};

// --- The description ----------------------------------------------------------

struct Attribute {
  std::string name;
  std::vector<Token> args;  // tokens, or one string token with the raw text
};

struct WrittenType {
  std::string base;  // as written: long, BSTR, VARIANT, an enum or interface name
  int pointers = 0;
};

struct Param {
  std::string name;
  WrittenType type;
  std::vector<Attribute> attrs;
};

struct Member {
  std::string name;
  WrittenType result;
  std::vector<Param> params;
  std::vector<Attribute> attrs;
  int line = 0;
};

struct Interface {
  std::string name, base;
  std::vector<Attribute> attrs;
  std::vector<Member> members;
};

struct Enumerator {
  std::string name;
  long long value = 0;
};

struct Enum {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<Enumerator> values;
};

struct CoclassEntry {
  std::string interface;
  std::vector<Attribute> attrs;
};

struct Coclass {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<CoclassEntry> interfaces;
};

struct Library {
  std::string name;
  std::vector<Attribute> attrs;
  std::vector<Coclass> coclasses;
};

struct Description {
  std::map<std::string, Enum> enums;
  std::map<std::string, Interface> interfaces;
  std::map<std::string, long long> constants;  // enumerators, for expressions
  std::optional<Library> library;
};

class Parser {
 public:
  Parser(Lexer& lex, Description& d) : lex_(lex), d_(d) {}

  void Parse() {
    while (lex_.Peek().kind != Token::end) {
      std::vector<Attribute> attrs;
      if (IsPunct("[")) attrs = Attributes();
      Token word = lex_.Next();
      if (word.kind != Token::identifier) throw lex_.Failure("unexpected " + word.text);
      if (word.text == "import") {
        Expect(Token::string);
        ExpectPunct(";");
      } else if (word.text == "typedef") {
        Typedef();
      } else if (word.text == "interface") {
        InterfaceDefinition(std::move(attrs));
      } else if (word.text == "library") {
        LibraryDefinition(std::move(attrs));
      } else if (word.text == "cpp_quote") {
        ExpectPunct("(");
        Expect(Token::string);
        ExpectPunct(")");
      } else {
        throw lex_.Failure(word.text + " is not understood by idlgen");
      }
    }
  }

 private:
  bool IsPunct(const char* p) { return lex_.Peek().kind == Token::punct && lex_.Peek().text == p; }
  bool IsWord(const char* w) { return lex_.Peek().kind == Token::identifier && lex_.Peek().text == w; }
  void ExpectPunct(const char* p) {
    Token t = lex_.Next();
    if (t.kind != Token::punct || t.text != p) throw lex_.Failure(std::string("expected ") + p + ", found " + t.text);
  }
  Token Expect(Token::Kind kind) {
    Token t = lex_.Next();
    if (t.kind != kind) throw lex_.Failure("unexpected " + (t.text.empty() ? std::string("end of file") : t.text));
    return t;
  }
  std::string Identifier() { return Expect(Token::identifier).text; }

  std::vector<Attribute> Attributes() {
    std::vector<Attribute> attrs;
    ExpectPunct("[");
    while (true) {
      Attribute a;
      a.name = Identifier();
      if (IsPunct("(")) {
        lex_.Next();
        if (a.name == "uuid" || a.name == "version") {
          Token raw;
          raw.kind = Token::string;
          raw.text = lex_.RawUntilParen();
          a.args.push_back(raw);
        } else {
          int depth = 0;
          while (!(IsPunct(")") && depth == 0)) {
            Token t = lex_.Next();
            if (t.kind == Token::end) throw lex_.Failure("unterminated attribute " + a.name);
            if (t.kind == Token::punct && t.text == "(") ++depth;
            if (t.kind == Token::punct && t.text == ")") --depth;
            a.args.push_back(t);
          }
        }
        ExpectPunct(")");
      }
      attrs.push_back(std::move(a));
      if (IsPunct("]")) break;
      ExpectPunct(",");
    }
    ExpectPunct("]");
    return attrs;
  }

  void Typedef() {
    if (IsPunct("[")) Attributes();  // attributes of the typedef itself: none matter here
    if (!IsWord("enum")) throw lex_.Failure("only typedef enum is understood by idlgen");
    lex_.Next();
    Enum e;
    if (lex_.Peek().kind == Token::identifier) e.name = Identifier();
    ExpectPunct("{");
    long long next = 0;
    while (!IsPunct("}")) {
      Enumerator v;
      v.name = Identifier();
      if (IsPunct("=")) {
        lex_.Next();
        next = Expression();
      }
      v.value = next++;
      d_.constants[v.name] = v.value;
      e.values.push_back(v);
      if (IsPunct(",")) lex_.Next();
    }
    ExpectPunct("}");
    std::string alias = Identifier();
    ExpectPunct(";");
    if (!e.name.empty() && e.name != alias) throw lex_.Failure("enum " + e.name + " typedef'd as " + alias);
    e.name = alias;
    d_.enums[alias] = std::move(e);
  }

  long long Expression() {
    long long v = Term();
    while (IsPunct("|") || IsPunct("+")) {
      bool isOr = lex_.Next().text == "|";
      long long r = Term();
      v = isOr ? (v | r) : (v + r);
    }
    return v;
  }
  long long Term() {
    Token t = lex_.Next();
    if (t.kind == Token::punct && t.text == "-") return -Term();
    if (t.kind == Token::punct && t.text == "(") {
      long long v = Expression();
      ExpectPunct(")");
      return v;
    }
    if (t.kind == Token::number) return t.value;
    if (t.kind == Token::identifier) return Constant(t.text);
    throw lex_.Failure("expected a value, found " + t.text);
  }
  long long Constant(const std::string& name) {
    static const std::map<std::string, long long> builtin = {
        {"DISPID_VALUE", 0},      {"DISPID_UNKNOWN", -1}, {"DISPID_PROPERTYPUT", -3}, {"DISPID_NEWENUM", -4},
        {"DISPID_EVALUATE", -5}, {"TRUE", 1},            {"FALSE", 0},               {"VARIANT_TRUE", -1},
        {"VARIANT_FALSE", 0}};
    if (auto it = d_.constants.find(name); it != d_.constants.end()) return it->second;
    if (auto it = builtin.find(name); it != builtin.end()) return it->second;
    throw lex_.Failure("unknown constant " + name);
  }

  WrittenType Type() {
    WrittenType t;
    if (IsWord("const")) lex_.Next();
    t.base = Identifier();
    if (t.base == "unsigned" || t.base == "signed") t.base += " " + Identifier();
    while (IsPunct("*")) {
      lex_.Next();
      ++t.pointers;
    }
    return t;
  }

  void InterfaceDefinition(std::vector<Attribute> attrs) {
    std::string name = Identifier();
    if (IsPunct(";")) {  // a forward declaration
      lex_.Next();
      return;
    }
    Interface i;
    i.name = name;
    i.attrs = std::move(attrs);
    ExpectPunct(":");
    i.base = Identifier();
    ExpectPunct("{");
    while (!IsPunct("}")) {
      Member m;
      m.line = lex_.Peek().line;
      if (IsPunct("[")) m.attrs = Attributes();
      m.result = Type();
      m.name = Identifier();
      ExpectPunct("(");
      if (IsWord("void")) {
        lex_.Next();
      } else {
        while (!IsPunct(")")) {
          Param p;
          if (IsPunct("[")) p.attrs = Attributes();
          p.type = Type();
          p.name = Identifier();
          m.params.push_back(std::move(p));
          if (IsPunct(",")) lex_.Next();
        }
      }
      ExpectPunct(")");
      ExpectPunct(";");
      i.members.push_back(std::move(m));
    }
    ExpectPunct("}");
    if (IsPunct(";")) lex_.Next();
    d_.interfaces[i.name] = std::move(i);
  }

  void LibraryDefinition(std::vector<Attribute> attrs) {
    Library lib;
    lib.name = Identifier();
    lib.attrs = std::move(attrs);
    ExpectPunct("{");
    while (!IsPunct("}")) {
      std::vector<Attribute> itemAttrs;
      if (IsPunct("[")) itemAttrs = Attributes();
      std::string word = Identifier();
      if (word == "importlib") {
        ExpectPunct("(");
        Expect(Token::string);
        ExpectPunct(")");
        ExpectPunct(";");
      } else if (word == "coclass") {
        Coclass c;
        c.name = Identifier();
        c.attrs = std::move(itemAttrs);
        ExpectPunct("{");
        while (!IsPunct("}")) {
          CoclassEntry entry;
          if (IsPunct("[")) entry.attrs = Attributes();
          std::string kind = Identifier();
          if (kind != "interface") throw lex_.Failure("a coclass lists interfaces, found " + kind);
          entry.interface = Identifier();
          ExpectPunct(";");
          c.interfaces.push_back(std::move(entry));
        }
        ExpectPunct("}");
        if (IsPunct(";")) lex_.Next();
        lib.coclasses.push_back(std::move(c));
      } else {
        throw lex_.Failure(word + " inside the library block is not understood by idlgen");
      }
    }
    ExpectPunct("}");
    if (IsPunct(";")) lex_.Next();
    if (d_.library) throw lex_.Failure("a second library");
    d_.library = std::move(lib);
  }

  Lexer& lex_;
  Description& d_;
};

// --- Attributes -------------------------------------------------------------------

const Attribute* Find(const std::vector<Attribute>& attrs, const char* name) {
  for (const auto& a : attrs)
    if (a.name == name) return &a;
  return nullptr;
}
bool Has(const std::vector<Attribute>& attrs, const char* name) { return Find(attrs, name) != nullptr; }

std::string StringOf(const Attribute* a) {
  if (!a) return {};
  if (a->args.size() != 1 || a->args[0].kind != Token::string) throw Error(a->name + " needs one text");
  return a->args[0].text;
}

// A value attribute: a number, a constant or a small expression.
long long ValueOf(const Attribute& a, const Description& d) {
  long long value = 0, sign = 1;
  bool seen = false;
  for (const Token& t : a.args) {
    if (t.kind == Token::punct && t.text == "-") {
      sign = -sign;
      continue;
    }
    long long v;
    if (t.kind == Token::number) {
      v = t.value;
    } else if (t.kind == Token::identifier) {
      static const std::map<std::string, long long> builtin = {{"DISPID_VALUE", 0}, {"DISPID_UNKNOWN", -1},
                                                               {"DISPID_NEWENUM", -4}, {"DISPID_EVALUATE", -5}};
      if (auto it = d.constants.find(t.text); it != d.constants.end())
        v = it->second;
      else if (auto b = builtin.find(t.text); b != builtin.end())
        v = b->second;
      else
        throw Error(a.name + ": unknown constant " + t.text);
    } else {
      throw Error(a.name + ": unexpected " + t.text);
    }
    if (seen) throw Error(a.name + ": one value expected");
    value = sign * v;
    seen = true;
  }
  if (!seen) throw Error(a.name + " needs a value");
  return value;
}

struct Guid {
  std::uint32_t d1 = 0;
  std::uint16_t d2 = 0, d3 = 0;
  std::uint8_t d4[8] = {};
};

Guid GuidOf(const Attribute* a) {
  Guid g;
  if (!a) return g;
  std::string text = StringOf(a);
  unsigned v[11];
  char extra;
  if (text.size() != 36 ||
      std::sscanf(text.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                  &v[6], &v[7], &v[8], &v[9], &v[10], &extra) != 11)
    throw Error("bad uuid " + text);
  g.d1 = v[0];
  g.d2 = static_cast<std::uint16_t>(v[1]);
  g.d3 = static_cast<std::uint16_t>(v[2]);
  for (int i = 0; i < 8; ++i) g.d4[i] = static_cast<std::uint8_t>(v[3 + i]);
  return g;
}

std::string GuidLiteral(const Guid& g) {
  char text[128];
  std::snprintf(text, sizeof text, "{0x%08X, 0x%04X, 0x%04X, {0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X}}",
                g.d1, g.d2, g.d3, g.d4[0], g.d4[1], g.d4[2], g.d4[3], g.d4[4], g.d4[5], g.d4[6], g.d4[7]);
  return text;
}

// A UTF-8 text as a char16_t literal of the generated source.
std::string Utf16Literal(const std::string& text) {
  if (text.empty()) return "u\"\"";
  std::string out = "u\"";
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      throw Error("the IDL is not UTF-8");
    }
    if (extra && i + extra >= text.size()) throw Error("the IDL is not UTF-8");
    for (int k = 1; k <= extra; ++k) {
      auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) throw Error("the IDL is not UTF-8");
      cp = (cp << 6) | (b & 0x3F);
    }
    i += 1 + extra;
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x7F) {
      out += static_cast<char>(cp);
    } else {
      char esc[16];
      std::snprintf(esc, sizeof esc, cp > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(cp));
      out += esc;
    }
  }
  return out + "\"";
}

// --- Types ----------------------------------------------------------------------------

struct BaseType {
  const char* cpp;      // the C++ type of the public header
  const char* vt;       // VARTYPE of the description
  const char* value;    // the VARIANT member holding a value of it
  const char* pointer;  // the VARIANT member holding a pointer to it
};

const std::map<std::string, BaseType>& BaseTypes() {
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
  return types;
}

// --- Building the library -------------------------------------------------------------------

struct LibraryType {
  enum Kind { kEnum, kInterface, kCoclass } kind;
  std::string name;
};

class Generator {
 public:
  explicit Generator(const Description& d) : d_(d) {
    if (!d_.library) throw Error("no library block");
    for (const Coclass& c : d_.library->coclasses) {
      AddType(LibraryType::kCoclass, c.name);
      for (const auto& entry : c.interfaces) AddInterface(entry.interface);
    }
  }

  std::string Source(const std::string& includeHeader, const std::string& generatedHeader) const;
  std::string Header() const;

 private:
  int IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < types_.size(); ++i)
      if (types_[i].name == name) return static_cast<int>(i);
    return -1;
  }
  void AddType(LibraryType::Kind kind, const std::string& name) {
    if (IndexOf(name) < 0) types_.push_back({kind, name});
  }
  void AddInterface(const std::string& name) {
    if (IndexOf(name) >= 0) return;
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

  std::string TypeRef(const WrittenType& t, int line) const {
    if (t.base == "IUnknown" || t.base == "IDispatch") {
      if (t.pointers < 1) throw Error("line " + std::to_string(line) + ": " + t.base + " by value");
      return std::string("{") + (t.base == "IUnknown" ? "VT_UNKNOWN" : "VT_DISPATCH") + ", " +
             std::to_string(t.pointers - 1) + ", 0}";
    }
    if (t.base == "OLE_COLOR")
      return "{VT_USERDEFINED, " + std::to_string(t.pointers) + ", AUTOMATION_STDOLE_OLE_COLOR}";
    if (int index = IndexOf(t.base); index >= 0)
      return "{VT_USERDEFINED, " + std::to_string(t.pointers) + ", " + std::to_string(index) + "}";
    auto base = BaseTypes().find(t.base);
    if (base == BaseTypes().end()) throw Error("line " + std::to_string(line) + ": unknown type " + t.base);
    return std::string("{") + base->second.vt + ", " + std::to_string(t.pointers) + ", 0}";
  }

  // The C++ spelling of a parameter type, as the public header declares it.
  std::string CppType(const WrittenType& t) const {
    std::string base;
    if (auto b = BaseTypes().find(t.base); b != BaseTypes().end())
      base = b->second.cpp;
    else
      base = t.base;
    return base + std::string(static_cast<std::size_t>(t.pointers), '*');
  }

  void Thunk(std::ostringstream& out, const Interface& i, const Member& m, const std::string& method,
             const std::string& thunk) const;

  const Description& d_;
  std::vector<LibraryType> types_;
};

std::string MethodName(const Member& m) {
  if (Has(m.attrs, "propget")) return "get_" + m.name;
  if (Has(m.attrs, "propput")) return "put_" + m.name;
  if (Has(m.attrs, "propputref")) return "putref_" + m.name;
  return m.name;
}

void Generator::Thunk(std::ostringstream& out, const Interface& i, const Member& m, const std::string& method,
                      const std::string& thunk) const {
  std::string signature;
  for (const Param& p : m.params) signature += (signature.empty() ? "" : ", ") + CppType(p.type);
  out << "HRESULT " << thunk << "(void* instance, [[maybe_unused]] VARIANTARG* a) {\n";
  out << "  static_assert(std::is_same_v<decltype(&" << i.name << "::" << method << "), HRESULT (" << i.name
      << "::*)(" << signature << ")>,\n                \"" << i.name << "::" << method
      << " in the public header does not match the IDL\");\n";
  std::ostringstream call, after;
  for (std::size_t k = 0; k < m.params.size(); ++k) {
    const Param& p = m.params[k];
    std::string arg = "a[" + std::to_string(k) + "]";
    std::string temp = "t" + std::to_string(k);
    bool isEnum = d_.enums.count(p.type.base) > 0;
    bool isInterface = d_.interfaces.count(p.type.base) > 0 || p.type.base == "IUnknown" || p.type.base == "IDispatch";
    std::string expression;
    if (isInterface && p.type.pointers == 1) {
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
      auto base = BaseTypes().find(p.type.base);
      if (base == BaseTypes().end())
        throw Error("line " + std::to_string(m.line) + ": unknown type " + p.type.base);
      if (p.type.pointers > 1)
        throw Error("line " + std::to_string(m.line) + ": " + p.type.base + " with more than one * is not an automation type");
      if (p.type.pointers == 1)
        expression = arg + "." + base->second.pointer;
      else if (base->second.value)
        expression = arg + "." + base->second.value;
      else
        expression = arg;  // a VARIANT by value
    }
    call << (k ? ", " : "") << expression;
  }
  out << "  HRESULT hr = static_cast<" << i.name << "*>(instance)->" << method << "(" << call.str() << ");\n";
  out << after.str();
  out << "  return hr;\n}\n\n";
}

std::string Generator::Header() const {
  std::ostringstream out;
  const Library& lib = *d_.library;
  out << "// Generated by idlgen from the IDL of " << lib.name << ". Do not edit.\n"
      << "#pragma once\n\n#include <string>\n#include <vector>\n\n#include \"type_library.h\"\n\n"
      << "// The description of " << lib.name << ", registered with its module when it loads.\n"
      << "extern const AutomationTypeLibrary " << lib.name << "_Description;\n\n"
      << "// Every member whose vtable slot in the public header differs from its place\n"
      << "// in the IDL, one line each; empty when they agree.\n"
      << "std::vector<std::string> " << lib.name << "_VtableMismatches();\n";
  return out.str();
}

std::string Generator::Source(const std::string& includeHeader, const std::string& generatedHeader) const {
  std::ostringstream out, tables;
  const Library& lib = *d_.library;
  out << "// Generated by idlgen from the IDL of " << lib.name << ". Do not edit.\n"
      << "#include <cstddef>\n#include <cstring>\n#include <string>\n#include <type_traits>\n#include <vector>\n\n"
      << "#include \"" << includeHeader << "\"\n#include \"" << generatedHeader << "\"\n\nnamespace {\n\n";

  std::ostringstream slots;
  for (std::size_t t = 0; t < types_.size(); ++t) {
    const LibraryType& type = types_[t];
    std::string prefix = "k" + type.name;
    if (type.kind == LibraryType::kEnum) {
      const Enum& e = d_.enums.at(type.name);
      tables << "const AutomationConstant " << prefix << "Constants[] = {\n";
      for (const auto& v : e.values)
        tables << "    {" << Utf16Literal(v.name) << ", " << v.value << ", nullptr, 0},\n";
      tables << "};\n";
      for (const auto& v : e.values)
        out << "static_assert(" << v.name << " == " << v.value << ", \"" << type.name << "::" << v.name
            << " in the public header does not match the IDL\");\n";
    } else if (type.kind == LibraryType::kInterface) {
      const Interface& i = d_.interfaces.at(type.name);
      std::ostringstream functions;
      for (std::size_t k = 0; k < i.members.size(); ++k) {
        const Member& m = i.members[k];
        if (m.result.base != "HRESULT" || m.result.pointers) throw Error(i.name + "::" + m.name + " must return HRESULT");
        std::string method = MethodName(m);
        std::string thunk = "Invoke_" + i.name + "_" + method;
        Thunk(out, i, m, method, thunk);
        std::string params = prefix + "_" + method + "_Params";
        if (!m.params.empty()) {
          tables << "const AutomationParam " << params << "[] = {\n";
          for (const Param& p : m.params) {
            std::vector<std::string> flags;
            long long defaultValue = 0;
            if (Has(p.attrs, "in")) flags.push_back("PARAMFLAG_FIN");
            if (Has(p.attrs, "out")) flags.push_back("PARAMFLAG_FOUT");
            if (Has(p.attrs, "lcid")) flags.push_back("PARAMFLAG_FLCID");
            if (Has(p.attrs, "retval")) flags.push_back("PARAMFLAG_FRETVAL");
            if (Has(p.attrs, "optional") || Has(p.attrs, "defaultvalue")) flags.push_back("PARAMFLAG_FOPT");
            if (const Attribute* dv = Find(p.attrs, "defaultvalue")) {
              flags.push_back("PARAMFLAG_FHASDEFAULT");
              defaultValue = ValueOf(*dv, d_);
            }
            if (flags.empty()) flags.push_back("PARAMFLAG_FIN");
            std::string flagText;
            for (const auto& f : flags) flagText += (flagText.empty() ? "" : " | ") + f;
            tables << "    {" << Utf16Literal(p.name) << ", " << TypeRef(p.type, m.line) << ", " << flagText << ", "
                   << defaultValue << "},\n";
          }
          tables << "};\n";
        }
        const Attribute* id = Find(m.attrs, "id");
        if (!id) throw Error(i.name + "::" + m.name + " has no id");
        std::string invkind = Has(m.attrs, "propget")      ? "INVOKE_PROPERTYGET"
                              : Has(m.attrs, "propput")    ? "INVOKE_PROPERTYPUT"
                              : Has(m.attrs, "propputref") ? "INVOKE_PROPERTYPUTREF"
                                                           : "INVOKE_FUNC";
        std::vector<std::string> flags;
        static const std::pair<const char*, const char*> funcFlags[] = {
            {"restricted", "FUNCFLAG_FRESTRICTED"},   {"source", "FUNCFLAG_FSOURCE"},
            {"bindable", "FUNCFLAG_FBINDABLE"},       {"requestedit", "FUNCFLAG_FREQUESTEDIT"},
            {"displaybind", "FUNCFLAG_FDISPLAYBIND"}, {"defaultbind", "FUNCFLAG_FDEFAULTBIND"},
            {"hidden", "FUNCFLAG_FHIDDEN"},           {"defaultcollelem", "FUNCFLAG_FDEFAULTCOLLELEM"},
            {"uidefault", "FUNCFLAG_FUIDEFAULT"},     {"nonbrowsable", "FUNCFLAG_FNONBROWSABLE"},
            {"immediatebind", "FUNCFLAG_FIMMEDIATEBIND"}};
        for (const auto& [attr, flag] : funcFlags)
          if (Has(m.attrs, attr)) flags.push_back(flag);
        std::string flagText;
        for (const auto& f : flags) flagText += (flagText.empty() ? "" : " | ") + f;
        const Attribute* help = Find(m.attrs, "helpstring");
        const Attribute* context = Find(m.attrs, "helpcontext");
        int slot = 7 + static_cast<int>(k);
        functions << "    {" << ValueOf(*id, d_) << ", " << invkind << ", " << (flagText.empty() ? "0" : flagText)
                  << ", " << slot << ", " << Utf16Literal(m.name) << ", "
                  << (help ? Utf16Literal(StringOf(help)) : "nullptr") << ", "
                  << (context ? ValueOf(*context, d_) : 0) << ", " << (m.params.empty() ? "nullptr" : params)
                  << ", " << m.params.size() << ", " << thunk << "},\n";
        slots << "  Check(mismatches, \"" << i.name << "::" << method << "\", SlotOf(&" << i.name << "::" << method
              << "), " << slot << ");\n";
      }
      tables << "const AutomationFunction " << prefix << "Functions[] = {\n" << functions.str() << "};\n";
    } else {
      const Coclass* c = nullptr;
      for (const auto& candidate : lib.coclasses)
        if (candidate.name == type.name) c = &candidate;
      tables << "const SHORT " << prefix << "Implemented[] = {";
      for (const auto& entry : c->interfaces) tables << IndexOf(entry.interface) << ", ";
      tables << "};\nconst INT " << prefix << "ImplementedFlags[] = {";
      for (const auto& entry : c->interfaces) {
        std::string flags = Has(entry.attrs, "default") ? "IMPLTYPEFLAG_FDEFAULT" : "0";
        if (Has(entry.attrs, "source")) flags += " | IMPLTYPEFLAG_FSOURCE";
        if (Has(entry.attrs, "restricted")) flags += " | IMPLTYPEFLAG_FRESTRICTED";
        tables << flags << ", ";
      }
      tables << "};\n";
    }
  }

  out << "const AutomationType kTypes[] = {\n";
  for (const LibraryType& type : types_) {
    std::string prefix = "k" + type.name;
    const std::vector<Attribute>* attrs;
    std::string kind, flags = "0", functions = "nullptr, 0", constants = "nullptr, 0",
                      implemented = "nullptr, nullptr, 0";
    if (type.kind == LibraryType::kEnum) {
      const Enum& e = d_.enums.at(type.name);
      attrs = &e.attrs;
      kind = "TKIND_ENUM";
      constants = prefix + "Constants, " + std::to_string(e.values.size());
    } else if (type.kind == LibraryType::kInterface) {
      const Interface& i = d_.interfaces.at(type.name);
      attrs = &i.attrs;
      kind = "TKIND_DISPATCH";
      flags = "TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE";
      if (Has(i.attrs, "hidden")) flags += " | TYPEFLAG_FHIDDEN";
      if (Has(i.attrs, "nonextensible")) flags += " | TYPEFLAG_FNONEXTENSIBLE";
      functions = prefix + "Functions, " + std::to_string(i.members.size());
    } else {
      const Coclass* c = nullptr;
      for (const auto& candidate : lib.coclasses)
        if (candidate.name == type.name) c = &candidate;
      attrs = &c->attrs;
      kind = "TKIND_COCLASS";
      flags = Has(c->attrs, "noncreatable") ? "0" : "TYPEFLAG_FCANCREATE";
      if (Has(c->attrs, "control")) flags += " | TYPEFLAG_FCONTROL";
      if (Has(c->attrs, "hidden")) flags += " | TYPEFLAG_FHIDDEN";
      if (Has(c->attrs, "aggregatable")) flags += " | TYPEFLAG_FAGGREGATABLE";
      if (Has(c->attrs, "appobject")) flags += " | TYPEFLAG_FAPPOBJECT";
      implemented = prefix + "Implemented, " + prefix + "ImplementedFlags, " + std::to_string(c->interfaces.size());
    }
    const Attribute* help = Find(*attrs, "helpstring");
    const Attribute* context = Find(*attrs, "helpcontext");
    out << "    {" << kind << ", " << Utf16Literal(type.name) << ", " << GuidLiteral(GuidOf(Find(*attrs, "uuid")))
        << ", " << flags << ", " << (help ? Utf16Literal(StringOf(help)) : "nullptr") << ", "
        << (context ? ValueOf(*context, d_) : 0) << ", " << functions << ", " << constants << ", " << implemented
        << "},\n";
  }
  out << "};\n\n";
  std::string body = out.str();
  // The tables come before the type array that points at them.
  std::size_t at = body.find("const AutomationType kTypes[]");
  body.insert(at, tables.str() + "\n");

  std::ostringstream tail;
  std::string version = StringOf(Find(lib.attrs, "version"));
  unsigned major = 0, minor = 0;
  if (std::sscanf(version.c_str(), "%u.%u", &major, &minor) < 1) throw Error("bad library version " + version);
  const Attribute* lcid = Find(lib.attrs, "lcid");
  const Attribute* help = Find(lib.attrs, "helpstring");
  const Attribute* context = Find(lib.attrs, "helpcontext");
  std::string libFlags = "0";
  if (Has(lib.attrs, "restricted")) libFlags = "LIBFLAG_FRESTRICTED";
  if (Has(lib.attrs, "control")) libFlags += " | LIBFLAG_FCONTROL";
  if (Has(lib.attrs, "hidden")) libFlags += " | LIBFLAG_FHIDDEN";
  tail << "// The vtable slot of a virtual member, read from its member pointer as the\n"
       << "// Itanium C++ ABI lays it out (1 + the byte offset in the vtable).\n"
       << "template <class Member>\nlong SlotOf(Member member) {\n"
       << "#if defined(__x86_64__) || defined(__i386__) || defined(__aarch64__)\n"
       << "  std::ptrdiff_t raw[2];\n  static_assert(sizeof member == sizeof raw);\n"
       << "  std::memcpy(raw, &member, sizeof raw);\n"
       << "  return (raw[0] & 1) ? static_cast<long>((raw[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*))) : -1;\n"
       << "#else\n  (void)member;\n  return -2;  // not known on this ABI: nothing is reported\n#endif\n}\n\n"
       << "void Check(std::vector<std::string>& mismatches, const char* member, long slot, long expected) {\n"
       << "  if (slot != -2 && slot != expected)\n"
       << "    mismatches.push_back(std::string(member) + \": slot \" + std::to_string(slot) + \" in the header, \" +\n"
       << "                         std::to_string(expected) + \" in the IDL\");\n}\n\n"
       << "}  // namespace\n\n"
       << "const AutomationTypeLibrary " << lib.name << "_Description = {\n    "
       << GuidLiteral(GuidOf(Find(lib.attrs, "uuid"))) << ",\n    " << major << ", " << minor << ", "
       << (lcid ? ValueOf(*lcid, d_) : 0) << ", " << libFlags << ",\n    " << Utf16Literal(lib.name) << ",\n    "
       << (help ? Utf16Literal(StringOf(help)) : "nullptr") << ", " << (context ? ValueOf(*context, d_) : 0)
       << ",\n    kTypes, " << types_.size() << "};\n\n"
       << "std::vector<std::string> " << lib.name << "_VtableMismatches() {\n"
       << "  std::vector<std::string> mismatches;\n"
       << slots.str() << "  return mismatches;\n}\n\n"
       << "namespace {\n\n"
       << "// Registered while the module is loaded, as the TYPELIB resource of a DLL\n"
       << "// is there while the DLL is.\n"
       << "struct Registration {\n"
       << "  Registration() { AutomationRegisterTypeLibrary(&" << lib.name << "_Description); }\n"
       << "  ~Registration() { AutomationUnregisterTypeLibrary(&" << lib.name << "_Description); }\n"
       << "} registration;\n\n}  // namespace\n";
  return body + tail.str();
}

// --- Code page 932 for widl -------------------------------------------------------------

std::string ToCp932ForWidl(const std::string& utf8) {
  std::string out;
  bool inString = false, escaped = false;
  std::size_t i = 0;
  int line = 1;
  while (i < utf8.size()) {
    auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    std::string ch = utf8.substr(i, length);
    i += length;
    if (ch == "\n") ++line;
    if (length == 1) {
      if (inString && !escaped && ch == "\\")
        escaped = true;
      else if (!escaped && ch == "\"")
        inString = !inString;
      else
        escaped = false;
      if (ch == "\"") escaped = false;
      out += ch;
      continue;
    }
    escaped = false;
    // A sequence that is not UTF-8 decodes to U+FFFD, which code page 932
    // lacks too.
    std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(ch));
    if (!bytes) throw Error("line " + std::to_string(line) + ": a character that code page 932 lacks");
    if (bytes->size() == 2 && (*bytes)[1] == '\\') {
      if (!inString) throw Error("line " + std::to_string(line) + ": a trail byte 0x5C outside a string literal");
      *bytes += '\\';
    }
    out += *bytes;
  }
  return out;
}

int Usage() {
  std::cerr << "usage: idlgen --source out.cpp --header out.h --include public.h in.idl\n"
               "       idlgen --cp932 in.idl -o out.idl\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string source, header, include, input, output;
  bool cp932 = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--source" && i + 1 < argc) source = argv[++i];
    else if (arg == "--header" && i + 1 < argc) header = argv[++i];
    else if (arg == "--include" && i + 1 < argc) include = argv[++i];
    else if (arg == "-o" && i + 1 < argc) output = argv[++i];
    else if (arg == "--cp932") cp932 = true;
    else if (input.empty() && arg[0] != '-') input = arg;
    else return Usage();
  }
  try {
    if (input.empty()) return Usage();
    std::string text = ReadFile(input);
    if (cp932) {
      if (output.empty()) return Usage();
      WriteIfChanged(output, ToCp932ForWidl(text));
      return 0;
    }
    if (source.empty() || header.empty() || include.empty()) return Usage();
    Description d;
    Lexer lex(text, input);
    Parser(lex, d).Parse();
    Generator g(d);
    std::string headerName = header.substr(header.find_last_of('/') + 1);
    WriteIfChanged(header, g.Header());
    WriteIfChanged(source, g.Source(include, headerName));
  } catch (const std::exception& e) {
    std::cerr << "idlgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
