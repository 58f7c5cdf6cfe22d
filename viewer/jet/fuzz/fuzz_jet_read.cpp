// libFuzzer: any bytes as a database file, read whole: the catalog, the
// definitions, usage maps, rows and long values of the master tables, and
// every value of the tables the seeds hold. Whatever the bytes, a read
// ends, and a successful one is well formed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "jet/jet_reader.h"

namespace {

const std::vector<pellora::jet::TableRequest> kRequests = {
    {"m_pvd", {"pvd_no", "pvd_nm"}}, {"m_insd", {"insd_no", "insr_no", "pat_nm"}}};

// The tables of the seed files: the master tables and the random
// generator's tables.
const char* const kScanned[] = {"m_pvd", "m_insd", "t0", "t1", "t2"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  const pellora::jet::ReadResult read = pellora::jet::ReadJetTables(file, kRequests);
  if (read.ok != (read.tables.size() == kRequests.size()) || read.ok == !read.error.empty()) std::abort();
  std::size_t characters = 0;
  for (const auto& t : read.tables) {
    for (std::size_t row = 0; row < t.rowCount(); ++row) {
      for (std::size_t c = 0; c < t.columnCount(); ++c) {
        if (auto text = t.text(row, c)) characters += text->size();
      }
    }
  }
  // Text comes from the file's own bytes, each row and long value read
  // once: however damaged the file, a read holds a small multiple of it.
  if (characters > 16 * size) std::abort();
  for (const char* table : kScanned) {
    std::size_t rows = 0;
    const auto scan = pellora::jet::ScanTable(file, table, [&](auto columns, auto values) {
      if (columns.size() != values.size()) std::abort();
      ++rows;
    });
    if (scan.ok && scan.rows != rows) std::abort();
  }
  return 0;
}
