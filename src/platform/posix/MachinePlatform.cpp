#include "platform/MachinePlatform.h"

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform {

std::unique_ptr<Platform> MakeMachinePlatform() {
    return std::make_unique<posix::PosixPlatform>();
}

}  // namespace corvane::platform
