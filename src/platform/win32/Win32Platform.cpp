#include "platform/win32/Win32Platform.h"

#include "platform/MachinePlatform.h"
#include "platform/win32/Win32Holdings.h"
#include "platform/win32/Win32ParallelDevice.h"
#include "platform/win32/Win32SerialDevice.h"
#include "platform/win32/Win32Spooler.h"
#include "platform/win32/WinApi.h"

namespace corvane::platform {

std::unique_ptr<Platform> MakeMachinePlatform() {
    return std::make_unique<win32::Win32Platform>();
}

}  // namespace corvane::platform

namespace corvane::platform::win32 {

Win32Platform::Win32Platform() {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        counterFrequency_ = frequency.QuadPart;
    }
}

Win32Platform::~Win32Platform() = default;

std::string Win32Platform::DefaultDevicePath(PortFamily family, int number) {
    std::string digits = std::to_string(number);
    if (family == PortFamily::Parallel) {
        return "LPT" + digits + ":";
    }
    return number <= 9 ? "COM" + digits : "\\\\.\\COM" + digits;
}

std::unique_ptr<SerialDevice> Win32Platform::OpenSerial(const std::string& devicePath,
                                                        Error& error) {
    return Win32SerialDevice::Open(devicePath, error, pacer_);
}

std::unique_ptr<ParallelDevice> Win32Platform::OpenParallel(const std::string& devicePath,
                                                            Error& error) {
    return Win32ParallelDevice::Open(devicePath, error, pacer_);
}

Holdings* Win32Platform::GetHoldings() {
    return &Win32Holdings::OfThisUser();
}

Spooler& Win32Platform::GetSpooler() {
    if (!spooler_) {
        spooler_ = std::make_unique<Win32Spooler>();
    }
    return *spooler_;
}

void Win32Platform::Sleep(std::chrono::milliseconds duration) {
    // The system's sleep may end a tick early; the printer's pauses are minimums.
    const auto end = Now() + duration;
    for (auto left = duration; left.count() > 0; left = end - Now()) {
        pacer_->CallIfDue();
        left = end - Now();
        if (left.count() <= 0) {
            break;
        }
        ::Sleep(static_cast<DWORD>(pacer_->Slice(left).count()));
    }
}

std::chrono::milliseconds Win32Platform::Now() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const long long seconds = counter.QuadPart / counterFrequency_;
    const long long rest = counter.QuadPart % counterFrequency_;
    return std::chrono::milliseconds(seconds * 1000 + rest * 1000 / counterFrequency_);
}

OsFacts Win32Platform::Facts() {
    OsFacts facts;
    // Every Windows this program runs on reaches USB printers.
    facts.usbSupported = true;
    return facts;
}

}  // namespace corvane::platform::win32
