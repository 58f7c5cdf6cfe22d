#include "rcgen/tokens.h"

#include <cctype>

#include "rcgen/text.h"

namespace rcgen {

void Tokeniser::Line(const std::string& line, const std::string& where) {
  for (std::size_t i = 0; i < line.size();) {
    char c = line[i];
    if (inComment_) {
      auto end = line.find("*/", i);
      if (end == std::string::npos) return;
      inComment_ = false;
      i = end + 2;
    } else if (c == ' ' || c == '\t') {
      ++i;
    } else if (line.compare(i, 2, "//") == 0) {
      return;
    } else if (line.compare(i, 2, "/*") == 0) {
      inComment_ = true;
      i += 2;
    } else if (c == '"' || (c == 'L' && i + 1 < line.size() && line[i + 1] == '"')) {
      if (c == 'L') ++i;  // every string of a resource is stored as UTF-16 anyway
      std::string text = ReadQuoted(line, i, where, utf8);
      tokens.push_back(Token{Token::string, text, 0, false, where});
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      tokens.push_back(Number(line, i, where));
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t end = i;
      while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
      tokens.push_back(Token{Token::identifier, line.substr(i, end - i), 0, false, where});
      i = end;
    } else if (std::string(",{}|+-()~").find(c) != std::string::npos) {
      tokens.push_back(Token{Token::punct, std::string(1, c), 0, false, where});
      ++i;
    } else {
      throw Error(where + ": unexpected character '" + std::string(1, c) + "'");
    }
  }
}

// Decimal, 0x hexadecimal or 0 octal; the suffixes L and U, L marking a
// 32-bit value.
Token Tokeniser::Number(const std::string& line, std::size_t& i, const std::string& where) const {
  std::size_t end = i;
  while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end]))) ++end;
  std::string text = line.substr(i, end - i);
  Token t{Token::number, text, 0, false, where};
  while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u')) {
    if (text.back() == 'L' || text.back() == 'l') t.wide = true;
    text.pop_back();
  }
  std::size_t used = 0;
  try {
    t.value = std::stoll(text, &used, 0);
  } catch (...) {
    used = 0;
  }
  if (used != text.size() || text.empty()) throw Error(where + ": bad number " + t.text);
  i = end;
  return t;
}

}  // namespace rcgen
