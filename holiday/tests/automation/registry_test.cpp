// The registry of this platform: keys, values, removal, case, persistence
// across processes and concurrent writers.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/automation/test_support.h"

using testing_support::Narrow;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    file_ = dir_ + "/sub/registry.reg";
    setenv("DOVREL_REGISTRY", file_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("DOVREL_REGISTRY");
    std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  static LSTATUS SetText(HKEY root, const char16_t* path, const char16_t* name, std::u16string_view text) {
    HKEY key;
    LSTATUS status = RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    std::u16string data(text);
    status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * 2));
    RegCloseKey(key);
    return status;
  }

  static std::optional<std::u16string> GetText(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char16_t buffer[256] = {0};
    DWORD size = sizeof buffer, type = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::u16string(buffer);
  }

  std::string dir_, file_;
};

TEST_F(RegistryTest, CreateSetQueryAndTheDefaultValue) {
  HKEY key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Qor.Dovrel6.6\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  const char16_t text[] = u"{4E451F8E-7EFE-4EB8-BF93-D3876D228518}";
  ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  DWORD number = 0x1234;
  ASSERT_EQ(RegSetValueExW(key, u"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof text);
  char16_t small[4];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text) << "the size needed";
  DWORD read = 0;
  size = 4;
  ASSERT_EQ(RegQueryValueExW(key, u"NUMBER", nullptr, &type, reinterpret_cast<LPBYTE>(&read), &size), ERROR_SUCCESS);
  EXPECT_EQ(read, 0x1234u) << "value names ignore case";
  EXPECT_EQ(RegQueryValueExW(key, u"missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);

  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"qor.dovrel6.6", 0, nullptr, 0, KEY_READ, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY)) << "key names ignore case";
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_ACCESS_DENIED)
      << "opened for reading";
  RegCloseKey(key);
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\QOR.DOVREL6.6\\clsid", nullptr), std::u16string(text))
      << "HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";
}

TEST_F(RegistryTest, ProgIdOfAClassComesFromTheRegistry) {
  const GUID clsid = {0x4E451F8E, 0x7EFE, 0x4EB8, {0xBF, 0x93, 0xD3, 0x87, 0x6D, 0x22, 0x85, 0x18}};
  LPOLESTR progId = nullptr;
  EXPECT_EQ(ProgIDFromCLSID(clsid, &progId), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(progId, nullptr);
  ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, u"CLSID\\{4E451F8E-7EFE-4EB8-BF93-D3876D228518}\\ProgID", nullptr,
                    u"Qor.Dovrel6.6"),
            ERROR_SUCCESS);
  ASSERT_EQ(ProgIDFromCLSID(clsid, &progId), S_OK);
  EXPECT_EQ(Narrow(progId), "Qor.Dovrel6.6");
  CoTaskMemFree(progId);
  ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, u"Qor.Dovrel6.6\\CLSID", nullptr, u"{4E451F8E-7EFE-4EB8-BF93-D3876D228518}"),
            ERROR_SUCCESS);
  CLSID back;
  ASSERT_EQ(CLSIDFromProgID(u"Qor.Dovrel6.6", &back), S_OK);
  EXPECT_TRUE(IsEqualGUID(back, clsid));
  ASSERT_EQ(CLSIDFromString(u"Qor.Dovrel6.6", &back), S_OK) << "a program identifier is accepted as well";
  EXPECT_EQ(CLSIDFromProgID(u"Qor.Nothing", &back), CO_E_CLASSSTRING);
}

TEST_F(RegistryTest, DeleteKeyOnlyWhenEmptyDeleteTreeRemovesAll) {
  ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\T\\A\\B", u"v", u"1"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\T\\C", u"v", u"2"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\T\\A"), ERROR_ACCESS_DENIED) << "it has a subkey";
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\T\\A\\B"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\T\\A\\B"), ERROR_FILE_NOT_FOUND);

  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\T", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  std::vector<std::string> names;
  char16_t name[64];
  for (DWORD i = 0;; ++i) {
    DWORD cch = 64;
    LSTATUS s = RegEnumKeyExW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(s, ERROR_SUCCESS);
    names.push_back(Narrow(name));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A", "C"}));
  DWORD cch = 1;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

  ASSERT_EQ(RegDeleteTreeW(key, nullptr), ERROR_SUCCESS) << "empties the key, keeps it";
  DWORD subkeys = 9, values = 9;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"software\\t"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_KEY_DELETED)
      << "an open handle of a deleted key";
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\T"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED) << "a root stays";
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
}

