#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "operations/Progress.h"

namespace corvane::cli {

// Progress on one line of standard error while a command works: for one printer the bar the
// window shows, with the stage under way; for several printers a count of those done, failed
// and left. The line is redrawn over itself with a carriage return and spaces, which every
// terminal and console takes, so no terminal library is needed; a full-screen one would clear
// what the user had on the screen. A command's other output first takes the line away (Clear).
// Safe from several threads.
class TerminalProgress final : public operations::Progress {
public:
    // Null shows nothing: standard error is no terminal, or --json or --quiet was given.
    explicit TerminalProgress(std::ostream* terminal) : terminal_(terminal) {}

    void SetPosition(int position) override;
    // Moves on by a tenth, starting over past the end, as the window's stepped bar does.
    void Step() override;
    void SetStage(std::string_view stage) override;

    // For work on several printers: "3 done, 1 failed, 12 left".
    void ShowCount(int done, int failed, int left);

    // Takes the line away, so that what is written next starts on a clean line.
    void Clear();

private:
    void Draw(const std::string& line);

    std::ostream* terminal_;
    std::mutex lock_;
    int position_ = 0;
    std::string stage_;
    std::size_t drawn_ = 0;  // the length of the line on the screen, 0 when there is none
};

}  // namespace corvane::cli
