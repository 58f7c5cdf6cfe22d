#include "shell/frmSetDBname.h"

namespace pellora {

void frmSetDBname::Command1_Click(int Index) {
  if (Index == kRegister && !Text1.Text.empty()) {
    NewDBname = Text1.Text;
  } else {
    NewDBname.clear();
  }
  closed_ = true;
}

void frmSetDBname::CloseFromFrame() {
  if (!closed_) Command1_Click(kCancel);
}

}  // namespace pellora
