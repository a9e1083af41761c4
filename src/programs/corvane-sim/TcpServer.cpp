#include "programs/corvane-sim/TcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "programs/corvane-sim/ServerPoll.h"

namespace corvane::programs {

namespace {

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

TcpServer::TcpServer(sim::VirtualPrinter& printer, ReportOutput output)
    : printer_(printer), report_(printer, std::move(output)) {}

TcpServer::~TcpServer() {
    CloseClient();
    if (listener_ >= 0) {
        close(listener_);
    }
}

bool TcpServer::Open(std::uint16_t port, std::string& error) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) {
        error = ErrnoText("Cannot make a socket");
        return false;
    }
    int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = ErrnoText(("Cannot listen on TCP port " + std::to_string(port)).c_str());
        return false;
    }
    if (listen(listener_, 8) != 0) {
        error = ErrnoText("Cannot listen");
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (!report_.Open(error)) {
        return false;
    }
    start_ = Clock::now();
    return true;
}

std::string TcpServer::Address() const {
    return "tcp:127.0.0.1:" + std::to_string(port_);
}

std::chrono::microseconds TcpServer::Elapsed() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
}

int TcpServer::Serve(int signalFd, std::ostream& out) {
    while (true) {
        if (!unplugged_ && printer_.IsUnpluggedAt(Elapsed())) {
            Hangup(out);
        }
        SendDue();

        std::vector<pollfd> fds;
        fds.push_back({signalFd, POLLIN, 0});
        if (!unplugged_) {
            if (client_ >= 0) {
                fds.push_back(
                    {client_, static_cast<short>(POLLIN | (outgoing_.empty() ? 0 : POLLOUT)), 0});
            } else {
                fds.push_back({listener_, POLLIN, 0});
            }
        }
        std::optional<Clock::time_point> unplug;
        if (!unplugged_) {
            unplug = UnplugMoment(printer_, start_);
        }
        if (auto ended = PollOrEnd(fds, PollTimeoutMs(replies_.NextDue(), unplug), printer_, out)) {
            return *ended;
        }
        if (fds.size() < 2) {
            continue;
        }
        if (client_ < 0 && (fds[1].revents & POLLIN)) {
            Accept();
        } else if (client_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            TakeInput(out);
        }
    }
}

void TcpServer::Accept() {
    client_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client_ >= 0) {
        int on = 1;
        setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
}

void TcpServer::TakeInput(std::ostream& out) {
    std::array<std::uint8_t, 4096> buffer;
    ssize_t count = recv(client_, buffer.data(), buffer.size(), 0);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (count <= 0) {
        // The host closed its connection: what the printer still had to say is lost with it.
        CloseClient();
        return;
    }
    replies_.Schedule(printer_.Feed(std::span<const std::uint8_t>(buffer.data(),
                                                                  static_cast<std::size_t>(count))),
                      printer_.GetFaults(), 0);
    SendDue();
    report_.Report(out);
}

void TcpServer::SendDue() {
    if (client_ < 0) {
        return;
    }
    replies_.TakeDue(outgoing_);
    while (!outgoing_.empty()) {
        ssize_t written = send(client_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL);
        if (written <= 0) {
            return;  // the socket's buffer is full; POLLOUT tells when to go on
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + written);
    }
}

void TcpServer::CloseClient() {
    if (client_ >= 0) {
        close(client_);
        client_ = -1;
    }
    replies_.Clear();
    outgoing_.clear();
}

void TcpServer::Hangup(std::ostream& out) {
    unplugged_ = true;
    CloseClient();
    if (listener_ >= 0) {
        close(listener_);
        listener_ = -1;
    }
    out << "unplugged" << std::endl;
}

}  // namespace corvane::programs
