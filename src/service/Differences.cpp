#include "service/Differences.h"

#include <map>

#include "operations/StatusValues.h"

namespace corvane::service {

namespace {

using protocol::PrinterModel;

constexpr char kUsePowerSaveKey[] = "usePowerSave";
constexpr char kSecondsKey[] = "powerSaveSeconds";

}  // namespace

std::vector<Difference> Differences(const SettingsDocument& wanted, const SettingsDocument& found,
                                    bool powerSaveTold) {
    std::map<std::string, std::string> foundTexts;
    for (auto& [key, text] : SettingTexts(found)) {
        foundTexts[key] = text;
    }
    std::vector<Difference> differences;
    for (const auto& [key, text] : SettingTexts(wanted)) {
        if (text == kNoChange ||
            (!powerSaveTold && (key == kUsePowerSaveKey || key == kSecondsKey))) {
            continue;
        }
        const std::string& other = foundTexts[key];
        if (other != text) {
            differences.push_back({key, text, other});
        }
    }
    return differences;
}

std::vector<Difference> SettingDifferences(const SettingsDocument& first,
                                           const SettingsDocument& second) {
    std::vector<std::pair<std::string, std::string>> firstTexts = SettingTexts(first);
    std::map<std::string, std::string> secondTexts;
    for (auto& [key, text] : SettingTexts(second)) {
        secondTexts[key] = text;
    }
    std::vector<Difference> differences;
    for (const auto& [key, text] : firstTexts) {
        auto other = secondTexts.extract(key);
        std::string found = other ? other.mapped() : std::string();
        if (found != text) {
            differences.push_back({key, text, found});
        }
    }
    // Settings of the second alone come last, in its order.
    for (const auto& [key, text] : SettingTexts(second)) {
        if (secondTexts.contains(key)) {
            differences.push_back({key, "", text});
        }
    }
    return differences;
}

SettingsDocument DocumentFromStatus(PrinterModel family, const operations::NativeStatus& status) {
    operations::StatusRecord values = operations::UnsetValues();
    operations::TakeStatus(family, status, values);
    return {family, operations::RecordForModel(family, values), std::nullopt};
}

}  // namespace corvane::service
