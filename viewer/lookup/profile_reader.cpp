#include "lookup/profile_reader.h"

#include <algorithm>

#include "common/cp932.h"
#include "common/utf.h"
#include "platform/platform_file.h"

namespace pellora {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Letter case as the profile API ignores it: the ASCII letters and their
// full-width forms.
char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c >= u'\uFF21' && c <= u'\uFF3A') return static_cast<char16_t>(c - u'\uFF21' + u'\uFF41');
  return c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

std::u16string_view WithoutEnclosingQuotes(std::u16string_view value) {
  if (value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\''))
    return value.substr(1, value.size() - 2);
  return value;
}

// The name of a "[section]" line: up to the closing bracket, or to the end
// of the line if there is none.
std::u16string_view SectionName(std::u16string_view line) {
  line.remove_prefix(1);
  const std::size_t close = line.find(u']');
  return TrimBlanks(close == std::u16string_view::npos ? line : line.substr(0, close));
}

// What no code page 932 text that is also UTF-8 reads as in UTF-8 (see the
// header): kana, kanji and the marks and forms of Japanese text.
bool IsJapanese(char16_t c) {
  return (c >= u'\u3000' && c <= u'\u30FF') || (c >= u'\u3400' && c <= u'\u9FFF') ||
         (c >= u'\uF900' && c <= u'\uFAFF') || (c >= u'\uFF00' && c <= u'\uFFEF');
}

// The header's four rules, in their order.
std::u16string DecodeSettings(std::string_view bytes) {
  if (bytes.starts_with(common::kUtf8ByteOrderMark))
    return common::Utf8ToUtf16(bytes.substr(common::kUtf8ByteOrderMark.size()));
  if (common::IsWellFormedUtf8(bytes)) {
    std::u16string text = common::Utf8ToUtf16(bytes);
    if (!common::cp932::IsWellFormed(bytes) || std::ranges::any_of(text, IsJapanese)) return text;
  }
  return common::cp932::Decode(bytes);
}

}  // namespace

std::optional<std::u16string> ReadSettingsText(std::u16string_view fileName) {
  // Only an ordinary file: a pipe named as the settings file cannot stop
  // start-up.
  PlatformFile file;
  if (file.Open(fileName, PlatformFile::Accept::OrdinaryFiles) != 0) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  for (;;) {
    std::int16_t failure = 0;
    const std::size_t n = file.Read(buffer, sizeof buffer, failure);
    if (failure != 0) return std::nullopt;
    if (n == 0) break;
    bytes.append(buffer, n);
  }
  return DecodeSettings(bytes);
}

std::vector<std::u16string_view> SettingsLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return lines;
}

std::optional<std::u16string> FindProfileString(std::u16string_view profile, std::u16string_view section,
                                                std::u16string_view key) {
  const std::u16string_view wantedSection = TrimBlanks(section);
  const std::u16string_view wantedKey = TrimBlanks(key);
  bool inSection = false;
  for (std::u16string_view line : SettingsLines(profile)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      inSection = SameName(SectionName(line), wantedSection);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find(u'=');
    const std::u16string_view name = TrimBlanks(line.substr(0, equals));
    if (!SameName(name, wantedKey)) continue;
    if (equals == std::u16string_view::npos) return std::u16string();
    return std::u16string(WithoutEnclosingQuotes(TrimBlanks(line.substr(equals + 1))));
  }
  return std::nullopt;
}

std::optional<std::u16string> ReadProfileString(std::u16string_view fileName, std::u16string_view section,
                                                std::u16string_view key) {
  const std::optional<std::u16string> text = ReadSettingsText(fileName);
  if (!text) return std::nullopt;
  return FindProfileString(*text, section, key);
}

}  // namespace pellora
