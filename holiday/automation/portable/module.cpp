// Modules and their resources. A module handle is the address at which the
// module's image is mapped (what dladdr reports as its base), so the handle
// of the library is the same whichever of its functions asks for it.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "automation/module_resources.h"
#include "automation/portable/internal.h"

using namespace automation;

namespace {

struct RegisteredTable {
  HMODULE module;
  const AutomationModuleResources* table;
};

// Module state is never destroyed: tables unregister from static destructors
// that may run after any destructor of ours would have.
std::mutex& ModulesMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::vector<RegisteredTable>& Tables() {
  static auto* tables = new std::vector<RegisteredTable>;
  return *tables;
}
// UTF-16 copies of strings handed out by LoadStringW in pointer mode; they
// live as long as the table is registered.
std::map<std::pair<const AutomationModuleResources*, UINT>, std::u16string>& WideStrings() {
  static auto* strings = new std::map<std::pair<const AutomationModuleResources*, UINT>, std::u16string>;
  return *strings;
}


// The main program's base: the start of its first loaded segment.
HMODULE ProgramModule() {
  static HMODULE program = [] {
    HMODULE found = nullptr;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
          ElfW(Addr) lowest = ~ElfW(Addr)(0);
          for (int i = 0; i < info->dlpi_phnum; ++i)
            if (info->dlpi_phdr[i].p_type == PT_LOAD) lowest = std::min(lowest, info->dlpi_phdr[i].p_vaddr);
          long page = sysconf(_SC_PAGESIZE);
          *static_cast<HMODULE*>(data) =
              reinterpret_cast<HMODULE>(info->dlpi_addr + (lowest & ~static_cast<ElfW(Addr)>(page - 1)));
          return 1;  // the first entry is the program
        },
        &found);
    return found;
  }();
  return program;
}

HMODULE Effective(HMODULE module) { return module ? module : ProgramModule(); }

std::string ProgramPath() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}


}  // namespace

