#pragma once

#include <memory>

#include "platform/Platform.h"

namespace corvane::platform {

// The platform of the machine the program runs on. Each backend defines it, and the build links
// the backend of the system it builds for.
std::unique_ptr<Platform> MakeMachinePlatform();

}  // namespace corvane::platform
