// corvane-cli and the print queues of a private scheduler: what ports tells about a device, and
// the queues a command stopped running again when a signal ends it.
#include <sys/file.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Programs.h"
#include "spooler/CupsDaemonTest.h"

namespace corvane::cli::test {
namespace {

using nlohmann::json;
using spooler_test::CupsDaemon;

class CliQueues : public spooler_test::CupsDaemonTest {
protected:
    Process::Options Scheduler() const {
        Process::Options options;
        options.environment = {"CUPS_SERVER=" + daemon->Socket()};
        return options;
    }
};

// Guards against print queues left stopped, so that jobs never print, when the program is ended
// by a signal in the middle of an exchange.
TEST_F(CliQueues, ATerminationSignalStartsTheStoppedQueuesAgain) {
    for (int number : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(number);
        SimPrinter printer;
        ASSERT_TRUE(printer.Start({"--silent"}));
        AddQueue("Receipts", "serial:" + printer.Path());
        Process cli;
        ASSERT_TRUE(cli.Start(kCliBinary, {"get", "--port", printer.Port()}, Scheduler()));
        ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->State("Receipts").stopped; }));
        EXPECT_EQ(daemon->State("Receipts").message, "The port is in use by Corvane Manager.");
        cli.Signal(number);
        Finished ended = cli.Wait(10s);
        EXPECT_EQ(ended.status, 128 + number) << ended.err;
        EXPECT_FALSE(daemon->State("Receipts").stopped);
        daemon->DeleteAllQueues();
    }
}

// Guards against the spooler printing to a network printer while a command talks to it, and
// against stopping the queue of another printer on the network.
TEST_F(CliQueues, TheQueueOnThePrintersNetworkAddressIsStoppedWhileTheCommandRuns) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--tcp", "0", "--silent"}));
    const std::string address = printer.Path();  // tcp:127.0.0.1:PORT
    const std::string port = address.substr(address.rfind(':') + 1);
    AddQueue("Bar", "socket://127.0.0.1:" + port);
    AddQueue("Kitchen", "socket://127.0.0.1:" + std::to_string(std::stoi(port) + 1));
    Process cli;
    ASSERT_TRUE(
        cli.Start(kCliBinary, {"identify", "--model", "KRT-310", "--port", address}, Scheduler()));
    ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->State("Bar").stopped; }));
    EXPECT_FALSE(daemon->State("Kitchen").stopped);
    Finished ended = cli.Wait(20s);
    EXPECT_EQ(ended.status, 1) << ended.err;
    EXPECT_FALSE(daemon->State("Bar").stopped);
    daemon->DeleteAllQueues();
}

// Guards against a printer's text or a closed output ending the program on the spot with the
// queue stopped: bytes that are no UTF-8 give valid JSON, an escape sequence never reaches the
// terminal, and a reader that went away is told with its own status after the queue runs again.
TEST_F(CliQueues, PrinterTextsAndAClosedOutputEndInTurnWithTheQueueRunning) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--firmware", "V1.0\xA9\x1B[31m", "--language", "ENG\\xA9"}));
    AddQueue("Receipts", "serial:" + printer.Path());

    Finished asJson = RunCli({"identify", "--json", "--port", printer.Port()}, Scheduler());
    EXPECT_EQ(asJson.status, 0) << asJson.err;
    json identity;
    ASSERT_NO_THROW(identity = json::parse(asJson.out)) << asJson.out;
    EXPECT_EQ(identity["firmware"], "V1.0\\xA9\u001b[31m");
    // The printer's own backslash is doubled, so that it never reads as a byte.
    EXPECT_EQ(identity["language"], "ENG\\\\xA9");

    Finished plain = RunCli({"identify", "--port", printer.Port()}, Scheduler());
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("Firmware:  V1.0\\xA9\\x1B[31m\n"), std::string::npos) << plain.out;
    EXPECT_EQ((plain.out + plain.err).find('\x1B'), std::string::npos);

    Process::Options closed = Scheduler();
    closed.closedOutput = true;
    Finished piped = RunCli({"get", "--json", "--port", printer.Port()}, closed);
    EXPECT_EQ(piped.status, 74) << piped.err;
    EXPECT_NE(piped.err.find("the result could not be written to standard output: Broken pipe"),
              std::string::npos)
        << piped.err;
    EXPECT_FALSE(daemon->State("Receipts").stopped);
}

// Guards against ports sending the user away without saying why a device cannot be used: a
// device another program holds, one this user may not open, and one a print queue uses.
TEST_F(CliQueues, PortsTellWhyADeviceCannotBeUsedAndWhatToDo) {
    TempDir tree;
    for (const char* name : {"busy", "locked", "queued"}) {
        std::ofstream(tree / name).put('\0');
    }
    int held = ::open((tree / "busy").c_str(), O_RDWR);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    AddQueue("Kitchen", "serial:" + (tree / "queued"));

    Finished listed = RunCli({"ports", "--json", "--port", "COM2=" + (tree / "busy"), "--port",
                              "COM3=" + (tree / "queued")},
                             Scheduler());
    ASSERT_EQ(listed.status, 0) << listed.err;
    json ports = json::parse(listed.out)["ports"];
    ASSERT_EQ(ports.size(), 18u);
    EXPECT_EQ(ports[1]["usable"], false);
    EXPECT_EQ(ports[1]["problems"][0]["why"].get<std::string>().rfind(
                  "held by process " + std::to_string(::getpid()) + " (", 0),
              0u)
        << ports[1].dump();
    EXPECT_EQ(ports[2]["queues"], json::array({"Kitchen"}));
    EXPECT_EQ(ports[2]["problems"][0]["why"], "print queue Kitchen prints to it");
    ::close(held);

    // Root reads everything, so the device is looked at as another user who is not in its group.
    Process::Options outsider = Scheduler();
    std::string expected = "no permission to read and write it";
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((tree / "locked").c_str(), 0, 20), 0);  // the dialout group
        ::chmod((tree / "locked").c_str(), 0660);
        outsider.user = 65534;
        outsider.group = 65534;
        expected += " (owner 0, group dialout, mode 0660); nobody is not in the dialout group";
    } else {
        ::chmod((tree / "locked").c_str(), 0);
    }
    Finished refused = RunCli({"ports", "--json", "--port", "COM4=" + (tree / "locked")}, outsider);
    ASSERT_EQ(refused.status, 0) << refused.err;
    json locked = json::parse(refused.out)["ports"][3];
    EXPECT_EQ(locked["exists"], true);
    EXPECT_EQ(locked["usable"], false);
    EXPECT_EQ(locked["problems"][0]["why"].get<std::string>().rfind(expected, 0), 0u)
        << locked.dump();
    if (::geteuid() == 0) {
        EXPECT_EQ(locked["problems"][0]["todo"],
                  "sudo usermod -aG dialout nobody, then log in again");
    }
}

}  // namespace
}  // namespace corvane::cli::test
