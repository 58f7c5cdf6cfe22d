#pragma once
// frmCheck on screen: a modal Qt window over the main window, its findings
// and amounts drawn by the grids' views, its buttons and keys handed to
// the headless window's routines. A heading's click sorts the findings; a
// double click or Enter on a finding selects its person's row in the
// display behind; Ctrl+C and Ctrl+A copy and select as on the display;
// Esc and the frame's close box close it.

#include <QDialog>
#include <functional>

#include "shell/frmCheck.h"
#include "ui/grid_view.h"

class QLabel;
class QPushButton;

namespace pellora::ui {

class CheckWindowView : public QDialog {
  Q_OBJECT
 public:
  // `afterChoosing` brings the window behind up to date once a finding has
  // moved its selection.
  CheckWindowView(frmCheck& check, std::function<void()> afterChoosing, QWidget* parent = nullptr);

  FlexGridView* grid(CheckControl control) const;
  QLabel* label(CheckControl control) const;
  QPushButton* button(CheckControl control) const;

  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void choose();

  frmCheck& check_;
  std::function<void()> afterChoosing_;
  FlexGridView* findings_;
  FlexGridView* amounts_;
  QLabel* summary_;
  QLabel* amountsCaption_;
  QPushButton* save_;
  QPushButton* close_;
};

}  // namespace pellora::ui
