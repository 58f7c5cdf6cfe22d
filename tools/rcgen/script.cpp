// rcgen: turns the resource scripts (.rc, UTF-8) that the Windows build
// compiles with windres into a C++ source for this platform, so that one set
// of scripts serves both. The generated source holds the resources as data
// and registers them with the automation layer when its module loads.
//
//   rcgen -o out.cpp [-d out.d] input.rc
//
// Understood: #pragma code_page(65001), #include "file" (resource scripts and
// headers of #defines; <system> includes are skipped, their constants are
// built in), #define, #undef, #ifdef/#ifndef/#else/#endif, LANGUAGE,
// STRINGTABLE, VERSIONINFO, DIALOGEX (LTEXT, CTEXT, RTEXT, PUSHBUTTON,
// DEFPUSHBUTTON, GROUPBOX, EDITTEXT, ICON, CONTROL), and resources that name
// a file (REGISTRY, TYPELIB, BITMAP, RCDATA or any other type name). Anything
// else stops with a message naming the file and line.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <cstdio>
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

// ---------------------------------------------------------------------------
// Text helpers.

std::u16string Utf16FromUtf8(const std::string& text, const std::string& where) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra == 0)) throw Error(where + ": text is not valid UTF-8");
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) throw Error(where + ": text is not valid UTF-8");
      c = (c << 6) | (next & 0x3F);
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += 1 + extra;
  }
  return out;
}

// Code page 932, the form in which LoadStringA hands the strings out on a
// Japanese system; a character without a code is an error here rather than
// a question mark at run time.
std::string Cp932FromUtf8(const std::string& text, const std::string& where) {
  // A sequence that is not UTF-8 decodes to U+FFFD, which code page 932
  // lacks too.
  std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(text));
  if (!bytes) throw Error(where + ": the text has a character that code page 932 cannot hold: \"" + text + "\"");
  return *bytes;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

std::string DirectoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------------------
// Tokens, after preprocessing.

struct Token {
  enum Kind { identifier, number, string, punct } kind;
  std::string text;  // identifier, punctuation, or the string's UTF-8 content
  long long value = 0;
  bool wide = false;  // number with an L suffix
  std::string where;
};

class Preprocessor {
 public:
  std::vector<Token> tokens;
  std::set<std::string> files;  // every file read, for the dependency list
  std::map<std::string, std::string> defines;
  std::vector<std::string> includeDirs;  // searched for resource files after the script's folder
  bool utf8 = false;

  void Run(const std::string& path) {
    files.insert(path);
    std::istringstream in(ReadFile(path));
    std::string line;
    int number = 0;
    std::vector<bool> active{true};
    while (std::getline(in, line)) {
      ++number;
      std::string where = path + ":" + std::to_string(number);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string more;
      while (!line.empty() && line.back() == '\\' && std::getline(in, more)) {
        line.pop_back();
        line += more;
        ++number;
      }
      std::size_t first = line.find_first_not_of(" \t");
      if (first != std::string::npos && line[first] == '#') {
        Directive(line.substr(first + 1), where, path, active);
        continue;
      }
      if (active.back()) Tokenise(line, where);
    }
    if (active.size() != 1) throw Error(path + ": #if without #endif");
    if (inComment_) throw Error(path + ": unterminated comment");
  }

  void Tokenise(const std::string& line, const std::string& where);

 private:
  bool inComment_ = false;

  void Directive(std::string text, const std::string& where, const std::string& path, std::vector<bool>& active) {
    if (auto comment = text.find("//"); comment != std::string::npos) text.erase(comment);
    std::istringstream words(text);
    std::string word;
    words >> word;
    if (word == "ifdef" || word == "ifndef") {
      std::string name;
      words >> name;
      bool defined = defines.count(name) > 0;
      active.push_back(active.back() && (word == "ifdef" ? defined : !defined));
    } else if (word == "else") {
      if (active.size() < 2) throw Error(where + ": #else without #if");
      bool outer = active[active.size() - 2];
      active.back() = outer && !active.back();
    } else if (word == "endif") {
      if (active.size() < 2) throw Error(where + ": #endif without #if");
      active.pop_back();
    } else if (!active.back()) {
      return;
    } else if (word == "define") {
      std::string name, rest;
      words >> name;
      std::getline(words, rest);
      defines[name] = rest;
    } else if (word == "undef") {
      std::string name;
      words >> name;
      defines.erase(name);
    } else if (word == "include") {
      std::string target;
      std::getline(words, target);
      target = target.substr(target.find_first_not_of(" \t"));
      if (target[0] == '<') return;  // system headers: their constants are built in
      if (target[0] != '"' || target.find('"', 1) == std::string::npos) throw Error(where + ": bad #include");
      std::string file = target.substr(1, target.find('"', 1) - 1);
      Run(file[0] == '/' ? file : DirectoryOf(path) + "/" + file);
    } else if (word == "pragma") {
      std::string rest;
      std::getline(words, rest);
      if (rest.find("code_page") != std::string::npos) {
        if (rest.find("65001") == std::string::npos)
          throw Error(where + ": resource scripts are UTF-8: use #pragma code_page(65001)");
        utf8 = true;
      }
    } else if (word.empty()) {
      return;
    } else {
      throw Error(where + ": #" + word + " is not supported");
    }
  }

