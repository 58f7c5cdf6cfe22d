// The CSV record reader on real files: how lines split into fields, where
// lines end, the CSVEOL/CSVEOF states, and the errors a user gets to read.

#include "csv/clsCSV.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "tests/csv/temp_files.h"

namespace pellora {
namespace {

using testing::TempFolder;
using testing::U16Path;
using Records = std::vector<std::vector<std::u16string>>;

// Reads the whole file the way the loader does: a new record whenever
// CSVEOL is set before a field.
Records ReadRecords(clsCSV& csv) {
  Records records;
  for (int guard = 0; !csv.CSVEOF() && guard < 1000000; ++guard) {
    if (csv.CSVEOL()) records.emplace_back();
    records.back().push_back(csv.Value());
  }
  return records;
}

Records ReadFile(const TempFolder& folder, std::string_view bytes) {
  clsCSV csv;
  csv.OpenFile(U16Path(folder.Write("claim.csv", bytes)));
  EXPECT_EQ(csv.ErrNo(), 0);
  return ReadRecords(csv);
}

// Each line is written with a CR LF after it.
TEST(clsCSV, LinesSplitIntoFields) {
  const struct {
    std::string line;
    std::vector<std::u16string> fields;
  } cases[] = {
      {"a,b,c", {u"a", u"b", u"c"}},
      {"\"x,y\",z", {u"x,y", u"z"}},
      {"\"a\"\"b\"", {u"a\"b"}},
      {"\"\"", {u""}},
      {"\"\"\"\"", {u"\""}},
      {"ab\"c,d\"e", {u"abc,de"}},
      {"\"abc", {u"abc"}},
      {"a,b,", {u"a", u"b", u""}},
      {"", {u""}},
      {" a , b ", {u" a ", u" b "}},
      {"\ta\t,\"\t\"", {u"\ta\t", u"\t"}},
      {"a\"", {u"a"}},                  // a quote at the end toggles and vanishes
      {"\"a\"b\"c\"", {u"abc"}},
      {"\"a,\"\",\"\"\",b", {u"a,\",\"", u"b"}},
      {",,", {u"", u"", u""}},
      {"\x8E\x52\x93\x63,\"\x91\xBE\x98\x59,\x81\x60\"", {u"山田", u"太郎,～"}},
      {"\x82,\x82\"x", {u"\uFFFD", u"\uFFFDx"}},  // broken lead bytes keep the comma and the quote
  };
  TempFolder folder;
  for (const auto& c : cases) {
    EXPECT_EQ(ReadFile(folder, c.line + "\r\n"), Records{c.fields}) << "line: " << c.line;
  }
}

TEST(clsCSV, QuoteStateEndsWithTheLine) {
  TempFolder folder;
  EXPECT_EQ(ReadFile(folder, "\"abc,d\r\nx,\"y\r\n"), (Records{{u"abc,d"}, {u"x", u"y"}}));
}

TEST(clsCSV, LinesEndAtCrLfOrLoneCrButNotAtLoneLf) {
  const struct {
    const char* what;
    std::string bytes;
    Records records;
  } cases[] = {
      {"empty file", "", {}},
      {"last line without terminator", "a,b\r\nc", {{u"a", u"b"}, {u"c"}}},
      {"final CR LF adds no record", "a\r\nb\r\n", {{u"a"}, {u"b"}}},
      {"lone CR ends a line", "a\rb\r", {{u"a"}, {u"b"}}},
      {"lone LF stays in the line", "a\nb,c\n\r", {{u"a\nb", u"c\n"}}},
      {"LF ends lines in a file without CR", "a\nb,c\n", {{u"a"}, {u"b", u"c"}}},
      {"LF line ends with a final line unended", "a,\"b\n\nc", {{u"a", u"b"}, {u""}, {u"c"}}},
      {"LF CR", "a\n\rb", {{u"a\n"}, {u"b"}}},
      {"CR CR LF is two lines", "a\r\r\n", {{u"a"}, {u""}}},
      {"only CR", "\r\r\r", {{u""}, {u""}, {u""}}},
      {"only LF", "\n\n", {{u""}, {u""}}},
      {"one CR keeps LF inside lines", "\n\n\r", {{u"\n\n"}}},
      {"empty lines", "\r\n\r\nx", {{u""}, {u""}, {u"x"}}},
      {"NUL bytes are characters", std::string("a\0,\0b\r\n", 7), {{std::u16string(u"a\0", 2), std::u16string(u"\0b", 2)}}},
  };
  TempFolder folder;
  for (const auto& c : cases) EXPECT_EQ(ReadFile(folder, c.bytes), c.records) << c.what;
}

// A file of LF line ends longer than a read block is read by LF throughout;
// a single CR far behind the first block still keeps every LF in its line.
TEST(clsCSV, LineEndRuleHoldsForTheWholeFile) {
  TempFolder folder;
  std::string lines;
  for (int i = 0; lines.size() < 600000; ++i) lines += std::to_string(i) + ",x\n";
  const Records byLf = ReadFile(folder, lines);
  ASSERT_EQ(byLf.size(), static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n')));
  EXPECT_EQ(byLf.back(), (std::vector<std::u16string>{common::Utf8ToUtf16(std::to_string(byLf.size() - 1)), u"x"}));
  EXPECT_EQ(ReadFile(folder, lines + "\r").size(), 1u);
}

// A CR at the end of one block and its LF at the start of the next must
// still be one line end; lines longer than a block must come out whole.
TEST(clsCSV, LineEndsAcrossReadBlocks) {
  TempFolder folder;
  for (std::size_t length : {262142u, 262143u, 262144u, 262145u, 524287u, 524288u, 1048577u}) {
    const std::string first(length, 'x');
    const Records records = ReadFile(folder, first + "\r\nb,c\r\n" + first + "\r" + "d");
    ASSERT_EQ(records.size(), 4u) << length;
    EXPECT_EQ(records[0][0].size(), length);
    EXPECT_EQ(records[1], (std::vector<std::u16string>{u"b", u"c"}));
    EXPECT_EQ(records[2][0].size(), length);
    EXPECT_EQ(records[3], std::vector<std::u16string>{u"d"});
  }
}

TEST(clsCSV, EndOfLineAndEndOfFileAsFieldsAreRead) {
  TempFolder folder;
  clsCSV csv;
  csv.OpenFile(U16Path(folder.Write("claim.csv", "a,b\r\nc")));
  struct Step {
    std::u16string value;
    bool eolAfter;
    bool eofAfter;
  };
  EXPECT_TRUE(csv.CSVEOL());
  EXPECT_FALSE(csv.CSVEOF());
  const Step steps[] = {{u"a", false, false}, {u"b", true, false}, {u"c", true, true}, {u"", true, true}};
  for (const Step& s : steps) {
    EXPECT_EQ(csv.Value(), s.value);
    EXPECT_EQ(csv.CSVEOL(), s.eolAfter) << "after [" << s.value.size() << "]";
    EXPECT_EQ(csv.CSVEOF(), s.eofAfter);
  }
  csv.CloseFile();
  EXPECT_EQ(csv.ErrNo(), 0);
}

TEST(clsCSV, StatesBeforeOpenAndAfterClose) {
  TempFolder folder;
  clsCSV csv;
  EXPECT_FALSE(csv.CSVEOL());
  EXPECT_TRUE(csv.CSVEOF());
  EXPECT_EQ(csv.Value(), u"");
  EXPECT_EQ(csv.ErrNo(), 0);
  EXPECT_EQ(csv.ErrDesc(), u"");

  csv.OpenFile(U16Path(folder.Write("claim.csv", "a,b\r\n")));
  EXPECT_EQ(csv.Value(), u"a");
  csv.CloseFile();
  EXPECT_FALSE(csv.CSVEOL());  // left as it was
  EXPECT_TRUE(csv.CSVEOF());
  EXPECT_EQ(csv.Value(), u"");
  csv.CloseFile();  // closing twice is harmless
  EXPECT_EQ(csv.ErrNo(), 0);
}

TEST(clsCSV, EmptyFileIsAtItsEndRightAfterOpening) {
  TempFolder folder;
  clsCSV csv;
  csv.OpenFile(U16Path(folder.Write("empty.csv", "")));
  EXPECT_EQ(csv.ErrNo(), 0);
  EXPECT_TRUE(csv.CSVEOL());
  EXPECT_TRUE(csv.CSVEOF());
  EXPECT_EQ(csv.Value(), u"");
}

TEST(clsCSV, OpenFailuresGiveBasicErrorNumbersAndJapaneseTexts) {
  TempFolder folder;
  folder.Write("claim.csv", "a\r\n");
  const std::u16string base = U16Path(folder.path());
#ifdef _WIN32
  const std::u16string separator = u"\\";
  const std::u16string device = u"NUL";
#else
  const std::u16string separator = u"/";
  const std::u16string device = u"/dev/null";
#endif
  const struct {
    const char* what;
    std::u16string path;
    std::int16_t number;
    std::u16string description;
  } cases[] = {
      {"missing file", base + separator + u"nothing.csv", 53, u"ファイルが見つかりません。"},
      {"missing folder", base + separator + u"no-such-folder" + separator + u"claim.csv", 76, u"パスが見つかりません。"},
      {"a file used as a folder", base + separator + u"claim.csv" + separator + u"x.csv", 76, u"パスが見つかりません。"},
      {"a folder", base, 75, u"パス/ファイル アクセス エラーです。"},
      {"a device", device, 75, u"パス/ファイル アクセス エラーです。"},
      {"empty name", u"", 52, u"ファイル名または番号が不正です。"},
      {"NUL inside the name", base + separator + std::u16string(u"\0x", 2), 52, u"ファイル名または番号が不正です。"},
#ifndef _WIN32  // Windows names are UTF-16 themselves: any surrogate goes through to the system
      {"unpaired surrogate", base + separator + char16_t(0xD800), 52, u"ファイル名または番号が不正です。"},
#endif
      {"name too long", base + separator + std::u16string(5000, u'a'), 52, u"ファイル名または番号が不正です。"},
  };
  for (const auto& c : cases) {
    clsCSV csv;
    csv.OpenFile(c.path);
    EXPECT_EQ(csv.ErrNo(), c.number) << c.what;
    EXPECT_EQ(csv.ErrDesc(), c.description) << c.what;
    // A reader that could not open behaves as an empty file.
    EXPECT_TRUE(csv.CSVEOF()) << c.what;
    EXPECT_TRUE(csv.CSVEOL()) << c.what;
    EXPECT_EQ(csv.Value(), u"") << c.what;
  }
}

#ifdef _WIN32
// Another program -- the claim software writing it, say -- holds the file
// open without sharing it: the classic error 70.
TEST(clsCSV, FileLockedByAnotherProgramIsError70) {
  TempFolder folder;
  const auto path = folder.Write("claim.csv", "a\r\n");
  const HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  EXPECT_EQ(csv.ErrNo(), 70);
  EXPECT_EQ(csv.ErrDesc(), u"書き込みできません。");
  ::CloseHandle(held);
  csv.OpenFile(U16Path(path));  // let go of, it reads
  EXPECT_EQ(ReadRecords(csv), Records{{u"a"}});
}
#else
TEST(clsCSV, UnreadableFileIsAnAccessError) {
  if (testing::RunningAsRoot()) GTEST_SKIP() << "root reads files whatever their permissions";
  TempFolder folder;
  const auto path = folder.Write("secret.csv", "a\r\n");
  ::chmod(path.c_str(), 0);
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  EXPECT_EQ(csv.ErrNo(), 75);
  EXPECT_EQ(csv.ErrDesc(), u"パス/ファイル アクセス エラーです。");
}
#endif

TEST(clsCSV, ErrorStaysUntilASuccessfulClose) {
  TempFolder folder;
  const auto good = U16Path(folder.Write("claim.csv", "a\r\n"));
  clsCSV csv;
  csv.OpenFile(U16Path(folder.path() / "missing.csv"));
  ASSERT_EQ(csv.ErrNo(), 53);
  csv.OpenFile(good);  // success leaves the recorded error alone
  EXPECT_EQ(csv.ErrNo(), 53);
  EXPECT_EQ(ReadRecords(csv), Records{{u"a"}});
  csv.CloseFile();
  EXPECT_EQ(csv.ErrNo(), 0);
  EXPECT_EQ(csv.ErrDesc(), u"");

  csv.OpenFile(U16Path(folder.path() / "missing.csv"));
  csv.CloseFile();  // nothing open: still clears the error
  EXPECT_EQ(csv.ErrNo(), 0);
  EXPECT_EQ(csv.ErrDesc(), u"");
}

// How many of the process's open files are `path`. Windows cannot count
// them (not under Wine, at least); there it is 1 while any is open: a file
// that nobody holds opens without sharing.
int OpenFilesOn(const std::filesystem::path& path) {
#ifdef _WIN32
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION ? 1 : -1;
  ::CloseHandle(file);
  return 0;
#else
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (const dirent* entry = ::readdir(dir)) {
      std::error_code ec;
      count += std::filesystem::read_symlink(std::filesystem::path("/proc/self/fd") / entry->d_name, ec) == path;
    }
    ::closedir(dir);
  }
  return count;
#endif
}

TEST(clsCSV, ReopeningWithoutClosingLeaksNoFile) {
  TempFolder folder;
  const auto file = folder.Write("claim.csv", "a,b\r\nc\r\n");
  const auto path = U16Path(file);
  {
    clsCSV csv;
    for (int i = 0; i < 50; ++i) {
      csv.OpenFile(path);
      ASSERT_EQ(csv.Value(), u"a");
    }
    EXPECT_EQ(OpenFilesOn(file), 1);
    csv.OpenFile(path);
    EXPECT_EQ(ReadRecords(csv), (Records{{u"a", u"b"}, {u"c"}}));  // starts from the top again
  }
  EXPECT_EQ(OpenFilesOn(file), 0);  // the destructor closed the last one, and none was left behind
}

TEST(clsCSV, FileRemovedAfterOpeningIsStillReadToTheEnd) {
  TempFolder folder;
  const auto path = folder.Write("claim.csv", "1,2\r\n3,4\r\n");
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  std::filesystem::remove(path);
  EXPECT_EQ(ReadRecords(csv), (Records{{u"1", u"2"}, {u"3", u"4"}}));
}

#ifndef _WIN32  // a named pipe is a file of its own only here
TEST(clsCSV, PipeWithoutWriterReadsAsEmptyInsteadOfHanging) {
  TempFolder folder;
  const auto path = folder.path() / "pipe";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  EXPECT_EQ(csv.ErrNo(), 0);
  EXPECT_TRUE(csv.CSVEOF());
}
#endif

TEST(clsCSV, ReadFailureReachesTheCallerWithItsNumber) {
  const std::string path = testing::FileThatFailsAtRead();
  if (path.empty()) GTEST_SKIP() << "no file on this machine fails at read";
  clsCSV csv;
  csv.OpenFile(U16Path(path));
  ASSERT_EQ(csv.ErrNo(), 0);
  EXPECT_FALSE(csv.CSVEOF());  // not known to be at its end: the failure is still to come
  try {
    csv.Value();
    ADD_FAILURE() << "Value did not fail";
  } catch (const FileError& e) {
    EXPECT_EQ(e.number(), 57);
    EXPECT_EQ(e.description(), u"デバイス I/O エラーです。");
  }
  EXPECT_EQ(csv.ErrNo(), 57);
  EXPECT_EQ(csv.ErrDesc(), u"");  // Value records the number only
}

}  // namespace
}  // namespace pellora
