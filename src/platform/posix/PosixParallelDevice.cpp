#include "platform/posix/PosixParallelDevice.h"

#include <fcntl.h>
#include <linux/lp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/Deadline.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

namespace {

using std::chrono::milliseconds;

// The lp driver offers no poll(), so a request that must wait looks again after this step.
constexpr milliseconds kRetryStep{10};

milliseconds Budget(std::uint32_t constantMs, std::uint32_t multiplierMs, std::size_t bytes) {
    return milliseconds(static_cast<long long>(constantMs) +
                        static_cast<long long>(multiplierMs) * static_cast<long long>(bytes));
}

// Repeats a non-blocking read or write until it moved every byte, failed, or the deadline
// passed; step(done) moves what it can after the first done bytes.
template <typename Step>
IoResult Transfer(std::size_t size, Deadline& deadline, Step step) {
    IoResult result;
    while (result.count < size) {
        ssize_t moved = step(result.count);
        if (moved > 0) {
            result.count += static_cast<std::size_t>(moved);
            continue;
        }
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved < 0 && errno != EAGAIN) {
            result.error = ErrorFromErrno(errno);
            return result;
        }
        if (deadline.Passed()) {
            result.error = {ErrorKind::TimedOut, ETIMEDOUT};
            return result;
        }
        deadline.SleepAtMost(kRetryStep);
    }
    return result;
}

}  // namespace

std::unique_ptr<PosixParallelDevice> PosixParallelDevice::Open(const std::string& path,
                                                               Error& error) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        error = ErrorFromErrno(errno);
        return nullptr;
    }
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        error = ErrorFromErrno(errno);
        return nullptr;
    }
    error = Error::None();
    return std::unique_ptr<PosixParallelDevice>(new PosixParallelDevice(std::move(fd), path));
}

PosixParallelDevice::PosixParallelDevice(UniqueFd fd, std::string path)
    : fd_(std::move(fd)), path_(std::move(path)) {}

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
        return ErrorFromErrno(errno);
    }
    status = StatusFromRegister(lpStatus);
    return Error::None();
}

IoResult PosixParallelDevice::Write(std::span<const std::uint8_t> data) {
    Deadline deadline(Budget(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()));
    return Transfer(data.size(), deadline, [&](std::size_t done) {
        return ::write(fd_.Get(), data.data() + done, data.size() - done);
    });
}

IoResult PosixParallelDevice::Read(std::span<std::uint8_t> buffer) {
    Deadline deadline(Budget(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()));
    // Nothing to read yet is normal: the printer's back channel sends when it has something.
    return Transfer(buffer.size(), deadline, [&](std::size_t done) {
        return ::read(fd_.Get(), buffer.data() + done, buffer.size() - done);
    });
}

}  // namespace corvane::platform::posix
