#include "idlgen/reference_writer.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "idlgen/library_types.h"
#include "idlgen/lexer.h"

namespace idlgen {
namespace {

// --- The notes ----------------------------------------------------------------------

struct Note {
  std::string text;  // paragraphs, as written
  std::vector<std::string> errors, examples;
  bool used = false;
};

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::map<std::string, Note> ParseNotes(const std::string& notes, const std::string& file) {
  std::map<std::string, Note> entries;
  Note* current = nullptr;
  std::istringstream in(notes);
  std::string raw;
  for (int line = 1; std::getline(in, raw); ++line) {
    const std::string text = Trimmed(raw);
    if (!text.empty() && text[0] == '#') continue;
    if (!text.empty() && text[0] == '[' && text.back() == ']') {
      const std::string key = text.substr(1, text.size() - 2);
      if (!entries.emplace(key, Note{}).second)
        throw Error(file + ":" + std::to_string(line) + ": [" + key + "] is described twice");
      current = &entries[key];
      continue;
    }
    if (!current) {
      if (text.empty()) continue;
      throw Error(file + ":" + std::to_string(line) + ": text before the first [entry]");
    }
    if (text.rfind("errors:", 0) == 0) {
      current->errors.push_back(Trimmed(text.substr(7)));
    } else if (text.rfind("example:", 0) == 0) {
      current->examples.push_back(Trimmed(text.substr(8)));
    } else if (text.empty()) {
      if (!current->text.empty() && current->text.back() != '\n') current->text += "\n\n";
    } else {
      if (!current->text.empty() && current->text.back() != '\n') current->text += ' ';
      current->text += text;
    }
  }
  for (auto& [key, note] : entries)
    while (!note.text.empty() && note.text.back() == '\n') note.text.pop_back();
  return entries;
}

// --- Types and arguments ----------------------------------------------------------

// The name a VBA or VBScript programmer knows a type by.
std::string TypeName(const WrittenType& t) {
  static const std::map<std::string, std::string> names = {
      {"long", "Long"},       {"LONG", "Long"},          {"short", "Integer"},  {"SHORT", "Integer"},
      {"BSTR", "String"},     {"VARIANT", "Variant"},    {"VARIANT_BOOL", "Boolean"},
      {"double", "Double"},   {"DATE", "Date"},          {"IDispatch", "Object"}};
  if (auto it = names.find(t.base); it != names.end()) return it->second;
  return t.base;  // OLE_COLOR, IUnknown, an enumeration or an interface of the library
}

bool IsRetval(const Param& p) { return Has(p.attrs, "retval"); }

std::string DefaultOf(const Param& p, const Description& d) {
  const Attribute* a = Find(p.attrs, "defaultvalue");
  if (!a) return {};
  const std::string value = std::to_string(ValueOf(*a, d));
  if (a->args.size() == 1 && a->args[0].kind == Token::identifier) return a->args[0].text + " (" + value + ")";
  return value;
}

bool IsOptional(const Param& p) { return Has(p.attrs, "optional") || Has(p.attrs, "defaultvalue"); }

// "Date As Variant", in brackets when optional, "= default" when it has one.
std::string ArgumentText(const Param& p) {
  std::string text = p.name + " As " + TypeName(p.type);
  if (const Attribute* a = Find(p.attrs, "defaultvalue"); a && a->args.size() == 1) text += " = " + a->args[0].text;
  return IsOptional(p) ? "[" + text + "]" : text;
}

std::string Direction(const Param& p) {
  const bool in = Has(p.attrs, "in"), out = Has(p.attrs, "out");
  return in && out ? "in and out" : out ? "out" : "";
}

// --- Members --------------------------------------------------------------------

// One name of an interface: a method, or a property with its accessors.
struct Entry {
  std::string name;
  std::vector<const Member*> accessors;  // in the order of the IDL
};

std::vector<Entry> EntriesOf(const Interface& i) {
  std::vector<Entry> entries;
  for (const Member& m : i.members) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == m.name; });
    if (it == entries.end()) it = entries.insert(entries.end(), Entry{m.name, {}});
    it->accessors.push_back(&m);
  }
  return entries;
}

bool IsProperty(const Member& m) { return Has(m.attrs, "propget") || Has(m.attrs, "propput") || Has(m.attrs, "propputref"); }

const Param* RetvalOf(const Member& m) {
  for (const Param& p : m.params)
    if (IsRetval(p)) return &p;
  return nullptr;
}

// The arguments a caller writes: all but the result, and for a put all but
// the value assigned.
std::vector<const Param*> CallerArguments(const Member& m) {
  std::vector<const Param*> args;
  for (const Param& p : m.params)
    if (!IsRetval(p)) args.push_back(&p);
  if ((Has(m.attrs, "propput") || Has(m.attrs, "propputref")) && !args.empty()) args.pop_back();
  return args;
}

