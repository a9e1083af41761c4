#include "ui/HostReporter.h"

namespace corvane::ui {

Icon IconFor(platform::Severity severity) {
    switch (severity) {
        case platform::Severity::Plain:
            return Icon::None;
        case platform::Severity::Information:
            return Icon::Information;
        case platform::Severity::Warning:
            return Icon::Exclamation;
    }
    return Icon::None;
}

HostReporter::HostReporter(const Dialog& dialog, platform::Platform& platform, std::ostream& notes,
                           std::ostream& problems)
    : dialog_(dialog), platform_(platform), notes_(notes), problems_(problems) {}

void HostReporter::Message(platform::Severity severity, const std::string& text,
                           const std::string& caption) {
    if (!dialog_.HasWindow()) {
        // Without a window the message must still reach someone.
        problems_ << text << std::endl;
        return;
    }
    dialog_.Host().MessageBox(text, caption, IconFor(severity));
}

void HostReporter::Diagnostic(const std::string& line, platform::DiagnosticKind kind) {
    std::ostream& out = kind == platform::DiagnosticKind::Problem ? problems_ : notes_;
    out << line << std::endl;
    platform_.Note(line);
}

}  // namespace corvane::ui
