// The UseStyles text and its reading into the style list.
#include "engine/use_styles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dovrel::engine {
namespace {

// A HolidayStyles collection reduced to its keys, compared without regard to
// the case of A-Z as the collection does.
template <class CharT>
class Keys final : public StyleDirectory<CharT> {
 public:
  explicit Keys(std::vector<std::basic_string<CharT>> keys) : keys_(std::move(keys)) {}
  std::int32_t StyleCount() const override { return static_cast<std::int32_t>(keys_.size()); }
  std::optional<std::int32_t> FindStyleKey(std::basic_string_view<CharT> key) const override {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (SameKey(keys_[i], key)) return static_cast<std::int32_t>(i);
    }
    return std::nullopt;
  }

 private:
  static CharT Upper(CharT c) { return c >= CharT('a') && c <= CharT('z') ? CharT(c - 32) : c; }
  static bool SameKey(std::basic_string_view<CharT> a, std::basic_string_view<CharT> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
  }
  std::vector<std::basic_string<CharT>> keys_;
};

const Keys<char16_t> kTwoStyles({u"A", u"B"});  // A is {1}, B is {2}
constexpr std::int32_t A = 0, B = 1;

struct AssignCase {
  const char* name;
  std::u16string text;
  StyleList before;
  UseStylesOutcome outcome;
  StyleList after;
};

TEST(UseStyles, Assignment) {
  const auto accepted = UseStylesOutcome::Accepted, refused = UseStylesOutcome::Refused;
  const AssignCase cases[] = {
      {"positions with a repeat", u"{1},{1},{2}", {}, accepted, {A, B}},
      {"position beyond the collection", u"{3}", {B}, refused, {B}},
      {"empty text empties the list", u"", {A, B}, accepted, {}},
      {"only commas empty the list", u",,,", {A}, accepted, {}},
      {"unknown key after a known one keeps the known one", u"A,Z", {B}, refused, {A}},
      {"a failing first piece changes nothing", u"Z,A", {B, A}, refused, {B, A}},
      {"no runs are reduced when refused", u"A,A,Z", {}, refused, {A, A}},
      {"runs of a style reduced to one", u"A,A,B", {}, accepted, {A, B}},
      {"a style may come back later", u"A,B,A", {}, accepted, {A, B, A}},
      {"empty pieces are skipped", u",a,,b,", {}, accepted, {A, B}},
      {"keys ignore the case of A-Z", u"b,a", {}, accepted, {B, A}},
      {"pieces are not trimmed", u"A, B", {}, refused, {A}},
      {"spaces before the digits", u"{ 2 }", {}, accepted, {B}},
      {"anything after the digits is ignored", u"{2x},{1 1}", {}, accepted, {B, A}},
      {"leading zeros", u"{002}", {}, accepted, {B}},
      {"no digits", u"{ }", {A}, refused, {A}},
      {"a sign is not a digit", u"{-1}", {A}, refused, {A}},
      {"position 0", u"{0}", {A}, refused, {A}},
      {"digits after other characters do not count", u"{x2}", {A}, refused, {A}},
      {"huge positions do not wrap around", u"{4294967297}", {A}, refused, {A}},
      {"two characters in braces are a key", u"{}", {A}, refused, {A}},
      {"a brace on one side only is a key", u"{2", {A}, refused, {A}},
      {"the text ends at its first null character", std::u16string(u"B\0Z", 3), {}, accepted, {B}},
  };
  for (const AssignCase& c : cases) {
    SCOPED_TRACE(c.name);
    StyleList list = c.before;
    EXPECT_EQ(AssignUseStyles<char16_t>(c.text, kTwoStyles, list), c.outcome);
    EXPECT_EQ(list, c.after);
  }
}

TEST(UseStyles, PiecesLongerThan255CharactersFail) {
  const std::u16string long_key(256, u'K');
  const Keys<char16_t> styles({long_key, long_key.substr(0, 255)});
  StyleList list;
  EXPECT_EQ(AssignUseStyles<char16_t>(long_key.substr(0, 255), styles, list), UseStylesOutcome::Accepted);
  EXPECT_EQ(list, StyleList{1});
  EXPECT_EQ(AssignUseStyles<char16_t>(long_key, styles, list), UseStylesOutcome::Refused);
  EXPECT_EQ(list, StyleList{1});
  // The same for a position padded beyond 255 characters.
  const std::u16string padded = u"{" + std::u16string(254, u' ') + u"1}";
  EXPECT_EQ(AssignUseStyles<char16_t>(padded, styles, list), UseStylesOutcome::Refused);
}

TEST(UseStyles, StoredTextEndsAtItsFirstNull) {
  EXPECT_EQ(UseStylesText<char16_t>(std::u16string_view(u"A,B\0C", 5)), u"A,B");
  EXPECT_EQ(UseStylesText<char16_t>(u"A,B"), u"A,B");
  EXPECT_EQ(UseStylesText<char16_t>(u""), u"");
}

struct ResolveCase {
  const char* name;
  std::vector<std::u16string> keys;
  std::u16string stored;
  StyleList after;
};

TEST(UseStyles, ResolveSkipsWhatNoLongerResolves) {
  const ResolveCase cases[] = {
      {"a removed key drops out", {u"A", u"C"}, u"A,B,C", {0, 1}},
      {"and comes back when added again", {u"A", u"C", u"B"}, u"A,B,C", {0, 2, 1}},
      {"runs are reduced after skipping", {u"A", u"C"}, u"A,B,A", {0}},
      {"positions follow the current order", {u"C", u"A"}, u"{2},{1}", {1, 0}},
      {"a position beyond the collection drops out", {u"A"}, u"{2},{1}", {0}},
      {"nothing left resolves: the list is empty", {u"X"}, u"A,{2}", {}},
      {"an empty collection", {}, u"A", {}},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(c.name);
    StyleList list{7, 7, 7};
    ResolveUseStyles<char16_t>(c.stored, Keys<char16_t>(c.keys), list);
    EXPECT_EQ(list, c.after);
  }
}

// The same reading serves a Windows BSTR, whose characters are wchar_t.
TEST(UseStyles, ReadsWideTextToo) {
  const Keys<wchar_t> styles({L"National", L"Company"});
  StyleList list;
  EXPECT_EQ(AssignUseStyles<wchar_t>(L"company,{1}", styles, list), UseStylesOutcome::Accepted);
  EXPECT_EQ(list, (StyleList{1, 0}));
}

}  // namespace
}  // namespace dovrel::engine
