#pragma once
// Small claim files written by the tests, record by record, in Shift_JIS with
// CR LF line ends, and a main window that shows them through the display
// steps in the order the display pipeline runs them.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "claim/display_steps.h"
#include "common/cp932.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "display/load_csv_grid.h"
#include "display/total_grid.h"
#include "display/viewer_grid.h"
#include "shell/frmPellora.h"
#include "tests/csv/temp_files.h"

namespace pellora::testing {

// A record as field number -> text (UTF-8 in the test's source); fields not
// given are empty, and the record ends at its highest field.
using Record = std::map<int, std::string>;

inline const std::string kProvider = "1371234567";

// The control record of a file: field 4 the number of data records (none
// here), field 8 the provider, field 11 the processing year-month.
inline Record ControlRecord(const std::string& yearMonth = "202404", const std::string& provider = kProvider) {
  return {{1, "1"}, {2, "00000001"}, {3, "0"}, {4, "0"}, {5, "711"}, {6, "0"}, {7, yearMonth + "10"},
          {8, provider}, {9, "0"}, {10, "1"}, {11, yearMonth}, {12, "0"}};
}

inline Record EndRecord() { return {{1, "3"}, {2, "99999999"}}; }

// A data record carrying only its record-type code.
inline Record CodeOnly(const std::string& code) { return {{1, "2"}, {2, "00000002"}, {3, code}}; }

// 7131 / 7132: service detail with a value (field 16) and fields 18 and 19.
inline Record ServiceDetail(const std::string& code, const std::string& field4, const std::string& yearMonth,
                            const std::string& insurer, const std::string& insured, const std::string& kind,
                            const std::string& value, const std::string& field18 = "18",
                            const std::string& field19 = "19") {
  return {{1, "2"},     {2, "00000002"}, {3, code},    {4, field4},   {5, yearMonth}, {6, kProvider},
          {7, insurer}, {8, insured},    {9, kind},    {10, "1234"},  {11, "100"},    {12, "1"},
          {13, "0"},    {14, "0"},       {15, "0"},    {16, value},   {17, "0"},      {18, field18},
          {19, field19}, {20, "0"},      {21, "0"},    {22, ""},      {23, "摘要"}};
}

// 7141 ... 7162: service records without a value for the display.
inline Record ServiceSummary(const std::string& code, const std::string& field4, const std::string& yearMonth,
                             const std::string& insurer, const std::string& insured, const std::string& kind) {
  return {{1, "2"},     {2, "00000003"}, {3, code},    {4, field4},  {5, yearMonth}, {6, kProvider},
          {7, insurer}, {8, insured},    {9, kind},    {10, "100"},  {11, "100"},    {12, "90"},
          {13, "100"},  {14, "0"},       {15, "0"},    {16, "100"},  {17, "0"}};
}

// 8121, and the codes that replaced it (8122 to 8125): service month in
// field 6, insurer in 7, insured person in 9.
inline Record Record8121(const std::string& field4, const std::string& yearMonth, const std::string& insurer,
                         const std::string& insured, const std::string& code = "8121") {
  return {{1, "2"}, {2, "00000004"}, {3, code},    {4, field4},     {5, ""},    {6, yearMonth}, {7, insurer},
          {8, kProvider}, {9, insured}, {10, "1000000001"}, {11, yearMonth + "01"}, {12, "500"}, {13, "0"}};
}

// 8211: the submission year-month in field 4.
inline Record Record8211(const std::string& yearMonth) {
  return {{1, "2"}, {2, "00000005"}, {3, "8211"}, {4, yearMonth}, {5, kProvider}, {6, "3"}};
}

// 8221, and 8222 that replaced it: service month in field 4, insurer in 5,
// field 10 "99" for a record not extracted, insured person in 11, service
// kind in 21.
inline Record Record8221(const std::string& field10, const std::string& yearMonth, const std::string& insurer,
                         const std::string& insured, const std::string& kind, const std::string& code = "8221") {
  Record r{{1, "2"},   {2, "00000006"}, {3, code},   {4, yearMonth}, {5, insurer}, {6, kProvider},
           {7, "1"},   {8, "01"},       {9, "0"},      {10, field10},  {11, insured}, {12, "19400101"},
           {13, "1"},  {14, "3"},       {15, "202404"}, {16, "0"},      {17, "0"},     {18, "0"},
           {19, "0"},  {20, "1"},       {21, kind},    {22, "0"},      {23, "1000"}};
  return r;
}

// A claim file: a control record that counts the data records, the data
// records, an end record.
inline std::vector<Record> ClaimFile(std::vector<Record> data, const std::string& yearMonth = "202404") {
  Record control = ControlRecord(yearMonth);
  control[4] = std::to_string(std::count_if(data.begin(), data.end(), [](const Record& r) { return r.at(1) == "2"; }));
  data.insert(data.begin(), std::move(control));
  data.push_back(EndRecord());
  return data;
}

// The bytes of a file of these records, as claim software writes them.
inline std::string FileBytes(const std::vector<Record>& records) {
  std::string bytes;
  for (const Record& record : records) {
    std::string line;
    const int last = record.empty() ? 0 : record.rbegin()->first;
    for (int field = 1; field <= last; ++field) {
      if (field > 1) line += ',';
      const auto it = record.find(field);
      if (it != record.end()) line += it->second;
    }
    bytes += common::cp932::Encode(common::Utf8ToUtf16(line)) + "\r\n";
  }
  return bytes;
}

// A main window with its display and totals grids prepared as start-up
// prepares them, and claim files on disk to show in it.
class ClaimDisplay {
 public:
  ClaimDisplay() : window_(std::make_unique<frmPellora>(ui, frmPellora::Environment{})) {
    EXPECT_TRUE(InitViewerGrid(*window_->GridOf(MainControl::vsfViewer)));
    EXPECT_TRUE(InitTotalGrid(*window_->GridOf(MainControl::vsfTotal)));
  }

