// Readable forms of UTF-16 text for test output and comparisons. Header-only
// and free of anything but the platform's own names, so that the Windows
// driver (built against the real platform) shares it with the Linux tests.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "automation/com.h"

namespace testsupport {

// UTF-8 through the platform's own conversion: on Windows the system's, here
// the automation layer's, so the tests carry no converter of their own.
// Empty for no text; an unpaired surrogate becomes U+FFFD on both.
inline std::string Utf8(const OLECHAR* text, std::size_t length) {
  if (!text || length == 0) return {};
  const int units = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return "(not convertible)";
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), bytes, nullptr, nullptr);
  return out;
}

// Text with everything outside printable ASCII spelt \uXXXX: a failure
// message that shows exactly which code unit differs, whatever the
// terminal's encoding.
inline std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

// A test name from a case's description, for parameterised tables: GoogleTest
// accepts letters, digits and underscores only.
inline std::string CaseName(std::string_view what) {
  std::string name;
  for (char c : what) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

}  // namespace testsupport
