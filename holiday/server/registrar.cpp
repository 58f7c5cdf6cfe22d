#include "server/registrar.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace dovrel {
namespace {

struct Value {
  DWORD type = REG_SZ;
  OleString text;
  DWORD number = 0;
};

struct Node {
  enum Mark { kPlain, kForceRemove, kNoRemove, kDelete } mark = kPlain;
  bool isNamedValue = false;  // "val Name = ..."
  OleString name;
  std::optional<Value> value;
  std::vector<Node> children;
};

struct Root {
  HKEY key;
  std::vector<Node> keys;
};

struct SyntaxError {};

// Scripts are ASCII apart from what replacements bring in; their text is
// read as UTF-8.
OleString Widen(std::string_view text) {
  OleString out;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    char32_t cp = c;
    std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    if (extra) cp = c & (0x3F >> extra);
    if (extra && i + extra >= text.size()) throw SyntaxError{};
    for (std::size_t k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += 1 + extra;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<OLECHAR>(0xD800 + (cp >> 10));
      out += static_cast<OLECHAR>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<OLECHAR>(cp);
    }
  }
  return out;
}

OleString Replace(const OleString& text, const std::map<OleString, OleString>& replacements) {
  OleString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != OLECHAR('%')) {
      out += text[i];
      continue;
    }
    std::size_t close = text.find(OLECHAR('%'), i + 1);
    if (close == OleString::npos) throw SyntaxError{};
    OleString name = text.substr(i + 1, close - i - 1);
    if (name.empty()) {
      out += OLECHAR('%');
    } else {
      auto found = replacements.end();
      for (auto it = replacements.begin(); it != replacements.end(); ++it)
        if (it->first.size() == name.size() && std::equal(name.begin(), name.end(), it->first.begin(), [](OLECHAR a, OLECHAR b) {
              auto lower = [](OLECHAR c) { return c >= OLECHAR('A') && c <= OLECHAR('Z') ? OLECHAR(c + 32) : c; };
              return lower(a) == lower(b);
            }))
          found = it;
      if (found == replacements.end()) throw SyntaxError{};
      out += found->second;
    }
    i = close;
  }
  return out;
}

