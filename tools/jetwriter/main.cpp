// jetwriter DESCRIPTION OUTPUT
// jetwriter --random SEED OUTPUT
// jetwriter --random-seeds COUNT FOLDER
//
// Writes the Jet database described by DESCRIPTION (the line format in
// jet_description.h; "-" reads standard input) to OUTPUT; or the random
// database of SEED (jet_random.h); or COUNT small random databases into
// FOLDER, as seeds for a fuzzer. Used to build the example data.qdr and
// test fixtures.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "jetwriter/jet_description.h"
#include "jetwriter/jet_random.h"
#include "jetwriter/jet_writer.h"

namespace {

std::uint64_t Number(std::string_view text) {
  std::uint64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size()) {
    throw std::runtime_error("not a number: " + std::string(text));
  }
  return n;
}

// Writes beside the target and renames, so that a failed run never leaves
// a half-written database where a good one was.
void Write(const jetwriter::Database& db, const std::filesystem::path& output) {
  const std::filesystem::path temp = output.string() + ".tmp";
  try {
    jetwriter::WriteJetFile(db, temp);
    std::filesystem::rename(temp, output);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 3) {
    std::cerr << "usage: jetwriter DESCRIPTION OUTPUT\n"
                 "       jetwriter --random SEED OUTPUT\n"
                 "       jetwriter --random-seeds COUNT FOLDER\n";
    return 2;
  }
  try {
    const std::string first = argv[1];
    if (argc == 4 && first == "--random") {
      Write(jetwriter::RandomDatabase(Number(argv[2])), argv[3]);
    } else if (argc == 4 && first == "--random-seeds") {
      // Small files: a fuzzer mutates small inputs faster.
      const jetwriter::RandomLimits small{8, 300};
      for (std::uint64_t seed = 1; seed <= Number(argv[2]); ++seed) {
        Write(jetwriter::RandomDatabase(seed, small),
              std::filesystem::path(argv[3]) / ("random-" + std::to_string(seed) + ".mdb"));
      }
    } else if (argc == 3) {
      const jetwriter::Database db =
          first == "-" ? jetwriter::ParseDescription(std::cin, std::filesystem::current_path(), "stdin")
                       : jetwriter::ReadDescriptionFile(first);
      Write(db, argv[2]);
    } else {
      std::cerr << "jetwriter: unknown option " << first << '\n';
      return 2;
    }
  } catch (const std::exception& e) {
    std::cerr << "jetwriter: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
