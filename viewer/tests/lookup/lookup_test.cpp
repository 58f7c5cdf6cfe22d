// The name look-ups against real database files of every form: which row
// names a field, what colour it gets, and that no database or a damaged one
// turns the fields pink and fills in no name.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <span>

#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "claim/display_columns.h"
#include "display/header_labels.h"
#include "display/viewer_grid.h"
#include "lookup/database_location.h"
#include "lookup/master_data_lookups.h"
#include "display/header_labels.h"
#include "display/viewer_grid.h"
#include "lookup/database_location.h"
#include "lookup/master_data_lookups.h"
#include "tests/csv/temp_files.h"
#include "tests/lookup/provider_database.h"
#include "text/number_text.h"

namespace pellora {
namespace {

using namespace testing;

constexpr std::u16string_view kEarlierText = u"前の文字";

std::string Printable(const std::u16string& text) { return common::Utf16ToUtf8(text).value_or("?"); }

// What the look-ups' outcomes are drawn on, as the main window has them:
// the header's labels, the display grid prepared as start-up prepares it,
// and the database start-up found.
struct LookupWindow {
  LookupWindow() { EXPECT_TRUE(InitViewerGrid(viewer)); }
  const Label& lblHead(int i) const { return head[static_cast<std::size_t>(i)]; }
  FlexGrid& vsfViewer() { return viewer; }
  const FlexGrid& vsfViewer() const { return viewer; }
  bool DBFound() const { return database.found; }
  const std::u16string& DBPath() const { return database.path; }

  std::array<Label, 4> head;
  Label yearMonthCaption;
  FlexGrid viewer{GridDesign{50, 10, 1, 1}};
  NameDatabase database;
};

// A window with a claim on display in it, and a provider database on disk.
class NameLookup {
 public:
  NameLookup() : window_(std::make_unique<LookupWindow>()) {}

  LookupWindow& window() { return *window_; }
  const TempDir& dir() const { return dir_; }

  // Uses `file` as the database, as start-up would after checking it.
  void UseDatabase(const std::filesystem::path& file) {
    window_->database.found = CheckDatabase(common::Utf8ToUtf16(file.string()));
    window_->database.path = window_->DBFound() ? common::Utf8ToUtf16(file.string()) : u"";
  }

  // One display row per (insured number, insurer number), each name holding
  // some earlier text, so that a name left alone is told from one written.
  void ShowPersons(const std::vector<std::pair<std::string, std::string>>& persons) {
    claim_.rows.clear();
    for (const auto& [insured, insurer] : persons) {
      DisplayRow row;
      row.yearMonth = u"2024年04月";
      row.insured = common::Utf8ToUtf16(insured);
      row.insurer = common::Utf8ToUtf16(insurer);
      row.name = kEarlierText;
      claim_.rows.push_back(std::move(row));
    }
    FlexGrid& grid = window_->vsfViewer();
    ShowViewerRows(claim_, grid);
    grid.SetRow(2 <= grid.Rows() ? 1 : 0);
    grid.SetCol(viewer_col::kFirstService);
  }

  // The provider number as the display takes it from the control record,
  // before its name is looked up.
  void SetProvider(const std::string& number) {
    claim_.providerNumber = common::Utf8ToUtf16(number);
    claim_.providerName.clear();
    claim_.providerOutcome = LookupOutcome::NotLookedUp;
  }

  // The look-ups with the window's database, and the window drawn from the
  // claim afterwards, as the display pipeline does.
  void LookupProviderName() {
    pellora::LookupProviderName(claim_, {window_->DBFound(), window_->DBPath()});
    ShowHead(claim_, window_->head, window_->yearMonthCaption);
  }
  void LookupInsuredNames() {
    pellora::LookupInsuredNames(claim_, {window_->DBFound(), window_->DBPath()});
    ShowViewerRows(claim_, window_->vsfViewer());
  }

  std::u16string NameAt(int r) const { return window_->vsfViewer().TextMatrix(r, viewer_col::kName); }
  std::optional<OleColor> ColourAt(int r) const { return window_->vsfViewer().CellBackColor(r, viewer_col::kName); }

