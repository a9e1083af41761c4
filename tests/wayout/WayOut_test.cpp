// Every way out of the programs, each run with the real programs against a private print
// scheduler, and for deploy also an emulated USB printer on the libusb path: however a program
// ends, the queues it stopped run again with the jobs that waited in them, the USB printer is
// bound to its kernel driver again, nothing is left in the record of held things, and the exit
// status says how the program ended.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/Programs.h"
#include "link/EmulatedUsb.h"
#include "sim/VirtualPrinter.h"
#include "spooler/CupsDaemon.h"
#include "spooler/XSession.h"

namespace corvane::wayout_test {
namespace {

using namespace std::chrono_literals;
using cli::test::Finished;
using cli::test::Process;
using cli::test::ReadFile;
using cli::test::SimPrinter;
using cli::test::TempDir;
using spooler_test::CupsDaemon;
using spooler_test::XSession;

#ifdef CORVANE_BINARY
const std::string kWindowBinary = CORVANE_BINARY;
#else
const std::string kWindowBinary = "corvane-was-not-built";
#endif

constexpr char kMainWindowTitle[] = "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)";
constexpr char kJob[] = "a ticket sent while the program held the port\n";

enum class Way { Close, Interrupt, Terminate, HangUp, Kill, DisplayLost, BadText, ClosedPipe };
enum class Front { Window, Set, Deploy };

struct Cell {
    Way way;
    Front front;
};

std::string NameOf(Way way) {
    constexpr const char* kNames[] = {
        "Close",       "Sigint",         "Sigterm",     "Sighup", "SigkillThenNextStart",
        "DisplayLost", "BadPrinterText", "ClosedOutput"};
    return kNames[static_cast<int>(way)];
}

std::string NameOf(Front front) {
    constexpr const char* kNames[] = {"Window", "CliSet", "CliDeployToThree"};
    return kNames[static_cast<int>(front)];
}

void PrintTo(const Cell& cell, std::ostream* out) {
    *out << NameOf(cell.way) << " of " << NameOf(cell.front);
}

int SignalOf(Way way) {
    switch (way) {
        case Way::Interrupt:
            return SIGINT;
        case Way::Terminate:
            return SIGTERM;
        case Way::HangUp:
            return SIGHUP;
        case Way::Kill:
            return SIGKILL;
        default:
            return 0;
    }
}

// How an honest program ends on each way out.
void ExpectHonestStatus(Way way, const Finished& ended) {
    switch (way) {
        case Way::Close:
            EXPECT_EQ(ended.status, 0) << ended.out << ended.err;
            break;
        case Way::DisplayLost:
            // Qt's own end when its X connection breaks, which skips every destructor.
            EXPECT_EQ(ended.status, 1) << ended.err;
            EXPECT_NE(ended.err.find("The X11 connection broke"), std::string::npos) << ended.err;
            break;
        case Way::BadText:
            EXPECT_EQ(ended.status, 0) << "a printer text that is no UTF-8 is shown, not fatal\n"
                                       << ended.err;
            // The stray byte is shown visibly in the JSON rather than breaking it.
            EXPECT_NE(ended.out.find(R"("firmware": "V1.0\\xA9")"), std::string::npos) << ended.out;
            break;
        case Way::ClosedPipe:
            // The output that could not be written is the program's own error, not its end by
            // SIGPIPE.
            EXPECT_EQ(ended.status, 74) << ended.err;
            EXPECT_NE(ended.err.find("could not be written to standard output"), std::string::npos)
                << ended.err;
            break;
        default:
            EXPECT_EQ(ended.status, 128 + SignalOf(way)) << ended.err;
    }
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

class WayOutTest : public ::testing::TestWithParam<Cell> {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon_.Running()) << daemon_.Failure();
        // The record of held things is the cell's own, so that cells never see each other's.
        runtime_ = dir_ / "runtime";
        ASSERT_EQ(::mkdir(runtime_.c_str(), 0700), 0);
        environment_ = {"CUPS_SERVER=" + daemon_.Socket(), "XDG_RUNTIME_DIR=" + runtime_};
    }