  Token String(const std::string& line, std::size_t& i, const std::string& where);
};

void Preprocessor::Tokenise(const std::string& line, const std::string& where) {
    for (std::size_t i = 0; i < line.size();) {
      char c = line[i];
      if (inComment_) {
        auto end = line.find("*/", i);
        if (end == std::string::npos) return;
        inComment_ = false;
        i = end + 2;
      } else if (c == ' ' || c == '\t') {
        ++i;
      } else if (line.compare(i, 2, "//") == 0) {
        return;
      } else if (line.compare(i, 2, "/*") == 0) {
        inComment_ = true;
        i += 2;
      } else if (c == '"' || (c == 'L' && i + 1 < line.size() && line[i + 1] == '"')) {
        if (c == 'L') ++i;
        tokens.push_back(String(line, i, where));
      } else if (isdigit(static_cast<unsigned char>(c))) {
        std::size_t end = i;
        while (end < line.size() && isalnum(static_cast<unsigned char>(line[end]))) ++end;
        std::string text = line.substr(i, end - i);
        Token t{Token::number, text, 0, false, where};
        while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u')) {
          if (text.back() == 'L' || text.back() == 'l') t.wide = true;
          text.pop_back();
        }
        std::size_t used = 0;
        try {
          t.value = std::stoll(text, &used, 0);
        } catch (...) {
          used = 0;
        }
        if (used != text.size() || text.empty()) throw Error(where + ": bad number " + t.text);
        tokens.push_back(t);
        i = end;
      } else if (isalpha(static_cast<unsigned char>(c)) || c == '_') {
        std::size_t end = i;
        while (end < line.size() && (isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
        tokens.push_back(Token{Token::identifier, line.substr(i, end - i), 0, false, where});
        i = end;
      } else if (std::string(",{}|+-()~").find(c) != std::string::npos) {
        tokens.push_back(Token{Token::punct, std::string(1, c), 0, false, where});
        ++i;
      } else {
        throw Error(where + ": unexpected character '" + std::string(1, c) + "'");
      }
    }
}

// "..." with "" for a quote and the C escapes \n \t \r \\ \" \0.
Token Preprocessor::String(const std::string& line, std::size_t& i, const std::string& where) {
    std::string text;
    for (++i;; ++i) {
      if (i >= line.size()) throw Error(where + ": unterminated string");
      char c = line[i];
      if (c == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          text += '"';
          ++i;
          continue;
        }
        ++i;
        break;
      }
      if (c == '\\' && i + 1 < line.size()) {
        char e = line[++i];
        switch (e) {
          case 'n': text += '\n'; break;
          case 't': text += '\t'; break;
          case 'r': text += '\r'; break;
          case '0': text += '\0'; break;
          case '\\': text += '\\'; break;
          case '"': text += '"'; break;
          default: throw Error(where + ": unknown escape \\" + std::string(1, e));
        }
        continue;
      }
      if (static_cast<unsigned char>(c) >= 0x80 && !utf8)
        throw Error(where + ": non-ASCII text needs #pragma code_page(65001) before it");
      text += c;
    }
    return Token{Token::string, text, 0, false, where};
}

// ---------------------------------------------------------------------------
// The resources.

struct Resource {
  std::string type;  // upper-case name, empty for an integer type
  int typeId = 0;
  std::string name;  // upper-case name, empty for an integer id
  int nameId = 0;
  std::vector<unsigned char> data;
};

struct Script {
  std::map<int, std::string> strings;  // id -> code page 932 bytes
  std::vector<Resource> resources;
};

constexpr int kRtBitmap = 2, kRtDialog = 5, kRtRcdata = 10, kRtVersion = 16;

