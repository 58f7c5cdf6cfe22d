#pragma once
// The fields of a claim file's line as its code page 932 bytes, by the
// reader's rule (csv/field_splitter.h): the comma separates, the double
// quote toggles a quoted stretch anywhere in a field and vanishes, a
// doubled quote inside one stands for a quote. Neither byte is ever part
// of a double-byte character (nor re-read otherwise from a broken one), so
// splitting the bytes gives the fields that splitting the decoded line
// gives, each the bytes of the decoded field.
//
// The check reads every item of every line, and nearly all of them are
// ASCII: it compares and counts bytes, and decodes a field only to tell of
// it. Splitting without decoding is what keeps the check within the
// display's time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::check {

class LineFields {
 public:
  // Splits `line`, which must stay valid while its fields are read; the
  // fields are valid until the next Split.
  void Split(std::string_view line);

  std::span<const std::string_view> fields() const { return {fields_.data(), count_}; }
  // Whether the line has a byte of 0x80 or more: a line of ASCII alone is
  // code page 932 throughout.
  bool beyondAscii() const { return beyondAscii_; }
  // Whether the line has a single quote (0x27, never part of a double-byte
  // character either).
  bool apostrophe() const { return apostrophe_; }

 private:
  // The field from `start` read byte by byte with its quotes; returns where
  // the next field starts, or npos at the end of the line.
  std::size_t QuotedField(std::string_view line, std::size_t start);

  // The fields, the first `count_` of them; the room beyond is kept.
  std::vector<std::string_view> fields_;
  std::size_t count_ = 0;
  // The fields whose quotes were taken out, one after another, in room
  // made for the whole line so that their views never move.
  std::string unquoted_;
  void Keep(std::string_view field);

  bool beyondAscii_ = false;
  bool apostrophe_ = false;
};

}  // namespace pellora::check
