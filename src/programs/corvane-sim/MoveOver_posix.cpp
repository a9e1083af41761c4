#include <cstdio>

#include "programs/corvane-sim/MoveOver.h"

namespace corvane::programs {

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // rename replaces the target atomically.
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace corvane::programs
