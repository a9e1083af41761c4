#include "platform/posix/PosixPlatform.h"

#include <time.h>

#include <chrono>

#include "platform/posix/Deadline.h"
#include "platform/posix/PosixHoldings.h"
#include "platform/posix/PosixParallelDevice.h"
#include "platform/posix/PosixSerialDevice.h"

namespace corvane::platform::posix {

PosixPlatform::PosixPlatform(PosixOptions options) : options_(std::move(options)) {}

PosixPlatform::~PosixPlatform() = default;

std::string PosixPlatform::DefaultDevicePath(PortFamily family, int number) {
    std::string index = std::to_string(number - 1);
    return family == PortFamily::Parallel ? "/dev/lp" + index : "/dev/ttyS" + index;
}

std::unique_ptr<SerialDevice> PosixPlatform::OpenSerial(const std::string& devicePath,
                                                        Error& error) {
    return PosixSerialDevice::Open(devicePath, error, pacer_);
}

std::unique_ptr<ParallelDevice> PosixPlatform::OpenParallel(const std::string& devicePath,
                                                            Error& error) {
    return PosixParallelDevice::Open(devicePath, error, pacer_);
}

Spooler& PosixPlatform::GetSpooler() {
    if (!spooler_) {
        spooler_ = MakeSystemSpooler();
        if (!spooler_) {
            spooler_ = std::make_unique<NoSpooler>();
        }
    }
    return *spooler_;
}

Holdings* PosixPlatform::GetHoldings() {
    if (options_.holdings != nullptr) {
        return options_.holdings;
    }
    return &PosixHoldings::OfThisUser();
}

void PosixPlatform::Sleep(std::chrono::milliseconds duration) {
    SleepUntil(std::chrono::steady_clock::now() + duration, pacer_.get());
}

std::chrono::milliseconds PosixPlatform::Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::milliseconds(static_cast<std::int64_t>(now.tv_sec) * 1000 +
                                     now.tv_nsec / 1000000);
}

OsFacts PosixPlatform::Facts() {
    OsFacts facts;
    facts.usbSupported = true;
    return facts;
}

}  // namespace corvane::platform::posix
