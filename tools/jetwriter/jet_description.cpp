#include "jetwriter/jet_description.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace jetwriter {
namespace {

struct Source {
  std::string name;
  std::size_t line = 0;
  [[noreturn]] void Fail(const std::string& message) const {
    throw DescriptionError(name + ":" + std::to_string(line) + ": " + message);
  }
};

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const auto at = s.find(sep, start);
    parts.push_back(s.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool GetLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// A field as written, or nullopt for \N.
std::optional<std::string> Unescape(const Source& src, const std::string& field) {
  if (field == "\\N") return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) src.Fail("a backslash ends the value; write \\\\ for a backslash");
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: src.Fail(std::string("unknown escape \\") + field[i]);
    }
  }
  return out;
}

Value ParseValue(const Source& src, const Column& column, const std::string& field) {
  const std::optional<std::string> text = Unescape(src, field);
  if (!text) return Null;
  const std::string& s = *text;
  switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
      return s;
    case ColumnType::Bool:
      if (s == "true" || s == "yes" || s == "1") return true;
      if (s == "false" || s == "no" || s == "0") return false;
      src.Fail("column " + column.name + ": \"" + s + "\" is not true or false");
    case ColumnType::Byte:
    case ColumnType::Int:
    case ColumnType::Long:
    case ColumnType::BigInt: {
      std::int64_t n = 0;
      const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
      if (ec != std::errc() || end != s.data() + s.size() || s.empty()) {
        src.Fail("column " + column.name + ": \"" + s + "\" is not an integer");
      }
      return n;
    }
    case ColumnType::Money: {
      // A decimal with up to four places, kept as ten-thousandths.
      const std::size_t point = s.find('.');
      const std::string whole = s.substr(0, point);
      std::string places = point == std::string::npos ? "" : s.substr(point + 1);
      if (places.size() > 4) src.Fail("column " + column.name + ": money has four decimal places at most");
      places.resize(4, '0');
      std::int64_t units = 0, fraction = 0;
      const bool negative = !whole.empty() && whole[0] == '-';
      const auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), units);
      const auto [fend, fec] = std::from_chars(places.data(), places.data() + places.size(), fraction);
      if (ec != std::errc() || end != whole.data() + whole.size() || whole.empty() || fec != std::errc() ||
          fend != places.data() + places.size()) {
        src.Fail("column " + column.name + ": \"" + s + "\" is not an amount");
      }
      return units * 10000 + (negative ? -fraction : fraction);
    }
    case ColumnType::Float:
    case ColumnType::Double:
    case ColumnType::DateTime: {
      double d = 0;
      const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
      if (ec != std::errc() || end != s.data() + s.size() || s.empty()) {
        src.Fail("column " + column.name + ": \"" + s + "\" is not a number");
      }
      return d;
    }
    default:
      src.Fail("column " + column.name + ": only \\N can be written to this column type");
  }
}

std::vector<Value> ParseRow(const Source& src, const Table& table, const std::string& fields) {
  const std::vector<std::string> parts = Split(fields, '\t');
  if (parts.size() != table.columns.size()) {
    src.Fail(std::to_string(parts.size()) + " values for the " + std::to_string(table.columns.size()) +
             " columns of " + table.name);
  }
  std::vector<Value> row;
  for (std::size_t i = 0; i < parts.size(); ++i) row.push_back(ParseValue(src, table.columns[i], parts[i]));
  return row;
}

const std::map<std::string, ColumnType>& TypeNames() {
  static const std::map<std::string, ColumnType> names{
      {"text", ColumnType::Text},     {"long", ColumnType::Long},
      {"int", ColumnType::Int},       {"byte", ColumnType::Byte},
      {"double", ColumnType::Double}, {"datetime", ColumnType::DateTime},
      {"bool", ColumnType::Bool},     {"memo", ColumnType::Memo},
      {"money", ColumnType::Money},   {"float", ColumnType::Float},
      {"bigint", ColumnType::BigInt},
  };
  return names;
}

bool YesNo(const Source& src, const std::string& word) {
  if (word == "yes" || word == "on" || word == "true") return true;
  if (word == "no" || word == "off" || word == "false") return false;
  src.Fail("yes or no expected, not \"" + word + "\"");
}

void ReadRowsFile(const Source& from, Table& table, const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) from.Fail("cannot open " + file.string());
  Source src{file.string(), 0};
  for (std::string line; GetLine(in, line);) {
    ++src.line;
    table.rows.push_back(ParseRow(src, table, line));
  }
}

}  // namespace

Database ParseDescription(std::istream& in, const std::filesystem::path& baseDir,
                          const std::string& sourceName) {
  Database db;
  Table* table = nullptr;
  Source src{sourceName, 0};
  auto needTable = [&]() -> Table& {
    if (!table) src.Fail("\"table NAME\" must come first");
    return *table;
  };
  for (std::string line; GetLine(in, line);) {
    ++src.line;
    if (line.rfind("row\t", 0) == 0) {
      Table& t = needTable();
      t.rows.push_back(ParseRow(src, t, line.substr(4)));
      continue;
    }
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const std::vector<std::string> words = Words(trimmed);
    const std::string& keyword = words[0];
    const std::string rest = Trim(trimmed.substr(keyword.size()));
    if (keyword == "format") {
      const auto named = std::find_if(std::begin(kVersions), std::end(kVersions),
                                      [&](const VersionInfo& v) { return rest == v.name; });
      if (named == std::end(kVersions)) src.Fail("format is jet3, jet4, ace2007, ace2010, ace2013, ace2016 or ace2019");
      db.version = named->version;
    } else if (keyword == "compress") {
      db.compressText = YesNo(src, rest);
    } else if (keyword == "codepage") {
      int cp = 0;
      const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), cp);
      if (ec != std::errc() || end != rest.data() + rest.size() || cp <= 0 || cp > 65535) {
        src.Fail("codepage needs a number");
      }
      db.codePage = static_cast<std::uint16_t>(cp);
    } else if (keyword == "table") {
      if (rest.empty()) src.Fail("table needs a name");
      db.tables.push_back(Table{rest, {}, {}});
      table = &db.tables.back();
    } else if (keyword == "column") {
      Table& t = needTable();
      if (!t.rows.empty()) src.Fail("columns must come before the rows");
      if (words.size() < 3 || words.size() > 4) src.Fail("column NAME TYPE [LENGTH]");
      const auto type = TypeNames().find(words[2]);
      if (type == TypeNames().end()) src.Fail("unknown column type \"" + words[2] + "\"");
      Column c{words[1], type->second, 255};
      if (words.size() == 4) {
        if (c.type != ColumnType::Text) src.Fail("only text columns take a length");
        const auto [end, ec] = std::from_chars(words[3].data(), words[3].data() + words[3].size(), c.length);
        if (ec != std::errc() || end != words[3].data() + words[3].size()) src.Fail("length is a number");
      }
      t.columns.push_back(c);
    } else if (keyword == "rows") {
      Table& t = needTable();
      if (rest.empty()) src.Fail("rows needs a file name");
      ReadRowsFile(src, t, baseDir / rest);
    } else if (keyword == "row") {
      src.Fail("a row starts with \"row\" and a TAB");
    } else {
      src.Fail("unknown keyword \"" + keyword + "\"");
    }
  }
  return db;
}

Database ReadDescriptionFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw DescriptionError("cannot open " + file.string());
  return ParseDescription(in, file.parent_path(), file.string());
}

}  // namespace jetwriter
