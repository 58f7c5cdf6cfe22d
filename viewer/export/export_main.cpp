// pellora-export: see export/export_command.h.
#include <iostream>
#include <string>
#include <vector>

#include "export/export_command.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return pellora::exporting::RunExport(arguments, std::cout, std::cerr);
}
