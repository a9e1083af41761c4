#include "service/SettingsDocument.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <span>

#include "operations/CodePages.h"
#include "operations/StatusValues.h"
#include "operations/SwitchPages.h"
#include "product/Models.h"

namespace corvane::service {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using operations::SettingList;
using operations::StatusRecord;
using protocol::PrinterModel;

struct ListField {
    const char* key;
    SettingList list;
    int StatusRecord::*field;
};

// The lists in the order the window shows them.
constexpr std::array<ListField, 5> kListFields = {{
    {"baudRate", SettingList::Baud, &StatusRecord::baudIndex},
    {"dataBits", SettingList::DataBits, &StatusRecord::dataBitsIndex},
    {"parity", SettingList::Parity, &StatusRecord::parityIndex},
    {"flowControl", SettingList::FlowControl, &StatusRecord::flowControlIndex},
    {"paperWidth", SettingList::PaperWidth, &StatusRecord::paperWidthIndex},
}};

constexpr char kPrinterKey[] = "printer";
constexpr char kCodePageKey[] = "defaultCodePage";
// Every pin of switch page 1 as read or loaded, reserved pins included; the code page is also
// given by name in kCodePageKey, which a person edits.
constexpr char kSwitch1Key[] = "switch1";
constexpr char kUsePowerSaveKey[] = "usePowerSave";
constexpr char kSecondsKey[] = "powerSaveSeconds";
constexpr int kHighestSeconds = 255;
constexpr std::array<const char*, 5> kPrinterFields = {"port", "maker", "model", "firmware",
                                                       "language"};

// The page of the family's second switch: the window's "Switch 2" page for the KRT-310 family,
// its "Switch 5" page for the KRT-620.
int SecondPage(PrinterModel family) {
    return family == PrinterModel::Krt620 ? 5 : 2;
}

std::string SecondSwitchKey(PrinterModel family) {
    return "switch" + std::to_string(SecondPage(family));
}

protocol::SwitchPins& SecondPins(PrinterModel family, StatusRecord& values) {
    return family == PrinterModel::Krt620 ? values.switchPage5 : values.switchPage2;
}

std::vector<std::string> CodePageChoices(PrinterModel family) {
    std::vector<std::string> choices{std::string(kNoChange)};
    for (const auto& entry : operations::CodePageValue(family)) {
        choices.emplace_back(entry.name);
    }
    return choices;
}

std::vector<std::string> KeysOf(PrinterModel family) {
    std::vector<std::string> keys = {
        "format",    "formatVersion",        "family", kPrinterKey, kCodePageKey,
        kSwitch1Key, SecondSwitchKey(family)};
    if (family == PrinterModel::Krt310Family) {
        for (const auto& field : kListFields) {
            keys.emplace_back(field.key);
        }
    }
    // A KRT-620 status file keeps the power save fields too, though the printer has none.
    keys.emplace_back(kUsePowerSaveKey);
    keys.emplace_back(kSecondsKey);
    return keys;
}

// Keys a file may leave out: files of earlier versions have no switch1, and a KRT-620 file has
// power save only when its status file held some.
bool MayBeLeftOut(PrinterModel family, const std::string& key) {
    return key == kPrinterKey || key == kSwitch1Key ||
           (family == PrinterModel::Krt620 && (key == kUsePowerSaveKey || key == kSecondsKey));
}

// The rows of a switch page as a settings file names them: switch page 1 in plain words.
std::array<operations::PinRow, 8> FileRows(PrinterModel family, int page) {
    auto rows = operations::PageRows(family, page);
    if (page == 1) {
        for (auto& row : rows) {
            row.choices = operations::PlainPinChoices();
        }
    }
    return rows;
}

std::string Quoted(std::string_view text) {
    return json(std::string(text)).dump();
}

template <typename Texts>
std::string Allowed(const Texts& texts) {
    std::string allowed;
    for (const auto& text : texts) {
        allowed += (allowed.empty() ? "" : ", ") + Quoted(text);
    }
    return allowed;
}

std::string Shown(const json& value) {
    return value.dump();
}

// The position of a value among a list's texts; false with a message when it is none of them.
bool Choose(const json& value, std::span<const std::string> choices, const std::string& key,
            int& index, std::string& error) {
    if (value.is_string()) {
        auto it = std::find(choices.begin(), choices.end(), value.get<std::string>());
        if (it != choices.end()) {
            index = static_cast<int>(it - choices.begin());
            return true;
        }
    }
    error = key + ": " + Shown(value) + " is not offered; allowed: " + Allowed(choices) + ".";
    return false;
}

bool LoadPins(const json& value, const std::string& key,
              const std::array<operations::PinRow, 8>& rows, protocol::SwitchPins& pins,
              std::string& error) {
    std::vector<std::string> labels;
    for (const auto& row : rows) {
        labels.push_back(row.label);
    }
    if (!value.is_object()) {
        error =
            key + ": " + Shown(value) + " is not an object of the pins " + Allowed(labels) + ".";
        return false;
    }
    for (const auto& [label, choice] : value.items()) {
        if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
            error =
                key + ": unknown pin " + Quoted(label) + "; the pins are " + Allowed(labels) + ".";
            return false;
        }
    }
    for (int pin = 1; pin <= 8; ++pin) {
        const auto& row = rows[static_cast<std::size_t>(pin - 1)];
        const std::string pinKey = key + "." + row.label;
        if (!value.contains(row.label)) {
            error = pinKey + " is missing; allowed: " + Allowed(row.choices) + ".";
            return false;
        }
        int index = 0;
        if (!Choose(value.at(row.label), row.choices, pinKey, index, error)) {
            return false;
        }
        pins[static_cast<std::size_t>(pin)] = index;
    }
    return true;
}

