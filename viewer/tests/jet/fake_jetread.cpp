// Stands in for pellora-jetread in the tests of the viewer's side: it
// misbehaves in the way the database file's name asks for (crash.mdb
// crashes, hang.mdb hangs ...), so that every way a reader process can go
// wrong is seen to end as a failed read.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "jet_reader.h"
#include "jet_wire.h"

namespace {

void Write(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(pellora::jet::kWireFd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// A well-formed reply: every requested table, each with one row of the
// column names themselves.
std::vector<std::uint8_t> GoodReply(int argc, char** argv) {
  pellora::jet::ReadResult result;
  result.ok = true;
  for (int i = 2; i + 1 < argc;) {
    const int count = std::atoi(argv[i + 1]);
    std::vector<std::string> columns(argv + i + 2, argv + i + 2 + count);
    pellora::jet::Table table(argv[i], columns);
    std::vector<std::u16string> texts;
    for (const std::string& c : columns) texts.emplace_back(c.begin(), c.end());
    std::vector<std::optional<std::u16string_view>> cells(texts.begin(), texts.end());
    table.AddRow(cells);
    result.tables.push_back(std::move(table));
    i += 2 + count;
  }
  return pellora::jet::EncodeWire(result);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string how = std::filesystem::path(argv[1]).stem().string();
  if (how == "crash") {
    raise(SIGSEGV);
  } else if (how == "abort") {
    std::abort();
  } else if (how == "hang") {
    for (;;) pause();
  } else if (how == "quiet-hang") {
    close(pellora::jet::kWireFd);
    for (;;) pause();
  } else if (how == "garbage") {
    std::vector<std::uint8_t> junk{'P', 'J', 'R', '1'};
    for (int i = 0; i < 1000; ++i) junk.push_back(static_cast<std::uint8_t>(i * 131 + 7));
    Write(junk);
  } else if (how == "truncated") {
    std::vector<std::uint8_t> reply = GoodReply(argc, argv);
    reply.resize(reply.size() - 6);
    Write(reply);
  } else if (how == "flood") {
    const std::vector<std::uint8_t> block(1 << 20, 0x41);
    for (;;) Write(block);
  } else if (how == "exit3") {
    Write(GoodReply(argc, argv));
    return 3;
  } else if (how == "noisy") {
    for (int i = 0; i < 100; ++i) {
      std::fprintf(stdout, "libmdb says something on stdout\n");
      std::fprintf(stderr, "libmdb complains on stderr\n");
    }
    std::fflush(stdout);
    Write(GoodReply(argc, argv));
  } else if (how == "slow") {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Write(GoodReply(argc, argv));
  } else {
    Write(GoodReply(argc, argv));
  }
  return 0;
}
