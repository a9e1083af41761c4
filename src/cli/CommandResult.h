#pragma once

// What a command came to, with its --json result. Only the commands' own files include this
// header, so that the JSON library stays out of the rest of the tree.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/TerminalReporter.h"

namespace corvane::cli {

// What a command came to: its exit status, its result for --json, and the text that goes to
// standard output otherwise.
struct CommandResult {
    int exitStatus = 0;
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    std::string text;
};

// A failure without a message of its own: the messages before it said what went wrong.
CommandResult Failed(int status, const std::string& why);

// A refusal of the command line or an input: said on standard error, nothing sent.
CommandResult Refused(TerminalReporter& reporter, const std::string& why);

// What a request that the printer acts on came to: "sent" for --json, and the text when it went
// out; a printer error with why when it did not.
CommandResult Sent(CommandResult result, bool sent, const std::string& why,
                   const std::string& text);

// Messages as the --json output lists them.
nlohmann::ordered_json MessagesJson(const std::vector<service::RecordingReporter::Entry>& messages);

}  // namespace corvane::cli
