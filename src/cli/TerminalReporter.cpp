#include "cli/TerminalReporter.h"

#include "base/VisibleText.h"

namespace corvane::cli {

TerminalReporter::TerminalReporter(std::ostream* err, bool verbose)
    : err_(err), verbose_(verbose) {}

void TerminalReporter::Message(platform::Severity severity, const std::string& text,
                               const std::string& caption) {
    RecordingReporter::Message(severity, text, caption);
    if (err_ != nullptr) {
        if (progress_ != nullptr) {
            progress_->Clear();
        }
        *err_ << base::TerminalText(Format(Messages().back())) << std::endl;
    }
}

void TerminalReporter::Diagnostic(const std::string& line, platform::DiagnosticKind kind) {
    RecordingReporter::Diagnostic(line, kind);
    if (err_ != nullptr && (kind == platform::DiagnosticKind::Problem || verbose_)) {
        if (progress_ != nullptr) {
            progress_->Clear();
        }
        *err_ << base::TerminalText(line) << std::endl;
    }
}

const char* TerminalReporter::SeverityName(platform::Severity severity) {
    switch (severity) {
        case platform::Severity::Information:
            return "information";
        case platform::Severity::Warning:
            return "warning";
        case platform::Severity::Plain:
            break;
    }
    return "plain";
}

}  // namespace corvane::cli
