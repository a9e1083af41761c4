#pragma once

#include <string>
#include <vector>

#include "platform/Reporter.h"

namespace corvane::support {

// Keeps every message and diagnostic line, in order, for a test to look at.
class RecordingReporter final : public platform::Reporter {
public:
    struct ShownMessage {
        platform::Severity severity;
        std::string text;
        std::string caption;
    };

    void Message(platform::Severity severity, const std::string& text,
                 const std::string& caption = {}) override {
        messages.push_back({severity, text, caption});
    }
    void Diagnostic(const std::string& line,
                    platform::DiagnosticKind kind = platform::DiagnosticKind::Note) override {
        (kind == platform::DiagnosticKind::Note ? notes : problems).push_back(line);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages) {
            texts.push_back(message.text);
        }
        return texts;
    }

    // The notes as a program would print them, one line each.
    std::string NotesText() const {
        std::string text;
        for (const auto& note : notes) {
            text += note + "\n";
        }
        return text;
    }

    std::vector<ShownMessage> messages;
    std::vector<std::string> notes;
    std::vector<std::string> problems;
};

}  // namespace corvane::support
