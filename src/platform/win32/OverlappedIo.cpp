#include "platform/win32/OverlappedIo.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

IoResult Transfer(HANDLE device, bool write, void* buffer, std::size_t size,
                  std::uint32_t timeoutMs, WaitPacer* pacer) {
    IoResult result;
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.Valid()) {
        result.error = LastError();
        return result;
    }
    OVERLAPPED request{};
    request.hEvent = done.Get();
    const auto length =
        static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
    BOOL started = write ? WriteFile(device, buffer, length, nullptr, &request)
                         : ReadFile(device, buffer, length, nullptr, &request);
    if (!started) {
        DWORD code = GetLastError();
        if (code != ERROR_IO_PENDING) {
            result.error = ErrorFromWin32(code);
            return result;
        }
        if (!AwaitRequest(done.Get(), timeoutMs, pacer)) {
            // The printer took or gave nothing more in time; what moved before still counts.
            CancelIoEx(device, &request);
            result.error = {ErrorKind::TimedOut, ERROR_TIMEOUT, NativeSource::Win32};
        }
    }
    DWORD moved = 0;
    if (!GetOverlappedResult(device, &request, &moved, TRUE)) {
        DWORD code = GetLastError();
        if (result.error.Ok() && code != ERROR_OPERATION_ABORTED) {
            result.error = ErrorFromWin32(code);
        } else if (result.error.Ok()) {
            result.error = {ErrorKind::TimedOut, ERROR_TIMEOUT, NativeSource::Win32};
        }
    }
    result.count = moved;
    return result;
}

}  // namespace

bool AwaitRequest(HANDLE done, std::uint32_t timeoutMs, WaitPacer* pacer) {
    using std::chrono::milliseconds;
    const auto end = std::chrono::steady_clock::now() + milliseconds(timeoutMs);
    for (;;) {
        if (pacer != nullptr) {
            pacer->CallIfDue();
        }
        const auto left =
            std::max(std::chrono::ceil<milliseconds>(end - std::chrono::steady_clock::now()),
                     milliseconds::zero());
        const auto slice = pacer != nullptr ? pacer->Slice(left) : left;
        const DWORD waited = WaitForSingleObject(done, static_cast<DWORD>(slice.count()));
        if (waited == WAIT_OBJECT_0) {
            return true;
        }
        // A slice that ended at the time-out ends the wait; an earlier one only lets the hook in.
        if (waited != WAIT_TIMEOUT || slice == left) {
            return false;
        }
    }
}

HANDLE OpenOverlapped(const std::string& path, bool exclusive, Error& error) {
    const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE device = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    error = device == INVALID_HANDLE_VALUE ? LastError(During::Open) : Error::None();
    return device;
}

IoResult ReadWithin(HANDLE device, std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                    WaitPacer* pacer) {
    return Transfer(device, false, buffer.data(), buffer.size(), timeoutMs, pacer);
}

IoResult WriteWithin(HANDLE device, std::span<const std::uint8_t> data, std::uint32_t timeoutMs,
                     WaitPacer* pacer) {
    return Transfer(device, true, const_cast<std::uint8_t*>(data.data()), data.size(), timeoutMs,
                    pacer);
}

}  // namespace corvane::platform::win32
