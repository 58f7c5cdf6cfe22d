#include "check/layouts.h"

#include <array>
#include <cstdint>
#include <string>

namespace pellora::check {
namespace {

// The items of the tables below. The sizes the sources' notes give are
// confirmed; those read from the service-provider volume alone are not
// (kOne).
constexpr Source kSure = Source::Confirmed;
constexpr Source kOne = Source::OneSource;
constexpr Source kOurs = Source::Inferred;

constexpr std::array<std::string_view, 2> kSexes = {"1", "2"};
// 非該当, 事業対象者, 要支援 (before 2006), 要支援 1 and 2, 要介護 1 to 5.
constexpr std::array<std::string_view, 10> kCareLevels = {"01", "06", "11", "12", "13",
                                                              "21", "22", "23", "24", "25"};
constexpr std::array<std::string_view, 2> kInsuranceOrPublic = {"1", "2"};  // 保険, 公費
constexpr std::array<std::string_view, 2> kClaimKinds = {"01", "02"};       // 居宅・施設サービス, 居宅介護支援
constexpr std::array<std::string_view, 3> kSheetKinds = {"1", "2", "3"};   // 新規, 修正, 取消
// 1 and 7 transmission, 2 to 4 removable media of old.
constexpr std::array<std::string_view, 5> kMedia = {"1", "2", "3", "4", "7"};
constexpr std::array<std::string_view, 11> kStatementTypes = {"01", "02", "03", "04", "05", "10",
                                                                 "11", "12", "13", "14", "16"};

template <std::size_t N, std::size_t M>
constexpr std::array<Item, N + M> Join(const std::array<Item, N>& a, const std::array<Item, M>& b) {
  std::array<Item, N + M> joined{};
  for (std::size_t i = 0; i < N; ++i) joined[i] = a[i];
  for (std::size_t i = 0; i < M; ++i) joined[N + i] = b[i];
  return joined;
}

// Items 1 to 6 of every record of a 明細書: its key.
constexpr std::array<Item, 6> kStatementKey = {{
    {u"交換情報識別番号", Value::Text, 4, true},
    {u"レコード種別コード", Value::Code, 2, true, kStatementTypes},
    {u"サービス提供年月", Value::YearMonth, 6, true},
    {u"事業所番号", Value::Provider, 10, true},
    {u"証記載保険者番号", Value::Insurer, 8, true},
    {u"被保険者番号", Value::Insured, 10, true},
}};

constexpr auto kBasicItems = Join(kStatementKey, std::array<Item, 50>{{
    {u"公費１負担者番号", Value::Digits, 8},
    {u"公費１受給者番号", Value::Digits, 7},
    {u"公費２負担者番号", Value::Digits, 8},
    {u"公費２受給者番号", Value::Digits, 7},
    {u"公費３負担者番号", Value::Digits, 8},
    {u"公費３受給者番号", Value::Digits, 7},
    {u"生年月日", Value::Date, 8, true},
    {u"性別コード", Value::Code, 1, true, kSexes},
    {u"要介護状態区分コード", Value::Code, 2, true, kCareLevels},
    {u"旧措置入所者特例コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"認定有効期間開始年月日", Value::Date, 8, true},
    {u"認定有効期間終了年月日", Value::Date, 8, true},
    {u"居宅サービス計画作成区分コード", Value::Digits, 1},
    {u"事業所番号（居宅介護支援事業所）", Value::Provider, 10},
    {u"開始年月日", Value::Date, 8},
    {u"中止年月日", Value::Date, 8},
    {u"中止理由・入所（院）前の状況コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"入所（院）年月日", Value::Date, 8},
    {u"退所（院）年月日", Value::Date, 8},
    {u"入所（院）実日数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"外泊日数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"退所（院）後の状態コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"保険給付率", Value::Digits, 3, true},
    {u"公費１給付率", Value::Digits, 3, false, {}, kSure, kOne},
    {u"公費２給付率", Value::Digits, 3, false, {}, kSure, kOne},
    {u"公費３給付率", Value::Digits, 3, false, {}, kSure, kOne},
    {u"保険サービス単位数", Value::Amount, 8, true},
    {u"保険請求額", Value::Amount, 9},
    {u"保険利用者負担額", Value::Amount, 8},
    {u"保険緊急時施設療養費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"保険特定診療費請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"保険特定入所者介護サービス費等請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費１サービス単位数", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１緊急時施設療養費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１特定診療費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１特定入所者介護サービス費等請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２サービス単位数", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２緊急時施設療養費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２特定診療費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２特定入所者介護サービス費等請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３サービス単位数", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３緊急時施設療養費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３特定診療費請求額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３特定入所者介護サービス費等請求額", Value::Amount, 8, false, {}, kSure, kOne},
}});

constexpr auto kDetailItems = Join(kStatementKey, std::array<Item, 12>{{
    {u"サービス種類コード", Value::Alnum, 2, true},
    {u"サービス項目コード", Value::Alnum, 4, true},
    {u"単位数", Value::Amount, 4},
    {u"日数・回数", Value::Digits, 2, true},
    {u"公費１対象日数・回数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"公費２対象日数・回数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"公費３対象日数・回数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"サービス単位数", Value::Amount, 6, true},
    {u"公費１対象サービス単位数", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費２対象サービス単位数", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費３対象サービス単位数", Value::Amount, 6, false, {}, kSure, kOne},
    {u"摘要", Value::Text, 20},
}});

constexpr auto kTotalItems = Join(kStatementKey, std::array<Item, 32>{{
    {u"サービス種類コード", Value::Alnum, 2, true},
    {u"サービス実日数", Value::Digits, 2, true},
    {u"計画単位数", Value::Amount, 6, true},
    {u"限度額管理対象単位数", Value::Amount, 6, true},
    {u"限度額管理対象外単位数", Value::Amount, 6, true},
    {u"短期入所計画日数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"短期入所実日数", Value::Digits, 2, false, {}, kSure, kOne},
    {u"保険単位数合計", Value::Amount, 8, true},
    {u"保険単位数単価", Value::Digits, 4},
    {u"保険請求額", Value::Amount, 9},
    {u"保険利用者負担額", Value::Amount, 8},
    {u"公費１単位数合計", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費１請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費１本人負担額", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費２単位数合計", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費２請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費２本人負担額", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費３単位数合計", Value::Amount, 6, false, {}, kSure, kOne},
    {u"公費３請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費３本人負担額", Value::Amount, 6, false, {}, kSure, kOne},
    {u"保険出来高医療費単位数合計", Value::Amount, 8, false, {}, kSure, kOne},
    {u"保険出来高医療費請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"保険出来高医療費利用者負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１出来高医療費単位数合計", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費１出来高医療費請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費１出来高医療費本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２出来高医療費単位数合計", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費２出来高医療費請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費２出来高医療費本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３出来高医療費単位数合計", Value::Amount, 8, false, {}, kSure, kOne},
    {u"公費３出来高医療費請求額", Value::Amount, 9, false, {}, kSure, kOne},
    {u"公費３出来高医療費本人負担額", Value::Amount, 8, false, {}, kSure, kOne},
}});

// The 請求書. Its group's items (month, provider, 区分, 請求情報区分) are
// required, the federation keeping one 7111 per group; its count only by our
// reading.
constexpr std::array<Item, 18> kInvoiceItems = {{
    {u"交換情報識別番号", Value::Text, 4, true},
    {u"サービス提供年月", Value::YearMonth, 6, true},
    {u"事業所番号", Value::Provider, 10, true},
    {u"保険・公費等区分", Value::Code, 1, true, kInsuranceOrPublic},
    {u"法別番号", Value::Digits, 2},
    {u"請求情報区分", Value::Code, 2, true, kClaimKinds},
    {u"件数", Value::Digits, 6, true, {}, kOurs},
    {u"単位数", Value::Amount, 11},
    {u"費用合計", Value::Amount, 12},
    {u"保険請求額", Value::Amount, 12},
    {u"公費請求額", Value::Amount, 12},
    {u"利用者負担", Value::Amount, 12},
    {u"特定入所者介護サービス費等件数", Value::Digits, 6},
    {u"特定入所者介護サービス費等延べ日数", Value::Digits, 8},
    {u"特定入所者介護サービス費等費用合計", Value::Amount, 12},
    {u"特定入所者介護サービス費等利用者負担", Value::Amount, 12},
    {u"特定入所者介護サービス費等公費請求額", Value::Amount, 12},
    {u"特定入所者介護サービス費等保険請求額", Value::Amount, 12},
}};

// 8124 and 8125, of one source; 8121 to 8123 share their first fifteen
// items.
constexpr std::array<Item, 24> kCarePlanItems = {{
    {u"交換情報識別番号", Value::Text, 4, true, {}, kOne, kOne},
    {u"事業所番号", Value::Provider, 10, true, {}, kOne, kOne},
    {u"事業所区分コード", Value::Digits, 1, false, {}, kOne, kOne},
    {u"サービス提供年月", Value::YearMonth, 6, true, {}, kOne, kOne},
    {u"証記載保険者番号", Value::Insurer, 8, true, {}, kOne, kOne},
    {u"単位数単価", Value::Digits, 4, false, {}, kOne, kOne},
    {u"被保険者番号", Value::Insured, 10, true, {}, kOne, kOne},
    {u"公費負担者番号", Value::Digits, 8, false, {}, kOne, kOne},
    {u"公費受給者番号", Value::Digits, 7, false, {}, kOne, kOne},
    {u"生年月日", Value::Date, 8, false, {}, kOne, kOne},
    {u"性別コード", Value::Code, 1, false, kSexes, kOne, kOne},
    {u"要介護状態区分コード", Value::Code, 2, false, kCareLevels, kOne, kOne},
    {u"認定有効期間開始年月日", Value::Date, 8, false, {}, kOne, kOne},
    {u"認定有効期間終了年月日", Value::Date, 8, false, {}, kOne, kOne},
    {u"届出年月日", Value::Date, 8, false, {}, kOne, kOne},
    {u"明細行番号", Value::LineNumber, 2, true, {}, kOne, kOne},
    {u"サービスコード", Value::Alnum, 6, false, {}, kOne, kOne},
    {u"単位数", Value::Amount, 0, false, {}, kOne, kOne},
    {u"回数", Value::Digits, 0, false, {}, kOne, kOne},
    {u"サービス単位数", Value::Amount, 0, false, {}, kOne, kOne},
    {u"サービス単位数合計", Value::Amount, 0, false, {}, kOne, kOne},
    {u"請求金額", Value::Amount, 6, false, {}, kOne, kOne},
    {u"担当介護支援専門員番号", Value::Digits, 8, false, {}, kOne, kOne},
    {u"摘要", Value::Text, 0, false, {}, kOne, kOne},
}};

// 8221, and 8222 with three items more: what the items are is confirmed,
// their sizes come from one source.
constexpr std::array<Item, 27> kSheetItems = {{
    {u"交換情報識別番号", Value::Text, 4, true},
    {u"対象年月", Value::YearMonth, 6, true},
    {u"証記載保険者番号", Value::Insurer, 8, true},
    {u"事業所番号（居宅介護支援事業所）", Value::Provider, 10, true},
    {u"給付管理票作成区分コード", Value::Code, 1, false, kSheetKinds},
    {u"給付管理票作成年月日", Value::Date, 8},
    {u"給付管理票種別区分コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"給付管理票明細行番号", Value::LineNumber, 2, true},
    {u"被保険者番号", Value::Insured, 10, true},
    {u"生年月日", Value::Date, 8},
    {u"性別コード", Value::Code, 1, false, kSexes},
    {u"要介護状態区分コード", Value::Code, 2, false, kCareLevels},
    {u"限度額適用期間（開始）", Value::YearMonth, 6},
    {u"限度額適用期間（終了）", Value::YearMonth, 6},
    {u"居宅・介護予防支給限度額", Value::Amount, 6, false, {}, kSure, kOne},
    {u"居宅サービス計画作成区分コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"サービス事業所番号", Value::Provider, 10},
    {u"指定／基準該当等事業所区分コード", Value::Digits, 1, false, {}, kSure, kOne},
    {u"サービス種類コード", Value::Alnum, 2, false, {}, kSure, kOne},
    {u"給付計画単位数", Value::Amount, 6, false, {}, kSure, kOne},
    {u"小計（項目２１）", Value::Amount, 6, false, {}, kSure, kOne},
    {u"小計（項目２２）", Value::Amount, 6, false, {}, kSure, kOne},
    {u"小計（項目２３）", Value::Amount, 6, false, {}, kSure, kOne},
    {u"給付計画合計単位数", Value::Amount, 6, false, {}, kSure, kOne},
    {u"担当介護支援専門員番号", Value::Digits, 0},
    {u"介護支援専門員番号（項目２６）", Value::Digits, 0},
    {u"介護支援専門員番号（項目２７）", Value::Digits, 0},
}};

// The control record's items are its fields; fields 1 and 2 are the
// record's kind and number, which the check reads for every record.
constexpr std::array<Item, 12> kControlItems = {{
    {u"レコード種別", Value::Text},
    {u"レコード番号", Value::Text},
    {u"ボリューム通番", Value::Digits},
    {u"レコード件数", Value::Digits, 0, true},
    {u"データ種別", Value::Digits, 3, true},
    {u"福祉事務所特定番号", Value::Digits},
    {u"保険者番号", Value::Digits, 8},
    {u"事業所番号", Value::Provider, 10, true},
    {u"都道府県番号", Value::Digits, 2},
    {u"媒体区分", Value::Code, 1, false, kMedia, kOurs, kOurs, rule::kMediumCode},
    {u"処理対象年月", Value::YearMonth, 6, true},
    {u"ファイル管理番号", Value::Digits},
}};
constexpr std::array<Item, 2> kEndItems = {{
    {u"レコード種別", Value::Text},
    {u"レコード番号", Value::Text},
}};

constexpr Layout kInvoice{u"請求書情報レコード", 20, kSure, kInvoiceItems};
constexpr Layout kBasic{u"基本情報レコード", 58, kSure, kBasicItems};
constexpr Layout kDetail{u"明細情報レコード", 20, kSure, kDetailItems};
constexpr Layout kTotal{u"集計情報レコード", 40, kSure, kTotalItems};
constexpr Layout kKeyOnly{u"明細書レコード", 0, kSure, kStatementKey};
// The record types of the statements whose layouts only the volume gives:
// checked by their key and their field count.
constexpr Layout kEmergency{u"緊急時施設療養情報レコード", 48, kOne, kStatementKey};
constexpr Layout kSpecialMedical{u"特定診療費情報レコード", 25, kOne, kStatementKey};
constexpr Layout kMeals{u"食事費用情報レコード", 25, kOne, kStatementKey};
constexpr Layout kResidents{u"特定入所者介護サービス費用情報レコード", 35, kOne, kStatementKey};
constexpr Layout kWelfareReduction{u"社会福祉法人軽減額情報レコード", 14, kOne, kStatementKey};
constexpr Layout kFacilityIllness{u"所定疾患施設療養費等情報レコード", 57, kOne, kStatementKey};
constexpr Layout kDetailSpecialAddress{u"明細情報（住所地特例）レコード", 0, kOne, kStatementKey};
constexpr Layout kBasicRemarks{u"基本摘要情報レコード", 0, kOne, kStatementKey};
constexpr Layout kCarePlan{u"居宅介護支援介護給付費明細書レコード", 26, kOne, kCarePlanItems};
constexpr Layout kCarePlanFirst{u"居宅介護支援介護給付費明細書レコード", 0, kOne, std::span(kCarePlanItems).first(15)};
constexpr Layout kSheet{u"給付管理票レコード", 29, kSure, kSheetItems};
constexpr Layout kSheetFirst{u"給付管理票レコード", 26, kSure, std::span(kSheetItems).first(24)};
constexpr Layout kControl{u"コントロールレコード", 12, kSure, kControlItems, 1};
constexpr Layout kEnd{u"エンドレコード", 2, kSure, kEndItems, 1};

struct TypeLayout {
  std::string_view type;
  const Layout* layout;
  int rank;
};
const std::array<TypeLayout, 11> kTypes = {{
    {"01", &kBasic, 0},
    {"02", &kDetail, 1},
    {"14", &kDetailSpecialAddress, 1},
    {"03", &kEmergency, 2},
    {"04", &kSpecialMedical, 2},
    {"05", &kMeals, 2},
    {"13", &kFacilityIllness, 2},
    {"10", &kTotal, 3},
    {"11", &kResidents, 4},
    {"12", &kWelfareReduction, 5},
    {"16", &kBasicRemarks, -1},
}};

constexpr Form kClaim = Form::Claim;
constexpr Form kCarePlanForm = Form::CarePlan;
constexpr Form kBenefit = Form::Benefit;
constexpr DataKind k711 = DataKind::Claims;
constexpr DataKind k821 = DataKind::Benefits;

// The IDs by service month: 7132 and 8222 came in April 2006 (8221 and 8121
// ended then), 8122 and 8123 lasted until March 2012, when 8124 and 8125
// came; an older source dates that change April 2009, so those three years
// are told as a notice only. The short-stay forms' IDs are known, their
// months not.
const std::array<ExchangeId, 25> kIds = {{
    {"7111", Family::Invoice, kClaim, k711, 0, 0, 0, 0, 4, 0, 0, &kInvoice},
    {"7131", Family::Statement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8},
    {"7132", Family::Statement, kClaim, k711, 200604, 0, 0, 0, 5, 7, 8},
    {"7121", Family::Unchecked, kClaim, k711},
    {"7141", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7142", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7143", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7144", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7151", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7152", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7153", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7154", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7155", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7156", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7161", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7162", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7163", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7164", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"7165", Family::OtherStatement, kClaim, k711, 0, 0, 0, 0, 5, 7, 8, &kKeyOnly},
    {"8121", Family::CarePlan, kCarePlanForm, k711, 0, 200603, 0, 0, 6, 7, 9, &kCarePlanFirst},
    {"8122", Family::CarePlan, kCarePlanForm, k711, 200604, 201203, 0, 0, 6, 7, 9, &kCarePlanFirst},
    {"8123", Family::CarePlan, kCarePlanForm, k711, 200604, 201203, 0, 0, 6, 7, 9, &kCarePlanFirst},
    {"8124", Family::CarePlan, kCarePlanForm, k711, 201204, 0, 200904, 201203, 6, 7, 9, &kCarePlan},
    {"8125", Family::CarePlan, kCarePlanForm, k711, 201204, 0, 200904, 201203, 6, 7, 9, &kCarePlan},
    {"8222", Family::Benefit, kBenefit, k821, 200604, 0, 0, 0, 4, 5, 11, &kSheet},
}};
const ExchangeId kSheetFirstId{"8221", Family::Benefit, kBenefit, k821, 0, 200603, 0, 0, 4, 5, 11, &kSheetFirst};
const ExchangeId kCoverId{"8211", Family::Unchecked, kBenefit, k821};

}  // namespace

// The bytes of a short code as one number: every record is looked up by
// its ID, and statements' records by their type, so these compare as
// numbers, not as texts.
constexpr std::uint32_t Packed(std::string_view code) {
  std::uint32_t packed = 0;
  for (const char c : code) packed = packed << 8 | static_cast<unsigned char>(c);
  return packed;
}

// The IDs' codes packed, in kIds' order, then 8221's and 8211's.
const std::array<std::uint32_t, kIds.size() + 2> kPackedIds = [] {
  std::array<std::uint32_t, kIds.size() + 2> packed{};
  for (std::size_t i = 0; i < kIds.size(); ++i) packed[i] = Packed(kIds[i].code);
  packed[kIds.size()] = Packed(kSheetFirstId.code);
  packed[kIds.size() + 1] = Packed(kCoverId.code);
  return packed;
}();

const ExchangeId* FindExchangeId(std::string_view code) {
  if (code.size() != 4) return nullptr;
  const std::uint32_t packed = Packed(code);
  for (std::size_t i = 0; i < kPackedIds.size(); ++i) {
    if (kPackedIds[i] != packed) continue;
    if (i < kIds.size()) return &kIds[i];
    return i == kIds.size() ? &kSheetFirstId : &kCoverId;
  }
  return nullptr;
}

namespace {

const TypeLayout* FindType(std::string_view type) {
  if (type.size() != 2) return nullptr;
  for (const TypeLayout& t : kTypes)
    if (t.type[0] == type[0] && t.type[1] == type[1]) return &t;
  return nullptr;
}

}  // namespace

const Layout& StatementLayout(std::string_view type) {
  const TypeLayout* t = FindType(type);
  return t != nullptr ? *t->layout : kKeyOnly;
}

const Layout& StatementKeyLayout() { return kKeyOnly; }

int StatementRank(std::string_view type) {
  const TypeLayout* t = FindType(type);
  return t != nullptr ? t->rank : -1;
}

std::u16string ItemName(const Layout* layout, int field) {
  if (layout != nullptr) {
    const int index = field - layout->firstField;
    if (index >= 0 && static_cast<std::size_t>(index) < layout->items.size())
      return std::u16string(layout->items[static_cast<std::size_t>(index)].name);
  }
  const std::string digits = std::to_string(field);
  std::u16string name = u"第";
  name.append(digits.begin(), digits.end());
  name += u"フィールド";
  return name;
}

std::optional<DataKind> DataKindOf(std::string_view dataKind) {
  if (dataKind == "711") return DataKind::Claims;
  if (dataKind == "821") return DataKind::Benefits;
  return std::nullopt;
}

std::string_view DataKindCode(DataKind kind) { return kind == DataKind::Claims ? "711" : "821"; }

const Layout& ControlLayout() { return kControl; }
const Layout& EndLayout() { return kEnd; }

}  // namespace pellora::check
