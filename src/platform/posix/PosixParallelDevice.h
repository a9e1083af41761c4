#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/posix/UniqueFd.h"

namespace corvane::platform::posix {

// A parallel port through the kernel's lp driver (/dev/lpN), opened exclusively.
class PosixParallelDevice final : public ParallelDevice {
public:
    // Opens the device at path: refused as Busy when another opener holds it. Its waits keep
    // the pacer's hook called, when one is given.
    static std::unique_ptr<PosixParallelDevice> Open(const std::string& path, Error& error,
                                                     std::shared_ptr<WaitPacer> pacer = nullptr);

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override;
    // The lp driver keeps nothing that could be discarded.
    Error Purge() override { return {ErrorKind::Unsupported, 0}; }
    std::string Name() const override { return path_; }
    Error QueryStatus(std::uint8_t& status) override;

    // The deadlines of reads and writes; a parallel port keeps those of a serial line.
    void SetTimeouts(const SerialTimeouts& timeouts) { timeouts_ = timeouts; }

    // Turns the lp driver's status register (LPGETSTATUS) into kParallel bits.
    static std::uint8_t StatusFromRegister(int lpStatus);

private:
    PosixParallelDevice(UniqueFd fd, std::string path, std::shared_ptr<WaitPacer> pacer);

    UniqueFd fd_;
    std::string path_;
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::posix
