#include "ui/grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QProxyStyle>
#include <QStyleFactory>

#include "shell/window_design.h"
#include "ui/look.h"

namespace pellora::ui {
namespace {

// The application's style with the narrow cell margins of the design's
// grid control: a one-pixel focus margin leaves two pixels of room on
// either side of a cell's text instead of three, which is what a ten-digit
// number needs in its thousand twips.
class GridStyle : public QProxyStyle {
 public:
  GridStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_FocusFrameHMargin) return 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

FlexGridView::FlexGridView(FlexGrid& grid, std::vector<int> equalWidth, QWidget* parent)
    : QTableView(parent), model_(grid), equalWidth_(std::move(equalWidth)) {
  setModel(&model_);
  QStyle* style = new GridStyle;
  style->setParent(this);
  for (QWidget* part : {static_cast<QWidget*>(this), viewport(), static_cast<QWidget*>(horizontalHeader()),
                        static_cast<QWidget*>(verticalHeader())}) {
    part->setStyle(style);
    part->setFont(GridFont());
  }
  // Pellora only reads: the cells are not edited.
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(0);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignCenter);
  }
  verticalHeader()->setDefaultSectionSize(kGridRowPixels);
  horizontalHeader()->setFixedHeight(kGridRowPixels);
  horizontalHeader()->setSectionsClickable(true);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int section) { emit headingClicked(model_.gridColumn(section)); });
  connect(&model_, &FlexGridModel::caughtUp, this, &FlexGridView::layOutColumns);
  layOutColumns();
}

void FlexGridView::layOutColumns() {
  horizontalHeader()->setVisible(model_.headingRows() > 0);
  verticalHeader()->setVisible(model_.headingCols() > 0);
  const QFontMetrics metrics(horizontalHeader()->font());
  const std::vector<int> widths = ColumnPixelWidths(
      model_.grid(), [&](std::u16string_view text) { return metrics.horizontalAdvance(ToQString(text)); },
      equalWidth_);
  for (int col = 0; col < static_cast<int>(widths.size()); ++col) {
    const int width = widths[static_cast<std::size_t>(col)];
    if (col < model_.headingCols()) {
      verticalHeader()->setFixedWidth(width);
      continue;
    }
    const int section = col - model_.headingCols();
    setColumnHidden(section, width == 0);
    if (width > 0) setColumnWidth(section, width);
  }
}

}  // namespace pellora::ui
