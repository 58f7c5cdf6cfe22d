#pragma once
// frmSetDBname: the small dialog in which the user names another database
// file, as a plain object. The main window creates one for each use, puts
// the database path last used into Text1, has it shown modally and reads
// its answer.

#include <string>
#include <string_view>

#include "controls/controls.h"
#include "shell/common_dialog.h"

namespace pellora {

class frmSetDBname {
 public:
  static constexpr std::u16string_view kCaption = u"データベースファイル設定";
  // The file dialog of "参照...": the Jet files first, then every file.
  static constexpr std::u16string_view kDatabaseFilter =
      u"データベース ファイル (*.qdr;*.mdb;*.accdb)|*.qdr;*.mdb;*.accdb|"
      u"すべてのファイル (*.*)|*.*";

  // `fileDialogs` are the platform's, which "参照..." opens; without them
  // it is a cancel.
  explicit frmSetDBname(FileDialogs* fileDialogs = nullptr) { Attach(fileDialogs); }
  // The view that shows the dialog may lend dialogs of its own, which open
  // over it.
  void Attach(FileDialogs* fileDialogs) { CommonDialog1.Platform = fileDialogs; }
  // The indices of the control array Command1.
  static constexpr int kRegister = 0;  // Command1(0) "登　録"
  static constexpr int kCancel = 1;    // Command1(1) "キャンセル"

  // The database path, as the user types it.
  TextBox Text1;

  // "登　録" takes Text1 exactly as typed (a path may begin or end with a
  // space); "キャンセル" asks for no change. Either closes the dialog.
  void Command1_Click(int Index);
  // "参照...": the open-file dialog on the database files, starting in the
  // folder of the path in Text1 and offering its name; the file chosen
  // goes into Text1 for 登　録, and a cancel leaves Text1 as it was.
  void Command2_Click();

  bool Closed() const { return closed_; }

  // The database path chosen: "" for no change, which is also the answer
  // of a dialog closed through its window frame instead of a button.
  const std::u16string& Answer() const { return answer_; }

 private:
  CommonDialog CommonDialog1;
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
