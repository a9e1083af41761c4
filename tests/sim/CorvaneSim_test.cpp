// corvane-sim over a real pseudo-terminal: the binary is started as users start it and reached
// through the kernel's terminal, with every wait bounded.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Bytes.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::sim::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

#ifdef CORVANE_SIM_BINARY
const char* const kBinary = CORVANE_SIM_BINARY;
#else
const char* const kBinary = "";
#endif

// A running corvane-sim with its standard output on a pipe.
class SimProcess {
public:
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            close(out_);
        }
    }

    bool Start(const std::vector<std::string>& args) {
        int pipeFds[2];
        if (std::string(kBinary).empty() || pipe(pipeFds) != 0) {
            return false;
        }
        std::vector<std::string> argv{kBinary};
        argv.insert(argv.end(), args.begin(), args.end());
        pid_ = fork();
        if (pid_ == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            std::vector<char*> raw;
            for (auto& arg : argv) {
                raw.push_back(arg.data());
            }
            raw.push_back(nullptr);
            execv(kBinary, raw.data());
            _exit(127);
        }
        close(pipeFds[1]);
        out_ = pipeFds[0];
        return pid_ > 0;
    }

    // The next line of output, or nothing when none comes within the time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds within = 5000ms) {
        auto deadline = Clock::now() + within;
        while (true) {
            auto newline = buffered_.find('\n');
            if (newline != std::string::npos) {
                std::string line = buffered_.substr(0, newline);
                buffered_.erase(0, newline + 1);
                return line;
            }
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            char chunk[256];
            ssize_t count = read(out_, chunk, sizeof chunk);
            if (count <= 0) {
                return std::nullopt;
            }
            buffered_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    // Reads lines until one equals the text; false when it does not come in time.
    bool WaitForLine(const std::string& text, std::chrono::milliseconds within = 5000ms) {
        auto deadline = Clock::now() + within;
        while (Clock::now() < deadline) {
            auto line = ReadLine(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
            if (!line) {
                return false;
            }
            if (*line == text) {
                return true;
            }
        }
        return false;
    }

    void Signal(int number) { kill(pid_, number); }

    // The exit status, or -1 when the process does not end in time.
    int Wait(std::chrono::milliseconds within = 5000ms) {
        auto deadline = Clock::now() + within;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

// Opens the terminal as the serial backend does: raw, at the given speed.
int OpenClient(const std::string& path, speed_t speed = B9600) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

// Writes a frame and reads until count bytes came or the time is up.
Bytes Exchange(int fd, const Bytes& frame, std::size_t count,
               std::chrono::milliseconds within = 3000ms) {
    EXPECT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    Bytes reply;
    auto deadline = Clock::now() + within;
    while (reply.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        if (p.revents & (POLLHUP | POLLERR) && !(p.revents & POLLIN)) {
            break;
        }
        std::uint8_t chunk[64];
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        reply.insert(reply.end(), chunk, chunk + got);
    }
    return reply;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("corvane-sim-test-" + std::to_string(getpid()) + "-" + name))
        .string();
}

class CorvaneSim : public ::testing::Test {
protected:
    void StartSim(std::vector<std::string> args) {
        ASSERT_FALSE(std::string(kBinary).empty()) << "corvane-sim was not built with the tests";
        ASSERT_TRUE(sim.Start(args)) << "cannot start " << kBinary;
        auto line = sim.ReadLine();
        ASSERT_TRUE(line) << "corvane-sim printed no path";
        path = *line;
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    }

    SimProcess sim;
    std::string path;
};

TEST_F(CorvaneSim, PrintsItsTerminalAndAnswersTheVersionIdRequest) {
    StartSim({"--model", "KRT-620", "--quiet"});
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, B({0x1D, 0x49, 0x03}), 1), B({0x65}));
    EXPECT_EQ(Exchange(fd, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x35}), 11),
              B({'7', 0x35}) + T("00000000") + B({0x00}));
    close(fd);
}

TEST_F(CorvaneSim, AnswersTheEmulationQueryOfTheChosenEmulation) {
    StartSim({"--model", "KRT-310II", "--emulation", "03", "--quiet"});
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, B({0x1F, 0x1F, 0x45}), 1), B({0x03}));
    close(fd);
}

TEST_F(CorvaneSim, SurvivesRepeatedOpenCloseAndChangedLineSettings) {
    StartSim({"--quiet", "--switch", "8=10000001"});
    for (speed_t speed : {B9600, B19200, B1200, B4800}) {
        int fd = OpenClient(path, speed);
        ASSERT_GE(fd, 0);
        // Seven data bits with parity, as a client may try; the terminal keeps what it can.
        termios settings{};
        tcgetattr(fd, &settings);
        settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS7 | PARENB;
        tcsetattr(fd, TCSANOW, &settings);
        EXPECT_EQ(Exchange(fd, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x08}), 11),
                  B({'7', 0x08}) + T("10000001") + B({0x00}));
        close(fd);
    }
}

