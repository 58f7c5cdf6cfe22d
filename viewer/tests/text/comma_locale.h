#pragma once
// A process locale whose decimal mark is a comma (de_DE.UTF-8; on Windows
// German_Germany.1252), switched on for the length of a test, for proving
// that number texts do not follow the user's regional settings. The locale
// is taken from the system or, failing that, from the folder in
// PELLORA_TEST_LOCALES where the build compiles one.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <string>

namespace pellora::testing {

class CommaDecimalLocale {
 public:
  CommaDecimalLocale() : previousC_(std::setlocale(LC_ALL, nullptr)), previousCpp_() {
#ifndef _WIN32
    if (!Switch()) {
      const char* folder = std::getenv("PELLORA_TEST_LOCALES");
      if (folder != nullptr && *folder != '\0') {
        ::setenv("LOCPATH", folder, 1);
        Switch();
      }
    }
#else
    Switch();
#endif
  }
  ~CommaDecimalLocale() {
    std::locale::global(previousCpp_);
    std::setlocale(LC_ALL, previousC_.c_str());
  }
  CommaDecimalLocale(const CommaDecimalLocale&) = delete;
  CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

  // True when the locale is in force and the C library itself now writes
  // 1.5 as "1,5": a number text that followed the locale would show it.
  bool active() const { return active_; }

 private:
#ifdef _WIN32
  // The C runtime's name of German regional settings. MinGW's C++ library
  // knows no locale but "C": there the regional settings reach a program
  // through the C runtime alone.
  static constexpr const char* kName = "German_Germany.1252";
#else
  static constexpr const char* kName = "de_DE.UTF-8";
#endif

  bool Switch() {
    if (std::setlocale(LC_ALL, kName) == nullptr) return false;
#ifndef _WIN32
    try {
      std::locale::global(std::locale(kName));
    } catch (const std::runtime_error&) {
      std::setlocale(LC_ALL, previousC_.c_str());
      return false;
    }
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%g", 1.5);
    active_ = std::string(text) == "1,5";
    return active_;
  }

  std::string previousC_;
  std::locale previousCpp_;
  bool active_ = false;
};

}  // namespace pellora::testing
