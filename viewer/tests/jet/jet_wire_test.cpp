// The reply of the reader process, and the decoding of stored text.
#include <gtest/gtest.h>

#include <cstring>

#include "jet_fixtures.h"
#include "jet_text.h"
#include "jet_wire.h"

namespace pellora::jet {
namespace {

using testing::U16;

const std::vector<TableRequest> kRequests = {{"m_pvd", {"pvd_no", "pvd_nm"}}, {"m_insd", {"pat_nm"}}};

ReadResult SampleResult() {
  ReadResult r;
  r.ok = true;
  Table pvd("m_pvd", {"pvd_no", "pvd_nm"});
  const std::u16string name = U16("髙橋①～");
  const std::optional<std::u16string_view> row1[] = {u"1310000001", name};
  const std::optional<std::u16string_view> row2[] = {u"", std::nullopt};
  pvd.AddRow(row1);
  pvd.AddRow(row2);
  r.tables.push_back(std::move(pvd));
  r.tables.emplace_back("m_insd", std::vector<std::string>{"pat_nm"});
  return r;
}

TEST(Wire, RoundTripKeepsNullEmptyAndText) {
  const ReadResult back = DecodeWire(EncodeWire(SampleResult()), kRequests);
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.tables.size(), 2u);
  EXPECT_EQ(testing::RowsOf(back.tables[0]), testing::RowsOf(SampleResult().tables[0]));
  EXPECT_EQ(back.tables[0].text(1, 0), std::optional<std::u16string_view>(u""));
  EXPECT_EQ(back.tables[0].text(1, 1), std::nullopt);
  EXPECT_EQ(back.tables[1].rowCount(), 0u);
}

TEST(Wire, FailureCarriesItsMessageAndPartialTables) {
  ReadResult failed = SampleResult();
  failed.ok = false;
  failed.error = "table m_insd: read 3 of its 9 rows";
  const ReadResult back = DecodeWire(EncodeWire(failed), kRequests);
  EXPECT_FALSE(back.ok);
  EXPECT_EQ(back.error, failed.error);
  EXPECT_EQ(back.tables.size(), 2u);
}

// A reply cut anywhere is garbled, never a shorter table.
TEST(Wire, EveryTruncationIsGarbled) {
  const std::vector<std::uint8_t> bytes = EncodeWire(SampleResult());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    const ReadResult r = DecodeWire(std::span(bytes.data(), n), kRequests);
    EXPECT_FALSE(r.ok) << n;
    EXPECT_NE(r.error.find("garbled"), std::string::npos) << n;
  }
}

struct Forgery {
  const char* name;
  void (*forge)(std::vector<std::uint8_t>&);
};
void PrintTo(const Forgery& f, std::ostream* os) { *os << f.name; }

void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void PutU64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) { std::memcpy(b.data() + at, &v, 8); }

// Offsets into the sample's encoding: "PJR1", ok, error "", table count,
// "m_pvd", column count, "pvd_no", "pvd_nm", rows, characters, cells.
constexpr std::size_t kOk = 4, kTableCount = 12, kFirstName = 16, kRows = 55, kChars = 63, kCells = 71;

const Forgery kForgeries[] = {
    {"BadHead", [](auto& b) { b[0] = 'X'; }},
    {"OkButError", [](auto& b) { PutU32(b, kOk, 2); }},
    {"MoreTablesThanAsked", [](auto& b) { PutU32(b, kTableCount, 3); }},
    {"OtherTableName", [](auto& b) { b[kFirstName + 4] = 'M'; }},
    {"HugeRowCount", [](auto& b) { PutU64(b, kRows, 1ull << 60); }},
    {"HugeCharacterCount", [](auto& b) { PutU64(b, kChars, 1ull << 62); }},
    {"CellPastCharacters", [](auto& b) { PutU32(b, kCells, 1000); }},
    {"CellLengthPastCharacters", [](auto& b) { PutU32(b, kCells + 4, 0xFFFFFFF0u); }},
    {"TrailingBytes", [](auto& b) { b.push_back(0); }},
};

class WireForgery : public ::testing::TestWithParam<Forgery> {};