namespace automation {

HMODULE ModuleOfAddress(const void* address) {
  Dl_info info;
  if (!dladdr(address, &info) || !info.dli_fbase) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

std::optional<std::string> ModulePath(HMODULE module) {
  module = Effective(module);
  if (module == ProgramModule()) return ProgramPath();
  Dl_info info;
  if (!dladdr(module, &info) || !info.dli_fname || info.dli_fbase != module) return std::nullopt;
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return std::string(resolved);
  return std::string(info.dli_fname);
}

}  // namespace automation

namespace {

std::vector<const AutomationModuleResources*> TablesOf(HMODULE module) {
  module = Effective(module);
  std::vector<const AutomationModuleResources*> found;
  std::lock_guard guard(ModulesMutex());
  for (const auto& t : Tables())
    if (t.module == module) found.push_back(t.table);
  return found;
}

const AutomationStringResource* FindString(HMODULE module, UINT id, const AutomationModuleResources** owner) {
  for (const auto* table : TablesOf(module)) {
    const AutomationStringResource* first = table->strings;
    const AutomationStringResource* last = first + table->stringCount;
    auto it = std::lower_bound(first, last, id, [](const AutomationStringResource& s, UINT v) { return s.id < v; });
    if (it != last && it->id == id) {
      if (owner) *owner = table;
      return it;
    }
  }
  return nullptr;
}

// Resource names and types: an integer in the pointer, "#123", or a name
// compared without regard to case.
bool Matches(LPCWSTR wanted, const char16_t* name, WORD id) {
  if (IS_INTRESOURCE(wanted)) return !name && id == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(wanted));
  if (wanted[0] == u'#') {
    unsigned value = 0;
    for (LPCWSTR p = wanted + 1; *p; ++p) {
      if (*p < u'0' || *p > u'9') return false;
      value = value * 10 + static_cast<unsigned>(*p - u'0');
    }
    return !name && id == value;
  }
  return name && EqualsIgnoringCase(wanted, name);
}

const AutomationResource* FindVersionResource(LPCWSTR fileName) {
  if (!fileName) return nullptr;
  char resolved[PATH_MAX];
  std::string wanted = common::Utf16ToUtf8Lossy(fileName);
  if (realpath(wanted.c_str(), resolved)) wanted = resolved;
  std::vector<RegisteredTable> tables;
  {
    std::lock_guard guard(ModulesMutex());
    tables = Tables();
  }
  for (const auto& t : tables) {
    auto path = ModulePath(t.module);
    if (!path || *path != wanted) continue;
    HRSRC found = FindResourceW(t.module, MAKEINTRESOURCEW(1), RT_VERSION);
    if (found) return reinterpret_cast<const AutomationResource*>(found);
  }
  return nullptr;
}

// One node of a version block: length, value length, type (1 = text), key,
// then the value and the children, each aligned to 32 bits.
struct VersionNode {
  const BYTE* start = nullptr;
  WORD length = 0;
  WORD valueLength = 0;
  WORD type = 0;
  std::u16string key;
  const BYTE* value = nullptr;
  const BYTE* children = nullptr;
};

WORD Read16(const BYTE* p) {
  WORD v;
  std::memcpy(&v, p, 2);
  return v;
}

const BYTE* Align4(const BYTE* p, const BYTE* base) {
  return base + ((static_cast<std::size_t>(p - base) + 3) & ~std::size_t{3});
}

std::optional<VersionNode> ReadNode(const BYTE* p, const BYTE* base, const BYTE* limit) {
  if (limit - p < 6) return std::nullopt;
  VersionNode node;
  node.start = p;
  node.length = Read16(p);
  node.valueLength = Read16(p + 2);
  node.type = Read16(p + 4);
  if (node.length < 6 || p + node.length > limit) return std::nullopt;
  const BYTE* end = p + node.length;
  const BYTE* k = p + 6;
  for (; k + 2 <= end && Read16(k); k += 2) node.key += static_cast<char16_t>(Read16(k));
  if (k + 2 > end) return std::nullopt;
  node.value = Align4(k + 2, base);
  std::size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
  if (node.value + valueBytes > end) return std::nullopt;
  node.children = Align4(node.value + valueBytes, base);
  return node;
}

}  // namespace

EXTERN_C void AutomationRegisterModuleResources(const AutomationModuleResources* table) {
  if (!table) return;
  HMODULE module = ModuleOfAddress(table);
  std::lock_guard guard(ModulesMutex());
  Tables().push_back({module, table});
}

EXTERN_C void AutomationUnregisterModuleResources(const AutomationModuleResources* table) {
  std::lock_guard guard(ModulesMutex());
  auto& tables = Tables();
  for (auto it = tables.begin(); it != tables.end();) it = it->table == table ? tables.erase(it) : it + 1;
  auto& strings = WideStrings();
  for (auto it = strings.begin(); it != strings.end();) it = it->first.first == table ? strings.erase(it) : std::next(it);
}

STDAPI_(HMODULE) GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) return ProgramModule();
  struct Search {
    std::string name;
    HMODULE found = nullptr;
  } search{common::Utf16ToUtf8Lossy(lpModuleName)};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        std::string path = info->dlpi_name ? info->dlpi_name : "";
        std::string base = path.substr(path.find_last_of('/') + 1);
        if (!base.empty() && (base == s->name || path == s->name)) {
          Dl_info dl;
          if (dladdr(reinterpret_cast<void*>(info->dlpi_addr + info->dlpi_phdr[0].p_vaddr), &dl))
            s->found = static_cast<HMODULE>(dl.dli_fbase);
          return 1;
        }
        return 0;
      },
      &search);
  if (!search.found) SetLastError(ERROR_MOD_NOT_FOUND);
  return search.found;
}

