#include "service/RecordingReporter.h"

#include "base/VisibleText.h"

namespace corvane::service {

void RecordingReporter::Message(platform::Severity severity, const std::string& text,
                                const std::string& caption) {
    // Kept as valid UTF-8, as they end up in JSON; a printer's text in them may hold any byte.
    messages_.push_back({severity, base::ValidUtf8(text), base::ValidUtf8(caption)});
}

void RecordingReporter::Diagnostic(const std::string& line, platform::DiagnosticKind kind) {
    if (kind == platform::DiagnosticKind::Problem) {
        problems_.push_back(base::ValidUtf8(line));
    }
}

std::string RecordingReporter::LastWarning() const {
    for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
        if (it->severity != platform::Severity::Information) {
            return Format(*it);
        }
    }
    return {};
}

std::string RecordingReporter::Format(const Entry& entry) {
    std::string text = entry.caption.empty() ? entry.text : entry.caption + ": " + entry.text;
    // The window's messages break their lines the Windows way.
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace corvane::service
