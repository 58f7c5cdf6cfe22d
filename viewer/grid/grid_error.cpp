#include "grid/grid_error.h"

#include <string>

namespace pellora {

GridError::GridError(std::int16_t number) : BasicError(number, "grid error " + std::to_string(number)) {}

}  // namespace pellora
