#include "idlgen/parser.h"

#include <utility>

namespace idlgen {
namespace {

class Parser {
 public:
  Parser(Lexer& lex, Description& d) : lex_(lex), d_(d) {}

  void Parse() {
    while (lex_.Peek().kind != Token::end) {
      std::vector<Attribute> attrs;
      if (IsPunct("[")) attrs = Attributes();
      Token word = lex_.Next();
      if (word.kind != Token::identifier) throw lex_.Failure("unexpected " + word.text);
      if (word.text == "import") {
        Expect(Token::string);
        ExpectPunct(";");
      } else if (word.text == "typedef") {
        Typedef();
      } else if (word.text == "interface") {
        InterfaceDefinition(std::move(attrs));
      } else if (word.text == "library") {
        LibraryDefinition(std::move(attrs));
      } else if (word.text == "cpp_quote") {
        ExpectPunct("(");
        Expect(Token::string);
        ExpectPunct(")");
      } else {
        throw lex_.Failure(word.text + " is not understood by idlgen");
      }
    }
  }

 private:
  bool IsPunct(const char* p) { return lex_.Peek().kind == Token::punct && lex_.Peek().text == p; }
  bool IsWord(const char* w) { return lex_.Peek().kind == Token::identifier && lex_.Peek().text == w; }
  void ExpectPunct(const char* p) {
    Token t = lex_.Next();
    if (t.kind != Token::punct || t.text != p) throw lex_.Failure(std::string("expected ") + p + ", found " + t.text);
  }
  Token Expect(Token::Kind kind) {
    Token t = lex_.Next();
    if (t.kind != kind) throw lex_.Failure("unexpected " + (t.text.empty() ? std::string("end of file") : t.text));
    return t;
  }
  std::string Identifier() { return Expect(Token::identifier).text; }
  // The } of a block and the ; that may follow it.
  void CloseBlock() {
    ExpectPunct("}");
    if (IsPunct(";")) lex_.Next();
  }

  std::vector<Attribute> Attributes() {
    std::vector<Attribute> attrs;
    ExpectPunct("[");
    while (true) {
      Attribute a;
      a.name = Identifier();
      if (IsPunct("(")) {
        lex_.Next();
        if (a.name == "uuid" || a.name == "version") {
          Token raw;
          raw.kind = Token::string;
          raw.text = lex_.RawUntilParen();
          a.args.push_back(raw);
        } else {
          int depth = 0;
          while (!(IsPunct(")") && depth == 0)) {
            Token t = lex_.Next();
            if (t.kind == Token::end) throw lex_.Failure("unterminated attribute " + a.name);
            if (t.kind == Token::punct && t.text == "(") ++depth;
            if (t.kind == Token::punct && t.text == ")") --depth;
            a.args.push_back(t);
          }
        }
        ExpectPunct(")");
      }
      attrs.push_back(std::move(a));
      if (IsPunct("]")) break;
      ExpectPunct(",");
    }
    ExpectPunct("]");
    return attrs;
  }

  void Typedef() {
    if (IsPunct("[")) Attributes();  // attributes of the typedef itself: none matter here
    if (!IsWord("enum")) throw lex_.Failure("only typedef enum is understood by idlgen");
    lex_.Next();
    Enum e;
    if (lex_.Peek().kind == Token::identifier) e.name = Identifier();
    ExpectPunct("{");
    long long next = 0;
    while (!IsPunct("}")) {
      Enumerator v;
      v.name = Identifier();
      if (IsPunct("=")) {
        lex_.Next();
        next = Expression();
      }
      v.value = next++;
      d_.constants[v.name] = v.value;
      e.values.push_back(v);
      if (IsPunct(",")) lex_.Next();
    }
    ExpectPunct("}");
    std::string alias = Identifier();
    ExpectPunct(";");
    if (!e.name.empty() && e.name != alias) throw lex_.Failure("enum " + e.name + " typedef'd as " + alias);
    e.name = alias;
    d_.enums[alias] = std::move(e);
  }

