#pragma once
// A program folder for the Pellora benchmarks: velkar.ini naming a provider
// database written by the project's fixture writer, in a temporary folder
// removed when the program ends.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "jetwriter/jet_writer.h"

namespace bench {

// A program folder: velkar.ini naming a database of the file's provider and
// of kDatabasePersons persons, the file's own and others.
class ProgramFolder {
 public:
  static constexpr std::size_t kDatabasePersons = 100000;

  ProgramFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~ProgramFolder() { std::filesystem::remove_all(folder_); }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::filesystem::path& path() const { return folder_; }

  // The database of `provider` and of `persons` (insured, insurer) first.
  void WriteDatabase(const std::string& provider, const std::vector<std::pair<std::string, std::string>>& persons) {
    jetwriter::Database db;
    db.version = jetwriter::JetVersion::Jet4;
    db.tables.push_back({"m_pvd",
                         {{"pvd_no", jetwriter::ColumnType::Text, 10}, {"pvd_nm", jetwriter::ColumnType::Text, 60}},
                         {{provider, std::string("訪問看護ステーション")}}});
    jetwriter::Table insd{"m_insd",
                          {{"insd_no", jetwriter::ColumnType::Text, 10},
                           {"insr_no", jetwriter::ColumnType::Text, 6},
                           {"pat_nm", jetwriter::ColumnType::Text, 40}},
                          {}};
    for (std::size_t i = 0; i < kDatabasePersons; ++i) {
      const bool ofTheFile = i < persons.size();
      insd.rows.push_back({ofTheFile ? persons[i].first : std::to_string(2000000000 + i),
                           ofTheFile ? persons[i].second : std::string("131011"),
                           "介護 太郎" + std::to_string(i % 1000)});
    }
    db.tables.push_back(std::move(insd));
    jetwriter::WriteJetFile(db, folder_ / "data.qdr");
    std::ofstream(folder_ / "velkar.ini", std::ios::binary) << "[qdr]\r\nQdrPath=" << (folder_ / "data.qdr").string()
                                                            << "\r\n";
  }

 private:
  std::filesystem::path folder_;
};

ProgramFolder& Folder() {
  static ProgramFolder folder;
  return folder;
}

}  // namespace bench