// Switch page 1 from the code page's name and, when the file has it, the exact pins: these stand
// as they are while they spell the named code page, and otherwise (the name was edited) the code
// page pins follow the name and only the other pins are taken.
bool LoadSwitch1(const json& object, PrinterModel family, int codePage, protocol::SwitchPins& pins,
                 std::string& error) {
    pins = operations::SwitchPage1ForSelection(family, codePage);
    if (!object.contains(kSwitch1Key)) {
        return true;
    }
    protocol::SwitchPins given{};
    if (!LoadPins(object.at(kSwitch1Key), kSwitch1Key, FileRows(family, 1), given, error)) {
        return false;
    }
    if (std::max(operations::CodePageSelection(family, given), 0) == codePage) {
        pins = given;
        return true;
    }
    auto codePagePins = protocol::CodePagePins(family);
    for (int pin = 1; pin <= 8; ++pin) {
        if (std::find(codePagePins.begin(), codePagePins.end(), pin) == codePagePins.end()) {
            pins[static_cast<std::size_t>(pin)] = given[static_cast<std::size_t>(pin)];
        }
    }
    return true;
}

// Power save as the lists' family keeps it; a KRT-620 file may leave it out (off, 0 seconds).
bool LoadPowerSave(const json& object, StatusRecord& values, std::string& error) {
    if (!object.contains(kUsePowerSaveKey) && !object.contains(kSecondsKey)) {
        values.usePowerSave = values.powerSaveSeconds = 0;
        return true;
    }
    for (const char* key : {kUsePowerSaveKey, kSecondsKey}) {
        if (!object.contains(key)) {
            error = std::string(key) + " is missing; " + kUsePowerSaveKey + " and " + kSecondsKey +
                    " come together.";
            return false;
        }
    }
    const json& use = object.at(kUsePowerSaveKey);
    if (!use.is_boolean()) {
        error = std::string(kUsePowerSaveKey) + ": " + Shown(use) +
                " is not offered; allowed: true, false.";
        return false;
    }
    values.usePowerSave = use.get<bool>() ? 1 : 0;
    const json& seconds = object.at(kSecondsKey);
    if (!seconds.is_number_integer() || seconds.get<std::int64_t>() < 0 ||
        seconds.get<std::int64_t>() > kHighestSeconds) {
        error = std::string(kSecondsKey) + ": " + Shown(seconds) +
                " is not offered; allowed: a whole number from 0 to " +
                std::to_string(kHighestSeconds) + " (the printer takes 6 to 254).";
        return false;
    }
    values.powerSaveSeconds = static_cast<int>(seconds.get<std::int64_t>());
    return true;
}

