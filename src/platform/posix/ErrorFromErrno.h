#pragma once

#include "platform/Platform.h"

namespace corvane::platform::posix {

// Whether an errno came from opening a device or from a request on a device already open.
enum class During { Open, Use };

// Maps an errno value to the platform's error kinds; the one mapping of the POSIX backend.
Error ErrorFromErrno(int errnoValue, During when);

}  // namespace corvane::platform::posix
