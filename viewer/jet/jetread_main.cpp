// pellora-jetread DATABASE [TABLE COLUMN-COUNT COLUMN...]...
//
// The viewer's database reader process: reads the named text columns of the
// named tables with libmdb and writes the result to file descriptor 3 in the
// form of jet_wire.h. With no tables it only opens the database and reads
// its catalog. It runs apart from the viewer so that a damaged file that
// crashes libmdb or makes it loop costs only this process.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <cstring>

#include "jet_inprocess.h"
#include "jet_wire.h"

namespace {

std::optional<std::vector<pellora::jet::TableRequest>> ParseRequests(int argc, char** argv) {
  std::vector<pellora::jet::TableRequest> requests;
  for (int i = 2; i < argc;) {
    if (i + 1 >= argc) return std::nullopt;
    pellora::jet::TableRequest request{argv[i], {}};
    const std::string countText = argv[i + 1];
    std::size_t count = 0;
    const auto [end, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (ec != std::errc() || end != countText.data() + countText.size() ||
        count > static_cast<std::size_t>(argc - i - 2)) {
      return std::nullopt;
    }
    for (std::size_t c = 0; c < count; ++c) request.columns.push_back(argv[i + 2 + static_cast<int>(c)]);
    requests.push_back(std::move(request));
    i += 2 + static_cast<int>(count);
  }
  return requests;
}

}  // namespace

int main(int argc, char** argv) {
  // Never outlive the viewer: a helper stuck in a damaged file would
  // otherwise run on after the viewer has gone.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 3;

  // Descriptors the viewer left open without close-on-exec are not ours to
  // hold: a pipe kept open here would not see its end in time.
  closefrom(pellora::jet::kWireFd + 1);

  if (argc < 2 || fcntl(pellora::jet::kWireFd, F_GETFD) == -1) {
    static const char usage[] =
        "usage: pellora-jetread DATABASE [TABLE COLUMN-COUNT COLUMN...]... 3>REPLY\n";
    [[maybe_unused]] const ssize_t ignored = write(2, usage, sizeof usage - 1);
    return 2;
  }
  const auto requests = ParseRequests(argc, argv);
  if (!requests) return 2;
  const pellora::jet::ReadResult result = pellora::jet::ReadJetTablesInProcess(argv[1], *requests);
  return pellora::jet::WriteWire(pellora::jet::kWireFd, result) ? 0 : 1;
}