bool LoadPrinterInfo(const json& value, PrinterInfo& info, std::string& error) {
    auto fieldsText = [] {
        return Allowed(std::vector<std::string>(kPrinterFields.begin(), kPrinterFields.end()));
    };
    if (!value.is_object()) {
        error = std::string(kPrinterKey) + ": " + Shown(value) + " is not an object of the texts " +
                fieldsText() + ".";
        return false;
    }
    std::array<std::string*, 5> targets = {&info.port, &info.maker, &info.model, &info.firmware,
                                           &info.language};
    for (const auto& [name, text] : value.items()) {
        auto at = std::find(kPrinterFields.begin(), kPrinterFields.end(), name);
        if (at == kPrinterFields.end() || !text.is_string()) {
            error = std::string(kPrinterKey) + "." + name +
                    (at == kPrinterFields.end() ? " is not known; allowed: " + fieldsText()
                                                : " must be a text") +
                    ".";
            return false;
        }
        *targets[static_cast<std::size_t>(at - kPrinterFields.begin())] = text.get<std::string>();
    }
    return true;
}

// The family names a settings file may give: the connection window's captions.
std::vector<std::string> FamilyNames() {
    std::vector<std::string> names;
    for (const auto& facts : product::kFamilies) {
        names.emplace_back(facts.caption);
    }
    return names;
}

bool LoadHeader(const json& object, PrinterModel& family, std::string& error) {
    for (const char* key : {"format", "formatVersion", "family"}) {
        if (!object.contains(key)) {
            error = std::string(key) +
                    " is missing; a settings file starts with \"format\": " + Quoted(kFormatName) +
                    ", \"formatVersion\": " + std::to_string(kFormatVersion) +
                    " and \"family\": one of " + Allowed(FamilyNames()) + ".";
            return false;
        }
    }
    const json& format = object.at("format");
    if (!format.is_string() || format.get<std::string>() != kFormatName) {
        error = "format: " + Shown(format) +
                " is not a settings file; allowed: " + Quoted(kFormatName) + ".";
        return false;
    }
    const json& version = object.at("formatVersion");
    if (!version.is_number_integer() || version.get<std::int64_t>() != kFormatVersion) {
        error = "formatVersion: " + Shown(version) +
                " is not one this program reads; allowed: " + std::to_string(kFormatVersion) + ".";
        return false;
    }
    int index = 0;
    if (!Choose(object.at("family"), FamilyNames(), "family", index, error)) {
        return false;
    }
    family = product::kFamilies[static_cast<std::size_t>(index)].id;
    return true;
}

bool LoadSettings(const json& object, SettingsDocument& document, std::string& error) {
    if (!object.is_object()) {
        error = "the file holds " + Shown(object).substr(0, 40) +
                ", not an object of settings; \"corvane-cli get\" writes one.";
        return false;
    }
    PrinterModel family = PrinterModel::Krt310Family;
    if (!LoadHeader(object, family, error)) {
        return false;
    }
    const std::vector<std::string> keys = KeysOf(family);
    for (const auto& [key, value] : object.items()) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            error = "unknown key " + Quoted(key) + "; the keys of a " +
                    std::string(FamilyName(family)) + " file are " + Allowed(keys) + ".";
            return false;
        }
    }
    for (const auto& key : keys) {
        if (!MayBeLeftOut(family, key) && !object.contains(key)) {
            error = key +
                    " is missing; every setting must be given (\"No Change\" leaves one as "
                    "the printer has it).";
            return false;
        }
    }

    SettingsDocument loaded;
    loaded.family = family;
    StatusRecord values = operations::UnsetValues();
    if (object.contains(kPrinterKey)) {
        loaded.printer.emplace();
        if (!LoadPrinterInfo(object.at(kPrinterKey), *loaded.printer, error)) {
            return false;
        }
    }
    int codePage = 0;
    if (!Choose(object.at(kCodePageKey), CodePageChoices(family), kCodePageKey, codePage, error)) {
        return false;
    }
    if (!LoadSwitch1(object, family, codePage, values.switchPage1, error)) {
        return false;
    }
    if (!LoadPins(object.at(SecondSwitchKey(family)), SecondSwitchKey(family),
                  FileRows(family, SecondPage(family)), SecondPins(family, values), error)) {
        return false;
    }
    if (family == PrinterModel::Krt310Family) {
        for (const auto& field : kListFields) {
            // null is a list with no entry selected, which a status file may hold.
            const json& value = object.at(field.key);
            if (value.is_null()) {
                values.*field.field = -1;
            } else if (!Choose(value, operations::ListItems(field.list), field.key,
                               values.*field.field, error)) {
                return false;
            }
        }
    }
    if (!LoadPowerSave(object, values, error)) {
        return false;
    }
    loaded.values = operations::RecordForModel(family, values);
    document = std::move(loaded);
    return true;
}

