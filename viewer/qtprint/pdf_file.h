#pragma once
// The pages written as a PDF file, without a printer or a window.

#include <QString>
#include <optional>

#include "print/pages.h"

namespace pellora::qtprint {

// Writes every page of `pages` to the PDF file `path`, each a PDF page of
// the pages' sheet (its size and orientation, no margins of the file's own:
// the pages keep theirs), the fonts' subsets embedded, so that the file
// shows the same on any machine, fonts installed or not. `title` is the
// document's title in the file's properties. The file is written whole or
// not at all: beside it first, then put in its place, so that a failure
// leaves what was there before. A path that names something other than a
// file (a folder, a device) is refused. Returns nothing, or what went
// wrong, in Qt's words.
std::optional<QString> WritePdfFile(const print::Pages& pages, const QString& path, const QString& title);

}  // namespace pellora::qtprint
