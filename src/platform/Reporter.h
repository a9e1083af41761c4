#pragma once

// How the program tells what happened: messages that a person must read and acknowledge, and
// diagnostic lines for support. A window shows the messages as message boxes, a command line
// prints them; the diagnostic lines never reach a window.

#include <string>

namespace corvane::platform {

// How a message is marked: Warning for errors and refusals, Information for success, Plain for
// a message that carries no mark of either.
enum class Severity { Plain, Information, Warning };

// Diagnostic lines either note what the program did (Note) or explain why something failed
// (Problem), such as which device refused to open and why.
enum class DiagnosticKind { Note, Problem };

class Reporter {
public:
    virtual ~Reporter() = default;

    // Shows one message and returns once the person has seen it; an empty caption stands for
    // the program's own title.
    virtual void Message(Severity severity, const std::string& text,
                         const std::string& caption = {}) = 0;
    // Records one line for support.
    virtual void Diagnostic(const std::string& line,
                            DiagnosticKind kind = DiagnosticKind::Note) = 0;
};

// Drops everything, for callers that have no one to tell.
class SilentReporter final : public Reporter {
public:
    void Message(Severity, const std::string&, const std::string&) override {}
    void Diagnostic(const std::string&, DiagnosticKind) override {}
};

}  // namespace corvane::platform
