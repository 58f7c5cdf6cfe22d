// Reading with libmdb inside the calling process. Only pellora-jetread (and
// the benchmark's baseline) call this: the checks below stop the damage
// that is known to crash or hang libmdb 1.0.0, but not every damage there
// can be, so the viewer itself always reads through the helper process.
#pragma once

#include <filesystem>
#include <vector>

#include "jet_reader.h"

namespace pellora::jet {

ReadResult ReadJetTablesInProcess(const std::filesystem::path& database,
                                  const std::vector<TableRequest>& requests);

}  // namespace pellora::jet