const std::map<std::string, long long>& BuiltIns() {
  static const std::map<std::string, long long> values = {
      {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x1},          {"VS_FF_PRERELEASE", 0x2},
      {"VS_FF_PATCHED", 0x4},         {"VS_FF_PRIVATEBUILD", 0x8},   {"VS_FF_INFOINFERRED", 0x10},
      {"VS_FF_SPECIALBUILD", 0x20},   {"VOS_UNKNOWN", 0},            {"VOS_NT", 0x40000},
      {"VOS__WINDOWS32", 0x4},        {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0},
      {"VFT_APP", 1},                 {"VFT_DLL", 2},                {"VFT_STATIC_LIB", 7},
      {"VFT2_UNKNOWN", 0},            {"LANG_NEUTRAL", 0},           {"LANG_ENGLISH", 0x09},
      {"LANG_JAPANESE", 0x11},        {"SUBLANG_NEUTRAL", 0},        {"SUBLANG_DEFAULT", 1},
      {"SUBLANG_ENGLISH_US", 1},      {"SUBLANG_JAPANESE_JAPAN", 1}, {"VS_VERSION_INFO", 1},
      // Dialogs: window, dialog, static, button and edit styles, common ids.
      {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000LL}, {"WS_CHILD", 0x40000000}, {"WS_MINIMIZE", 0x20000000},
      {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
      {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
      {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
      {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
      {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_TOPMOST", 0x8},
      {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_CLIENTEDGE", 0x200},
      {"WS_EX_CONTEXTHELP", 0x400}, {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000},
      {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
      {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80},
      {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800},
      {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
      {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_ICON", 0x3}, {"SS_BLACKRECT", 0x4},
      {"SS_GRAYRECT", 0x5}, {"SS_WHITERECT", 0x6}, {"SS_BLACKFRAME", 0x7}, {"SS_GRAYFRAME", 0x8},
      {"SS_WHITEFRAME", 0x9}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_BITMAP", 0xE},
      {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12}, {"SS_NOPREFIX", 0x80},
      {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000},
      {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2}, {"BS_AUTOCHECKBOX", 0x3},
      {"BS_RADIOBUTTON", 0x4}, {"BS_GROUPBOX", 0x7}, {"BS_AUTORADIOBUTTON", 0x9}, {"BS_MULTILINE", 0x2000},
      {"BS_FLAT", 0x8000}, {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4},
      {"ES_AUTOHSCROLL", 0x80}, {"ES_READONLY", 0x800}, {"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1},
  };
  return values;
}

class Parser {
 public:
  Parser(Preprocessor& pp) : pp_(pp), t_(pp.tokens) {}

  Script Parse() {
    Script script;
    while (pos_ < t_.size()) {
      if (IsWord("LANGUAGE")) {
        ++pos_;
        Expression();
        Expect(",");
        Expression();
      } else if (IsWord("STRINGTABLE")) {
        ++pos_;
        StringTable(script);
      } else {
        Named(script);
      }
    }
    return script;
  }

 private:
  Preprocessor& pp_;
  std::vector<Token>& t_;
  std::size_t pos_ = 0;

  const Token& Peek() const {
    if (pos_ >= t_.size()) throw Error("unexpected end of the resource script");
    return t_[pos_];
  }
  const Token& Next() {
    const Token& t = Peek();
    ++pos_;
    return t;
  }
  bool IsWord(const char* word) const {
    return pos_ < t_.size() && t_[pos_].kind == Token::identifier && t_[pos_].text == word;
  }
  bool IsPunct(const char* p) const { return pos_ < t_.size() && t_[pos_].kind == Token::punct && t_[pos_].text == p; }
  void Expect(const char* p) {
    if (!IsPunct(p)) throw Error(Peek().where + ": expected '" + p + "'");
    ++pos_;
  }
  bool Begin() {
    if (IsWord("BEGIN") || IsPunct("{")) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool End() {
    if (IsWord("END") || IsPunct("}")) {
      ++pos_;
      return true;
    }
    return false;
  }

  // The value of a #define: its text read as an expression.
  std::optional<long long> Macro(const std::string& name) {
    if (auto b = BuiltIns().find(name); b != BuiltIns().end()) return b->second;
    auto d = pp_.defines.find(name);
    if (d == pp_.defines.end() || depth_ > 32) return std::nullopt;
    ++depth_;
    try {
      Preprocessor tokeniser;
      tokeniser.defines = pp_.defines;
      tokeniser.utf8 = true;
      tokeniser.Tokenise(d->second, "#define " + name);
      if (tokeniser.tokens.empty()) return std::nullopt;
      Parser inner(tokeniser);
      inner.depth_ = depth_;
      long long value = inner.Expression();
      --depth_;
      if (inner.pos_ != tokeniser.tokens.size()) return std::nullopt;
      return value;
    } catch (const Error&) {
      --depth_;
      return std::nullopt;
    }
  }
  int depth_ = 0;

 public:
  long long Expression() {
    long long value = Primary();
    while (IsPunct("|") || IsPunct("+") || IsPunct("-")) {
      std::string op = Next().text;
      long long rhs = Primary();
      value = op == "|" ? (value | rhs) : op == "+" ? value + rhs : value - rhs;
    }
    return value;
  }

 private:
  long long Primary() {
    const Token& t = Next();
    if (t.kind == Token::number) return t.value;
    if (t.kind == Token::punct && t.text == "(") {
      long long v = Expression();
      Expect(")");
      return v;
    }
    if (t.kind == Token::punct && t.text == "~") return ~Primary();
    if (t.kind == Token::punct && t.text == "-") return -Primary();
    if (t.kind == Token::identifier)
      if (auto v = Macro(t.text)) return *v;
    throw Error(t.where + ": expected a number, found '" + t.text + "'");
  }

  void StringTable(Script& script) {
    while (!Begin()) Next();  // memory options and LANGUAGE of the table
    while (!End()) {
      std::string where = Peek().where;
      long long id = Expression();
      if (IsPunct(",")) ++pos_;
      const Token& text = Next();
      if (text.kind != Token::string) throw Error(where + ": expected the string of entry " + std::to_string(id));
      if (id < 0 || id > 0xFFFF) throw Error(where + ": string id out of range");
      if (script.strings.count(static_cast<int>(id))) throw Error(where + ": string " + std::to_string(id) + " twice");
      script.strings[static_cast<int>(id)] = Cp932FromUtf8(text.text, where);
    }
  }

  void Named(Script& script) {
    Resource r;
    const Token& name = Next();
    std::string where = name.where;
    if (name.kind == Token::number) {
      r.nameId = static_cast<int>(name.value);
    } else if (name.kind == Token::identifier) {
      if (auto v = Macro(name.text))
        r.nameId = static_cast<int>(*v);
      else
        r.name = Upper(name.text);
    } else if (name.kind == Token::string) {
      r.name = Upper(name.text);
    } else {
      throw Error(where + ": expected a resource name");
    }
    const Token& type = Next();
    if (type.kind == Token::identifier && type.text == "VERSIONINFO") {
      r.typeId = kRtVersion;
      r.data = VersionInfo();
    } else if (type.kind == Token::identifier && type.text == "DIALOGEX") {
      r.typeId = kRtDialog;
      r.data = DialogEx(where);
    } else {
      static const std::set<std::string> unsupported = {"DIALOG", "MENU", "MENUEX", "ICON",
                                                        "CURSOR", "ACCELERATORS", "FONT", "HTML"};
      if (type.kind == Token::identifier && unsupported.count(type.text))
        throw Error(where + ": " + type.text + " resources are not supported by rcgen yet");
      if (type.kind == Token::number) {
        r.typeId = static_cast<int>(type.value);
      } else if (type.kind == Token::identifier && type.text == "BITMAP") {
        r.typeId = kRtBitmap;
      } else if (type.kind == Token::identifier && type.text == "RCDATA") {
        r.typeId = kRtRcdata;
      } else if (type.kind == Token::identifier || type.kind == Token::string) {
        r.type = Upper(type.text);
      } else {
        throw Error(where + ": expected a resource type");
      }
      while (IsWord("PRELOAD") || IsWord("LOADONCALL") || IsWord("MOVEABLE") || IsWord("FIXED") ||
             IsWord("PURE") || IsWord("IMPURE") || IsWord("DISCARDABLE"))
        ++pos_;
      const Token& file = Next();
      if (file.kind != Token::string) throw Error(where + ": expected the file of the resource");
      std::string path = file.text[0] == '/' ? file.text : DirectoryOf(where.substr(0, where.rfind(':'))) + "/" + file.text;
      // Files the build makes (a bitmap drawn from text) live in the build
      // tree: the folders given with -I are searched after the script's own.
      for (const auto& dir : pp_.includeDirs) {
        if (file.text[0] == '/' || std::ifstream(path).good()) break;
        path = dir + "/" + file.text;
      }
      pp_.files.insert(path);
      std::string content = ReadFile(path);
      // A bitmap resource is the file without its 14-byte file header.
      if (r.typeId == kRtBitmap) {
        if (content.size() < 14 || content.compare(0, 2, "BM") != 0) throw Error(where + ": " + path + " is not a BMP file");
        content.erase(0, 14);
      }
      r.data.assign(content.begin(), content.end());
    }
    script.resources.push_back(std::move(r));
  }

  // Style bits: names and numbers joined by | (or +); "NOT x" removes the
  // bits of x from what comes before, as the resource compiler does.
  std::uint32_t Style(std::uint32_t bits) {
    bool first = true;
    do {
      if (!first) ++pos_;
      first = false;
      if (IsWord("NOT")) {
        ++pos_;
        bits &= ~static_cast<std::uint32_t>(Primary());
      } else {
        bits |= static_cast<std::uint32_t>(Primary());
      }
    } while (IsPunct("|") || IsPunct("+"));
    return bits;
  }

  std::u16string Text(const std::string& where) {
    const Token& t = Next();
    if (t.kind != Token::string) throw Error(where + ": expected a quoted text");
    return Utf16FromUtf8(t.text, t.where);
  }

  struct DialogItem {
    std::uint32_t style = 0, exStyle = 0, id = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string className;
    int classOrdinal = 0;  // the predefined classes by number
    std::u16string text;
    int textOrdinal = -1;  // a resource number instead of a text (pictures)
  };

  static void PutNameOrOrdinal(std::vector<unsigned char>& out, const std::u16string& name, int ordinal) {
    if (ordinal >= 0) {
      Put16(out, 0xFFFF);
      Put16(out, static_cast<std::uint16_t>(ordinal));
      return;
    }
    for (char16_t c : name) Put16(out, c);
    Put16(out, 0);
  }
  static void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
  }

  // DIALOGEX as the platform's template (DLGTEMPLATEEX followed by
  // DLGITEMTEMPLATEEX items, each aligned to 32 bits), so that the dialog is
  // read the same way on both platforms.
  std::vector<unsigned char> DialogEx(const std::string& where) {
    auto number = [&] { return static_cast<std::int16_t>(Expression()); };
    std::int16_t x = number();
    Expect(",");
    std::int16_t y = number();
    Expect(",");
    std::int16_t cx = number();
    Expect(",");
    std::int16_t cy = number();
    std::uint32_t helpId = 0;
    if (IsPunct(",")) {
      ++pos_;
      helpId = static_cast<std::uint32_t>(Expression());
    }
    std::uint32_t style = 0x80000000u | 0x00800000u | 0x00080000u;  // WS_POPUP | WS_BORDER | WS_SYSMENU
    std::uint32_t exStyle = 0;
    bool styleGiven = false, font = false;
    std::u16string caption, face;
    std::uint16_t pointSize = 0, weight = 0;
    std::uint8_t italic = 0, charset = 1;
    while (!Begin()) {
      const Token& word = Next();
      if (word.text == "STYLE") {
        style = Style(0);
        styleGiven = true;
      } else if (word.text == "EXSTYLE") {
        exStyle = Style(0);
      } else if (word.text == "CAPTION") {
        caption = Text(word.where);
        if (!styleGiven) style |= 0x00C00000u;  // WS_CAPTION
      } else if (word.text == "FONT") {
        font = true;
        pointSize = static_cast<std::uint16_t>(Expression());
        Expect(",");
        face = Text(word.where);
        if (IsPunct(",")) { ++pos_; weight = static_cast<std::uint16_t>(Expression()); }
        if (IsPunct(",")) { ++pos_; italic = static_cast<std::uint8_t>(Expression()); }
        if (IsPunct(",")) { ++pos_; charset = static_cast<std::uint8_t>(Expression()); }
      } else if (word.text == "LANGUAGE") {
        Expression();
        Expect(",");
        Expression();
      } else {
        throw Error(word.where + ": " + word.text + " is not supported in a DIALOGEX");
      }
    }
    if (font) style |= 0x40;  // DS_SETFONT
    std::vector<DialogItem> items;
    while (!End()) items.push_back(DialogControl());

    std::vector<unsigned char> out;
    Put16(out, 1);       // dlgVer
    Put16(out, 0xFFFF);  // signature of the extended template
    Put32(out, helpId);
    Put32(out, exStyle);
    Put32(out, style);
    if (items.size() > 0xFFFF) throw Error(where + ": too many controls");
    Put16(out, static_cast<std::uint16_t>(items.size()));
    for (std::int16_t v : {x, y, cx, cy}) Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, 0);  // no menu
    Put16(out, 0);  // the standard dialog class
    PutNameOrOrdinal(out, caption, -1);
    if (style & 0x40) {
      Put16(out, pointSize);
      Put16(out, weight);
      out.push_back(italic);
      out.push_back(charset);
      PutNameOrOrdinal(out, face, -1);
    }
    for (const DialogItem& item : items) {
      Pad4(out);
      Put32(out, 0);  // help id
      Put32(out, item.exStyle);
      Put32(out, item.style);
      for (std::int16_t v : {item.x, item.y, item.cx, item.cy}) Put16(out, static_cast<std::uint16_t>(v));
      Put32(out, item.id);
      PutNameOrOrdinal(out, item.className, item.classOrdinal ? item.classOrdinal : -1);
      PutNameOrOrdinal(out, item.text, item.textOrdinal);
      Put16(out, 0);  // no creation data
    }
    return out;
  }

  DialogItem DialogControl() {
    constexpr std::uint32_t child = 0x40000000u | 0x10000000u;  // WS_CHILD | WS_VISIBLE
    constexpr std::uint32_t group = 0x00020000u, tabstop = 0x00010000u;
    const Token& word = Next();
    DialogItem item;
    auto comma = [&] { Expect(","); };
    auto geometry = [&](bool size) {
      item.x = static_cast<std::int16_t>(Expression());
      comma();
      item.y = static_cast<std::int16_t>(Expression());
      if (size) {
        comma();
        item.cx = static_cast<std::int16_t>(Expression());
        comma();
        item.cy = static_cast<std::int16_t>(Expression());
      }
    };
    auto textOrNumber = [&] {
      if (Peek().kind == Token::string)
        item.text = Text(word.where);
      else
        item.textOrdinal = static_cast<int>(Expression());
    };
    auto optionalStyles = [&] {
      if (IsPunct(",")) { ++pos_; item.style = Style(item.style); }
      if (IsPunct(",")) { ++pos_; item.exStyle = Style(item.exStyle); }
    };
    static const std::map<std::string, std::pair<int, std::uint32_t>> kinds = {
        {"LTEXT", {0x82, child | group | 0x0}},          {"CTEXT", {0x82, child | group | 0x1}},
        {"RTEXT", {0x82, child | group | 0x2}},          {"PUSHBUTTON", {0x80, child | tabstop | 0x0}},
        {"DEFPUSHBUTTON", {0x80, child | tabstop | 0x1}}, {"GROUPBOX", {0x80, child | 0x7}},
        {"EDITTEXT", {0x81, child | tabstop | 0x00800000u}}, {"ICON", {0x82, child | 0x3}},
    };
    if (word.text == "CONTROL") {
      textOrNumber();
      comma();
      item.id = static_cast<std::uint32_t>(Expression());
      comma();
      const Token& cls = Next();
      std::string name = cls.text;
      static const std::map<std::string, int> predefined = {{"BUTTON", 0x80}, {"EDIT", 0x81},
                                                            {"STATIC", 0x82}, {"LISTBOX", 0x83},
                                                            {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
      if (auto p = predefined.find(Upper(name)); p != predefined.end())
        item.classOrdinal = p->second;
      else
        item.className = Utf16FromUtf8(name, cls.where);
      comma();
      item.style = Style(child);
      comma();
      geometry(true);
      if (IsPunct(",")) { ++pos_; item.exStyle = Style(0); }
      return item;
    }
    auto kind = kinds.find(word.text);
    if (kind == kinds.end()) throw Error(word.where + ": the control " + word.text + " is not supported");
    item.classOrdinal = kind->second.first;
    item.style = kind->second.second;
    if (word.text != "EDITTEXT") {
      textOrNumber();
      comma();
    }
    item.id = static_cast<std::uint32_t>(Expression());
    comma();
    if (word.text == "ICON") {
      geometry(false);
      if (IsPunct(",")) {
        ++pos_;
        item.cx = static_cast<std::int16_t>(Expression());
        comma();
        item.cy = static_cast<std::int16_t>(Expression());
      }
    } else {
      geometry(true);
    }
    optionalStyles();
    return item;
  }

  // VERSIONINFO: the fixed part, then blocks of values.
  struct VersionItem {
    bool isBlock = false;
    std::string key;
    std::vector<VersionItem> children;
    std::vector<Token> values;
  };

  std::vector<unsigned char> VersionInfo() {
    std::uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, 0, 0, 0, 0, 0x3F, 0, 0x40004, 2, 0, 0, 0};
    auto four = [&](std::uint32_t& ms, std::uint32_t& ls) {
      long long a = Expression();
      Expect(",");
      long long b = Expression();
      Expect(",");
      long long c = Expression();
      Expect(",");
      long long d = Expression();
      ms = static_cast<std::uint32_t>(((a & 0xFFFF) << 16) | (b & 0xFFFF));
      ls = static_cast<std::uint32_t>(((c & 0xFFFF) << 16) | (d & 0xFFFF));
    };
    while (!Begin()) {
      const Token& word = Next();
      if (word.text == "FILEVERSION") four(fixed[2], fixed[3]);
      else if (word.text == "PRODUCTVERSION") four(fixed[4], fixed[5]);
      else if (word.text == "FILEFLAGSMASK") fixed[6] = static_cast<std::uint32_t>(Expression());
      else if (word.text == "FILEFLAGS") fixed[7] = static_cast<std::uint32_t>(Expression());
      else if (word.text == "FILEOS") fixed[8] = static_cast<std::uint32_t>(Expression());
      else if (word.text == "FILETYPE") fixed[9] = static_cast<std::uint32_t>(Expression());
      else if (word.text == "FILESUBTYPE") fixed[10] = static_cast<std::uint32_t>(Expression());
      else throw Error(word.where + ": unknown VERSIONINFO statement " + word.text);
    }
    std::vector<VersionItem> items = VersionItems();
    std::vector<unsigned char> value(sizeof fixed);
    std::memcpy(value.data(), fixed, sizeof fixed);
    std::vector<std::vector<unsigned char>> children;
    for (const auto& item : items) children.push_back(EncodeItem(item));
    return Node(u"VS_VERSION_INFO", 0, sizeof fixed, value, children);
  }

  std::vector<VersionItem> VersionItems() {
    std::vector<VersionItem> items;
    while (!End()) {
      const Token& word = Next();
      VersionItem item;
      const Token& key = Next();
      if (key.kind != Token::string) throw Error(key.where + ": expected a quoted key");
      item.key = key.text;
      if (word.text == "BLOCK") {
        item.isBlock = true;
        if (!Begin()) throw Error(key.where + ": expected BEGIN");
        item.children = VersionItems();
      } else if (word.text == "VALUE") {
        while (IsPunct(",")) {
          ++pos_;
          const Token& v = Peek();
          if (v.kind == Token::string) {
            item.values.push_back(Next());
          } else {
            Token number = v;
            number.kind = Token::number;
            number.value = Expression();
            item.values.push_back(number);
          }
        }
      } else {
        throw Error(word.where + ": expected BLOCK or VALUE");
      }
      items.push_back(std::move(item));
    }
    return items;
  }

  static void Put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
  }
  static void Pad4(std::vector<unsigned char>& out) {
    while (out.size() % 4) out.push_back(0);
  }

  // One node: length, value length, type, key, value, children, each part
  // aligned to 32 bits; the length leaves out the padding after the node.
  static std::vector<unsigned char> Node(const std::u16string& key, std::uint16_t type, std::uint16_t valueLength,
                                         const std::vector<unsigned char>& value,
                                         const std::vector<std::vector<unsigned char>>& children) {
    std::vector<unsigned char> out;
    Put16(out, 0);
    Put16(out, valueLength);
    Put16(out, type);
    for (char16_t c : key) Put16(out, c);
    Put16(out, 0);
    Pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) {
      Pad4(out);
      out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF) throw Error("version information too large");
    out[0] = static_cast<unsigned char>(out.size());
    out[1] = static_cast<unsigned char>(out.size() >> 8);
    return out;
  }

  std::vector<unsigned char> EncodeItem(const VersionItem& item) {
    std::u16string key = Utf16FromUtf8(item.key, "VERSIONINFO");
    if (item.isBlock) {
      std::vector<std::vector<unsigned char>> children;
      for (const auto& child : item.children) children.push_back(EncodeItem(child));
      return Node(key, 1, 0, {}, children);
    }
    bool text = !item.values.empty() && item.values[0].kind == Token::string;
    std::vector<unsigned char> value;
    if (text) {
      std::u16string joined;
      for (const auto& v : item.values) {
        if (v.kind != Token::string) throw Error(v.where + ": a text value mixes in a number");
        joined += Utf16FromUtf8(v.text, v.where);
      }
      while (!joined.empty() && joined.back() == 0) joined.pop_back();
      joined += u'\0';
      for (char16_t c : joined) Put16(value, c);
      return Node(key, 1, static_cast<std::uint16_t>(joined.size()), value, {});
    }
    for (const auto& v : item.values) {
      Put16(value, static_cast<std::uint16_t>(v.value));
      if (v.wide) Put16(value, static_cast<std::uint16_t>(v.value >> 16));
    }
    return Node(key, 0, static_cast<std::uint16_t>(value.size()), value, {});
  }
};

// ---------------------------------------------------------------------------
// Output.

std::string ByteString(const std::string& bytes) {
  std::string out = "\"";
  char buffer[8];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "\\%03o", c);
    out += buffer;
  }
  return out + "\"";
}

std::string ByteArray(const std::vector<unsigned char>& bytes) {
  std::string out;
  char buffer[8];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%u,", bytes[i]);
    out += buffer;
    if (i % 24 == 23) out += "\n    ";
  }
  return out;
}

std::string Generate(const Script& script, const std::string& input) {
  std::ostringstream out;
  out << "// Generated by rcgen from " << input << "; do not edit.\n"
      << "#include \"module_resources.h\"\n\nnamespace {\n\n";
  for (const auto& [id, text] : script.strings)
    out << "const char string" << id << "[] = " << ByteString(text) << ";\n";
  if (!script.strings.empty()) {
    out << "\nconst AutomationStringResource strings[] = {\n";
    for (const auto& [id, text] : script.strings)
      out << "    {" << id << ", string" << id << ", " << text.size() << "},\n";
    out << "};\n";
  }
  for (std::size_t i = 0; i < script.resources.size(); ++i) {
    const Resource& r = script.resources[i];
    out << "\nalignas(8) const BYTE data" << i << "[] = {\n    " << ByteArray(r.data) << (r.data.empty() ? "0" : "")
        << "};\n";
    if (!r.type.empty()) out << "const char16_t type" << i << "[] = u\"" << r.type << "\";\n";
    if (!r.name.empty()) out << "const char16_t name" << i << "[] = u\"" << r.name << "\";\n";
  }
  if (!script.resources.empty()) {
    out << "\nconst AutomationResource resources[] = {\n";
    for (std::size_t i = 0; i < script.resources.size(); ++i) {
      const Resource& r = script.resources[i];
      out << "    {" << (r.type.empty() ? "nullptr" : "type" + std::to_string(i)) << ", " << r.typeId << ", "
          << (r.name.empty() ? "nullptr" : "name" + std::to_string(i)) << ", " << r.nameId << ", data" << i << ", "
          << r.data.size() << "},\n";
    }
    out << "};\n";
  }
  out << "\nconst AutomationModuleResources table = {"
      << (script.strings.empty() ? "nullptr, 0" : "strings, " + std::to_string(script.strings.size())) << ", "
      << (script.resources.empty() ? "nullptr, 0" : "resources, " + std::to_string(script.resources.size()))
      << "};\n\n"
      << "// Registered while the module is loaded.\n"
      << "struct Registration {\n"
      << "  Registration() { AutomationRegisterModuleResources(&table); }\n"
      << "  ~Registration() { AutomationUnregisterModuleResources(&table); }\n"
      << "} registration;\n\n}  // namespace\n";
  return out.str();
}

std::string MakeEscape(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out += '\\';
    if (c == '$') out += '$';
    out += c;
  }
  return out;
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

// A picture kept as text, written as a 24-bit BMP file:
//   size <width> <height>
//   color <character> <RRGGBB>     (one line per colour)
//   pixels
//   <height lines of width characters, the top row first>
// Lines starting with # are comments.
std::string BitmapFromText(const std::string& text, const std::string& where) {
  std::istringstream in(text);
  std::string line;
  int width = 0, height = 0, number = 0;
  std::map<char, std::uint32_t> colours;
  std::vector<std::string> rows;
  bool pixels = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string at = where + ":" + std::to_string(number);
    if (pixels) {
      if (static_cast<int>(rows.size()) == height) {
        if (!line.empty()) throw Error(at + ": more rows than the size says");
        continue;
      }
      if (static_cast<int>(line.size()) != width) throw Error(at + ": a row must have " + std::to_string(width) + " pixels");
      for (char c : line)
        if (!colours.count(c)) throw Error(at + ": no colour for '" + std::string(1, c) + "'");
      rows.push_back(line);
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "size") {
      words >> width >> height;
      if (!words || width <= 0 || height <= 0 || width > 1024 || height > 1024) throw Error(at + ": bad size");
    } else if (word == "color") {
      std::string key, rgb;
      words >> key >> rgb;
      if (key.size() != 1 || rgb.size() != 6 || rgb.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw Error(at + ": write a colour as: color <character> RRGGBB");
      colours[key[0]] = static_cast<std::uint32_t>(std::stoul(rgb, nullptr, 16));
    } else if (word == "pixels") {
      if (!width) throw Error(at + ": the size comes before the pixels");
      pixels = true;
    } else {
      throw Error(at + ": unknown line " + word);
    }
  }
  if (static_cast<int>(rows.size()) != height) throw Error(where + ": " + std::to_string(height) + " rows expected");
  std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::size_t imageSize = stride * static_cast<std::size_t>(height);
  std::string out;
  auto put16 = [&](std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  out += "BM";
  put32(static_cast<std::uint32_t>(14 + 40 + imageSize));
  put32(0);
  put32(14 + 40);
  put32(40);  // BITMAPINFOHEADER
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));  // positive: the bottom row first
  put16(1);
  put16(24);
  put32(0);  // BI_RGB
  put32(static_cast<std::uint32_t>(imageSize));
  put32(2835);  // 72 dots per inch
  put32(2835);
  put32(0);
  put32(0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (char c : rows[static_cast<std::size_t>(y)]) {
      std::uint32_t rgb = colours[c];
      row += static_cast<char>(rgb & 0xFF);          // blue
      row += static_cast<char>((rgb >> 8) & 0xFF);   // green
      row += static_cast<char>((rgb >> 16) & 0xFF);  // red
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, depfile, input;
  std::vector<std::string> includeDirs;
  bool bitmap = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) output = argv[++i];
    else if (arg == "-d" && i + 1 < argc) depfile = argv[++i];
    else if (arg == "-I" && i + 1 < argc) includeDirs.push_back(argv[++i]);
    else if (arg == "--bitmap") bitmap = true;
    else if (input.empty() && arg[0] != '-') input = arg;
    else {
      std::cerr << "usage: rcgen -o out.cpp [-d out.d] [-I dir] input.rc\n       rcgen --bitmap picture.txt -o out.bmp\n";
      return 2;
    }
  }
  if (output.empty() || input.empty()) {
    std::cerr << "usage: rcgen -o out.cpp [-d out.d] [-I dir] input.rc\n       rcgen --bitmap picture.txt -o out.bmp\n";
    return 2;
  }
  try {
    if (bitmap) {
      WriteIfChanged(output, BitmapFromText(ReadFile(input), input));
      return 0;
    }
    Preprocessor pp;
    pp.includeDirs = includeDirs;
    pp.Run(input);
    Parser parser(pp);
    Script script = parser.Parse();
    WriteIfChanged(output, Generate(script, input));
    if (!depfile.empty()) {
      std::string deps = MakeEscape(output) + ":";
      for (const auto& f : pp.files) deps += " " + MakeEscape(f);
      WriteIfChanged(depfile, deps + "\n");
    }
  } catch (const std::exception& e) {
    std::cerr << "rcgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
