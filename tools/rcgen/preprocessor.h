#pragma once
// The preprocessor subset of resource scripts: #include "file" (resource
// scripts and headers of #defines, looked for beside the file that includes
// them; <system> headers are skipped, their constants are built in),
// #define and #undef (a macro's text is read as an expression where its name
// is used), #ifdef, #ifndef, #else, #endif, and #pragma code_page, which
// must say 65001: the scripts are UTF-8. A backslash at the end of a line
// joins the next one to it.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "rcgen/tokens.h"

namespace rcgen {

using Defines = std::map<std::string, std::string>;  // name -> its text

class Preprocessor {
 public:
  // Reads the script at `path` and what it includes, appending their tokens.
  // `includedFrom` is the line of the #include naming `path`, for the message
  // when it cannot be read.
  void Run(const std::string& path, const std::string& includedFrom = "");

  const std::vector<Token>& Tokens() const { return tokeniser_.tokens; }
  const Defines& Macros() const { return defines_; }
  // Every file read, for the dependency list.
  const std::set<std::string>& Files() const { return files_; }

 private:
  void Directive(std::string text, const std::string& where, const std::string& path, std::vector<bool>& active);

  Tokeniser tokeniser_;
  Defines defines_;
  std::set<std::string> files_;
};

}  // namespace rcgen
