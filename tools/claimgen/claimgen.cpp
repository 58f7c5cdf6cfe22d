#include "claimgen/claimgen.h"

#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

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
  bool Percent(int p) { return Below(100) < static_cast<std::size_t>(p); }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

std::string ToCp932(std::string_view utf8) {
  std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(utf8));
  if (!bytes) throw std::runtime_error("text not in CP932: " + std::string(utf8));
  return std::move(*bytes);
}

// Double-byte texts, converted once.
struct Texts {
  std::vector<std::string> familyNames, givenNames, providerNames, remarks, towns;
  std::string space;  // U+3000, between family and given name

  Texts() {
    for (const char* s : {"山田", "佐藤", "鈴木", "高橋", "田中", "渡辺", "伊藤", "中村", "小林", "加藤", "吉田",
                          "山本", "斎藤", "松本", "井上", "木村", "林", "清水", "山崎", "森"})
      familyNames.push_back(ToCp932(s));
    for (const char* s : {"太郎", "花子", "一郎", "幸子", "次郎", "和子", "三郎", "節子", "正雄", "キヨ",
                          "ハナ", "弘", "茂", "トメ", "久美子", "誠"})
      givenNames.push_back(ToCp932(s));
    for (const char* s : {"訪問看護ステーションひまわり", "株式会社　さくら介護サービス", "医療法人　青葉会　訪問看護",
                          "ケアプランセンター①", "合同会社～つばさ～"})
      providerNames.push_back(ToCp932(s));
    for (const char* s : {"入院のため中止", "月途中より再開", "居宅療養管理指導（薬剤師）", "区分変更申請中",
                          "特別指示書あり"})
      remarks.push_back(ToCp932(s));
    for (const char* s : {"東京都千代田区神田", "大阪府大阪市北区梅田", "福岡県福岡市博多区", "北海道札幌市中央区"})
      towns.push_back(ToCp932(s));
    space = ToCp932("　");
  }
};

// `count` random digits after `prefix`.
std::string Digits(Random& r, int count, const char* prefix = "") {
  std::string s = prefix;
  for (int i = 0; i < count; ++i) s.push_back(static_cast<char>('0' + r.Below(10)));
  return s;
}

std::string ZeroPadded(std::uint64_t value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return s;
}

// A year-month `back` months before `yearMonth` (YYYYMM).
std::string MonthsBefore(const std::string& yearMonth, int back) {
  int year = std::stoi(yearMonth.substr(0, 4));
  int month = std::stoi(yearMonth.substr(4, 2)) - back;
  while (month < 1) month += 12, --year;
  return ZeroPadded(static_cast<std::uint64_t>(year), 4) + ZeroPadded(static_cast<std::uint64_t>(month), 2);
}

// A quoted field in the way claim software writes one: inner quotes doubled.
std::string Quoted(std::string_view text) {
  std::string s = "\"";
  for (char c : text) {
    if (c == '"') s.push_back('"');
    s.push_back(c);
  }
  return s + "\"";
}

struct Person {
  std::string insured;  // 10 digits
  std::string insurer;  // as written in the file: usually 6 digits, sometimes without its leading zero
  std::string name;
};

class Generator {
 public:
  explicit Generator(const Options& o) : options_(o), random_(o.seed) {
    const std::size_t people = std::max<std::size_t>(4, o.lines / 12);
    const std::array<std::uint64_t, 8> insurers = {131011, 131029, 271007, 11106, 401307, 11015, 62019, 131045};
    for (std::size_t i = 0; i < people; ++i) {
      const std::uint64_t insurer = insurers[random_.Below(insurers.size())];
      Person p;
      p.insured = ZeroPadded(1000000000ULL + random_.Below(900000000), 10);
      p.insurer = random_.Percent(10) ? std::to_string(insurer) : ZeroPadded(insurer, 6);
      p.name = texts_.familyNames[random_.Below(texts_.familyNames.size())] + texts_.space +
               texts_.givenNames[random_.Below(texts_.givenNames.size())];
      people_.push_back(std::move(p));
    }
  }

  std::string Run() {
    std::string out;
    out.reserve(options_.lines * 110);
    if (options_.lines == 0) return out;
    const std::size_t dataLines = options_.lines >= 2 ? options_.lines - 2 : 0;
    // The control record as the national exchange format lays it out: field
    // 4 the number of data records, field 12 the file management number.
    // Field 10, the medium: files of today go over the internet (7).
    Line(out, {"1", Sequence(), "0", std::to_string(dataLines),
               options_.kind == FileKind::CareFeeClaim ? "711" : "821", "0", options_.yearMonth + "10",
               options_.providerNumber, "0", Current() ? "7" : "1", options_.yearMonth, "0"});
    for (std::size_t i = 0; i < dataLines; ++i) {
      if (options_.kind == FileKind::CareFeeClaim) {
        CareFeeRecord(out);
      } else {
        BenefitRecord(out);
      }
    }
    if (options_.lines >= 2) Line(out, {"3", Sequence()});
    return out;
  }

