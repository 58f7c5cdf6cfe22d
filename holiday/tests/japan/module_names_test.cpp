// The VBA/VBScript modules that ship beside dovrel60 against the names of
// its type library. VBA and VBScript do not tell letter case apart, so a
// module that defines DvWorkday beside the library's constant dvWorkday
// gives one name two meanings in a project that imports the module and
// references the library (or, in a script, defines the constants); under
// Wine's script host such a script stopped without a word.
//
// Every name a module defines at its own level counts -- procedures,
// variables, constants, types, enumerations and their members, Private
// ones too: a script host reads the module as part of the script, where
// they all share one scope. The library's names are read from the IDL that
// the type library is compiled from, by the same parser.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/utf.h"
#include "idlgen/parser.h"
#include "tool_support/files.h"

namespace {

struct ModuleName {
  std::string name;
  int line;
};

std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The statements of a module, with the line each begins on: continuation
// lines joined, comments and string literals blanked, ":" separating
// statements.
std::vector<std::pair<std::string, int>> Statements(const std::string& text) {
  std::vector<std::pair<std::string, int>> statements;
  std::istringstream lines(text);
  std::string line, pending;
  int number = 0, startedAt = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string code;
    bool inString = false;
    for (char c : line) {
      if (c == '"') inString = !inString;
      else if (!inString && c == '\'') break;
      code += inString ? ' ' : c;
    }
    if (pending.empty()) startedAt = number;
    if (code.size() >= 2 && code.compare(code.size() - 2, 2, " _") == 0) {
      pending += code.substr(0, code.size() - 1);
      continue;
    }
    std::istringstream parts(pending + code);
    pending.clear();
    for (std::string part; std::getline(parts, part, ':');) statements.emplace_back(part, startedAt);
  }
  return statements;
}

// The names a module defines at module level.
std::vector<ModuleName> ModuleLevelNames(const std::string& text) {
  static const std::regex procedure(
      R"(^\s*(?:(?:Public|Private|Friend|Global)\s+)?(?:Static\s+)?(?:Function|Sub|Property\s+(?:Get|Let|Set))\s+(\w+).*)",
      std::regex::icase);
  static const std::regex declared(
      R"(^\s*(?:Public|Private)?\s*Declare\s+(?:PtrSafe\s+)?(?:Function|Sub)\s+(\w+).*)", std::regex::icase);
  static const std::regex block(R"(^\s*(?:(?:Public|Private)\s+)?(Type|Enum)\s+(\w+)\s*$)", std::regex::icase);
  static const std::regex blockEnd(R"(^\s*End\s+(Function|Sub|Property|Type|Enum)\b.*)", std::regex::icase);
  static const std::regex variables(R"(^\s*(?:(?:Public|Private|Global|Dim)\s+(?:Const\s+)?|Const\s+)(.*))",
                                    std::regex::icase);
  static const std::regex item(R"(^\s*(?:WithEvents\s+)?(\w+))", std::regex::icase);
  static const std::regex member(R"(^\s*(\w+).*)");
  std::vector<ModuleName> names;
  std::string inside;  // the block the statement lies in: "", Function, Sub, Property, Type, Enum
  for (const auto& [statement, line] : Statements(text)) {
    std::smatch m;
    if (std::regex_match(statement, m, blockEnd)) {
      inside.clear();
    } else if (!inside.empty()) {
      if (Folded(inside) == "enum" && std::regex_match(statement, m, member)) names.push_back({m[1], line});
    } else if (std::regex_match(statement, m, procedure)) {
      names.push_back({m[1], line});
      inside = "procedure";
    } else if (std::regex_match(statement, m, declared)) {
      names.push_back({m[1], line});
    } else if (std::regex_match(statement, m, block)) {
      names.push_back({m[2], line});
      inside = m[1];
    } else if (std::regex_match(statement, m, variables)) {
      // A list: "a, b(3) As Long" or "A = 1, B = 2"; commas inside
      // parentheses belong to an item.
      std::string items = m[1];
      int depth = 0;
      std::string current;
      for (char c : items + ",") {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) {
          if (std::smatch n; std::regex_search(current, n, item)) names.push_back({n[1], line});
          current.clear();
        } else {
          current += c;
        }
      }
    }
  }
  return names;
}

