// The real corvane, started without any display: what it says about its command line must reach
// the user before Qt looks for a window system.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::startup {
namespace {

struct Outcome {
    int exitCode = -1;  // 1000 + the signal when it was killed
    std::string out;
    std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs corvane with no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM in its environment.
Outcome RunWithoutDisplay(std::vector<std::string> arguments) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0 &&
            std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) != 0 &&
            std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
            environment.emplace_back(*entry);
        }
    }
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), CORVANE_PROGRAM);
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    auto dir =
        std::filesystem::temp_directory_path() / ("corvane-program-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto outPath = dir / "out";
    auto errPath = dir / "err";
    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) {
            ::_exit(127);
        }
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(CORVANE_PROGRAM, argv.data(), envp.data());
        ::_exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
    outcome.out = ReadFile(outPath);
    outcome.err = ReadFile(errPath);
    std::filesystem::remove_all(dir);
    return outcome;
}

void ExpectUsage(const std::string& text) {
    EXPECT_NE(text.find("Usage: corvane [options]\n"), std::string::npos) << text;
    for (const char* option : {"--port NAME=DEVICE", "--trace FILE", "--simulate MODEL",
                               "--emulation EMULATION", "--help", "KRT-310II", "other03"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
}

// Guards against Qt aborting for want of a display before the bad option is reported.
TEST(CorvaneProgram, BadOptionWithoutDisplayGivesOneLineAndUsageAndExitCode2) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"--simulate", "KRT-999"},
        {"-platform", "offscreen", "--bogus"},
        {"--trace", "/nonexistent-dir/trace.txt"},
    };
    for (const auto& arguments : commandLines) {
        SCOPED_TRACE(arguments.back());
        Outcome outcome = RunWithoutDisplay(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("corvane: ", 0), 0u) << outcome.err;
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
    }
    Outcome model = RunWithoutDisplay({"--simulate", "KRT-999"});
    std::string firstLine = model.err.substr(0, model.err.find('\n'));
    EXPECT_EQ(firstLine,
              "corvane: --simulate: Unknown printer model \"KRT-999\"; use KRT-310, KRT-310II or "
              "KRT-620.");
    ExpectUsage(model.err.substr(firstLine.size() + 1));
}

TEST(CorvaneProgram, HelpWithoutDisplayGoesToStandardOutput) {
    Outcome outcome = RunWithoutDisplay({"--help"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("Usage: corvane [options]\n", 0), 0u) << outcome.out;
    ExpectUsage(outcome.out);
    EXPECT_TRUE(outcome.err.empty()) << outcome.err;
}

}  // namespace
}  // namespace corvane::startup
