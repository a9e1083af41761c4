#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/posix/UniqueFd.h"

namespace corvane::platform::posix {

class Deadline;

// A serial line through termios, opened exclusively and without blocking, so that every wait
// is a poll() bounded by the request's deadline.
class PosixSerialDevice final : public SerialDevice {
public:
    // Opens the device at path: refused as Busy when another opener, in this process or
    // another, holds it; as Unsupported when path is not a terminal. Its waits keep the pacer's
    // hook called, when one is given.
    static std::unique_ptr<PosixSerialDevice> Open(const std::string& path, Error& error,
                                                   std::shared_ptr<WaitPacer> pacer = nullptr);
    ~PosixSerialDevice() override;

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override;
    Error Purge() override;
    std::string Name() const override { return path_; }

    Error GetConfig(SerialConfig& config) override;
    Error SetConfig(const SerialConfig& config) override;
    Error SetTimeouts(const SerialTimeouts& timeouts) override;
    Error GetDsr(bool& dsrOn) override;
    Error ClearEventMask() override { return Error::None(); }

    // True for a line with no wire behind it (a pseudo-terminal, a device without modem
    // lines): character size and parity it cannot represent are accepted and reported as set.
    bool IsVirtualLine() const { return virtualLine_; }

private:
    PosixSerialDevice(UniqueFd fd, std::string path, bool virtualLine,
                      std::shared_ptr<WaitPacer> pacer);

    // Waits within the deadline while the printer holds DSR low.
    Error WaitForDsr(const Deadline& deadline);
    // Waits until the driver has sent what it queued, or the deadline passes.
    void DrainOutput(const Deadline& deadline);
    Error SetModemLines(const SerialConfig& config);

    UniqueFd fd_;
    std::string path_;
    bool virtualLine_ = false;
    bool configured_ = false;
    SerialConfig requested_;  // what SetConfig last applied, for what termios cannot hold
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::posix
