#include "claimgen/claimgen.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <vector>

#include "common/civil_date.h"
#include "common/cp932.h"
#include "common/utf.h"

namespace claimgen {
namespace {

// splitmix64: small, fast and the same on every platform, unlike the
// standard distributions, so a seed always gives the same file.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  // lo .. hi, both included
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(Below(static_cast<std::size_t>(hi - lo + 1)));
  }
  bool Percent(int p) { return Below(100) < static_cast<std::size_t>(p); }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

// The faults, by the names of the claim check's rules.
enum class Fault {
  None,
  RecordNumber,
  NoControlRecord,
  RecordKind,
  NoEndRecord,
  RecordCount,
  OtherDataKind,
  MediumCode,
  FieldCount,
  Required,
  NotDigits,
  NotAlphanumeric,
  TooManyDigits,
  NumberLength,
  InsurerSixDigits,
  BadDate,
  UnknownCode,
  UnknownExchangeId,
  ForbiddenQuote,
  NotCp932,
  ServiceMonthProcessing,
  RecordOrder,
  StatementWithoutBasic,
  StatementWithoutDetail,
  StatementWithoutTotal,
  StatementKey,
  StatementBasicTwice,
  ClaimAboveComputed,
  ClaimBelowComputed,
  UserShare,
  BasicTotals,
  DetailUnits,
  PublicAssistanceClaim,
  InvoiceTwice,
  InvoiceTotals,
  StatementWithoutInvoice,
  DateOutsideMonth,
  DaysOverMonth,
  OutsideCertification,
  CarePlanTotalLine,
  CarePlanTotal,
  CarePlanTotalFields,
  CarePlanUnits,
  RecordInWrongFile,
  // Of benefit-management files.
  BadYearMonth,
  ExchangeIdMonth,
  BenefitTotalLine,
  BenefitNoTotalLine,
  BenefitTotalLineFields,
  BenefitTooManyLines,
  BenefitServiceTwice,
};

struct FaultName {
  std::string_view name;
  Fault fault;
};

constexpr std::array<FaultName, 50> kFaultNames = {{
    {"record-number", Fault::RecordNumber},
    {"no-control-record", Fault::NoControlRecord},
    {"record-kind", Fault::RecordKind},
    {"no-end-record", Fault::NoEndRecord},
    {"record-count", Fault::RecordCount},
    {"other-data-kind", Fault::OtherDataKind},
    {"medium-code", Fault::MediumCode},
    {"field-count", Fault::FieldCount},
    {"required", Fault::Required},
    {"not-digits", Fault::NotDigits},
    {"not-alphanumeric", Fault::NotAlphanumeric},
    {"too-many-digits", Fault::TooManyDigits},
    {"number-length", Fault::NumberLength},
    {"insurer-number-six-digits", Fault::InsurerSixDigits},
    {"bad-date", Fault::BadDate},
    {"unknown-code", Fault::UnknownCode},
    {"unknown-exchange-id", Fault::UnknownExchangeId},
    {"forbidden-quote", Fault::ForbiddenQuote},
    {"not-cp932", Fault::NotCp932},
    {"service-month-processing", Fault::ServiceMonthProcessing},
    {"record-order", Fault::RecordOrder},
    {"statement-without-basic", Fault::StatementWithoutBasic},
    {"statement-without-detail", Fault::StatementWithoutDetail},
    {"statement-without-total", Fault::StatementWithoutTotal},
    {"statement-key", Fault::StatementKey},
    {"statement-basic-twice", Fault::StatementBasicTwice},
    {"claim-above-computed", Fault::ClaimAboveComputed},
    {"claim-below-computed", Fault::ClaimBelowComputed},
    {"user-share", Fault::UserShare},
    {"basic-totals", Fault::BasicTotals},
    {"detail-units", Fault::DetailUnits},
    {"public-assistance-claim", Fault::PublicAssistanceClaim},
    {"invoice-twice", Fault::InvoiceTwice},
    {"invoice-totals", Fault::InvoiceTotals},
    {"statement-without-invoice", Fault::StatementWithoutInvoice},
    {"date-outside-month", Fault::DateOutsideMonth},
    {"days-over-month", Fault::DaysOverMonth},
    {"outside-certification", Fault::OutsideCertification},
    {"care-plan-total-line", Fault::CarePlanTotalLine},
    {"care-plan-total", Fault::CarePlanTotal},
    {"care-plan-total-fields", Fault::CarePlanTotalFields},
    {"care-plan-units", Fault::CarePlanUnits},
    {"record-in-wrong-file", Fault::RecordInWrongFile},
    {"bad-year-month", Fault::BadYearMonth},
    {"exchange-id-month", Fault::ExchangeIdMonth},
    {"benefit-total-line", Fault::BenefitTotalLine},
    {"benefit-no-total-line", Fault::BenefitNoTotalLine},
    {"benefit-total-line-fields", Fault::BenefitTotalLineFields},
    {"benefit-too-many-lines", Fault::BenefitTooManyLines},
    {"benefit-service-twice", Fault::BenefitServiceTwice},
}};

const std::array<std::string_view, kFaultNames.size()> kFaultList = [] {
  std::array<std::string_view, kFaultNames.size()> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kFaultNames[i].name;
  return names;
}();

Fault FaultNamed(std::string_view name) {
  if (name.empty()) return Fault::None;
  for (const FaultName& f : kFaultNames)
    if (f.name == name) return f.fault;
  throw std::invalid_argument("unknown fault: " + std::string(name));
}

bool IsBenefitFault(Fault f) { return f >= Fault::BadYearMonth; }

std::string ToCp932(std::string_view utf8) {
  std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(utf8));
  if (!bytes) throw std::runtime_error("text not in CP932: " + std::string(utf8));
  return std::move(*bytes);
}

