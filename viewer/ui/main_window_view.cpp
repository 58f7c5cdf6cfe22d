#include "ui/main_window_view.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include "ui/look.h"

namespace pellora::ui {
namespace {

void Paint(QWidget* widget, QPalette::ColorRole role, OleColor color) {
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(color, QGuiApplication::palette()));
  widget->setPalette(palette);
}

}  // namespace

PelloraWindow::PelloraWindow(frmPellora& form, QtMessageBoxes& boxes)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      boxes_(boxes),
      printing_(this, boxes) {
  setObjectName(QStringLiteral("frmPellora"));
  setFont(WindowFont());
  setAutoFillBackground(true);
  Paint(this, QPalette::Window, kButtonFaceColor);

  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    const ControlDesign& design = Design(control);
    QWidget* widget = nullptr;
    switch (design.kind) {
      case ControlKind::Label: {
        QLabel* label = new QLabel(ToQString(design.caption), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setAutoFillBackground(true);
        if (design.singleBorder) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        widget = label;
        break;
      }
      case ControlKind::TextBox: {
        QLineEdit* box = new QLineEdit(this);
        // The boxes show paths for reading and copying; nothing reads
        // them back.
        box->setReadOnly(true);
        widget = box;
        break;
      }
      case ControlKind::Button: widget = new QPushButton(ToQString(design.caption), this); break;
      case ControlKind::Grid: {
        std::vector<int> equalWidth;
        if (control == MainControl::vsfViewer) equalWidth.assign(kServiceKindColumns.begin(), kServiceKindColumns.end());
        widget = new FlexGridView(*form_.GridOf(control), std::move(equalWidth), this);
        break;
      }
    }
    widget->setObjectName(ToQString(design.name));
    if (!design.toolTip.empty()) widget->setToolTip(ToQString(design.toolTip));
    widgets_[i] = widget;
  }

  // The tab order, and a label's access key handing the focus to the next
  // control in it that takes the focus.
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    QWidget* widget = widgets_[i];
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  }
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    QLabel* label = qobject_cast<QLabel*>(widgets_[i]);
    if (!label || AccessKey(Design(static_cast<MainControl>(i)).caption) == 0) continue;
    for (std::size_t next = i + 1; next < kMainControlCount; ++next) {
      if (widgets_[next]->focusPolicy() != Qt::NoFocus) {
        label->setBuddy(widgets_[next]);
        break;
      }
    }
  }

  connect(static_cast<QPushButton*>(widget(MainControl::comFileSelect)), &QPushButton::clicked, this,
          [this] { run([this] { form_.comFileSelect_Click(); }); });
  connect(static_cast<QPushButton*>(widget(MainControl::cmdJob0)), &QPushButton::clicked, this,
          [this] { run([this] { form_.cmdJob_Click(0); }); });
  connect(static_cast<QPushButton*>(widget(MainControl::Command1)), &QPushButton::clicked, this,
          [this] { run([this] { form_.Command1_Click(); }); });
  connect(grid(MainControl::vsfViewer), &FlexGridView::headingClicked, this,
          [this](int col) { run([this, col] { form_.vsfViewer_HeadingClick(col); }); });
  connectClerkCommands();

  // The form's dialogs and message boxes open over this window, after it
  // has been drawn as the routine left it so far.
  const auto sync = [this] { Sync(); };
  boxes_.beforeShow = sync;
  boxes_.parent = this;
  openFileDialog_.beforeShow = sync;
  openFileDialog_.parent = this;
  modalDialogs_.beforeShow = sync;
  modalDialogs_.afterChange = sync;
  modalDialogs_.parent = this;
  form_.Attach({&openFileDialog_, &modalDialogs_, [this] { close(); }});
  Sync();
}

PelloraWindow::~PelloraWindow() {
  form_.Detach();
  boxes_.beforeShow = nullptr;
}

FlexGridView* PelloraWindow::grid(MainControl control) const {
  return qobject_cast<FlexGridView*>(widget(control));
}

void PelloraWindow::Start() {
  form_.Form_Load();
  if (form_.Unloaded()) return;
  Sync();
  show();
  warnOnceDrawn();
}

template <typename Routine>
void PelloraWindow::run(Routine routine) {
  routine();
  if (form_.Unloaded()) return;
  Sync();
  warnOnceDrawn();
}

