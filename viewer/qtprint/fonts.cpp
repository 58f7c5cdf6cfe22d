#include "qtprint/fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <optional>
#include <span>

namespace pellora::qtprint {
namespace {

// Families that hold the JIS X 0208 characters and the ones code page 932
// adds (①, 髙, ～), in the order they are preferred.
constexpr const char* kJapaneseFamilies[] = {"Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic",
                                             "VL Gothic", "TakaoGothic", "Droid Sans Japanese"};

constexpr const char* kHalfWidthFamilies[] = {"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic", "TakaoGothic"};

std::optional<QString> FirstInstalled(std::span<const char* const> families) {
  const QStringList installed = QFontDatabase::families();
  for (const char* family : families)
    if (installed.contains(QString::fromLatin1(family))) return QString::fromLatin1(family);
  return std::nullopt;
}

}  // namespace

QFont FaceFont(print::Face face) {
  // The fonts installed do not change while the program runs; the font
  // database is asked once for each list.
  static const std::optional<QString> japanese = FirstInstalled(kJapaneseFamilies);
  static const std::optional<QString> halfWidth = FirstInstalled(kHalfWidthFamilies);
  QFont font;
  if (face == print::Face::Grid && halfWidth) {
    font.setFamily(*halfWidth);
  } else if (japanese) {
    font.setFamily(*japanese);
  }
  return font;
}

}  // namespace pellora::qtprint
