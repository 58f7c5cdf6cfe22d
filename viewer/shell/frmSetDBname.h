#pragma once
// frmSetDBname: the small dialog in which the user names another database
// file, as a plain object. The main window creates one for each use, puts
// the database path last used into Text1, has it shown modally and reads
// its answer.

#include <string>
#include <string_view>

#include "controls/controls.h"

namespace pellora {

class frmSetDBname {
 public:
  static constexpr std::u16string_view kCaption = u"データベースファイル設定";
  // The indices of the control array Command1.
  static constexpr int kRegister = 0;  // Command1(0) "登　録"
  static constexpr int kCancel = 1;    // Command1(1) "キャンセル"

  // The database path, as the user types it.
  TextBox Text1;

  // "登　録" takes Text1 exactly as typed (a path may begin or end with a
  // space); "キャンセル" asks for no change. Either closes the dialog.
  void Command1_Click(int Index);

  bool Closed() const { return closed_; }

  // The database path chosen: "" for no change, which is also the answer
  // of a dialog closed through its window frame instead of a button.
  const std::u16string& Answer() const { return answer_; }

 private:
  bool closed_ = false;
  std::u16string answer_;
};

// Shows a dialog modally: returns when the dialog has been closed. A view
// supplies the real window; tests answer for the user.
class frmCheck;

class ModalDialogs {
 public:
  virtual ~ModalDialogs() = default;
  virtual void ShowModal(frmSetDBname& dialog) = 0;
  // The check's window, over the main window until it is closed; a view
  // that has none shows nothing.
  virtual void ShowModal(frmCheck& /*check*/) {}
};

}  // namespace pellora
