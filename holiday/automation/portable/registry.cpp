// The registry of this platform: the tree of keys and values that
// registration writes and ProgIDFromCLSID reads, kept in one UTF-8 text file
// in the layout of a .reg export.
//
// Where the file lives: $DOVREL_REGISTRY when set, otherwise
// $XDG_DATA_HOME/dovrel60/registry.reg, otherwise
// ~/.local/share/dovrel60/registry.reg. The variable is read at every call,
// so a host (or a test) can point it elsewhere at any time.
//
// Several processes may write at once. Every change takes an exclusive lock
// on "<file>.lock", reads the current file, applies the change, writes a
// temporary file beside it and renames it over the old one: a reader, which
// takes no lock, always sees the old or the new file whole, and no writer
// loses another's change. A file that cannot be parsed is never overwritten.
//
// HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes, as on a machine
// whose registrations are made for all users.
// The layer first: <fcntl.h> defines a LOCK_WRITE macro that would clash
// with the stream lock types.
#include "automation/portable/internal.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>


using namespace automation;

namespace {

struct CaseLess {
  bool operator()(const std::u16string& a, const std::u16string& b) const { return CompareIgnoringCase(a, b) < 0; }
};

struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::u16string name;
  std::vector<Value> values;  // in the order of creation, as the platform enumerates them
  std::map<std::u16string, std::unique_ptr<Key>, CaseLess> subkeys;

  Key* Child(std::u16string_view childName) const {
    auto it = subkeys.find(std::u16string(childName));
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  Value* FindValue(std::u16string_view valueName) {
    for (auto& v : values)
      if (EqualsIgnoringCase(v.name, valueName)) return &v;
    return nullptr;
  }
  std::unique_ptr<Key> Clone() const {
    auto copy = std::make_unique<Key>();
    copy->name = name;
    copy->values = values;
    for (const auto& [n, k] : subkeys) copy->subkeys.emplace(n, k->Clone());
    return copy;
  }
};

using Path = std::vector<std::u16string>;

const char16_t* const kRootNames[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_USERS",
                                      u"HKEY_CURRENT_CONFIG"};

// An open key: where it is, and what it was opened for.
struct OpenKey {
  Path path;
  REGSAM access = 0;
  bool predefined = false;  // a root: it exists even while nothing is stored below it
};

// ---------------------------------------------------------------------------
// The file.

std::string RegistryFile() {
  if (const char* path = std::getenv("DOVREL_REGISTRY"); path && *path) return path;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    return std::string(data) + "/dovrel60/registry.reg";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    struct passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : "/tmp";
  }
  return std::string(home) + "/.local/share/dovrel60/registry.reg";
}

void MakeParentDirectories(const std::string& file) {
  for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1))
    mkdir(file.substr(0, slash).c_str(), 0700);
}

bool IsPlainText(const Value& v, std::u16string& text) {
  if (v.type != REG_SZ || v.data.size() < 2 || v.data.size() % 2) return false;
  text.assign(v.data.size() / 2, u'\0');
  std::memcpy(text.data(), v.data.data(), v.data.size());
  if (text.back() != 0) return false;
  text.pop_back();
  for (char16_t c : text)
    if (c < 0x20 || (c >= 0xD800 && c < 0xE000)) return false;
  return true;
}

