#pragma once
// frmSetDBname: the small dialog in which the user names another database
// file, as a plain object. The main window creates one for each use, puts
// the current database path into Text1 and has it shown modally; the
// dialog's buttons leave their answer in the program-wide NewDBname.

#include <string>
#include <string_view>

#include "controls/controls.h"

namespace pellora {

// The database path chosen in the dialog: "" means "no change". Only the
// dialog writes it; the main window reads it right after the dialog closes.
inline std::u16string NewDBname;

class frmSetDBname {
 public:
  static constexpr std::u16string_view kCaption = u"データベースファイル設定";
  static constexpr int kRegister = 0;  // Command1(0) "登　録"
  static constexpr int kCancel = 1;    // Command1(1) "キャンセル"

  // The database path, as the user types it.
  TextBox Text1;

  // "登　録" takes Text1 exactly as typed (a path may begin or end with a
  // space); "キャンセル" asks for no change. Either closes the dialog.
  void Command1_Click(int Index);

  // Closed through its window frame instead of a button: the same as
  // "キャンセル". (Left alone, NewDBname would still hold an earlier
  // choice, and the main window would act on that again.)
  void CloseFromFrame();

  bool Closed() const { return closed_; }

 private:
  bool closed_ = false;
};

// Shows a dialog modally: returns when the dialog has been closed. A view
// supplies the real window; tests answer for the user.
class ModalDialogs {
 public:
  virtual ~ModalDialogs() = default;
  virtual void ShowModal(frmSetDBname& dialog) = 0;
};

}  // namespace pellora
