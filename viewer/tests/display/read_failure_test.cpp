// A read failure in the middle of a claim file keeps the rows read so far
// and tells the user with the information icon; a failing close is recorded
// and never closes twice.

#include <gtest/gtest.h>

#include <cerrno>

#include "controls/recording_message_boxes.h"
#include "csv/clsCSV.h"
#include "display/load_csv_grid.h"
#include "tests/csv/temp_files.h"
#include "tests/display/failing_io.h"

namespace pellora {
namespace {

using testing::TempFolder;
using testing::U16Path;
using Shown = RecordingMessageBoxes::Shown;

struct Disarmed {
  ~Disarmed() { testing::Disarm(); }
};

// 100 lines of "row,<n>" with CR LF, 10 bytes each.
std::string HundredLines() {
  std::string bytes;
  for (int n = 0; n < 100; ++n) bytes += "row," + std::to_string(1000 + n) + "\r\n";
  return bytes;
}

TEST(MidFileReadFailure, RowsReadSoFarStayAndTheUserIsTold) {
  const struct {
    int errnum;
    std::size_t failAfter;
    int completeLines;
    std::u16string message;
  } cases[] = {
      {EIO, 355, 35, u"57;デバイス I/O エラーです。"},      // inside line 35
      {EIO, 350, 35, u"57;デバイス I/O エラーです。"},      // right after a line end
      {ENOMEM, 5, 0, u"7;メモリが不足しています。"},
      {EINVAL, 999, 99, u"57;デバイス I/O エラーです。"},   // before the very last byte
  };
  TempFolder folder;
  const auto path = folder.Write("claim.csv", HundredLines());
  for (const auto& c : cases) {
    Disarmed disarm;
    testing::Arm({path.string(), c.failAfter, c.errnum, 0});
    FlexGrid grid({1, 1, 1, 1});
    RecordingMessageBoxes ui;
    LoadCsvGrid(U16Path(path), grid, ui);
    EXPECT_EQ(ui.shown, (std::vector<Shown>{{c.message, MsgIcon::Information, std::nullopt}})) << c.failAfter;
    // The failing line had already been given its row when the read failed.
    EXPECT_EQ(grid.Rows(), c.completeLines + 1) << c.failAfter;
    for (int r = 0; r < c.completeLines; ++r) {
      const std::string n = std::to_string(1000 + r);
      ASSERT_EQ(grid.TextMatrix(r, 2), std::u16string(n.begin(), n.end()));
    }
    if (grid.Cols() > 1) {
      EXPECT_EQ(grid.TextMatrix(c.completeLines, 1), u"");
    }
  }
}

TEST(MidFileReadFailure, ValueRecordsTheNumberAndThrowsIt) {
  TempFolder folder;
  const auto path = folder.Write("claim.csv", HundredLines());
  Disarmed disarm;
  testing::Arm({path.string(), 25, EIO, 0});
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  EXPECT_EQ(csv.Value(), u"row");
  EXPECT_EQ(csv.Value(), u"1000");
  EXPECT_EQ(csv.Value(), u"row");
  EXPECT_EQ(csv.Value(), u"1001");
  EXPECT_THROW(csv.Value(), FileError);
  EXPECT_EQ(csv.ErrNo(), 57);
  EXPECT_EQ(csv.ErrDesc(), u"");
}

TEST(FailingClose, IsRecordedAndTheFileCountsAsClosed) {
  TempFolder folder;
  const auto path = folder.Write("claim.csv", "a\r\n");
  Disarmed disarm;
  testing::Arm({path.string(), 0, 0, EIO});
  {
    clsCSV csv;
    csv.OpenFile(U16Path(path));
    EXPECT_EQ(csv.Value(), u"a");
    csv.CloseFile();
    EXPECT_EQ(csv.ErrNo(), 57);
    EXPECT_EQ(csv.ErrDesc(), u"デバイス I/O エラーです。");
    EXPECT_TRUE(csv.CSVEOF());
    EXPECT_EQ(csv.Value(), u"");
  }
  EXPECT_EQ(testing::ClosesOfAClosedDescriptor(), 0);  // not again by the destructor

  // The loader does not look at the close: the file is shown without a message.
  FlexGrid grid({1, 1, 1, 1});
  RecordingMessageBoxes ui;
  LoadCsvGrid(U16Path(path), grid, ui);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(grid.TextMatrix(0, 1), u"a");
  EXPECT_EQ(testing::ClosesOfAClosedDescriptor(), 0);
}

}  // namespace
}  // namespace pellora
