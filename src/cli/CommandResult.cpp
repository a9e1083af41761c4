#include "cli/CommandResult.h"

#include "service/ExitStatus.h"

namespace corvane::cli {

CommandResult Failed(int status, const std::string& why) {
    CommandResult result;
    result.exitStatus = status;
    result.json["error"] = why;
    return result;
}

CommandResult Refused(TerminalReporter& reporter, const std::string& why) {
    reporter.Message(platform::Severity::Warning, why);
    return Failed(service::kUsageError, why);
}

CommandResult Sent(CommandResult result, bool sent, const std::string& why,
                   const std::string& text) {
    result.json["sent"] = sent;
    if (!sent) {
        return Failed(service::kPrinterError, why);
    }
    result.text = text;
    return result;
}

nlohmann::ordered_json MessagesJson(
    const std::vector<service::RecordingReporter::Entry>& messages) {
    auto list = nlohmann::ordered_json::array();
    for (const auto& message : messages) {
        list.push_back({{"severity", TerminalReporter::SeverityName(message.severity)},
                        {"text", TerminalReporter::Format(message)}});
    }
    return list;
}

}  // namespace corvane::cli
