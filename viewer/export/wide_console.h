#pragma once
// Text for a console that takes UTF-16 (the Windows console): a stream
// buffer that gathers the export's UTF-8 and hands it on as UTF-16 in
// whole characters, however the writes cut a character's bytes. A Japanese
// console shows UTF-8 bytes written to it as code page 932 would: garbled;
// written as UTF-16 it shows every character. Output that goes to a file
// or a pipe stays UTF-8.

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace pellora::exporting {

class WideConsoleBuffer : public std::streambuf {
 public:
  // `write` takes each run of whole characters; it returns false when the
  // console would not take it, which the stream then reports as a failure.
  explicit WideConsoleBuffer(std::function<bool(std::u16string_view)> write) : write_(std::move(write)) {}
  ~WideConsoleBuffer() override { Flush(true); }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Hands on the whole characters gathered so far; an incomplete one at the
  // end waits for its other bytes, unless `all`.
  bool Flush(bool all);

  std::function<bool(std::u16string_view)> write_;
  std::string pending_;
};

}  // namespace pellora::exporting
