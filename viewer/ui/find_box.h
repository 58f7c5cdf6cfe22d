#pragma once
// The find box: a small box over the lower right of the display grid, shown
// by Ctrl+F and hidden by Esc. It holds the caption "検索", the text to find
// and the word for no match; its keys (Enter, Esc) and the find itself are
// the window's. It is no part of the window's design: hidden, the window
// looks as designed.

#include <QFrame>

class QLabel;
class QLineEdit;

namespace pellora::ui {

class FindBox : public QFrame {
  Q_OBJECT
 public:
  explicit FindBox(QWidget* parent);

  QLineEdit* edit() const { return edit_; }
  QString text() const;
  // Shows the box over the lower right of `over` (a sibling), the text
  // selected so that typing replaces it.
  void open(const QWidget& over);
  // Moves the box to the lower right of `over` again, after `over` has
  // moved or grown.
  void follow(const QWidget& over);
  // What the last find found: nothing said, or the word for no match.
  void showFound(bool found);

 private:
  QLineEdit* edit_;
  QLabel* status_;
};

}  // namespace pellora::ui
