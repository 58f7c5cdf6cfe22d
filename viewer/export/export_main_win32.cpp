// pellora-export for Windows: see export/export_command.h. The arguments
// come as UTF-16 (wmain), so that a path in any script of the desktop
// reaches the command whole, and the output is written in binary: the JSON
// and the table end their lines with LF and the CSV with CR LF, exactly as
// on every other platform.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/utf.h"
#include "export/export_command.h"

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument(argv[i]);
    arguments.push_back(common::Utf16ToUtf8Lossy(std::u16string(argument.begin(), argument.end())));
  }
  return pellora::exporting::RunExport(arguments, std::cout, std::cerr);
}
