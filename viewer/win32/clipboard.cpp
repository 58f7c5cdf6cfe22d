#include "win32/clipboard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/utf.h"

namespace pellora::win32 {
namespace {

constexpr std::string_view kStartMark = "<!--StartFragment-->";
constexpr std::string_view kEndMark = "<!--EndFragment-->";
constexpr std::string_view kBodyStart = "<body>";
constexpr std::string_view kBodyEnd = "</body>";

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
  // The marks go just inside the page's body, around the table.
  const std::size_t body = html.find(kBodyStart);
  const std::size_t start = body == std::string_view::npos ? 0 : body + kBodyStart.size();
  const std::size_t end = std::max(std::min(html.rfind(kBodyEnd), html.size()), start);
  std::string document(html.substr(0, start));
  document += kStartMark;
  document += html.substr(start, end - start);
  document += kEndMark;
  document += html.substr(end);
  constexpr char kHeader[] =
      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n";
  const std::size_t headerSize = static_cast<std::size_t>(std::snprintf(nullptr, 0, kHeader, std::size_t{0},
                                                                        std::size_t{0}, std::size_t{0}, std::size_t{0}));
  const std::size_t startFragment = headerSize + start + kStartMark.size();
  const std::size_t endFragment = startFragment + (end - start);
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