std::string ZeroPadded(std::int64_t value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width - static_cast<int>(s.size())), '0');
  return s;
}

// A year and month; months count on across years.
struct Month {
  int year = 2000;
  int month = 1;
  static Month Parse(const std::string& yyyymm) { return {std::stoi(yyyymm.substr(0, 4)), std::stoi(yyyymm.substr(4, 2))}; }
  Month Plus(int months) const {
    const int index = year * 12 + (month - 1) + months;
    return {index / 12, index % 12 + 1};
  }
  int Key() const { return year * 100 + month; }
  int Days() const { return common::DaysInMonth(year, month); }
  std::string Text() const { return ZeroPadded(year, 4) + ZeroPadded(month, 2); }
  std::string Day(int day) const { return Text() + ZeroPadded(day, 2); }
  std::string LastDay() const { return Day(Days()); }
  bool operator==(const Month&) const = default;
};

// A quoted field in the way claim software writes one: inner quotes doubled.
std::string Quoted(std::string_view text) {
  std::string s = "\"";
  for (char c : text) {
    if (c == '"') s.push_back('"');
    s.push_back(c);
  }
  return s + "\"";
}

// Remarks, in code page 932, converted once.
struct Texts {
  std::vector<std::string> remarks, towns;
  std::string fullWidthKind;  // "１３": a service kind typed in full-width digits
  Texts() {
    for (const char* s : {"入院のため中止", "月途中より再開", "区分変更申請中", "特別指示書あり", "緊急時訪問あり"})
      remarks.push_back(ToCp932(s));
    for (const char* s : {"東京都千代田区神田", "大阪府大阪市北区梅田", "福岡県福岡市博多区", "北海道札幌市中央区"})
      towns.push_back(ToCp932(s));
    fullWidthKind = ToCp932("１３");
  }
};

struct Person {
  std::string insured;  // 10 digits
  std::string insurer;  // 証記載保険者番号: 8 digits, the 6-digit insurer number zero-padded
  std::string birth;    // YYYYMMDD
  std::string sex;      // 1 or 2
  std::string level;    // 要介護状態区分
  bool prevention = false;
  Month certFrom, certTo;  // the certification: from the first of certFrom to the last of certTo
  std::int64_t limit = 0;  // 支給限度額
};

struct Detail {
  std::string kind, item, remark;
  std::int64_t units = 0, count = 0, total = 0;
};

struct KindTotal {
  std::string kind;
  std::int64_t days = 0, plan = 0, limited = 0, unlimited = 0, units = 0, claim = 0, share = 0;
};

// One 明細書 (7131 or 7132).
struct Statement {
  std::size_t person = 0;
  Month month;
  std::vector<Detail> details;
  std::vector<KindTotal> totals;
  std::int64_t rate = 90;
  std::string carePlanProvider;
  std::int64_t units = 0, claim = 0, share = 0;  // 基本 33, 34, 35
};

struct CarePlanLine {
  std::string code;
  std::int64_t units = 0, count = 1, total = 0;
};

// One person's care-plan fee (8121, 8124 or 8125).
struct CarePlan {
  std::size_t person = 0;
  Month month;
  std::vector<CarePlanLine> lines;
  std::int64_t total = 0, claim = 0;  // items 21 and 22 of line 99
};

struct SheetLine {
  std::string provider, kind;
  std::int64_t units = 0;
};

// One 給付管理票 (8221 or 8222).
struct Sheet {
  std::size_t person = 0;
  Month month;
  std::vector<SheetLine> lines;
  std::int64_t total = 0;
};

// The 請求書 of one service month and claim kind: 01 the statements, 02
// the care-plan fees.
struct Invoice {
  Month month;
  bool carePlan = false;
  std::int64_t count = 0, units = 0, claim = 0, share = 0;
};

// A unit of the file in the order written: a statement or a care plan.
struct Unit {
  bool carePlan = false;
  std::size_t index = 0;
};

constexpr std::array<std::int64_t, 8> kUnitPrices = {1000, 1045, 1070, 1072, 1090, 1105, 1114, 1140};
constexpr std::array<std::string_view, 5> kCareLevels = {"21", "22", "23", "24", "25"};
constexpr std::array<std::int64_t, 5> kCareLimits = {16765, 19705, 27048, 30938, 36217};
// The provider numbers of care managers and of the services a sheet plans.
constexpr std::array<std::string_view, 6> kProviders = {"1370100018", "1370200016", "0170100123",
                                                        "2710300045", "1470500027", "4070100031"};

class Generator {
 public:
  Generator(const Options& o, Fault fault)
      : options_(o), fault_(fault), random_(o.seed), processing_(Month::Parse(o.yearMonth)),
        main_(processing_.Plus(-1)), late_(processing_.Plus(-2)),
        unitPrice_(kUnitPrices[random_.Below(kUnitPrices.size())]) {
    if (fault_ != Fault::None) kind_ = IsBenefitFault(fault_) ? FileKind::BenefitManagement : FileKind::CareFeeClaim;
    else kind_ = o.kind;
  }