// The window is painted once the desktop has put it on the screen, not
// when show() returns: the box waits for that paint, and opens from the
// event loop after it, so that the window is on the screen behind it.
void PelloraWindow::warnOnceDrawn() {
  if (!form_.WarningsPending()) return;
  warnAfterPaint_ = true;
  update();
}

void PelloraWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!warnAfterPaint_) return;
  warnAfterPaint_ = false;
  QTimer::singleShot(0, this, [this] { form_.ShowPendingWarnings(); });
}

// The design's client area is the smallest, and the first: this desktop
// draws its own frame around it. The debug mode, which start-up may switch
// on, changes it, and so the window's size.
void PelloraWindow::syncSize() {
  const MainLayout layout = form_.Layout();
  const QSize minimum = ToPixels(layout.minimum);
  if (minimumSize() == minimum && layout.debug == laidOutDebug_) return;
  laidOutDebug_ = layout.debug;
  setMinimumSize(minimum);
  resize(minimum);
  layOut();
}

void PelloraWindow::layOut() {
  const MainLayout layout = form_.Layout();
  const TwipsSize client{width() * kTwipsPerPixel, height() * kTwipsPerPixel};
  for (std::size_t i = 0; i < kMainControlCount; ++i)
    widgets_[i]->setGeometry(ToPixels(layout.Place(static_cast<MainControl>(i), client)));
  if (findBox_ && findBox_->isVisible()) findBox_->follow(*grid(MainControl::vsfViewer));
  elideStatus();
}

// A status line longer than the window is cut with an ellipsis; its tool
// tip has it whole.
void PelloraWindow::elideStatus() {
  auto* status = static_cast<QLabel*>(widget(MainControl::lblStatus));
  const QString whole = ToQString(form_.lblStatus().Caption);
  status->setText(status->fontMetrics().elidedText(whole, Qt::ElideRight, status->width()));
  status->setToolTip(ToQString(form_.lblStatus().ToolTipText));
}

void PelloraWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layOut();
}

void PelloraWindow::Sync() {
  setWindowTitle(ToQString(form_.Caption()));
  syncSize();
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    QWidget* widget = widgets_[i];
    widget->setVisible(form_.IsVisible(control));
    if (const Label* label = form_.LabelOf(control)) {
      if (control != MainControl::lblStatus) static_cast<QLabel*>(widget)->setText(ToQString(label->Caption));
      Paint(widget, QPalette::Window, label->BackColor);
    } else if (const TextBox* box = form_.TextBoxOf(control)) {
      QLineEdit* edit = static_cast<QLineEdit*>(widget);
      if (edit->text() != ToQString(box->Text)) edit->setText(ToQString(box->Text));
      Paint(widget, QPalette::Base, box->BackColor);
    } else if (FlexGridView* view = qobject_cast<FlexGridView*>(widget)) {
      view->gridModel().catchUp();
    }
  }
  elideStatus();
}

void PelloraWindow::closeEvent(QCloseEvent* event) {
  // Closed through the frame: the program ends as with "閉じる".
  if (!form_.Unloaded()) form_.Unload();
  event->accept();
}

// A control's keys go to the clerk's commands first. A path box that gains
// the focus selects all its text, so that it can be copied at once; after a
// mouse click has placed the cursor, too. (The find box selects its own
// text when it opens.)
bool PelloraWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && takeKey(watched, *static_cast<QKeyEvent*>(event))) return true;
  if (event->type() == QEvent::FocusIn) {
    QLineEdit* box = qobject_cast<QLineEdit*>(watched);
    if (box && box->parent() == this) QTimer::singleShot(0, box, &QLineEdit::selectAll);
  }
  return QWidget::eventFilter(watched, event);
}

// ---- The clerk's commands ----