std::string Signature(const Entry& e) {
  const Member& first = *e.accessors.front();
  std::string text = e.name;
  const std::vector<const Param*> args = CallerArguments(first);
  if (!args.empty() || !IsProperty(first)) {
    text += "(";
    for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + ArgumentText(*args[i]);
    text += ")";
  }
  const Member* getter = nullptr;
  for (const Member* m : e.accessors)
    if (!IsProperty(*m) || Has(m->attrs, "propget")) getter = m;
  if (getter)
    if (const Param* r = RetvalOf(*getter)) text += " As " + TypeName(r->type);
  return text;
}

std::string KindOf(const Entry& e) {
  const Member& first = *e.accessors.front();
  if (!IsProperty(first)) return "method";
  bool get = false, put = false, putref = false;
  for (const Member* m : e.accessors) {
    get |= Has(m->attrs, "propget");
    put |= Has(m->attrs, "propput");
    putref |= Has(m->attrs, "propputref");
  }
  std::string kind = get && (put || putref) ? "property, read and write" : get ? "property, read only" : "property, write only";
  if (putref) kind += put ? " (Let and Set)" : " (Set)";
  return kind;
}

bool IsHidden(const Member& m) { return Has(m.attrs, "hidden") || Has(m.attrs, "restricted"); }

std::string Flags(const Member& m) {
  std::string flags;
  if (Has(m.attrs, "hidden")) flags += ", hidden";
  if (Has(m.attrs, "restricted")) flags += ", restricted (not for scripts)";
  return flags;
}

std::string EntryAnchor(const std::string& interface, const std::string& member) {
  std::string anchor;
  for (char c : interface + member)
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') anchor += static_cast<char>(std::tolower(c));
  return anchor;
}

// A heading's anchor as Markdown renderers make it: lower case, blanks as
// hyphens, other punctuation left out.
std::string ChapterAnchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ' ') anchor += '-';
    else if (std::isalnum(byte) || c == '_' || c == '-' || byte >= 0x80) anchor += static_cast<char>(std::tolower(byte));
  }
  return anchor;
}

class Writer {
 public:
  Writer(const Description& d, std::map<std::string, Note> notes, std::string notesName)
      : d_(d), notes_(std::move(notes)), notesName_(std::move(notesName)) {}

  Note& NoteOf(const std::string& key) {
    auto it = notes_.find(key);
    if (it == notes_.end() || Trimmed(it->second.text).empty())
      throw Error(notesName_ + ": [" + key + "] is not described");
    it->second.used = true;
    return it->second;
  }

  void CheckAllUsed() {
    for (auto& [key, note] : notes_) {
      if (note.used) continue;
      // An enumerator's entry is optional, but its enumeration must have it.
      const auto dot = key.find('.');
      if (dot != std::string::npos && enumerators_.count(key)) continue;
      throw Error(notesName_ + ": [" + key + "] names nothing of the library");
    }
  }

  void Interface(std::ostream& out, const idlgen::Interface& i, const Coclass& c) {
    const Note& about = NoteOf(i.name);
    out << "## " << i.name << "\n\n";
    out << "The interface of the class `" << c.name << "`";
    if (Has(c.attrs, "noncreatable")) out << " (not created on its own: " << StringOf(Find(c.attrs, "helpstring")) << ")";
    else out << " (" << StringOf(Find(c.attrs, "helpstring")) << ", created by a host)";
    out << ". " << about.text << "\n\n";
    const std::vector<Entry> entries = EntriesOf(i);
    out << "| Member | Kind | Dispid |\n|---|---|---|\n";
    for (const Entry& e : entries)
      out << "| [`" << e.name << "`](#" << EntryAnchor(i.name, e.name) << ") | " << KindOf(e)
          << Flags(*e.accessors.front()) << " | " << ValueOf(*Find(e.accessors.front()->attrs, "id"), d_) << " |\n";
    out << "\n";
    for (const Entry& e : entries) Member(out, i, e);
  }

  void Member(std::ostream& out, const idlgen::Interface& i, const Entry& e) {
    const std::string key = i.name + "." + e.name;
    const Note& note = NoteOf(key);
    const idlgen::Member& first = *e.accessors.front();
    if (note.errors.empty()) throw Error(notesName_ + ": [" + key + "] has no errors: line");
    const bool query = !IsProperty(first) && RetvalOf(first) && !IsHidden(first);
    if (query && note.examples.empty()) throw Error(notesName_ + ": [" + key + "] has no example: line");

    out << "### " << i.name << "." << e.name << "\n\n";
    out << "`" << Signature(e) << "`\n\n";
    std::string kind = KindOf(e);
    kind[0] = static_cast<char>(std::toupper(kind[0]));
    out << kind << Flags(first) << ", dispid " << ValueOf(*Find(first.attrs, "id"), d_);
    if (const Attribute* context = Find(first.attrs, "helpcontext")) out << ", help context " << ValueOf(*context, d_);
    out << ".";
    if (const std::string help = StringOf(Find(first.attrs, "helpstring")); !help.empty())
      out << " Help string: \"" << help << "\"";
    out << "\n\n";
    out << note.text << "\n\n";

    std::vector<std::string> lines;
    for (const Param* p : CallerArguments(first)) {
      std::string line = "`" + p->name + "`: " + TypeName(p->type);
      if (const std::string dir = Direction(*p); !dir.empty()) line += ", " + dir;
      if (IsOptional(*p)) line += ", optional";
      if (const std::string def = DefaultOf(*p, d_); !def.empty()) line += ", default `" + def + "`";
      lines.push_back(line);
    }
    for (const idlgen::Member* m : e.accessors) {
      if (!Has(m->attrs, "propput") && !Has(m->attrs, "propputref")) continue;
      const std::vector<Param>& params = m->params;
      if (params.empty()) continue;
      lines.push_back(std::string(Has(m->attrs, "propputref") ? "the value assigned with Set" : "the value assigned") +
                      ": " + TypeName(params.back().type));
    }
    if (!lines.empty()) {
      out << "Arguments:\n\n";
      for (const std::string& line : lines) out << "- " << line << "\n";
      out << "\n";
    }
    for (const idlgen::Member* m : e.accessors)
      if (const Param* r = RetvalOf(*m); r && (!IsProperty(*m) || Has(m->attrs, "propget"))) {
        out << "Result: " << TypeName(r->type) << ".\n\n";
        break;
      }
    out << "Errors:\n\n";
    for (const std::string& error : note.errors) out << "- " << error << "\n";
    out << "\n";
    for (const std::string& example : note.examples) out << "Example: `" << example << "`\n\n";
  }

