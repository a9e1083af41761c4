#include "platform/posix/PosixNetworkDevice.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/BoundedWork.h"
#include "platform/posix/Deadline.h"
#include "platform/posix/DeviceIo.h"
#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

namespace {

using std::chrono::milliseconds;

constexpr TransferRules kSocketRules{.socket = true};

// What a lookup found; shared with its thread, which may outlive a caller that gave up.
struct Resolution {
    int status = 0;
    int systemError = 0;
    addrinfo* addresses = nullptr;

    ~Resolution() {
        if (addresses != nullptr) {
            ::freeaddrinfo(addresses);
        }
    }
};

Error ResolverError(int status, int systemError) {
    if (status == EAI_SYSTEM) {
        return ErrorFromErrno(systemError, During::Open);
    }
    // A name server that did not answer in time is a time-out; every other failure is a name
    // that stands for no address.
    ErrorKind kind = status == EAI_AGAIN ? ErrorKind::TimedOut : ErrorKind::NotFound;
    return {kind, status, NativeSource::Resolver};
}

// getaddrinfo() has no time-out of its own, so a name is looked up on a thread of its own and
// given up at the deadline; an address given as digits needs no lookup.
std::shared_ptr<Resolution> Resolve(const std::string& host, std::uint16_t port,
                                    const Deadline& deadline, Error& error) {
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    auto resolution = std::make_shared<Resolution>();
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &resolution->addresses) == 0) {
        error = Error::None();
        return resolution;
    }
    resolution->addresses = nullptr;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    bool ended = RunWithin(
        [resolution, host, service, hints] {
            resolution->status =
                ::getaddrinfo(host.c_str(), service.c_str(), &hints, &resolution->addresses);
            resolution->systemError = errno;
        },
        milliseconds(deadline.RemainingMs()), deadline.Pacer());
    if (!ended) {
        error = {ErrorKind::TimedOut, EAI_AGAIN, NativeSource::Resolver};
        return nullptr;
    }
    if (resolution->status != 0) {
        error = ResolverError(resolution->status, resolution->systemError);
        return nullptr;
    }
    error = Error::None();
    return resolution;
}

// Connects a non-blocking socket to one address, waiting at most until the deadline.
UniqueFd ConnectTo(const addrinfo& address, const Deadline& deadline, Error& error) {
    UniqueFd fd(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                         address.ai_protocol));
    if (!fd.Valid()) {
        error = ErrorFromErrno(errno, During::Open);
        return UniqueFd();
    }
    if (::connect(fd.Get(), address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            error = ErrorFromErrno(errno, During::Open);
            return UniqueFd();
        }
        int revents = PollUntil(fd, POLLOUT, deadline);
        if (revents < 0) {
            error = ErrorFromErrno(errno, During::Open);
            return UniqueFd();
        }
        if (revents == 0) {
            error = {ErrorKind::TimedOut, ETIMEDOUT, NativeSource::Errno};
            return UniqueFd();
        }
        int failure = 0;
        socklen_t length = sizeof failure;
        if (::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &failure, &length) != 0) {
            failure = errno;
        }
        if (failure != 0) {
            error = ErrorFromErrno(failure, During::Open);
            return UniqueFd();
        }
    }
    // The printer's commands are a few bytes each, and the program waits for its answers: they
    // must not wait for the acknowledgement of the one before.
    int on = 1;
    ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    error = Error::None();
    return fd;
}

}  // namespace

std::unique_ptr<PosixNetworkDevice> PosixNetworkDevice::Open(const std::string& host,
                                                             std::uint16_t port, Error& error,
                                                             std::shared_ptr<WaitPacer> pacer) {
    Deadline deadline(milliseconds(kNetworkConnectTimeoutMs), pacer.get());
    auto resolution = Resolve(host, port, deadline, error);
    if (!resolution) {
        return nullptr;
    }
    error = {ErrorKind::NotFound, EHOSTUNREACH, NativeSource::Errno};
    for (const addrinfo* address = resolution->addresses; address != nullptr;
         address = address->ai_next) {
        UniqueFd fd = ConnectTo(*address, deadline, error);
        if (fd.Valid()) {
            return std::unique_ptr<PosixNetworkDevice>(new PosixNetworkDevice(
                std::move(fd), NetworkDeviceName(host, port), std::move(pacer)));
        }
        if (error.kind == ErrorKind::TimedOut) {
            break;
        }
    }
    return nullptr;
}

PosixNetworkDevice::PosixNetworkDevice(UniqueFd fd, std::string name,
                                       std::shared_ptr<WaitPacer> pacer)
    : fd_(std::move(fd)), name_(std::move(name)), pacer_(std::move(pacer)) {}

Error PosixNetworkDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
    return Error::None();
}

IoResult PosixNetworkDevice::Write(std::span<const std::uint8_t> data) {
    Deadline deadline(
        RequestBudget(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()),
        pacer_.get());
    return WriteWithDeadline(fd_, data, deadline, kSocketRules);
}

IoResult PosixNetworkDevice::Read(std::span<std::uint8_t> buffer) {
    return ReadReply(buffer, {});
}

IoResult PosixNetworkDevice::ReadReply(std::span<std::uint8_t> buffer,
                                       const ReplyComplete& complete) {
    Deadline deadline(
        RequestBudget(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()),
        pacer_.get());
    return ReadWithDeadline(fd_, buffer, deadline, kSocketRules, complete);
}

Error PosixNetworkDevice::Purge() {
    std::array<std::uint8_t, 4096> dropped;
    // Bounded, so that a printer that never stops sending cannot keep the purge going.
    for (int round = 0; round < 64; ++round) {
        ssize_t count = ::recv(fd_.Get(), dropped.data(), dropped.size(), MSG_DONTWAIT);
        if (count > 0) {
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            return ErrorFromErrno(errno, During::Use);
        }
        break;
    }
    return Error::None();
}

}  // namespace corvane::platform::posix
