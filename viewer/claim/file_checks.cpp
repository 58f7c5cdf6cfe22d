#include "claim/file_checks.h"

#include <algorithm>
#include <optional>
#include <string>

#include "errors/err_info.h"

namespace pellora {
namespace {

constexpr std::u16string_view kControlRecordType = u"1";
constexpr std::u16string_view kDataRecordType = u"2";
constexpr std::u16string_view kEndRecordType = u"3";
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

void CheckRecords(const claim::ClaimRecords& records, std::vector<FileWarning>& warnings) {
  const int lines = static_cast<int>(records.file().Lines());
  auto recordType = [&](int row) { return records.Field(row, claim::kRecordTypeField); };
  int dataRecords = 0;
  for (int row = 0; row < lines; ++row) {
    if (recordType(row) == kDataRecordType) ++dataRecords;
  }
  if (dataRecords == 0) {
    warnings.push_back({"no-data-records", u"データレコードがありません。表示する明細はありません。"});
  }

  if (lines > 0 && recordType(0) == kControlRecordType) {
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
  if (last > 0 && recordType(last) == kEndOfFileMark) --last;
  if (last >= 0 && recordType(last) != kEndRecordType) {
    warnings.push_back({"no-end-record", u"エンドレコードがありません。ファイルが途中で切れている可能性があります。"});
  }
}

}  // namespace

std::vector<FileWarning> CheckClaimFile(const claim::ClaimRecords& records) {
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
  CheckRecords(records, warnings);
  return warnings;
}

}  // namespace pellora
