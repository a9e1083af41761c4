#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/WinApi.h"

namespace corvane::platform::win32 {

// Opens a device by path for overlapped requests, so that every wait on it has an end; shared
// for reading and writing unless exclusive. On failure the handle is invalid and error says why.
HANDLE OpenOverlapped(const std::string& path, bool exclusive, Error& error);

// One read or write request on a device opened for overlapped requests, waited for at most
// timeoutMs; a request still running then is cancelled, keeping what it moved so far.
IoResult ReadWithin(HANDLE device, std::span<std::uint8_t> buffer, std::uint32_t timeoutMs);
IoResult WriteWithin(HANDLE device, std::span<const std::uint8_t> data, std::uint32_t timeoutMs);

}  // namespace corvane::platform::win32