  // The value of an enumerator: terms joined by | and +.
  long long Expression() {
    long long v = Term();
    while (IsPunct("|") || IsPunct("+")) {
      bool isOr = lex_.Next().text == "|";
      long long r = Term();
      v = isOr ? (v | r) : (v + r);
    }
    return v;
  }
  long long Term() {
    Token t = lex_.Next();
    if (t.kind == Token::punct && t.text == "-") return -Term();
    if (t.kind == Token::punct && t.text == "(") {
      long long v = Expression();
      ExpectPunct(")");
      return v;
    }
    if (t.kind == Token::number) return t.value;
    if (t.kind == Token::identifier) {
      if (std::optional<long long> v = ConstantOf(t.text, d_)) return *v;
      throw lex_.Failure("unknown constant " + t.text);
    }
    throw lex_.Failure("expected a value, found " + t.text);
  }

  WrittenType Type() {
    WrittenType t;
    if (IsWord("const")) lex_.Next();
    t.base = Identifier();
    if (t.base == "unsigned" || t.base == "signed") {
      t.base += ' ';
      t.base += Identifier();
    }
    while (IsPunct("*")) {
      lex_.Next();
      ++t.pointers;
    }
    return t;
  }

  void InterfaceDefinition(std::vector<Attribute> attrs) {
    std::string name = Identifier();
    if (IsPunct(";")) {  // a forward declaration
      lex_.Next();
      return;
    }
    Interface i;
    i.name = name;
    i.attrs = std::move(attrs);
    ExpectPunct(":");
    i.base = Identifier();
    ExpectPunct("{");
    while (!IsPunct("}")) {
      Member m;
      m.line = lex_.Peek().line;
      if (IsPunct("[")) m.attrs = Attributes();
      m.result = Type();
      m.name = Identifier();
      ExpectPunct("(");
      if (IsWord("void")) {
        lex_.Next();
      } else {
        while (!IsPunct(")")) {
          Param p;
          if (IsPunct("[")) p.attrs = Attributes();
          p.type = Type();
          p.name = Identifier();
          m.params.push_back(std::move(p));
          if (IsPunct(",")) lex_.Next();
        }
      }
      ExpectPunct(")");
      ExpectPunct(";");
      i.members.push_back(std::move(m));
    }
    CloseBlock();
    d_.interfaces[i.name] = std::move(i);
  }

  void LibraryDefinition(std::vector<Attribute> attrs) {
    Library lib;
    lib.name = Identifier();
    lib.attrs = std::move(attrs);
    ExpectPunct("{");
    while (!IsPunct("}")) {
      std::vector<Attribute> itemAttrs;
      if (IsPunct("[")) itemAttrs = Attributes();
      std::string word = Identifier();
      if (word == "importlib") {
        ExpectPunct("(");
        Expect(Token::string);
        ExpectPunct(")");
        ExpectPunct(";");
      } else if (word == "coclass") {
        lib.coclasses.push_back(CoclassDefinition(std::move(itemAttrs)));
      } else {
        throw lex_.Failure(word + " inside the library block is not understood by idlgen");
      }
    }
    CloseBlock();
    if (d_.library) throw lex_.Failure("a second library");
    d_.library = std::move(lib);
  }

  Coclass CoclassDefinition(std::vector<Attribute> attrs) {
    Coclass c;
    c.name = Identifier();
    c.attrs = std::move(attrs);
    ExpectPunct("{");
    while (!IsPunct("}")) {
      CoclassEntry entry;
      if (IsPunct("[")) entry.attrs = Attributes();
      std::string kind = Identifier();
      if (kind != "interface") throw lex_.Failure("a coclass lists interfaces, found " + kind);
      entry.interface = Identifier();
      ExpectPunct(";");
      c.interfaces.push_back(std::move(entry));
    }
    CloseBlock();
    return c;
  }

  Lexer& lex_;
  Description& d_;
};

}  // namespace

Description Parse(std::string source, std::string file) {
  Description d;
  Lexer lex(std::move(source), std::move(file));
  Parser(lex, d).Parse();
  return d;
}

}  // namespace idlgen
