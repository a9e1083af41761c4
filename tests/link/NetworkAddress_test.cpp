#include "link/NetworkAddress.h"

#include <gtest/gtest.h>

#include "link/SpoolerPorts.h"

namespace corvane::link {
namespace {

struct AddressCase {
    const char* text;
    const char* written;  // as the port map keeps it; empty: no network address
};

// Guards against a device path, a URL or a malformed port being taken for a printer on the
// network, and against two spellings of one address that the port map would keep apart.
TEST(NetworkAddress, ReadsTcpHostAndPortAndWritesThemOneWay) {
    const AddressCase cases[] = {
        {"tcp:192.168.1.50", "tcp:192.168.1.50:9100"},
        {"TCP:till-3.shop:9101", "tcp:till-3.shop:9101"},
        {"tcp:[fe80::1]", "tcp:[fe80::1]:9100"},
        {"tcp:[::1]:65535", "tcp:[::1]:65535"},
        {"tcp:", ""},
        {"tcp::9100", ""},
        {"tcp:host:", ""},
        {"tcp:host:0", ""},
        {"tcp:host:65536", ""},
        {"tcp:host:91a0", ""},
        {"tcp:fe80::1", ""},
        {"tcp:[fe80::1", ""},
        {"tcp:[fe80::1]9100", ""},
        {"tcp://host:9100", ""},
        {"tcp:host/queue", ""},
        {"/dev/ttyUSB0", ""},
        {"socket://host:9100", ""},
    };
    for (const auto& row : cases) {
        auto address = ParseNetworkAddress(row.text);
        EXPECT_EQ(address ? FormatNetworkAddress(*address) : "", row.written) << row.text;
    }
}

struct QueueCase {
    const char* deviceUri;
    bool uses;
};

// Guards against stopping the queue of another printer on the network, or leaving running the
// queue that prints to this one.
TEST(NetworkAddress, OnlyQueuesWhoseSocketUriNamesHostAndPortUseIt) {
    const QueueCase cases[] = {
        {"socket://192.168.1.50", true},
        {"socket://192.168.1.50:9100", true},
        {"SOCKET://192.168.1.50:9100/?contimeout=30", true},
        {"socket://192.168.1.50:9101", false},
        {"socket://192.168.1.5", false},
        {"socket://192.168.1.500", false},
        {"lpd://192.168.1.50/queue", false},
        {"ipp://192.168.1.50:9100/ipp", false},
        {"serial:/dev/ttyS0", false},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(QueueUsesNetworkAddress({"Q", row.deviceUri, false}, "192.168.1.50", 9100),
                  row.uses)
            << row.deviceUri;
    }
    EXPECT_TRUE(QueueUsesNetworkAddress({"Q", "socket://Till-3.Shop", false}, "till-3.shop", 9100));
    EXPECT_TRUE(QueueUsesNetworkAddress({"Q", "socket://[fe80::1]:9100", false}, "fe80::1", 9100));
}

}  // namespace
}  // namespace corvane::link
