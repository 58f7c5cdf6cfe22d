// pellora-export for Windows: see export/export_command.h. The arguments
// come as UTF-16 (wmain), so that a path in any script of the desktop
// reaches the command whole, and the output is written in binary: the JSON
// and the table end their lines with LF and the CSV with CR LF, exactly as
// on every other platform. Output to a console is written as UTF-16
// through the console's own call instead, so that a Japanese console shows
// the text rather than its UTF-8 bytes in code page 932.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "common/utf.h"
#include "export/export_command.h"
#include "export/wide_console.h"

namespace {

// A console's buffer for `stream` when its handle is a console: a file or a
// pipe (GetConsoleMode fails on those) keeps the UTF-8 bytes.
std::unique_ptr<pellora::exporting::WideConsoleBuffer> ConsoleBufferFor(DWORD handleId, std::ostream& stream) {
  HANDLE handle = ::GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !handle || !::GetConsoleMode(handle, &mode)) return nullptr;
  auto buffer = std::make_unique<pellora::exporting::WideConsoleBuffer>([handle](std::u16string_view text) {
    while (!text.empty()) {
      DWORD written = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 8192));
      if (!::WriteConsoleW(handle, text.data(), chunk, &written, nullptr) || written == 0) return false;
      text.remove_prefix(written);
    }
    return true;
  });
  stream.rdbuf(buffer.get());
  return buffer;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::ios::sync_with_stdio(false);
  std::streambuf* const fileOut = std::cout.rdbuf();
  std::streambuf* const fileErr = std::cerr.rdbuf();
  const auto consoleOut = ConsoleBufferFor(STD_OUTPUT_HANDLE, std::cout);
  const auto consoleErr = ConsoleBufferFor(STD_ERROR_HANDLE, std::cerr);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument(argv[i]);
    arguments.push_back(common::Utf16ToUtf8Lossy(std::u16string(argument.begin(), argument.end())));
  }
  const int status = pellora::exporting::RunExport(arguments, std::cout, std::cerr);
  std::cout.flush();
  std::cerr.flush();
  // The streams write to the buffers until the end: give them back their
  // own before the buffers go.
  std::cout.rdbuf(fileOut);
  std::cerr.rdbuf(fileErr);
  return status;
}
