#include "errors/routine_error.h"

#include <string>

namespace pellora {

RoutineError::RoutineError(std::int16_t number) : BasicError(number, "routine error " + std::to_string(number)) {}

}  // namespace pellora
