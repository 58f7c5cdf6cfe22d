#pragma once
// The tokens of an IDL file: identifiers, numbers, strings (their UTF-8
// text, escapes resolved) and single punctuation characters, each with the
// line it starts on. Comments and preprocessor lines (# first on a line) are
// skipped: the constants idlgen needs are its own, and widl reads the
// imported files on Windows.

#include <stdexcept>
#include <string>

namespace idlgen {

// Every failure of idlgen. Where the place is known the message starts with
// it: "<file>:<line>: " from the lexer and parser, "line <n>: " from the
// writers, which no longer know the file.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Token {
  enum Kind { identifier, number, string, punct, end } kind = end;
  std::string text;  // the identifier, the number as written, the string's content, the character
  long long value = 0;
  int line = 0;
};

class Lexer {
 public:
  Lexer(std::string source, std::string file) : src_(std::move(source)), file_(std::move(file)) {}

  const Token& Peek();
  Token Next();
  // The raw text up to the closing parenthesis, trimmed: the arguments of
  // uuid(...) and version(...), which are not tokens of the language.
  std::string RawUntilParen();
  // An error at the line of the token about to be read.
  Error Failure(const std::string& what) const;

 private:
  Token Scan();
  Token Number();
  Token String();
  void SkipSpace();
  bool AtLineStart() const;

  std::string src_;
  std::string file_;
  std::size_t pos_ = 0;
  int line_ = 1;
  Token next_;
  bool peeked_ = false;
};

}  // namespace idlgen
