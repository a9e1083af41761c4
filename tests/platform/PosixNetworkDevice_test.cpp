// The network device against the kernel's own TCP on the loopback interface.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {
namespace {

using namespace std::chrono_literals;

// A listening socket on a free port of 127.0.0.1.
class Listener {
public:
    explicit Listener(int backlog = 4) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
              ::listen(fd_, backlog) == 0 &&
              ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { Close(); }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool Ok() const { return ok_; }
    std::uint16_t Port() const { return port_; }
    int Accept() { return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC); }

private:
    int fd_ = -1;
    bool ok_ = false;
    std::uint16_t port_ = 0;
};

// Guards against a printer's bytes lost on the way, and against a closed connection that a read
// waits out or that a write answers with SIGPIPE, which would end the program.
TEST(PosixNetwork, BytesGoBothWaysAndAClosedConnectionIsDisconnected) {
    Listener listener;
    ASSERT_TRUE(listener.Ok());
    PosixPlatform platform;
    Error error;
    auto device = platform.OpenNetwork("127.0.0.1", listener.Port(), error);
    ASSERT_NE(device, nullptr) << ToString(error.kind);
    EXPECT_EQ(device->Name(), "tcp:127.0.0.1:" + std::to_string(listener.Port()));
    int printer = listener.Accept();
    ASSERT_GE(printer, 0);

    const std::uint8_t request[] = {0x1D, 0x49, 0x03};
    EXPECT_EQ(device->Write(request).count, 3u);
    std::uint8_t received[3] = {};
    ASSERT_EQ(::recv(printer, received, 3, MSG_WAITALL), 3);
    EXPECT_EQ(received[2], 0x03);
    ASSERT_EQ(::send(printer, "d", 1, 0), 1);
    std::uint8_t answer = 0;
    IoResult got = device->Read({&answer, 1});
    EXPECT_EQ(got.count, 1u);
    EXPECT_EQ(answer, 'd');

    ::close(printer);
    auto start = std::chrono::steady_clock::now();
    got = device->Read({&answer, 1});
    EXPECT_EQ(got.count, 0u);
    EXPECT_EQ(got.error.kind, ErrorKind::Disconnected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    // The first write after the close may still be taken; the one after it fails, quietly.
    device->Write(request);
    EXPECT_EQ(device->Write(request).error.kind, ErrorKind::Disconnected);
}

// Guards against a switched-off printer or a wrong address keeping the program waiting without
// end, and against their errors reading like those of a serial device.
TEST(PosixNetwork, RefusedAndUnansweredConnectionsEndWithTheirOwnWords) {
    PosixPlatform platform;
    Error error;
    Listener closed;
    ASSERT_TRUE(closed.Ok());
    const std::uint16_t nobody = closed.Port();
    closed.Close();
    EXPECT_EQ(platform.OpenNetwork("127.0.0.1", nobody, error), nullptr);
    EXPECT_EQ(error.kind, ErrorKind::NotFound);
    EXPECT_EQ(error.nativeCode, ECONNREFUSED);
    EXPECT_EQ(DescribeNetworkError(error), "connection refused");

    // A listener whose queue is full drops the handshake, as a host that is not there does.
    Listener full(0);
    ASSERT_TRUE(full.Ok());
    auto first = platform.OpenNetwork("127.0.0.1", full.Port(), error);
    ASSERT_NE(first, nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(platform.OpenNetwork("127.0.0.1", full.Port(), error), nullptr);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error.kind, ErrorKind::TimedOut);
    EXPECT_EQ(DescribeNetworkError(error), "no answer from the host");
    EXPECT_GE(took, std::chrono::milliseconds(kNetworkConnectTimeoutMs));
    EXPECT_LT(took, std::chrono::milliseconds(kNetworkConnectTimeoutMs + 300));
}

}  // namespace
}  // namespace corvane::platform::posix