std::string Quote(std::u16string_view text) {
  std::string out = "\"";
  for (char c : common::Utf16ToUtf8Lossy(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void WriteKey(std::ostringstream& out, const Key& key, const std::string& path) {
  out << '[' << path << "]\n";
  for (const auto& v : key.values) {
    out << (v.name.empty() ? std::string("@") : Quote(v.name)) << '=';
    std::u16string text;
    char hex[16];
    if (IsPlainText(v, text)) {
      out << Quote(text);
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
      DWORD d;
      std::memcpy(&d, v.data.data(), 4);
      std::snprintf(hex, sizeof hex, "dword:%08x", d);
      out << hex;
    } else {
      if (v.type == REG_BINARY) {
        out << "hex:";
      } else {
        std::snprintf(hex, sizeof hex, "hex(%x):", v.type);
        out << hex;
      }
      for (std::size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", v.data[i]);
        out << hex;
      }
    }
    out << '\n';
  }
  out << '\n';
  for (const auto& [name, child] : key.subkeys) WriteKey(out, *child, path + "\\" + common::Utf16ToUtf8Lossy(child->name));
}

std::string Serialise(const Key& tree) {
  std::ostringstream out;
  out << "; dovrel60 registry (UTF-8)\n\n";
  for (const auto& [name, root] : tree.subkeys)
    for (const auto& [childName, child] : root->subkeys)
      WriteKey(out, *child, common::Utf16ToUtf8Lossy(root->name) + "\\" + common::Utf16ToUtf8Lossy(child->name));
  return out.str();
}

std::unique_ptr<Key> EmptyTree() {
  auto tree = std::make_unique<Key>();
  for (auto* name : kRootNames) {
    auto root = std::make_unique<Key>();
    root->name = name;
    tree->subkeys.emplace(name, std::move(root));
  }
  return tree;
}

// Reads a quoted text at pos; pos ends after the closing quote.
std::optional<std::u16string> ReadQuoted(const std::string& line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string text;
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      text += line[++pos];
    } else if (line[pos] == '"') {
      ++pos;
      return common::Utf8ToUtf16(text);
    } else {
      text += line[pos];
    }
  }
  return std::nullopt;
}

bool ParseValueData(const std::string& data, Value& v) {
  std::size_t pos = 0;
  if (!data.empty() && data[0] == '"') {
    auto text = ReadQuoted(data, pos);
    if (!text || pos != data.size()) return false;
    v.type = REG_SZ;
    v.data.resize((text->size() + 1) * 2);
    std::memcpy(v.data.data(), text->c_str(), v.data.size());
    return true;
  }
  if (data.rfind("dword:", 0) == 0 && data.size() == 14) {
    char* end;
    unsigned long d = std::strtoul(data.c_str() + 6, &end, 16);
    if (*end) return false;
    DWORD value = static_cast<DWORD>(d);
    v.type = REG_DWORD;
    v.data.resize(4);
    std::memcpy(v.data.data(), &value, 4);
    return true;
  }
  std::string bytes;
  if (data.rfind("hex:", 0) == 0) {
    v.type = REG_BINARY;
    bytes = data.substr(4);
  } else if (data.rfind("hex(", 0) == 0) {
    auto close = data.find("):");
    if (close == std::string::npos) return false;
    char* end;
    v.type = static_cast<DWORD>(std::strtoul(data.c_str() + 4, &end, 16));
    if (end != data.c_str() + close) return false;
    bytes = data.substr(close + 2);
  } else {
    return false;
  }
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    if (i + 2 > bytes.size() || (i + 2 < bytes.size() && bytes[i + 2] != ',')) return false;
    char* end;
    std::string pair = bytes.substr(i, 2);
    v.data.push_back(static_cast<BYTE>(std::strtoul(pair.c_str(), &end, 16)));
    if (*end) return false;
  }
  return true;
}

Path SplitKeyLine(const std::string& inner) {
  Path path;
  std::size_t start = 0;
  while (true) {
    std::size_t slash = inner.find('\\', start);
    path.push_back(common::Utf8ToUtf16(inner.substr(start, slash == std::string::npos ? std::string::npos : slash - start)));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return path;
}

Key* CreatePath(Key& tree, const Path& path) {
  Key* key = &tree;
  for (const auto& part : path) {
    Key* child = key->Child(part);
    if (!child) {
      auto fresh = std::make_unique<Key>();
      fresh->name = part;
      child = fresh.get();
      key->subkeys.emplace(part, std::move(fresh));
    }
    key = child;
  }
  return key;
}

std::unique_ptr<Key> Parse(const std::string& content) {
  auto tree = EmptyTree();
  std::istringstream in(content);
  std::string line;
  Key* current = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return nullptr;
      Path path = SplitKeyLine(line.substr(1, line.size() - 2));
      if (path.size() < 2 || !tree->Child(path[0])) return nullptr;
      for (const auto& part : path)
        if (part.empty()) return nullptr;
      current = CreatePath(*tree, path);
      continue;
    }
    if (!current) return nullptr;
    Value v;
    std::size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else {
      auto name = ReadQuoted(line, pos);
      if (!name || name->empty()) return nullptr;
      v.name = *name;
    }
    if (pos >= line.size() || line[pos] != '=' || !ParseValueData(line.substr(pos + 1), v)) return nullptr;
    if (Value* existing = current->FindValue(v.name))
      *existing = std::move(v);
    else
      current->values.push_back(std::move(v));
  }
  return tree;
}

