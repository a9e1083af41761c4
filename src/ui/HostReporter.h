#pragma once

#include <iostream>
#include <ostream>
#include <string>

#include "platform/Platform.h"
#include "platform/Reporter.h"
#include "ui/Dialog.h"

namespace corvane::ui {

// The icon a message box shows for a message of each severity.
Icon IconFor(platform::Severity severity);

// Reports through a dialog's window: messages as message boxes over it, diagnostic lines on the
// program's standard output (notes) or standard error (problems) and in the platform's trace.
class HostReporter final : public platform::Reporter {
public:
    HostReporter(const Dialog& dialog, platform::Platform& platform,
                 std::ostream& notes = std::cout, std::ostream& problems = std::cerr);

    void Message(platform::Severity severity, const std::string& text,
                 const std::string& caption = {}) override;
    void Diagnostic(const std::string& line,
                    platform::DiagnosticKind kind = platform::DiagnosticKind::Note) override;

private:
    const Dialog& dialog_;
    platform::Platform& platform_;
    std::ostream& notes_;
    std::ostream& problems_;
};

}  // namespace corvane::ui
