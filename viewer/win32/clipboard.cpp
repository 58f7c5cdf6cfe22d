#include "win32/clipboard.h"

#include <cstdio>
#include <cstring>

#include "common/utf.h"

namespace pellora::win32 {
namespace {

constexpr std::string_view kStartMark = "<!--StartFragment-->";
constexpr std::string_view kEndMark = "<!--EndFragment-->";

// A global memory block holding `size` bytes of `data`, for SetClipboardData
// (which owns it once it has taken it).
HGLOBAL GlobalCopy(const void* data, std::size_t size) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  std::memcpy(::GlobalLock(memory), data, size);
  ::GlobalUnlock(memory);
  return memory;
}

bool SetData(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = GlobalCopy(data, size);
  if (memory && ::SetClipboardData(format, memory)) return true;
  if (memory) ::GlobalFree(memory);
  return false;
}

}  // namespace

std::string HtmlClipboardData(std::string_view html) {
  std::string document;
  if (html.find(kStartMark) != std::string_view::npos && html.find(kEndMark) != std::string_view::npos) {
    document = html;
  } else {
    // The "x" namespace lets a spreadsheet read the cells' x:str marks.
    document = "<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\r\n"
               "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>\r\n<body>\r\n";
    document += kStartMark;
    document += html;
    document += kEndMark;
    document += "\r\n</body>\r\n</html>\r\n";
  }
  constexpr char kHeader[] =
      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n";
  const std::size_t headerSize = static_cast<std::size_t>(std::snprintf(nullptr, 0, kHeader, std::size_t{0},
                                                                        std::size_t{0}, std::size_t{0}, std::size_t{0}));
  const std::size_t startFragment = headerSize + document.find(kStartMark) + kStartMark.size();
  const std::size_t endFragment = headerSize + document.find(kEndMark);
  std::string header(headerSize + 1, '\0');
  std::snprintf(header.data(), header.size(), kHeader, headerSize, headerSize + document.size(), startFragment,
                endFragment);
  header.pop_back();
  return header + document;
}

bool PutOnClipboard(HWND owner, std::u16string_view text, std::u16string_view html) {
  if (!::OpenClipboard(owner)) return false;
  ::EmptyClipboard();
  const std::u16string terminated(text);
  bool done = SetData(CF_UNICODETEXT, terminated.c_str(), (terminated.size() + 1) * sizeof(char16_t));
  static const UINT htmlFormat = ::RegisterClipboardFormatW(L"HTML Format");
  const std::string data = HtmlClipboardData(common::Utf16ToUtf8Lossy(html));
  done = SetData(htmlFormat, data.c_str(), data.size() + 1) && done;
  ::CloseClipboard();
  return done;
}

}  // namespace pellora::win32
