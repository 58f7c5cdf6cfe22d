#include "ui/check_window_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include "ui/look.h"

namespace pellora::ui {

CheckWindowView::CheckWindowView(frmCheck& check, std::function<void()> afterChoosing, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      check_(check),
      afterChoosing_(std::move(afterChoosing)) {
  setObjectName(QStringLiteral("frmCheck"));
  setWindowTitle(ToQString(check_.Caption()));
  setFont(WindowFont());
  setFixedSize(ToPixels(kCheckClientSize));
  setModal(true);
  const auto place = [&](QWidget* widget, CheckControl control) {
    const ControlDesign& design = Design(control);
    widget->setObjectName(ToQString(design.name));
    widget->setGeometry(ToPixels(design.rect));
    if (!design.toolTip.empty()) widget->setToolTip(ToQString(design.toolTip));
  };
  findings_ = new FlexGridView(*check_.GridOf(CheckControl::vsfFindings), {}, this);
  place(findings_, CheckControl::vsfFindings);
  amounts_ = new FlexGridView(*check_.GridOf(CheckControl::vsfAmounts), {}, this);
  place(amounts_, CheckControl::vsfAmounts);
  summary_ = new QLabel(ToQString(check_.LabelOf(CheckControl::lblSummary)->Caption), this);
  place(summary_, CheckControl::lblSummary);
  amountsCaption_ = new QLabel(ToQString(check_.LabelOf(CheckControl::lblAmounts)->Caption), this);
  place(amountsCaption_, CheckControl::lblAmounts);
  save_ = new QPushButton(ToQString(Design(CheckControl::cmdSave).caption), this);
  place(save_, CheckControl::cmdSave);
  close_ = new QPushButton(ToQString(Design(CheckControl::cmdClose).caption), this);
  place(close_, CheckControl::cmdClose);
  save_->setAutoDefault(false);
  close_->setAutoDefault(false);
  for (FlexGridView* grid : {findings_, amounts_}) grid->setFont(GridFont());

  connect(findings_, &FlexGridView::headingClicked, this, [this](int col) { check_.vsfFindings_HeadingClick(col); });
  connect(findings_, &QAbstractItemView::doubleClicked, this, [this] { choose(); });
  connect(save_, &QPushButton::clicked, this, [this] { check_.cmdSave_Click(); });
  connect(close_, &QPushButton::clicked, this, [this] { reject(); });
  for (FlexGridView* grid : {findings_, amounts_}) grid->installEventFilter(this);
  setTabOrder(findings_, amounts_);
  setTabOrder(amounts_, save_);
  setTabOrder(save_, close_);
  findings_->setFocus();
}

FlexGridView* CheckWindowView::grid(CheckControl control) const {
  if (control == CheckControl::vsfFindings) return findings_;
  if (control == CheckControl::vsfAmounts) return amounts_;
  return nullptr;
}

QLabel* CheckWindowView::label(CheckControl control) const {
  if (control == CheckControl::lblSummary) return summary_;
  if (control == CheckControl::lblAmounts) return amountsCaption_;
  return nullptr;
}

QPushButton* CheckWindowView::button(CheckControl control) const {
  if (control == CheckControl::cmdSave) return save_;
  if (control == CheckControl::cmdClose) return close_;
  return nullptr;
}

void CheckWindowView::choose() {
  if (check_.ChooseFinding(check_.GridOf(CheckControl::vsfFindings)->Row()) && afterChoosing_) afterChoosing_();
}

// Esc, the close box and the close button: the window's own close.
void CheckWindowView::reject() {
  check_.cmdClose_Click();
  QDialog::reject();
}

bool CheckWindowView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto& key = static_cast<const QKeyEvent&>(*event);
  const CheckControl control = watched == findings_ ? CheckControl::vsfFindings : CheckControl::vsfAmounts;
  if (key.modifiers() == Qt::ControlModifier && (key.key() == Qt::Key_C || key.key() == Qt::Key_Insert)) {
    const frmCheck::ClipboardText copied = check_.CopySelection(control);
    if (!copied.text.empty()) {
      auto* data = new QMimeData;
      data->setText(ToQString(copied.text));
      data->setHtml(ToQString(copied.html));
      QGuiApplication::clipboard()->setMimeData(data);
    }
    return true;
  }
  if (key.modifiers() == Qt::ControlModifier && key.key() == Qt::Key_A) {
    check_.SelectAllCells(control);
    return true;
  }
  if (control == CheckControl::vsfFindings && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
    choose();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace pellora::ui