    Process::Options Options(bool window = false) const {
        Process::Options options;
        options.environment = environment_;
        if (window) {
            options.environment.push_back("DISPLAY=" + x_->Display());
            options.environment.push_back("QT_QPA_PLATFORM=xcb");
        }
        return options;
    }

    // A simulated printer on a pseudo-terminal with a queue of the scheduler on it. The program
    // reaches it through a link, as through /dev/serial/by-id; umockdev's preload would also take
    // the terminal's own /dev path for one of its devices.
    void AddSerialPrinter(const std::string& queue, std::vector<std::string> options) {
        auto printer = std::make_unique<SimPrinter>();
        std::string link = dir_ / ("by-id-" + queue);
        options.insert(options.end(), {"--link", link});
        ASSERT_TRUE(printer->Start(options));
        ASSERT_EQ(daemon_.AddQueue(queue, "serial:" + printer->Path() + "?baud=9600"), "");
        queues_.push_back(queue);
        ports_.push_back(link);
        printers_.push_back(std::move(printer));
    }

    // The printer of the libusb path, bound to usblp that has no node.
    void AddUsbPrinter() {
        usb_ = std::make_unique<usb_test::EmulatedUsb>();
        ASSERT_TRUE(usb_->Ready()) << usb_->Failure();
        usbPrinter_ = &usb_->AddPrinter(0x2c9a, 0x0002, usb_test::Holder::UsblpWithoutNode);
        ASSERT_EQ(usb_->Failure(), "");
        usbPrinter_->SetResponder(
            [this](std::span<const std::uint8_t> sent) { return usbSide_.Feed(sent); });
    }

    bool QueuesStopped() {
        for (const auto& queue : queues_) {
            if (!daemon_.State(queue).stopped) {
                return false;
            }
        }
        return true;
    }

    bool HeldEverything() {
        return QueuesStopped() && (usbPrinter_ == nullptr || !usbPrinter_->Log().driverBound);
    }

    // The entries left in the cell's record of held things.
    int EntriesInRecord() const {
        std::string text = ReadFile(runtime_ + "/corvane/holdings");
        int lines = 0;
        for (char c : text) {
            lines += c == '\n' ? 1 : 0;
        }
        return lines > 0 ? lines - 1 : 0;
    }

    void ExpectEverythingGivenBack() {
        for (const auto& queue : queues_) {
            EXPECT_FALSE(daemon_.State(queue).stopped) << queue;
            EXPECT_TRUE(CupsDaemon::WaitUntil(
                [&] { return daemon_.Printed(queue).find(kJob) != std::string::npos; }, 10s))
                << "the job that waited in " << queue << " is lost";
        }
        if (usbPrinter_ != nullptr) {
            auto log = usbPrinter_->Log();
            EXPECT_GE(log.detaches, 1);
            EXPECT_TRUE(log.driverBound) << "usblp was not bound again";
        }
        EXPECT_EQ(EntriesInRecord(), 0) << ReadFile(runtime_ + "/corvane/holdings");
    }

    // Starts the program again after it was killed, as a user would, and checks that it gives
    // back what the killed one held within five seconds and says so.
    void StartAgainAfterTheKill() {
        Process next;
        auto started = std::chrono::steady_clock::now();
        if (GetParam().front == Front::Window) {
            ASSERT_TRUE(next.Start(kWindowBinary, {}, Options(true)));
        } else {
            ASSERT_TRUE(next.Start(cli::test::kCliBinary, {"linemode", "list"}, Options()));
        }
        bool back = CupsDaemon::WaitUntil(
            [&] {
                return !QueuesStopped() &&
                       (usbPrinter_ == nullptr || usbPrinter_->Log().driverBound);
            },
            10s);
        auto took = std::chrono::steady_clock::now() - started;
        EXPECT_TRUE(back);
        EXPECT_LT(took, 5s);
        EXPECT_TRUE(CupsDaemon::WaitUntil(
            [&] {
                return next.Err().find("Started the print queue Q1 again") != std::string::npos;
            },
            5s))
            << next.Err();
        if (usbPrinter_ != nullptr) {
            EXPECT_NE(next.Err().find("Gave the USB printer at " + usbPrinter_->UsbfsPath() +
                                      " back to its kernel driver"),
                      std::string::npos)
                << next.Err();
        }
        if (GetParam().front == Front::Window) {
            next.Signal(SIGTERM);
        }
        next.Wait(20s);
    }