  std::string Run(FaultPlace* place) {
    if (options_.lines == 0) return {};
    const std::size_t budget = options_.lines >= 2 ? options_.lines - 2 : 0;
    if (kind_ == FileKind::CareFeeClaim) {
      PlanClaims(budget);
      WriteClaims();
    } else {
      PlanSheets(budget);
      WriteSheets();
    }
    std::string out = Assemble(place);
    if (fault_ != Fault::None && !placed_) throw std::runtime_error("the file is too small for this fault");
    return out;
  }

 private:
  bool Current() const { return options_.generation == Generation::Current; }
  bool Target(std::size_t index) const { return index == 0; }
  bool Is(Fault f) const { return fault_ == f; }

  // ---- persons ----

  std::size_t NewPerson(const Month& month) {
    Person p;
    p.insured = ZeroPadded(static_cast<std::int64_t>(1000000000 + random_.Below(900000000)), 10);
    static constexpr std::array<std::int64_t, 8> insurers = {131011, 131029, 271007, 11106, 401307, 11015, 62019, 131045};
    p.insurer = ZeroPadded(insurers[random_.Below(insurers.size())], 8);
    Month born{static_cast<int>(random_.Between(1925, 1955)), static_cast<int>(random_.Between(1, 12))};
    p.birth = born.Day(static_cast<int>(random_.Between(1, born.Days())));
    p.sex = random_.Percent(60) ? "2" : "1";
    // 要支援 1 and 2 and the prevention forms came in April 2006.
    p.prevention = month.Key() >= 200604 && random_.Percent(30);
    if (p.prevention) {
      const bool two = random_.Percent(50);
      p.level = two ? "13" : "12";
      p.limit = two ? 10531 : 5032;
    } else {
      const std::size_t level = random_.Below(kCareLevels.size());
      p.level = std::string(kCareLevels[level]);
      p.limit = kCareLimits[level];
    }
    p.certFrom = main_.Plus(-static_cast<int>(random_.Between(2, 10)));
    p.certTo = main_.Plus(static_cast<int>(random_.Between(3, 24)));
    persons_.push_back(std::move(p));
    return persons_.size() - 1;
  }

  // The person of a new unit of `month`: a new one for the main month, one
  // seen before (a claim sent a month late) for the month before it.
  std::size_t PersonFor(const Month& month, std::vector<bool>& lateUsed) {
    if (month == late_ && !persons_.empty()) {
      for (int tries = 0; tries < 4; ++tries) {
        const std::size_t p = random_.Below(persons_.size());
        if (p >= lateUsed.size()) lateUsed.resize(p + 1, false);
        if (!lateUsed[p]) {
          lateUsed[p] = true;
          return p;
        }
      }
    }
    const std::size_t p = NewPerson(month);
    if (month == late_) {
      lateUsed.resize(p + 1, false);
      lateUsed[p] = true;
    }
    return p;
  }

  // ---- care-fee claims ----

  void PlanClaims(std::size_t budget) {
    // The invoices: both months and both claim kinds once the file has room.
    if (budget >= 30) {
      invoices_ = {{late_, false}, {late_, true}, {main_, false}, {main_, true}};
    } else if (budget >= 4) {
      invoices_ = {{main_, false}};
    }
    std::size_t remaining = budget - std::min(budget, invoices_.size());
    const bool carePlans = invoices_.size() == 4;
    std::vector<bool> lateUsed, lateCarePlanUsed;
    // Every invoice gets a unit first, then the units come at random.
    std::size_t next = 0;
    while (remaining > 0) {
      Month month = main_;
      bool carePlan = false;
      if (next < invoices_.size()) {
        month = invoices_[next].month;
        carePlan = invoices_[next].carePlan;
        ++next;
      } else {
        if (carePlans && random_.Percent(8)) month = late_;
        carePlan = carePlans && random_.Percent(20);
      }
      if (invoices_.empty()) carePlan = true;  // a file cut too short for a statement
      if (!carePlan && remaining < 3) carePlan = true;
      if (carePlan) {
        std::size_t lines = carePlans_.empty() ? 2 : static_cast<std::size_t>(random_.Between(1, 2));
        lines = std::min(lines, remaining);
        carePlans_.push_back(MakeCarePlan(PersonFor(month, month == late_ ? lateCarePlanUsed : lateUsed), month, lines));
        units_.push_back({true, carePlans_.size() - 1});
        remaining -= lines;
        continue;
      }
      // The first statement has two kinds of two details each, so that
      // every fault of a statement finds its place in it.
      const bool first = statements_.empty();
      std::size_t kinds = first ? 2 : static_cast<std::size_t>(random_.Between(1, 2));
      std::vector<std::size_t> perKind(kinds);
      for (std::size_t& d : perKind) d = first ? 2 : static_cast<std::size_t>(random_.Between(1, 3));
      std::size_t size = 1 + kinds;
      for (std::size_t d : perKind) size += d;
      if (size > remaining) {  // remaining >= 3: one kind, as many details as fit
        kinds = 1;
        perKind = {remaining - 2};
        size = remaining;
      }
      // Never leave one or two lines that no care plan could take.
      if (!carePlans && remaining - size < 3 && remaining - size > 0) {
        perKind.back() += remaining - size;
        size = remaining;
      }
      statements_.push_back(MakeStatement(PersonFor(month, lateUsed), month, perKind));
      units_.push_back({false, statements_.size() - 1});
      remaining -= size;
    }
    for (const Statement& s : statements_) AddToInvoice(s.month, false, s.units, s.claim, s.share);
    for (const CarePlan& c : carePlans_) AddToInvoice(c.month, true, c.total, c.claim, 0);
  }

