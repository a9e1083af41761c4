#include "platform/posix/DeviceIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

namespace {

using std::chrono::milliseconds;

// Whether the device reports a hang-up right now, without waiting.
bool HungUpNow(const UniqueFd& fd) {
    pollfd entry{fd.Get(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLHUP) != 0;
}

// Waits until the device may move bytes again: None to try again, or why the request ends.
Error WaitForDevice(const UniqueFd& fd, short events, const Deadline& deadline,
                    const TransferRules& rules, bool& hungUp) {
    // After a hang-up poll() returns at once, so one more attempt is all there is.
    if (hungUp) {
        return {ErrorKind::Disconnected, EIO, NativeSource::Errno};
    }
    if (deadline.Passed()) {
        return {ErrorKind::TimedOut, ETIMEDOUT, NativeSource::Errno};
    }
    if (rules.retryStep > milliseconds::zero()) {
        deadline.SleepAtMost(rules.retryStep);
        return Error::None();
    }
    int revents = PollUntil(fd, events, deadline);
    if (revents < 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    if (revents == 0) {
        return {ErrorKind::TimedOut, ETIMEDOUT, NativeSource::Errno};
    }
    hungUp = (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return Error::None();
}

// The one loop of every request: step(done) moves what it can after the first done bytes.
// whole(done), when given, says whether the first done bytes are all the request needs.
template <typename Step>
IoResult Transfer(const UniqueFd& fd, short events, std::size_t size, const Deadline& deadline,
                  const TransferRules& rules, const std::function<Error()>& gate, Step step,
                  const std::function<bool(std::size_t)>& whole = {}) {
    bool reading = events == POLLIN;
    IoResult result;
    bool hungUp = false;
    while (result.count < size) {
        if (gate) {
            if (Error held = gate(); !held.Ok()) {
                result.error = held;
                return result;
            }
        }
        ssize_t moved = step(result.count);
        if (moved > 0) {
            result.count += static_cast<std::size_t>(moved);
            if (reading && rules.wholeTransfers) {
                return result;
            }
            continue;
        }
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved == 0 && reading && rules.socket) {
            result.error = {ErrorKind::Disconnected, ECONNRESET, NativeSource::Errno};
            return result;
        }
        if (moved < 0 && errno != EAGAIN) {
            result.error = ErrorFromErrno(errno, During::Use);
            return result;
        }
        if (moved == 0 && rules.wholeTransfers) {
            if (!reading) {
                // Taking nothing without a reason would only repeat: the device takes no data.
                result.error = {ErrorKind::Other, 0};
            } else if (HungUpNow(fd)) {
                result.error = {ErrorKind::Disconnected, EIO, NativeSource::Errno};
            }
            // Otherwise an empty transfer: it is the whole answer.
            return result;
        }
        if (whole && whole(result.count)) {
            return result;
        }
        if (Error stop = WaitForDevice(fd, events, deadline, rules, hungUp); !stop.Ok()) {
            result.error = stop;
            return result;
        }
    }
    return result;
}

}  // namespace

UniqueFd OpenLocked(const std::string& path, bool exclusive, Error& error) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid() || ::flock(fd.Get(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        error = ErrorFromErrno(errno, During::Open);
        return UniqueFd();
    }
    error = Error::None();
    return fd;
}

int PollUntil(const UniqueFd& fd, short events, const Deadline& deadline) {
    WaitPacer* pacer = deadline.Pacer();
    for (;;) {
        if (pacer != nullptr) {
            pacer->CallIfDue();
        }
        const int left = deadline.RemainingMs();
        const int slice =
            pacer != nullptr ? static_cast<int>(pacer->Slice(milliseconds(left)).count()) : left;
        pollfd entry{fd.Get(), events, 0};
        int ready = ::poll(&entry, 1, slice);
        if (ready > 0) {
            return entry.revents;
        }
        if (ready < 0 && errno != EINTR) {
            return ready;
        }
        // A slice that ended at the deadline ends the wait; an earlier one only lets the hook in.
        if (ready == 0 && slice == left) {
            return 0;
        }
    }
}

IoResult ReadWithDeadline(const UniqueFd& fd, std::span<std::uint8_t> buffer,
                          const Deadline& deadline, const TransferRules& rules,
                          const ReplyComplete& complete) {
    std::function<bool(std::size_t)> whole;
    if (complete) {
        whole = [&](std::size_t done) { return complete(buffer.first(done)); };
    }
    return Transfer(
        fd, POLLIN, buffer.size(), deadline, rules, {},
        [&](std::size_t done) {
            return ::read(fd.Get(), buffer.data() + done, buffer.size() - done);
        },
        whole);
}

IoResult WriteWithDeadline(const UniqueFd& fd, std::span<const std::uint8_t> data,
                           const Deadline& deadline, const TransferRules& rules,
                           const std::function<Error()>& gate) {
    return Transfer(fd, POLLOUT, data.size(), deadline, rules, gate, [&](std::size_t done) {
        if (rules.socket) {
            return ::send(fd.Get(), data.data() + done, data.size() - done, MSG_NOSIGNAL);
        }
        return ::write(fd.Get(), data.data() + done, data.size() - done);
    });
}

}  // namespace corvane::platform::posix
