#include "shell/common_dialog.h"

#include "text/plain_text.h"

namespace pellora {

std::vector<FilterEntry> FilterEntries(std::u16string_view filter) {
  std::vector<FilterEntry> entries;
  std::vector<std::u16string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = filter.find(u'|', start);
    parts.push_back(filter.substr(start, bar == std::u16string_view::npos ? std::u16string_view::npos : bar - start));
    if (bar == std::u16string_view::npos) break;
    start = bar + 1;
  }
  if (filter.empty()) return entries;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const std::u16string_view patterns = i + 1 < parts.size() ? parts[i + 1] : std::u16string_view(u"*");
    entries.push_back({std::u16string(parts[i]), std::u16string(patterns.empty() ? u"*" : patterns)});
  }
  return entries;
}

std::vector<std::u16string> FilterPatterns(const FilterEntry& entry) {
  std::vector<std::u16string> patterns;
  std::u16string_view rest = entry.patterns;
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(u';');
    std::u16string_view pattern = TrimSpaces(rest.substr(0, semicolon));
    // "*.*" is every file, also those without a dot in their names, as on
    // the platform the filter was written for.
    if (pattern == u"*.*") pattern = u"*";
    if (!pattern.empty()) patterns.emplace_back(pattern);
    if (semicolon == std::u16string_view::npos) break;
    rest.remove_prefix(semicolon + 1);
  }
  if (patterns.empty()) patterns.emplace_back(u"*");
  return patterns;
}

namespace {

void TakeChoice(CommonDialog& dialog, const std::optional<std::u16string>& chosen) {
  if (chosen) {
    dialog.FileName = *chosen;
  } else if (dialog.CancelError) {
    throw DialogCancelled();
  }
}

}  // namespace

void CommonDialog::ShowOpen() { TakeChoice(*this, Platform ? Platform->ShowOpen(*this) : std::nullopt); }

void CommonDialog::ShowSave() { TakeChoice(*this, Platform ? Platform->ShowSave(*this) : std::nullopt); }

}  // namespace pellora
