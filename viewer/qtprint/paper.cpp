#include "qtprint/paper.h"

#include <QRectF>
#include <algorithm>
#include <array>
#include <utility>

namespace pellora::qtprint {
namespace {

constexpr std::array<std::pair<print::Paper, QPageSize::PageSizeId>, 7> kPapers = {{
    {print::Paper::A3, QPageSize::A3},
    {print::Paper::A4, QPageSize::A4},
    {print::Paper::A5, QPageSize::A5},
    {print::Paper::B4, QPageSize::JisB4},
    {print::Paper::B5, QPageSize::JisB5},
    {print::Paper::Letter, QPageSize::Letter},
    {print::Paper::Legal, QPageSize::Legal},
}};

}  // namespace

QPageSize::PageSizeId PageSizeIdOf(print::Paper paper) {
  for (const auto& [ours, qt] : kPapers)
    if (ours == paper) return qt;
  return QPageSize::A4;
}

std::optional<print::Paper> PaperOf(QPageSize::PageSizeId id) {
  for (const auto& [ours, qt] : kPapers)
    if (qt == id) return ours;
  return std::nullopt;
}

print::Sheet SheetOf(const QPageLayout& layout) {
  // The margins in points, whatever unit the layout keeps them in: the
  // layout's own (a page setup's), or the device's least where it needs
  // more.
  QPageLayout inPoints = layout;
  inPoints.setUnits(QPageLayout::Point);
  const QRectF paper = inPoints.fullRect(QPageLayout::Point);
  const QMarginsF set = inPoints.margins();
  const QMarginsF least = inPoints.minimumMargins();
  const QRectF printable =
      paper.marginsRemoved(QMarginsF(std::max(set.left(), least.left()), std::max(set.top(), least.top()),
                                     std::max(set.right(), least.right()), std::max(set.bottom(), least.bottom())));
  print::Sheet sheet;
  sheet.width = paper.width();
  sheet.height = paper.height();
  sheet.printable = {printable.left(), printable.top(), printable.width(), printable.height()};
  return sheet;
}

}  // namespace pellora::qtprint
