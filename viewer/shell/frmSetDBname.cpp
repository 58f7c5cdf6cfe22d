#include "shell/frmSetDBname.h"

#include "platform/platform_path.h"

namespace pellora {

void frmSetDBname::Command1_Click(int Index) {
  answer_ = Index == kRegister ? Text1.Text : std::u16string();
  closed_ = true;
}

void frmSetDBname::Command2_Click() {
  CommonDialog1.CancelError = false;
  CommonDialog1.Filter = kDatabaseFilter;
  CommonDialog1.FilterIndex = 1;
  CommonDialog1.InitDir = Text1.Text.empty() ? std::u16string() : FolderOf(Text1.Text);
  // A cancel leaves FileName, and so the box, as they were.
  CommonDialog1.FileName = Text1.Text;
  CommonDialog1.ShowOpen();
  Text1.Text = CommonDialog1.FileName;
}

}  // namespace pellora
