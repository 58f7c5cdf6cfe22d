#include "ui/look.h"

#include <QFontDatabase>
#include <span>

namespace pellora::ui {
namespace {

constexpr OleColor kSystemColorIndexMask = 0xFFu;
constexpr int kWindowFontPixels = 12;  // 9 points at 96 dots per inch

// Families that hold the JIS X 0208 characters and the ones code page 932
// adds (①, 髙, ～), in the order they are preferred.
constexpr const char* kJapaneseFamilies[] = {"Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic",
                                             "VL Gothic", "TakaoGothic", "Droid Sans Japanese"};

constexpr const char* kHalfWidthFamilies[] = {"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic", "TakaoGothic"};

QFont FirstInstalled(std::span<const char* const> families) {
  QFont font;
  const QStringList installed = QFontDatabase::families();
  for (const char* family : families) {
    if (installed.contains(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      return font;
    }
  }
  return WindowFont();
}

}  // namespace

QColor ToQColor(OleColor color, const QPalette& palette) {
  if ((color & kSystemColorFlag) == 0)
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
                  static_cast<int>(color >> 16 & 0xFF));
  switch (color & kSystemColorIndexMask) {
    case kWindowBackgroundColor & kSystemColorIndexMask: return palette.color(QPalette::Base);
    case kButtonFaceColor & kSystemColorIndexMask: return palette.color(QPalette::Button);
    default: return palette.color(QPalette::Window);
  }
}

QFont WindowFont() {
  QFont font;
  const QStringList installed = QFontDatabase::families();
  for (const char* family : kJapaneseFamilies) {
    if (installed.contains(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPixelSize(kWindowFontPixels);
  return font;
}

QFont GridFont() {
  QFont font = FirstInstalled(kHalfWidthFamilies);
  font.setPixelSize(kWindowFontPixels);
  return font;
}

QRect ToPixels(const TwipsRect& rect) {
  return QRect(TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width),
               TwipsToPixels(rect.height));
}

QSize ToPixels(TwipsSize size) { return QSize(TwipsToPixels(size.width), TwipsToPixels(size.height)); }

}  // namespace pellora::ui
