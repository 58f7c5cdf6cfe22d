#include "engine/rules_generation.h"

namespace dovrel::engine::detail {

std::atomic<std::uint64_t> rules_generation{0};

}  // namespace dovrel::engine::detail
