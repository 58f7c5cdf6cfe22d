// What a record means together with the records around it: a statement's
// 基本, 明細 and 集計 records, a person's care-plan lines, a benefit
// sheet's lines, and the 請求書 that states what they add up to. Each group
// is read as its records come and told when the next group begins.

#include <algorithm>
#include <utility>

#include "check/checker.h"
#include "check/values.h"

namespace pellora::check {
namespace {

using Name = std::u16string_view;

constexpr Bytes kTotalLine = "99";
constexpr Bytes kStatementClaims = "01";  // 請求情報区分: 居宅・施設サービス
constexpr Bytes kCarePlanClaims = "02";   // 居宅介護支援

[[gnu::always_inline]] inline std::optional<std::int64_t> N(Bytes text) { return WholeNumber(text); }
[[gnu::always_inline]] inline std::int64_t N0(Bytes text) { return WholeNumber(text).value_or(0); }

void AddTo(Figures& a, const Figures& b) {
  a.statements = Plus(a.statements, b.statements);
  a.units = Plus(a.units, b.units);
  a.cost = Plus(a.cost, b.cost);
  a.insurance = Plus(a.insurance, b.insurance);
  a.publicExpense = Plus(a.publicExpense, b.publicExpense);
  a.userShare = Plus(a.userShare, b.userShare);
}

bool PublicAssistanceAlone(Bytes insured) { return !insured.empty() && insured.front() == 'H'; }

// Whether a group was open; it is not any more.
bool Closes(bool& open) { return std::exchange(open, false); }

// The most service kinds a statement, a sheet or a month is added up by:
// far more than any has, and few enough that a damaged file of countless
// kinds is still read in one pass. Kinds beyond them count in their
// month's whole only.
constexpr std::size_t kMostKinds = 100;

// The kind's room among `kinds`, their first `count` in use: found, or the
// next made ready; nullptr when there is no more room. `kind` must be
// Stable.
template <typename Kinds>
Figures* Kind(Kinds& kinds, std::size_t& count, Bytes kind) {
  for (std::size_t i = 0; i < count; ++i)
    if (Same(kinds[i].kind, kind)) return &kinds[i].figures;
  if (count == kMostKinds) return nullptr;
  if (count == kinds.size()) kinds.emplace_back();
  auto& room = kinds[count++];
  room.kind = kind;
  room.figures = Figures{};
  return &room.figures;
}

char FormKey(Form form) {
  switch (form) {
    case Form::Claim: return 'a';
    case Form::CarePlan: return 'b';
    case Form::Benefit: return 'c';
    case Form::None: break;
  }
  return 'd';
}

// "a|b|c" into `out`.
void Joined(std::string& out, Bytes a, Bytes b, Bytes c) {
  out.assign(a);
  out += '|';
  out += b;
  out += '|';
  out += c;
}

}  // namespace

void Checker::CloseGroupsBut(Family family) {
  if (family != Family::Statement) CloseStatement();
  if (family != Family::CarePlan) CloseCarePlan();
  if (family != Family::Benefit) CloseSheet();
}

Bytes Checker::Stable(Bytes v) {
  const Bytes line = lineBytes_;
  if (v.empty() || (v.data() >= line.data() && v.data() + v.size() <= line.data() + line.size())) return v;
  return copies_.emplace_back(v);
}

bool Checker::Continues(const ExchangeId& id) const {
  switch (id.family) {
    case Family::Statement: {
      if (!statement_.open || statement_.orphan || Same(F(field::kRecordType), kBasic)) return false;
      // Its month to its insured person are four fields side by side: as
      // one run of bytes when they are.
      const Bytes run = Run(field::kStatementMonth, field::kStatementInsured);
      if (!run.empty() && !statement_.keyRun.empty()) return Same(run, statement_.keyRun) && Same(F(3), statement_.key.id);
      return statement_.key.Is(F(3), F(field::kStatementMonth), F(field::kStatementProvider),
                               F(field::kStatementInsurer), F(field::kStatementInsured));
    }
    case Family::CarePlan:
      return carePlan_.open && carePlan_.key.Is(F(3), F(field::kCarePlanMonth), F(field::kCarePlanProvider),
                                                F(field::kCarePlanInsurer), F(field::kCarePlanInsured));
    case Family::Benefit:
      return sheet_.open && sheet_.key.Is(F(3), F(field::kSheetMonth), F(field::kSheetProvider), F(field::kSheetInsurer),
                                          F(field::kSheetInsured));
    default:
      return false;
  }
}

// ---- statements ----

void Checker::StatementRecord(const Who& who, bool continues) {
  const Bytes type = F(field::kRecordType);
  Statement& s = statement_;
  const Bytes id = F(3), provider = F(field::kStatementProvider);
  if (Same(type, kBasic)) {
    if (s.open && !s.orphan && s.key.Is(id, who.month, provider, who.insurer, who.insured)) {
      AddHere(0, u"基本情報レコード", rule::kStatementBasicTwice, Source::Confirmed,
              u"基本情報レコード：同じ明細書に基本情報レコードが２件あります", who);
      return;
    }
    CloseStatement();
    OpenStatement(false, who);
    ReadBasic(who);
    return;
  }
  // A record of another person than the statement's begins a statement
  // of its own, which has no 基本.
  if (continues) {
    // Its key is the statement's.
  } else if (!s.open || !Same(s.key.insured, who.insured)) {
    CloseStatement();
    OpenStatement(true, who);
    AddHere(0, u"基本情報レコード", rule::kStatementWithoutBasic, Source::Confirmed,
            u"基本情報レコード：この明細書には基本情報レコード（01）がありません", who);
  } else {
    const struct {
      int field;
      Name name;
      Bytes kept;
    } keys[] = {{3, u"交換情報識別番号", s.key.id},
                {field::kStatementMonth, u"サービス提供年月", s.key.month},
                {field::kStatementProvider, u"事業所番号", s.key.provider},
                {field::kStatementInsurer, u"証記載保険者番号", s.key.insurer}};
    for (const auto& k : keys) {
      // A record cut short is told by its count of fields.
      if (Same(F(k.field), k.kept) || static_cast<std::size_t>(k.field) > FieldCount()) continue;
      AddHere(k.field, k.name, rule::kStatementKey, Source::Confirmed,
              Named(k.name, u"同じ明細書の基本情報レコードと異なります（" + Decoded(F(k.field)) + u"、基本情報は " +
                                Decoded(k.kept) + u"）"),
              who);
    }
  }
  const int rank = StatementRank(type);  // -1 for 基本摘要 and unknown types
  if (rank >= 0 && rank < s.rank) {
    AddHere(field::kRecordType, u"レコード種別コード", rule::kRecordOrder, Source::Confirmed,
            u"レコード種別コード：" + std::u16string(StatementLayout(type).name) + u"（" + Decoded(type) +
                u"）の位置が正しくありません。基本、明細、集計の順に置きます",
            who);
  } else if (rank >= 0) {
    s.rank = rank;
  }
  if (Same(type, kDetail)) DetailRecord(who);
  if (Same(type, kTotal)) TotalRecord(who);
}

void Checker::OpenStatement(bool orphan, const Who& who) {
  Statement& s = statement_;
  s.open = true;
  s.orphan = orphan;
  s.line = line_;
  s.key.Keep(Stable(F(3)), Stable(who.month), Stable(F(field::kStatementProvider)), Stable(who.insurer),
             Stable(who.insured));
  s.keyRun = Run(field::kStatementMonth, field::kStatementInsured);
  s.month = month_;
  s.details = s.totals = 0;
  s.rank = orphan ? -1 : 0;
  s.sum14 = s.sum16 = s.sum17 = 0;
  s.publicExpense = false;
  s.rate = s.units = s.claim = s.share = std::nullopt;
  s.basic = s.fromTotals = Figures{};
  s.kindCount = 0;
}

void Checker::ReadBasic(const Who& who) {
  Statement& s = statement_;
  s.publicExpense = !F(field::kPublic1Payer).empty() || !F(field::kPublic2Payer).empty() || !F(field::kPublic3Payer).empty();
  s.rate = N(F(field::kBenefitRate));
  s.units = N(F(field::kBasicUnits));
  s.claim = N(F(field::kBasicClaim));
  s.share = N(F(field::kBasicShare));
  // What the 請求書 adds up of it: the insurance's claims (items 34, 36,
  // 37), the public expenses' (40, 42, 43 of each), the shares the persons
  // pay (35, and 41 of each public expense).
  Figures& b = s.basic;
  b.statements = 1;
  b.units = s.units.value_or(0);
  b.insurance = Plus(Plus(s.claim.value_or(0), N0(F(field::kBasicOtherClaim1))), N0(F(field::kBasicOtherClaim2)));
  b.userShare = s.share.value_or(0);
  if (s.publicExpense) {
    for (int first = 41; first <= 53; first += 6) {  // 公費 1 to 3: items 39 to 44 and on
      b.publicExpense = Plus(b.publicExpense, Plus(Plus(N0(F(first + 1)), N0(F(first + 3))), N0(F(first + 4))));
      b.userShare = Plus(b.userShare, N0(F(first + 2)));
    }
  }
  b.cost = Plus(Plus(b.insurance, b.publicExpense), b.userShare);

  if (PublicAssistanceAlone(who.insured) && s.claim.value_or(0) > 0) {
    AddHere(field::kBasicClaim, u"保険請求額", rule::kPublicAssistanceClaim, Source::Confirmed,
            u"保険請求額：公費単独（被保険者番号 H）の明細書に保険請求額があります（" + NumberText(*s.claim) + u" 円）",
            who);
  }
  if (!s.month) return;
  const std::int64_t first = FirstDayOf(*s.month), last = LastDayOf(*s.month);
  const std::optional<std::int64_t> from = DayOf(F(field::kCertificationFrom)), to = DayOf(F(field::kCertificationTo));
  if (from && to && (*from > last || *to < first || *from > *to)) {
    const int field = *to < first || *from > *to ? field::kCertificationTo : field::kCertificationFrom;
    const Name name = field == field::kCertificationTo ? u"認定有効期間終了年月日" : u"認定有効期間開始年月日";
    AddHere(field, name, rule::kOutsideCertification, Source::Inferred,
            Named(name, u"サービス提供年月 " + YearMonthText(*s.month) + u" が認定有効期間（" +
                            Decoded(F(field::kCertificationFrom)) + u"～" + Decoded(F(field::kCertificationTo)) +
                            u"）の範囲外です"),
            who);
  }
  for (const int field : {field::kServiceStart, field::kServiceEnd}) {
    const std::optional<std::int64_t> day = DayOf(F(field));
    if (!day || (*day >= first && *day <= last)) continue;
    const Name name = field == field::kServiceStart ? u"開始年月日" : u"中止年月日";
    AddHere(field, name, rule::kDateOutsideMonth, Source::Inferred,
            Named(name, u"サービス提供年月 " + YearMonthText(*s.month) + u" の範囲外です（" + Decoded(F(field)) + u"）"),
            who);
  }
}

void Checker::DetailRecord(const Who& who) {
  ++statement_.details;
  // 単位数 may be empty or 0 for rentals and codes of a fixed monthly fee.
  const std::optional<std::int64_t> value = N(F(field::kDetailUnitValue)), count = N(F(field::kDetailCount)),
                                    units = N(F(field::kDetailUnits));
  const std::optional<std::int64_t> product = value && count ? Times(*value, *count) : std::nullopt;
  if (product && *value != 0 && units && *product != *units) {
    AddHere(field::kDetailUnits, u"サービス単位数", rule::kDetailUnits, Source::OneSource,
            u"サービス単位数：単位数 × 日数・回数（" + NumberText(*product) + u"）と一致しません（" +
                NumberText(*units) + u"）",
            who);
  }
}

void Checker::TotalRecord(const Who& who) {
  Statement& s = statement_;
  ++s.totals;
  const std::optional<std::int64_t> units = N(F(field::kTotalUnits)), price = N(F(field::kUnitPrice)),
                                    claim = N(F(field::kTotalClaim)), share = N(F(field::kTotalShare));
  s.sum14 = Plus(s.sum14, units.value_or(0));
  s.sum16 = Plus(s.sum16, claim.value_or(0));
  s.sum17 = Plus(s.sum17, share.value_or(0));
  // The public expenses' claims (items 19, 22, 25) and the persons' shares
  // of them (20, 23, 26).
  Figures f;
  f.statements = 1;
  f.units = units.value_or(0);
  f.insurance = claim.value_or(0);
  f.userShare = share.value_or(0);
  for (int first = 20; first <= 26; first += 3) {
    if (F(first + 1).empty() && F(first + 2).empty()) continue;
    f.publicExpense = Plus(f.publicExpense, N0(F(first + 1)));
    f.userShare = Plus(f.userShare, N0(F(first + 2)));
  }
  f.cost = Plus(Plus(f.insurance, f.publicExpense), f.userShare);
  AddTo(s.fromTotals, f);
  if (Figures* kind = Kind(s.kinds, s.kindCount, Stable(F(field::kServiceKind)))) AddTo(*kind, f);

  if (s.month) {
    const std::optional<std::int64_t> days = N(F(field::kRealDays));
    if (days && *days > DaysIn(*s.month)) {
      AddHere(field::kRealDays, u"サービス実日数", rule::kDaysOverMonth, Source::Inferred,
              u"サービス実日数：" + YearMonthText(*s.month) + u" の日数（" + NumberText(DaysIn(*s.month)) +
                  u" 日）を超えています（" + NumberText(*days) + u" 日）",
              who);
    }
  }
  if (PublicAssistanceAlone(who.insured)) {
    if (claim.value_or(0) > 0) {
      AddHere(field::kTotalClaim, u"保険請求額", rule::kPublicAssistanceClaim, Source::Confirmed,
              u"保険請求額：公費単独（被保険者番号 H）の明細書に保険請求額があります（" + NumberText(*claim) + u" 円）",
              who);
    }
    return;
  }
  // The federation recomputes the claim: the units at the unit price
  // (yen × 100), cut to whole yen, at the benefit rate, cut again. With a
  // public expense the shares are split otherwise.
  if (s.orphan || s.publicExpense || !s.rate || !units || !price || !claim || *units < 0 || *price < 0) return;
  const std::optional<std::int64_t> yen = Times(*units, *price), rated = yen ? Times(*yen / 100, *s.rate) : std::nullopt;
  if (!rated) return;
  const std::int64_t cost = *yen / 100;
  const std::int64_t computed = *rated / 100;
  if (*claim > computed) {
    AddHere(field::kTotalClaim, u"保険請求額", rule::kClaimAboveComputed, Source::Confirmed,
            u"保険請求額：記載された値が計算値を超過しています（記載 " + NumberText(*claim) + u" 円、計算 " +
                NumberText(computed) + u" 円）",
            who);
  } else if (*claim < computed) {
    AddHere(field::kTotalClaim, u"保険請求額", rule::kClaimBelowComputed, Source::Inferred,
            u"保険請求額：計算値より少なく記載されています（記載 " + NumberText(*claim) + u" 円、計算 " +
                NumberText(computed) + u" 円）",
            who);
  }
  if (share && *share != cost - *claim) {
    AddHere(field::kTotalShare, u"保険利用者負担額", rule::kUserShare, Source::OneSource,
            u"保険利用者負担額：費用（" + NumberText(cost) + u" 円）から保険請求額を引いた額（" +
                NumberText(cost - *claim) + u" 円）と一致しません（" + NumberText(*share) + u" 円）",
            who);
  }
}

void Checker::CloseStatement() {
  Statement& s = statement_;
  if (!Closes(s.open)) return;
  const Who who = s.key.WhoOf(Form::Claim);
  if (!s.orphan) {
    if (s.details == 0) {
      Add(s.line, std::nullopt, u"明細情報レコード", rule::kStatementWithoutDetail, Source::Confirmed,
          u"明細情報レコード：明細書に明細情報レコード（02）がありません", who);
    }
    if (s.totals == 0) {
      Add(s.line, std::nullopt, u"集計情報レコード", rule::kStatementWithoutTotal, Source::Confirmed,
          u"集計情報レコード：明細書に集計情報レコード（10）がありません", who);
    } else {
      const struct {
        int field;
        Name name;
        const std::optional<std::int64_t>& stated;
        std::int64_t sum;
        Name of;
      } sums[] = {{field::kBasicUnits, u"保険サービス単位数", s.units, s.sum14, u"単位数合計"},
                  {field::kBasicClaim, u"保険請求額", s.claim, s.sum16, u"保険請求額"},
                  {field::kBasicShare, u"保険利用者負担額", s.share, s.sum17, u"利用者負担額"}};
      for (const auto& sum : sums) {
        if (!sum.stated || *sum.stated == sum.sum) continue;
        Add(s.line, sum.field, sum.name, rule::kBasicTotals, Source::OneSource,
            Named(sum.name, u"集計情報レコードの" + std::u16string(sum.of) + u"の合計（" + NumberText(sum.sum) +
                                u"）と一致しません（" + NumberText(*sum.stated) + u"）"),
            who);
      }
    }
  }
  Figures counted = s.orphan ? s.fromTotals : s.basic;
  counted.statements = 1;
  AddToGroup(s.key.provider, s.key.month, kStatementClaims, counted, s.line, who);
  MonthForm& month = MonthFormOf(s.key.month, Form::Claim);
  AddTo(month.added, counted);
  std::size_t kinds = month.kinds.size();
  for (std::size_t i = 0; i < s.kindCount; ++i) {
    if (s.kinds[i].kind.empty()) continue;  // "" is the month's whole
    if (Figures* kind = Kind(month.kinds, kinds, s.kinds[i].kind)) AddTo(*kind, s.kinds[i].figures);
  }
}

// ---- care-plan fees ----

template <typename G>
bool Checker::Continuing(const G& g, Bytes provider, const Who& who) const {
  return g.open && g.key.Is(F(3), who.month, provider, who.insurer, who.insured);
}

template <typename G>
void Checker::Begin(G& g, Bytes provider, const Who& who) {
  g.open = true;
  g.line = line_;
  g.key.Keep(Stable(F(3)), Stable(who.month), Stable(provider), Stable(who.insurer), Stable(who.insured));
  g.totalLine = 0;
  g.total = std::nullopt;
}

void Checker::CarePlanRecord(const Who& who) {
  CarePlan& c = carePlan_;
  const Bytes provider = F(field::kCarePlanProvider);
  if (!Continuing(c, provider, who)) {
    CloseCarePlan();
    Begin(c, provider, who);
    c.units = 0;
    c.claim = std::nullopt;
    c.unitPrice = N(F(field::kCarePlanUnitPrice));
    c.kind = {};
    const std::optional<int> month = month_;
    const std::optional<std::int64_t> from = DayOf(F(field::kCarePlanCertificationFrom)),
                                      to = DayOf(F(field::kCarePlanCertificationTo));
    if (month && from && to && (*from > LastDayOf(*month) || *to < FirstDayOf(*month) || *from > *to)) {
      AddHere(field::kCarePlanCertificationTo, u"認定有効期間終了年月日", rule::kOutsideCertification, Source::Inferred,
              u"認定有効期間終了年月日：サービス提供年月 " + YearMonthText(*month) + u" が認定有効期間の範囲外です",
              who);
    }
  }
  const std::optional<std::int64_t> value = N(F(field::kCarePlanUnitValue)), count = N(F(field::kCarePlanCount)),
                                    units = N(F(field::kCarePlanUnits));
  const std::optional<std::int64_t> product = value && count ? Times(*value, *count) : std::nullopt;
  if (product && units && *product != *units) {
    AddHere(field::kCarePlanUnits, u"サービス単位数", rule::kCarePlanUnits, Source::Inferred,
            u"サービス単位数：単位数 × 回数（" + NumberText(*product) + u"）と一致しません（" + NumberText(*units) + u"）",
            who);
  }
  if (c.kind.empty() && F(field::kCarePlanCode).size() >= 2) c.kind = Stable(F(field::kCarePlanCode).substr(0, 2));
  c.units = Plus(c.units, units.value_or(0));
  if (Same(F(field::kCarePlanLine), kTotalLine)) {
    if (c.totalLine != 0) {
      AddHere(field::kCarePlanLine, u"明細行番号", rule::kCarePlanTotalLine, Source::OneSource,
              u"明細行番号：明細行番号 99 の行が２行あります", who);
    }
    c.totalLine = line_;
    c.total = N(F(field::kCarePlanTotal));
    c.claim = N(F(field::kCarePlanClaim));
    return;
  }
  if (c.totalLine != 0) {
    AddHere(Reached(field::kCarePlanLine), u"明細行番号", rule::kCarePlanTotalLine, Source::OneSource,
            u"明細行番号：明細行番号 99 の行は最後に置きます", who);
  }
  for (const int field : {field::kCarePlanTotal, field::kCarePlanClaim}) {
    if (F(field).empty()) continue;
    const Name name = field == field::kCarePlanTotal ? u"サービス単位数合計" : u"請求金額";
    AddHere(field, name, rule::kCarePlanTotalFields, Source::OneSource, Named(name, u"明細行番号 99 の行だけに設定します"),
            who);
  }
}

void Checker::CloseCarePlan() {
  CarePlan& c = carePlan_;
  if (!Closes(c.open)) return;
  const Who who = c.key.WhoOf(Form::CarePlan);
  if (c.totalLine == 0) {
    Add(c.line, std::nullopt, u"明細行番号", rule::kCarePlanTotalLine, Source::OneSource,
        u"明細行番号：最後の明細行が 99 ではありません", who);
  } else {
    if (c.total && *c.total != c.units) {
      Add(c.totalLine, field::kCarePlanTotal, u"サービス単位数合計", rule::kCarePlanTotal, Source::OneSource,
          u"サービス単位数合計：各明細行のサービス単位数の合計（" + NumberText(c.units) + u"）と一致しません（" +
              NumberText(*c.total) + u"）",
          who);
    }
    const std::optional<std::int64_t> yen = c.total && c.unitPrice ? Times(*c.total, *c.unitPrice) : std::nullopt;
    if (yen && c.claim && *c.claim != *yen / 100) {
      Add(c.totalLine, field::kCarePlanClaim, u"請求金額", rule::kCarePlanTotal, Source::OneSource,
          u"請求金額：サービス単位数合計 × 単位数単価 ÷ 100（" + NumberText(*yen / 100) + u" 円）と一致しません（" +
              NumberText(*c.claim) + u" 円）",
          who);
    }
  }
  Figures f;
  f.statements = 1;
  f.units = c.total.value_or(c.units);
  f.insurance = f.cost = c.claim.value_or(0);
  AddToGroup(c.key.provider, c.key.month, kCarePlanClaims, f, c.line, who);
  MonthForm& month = MonthFormOf(c.key.month, Form::CarePlan);
  AddTo(month.added, f);
  std::size_t kinds = month.kinds.size();
  if (!c.kind.empty()) {
    if (Figures* kind = Kind(month.kinds, kinds, c.kind)) AddTo(*kind, f);
  }
}

// ---- benefit-management sheets ----

void Checker::SheetRecord(const ExchangeId& id, const Who& who) {
  Sheet& s = sheet_;
  const Bytes provider = F(field::kSheetProvider);
  if (!Continuing(s, provider, who)) {
    CloseSheet();
    Begin(s, provider, who);
    s.details = 0;
    s.units = 0;
    s.serviceCount = s.kindCount = 0;
    const std::optional<int> month = month_, from = YearMonthOf(F(field::kLimitFrom)),
                             to = YearMonthOf(F(field::kLimitTo));
    if (month && from && to && (*month < *from || *month > *to)) {
      const int field = *month < *from ? field::kLimitFrom : field::kLimitTo;
      const std::u16string name = ItemName(id.layout, field);
      AddHere(field, name, rule::kOutsideCertification, Source::Inferred,
              Named(name, u"対象年月 " + YearMonthText(*month) + u" が限度額適用期間（" + YearMonthText(*from) + u"～" +
                              YearMonthText(*to) + u"）の範囲外です"),
              who);
    }
  }
  const Name lineName = u"給付管理票明細行番号";
  if (Same(F(field::kSheetLine), kTotalLine)) {
    if (s.totalLine != 0) {
      AddHere(field::kSheetLine, lineName, rule::kRecordOrder, Source::Confirmed,
              Named(lineName, u"合計行（99）が２行あります"), who);
    }
    s.totalLine = line_;
    s.total = N(F(field::kSheetTotal));
    for (int field = field::kSheetServiceProvider; field <= field::kSheetServiceProvider + 4; ++field) {
      if (F(field).empty()) continue;
      const std::u16string name = ItemName(id.layout, field);
      AddHere(field, name, rule::kBenefitTotalLineFields, Source::Confirmed, Named(name, u"合計行（99）には設定しません"),
              who);
    }
    return;
  }
  if (s.totalLine != 0) {
    AddHere(Reached(field::kSheetLine), lineName, rule::kRecordOrder, Source::Confirmed,
            Named(lineName, u"明細行は合計行（99）より前に置きます"), who);
  }
  ++s.details;
  if (s.details == 99) {
    AddHere(Reached(field::kSheetLine), lineName, rule::kBenefitTooManyLines, Source::Confirmed,
            Named(lineName, u"明細行が 98 行を超えています"), who);
  }
  const std::int64_t units = N0(F(field::kSheetUnits));
  s.units = Plus(s.units, units);
  const Bytes serviceProvider = F(field::kSheetServiceProvider), kind = F(field::kSheetServiceKind);
  if (Figures* k = Kind(s.kinds, s.kindCount, Stable(kind))) {
    k->statements += 1;
    k->units = Plus(k->units, units);
  }
  // A sheet of more lines than it may have is told already; its services
  // are not compared beyond them. A line cut short is told by its count.
  if (s.details > 98 || FieldCount() < static_cast<std::size_t>(field::kSheetServiceKind)) return;
  for (std::size_t i = 0; i < s.serviceCount; ++i) {
    if (!Same(s.services[i].first, serviceProvider) || !Same(s.services[i].second, kind)) continue;
    AddHere(field::kSheetServiceKind, u"サービス種類コード", rule::kBenefitServiceTwice, Source::Confirmed,
            u"サービス種類コード：同じサービス事業所（" + Decoded(serviceProvider) + u"）とサービス種類（" +
                Decoded(kind) + u"）の明細行がすでにあります",
            who);
    return;
  }
  if (s.serviceCount == s.services.size()) s.services.emplace_back();
  s.services[s.serviceCount] = {Stable(serviceProvider), Stable(kind)};
  ++s.serviceCount;
}

void Checker::CloseSheet() {
  Sheet& s = sheet_;
  if (!Closes(s.open)) return;
  const Who who = s.key.WhoOf(Form::Benefit);
  const Name lineName = u"給付管理票明細行番号";
  if (s.totalLine == 0) {
    Add(s.line, std::nullopt, lineName, rule::kBenefitNoTotalLine, Source::Confirmed,
        Named(lineName, u"合計行（99）がありません"), who);
  } else if (s.total && *s.total != s.units) {
    Add(s.totalLine, field::kSheetTotal, u"給付計画合計単位数", rule::kBenefitTotalLine, Source::Confirmed,
        u"給付計画合計単位数：明細行の給付計画単位数の合計（" + NumberText(s.units) + u"）と一致しません（" +
            NumberText(*s.total) + u"）",
        who);
  }
  MonthForm& month = MonthFormOf(s.key.month, Form::Benefit);
  month.added.statements += 1;
  month.added.units = Plus(month.added.units, s.units);
  std::size_t kinds = month.kinds.size();
  for (std::size_t i = 0; i < s.kindCount; ++i) {
    if (s.kinds[i].kind.empty()) continue;  // "" is the month's whole
    if (Figures* kind = Kind(month.kinds, kinds, s.kinds[i].kind)) AddTo(*kind, s.kinds[i].figures);
  }
}

// ---- the 請求書 ----

void Checker::InvoiceRecord(const Who& who) {
  const Bytes claimKind = F(field::kClaimKind);
  Joined(keyBuffer_, F(field::kInvoiceProvider), who.month, claimKind);
  std::string whole = keyBuffer_;
  whole += '|';
  whole += F(field::kInsuranceOrPublic);
  whole += '|';
  whole += F(field::kLawNumber);
  if (!invoiceKeys_.insert(std::move(whole)).second) {
    AddHere(0, u"請求書情報レコード", rule::kInvoiceTwice, Source::Confirmed,
            u"請求書情報レコード：事業所番号、サービス提供年月、保険・公費等区分、法別番号、請求情報区分の同じ請求書情報が"
            u"２件あります",
            who);
    return;
  }
  Invoice invoice;
  invoice.line = line_;
  invoice.group = keyBuffer_;
  invoice.insurance = F(field::kInsuranceOrPublic) == "1";
  for (std::size_t i = 0; i < invoice.stated.size(); ++i) invoice.stated[i] = N(F(field::kInvoiceCount + static_cast<int>(i)));
  invoice.month.assign(who.month);
  invoice.form = claimKind == kCarePlanClaims ? Form::CarePlan : Form::Claim;
  invoices_.push_back(std::move(invoice));
}

void Checker::AddToGroup(Bytes provider, Bytes month, Bytes claimKind, const Figures& figures, int line, const Who& who) {
  // Statements of one group mostly follow each other.
  if (lastGroup_ != nullptr && Same(lastGroupKey_.provider, provider) && Same(lastGroupKey_.month, month) &&
      Same(lastGroupKey_.id, claimKind)) {
    AddTo(lastGroup_->added, figures);
    return;
  }
  Joined(keyBuffer_, provider, month, claimKind);
  {
    auto found = groups_.find(keyBuffer_);
    if (found == groups_.end()) {
      Group g;
      g.line = line;
      g.form = who.form;
      g.insurer.assign(who.insurer);
      g.insured.assign(who.insured);
      g.month.assign(month);
      found = groups_.emplace(keyBuffer_, std::move(g)).first;
    }
    lastGroup_ = &found->second;
    lastGroupKey_.Keep(claimKind, month, provider, {}, {});
  }
  AddTo(lastGroup_->added, figures);
}

// Each 請求書 of the insurance against what its statements add up to, and
// each group of statements against its 請求書. A 請求書 of a public expense
// (保険・公費等区分 2) covers only part of its statements' amounts, which
// the check does not split: it is compared with nothing.
void Checker::CompareInvoices() {
  static constexpr Name kNames[] = {u"件数", u"単位数", u"費用合計", u"保険請求額", u"公費請求額", u"利用者負担"};
  for (const Invoice& invoice : invoices_) {
    const auto group = groups_.find(invoice.group);
    if (group != groups_.end()) group->second.invoiced = true;
    if (!invoice.insurance) continue;
    const Figures added = group != groups_.end() ? group->second.added : Figures{};
    const std::int64_t sums[] = {added.statements, added.units,         added.cost,
                                 added.insurance,  added.publicExpense, added.userShare};
    const Who who{invoice.form, {}, {}, invoice.month};
    for (std::size_t i = 0; i < invoice.stated.size(); ++i) {
      if (!invoice.stated[i] || *invoice.stated[i] == sums[i]) continue;
      Add(invoice.line, field::kInvoiceCount + static_cast<int>(i), kNames[i], rule::kInvoiceTotals, Source::OneSource,
          Named(kNames[i], u"明細書の合計（" + NumberText(sums[i]) + u"）と一致しません（" +
                               NumberText(*invoice.stated[i]) + u"）"),
          who);
    }
    const auto& st = invoice.stated;
    if (st[2] && st[3] && st[4] && st[5] && *st[2] != *st[3] + *st[4] + *st[5]) {
      Add(invoice.line, field::kInvoiceCost, u"費用合計", rule::kInvoiceTotals, Source::OneSource,
          u"費用合計：保険請求額、公費請求額、利用者負担の和（" + NumberText(*st[3] + *st[4] + *st[5]) +
              u"）と一致しません（" + NumberText(*st[2]) + u"）",
          who);
    }
  }
  for (const auto& [key, group] : groups_) {
    if (group.invoiced) continue;
    const Who who{group.form, group.insurer, group.insured, group.month};
    Add(group.line, std::nullopt, u"請求書情報レコード", rule::kStatementWithoutInvoice,
        group.form == Form::CarePlan ? Source::OneSource : Source::Confirmed,
        u"請求書情報レコード：この明細書の請求書情報（7111、請求情報区分 " +
            Decoded(group.form == Form::CarePlan ? kCarePlanClaims : kStatementClaims) + u"）がありません",
        who);
  }
}

// ---- the amounts ----

Checker::MonthForm& Checker::MonthFormOf(Bytes month, Form form) {
  if (lastMonth_ != nullptr && lastMonth_->form == form && Same(lastMonth_->month, month)) return *lastMonth_;
  keyBuffer_.assign(month);
  keyBuffer_ += '|';
  keyBuffer_ += FormKey(form);
  auto found = months_.find(keyBuffer_);
  if (found == months_.end()) {
    MonthForm m;
    m.month.assign(month);
    m.form = form;
    found = months_.emplace(keyBuffer_, std::move(m)).first;
  }
  lastMonth_ = &found->second;
  return *lastMonth_;
}

Amounts Checker::MakeAmounts() {
  for (const Invoice& invoice : invoices_) {
    if (!invoice.insurance) continue;
    MonthForm& month = MonthFormOf(invoice.month, invoice.form);
    if (!month.stated) month.stated = Figures{};
    const auto& st = invoice.stated;
    AddTo(*month.stated, Figures{st[0].value_or(0), st[1].value_or(0), st[2].value_or(0), st[3].value_or(0),
                                 st[4].value_or(0), st[5].value_or(0)});
  }
  Amounts amounts;
  for (auto& [key, month] : months_) {
    AmountRow whole;
    whole.serviceMonth = Decoded(month.month);
    whole.form = month.form;
    whole.stated = month.stated;
    whole.added = month.added;
    AddTo(amounts.added, month.added);
    if (month.stated) {
      if (!amounts.stated) amounts.stated = Figures{};
      AddTo(*amounts.stated, *month.stated);
    }
    amounts.rows.push_back(std::move(whole));
    std::sort(month.kinds.begin(), month.kinds.end(),
              [](const KindFigures& a, const KindFigures& b) { return a.kind < b.kind; });
    for (const KindFigures& kind : month.kinds) {
      AmountRow row;
      row.serviceMonth = amounts.rows.back().serviceMonth;
      row.form = month.form;
      row.serviceKind = Decoded(kind.kind);
      row.added = kind.figures;
      amounts.rows.push_back(std::move(row));
    }
  }
  months_.clear();
  lastMonth_ = nullptr;
  return amounts;
}

}  // namespace pellora::check
