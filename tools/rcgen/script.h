#pragma once
// A resource script read whole: its string table and its other resources,
// each encoded as the platform keeps it, and every file it read.
//
// Understood at the top level: LANGUAGE (which changes nothing: a module
// holds one language), STRINGTABLE, and "<name> <type> ..." statements:
// VERSIONINFO (version_info.h), DIALOGEX (dialog.h), and resources that name
// a file (file_resource.h). Other resource types stop with a message naming
// the file and line.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "rcgen/binary.h"

namespace rcgen {

// The platform's numbers of the resource types named by a word.
constexpr int kRtBitmap = 2, kRtDialog = 5, kRtRcdata = 10, kRtVersion = 16;

struct Resource {
  std::string type;  // upper-case name, empty for an integer type
  int typeId = 0;
  std::string name;  // upper-case name, empty for an integer id
  int nameId = 0;
  Bytes data;
};

struct Script {
  std::map<int, std::string> strings;  // id -> code page 932 bytes
  std::vector<Resource> resources;     // in the order of the script
  std::set<std::string> files;         // every file read, for the dependency list
};

// The script at `path`; `includeDirs` are searched for the files of
// resources after the script's own folder (file_resource.h).
Script ReadScript(const std::string& path, const std::vector<std::string>& includeDirs);

}  // namespace rcgen
