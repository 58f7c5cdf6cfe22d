#pragma once
// A process locale whose decimal mark is a comma (de_DE.UTF-8), switched on
// for the length of a test, for proving that number texts do not follow the
// user's regional settings. The locale is taken from the system or, failing
// that, from the folder in PELLORA_TEST_LOCALES where the build compiles one.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <string>

namespace pellora::testing {

class CommaDecimalLocale {
 public:
  CommaDecimalLocale() : previousC_(std::setlocale(LC_ALL, nullptr)), previousCpp_() {
    if (!Switch()) {
      const char* folder = std::getenv("PELLORA_TEST_LOCALES");
      if (folder != nullptr && *folder != '\0') {
        ::setenv("LOCPATH", folder, 1);
        Switch();
      }
    }
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
  bool Switch() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) return false;
    try {
      std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
      std::setlocale(LC_ALL, previousC_.c_str());
      return false;
    }
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
