#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::link {

// The raw TCP port that printers' network interface boards pass bytes through on.
inline constexpr std::uint16_t kDefaultPrinterTcpPort = 9100;

// A printer on the network, reached over TCP: a host name or address and a port.
struct NetworkAddress {
    std::string host;  // a name, an IPv4 address or an IPv6 address without brackets
    std::uint16_t port = kDefaultPrinterTcpPort;

    bool operator==(const NetworkAddress&) const = default;
};

// Understands "tcp:HOST" and "tcp:HOST:PORT" (the prefix in any letter case; an IPv6 address in
// brackets, "tcp:[fe80::1]:9100"); the port is 1 to 65535 and 9100 when left out. Anything else,
// a device path among them, is no network address.
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text);

// The address as the port map keeps it and the trace names it: "tcp:HOST:PORT", with an IPv6
// address in brackets.
std::string FormatNetworkAddress(const NetworkAddress& address);

}  // namespace corvane::link
