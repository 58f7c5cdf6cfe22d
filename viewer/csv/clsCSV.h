#pragma once
// clsCSV reads a claim CSV file one field at a time. The caller opens a file,
// asks for the next field (Value) and watches CSVEOL (the current record is
// used up) and CSVEOF (the whole file is used up). Open and close failures
// are recorded in ErrNo/ErrDesc rather than thrown; a read failure inside
// Value is recorded in ErrNo and thrown as a FileError carrying the same
// number and its description.
//
// Fields: the separator is the comma, the quote the double quote. Quotes
// toggle a quoted stretch anywhere in a field and vanish; a doubled quote
// inside a quoted stretch stands for one quote; a quoted stretch never
// continues on the next line. Nothing is trimmed. The file is code page 932
// and every line is decoded to UTF-16 before it is split. Lines end as
// csv/line_reader.h says: at CR LF or CR, or at LF in a file without CR.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "csv/byte_census.h"
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
  // The same field as a view, valid until the reader is used again: the
  // loader copies fields straight into the grid without a string of their own.
  std::u16string_view ValueView();

  // What the bytes read since OpenFile say of the file's encoding: the
  // whole file's once CSVEOF is true.
  const ByteCensus& Census() const { return census_; }
  // The file holds no CR and its lines were read as ending at LF (asked
  // before CloseFile, as the census).
  bool LinesEndInLf() const { return reader_ && reader_->LinesEndInLf(); }

 private:
  void RecordFailure(const FileError& failure);
  void StartLine(std::string_view bytes);
  std::u16string_view NextFieldOfLine();
  std::u16string_view FieldWithQuotes();

  PlatformFile file_;
  bool endOfLine_ = false;
  ByteCensus census_;
  std::optional<LineReader> reader_;
  // The current line, decoded, and where the part not yet returned begins.
  std::unique_ptr<char16_t[]> line_;
  std::size_t lineCapacity_ = 0;
  std::size_t lineLength_ = 0;
  std::size_t rest_ = 0;
  // Positions of the line's commas and quotes, ending with lineLength_, and
  // the first one at or after rest_: a field without quotes is then found
  // without looking at its characters one by one.
  std::unique_ptr<std::uint32_t[]> marks_;
  std::size_t nextMark_ = 0;
  bool marksKnown_ = false;
  std::u16string field_;  // a field whose quotes had to be taken out
  std::int16_t errNo_ = 0;
  std::u16string errDesc_;
};

}  // namespace pellora
