#include "ui/main_window_view.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
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
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      form_(form),
      boxes_(boxes) {
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
        box->installEventFilter(this);
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
    widget->setGeometry(ToPixels(design.rect));
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
  modalDialogs_.parent = this;
  form_.CommonDialog1.Platform = &openFileDialog_;
  form_.Dialogs = &modalDialogs_;
  form_.OnUnload = [this] { close(); };
  Sync();
}

PelloraWindow::~PelloraWindow() {
  form_.CommonDialog1.Platform = nullptr;
  form_.Dialogs = nullptr;
  form_.OnUnload = nullptr;
  boxes_.beforeShow = nullptr;
}

FlexGridView* PelloraWindow::grid(MainControl control) const {
  return qobject_cast<FlexGridView*>(widget(control));
}

void PelloraWindow::Start() {
  form_.Form_Load();
  if (form_.Unloaded) return;
  Sync();
  show();
}

template <typename Routine>
void PelloraWindow::run(Routine routine) {
  routine();
  if (!form_.Unloaded) Sync();
}

void PelloraWindow::syncSize() {
  // The client area of the form's outer size on the design's desktop; this
  // desktop draws its own frame around it.
  setFixedSize(ToPixels(ClientSizeOf(form_.Size)));
}

void PelloraWindow::Sync() {
  setWindowTitle(ToQString(form_.Caption));
  syncSize();
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    QWidget* widget = widgets_[i];
    widget->setVisible(form_.IsVisible(control));
    if (const Label* label = form_.LabelOf(control)) {
      static_cast<QLabel*>(widget)->setText(ToQString(label->Caption));
      Paint(widget, QPalette::Window, label->BackColor);
    } else if (const TextBox* box = form_.TextBoxOf(control)) {
      QLineEdit* edit = static_cast<QLineEdit*>(widget);
      if (edit->text() != ToQString(box->Text)) edit->setText(ToQString(box->Text));
      Paint(widget, QPalette::Base, box->BackColor);
    } else if (FlexGridView* view = qobject_cast<FlexGridView*>(widget)) {
      view->gridModel().catchUp();
    }
  }
}

void PelloraWindow::closeEvent(QCloseEvent* event) {
  // Closed through the frame: the program ends as with "閉じる".
  if (!form_.Unloaded) form_.Unload();
  event->accept();
}

// A path box that gains the focus selects all its text, so that it can be
// copied at once; after a mouse click has placed the cursor, too.
bool PelloraWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (QLineEdit* box = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, box, &QLineEdit::selectAll);
  }
  return QWidget::eventFilter(watched, event);
}

// ---- The clerk's commands ----

namespace {

constexpr MainControl kClerkGrids[] = {MainControl::vsfViewer, MainControl::vsfTotal};

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
    FlexGridView* view = grid(control);
    connect(view, &FlexGridView::selectAllRequested, this,
            [this, control] { run([this, control] { form_.SelectAllCells(control); }); });
    connect(view, &FlexGridView::copyRequested, this, [this, control] { copySelection(control); });
    connect(view, &FlexGridView::menuRequested, this,
            [this, control](const QPoint& at) { showGridMenu(control, at); });
  }

  findBox_ = new FindBox(this);
  connect(findBox_, &FindBox::findRequested, this, [this] { find(true); });
  connect(findBox_, &FindBox::closed, this, [this] { grid(MainControl::vsfViewer)->setFocus(); });
  auto* openFind = new QShortcut(QKeySequence::Find, this);
  connect(openFind, &QShortcut::activated, this, [this] { findBox_->open(*grid(MainControl::vsfViewer)); });
  auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
  connect(next, &QShortcut::activated, this, [this] { find(true); });
  auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
  connect(previous, &QShortcut::activated, this, [this] { find(false); });

  setAcceptDrops(true);
}

void PelloraWindow::copySelection(MainControl control) {
  const frmPellora::ClipboardText copied = form_.CopySelection(control);
  if (copied.text.empty()) return;  // the clipboard keeps what it holds
  auto* data = new QMimeData;
  data->setText(ToQString(copied.text));
  data->setHtml(ToQString(copied.html));
  QGuiApplication::clipboard()->setMimeData(data);
}

void PelloraWindow::showGridMenu(MainControl control, const QPoint& globalPos) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("GridMenu"));
  menu.addAction(ToQString(frmPellora::kCopyCaption), this, [this, control] { copySelection(control); });
  menu.addAction(ToQString(frmPellora::kSelectAllCaption), this,
                 [this, control] { run([this, control] { form_.SelectAllCells(control); }); });
  menu.addSeparator();
  menu.addAction(ToQString(frmPellora::kSaveDisplayCaption), this,
                 [this] { run([this] { form_.SaveDisplay_Click(); }); });
  menu.exec(globalPos);
}

// F3 before anything was typed opens the box to type in.
void PelloraWindow::find(bool forward) {
  if (findBox_->text().isEmpty()) {
    findBox_->open(*grid(MainControl::vsfViewer));
    return;
  }
  bool found = false;
  run([&] { found = form_.FindInDisplay(ToU16(findBox_->text()), forward); });
  findBox_->showFound(found);
}

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
