#include "csv/record_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "csv/clsCSV.h"
#include "csv/field_splitter.h"

namespace pellora {
namespace {

// Large enough that a claim file needs few of them, small enough that a
// short file does not take much more memory than its bytes.
constexpr std::size_t kBlockBytes = 1 << 20;

}  // namespace

void RecordFile::Keep(std::string_view line) {
  if (line.size() > roomLeft_) {
    const std::size_t size = std::max(kBlockBytes, line.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    room_ = blocks_.back().get();
    roomLeft_ = size;
  }
  if (!line.empty()) std::memcpy(room_, line.data(), line.size());
  lines_.emplace_back(room_, line.size());
  mostFields_ = std::max(mostFields_, FieldSplitter::CountFields(line));
  room_ += line.size();
  roomLeft_ -= line.size();
}

RecordFile RecordFile::Read(std::u16string_view path) {
  RecordFile file;
  clsCSV csv;
  csv.OpenFile(path);
  if (csv.ErrNo() != 0) {
    file.failure_ = Failure{csv.ErrNo(), csv.ErrDesc(), true};
    return file;
  }
  try {
    while (!csv.CSVEOF()) file.Keep(csv.NextLineBytes());
    file.census_ = csv.Census();
    file.linesEndInLf_ = csv.LinesEndInLf();
    // A failing close has nothing to say about the lines, which are all
    // here: the reader records it, and nobody asks.
    csv.CloseFile();
  } catch (const BasicError& e) {
    file.failure_ = Failure{e.number(), e.description(), false};
  } catch (const std::bad_alloc&) {
    file.failure_ = Failure{kErrOutOfMemory, std::u16string(BasicErrorText(kErrOutOfMemory)), false};
  } catch (const std::length_error&) {
    file.failure_ = Failure{kErrOutOfMemory, std::u16string(BasicErrorText(kErrOutOfMemory)), false};
  }
  return file;
}

}  // namespace pellora
