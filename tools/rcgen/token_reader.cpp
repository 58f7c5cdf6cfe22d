#include "rcgen/token_reader.h"

#include "rcgen/text.h"
#include "rcgen/windows_constants.h"

namespace rcgen {

const Token& TokenReader::Peek() const {
  if (pos_ >= t_.size()) throw Error("unexpected end of the resource script");
  return t_[pos_];
}

const Token& TokenReader::Next() {
  const Token& t = Peek();
  ++pos_;
  return t;
}

bool TokenReader::IsWord(const char* word) const {
  return pos_ < t_.size() && t_[pos_].kind == Token::identifier && t_[pos_].text == word;
}

bool TokenReader::IsPunct(const char* p) const {
  return pos_ < t_.size() && t_[pos_].kind == Token::punct && t_[pos_].text == p;
}

void TokenReader::Expect(const char* p) {
  if (!IsPunct(p)) throw Error(Peek().where + ": expected '" + p + "'");
  ++pos_;
}

bool TokenReader::Begin() {
  if (IsWord("BEGIN") || IsPunct("{")) {
    ++pos_;
    return true;
  }
  return false;
}

bool TokenReader::End() {
  if (IsWord("END") || IsPunct("}")) {
    ++pos_;
    return true;
  }
  return false;
}

long long TokenReader::Expression() {
  long long value = Primary();
  while (IsPunct("|") || IsPunct("+") || IsPunct("-")) {
    std::string op = Next().text;
    long long rhs = Primary();
    value = op == "|" ? (value | rhs) : op == "+" ? value + rhs : value - rhs;
  }
  return value;
}

long long TokenReader::Primary() {
  const Token& t = Next();
  if (t.kind == Token::number) return t.value;
  if (t.kind == Token::punct && t.text == "(") {
    long long v = Expression();
    Expect(")");
    return v;
  }
  if (t.kind == Token::punct && t.text == "~") return ~Primary();
  if (t.kind == Token::punct && t.text == "-") return -Primary();
  if (t.kind == Token::identifier)
    if (auto v = Macro(t.text)) return *v;
  throw Error(t.where + ": expected a number, found '" + t.text + "'");
}

std::optional<long long> TokenReader::Macro(const std::string& name) {
  if (auto constant = WindowsConstant(name)) return constant;
  auto d = defines_.find(name);
  if (d == defines_.end() || depth_ > 32) return std::nullopt;
  // The macro's text is an expression of its own, which must be read whole.
  try {
    Tokeniser tokeniser;
    tokeniser.utf8 = true;
    tokeniser.Line(d->second, "#define " + name);
    if (tokeniser.tokens.empty()) return std::nullopt;
    TokenReader inner(tokeniser.tokens, defines_, depth_ + 1);
    long long value = inner.Expression();
    if (!inner.AtEnd()) return std::nullopt;
    return value;
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::u16string TokenReader::Text(const std::string& where) {
  const Token& t = Next();
  if (t.kind != Token::string) throw Error(where + ": expected a quoted text");
  return Utf16Of(t.text, t.where);
}

}  // namespace rcgen
