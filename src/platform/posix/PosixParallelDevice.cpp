#include "platform/posix/PosixParallelDevice.h"

#include <linux/lp.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <utility>

#include "platform/posix/Deadline.h"
#include "platform/posix/DeviceIo.h"
#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

namespace {

// The lp driver offers no poll(), so a request that must wait looks again after this step.
constexpr TransferRules kParallelRules{.retryStep = std::chrono::milliseconds(10)};

}  // namespace

std::unique_ptr<PosixParallelDevice> PosixParallelDevice::Open(const std::string& path,
                                                               Error& error,
                                                               std::shared_ptr<WaitPacer> pacer) {
    UniqueFd fd = OpenLocked(path, true, error);
    if (!fd.Valid()) {
        return nullptr;
    }
    return std::unique_ptr<PosixParallelDevice>(
        new PosixParallelDevice(std::move(fd), path, std::move(pacer)));
}

PosixParallelDevice::PosixParallelDevice(UniqueFd fd, std::string path,
                                         std::shared_ptr<WaitPacer> pacer)
    : fd_(std::move(fd)), path_(std::move(path)), pacer_(std::move(pacer)) {}

std::uint8_t PosixParallelDevice::StatusFromRegister(int lpStatus) {
    std::uint8_t status = 0;
    if ((lpStatus & LP_PSELECD) != 0) {
        status |= kParallelSelected;
    }
    // The register carries BUSY inverted: the bit is set while the printer can take data.
    if ((lpStatus & LP_PBUSY) == 0) {
        status |= kParallelBusy;
    }
    if ((lpStatus & LP_POUTPA) != 0) {
        status |= kParallelPaperEmpty;
    }
    // ERROR is active low: a cleared bit means the printer is off line or faulty.
    if ((lpStatus & LP_PERRORP) == 0) {
        status |= kParallelOffLine;
    }
    return status;
}

Error PosixParallelDevice::QueryStatus(std::uint8_t& status) {
    int lpStatus = 0;
    if (ioctl(fd_.Get(), LPGETSTATUS, &lpStatus) != 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    status = StatusFromRegister(lpStatus);
    return Error::None();
}

IoResult PosixParallelDevice::Write(std::span<const std::uint8_t> data) {
    Deadline deadline(
        RequestBudget(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()),
        pacer_.get());
    return WriteWithDeadline(fd_, data, deadline, kParallelRules);
}

IoResult PosixParallelDevice::Read(std::span<std::uint8_t> buffer) {
    return ReadReply(buffer, {});
}

IoResult PosixParallelDevice::ReadReply(std::span<std::uint8_t> buffer,
                                        const ReplyComplete& complete) {
    Deadline deadline(
        RequestBudget(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()),
        pacer_.get());
    // Nothing to read yet is normal: the printer's back channel sends when it has something.
    return ReadWithDeadline(fd_, buffer, deadline, kParallelRules, complete);
}

}  // namespace corvane::platform::posix