// ---------------------------------------------------------------------------
// Snapshots and transactions.

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  long long modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The process's registry state. Never destroyed, so that static
// destructors of a host may still use the registry.
struct State {
  std::mutex mutex;  // guards everything below
  std::string cachedFile;
  FileIdentity cachedIdentity;
  std::shared_ptr<const Key> cachedTree;
  std::set<OpenKey*> liveHandles;
};
State& TheState() {
  static auto* state = new State;
  return *state;
}

enum class LoadResult { ok, corrupt, unreadable };

LoadResult LoadFile(const std::string& file, std::shared_ptr<const Key>& tree) {
  struct stat st;
  if (stat(file.c_str(), &st) != 0) {
    if (errno != ENOENT) return LoadResult::unreadable;
    tree = EmptyTree();
    TheState().cachedFile.clear();
    return LoadResult::ok;
  }
  FileIdentity id{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
  if (TheState().cachedTree && TheState().cachedFile == file && TheState().cachedIdentity == id) {
    tree = TheState().cachedTree;
    return LoadResult::ok;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return LoadResult::unreadable;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::unique_ptr<Key> parsed = Parse(content);
  if (!parsed) return LoadResult::corrupt;
  TheState().cachedTree = std::shared_ptr<const Key>(std::move(parsed));
  TheState().cachedFile = file;
  TheState().cachedIdentity = id;
  tree = TheState().cachedTree;
  return LoadResult::ok;
}

LSTATUS StatusOf(LoadResult r) { return r == LoadResult::corrupt ? ERROR_REGISTRY_CORRUPT : ERROR_CANTREAD; }

// Runs a read-only look at the current tree.
template <typename F>
LSTATUS Read(F&& look) {
  std::lock_guard guard(TheState().mutex);
  std::shared_ptr<const Key> tree;
  LoadResult r = LoadFile(RegistryFile(), tree);
  if (r != LoadResult::ok) return StatusOf(r);
  return look(*tree);
}

bool WriteWhole(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return fsync(fd) == 0;
}

// Runs a change under the file lock on a private copy of the tree; the copy
// replaces the file only when the change succeeded and altered something.
template <typename F>
LSTATUS Write(F&& change) {
  std::lock_guard guard(TheState().mutex);
  std::string file = RegistryFile();
  MakeParentDirectories(file);
  int lockFd = open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0) return ERROR_CANTWRITE;
  while (flock(lockFd, LOCK_EX) != 0)
    if (errno != EINTR) {
      close(lockFd);
      return ERROR_CANTWRITE;
    }
  TheState().cachedTree.reset();  // another process may have written within the same clock tick
  std::shared_ptr<const Key> current;
  LoadResult r = LoadFile(file, current);
  LSTATUS status;
  if (r != LoadResult::ok) {
    status = StatusOf(r);
  } else {
    std::unique_ptr<Key> tree = current->Clone();
    bool changed = false;
    status = change(*tree, changed);
    if (status == ERROR_SUCCESS && changed) {
      std::string temp = file + ".tmp." + std::to_string(getpid());
      int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      bool written = fd >= 0 && WriteWhole(fd, Serialise(*tree));
      if (fd >= 0) close(fd);
      if (!written || rename(temp.c_str(), file.c_str()) != 0) {
        unlink(temp.c_str());
        status = ERROR_CANTWRITE;
      }
      TheState().cachedTree.reset();
    }
  }
  flock(lockFd, LOCK_UN);
  close(lockFd);
  return status;
}

// ---------------------------------------------------------------------------
// Handles and paths.

std::optional<OpenKey> Predefined(HKEY hKey) {
  if (hKey == HKEY_CLASSES_ROOT) return OpenKey{{u"HKEY_LOCAL_MACHINE", u"SOFTWARE", u"Classes"}, KEY_ALL_ACCESS, true};
  if (hKey == HKEY_LOCAL_MACHINE) return OpenKey{{u"HKEY_LOCAL_MACHINE"}, KEY_ALL_ACCESS, true};
  if (hKey == HKEY_CURRENT_USER) return OpenKey{{u"HKEY_CURRENT_USER"}, KEY_ALL_ACCESS, true};
  if (hKey == HKEY_USERS) return OpenKey{{u"HKEY_USERS"}, KEY_ALL_ACCESS, true};
  if (hKey == HKEY_CURRENT_CONFIG) return OpenKey{{u"HKEY_CURRENT_CONFIG"}, KEY_ALL_ACCESS, true};
  return std::nullopt;
}

std::optional<OpenKey> Resolve(HKEY hKey) {
  if (auto root = Predefined(hKey)) return root;
  std::lock_guard guard(TheState().mutex);
  auto* handle = reinterpret_cast<OpenKey*>(hKey);
  if (!TheState().liveHandles.count(handle)) return std::nullopt;
  return *handle;
}

// Splits a subkey path at its backslashes. Empty parts (a leading or doubled
// backslash) are refused; one trailing backslash is tolerated.
std::optional<Path> SplitSubKey(LPCWSTR subKey) {
  Path parts;
  if (!subKey || !*subKey) return parts;
  std::u16string_view text(subKey);
  if (text.back() == u'\\') text.remove_suffix(1);
  std::size_t start = 0;
  while (true) {
    std::size_t slash = text.find(u'\\', start);
    std::u16string_view part = text.substr(start, slash == std::u16string_view::npos ? text.npos : slash - start);
    if (part.empty() || part.size() > 255) return std::nullopt;
    for (char16_t c : part)
      if (c < 0x20) return std::nullopt;
    parts.emplace_back(part);
    if (slash == std::u16string_view::npos) break;
    start = slash + 1;
  }
  return parts;
}

const Key* Find(const Key& tree, const Path& path) {
  const Key* key = &tree;
  for (const auto& part : path)
    if (!(key = key->Child(part))) return nullptr;
  return key;
}

Key* FindMutable(Key& tree, const Path& path) { return const_cast<Key*>(Find(tree, path)); }

// The key an open handle stands for; a predefined root that holds nothing
// yet reads as an empty key.
const Key* KeyOf(const Key& tree, const OpenKey& open) {
  if (const Key* key = Find(tree, open.path)) return key;
  if (open.predefined) {
    static const Key empty;
    return &empty;
  }
  return nullptr;
}

HKEY NewHandle(Path path, REGSAM access) {
  auto* handle = new (std::nothrow) OpenKey{std::move(path), access, false};
  if (!handle) return nullptr;
  std::lock_guard guard(TheState().mutex);
  TheState().liveHandles.insert(handle);
  return reinterpret_cast<HKEY>(handle);
}

Path Join(const Path& base, const Path& more) {
  Path all = base;
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

std::u16string ValueName(LPCWSTR name) { return name ? std::u16string(name) : std::u16string(); }

}  // namespace

STDAPI_(LSTATUS) RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                                 LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  auto base = Resolve(hKey);
  if (!base) return ERROR_INVALID_HANDLE;
  if (lpSubKey && *lpSubKey == u'\\') return ERROR_BAD_PATHNAME;
  auto parts = SplitSubKey(lpSubKey);
  if (!parts) return ERROR_INVALID_PARAMETER;
  Path path = Join(base->path, *parts);
  bool created = false;
  LSTATUS status = Read([&](const Key& tree) -> LSTATUS {
    if (!KeyOf(tree, *base)) return ERROR_KEY_DELETED;
    return Find(tree, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (status == ERROR_FILE_NOT_FOUND) {
    status = Write([&](Key& tree, bool& changed) -> LSTATUS {
      if (!base->predefined && !Find(tree, base->path)) return ERROR_KEY_DELETED;
      if (!Find(tree, path)) {
        CreatePath(tree, path);
        changed = created = true;
      }
      return ERROR_SUCCESS;
    });
  }
  if (status != ERROR_SUCCESS) return status;
  *phkResult = NewHandle(path, samDesired);
  if (!*phkResult) return ERROR_OUTOFMEMORY;
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

STDAPI_(LSTATUS) RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  auto base = Resolve(hKey);
  if (!base) return ERROR_INVALID_HANDLE;
  auto parts = SplitSubKey(lpSubKey);
  if (!parts || (lpSubKey && *lpSubKey == u'\\')) return ERROR_FILE_NOT_FOUND;
  Path path = Join(base->path, *parts);
  LSTATUS status = Read([&](const Key& tree) -> LSTATUS {
    if (!KeyOf(tree, *base)) return ERROR_KEY_DELETED;
    if (parts->empty()) return ERROR_SUCCESS;
    return Find(tree, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (status != ERROR_SUCCESS) return status;
  *phkResult = NewHandle(path, samDesired);
  if (!*phkResult) return ERROR_OUTOFMEMORY;
  if (base->predefined && parts->empty()) reinterpret_cast<OpenKey*>(*phkResult)->predefined = true;
  return ERROR_SUCCESS;
}

STDAPI_(LSTATUS) RegCloseKey(HKEY hKey) {
  if (Predefined(hKey)) return ERROR_SUCCESS;
  std::lock_guard guard(TheState().mutex);
  auto* handle = reinterpret_cast<OpenKey*>(hKey);
  if (!TheState().liveHandles.erase(handle)) return ERROR_INVALID_HANDLE;
  delete handle;
  return ERROR_SUCCESS;
}

STDAPI_(LSTATUS) RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                                DWORD cbData) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::u16string name = ValueName(lpValueName);
  for (char16_t c : name)
    if (c < 0x20) return ERROR_INVALID_PARAMETER;
  return Write([&](Key& tree, bool& changed) -> LSTATUS {
    Key* key = FindMutable(tree, open->path);
    if (!key && open->predefined) key = CreatePath(tree, open->path);
    if (!key) return ERROR_KEY_DELETED;
    Value fresh{name, dwType, std::vector<BYTE>(lpData, lpData + cbData)};
    if (Value* existing = key->FindValue(name)) {
      fresh.name = existing->name;
      *existing = std::move(fresh);
    } else {
      key->values.push_back(std::move(fresh));
    }
    changed = true;
    return ERROR_SUCCESS;
  });
}

STDAPI_(LSTATUS) RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                  LPDWORD lpcbData) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  std::u16string name = ValueName(lpValueName);
  return Read([&](const Key& tree) -> LSTATUS {
    const Key* key = KeyOf(tree, *open);
    if (!key) return ERROR_KEY_DELETED;
    const Value* value = const_cast<Key*>(key)->FindValue(name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (lpType) *lpType = value->type;
    if (!lpcbData) return ERROR_SUCCESS;
    DWORD size = static_cast<DWORD>(value->data.size());
    if (lpData && *lpcbData < size) {
      *lpcbData = size;
      return ERROR_MORE_DATA;
    }
    if (lpData && size) std::memcpy(lpData, value->data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
  });
}

STDAPI_(LSTATUS) RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string name = ValueName(lpValueName);
  return Write([&](Key& tree, bool& changed) -> LSTATUS {
    Key* key = FindMutable(tree, open->path);
    if (!key) return open->predefined ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
      if (EqualsIgnoringCase(it->name, name)) {
        key->values.erase(it);
        changed = true;
        return ERROR_SUCCESS;
      }
    }
    return ERROR_FILE_NOT_FOUND;
  });
}

namespace {

// Removes the key at path (with or without what lies below it).
LSTATUS DeleteKey(HKEY hKey, LPCWSTR lpSubKey, bool wholeTree) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  auto parts = SplitSubKey(lpSubKey);
  if (!parts) return ERROR_FILE_NOT_FOUND;
  Path path = Join(open->path, *parts);
  if (path.size() <= 1 || (open->predefined && parts->empty())) return ERROR_ACCESS_DENIED;  // a root stays
  return Write([&](Key& tree, bool& changed) -> LSTATUS {
    Key* parent = FindMutable(tree, Path(path.begin(), path.end() - 1));
    Key* key = parent ? parent->Child(path.back()) : nullptr;
    if (!key) return parts->empty() ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    if (!wholeTree && !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
    parent->subkeys.erase(path.back());
    changed = true;
    return ERROR_SUCCESS;
  });
}

}  // namespace

STDAPI_(LSTATUS) RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return DeleteKey(hKey, lpSubKey, false);
}

// With a subkey, removes it and everything below it; without one, empties
// the open key of its values and subkeys and keeps the key itself.
STDAPI_(LSTATUS) RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
  if (lpSubKey && *lpSubKey) return DeleteKey(hKey, lpSubKey, true);
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  return Write([&](Key& tree, bool& changed) -> LSTATUS {
    Key* key = FindMutable(tree, open->path);
    if (!key) return open->predefined ? ERROR_SUCCESS : ERROR_KEY_DELETED;
    changed = !key->values.empty() || !key->subkeys.empty();
    key->values.clear();
    key->subkeys.clear();
    return ERROR_SUCCESS;
  });
}

