// corvane-cli end to end on printers on the network (corvane-sim on a TCP port) and the scan of
// pseudo-terminals, through the real socket and serial backends.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Programs.h"

namespace corvane::cli::test {
namespace {

using nlohmann::json;

// A port of 127.0.0.1 on which nothing listens.
std::string ClosedAddress() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return "tcp:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

// Guards against a network printer that answers otherwise than the same printer on a serial
// line: identify, get and set with its backup and verification go through as they do there.
TEST(NetworkPrinter, IdentifyGetAndSetGoThroughCorvaneSimOnATcpPort) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--tcp", "0", "--model", "KRT-310II"}));
    ASSERT_EQ(printer.Path().rfind("tcp:127.0.0.1:", 0), 0u) << printer.Path();
    TempDir dir;

    Finished identified = RunCli({"identify", "--port", printer.Path()});
    ASSERT_EQ(identified.status, 0) << identified.err;
    EXPECT_NE(identified.out.find("Model:     KRT-310II"), std::string::npos) << identified.out;

    Finished got = RunCli({"get", "--port", printer.Path()});
    ASSERT_EQ(got.status, 0) << got.err;
    json settings = json::parse(got.out);
    settings.erase("printer");
    settings["parity"] = "Even";
    settings["paperWidth"] = "57.5mm (2.26\")";
    std::ofstream(dir / "shop.json") << settings.dump();
    Finished set = RunCli({"set", dir / "shop.json", "--port", printer.Port("COM4"), "--backup-dir",
                           dir.Path(), "--json"});
    ASSERT_EQ(set.status, 0) << set.out << set.err;
    json report = json::parse(set.out);
    EXPECT_EQ(report["verified"], true);
    EXPECT_EQ(report["backup"].get<std::string>().find(dir.Path().string() +
                                                       "/backup-COM4-tcp-127.0.0.1-"),
              0u)
        << report["backup"];
    EXPECT_EQ(printer.StateLine("serial parity"), "2");
    EXPECT_EQ(printer.StateLine("paper width"), "2");
}

// Guards against a refused or a silent connection that hangs, or that reads like a serial
// device's failure: each ends as on the other links, with its own words for the first.
TEST(NetworkPrinter, RefusedAndSilentConnectionsEndAsOnTheOtherLinks) {
    const std::string nobody = ClosedAddress();
    Finished refused = RunCli({"identify", "--port", nobody});
    EXPECT_EQ(refused.status, 4);
    EXPECT_NE(refused.err.find("cannot open COM1 (" + nobody + "): connection refused (errno " +
                               std::to_string(ECONNREFUSED) + ")"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("Can't open port and Printer is disconnected"), std::string::npos);
    EXPECT_LT(refused.seconds, 1.0);

    SimPrinter silent;
    ASSERT_TRUE(silent.Start({"--tcp", "0", "--silent"}));
    TempDir dir;
    Finished quiet = RunCli(
        {"identify", "--model", "KRT-310", "--port", silent.Path(), "--trace", dir / "trace"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_NE(quiet.err.find("Port error! Check printer's port, please."), std::string::npos)
        << quiet.err;
    // The version id is waited for as on a serial line: 200 ms, 2001 ms, 500 ms, 2001 ms.
    EXPECT_GE(quiet.seconds, 4.7);
    EXPECT_LT(quiet.seconds, 6.0);
    EXPECT_NE(ReadFile(dir / "trace").find(silent.Path() + " read 0 of 1 bytes, timed out"),
              std::string::npos);
}

// Guards against a scan that misses a printer at a speed other than the window's, reports a
// silent port as a printer, or takes longer than the bound: on pseudo-terminals only the speed
// differs (the kernel keeps no parity or character size there), the rest is for the simulated
// platform's tests.
TEST(Scan, FindsThePrinterAt19200AmongThreePseudoTerminalsWithinTenSeconds) {
    SimPrinter fast;
    ASSERT_TRUE(fast.Start({"--model", "KRT-310II", "--line", "19200,7E1"}));
    SimPrinter usual;
    ASSERT_TRUE(usual.Start({"--model", "KRT-620", "--line", "9600"}));
    SimPrinter silent;
    ASSERT_TRUE(silent.Start({"--silent"}));

    Finished scan = RunCli({"scan", "--json", "--port", fast.Port("COM1"), "--port",
                            usual.Port("COM2"), "--port", silent.Port("COM3")});
    ASSERT_EQ(scan.status, 0) << scan.out << scan.err;
    json result = json::parse(scan.out);
    ASSERT_EQ(result["printers"].size(), 2u) << scan.out;
    json first = result["printers"][0];
    EXPECT_EQ(first["port"], fast.Port("COM1"));
    EXPECT_EQ(first["baudRate"], 19200);
    EXPECT_EQ(first["model"], "KRT-310II");
    EXPECT_EQ(first["maker"], "VANTORA");
    EXPECT_EQ(first["emulation"], "native");
    json second = result["printers"][1];
    EXPECT_EQ(second["baudRate"], 9600);
    EXPECT_EQ(second["model"], "KRT-620");
    json ports = result["ports"];
    EXPECT_EQ(ports[2]["found"], false);
    EXPECT_EQ(ports[2]["problem"], "no answer at any line setting");
    // The silent port was asked at every line: the printers' 5 speeds, 2 data bits, 3 parities.
    EXPECT_EQ(ports[2]["questions"], 30);
    EXPECT_EQ(silent.StateLine("commands taken"), "30");
    std::cout << "scan of three pseudo-terminals: " << scan.seconds << " s\n";
    EXPECT_LT(scan.seconds, 10.0);
}

}  // namespace
}  // namespace corvane::cli::test
