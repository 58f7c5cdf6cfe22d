// The text form of a database for the jetwriter command: UTF-8 lines.
//
//   # a comment; blank lines are ignored
//   format jet4                 jet4 (Access 2000), jet3 (Access 97), or an
//                               .accdb version: ace2007, ace2010, ace2013,
//                               ace2016, ace2019 (Access 2019, 365); default jet4
//   compress yes                jet4, ace: compressed text where it is shorter; default yes
//   codepage 932                jet3: code page of all text; default 932
//   table m_pvd                 starts a table; the rest of the line is its name
//   column pvd_no text 10       NAME TYPE [LENGTH]; TYPE is text (LENGTH 1..255,
//                               default 255), memo, long, int, byte, money,
//                               float, double, datetime, bool, or bigint
//                               (ace2016 and later)
//   row<TAB>1310000001<TAB>事業所   one row: "row", then one TAB before each value
//   rows m_pvd.tsv              more rows from a file (one row per line, values
//                               separated by TABs); relative to this file
//
// Values: an empty field is the empty string; \N alone is NULL; inside text
// \\ is a backslash, \t a TAB, \n a line feed, \r a carriage return. Numbers
// are written as in C (123, -4, 1.5); money has up to four decimal places;
// datetime is a day number (days since 1899-12-30); bool is
// true/false/yes/no/1/0.
#pragma once

#include <filesystem>
#include <istream>
#include <stdexcept>
#include <string>

#include "jetwriter/jet_writer.h"

namespace jetwriter {

class DescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// baseDir resolves the files named by "rows"; sourceName names the input in
// error messages ("name:line: message").
Database ParseDescription(std::istream& in, const std::filesystem::path& baseDir,
                          const std::string& sourceName = "description");
Database ReadDescriptionFile(const std::filesystem::path& file);

}  // namespace jetwriter
