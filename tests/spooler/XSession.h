#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace corvane::spooler_test {

// A virtual X server of the test's own (Xvfb) and a connection to it, through which the test
// finds the program's windows by title and presses keys in them as a user would.
class XSession {
public:
    XSession();
    ~XSession();

    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool Running() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    // The DISPLAY value for programs that should show their windows here.
    const std::string& Display() const { return display_; }

    // Titles of the windows on screen now.
    std::vector<std::string> VisibleTitles();
    // Waits until a window with this title is on screen.
    bool WaitForWindow(const std::string& title, std::chrono::milliseconds limit);
    // Waits until a window with another title than these is on screen; its title.
    std::optional<std::string> WaitForWindowOtherThan(const std::vector<std::string>& titles,
                                                      std::chrono::milliseconds limit);
    // Gives the window the keyboard and presses and releases Return in it.
    bool PressReturn(const std::string& title);
    // Asks the window to close, as its close box does.
    bool Close(const std::string& title);
    // Ends the X server as a dropped remote session or a crashed desktop would; the test's own
    // connection goes first, so that only the programs lose theirs.
    void KillServer();

private:
    unsigned long FindWindow(const std::string& title);

    std::string display_;
    std::string failure_;
    pid_t pid_ = -1;
    ::_XDisplay* connection_ = nullptr;
};

}  // namespace corvane::spooler_test
