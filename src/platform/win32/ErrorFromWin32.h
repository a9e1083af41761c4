#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace corvane::platform::win32 {

// Whether a Windows error came from opening a device or from a request on a device already open.
enum class During { Open, Use };

// Maps a Windows error code (GetLastError) to the platform's error kinds; the one mapping of the
// Windows backend.
Error ErrorFromWin32(std::uint32_t code, During when = During::Use);

// The same for the last error of the calling thread.
Error LastError(During when = During::Use);

}  // namespace corvane::platform::win32