namespace {

LSTATUS CopyName(std::u16string_view name, LPWSTR buffer, LPDWORD cch) {
  if (!buffer || !cch) return ERROR_INVALID_PARAMETER;
  if (*cch <= name.size()) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.data(), name.size() * sizeof(char16_t));
  buffer[name.size()] = 0;
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

STDAPI_(LSTATUS) RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                               LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  return Read([&](const Key& tree) -> LSTATUS {
    const Key* key = KeyOf(tree, *open);
    if (!key) return ERROR_KEY_DELETED;
    if (dwIndex >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    auto it = key->subkeys.begin();
    std::advance(it, dwIndex);
    LSTATUS status = CopyName(it->second->name, lpName, lpcchName);
    if (status != ERROR_SUCCESS) return status;
    if (lpClass && lpcchClass && *lpcchClass) {
      lpClass[0] = 0;
      *lpcchClass = 0;
    }
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

STDAPI_(LSTATUS) RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                               LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return Read([&](const Key& tree) -> LSTATUS {
    const Key* key = KeyOf(tree, *open);
    if (!key) return ERROR_KEY_DELETED;
    if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = key->values[dwIndex];
    LSTATUS status = CopyName(value.name, lpValueName, lpcchValueName);
    if (status != ERROR_SUCCESS) return status;
    if (lpType) *lpType = value.type;
    if (lpcbData) {
      DWORD size = static_cast<DWORD>(value.data.size());
      if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
      }
      if (lpData && size) std::memcpy(lpData, value.data.data(), size);
      *lpcbData = size;
    }
    return ERROR_SUCCESS;
  });
}

STDAPI_(LSTATUS) RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                                  LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                  LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                  LPDWORD lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
  auto open = Resolve(hKey);
  if (!open) return ERROR_INVALID_HANDLE;
  return Read([&](const Key& tree) -> LSTATUS {
    const Key* key = KeyOf(tree, *open);
    if (!key) return ERROR_KEY_DELETED;
    DWORD maxSubKey = 0, maxValueName = 0, maxValue = 0;
    for (const auto& [name, child] : key->subkeys) maxSubKey = std::max(maxSubKey, DWORD(child->name.size()));
    for (const auto& v : key->values) {
      maxValueName = std::max(maxValueName, DWORD(v.name.size()));
      maxValue = std::max(maxValue, DWORD(v.data.size()));
    }
    if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;
    if (lpcchClass) *lpcchClass = 0;
    if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->subkeys.size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxValueName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = maxValue;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}
