#pragma once
// The window's message boxes as Qt message boxes: one OK button (or Yes and
// No for a question), the icon asked for, and the title given (or the
// program's name).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "controls/message_boxes.h"

namespace pellora::ui {

class QtMessageBoxes : public MessageBoxes {
 public:
  // Before a box shows, so that the window behind it is drawn as its
  // routines have left it so far.
  std::function<void()> beforeShow;
  // The window the boxes belong to; none before it exists.
  QPointer<QWidget> parent;

  void Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override;
  // Buttons "はい" and "いいえ", the latter the default and the answer to Esc.
  bool AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override;

 private:
  // A box of OK alone, or of Yes and No; true when Yes was pressed.
  bool Open(const std::u16string& text, MsgIcon icon, const std::optional<std::u16string>& title, bool yesNo);
};

}  // namespace pellora::ui
