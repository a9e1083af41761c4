// corvane-cli: every printer operation of the window from a shell, for scripts and machines
// without a display. It reads the command line, runs one subcommand and prints its result.
//
// However it ends, the print queues that its sessions stopped run again first: a command's
// sessions end (and restart their queues) before its result is written; a signal restores them
// through cli::QueueWatch; an exception that escapes is caught here after the sessions ended, and
// one that nothing can catch ends in RestoreAndEnd. A reader that closes the output makes the
// write fail, which is told, rather than end the program unseen.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "base/VisibleText.h"
#include "cli/Commands.h"
#include "cli/QueueWatch.h"
#include "platform/ClosedPipes.h"
#include "platform/Terminal.h"
#include "service/ExitStatus.h"
#include "service/QueueRegistry.h"
#include "service/UnexpectedError.h"
#include "startup/CliOptions.h"
#include "startup/GiveBackAtStart.h"

namespace {

using namespace corvane;

// How long the last resort waits for the queues to run again before it ends the program anyway,
// in case what failed was the restoring itself.
constexpr auto kLastRestoreLimit = std::chrono::seconds(20);

void SayStopped(const std::exception_ptr& escaped) {
    std::cerr << "corvane-cli: "
              << base::TerminalText(escaped ? service::UnexpectedError(escaped)
                                            : "stopped by an unexpected error")
              << std::endl;
}

// The last resort, for what escaped where nothing catches it (a noexcept function, a thread of
// the program's own): the queues of every live session run again, and the program ends with its
// own status rather than an abort.
[[noreturn]] void RestoreAndEnd() {
    static std::atomic<bool> restored{false};
    try {
        SayStopped(std::current_exception());
        std::thread([] {
            service::QueueRegistry::Instance().RestoreAllBeforeExit();
            restored = true;
        }).detach();
        const auto deadline = std::chrono::steady_clock::now() + kLastRestoreLimit;
        while (!restored && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (...) {
    }
    std::fflush(nullptr);
    std::_Exit(service::kInternalError);
}

int Run(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto parsed = startup::ParseCliOptions(arguments);
    if (!parsed.ok) {
        std::cerr << "corvane-cli: " << base::TerminalText(parsed.error) << "\n"
                  << "Run corvane-cli --help for the commands and their options.\n";
        return service::kUsageError;
    }
    startup::CliOptions options = parsed.options;
    if (options.help) {
        std::cout << parsed.usage;
        return service::kSuccess;
    }
    if (options.version) {
        std::cout << "corvane-cli " << CORVANE_VERSION << "\n";
        return service::kSuccess;
    }
    if (options.command == startup::CliCommand::None) {
        std::cerr << parsed.usage;
        return service::kUsageError;
    }
    // A simulated printer's emulation and model are known without asking it.
    if (!options.model && options.simulate && options.emulation != sim::Emulation::Native) {
        options.model = startup::ProductModel(*options.simulate);
    }
    if (!cli::QueueWatch::Instance().Start()) {
        std::cerr << "corvane-cli: cannot watch for termination signals; print queues stopped "
                     "would not be started again if the program were ended by one\n";
    }
    startup::GiveBackAtStart(nullptr);

    return cli::RunCommand(options, std::cout, std::cerr, platform::StandardErrorIsTerminal());
}

// The status to end with once everything is written: a result that could not be written all is
// an error of its own, unless the command failed already.
int Finish(int status) {
    // A stream that failed left the write's reason in errno: the command wrote its result last,
    // and only objects in memory went away since.
    int reason = errno;
    if (std::cout) {
        errno = 0;
        std::cout.flush();
        if (std::cout) {
            return status;
        }
        reason = errno;
    }
    std::cerr << "corvane-cli: the result could not be written to standard output"
              << (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()) << "\n";
    return status == service::kSuccess ? service::kOutputError : status;
}

}  // namespace

int main(int argc, char** argv) {
    platform::TreatClosedPipesAsWriteErrors();
    std::set_terminate(RestoreAndEnd);
    int status = service::kInternalError;
    try {
        status = Run(argc, argv);
    } catch (...) {
        // The sessions ended on the way here; any session still registered is restored too.
        SayStopped(std::current_exception());
        service::QueueRegistry::Instance().RestoreAllBeforeExit();
        status = service::kInternalError;
    }
    return Finish(status);
}
