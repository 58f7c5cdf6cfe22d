#include "check/check.h"

#include <algorithm>
#include <cstring>

#include "check/checker.h"
#include "check/values.h"
#include "common/cp932.h"

namespace pellora::check {
namespace {

constexpr Text kControlType = u"1";
constexpr Text kDataType = u"2";
constexpr Text kEndType = u"3";
constexpr std::string_view kEndOfFileMark = "\x1A";
constexpr char16_t kReplacement = common::cp932::kReplacementChar;

bool IsCapitalOrDigit(char16_t c) { return IsAsciiDigit(c) || (c >= u'A' && c <= u'Z'); }

std::size_t Digits(Text value) { return value.size() - (!value.empty() && value.front() == u'-' ? 1 : 0); }


// Where a file warning is told: the line and field it is about.
struct WarningPlace {
  std::string_view code;
  bool lastLine;
  int line;
  int field;
  std::u16string_view item;
};
constexpr WarningPlace kWarningPlaces[] = {
    {rule::kRecordCount, false, 1, 4, u"レコード件数"},
    {rule::kOtherDataKind, false, 1, 5, u"データ種別"},
    {rule::kNoEndRecord, true, 0, 0, u""},
};

}  // namespace

Checker::Checker(const claim::ClaimRecords& records, std::span<const FileWarning> warnings)
    : records_(records), warnings_(warnings) {}

void Checker::Add(int line, std::optional<int> field, Text item, std::string_view code, Source appliedTo,
                  std::u16string message, const Who& who) {
  const Rule* rule = FindRule(code);
  Finding f;
  f.line = line;
  f.field = field;
  f.item.assign(item);
  f.rule = rule != nullptr ? rule->code : code;
  f.federationCode = rule != nullptr ? rule->federationCode : std::string_view();
  f.severity = SeverityOf(rule != nullptr ? rule->source : Source::Inferred, appliedTo);
  f.insurerNumber.assign(who.insurer);
  f.insuredNumber.assign(who.insured);
  f.form = who.form;
  f.serviceMonth.assign(who.month);
  f.message = std::move(message);
  findings_.push_back(std::move(f));
}

Report Checker::Run() {
  const RecordFile& file = records_.file();
  const int lines = static_cast<int>(file.Lines());
  // An old editor's end-of-file mark after the last line end is a line of
  // its own for the reader, not a record.
  int last = lines - 1;
  if (last > 0 && file.LineBytes(static_cast<std::size_t>(last)) == kEndOfFileMark) --last;
  Warnings(last + 1);
  // Bytes that are no text, or none at all, have no records worth reading.
  for (const FileWarning& w : warnings_)
    if (w.code == rule::kEmptyFile || w.code == rule::kUtf16 || w.code == rule::kNotText) return Finish();
  for (int row = 0; row <= last; ++row) Line(row, row == 0, row == last);
  CloseGroupsBut(Family::Unchecked);
  CompareInvoices();
  return Finish();
}

void Checker::Warnings(int lastLine) {
  for (const FileWarning& w : warnings_) {
    int line = 0;
    std::optional<int> field;
    Text item;
    for (const WarningPlace& p : kWarningPlaces) {
      if (p.code != w.code) continue;
      line = p.lastLine ? lastLine : p.line;
      if (p.field > 0) field = p.field;
      item = p.item;
    }
    const Rule* rule = FindRule(w.code);
    Add(line, field, item, rule != nullptr ? rule->code : w.code, Source::Confirmed, w.text, Who{});
  }
}

void Checker::Line(int row, bool first, bool last) {
  const std::string_view bytes = records_.file().LineBytes(static_cast<std::size_t>(row));
  fields_ = splitter_.SplitBytes(bytes);
  line_ = row + 1;
  const Text type = F(1);
  if (first) {
    if (type == kControlType) {
      Control();
      CheckCharacters(bytes, &ControlLayout(), Who{});
      return;
    }
    AddHere(1, u"レコード種別", rule::kNoControlRecord, Source::Confirmed,
            u"レコード種別：先頭行がコントロールレコード（1）ではありません", Who{});
  }
  if (type == kDataType) {
    Data();
    return;
  }
  // The last line that is no end record is told by the file's warning.
  if (last) {
    if (type == kEndType) {
      End();
      CheckCharacters(bytes, &EndLayout(), Who{});
    }
    return;
  }
  if (first) return;
  if (type == kControlType || type == kEndType) {
    AddHere(1, u"レコード種別", rule::kRecordKind, Source::Confirmed,
            type == kControlType ? u"レコード種別：コントロールレコードは先頭行だけに置きます"
                                 : u"レコード種別：エンドレコードは最終行だけに置きます",
            Who{});
    Number(false);
  } else {
    AddHere(1, u"レコード種別", rule::kRecordKind, Source::Confirmed,
            u"レコード種別：1（コントロール）、2（データ）、3（エンド）のいずれでもありません（" + std::u16string(type) +
                u"）",
            Who{});
    // A number it has keeps the lines after it in their order.
    if (AllDigits(F(2))) Number(false);
  }
  CheckCharacters(bytes, nullptr, Who{});
}

void Checker::Control() {
  Number(false);
  CheckLayout(ControlLayout(), Who{});
  processingMonth_ = YearMonthOf(F(field::kProcessingMonth));
  dataKind_.assign(F(5));
}

void Checker::End() {
  Number(true);
  CheckLayout(EndLayout(), Who{});
}

// Field 2: consecutive from the control record's 1; the end record's is
// the number of data records and two.
void Checker::Number(bool end) {
  const Text text = F(2);
  const std::optional<std::int64_t> number = AllDigits(text) ? WholeNumber(text) : std::nullopt;
  const std::int64_t expected = end ? dataRecords_ + 2 : previousNumber_ + 1;
  if (!number) {
    AddHere(2, u"レコード番号", rule::kRecordNumber, Source::Confirmed,
            Named(u"レコード番号", u"数字ではありません（" + std::u16string(text) + u"）"), Who{});
  } else if (*number != expected) {
    AddHere(2, u"レコード番号", rule::kRecordNumber, Source::Confirmed,
            Named(u"レコード番号",
                  (end ? u"エンドレコードの番号はデータレコードの件数＋２です（" : u"連番になっていません（") +
                      NumberText(expected) + u" のところ " + std::u16string(text) + u"）"),
            Who{});
  }
  previousNumber_ = number ? *number : expected;
}

void Checker::Data() {
  ++dataRecords_;
  Number(false);
  const std::string_view bytes = records_.file().LineBytes(static_cast<std::size_t>(line_ - 1));
  const Text code = F(3);
  const ExchangeId* id = FindExchangeId(code);
  if (id == nullptr) {
    CloseGroupsBut(Family::Unchecked);
    AddHere(3, u"交換情報識別番号", rule::kUnknownExchangeId, Source::Inferred,
            Named(u"交換情報識別番号", u"この点検の知らない識別番号です（" + std::u16string(code) + u"）"), Who{});
    CheckCharacters(bytes, nullptr, Who{});
    return;
  }
  const Who who{id->form, F(id->insurerField), F(id->insuredField), F(id->monthField)};
  // A claim file carries claims and care-plan fees, a benefit-management
  // file its sheets; a file of another data kind is told by its warning.
  if ((dataKind_ == u"711" || dataKind_ == u"821") && id->dataKind != dataKind_ && wrongFileTold_.insert(id).second) {
    AddHere(3, u"交換情報識別番号", rule::kRecordInWrongFile, Source::Confirmed,
            Named(u"交換情報識別番号", std::u16string(code) + u" はデータ種別 " + dataKind_ +
                                          u" のファイルには含められません"),
            who);
  }
  const Layout* layout = id->family == Family::Statement ? &StatementLayout(F(field::kRecordType)) : id->layout;
  if (layout != nullptr) CheckLayout(*layout, who);
  CheckCharacters(bytes, layout, who);
  if (id->monthField > 0) CheckMonth(*id, id->monthField, who);

  CloseGroupsBut(id->family);
  switch (id->family) {
    case Family::Invoice:
      if (sawStatements_) {
        AddHere(3, u"交換情報識別番号", rule::kRecordOrder, Source::Confirmed,
                u"交換情報識別番号：請求書情報（7111）は明細書より前に置きます", who);
      }
      InvoiceRecord(who);
      break;
    case Family::Statement:
      sawStatements_ = true;
      StatementRecord(who);
      break;
    case Family::CarePlan:
      sawStatements_ = true;
      CarePlanRecord(who);
      break;
    case Family::Benefit:
      SheetRecord(*id, who);
      break;
    case Family::OtherStatement:
      sawStatements_ = true;
      break;
    case Family::Unchecked:
      break;
  }
}

// The exchange ID against the record's service month, and the month
// against the processing year-month: each told once per ID and month.
void Checker::CheckMonth(const ExchangeId& id, int field, const Who& who) {
  const std::optional<int> month = YearMonthOf(F(field));
  if (!month) return;
  const bool valid = (id.firstMonth == 0 || *month >= id.firstMonth) && (id.lastMonth == 0 || *month <= id.lastMonth);
  if (!valid && monthsTold_.insert({&id, *month}).second) {
    const bool doubt = id.doubtFrom != 0 && *month >= id.doubtFrom && *month <= id.doubtTo;
    AddHere(3, u"交換情報識別番号", rule::kExchangeIdMonth, doubt ? Source::OneSource : Source::Confirmed,
            Named(u"交換情報識別番号", std::u16string(id.code) + u" はサービス提供年月 " + YearMonthText(*month) +
                                          (doubt ? u" に使えたかどうか、資料により異なります" : u" には使えません")),
            who);
  }
  if (processingMonth_ && *month >= *processingMonth_ && processingTold_.insert(*month).second) {
    AddHere(field, u"サービス提供年月", rule::kServiceMonthProcessing, Source::Confirmed,
            Named(u"サービス提供年月", YearMonthText(*month) + u" は処理対象年月（" + YearMonthText(*processingMonth_) +
                                           u"）より前の月ではありません"),
            who);
  }
}

void Checker::CheckLayout(const Layout& layout, const Who& who) {
  const int count = static_cast<int>(fields_.size());
  // An insurer's control record has a thirteenth field, empty.
  const bool insurersControl = &layout == &ControlLayout() && count == 13 && F(13).empty();
  if (layout.fields > 0 && count != layout.fields && !insurersControl) {
    AddHere(0, layout.name, rule::kFieldCount, layout.source,
            Named(layout.name, u"項目数が正しくありません（" + NumberText(layout.fields) + u" 項目のところ " +
                                   NumberText(count) + u" 項目）"),
            who);
  }
  for (std::size_t i = 0; i < layout.items.size(); ++i) {
    const int field = layout.firstField + static_cast<int>(i);
    if (field > count) break;  // a record cut short is told by its count
    CheckItem(layout.items[i], field, F(field), who);
  }
}

void Checker::CheckItem(const Item& item, int field, Text v, const Who& who) {
  if (v.empty()) {
    if (item.required) AddHere(field, item.name, rule::kRequired, item.source, Named(item.name, u"必須項目が未設定です"), who);
    return;
  }
  auto add = [&](std::string_view rule, Source source, std::u16string text) {
    AddHere(field, item.name, rule, source, Named(item.name, text), who);
  };
  auto notDigits = [&] { add(rule::kNotDigits, item.source, u"数字以外の文字が含まれています（" + std::u16string(v) + u"）"); };
  auto tooLong = [&](std::size_t most) {
    add(rule::kTooManyDigits, item.sizeSource,
        u"桁数が多すぎます（" + NumberText(static_cast<std::int64_t>(most)) + u" 桁まで、" + std::u16string(v) + u"）");
  };
  // A number of fixed length: a spreadsheet that saved the file has
  // dropped its leading zeros, and the display shows it all the same.
  auto fixed = [&](std::size_t length) {
    if (v.size() > length) return tooLong(length);
    add(rule::kNumberLength, item.source,
        NumberText(static_cast<std::int64_t>(length)) + u" 桁ではありません（" + std::u16string(v) +
            u"）。先頭の 0 が落ちている可能性があります");
  };
  switch (item.value) {
    case Value::Text:
      return;
    case Value::Digits:
    case Value::Amount: {
      const Text digits = item.value == Value::Amount && v.front() == u'-' ? v.substr(1) : v;
      if (!AllDigits(digits)) return notDigits();
      if (item.size > 0 && Digits(v) > item.size) tooLong(item.size);
      return;
    }
    case Value::Alnum:
      if (!std::all_of(v.begin(), v.end(), IsCapitalOrDigit)) {
        return add(rule::kNotAlphanumeric, item.source,
                   u"半角の英大文字と数字以外の文字が含まれています（" + std::u16string(v) + u"）");
      }
      if (item.size > 0 && v.size() > item.size) tooLong(item.size);
      return;
    case Value::Provider:
      if (!AllDigits(v)) return notDigits();
      if (v.size() != 10) fixed(10);
      return;
    case Value::Insurer:
      if (!AllDigits(v)) return notDigits();
      if (v.size() == 6) {
        return add(rule::kInsurerSixDigits, Source::Inferred,
                   u"6 桁で記載されています（" + std::u16string(v) + u"）。8 桁に 0 を補って記載します");
      }
      if (v.size() != 8) fixed(8);
      return;
    case Value::Insured:
      // Digits, or H and digits for a person of public assistance alone.
      if (!(IsAsciiDigit(v.front()) || v.front() == u'H') || !std::all_of(v.begin() + 1, v.end(), IsAsciiDigit))
        return notDigits();
      if (v.size() != 10) fixed(10);
      return;
    case Value::YearMonth:
      if (!YearMonthOf(v)) add(rule::kBadYearMonth, item.source, u"年月が正しくありません（" + std::u16string(v) + u"）");
      return;
    case Value::Date:
      if (!DayOf(v)) add(rule::kBadDate, item.source, u"日付が正しくありません（" + std::u16string(v) + u"）");
      return;
    case Value::Code:
      if (std::find(item.codes.begin(), item.codes.end(), v) == item.codes.end())
        add(item.codeRule, item.source, u"コードが正しくありません（" + std::u16string(v) + u"）");
      return;
    case Value::LineNumber: {
      const std::optional<std::int64_t> n = v.size() == 2 && AllDigits(v) ? WholeNumber(v) : std::nullopt;
      if (!n || *n < 1) add(rule::kUnknownCode, item.source, u"明細行番号が正しくありません（" + std::u16string(v) + u"）");
      return;
    }
  }
}

// The single quote is refused by the federation's intake, and a byte that
// is no code page 932 character cannot be sent: the reader decoded it as a
// replacement character.
void Checker::CheckCharacters(std::string_view bytes, const Layout* layout, const Who& who) {
  const bool quote = std::memchr(bytes.data(), '\'', bytes.size()) != nullptr;
  const bool broken = !common::cp932::IsWellFormed(bytes);
  if (!quote && !broken) return;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const int field = static_cast<int>(i) + 1;
    const Text v = fields_[i];
    if (quote && v.find(u'\'') != Text::npos) {
      const std::u16string name = ItemName(layout, field);
      AddHere(field, name, rule::kForbiddenQuote, Source::OneSource,
              Named(name, u"使用できない文字（'）が含まれています"), who);
    }
    if (broken && v.find(kReplacement) != Text::npos) {
      const std::u16string name = ItemName(layout, field);
      AddHere(field, name, rule::kNotCp932, Source::Confirmed,
              Named(name, u"Shift_JIS（コードページ 932）の文字でないバイトが含まれています"), who);
    }
  }
}

Report Checker::Finish() {
  Report report;
  report.amounts = MakeAmounts();
  // Line order, the whole line before its fields, and a line's findings of
  // one field by their rule: the same file always gives the same order.
  std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
    if (a.line != b.line) return a.line < b.line;
    const int fa = a.field.value_or(0), fb = b.field.value_or(0);
    if (fa != fb) return fa < fb;
    return a.rule < b.rule;
  });
  for (const Finding& f : findings_) ++(f.severity == Severity::Error ? report.errors : report.notices);
  report.findings = std::move(findings_);
  return report;
}

Report CheckClaim(const claim::ClaimRecords& records, std::span<const FileWarning> warnings) {
  return Checker(records, warnings).Run();
}

}  // namespace pellora::check
