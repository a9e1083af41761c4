#pragma once

#include <ostream>
#include <string>

#include "cli/TerminalProgress.h"
#include "service/RecordingReporter.h"

namespace corvane::cli {

// The reporter of a program without a window: every message the window would show in a box goes
// to standard error as it comes, so that standard output carries nothing but the result.
// Diagnostic lines that say why something failed are shown too; notes only when asked for.
// Everything is kept as well, for --json. What reaches the terminal has its control characters
// escaped (base::TerminalText), so that a printer's text cannot drive it.
class TerminalReporter final : public service::RecordingReporter {
public:
    // Null err keeps everything without printing it.
    TerminalReporter(std::ostream* err, bool verbose);

    void Message(platform::Severity severity, const std::string& text,
                 const std::string& caption = {}) override;
    void Diagnostic(const std::string& line,
                    platform::DiagnosticKind kind = platform::DiagnosticKind::Note) override;

    // Takes the progress line away before each line it writes; null for none.
    void ClearFirst(TerminalProgress* progress) { progress_ = progress; }

    // "information", "warning" or "plain".
    static const char* SeverityName(platform::Severity severity);

private:
    std::ostream* err_;
    bool verbose_;
    TerminalProgress* progress_ = nullptr;
};

}  // namespace corvane::cli
