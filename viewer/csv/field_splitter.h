#pragma once
// The fields of one line of a claim file, by the reader's one rule: the
// separator is the comma, the quote the double quote; quotes toggle a
// quoted stretch anywhere in a field and vanish; a doubled quote inside a
// quoted stretch stands for one quote; a quoted stretch never continues on
// the next line. Nothing is trimmed. A line always has at least one field
// (an empty line has one empty field).
//
// The line is code page 932 and is decoded to UTF-16 before it is split:
// neither the comma nor the quote is ever the second byte of a double-byte
// character, but a broken pair must decode as the codec decodes it, and the
// split must see what the decoding made of it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

class FieldSplitter {
 public:
  // The fields of the decoded `line`, valid until the splitter is used
  // again (or `line` goes away: unquoted fields are views into it).
  std::span<const std::u16string_view> Split(std::u16string_view line);

  // The fields of a line's code page 932 bytes, decoded first into the
  // splitter's own buffer; valid until the splitter is used again.
  std::span<const std::u16string_view> SplitBytes(std::string_view bytes);

  // How many fields SplitBytes finds in `bytes`, counted without decoding
  // or splitting them: the comma (0x2C) and the quote (0x22) are below every
  // second byte of a double-byte character and are no byte of any other
  // character, so the bytes hold exactly the decoded text's commas and
  // quotes. A comma separates fields when an even number of quotes comes
  // before it in its line: a quote opens or closes a quoted stretch, and a
  // doubled quote inside one closes and reopens it with no comma between.
  static std::size_t CountFields(std::string_view bytes);

 private:
  // The field from `start` read unit by unit with its quotes; returns where
  // the next field starts (past the comma), or npos at the end of the line.
  std::size_t QuotedField(std::u16string_view line, std::size_t start);

  std::unique_ptr<char16_t[]> decoded_;
  std::size_t decodedCapacity_ = 0;
  // Positions of the line's commas and quotes: a field without quotes is
  // then found without looking at its characters one by one.
  std::unique_ptr<std::uint32_t[]> marks_;
  std::size_t marksCapacity_ = 0;
  // The texts of fields whose quotes were taken out, one after the other.
  // Reserved to the line's length before a split (a field without its
  // quotes is never longer than the line), so its views never move.
  std::u16string unquoted_;
  std::vector<std::u16string_view> fields_;
};

// The fields of one line found only as far as they are asked for, and
// decoded one by one: a step that reads the code in field 3 of every record
// neither decodes nor splits the rest of the line. The fields are those of
// FieldSplitter: in a line without quotes a field is the bytes between two
// commas, and decoding it alone gives what decoding the line gives there
// (a comma is never part of a double-byte character, and a lead byte the
// comma ends is one broken character either way); a line with a quote is
// split by FieldSplitter whole.
class FieldScanner {
 public:
  // The line to read, which must stay valid while its fields are read.
  void Start(std::string_view bytes);

  // Field `field` (from 1), "" beyond the last; valid until Start.
  std::u16string_view Field(int field);

 private:
  // Finds the fields up to `field`; false once the line has shown a quote.
  bool Scan(int field);
  // Notes the comma or quote at `at`; false for a quote.
  bool Mark(std::size_t at);

  std::string_view bytes_;
  // Where each field found so far ends (the offset of its comma, or the
  // line's length for the last), in room for the line's length plus one
  // made at Start; how many there are; how far the line has been looked at;
  // and whether its last field has been found.
  std::unique_ptr<std::uint32_t[]> ends_;
  std::size_t endsCapacity_ = 0;
  std::size_t found_ = 0;
  std::size_t scanned_ = 0;
  bool complete_ = false;
  // Each field decoded once, one after the other, in room for the line's
  // length made at Start (no field decodes to more units than it has
  // bytes), so that its views never move.
  std::unique_ptr<char16_t[]> decoded_;
  std::size_t decodedCapacity_ = 0;
  std::size_t decodedUsed_ = 0;
  std::vector<std::u16string_view> decodedFields_;  // a view with null data: not decoded yet
  // A line with a quote, split whole.
  bool quoted_ = false;
  FieldSplitter splitter_;
  std::span<const std::u16string_view> all_;
};

}  // namespace pellora