    TempDir dir_;
    std::string runtime_;
    std::vector<std::string> environment_;
    CupsDaemon daemon_;
    std::unique_ptr<XSession> x_;
    std::vector<std::unique_ptr<SimPrinter>> printers_;
    std::vector<std::string> queues_;
    std::vector<std::string> ports_;  // the links to the printers' terminals
    // The printer behind the USB bus outlives the bus, whose handler may still hear a program.
    sim::VirtualPrinter usbSide_{sim::Model::Krt310};
    std::unique_ptr<usb_test::EmulatedUsb> usb_;
    usb_test::EmulatedPrinter* usbPrinter_ = nullptr;
};

TEST_P(WayOutTest, EverythingHeldIsGivenBack) {
    const Cell cell = GetParam();
    // The protocol's own pauses keep a session going for seconds; a lost display comes in the
    // middle of an exchange, which slow replies make long.
    std::vector<std::string> simOptions;
    if (cell.way == Way::DisplayLost) {
        simOptions = {"--latency-ms", "1500"};
    }
    std::vector<std::string> firstOptions = simOptions;
    if (cell.way == Way::BadText) {
        // An old firmware's symbol, no UTF-8, in the text the backup keeps.
        firstOptions.insert(firstOptions.end(), {"--firmware", "V1.0\xA9"});
    }
    ASSERT_NO_FATAL_FAILURE(AddSerialPrinter("Q1", firstOptions));
    if (cell.front == Front::Deploy) {
        ASSERT_NO_FATAL_FAILURE(AddSerialPrinter("Q2", simOptions));
        ASSERT_NO_FATAL_FAILURE(AddUsbPrinter());
    }
    std::string settings = dir_ / "settings.json";
    Finished got = cli::test::RunCli({"get", "--simulate", "KRT-310", "-o", settings}, Options());
    ASSERT_EQ(got.status, 0) << got.err;

    Process program;
    Process::Options options = Options();
    options.closedOutput = cell.way == Way::ClosedPipe;
    // The printer's texts reach the JSON output, where the stray byte once ended the program.
    std::vector<std::string> json;
    if (cell.way == Way::BadText) {
        json = {"--json"};
    }
    if (cell.front == Front::Window) {
        x_ = std::make_unique<XSession>();
        ASSERT_TRUE(x_->Running()) << x_->Failure();
        ASSERT_TRUE(program.Start(kWindowBinary, {"--port", "COM1=" + ports_[0]}, Options(true)));
        ASSERT_TRUE(x_->WaitForWindow(kMainWindowTitle, 20s)) << program.Err();
        // Return presses Connect with the window's first choices: serial, COM1.
        ASSERT_TRUE(x_->PressReturn(kMainWindowTitle));
    } else if (cell.front == Front::Set) {
        ASSERT_TRUE(program.Start(
            cli::test::kCliBinary,
            Joined({"set", settings, "--port", "COM1=" + ports_[0], "--backup-dir", dir_.Path()},
                   json),
            options));
    } else {
        ASSERT_TRUE(program.Start(cli::test::kCliBinary,
                                  Joined({"deploy", settings, "COM1=" + ports_[0],
                                          "COM2=" + ports_[1], "USB", "--backup-dir", dir_.Path()},
                                         json),
                                  options));
    }
    ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return HeldEverything(); }, 20s)) << program.Err();
    for (const auto& queue : queues_) {
        ASSERT_GT(daemon_.SubmitJob(queue, kJob), 0);
    }
    std::optional<std::string> connected;
    if (cell.front == Front::Window && cell.way != Way::DisplayLost) {
        connected = x_->WaitForWindowOtherThan({kMainWindowTitle}, 20s);
        ASSERT_TRUE(connected.has_value()) << program.Err();
    }

    switch (cell.way) {
        case Way::Close:
            if (cell.front == Front::Window) {
                ASSERT_TRUE(x_->PressReturn(*connected));
                ASSERT_TRUE(CupsDaemon::WaitUntil(
                    [&] {
                        auto titles = x_->VisibleTitles();
                        return std::find(titles.begin(), titles.end(), *connected) == titles.end();
                    },
                    10s));
                ASSERT_TRUE(x_->Close(kMainWindowTitle));
            }
            break;
        case Way::DisplayLost:
            x_->KillServer();
            break;
        case Way::Interrupt:
        case Way::Terminate:
        case Way::HangUp:
        case Way::Kill:
            program.Signal(SignalOf(cell.way));
            break;
        case Way::BadText:
        case Way::ClosedPipe:
            break;
    }
    Finished ended = program.Wait(40s);
    ExpectHonestStatus(cell.way, ended);
    if (cell.way == Way::Kill && usbPrinter_ != nullptr) {
        // The kernel drops a killed program's claims before its parent hears of its end; the
        // emulation does so on a thread of its own, a moment later.
        ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return !usbPrinter_->Log().claimed; }, 5s));
    }
    if (cell.way == Way::Kill) {
        ASSERT_NO_FATAL_FAILURE(StartAgainAfterTheKill());
    }
    ExpectEverythingGivenBack();
}

