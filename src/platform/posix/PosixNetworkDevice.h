#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/posix/UniqueFd.h"

namespace corvane::platform::posix {

// A printer on the network through a TCP socket, non-blocking, so that connecting, reading and
// writing each wait in poll() until their deadline.
class PosixNetworkDevice final : public NetworkDevice {
public:
    // Resolves host and connects to the first of its addresses that takes the connection, within
    // kNetworkConnectTimeoutMs for both; name is what the device calls itself. Its waits keep
    // the pacer's hook called, when one is given.
    static std::unique_ptr<PosixNetworkDevice> Open(const std::string& host, std::uint16_t port,
                                                    Error& error,
                                                    std::shared_ptr<WaitPacer> pacer = nullptr);

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override;
    // Drops what the printer sent and nobody read yet; what was written is on its way already.
    Error Purge() override;
    std::string Name() const override { return name_; }
    Error SetTimeouts(const SerialTimeouts& timeouts) override;

private:
    PosixNetworkDevice(UniqueFd fd, std::string name, std::shared_ptr<WaitPacer> pacer);

    UniqueFd fd_;
    std::string name_;
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::posix
