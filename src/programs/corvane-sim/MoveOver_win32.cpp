#include "platform/win32/WinApi.h"
#include "programs/corvane-sim/MoveOver.h"

namespace corvane::programs {

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The C runtime's rename refuses a target that exists; MoveFileEx replaces it.
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace corvane::programs
