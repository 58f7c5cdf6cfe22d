// jetwriter DESCRIPTION OUTPUT
//
// Writes the Jet database described by DESCRIPTION (the line format in
// jet_description.h; "-" reads standard input) to OUTPUT. Used to build the
// example data.qdr and test fixtures.
#include <filesystem>
#include <iostream>

#include "jet_description.h"
#include "jet_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: jetwriter DESCRIPTION OUTPUT\n";
    return 2;
  }
  const std::string input = argv[1];
  const std::filesystem::path output = argv[2];
  // Write beside the target and rename, so that a failed run never leaves
  // a half-written database where a good one was.
  const std::filesystem::path temp = output.string() + ".tmp";
  try {
    const jetwriter::Database db =
        input == "-" ? jetwriter::ParseDescription(std::cin, std::filesystem::current_path(), "stdin")
                     : jetwriter::ReadDescriptionFile(input);
    jetwriter::WriteJetFile(db, temp);
    std::filesystem::rename(temp, output);
  } catch (const std::exception& e) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    std::cerr << "jetwriter: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