// Every name of the type library described by an IDL text, each with what
// it is, keyed by its folded form.
std::map<std::string, std::string> TypeLibraryNames(const std::string& idl) {
  const idlgen::Description description = idlgen::Parse(idl, "dovrel60.idl");
  std::map<std::string, std::string> names;
  auto add = [&names](const std::string& name, const std::string& what) { names.emplace(Folded(name), what); };
  for (const auto& [name, e] : description.enums) {
    add(name, "the enumeration " + name);
    for (const idlgen::Enumerator& value : e.values) add(value.name, "the constant " + value.name + " of " + name);
  }
  for (const auto& [name, i] : description.interfaces) {
    add(name, "the interface " + name);
    for (const idlgen::Member& m : i.members) add(m.name, "the member " + m.name + " of " + name);
  }
  if (description.library) {
    add(description.library->name, "the library " + description.library->name);
    for (const idlgen::Coclass& c : description.library->coclasses) add(c.name, "the class " + c.name);
  }
  return names;
}

// One line per name of the module that is a name of the library.
std::vector<std::string> Clashes(const std::string& moduleText, const std::string& moduleFile,
                                 const std::map<std::string, std::string>& library) {
  std::vector<std::string> clashes;
  for (const ModuleName& n : ModuleLevelNames(moduleText))
    if (auto found = library.find(Folded(n.name)); found != library.end())
      clashes.push_back(moduleFile + ":" + std::to_string(n.line) + ": " + n.name + " is " + found->second);
  return clashes;
}

std::string ModuleText(const char* path) {
  return common::Utf16ToUtf8Lossy(common::cp932::Decode(tool_support::ReadFile(path)));
}

TEST(ModuleNames, NoNameOfTheShippedModulesIsANameOfTheTypeLibrary) {
  const auto library = TypeLibraryNames(tool_support::ReadFile(DOVREL_IDL));
  ASSERT_GT(library.size(), 60u);  // the IDL was read
  for (const char* path : {DOVREL_JAPANESE_HOLIDAYS_MODULE, DOVREL_FUNCTIONS_MODULE}) {
    const std::string text = ModuleText(path);
    EXPECT_GT(ModuleLevelNames(text).size(), 3u) << path;
    for (const std::string& clash : Clashes(text, path, library)) ADD_FAILURE() << clash;
  }
}

// What the check must catch: a name in another letter case, at any kind of
// definition of the module's level, Private too; and what it must leave:
// local names, which shadow the library's only inside their procedure.
TEST(ModuleNames, ANameInAnyLetterCaseAndAnyDefinitionIsFound) {
  const auto library = TypeLibraryNames(tool_support::ReadFile(DOVREL_IDL));
  const std::string module =
      "Private DVNAVHOLIDAY, spare(2) ' a variable\r\n"
      "Public Const Helpful = 1, dv1STWEEK = 2\r\n"
      "Public Function dvworkday(a, _\r\n"
      "    Optional b)\r\n"
      "    Dim NextDay: NextDay = \"dvHoliday: Value\"\r\n"
      "End Function\r\n"
      "Private Sub Helper(): Dim Count: End Sub\r\n"
      "Public Enum Kinds\r\n"
      "    Idovrel = 1\r\n"
      "End Enum\r\n"
      "Private Type Cell\r\n"
      "    Value As Long\r\n"
      "End Type\r\n";
  EXPECT_EQ(Clashes(module, "m.bas", library),
            (std::vector<std::string>{"m.bas:1: DVNAVHOLIDAY is the constant dvNavHoliday of dvDayNavConst",
                                      "m.bas:2: dv1STWEEK is the constant dv1stWeek of dvWeekRestsConst",
                                      "m.bas:3: dvworkday is the constant dvWorkday of dvDateTypeConst",
                                      "m.bas:9: Idovrel is the interface IDovrel"}));
}

}  // namespace
