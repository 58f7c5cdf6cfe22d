// libFuzzer target for the claim file reader and the raw record grid.
//
// Each input becomes a file (in memory, opened by path like any claim file)
// and is read three times: field by field through clsCSV, into a grid
// through LoadCsvGrid, and as lines whose fields the scanner finds one by
// one. All must agree with a plain reference reading of the same
// bytes (split at CR LF or CR, or at LF in a file without CR, decode, split
// at unquoted commas), the loader
// must show no message, the codec must round-trip what it decoded, and a
// sort of the loaded rows must leave them ordered and complete.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "csv/clsCSV.h"
#include "csv/field_splitter.h"
#include "csv/record_file.h"
#include "display/load_csv_grid.h"
#include "text/sort_rules.h"

namespace {

using Records = std::vector<std::vector<std::u16string>>;

void Check(bool condition) {
  if (!condition) std::abort();
}

Records ReferenceRecords(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  const char lineEnd = bytes.find('\r') == std::string_view::npos ? '\n' : '\r';
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != lineEnd) continue;
    lines.push_back(bytes.substr(start, i - start));
    // CR LF is one line end; in a file of LF line ends every LF is one.
    if (lineEnd == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  Records records;
  for (std::string_view line : lines) {
    const std::u16string text = common::cp932::Decode(line);
    std::vector<std::u16string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c == u'"' && quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        fields.back() += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = !quoted;
      } else if (c == u',' && !quoted) {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    records.push_back(std::move(fields));
  }
  return records;
}

Records ReadWithClsCSV(const std::u16string& path) {
  pellora::clsCSV csv;
  csv.OpenFile(path);
  Check(csv.ErrNo() == 0);
  Records records;
  while (!csv.CSVEOF()) {
    if (csv.CSVEOL()) records.emplace_back();
    Check(!records.empty());
    records.back().push_back(csv.Value());
  }
  Check(csv.Value().empty());
  csv.CloseFile();
  Check(csv.ErrNo() == 0);
  return records;
}

// The file's lines read back whole, and their fields found one by one by
// the scanner, in an order the input chooses (a field asked twice, one past
// the end).
void CheckRecordFile(const std::u16string& path, const Records& expected, std::uint8_t orderChoice) {
  const pellora::RecordFile file = pellora::RecordFile::Read(path);
  Check(!file.failure());
  Check(file.Lines() == expected.size());
  pellora::FieldScanner scanner;
  for (std::size_t r = 0; r < expected.size(); ++r) {
    scanner.Start(file.LineBytes(r));
    const int fields = static_cast<int>(expected[r].size());
    for (int step = 0; step <= fields + 1; ++step) {
      const int field = 1 + (step * (1 + orderChoice % 7)) % (fields + 1);
      const std::u16string_view got = scanner.Field(field);
      Check(field > fields ? got.empty() : got == expected[r][static_cast<std::size_t>(field - 1)]);
    }
  }
}

void CheckCodecRoundTrip(std::string_view bytes) {
  const std::u16string text = common::cp932::Decode(bytes);
  std::u16string expected = text;
  for (char16_t& c : expected)
    if (c == common::cp932::kReplacementChar) c = u'?';
  Check(common::cp932::Decode(common::cp932::Encode(text)) == expected);
}

void CheckLoadedGrid(const std::u16string& path, const Records& expected, std::uint8_t sortChoice) {
  pellora::FlexGrid grid({1, 1, 1, 1});
  pellora::RecordingMessageBoxes ui;
  pellora::LoadCsvGrid(path, grid, ui);
  Check(ui.shown.empty());
  std::size_t widest = 0;
  for (const auto& r : expected) widest = std::max(widest, r.size());
  Check(grid.Rows() == static_cast<int>(std::max<std::size_t>(expected.size(), 1)));
  Check(grid.Cols() == static_cast<int>(widest + 1));
  for (std::size_t r = 0; r < expected.size(); ++r)
    for (std::size_t f = 0; f < expected[r].size(); ++f)
      Check(grid.TextMatrix(static_cast<int>(r), static_cast<int>(f + 1)) == expected[r][f]);

  // Sort the loaded rows by one column and check order and completeness.
  const int col = 1 + sortChoice % static_cast<int>(std::max<std::size_t>(widest, 1));
  if (col >= grid.Cols()) return;
  const bool generic = sortChoice & 0x80;
  std::vector<std::u16string> before;
  for (int r = 1; r < grid.Rows(); ++r) before.push_back(grid.TextMatrix(r, col));
  grid.SetRow(0);
  grid.SetCol(col);
  grid.SetColSel(col);
  grid.SetSort(generic ? pellora::FlexGrid::kSortGenericAscending : pellora::FlexGrid::kSortStringNoCaseAscending);
  std::vector<std::u16string> after;
  for (int r = 1; r < grid.Rows(); ++r) after.push_back(grid.TextMatrix(r, col));
  for (std::size_t i = 1; i < after.size(); ++i) {
    const auto o = generic ? pellora::CompareGeneric(after[i - 1], after[i])
                           : pellora::CompareIgnoringCase(after[i - 1], after[i]);
    Check(o <= 0);
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  Check(before == after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static const int fd = memfd_create("fuzz-claim.csv", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  Check(::ftruncate(fd, 0) == 0);
  Check(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
  static const std::u16string path = common::Utf8ToUtf16("/proc/self/fd/" + std::to_string(fd));

  const Records expected = ReferenceRecords(bytes);
  Check(ReadWithClsCSV(path) == expected);
  CheckLoadedGrid(path, expected, size > 0 ? data[0] : 0);
  CheckRecordFile(path, expected, size > 1 ? data[1] : 0);
  CheckCodecRoundTrip(bytes);
  return 0;
}
