#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"

namespace corvane::platform::win32 {

// A printer on the network through a Windows Sockets TCP connection, non-blocking, so that
// connecting, reading and writing each wait in select() until their deadline.
class Win32NetworkDevice final : public NetworkDevice {
public:
    // Resolves host and connects to the first of its addresses that takes the connection, within
    // kNetworkConnectTimeoutMs for both. Its waits keep the pacer's hook called, when one is
    // given.
    static std::unique_ptr<Win32NetworkDevice> Open(const std::string& host, std::uint16_t port,
                                                    Error& error,
                                                    std::shared_ptr<WaitPacer> pacer = nullptr);
    ~Win32NetworkDevice() override;

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override;
    // Drops what the printer sent and nobody read yet.
    Error Purge() override;
    std::string Name() const override { return name_; }
    Error SetTimeouts(const SerialTimeouts& timeouts) override;

private:
    Win32NetworkDevice(std::uintptr_t socket, std::string name, std::shared_ptr<WaitPacer> pacer);

    std::uintptr_t socket_;  // a SOCKET, kept out of this header with winsock2.h
    std::string name_;
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::win32
