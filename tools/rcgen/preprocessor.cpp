#include "rcgen/preprocessor.h"

#include <sstream>

#include "tool_support/files.h"

namespace rcgen {

void Preprocessor::Run(const std::string& path, const std::string& includedFrom) {
  files_.insert(path);
  std::string text;
  try {
    text = tool_support::ReadFile(path);
  } catch (const std::exception& e) {
    if (includedFrom.empty()) throw;
    throw Error(includedFrom + ": " + e.what());
  }
  std::istringstream in(text);
  std::string line;
  int number = 0;
  std::vector<bool> active{true};  // one entry per open #if, and the file itself
  while (std::getline(in, line)) {
    ++number;
    std::string where = path + ":" + std::to_string(number);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string more;
    while (!line.empty() && line.back() == '\\' && std::getline(in, more)) {
      line.pop_back();
      line += more;
      ++number;
    }
    std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '#') {
      Directive(line.substr(first + 1), where, path, active);
      continue;
    }
    if (active.back()) tokeniser_.Line(line, where);
  }
  if (active.size() != 1) throw Error(path + ": #if without #endif");
  if (tokeniser_.InComment()) throw Error(path + ": unterminated comment");
}

void Preprocessor::Directive(std::string text, const std::string& where, const std::string& path,
                             std::vector<bool>& active) {
  if (auto comment = text.find("//"); comment != std::string::npos) text.erase(comment);
  std::istringstream words(text);
  std::string word;
  words >> word;
  if (word == "ifdef" || word == "ifndef") {
    std::string name;
    words >> name;
    bool defined = defines_.count(name) > 0;
    active.push_back(active.back() && (word == "ifdef" ? defined : !defined));
  } else if (word == "else") {
    if (active.size() < 2) throw Error(where + ": #else without #if");
    bool outer = active[active.size() - 2];
    active.back() = outer && !active.back();
  } else if (word == "endif") {
    if (active.size() < 2) throw Error(where + ": #endif without #if");
    active.pop_back();
  } else if (!active.back()) {
    return;
  } else if (word == "define") {
    std::string name, rest;
    words >> name;
    std::getline(words, rest);
    defines_[name] = rest;
  } else if (word == "undef") {
    std::string name;
    words >> name;
    defines_.erase(name);
  } else if (word == "include") {
    std::string target;
    std::getline(words, target);
    std::size_t start = target.find_first_not_of(" \t");
    if (start == std::string::npos) throw Error(where + ": bad #include");
    target.erase(0, start);
    if (target[0] == '<') return;  // system headers: their constants are built in
    if (target[0] != '"' || target.find('"', 1) == std::string::npos) throw Error(where + ": bad #include");
    std::string file = target.substr(1, target.find('"', 1) - 1);
    Run(file[0] == '/' ? file : tool_support::DirectoryOf(path) + "/" + file, where);
  } else if (word == "pragma") {
    std::string rest;
    std::getline(words, rest);
    if (rest.find("code_page") != std::string::npos) {
      if (rest.find("65001") == std::string::npos)
        throw Error(where + ": resource scripts are UTF-8: use #pragma code_page(65001)");
      tokeniser_.utf8 = true;
    }
  } else if (word.empty()) {
    return;
  } else {
    throw Error(where + ": #" + word + " is not supported");
  }
}

}  // namespace rcgen
