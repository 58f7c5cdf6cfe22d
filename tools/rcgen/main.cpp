// rcgen: the resource scripts (.rc, UTF-8) that the Windows build compiles
// with windres, turned into a C++ source for this platform, so that one set
// of scripts serves both; and the pictures those scripts name, drawn from
// text.
//
//   rcgen -o out.cpp [-d out.d] [-I dir]... input.rc
//   rcgen --bitmap picture.txt -o out.bmp
//
// What a script may hold is described in script.h, the picture's form in
// bitmap.h. Outputs are rewritten only when they change.
#include <iostream>
#include <string>
#include <vector>

#include "rcgen/bitmap.h"
#include "rcgen/cpp_writer.h"
#include "rcgen/script.h"
#include "tool_support/files.h"

namespace {

int Usage() {
  std::cerr << "usage: rcgen -o out.cpp [-d out.d] [-I dir] input.rc\n       rcgen --bitmap picture.txt -o out.bmp\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, depfile, input;
  std::vector<std::string> includeDirs;
  bool bitmap = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) output = argv[++i];
    else if (arg == "-d" && i + 1 < argc) depfile = argv[++i];
    else if (arg == "-I" && i + 1 < argc) includeDirs.push_back(argv[++i]);
    else if (arg == "--bitmap") bitmap = true;
    else if (input.empty() && arg[0] != '-') input = arg;
    else return Usage();
  }
  if (output.empty() || input.empty()) return Usage();
  try {
    if (bitmap) {
      tool_support::WriteIfChanged(output, rcgen::EncodeBmp(rcgen::ReadPicture(tool_support::ReadFile(input), input)));
      return 0;
    }
    rcgen::Script script = rcgen::ReadScript(input, includeDirs);
    tool_support::WriteIfChanged(output, rcgen::ResourcesSource(script, input));
    if (!depfile.empty()) tool_support::WriteIfChanged(depfile, rcgen::Depfile(output, script.files));
  } catch (const std::exception& e) {
    std::cerr << "rcgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
