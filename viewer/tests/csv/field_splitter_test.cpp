// The three readings of a line's fields agree: the splitter's, the
// scanner's field by field, and the count made without decoding; on lines
// written to be awkward and on random ones.

#include "csv/field_splitter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace pellora {
namespace {

std::vector<std::u16string> Split(std::string_view bytes) {
  FieldSplitter splitter;
  const auto fields = splitter.SplitBytes(bytes);
  return {fields.begin(), fields.end()};
}

// Asks the scanner for the fields in the order `order` gives (a field asked
// for twice must come back the same), then for one past the last.
void ExpectScannerAgrees(std::string_view bytes, const std::vector<int>& order, const std::string& what) {
  const std::vector<std::u16string> split = Split(bytes);
  EXPECT_EQ(FieldSplitter::CountFields(bytes), split.size()) << what;
  FieldScanner scanner;
  scanner.Start(bytes);
  std::vector<std::u16string_view> seen(split.size() + 1);
  for (const int n : order) {
    if (n > static_cast<int>(split.size())) continue;
    const std::u16string_view field = scanner.Field(n);
    EXPECT_EQ(field, split[static_cast<std::size_t>(n - 1)]) << what << ", field " << n;
    seen[static_cast<std::size_t>(n)] = field;
  }
  EXPECT_EQ(scanner.Field(static_cast<int>(split.size()) + 1), u"") << what;
  // Views handed out earlier still hold their fields.
  for (std::size_t n = 1; n < seen.size(); ++n) {
    if (seen[n].data()) {
      EXPECT_EQ(seen[n], split[n - 1]) << what << ", field " << n << " afterwards";
    }
  }
}

TEST(FieldScanner, AgreesWithTheSplitterOnAwkwardLines) {
  const char* const lines[] = {
      "",
      ",",
      "2,00000002,7131,10,202404",
      "a,,b,",
      "\"quoted, with comma\",x",
      "x,\"a\"\"b\",\"\"\"\"",
      "x,y\"z,w\"v,u",     // a quote in the middle of a field
      "x,\"never closed,y,z",
      "\x81,\x82\xA0,\xEA\xA4",  // lead bytes broken by a comma, and a pair
      "\x93\xFA\x96\x7B,\x81",   // 日本, and a lead byte at the line's end
      "\x81\"a\",b",             // a lead byte broken by a quote
      "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33",
  };
  for (const char* line : lines) {
    std::vector<int> order;
    for (int n = 1; n <= 40; ++n) order.push_back(n);
    ExpectScannerAgrees(line, order, std::string("\"") + line + "\"");
    ExpectScannerAgrees(line, {3, 1, 21, 2, 3, 40}, std::string("out of order: \"") + line + "\"");
  }
}

TEST(FieldScanner, AgreesWithTheSplitterOnRandomLines) {
  std::mt19937 random(20241209);
  const std::string alphabet = ",,,\"ab1 \x81\x82\x93\xFA\xFF";
  for (int i = 0; i < 3000; ++i) {
    std::string line(random() % 60, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    std::vector<int> order;
    for (int n = 0; n < 8; ++n) order.push_back(1 + static_cast<int>(random() % 30));
    ExpectScannerAgrees(line, order, "random line " + std::to_string(i));
  }
}

}  // namespace
}  // namespace pellora
