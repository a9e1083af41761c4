#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/Win32NetworkDevice.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "platform/BoundedWork.h"
#include "platform/win32/ErrorFromWin32.h"

namespace corvane::platform::win32 {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Windows Sockets for the whole program, started at the first connection.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

Error LastSocketError(During when = During::Use) {
    return ErrorFromWin32(static_cast<std::uint32_t>(WSAGetLastError()), when);
}

milliseconds Left(Clock::time_point end) {
    return std::max(std::chrono::ceil<milliseconds>(end - Clock::now()), milliseconds::zero());
}

// Waits until the socket may be read or written, or the deadline: 1 ready, 0 at the deadline,
// -1 on an error; the pacer's hook is called between slices.
int WaitFor(SOCKET socket, bool write, Clock::time_point end, WaitPacer* pacer) {
    for (;;) {
        if (pacer != nullptr) {
            pacer->CallIfDue();
        }
        const milliseconds left = Left(end);
        const milliseconds slice = pacer != nullptr ? pacer->Slice(left) : left;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(socket, &ready);
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(socket, &failed);
        timeval wait{static_cast<long>(slice.count() / 1000),
                     static_cast<long>((slice.count() % 1000) * 1000)};
        int count = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
        if (count == SOCKET_ERROR) {
            return -1;
        }
        if (count > 0) {
            // A failed connect shows in the exception set; the caller asks why.
            return 1;
        }
        if (slice == left) {
            return 0;
        }
    }
}

// Waits as WaitFor does: None when the socket is ready, else why the request ends.
Error AwaitSocket(SOCKET socket, bool write, Clock::time_point end, WaitPacer* pacer) {
    int ready = WaitFor(socket, write, end, pacer);
    if (ready > 0) {
        return Error::None();
    }
    return ready == 0 ? Error{ErrorKind::TimedOut, WSAETIMEDOUT, NativeSource::Win32}
                      : LastSocketError();
}

// What a lookup found; shared with its thread, which may outlive a caller that gave up.
struct Resolution {
    int status = 0;
    addrinfo* addresses = nullptr;
    ~Resolution() {
        if (addresses != nullptr) {
            freeaddrinfo(addresses);
        }
    }
};

SOCKET ConnectTo(const addrinfo& address, Clock::time_point end, WaitPacer* pacer, Error& error) {
    SOCKET socket = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket == INVALID_SOCKET) {
        error = LastSocketError(During::Open);
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    auto fail = [&](Error why) {
        error = why;
        closesocket(socket);
        return INVALID_SOCKET;
    };
    if (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            return fail(LastSocketError(During::Open));
        }
        if (Error waited = AwaitSocket(socket, true, end, pacer); !waited.Ok()) {
            return fail(waited);
        }
        int failure = 0;
        int length = sizeof failure;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &length);
        if (failure != 0) {
            return fail(ErrorFromWin32(static_cast<std::uint32_t>(failure), During::Open));
        }
    }
    // The printer's commands are a few bytes each, and the program waits for its answers: they
    // must not wait for the acknowledgement of the one before.
    BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    error = Error::None();
    return socket;
}

}  // namespace

std::unique_ptr<Win32NetworkDevice> Win32NetworkDevice::Open(const std::string& host,
                                                             std::uint16_t port, Error& error,
                                                             std::shared_ptr<WaitPacer> pacer) {
    StartWinsock();
    const auto end = Clock::now() + milliseconds(kNetworkConnectTimeoutMs);
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    auto resolution = std::make_shared<Resolution>();
    // getaddrinfo() has no time-out of its own, so a name is looked up on a thread of its own.
    bool ended = RunWithin(
        [resolution, host, service, hints] {
            resolution->status =
                getaddrinfo(host.c_str(), service.c_str(), &hints, &resolution->addresses);
        },
        Left(end), pacer.get());
    if (!ended) {
        error = {ErrorKind::TimedOut, WSATRY_AGAIN, NativeSource::Win32};
        return nullptr;
    }
    if (resolution->status != 0) {
        error = ErrorFromWin32(static_cast<std::uint32_t>(resolution->status), During::Open);
        return nullptr;
    }
    error = {ErrorKind::NotFound, WSAEHOSTUNREACH, NativeSource::Win32};
    for (const addrinfo* address = resolution->addresses; address != nullptr;
         address = address->ai_next) {
        SOCKET socket = ConnectTo(*address, end, pacer.get(), error);
        if (socket != INVALID_SOCKET) {
            return std::unique_ptr<Win32NetworkDevice>(
                new Win32NetworkDevice(static_cast<std::uintptr_t>(socket),
                                       NetworkDeviceName(host, port), std::move(pacer)));
        }
        if (error.kind == ErrorKind::TimedOut) {
            break;
        }
    }
    return nullptr;
}

Win32NetworkDevice::Win32NetworkDevice(std::uintptr_t socket, std::string name,
                                       std::shared_ptr<WaitPacer> pacer)
    : socket_(socket), name_(std::move(name)), pacer_(std::move(pacer)) {}

Win32NetworkDevice::~Win32NetworkDevice() {
    closesocket(static_cast<SOCKET>(socket_));
}

Error Win32NetworkDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
    return Error::None();
}

IoResult Win32NetworkDevice::Write(std::span<const std::uint8_t> data) {
    const SOCKET socket = static_cast<SOCKET>(socket_);
    const auto end = Clock::now() + milliseconds(timeouts_.writeConstantMs +
                                                 timeouts_.writeMultiplierMs * data.size());
    IoResult result;
    while (result.count < data.size()) {
        int sent = send(socket, reinterpret_cast<const char*>(data.data() + result.count),
                        static_cast<int>(data.size() - result.count), 0);
        if (sent > 0) {
            result.count += static_cast<std::size_t>(sent);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            result.error = LastSocketError();
            return result;
        }
        if (result.error = AwaitSocket(socket, true, end, pacer_.get()); !result.error.Ok()) {
            return result;
        }
    }
    return result;
}

IoResult Win32NetworkDevice::Read(std::span<std::uint8_t> buffer) {
    return ReadReply(buffer, {});
}

IoResult Win32NetworkDevice::ReadReply(std::span<std::uint8_t> buffer,
                                       const ReplyComplete& complete) {
    const SOCKET socket = static_cast<SOCKET>(socket_);
    const auto end = Clock::now() + milliseconds(timeouts_.readConstantMs +
                                                 timeouts_.readMultiplierMs * buffer.size());
    IoResult result;
    while (result.count < buffer.size()) {
        int got = recv(socket, reinterpret_cast<char*>(buffer.data() + result.count),
                       static_cast<int>(buffer.size() - result.count), 0);
        if (got > 0) {
            result.count += static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0) {
            // The other end closed the connection.
            result.error = {ErrorKind::Disconnected, WSAECONNRESET, NativeSource::Win32};
            return result;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            result.error = LastSocketError();
            return result;
        }
        if (complete && complete(buffer.first(result.count))) {
            return result;
        }
        if (result.error = AwaitSocket(socket, false, end, pacer_.get()); !result.error.Ok()) {
            return result;
        }
    }
    return result;
}

Error Win32NetworkDevice::Purge() {
    const SOCKET socket = static_cast<SOCKET>(socket_);
    std::array<char, 4096> dropped;
    // Bounded, so that a printer that never stops sending cannot keep the purge going.
    for (int round = 0; round < 64; ++round) {
        int count = recv(socket, dropped.data(), static_cast<int>(dropped.size()), 0);
        if (count > 0) {
            continue;
        }
        if (count < 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
            return LastSocketError();
        }
        break;
    }
    return Error::None();
}

}  // namespace corvane::platform::win32
