#include "tests/support/registry.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tests/support/text.h"

namespace testsupport {

TempRegistry::TempRegistry(std::string_view purpose) {
  std::string pattern = "/tmp/dovrel-" + std::string(purpose) + "-XXXXXX";
  // Without a folder every later registry call would write elsewhere: stop.
  if (!mkdtemp(pattern.data())) std::abort();
  dir_ = pattern;
  file_ = dir_ + "/registry.reg";
  setenv("DOVREL_REGISTRY", file_.c_str(), 1);
}

TempRegistry::~TempRegistry() {
  unsetenv("DOVREL_REGISTRY");
  std::error_code error;
  std::filesystem::remove_all(dir_, error);
  if (error) ADD_FAILURE() << "could not remove " << dir_ << ": " << error.message();
}

void RegisterProgId(REFCLSID clsid, std::u16string_view progId) {
  const std::u16string path = u"CLSID\\" + GuidText(clsid) + u"\\ProgID";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string value(progId);
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void RegisteredProgIds::SetUp() {
  registry_.emplace(purpose_);
  for (const Class& c : classes_) RegisterProgId(*c.clsid, c.progId);
}

std::string RegistryText(HKEY root, std::u16string path, const char16_t* value) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "(missing)";
  OLECHAR text[2048] = {};
  DWORD size = sizeof text - sizeof(OLECHAR), type = 0;
  LSTATUS status = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "(missing)";
  if (type == REG_DWORD) {
    DWORD number;
    std::memcpy(&number, text, sizeof number);
    return "dword:" + std::to_string(number);
  }
  return Utf8(text, std::char_traits<char16_t>::length(text));
}

bool KeyExists(HKEY root, std::u16string path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::u16string GuidText(REFGUID guid) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  return std::u16string(text, 38);
}

}  // namespace testsupport
