#pragma once

// The contract for hearing that the program is asked from outside to end.
//
// A program that stopped print queues or moved printers off their port must put them back before
// it ends, also when it is ended by a signal, by its console or by the end of the session. Install
// starts noting such requests early in main; a ProgramEndWatch hands them to the program's handler
// while it lives. The machine backends (src/platform/posix, src/platform/win32) implement it; the
// simulated backend has nothing to watch, as a program with simulated printers still runs on the
// machine and hears the machine's requests.
//
// The handler runs on a thread the backend chooses, so it hands the request to the program's own
// thread or does only what is safe from any thread:
// - Linux: a watching thread of the backend's own, for SIGINT, SIGTERM and SIGHUP. A request
//   waits there until a watch lives.
// - Windows: the thread Windows starts for a console control event, which also waits until a
//   watch lives; once the handler returns, Windows goes on (Ctrl+C and Ctrl+Break count as
//   handled, a closing console, log-off and shut-down still end the program). The end of the
//   session is told to a hidden window on a thread of the backend's own, and Windows ends the
//   program once the handler returns; while no watch lives it takes its own course. Windows
//   tells log-off and shut-down as console events only to a program that uses no windows at all
//   (user32), and to the others as the end of the session: a console program listens to both.
//   Windows waits for such a handler for about 5 s (its hung-program time-out), then ends the
//   program all the same.

#include <functional>

namespace corvane::platform {

// Why the program is asked to end.
enum class EndCause {
    Interrupt,   // SIGINT; Ctrl+C on a Windows console
    HangUp,      // SIGHUP; the Windows console closing
    Terminate,   // SIGTERM; Ctrl+Break, log-off or shut-down told to a Windows console
    SessionEnd,  // the Windows session ending (log-off, shut-down), told to top-level windows
};

struct EndRequest {
    EndCause cause = EndCause::Terminate;
    // The status to end with: 128 + the number of the Linux signal that stands for the cause, as
    // a shell reports a program that a signal ended.
    int exitStatus = 0;
    // The system ends the program as soon as the handler returns (a Windows console closing,
    // log-off, shut-down, the session's end): whatever must be given back is given back before it
    // returns.
    bool endsOnReturn = false;
};

// The ways out a program listens to; a system without one of them has nothing to hear there.
struct EndSources {
    // SIGINT, SIGTERM and SIGHUP; on Windows the console's control events that stand for them.
    bool terminationSignals = false;
    // Windows only: the end of the session, told to top-level windows.
    bool sessionEnd = false;
};

class ProgramEndWatch {
public:
    using Handler = std::function<void(const EndRequest&)>;

    // Begins to note the requests of the given sources; false when one of them cannot be heard.
    // Call early in main, before other threads start; a source already installed stays as it is.
    static bool Install(EndSources sources);

    // Hands every request to handler while the watch lives; a newer watch takes over from an older
    // one. The destructor waits for a handler that is running.
    explicit ProgramEndWatch(Handler handler);
    ~ProgramEndWatch();
    ProgramEndWatch(const ProgramEndWatch&) = delete;
    ProgramEndWatch& operator=(const ProgramEndWatch&) = delete;

    // For the backends: runs the live watch's handler with the request; false when none lives.
    static bool Deliver(const EndRequest& request);
    // For the backends' own threads: waits until a watch lives, then runs its handler.
    static void DeliverWhenWatched(const EndRequest& request);

private:
    Handler handler_;
};

}  // namespace corvane::platform