 private:
  void Line(std::string& out, std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& f : fields) {
      if (!first) out.push_back(',');
      out += f;
      first = false;
    }
    out += "\r\n";
  }

  bool Current() const { return options_.generation == Generation::Current; }
  std::string Sequence() { return ZeroPadded(++sequence_, 8); }
  const Person& SomePerson() { return people_[random_.Below(people_.size())]; }
  std::string Field4() { return random_.Percent(90) ? "10" : random_.Percent(50) ? "01" : "20"; }
  std::string ServiceMonth() { return MonthsBefore(options_.yearMonth, random_.Percent(92) ? 1 : 2); }
  std::string ServiceKind() {
    const std::size_t k = random_.Below(100);
    return k < 40 ? "13" : k < 60 ? "63" : k < 85 ? "31" : "34";
  }
  std::string Units() { return std::to_string(50 + random_.Below(1200)); }
  std::string Remark() {
    if (!random_.Percent(15)) return "";
    std::string text = texts_.remarks[random_.Below(texts_.remarks.size())];
    // Now and then a remark with a comma and a quoted word in it.
    if (random_.Percent(30)) text += ",\"" + texts_.towns[random_.Below(texts_.towns.size())] + "\"";
    return Quoted(text);
  }

  void CareFeeRecord(std::string& out) {
    const Person& p = SomePerson();
    const std::string month = ServiceMonth();
    const std::size_t pick = random_.Below(100);
    if (pick < 2) {
      std::string name = texts_.providerNames[random_.Below(texts_.providerNames.size())];
      Line(out, {"2", Sequence(), "7111", Field4(), month, options_.providerNumber, p.insurer,
                 random_.Percent(50) ? Quoted(name) : name, Digits(random_, 8, "03"), Units(), Units(), Units(),
                 "0", "0"});
    } else if (pick < 14) {
      Line(out, {"2", Sequence(), "7121", Field4(), month, options_.providerNumber, p.insurer, p.insured, "1",
                 p.name, Digits(random_, 7, "1"), std::to_string(1 + random_.Below(2)),
                 std::to_string(21 + random_.Below(5)), month + "01", "", "0", Remark()});
    } else if (pick < 59) {
      Line(out, {"2", Sequence(), random_.Percent(78) ? "7131" : "7132", Field4(), month, options_.providerNumber,
                 p.insurer, p.insured, ServiceKind(), Digits(random_, 4), Units(), std::to_string(1 + random_.Below(12)),
                 "0", "0", "0", ZeroPadded(random_.Below(9999), 6), "0", std::to_string(1 + random_.Below(30)),
                 Units(), Units(), "0", "", Remark()});
    } else if (pick < 85) {
      static constexpr std::array<const char*, 6> codes = {"7141", "7142", "7151", "7152", "7161", "7162"};
      Line(out, {"2", Sequence(), random_.Pick(codes), Field4(), month, options_.providerNumber, p.insurer,
                 p.insured, ServiceKind(), Units(), Units(), "90", Units(), "0", "0", Units(), "0"});
    } else if (Current()) {
      CarePlanFeeRecord(out, p, month);
    } else {
      Line(out, {"2", Sequence(), "8121", Field4(), "", month, p.insurer, options_.providerNumber, p.insured,
                 Digits(random_, 9, "1"), month + "01", Units(), "0"});
    }
  }

  // 8124 (care) and 8125 (prevention): the items of 8121 in their places
  // (fields 3 to 17), then one line per service code, its line number in
  // field 18, "99" for the person's totals line.
  void CarePlanFeeRecord(std::string& out, const Person& p, const std::string& month) {
    const bool totals = random_.Percent(25);
    const bool prevention = random_.Percent(30);
    Line(out, {"2", Sequence(), prevention ? "8125" : "8124", Field4(), "", month, p.insurer,
               options_.providerNumber, p.insured, Digits(random_, 9, "1"), month + "01", Units(), "0", "0", "",
               "", "", totals ? "99" : ZeroPadded(1 + random_.Below(3), 2),
               totals ? "" : (prevention ? "461111" : "431111"), totals ? "" : Units(), totals ? "" : "1",
               Units(), Digits(random_, 8, "1")});
  }

  void BenefitRecord(std::string& out) {
    const Person& p = SomePerson();
    const std::string month = ServiceMonth();
    if (Current()) {
      CurrentBenefitRecord(out, p, month);
    } else if (random_.Percent(6)) {
      Line(out, {"2", Sequence(), "8211", options_.yearMonth, p.insurer, options_.providerNumber, "1",
                 std::to_string(1 + random_.Below(40)), "0"});
    } else {
      Line(out, {"2", Sequence(), "8221", month, p.insurer, options_.providerNumber, "1", "0", "1",
                 random_.Percent(92) ? "01" : "99", p.insured, Digits(random_, 7, "1"), "2", p.name,
                 Digits(random_, 9, "1"), "0", Units(), "", "", "1", ServiceKind(), Units(), Units(), "0",
                 Remark()});
    }
  }

  // 8222: the items of 8221 in their places, then the care managers'
  // numbers (fields 27 to 29). Home medical management (31, 34) is outside
  // benefit management, and services the display has no column for are
  // planned too.
  void CurrentBenefitRecord(std::string& out, const Person& p, const std::string& month) {
    static constexpr std::array<const char*, 8> kinds = {"13", "13", "63", "63", "11", "15", "17", "13"};
    Line(out, {"2", Sequence(), "8222", month, p.insurer, options_.providerNumber, "1", "0", "1",
               random_.Percent(92) ? "01" : "99", p.insured, Digits(random_, 7, "1"), "2", p.name,
               Digits(random_, 9, "1"), "0", Units(), "", "", "1", random_.Pick(kinds), Units(), Units(), "0",
               Remark(), "0", Digits(random_, 8, "1"), Digits(random_, 8, "1"), ""});
  }

  const Options& options_;
  Random random_;
  Texts texts_;
  std::vector<Person> people_;
  std::uint64_t sequence_ = 0;
};

}  // namespace

std::string Generate(const Options& options) { return Generator(options).Run(); }

void WriteFile(const std::string& path, const Options& options) {
  const std::string bytes = Generate(options);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace claimgen
