#include "about/qt/about_window.h"

#include <QApplication>
#include <QByteArray>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QThread>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef DOVREL_ABOUT_HAS_XCB
#include <xcb/xcb.h>
#endif

namespace dovrel::about {
namespace {

// Window classes and styles of the platform's dialog templates.
constexpr int kButton = 0x80, kStatic = 0x82;
constexpr unsigned kButtonTypeMask = 0xF, kDefPushButton = 0x1, kGroupBox = 0x7;
constexpr unsigned kStaticTypeMask = 0x1F, kCentered = 0x1, kRight = 0x2, kBitmap = 0xE, kEtchedHorz = 0x10,
                   kEtchedVert = 0x11, kNoPrefix = 0x80;
constexpr unsigned kVisible = 0x10000000, kDisabled = 0x08000000;
constexpr unsigned kIdOk = 1, kIdCancel = 2;

int MulDiv(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

QString FromUtf16(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

QString ControlName(unsigned id) { return QStringLiteral("control%1").arg(id); }

// Whether a platform plugin can come up here. A QApplication that finds no
// display ends the process, and a library must not do that to its host.
bool DisplayAvailable() {
  QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.startsWith("offscreen") || platform.startsWith("minimal") || platform.startsWith("vnc")) return true;
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return false;
#ifdef DOVREL_ABOUT_HAS_XCB
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool ok = connection && !xcb_connection_has_error(connection);
  if (connection) xcb_disconnect(connection);
  return ok;
#else
  return !qgetenv("DISPLAY").isEmpty();
#endif
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(DialogBaseUnits units, int x, int y, int cx, int cy) {
  return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4), MulDiv(cy, units.y, 8));
}

QPoint CentredTopLeft(const QRect& screen, const QSize& window) {
  return QPoint(screen.x() + (screen.width() - window.width()) / 2,
                screen.y() + (screen.height() - window.height()) / 2);
}

QString StaticText(const char16_t* text, bool noPrefix) {
  QString raw = FromUtf16(text);
  if (noPrefix) return raw;
  QString shown;
  for (int i = 0; i < raw.size(); ++i) {
    if (raw[i] == u'&' && i + 1 < raw.size()) ++i;  // "&x" shows x, "&&" shows &
    shown += raw[i];
  }
  return shown;
}

QPixmap PixmapFromDib(const unsigned char* dib, unsigned size) {
  if (!dib || size < 40) return QPixmap();
  auto read32 = [&](unsigned at) {
    std::uint32_t v;
    std::memcpy(&v, dib + at, 4);
    return v;
  };
  auto read16 = [&](unsigned at) {
    std::uint16_t v;
    std::memcpy(&v, dib + at, 2);
    return v;
  };
  std::uint32_t headerSize = read32(0), compression = read32(16), used = read32(32);
  std::uint16_t bits = read16(14);
  std::uint32_t palette = used ? used : (bits <= 8 ? (1u << bits) : 0);
  std::uint32_t offset = 14 + headerSize + palette * 4 + (compression == 3 && headerSize == 40 ? 12 : 0);
  // The file header that a BITMAP resource leaves out.
  QByteArray file("BM");
  auto put32 = [&](std::uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
  put32(14 + size);
  put32(0);
  put32(offset);
  file.append(reinterpret_cast<const char*>(dib), static_cast<int>(size));
  QImage image;
  if (!image.loadFromData(file, "BMP")) return QPixmap();
  return QPixmap::fromImage(image);
}

QFont DialogFont(const DovrelAboutDialog& dialog) {
  QFont font;
  font.setFamilies({FromUtf16(dialog.fontName), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP")});
  if (dialog.pointSize > 0) font.setPointSize(dialog.pointSize);
  if (dialog.weight >= 600) font.setBold(true);
  font.setItalic(dialog.italic != 0);
  return font;
}

AboutWindow::AboutWindow(const DovrelAboutDialog& dialog, QWidget* owner) : QDialog(owner), dialog_(dialog) {
  setWindowTitle(FromUtf16(dialog.caption));
  setModal(true);
  setFont(DialogFont(dialog));
  DialogBaseUnits units = BaseUnitsOf(font());
  setFixedSize(ToPixels(units, 0, 0, dialog.cx, dialog.cy).size());
  for (unsigned i = 0; i < dialog.controlCount; ++i) AddControl(dialog.controls[i], units);
}

QWidget* AboutWindow::Control(unsigned id) const { return findChild<QWidget*>(ControlName(id)); }

void AboutWindow::AddControl(const DovrelDialogControl& c, DialogBaseUnits units) {
  QWidget* widget = nullptr;
  if (c.classOrdinal == kButton && (c.style & kButtonTypeMask) == kGroupBox) {
    widget = new QGroupBox(FromUtf16(c.text), this);
  } else if (c.classOrdinal == kButton) {
    auto* button = new QPushButton(FromUtf16(c.text), this);
    button->setDefault((c.style & kButtonTypeMask) == kDefPushButton);
    button->setAutoDefault(false);
    unsigned id = c.id;
    connect(button, &QPushButton::clicked, this, [this, id] {
      if (id == kIdOk || id == kIdCancel)
        done(0);
      else if (id == dialog_.systemInfoControl && dialog_.startSystemInformation)
        dialog_.startSystemInformation(dialog_.context);
    });
    widget = button;
  } else if (c.classOrdinal == kStatic) {
    unsigned type = c.style & kStaticTypeMask;
    if (type == kEtchedHorz || type == kEtchedVert) {
      auto* line = new QFrame(this);
      line->setFrameShape(type == kEtchedHorz ? QFrame::HLine : QFrame::VLine);
      line->setFrameShadow(QFrame::Sunken);
      widget = line;
    } else {
      auto* label = new QLabel(this);
      if (type == kBitmap) {
        if (c.textOrdinal == dialog_.bitmapId) label->setPixmap(PixmapFromDib(dialog_.bitmap, dialog_.bitmapSize));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      } else {
        bool noPrefix = (c.style & kNoPrefix) != 0;
        const char16_t* text = c.id == dialog_.buildLineControl && dialog_.buildLine ? dialog_.buildLine : c.text;
        label->setText(StaticText(text, noPrefix));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment((type == kCentered ? Qt::AlignHCenter : type == kRight ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
      }
      widget = label;
    }
  }
  if (!widget) return;  // kinds the about box does not use
  widget->setObjectName(ControlName(c.id));
  QRect place = ToPixels(units, c.x, c.y, c.cx, c.cy);
  // A picture control takes the size of its picture, as on the platform.
  if (auto* label = qobject_cast<QLabel*>(widget); label && !label->pixmap().isNull())
    place.setSize(label->pixmap().size());
  widget->setGeometry(place);
  widget->setVisible((c.style & kVisible) != 0);
  widget->setEnabled((c.style & kDisabled) == 0);
}

// Centred on the screen once its outer size is known, its size unchanged.
void AboutWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) move(CentredTopLeft(screen->geometry(), frameGeometry().size()));
}

int ShowAboutDialog(const DovrelAboutDialog* dialog) {
  if (!dialog || dialog->size < sizeof(DovrelAboutDialog)) return 0;
  if (!QCoreApplication::instance()) {
    if (!DisplayAvailable()) return 0;
    // A host without a toolkit of its own: the application object lives as
    // long as the process, as the toolkit expects.
    static int argc = 1;
    static char name[] = "dovrel60";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app || QThread::currentThread() != app->thread()) return 0;
  AboutWindow window(*dialog, QApplication::activeWindow());
  window.exec();
  return 1;
}

}  // namespace dovrel::about
