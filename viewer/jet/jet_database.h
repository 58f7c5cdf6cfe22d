// A Jet database file in memory: its version, its pages (decrypted when
// the database is encoded), the rows of its data pages and its text.
//
// Opening checks only the header page; every other structure is checked
// when it is read. Access to a page past the end of the file, a row outside
// its page or any other field out of bounds fails the read (ReadFailure).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet/jet_format.h"

namespace pellora::jet {

enum class JetVersion { Jet3, Jet4, Ace };

// One slot of a data page's row table.
struct RowSlot {
  std::span<const std::uint8_t> bytes;  // empty for a deleted row
  bool deleted = false;
  // The row has moved: its bytes are only a pointer (PageRow) to where it
  // lives now. The row it points at carries the deleted flag, so that a
  // walk through the pages meets it only through the pointer.
  bool overflow = false;
};

class Database {
 public:
  // Throws ReadFailure for a file that is not a Jet 3, Jet 4 or ACE
  // database, is not a whole number of pages, or is encrypted in a way
  // this reader cannot undo.
  explicit Database(std::vector<std::uint8_t> file);

  const Format& format() const { return *format_; }
  JetVersion version() const { return version_; }
  std::uint32_t pageCount() const { return pageCount_; }
  std::uint64_t fileSize() const { return bytes_.size(); }

  // Page n, decrypted. `what` names it in a failure.
  Bytes Page(std::uint32_t n, const char* what) const;

  // The number of rows a data page holds, checked against the page.
  unsigned RowCount(const Bytes& dataPage) const;
  // Row `index` (< RowCount) of a data page. Deleted rows come without
  // their bytes, unless `evenIfDeleted` (the row a moved row's pointer
  // names carries the deleted flag).
  RowSlot Slot(const Bytes& dataPage, unsigned index, bool evenIfDeleted = false) const;
  // The row a row pointer names, on a data page.
  RowSlot RowAt(PageRow at, const char* what) const;

  // Appends a stored text value (a name or a text or memo value).
  void AppendText(std::span<const std::uint8_t> stored, std::u16string& out) const;

 private:
  void Decrypt(std::uint32_t page) const;

  // Decrypted in place on first use: a read touches few of the pages of a
  // large encoded file.
  mutable std::vector<std::uint8_t> bytes_;
  mutable std::vector<bool> decrypted_;
  const Format* format_ = nullptr;
  JetVersion version_ = JetVersion::Jet4;
  std::uint32_t pageCount_ = 0;
  std::uint16_t codePage_ = 0;
  std::uint32_t key_ = 0;  // 0: the pages are stored as they are
};

}  // namespace pellora::jet
