// libFuzzer: any bytes as the helper's reply. The viewer trusts nothing in
// it: whatever the bytes, decoding gives a failure or tables whose every
// cell lies inside its characters.
#include <cstdint>
#include <cstdlib>

#include "jet_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<pellora::jet::TableRequest> requests = {
      {"m_pvd", {"pvd_no", "pvd_nm"}}, {"m_insd", {"insd_no", "insr_no", "pat_nm"}}, {"empty", {}}};
  const pellora::jet::ReadResult r = pellora::jet::DecodeWire({data, size}, requests);
  if (r.ok && r.tables.size() != requests.size()) abort();
  std::size_t characters = 0;
  for (const auto& t : r.tables) {
    for (std::size_t row = 0; row < t.rowCount() && t.columnCount() > 0; ++row) {
      for (std::size_t c = 0; c < t.columnCount(); ++c) {
        if (auto text = t.text(row, c)) characters += text->size();
      }
    }
  }
  return characters == static_cast<std::size_t>(-1) ? 1 : 0;
}
