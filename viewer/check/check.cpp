#include "check/check.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "check/checker.h"
#include "check/values.h"
#include "common/cp932.h"
#include "csv/field_splitter.h"

namespace pellora::check {
namespace {

constexpr Bytes kControlType = "1";
constexpr Bytes kDataType = "2";
constexpr Bytes kEndType = "3";
constexpr Bytes kEndOfFileMark = "\x1A";

bool IsCapitalOrDigit(char c) { return IsAsciiDigit(c) || (c >= 'A' && c <= 'Z'); }

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

bool AllDigitsOf(Bytes v, std::size_t most) { return (most == 0 || v.size() <= most) && AllDigits(v); }

// Whether `v`, not empty, is what `item` may hold: the quick answer for
// the items of every line, which nearly always hold what they should
// (CheckValue tells what is wrong when one does not).
template <Value kind>
bool Holds(const Item& item, Bytes v) {
  if constexpr (kind == Value::Digits) {
    return AllDigitsOf(v, item.size);
  } else if constexpr (kind == Value::Amount) {
    return AllDigitsOf(v.front() == '-' ? v.substr(1) : v, item.size);
  } else if constexpr (kind == Value::Alnum) {
    if (item.size != 0 && v.size() > item.size) return false;
    for (const char c : v)
      if (!IsCapitalOrDigit(c)) return false;
    return true;
  } else if constexpr (kind == Value::Provider) {
    return v.size() == 10 && AllDigits(v);
  } else if constexpr (kind == Value::Insurer) {
    return v.size() == 8 && AllDigits(v);
  } else if constexpr (kind == Value::Insured) {
    return v.size() == 10 && (IsAsciiDigit(v.front()) || v.front() == 'H') && AllDigits(v.substr(1));
  } else if constexpr (kind == Value::YearMonth) {
    return YearMonthOf(v).has_value();
  } else if constexpr (kind == Value::Date) {
    return DayOf(v).has_value();
  } else if constexpr (kind == Value::Code) {
    for (const Bytes code : item.codes) {
      if (code.size() != v.size()) continue;
      std::size_t i = 0;
      while (i < v.size() && code[i] == v[i]) ++i;
      if (i == v.size()) return true;
    }
    return false;
  } else if constexpr (kind == Value::LineNumber) {
    return v.size() == 2 && AllDigits(v) && v != "00";
  } else {
    return true;
  }
}

// The fields among `held` of items of `kind` that hold something they may
// not hold, as bits.
template <Value kind>
std::uint64_t Failing(const Layout& layout, std::span<const Bytes> fields, std::uint64_t held) {
  std::uint64_t failing = 0;
  for (std::uint64_t bits = layout.holding[static_cast<std::size_t>(kind)] & held; bits != 0; bits &= bits - 1) {
    const int bit = std::countr_zero(bits);
    const Bytes value = fields[static_cast<std::size_t>(bit)];
    const Item& item = layout.items[static_cast<std::size_t>(bit + 1 - layout.firstField)];
    if (!Holds<kind>(item, value)) failing |= std::uint64_t{1} << bit;
  }
  return failing;
}

// The fields of a group's key, by the family of its records: a statement's
// ID, month, provider, insurer and insured person (its record type apart);
// a care plan's and a sheet's likewise.
constexpr std::uint64_t Bits(std::initializer_list<int> fields) {
  std::uint64_t bits = 0;
  for (const int f : fields) bits |= std::uint64_t{1} << (f - 1);
  return bits;
}
constexpr std::uint64_t kStatementKey = Bits({3, field::kStatementMonth, field::kStatementProvider,
                                              field::kStatementInsurer, field::kStatementInsured});
constexpr std::uint64_t kCarePlanKey = Bits({3, field::kCarePlanProvider, field::kCarePlanMonth,
                                             field::kCarePlanInsurer, field::kCarePlanInsured});
constexpr std::uint64_t kSheetKey =
    Bits({3, field::kSheetMonth, field::kSheetInsurer, field::kSheetProvider, field::kSheetInsured});
std::uint64_t KeyFields(Family family) {
  switch (family) {
    case Family::Statement: return kStatementKey;
    case Family::CarePlan: return kCarePlanKey;
    case Family::Benefit: return kSheetKey;
    default: return 0;
  }
}

// "（value）" for a message.
std::u16string InBrackets(Bytes value) { return u"（" + Decoded(value) + u"）"; }

}  // namespace

Checker::Checker(const claim::ClaimRecords& records, std::span<const FileWarning> warnings)
    : records_(records), warnings_(warnings) {}

void Checker::Add(int line, std::optional<int> field, std::u16string_view item, std::string_view code,
                  Source appliedTo, std::u16string message, const Who& who) {
  const Rule* rule = FindRule(code);
  Finding f;
  f.line = line;
  f.field = field;
  f.item.assign(item);
  f.rule = rule != nullptr ? rule->code : code;
  f.federationCode = rule != nullptr ? rule->federationCode : std::string_view();
  f.severity = SeverityOf(rule != nullptr ? rule->source : Source::Inferred, appliedTo);
  f.insurerNumber = Decoded(who.insurer);
  f.insuredNumber = Decoded(who.insured);
  f.form = who.form;
  f.serviceMonth = Decoded(who.month);
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
  const RecordFile& file = records_.file();
  for (const FileWarning& w : warnings_) {
    int line = 0;
    std::optional<int> field;
    std::u16string_view item;
    for (const WarningPlace& p : kWarningPlaces) {
      if (p.code != w.code) continue;
      line = p.lastLine ? lastLine : p.line;
      // A control record too short to have the field is told as a whole.
      const bool reached = line >= 1 && static_cast<std::size_t>(line) <= file.Lines() &&
                           FieldSplitter::CountFields(file.LineBytes(static_cast<std::size_t>(line - 1))) >=
                               static_cast<std::size_t>(p.field);
      if (p.field > 0 && reached) field = p.field;
      item = p.item;
    }
    const Rule* rule = FindRule(w.code);
    Add(line, field, item, rule != nullptr ? rule->code : w.code, Source::Confirmed, w.text, Who{});
  }
}

void Checker::Line(int row, bool first, bool last) {
  const Bytes bytes = records_.file().LineBytes(static_cast<std::size_t>(row));
  lineBytes_ = bytes;
  split_.Split(bytes);
  line_ = row + 1;
  const Bytes type = F(1);
  if (first) {
    if (Same(type, kControlType)) {
      Control();
      CheckCharacters(bytes, &ControlLayout(), Who{});
      return;
    }
    AddHere(1, u"レコード種別", rule::kNoControlRecord, Source::Confirmed,
            u"レコード種別：先頭行がコントロールレコード（1）ではありません", Who{});
  }
  if (Same(type, kDataType)) {
    Data();
    return;
  }
  // The last line that is no end record is told by the file's warning.
  if (last) {
    if (Same(type, kEndType)) {
      End();
      CheckCharacters(bytes, &EndLayout(), Who{});
    }
    return;
  }
  if (first) return;
  if (Same(type, kControlType) || Same(type, kEndType)) {
    AddHere(1, u"レコード種別", rule::kRecordKind, Source::Confirmed,
            type == kControlType ? u"レコード種別：コントロールレコードは先頭行だけに置きます"
                                 : u"レコード種別：エンドレコードは最終行だけに置きます",
            Who{});
    Number(false);
  } else {
    AddHere(1, u"レコード種別", rule::kRecordKind, Source::Confirmed,
            u"レコード種別：1（コントロール）、2（データ）、3（エンド）のいずれでもありません" + InBrackets(type), Who{});
    // A number it has keeps the lines after it in their order.
    if (AllDigits(F(2))) Number(false);
  }
  CheckCharacters(bytes, nullptr, Who{});
}

void Checker::Control() {
  Number(false);
  CheckLayout(ControlLayout(), Who{});
  processingMonth_ = YearMonthOf(F(field::kProcessingMonth));
  fileKind_ = DataKindOf(F(5));
}

void Checker::End() {
  Number(true);
  CheckLayout(EndLayout(), Who{});
}

// Field 2: consecutive from the control record's 1; the end record's is
// the number of data records and two.
void Checker::Number(bool end) {
  const Bytes text = F(2);
  std::optional<std::int64_t> number;
  if (!text.empty() && text.front() != '-') number = WholeNumber(text);  // digits only
  const std::int64_t expected = end ? dataRecords_ + 2 : previousNumber_ + 1;
  if (!number) {
    AddHere(FieldCount() >= 2 ? 2 : 0, u"レコード番号", rule::kRecordNumber, Source::Confirmed,
            Named(u"レコード番号", u"数字ではありません" + InBrackets(text)), Who{});
  } else if (*number != expected) {
    AddHere(2, u"レコード番号", rule::kRecordNumber, Source::Confirmed,
            Named(u"レコード番号",
                  (end ? u"エンドレコードの番号はデータレコードの件数＋２です（" : u"連番になっていません（") +
                      NumberText(expected) + u" のところ " + Decoded(text) + u"）"),
            Who{});
  }
  previousNumber_ = number ? *number : expected;
}

void Checker::Data() {
  ++dataRecords_;
  Number(false);
  const Bytes bytes = lineBytes_;
  const Bytes code = F(3);
  const ExchangeId* id = FindExchangeId(code);
  if (id == nullptr) {
    CloseGroupsBut(Family::Unchecked);
    AddHere(FieldCount() >= 3 ? 3 : 0, u"交換情報識別番号", rule::kUnknownExchangeId, Source::Inferred,
            Named(u"交換情報識別番号", u"この点検の知らない識別番号です" + InBrackets(code)), Who{});
    CheckCharacters(bytes, nullptr, Who{});
    return;
  }
  const Who who{id->form, F(id->insurerField), F(id->insuredField), F(id->monthField)};
  // A claim file carries claims and care-plan fees, a benefit-management
  // file its sheets; a file of another data kind is told by its warning.
  if (fileKind_ && id->dataKind != *fileKind_ && wrongFileTold_.insert(id).second) {
    AddHere(3, u"交換情報識別番号", rule::kRecordInWrongFile, Source::Confirmed,
            Named(u"交換情報識別番号", Decoded(code) + u" はデータ種別 " + Decoded(DataKindCode(*fileKind_)) +
                                          u" のファイルには含められません"),
            who);
  }
  const Layout* layout = id->family == Family::Statement ? &StatementLayout(F(field::kRecordType)) : id->layout;
  // A record of the group being read carries its key, checked already on
  // the group's first record, and its service month, told already.
  const bool continues = Continues(*id);
  if (layout != nullptr) CheckLayout(*layout, who, continues ? KeyFields(id->family) : 0);
  if (split_.apostrophe() || split_.beyondAscii()) CheckCharacters(bytes, layout, who);
  if (!continues) {
    month_ = id->monthField > 0 ? YearMonthOf(F(id->monthField)) : std::nullopt;
    if (month_) CheckMonth(*id, id->monthField, who);
  }

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
      StatementRecord(who, continues);
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
  const std::optional<int>& month = month_;
  const bool valid = (id.firstMonth == 0 || *month >= id.firstMonth) && (id.lastMonth == 0 || *month <= id.lastMonth);
  if (!valid && monthsTold_.insert({&id, *month}).second) {
    const bool doubt = id.doubtFrom != 0 && *month >= id.doubtFrom && *month <= id.doubtTo;
    AddHere(3, u"交換情報識別番号", rule::kExchangeIdMonth, doubt ? Source::OneSource : Source::Confirmed,
            Named(u"交換情報識別番号", Decoded(id.code) + u" はサービス提供年月 " + YearMonthText(*month) +
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

void Checker::CheckLayout(const Layout& layout, const Who& who, std::uint64_t skipped) {
  const auto fields = split_.fields();
  const int count = static_cast<int>(fields.size());
  // An insurer's control record has a thirteenth field, empty.
  const bool insurersControl = &layout == &ControlLayout() && count == 13 && F(13).empty();
  if (layout.fields > 0 && count != layout.fields && !insurersControl) {
    AddHere(0, layout.name, rule::kFieldCount, layout.source,
            Named(layout.name, u"項目数が正しくありません（" + NumberText(layout.fields) + u" 項目のところ " +
                                   NumberText(count) + u" 項目）"),
            who);
  }
  // A record cut short is told by its count: the items it lacks are not.
  // The items are found by their fields' bits: the required ones that are
  // empty, then those of each kind of value that hold something.
  const std::size_t reached = std::min<std::size_t>(layout.items.size(), std::max(0, count - layout.firstField + 1));
  const int end = layout.firstField - 1 + static_cast<int>(reached);  // the bits below it
  const std::uint64_t within = end >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << end) - 1;
  std::uint64_t empty = 0;
  for (int bit = layout.firstField - 1; bit < end; ++bit)
    empty |= static_cast<std::uint64_t>(fields[static_cast<std::size_t>(bit)].empty()) << bit;
  for (std::uint64_t missing = layout.required & empty & within; missing != 0; missing &= missing - 1) {
    const int field = std::countr_zero(missing) + 1;
    const Item& item = layout.items[static_cast<std::size_t>(field - layout.firstField)];
    AddHere(field, item.name, rule::kRequired, item.source, Named(item.name, u"必須項目が未設定です"), who);
  }
  const std::uint64_t held = within & ~empty & ~skipped;
  const std::uint64_t failing =
      Failing<Value::Digits>(layout, fields, held) | Failing<Value::Amount>(layout, fields, held) |
      Failing<Value::Alnum>(layout, fields, held) | Failing<Value::Provider>(layout, fields, held) |
      Failing<Value::Insurer>(layout, fields, held) | Failing<Value::Insured>(layout, fields, held) |
      Failing<Value::YearMonth>(layout, fields, held) | Failing<Value::Date>(layout, fields, held) |
      Failing<Value::Code>(layout, fields, held) | Failing<Value::LineNumber>(layout, fields, held);
  for (std::uint64_t bits = failing; bits != 0; bits &= bits - 1) {
    const int field = std::countr_zero(bits) + 1;
    const Item& item = layout.items[static_cast<std::size_t>(field - layout.firstField)];
    CheckValue(item, field, fields[static_cast<std::size_t>(field - 1)], who);
  }
}

void Checker::CheckValue(const Item& item, int field, Bytes v, const Who& who) {
  auto add = [&](std::string_view rule, Source source, std::u16string text) {
    AddHere(field, item.name, rule, source, Named(item.name, text), who);
  };
  auto notDigits = [&] { add(rule::kNotDigits, item.source, u"数字以外の文字が含まれています" + InBrackets(v)); };
  auto tooLong = [&](std::size_t most) {
    add(rule::kTooManyDigits, item.sizeSource,
        u"桁数が多すぎます（" + NumberText(static_cast<std::int64_t>(most)) + u" 桁まで、" + Decoded(v) + u"）");
  };
  // A number of fixed length: a spreadsheet that saved the file has
  // dropped its leading zeros, and the display shows it all the same.
  auto fixed = [&](std::size_t length) {
    if (v.size() > length) return tooLong(length);
    add(rule::kNumberLength, item.source,
        NumberText(static_cast<std::int64_t>(length)) + u" 桁ではありません" + InBrackets(v) +
            u"。先頭の 0 が落ちている可能性があります");
  };
  switch (item.value) {
    case Value::Text:
      return;
    case Value::Digits:
    case Value::Amount: {
      const Bytes digits = item.value == Value::Amount && v.front() == '-' ? v.substr(1) : v;
      if (!AllDigits(digits)) return notDigits();
      if (item.size > 0 && digits.size() > item.size) tooLong(item.size);
      return;
    }
    case Value::Alnum:
      if (!std::all_of(v.begin(), v.end(), IsCapitalOrDigit)) {
        return add(rule::kNotAlphanumeric, item.source, u"半角の英大文字と数字以外の文字が含まれています" + InBrackets(v));
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
                   u"6 桁で記載されています" + InBrackets(v) + u"。8 桁に 0 を補って記載します");
      }
      if (v.size() != 8) fixed(8);
      return;
    case Value::Insured:
      // Digits, or H and digits for a person of public assistance alone.
      if (!(IsAsciiDigit(v.front()) || v.front() == 'H') || !std::all_of(v.begin() + 1, v.end(), IsAsciiDigit))
        return notDigits();
      if (v.size() != 10) fixed(10);
      return;
    case Value::YearMonth:
      if (!YearMonthOf(v)) add(rule::kBadYearMonth, item.source, u"年月が正しくありません" + InBrackets(v));
      return;
    case Value::Date:
      if (!DayOf(v)) add(rule::kBadDate, item.source, u"日付が正しくありません" + InBrackets(v));
      return;
    case Value::Code:
      // The codes are a few bytes each: compared byte by byte.
      if (std::none_of(item.codes.begin(), item.codes.end(),
                       [&](Bytes code) { return code.size() == v.size() && std::equal(code.begin(), code.end(), v.begin()); }))
        add(item.codeRule, item.source, u"コードが正しくありません" + InBrackets(v));
      return;
    case Value::LineNumber:
      if (v.size() != 2 || !AllDigits(v) || v == "00") {
        add(rule::kUnknownCode, item.source, u"明細行番号が正しくありません" + InBrackets(v));
      }
      return;
  }
}

// The single quote is refused by the federation's intake, and a byte that
// is no code page 932 character cannot be sent (the reader shows it as a
// replacement character). A line of ASCII alone has neither of the second.
void Checker::CheckCharacters(Bytes line, const Layout* layout, const Who& who) {
  const bool quote = split_.apostrophe();
  const bool broken = split_.beyondAscii() && !common::cp932::IsWellFormed(line);
  if (!quote && !broken) return;
  const auto fields = split_.fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const int field = static_cast<int>(i) + 1;
    const Bytes v = fields[i];
    if (quote && v.find('\'') != Bytes::npos) {
      const std::u16string name = ItemName(layout, field);
      AddHere(field, name, rule::kForbiddenQuote, Source::OneSource, Named(name, u"使用できない文字（'）が含まれています"),
              who);
    }
    if (broken && !common::cp932::IsWellFormed(v)) {
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
