// holidaygen: the Japanese national holidays of japan/national_holidays.h as
// the files a host uses without compiling C++, and their check against the
// official list.
//
//   holidaygen --bas JapaneseHolidays.bas --styles japanese_holidays.dvs
//              --module DovrelFunctions.bas.txt DovrelFunctions.bas
//   holidaygen --compare syukujitsu.csv
//
// The VBA/VBScript module (vba_module.h), the saved HolidayStyles
// (styles_file.h) and a module kept as UTF-8 text written as VBA imports it;
// any of them may be left out. Outputs are rewritten only when they change.
// --compare prints where the rules and the official list differ
// (compare.h) and exits with 1 when their days do.
#include <iostream>
#include <string>

#include "holidaygen/compare.h"
#include "holidaygen/styles_file.h"
#include "holidaygen/vba_module.h"
#include "tool_support/files.h"

namespace {

int Usage() {
  std::cerr << "usage: holidaygen [--bas JapaneseHolidays.bas] [--styles japanese_holidays.dvs]\n"
               "                  [--module DovrelFunctions.bas.txt DovrelFunctions.bas]\n"
               "       holidaygen --compare syukujitsu.csv\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string bas, styles, moduleSource, module, compare;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bas" && i + 1 < argc) bas = argv[++i];
    else if (arg == "--styles" && i + 1 < argc) styles = argv[++i];
    else if (arg == "--module" && i + 2 < argc) {
      moduleSource = argv[++i];
      module = argv[++i];
    } else if (arg == "--compare" && i + 1 < argc && argc == 3) compare = argv[++i];
    else return Usage();
  }
  if (bas.empty() && styles.empty() && module.empty() && compare.empty()) return Usage();
  try {
    if (!compare.empty()) {
      const holidaygen::Comparison comparison =
          holidaygen::CompareWithRules(tool_support::ReadFile(compare), compare);
      std::cout << holidaygen::ComparisonReport(comparison, compare);
      return comparison.DaysDiffer() ? 1 : 0;
    }
    if (!bas.empty()) tool_support::WriteIfChanged(bas, holidaygen::VbaModule());
    if (!styles.empty()) tool_support::WriteIfChanged(styles, holidaygen::StylesFile());
    if (!module.empty())
      tool_support::WriteIfChanged(module,
                                   holidaygen::VbaModuleFromText(tool_support::ReadFile(moduleSource), moduleSource));
  } catch (const std::exception& e) {
    std::cerr << "holidaygen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
