#pragma once
// A cursor over the tokens of a script, with what every statement needs:
// BEGIN/END (or braces), punctuation, and integer expressions of numbers,
// macros and the platform's constants joined by |, + and -, with unary -
// and ~ and parentheses.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "rcgen/preprocessor.h"
#include "rcgen/tokens.h"

namespace rcgen {

class TokenReader {
 public:
  TokenReader(const std::vector<Token>& tokens, const Defines& defines) : t_(tokens), defines_(defines) {}

  bool AtEnd() const { return pos_ >= t_.size(); }
  // Both fail at the end of the tokens.
  const Token& Peek() const;
  const Token& Next();
  bool IsWord(const char* word) const;
  bool IsPunct(const char* p) const;
  // Fails unless the next token is `p`.
  void Expect(const char* p);
  // True, and past it, when the next token opens (closes) a block.
  bool Begin();
  bool End();

  long long Expression();
  // A number, a macro or constant, or a parenthesised expression, with any
  // unary operators before it.
  long long Primary();
  // The value of `name` as a platform constant or a macro whose text is an
  // expression; nothing otherwise (a resource named by a word that is no
  // macro keeps the word as its name).
  std::optional<long long> Macro(const std::string& name);
  // A quoted text as UTF-16.
  std::u16string Text(const std::string& where);

 private:
  TokenReader(const std::vector<Token>& tokens, const Defines& defines, int depth)
      : t_(tokens), defines_(defines), depth_(depth) {}

  const std::vector<Token>& t_;
  const Defines& defines_;
  std::size_t pos_ = 0;
  int depth_ = 0;  // macros within macros, up to a limit that stops a macro naming itself
};

}  // namespace rcgen