TEST_F(RegistryTest, TextsSurviveTheFileExactly) {
  const std::u16string tricky = u"C:\\path with \"quotes\" 日本語 ｶﾅ";
  ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, u"Odd Key [x]\\Sub", u"name \"q\"", tricky), ERROR_SUCCESS);
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Odd Key [x]", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE binary[] = {0, 1, 0xFF, 0x7F};
  ASSERT_EQ(RegSetValueExW(key, u"bin", 0, REG_BINARY, binary, 4), ERROR_SUCCESS);
  const char16_t multi[] = u"a\0b\0";
  ASSERT_EQ(RegSetValueExW(key, u"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi),
            ERROR_SUCCESS);
  RegCloseKey(key);
  // Another process reads what this one wrote.
  pid_t child = fork();
  if (child == 0) {
    bool ok = GetText(HKEY_CLASSES_ROOT, u"odd key [X]\\sub", u"NAME \"Q\"") == tricky;
    HKEY k;
    BYTE data[16];
    DWORD size = sizeof data, type = 0;
    ok = ok && RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Odd Key [x]", 0, KEY_READ, &k) == ERROR_SUCCESS;
    ok = ok && RegQueryValueExW(k, u"bin", nullptr, &type, data, &size) == ERROR_SUCCESS && type == REG_BINARY &&
         size == 4 && data[2] == 0xFF;
    size = sizeof data;
    ok = ok && RegQueryValueExW(k, u"multi", nullptr, &type, data, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ &&
         size == sizeof multi;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kProcesses = 4, kThreads = 2, kKeys = 12;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t child = fork();
    if (child == 0) {
      std::vector<std::thread> threads;
      bool ok = true;
      for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
          for (int k = 0; k < kKeys; ++k) {
            std::string path = "Software\\Load\\P" + std::to_string(p) + "T" + std::to_string(t) + "\\K" + std::to_string(k);
            std::u16string wide(path.begin(), path.end());
            if (SetText(HKEY_CURRENT_USER, wide.c_str(), u"v", wide) != ERROR_SUCCESS) ok = false;
          }
        });
      for (auto& th : threads) th.join();
      _exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  // Meanwhile this process reads: it must always find a whole file.
  for (int i = 0; i < 50; ++i) {
    HKEY key;
    LSTATUS s = RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Load", 0, KEY_READ, &key);
    ASSERT_TRUE(s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND) << s;
    if (s == ERROR_SUCCESS) RegCloseKey(key);
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < kProcesses; ++p)
    for (int t = 0; t < kThreads; ++t)
      for (int k = 0; k < kKeys; ++k) {
        std::string path = "Software\\Load\\P" + std::to_string(p) + "T" + std::to_string(t) + "\\K" + std::to_string(k);
        std::u16string wide(path.begin(), path.end());
        EXPECT_EQ(GetText(HKEY_CURRENT_USER, wide.c_str(), u"v"), wide) << path;
      }
}

TEST_F(RegistryTest, ADamagedFileIsReportedAndNeverOverwritten) {
  ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Keep", u"v", u"1"), ERROR_SUCCESS);
  {
    std::ofstream out(file_, std::ios::app);
    out << "this line is not registry text\n";
  }
  EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Other", u"v", u"2"), ERROR_REGISTRY_CORRUPT);
  HKEY key;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Keep", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
  std::ifstream in(file_);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("[HKEY_CURRENT_USER\\Software\\Keep]"), std::string::npos);
  EXPECT_NE(content.find("this line is not registry text"), std::string::npos);
}

TEST_F(RegistryTest, BadPathsAndHandles) {
  HKEY key;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Lead", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Nothing\\Here", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(0x1234), u"x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &key), ERROR_SUCCESS) << "the root itself";
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

}  // namespace