std::vector<Cell> Cells() {
    std::vector<Cell> cells;
    for (Way way : {Way::Close, Way::Interrupt, Way::Terminate, Way::HangUp, Way::Kill,
                    Way::DisplayLost, Way::BadText, Way::ClosedPipe}) {
        for (Front front : {Front::Window, Front::Set, Front::Deploy}) {
            // Only the window has a display; only the command line prints printer texts as JSON
            // and writes to an output that may close.
            bool windowOnly = way == Way::DisplayLost;
            bool commandLineOnly = way == Way::BadText || way == Way::ClosedPipe;
            if ((windowOnly && front != Front::Window) ||
                (commandLineOnly && front == Front::Window)) {
                continue;
            }
            cells.push_back({way, front});
        }
    }
    return cells;
}

INSTANTIATE_TEST_SUITE_P(Table, WayOutTest, ::testing::ValuesIn(Cells()),
                         [](const ::testing::TestParamInfo<Cell>& info) {
                             return NameOf(info.param.way) + "Of" + NameOf(info.param.front);
                         });

// Guards against a queue left stopped because the scheduler (one started on demand, or busy)
// answered only after the program's first try to start it again.
TEST(WayOut, AQueueStartsAgainWhenTheSchedulerAnswersOnlyLate) {
    CupsDaemon daemon;
    ASSERT_TRUE(daemon.Running()) << daemon.Failure();
    TempDir dir;
    std::string runtime = dir / "runtime";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({}));
    ASSERT_EQ(daemon.AddQueue("Q1", "serial:" + printer.Path()), "");
    Process::Options options;
    options.environment = {"CUPS_SERVER=" + daemon.Socket(), "XDG_RUNTIME_DIR=" + runtime};
    Process program;
    ASSERT_TRUE(program.Start(cli::test::kCliBinary, {"get", "--port", printer.Port()}, options));
    ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return daemon.State("Q1").stopped; }, 20s));

    ASSERT_EQ(::kill(daemon.Pid(), SIGSTOP), 0);
    auto signalled = std::chrono::steady_clock::now();
    program.Signal(SIGTERM);
    std::this_thread::sleep_for(3s);
    ASSERT_EQ(::kill(daemon.Pid(), SIGCONT), 0);

    Finished ended = program.Wait(20s);
    EXPECT_EQ(ended.status, 128 + SIGTERM) << ended.err;
    // It waited for the scheduler rather than give up at its first silence.
    EXPECT_GT(std::chrono::steady_clock::now() - signalled, 3s);
    EXPECT_FALSE(daemon.State("Q1").stopped) << ended.err;
}

}  // namespace
}  // namespace corvane::wayout_test