TEST_P(WireForgery, IsGarbled) {
  std::vector<std::uint8_t> bytes = EncodeWire(SampleResult());
  ASSERT_EQ(std::string(bytes.begin() + kFirstName + 4, bytes.begin() + kFirstName + 9), "m_pvd");
  GetParam().forge(bytes);
  const ReadResult r = DecodeWire(bytes, kRequests);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("garbled"), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(Cases, WireForgery, ::testing::ValuesIn(kForgeries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Wire, ColumnsOtherThanAskedAreGarbled) {
  const std::vector<TableRequest> other = {{"m_pvd", {"pvd_no", "pvd_kana"}}, {"m_insd", {"pat_nm"}}};
  EXPECT_FALSE(DecodeWire(EncodeWire(SampleResult()), other).ok);
}

// ---------------------------------------------------------------------------
struct StoredText {
  const char* name;
  std::vector<std::uint8_t> stored;
  std::u16string expected;
};
void PrintTo(const StoredText& t, std::ostream* os) { *os << t.name; }

class Jet4Text : public ::testing::TestWithParam<StoredText> {};

TEST_P(Jet4Text, Decodes) {
  std::u16string out;
  AppendJet4Text(GetParam().stored, out);
  EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Jet4Text,
    ::testing::Values(StoredText{"Empty", {}, u""},
                      StoredText{"Plain", {'A', 0, 0xD9, 0x9A, 0x00, 0x30}, u"A髙\u3000"},
                      StoredText{"Compressed", {0xFF, 0xFE, '1', '3', '1'}, u"131"},
                      StoredText{"CompressedSwitching", {0xFF, 0xFE, 'A', 0, 0xD9, 0x9A, 0, 'B'}, u"A髙B"},
                      StoredText{"CompressedNothing", {0xFF, 0xFE}, u""},
                      StoredText{"PlainOddByte", {'A', 0, 'B'}, u"A\uFFFD"},
                      StoredText{"CompressedHalfCharacter", {0xFF, 0xFE, 0, 0xD9}, u"\uFFFD"},
                      StoredText{"SurrogatePairKept", {0x42, 0xD8, 0xB7, 0xDF}, u"\U00020BB7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePage932, ExtensionsTildeAndBackslashAreExact) {
  CodePageDecoder cp932("CP932");
  ASSERT_TRUE(cp932.usable());
  // ① 87 40, 髙 FB FC, ～ 81 60, \ 5C, ｶ B6, 﨑 FA B1 (IBM extension).
  const std::vector<std::uint8_t> stored = {0x87, 0x40, 0xFB, 0xFC, 0x81, 0x60, 0x5C, 0xB6, 0xFA, 0xB1};
  std::u16string out;
  cp932.Append(stored, out);
  EXPECT_EQ(out, U16("①髙～\\ｶ﨑"));
}

// The learnt decodings must give exactly what the converter gives: every
// byte, every byte pair, and pairs cut short or followed by more.
TEST(CodePage932, CachedDecodingEqualsTheConverterForEveryPair) {
  CodePageDecoder cached("CP932"), reference("CP932");
  std::u16string fast, slow;
  for (unsigned lead = 0; lead < 256; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const std::vector<std::uint8_t> stored = {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail), 'x'};
      for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
        if (n == 1 && trail != 0) continue;
        fast.clear();
        slow.clear();
        cached.Append(std::span(stored.data(), n), fast);
        reference.AppendThroughConverter(std::span(stored.data(), n), slow);
        ASSERT_EQ(fast, slow) << std::hex << lead << " " << trail << " length " << n;
      }
    }
  }
}

// ASCII skips the converter; it must give what the converter would.
TEST(CodePage932, AsciiBytesDecodeAsIconvDoes) {
  CodePageDecoder cp932("CP932");
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  for (unsigned b = 1; b < 0x80; ++b) {
    char in[1] = {static_cast<char>(b)}, outBytes[4] = {};
    char* inPtr = in;
    char* outPtr = outBytes;
    std::size_t inLeft = 1, outLeft = sizeof outBytes;
    ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1));
    const char16_t viaIconv = static_cast<char16_t>(static_cast<unsigned char>(outBytes[0]) |
                                                    static_cast<unsigned char>(outBytes[1]) << 8);
    std::u16string out;
    cp932.Append(std::vector<std::uint8_t>{static_cast<std::uint8_t>(b)}, out);
    EXPECT_EQ(out, std::u16string(1, viaIconv)) << "byte " << b;
  }
  iconv_close(cd);
}

TEST(CodePage932, UndecodableBytesBecomeReplacementCharacters) {
  CodePageDecoder cp932("CP932");
  std::u16string out;
  cp932.Append(std::vector<std::uint8_t>{'A', 0x81, 0x20, 'B', 0x82}, out);  // a bad pair, a lone lead byte
  EXPECT_EQ(out.front(), u'A');
  EXPECT_NE(out.find(u'B'), std::u16string::npos);
  EXPECT_EQ(out.back(), kReplacementCharacter);
  out.clear();
  cp932.Append(std::vector<std::uint8_t>{'O', 'K'}, out);  // the decoder recovers for the next value
  EXPECT_EQ(out, u"OK");
}

}  // namespace
}  // namespace pellora::jet
