#pragma once
// A claim file read once, to its end: its lines kept as the file's own
// bytes, side by side, and split into fields whenever a step asks for them
// (csv/field_splitter.h). The display asks for the fields of a few records
// many times and for most of them once; a text object per field of a file of
// four million fields would cost more than the file many times over.
//
// The file is read through clsCSV, so that it opens, fails and ends as the
// field-by-field reader does: a file that cannot be opened has no lines; a
// read failure later keeps the lines read whole before it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "csv/byte_census.h"

namespace pellora {

class RecordFile {
 public:
  // A failure while reading: at the open (nothing was read), or later (the
  // lines read before it stay). The number and the description as the
  // reader records them (ErrNo, ErrDesc).
  struct Failure {
    std::int16_t number = 0;
    std::u16string description;
    bool atOpen = false;
  };

  // No file: no lines, no failure.
  RecordFile() = default;
  RecordFile(RecordFile&&) noexcept = default;
  RecordFile& operator=(RecordFile&&) noexcept = default;

  // Reads `path` to its end or to its first failure. Never throws: memory
  // running out is a failure like any other (number 7).
  static RecordFile Read(std::u16string_view path);

  std::size_t Lines() const { return lines_.size(); }
  // Line `i`'s bytes without its terminator, valid while the file lives
  // (moving it keeps them).
  std::string_view LineBytes(std::size_t i) const { return lines_[i]; }

  // The most fields a line has (csv/field_splitter.h); 0 without lines.
  std::size_t MostFields() const { return mostFields_; }

  const std::optional<Failure>& failure() const { return failure_; }
  // What the bytes said of the encoding, and whether the lines were taken
  // to end in LF: known for a file read to its end.
  const ByteCensus& Census() const { return census_; }
  bool LinesEndInLf() const { return linesEndInLf_; }

 private:
  void Keep(std::string_view line);

  // Blocks that never move once made; a line lies whole in one of them.
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* room_ = nullptr;
  std::size_t roomLeft_ = 0;
  std::vector<std::string_view> lines_;
  std::size_t mostFields_ = 0;
  std::optional<Failure> failure_;
  ByteCensus census_;
  bool linesEndInLf_ = false;
};

}  // namespace pellora