  void ExpectEveryNameCell(OleColor colour) const {
    for (int r = 1; r < window_->vsfViewer().Rows(); ++r) EXPECT_EQ(ColourAt(r), colour) << "row " << r;
  }
  void ExpectCurrentCellAtOrigin() const {
    EXPECT_EQ(window_->vsfViewer().Row(), 0);
    EXPECT_EQ(window_->vsfViewer().Col(), 0);
  }

 private:
  TempDir dir_;
  std::unique_ptr<LookupWindow> window_;
  ClaimView claim_;
};

// ---- Every form of database ----

class EveryDatabaseForm : public ::testing::TestWithParam<DatabaseForm> {
 protected:
  void SetUp() override {
    lookup.UseDatabase(WriteProviderDatabase(lookup.dir(), GetParam()));
    ASSERT_TRUE(lookup.window().DBFound());
  }
  NameLookup lookup;
};

INSTANTIATE_TEST_SUITE_P(Forms, EveryDatabaseForm, ::testing::ValuesIn(kAllDatabaseForms),
                         [](const auto& info) { return FormName(info.param); });

struct PersonCase {
  const char* what;
  std::string insured, insurer;
  std::optional<std::u16string> name;  // nothing: the cell keeps its earlier text
  OleColor colour;
};

// One display row per case, named by LookupInsuredNames and checked: its
// name, its colour, and its numbers untouched.
void LookUpPersons(NameLookup& lookup, std::span<const PersonCase> cases) {
  std::vector<std::pair<std::string, std::string>> persons;
  for (const PersonCase& c : cases) persons.emplace_back(c.insured, c.insurer);
  lookup.ShowPersons(persons);

  lookup.LookupInsuredNames();

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    const PersonCase& c = cases[i];
    EXPECT_EQ(lookup.NameAt(r), c.name.value_or(std::u16string(kEarlierText)))
        << c.what << ": got " << Printable(lookup.NameAt(r));
    EXPECT_EQ(lookup.ColourAt(r), c.colour) << c.what;
    EXPECT_EQ(lookup.window().vsfViewer().TextMatrix(r, viewer_col::kInsurer), common::Utf8ToUtf16(c.insurer)) << c.what;
  }
  lookup.ExpectCurrentCellAtOrigin();
}

TEST_P(EveryDatabaseForm, EachPersonIsNamedByTheFirstRowWithBothNumbersExactly) {
  const PersonCase cases[] = {
      {"name found", "0000000001", "131011", u"髙橋 一郎", kLightYellow},
      {"NULL name", "0000000002", "131011", u"", kLightYellow},
      {"four-digit insurer number", "0000000003", "1234", u"鈴木～花子", kLightYellow},
      {"six-digit insurer number, first of two rows", "0000000003", "001234", u"鈴木～花子", kLightYellow},
      {"insurer number with blanks is a number", "0000000003", " 1234 ", u"鈴木～花子", kLightYellow},
      {"empty name", "0000000004", "131011", u"", kLightYellow},
      {"full-width space", "0000000005", "131011", u"全角　空白", kLightYellow},
      {"half-width kana", "0000000006", "131011", u"ﾊﾝｶｸｶﾅ ﾀﾛｳ", kLightYellow},
      {"backslash", "0000000007", "131011", u"back\\slash", kLightYellow},
      {"NEC and IBM extensions", "0000000008", "131029", u"①髙﨑", kLightYellow},
      {"quote and comma in the name", "0000000011", "131011", u"引用\"符,と読点", kLightYellow},
      {"a quote in the number, with its row", "00'09", "131011", u"引用符のある番号", kLightYellow},
      {"a quote in the number, no row", "12'34", "131011", std::nullopt, kLightCyan},
      {"other insurer", "0000000001", "131029", std::nullopt, kLightCyan},
      {"unknown person", "9999999999", "131011", std::nullopt, kLightCyan},
      {"insured number with a blank", " 0000000001", "131011", std::nullopt, kLightCyan},
      {"empty insured number never meets a NULL", "", "131011", std::nullopt, kLightCyan},
      {"empty insurer number never meets a NULL", "0000000010", "", std::nullopt, kLightCyan},
      {"insurer text that is no number stays as it is", "0000000001", "13101x", std::nullopt, kLightCyan},
  };
  LookUpPersons(lookup, cases);
}

struct ProviderCase {
  const char* what;
  std::string number;
  std::u16string name;
  OleColor colour;
};

TEST_P(EveryDatabaseForm, TheProviderIsNamedByTheFirstRowWithItsNumber) {
  const ProviderCase cases[] = {
      {"name found, first of two rows", kProviderNumber, u"髙橋ケアステーション①", kLightYellow},
      {"NULL name", "1370000001", u"", kLightYellow},
      {"empty name", "1370000002", u"", kLightYellow},
      {"no row: the caption stays empty", "9999999999", u"", kLightCyan},
      {"empty number never meets a NULL", "", u"", kLightCyan},
      {"a quote in the number, with its row", "13'70", u"引用符の事業所", kLightYellow},
      {"a quote in the number, no row", "99'99", u"", kLightCyan},
  };
  for (const ProviderCase& c : cases) {
    LookupWindow& w = lookup.window();
    lookup.SetProvider(c.number);
    lookup.LookupProviderName();
    EXPECT_EQ(w.lblHead(3).Caption, c.name) << c.what;
    EXPECT_EQ(w.lblHead(3).BackColor, c.colour) << c.what;
    EXPECT_EQ(w.lblHead(2).Caption, common::Utf8ToUtf16(c.number)) << c.what;
  }
}

TEST_P(EveryDatabaseForm, OnlyTheHeadingRowChangesNoCellButTheCurrentOne) {
  lookup.ShowPersons({});
  lookup.window().vsfViewer().SetCol(viewer_col::kName);
  lookup.LookupInsuredNames();
  EXPECT_EQ(lookup.window().vsfViewer().Rows(), 1);
  EXPECT_EQ(lookup.ColourAt(0), std::nullopt);
  EXPECT_EQ(lookup.NameAt(0), u"氏名");
  lookup.ExpectCurrentCellAtOrigin();
}

// ---- No usable database ----

TEST(NoDatabase, EveryNameFieldTurnsPinkAndNothingIsRead) {
  NameLookup lookup;
  // A sound database at DBPath: had it been read, names would show.
  lookup.UseDatabase(WriteProviderDatabase(lookup.dir(), DatabaseForm::Jet4Compressed));
  LookupWindow& w = lookup.window();
  w.database.found = false;
  lookup.SetProvider(kProviderNumber);
  lookup.ShowPersons({{"0000000001", "131011"}, {"0000000003", "001234"}, {"9999999999", "131011"}});

  lookup.LookupProviderName();
  lookup.LookupInsuredNames();

  EXPECT_EQ(w.lblHead(3).Caption, u"");
  EXPECT_EQ(w.lblHead(3).BackColor, kPink);
  lookup.ExpectEveryNameCell(kPink);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(lookup.NameAt(r), kEarlierText);
  lookup.ExpectCurrentCellAtOrigin();
}

TEST(NoDatabase, BeforeStartUpTheWindowHasNone) {
  NameLookup lookup;
  const LookupWindow& w = lookup.window();
  EXPECT_FALSE(w.DBFound());
  EXPECT_EQ(w.DBPath(), u"");
  lookup.LookupProviderName();
  EXPECT_EQ(w.lblHead(3).BackColor, kPink);
}

// ---- Failures: pink everywhere, names found kept ----

struct Failure {
  const char* name;
  // Prepares the failure in the lookup's folder, on a database that opened
  // at start-up.
  void (*prepare)(NameLookup&, const std::filesystem::path& database);
  OleColor providerColour;
};

void RemoveFile(NameLookup&, const std::filesystem::path& db) { std::filesystem::remove(db); }

void WithoutInsuredTable(NameLookup&, const std::filesystem::path& db) {
  jetwriter::WriteJetFile(InForm(DatabaseForm::Jet4Compressed, {ProviderTable()}), db);
}

void WithoutNameColumn(NameLookup&, const std::filesystem::path& db) {
  jetwriter::WriteJetFile(
      InForm(DatabaseForm::Jet4Compressed,
             {ProviderTable(), TextTable("m_insd", {"insd_no", "insr_no"}, {{"0000000001", "131011"}})}),
      db);
}

void NameColumnNotText(NameLookup&, const std::filesystem::path& db) {
  jetwriter::Table insd{"m_insd",
                        {{"insd_no", jetwriter::ColumnType::Text, 10},
                         {"insr_no", jetwriter::ColumnType::Text, 6},
                         {"pat_nm", jetwriter::ColumnType::Long, 4}},
                        {{std::string("0000000001"), std::string("131011"), std::int64_t{7}}}};
  jetwriter::WriteJetFile(InForm(DatabaseForm::Jet4Compressed, {ProviderTable(), insd}), db);
}

void TruncatedInsidePage(NameLookup&, const std::filesystem::path& db) {
  std::filesystem::resize_file(db, std::filesystem::file_size(db) - 100);
}

void ReplacedByText(NameLookup&, const std::filesystem::path& db) {
  std::ofstream(db, std::ios::trunc) << "pvd_no,pvd_nm\n1371234567,not a database\n";
}

void NotReadable(NameLookup&, const std::filesystem::path& db) { ::chmod(db.c_str(), 0); }

void PrintTo(const Failure& failure, std::ostream* os) { *os << failure.name; }

class LookupFails : public ::testing::TestWithParam<Failure> {};

INSTANTIATE_TEST_SUITE_P(
    Cases, LookupFails,
    ::testing::Values(Failure{"FileRemovedSinceStartUp", RemoveFile, kPink},
                      Failure{"NoInsuredTable", WithoutInsuredTable, kLightYellow},
                      Failure{"NoNameColumn", WithoutNameColumn, kLightYellow},
                      Failure{"NameColumnNotText", NameColumnNotText, kLightYellow},
                      Failure{"TruncatedInsideAPage", TruncatedInsidePage, kPink},
                      Failure{"ReplacedByText", ReplacedByText, kPink},
                      Failure{"NotReadable", NotReadable, kPink}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(LookupFails, EveryNameFieldItWasResponsibleForTurnsPink) {
  if (std::string(GetParam().name) == "NotReadable" && RunningAsRoot()) GTEST_SKIP() << "root reads any file";
  NameLookup lookup;
  const std::filesystem::path db = WriteProviderDatabase(lookup.dir(), DatabaseForm::Jet4Compressed);
  lookup.UseDatabase(db);
  ASSERT_TRUE(lookup.window().DBFound());
  LookupWindow& w = lookup.window();
  lookup.SetProvider(kProviderNumber);
  lookup.ShowPersons({{"0000000001", "131011"}, {"9999999999", "131011"}, {"0000000003", "001234"}});
  GetParam().prepare(lookup, db);

  const auto start = std::chrono::steady_clock::now();
  lookup.LookupProviderName();
  lookup.LookupInsuredNames();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  EXPECT_EQ(w.lblHead(3).BackColor, GetParam().providerColour);
  lookup.ExpectEveryNameCell(kPink);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(lookup.NameAt(r), kEarlierText) << "row " << r;
  lookup.ExpectCurrentCellAtOrigin();
}

// A table that cannot be read whole fills in no name: here m_insd's
// definition claims one row more than its pages hold, so that its rows read
// but the read fails at the end. No name is filled in, and every name cell
// turns pink.
TEST(LookupFailsPartWay, FillsInNoNameAndTurnsEveryNameCellPink) {
  NameLookup lookup;
  // m_insd first, so that its definition is the first table page (page 4).
  jetwriter::Database db = InForm(DatabaseForm::Jet4Compressed, {InsuredTable(), ProviderTable()});
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(db);
  constexpr std::size_t kPage = 4096, kRowCountOffset = 0x10;
  ASSERT_EQ(bytes[4 * kPage], 0x02);
  const std::uint32_t claimed = static_cast<std::uint32_t>(PersonRows().size() + 1);
  for (int i = 0; i < 4; ++i) bytes[4 * kPage + kRowCountOffset + i] = static_cast<std::uint8_t>(claimed >> (8 * i));
  const std::filesystem::path file = lookup.dir() / "data.qdr";
  jet::testing::WriteBytes(file, bytes);
  lookup.UseDatabase(file);
  ASSERT_TRUE(lookup.window().DBFound());
  lookup.ShowPersons({{"0000000001", "131011"}, {"9999999999", "131011"}, {"0000000005", "131011"}});

  lookup.LookupInsuredNames();

  lookup.ExpectEveryNameCell(kPink);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(lookup.NameAt(r), kEarlierText) << "row " << r;
  lookup.ExpectCurrentCellAtOrigin();
}

// ---- Key columns kept as numbers ----

// m_pvd and m_insd whose number columns are Long: a number text finds the
// row whose number it reads as, as Jet compares a quoted number with a
// number column; a text that is no number finds no row.
TEST(NumberKeyColumns, CompareAsNumbers) {
  using jetwriter::ColumnType;
  const jetwriter::Table pvd{"m_pvd",
                             {{"pvd_no", ColumnType::Long}, {"pvd_nm", ColumnType::Text, 60}},
                             {{std::int64_t{1371234567}, std::string("数値の事業所")}}};
  const jetwriter::Table insd{"m_insd",
                              {{"insd_no", ColumnType::Long}, {"insr_no", ColumnType::Long}, {"pat_nm"}},
                              {{std::int64_t{1}, std::int64_t{131011}, std::string("髙橋 一郎")},
                               {std::int64_t{3}, std::int64_t{1234}, std::string("鈴木～花子")},
                               {std::int64_t{3}, std::int64_t{1234}, std::string("二番目の同じ人")},
                               {jetwriter::Null, std::int64_t{131011}, std::string("番号なし")}}};
  NameLookup lookup;
  jetwriter::WriteJetFile(InForm(DatabaseForm::Jet3CodePage932, {pvd, insd}), lookup.dir() / "data.qdr");
  lookup.UseDatabase(lookup.dir() / "data.qdr");
  ASSERT_TRUE(lookup.window().DBFound());
  const PersonCase cases[] = {
      {"leading zeros", "0000000001", "131011", u"髙橋 一郎", kLightYellow},
      {"insurer padded to six digits, first of two rows", "0000000003", "1234", u"鈴木～花子", kLightYellow},
      {"blanks around a number", " 3 ", "001234", u"鈴木～花子", kLightYellow},
      {"the same number written otherwise", "3.0", "1.234e3", u"鈴木～花子", kLightYellow},
      {"no such number", "0000000002", "131011", std::nullopt, kLightCyan},
      {"a quote in the number", "00'01", "131011", std::nullopt, kLightCyan},
      {"no number at all", "", "131011", std::nullopt, kLightCyan},
  };
  LookUpPersons(lookup, cases);

  LookupWindow& w = lookup.window();
  lookup.SetProvider("01371234567");
  lookup.LookupProviderName();
  EXPECT_EQ(w.lblHead(3).Caption, u"数値の事業所");
  EXPECT_EQ(w.lblHead(3).BackColor, kLightYellow);
}

// ---- The insurer number's form ----

TEST(IsNumberText, NumbersAsTheIsNumericTestSeesThem) {
  const struct {
    std::u16string_view text;
    bool number;
  } cases[] = {
      {u"1234", true},  {u"001234", true}, {u" 12 ", true},  {u"\t12", true},   {u"-1.5e2", true},
      {u".5", true},    {u"5.", true},     {u"+7", true},    {u"", false},      {u" ", false},
      {u"12a", false},  {u"1 2", false},   {u"'12", false},  {u"１２", false},  {u"1e", false},
      {u".", false},    {u"-", false},     {u"12'34", false}, {u"0x1F", false}, {u"1,234", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNumberText(c.text), c.number) << Printable(std::u16string(c.text));
}

}  // namespace
}  // namespace pellora
