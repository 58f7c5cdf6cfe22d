#include "qtprint/pdf_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "qtprint/page_painter.h"

namespace pellora::qtprint {
namespace {

// The sheet's paper as a page layout: Qt's own size where the sheet is one
// it knows (A4, JIS B4), so that viewers name it.
QPageLayout LayoutOfSheet(const print::Sheet& sheet) {
  const QSizeF upright(std::min(sheet.width, sheet.height), std::max(sheet.width, sheet.height));
  return QPageLayout(QPageSize(upright, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                     sheet.width > sheet.height ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                     QPageLayout::Point);
}

// The characters of the basic plane that the pages drew.
using Drawn = std::vector<bool>;

// Qt names each glyph of a PDF font, for copying and searching the text,
// by the lowest code point the font maps to that glyph. Noto's CJK fonts
// map the Kangxi radicals to the ideographs' glyphs, the wave dash to the
// full-width tilde's and TAB to the space's, so that 月 would read as the
// radical ⽉ (U+2F49), ～ as 〜 and a blank as a TAB. This puts back the
// characters the pages drew: a code the maps name that was not drawn, and
// that shares its glyph in the pages' fonts with exactly one character that
// was, becomes that character. Each code is four hex digits in place of
// four, so nothing else of the file moves.
class ToUnicodeMender {
 public:
  explicit ToUnicodeMender(const Drawn& drawn) : drawn_(drawn) {
    for (const print::Face face : {print::Face::Window, print::Face::Grid}) {
      for (const bool bold : {false, true}) {
        Font font{QRawFont::fromFont(PrintFont({face, 9, bold})), {}};
        for (std::size_t c = 1; c < drawn.size(); ++c)
          if (drawn[c])
            if (const quint32 glyph = GlyphOf(font.raw, static_cast<char16_t>(c)))
              font.drawnByGlyph.emplace(glyph, static_cast<char16_t>(c));
        fonts_.push_back(std::move(font));
      }
    }
  }

  // Mends every ToUnicode map of `pdf`, as Qt writes them: uncompressed,
  // their codes in ranges "<first> <last> [<code> ...]" and single ones
  // "<cid> <cid> <code>".
  void Mend(QByteArray& pdf) {
    static const QByteArray kMapStart = "/CMapName /Adobe-Identity-UCS def\n";
    static const QByteArray kMapEnd = "endcmap\n";
    for (qsizetype at = pdf.indexOf(kMapStart); at >= 0; at = pdf.indexOf(kMapStart, at)) {
      const qsizetype end = pdf.indexOf(kMapEnd, at);
      if (end < 0) return;
      for (qsizetype line = at; line < end;) {
        const qsizetype next = std::min(end, pdf.indexOf('\n', line) + 1);
        MendLine(pdf.data() + line, next - line);
        line = next;
      }
      at = end;
    }
  }

 private:
  struct Font {
    QRawFont raw;
    std::unordered_map<quint32, char16_t> drawnByGlyph;
  };

  static quint32 GlyphOf(const QRawFont& font, char16_t c) {
    const QChar qc(c);
    quint32 glyph = 0;
    int count = 1;
    return font.glyphIndexesForChars(&qc, 1, &glyph, &count) && count == 1 ? glyph : 0;
  }

  // The drawn character for code `code`: itself when it was drawn.
  char16_t DrawnFor(char16_t code) {
    if (code >= drawn_.size() || drawn_[code] || (code >= 0xD800 && code < 0xE000)) return code;
    const auto [known, added] = replacements_.try_emplace(code, code);
    if (!added) return known->second;
    std::optional<char16_t> found;
    for (const Font& font : fonts_) {
      const quint32 glyph = GlyphOf(font.raw, code);
      const auto drawn = glyph ? font.drawnByGlyph.find(glyph) : font.drawnByGlyph.end();
      if (drawn == font.drawnByGlyph.end()) continue;
      if (found && *found != drawn->second) return code;  // two candidates: left as Qt wrote it
      found = drawn->second;
    }
    if (found) known->second = *found;
    return known->second;
  }

  // One line of a map: the codes of an array range, or of a single code.
  void MendLine(char* line, qsizetype length) {
    std::vector<char*> codes;
    for (qsizetype i = 0; i + 6 <= length; ++i)
      if (line[i] == '<' && line[i + 5] == '>') codes.push_back(line + i + 1);
    const char* bracket = static_cast<const char*>(std::memchr(line, '[', static_cast<std::size_t>(length)));
    if (bracket) {
      std::erase_if(codes, [bracket](const char* code) { return code < bracket; });
    } else if (codes.size() == 3 && std::equal(codes[0], codes[0] + 4, codes[1])) {
      codes.erase(codes.begin(), codes.begin() + 2);
    } else {
      return;  // a run of consecutive codes, or no codes at all
    }
    for (char* code : codes) {
      bool ok = false;
      const unsigned value = QByteArray(code, 4).toUInt(&ok, 16);
      if (!ok) continue;
      const char16_t mended = DrawnFor(static_cast<char16_t>(value));
      if (mended != value) std::memcpy(code, QByteArray::number(mended, 16).toUpper().rightJustified(4, '0').data(), 4);
    }
  }

  const Drawn& drawn_;
  std::vector<Font> fonts_;
  std::unordered_map<char16_t, char16_t> replacements_;
};

}  // namespace

std::optional<QString> WritePdfFile(const print::Pages& pages, const QString& path, const QString& title) {
  const QFileInfo target(path);
  if (target.exists() && !target.isFile()) return QStringLiteral("%1 is not a file").arg(path);

  // The file in memory first, to mend its text maps: a PDF of the display
  // is some kilobytes a page.
  QByteArray pdf;
  Drawn drawn(0x10000);
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Pellora"));
    if (!writer.setPageLayout(LayoutOfSheet(pages.sheet()))) return QStringLiteral("the page size cannot be set");
    QPainter painter;
    if (!painter.begin(&writer)) return QStringLiteral("the pages could not be drawn");
    PagePainter pagePainter(painter, ScaleOf(writer));
    for (int page = 0; page < pages.Count(); ++page) {
      if (page > 0 && !writer.newPage()) return QStringLiteral("the pages could not be drawn");
      const print::PageDrawing drawing = pages.Draw(page);
      for (const print::Text& text : drawing.texts)
        for (const char16_t c : text.text) drawn[c] = true;
      pagePainter.Paint(drawing);
    }
    if (!painter.end()) return QStringLiteral("the pages could not be drawn");
  }
  ToUnicodeMender(drawn).Mend(pdf);

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(pdf) != pdf.size() || !file.commit()) return file.errorString();
  return std::nullopt;
}

}  // namespace pellora::qtprint
