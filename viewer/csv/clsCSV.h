#pragma once
// clsCSV reads a claim CSV file one field at a time. The caller opens a file,
// asks for the next field (Value) and watches CSVEOL (the current record is
// used up) and CSVEOF (the whole file is used up). Open and close failures
// are recorded in ErrNo/ErrDesc rather than thrown; a read failure inside
// Value is recorded in ErrNo and thrown as a FileError carrying the same
// number and its description.
//
// Fields are split as csv/field_splitter.h says, each line decoded from
// code page 932 first. Lines end as csv/line_reader.h says: at CR LF or CR,
// or at LF in a file without CR.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "csv/byte_census.h"
#include "csv/field_splitter.h"
#include "csv/file_errors.h"
#include "csv/line_reader.h"
#include "platform/platform_file.h"

namespace pellora {

class clsCSV {
 public:
  clsCSV() = default;
  ~clsCSV();
  clsCSV(const clsCSV&) = delete;
  clsCSV& operator=(const clsCSV&) = delete;

  // Opens `FileName` for reading. Success leaves ErrNo/ErrDesc as they were;
  // failure records them and leaves the reader behaving as an empty file.
  void OpenFile(std::u16string_view FileName);
  // Closes the file; ErrNo/ErrDesc become 0 and "" unless the close failed.
  void CloseFile();

  bool CSVEOL() const { return endOfLine_; }
  // True when no file is open, or when the file is at its end and the last
  // line has been used up.
  bool CSVEOF();
  std::int16_t ErrNo() const { return errNo_; }
  const std::u16string& ErrDesc() const { return errDesc_; }

  // The next field; "" once CSVEOF is true.
  std::u16string Value() { return std::u16string(ValueView()); }
  // The same field as a view, valid until the reader is used again.
  std::u16string_view ValueView();

  // The next line whole, its bytes as the file has them, for a reader that
  // keeps lines and splits them when it needs their fields; valid until the
  // reader is used again. Only at the start of a line (CSVEOL true, which it
  // stays); "" once CSVEOF is true. Fails as Value fails.
  std::string_view NextLineBytes();

  // What the bytes read since OpenFile say of the file's encoding: the
  // whole file's once CSVEOF is true.
  const ByteCensus& Census() const { return census_; }
  // The file holds no CR and its lines were read as ending at LF (asked
  // before CloseFile, as the census).
  bool LinesEndInLf() const { return reader_ && reader_->LinesEndInLf(); }

 private:
  void RecordFailure(const FileError& failure);
  // Reads the next line's bytes, recording a failure in ErrNo before it is
  // thrown on.
  std::string_view ReadLine();

  PlatformFile file_;
  bool endOfLine_ = false;
  ByteCensus census_;
  std::optional<LineReader> reader_;
  // The current line's fields, and the next one to return.
  FieldSplitter splitter_;
  std::span<const std::u16string_view> fields_;
  std::size_t nextField_ = 0;
  std::int16_t errNo_ = 0;
  std::u16string errDesc_;
};

}  // namespace pellora
