#pragma once
// Resources kept in files of their own: "<name> <type> [options] "file"",
// where the type is REGISTRY, TYPELIB, BITMAP, RCDATA, a number or any other
// name.

#include <set>
#include <string>
#include <vector>

#include "rcgen/binary.h"

namespace rcgen {

// The data of `file`, named by the resource at `where`. It is looked for
// beside the script that names it, then in each of `includeDirs`: files the
// build makes (a bitmap drawn from text) live in the build tree. A bitmap
// resource is the file without its 14-byte file header. The path read joins
// `files`, the dependencies of the output.
Bytes FileResourceData(const std::string& file, bool bitmap, const std::string& where,
                       const std::vector<std::string>& includeDirs, std::set<std::string>& files);

}  // namespace rcgen
