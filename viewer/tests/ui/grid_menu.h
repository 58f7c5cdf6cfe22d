#pragma once
// A grid's context menu opened as the right button opens it, and one of its
// entries picked, from a test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <string_view>

#include "ui/grid_view.h"
#include "ui/look.h"

namespace pellora::ui {

// Opens the context menu of `grid` and picks the entry `caption`.
inline void PickFromMenu(FlexGridView& grid, std::u16string_view caption) {
  bool picked = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || picked) return;
    for (QAction* action : menu->actions()) {
      if (action->text() != ToQString(caption)) continue;
      picked = true;
      menu->setActiveAction(action);
      QTest::keyClick(menu, Qt::Key_Return);
    }
  });
  poll.start(10);
  const QPoint at = grid.viewport()->rect().center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid.viewport(), &event);
  EXPECT_TRUE(picked) << "no entry " << ToQString(caption).toStdString();
}

}  // namespace pellora::ui
