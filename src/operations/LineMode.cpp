#include "operations/LineMode.h"

#include <algorithm>

#include "product/Models.h"
#include "protocol/Identification.h"
#include "protocol/LineModeSwitchCommands.h"

namespace corvane::operations {

namespace {

constexpr std::uint32_t kVersionTextUsbSize = 20;
constexpr std::uint32_t kVersionTextSerialPauseMs = 1000;

// Adds the options of one table that are chosen, in the table's order.
int AddChosen(protocol::LineModeSwitchCommands& commands,
              std::span<const protocol::LineModeOption> table,
              std::span<const LineModeChoice> choices) {
    int added = 0;
    for (const protocol::LineModeOption& option : table) {
        auto chosen = std::find_if(choices.begin(), choices.end(), [&](const LineModeChoice& c) {
            return c.setting == option.setting;
        });
        // A choice the setting lacks could only send a made-up value.
        if (chosen == choices.end() || !option.HasChoice(chosen->choice)) {
            continue;
        }
        commands.AddSwitchOption(option.word, option.clearMask,
                                 option.values[static_cast<std::size_t>(chosen->choice)]);
        ++added;
    }
    return added;
}

}  // namespace

LineModeOutcome SetLineModeSwitches(link::PrinterPort& port,
                                    std::span<const LineModeChoice> choices,
                                    platform::Reporter& reporter) {
    protocol::LineModeSwitchCommands commands;
    int added = AddChosen(commands, protocol::LineModeOptions::MemorySwitchOptions(), choices) +
                AddChosen(commands, protocol::LineModeOptions::CodePageOptions(), choices);
    if (added == 0) {
        reporter.Message(platform::Severity::Warning, std::string(kNothingChosenMessage),
                         std::string(kNothingChosenCaption));
        return LineModeOutcome::NothingChosen;
    }
    return commands.SendSwitchCommands(port) ? LineModeOutcome::Sent : LineModeOutcome::WriteFailed;
}

bool PrintLineModeStatus(link::PrinterPort& port, protocol::PrintStatusForm form) {
    return protocol::LineModeCommands::SendPrintStatus(port, form);
}

bool SetLineModeSpeed(link::PrinterPort& port, std::uint32_t bitsPerSecond) {
    auto speed = protocol::LineModeCommands::SpeedOf(bitsPerSecond);
    return speed && protocol::LineModeCommands::SendSpeedCommands(port, *speed);
}

bool TakesCodePage(std::string_view versionText) {
    const std::string_view mark = product::kCodePageFirmwareMark;
    const std::size_t at = product::kCodePageFirmwareMarkAt;
    return versionText.size() >= at + mark.size() && versionText.substr(at, mark.size()) == mark;
}

CodePageCapability ReadCodePageCapability(link::PrinterPort& port) {
    CodePageCapability capability;
    capability.versionText = protocol::QueryPrinterInfo(
        port, protocol::InfoRequest::VersionText, kVersionTextUsbSize, kVersionTextSerialPauseMs);
    capability.takesCodePage = TakesCodePage(capability.versionText);
    return capability;
}

}  // namespace corvane::operations