STDAPI_(BOOL) GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
  if (!phModule) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)
                  ? ModuleOfAddress(reinterpret_cast<const void*>(lpModuleName))
                  : GetModuleHandleW(lpModuleName);
  if (!*phModule) SetLastError(ERROR_MOD_NOT_FOUND);
  return *phModule ? TRUE : FALSE;
}

// Copies the path; a path that does not fit is cut, still null-terminated,
// and reported with ERROR_INSUFFICIENT_BUFFER and the buffer size.
STDAPI_(DWORD) GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  auto path = ModulePath(hModule);
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::u16string wide = common::Utf8ToUtf16(*path);
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (wide.size() >= nSize) {
    std::memcpy(lpFilename, wide.data(), (nSize - 1) * sizeof(char16_t));
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, wide.data(), wide.size() * sizeof(char16_t));
  lpFilename[wide.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(wide.size());
}

STDAPI_(DWORD) GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::u16string wide(PATH_MAX, u'\0');
  DWORD n = GetModuleFileNameW(hModule, wide.data(), static_cast<DWORD>(wide.size()));
  if (!n) return 0;
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(n), narrow.data(), bytes, nullptr, nullptr);
  if (!lpFilename || nSize == 0) return 0;
  std::size_t copied = std::min<std::size_t>(narrow.size(), nSize - 1);
  std::memcpy(lpFilename, narrow.data(), copied);
  lpFilename[copied] = 0;
  if (narrow.size() >= nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  return static_cast<DWORD>(copied);
}

// With a buffer size of 0 the buffer receives a read-only pointer to the
// text (not null-terminated) and the result is its length, as the platform
// does; otherwise the text is copied, cut to fit, and null-terminated.
STDAPI_(int) LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer) return 0;
  const AutomationModuleResources* owner = nullptr;
  const AutomationStringResource* entry = FindString(hInstance, uID, &owner);
  if (!entry) {
    if (cchBufferMax > 0) lpBuffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  std::lock_guard guard(ModulesMutex());
  auto& cached = WideStrings()[{owner, uID}];
  if (cached.empty()) cached = common::cp932::Decode(std::string_view(entry->text, entry->length));
  if (cchBufferMax == 0) {
    const OLECHAR* text = cached.c_str();
    std::memcpy(lpBuffer, &text, sizeof text);
    return static_cast<int>(cached.size());
  }
  if (cchBufferMax < 0) return 0;
  std::size_t n = std::min<std::size_t>(cached.size(), static_cast<std::size_t>(cchBufferMax - 1));
  std::memcpy(lpBuffer, cached.data(), n * sizeof(char16_t));
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

// The code page 932 bytes as stored, cut to fit without splitting a
// double-byte character, and null-terminated.
STDAPI_(int) LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  const AutomationStringResource* entry = FindString(hInstance, uID, nullptr);
  if (!entry) {
    lpBuffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  std::size_t n = 0, limit = static_cast<std::size_t>(cchBufferMax - 1);
  while (n < entry->length) {
    auto lead = static_cast<unsigned char>(entry->text[n]);
    std::size_t width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
    if (n + width > limit || n + width > entry->length) break;
    n += width;
  }
  std::memcpy(lpBuffer, entry->text, n);
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

STDAPI_(HRSRC) FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  if (!lpName || !lpType) return nullptr;
  bool typeSeen = false;
  for (const auto* table : TablesOf(hModule)) {
    for (UINT i = 0; i < table->resourceCount; ++i) {
      const AutomationResource& r = table->resources[i];
      if (!Matches(lpType, r.type, r.typeId)) continue;
      typeSeen = true;
      if (Matches(lpName, r.name, r.nameId)) return reinterpret_cast<HRSRC>(const_cast<AutomationResource*>(&r));
    }
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

STDAPI_(HGLOBAL) LoadResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) return nullptr;
  return const_cast<BYTE*>(reinterpret_cast<const AutomationResource*>(hResInfo)->data);
}

STDAPI_(LPVOID) LockResource(HGLOBAL hResData) { return hResData; }

STDAPI_(DWORD) SizeofResource(HMODULE, HRSRC hResInfo) {
  return hResInfo ? reinterpret_cast<const AutomationResource*>(hResInfo)->size : 0;
}

STDAPI_(BOOL) FreeResource(HGLOBAL) { return FALSE; }

// Version information of a loaded module that carries a version resource,
// found by its file name (the platform reads it from any file; here the
// module must be loaded).
STDAPI_(DWORD) GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle) *lpdwHandle = 0;
  const AutomationResource* version = FindVersionResource(lptstrFilename);
  if (!version) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
  }
  return version->size;
}

