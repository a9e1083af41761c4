#include "cli/TerminalReporter.h"

namespace corvane::cli {

TerminalReporter::TerminalReporter(std::ostream* err, bool verbose)
    : err_(err), verbose_(verbose) {}

void TerminalReporter::Message(platform::Severity severity, const std::string& text,
                               const std::string& caption) {
    messages_.push_back({severity, text, caption});
    if (err_ != nullptr) {
        *err_ << Format(messages_.back()) << std::endl;
    }
}

void TerminalReporter::Diagnostic(const std::string& line, platform::DiagnosticKind kind) {
    if (kind == platform::DiagnosticKind::Problem) {
        problems_.push_back(line);
    }
    if (err_ != nullptr && (kind == platform::DiagnosticKind::Problem || verbose_)) {
        *err_ << line << std::endl;
    }
}

std::string TerminalReporter::LastWarning() const {
    for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
        if (it->severity != platform::Severity::Information) {
            return Format(*it);
        }
    }
    return {};
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

std::string TerminalReporter::Format(const Entry& entry) {
    std::string text = entry.caption.empty() ? entry.text : entry.caption + ": " + entry.text;
    // The window's messages break their lines the Windows way.
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace corvane::cli
