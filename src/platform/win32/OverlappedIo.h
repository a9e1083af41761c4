#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/win32/WinApi.h"

namespace corvane::platform::win32 {

// Opens a device by path for overlapped requests, so that every wait on it has an end; shared
// for reading and writing unless exclusive. On failure the handle is invalid and error says why.
HANDLE OpenOverlapped(const std::string& path, bool exclusive, Error& error);

// Waits at most timeoutMs for an overlapped request's event, in slices between which the
// pacer's hook runs (when one is given); true when the request ended.
bool AwaitRequest(HANDLE done, std::uint32_t timeoutMs, WaitPacer* pacer);

// One read or write request on a device opened for overlapped requests, waited for at most
// timeoutMs; a request still running then is cancelled, keeping what it moved so far.
IoResult ReadWithin(HANDLE device, std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                    WaitPacer* pacer = nullptr);
IoResult WriteWithin(HANDLE device, std::span<const std::uint8_t> data, std::uint32_t timeoutMs,
                     WaitPacer* pacer = nullptr);

}  // namespace corvane::platform::win32