  void AddToInvoice(const Month& month, bool carePlan, std::int64_t units, std::int64_t claim, std::int64_t share) {
    for (Invoice& i : invoices_) {
      if (i.month == month && i.carePlan == carePlan) {
        ++i.count;
        i.units += units;
        i.claim += claim;
        i.share += share;
        return;
      }
    }
  }

  Statement MakeStatement(std::size_t person, const Month& month, const std::vector<std::size_t>& perKind) {
    const Person& p = persons_[person];
    Statement s;
    s.person = person;
    s.month = month;
    s.rate = random_.Percent(85) ? 90 : random_.Percent(60) ? 80 : 70;
    s.carePlanProvider = std::string(kProviders[random_.Below(kProviders.size())]);
    // Home-visit nursing and home medical management mostly, which the
    // display shows, and now and then a service it has no column for.
    static constexpr std::array<std::string_view, 6> care = {"13", "13", "13", "31", "11", "15"};
    static constexpr std::array<std::string_view, 3> prevention = {"63", "63", "34"};
    std::vector<std::string> kinds;
    while (kinds.size() < perKind.size()) {
      const std::string kind(p.prevention ? prevention[random_.Below(prevention.size())] : care[random_.Below(care.size())]);
      if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
      else if (kinds.size() == 1 && perKind.size() == 2) kinds.push_back(kind == "13" || kind == "63" ? (p.prevention ? "34" : "31") : (p.prevention ? "63" : "13"));
    }
    const std::size_t statementIndex = statements_.size();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      KindTotal total;
      total.kind = kinds[k];
      std::int64_t count = 0;
      const std::int64_t firstItem = random_.Between(1111, 1999);
      for (std::size_t d = 0; d < perKind[k]; ++d) {
        Detail detail;
        detail.kind = kinds[k];
        detail.item = ZeroPadded(firstItem + static_cast<std::int64_t>(d) * 7 % 8000, 4);
        detail.units = random_.Between(50, 900);
        detail.count = random_.Between(1, 12);
        detail.total = detail.units * detail.count;
        if (Is(Fault::DetailUnits) && Target(statementIndex) && k == 0 && d == 0) detail.total += 1;
        if (random_.Percent(15)) {
          std::string text = texts_.remarks[random_.Below(texts_.remarks.size())];
          // Now and then a remark with a comma and a quoted word in it.
          if (random_.Percent(30)) text += ",\"" + texts_.towns[random_.Below(texts_.towns.size())] + "\"";
          detail.remark = Quoted(text);
        }
        total.units += detail.total;
        count += detail.count;
        s.details.push_back(std::move(detail));
      }
      total.days = std::min<std::int64_t>(count, month.Days());
      // Home medical management is outside the benefit limit.
      const bool outside = total.kind == "31" || total.kind == "34";
      total.plan = total.units;
      total.limited = outside ? 0 : total.units;
      total.unlimited = outside ? total.units : 0;
      const std::int64_t cost = total.units * unitPrice_ / 100;
      total.claim = cost * s.rate / 100;
      if (Target(statementIndex) && k == 0) {
        if (Is(Fault::ClaimAboveComputed)) total.claim += 1;
        if (Is(Fault::ClaimBelowComputed)) total.claim -= 1;
      }
      total.share = cost - total.claim;
      if (Is(Fault::UserShare) && Target(statementIndex) && k == 0) total.share += 1;
      s.units += total.units;
      s.claim += total.claim;
      s.share += total.share;
      s.totals.push_back(std::move(total));
    }
    if (Is(Fault::BasicTotals) && Target(statementIndex)) s.units += 1;
    return s;
  }

  CarePlan MakeCarePlan(std::size_t person, const Month& month, std::size_t lines) {
    const Person& p = persons_[person];
    CarePlan c;
    c.person = person;
    c.month = month;
    const std::size_t index = carePlans_.size();
    for (std::size_t i = 0; i < lines; ++i) {
      CarePlanLine line;
      // The care-plan fee itself, then an addition.
      line.code = (p.prevention ? "46" : "43") + ZeroPadded(i == 0 ? 1111 : random_.Between(4000, 6999), 4);
      line.units = i == 0 ? (p.prevention ? 438 : random_.Between(1076, 1398)) : random_.Between(100, 450);
      line.total = line.units * line.count;
      if (Is(Fault::CarePlanUnits) && Target(index) && i == 0) line.total += 1;
      c.total += line.total;
      c.lines.push_back(std::move(line));
    }
    c.claim = c.total * unitPrice_ / 100;
    if (Is(Fault::CarePlanTotal) && Target(index)) c.claim += 1;
    return c;
  }

  // ---- the records ----

  // The data items of the record being written, item k at [k - 1].
  std::vector<std::string>& Items(std::size_t count) {
    items_.resize(count);
    for (std::string& s : items_) s.clear();
    return items_;
  }
  std::string& Item(int k) { return items_[static_cast<std::size_t>(k - 1)]; }
  // Marks the fault as put into item `item` of the record written next
  // (0: the record as a whole).
  void PlaceAtItem(int item) {
    placeNext_ = true;
    placeField_ = item == 0 ? 0 : item + 2;
  }
  // When the fault is `fault`, item `item` of the record written next
  // becomes what `value` gives, and the fault is placed there.
  template <typename Value>
  void Spoil(Fault fault, int item, Value value) {
    if (!Is(fault)) return;
    Item(item) = value();
    PlaceAtItem(item);
  }

  // Writes the data record of the current items: its record type and
  // number, then the items.
  void Put(const Month& month) {
    std::string& out = body_;
    const std::size_t index = dataLines_++;
    if (placeNext_) {
      placeNext_ = false;
      placed_ = true;
      placeLine_ = index;
    }
    if (Is(Fault::ServiceMonthProcessing) && !placed_ && month == main_) {
      placed_ = true;
      placeLine_ = index;
      placeField_ = monthField_;
    }
    ++sequence_;
    if (Is(Fault::RecordNumber) && index == 3) {
      ++sequence_;  // a number left out
      placed_ = true;
      placeLine_ = index;
      placeField_ = 2;
    }
    if (Is(Fault::RecordKind) && index == 1) {
      out += '4';
      placed_ = true;
      placeLine_ = index;
      placeField_ = 1;
    } else {
      out += '2';
    }
    out += ',';
    out += ZeroPadded(static_cast<std::int64_t>(sequence_), 8);
    for (const std::string& item : items_) {
      out += ',';
      out += item;
    }
    out += "\r\n";
  }

  void Invoice7111(const Invoice& i) {
    Items(18);
    Item(1) = "7111";
    Item(2) = i.month.Text();
    Item(3) = options_.providerNumber;
    Item(4) = "1";  // 保険
    Item(5) = "";   // 法別番号: a public expense's only
    Item(6) = i.carePlan ? "02" : "01";
    Item(7) = std::to_string(i.count);
    Item(8) = std::to_string(i.units);
    Item(9) = std::to_string(i.claim + i.share);  // 費用合計: 保険 + 公費 + 利用者負担
    Item(10) = std::to_string(i.claim);
    Item(11) = "0";
    Item(12) = std::to_string(i.share);
    // Set one character at a time: GCC 12 for MinGW takes a string literal
    // assigned in this loop for an overlapping memcpy (-Wrestrict).
    for (int k = 13; k <= 18; ++k) Item(k).assign(1, '0');
    monthField_ = 4;
    Put(i.month);
  }

  void WriteClaims() {
    std::vector<std::size_t> order(invoices_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    // The invoice the first unit belongs to, which some faults change.
    std::size_t firstInvoice = invoices_.size();
    if (!units_.empty()) {
      const Unit& u = units_.front();
      const Month m = u.carePlan ? carePlans_[u.index].month : statements_[u.index].month;
      for (std::size_t i = 0; i < invoices_.size(); ++i)
        if (invoices_[i].month == m && invoices_[i].carePlan == u.carePlan) firstInvoice = i;
    }
    for (std::size_t i : order) {
      Invoice invoice = invoices_[i];
      if (i == firstInvoice) {
        if (Is(Fault::StatementWithoutInvoice)) continue;
        if (Is(Fault::InvoiceTotals)) {
          invoice.count += 1;
          PlaceAtItem(7);
        }
      }
      Invoice7111(invoice);
      if (i == firstInvoice && Is(Fault::InvoiceTwice)) {
        PlaceAtItem(0);
        Invoice7111(invoice);
      }
    }
    if (Is(Fault::UnknownExchangeId)) {
      Items(4);
      Item(1) = "7999";
      Item(2) = "01";
      Item(3) = main_.Text();
      Item(4) = options_.providerNumber;
      PlaceAtItem(1);
      Put(main_);
    }
    if (Is(Fault::RecordInWrongFile)) {
      PlaceAtItem(1);
      Sheet sheet = MakeSheet(NewPerson(main_), main_, 1);
      WriteSheet(sheet, false);
    }
    for (const Unit& u : units_) {
      if (u.carePlan) WriteCarePlan(carePlans_[u.index], u.index);
      else WriteStatement(statements_[u.index], u.index);
    }
  }

  // Items 1 to 6 of every record of a statement.
  void StatementKey(const Statement& s, std::size_t index, const char* type) {
    const Person& p = persons_[s.person];
    Item(1) = p.prevention ? "7132" : "7131";
    Item(2) = type;
    Item(3) = s.month.Text();
    Item(4) = options_.providerNumber;
    Item(5) = p.insurer;
    Item(6) = p.insured;
    if (Target(index)) {
      if (Is(Fault::InsurerSixDigits)) Item(5) = p.insurer.substr(2);
      if (Is(Fault::NotDigits)) Item(6)[5] = 'A';
      if (Is(Fault::PublicAssistanceClaim)) Item(6)[0] = 'H';
    }
    monthField_ = 5;
  }

  void WriteStatement(const Statement& s, std::size_t index) {
    const bool target = Target(index);
    if (target && (Is(Fault::InsurerSixDigits) || Is(Fault::NotDigits))) PlaceAtItem(Is(Fault::NotDigits) ? 6 : 5);
    if (!(target && Is(Fault::StatementWithoutBasic))) {
      BasicRecord(s, index);
      if (target && Is(Fault::StatementBasicTwice)) {
        PlaceAtItem(0);
        BasicRecord(s, index);
      }
    }
    // The details, then one total per service kind; the fault of the
    // order writes the first total before the last detail.
    std::size_t detailsLeft = target && Is(Fault::StatementWithoutDetail) ? 0 : s.details.size();
    const bool swap = target && Is(Fault::RecordOrder);
    for (std::size_t d = 0; d < detailsLeft; ++d) {
      if (swap && d + 1 == detailsLeft) TotalRecord(s, index, 0);
      if (swap && d + 1 == detailsLeft) PlaceAtItem(2);
      DetailRecord(s, index, d);
    }
    if (target && Is(Fault::StatementWithoutTotal)) return;
    for (std::size_t t = swap ? 1 : 0; t < s.totals.size(); ++t) TotalRecord(s, index, t);
  }

  void BasicRecord(const Statement& s, std::size_t index) {
    const Person& p = persons_[s.person];
    const bool target = Target(index);
    Items(56);
    StatementKey(s, index, "01");
    Item(13) = p.birth;
    Item(14) = p.sex;
    Item(15) = p.level;
    Item(17) = p.certFrom.Day(1);
    Item(18) = p.certTo.LastDay();
    Item(19) = "1";  // the care plan made by a care manager's office
    Item(20) = s.carePlanProvider;
    Item(29) = std::to_string(s.rate);
    Item(33) = std::to_string(s.units);
    Item(34) = std::to_string(s.claim);
    Item(35) = std::to_string(s.share);
    Item(36) = Item(37) = Item(38) = "0";
    if (target) {
      if (Is(Fault::StatementWithoutDetail) || Is(Fault::StatementWithoutTotal)) PlaceAtItem(0);
      if (Is(Fault::StatementWithoutInvoice)) PlaceAtItem(0);
      if (Is(Fault::PublicAssistanceClaim)) PlaceAtItem(34);
      if (Is(Fault::BasicTotals)) PlaceAtItem(33);
      Spoil(Fault::Required, 15, [] { return ""; });
      Spoil(Fault::TooManyDigits, 29, [&] { return "0" + ZeroPadded(s.rate, 3); });
      // 0170100123 saved by a spreadsheet.
      Spoil(Fault::NumberLength, 20, [] { return "170100123"; });
      Spoil(Fault::BadDate, 13, [] { return "19450230"; });
      Spoil(Fault::UnknownCode, 14, [] { return "3"; });
      Spoil(Fault::DateOutsideMonth, 21, [&] { return s.month.Plus(-1).LastDay(); });
      Spoil(Fault::OutsideCertification, 18, [&] { return s.month.Plus(-1).LastDay(); });
    }
    Put(s.month);
  }

  void DetailRecord(const Statement& s, std::size_t index, std::size_t d) {
    const Detail& detail = s.details[d];
    const bool first = Target(index) && d == 0;
    Items(18);
    StatementKey(s, index, "02");
    Item(7) = detail.kind;
    Item(8) = detail.item;
    Item(9) = std::to_string(detail.units);
    Item(10) = std::to_string(detail.count);
    Item(14) = std::to_string(detail.total);
    Item(18) = detail.remark;
    if (first) {
      if (Is(Fault::StatementWithoutBasic)) PlaceAtItem(0);
      if (Is(Fault::DetailUnits)) PlaceAtItem(14);
      if (Is(Fault::FieldCount)) {
        items_.pop_back();
        PlaceAtItem(0);
      }
      Spoil(Fault::NotAlphanumeric, 7, [&] { return texts_.fullWidthKind; });
      const std::string& remark = texts_.remarks[3];
      Spoil(Fault::ForbiddenQuote, 18, [&] { return Quoted(remark.substr(0, 6) + "'" + remark.substr(6)); });
      // Row 85 of code page 932 has no characters.
      Spoil(Fault::NotCp932, 18, [&] { return remark.substr(0, 4) + "\x85\x40" + remark.substr(4); });
      Spoil(Fault::StatementKey, 3, [&] { return s.month.Plus(-1).Text(); });
    }
    Put(s.month);
  }

  void TotalRecord(const Statement& s, std::size_t index, std::size_t t) {
    const KindTotal& total = s.totals[t];
    const bool first = Target(index) && t == 0;
    Items(38);
    StatementKey(s, index, "10");
    Item(7) = total.kind;
    Item(8) = std::to_string(total.days);
    Item(9) = std::to_string(total.plan);
    Item(10) = std::to_string(total.limited);
    Item(11) = std::to_string(total.unlimited);
    Item(12) = Item(13) = "0";
    Item(14) = std::to_string(total.units);
    Item(15) = std::to_string(unitPrice_);
    Item(16) = std::to_string(total.claim);
    Item(17) = std::to_string(total.share);
    if (first) {
      if (Is(Fault::ClaimAboveComputed) || Is(Fault::ClaimBelowComputed)) PlaceAtItem(16);
      if (Is(Fault::UserShare)) PlaceAtItem(17);
      Spoil(Fault::DaysOverMonth, 8, [&] { return std::to_string(s.month.Days() + 1); });
    }
    Put(s.month);
  }

  void WriteCarePlan(const CarePlan& c, std::size_t index) {
    const Person& p = persons_[c.person];
    const bool target = Target(index);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      const CarePlanLine& line = c.lines[i];
      const bool last = i + 1 == c.lines.size();
      Items(24);
      if (Current()) Item(1) = p.prevention ? "8125" : "8124";
      else Item(1) = "8121";
      Item(2) = options_.providerNumber;
      Item(3) = "1";
      Item(4) = c.month.Text();
      Item(5) = p.insurer;
      Item(6) = std::to_string(unitPrice_);
      Item(7) = p.insured;
      Item(10) = p.birth;
      Item(11) = p.sex;
      Item(12) = p.level;
      Item(13) = p.certFrom.Day(1);
      Item(14) = p.certTo.LastDay();
      Item(15) = p.certFrom.Day(1);  // 届出年月日
      Item(16) = last ? "99" : ZeroPadded(static_cast<std::int64_t>(i + 1), 2);
      Item(17) = line.code;
      Item(18) = std::to_string(line.units);
      Item(19) = std::to_string(line.count);
      Item(20) = std::to_string(line.total);
      if (last) {
        Item(21) = std::to_string(c.total);
        Item(22) = std::to_string(c.claim);
      }
      Item(23) = CareManager(c.person);
      if (target) {
        if (Is(Fault::CarePlanTotalLine) && i == 0) PlaceAtItem(0);
        if (Is(Fault::CarePlanTotalLine) && last) {
          Item(16) = ZeroPadded(static_cast<std::int64_t>(i + 1), 2);
          Item(21) = Item(22) = "";
        }
        if (Is(Fault::CarePlanTotal) && last) PlaceAtItem(22);
        if (Is(Fault::CarePlanUnits) && i == 0) PlaceAtItem(20);
        if (Is(Fault::CarePlanTotalFields) && i == 0 && !last) {
          Item(21) = std::to_string(c.total);
          PlaceAtItem(21);
        }
      }
      monthField_ = 6;
      Put(c.month);
    }
  }

  // The number of a person's care manager: eight digits.
  static std::string CareManager(std::size_t person) {
    return "1" + ZeroPadded(static_cast<std::int64_t>(person * 7919 % 10000000), 7);
  }

  // ---- benefit management ----

  void PlanSheets(std::size_t budget) {
    std::size_t remaining = budget;
    if (!Current() && remaining > 0) {
      cover_ = true;
      --remaining;
    }
    std::vector<bool> lateUsed;
    while (remaining > 0) {
      const Month month = sheets_.empty() || !random_.Percent(8) ? main_ : late_;
      std::size_t details = static_cast<std::size_t>(random_.Between(1, 6));
      if (sheets_.empty()) details = Is(Fault::BenefitTooManyLines) ? 99 : 2;
      std::size_t size = details + 1;
      if (size > remaining) size = remaining;
      if (remaining - size == 1) ++size;  // a sheet needs two lines at least
      sheets_.push_back(MakeSheet(PersonFor(month, lateUsed), month, size - 1));
      remaining -= size;
    }
  }

  Sheet MakeSheet(std::size_t person, const Month& month, std::size_t details) {
    const Person& p = persons_[person];
    Sheet s;
    s.person = person;
    s.month = month;
    static constexpr std::array<std::string_view, 7> care = {"13", "11", "15", "17", "16", "12", "14"};
    static constexpr std::array<std::string_view, 5> prevention = {"63", "61", "65", "67", "66"};
    const std::size_t kinds = p.prevention ? prevention.size() : care.size();
    const std::size_t first = random_.Below(kinds);
    for (std::size_t i = 0; i < details; ++i) {
      SheetLine line;
      // Each line a service kind of its own while there are kinds; a sheet
      // of more lines plans many providers' services.
      const std::size_t k = (first + i) % kinds;
      line.kind = std::string(p.prevention ? prevention[k] : care[k]);
      line.provider = i < kinds ? std::string(kProviders[random_.Below(kProviders.size())])
                                : "13" + ZeroPadded(static_cast<std::int64_t>(7000000 + i), 7) + "1";
      line.units = random_.Between(100, std::max<std::int64_t>(101, p.limit / static_cast<std::int64_t>(details + 1)));
      s.total += line.units;
      s.lines.push_back(std::move(line));
    }
    return s;
  }

  void WriteSheets() {
    if (cover_) {
      Items(7);
      Item(1) = "8211";
      Item(2) = processing_.Text();
      Item(3) = options_.providerNumber;
      Item(4) = "1";
      Item(5) = std::to_string(sheets_.size());
      Item(6) = "0";
      Item(7) = "0";
      monthField_ = 4;
      Put(processing_);
    }
    for (std::size_t i = 0; i < sheets_.size(); ++i) WriteSheet(sheets_[i], Target(i));
  }

  void SheetRecord(const Sheet& s, bool first, std::string_view lineNumber) {
    const Person& p = persons_[s.person];
    const bool old = !Current() || (first && Is(Fault::ExchangeIdMonth));
    Items(old ? 24 : 27);
    Item(1) = old ? "8221" : "8222";
    Item(2) = s.month.Text();
    Item(3) = p.insurer;
    Item(4) = options_.providerNumber;
    Item(5) = "1";  // 新規
    Item(6) = processing_.Day(3);
    Item(7) = "3";
    Item(8) = lineNumber;
    Item(9) = p.insured;
    Item(10) = p.birth;
    Item(11) = p.sex;
    Item(12) = p.level;
    Item(13) = p.certFrom.Text();
    Item(14) = p.certTo.Text();
    Item(15) = std::to_string(p.limit);
    Item(16) = "1";
    if (!old) Item(25) = CareManager(s.person);
    monthField_ = 4;
  }

  void WriteSheet(const Sheet& s, bool first) {
    const bool duplicate = first && Is(Fault::BenefitServiceTwice);
    std::size_t number = 0;
    auto detail = [&](const SheetLine& line) {
      ++number;
      SheetRecord(s, first, ZeroPadded(static_cast<std::int64_t>(std::min<std::size_t>(number, 98)), 2));
      Item(17) = line.provider;
      Item(18) = "1";
      Item(19) = line.kind;
      Item(20) = std::to_string(line.units);
      if (first && number == 1) {
        if (Is(Fault::ExchangeIdMonth)) PlaceAtItem(1);
        if (Is(Fault::BenefitNoTotalLine)) PlaceAtItem(0);
        Spoil(Fault::BadYearMonth, 13, [&] { return s.month.Text().substr(0, 4) + "13"; });
      }
      if (first && number == 99 && Is(Fault::BenefitTooManyLines)) PlaceAtItem(8);
      Put(s.month);
    };
    for (const SheetLine& line : s.lines) detail(line);
    if (duplicate) {
      PlaceAtItem(19);
      detail(s.lines.front());
    }
    if (first && Is(Fault::BenefitNoTotalLine)) return;
    SheetRecord(s, first, "99");
    Item(24) = std::to_string(s.total + (duplicate ? s.lines.front().units : 0));
    if (first && Is(Fault::BenefitTotalLine)) {
      Item(24) = std::to_string(s.total + 1);
      PlaceAtItem(24);
    }
    if (first && Is(Fault::BenefitTotalLineFields)) {
      Item(19) = s.lines.front().kind;
      PlaceAtItem(19);
    }
    Put(s.month);
  }

  // ---- the file ----

  std::string Assemble(FaultPlace* place) {
    std::string out;
    out.reserve(body_.size() + 200);
    std::size_t count = dataLines_;
    const bool control = !Is(Fault::NoControlRecord);
    if (control) {
      std::string countText = std::to_string(count + (Is(Fault::RecordCount) ? 1 : 0));
      std::string dataKind = kind_ == FileKind::CareFeeClaim ? "711" : "821";
      if (Is(Fault::OtherDataKind)) dataKind = "712";
      std::string processing = Is(Fault::ServiceMonthProcessing) ? main_.Text() : options_.yearMonth;
      // The control record as the national exchange format lays it out:
      // field 4 the number of data records, 7 the insurer (0 for a
      // provider), 10 the medium (7: over the internet, as files of today
      // go), 11 the processing year-month.
      const std::string fields[] = {"1", ZeroPadded(1, 8), "0", countText, dataKind, "0", "0", options_.providerNumber,
                                    options_.providerNumber.substr(0, 2), Is(Fault::MediumCode) ? "5" : Current() ? "7" : "1",
                                    processing, "1"};
      for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) out += ',';
        out += fields[i];
      }
      out += "\r\n";
      if (Is(Fault::RecordCount)) SetPlace(1, 4);
      if (Is(Fault::OtherDataKind)) SetPlace(1, 5);
      if (Is(Fault::MediumCode)) SetPlace(1, 10);
    } else {
      SetPlace(1, 1);
    }
    if (options_.lines == 1) return out;
    const std::size_t firstData = control ? 2 : 1;
    if (placed_ && placeLine_ != kNoLine) SetPlace(firstData + placeLine_, placeField_);
    out += body_;
    if (!Is(Fault::NoEndRecord)) {
      out += "3," + ZeroPadded(static_cast<std::int64_t>(sequence_ + 1), 8) + "\r\n";
    } else {
      SetPlace(firstData + dataLines_ - 1, 0);
    }
    if (place) *place = place_;
    return out;
  }

  void SetPlace(std::size_t line, int field) {
    place_ = {line, field};
    placed_ = true;
    placeLine_ = kNoLine;
  }

  static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

  const Options& options_;
  Fault fault_;
  FileKind kind_;
  Random random_;
  Texts texts_;
  const Month processing_, main_, late_;
  const std::int64_t unitPrice_;
  std::vector<Person> persons_;
  std::vector<Invoice> invoices_;
  std::vector<Statement> statements_;
  std::vector<CarePlan> carePlans_;
  std::vector<Unit> units_;
  std::vector<Sheet> sheets_;
  bool cover_ = false;

  std::vector<std::string> items_;
  std::string body_;
  std::size_t dataLines_ = 0;
  std::uint64_t sequence_ = 1;  // the control record is number 1
  int monthField_ = 0;
  bool placeNext_ = false, placed_ = false;
  std::size_t placeLine_ = kNoLine;
  int placeField_ = 0;
  FaultPlace place_;
};

}  // namespace

std::span<const std::string_view> Faults() { return kFaultList; }

std::string Generate(const Options& options, FaultPlace* place) {
  const Fault fault = FaultNamed(options.fault);
  return Generator(options, fault).Run(place);
}

void WriteFile(const std::string& path, const Options& options, FaultPlace* place) {
  const std::string bytes = Generate(options, place);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace claimgen
