#include "export/wide_console.h"

#include "common/utf.h"

namespace pellora::exporting {
namespace {

constexpr std::size_t kFlushAt = 4096;

// How many bytes of `bytes` end with a whole UTF-8 character: a lead byte
// near the end whose continuation bytes have not all come yet is left out.
std::size_t WholeCharacters(std::string_view bytes) {
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

}  // namespace

WideConsoleBuffer::int_type WideConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
  pending_ += traits_type::to_char_type(c);
  if (pending_.size() >= kFlushAt && !Flush(false)) return traits_type::eof();
  return c;
}

std::streamsize WideConsoleBuffer::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (pending_.size() >= kFlushAt && !Flush(false)) return 0;
  return n;
}

int WideConsoleBuffer::sync() { return Flush(false) ? 0 : -1; }

bool WideConsoleBuffer::Flush(bool all) {
  const std::size_t whole = all ? pending_.size() : WholeCharacters(pending_);
  if (whole == 0) return true;
  // A byte that is no UTF-8 shows as U+FFFD rather than ending the output.
  const std::u16string text = common::Utf8ToUtf16(std::string_view(pending_).substr(0, whole));
  pending_.erase(0, whole);
  return write_(text);
}

}  // namespace pellora::exporting
