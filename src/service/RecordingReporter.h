#pragma once

#include <string>
#include <vector>

#include "platform/Reporter.h"

namespace corvane::service {

// A reporter that keeps every message the window would show in a box and every diagnostic line
// that says why something failed, for a front end to show when and how it likes. It keeps them
// as valid UTF-8 (base::ValidUtf8), so that a printer's text in a message never breaks JSON.
class RecordingReporter : public platform::Reporter {
public:
    struct Entry {
        platform::Severity severity;
        std::string text;
        std::string caption;
    };

    void Message(platform::Severity severity, const std::string& text,
                 const std::string& caption = {}) override;
    void Diagnostic(const std::string& line,
                    platform::DiagnosticKind kind = platform::DiagnosticKind::Note) override;

    const std::vector<Entry>& Messages() const { return messages_; }
    const std::vector<std::string>& Problems() const { return problems_; }
    // The last warning, which says why an operation was refused; empty when there was none.
    std::string LastWarning() const;

    // A message as one block of text: its caption first, the window's line breaks as this
    // system's.
    static std::string Format(const Entry& entry);

private:
    std::vector<Entry> messages_;
    std::vector<std::string> problems_;
};

}  // namespace corvane::service
