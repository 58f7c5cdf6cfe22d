// The window's picture as it shows on the virtual screen, written as a BMP
// file: the pictures of the Windows program that the documentation shows
// (the window with a claim, the find box open, the print preview, the
// window at 144 dpi and in Windows 11's metrics) come from these.

#include <string>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

bool SavePicture(HWND window, const std::wstring& path) {
  RECT frame;
  GetWindowRect(window, &frame);
  // A maximised window's borders lie off the screen, which has nothing to
  // copy there: the part on the screen.
  const RECT screenArea{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  IntersectRect(&frame, &frame, &screenArea);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  GdiFlush();
  const DWORD size = ((static_cast<DWORD>(width) * 3 + 3) & ~3u) * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof header + size), 0, 0,
                        static_cast<DWORD>(sizeof file + sizeof header)};
  bool written = false;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (copied && out != INVALID_HANDLE_VALUE) {
    DWORD n = 0;
    written = WriteFile(out, &file, sizeof file, &n, nullptr) && WriteFile(out, &header, sizeof header, &n, nullptr) &&
              WriteFile(out, bits, size, &n, nullptr);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

}  // namespace ui_driver
