// The pages' painter on an image, on Qt's offscreen platform: a text drawn
// in its box as wide as the layout measured it, aligned and clipped as its
// box says; and every character a claim file can hold drawn in a glyph of
// the faces' own fonts, never a box.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <string>

#include "common/cp932.h"
#include "qtprint/fonts.h"
#include "qtprint/page_painter.h"

// Fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace pellora::qtprint {
namespace {

using print::Align;
using print::Face;

QGuiApplication& Gui() {
  static int argc = 1;
  static char name[] = "test_qtprint";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  return *app;
}

constexpr double kScale = 4;  // pixels to a point

// A page of one drawing painted on white, `kScale` pixels to a point.
QImage Painted(const print::PageDrawing& drawing) {
  Gui();
  QImage image(static_cast<int>(300 * kScale), static_cast<int>(60 * kScale), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PagePainter(painter, kScale).Paint(drawing);
  return image;
}

// The pixels that are not white, as a box in points.
print::PaperBox Ink(const QImage& image) {
  int left = image.width(), top = image.height(), right = -1, bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(line[x]) > 200) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left / kScale, top / kScale, (right + 1 - left) / kScale, (bottom + 1 - top) / kScale};
}

TEST(PagePainter, ATextLiesInItsBoxAsWideAsMeasuredAlignedAndClipped) {
  const std::u16string text = u"2024年04月 髙橋ケアステーション①";
  const print::PaperBox box{20, 10, 200, 20};
  const struct {
    Align align;
    print::Font font;
  } cases[] = {
      {Align::Left, {Face::Window, 9, false}},
      {Align::Center, {Face::Grid, 9, true}},
      {Align::Right, {Face::Grid, 7, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.align));
    const print::PaperBox ink = Ink(Painted({{}, {}, {{box, text, c.font, c.align}}}));
    const double measured = TextWidth()(text, c.font);
    // The ink lies within the advance the layout measured, less the side
    // bearings of the first and last glyph.
    EXPECT_LE(ink.width, measured + 0.5);
    EXPECT_GE(ink.width, measured - 0.3 * c.font.size);
    EXPECT_NEAR(ink.top + ink.height / 2, box.top + box.height / 2, 0.25 * c.font.size);
    switch (c.align) {
      case Align::Left: EXPECT_NEAR(ink.left, box.left, 0.2 * c.font.size); break;
      case Align::Center: EXPECT_NEAR(ink.left + ink.width / 2, box.left + box.width / 2, 0.2 * c.font.size); break;
      case Align::Right: EXPECT_NEAR(ink.right(), box.right(), 0.2 * c.font.size); break;
    }
  }
  // Too long for its box: cut at the box's edges, on either side.
  for (const Align align : {Align::Left, Align::Center, Align::Right}) {
    const print::PaperBox narrow{40, 10, 30, 20};
    const print::PaperBox ink = Ink(Painted({{}, {}, {{narrow, text, {Face::Window, 9, false}, align}}}));
    EXPECT_GE(ink.left, narrow.left - 0.3);
    EXPECT_LE(ink.right(), narrow.right() + 0.3);
    EXPECT_GT(ink.width, narrow.width - 6);
  }
}

// Every character of code page 932 (the claim files', the database's) is
// drawn in a glyph, in each face, regular and bold: from the face's font,
// or for the few it lacks (≒) from the font Qt falls back on. A name never
// prints as boxes, nor do the kanji and kana of the pages' own texts.
TEST(PageFonts, EveryCharacterOfCodePage932IsDrawnInAGlyphOfEachFace) {
  Gui();
  QString characters;
  for (int byte = 0x21; byte <= 0xDF; ++byte)
    if (byte < 0x7F || byte >= 0xA1)
      characters += QString::fromStdU16String(common::cp932::Decode(std::string(1, static_cast<char>(byte))));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!common::cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::u16string c = common::cp932::Decode(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      if (c.size() == 1 && c[0] != common::cp932::kReplacementChar && c[0] < 0xE000) characters += QChar(c[0]);
    }
  }
  ASSERT_GT(characters.size(), 7000);
  for (const Face face : {Face::Window, Face::Grid}) {
    for (const bool bold : {false, true}) {
      const QFont font = PrintFont({face, 9, bold});
      QTextLayout layout(characters, font);
      layout.beginLayout();
      layout.createLine();
      layout.endLayout();
      qsizetype glyphs = 0, ownGlyphs = 0;
      for (const QGlyphRun& run : layout.glyphRuns()) {
        const QString family = run.rawFont().familyName();
        for (const quint32 glyph : run.glyphIndexes()) EXPECT_NE(glyph, 0u) << "a box in " << family.toStdString();
        glyphs += run.glyphIndexes().size();
        if (family == font.family()) ownGlyphs += run.glyphIndexes().size();
      }
      EXPECT_EQ(glyphs, characters.size());
      // The face's own font draws all but a few.
      EXPECT_GE(ownGlyphs, characters.size() - 4) << font.family().toStdString();
    }
  }
}

}  // namespace
}  // namespace pellora::qtprint
