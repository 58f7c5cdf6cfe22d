#include "print/pages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "check/check_report.h"
#include "claim/display_steps.h"
#include "claim/display_columns.h"
#include "display/column_widths.h"
#include "display/header_labels.h"
#include "platform/platform_path.h"
#include "text/number_text.h"

namespace pellora::print {
namespace {

// A margin round the page that any printer prints within.
constexpr double kMargin = 10 * kPointsPerMillimetre;
// Room between a cell's edge and its text.
constexpr double kCellPadding = 3;
// The window's grid text is 9 points; on paper it shrinks only as far as
// this to keep the headings whole on a narrow sheet.
constexpr double kGridFontSize = 9;
constexpr double kSmallestGridFontSize = 5;
constexpr double kRowHeightPerPoint = 1.75;
constexpr Font kTitleFont{Face::Window, 13, true};
constexpr Font kHeaderFont{Face::Window, 9, false};
constexpr Font kHeaderCaptionFont{Face::Window, 9, true};
constexpr Font kFooterFont{Face::Window, 8, false};
constexpr Font kLegendFont{Face::Window, 8, false};
constexpr double kLineHeightPerPoint = 1.6;
constexpr double kHeaderGap = 18;  // between two items of one header line
// The warnings below the header's rule: a line each, after this gap.
constexpr double kWarningsGap = 3;
constexpr std::u16string_view kWarningPrefix = u"警告: ";

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRuleGrey{150, 150, 150};
constexpr Rgb kHeadingFill{228, 228, 228};

constexpr std::u16string_view kPrintedCaption = u"印刷日";
constexpr std::u16string_view kFileCaption = u"ファイル";
constexpr std::u16string_view kLegendTitle = u"氏名の欄の色と印";
struct LegendEntry {
  LookupOutcome outcome;
  std::u16string_view text;
};
constexpr std::array<LegendEntry, 3> kLegend = {{
    {LookupOutcome::Found, u"データベースに氏名が見つかった"},
    {LookupOutcome::NotFound, u"＊ データベースに該当する行がない"},
    {LookupOutcome::Unavailable, u"× データベースが使えない、または読み取りに失敗した"},
}};

// The legend flows its title and entries along its lines, as many to a
// line as the page's width takes, so that it needs one line on most papers.
constexpr Font kLegendTitleFont{Face::Window, 8, true};
constexpr double kSwatchWidth = 16, kSwatchHeight = 8, kSwatchGap = 4, kLegendGap = 14;
struct LegendPlace {
  int line = 0;
  double x = 0, width = 0;
};
// The title's place, then each entry's.
std::vector<LegendPlace> FlowLegend(const TextWidth& textWidth, double available) {
  std::vector<double> widths{textWidth(kLegendTitle, kLegendTitleFont)};
  for (const LegendEntry& entry : kLegend)
    widths.push_back(kSwatchWidth + kSwatchGap + textWidth(entry.text, kLegendFont));
  std::vector<LegendPlace> places;
  LegendPlace place;
  for (const double width : widths) {
    if (place.x > 0 && place.x + width > available) place = {place.line + 1, 0, 0};
    place.width = std::min(width, available);
    places.push_back(place);
    place.x += place.width + kLegendGap;
  }
  return places;
}

// The status colours of the window, lightened towards white: on paper the
// window's colours would drown the text, and a light tint still tells the
// cells apart on a colour printer.
std::optional<Rgb> TintOf(LookupOutcome outcome) {
  const std::optional<OleColor> colour = OutcomeColor(outcome);
  if (!colour) return std::nullopt;
  const auto lighten = [](unsigned component) { return static_cast<std::uint8_t>((component + 255u * 2) / 3); };
  return Rgb{lighten(*colour & 0xFF), lighten(*colour >> 8 & 0xFF), lighten(*colour >> 16 & 0xFF)};
}

std::u16string_view MarkOf(LookupOutcome outcome) {
  switch (outcome) {
    case LookupOutcome::NotFound: return kNotFoundMark;
    case LookupOutcome::Unavailable: return kFailedMark;
    case LookupOutcome::NotLookedUp:
    case LookupOutcome::Found: break;
  }
  return u"";
}

// A looked-up name as paper shows it: its mark first, so that the cell
// says what its tint says without colour.
std::u16string MarkedName(std::u16string_view name, LookupOutcome outcome) {
  std::u16string text(MarkOf(outcome));
  if (!text.empty() && !name.empty()) text += u' ';
  text += name;
  return text;
}

Align PaperAlignOf(ColumnType type) { return pellora::AlignOf(type) == ColumnAlign::Right ? Align::Right : Align::Left; }

std::u16string TwoDigits(int value) {
  std::u16string text = DecimalText(std::int64_t{value});
  return text.size() < 2 ? u"0" + text : text;
}

std::u16string DateText(const common::CivilDate& date) {
  return DecimalText(date.year) + u"年" + TwoDigits(date.month) + u"月" + TwoDigits(date.day) + u"日";
}

double LineHeight(const Font& font) { return font.size * kLineHeightPerPoint; }

void AddLine(PageDrawing& out, double x1, double y1, double x2, double y2, double width, Rgb colour) {
  out.lines.push_back({x1, y1, x2, y2, width, colour});
}

// The four lines round a box.
void AddFrame(PageDrawing& out, const PaperBox& box, double width, Rgb colour) {
  AddLine(out, box.left, box.top, box.right(), box.top, width, colour);
  AddLine(out, box.left, box.bottom(), box.right(), box.bottom(), width, colour);
  AddLine(out, box.left, box.top, box.left, box.bottom(), width, colour);
  AddLine(out, box.right(), box.top, box.right(), box.bottom(), width, colour);
}

void AddText(PageDrawing& out, const PaperBox& box, std::u16string text, const Font& font, Align align) {
  if (!text.empty()) out.texts.push_back({box, std::move(text), font, align});
}

// A cell's text box: its column's box less the padding.
PaperBox CellBox(double left, double width, double top, double height) {
  return {left + kCellPadding, top, std::max(0.0, width - 2 * kCellPadding), height};
}

}  // namespace

PaperSize SizeOf(Paper paper) {
  const auto mm = [](double width, double height) {
    return PaperSize{width * kPointsPerMillimetre, height * kPointsPerMillimetre};
  };
  switch (paper) {
    case Paper::A3: return mm(297, 420);
    case Paper::A4: return mm(210, 297);
    case Paper::A5: return mm(148, 210);
    case Paper::B4: return mm(257, 364);  // JIS B4 and B5, the sizes Japanese offices use
    case Paper::B5: return mm(182, 257);
    case Paper::Letter: return {612, 792};
    case Paper::Legal: return {612, 1008};
  }
  return mm(210, 297);
}

std::u16string_view NameOf(Paper paper) {
  switch (paper) {
    case Paper::A3: return u"A3";
    case Paper::A4: return u"A4";
    case Paper::A5: return u"A5";
    case Paper::B4: return u"B4";
    case Paper::B5: return u"B5";
    case Paper::Letter: return u"Letter";
    case Paper::Legal: return u"Legal";
  }
  return u"A4";
}

std::optional<Paper> PaperNamed(std::u16string_view name) {
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  for (Paper paper : {Paper::A3, Paper::A4, Paper::A5, Paper::B4, Paper::B5, Paper::Letter, Paper::Legal})
    if (std::ranges::equal(name, NameOf(paper), {}, lower, lower)) return paper;
  return std::nullopt;
}

Sheet SheetOf(const PageSetup& setup) {
  const PaperSize upright = SizeOf(setup.paper);
  Sheet sheet;
  sheet.width = setup.orientation == Orientation::Landscape ? upright.height : upright.width;
  sheet.height = setup.orientation == Orientation::Landscape ? upright.width : upright.height;
  sheet.printable = {0, 0, sheet.width, sheet.height};
  return sheet;
}

std::vector<int> WindowColumnWidths(const TextWidth& textWidth) {
  constexpr double kPixelsPerPoint = 96.0 / 72.0;
  const Font headingFont{Face::Grid, 9, false};
  return DisplayColumnPixelWidths([&](std::u16string_view text) {
    return static_cast<int>(std::lround(textWidth(text, headingFont) * kPixelsPerPoint));
  });
}

Pages Pages::LayOut(std::shared_ptr<const ClaimView> claim, std::span<const int> windowWidths, const Sheet& sheet,
                    const TextWidth& textWidth, common::CivilDate printed) {
  if (!claim) throw std::invalid_argument("Pages::LayOut needs a claim");
  Pages pages;
  pages.claim_ = std::move(claim);
  pages.sheet_ = sheet;
  pages.textWidth_ = textWidth;
  pages.printedText_ = std::u16string(kPrintedCaption) + u" " + DateText(printed);

  // The margin, or the device's own where it prints less of the paper.
  const double left = std::max(kMargin, sheet.printable.left);
  const double top = std::max(kMargin, sheet.printable.top);
  const double right = std::min(sheet.width - kMargin, sheet.printable.right());
  const double bottom = std::min(sheet.height - kMargin, sheet.printable.bottom());
  pages.content_ = {left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};

  const std::size_t warnings = pages.claim_->warnings.size();
  const double warningLines =
      warnings > 0 ? kWarningsGap + LineHeight(kHeaderFont) * static_cast<double>(warnings) : 0;
  const double headerHeight = LineHeight(kTitleFont) + 2 * LineHeight(kHeaderFont) + warningLines;
  pages.gridTop_ = pages.content_.top + headerHeight + 8;
  pages.footerTop_ = pages.content_.bottom() - LineHeight(kFooterFont);
  pages.gridBottom_ = pages.footerTop_ - 6;

  // The shown columns in the window's proportions across the page.
  const int lastColumn = std::min<int>(static_cast<int>(windowWidths.size()) - 1,
                                       viewer_col::kLast);
  double windowTotal = 0;
  for (int c = viewer_col::kYearMonth; c <= lastColumn; ++c)
    if (windowWidths[static_cast<std::size_t>(c)] > 0) windowTotal += windowWidths[static_cast<std::size_t>(c)];
  double x = pages.content_.left;
  double scale = 1;
  for (int c = viewer_col::kYearMonth; c <= lastColumn && windowTotal > 0; ++c) {
    const int shown = windowWidths[static_cast<std::size_t>(c)];
    if (shown <= 0) continue;
    const double width = pages.content_.width * shown / windowTotal;
    pages.columns_.push_back({c, x, width});
    x += width;
    // A text's width grows with its size, the padding round it does not.
    // The heading must fit, and so must the column's widest usual text (a
    // name may be cut at its end, as the window cuts it).
    const DisplayColumn& column = *DisplayColumnAt(c);
    const double needed = std::max(textWidth(GridHeading(column), {Face::Grid, kGridFontSize, true}),
                                   textWidth(column.widestUsual, {Face::Grid, kGridFontSize, false}));
    if (needed > 0 && needed > width - 2 * kCellPadding)
      scale = std::min(scale, std::max(0.0, width - 2 * kCellPadding) / needed);
  }
  pages.gridFont_ = std::max(kSmallestGridFontSize, kGridFontSize * scale);
  pages.rowHeight_ = pages.gridFont_ * kRowHeightPerPoint;

  // The totals' columns: as wide as their widest text, at the grid's size.
  const Font totalsFont{Face::Grid, pages.gridFont_, true};
  x = pages.content_.left;
  for (const TotalColumn& column : kTotalColumns) {
    if (!IsShown(column, pages.claim_->showsServiceTotals)) continue;
    const double width = std::max(textWidth(column.heading, totalsFont), textWidth(u"0000/00", totalsFont)) +
                         4 * kCellPadding;
    pages.totalsColumns_.push_back({&column, x, width});
    x += width;
  }

  const ClaimView& view = *pages.claim_;
  pages.legend_ = view.providerOutcome != LookupOutcome::NotLookedUp ||
                  std::ranges::any_of(view.rows, [](const DisplayRow& row) {
                    return row.nameOutcome != LookupOutcome::NotLookedUp;
                  });

  // The rows, as many to a page as fit below the headings; at least one,
  // however small the paper, so that the pages always end.
  const double rowRoom = pages.gridBottom_ - pages.gridTop_;
  const std::size_t rowsPerPage = static_cast<std::size_t>(std::max(1.0, std::floor(rowRoom / pages.rowHeight_) - 1));
  const std::size_t rowCount = view.rows.size();
  double y = 0;  // where the last page's drawing ends
  if (rowCount == 0) {
    pages.plans_.push_back({});
    y = pages.HeadedRowTop(1);  // the headings and the line that says there are no rows
  }
  for (std::size_t first = 0; first < rowCount; first += rowsPerPage) {
    Plan plan;
    plan.rows = {first, std::min(rowsPerPage, rowCount - first)};
    pages.plans_.push_back(plan);
    y = pages.HeadedRowTop(plan.rows.count - 1) + pages.rowHeight_;
  }
  const auto newPage = [&pages, rowCount, &y] {
    Plan plan;
    plan.rows = {rowCount, 0};
    pages.plans_.push_back(plan);
    y = pages.gridTop_ - pages.rowHeight_;  // as if a gap's height above the grid
  };

  // The totals below the last row, and the legend below them: together on
  // the last page where one page holds both, so that the last page says
  // all a reader checks the months against. A month is never split, and a
  // page that continues the totals repeats their headings.
  const double legendHeight =
      pages.legend_ ? pages.rowHeight_ + LineHeight(kLegendFont) *
                                             (FlowLegend(textWidth, pages.content_.width).back().line + 1)
                    : 0;
  if (!view.totals.empty()) {
    const double block = pages.rowHeight_ * static_cast<double>(view.totals.size() + 2) + legendHeight;
    if (y + block > pages.gridBottom_ && pages.gridTop_ - pages.rowHeight_ + block <= pages.gridBottom_) newPage();
  }
  for (std::size_t month = 0; month < view.totals.size();) {
    const double room = pages.gridBottom_ - (y + pages.rowHeight_) - pages.rowHeight_;
    const auto fits = static_cast<std::size_t>(std::max(0.0, std::floor(room / pages.rowHeight_)));
    if (fits == 0) {
      newPage();
      if (pages.gridBottom_ - pages.gridTop_ < 2 * pages.rowHeight_) {
        // A sheet too small for any month below its headings: one a page.
        pages.plans_.back().totals = {month, 1};
        ++month;
        continue;
      }
      continue;
    }
    const std::size_t count = std::min(fits, view.totals.size() - month);
    pages.plans_.back().totals = {month, count};
    month += count;
    y += pages.rowHeight_ * static_cast<double>(count + 2);
  }

  if (pages.legend_) {
    if (y + legendHeight > pages.gridBottom_ && pages.gridBottom_ - pages.gridTop_ >= legendHeight) newPage();
    pages.plans_.back().legend = true;
  }
  return pages;
}

PageDrawing Pages::Draw(int page) const {
  const Plan& plan = plans_.at(static_cast<std::size_t>(page));
  PageDrawing out;
  DrawHeader(out);
  double y = gridTop_ - rowHeight_;
  if (plan.rows.count > 0 || (page == 0 && claim_->rows.empty())) {
    DrawGrid(plan, out);
    y = HeadedRowTop(std::max<std::size_t>(plan.rows.count, 1));
  }
  if (plan.totals.count > 0) y = DrawTotals(plan, y + rowHeight_, out);
  if (plan.legend) DrawLegend(y + rowHeight_, out);
  DrawFooter(page, out);
  return out;
}

void Pages::DrawHeader(PageDrawing& out) const {
  const ClaimView& view = *claim_;
  const double right = content_.right();
  double y = content_.top;

  // The kind, large, and the printing date at the right.
  const double titleHeight = LineHeight(kTitleFont);
  AddText(out, {content_.left, y, content_.width, titleHeight}, std::u16string(claim::KindText(view.kind)), kTitleFont,
          Align::Left);
  AddText(out, {content_.left, y, content_.width, titleHeight}, printedText_, kHeaderFont, Align::Right);
  y += titleHeight;

  // Captions and their values one after the other, each as wide as it
  // draws.
  const double lineHeight = LineHeight(kHeaderFont);
  double x = content_.left;
  // Each a little wider than measured: a device that draws a text a little
  // wider than another measured it keeps its last character.
  const auto item = [&](std::u16string_view text, const Font& font, double gap) {
    const double width = std::min(textWidth_(text, font) + 2, std::max(0.0, right - x));
    AddText(out, {x, y, width, lineHeight}, std::u16string(text), font, Align::Left);
    x += width + gap;
  };
  item(CaptionText(view.yearMonthCaption), kHeaderCaptionFont, 6);
  item(view.yearMonth, kHeaderFont, kHeaderGap);
  item(kProviderCaption, kHeaderCaptionFont, 6);
  item(view.providerNumber, kHeaderFont, 6);
  const std::u16string name = MarkedName(view.providerName, view.providerOutcome);
  if (const std::optional<Rgb> tint = TintOf(view.providerOutcome)) {
    const double width = std::min(std::max(textWidth_(name, kHeaderFont), 60.0) + 2 * kCellPadding,
                                  std::max(0.0, right - x));
    out.fills.push_back({{x, y + 1, width, lineHeight - 2}, *tint});
    x += kCellPadding;
  }
  item(name, kHeaderFont, kHeaderGap);
  y += lineHeight;

  x = content_.left;
  item(kFileCaption, kHeaderCaptionFont, 6);
  item(FileNameOf(view.file), kHeaderFont, 0);
  y += lineHeight;
  AddLine(out, content_.left, y + 2, right, y + 2, 0.8, kBlack);

  // What the warning box said, on every page: a page filed or handed on
  // alone still says that its file was cut off or of another kind.
  y += kWarningsGap;
  for (const FileWarning& warning : view.warnings) {
    AddText(out, {content_.left, y, content_.width, lineHeight}, std::u16string(kWarningPrefix) + warning.text,
            kHeaderFont, Align::Left);
    y += lineHeight;
  }
}

void Pages::DrawGrid(const Plan& plan, PageDrawing& out) const {
  if (columns_.empty()) return;
  const Font headingFont{Face::Grid, gridFont_, true};
  const Font cellFont{Face::Grid, gridFont_, false};
  const double left = columns_.front().left;
  const double right = columns_.back().left + columns_.back().width;

  out.fills.push_back({{left, gridTop_, right - left, rowHeight_}, kHeadingFill});
  for (const Column& column : columns_)
    AddText(out, CellBox(column.left, column.width, gridTop_, rowHeight_), GridHeading(*DisplayColumnAt(column.gridColumn)),
            headingFont, Align::Center);

  const std::vector<DisplayRow>& rows = claim_->rows;
  for (std::size_t i = 0; i < plan.rows.count; ++i) {
    const DisplayRow& row = rows[plan.rows.first + i];
    const double top = HeadedRowTop(i);
    for (const Column& column : columns_) {
      const PaperBox box = CellBox(column.left, column.width, top, rowHeight_);
      if (column.gridColumn == viewer_col::kName) {
        if (const std::optional<Rgb> tint = TintOf(row.nameOutcome))
          out.fills.push_back({{column.left, top, column.width, rowHeight_}, *tint});
        AddText(out, box, MarkedName(row.name, row.nameOutcome), cellFont, Align::Left);
        continue;
      }
      const DisplayColumn& shown = *DisplayColumnAt(column.gridColumn);
      AddText(out, box, CellText(row, shown), cellFont, PaperAlignOf(shown.type));
    }
  }

  // An empty display says so on the line below its headings.
  std::size_t lines = plan.rows.count;
  if (rows.empty()) {
    AddText(out, CellBox(left, right - left, HeadedRowTop(0), rowHeight_), std::u16string(kNoRowsText),
            {Face::Window, gridFont_, false}, Align::Left);
    lines = 1;
  }

  const double bottom = HeadedRowTop(lines);
  for (std::size_t i = 1; i <= lines; ++i) {
    const double y = HeadedRowTop(i - 1);
    AddLine(out, left, y, right, y, i == 1 ? 0.6 : 0.3, i == 1 ? kBlack : kRuleGrey);
  }
  for (std::size_t c = 1; c < columns_.size(); ++c)
    AddLine(out, columns_[c].left, gridTop_, columns_[c].left, rows.empty() ? gridTop_ + rowHeight_ : bottom, 0.3,
            kRuleGrey);
  AddFrame(out, {left, gridTop_, right - left, bottom - gridTop_}, 0.6, kBlack);
}

double Pages::DrawTotals(const Plan& plan, double top, PageDrawing& out) const {
  const Font headingFont{Face::Grid, gridFont_, true};
  const Font cellFont{Face::Grid, gridFont_, false};
  const double left = totalsColumns_.front().left;
  const double right = totalsColumns_.back().left + totalsColumns_.back().width;
  out.fills.push_back({{left, top, right - left, rowHeight_}, kHeadingFill});
  for (const TotalsColumn& column : totalsColumns_)
    AddText(out, CellBox(column.left, column.width, top, rowHeight_), std::u16string(column.column->heading),
            headingFont, Align::Center);
  for (std::size_t i = 0; i < plan.totals.count; ++i) {
    const MonthTotal& month = claim_->totals[plan.totals.first + i];
    const double y = top + rowHeight_ * static_cast<double>(i + 1);
    for (const TotalsColumn& column : totalsColumns_)
      AddText(out, CellBox(column.left, column.width, y, rowHeight_), CellText(month, *column.column), cellFont,
              PaperAlignOf(column.column->type));
    AddLine(out, left, y, right, y, i == 0 ? 0.6 : 0.3, i == 0 ? kBlack : kRuleGrey);
  }
  const double bottom = top + rowHeight_ * static_cast<double>(plan.totals.count + 1);
  for (std::size_t c = 1; c < totalsColumns_.size(); ++c)
    AddLine(out, totalsColumns_[c].left, top, totalsColumns_[c].left, bottom, 0.3, kRuleGrey);
  AddFrame(out, {left, top, right - left, bottom - top}, 0.6, kBlack);
  return bottom;
}

void Pages::DrawLegend(double top, PageDrawing& out) const {
  const double lineHeight = LineHeight(kLegendFont);
  const std::vector<LegendPlace> places = FlowLegend(textWidth_, content_.width);
  const auto lineTop = [&](std::size_t item) { return top + lineHeight * places[item].line; };
  AddText(out, {content_.left, lineTop(0), places[0].width, lineHeight}, std::u16string(kLegendTitle),
          kLegendTitleFont, Align::Left);
  for (std::size_t i = 0; i < kLegend.size(); ++i) {
    const LegendEntry& entry = kLegend[i];
    const double x = content_.left + places[i + 1].x, y = lineTop(i + 1);
    const PaperBox box{x, y + (lineHeight - kSwatchHeight) / 2, kSwatchWidth, kSwatchHeight};
    if (const std::optional<Rgb> tint = TintOf(entry.outcome)) out.fills.push_back({box, *tint});
    AddFrame(out, box, 0.3, kRuleGrey);
    AddText(out, {box.right() + kSwatchGap, y, places[i + 1].width - kSwatchWidth - kSwatchGap, lineHeight},
            std::u16string(entry.text), kLegendFont, Align::Left);
  }
}

// The last page ends with what the check found, so that the paper kept
// with a month's submission says the file was checked.
void Pages::DrawFooter(int page, PageDrawing& out) const {
  const PaperBox line{content_.left, footerTop_, content_.width, LineHeight(kFooterFont)};
  std::u16string text = DecimalText(std::int64_t{page + 1}) + u" / " + DecimalText(std::int64_t{Count()}) + u" ページ";
  AddText(out, line, std::move(text), kFooterFont, Align::Center);
  if (page + 1 == Count() && claim_->check) AddText(out, line, check::SummaryLine(*claim_->check), kFooterFont, Align::Left);
}

std::vector<int> PagesToPrint(int count, int first, int last, int copies, bool collate) {
  const int from = std::max(1, first);
  const int to = last <= 0 ? count : std::min(count, last);
  std::vector<int> pages;
  if (from > to) return pages;
  copies = std::max(1, copies);
  if (collate) {
    for (int copy = 0; copy < copies; ++copy)
      for (int page = from; page <= to; ++page) pages.push_back(page - 1);
  } else {
    for (int page = from; page <= to; ++page)
      for (int copy = 0; copy < copies; ++copy) pages.push_back(page - 1);
  }
  return pages;
}

}  // namespace pellora::print
