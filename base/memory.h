// How much memory the process may still take, for work that can choose a
// cheaper way when a costly one would not fit (a display list of a large graph).
#pragma once

#include <cstddef>

namespace kelvra {

// Address space left under the process's limit (ulimit -v) above what it
// holds now; SIZE_MAX without a limit.
std::size_t addressSpaceLeft();

}  // namespace kelvra