// What a settings object carries: everything a status file holds, or only what Set Status writes
// (for comparing settings).
enum class Carried { Everything, Written };

ordered_json PinsObject(const std::array<operations::PinRow, 8>& rows,
                        const protocol::SwitchPins& pins) {
    ordered_json object = ordered_json::object();
    for (int pin = 1; pin <= 8; ++pin) {
        const auto& row = rows[static_cast<std::size_t>(pin - 1)];
        int choice = pins[static_cast<std::size_t>(pin)];
        // A value no list offers is left alone by Set Status, as "No Change" is.
        object[row.label] =
            row.choices[choice >= 0 && choice <= 2 ? static_cast<std::size_t>(choice) : 0];
    }
    return object;
}

ordered_json SettingsObject(const SettingsDocument& document, Carried carried) {
    const PrinterModel family = document.family;
    const StatusRecord& values = document.values;
    ordered_json object;
    object["format"] = kFormatName;
    object["formatVersion"] = kFormatVersion;
    object["family"] = FamilyName(family);
    if (document.printer) {
        const PrinterInfo& info = *document.printer;
        ordered_json printer = ordered_json::object();
        const std::array<const std::string*, 5> fields = {&info.port, &info.maker, &info.model,
                                                          &info.firmware, &info.language};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!fields[i]->empty()) {
                printer[kPrinterFields[i]] = *fields[i];
            }
        }
        object[kPrinterKey] = printer;
    }
    int codePage = operations::CodePageSelection(family, values.switchPage1);
    object[kCodePageKey] = CodePageChoices(family)[static_cast<std::size_t>(std::max(codePage, 0))];
    if (carried == Carried::Everything) {
        object[kSwitch1Key] = PinsObject(FileRows(family, 1), values.switchPage1);
    }
    object[SecondSwitchKey(family)] =
        PinsObject(FileRows(family, SecondPage(family)),
                   family == PrinterModel::Krt620 ? values.switchPage5 : values.switchPage2);
    if (family == PrinterModel::Krt310Family) {
        for (const auto& field : kListFields) {
            auto items = operations::ListItems(field.list);
            int index = values.*field.field;
            if (index == -1 && carried == Carried::Everything) {
                object[field.key] = nullptr;
                continue;
            }
            // No selection, like a value no list offers, is left alone by Set Status.
            object[field.key] = items[index >= 0 && static_cast<std::size_t>(index) < items.size()
                                          ? static_cast<std::size_t>(index)
                                          : 0];
        }
    }
    const bool powerSaveHeld = values.usePowerSave != 0 || values.powerSaveSeconds != 0;
    if (family == PrinterModel::Krt310Family || (carried == Carried::Everything && powerSaveHeld)) {
        object[kUsePowerSaveKey] = values.usePowerSave != 0;
        object[kSecondsKey] = values.powerSaveSeconds;
    }
    return object;
}

