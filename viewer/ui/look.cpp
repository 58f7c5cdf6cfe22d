#include "ui/look.h"

#include "qtprint/fonts.h"

namespace pellora::ui {
namespace {

constexpr OleColor kSystemColorIndexMask = 0xFFu;
constexpr int kWindowFontPixels = 12;  // 9 points at 96 dots per inch

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
  QFont font = qtprint::FaceFont(print::Face::Window);
  font.setPixelSize(kWindowFontPixels);
  return font;
}

QFont GridFont() {
  QFont font = qtprint::FaceFont(print::Face::Grid);
  font.setPixelSize(kWindowFontPixels);
  return font;
}

QRect ToPixels(const TwipsRect& rect) {
  return QRect(TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width),
               TwipsToPixels(rect.height));
}

QSize ToPixels(TwipsSize size) { return QSize(TwipsToPixels(size.width), TwipsToPixels(size.height)); }

}  // namespace pellora::ui