// Words are separated by blanks; a lone { or } is a brace, while a word
// that starts with one (a GUID) is a name. 'Quoted texts' may hold blanks.
class Tokens {
 public:
  explicit Tokens(const OleString& text) {
    std::size_t i = 0;
    auto blank = [](OLECHAR c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
      if (blank(text[i])) {
        ++i;
        continue;
      }
      Token t;
      if (text[i] == OLECHAR('\'')) {
        t.quoted = true;
        ++i;
        while (true) {
          if (i >= text.size()) throw SyntaxError{};
          if (text[i] == OLECHAR('\'')) {
            if (i + 1 < text.size() && text[i + 1] == OLECHAR('\'')) {
              t.text += OLECHAR('\'');
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          t.text += text[i++];
        }
      } else if (text[i] == OLECHAR('=')) {
        t.text = text.substr(i++, 1);
      } else {
        std::size_t start = i;
        while (i < text.size() && !blank(text[i]) && text[i] != OLECHAR('=') && text[i] != OLECHAR('\'')) ++i;
        t.text = text.substr(start, i - start);
      }
      tokens_.push_back(std::move(t));
    }
  }

  bool AtEnd() const { return pos_ >= tokens_.size(); }
  bool Is(const char* word) const {
    if (AtEnd() || tokens_[pos_].quoted) return false;
    const OleString& t = tokens_[pos_].text;
    std::size_t n = 0;
    for (; word[n]; ++n) {
      if (n >= t.size()) return false;
      OLECHAR a = t[n], b = static_cast<OLECHAR>(word[n]);
      auto lower = [](OLECHAR c) { return c >= OLECHAR('A') && c <= OLECHAR('Z') ? OLECHAR(c + 32) : c; };
      if (lower(a) != lower(b)) return false;
    }
    return n == t.size();
  }
  OleString Next() {
    if (AtEnd()) throw SyntaxError{};
    return tokens_[pos_++].text;
  }
  void Expect(const char* word) {
    if (!Is(word)) throw SyntaxError{};
    ++pos_;
  }

 private:
  struct Token {
    OleString text;
    bool quoted = false;
  };
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

Value ReadValue(Tokens& t) {
  Value v;
  if (t.Is("s")) {
    t.Next();
    v.text = t.Next();
  } else if (t.Is("d")) {
    t.Next();
    OleString digits = t.Next();
    if (digits.empty()) throw SyntaxError{};
    unsigned long long n = 0;
    int base = 10;
    std::size_t i = 0;
    if (digits.size() > 2 && digits[0] == OLECHAR('0') && (digits[1] == OLECHAR('x') || digits[1] == OLECHAR('X'))) {
      base = 16;
      i = 2;
    }
    for (; i < digits.size(); ++i) {
      OLECHAR c = digits[i];
      int d = c >= OLECHAR('0') && c <= OLECHAR('9')   ? c - OLECHAR('0')
              : c >= OLECHAR('a') && c <= OLECHAR('f') ? c - OLECHAR('a') + 10
              : c >= OLECHAR('A') && c <= OLECHAR('F') ? c - OLECHAR('A') + 10
                                                       : 99;
      if (d >= base) throw SyntaxError{};
      n = n * static_cast<unsigned>(base) + static_cast<unsigned>(d);
      if (n > 0xFFFFFFFFull) throw SyntaxError{};
    }
    v.type = REG_DWORD;
    v.number = static_cast<DWORD>(n);
  } else {
    throw SyntaxError{};  // only strings and numbers are written by our scripts
  }
  return v;
}

std::vector<Node> ReadBody(Tokens& t);

Node ReadKey(Tokens& t) {
  Node n;
  if (t.Is("ForceRemove")) {
    t.Next();
    n.mark = Node::kForceRemove;
  } else if (t.Is("NoRemove")) {
    t.Next();
    n.mark = Node::kNoRemove;
  } else if (t.Is("Delete")) {
    t.Next();
    n.mark = Node::kDelete;
  }
  n.name = t.Next();
  if (n.name.empty() || n.name == OleString(1, OLECHAR('{')) || n.name == OleString(1, OLECHAR('}')))
    throw SyntaxError{};
  if (t.Is("=")) {
    t.Next();
    n.value = ReadValue(t);
  }
  if (t.Is("{")) {
    t.Next();
    n.children = ReadBody(t);
    t.Expect("}");
  }
  return n;
}

std::vector<Node> ReadBody(Tokens& t) {
  std::vector<Node> nodes;
  while (!t.AtEnd() && !t.Is("}")) {
    if (t.Is("val")) {
      t.Next();
      Node v;
      v.isNamedValue = true;
      v.name = t.Next();
      t.Expect("=");
      v.value = ReadValue(t);
      nodes.push_back(std::move(v));
    } else {
      nodes.push_back(ReadKey(t));
    }
  }
  return nodes;
}

HKEY RootKey(Tokens& t) {
  static const std::pair<const char*, HKEY> roots[] = {
      {"HKCR", HKEY_CLASSES_ROOT},         {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
      {"HKCU", HKEY_CURRENT_USER},         {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
      {"HKLM", HKEY_LOCAL_MACHINE},        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
      {"HKU", HKEY_USERS},                 {"HKEY_USERS", HKEY_USERS},
      {"HKCC", HKEY_CURRENT_CONFIG},       {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
  for (const auto& [name, key] : roots)
    if (t.Is(name)) {
      t.Next();
      return key;
    }
  throw SyntaxError{};
}

std::vector<Root> Parse(const OleString& text) {
  Tokens t(text);
  std::vector<Root> roots;
  while (!t.AtEnd()) {
    Root r;
    r.key = RootKey(t);
    t.Expect("{");
    r.keys = ReadBody(t);
    t.Expect("}");
    for (const Node& n : r.keys)
      if (n.isNamedValue) throw SyntaxError{};  // a root has no values of ours
    roots.push_back(std::move(r));
  }
  return roots;
}

HRESULT FromWin32(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<DWORD>(status)); }

LSTATUS SetValue(HKEY key, const OLECHAR* name, const Value& v) {
  if (v.type == REG_DWORD)
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.number), sizeof v.number);
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text.c_str()),
                        static_cast<DWORD>((v.text.size() + 1) * sizeof(OLECHAR)));
}

HRESULT Create(HKEY parent, const Node& n) {
  if (n.mark == Node::kDelete) {
    RegDeleteTreeW(parent, n.name.c_str());
    return S_OK;
  }
  if (n.mark == Node::kForceRemove) RegDeleteTreeW(parent, n.name.c_str());
  HKEY key;
  LSTATUS status = RegCreateKeyExW(parent, n.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return FromWin32(status);
  HRESULT hr = S_OK;
  if (n.value) {
    status = SetValue(key, nullptr, *n.value);
    if (status != ERROR_SUCCESS) hr = FromWin32(status);
  }
  for (const Node& child : n.children) {
    if (FAILED(hr)) break;
    if (child.isNamedValue) {
      status = SetValue(key, child.name.c_str(), *child.value);
      if (status != ERROR_SUCCESS) hr = FromWin32(status);
    } else {
      hr = Create(key, child);
    }
  }
  RegCloseKey(key);
  return hr;
}

bool HasSubkeys(HKEY key) {
  DWORD subkeys = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return true;
  return subkeys > 0;
}

void Remove(HKEY parent, const Node& n) {
  if (n.mark == Node::kDelete) return;
  if (n.mark == Node::kForceRemove) {
    RegDeleteTreeW(parent, n.name.c_str());
    return;
  }
  HKEY key;
  if (RegOpenKeyExW(parent, n.name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (const Node& child : n.children) {
    if (child.isNamedValue)
      RegDeleteValueW(key, child.name.c_str());
    else
      Remove(key, child);
  }
  bool keep = n.mark == Node::kNoRemove || HasSubkeys(key);
  RegCloseKey(key);
  if (!keep) RegDeleteKeyW(parent, n.name.c_str());
}

// The keys of HKEY_CLASSES_ROOT that each registry view has a copy of; the
// rest is shared by both word sizes.
bool IsPerViewClassesKey(HKEY root, const OleString& name) {
  if (root != HKEY_CLASSES_ROOT) return false;
  static const char* const kRedirected[] = {"CLSID", "Interface", "DirectShow", "Media Type", "MediaFoundation"};
  for (const char* redirected : kRedirected) {
    std::size_t n = std::char_traits<char>::length(redirected);
    if (name.size() == n && std::equal(name.begin(), name.end(), redirected, [](OLECHAR a, char b) {
          auto lower = [](OLECHAR c) { return c >= OLECHAR('A') && c <= OLECHAR('Z') ? OLECHAR(c + 32) : c; };
          return lower(a) == lower(static_cast<OLECHAR>(b));
        }))
      return true;
  }
  return false;
}

}  // namespace

HRESULT RunRegistrarScript(std::string_view script, const std::map<OleString, OleString>& replacements,
                           bool registering, Removal removal) {
  std::vector<Root> roots;
  try {
    roots = Parse(Replace(Widen(script), replacements));
  } catch (const SyntaxError&) {
    return DISP_E_EXCEPTION;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (const Root& r : roots)
    for (const Node& n : r.keys) {
      if (registering) {
        HRESULT hr = Create(r.key, n);
        if (FAILED(hr)) return hr;
      } else if (removal == Removal::kEverything || IsPerViewClassesKey(r.key, n.name)) {
        Remove(r.key, n);
      }
    }
  return S_OK;
}

HRESULT RunRegistrarResource(HMODULE module, UINT id, const OleString& modulePath, bool registering,
                             Removal removal) {
  static const OLECHAR type[] = {'R', 'E', 'G', 'I', 'S', 'T', 'R', 'Y', 0};
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return HRESULT_FROM_WIN32(GetLastError());
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return HRESULT_FROM_WIN32(GetLastError());
  std::string_view script(static_cast<const char*>(data), SizeofResource(module, found));
  // The path goes inside 'quoted' texts of the scripts: a quote in a folder
  // name is doubled, or the script would end the text there.
  OleString quoted;
  for (OLECHAR c : modulePath) {
    quoted += c;
    if (c == OLECHAR('\'')) quoted += c;
  }
  const OLECHAR moduleName[] = {'M', 'o', 'd', 'u', 'l', 'e', 0};
  return RunRegistrarScript(script, {{moduleName, quoted}}, registering, removal);
}

}  // namespace dovrel