TEST_F(CorvaneSim, ClientThatTookExclusiveUseCanOpenAgainAfterClosing) {
    StartSim({"--quiet"});
    // Exclusive use binds only processes without administrator rights, so the client drops
    // them when the test runs as root.
    chmod(path.c_str(), 0666);
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(10);
        }
        for (int round = 0; round < 5; ++round) {
            int fd = -1;
            // A real port ends exclusive use at its last close; the simulator needs a moment.
            for (auto deadline = Clock::now() + 1s; fd < 0 && Clock::now() < deadline;) {
                fd = OpenClient(path);
                if (fd < 0) {
                    std::this_thread::sleep_for(5ms);
                }
            }
            if (fd < 0) {
                _exit(20 + round);
            }
            ioctl(fd, TIOCEXCL);
            if (Exchange(fd, B({0x1D, 0x49, 0x03}), 1) != B({0x64})) {
                _exit(30 + round);
            }
            close(fd);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: cannot drop rights, 2x: reopen refused in round "
                                         "x, 3x: no answer in round x";
}

TEST_F(CorvaneSim, StateFileAndPrintLogFollowEveryChange) {
    std::string state = TempPath("state");
    std::string log = TempPath("print");
    std::filesystem::remove(log);
    StartSim({"--model", "KRT-310II", "--state-file", state, "--print-log", log});
    EXPECT_NE(ReadFile(state).find("power save: off\n"), std::string::npos);
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "\x08\x5E\x50\x30\x01\x78", 6), 6);
    ASSERT_EQ(write(fd, "\x1D\x28\x41\x02\x00\x01\x02", 7), 7);
    ASSERT_TRUE(sim.WaitForLine("print: === end ==="));
    std::string text = ReadFile(state);
    EXPECT_NE(text.find("power save: on\n"), std::string::npos) << text;
    EXPECT_NE(text.find("power save seconds: 120\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n=== Self test 1 ===\n"), std::string::npos) << text;
    std::string printed = ReadFile(log);
    EXPECT_EQ(printed.rfind("=== Self test 1 ===\n", 0), 0u) << printed;
    EXPECT_NE(printed.find("Power save: on, 120 s\n"), std::string::npos) << printed;
    close(fd);
    std::filesystem::remove(state);
    std::filesystem::remove(log);
}

TEST_F(CorvaneSim, UserSignalWritesTheStateAndTermEndsCleanly) {
    std::string link = TempPath("link");
    StartSim({"--link", link});
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);
    sim.Signal(SIGUSR1);
    EXPECT_TRUE(sim.WaitForLine("model: KRT-310"));
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST_F(CorvaneSim, RealSerialBackendReachesItOnItsTerminal) {
    StartSim({"--model", "KRT-310II", "--quiet"});
    platform::posix::PosixPlatform posix;
    // Connect, disconnect and connect again, as a technician does.
    for (int round = 0; round < 3; ++round) {
        platform::Error error;
        auto device = posix.OpenSerial(path, error);
        ASSERT_TRUE(device) << platform::ToString(error.kind) << " in round " << round;
        platform::SerialConfig config;
        config.baudRate = 19200;
        EXPECT_TRUE(device->SetConfig(config).Ok());
        EXPECT_TRUE(device->SetTimeouts(platform::SerialTimeouts{}).Ok());
        Bytes request = B({0x1D, 0x49, 0x43});
        EXPECT_EQ(device->Write(request).count, request.size());
        Bytes reply(11);
        auto result = device->Read(reply);
        EXPECT_EQ(result.count, reply.size()) << platform::ToString(result.error.kind);
        EXPECT_EQ(reply, B({'_'}) + T("KRT-310II") + B({0x00}));
    }
}

TEST_F(CorvaneSim, SilentPrinterAnswersNothing) {
    StartSim({"--silent", "--quiet"});
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(Exchange(fd, B({0x1D, 0x49, 0x03}), 1, 300ms).empty());
    close(fd);
}

TEST_F(CorvaneSim, CutAndNoiseFaultsShapeTheReply) {
    StartSim({"--cut-after", "4", "--noise", "AA 55", "--quiet"});
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02}), 11, 500ms),
              B({0xAA, 0x55, '7', 0x02}));
    close(fd);
}

TEST_F(CorvaneSim, SlowPrinterSendsEachByteInTenBitTimesOfTheLine) {
    StartSim({"--slow", "--latency-ms", "20", "--quiet"});
    int fd = OpenClient(path, B1200);
    ASSERT_GE(fd, 0);
    auto start = Clock::now();
    // Nine bytes at 1200 bit/s take 75 ms, after the 20 ms latency.
    EXPECT_EQ(Exchange(fd, B({0x1D, 0x49, 0x42}), 9), B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_GE(Clock::now() - start, 95ms);
    close(fd);
}

TEST_F(CorvaneSim, UnpluggedPrinterHangsUpTheLine) {
    StartSim({"--unplug-after-commands", "1"});
    int fd = OpenClient(path);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(Exchange(fd, B({0x1B, 0x40}), 0).empty());
    ASSERT_TRUE(sim.WaitForLine("unplugged"));
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_NE(p.revents & POLLHUP, 0);
    close(fd);
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(CorvaneSimCommandLine, HelpAndBadOptions) {
    ASSERT_FALSE(std::string(kBinary).empty()) << "corvane-sim was not built with the tests";
    SimProcess help;
    ASSERT_TRUE(help.Start({"--help"}));
    auto first = help.ReadLine();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->rfind("Usage: corvane-sim", 0), 0u);
    EXPECT_EQ(help.Wait(), 0);
    SimProcess bad;
    ASSERT_TRUE(bad.Start({"--model", "KRT-999"}));
    EXPECT_EQ(bad.Wait(), 2);
}

}  // namespace
}  // namespace corvane::sim::test
