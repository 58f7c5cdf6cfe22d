// holidaygen: the Japanese national holidays of japan/national_holidays.h as
// the files a host uses without compiling C++.
//
//   holidaygen --bas JapaneseHolidays.bas --styles japanese_holidays.dvs
//
// The VBA/VBScript module (vba_module.h) and the saved HolidayStyles
// (styles_file.h); either may be left out. Outputs are rewritten only when
// they change.
#include <iostream>
#include <string>

#include "holidaygen/styles_file.h"
#include "holidaygen/vba_module.h"
#include "tool_support/files.h"

namespace {

int Usage() {
  std::cerr << "usage: holidaygen [--bas JapaneseHolidays.bas] [--styles japanese_holidays.dvs]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string bas, styles;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bas" && i + 1 < argc) bas = argv[++i];
    else if (arg == "--styles" && i + 1 < argc) styles = argv[++i];
    else return Usage();
  }
  if (bas.empty() && styles.empty()) return Usage();
  try {
    if (!bas.empty()) tool_support::WriteIfChanged(bas, holidaygen::VbaModule());
    if (!styles.empty()) tool_support::WriteIfChanged(styles, holidaygen::StylesFile());
  } catch (const std::exception& e) {
    std::cerr << "holidaygen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