  void Enumeration(std::ostream& out, const Enum& e) {
    const Note& about = NoteOf(e.name);
    out << "### " << e.name << "\n\n" << about.text << "\n\n| Name | Value | Meaning |\n|---|---|---|\n";
    for (const Enumerator& v : e.values) {
      const std::string key = e.name + "." + v.name;
      enumerators_.insert(key);
      std::string meaning;
      if (auto it = notes_.find(key); it != notes_.end()) {
        it->second.used = true;
        meaning = it->second.text;
      }
      out << "| `" << v.name << "` | " << v.value << " | " << meaning << " |\n";
    }
    out << "\n";
  }

 private:
  const Description& d_;
  std::map<std::string, Note> notes_;
  std::string notesName_;
  std::set<std::string> enumerators_;
};

}  // namespace

std::string ReferenceMarkdown(const Description& d, const std::string& notes, const std::string& idlName,
                              const std::string& notesName, const std::string& appendix,
                              const std::string& appendixName) {
  const std::vector<LibraryType> types = LibraryTypes(d);
  Writer writer(d, ParseNotes(notes, notesName), notesName);
  const Library& library = *d.library;
  // The chapters of the appendix: its headings "## ..." outside code blocks.
  std::vector<std::string> chapters;
  if (!appendix.empty()) {
    if (appendix.rfind("## ", 0) != 0) throw Error(appendixName + ":1: the appendix does not start with a heading ## ...");
    std::istringstream lines(appendix);
    bool inCode = false;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("```", 0) == 0) inCode = !inCode;
      else if (!inCode && line.rfind("## ", 0) == 0) chapters.push_back(Trimmed(line.substr(3)));
    }
  }

  std::ostringstream out;
  out << "# " << library.name << ": member reference\n\n"
      << "<!-- Written by idlgen --reference from " << idlName << " and " << notesName;
  if (appendix.empty()) out << "; do not edit: change those two";
  else out << ", with " << appendixName << " at the end; do not edit: change those three";
  out << " and build the target dovrel_reference_update. -->\n\n";
  out << StringOf(Find(library.attrs, "helpstring")) << ", version "
      << StringOf(Find(library.attrs, "version")) << ". ";
  out << writer.NoteOf(library.name).text << "\n\n";

  // From the main object down: the coclasses in the reverse of the library's
  // order, which puts each collection before what it holds.
  std::vector<std::pair<const Interface*, const Coclass*>> interfaces;
  for (const Coclass& c : library.coclasses)
    for (const CoclassEntry& entry : c.interfaces) interfaces.push_back({&d.interfaces.at(entry.interface), &c});
  std::reverse(interfaces.begin(), interfaces.end());

  out << "Interfaces: ";
  for (std::size_t n = 0; n < interfaces.size(); ++n)
    out << (n ? ", " : "") << "[`" << interfaces[n].first->name << "`](#" << EntryAnchor(interfaces[n].first->name, "")
        << ")";
  out << "; [enumerations](#enumerations)";
  for (const std::string& chapter : chapters) {
    std::string lower = chapter;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    out << "; [" << lower << "](#" << ChapterAnchor(chapter) << ")";
  }
  out << ".\n\n";
  for (const auto& [i, c] : interfaces) writer.Interface(out, *i, *c);

  out << "## Enumerations\n\n";
  for (const LibraryType& type : types)
    if (type.kind == LibraryType::kEnum) writer.Enumeration(out, d.enums.at(type.name));
  writer.CheckAllUsed();
  if (!appendix.empty()) out << appendix << "\n";
  std::string text = out.str();
  while (text.size() > 1 && text[text.size() - 1] == '\n' && text[text.size() - 2] == '\n') text.pop_back();
  return text;
}

}  // namespace idlgen
