#pragma once
// A claim file as records: row 0 the control record, rows 1 to R - 2 the
// data records, row R - 1 the end record; field n of a record counted from
// 1. Every step of the display reads the file through this, so that the
// control and end records are never taken for data and a field a record
// does not reach reads "".
//
// Row r is line r of the file. A file whose reading failed part-way has one
// row more, empty, after the lines read whole: the line being read when the
// failure came. The raw record grid has given that line its row by then, and
// the display goes on with the rows it has, taking the last line read whole
// for a data record and the empty row for the end record.

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "csv/field_splitter.h"
#include "csv/record_file.h"

namespace pellora::claim {

inline constexpr int kControlRecordRow = 0;
// Field 1 of every record: its record type.
inline constexpr int kRecordTypeField = 1;
enum class RecordType {
  Control,  // "1": the first line
  Data,     // "2"
  End,      // "3": the last line
  Other,    // anything else: a damaged or foreign line
};
constexpr RecordType RecordTypeOf(std::u16string_view field1) {
  if (field1 == u"1") return RecordType::Control;
  if (field1 == u"2") return RecordType::Data;
  if (field1 == u"3") return RecordType::End;
  return RecordType::Other;
}
// Field 3 of a data record: its four-character record-type code.
inline constexpr int kRecordCodeField = 3;
// The control record's fields that the display reads: the number of data
// records, the data kind (which exchange the file belongs to), the provider
// number and the processing year-month.
inline constexpr int kRecordCountField = 4;
inline constexpr int kDataKindField = 5;
inline constexpr int kProviderNumberField = 8;
inline constexpr int kProcessingYearMonthField = 11;

// Rows first to last, both included; empty when last < first.
struct RowRange {
  int first;
  int last;
};

// Copies share the file's lines, which nothing changes once read; each
// reads them with a splitter and a scanner of its own.
class ClaimRecords {
 public:
  ClaimRecords() : file_(std::make_shared<const RecordFile>()) {}
  explicit ClaimRecords(RecordFile file) : file_(std::make_shared<const RecordFile>(std::move(file))) {}
  ClaimRecords(const ClaimRecords& other) : file_(other.file_) {}
  ClaimRecords& operator=(const ClaimRecords& other) {
    file_ = other.file_;
    scannedRow_ = -1;
    return *this;
  }

  const RecordFile& file() const { return *file_; }

  // R: the file's lines, and the row of a line whose reading failed.
  int Rows() const {
    const bool failedPartWay = file_->failure() && !file_->failure()->atOpen;
    return static_cast<int>(file_->Lines()) + (failedPartWay ? 1 : 0);
  }

  // The data records as the display reads them: by their place, rows 1 to
  // R - 2, none when R < 3, whatever their record type says. A file whose
  // lines say otherwise (a control record missing, a cut end) is told by
  // the file's checks, which read each line's own type (Type).
  RowRange DataRows() const { return {1, Rows() - 2}; }

  // The record type row `row` says it is (field 1).
  RecordType Type(int row) const { return RecordTypeOf(Field(row, kRecordTypeField)); }

  // All the fields of row `row`, valid until Fields is asked again. The row
  // of a failed line has none.
  std::span<const std::u16string_view> Fields(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= file_->Lines()) return {};
    return splitter_.SplitBytes(file_->LineBytes(static_cast<std::size_t>(row)));
  }

  // Field `field` of row `row`, valid until Field is asked for another
  // row. Only as much of the line is split and decoded as the fields asked
  // for need: most steps read a few fields of every record.
  std::u16string_view Field(int row, int field) const {
    if (row < 0 || static_cast<std::size_t>(row) >= file_->Lines()) return {};
    if (row != scannedRow_) {
      scanner_.Start(file_->LineBytes(static_cast<std::size_t>(row)));
      scannedRow_ = row;
    }
    return scanner_.Field(field);
  }

 private:
  std::shared_ptr<const RecordFile> file_;
  // Splitting changes nothing the records hold: it only makes room to
  // answer in.
  mutable FieldSplitter splitter_;
  mutable FieldScanner scanner_;
  mutable int scannedRow_ = -1;
};

}  // namespace pellora::claim
