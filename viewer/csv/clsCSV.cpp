#include "csv/clsCSV.h"

#include <new>

namespace pellora {

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
  fields_ = {};
  nextField_ = 0;
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

std::string_view clsCSV::ReadLine() {
  try {
    return reader_->ReadLine();
  } catch (const FileError& failure) {
    errNo_ = failure.number();
    throw;
  } catch (const std::bad_alloc&) {
    errNo_ = kErrOutOfMemory;
    throw FileError(kErrOutOfMemory);
  }
}

std::u16string_view clsCSV::ValueView() {
  if (CSVEOF()) return {};
  if (endOfLine_) {
    const std::string_view bytes = ReadLine();
    try {
      fields_ = splitter_.SplitBytes(bytes);
    } catch (const std::bad_alloc&) {
      errNo_ = kErrOutOfMemory;
      throw FileError(kErrOutOfMemory);
    }
    nextField_ = 0;
    endOfLine_ = false;
  }
  const std::u16string_view field = fields_[nextField_++];
  endOfLine_ = nextField_ == fields_.size();
  return field;
}

std::string_view clsCSV::NextLineBytes() {
  if (CSVEOF() || !endOfLine_) return {};
  return ReadLine();
}

}  // namespace pellora
