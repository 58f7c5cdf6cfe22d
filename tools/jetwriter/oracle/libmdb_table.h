// A whole table read with libmdb (mdbtools), in this process: the
// independent reader that the database reader's tests and benchmark
// compare with. Never linked by a program that ships.
//
// libmdb's own text decoding is set right per handle first: it would take
// Jet 3 text as SHIFT-JIS, which is not code page 932 (①, 髙, 﨑 fail, ～
// comes back as 〜), and Jet 4 text as UCS-2 (a character beyond the BMP
// comes back as "??"). Values come as libmdb prints them, with dates in
// ISO form ("2024-04-01T09:30:00") and yes/no as 1/0; libmdb 1.0.0 knows
// no type after ACE 2007's, so a large number (ACE 2016) comes as "".
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace jetwriter::oracle {

struct LibmdbTable {
  std::vector<std::string> columns;  // in column order, UTF-8
  // nullopt is NULL (only with tellNullFromEmpty; libmdb gives NULL as "").
  std::vector<std::vector<std::optional<std::string>>> rows;
};

// nullopt when libmdb cannot open the file or find the table. Telling NULL
// from "" takes a second look at every row (its fields as libmdb splits
// them), which the benchmark leaves out.
std::optional<LibmdbTable> ReadWithLibmdb(const std::filesystem::path& file, const std::string& table,
                                          bool tellNullFromEmpty = true);

}  // namespace jetwriter::oracle
