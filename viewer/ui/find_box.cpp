#include "ui/find_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "shell/frmPellora.h"
#include "ui/look.h"

namespace pellora::ui {
namespace {

// Room for a name or a number and the word for no match beside it.
constexpr int kEditPixels = 140;
// Clear of the grid's scroll bar and frame.
constexpr int kMarginPixels = 20;

}  // namespace

FindBox::FindBox(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("FindBox"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 3, 6, 3);
  layout->setSpacing(6);
  auto* caption = new QLabel(ToQString(frmPellora::kFindCaption), this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("FindText"));
  edit_->setFixedWidth(kEditPixels);
  caption->setBuddy(edit_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("FindStatus"));
  status_->hide();
  layout->addWidget(caption);
  layout->addWidget(edit_);
  layout->addWidget(status_);
  connect(edit_, &QLineEdit::textEdited, this, [this] { showFound(true); });
  hide();
}

QString FindBox::text() const { return edit_->text(); }

void FindBox::open(const QWidget& over) {
  adjustSize();
  follow(over);
  show();
  raise();
  edit_->setFocus(Qt::ShortcutFocusReason);
  edit_->selectAll();
}

void FindBox::follow(const QWidget& over) {
  const QRect area = over.geometry();
  move(area.right() - width() - kMarginPixels, area.bottom() - height() - kMarginPixels);
}

// The word for no match shows only when there is no match; the box grows
// to the left for it, its right edge staying where it was opened.
void FindBox::showFound(bool found) {
  if (status_->isVisibleTo(this) == !found) return;
  const int right = geometry().right();
  status_->setText(found ? QString() : ToQString(frmPellora::kFindNoMatch));
  status_->setVisible(!found);
  adjustSize();
  move(right - width() + 1, y());
}

}  // namespace pellora::ui
