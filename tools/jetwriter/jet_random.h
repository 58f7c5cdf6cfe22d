// Random databases, one per seed: what the writer knows of real files,
// mixed at random -- every version, compressed and plain Jet 4 text,
// Japanese text that trips up code page 932 and UTF-16 handling, every
// column type, memo values kept in all three places, deleted and moved
// rows, tables spread over many pages, usage maps of both kinds, Jet 3
// rows long enough for a jump table, encoded pages and passwords. For
// checking readers against each other and for seeding fuzzers; the same
// seed always gives the same database.
#pragma once

#include <cstdint>
#include <optional>

#include "jetwriter/jet_writer.h"

namespace jetwriter {

struct RandomLimits {
  std::size_t maxRows = 150;        // per table
  std::size_t maxMemoChars = 6000;  // the longest memo value
  // The version to write; without it, one at random (about half Jet 3).
  std::optional<JetVersion> version = std::nullopt;
};

// Always holds m_pvd (pvd_no, pvd_nm) and m_insd (insd_no, insr_no,
// pat_nm), whose key columns are text or numbers and name columns text or
// memo, and up to three more tables t0, t1, t2 of random columns.
Database RandomDatabase(std::uint64_t seed, const RandomLimits& limits = {});

}  // namespace jetwriter