namespace {

constexpr MainControl kClerkGrids[] = {MainControl::vsfViewer, MainControl::vsfTotal};

// A key as the command table names it. The keypad's Enter is Enter; the
// keypad itself is no modifier.
ClerkKey ToClerkKey(const QKeyEvent& event) {
  ClerkKey key;
  const int code = event.key();
  if (code >= Qt::Key_A && code <= Qt::Key_Z) key.code = LetterKey(static_cast<char>(code));
  if (code == Qt::Key_Insert) key.code = KeyCode::kInsert;
  if (code == Qt::Key_F3) key.code = KeyCode::kF3;
  if (code == Qt::Key_Return || code == Qt::Key_Enter) key.code = KeyCode::kEnter;
  if (code == Qt::Key_Escape) key.code = KeyCode::kEscape;
  const Qt::KeyboardModifiers held = event.modifiers();
  if (held & Qt::ShiftModifier) key.modifiers |= kShift;
  if (held & Qt::ControlModifier) key.modifiers |= kControl;
  if (held & Qt::AltModifier) key.modifiers |= kAlt;
  if (held & (Qt::MetaModifier | Qt::GroupSwitchModifier)) key.modifiers |= kOtherModifier;
  return key;
}

// The local files of a drag, in its order; nothing when any of its URLs is
// not a local file (a web page's link is no claim file).
QStringList LocalFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    files << url.toLocalFile();
  }
  return files;
}

}  // namespace

void PelloraWindow::connectClerkCommands() {
  for (const MainControl control : kClerkGrids) {
    connect(grid(control), &FlexGridView::menuRequested, this,
            [this, control](const QPoint& at) { showGridMenu(control, at); });
  }
  findBox_ = new FindBox(this);
  // Every control that takes the focus hands its keys to the window first.
  for (QWidget* widget : widgets_)
    if (widget->focusPolicy() != Qt::NoFocus) widget->installEventFilter(this);
  findBox_->edit()->installEventFilter(this);
  setAcceptDrops(true);
}

bool PelloraWindow::takeKey(const QObject* watched, const QKeyEvent& event) {
  KeyPlace place = KeyPlace::kWindow;
  MainControl control = MainControl::vsfViewer;
  if (watched == findBox_->edit()) place = KeyPlace::kFindBox;
  for (const MainControl clerkGrid : kClerkGrids) {
    if (watched == widget(clerkGrid)) {
      place = KeyPlace::kClerkGrid;
      control = clerkGrid;
    }
  }
  const std::optional<ClerkCommand> command = ClerkCommandOf(ToClerkKey(event), place);
  if (command) run([&] { RunClerkCommand(*command, control, form_, *this); });
  return command.has_value();
}

void PelloraWindow::keyPressEvent(QKeyEvent* event) {
  if (!takeKey(this, *event)) QWidget::keyPressEvent(event);
}

void PelloraWindow::showGridMenu(MainControl control, const QPoint& globalPos) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("GridMenu"));
  for (const ClerkCommandEntry* entry : ClerkMenu()) {
    if (entry->lineBefore) menu.addSeparator();
    const ClerkCommand command = entry->command;
    menu.addAction(ToQString(entry->menuCaption), this,
                   [this, command, control] { run([&] { RunClerkCommand(command, control, form_, *this); }); });
  }
  menu.exec(globalPos);
}

void PelloraWindow::PutOnClipboard(const std::u16string& text, const std::u16string& html) {
  auto* data = new QMimeData;
  data->setText(ToQString(text));
  data->setHtml(ToQString(html));
  QGuiApplication::clipboard()->setMimeData(data);
}

bool PelloraWindow::FindBoxOpen() const { return findBox_->isVisible(); }
std::u16string PelloraWindow::FindText() const { return ToU16(findBox_->text()); }
void PelloraWindow::OpenFindBox() { findBox_->open(*grid(MainControl::vsfViewer)); }

void PelloraWindow::CloseFindBox() {
  findBox_->hide();
  grid(MainControl::vsfViewer)->setFocus();
}

void PelloraWindow::ShowNoMatch(bool noMatch) { findBox_->showFound(!noMatch); }

void PelloraWindow::PrintDisplay(frmPellora& form) { printing_.Print(form); }
void PelloraWindow::PreviewDisplay(frmPellora& form) { printing_.Preview(form); }

void PelloraWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void PelloraWindow::dropEvent(QDropEvent* event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  std::vector<std::u16string> paths;
  for (const QString& file : files) paths.push_back(ToU16(QDir::toNativeSeparators(file)));
  // After the drop has ended: the file manager is not kept waiting while a
  // message box about the file waits for the user.
  QTimer::singleShot(0, this, [this, paths] { run([this, &paths] { form_.DropFiles(paths); }); });
}

}  // namespace pellora::ui
