// The real corvane connected to an emulated USB printer through its window, then ended by a
// signal: the kernel driver that the session detached must be bound again before it ends.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "EmulatedUsb.h"
#include "sim/VirtualPrinter.h"

namespace corvane::link {
namespace {

using namespace std::chrono_literals;
using usb_test::EmulatedUsb;
using usb_test::Holder;

// The window script, run by the distribution's Python, which has the accessibility binding.
class WindowScript {
public:
    bool Start(int signalNumber, const std::string& workDir) {
        int toChild[2];
        int fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
            return false;
        }
        std::string signalText = std::to_string(signalNumber);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(toChild[0], STDIN_FILENO);
            ::dup2(fromChild[1], STDOUT_FILENO);
            const char* argv[] = {"/usr/bin/python3",
                                  USB_SIGNAL_DRIVER,
                                  "--corvane",
                                  CORVANE_PROGRAM,
                                  "--e2e-dir",
                                  E2E_DIR,
                                  "--work-dir",
                                  workDir.c_str(),
                                  "--signal",
                                  signalText.c_str(),
                                  nullptr};
            ::execv(argv[0], const_cast<char**>(argv));
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        input_ = toChild[1];
        output_ = fromChild[0];
        return pid_ > 0;
    }

    ~WindowScript() {
        if (input_ >= 0) {
            ::close(input_);
        }
        if (output_ >= 0) {
            ::close(output_);
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // One line from the script, or "error ..." when none comes in time.
    std::string ReadLine(std::chrono::milliseconds limit) {
        std::string line;
        auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd entry{output_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return "error no answer from the window script within the limit (got \"" + line +
                       "\")";
            }
            char c = 0;
            if (::read(output_, &c, 1) != 1) {
                return "error the window script ended (got \"" + line + "\")";
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
    }

    void Tell() { [[maybe_unused]] ssize_t written = ::write(input_, "go\n", 3); }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// Guards against a program ended by a signal that leaves the printer without its driver.
TEST(ProgramUsbSignal, SigtermAfterAUsbConnectGivesTheKernelDriverBack) {
    // The printer outlives the bus, whose handler may still hear a program that is ending.
    sim::VirtualPrinter printer(sim::Model::Krt310II);
    EmulatedUsb usb;
    ASSERT_TRUE(usb.Ready()) << usb.Failure();
    auto& usbPrinter = usb.AddPrinter(0x2c9a, 0x0002, Holder::UsblpWithoutNode);
    ASSERT_EQ(usb.Failure(), "");
    usbPrinter.SetResponder(
        [&printer](std::span<const std::uint8_t> sent) { return printer.Feed(sent); });
    auto workDir = std::filesystem::temp_directory_path() /
                   ("corvane-usb-signal-" + std::to_string(::getpid()));

    WindowScript script;
    ASSERT_TRUE(script.Start(SIGTERM, workDir.string()));
    ASSERT_EQ(script.ReadLine(60s), "connected");
    auto during = usbPrinter.Log();
    EXPECT_FALSE(during.driverBound);
    EXPECT_TRUE(during.claimed);

    script.Tell();
    EXPECT_EQ(script.ReadLine(30s), "exit " + std::to_string(128 + SIGTERM));

    auto after = usbPrinter.Log();
    EXPECT_EQ(after.detaches, 1);
    EXPECT_EQ(after.attaches, 1);
    EXPECT_TRUE(after.driverBound);
    EXPECT_EQ(after.claims, after.releases);
    std::error_code ec;
    std::filesystem::remove_all(workDir, ec);
}

}  // namespace
}  // namespace corvane::link
