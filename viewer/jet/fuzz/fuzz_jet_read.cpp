// libFuzzer: any bytes as the database file, read the viewer's way (through
// pellora-jetread). libmdb may crash or hang in the helper on such input;
// this process must only ever see a failed read, and a successful read
// must be well formed.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "jet_reader.h"

namespace {

const std::vector<pellora::jet::TableRequest> kRequests = {
    {"m_pvd", {"pvd_no", "pvd_nm"}}, {"m_insd", {"insd_no", "insr_no", "pat_nm"}}};

const std::filesystem::path& Scratch() {
  static const std::filesystem::path file = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-jet-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    close(fd);
    return std::filesystem::path(pattern);
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(Scratch().c_str(), "wb");
  if (!f) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  const pellora::jet::ReadResult r =
      pellora::jet::ReadJetTables(Scratch(), kRequests, {{}, std::chrono::milliseconds(5000)});
  if (r.ok && r.tables.size() != kRequests.size()) abort();
  if (!r.ok && r.error.empty()) abort();
  std::size_t characters = 0;
  for (const auto& t : r.tables) {
    for (std::size_t row = 0; row < t.rowCount(); ++row) {
      for (std::size_t c = 0; c < t.columnCount(); ++c) {
        if (auto text = t.text(row, c)) characters += text->size();
      }
    }
  }
  return characters == static_cast<std::size_t>(-1) ? 1 : 0;
}
