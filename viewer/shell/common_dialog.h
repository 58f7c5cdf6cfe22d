#pragma once
// CommonDialog: the file dialog control of the main window, as its
// properties. The window's file choice sets them and calls ShowOpen, the
// display's save ShowSave; the platform's own dialogs are reached through
// FileDialogs, which a view supplies (and a test scripts).

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

struct CommonDialog;

// The platform's open-file and save-file dialogs, shown modally with the
// control's properties: the chosen path, or nothing when the user
// cancelled. A save dialog never asks itself whether to replace an
// existing file: the routine that saves asks, the same on every platform.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::u16string> ShowOpen(const CommonDialog& properties) = 0;
  virtual std::optional<std::u16string> ShowSave(const CommonDialog& properties) = 0;
};

// A cancelled dialog when CancelError is set, as the control raises it.
class DialogCancelled : public std::runtime_error {
 public:
  DialogCancelled() : std::runtime_error("the dialog was cancelled") {}
};

// One entry of a filter: what the dialog shows, and the patterns
// (separated by ";") of the files it lists.
struct FilterEntry {
  std::u16string description;
  std::u16string patterns;
  bool operator==(const FilterEntry&) const = default;
};

// The entries of a filter string, "description|patterns|description|...".
// A description without its patterns lists every file.
std::vector<FilterEntry> FilterEntries(std::u16string_view filter);

// The patterns of an entry, one by one.
std::vector<std::u16string> FilterPatterns(const FilterEntry& entry);

struct CommonDialog {
  // A cancel raises DialogCancelled instead of returning quietly.
  bool CancelError = false;
  std::u16string Filter;
  // The entry selected when the dialog opens, from 1 (0 reads as 1).
  int FilterIndex = 0;
  // Where the dialog starts; "" leaves it to the platform.
  std::u16string InitDir;
  // The chosen file; kept between uses, so that the dialog offers the
  // previous choice again.
  std::u16string FileName;
  // The title; "" for the platform's own title of the dialog.
  std::u16string DialogTitle;

  // The platform's dialogs; without them, every dialog is a cancel.
  FileDialogs* Platform = nullptr;

  // Shows the open (or save) dialog: FileName becomes the chosen path. A
  // cancel leaves FileName as it was, and raises DialogCancelled if
  // CancelError is set.
  void ShowOpen();
  void ShowSave();
};

}  // namespace pellora
