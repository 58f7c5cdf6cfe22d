#include "shell/frmSetDBname.h"

namespace pellora {

void frmSetDBname::Command1_Click(int Index) {
  answer_ = Index == kRegister ? Text1.Text : std::u16string();
  closed_ = true;
}

}  // namespace pellora
