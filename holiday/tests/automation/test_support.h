// Helpers for the layer's tests: owned VARIANTs and BSTRs, and UTF-16 text,
// from the tests' common support under the names these tests use.
#pragma once

#include <string>
#include <string_view>

#include "tests/support/text.h"
#include "tests/support/values.h"

namespace testing_support {

using Variant = testsupport::Var;
using testsupport::Bstr;
using testsupport::CaseName;

// Text for comparisons with ASCII expectations and for messages: anything
// outside printable ASCII is spelt \uXXXX, so no two texts read the same.
inline std::string Narrow(std::u16string_view text) { return testsupport::Printable(text); }

}  // namespace testing_support