STDAPI_(BOOL) GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  const AutomationResource* version = FindVersionResource(lptstrFilename);
  if (!version || !lpData) {
    SetLastError(version ? ERROR_INVALID_PARAMETER : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  std::memcpy(lpData, version->data, std::min(dwLen, version->size));
  return TRUE;
}

// "\" gives the VS_FIXEDFILEINFO; "\StringFileInfo\041104B0\FileVersion"
// and "\VarFileInfo\Translation" walk the block by keys (any case).
STDAPI_(BOOL) VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return FALSE;
  const BYTE* base = static_cast<const BYTE*>(pBlock);
  auto root = ReadNode(base, base, base + Read16(base));
  if (!root) return FALSE;
  VersionNode node = *root;
  std::u16string_view path(lpSubBlock);
  while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
  while (!path.empty()) {
    std::size_t slash = path.find(u'\\');
    std::u16string_view part = path.substr(0, slash);
    path = slash == path.npos ? std::u16string_view() : path.substr(slash + 1);
    if (part.empty()) continue;
    const BYTE* end = node.start + node.length;
    const BYTE* p = node.children;
    std::optional<VersionNode> found;
    while (p + 6 <= end) {
      auto child = ReadNode(p, base, end);
      if (!child) break;
      if (EqualsIgnoringCase(child->key, part)) {
        found = child;
        break;
      }
      p = Align4(p + child->length, base);
    }
    if (!found) return FALSE;
    node = *found;
  }
  *lplpBuffer = const_cast<BYTE*>(node.value);
  *puLen = node.valueLength;
  return TRUE;
}

// Loading modules. dlopen counts its own references, so LoadLibraryW and
// FreeLibrary only translate between its handles and the image base that
// serves as HMODULE here.
STDAPI_(HMODULE) LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* handle = dlopen(common::Utf16ToUtf8Lossy(lpLibFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  link_map* map = nullptr;
  HMODULE module = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map) module = ModuleOfAddress(map->l_ld);
  if (!module) {
    dlclose(handle);
    SetLastError(ERROR_MOD_NOT_FOUND);
  }
  return module;
}

namespace {

// The dlopen handle of a loaded module, with a reference the caller drops.
void* HandleOf(HMODULE module) {
  auto path = ModulePath(module);
  if (!path) return nullptr;
  return Effective(module) == ProgramModule() ? dlopen(nullptr, RTLD_LAZY) : dlopen(path->c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

}  // namespace

STDAPI_(FARPROC) GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  void* handle = lpProcName ? HandleOf(hModule) : nullptr;
  if (!handle) {
    SetLastError(lpProcName ? ERROR_MOD_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* symbol = dlsym(handle, lpProcName);
  dlclose(handle);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  FARPROC proc;
  static_assert(sizeof proc == sizeof symbol);
  std::memcpy(&proc, &symbol, sizeof proc);
  return proc;
}

STDAPI_(BOOL) FreeLibrary(HMODULE hLibModule) {
  if (!hLibModule || Effective(hLibModule) == ProgramModule()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  void* handle = HandleOf(hLibModule);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  dlclose(handle);  // the reference HandleOf took
  dlclose(handle);  // the reference LoadLibraryW took
  return TRUE;
}
