#include "rcgen/script.h"

#include <utility>

#include "rcgen/dialog.h"
#include "rcgen/file_resource.h"
#include "rcgen/preprocessor.h"
#include "rcgen/text.h"
#include "rcgen/token_reader.h"
#include "rcgen/version_info.h"

namespace rcgen {
namespace {

class ScriptReader {
 public:
  ScriptReader(const Preprocessor& pp, const std::vector<std::string>& includeDirs, Script& script)
      : in_(pp.Tokens(), pp.Macros()), includeDirs_(includeDirs), script_(script) {}

  void Read() {
    while (!in_.AtEnd()) {
      if (in_.IsWord("LANGUAGE")) {
        in_.Next();
        in_.Expression();
        in_.Expect(",");
        in_.Expression();
      } else if (in_.IsWord("STRINGTABLE")) {
        in_.Next();
        StringTable();
      } else {
        Named();
      }
    }
  }

 private:
  // Entries "id [,] text"; the texts are kept in code page 932, the form in
  // which LoadStringA hands them out on a Japanese system.
  void StringTable() {
    while (!in_.Begin()) in_.Next();  // memory options and LANGUAGE of the table
    while (!in_.End()) {
      std::string where = in_.Peek().where;
      long long id = in_.Expression();
      if (in_.IsPunct(",")) in_.Next();
      const Token& text = in_.Next();
      if (text.kind != Token::string) throw Error(where + ": expected the string of entry " + std::to_string(id));
      if (id < 0 || id > 0xFFFF) throw Error(where + ": string id out of range");
      if (script_.strings.count(static_cast<int>(id))) throw Error(where + ": string " + std::to_string(id) + " twice");
      script_.strings[static_cast<int>(id)] = Cp932Of(text.text, where);
    }
  }

  // A name is a number, a macro naming one, or else a word or text, kept in
  // upper case as the platform finds names without regard to case.
  void Named() {
    Resource r;
    const Token& name = in_.Next();
    std::string where = name.where;
    if (name.kind == Token::number) {
      r.nameId = static_cast<int>(name.value);
    } else if (name.kind == Token::identifier) {
      if (auto v = in_.Macro(name.text))
        r.nameId = static_cast<int>(*v);
      else
        r.name = Upper(name.text);
    } else if (name.kind == Token::string) {
      r.name = Upper(name.text);
    } else {
      throw Error(where + ": expected a resource name");
    }
    const Token& type = in_.Next();
    if (type.kind == Token::identifier && type.text == "VERSIONINFO") {
      r.typeId = kRtVersion;
      r.data = EncodeVersionInfo(ReadVersionInfo(in_));
    } else if (type.kind == Token::identifier && type.text == "DIALOGEX") {
      r.typeId = kRtDialog;
      r.data = EncodeDialog(ReadDialogEx(in_), where);
    } else {
      static const std::set<std::string> unsupported = {"DIALOG", "MENU",         "MENUEX", "ICON",
                                                        "CURSOR", "ACCELERATORS", "FONT",   "HTML"};
      if (type.kind == Token::identifier && unsupported.count(type.text))
        throw Error(where + ": " + type.text + " resources are not supported by rcgen yet");
      if (type.kind == Token::number) {
        r.typeId = static_cast<int>(type.value);
      } else if (type.kind == Token::identifier && type.text == "BITMAP") {
        r.typeId = kRtBitmap;
      } else if (type.kind == Token::identifier && type.text == "RCDATA") {
        r.typeId = kRtRcdata;
      } else if (type.kind == Token::identifier || type.kind == Token::string) {
        r.type = Upper(type.text);
      } else {
        throw Error(where + ": expected a resource type");
      }
      while (in_.IsWord("PRELOAD") || in_.IsWord("LOADONCALL") || in_.IsWord("MOVEABLE") || in_.IsWord("FIXED") ||
             in_.IsWord("PURE") || in_.IsWord("IMPURE") || in_.IsWord("DISCARDABLE"))
        in_.Next();
      const Token& file = in_.Next();
      if (file.kind != Token::string) throw Error(where + ": expected the file of the resource");
      r.data = FileResourceData(file.text, r.typeId == kRtBitmap, where, includeDirs_, script_.files);
    }
    script_.resources.push_back(std::move(r));
  }

  TokenReader in_;
  const std::vector<std::string>& includeDirs_;
  Script& script_;
};

}  // namespace

Script ReadScript(const std::string& path, const std::vector<std::string>& includeDirs) {
  Preprocessor pp;
  pp.Run(path);
  Script script;
  script.files = pp.Files();
  ScriptReader(pp, includeDirs, script).Read();
  return script;
}

}  // namespace rcgen