  frmPellora& window() { return *window_; }

  // Writes the file and shows it: the display as the file choice clears it,
  // then the display steps in the pipeline's order (the name look-ups
  // aside), and the window drawn from them.
  void Show(const std::vector<Record>& records) { ShowBytes(FileBytes(records)); }

  void ShowBytes(const std::string& bytes) {
    const auto path = folder_.Write("claim" + std::to_string(++files_) + ".csv", bytes);
    frmPellora& w = *window_;
    w.ClearClaimDisplay();
    auto claim = std::make_shared<ClaimView>();
    claim->file = U16Path(path);
    claim->yearMonthCaption = w.Claim().yearMonthCaption;
    claim->showsServiceTotals = w.Claim().showsServiceTotals;
    claim->records = claim::ClaimRecords(RecordFile::Read(claim->file));
    if (claim->records.Rows() >= 2) ShowClaimRecords(*claim);
    LoadCsvGrid(claim->records, *w.GridOf(MainControl::vsfCsv), ui);
    w.ShowClaim(std::move(claim));
  }

  RecordingMessageBoxes ui;

 private:
  TempFolder folder_;
  int files_ = 0;
  std::unique_ptr<frmPellora> window_;
};

// A window's grids, as a routine under test is handed them.
inline FlexGrid& ViewerGrid(frmPellora& w) { return *w.GridOf(MainControl::vsfViewer); }
inline FlexGrid& TotalGrid(frmPellora& w) { return *w.GridOf(MainControl::vsfTotal); }
inline FlexGrid& RawGrid(frmPellora& w) { return *w.GridOf(MainControl::vsfCsv); }
inline const FlexGrid& ViewerGrid(const frmPellora& w) { return w.vsfViewer(); }
inline const FlexGrid& TotalGrid(const frmPellora& w) { return w.vsfTotal(); }

using Table = std::vector<std::vector<std::u16string>>;

// The texts of rows `firstRow` to the last, columns `firstCol` to `lastCol`.
inline Table TableOf(const FlexGrid& grid, int firstRow, int firstCol, int lastCol) {
  Table rows;
  for (int r = firstRow; r < grid.Rows(); ++r) {
    std::vector<std::u16string> row;
    for (int c = firstCol; c <= lastCol; ++c) row.push_back(grid.TextMatrix(r, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

// A table as UTF-8 lines, for readable failure messages.
inline std::string Printed(const Table& table) {
  std::string out;
  for (const auto& row : table) {
    out += "  |";
    for (const auto& cell : row) out += common::Utf16ToUtf8(cell).value_or("?") + "|";
    out += "\n";
  }
  return out;
}

}  // namespace pellora::testing