// A settings file nests three levels; far deeper input is refused before it is parsed, as
// walking it would exhaust the stack.
constexpr int kDeepestNesting = 32;

int NestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

std::string_view FamilyName(PrinterModel family) {
    return product::FamilyFacts(family).caption;
}

bool LoadSettingsJson(std::string_view text, SettingsDocument& document, std::string& error) {
    if (NestingDepth(text) > kDeepestNesting) {
        error = "not a settings file: its values nest deeper than " +
                std::to_string(kDeepestNesting) + " levels.";
        return false;
    }
    try {
        json object = json::parse(text);
        return LoadSettings(object, document, error);
    } catch (const json::parse_error& failure) {
        std::string what = failure.what();
        // "[json.exception.parse_error.101] parse error at line 2, column 3: ...".
        auto bracket = what.find("] ");
        error = "not JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2));
    } catch (const json::exception& failure) {
        error = std::string("not a settings file: ") + failure.what();
    }
    return false;
}

std::string SettingsJson(const SettingsDocument& document) {
    return SettingsObject(document, Carried::Everything).dump(2) + "\n";
}

bool CheckStatusRecord(const StatusRecord& record, std::string& error) {
    const std::array<std::pair<const char*, const protocol::SwitchPins*>, 3> pages = {
        {{"switch1", &record.switchPage1},
         {"switch2", &record.switchPage2},
         {"switch5", &record.switchPage5}}};
    for (const auto& [key, pins] : pages) {
        for (int pin = 1; pin <= 8; ++pin) {
            int value = (*pins)[static_cast<std::size_t>(pin)];
            if (value < 0 || value > 2) {
                error = std::string(key) + " pin " + std::to_string(pin) + ": " +
                        std::to_string(value) +
                        " is not offered; allowed: 0 (\"No Change\"), 1 (\"Switch On\"), 2 "
                        "(\"Switch Off\").";
                return false;
            }
        }
    }
    for (const auto& field : kListFields) {
        auto items = operations::ListItems(field.list);
        int value = record.*field.field;
        if (value < -1 || value >= static_cast<int>(items.size())) {
            std::string allowed = "-1 (no selection)";
            for (std::size_t i = 0; i < items.size(); ++i) {
                allowed += ", " + std::to_string(i) + " (" + Quoted(items[i]) + ")";
            }
            error = std::string(field.key) + ": " + std::to_string(value) +
                    " is not offered; allowed: " + allowed + ".";
            return false;
        }
    }
    if (record.usePowerSave != 0 && record.usePowerSave != 1) {
        error = std::string(kUsePowerSaveKey) + ": " + std::to_string(record.usePowerSave) +
                " is not offered; allowed: 0 (off), 1 (on).";
        return false;
    }
    if (record.powerSaveSeconds < 0 || record.powerSaveSeconds > kHighestSeconds) {
        error = std::string(kSecondsKey) + ": " + std::to_string(record.powerSaveSeconds) +
                " is not offered; allowed: 0 to " + std::to_string(kHighestSeconds) + ".";
        return false;
    }
    return true;
}

SettingsDocument DocumentFromRecord(PrinterModel family, const StatusRecord& record) {
    StatusRecord values = operations::UnsetValues();
    operations::TakeRecord(family, record, values);
    return {family, operations::RecordForModel(family, values), std::nullopt};
}

std::vector<std::pair<std::string, std::string>> SettingTexts(const SettingsDocument& document) {
    SettingsDocument settingsOnly = document;
    settingsOnly.printer.reset();
    std::vector<std::pair<std::string, std::string>> texts;
    const ordered_json object = SettingsObject(settingsOnly, Carried::Written);
    for (const auto& [key, value] : object.items()) {
        if (key == "format" || key == "formatVersion" || key == "family") {
            continue;
        }
        if (value.is_object()) {
            for (const auto& [pin, choice] : value.items()) {
                texts.emplace_back(key + "." + pin, choice.get<std::string>());
            }
        } else {
            texts.emplace_back(key, value.is_string() ? value.get<std::string>() : value.dump());
        }
    }
    return texts;
}

}  // namespace corvane::service
