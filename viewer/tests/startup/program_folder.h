#pragma once
// A program folder of its own for a main window: the settings file, the
// provider's database and claim files written there by the test, as a user
// would find them beside the program.

#include <unistd.h>

#include <filesystem>
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

class ProgramFolder {
 public:
  // Only this folder: no settings file of the machine running the tests.
  ProgramFolder() {
    window.ProgramFolder = U16(dir.path());
    window.SettingsFolders.clear();
  }

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

  // The program started with this command line.
  void Start(const std::string& commandLine) {
    window.CommandLine = U16(commandLine);
    window.Form_Load();
  }

  TempDir dir;
  RecordingMessageBoxes ui;
  frmPellora window{ui};
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
