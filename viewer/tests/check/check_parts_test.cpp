// The check's own reading of a line and of its values: the byte splitter
// must give the fields the reader gives (csv/field_splitter.h), for every
// line of claimgen's files, quoted or not, and for lines made to break it;
// dates and year-months are read only when they exist.

#include <gtest/gtest.h>

#include "check/line_fields.h"
#include "check/values.h"
#include "claimgen/claimgen.h"
#include "common/cp932.h"
#include "csv/field_splitter.h"

namespace pellora::check {
namespace {

void ExpectSplitAsTheReader(std::string_view line) {
  LineFields bytes;
  bytes.Split(line);
  FieldSplitter reader;
  const auto expected = reader.SplitBytes(line);
  ASSERT_EQ(bytes.fields().size(), expected.size()) << line;
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(common::cp932::Decode(bytes.fields()[i]), expected[i]) << line << " field " << i + 1;
  EXPECT_EQ(bytes.beyondAscii(), std::any_of(line.begin(), line.end(), [](char c) { return c & 0x80; })) << line;
  EXPECT_EQ(bytes.apostrophe(), line.find('\'') != std::string_view::npos) << line;
}

TEST(LineFields, SplitsAsTheReaderDoes) {
  const std::string_view made[] = {
      "",
      ",",
      "a,b,",
      "\"\"",
      "\"a\"\"b\",c",
      "ab\"c,d\"e,f",
      "\"unterminated,quote",
      "0123456789abcde,",                   // a comma as the sixteenth byte
      "0123456789abcdef,0123456789abcdef",  // a comma at the start of the second sixteen
      "0123456789abcdef0123456789abcd\"x,y\"z,w",
      "'apostrophe',0123456789abcdef,'",
      "\x82\xa0,\x85,\x81\x2c\x82",  // a lead byte before a comma: the comma still separates
      "\x82\"\",x",                 // and before a quote
  };
  for (const std::string_view line : made) ExpectSplitAsTheReader(line);
  claimgen::Options options;
  options.lines = 600;
  options.generation = claimgen::Generation::Current;
  for (const auto kind : {claimgen::FileKind::CareFeeClaim, claimgen::FileKind::BenefitManagement}) {
    options.kind = kind;
    const std::string bytes = claimgen::Generate(options);
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
      ExpectSplitAsTheReader(std::string_view(bytes).substr(start, end - start));
  }
}

TEST(CheckValues, OnlyWholeValuesThatExist) {
  const struct {
    std::string_view text;
    bool yearMonth, date;
  } dates[] = {
      {"202402", true, false},   {"202413", false, false},  {"202400", false, false}, {"186712", false, false},
      {"20240229", false, true}, {"20230229", false, false}, {"19000229", false, false}, {"20000229", false, true},
      {"20240431", false, false}, {"2024031", false, false}, {"2024-03-01", false, false}, {"２０２４０３", false, false},
  };
  for (const auto& d : dates) {
    EXPECT_EQ(YearMonthOf(d.text).has_value(), d.yearMonth) << d.text;
    EXPECT_EQ(DayOf(d.text).has_value(), d.date) << d.text;
  }
  EXPECT_LT(DayOf("20231231").value(), DayOf("20240101").value());
  EXPECT_EQ(DayOf("20240229").value(), LastDayOf(202402));
  EXPECT_EQ(DayOf("20240301").value(), FirstDayOf(202403));
  const struct {
    std::string_view text;
    std::optional<std::int64_t> value;
  } numbers[] = {{"0", 0},           {"000123", 123},       {"-12", -12},        {"", std::nullopt},
                 {"-", std::nullopt}, {"1-2", std::nullopt}, {" 1", std::nullopt}, {"999999999999999", 999999999999999},
                 {"1000000000000000", std::nullopt}};
  for (const auto& n : numbers) EXPECT_EQ(WholeNumber(n.text), n.value) << n.text;
  EXPECT_EQ(Plus(INT64_MAX - 1, 5), INT64_MAX);
  EXPECT_EQ(Times(INT64_MAX / 2, 3), std::nullopt);
}

}  // namespace
}  // namespace pellora::check
