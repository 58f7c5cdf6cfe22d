#include "idlgen/lexer.h"

#include <cctype>

namespace idlgen {

const Token& Lexer::Peek() {
  if (!peeked_) {
    next_ = Scan();
    peeked_ = true;
  }
  return next_;
}

Token Lexer::Next() {
  Token t = Peek();
  peeked_ = false;
  return t;
}

std::string Lexer::RawUntilParen() {
  if (peeked_) throw Failure("internal: raw text after a peeked token");
  std::size_t close = src_.find(')', pos_);
  if (close == std::string::npos) throw Failure("missing )");
  std::string raw = src_.substr(pos_, close - pos_);
  for (char c : raw)
    if (c == '\n') ++line_;
  pos_ = close;
  raw.erase(0, raw.find_first_not_of(" \t\r\n"));
  raw.erase(raw.find_last_not_of(" \t\r\n") + 1);
  return raw;
}

Error Lexer::Failure(const std::string& what) const {
  return Error(file_ + ":" + std::to_string(peeked_ ? next_.line : line_) + ": " + what);
}

Token Lexer::Scan() {
  SkipSpace();
  if (pos_ >= src_.size()) {
    Token t;
    t.line = line_;
    return t;
  }
  char c = src_[pos_];
  if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
    Token t;
    t.line = line_;
    std::size_t start = pos_;
    while (pos_ < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_')) ++pos_;
    t.kind = Token::identifier;
    t.text = src_.substr(start, pos_ - start);
    return t;
  }
  if (std::isdigit(static_cast<unsigned char>(c))) return Number();
  if (c == '"') return String();
  Token t;
  t.line = line_;
  t.kind = Token::punct;
  t.text = std::string(1, c);
  ++pos_;
  return t;
}

// Decimal, 0x hexadecimal or 0 octal, with the C suffixes L and U ignored.
Token Lexer::Number() {
  Token t;
  t.line = line_;
  std::size_t start = pos_;
  while (pos_ < src_.size() && std::isalnum(static_cast<unsigned char>(src_[pos_]))) ++pos_;
  t.kind = Token::number;
  t.text = src_.substr(start, pos_ - start);
  std::string digits = t.text;
  while (!digits.empty() &&
         (digits.back() == 'L' || digits.back() == 'l' || digits.back() == 'U' || digits.back() == 'u'))
    digits.pop_back();
  try {
    std::size_t used = 0;
    t.value = std::stoll(digits, &used, 0);
    if (used != digits.size()) throw Failure("bad number " + t.text);
  } catch (const std::logic_error&) {
    throw Failure("bad number " + t.text);
  }
  return t;
}

// A string stays on one line; \n and \t are the control characters, and a
// backslash before any other character stands for that character.
Token Lexer::String() {
  Token t;
  t.line = line_;
  ++pos_;
  t.kind = Token::string;
  while (pos_ < src_.size() && src_[pos_] != '"') {
    if (src_[pos_] == '\n') throw Failure("newline in a string");
    if (src_[pos_] == '\\' && pos_ + 1 < src_.size()) {
      char e = src_[++pos_];
      t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    } else {
      t.text += src_[pos_];
    }
    ++pos_;
  }
  if (pos_ >= src_.size()) throw Failure("unterminated string");
  ++pos_;
  return t;
}

void Lexer::SkipSpace() {
  while (pos_ < src_.size()) {
    char c = src_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++pos_;
    } else if (src_.compare(pos_, 2, "//") == 0 || (c == '#' && AtLineStart())) {
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
    } else if (src_.compare(pos_, 2, "/*") == 0) {
      std::size_t close = src_.find("*/", pos_ + 2);
      if (close == std::string::npos) throw Failure("unterminated comment");
      for (std::size_t i = pos_; i < close; ++i)
        if (src_[i] == '\n') ++line_;
      pos_ = close + 2;
    } else {
      break;
    }
  }
}

bool Lexer::AtLineStart() const {
  for (std::size_t i = pos_; i > 0; --i) {
    char p = src_[i - 1];
    if (p == '\n') return true;
    if (p != ' ' && p != '\t') return false;
  }
  return true;
}

}  // namespace idlgen
