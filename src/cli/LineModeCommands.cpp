// The commands for a printer in the "Other" emulation, which takes line-mode commands.
#include <sstream>

#include "cli/CommandRunners.h"
#include "cli/LineModeChoices.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using service::LineModeWindow;

constexpr char kNotWritten[] = "the commands could not be written";

// The choices given, read; false with a message when one does not read or none is given.
bool ChoicesOf(const startup::CliOptions& options, std::vector<operations::LineModeChoice>& choices,
               std::string& error) {
    for (const auto& text : options.lineModeChoices) {
        operations::LineModeChoice choice;
        if (!ParseLineModeChoice(text, choice, error)) {
            return false;
        }
        choices.push_back(choice);
    }
    if (choices.empty()) {
        error = "give at least one SETTING=CHOICE; \"linemode list\" shows them";
        return false;
    }
    return true;
}

}  // namespace

std::optional<LineModeWindow> LineModeWindowOf(service::PrinterSession& printer,
                                               TerminalReporter& reporter, CommandResult& refusal) {
    LineModeWindow window = printer.LineModeWindowFor();
    if (window == LineModeWindow::None) {
        refusal = Refused(reporter,
                          "the line-mode settings are for printers in the \"Other\" "
                          "emulation: give --emulation other02 or other03");
        return std::nullopt;
    }
    if (window == LineModeWindow::Unsupported) {
        const std::string why(operations::kEmulationNotSupportedMessage);
        reporter.Message(platform::Severity::Warning, why);
        refusal = Failed(service::kPrinterError, why);
        return std::nullopt;
    }
    return window;
}

std::string LineModeChoicesProblem(const startup::CliOptions& options) {
    std::vector<operations::LineModeChoice> choices;
    std::string error;
    ChoicesOf(options, choices, error);
    return error;
}

CommandResult RunLineModeSet(CommandCall& call) {
    CommandResult result;
    // They read: the row's check refused them before any port opened otherwise.
    std::vector<operations::LineModeChoice> choices;
    std::string unread;
    ChoicesOf(call.options, choices, unread);
    service::PrinterSession& printer = *call.printer;
    auto window = LineModeWindowOf(printer, call.reporter, result);
    if (!window) {
        return result;
    }
    if (*window == LineModeWindow::Speed) {
        return Refused(call.reporter, kOnlyLineModeSpeed);
    }
    for (const auto& choice : choices) {
        if (IsKrt620LineModeSetting(choice.setting) != (*window == LineModeWindow::CodePage)) {
            const protocol::LineModeOption* option =
                protocol::LineModeOptions::Find(choice.setting);
            return Refused(
                call.reporter,
                "\"" + std::string(option->name) + "\" is not a setting of " +
                    (*window == LineModeWindow::CodePage ? "the KRT-620" : "the KRT-310 family"));
        }
        // The window offers the code page only to a firmware that takes it.
        if (choice.setting == protocol::LineModeSetting::CodePage &&
            !operations::ReadCodePageCapability(printer.Port()).takesCodePage) {
            return Refused(call.reporter,
                           "this printer's firmware does not take the code page "
                           "setting");
        }
    }
    operations::LineModeOutcome outcome =
        operations::SetLineModeSwitches(printer.Port(), choices, call.reporter);
    return Sent(result, outcome == operations::LineModeOutcome::Sent, kNotWritten,
                "Sent; the printer prints its new settings.\n");
}

CommandResult RunLineModeSpeed(CommandCall& call) {
    CommandResult result;
    auto window = LineModeWindowOf(*call.printer, call.reporter, result);
    if (!window) {
        return result;
    }
    if (*window != LineModeWindow::Speed) {
        return Refused(call.reporter,
                       "only a KRT-310 family printer that answers 03 takes linemode "
                       "speed");
    }
    const std::uint32_t speed = call.options.lineModeSpeed;
    bool sent = operations::SetLineModeSpeed(call.printer->Port(), speed);
    result.json["speed"] = speed;
    return Sent(result, sent, kNotWritten, "Sent; the link keeps its own speed.\n");
}

CommandResult RunLineModeList(CommandCall&) {
    CommandResult result;
    std::ostringstream text;
    json settings = json::array();
    for (const auto& setting : LineModeSettings()) {
        bool krt620 = IsKrt620LineModeSetting(setting.setting);
        text << setting.name << (krt620 ? " (KRT-620)" : " (KRT-310 family)") << "\n";
        json choices = json::array();
        for (std::size_t i = 0; i < setting.choices.size(); ++i) {
            text << "  " << i << "  " << setting.choices[i] << "\n";
            choices.push_back(setting.choices[i]);
        }
        settings.push_back({{"setting", setting.name},
                            {"family", krt620 ? "KRT-620" : "KRT-310/310II"},
                            {"choices", choices}});
    }
    result.json["settings"] = settings;
    result.text = text.str();
    return result;
}

}  // namespace corvane::cli
