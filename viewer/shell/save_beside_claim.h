#pragma once
// The clerk's saves, of the display and of the check's report: a file of
// the clerk's choosing beside the claim file, never the claim file itself.

#include <functional>
#include <string>
#include <string_view>

#include "controls/message_boxes.h"
#include "shell/common_dialog.h"

namespace pellora {

struct SavedFile {
  std::u16string_view title;   // the save dialog's
  std::u16string_view suffix;  // added to the claim file's name for the name offered
  std::u16string folder;       // where the dialog starts
  std::u16string claimFile;    // "" for none
  std::function<std::string()> bytes;
};

// Asks `dialog` for a path (CSV files first), refuses the claim file
// however it is named, asks before replacing a file, and writes the bytes
// whole or not at all; a failure is told with its number and the system's
// words. A cancel ends it without a word.
void SaveBesideClaim(CommonDialog& dialog, const SavedFile& saved, MessageBoxes& messageBoxes);

}  // namespace pellora
