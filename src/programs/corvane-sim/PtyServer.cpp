#include "programs/corvane-sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/sim/SerialWire.h"
#include "programs/corvane-sim/ServerPoll.h"

namespace corvane::programs {

namespace {

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::uint32_t BaudOf(speed_t speed) {
    switch (speed) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

}  // namespace

PtyServer::PtyServer(sim::VirtualPrinter& printer, ReportOutput output, std::string linkPath)
    : printer_(printer), report_(printer, std::move(output)), linkPath_(std::move(linkPath)) {}

PtyServer::~PtyServer() {
    for (int fd : {master_, keeper_, inotify_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (linked_) {
        std::error_code ignored;
        std::filesystem::remove(linkPath_, ignored);
    }
}

bool PtyServer::Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = ErrnoText("Cannot make a pseudo-terminal");
        return false;
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = ErrnoText("Cannot unlock the pseudo-terminal");
        return false;
    }
    std::array<char, 128> name{};
    if (ptsname_r(master_, name.data(), name.size()) != 0) {
        error = ErrnoText("Cannot name the pseudo-terminal");
        return false;
    }
    slavePath_ = name.data();
    keeper_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keeper_ < 0) {
        error = ErrnoText("Cannot open the pseudo-terminal");
        return false;
    }
    // Raw from the start, so that nothing is echoed or translated before the program sets
    // the line up.
    termios settings{};
    if (tcgetattr(keeper_, &settings) == 0) {
        cfmakeraw(&settings);
        cfsetispeed(&settings, B9600);
        cfsetospeed(&settings, B9600);
        settings.c_cflag |= CLOCAL | CREAD;
        tcsetattr(keeper_, TCSANOW, &settings);
    }
    int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);

    // Opens and closes of the terminal by the program show up as inotify events.
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0 && inotify_add_watch(inotify_, slavePath_.c_str(),
                                           IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(inotify_);
        inotify_ = -1;
    }

    if (!linkPath_.empty()) {
        std::error_code ec;
        if (std::filesystem::is_symlink(linkPath_, ec)) {
            std::filesystem::remove(linkPath_, ec);
        }
        std::filesystem::create_symlink(slavePath_, linkPath_, ec);
        if (ec) {
            error = "Cannot make the link " + linkPath_ + ": " + ec.message();
            return false;
        }
        linked_ = true;
    }
    if (!report_.Open(error)) {
        return false;
    }
    start_ = Clock::now();
    return true;
}

std::chrono::microseconds PtyServer::Elapsed() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
}

std::uint32_t PtyServer::LineSpeed() const {
    termios settings{};
    if (keeper_ < 0 || tcgetattr(keeper_, &settings) != 0) {
        return 0;
    }
    return BaudOf(cfgetospeed(&settings));
}

int PtyServer::Serve(int signalFd, std::ostream& out) {
    while (true) {
        if (!unplugged_ && printer_.IsUnpluggedAt(Elapsed())) {
            Hangup(out);
        }
        SendDue();

        std::vector<pollfd> fds;
        fds.push_back({signalFd, POLLIN, 0});
        if (!unplugged_) {
            short events = POLLIN;
            if (!outgoing_.empty()) {
                events |= POLLOUT;
            }
            fds.push_back({master_, events, 0});
            if (inotify_ >= 0) {
                fds.push_back({inotify_, POLLIN, 0});
            }
        }
        if (auto ended = PollOrEnd(fds, PollTimeoutMs(), printer_, out)) {
            return *ended;
        }
        if (unplugged_) {
            continue;
        }
        if (fds.size() > 2 && (fds[2].revents & POLLIN)) {
            WatchOpens();
        }
        if (fds[1].revents & POLLIN) {
            TakeInput(out);
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            // No side of the terminal is open; our own keeps it from happening, but never spin.
            usleep(50'000);
        }
    }
}

int PtyServer::PollTimeoutMs() const {
    if (unplugged_) {
        return -1;
    }
    return programs::PollTimeoutMs(replies_.NextDue(), UnplugMoment(printer_, start_));
}

std::optional<platform::SerialConfig> PtyServer::MismatchedHostLine() const {
    const auto& printerLine = printer_.GetSerialLine();
    if (!printerLine) {
        return std::nullopt;
    }
    platform::SerialConfig host = *printerLine;
    host.baudRate = LineSpeed();
    if (platform::sim::SameFraming(host, *printerLine)) {
        return std::nullopt;
    }
    return host;
}

void PtyServer::TakeInput(std::ostream& out) {
    std::array<std::uint8_t, 4096> buffer;
    ssize_t count = read(master_, buffer.data(), buffer.size());
    if (count <= 0) {
        return;
    }
    std::span<const std::uint8_t> input(buffer.data(), static_cast<std::size_t>(count));
    auto host = MismatchedHostLine();
    std::vector<sim::VirtualPrinter::Reply> replies;
    if (!host) {
        replies = printer_.Feed(input);
    } else {
        replies = printer_.Feed(platform::sim::Reframe(input, *host, *printer_.GetSerialLine()));
        for (auto& reply : replies) {
            reply = platform::sim::Reframe(reply, *printer_.GetSerialLine(), *host);
        }
    }
    std::uint32_t speed =
        printer_.GetSerialLine() ? printer_.GetSerialLine()->baudRate : LineSpeed();
    replies_.Schedule(std::move(replies), printer_.GetFaults(), speed);
    SendDue();
    report_.Report(out);
}

void PtyServer::SendDue() {
    if (unplugged_) {
        return;
    }
    replies_.TakeDue(outgoing_);
    while (!outgoing_.empty()) {
        ssize_t written = write(master_, outgoing_.data(), outgoing_.size());
        if (written <= 0) {
            return;  // the terminal's input queue is full; POLLOUT tells when to go on
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + written);
    }
}

void PtyServer::WatchOpens() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    while (true) {
        ssize_t count = read(inotify_, buffer.data(), buffer.size());
        if (count <= 0) {
            return;
        }
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            if (event->mask & IN_OPEN) {
                ++clientOpens_;
            }
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                clientOpens_ = std::max(0, clientOpens_ - 1);
                if (clientOpens_ == 0) {
                    // Closing a real serial port drops its unread input and ends exclusive use.
                    tcflush(keeper_, TCIFLUSH);
                    ioctl(keeper_, TIOCNXCL);
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void PtyServer::Hangup(std::ostream& out) {
    unplugged_ = true;
    replies_.Clear();
    outgoing_.clear();
    for (int* fd : {&master_, &keeper_, &inotify_}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
    out << "unplugged" << std::endl;
}

}  // namespace corvane::programs
