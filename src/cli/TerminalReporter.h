#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/Reporter.h"

namespace corvane::cli {

// The reporter of a program without a window: every message the window would show in a box goes
// to standard error as it comes (or is only kept, for a printer among many), so that standard
// output carries nothing but the result. Diagnostic lines that say why something failed are
// shown too; notes only when asked for.
class TerminalReporter final : public platform::Reporter {
public:
    struct Entry {
        platform::Severity severity;
        std::string text;
        std::string caption;
    };

    // Null err keeps everything without printing it.
    TerminalReporter(std::ostream* err, bool verbose);

    void Message(platform::Severity severity, const std::string& text,
                 const std::string& caption = {}) override;
    void Diagnostic(const std::string& line,
                    platform::DiagnosticKind kind = platform::DiagnosticKind::Note) override;

    const std::vector<Entry>& Messages() const { return messages_; }
    const std::vector<std::string>& Problems() const { return problems_; }
    // The last warning, which says why an operation was refused; empty when there was none.
    std::string LastWarning() const;

    // "information", "warning" or "plain".
    static const char* SeverityName(platform::Severity severity);
    // A message as one block of text: its caption first, the window's line breaks as this
    // system's.
    static std::string Format(const Entry& entry);

private:
    std::ostream* err_;
    bool verbose_;
    std::vector<Entry> messages_;
    std::vector<std::string> problems_;
};

}  // namespace corvane::cli
