// pellora.exe started as a process of its own: --time, how long it takes
// to show a (large) claim file and to paint its first rows, as a user waits
// for it; --quoted, the same with the path in quotes as a shortcut, a drop
// on the program's icon and cmd hand it on; --verb, a claim file opened
// through the context menu's verb. Each time the window must show the file
// (its path in the title, without quotes) and end when closed.

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

namespace {

struct Found {
  DWORD process;
  HWND window = nullptr;
};
BOOL CALLBACK FindProgramWindow(HWND window, LPARAM parameter) {
  Found& found = *reinterpret_cast<Found*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == found.process && IsWindowVisible(window) && ClassOf(window) == PelloraWindow::kClassName) {
    found.window = window;
    return FALSE;
  }
  return TRUE;
}

// The window of a started pellora.exe: found, its title checked, closed,
// and the process ended.
void SeeAndClose(HANDLE process, DWORD processId, const std::u16string& claim,
                 std::chrono::steady_clock::time_point started, const char* how) {
  Found found{processId};
  for (int i = 0; i < 12000 && !found.window; ++i) {
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&found));
    if (!found.window) Sleep(10);
  }
  const auto shown = std::chrono::steady_clock::now();
  // Painted: drawing another thread's window and its children now returns
  // once that thread has drawn them, the grids' rows included.
  if (found.window) RedrawWindow(found.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const auto painted = std::chrono::steady_clock::now();
  const auto ms = [&](auto t) { return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - started).count()); };
  std::printf("pellora.exe %s: window shown after %lld ms, first rows painted after %lld ms\n", how, ms(shown),
              ms(painted));
  // The title names the file only once it has been shown, and without
  // the quotes it was handed in.
  if (found.window) CheckEqual(WindowText(found.window), Title(claim), std::string("the claim file shown, ") + how);
  if (found.window) PostMessageW(found.window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process, 60000) == WAIT_OBJECT_0;
  Check(found.window != nullptr, std::string("pellora.exe showed its window, ") + how);
  Check(ended, "pellora.exe ended when closed");
}

int Summary() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int TimeProgram(const std::wstring& program, const std::wstring& claim, bool quoted) {
  // A shortcut, a file dropped on the program's icon, "Open with" and cmd
  // put a path in quotes; an older caller may not.
  std::wstring commandLine = L"\"" + program + L"\" " + (quoted ? L"\"" + claim + L"\"" : claim);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto started = std::chrono::steady_clock::now();
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("FAIL pellora.exe did not start\n0 passed, 1 failed\n");
    return 1;
  }
  SeeAndClose(process.hProcess, process.dwProcessId, FromWide(claim), started,
              quoted ? "its path in quotes" : "its path as it is");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Summary();
}

// The context menu's verb on a claim file, as the shell runs it from the
// registry's command. Wine's shell reads a verb from the file type's own
// class but not from SystemFileAssociations, where the installers put
// theirs, so that the verb's command is then read from there and run as
// Explorer makes it: "%1" the file's long path, as it is.
int OpenWithVerb(const std::wstring& verb, const std::wstring& claim) {
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = verb.c_str();
  execute.lpFile = claim.c_str();
  execute.nShow = SW_SHOWNORMAL;
  const auto started = std::chrono::steady_clock::now();
  if (ShellExecuteExW(&execute) && execute.hProcess) {
    SeeAndClose(execute.hProcess, GetProcessId(execute.hProcess), FromWide(claim), started, "through the shell's verb");
    CloseHandle(execute.hProcess);
    return Summary();
  }
  const DWORD shellError = GetLastError();
  const std::wstring extension = claim.substr(claim.find_last_of(L'.'));
  const std::wstring key = L"Software\\Classes\\SystemFileAssociations\\" + extension + L"\\shell\\" + verb + L"\\command";
  std::wstring command(4096, L'\0');
  DWORD bytes = static_cast<DWORD>(command.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command.data(), &bytes) !=
      ERROR_SUCCESS) {
    std::printf("FAIL the verb %ls: the shell did not run it (%lu) and the registry has no command for it\n"
                "0 passed, 1 failed\n",
                verb.c_str(), shellError);
    return 1;
  }
  command.resize(bytes / sizeof(wchar_t) - 1);
  std::printf("the shell did not run the verb (%lu): its command from the registry, %ls\n", shellError, command.c_str());
  if (const std::size_t at = command.find(L"%1"); at != std::wstring::npos) command.replace(at, 2, claim);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("FAIL the verb's command did not start (%lu)\n0 passed, 1 failed\n", GetLastError());
    return 1;
  }
  SeeAndClose(process.hProcess, process.dwProcessId, FromWide(claim), started, "through the verb's command");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Summary();
}

}  // namespace ui_driver
