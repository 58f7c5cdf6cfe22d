#include "jet/jet_database.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/rc4.h"
#include "jet/jet_text.h"

namespace pellora::jet {
namespace {

constexpr char kJetMagic[] = "Standard Jet DB";
constexpr char kAceMagic[] = "Standard ACE DB";
constexpr std::size_t kMagicAt = 4;
constexpr std::size_t kVersionAt = 0x14;
constexpr std::size_t kEncryptedAreaAt = 0x18;
constexpr std::size_t kCodePageAt = 0x3C;
constexpr std::size_t kDatabaseKeyAt = 0x3E;
// The header page's hidden area is RC4 with this fixed key in every file.
constexpr std::array<std::uint8_t, 4> kHeaderKey{0xC7, 0xDA, 0x39, 0x6B};
// The version is the one byte at 0x14, as libmdb reads it; the three
// bytes after it are no part of it and need not be 0 (read as a 32-bit
// number, 03 01 00 00 would be version 259, not Access 2010's 3). Jet 3 is
// 0 and Jet 4 is 1; ACE counts on from Access 2007 (2), 2010 (3), 2013 (4)
// and 2016 (5) to Access 2019 (6), which Microsoft 365 writes as well. All
// of them have Jet 4's pages: the ACE releases added column types and
// flags (large numbers, calculated columns), not layouts.
constexpr std::uint8_t kJet3 = 0, kJet4 = 1, kFirstAce = 2, kLastAce = 6;
// Header page, the catalog's usage map and the catalog's definition on
// page 2: no database has fewer pages.
constexpr std::uint32_t kFewestPages = 3;

constexpr std::uint16_t kDeletedRow = 0x8000;
constexpr std::uint16_t kOverflowRow = 0x4000;
constexpr std::uint16_t kRowOffsetMask = 0x1FFF;

bool HasMagic(const std::vector<std::uint8_t>& b, const char (&magic)[16]) {
  return b.size() >= kMagicAt + sizeof magic && std::memcmp(b.data() + kMagicAt, magic, sizeof magic) == 0;
}

}  // namespace

Database::Database(std::vector<std::uint8_t> file) : bytes_(std::move(file)) {
  static constexpr std::uint8_t kStart[] = {0x00, 0x01, 0x00, 0x00};
  const bool jetMagic = HasMagic(bytes_, kJetMagic), aceMagic = HasMagic(bytes_, kAceMagic);
  if (bytes_.size() < kEncryptedAreaAt || std::memcmp(bytes_.data(), kStart, sizeof kStart) != 0 ||
      !(jetMagic || aceMagic)) {
    throw ReadFailure("not a Jet database");
  }
  const std::uint8_t version = bytes_[kVersionAt];
  if (jetMagic && version == kJet3) {
    version_ = JetVersion::Jet3;
    format_ = &kJet3Format;
  } else if (jetMagic && version == kJet4) {
    version_ = JetVersion::Jet4;
    format_ = &kJet4Format;
  } else if (aceMagic && version >= kFirstAce && version <= kLastAce) {
    version_ = JetVersion::Ace;
    format_ = &kJet4Format;
  } else if (aceMagic && version > kLastAce) {
    throw ReadFailure("an ACE database of version " + std::to_string(version) +
                      ", newer than those this reader knows (" + std::to_string(kFirstAce) + " to " +
                      std::to_string(kLastAce) + ": Access 2007 to 2019 and Microsoft 365)");
  } else {
    throw ReadFailure("not a Jet database of a known version (" + std::to_string(version) + ")");
  }
  // Access writes whole pages only; a file cut inside a page has lost part
  // of whatever the page held.
  if (bytes_.size() % format_->pageSize != 0 || bytes_.size() / format_->pageSize < kFewestPages) {
    throw ReadFailure("damaged database (size " + std::to_string(bytes_.size()) +
                      " is not a whole number of pages)");
  }
  pageCount_ = static_cast<std::uint32_t>(bytes_.size() / format_->pageSize);
  decrypted_.assign(pageCount_, false);

  std::vector<std::uint8_t> header(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(format_->pageSize));
  common::Rc4(kHeaderKey, std::span(header).subspan(kEncryptedAreaAt, format_->encryptedHeaderBytes));
  const Bytes fields(header, "header");
  codePage_ = fields.u16(kCodePageAt);
  key_ = fields.u32(kDatabaseKeyAt);
  // An ACE file with a password is encrypted with the Office document
  // ciphers, keyed by the password itself: unreadable without it.
  if (key_ != 0 && version_ == JetVersion::Ace) throw ReadFailure("the database is encrypted with a password");
}

void Database::Decrypt(std::uint32_t page) const {
  // An encoded Jet 3 or Jet 4 file hides page n (but the header) with RC4
  // keyed by the database key XOR n, in little-endian order. The key is in
  // the file, so the password plays no part: it only guards Access's own
  // user interface.
  const std::uint32_t key = key_ ^ page;
  const std::array<std::uint8_t, 4> keyBytes{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                                              static_cast<std::uint8_t>(key >> 16),
                                              static_cast<std::uint8_t>(key >> 24)};
  common::Rc4(keyBytes, std::span(bytes_).subspan(std::size_t{page} * format_->pageSize, format_->pageSize));
  decrypted_[page] = true;
}

Bytes Database::Page(std::uint32_t n, const char* what) const {
  if (n >= pageCount_) throw ReadFailure(std::string("damaged ") + what + " (page " + std::to_string(n) +
                                         " past the end of the file)");
  if (key_ != 0 && n != 0 && !decrypted_[n]) Decrypt(n);
  return Bytes(std::span(bytes_).subspan(std::size_t{n} * format_->pageSize, format_->pageSize), what);
}

unsigned Database::RowCount(const Bytes& page) const {
  const unsigned rows = page.u16(format_->rowCountAt);
  // Each row needs its entry in the row table and at least one byte.
  if (format_->rowCountAt + 2 + 3 * std::size_t{rows} > format_->pageSize) page.Fail();
  return rows;
}

RowSlot Database::Slot(const Bytes& page, unsigned index, bool evenIfDeleted) const {
  const std::size_t table = format_->rowCountAt + 2;
  const std::uint16_t entry = page.u16(table + 2 * std::size_t{index});
  RowSlot slot;
  slot.deleted = (entry & kDeletedRow) != 0;
  if (slot.deleted && !evenIfDeleted) return slot;
  slot.overflow = (entry & kOverflowRow) != 0;
  // Rows fill the page from its end: row 0 ends at the end of the page,
  // every other row where the row before it starts.
  const std::size_t start = entry & kRowOffsetMask;
  const std::size_t end =
      index == 0 ? format_->pageSize : std::size_t{page.u16(table + 2 * std::size_t{index - 1})} & kRowOffsetMask;
  const std::size_t rows = page.u16(format_->rowCountAt);
  if (start < table + 2 * rows || start >= end || end > format_->pageSize) page.Fail();
  slot.bytes = page.slice(start, end - start);
  return slot;
}

RowSlot Database::RowAt(PageRow at, const char* what) const {
  const Bytes page = Page(at.page, what);
  if (page.u8(0) != kDataPage || at.row >= RowCount(page)) page.Fail();
  return Slot(page, at.row);
}

void Database::AppendText(std::span<const std::uint8_t> stored, std::u16string& out) const {
  if (format_->jet4) {
    AppendJet4Text(stored, out);
  } else {
    AppendJet3Text(codePage_, stored, out);
  }
}

}  // namespace pellora::jet
