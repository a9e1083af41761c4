#include "platform/posix/PosixPlatform.h"

#include <time.h>

#include "platform/posix/Deadline.h"
#include "platform/posix/PortNames.h"
#include "platform/posix/PosixParallelDevice.h"
#include "platform/posix/PosixSerialDevice.h"

namespace corvane::platform::posix {

PosixPlatform::PosixPlatform(PosixOptions options) : options_(std::move(options)) {}

PosixPlatform::~PosixPlatform() = default;

std::string PosixPlatform::DevicePath(const std::string& portName) {
    if (auto exact = options_.portOverrides.find(portName); exact != options_.portOverrides.end()) {
        return exact->second;
    }
    auto port = ParsePortName(portName);
    if (!port) {
        return {};
    }
    // An override given under another spelling of the same port ("LPT1", "com3") still counts.
    for (const auto& [name, device] : options_.portOverrides) {
        if (ParsePortName(name) == port) {
            return device;
        }
    }
    return DefaultDevicePath(*port);
}

std::unique_ptr<SerialDevice> PosixPlatform::OpenSerial(const std::string& portName, Error& error) {
    auto port = ParsePortName(portName);
    if (!port || port->family != PortFamily::Serial) {
        error = {ErrorKind::NotFound, 0};
        return nullptr;
    }
    return PosixSerialDevice::Open(DevicePath(portName), error);
}

std::unique_ptr<ParallelDevice> PosixPlatform::OpenParallel(const std::string& portName,
                                                            Error& error) {
    auto port = ParsePortName(portName);
    if (!port || port->family != PortFamily::Parallel) {
        error = {ErrorKind::NotFound, 0};
        return nullptr;
    }
    return PosixParallelDevice::Open(DevicePath(portName), error);
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

void PosixPlatform::Sleep(std::chrono::milliseconds duration) {
    SleepFully(duration);
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
