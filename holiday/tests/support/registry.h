// The registry as the tests use it: a registry file of the test's own (the
// layer keeps the registry in the file DOVREL_REGISTRY names), what
// registration writes for a class's program identifier, and the registry
// read back as text.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/com.h"

namespace testsupport {

// A registry file in a fresh folder below /tmp, named in DOVREL_REGISTRY
// while it lives; the folder is removed afterwards.
class TempRegistry {
 public:
  // purpose names the folder (/tmp/dovrel-<purpose>-XXXXXX), to tell whose
  // a left-over one is.
  explicit TempRegistry(std::string_view purpose = "tests");
  ~TempRegistry();
  TempRegistry(const TempRegistry&) = delete;
  TempRegistry& operator=(const TempRegistry&) = delete;

  const std::string& Dir() const { return dir_; }
  const std::string& File() const { return file_; }

 private:
  std::string dir_, file_;
};

// What registration of a class writes for ProgIDFromCLSID to find:
// HKCR\CLSID\{clsid}\ProgID.
void RegisterProgId(REFCLSID clsid, std::u16string_view progId);

// Classes' program identifiers, registered in a registry file of the test
// program's own for its whole run, so that error information names its
// source. Add it with ::testing::AddGlobalTestEnvironment.
class RegisteredProgIds : public ::testing::Environment {
 public:
  struct Class {
    const CLSID* clsid;  // read at set-up, after every global is initialised
    const char16_t* progId;
  };
  RegisteredProgIds(std::string purpose, std::initializer_list<Class> classes)
      : purpose_(std::move(purpose)), classes_(classes) {}
  void SetUp() override;
  void TearDown() override { registry_.reset(); }

 private:
  std::string purpose_;
  std::vector<Class> classes_;
  std::optional<TempRegistry> registry_;
};

// The default value (or a named value) of a key below a root, as UTF-8
// text, a REG_DWORD as "dword:<n>"; "(missing)" when the key or the value
// does not exist.
std::string RegistryText(HKEY root, std::u16string path, const char16_t* value = nullptr);
bool KeyExists(HKEY root, std::u16string path);

// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}, as the registry spells it.
std::u16string GuidText(REFGUID guid);

}  // namespace testsupport
