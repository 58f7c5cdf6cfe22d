// Helpers for the tests of the type library, the dispatch and the frame:
// readable text, owned values, a registry file of the test's own, and the
// type library of the test program.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dovrel60.h"
#include "tests/support/registry.h"
#include "tests/support/text.h"
#include "tests/support/values.h"
#include "tests/support/variant_args.h"

namespace typelib_testing {

inline std::string Utf8(std::u16string_view text) { return testsupport::Utf8(text.data(), text.size()); }
inline std::string Utf8(BSTR text) { return text ? Utf8(std::u16string_view(text, SysStringLen(text))) : "(null)"; }

using Variant = testsupport::Var;
using testsupport::Bstr;
using testsupport::I4;
using testsupport::Omitted;
using testsupport::R8;

// The full path of the test program, which carries the type library.
inline std::u16string ProgramPath() {
  OLECHAR path[4096];
  DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  return std::u16string(path, n);
}

using testsupport::GuidText;
using testsupport::KeyExists;
using testsupport::RegistryText;
using testsupport::TempRegistry;

}  // namespace typelib_testing
