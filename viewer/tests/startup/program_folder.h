#pragma once
// A program folder of its own for a main window: the settings file, the
// provider's database and claim files written there by the test, as a user
// would find them beside the program.

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <fstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "shell/frmPellora.h"
#include "tests/display/claim_display.h"
#include "tests/lookup/provider_database.h"

namespace pellora::testing {

inline std::u16string U16(const std::filesystem::path& path) { return common::Utf8ToUtf16(path.string()); }
inline std::u16string U16(const std::string& utf8) { return common::Utf8ToUtf16(utf8); }
inline std::string U8(std::u16string_view text) { return common::Utf16ToUtf8(text).value_or("?"); }

// What a test lends the window in a view's place.
inline frmPellora::Platform Lent(FileDialogs* fileDialogs, ModalDialogs* dialogs = nullptr,
                                 std::function<void()> onUnload = {}) {
  return {fileDialogs, dialogs, std::move(onUnload)};
}

class ProgramFolder {
 public:
  // Where the program runs: this folder, with `commandLine`, and velkar.ini
  // looked for only in `settingsFolders` besides (none unless a test names
  // some): no settings file of the machine running the tests.
  frmPellora::Environment Environment(std::u16string commandLine = {}) const {
    return {std::move(commandLine), U16(dir.path()), settingsFolders, {}};
  }
  std::u16string Folder() const { return U16(dir.path()); }

  // A settings file as a user's editor writes it: code page 932 bytes.
  std::filesystem::path WriteSettings(const std::string& utf8, const std::string& name = "velkar.ini") const {
    const std::filesystem::path file = dir / name;
    std::ofstream(file, std::ios::binary) << common::cp932::Encode(common::Utf8ToUtf16(utf8));
    return file;
  }

  std::filesystem::path WriteDatabase(const std::string& name = "data.qdr") const {
    return WriteProviderDatabase(dir, DatabaseForm::Jet4Compressed, name);
  }

  std::filesystem::path WriteClaim(const std::string& name, const std::vector<Record>& records) const {
    const std::filesystem::path file = dir / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << FileBytes(records);
    return file;
  }

  // The program started with this command line, its window lent
  // `platform` (its dialogs, what it does when the window closes);
  // Prepare makes the window without starting it, for a test to arrange
  // what start-up meets.
  void Prepare(const std::string& commandLine, frmPellora::Platform platform = {}) {
    window_ = std::make_unique<frmPellora>(ui, Environment(U16(commandLine)));
    window_->Attach(std::move(platform));
  }
  void Start(const std::string& commandLine, frmPellora::Platform platform = {}) {
    Prepare(commandLine, std::move(platform));
    window_->Form_Load();
  }

  // The window Start made; asked for before, a window of no command line
  // that has not started.
  frmPellora& window() {
    if (!window_) window_ = std::make_unique<frmPellora>(ui, Environment());
    return *window_;
  }

  TempDir dir;
  std::vector<std::u16string> settingsFolders;
  RecordingMessageBoxes ui;

 private:
  std::unique_ptr<frmPellora> window_;
};

// Two persons of the provider's database in March 2024 and one person it
// does not know in April: light yellow and light cyan names.
inline std::vector<Record> KnownAndUnknownPersons() {
  return ClaimFile({
      ServiceDetail("7131", "10", "202403", "131011", "0000000001", "13", "300"),
      ServiceDetail("7131", "10", "202403", "001234", "0000000003", "63", "120"),
      ServiceDetail("7132", "10", "202404", "131011", "0000009999", "31", "80"),
  });
}

// The current folder changed for one test, and changed back.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace pellora::testing
