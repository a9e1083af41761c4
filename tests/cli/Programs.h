#pragma once

// The real corvane-cli and corvane-sim as users start them: processes with their output in files,
// the simulated printers on pseudo-terminals, and every wait bounded.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace corvane::cli::test {

#ifdef CORVANE_CLI_BINARY
inline const std::string kCliBinary = CORVANE_CLI_BINARY;
#else
inline const std::string kCliBinary = "corvane-cli-was-not-built";
#endif
#ifdef CORVANE_SIM_BINARY
inline const std::string kSimBinary = CORVANE_SIM_BINARY;
#else
inline const std::string kSimBinary = "corvane-sim-was-not-built";
#endif

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A directory of the test's own, removed with it.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/corvane-cli-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made == nullptr ? std::filesystem::path() : std::filesystem::path(made);
        // Readable by every user, for a program run as another one.
        std::filesystem::permissions(path_, std::filesystem::perms::all, ec_);
    }
    ~TempDir() { std::filesystem::remove_all(path_, ec_); }
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::error_code ec_;
};

struct Finished {
    int status = -1;  // exit status, 128 + signal, or -1 when it did not end in time
    std::string out;
    std::string err;
    double seconds = 0;
};

// How a program is started: another user to run as (root may drop to it), variables to add to
// the environment, and what its output and threads come to.
struct ProcessOptions {
    std::optional<uid_t> user;
    std::optional<gid_t> group;
    std::vector<std::string> environment;
    // Standard output is a pipe that nobody reads any more, as after "| head -c1".
    bool closedOutput = false;
    // Standard error goes to this device (a terminal) rather than to a file.
    std::string errorDevice;
    // The most processes and threads the user may have (RLIMIT_NPROC; root has no limit).
    std::optional<rlim_t> threadLimit;
};

// A program running with its standard output and error in files.
class Process {
public:
    using Options = ProcessOptions;

    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool Start(const std::string& binary, const std::vector<std::string>& args,
               const Options& options = {}) {
        out_ = dir_ / "out";
        err_ = dir_ / "err";
        // The history of writes stays with the run unless the options name another folder.
        std::string stateHome = "XDG_STATE_HOME=" + (dir_ / "state");
        started_ = Clock::now();
        pid_ = ::fork();
        if (pid_ == 0) {
            int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = options.errorDevice.empty()
                          ? ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
                          : ::open(options.errorDevice.c_str(), O_WRONLY | O_NOCTTY);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            // As a shell starts it: the test's libraries may have ignored SIGPIPE.
            ::signal(SIGPIPE, SIG_DFL);
            int pipeEnds[2];
            if (options.closedOutput && ::pipe(pipeEnds) == 0) {
                ::dup2(pipeEnds[1], STDOUT_FILENO);
                ::close(pipeEnds[0]);
            }
            ::putenv(stateHome.data());
            for (const auto& variable : options.environment) {
                ::putenv(const_cast<char*>(variable.c_str()));
            }
            rlimit threads{options.threadLimit.value_or(RLIM_INFINITY),
                           options.threadLimit.value_or(RLIM_INFINITY)};
            if (options.threadLimit && ::setrlimit(RLIMIT_NPROC, &threads) != 0) {
                ::_exit(126);
            }
            if (options.group && (::setgroups(0, nullptr) != 0 || ::setgid(*options.group) != 0)) {
                ::_exit(126);
            }
            if (options.user && ::setuid(*options.user) != 0) {
                ::_exit(126);
            }
            std::vector<std::string> argv{binary};
            argv.insert(argv.end(), args.begin(), args.end());
            std::vector<char*> raw;
            for (auto& arg : argv) {
                raw.push_back(arg.data());
            }
            raw.push_back(nullptr);
            ::execv(binary.c_str(), raw.data());
            ::_exit(127);
        }
        return pid_ > 0;
    }

    void Signal(int number) { ::kill(pid_, number); }
    pid_t Pid() const { return pid_; }
    // What the program wrote to standard error so far.
    std::string Err() const { return ReadFile(err_); }

    Finished Wait(std::chrono::milliseconds within = 100s) {
        Finished finished;
        auto deadline = Clock::now() + within;
        while (pid_ > 0 && Clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        finished.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        finished.out = ReadFile(out_);
        finished.err = ReadFile(err_);
        return finished;
    }

private:
    TempDir dir_;
    std::filesystem::path out_;
    std::filesystem::path err_;
    pid_t pid_ = -1;
    Clock::time_point started_;
};

// Runs corvane-cli to its end.
inline Finished RunCli(const std::vector<std::string>& args, const Process::Options& options = {}) {
    Process process;
    if (!process.Start(kCliBinary, args, options)) {
        return {};
    }
    return process.Wait();
}

// corvane-sim serving one printer on a pseudo-terminal, with its state in a file.
class SimPrinter {
public:
    SimPrinter() = default;
    SimPrinter(const SimPrinter&) = delete;
    SimPrinter& operator=(const SimPrinter&) = delete;
    ~SimPrinter() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }

    // Starts it and waits for the path of its terminal; false when none comes.
    bool Start(const std::vector<std::string>& options) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return false;
        }
        std::vector<std::string> argv{kSimBinary, "--quiet", "--state-file", dir_ / "state"};
        argv.insert(argv.end(), options.begin(), options.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            std::vector<char*> raw;
            for (auto& arg : argv) {
                raw.push_back(arg.data());
            }
            raw.push_back(nullptr);
            ::execv(kSimBinary.c_str(), raw.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = fds[0];
        std::string line;
        auto deadline = Clock::now() + 5s;
        while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd fd{out_, POLLIN, 0};
            if (::poll(&fd, 1, 100) <= 0) {
                continue;
            }
            char chunk[256];
            ssize_t count = ::read(out_, chunk, sizeof chunk);
            if (count <= 0) {
                return false;
            }
            line.append(chunk, static_cast<std::size_t>(count));
        }
        path_ = line.substr(0, line.find('\n'));
        return !path_.empty() && line.find('\n') != std::string::npos;
    }

    const std::string& Path() const { return path_; }
    // --port for corvane-cli.
    std::string Port(const std::string& name = "COM1") const { return name + "=" + path_; }
    std::string State() const { return ReadFile(dir_ / "state"); }
    // One "name: value" line of the state, or empty.
    std::string StateLine(const std::string& name) const {
        std::istringstream lines(State());
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind(name + ": ", 0) == 0) {
                return line.substr(name.size() + 2);
            }
        }
        return {};
    }
    // The settings part of the state, without the log of commands taken.
    std::string Settings() const {
        std::string state = State();
        return state.substr(0, state.find("commands taken"));
    }

private:
    TempDir dir_;
    pid_t pid_ = -1;
    int out_ = -1;
    std::string path_;
};

}  // namespace corvane::cli::test
