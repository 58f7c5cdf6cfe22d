#include "csv/clsCSV.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <new>

#include "common/cp932.h"

namespace pellora {
namespace {

// Writes the positions of the commas and quotes of `line` to `positions`
// (room for `length` entries) and returns how many there are. Eight
// characters are compared at a time where the processor allows it.
std::size_t FindFieldMarks(const char16_t* line, std::size_t length, std::uint32_t* positions) {
  std::size_t n = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi16(u',');
  const __m128i quote = _mm_set1_epi16(u'"');
  for (; i + 8 <= length; i += 8) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(chars, comma), _mm_cmpeq_epi16(chars, quote))));
    while (mask != 0) {  // two mask bits per character
      positions[n++] = static_cast<std::uint32_t>(i + static_cast<unsigned>(__builtin_ctz(mask)) / 2);
      mask &= mask - 1;
      mask &= mask - 1;
    }
  }
#endif
  for (; i < length; ++i) {
    positions[n] = static_cast<std::uint32_t>(i);
    n += (line[i] == u',') | (line[i] == u'"');
  }
  return n;
}

}  // namespace

clsCSV::~clsCSV() = default;  // the file closes itself; a failure then has nobody to tell

void clsCSV::RecordFailure(const FileError& failure) {
  errNo_ = failure.number();
  errDesc_ = failure.description();
}

void clsCSV::OpenFile(std::u16string_view FileName) {
  // A file still open from before is closed quietly rather than leaked.
  reader_.reset();
  file_.Close();
  endOfLine_ = true;
  lineLength_ = 0;
  rest_ = 0;
  census_ = ByteCensus();

  // The claim file may be a pipe: its reads wait for the writer.
  if (const std::int16_t failure = file_.Open(FileName, PlatformFile::Accept::OrdinaryFilesAndPipes)) {
    RecordFailure(FileError(failure));
    return;
  }
  try {
    reader_.emplace(file_, census_);
  } catch (const std::bad_alloc&) {
    file_.Close();
    RecordFailure(FileError(kErrOutOfMemory));
  }
}

// The file is closed whatever the close reports: a second close could hit
// a file the program has opened since.
void clsCSV::CloseFile() {
  if (file_.IsOpen()) {
    reader_.reset();
    if (const std::int16_t failure = file_.Close()) {
      RecordFailure(FileError(failure));
      return;
    }
  }
  errNo_ = 0;
  errDesc_.clear();
}

bool clsCSV::CSVEOF() {
  if (!file_.IsOpen()) return true;
  return endOfLine_ && reader_->AtEnd();
}

std::u16string_view clsCSV::ValueView() {
  if (CSVEOF()) return {};
  try {
    if (endOfLine_) {
      StartLine(reader_->ReadLine());
      endOfLine_ = false;
    }
    return NextFieldOfLine();
  } catch (const FileError& failure) {
    errNo_ = failure.number();
    throw;
  } catch (const std::bad_alloc&) {
    errNo_ = kErrOutOfMemory;
    throw FileError(kErrOutOfMemory);
  }
}

void clsCSV::StartLine(std::string_view bytes) {
  if (bytes.size() + 1 > lineCapacity_) {
    const std::size_t capacity = std::max(bytes.size() + 1, 2 * lineCapacity_);
    line_.reset();
    marks_.reset();
    lineCapacity_ = 0;
    line_.reset(new char16_t[capacity]);
    marks_.reset(new std::uint32_t[capacity]);
    lineCapacity_ = capacity;
  }
  lineLength_ = common::cp932::DecodeInto(bytes, line_.get());
  rest_ = 0;
  nextMark_ = 0;
  // Positions are 32-bit; a line of four billion characters or more is
  // split the slow way.
  marksKnown_ = lineLength_ < UINT32_MAX;
  if (!marksKnown_) return;
  marks_[FindFieldMarks(line_.get(), lineLength_, marks_.get())] = static_cast<std::uint32_t>(lineLength_);
}

std::u16string_view clsCSV::NextFieldOfLine() {
  if (!marksKnown_) return FieldWithQuotes();
  const std::size_t at = marks_[nextMark_];
  if (at < lineLength_ && line_[at] == u'"') return FieldWithQuotes();
  const std::u16string_view field(line_.get() + rest_, at - rest_);
  if (at == lineLength_) {
    rest_ = lineLength_;
    endOfLine_ = true;
  } else {
    rest_ = at + 1;
    ++nextMark_;
  }
  return field;
}

// The rest of the line from rest_, character by character: quotes toggle a
// quoted stretch and vanish, a doubled quote inside one stands for a quote,
// and only a comma outside ends the field.
std::u16string_view clsCSV::FieldWithQuotes() {
  const char16_t* const line = line_.get();
  std::size_t i = rest_;
  field_.clear();
  bool quoted = false;
  bool ended = false;
  for (; i < lineLength_; ++i) {
    const char16_t c = line[i];
    if (c == u'"') {
      if (!quoted) {
        quoted = true;
      } else if (i + 1 < lineLength_ && line[i + 1] == u'"') {
        field_.push_back(u'"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == u',' && !quoted) {
      ended = true;
      break;
    } else {
      field_.push_back(c);
    }
  }
  if (ended) {
    rest_ = i + 1;
  } else {
    rest_ = lineLength_;
    endOfLine_ = true;
  }
  if (marksKnown_) {
    while (marks_[nextMark_] < rest_ && marks_[nextMark_] < lineLength_) ++nextMark_;
  }
  return field_;
}

}  // namespace pellora
