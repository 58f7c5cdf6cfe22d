#pragma once
// The message boxes Pellora shows. Routines report to the user through this
// interface; the window supplies the real boxes and tests a recorder, so that
// a test sees exactly what a user would have seen.

#include <optional>
#include <string>

namespace pellora {

enum class MsgIcon {
  None,
  Critical,     // stop sign
  Question,
  Exclamation,
  Information,
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box with one OK button. Without a title the platform's default
  // title for the program is shown.
  virtual void Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) = 0;
  // A modal question with the buttons Yes and No, No the default, so that
  // an Enter pressed in haste keeps things as they are. True for Yes; a box
  // closed without a button is a No.
  virtual bool AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) = 0;
};

}  // namespace pellora
