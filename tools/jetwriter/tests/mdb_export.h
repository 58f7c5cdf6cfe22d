// Runs mdbtools' mdb-export on a file and parses its CSV: an independent
// reader for the files the writer makes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jetwriter::testing {

// A cell as mdb-export prints it; nullopt where it printed NULL. (libmdb
// reports the empty string as NULL too, so mdb-export cannot tell them
// apart.)
using ExportRow = std::vector<std::optional<std::string>>;

inline std::vector<ExportRow> ParseExportCsv(const std::string& csv) {
  std::vector<ExportRow> rows;
  ExportRow row;
  std::size_t i = 0;
  auto endField = [&](std::optional<std::string> field) { row.push_back(std::move(field)); };
  while (i < csv.size()) {
    if (csv[i] == '"') {
      std::string field;
      for (++i; i < csv.size(); ++i) {
        if (csv[i] == '"') {
          if (i + 1 < csv.size() && csv[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += csv[i];
        }
      }
      endField(field);
    } else {
      const std::size_t end = csv.find_first_of(",\n", i);
      const std::string bare = csv.substr(i, end - i);
      endField(bare == "NULL" ? std::nullopt : std::optional<std::string>(bare));
      i = end == std::string::npos ? csv.size() : end;
    }
    if (i < csv.size() && csv[i] == ',') {
      ++i;
      if (i == csv.size() || csv[i] == '\n') endField(std::string());
    } else if (i < csv.size() && csv[i] == '\n') {
      ++i;
      rows.push_back(std::move(row));
      row.clear();
    }
  }
  if (!row.empty()) rows.push_back(std::move(row));
  return rows;
}

// Every row of the table, without the heading row. Jet 3 text is decoded
// as code page 932 (mdb-export's own default mapping corrupts it).
inline std::vector<ExportRow> MdbExport(const std::filesystem::path& file, const std::string& table) {
  const std::string command = "MDB_JET3_CHARSET=CP932 mdb-export -H -0 NULL '" + file.string() + "' '" + table +
                              "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run mdb-export");
  std::string out;
  char buffer[65536];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  if (status != 0) throw std::runtime_error("mdb-export failed on " + file.string() + " table " + table);
  return ParseExportCsv(out);
}

}  // namespace jetwriter::testing
