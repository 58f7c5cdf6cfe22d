#include "jet/jet_file.h"

#include <string>

#include "common/utf.h"
#include "jet/jet_format.h"
#include "platform/platform_file.h"

namespace pellora::jet {

std::vector<std::uint8_t> ReadDatabaseFile(std::u16string_view path) {
  WholeFile whole = ReadWholeFile(path, kLargestDatabaseFile);
  const char* what = nullptr;
  switch (whole.failure) {
    case WholeFile::Failure::None: return std::move(whole.bytes);
    case WholeFile::Failure::NoSuchFile: what = "no such file"; break;
    case WholeFile::Failure::CannotOpen: what = "cannot open"; break;
    case WholeFile::Failure::NotAFile: what = "not a file"; break;
    case WholeFile::Failure::TooLarge: what = "larger than any Jet database"; break;
    case WholeFile::Failure::CannotRead: what = "cannot read"; break;
  }
  throw ReadFailure(std::string(what) + ": " + common::Utf16ToUtf8Lossy(path));
}

}  // namespace pellora::jet
