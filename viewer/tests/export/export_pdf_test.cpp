// pellora-export --format pdf, the real program: the examples written as
// PDF files and read back with Poppler -- every display row on the page
// the layout puts it, the header on every page, the pages counted, the
// paper, every font embedded -- and files that cannot be written.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "claim/record_codes.h"
#include "common/utf.h"
#include "jetwriter/jet_description.h"
#include "lookup/database_location.h"
#include "qtprint/page_painter.h"
#include "reader/claim_reader.h"
#include "tests/export/program_run.h"
#include "tests/qtprint/poppler.h"

// Fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace pellora {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::string U8(std::u16string_view text) { return common::Utf16ToUtf8(text).value_or("?"); }

// Qt, for measuring the texts as the program measures them.
void StartQt() {
  static int argc = 3;
  static char name[] = "test_export_pdf", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

// The claim file shown as the export shows it, for the pages its PDF must
// hold.
struct Shown {
  Shown(const std::string& claimFile, const std::string& database)
      : claim(std::make_shared<ClaimView>(ReadClaim(
            common::Utf8ToUtf16(claimFile),
            {CheckDatabase(common::Utf8ToUtf16(database)), common::Utf8ToUtf16(database)}))) {
    StartQt();
  }
  print::Pages PagesOn(const print::PageSetup& setup) const {
    const print::TextWidth textWidth = qtprint::TextWidth();
    return print::Pages::LayOut(claim, print::WindowColumnWidths(textWidth), print::SheetOf(setup), textWidth,
                                {2024, 4, 1});
  }
  std::shared_ptr<const ClaimView> claim;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A display row as a page's text has it: "2024年03月  0000000001 髙橋 一郎 ...".
bool IsRowLine(const std::vector<std::string>& words) {
  if (words.size() < 2 || words[0].size() != 4 + 3 + 2 + 3 || words[1].size() != 10) return false;
  return words[0].substr(4, 3) == "年" && words[0].substr(9) == "月";
}

class ExportPdf : public ::testing::Test {
 protected:
  ExportPdf() {
    jetwriter::WriteJetFile(jetwriter::ReadDescriptionFile(PELLORA_EXAMPLES "/data.qdr.txt"), dir / "data.qdr");
    std::ofstream(dir / "one-line.csv", std::ios::binary) << "1,00000001,0,1,711,0,20240410,1371234567\r\n";
  }
  ProgramRun RunExport(const std::vector<std::string>& args) { return RunProgram(PELLORA_EXPORT, args, dir); }
  TempDir dir;
};

TEST_F(ExportPdf, EveryRowIsOnThePageTheLayoutPutsItUnderTheHeader) {
  const std::string examples = PELLORA_EXAMPLES;
  const std::string database = (dir / "data.qdr").string();
  const struct {
    const char* what;
    std::string claim;
    std::vector<std::string> options;
    print::PageSetup setup;
    std::string database;
  } cases[] = {
      {"care-fee claims", examples + "/care-fee-claim-202404.csv", {}, {}, database},
      {"benefit management on JIS B5 upright",
       examples + "/benefit-management-202404.csv",
       {"--paper", "b5", "--orientation", "portrait"},
       {print::Paper::B5, print::Orientation::Portrait},
       database},
      {"current benefit management on A3", examples + "/benefit-management-current-202604.csv", {"--paper=A3"},
       {print::Paper::A3, print::Orientation::Landscape}, database},
      {"no usable database", examples + "/care-fee-claim-202404.csv", {}, {}, (dir / "missing.qdr").string()},
      {"an empty display", (dir / "one-line.csv").string(), {}, {}, database},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path pdf = dir / "claim.pdf";
    std::vector<std::string> args = {"--format", "pdf", "--output", pdf.string(), "--db", c.database};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(c.claim);
    const ProgramRun run = RunExport(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    // Nothing of Qt's on standard error: it holds the export's warnings.
    for (const std::string& line : Lines(run.err)) EXPECT_TRUE(line.starts_with("pellora-export: warning: ")) << line;

    const Shown shown(c.claim, c.database);
    const ClaimView& view = *shown.claim;
    const print::Pages pages = shown.PagesOn(c.setup);
    const std::optional<PdfInfo> info = ReadPdfInfo(pdf);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->pages, pages.Count());
    EXPECT_NEAR(info->width, pages.sheet().width, 1);
    EXPECT_NEAR(info->height, pages.sheet().height, 1);
    const std::vector<std::pair<std::string, bool>> fonts = PdfFonts(pdf);
    EXPECT_FALSE(fonts.empty());
    for (const auto& [font, embedded] : fonts) EXPECT_TRUE(embedded) << font;

    for (int page = 0; page < pages.Count(); ++page) {
      SCOPED_TRACE("page " + std::to_string(page + 1));
      const std::string text = PageText(pdf, page + 1);
      std::vector<std::string> expected = {std::to_string(page + 1) + " / " + std::to_string(pages.Count()) + " ページ",
                                           U8(view.yearMonth), U8(view.providerNumber), U8(view.providerName)};
      if (view.kind != claim::FileKind::Undecided) expected.push_back(U8(claim::KindText(view.kind)));
      if (pages.LegendOn(page)) expected.push_back("氏名の欄の色と印");
      const print::Pages::RowRange totals = pages.TotalsOn(page);
      for (std::size_t m = totals.first; m < totals.first + totals.count; ++m) expected.push_back(U8(view.totals[m].month));
      if (view.rows.empty()) expected.push_back(U8(print::kNoRowsText));
      for (const std::string& part : expected) EXPECT_NE(text.find(part), std::string::npos) << part << " not in\n" << text;
      EXPECT_EQ(text.find("氏名の欄の色と印") != std::string::npos, pages.LegendOn(page));

      // The page's rows, in order: their year-month and insured number,
      // then the name's words with the mark of a name not found.
      std::vector<std::vector<std::string>> rowLines;
      for (const std::string& line : Lines(text))
        if (IsRowLine(Words(line))) rowLines.push_back(Words(line));
      const print::Pages::RowRange rows = pages.RowsOn(page);
      ASSERT_EQ(rowLines.size(), rows.count) << text;
      for (std::size_t i = 0; i < rows.count; ++i) {
        const DisplayRow& row = view.rows[rows.first + i];
        const std::vector<std::string>& words = rowLines[i];
        EXPECT_EQ(words[0], U8(row.yearMonth));
        EXPECT_EQ(words[1], U8(row.insured));
        // pdftotext gives an ideographic space as a blank, as any other.
        std::u16string blanked = row.name;
        std::replace(blanked.begin(), blanked.end(), u'\u3000', u' ');
        std::vector<std::string> name = Words(U8(blanked));
        if (row.nameOutcome == LookupOutcome::NotFound) name.insert(name.begin(), U8(print::kNotFoundMark));
        if (row.nameOutcome == LookupOutcome::Unavailable) name.insert(name.begin(), U8(print::kFailedMark));
        for (std::size_t w = 0; w < name.size(); ++w)
          EXPECT_EQ(words.size() > 2 + w ? words[2 + w] : "", name[w]) << U8(row.insured);
      }
    }
  }
}

TEST_F(ExportPdf, AFileThatCannotBeWrittenIsAFailureThatLeavesWhatWasThere) {
  const std::string claim = PELLORA_EXAMPLES "/care-fee-claim-202404.csv";
  const fs::path kept = dir / "kept.pdf";
  std::ofstream(kept, std::ios::binary) << "kept";
  const auto filesOfDir = [this] {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  // The file grows past what the system lets the program write, part-way.
  const ProgramRun cut = RunProgram("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"", PELLORA_EXPORT,
                                                "--format", "pdf", "--output", kept.string(), claim},
                                    dir);
  EXPECT_EQ(cut.status, 1) << cut.err;
  EXPECT_NE(cut.err.find("kept.pdf could not be written"), std::string::npos) << cut.err;
  EXPECT_EQ(ReadAll(kept), "kept");
  const std::vector<std::string> before = filesOfDir();
  EXPECT_EQ(before, (std::vector<std::string>{"data.qdr", "kept.pdf", "one-line.csv", "stderr", "stdout"}));

  for (const fs::path& output : {dir / "no-folder" / "claim.pdf", dir.path()}) {
    const ProgramRun run = RunExport({"--format", "pdf", "--output", output.string(), claim});
    EXPECT_EQ(run.status, 1) << output;
    EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
  }
  EXPECT_EQ(filesOfDir(), before);

  // The claim file itself is never the output.
  fs::copy_file(claim, dir / "claim.csv");
  const ProgramRun itself = RunExport({"--format", "pdf", "--output", "claim.csv", (dir / "claim.csv").string()});
  EXPECT_EQ(itself.status, 64);
  EXPECT_EQ(ReadAll(dir / "claim.csv"), ReadAll(claim));
}

}  // namespace
}  // namespace pellora
