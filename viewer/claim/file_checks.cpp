#include "claim/file_checks.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "claim/record_codes.h"
#include "errors/err_info.h"

namespace pellora {
namespace {

constexpr std::u16string_view kEndOfFileMark = u"\x1A";

// The digits of a count without its leading zeros ("0" for zero), or
// nothing for a text that is empty or not all digits.
std::optional<std::u16string> CountDigits(std::u16string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
    return std::nullopt;
  }
  const std::size_t first = std::min(text.find_first_not_of(u'0'), text.size() - 1);
  return std::u16string(text.substr(first));
}

void CheckEncoding(const ByteCensus& bytes, std::vector<FileWarning>& warnings) {
  switch (bytes.Guess()) {
    case ByteCensus::Encoding::Utf16:
      warnings.push_back(
          {"utf-16", u"UTF-16 のファイルのようです。Shift_JIS の CSV ファイルではないため、正しく表示できません。"});
      break;
    case ByteCensus::Encoding::NotText:
      warnings.push_back({"not-text", u"テキストファイルではないようです。請求ファイルとして正しく表示できません。"});
      break;
    case ByteCensus::Encoding::Utf8:
      warnings.push_back(
          {"utf-8", u"UTF-8 のファイルのようです。Shift_JIS ではないため、漢字やかなが正しく表示されません。"});
      break;
    case ByteCensus::Encoding::Cp932:
      break;
  }
}

// A code as the clerk reads it in a warning: a field that is no code may
// be long, and is cut.
std::u16string CodeText(std::u16string_view code) {
  constexpr std::size_t kLongest = 10;
  if (code.empty()) return u"空";
  if (code.size() <= kLongest) return std::u16string(code);
  return std::u16string(code.substr(0, kLongest)) + u"…";
}

// The data kind of the control record, when it is none of the kinds whose
// records the window shows: the file is then of another exchange (a
// community-support claim, a disability-welfare file, a result the
// federation sent back), and the clerk is told which.
void CheckDataKind(const claim::ClaimRecords& records, std::vector<FileWarning>& warnings) {
  const std::u16string_view kind = records.Field(claim::kControlRecordRow, claim::kDataKindField);
  if (kind == claim::kCareFeeClaimDataKind || kind == claim::kBenefitManagementDataKind) return;
  warnings.push_back({"other-data-kind", u"コントロールレコードのデータ種別 (" + CodeText(kind) +
                                             u") は、このビューアが表示する介護給付費請求書情報 (711) でも"
                                             u"給付管理票情報 (821) でもありません。"});
}

// Data records of which the window shows none: the clerk is told what the
// file holds instead, code by code (`counts`: the data records by their
// code), so that an empty display never stays unexplained.
void CheckShownRecords(int dataRecords, const std::map<std::u16string, int>& counts,
                       std::vector<FileWarning>& warnings) {
  constexpr std::size_t kMostListed = 10;
  std::u16string listed;
  std::size_t n = 0;
  for (const auto& [code, count] : counts) {
    if (n++ == kMostListed) break;
    if (!listed.empty()) listed += u"、";
    listed += CodeText(code) + u" (" + DecimalText(count) + u" 件)";
  }
  if (counts.size() > kMostListed) {
    listed += u"、ほか " + DecimalText(static_cast<std::int64_t>(counts.size() - kMostListed)) + u" 種類";
  }
  warnings.push_back({"no-shown-records", u"データレコードが " + DecimalText(dataRecords) +
                                              u" 件ありますが、表示できる明細はありません。交換情報識別番号: " +
                                              listed + u"。"});
}

void CheckRecords(const claim::ClaimRecords& records, std::size_t shownRows, std::vector<FileWarning>& warnings) {
  const int lines = static_cast<int>(records.file().Lines());
  using claim::RecordType;
  int dataRecords = 0;
  // The data records by their code, for a display that shows none of them.
  // A field read is good only until the next is read: the codes are kept.
  std::map<std::u16string, int> codes;
  for (int row = 0; row < lines; ++row) {
    if (records.Type(row) != RecordType::Data) continue;
    ++dataRecords;
    if (shownRows == 0) ++codes[std::u16string(records.Field(row, claim::kRecordCodeField))];
  }
  if (dataRecords == 0) {
    warnings.push_back({"no-data-records", u"データレコードがありません。表示する明細はありません。"});
  }

  if (lines > 0 && records.Type(0) == RecordType::Control) {
    const std::optional<std::u16string> announced =
        CountDigits(records.Field(claim::kControlRecordRow, claim::kRecordCountField));
    const std::u16string read = DecimalText(dataRecords);
    if (announced && *announced != read) {
      // Digits without leading zeros compare as numbers: by length first.
      const bool fewerRead = announced->size() != read.size() ? announced->size() > read.size() : *announced > read;
      warnings.push_back({"record-count", u"コントロールレコードのレコード件数 (" + *announced +
                                              u" 件) と読み込んだデータレコード (" + read + u" 件) が一致しません。" +
                                              (fewerRead ? u"ファイルが途中で切れている可能性があります。"
                                                         : u"ファイルに余分なレコードが含まれている可能性があります。")});
    }
  }
  // An old editor's end-of-file mark after the last line end is a line of
  // its own for the reader, not a record.
  int last = lines - 1;
  if (last > 0 && records.Field(last, claim::kRecordTypeField) == kEndOfFileMark) --last;
  if (last >= 0 && records.Type(last) != RecordType::End) {
    warnings.push_back({"no-end-record", u"エンドレコードがありません。ファイルが途中で切れている可能性があります。"});
  }
  if (lines > 0 && records.Type(0) == RecordType::Control) CheckDataKind(records, warnings);
  if (dataRecords > 0 && shownRows == 0) CheckShownRecords(dataRecords, codes, warnings);
}

}  // namespace

std::vector<FileWarning> CheckClaimFile(const claim::ClaimRecords& records, std::size_t shownRows) {
  const RecordFile& file = records.file();
  std::vector<FileWarning> warnings;
  if (file.Census().Bytes() == 0) {
    warnings.push_back({"empty-file", u"ファイルが空です。表示するレコードはありません。"});
    return warnings;
  }
  CheckEncoding(file.Census(), warnings);
  if (!warnings.empty() && warnings.back().code != "utf-8") return warnings;
  if (file.LinesEndInLf()) {
    warnings.push_back({"lf-line-ends", u"改行が LF だけのファイルです。LF を行の区切りとして読み込みました。"});
  }
  CheckRecords(records, shownRows, warnings);
  return warnings;
}

}  // namespace pellora
