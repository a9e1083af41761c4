// The real program against the private scheduler: a serial connect in its window moves the
// queues on the port aside, and both ways the program can end give them back.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CupsDaemonTest.h"
#include "XSession.h"

extern char** environ;

namespace corvane::spooler_test {
namespace {

using namespace std::chrono_literals;

constexpr char kMainWindowTitle[] = "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)";

class ProgramQueuesTest : public CupsDaemonTest {
protected:
    void SetUp() override {
        CupsDaemonTest::SetUp();
        ASSERT_TRUE(x_.Running()) << x_.Failure();
        char pattern[] = "/tmp/corvane-program-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        // COM1 is pointed at a device that does not exist, so the connect moves the queues and
        // then fails to open; no real port is ever touched.
        device_ = dir_ + "/absent-tty";
    }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        CupsDaemonTest::TearDown();
    }

    void StartProgram() {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (std::strncmp(*entry, "DISPLAY=", 8) != 0 &&
                std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
                environment.emplace_back(*entry);
            }
        }
        environment.push_back("DISPLAY=" + x_.Display());
        environment.push_back("QT_QPA_PLATFORM=xcb");
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string port = "COM1=" + device_;
        std::string output = dir_ + "/output";
        char* argv[] = {const_cast<char*>(CORVANE_PROGRAM), const_cast<char*>("--port"),
                        port.data(), nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                ::dup2(out, STDOUT_FILENO);
                ::dup2(out, STDERR_FILENO);
            }
            ::execve(CORVANE_PROGRAM, argv, envp.data());
            ::_exit(127);
        }
        ASSERT_GT(pid_, 0);
    }

    std::string ProgramOutput() const {
        std::ifstream file(dir_ + "/output");
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Presses Connect with the window's first choices (serial, COM1) and waits for the message
    // that the port cannot be opened; by then the queues on COM1 are moved.
    void ConnectAndWaitForTheRefusal() {
        ASSERT_TRUE(x_.WaitForWindow(kMainWindowTitle, 20s)) << ProgramOutput();
        ASSERT_TRUE(x_.PressReturn(kMainWindowTitle));
        messageBox_ = x_.WaitForWindowOtherThan({kMainWindowTitle}, 10s);
        ASSERT_TRUE(messageBox_.has_value()) << ProgramOutput();
    }

    // Waits for the program to end; its exit status, or -1 when it had to be killed.
    int WaitForExit() {
        int status = 0;
        bool ended =
            CupsDaemon::WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 15s);
        if (!ended) {
            return -1;
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    void AddQueues() {
        AddQueue("Receipts", "serial:" + device_ + "?baud=9600");
        AddQueue("Tickets", "serial:" + device_);
        AddQueue("Held", "serial:" + device_);
        AddQueue("Other", "serial:/dev/ttyS3");
        ASSERT_TRUE(daemon->StopQueue("Held", "Waiting for paper"));
    }

    void ExpectOnlyHeldStopped() {
        EXPECT_FALSE(daemon->State("Receipts").stopped);
        EXPECT_FALSE(daemon->State("Tickets").stopped);
        EXPECT_FALSE(daemon->State("Other").stopped);
        auto held = daemon->State("Held");
        EXPECT_TRUE(held.stopped);
        EXPECT_EQ(held.message, "Waiting for paper");
    }

    XSession x_;
    std::string dir_;
    std::string device_;
    pid_t pid_ = -1;
    std::optional<std::string> messageBox_;
};

class ProgramSignalTest : public ProgramQueuesTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramSignalTest, SignalWhileQueuesAreMovedRestoresThemBeforeTheProgramEnds) {
    const int signalNumber = GetParam();
    AddQueues();
    StartProgram();
    ConnectAndWaitForTheRefusal();
    EXPECT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->State("Receipts").stopped; }, 5s));
    EXPECT_TRUE(daemon->State("Tickets").stopped);
    EXPECT_FALSE(daemon->State("Other").stopped);

    ASSERT_EQ(::kill(pid_, signalNumber), 0);

    EXPECT_EQ(WaitForExit(), 128 + signalNumber) << ProgramOutput();
    ExpectOnlyHeldStopped();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST_F(ProgramQueuesTest, ClosingTheWindowRestoresTheMovedQueues) {
    AddQueues();
    StartProgram();
    ConnectAndWaitForTheRefusal();
    EXPECT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->State("Receipts").stopped; }, 5s));

    // Dismiss the message, then close the main window with its close box.
    ASSERT_TRUE(x_.PressReturn(*messageBox_));
    ASSERT_TRUE(CupsDaemon::WaitUntil(
        [&] {
            auto titles = x_.VisibleTitles();
            return std::find(titles.begin(), titles.end(), *messageBox_) == titles.end();
        },
        5s));
    // The refused connect leaves the queues moved; only the end of the window gives them back.
    EXPECT_TRUE(daemon->State("Receipts").stopped);
    ASSERT_TRUE(x_.Close(kMainWindowTitle));

    EXPECT_EQ(WaitForExit(), 0) << ProgramOutput();
    ExpectOnlyHeldStopped();
}

}  // namespace
}  // namespace corvane::spooler_test
