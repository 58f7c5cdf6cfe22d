#pragma once
// The papers of print/ in Qt's terms: a print::Paper as a QPageSize and
// back, a page setup as a page layout, and the sheet a page layout prints
// on.

#include <QPageLayout>
#include <QPageSize>
#include <optional>

#include "print/pages.h"

namespace pellora::qtprint {

// B4 and B5 are the JIS sizes, as print::SizeOf has them.
QPageSize::PageSizeId PageSizeIdOf(print::Paper paper);
// The paper of a size Qt names, or nothing for one the pages have no name
// for (a ISO B5, an envelope, a size of the user's own).
std::optional<print::Paper> PaperOf(QPageSize::PageSizeId id);

// The sheet of a page layout: its paper as it lies and, printable, the
// paper less the layout's margins, or the least margins the device needs
// where they are wider (neither for a PDF file).
print::Sheet SheetOf(const QPageLayout& layout);

}  // namespace pellora::qtprint
