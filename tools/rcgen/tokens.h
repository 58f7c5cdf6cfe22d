#pragma once
// The tokens of a resource script after preprocessing: identifiers, numbers,
// strings (their UTF-8 text, escapes resolved) and the punctuation of
// expressions and blocks, each with the file and line it came from.

#include <stdexcept>
#include <string>
#include <vector>

namespace rcgen {

// Every failure of rcgen. The message starts with "<file>:<line>: " where a
// line is to blame.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Token {
  enum Kind { identifier, number, string, punct } kind;
  std::string text;  // identifier, punctuation, the number as written, or the string's UTF-8 content
  long long value = 0;
  bool wide = false;  // number with an L suffix: four bytes in a VERSIONINFO value
  std::string where;  // "<file>:<line>"
};

// Turns lines into tokens. A /* comment */ may run over several lines, so
// the state lives here between them.
class Tokeniser {
 public:
  // After #pragma code_page(65001): strings may hold more than ASCII.
  bool utf8 = false;
  std::vector<Token> tokens;

  void Line(const std::string& line, const std::string& where);
  bool InComment() const { return inComment_; }

 private:
  Token Number(const std::string& line, std::size_t& i, const std::string& where) const;

  bool inComment_ = false;
};

}  // namespace rcgen
