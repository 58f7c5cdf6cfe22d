#pragma once
// The generated C++ source of a script's resources: the string table and
// the resources as constant data, in the tables of
// holiday/automation/module_resources.h, registered with the automation
// layer while the module that holds them is loaded. And the depfile that
// tells the build which files the output was made from.

#include <set>
#include <string>

#include "rcgen/script.h"

namespace rcgen {

// `input` is the script's path, named in the first line.
std::string ResourcesSource(const Script& script, const std::string& input);

// "<output>: <file> <file> ...", with the characters make reads specially
// escaped.
std::string Depfile(const std::string& output, const std::set<std::string>& files);

}  // namespace rcgen
