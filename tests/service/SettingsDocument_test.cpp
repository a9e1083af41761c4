// Settings files: JSON that reads like the manager's window, and status files beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "operations/StatusValues.h"
#include "service/SettingsDocument.h"
#include "service/SettingsFile.h"

namespace corvane::service {
namespace {

using nlohmann::json;
using operations::StatusRecord;
using protocol::PrinterModel;

// The record the window saves right after Initialize Status.
StatusRecord Initialized(PrinterModel family) {
    StatusRecord values = operations::UnsetValues();
    for (auto* page : {&values.switchPage1, &values.switchPage2, &values.switchPage5}) {
        for (int pin = 1; pin <= 8; ++pin) {
            (*page)[static_cast<std::size_t>(pin)] = protocol::kPinSwitchOff;
        }
    }
    if (family == PrinterModel::Krt310Family) {
        values.baudIndex = 4;
        values.dataBitsIndex = 2;
        values.parityIndex = 1;
        values.flowControlIndex = 1;
        values.paperWidthIndex = 3;
        values.usePowerSave = 1;
        values.powerSaveSeconds = 20;
    }
    return operations::RecordForModel(family, values);
}

// A document with something other than the defaults in every kind of setting, as a person
// writes one: without the exact pins of switch page 1.
json Varied(PrinterModel family) {
    json object = json::parse(SettingsJson(DocumentFromRecord(family, Initialized(family))));
    object.erase("switch1");
    std::string second = family == PrinterModel::Krt620 ? "switch5" : "switch2";
    if (family == PrinterModel::Krt620) {
        object["defaultCodePage"] = "Code Page PC928 - Greek";
        object[second]["Special F/W Pin #3"] = "Switch On";
        object[second]["Special F/W Pin #7"] = "No Change";
    } else {
        object["defaultCodePage"] = "Code Page CASIO";
        object[second]["Buffer Size"] = "40Bytes";
        object[second]["Buzzer when paper out"] = "No Change";
        object["baudRate"] = "19200";
        object["parity"] = "Even";
        object["paperWidth"] = "No Change";
        object["usePowerSave"] = false;
        object["powerSaveSeconds"] = 254;
    }
    return object;
}

// Guards against a file of either kind losing or changing a setting on its way through the
// other: status files come back byte for byte, reserved pins, pins that spell no code page and a
// KRT-620's power save fields included, and JSON comes back as it was.
TEST(SettingsFiles, RoundTripBetweenJsonAndStatusFilesOfBothFamilies) {
    StatusRecord odd310 = Initialized(PrinterModel::Krt310Family);
    odd310.switchPage1 = {0, 1, 0, 1, 1, 0, 2, 1, 0};  // reserved pins on and "No Change"
    odd310.baudIndex = -1;
    StatusRecord odd620 = Initialized(PrinterModel::Krt620);
    odd620.switchPage1 = {0, 1, 1, 1, 1, 1, 1, 0, 2};
    odd620.usePowerSave = 1;
    odd620.powerSaveSeconds = 6;
    const std::vector<std::pair<PrinterModel, StatusRecord>> records = {
        {PrinterModel::Krt310Family, Initialized(PrinterModel::Krt310Family)},
        {PrinterModel::Krt620, Initialized(PrinterModel::Krt620)},
        {PrinterModel::Krt310Family, odd310},
        {PrinterModel::Krt620, operations::RecordForModel(PrinterModel::Krt620, odd620)},
    };
    for (const auto& [family, record] : records) {
        SCOPED_TRACE(std::string(FamilyName(family)));
        auto bytes = operations::EncodeStatusRecord(record);
        SettingsDocument fromFile =
            DocumentFromRecord(family, operations::DecodeStatusRecord(bytes));
        SettingsDocument loaded;
        std::string error;
        ASSERT_TRUE(LoadSettingsJson(SettingsJson(fromFile), loaded, error)) << error;
        EXPECT_EQ(operations::EncodeStatusRecord(loaded.values), bytes);

        std::string text = Varied(family).dump(2) + "\n";
        ASSERT_TRUE(LoadSettingsJson(text, loaded, error)) << error;
        auto again = operations::DecodeStatusRecord(operations::EncodeStatusRecord(loaded.values));
        json back = json::parse(SettingsJson(DocumentFromRecord(family, again)));
        back.erase("switch1");
        EXPECT_EQ(back, json::parse(text));
    }
    // An edited code page name wins over the exact pins, whose reserved pins stay.
    json edited = json::parse(SettingsJson(DocumentFromRecord(PrinterModel::Krt310Family, odd310)));
    edited["defaultCodePage"] = "Code Page PC850 - Multilingual";
    SettingsDocument loaded;
    std::string error;
    ASSERT_TRUE(LoadSettingsJson(edited.dump(), loaded, error)) << error;
    EXPECT_EQ(operations::CodePageSelection(PrinterModel::Krt310Family, loaded.values.switchPage1),
              3);
    EXPECT_EQ(loaded.values.switchPage1[1], 1);
    EXPECT_EQ(loaded.values.switchPage1[2], 0);
}

// Guards against "No Change" for the code page becoming the code page numbered 0, which a
// status file cannot tell apart unless its pins spell a number no entry carries.
TEST(SettingsFiles, NoChangeKeepsThePrintersCodePageAndAnEntryWritesItsNumber) {
    for (PrinterModel family : {PrinterModel::Krt310Family, PrinterModel::Krt620}) {
        json object = Varied(family);
        for (auto [text, number] : {std::pair<std::string, std::optional<int>>{"No Change", {}},
                                    {"Page PC437 - USA", 0},
                                    {"Code Page PC850 - Multilingual", 2}}) {
            object["defaultCodePage"] = text;
            SettingsDocument document;
            std::string error;
            ASSERT_TRUE(LoadSettingsJson(object.dump(), document, error)) << error;
            StatusRecord reloaded =
                operations::DecodeStatusRecord(operations::EncodeStatusRecord(document.values));
            auto write = operations::StatusToWrite(
                family, reloaded, operations::CodePageSelection(family, reloaded.switchPage1));
            EXPECT_EQ(write.codePage, number) << text;
        }
    }
}

// Guards against a bad file reaching a printer, or being refused without saying what to fix.
TEST(SettingsFiles, BadJsonIsRefusedNamingTheKeyAndWhatIsAllowed) {
    struct Row {
        const char* what;
        PrinterModel family;
        std::function<void(json&)> spoil;
        std::vector<std::string> said;
    };
    const std::vector<Row> rows = {
        {"unknown key",
         PrinterModel::Krt310Family,
         [](json& o) { o["baudrate"] = "9600"; },
         {"unknown key \"baudrate\"", "\"baudRate\""}},
        {"value no list offers",
         PrinterModel::Krt310Family,
         [](json& o) { o["baudRate"] = "38400"; },
         {"baudRate: \"38400\" is not offered", "\"No Change\", \"1200\"", "\"19200\""}},
        {"number for a list",
         PrinterModel::Krt310Family,
         [](json& o) { o["dataBits"] = 8; },
         {"dataBits: 8 is not offered", "\"7\", \"8\""}},
        {"pin choice of another row",
         PrinterModel::Krt310Family,
         [](json& o) { o["switch2"]["Buffer Size"] = "Switch On"; },
         {"switch2.Buffer Size: \"Switch On\"", "\"40Bytes\", \"8Kb\""}},
        {"unknown pin",
         PrinterModel::Krt620,
         [](json& o) { o["switch5"]["Special F/W Pin #9"] = "Switch On"; },
         {"switch5: unknown pin \"Special F/W Pin #9\"", "\"Special F/W Pin #8\""}},
        {"setting of the other family",
         PrinterModel::Krt620,
         [](json& o) { o["paperWidth"] = "No Change"; },
         {"unknown key \"paperWidth\"", "KRT-620 file"}},
        {"code page of the other family",
         PrinterModel::Krt620,
         [](json& o) { o["defaultCodePage"] = "Code Page CASIO"; },
         {"defaultCodePage: \"Code Page CASIO\"", "\"Code Page PC928 - Greek\""}},
        {"missing setting",
         PrinterModel::Krt310Family,
         [](json& o) { o.erase("parity"); },
         {"parity is missing"}},
        {"seconds out of range",
         PrinterModel::Krt310Family,
         [](json& o) { o["powerSaveSeconds"] = 300; },
         {"powerSaveSeconds: 300", "0 to 255"}},
        {"newer format",
         PrinterModel::Krt310Family,
         [](json& o) { o["formatVersion"] = 2; },
         {"formatVersion: 2", "allowed: 1"}},
        {"unknown family",
         PrinterModel::Krt310Family,
         [](json& o) { o["family"] = "KRT-999"; },
         {"family: \"KRT-999\"", "\"KRT-310/310II\", \"KRT-620\""}},
        {"not an object",
         PrinterModel::Krt310Family,
         [](json& o) { o = json::array(); },
         {"not an object of settings"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        json object = Varied(row.family);
        row.spoil(object);
        SettingsDocument document;
        std::string error;
        EXPECT_FALSE(LoadSettingsJson(object.dump(), document, error));
        for (const auto& part : row.said) {
            EXPECT_NE(error.find(part), std::string::npos) << error;
        }
    }
    SettingsDocument document;
    std::string error;
    EXPECT_FALSE(LoadSettingsJson("{\n  \"format\": \"corvane-settings\",\n  }", document, error));
    EXPECT_NE(error.find("not JSON: parse error at line 3"), std::string::npos) << error;
    // Guards against a crash on input nested deeper than any stack.
    std::string deep = "{\"format\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(LoadSettingsJson(deep, document, error));
    EXPECT_NE(error.find("nest deeper than 32"), std::string::npos) << error;
}

// Guards against a cut, foreign or huge file being taken for settings: the loader names the file
// and the field.
TEST(SettingsFiles, StatusFilesOfTheWrongSizeOrWithValuesNoListOffersAreRefused) {
    auto dir = std::filesystem::temp_directory_path() / "corvane-cli-settings";
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return (dir / name).string();
    };
    auto good = operations::EncodeStatusRecord(Initialized(PrinterModel::Krt310Family));
    StatusRecord wrongBaud = Initialized(PrinterModel::Krt310Family);
    wrongBaud.baudIndex = 9;
    auto badBaud = operations::EncodeStatusRecord(wrongBaud);
    StatusRecord wrongPin = Initialized(PrinterModel::Krt310Family);
    wrongPin.switchPage2[4] = 7;
    auto badPin = operations::EncodeStatusRecord(wrongPin);
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows = {
        {write("short.sts", std::vector<std::uint8_t>(good.begin(), good.end() - 1)),
         {"short.sts: a status file has 124 bytes; this one has 123"}},
        {write("long.sts",
               [&] {
                   std::vector<std::uint8_t> bytes(good.begin(), good.end());
                   bytes.push_back(0);
                   return bytes;
               }()),
         {"this one has 125"}},
        {write("baud.sts", {badBaud.begin(), badBaud.end()}),
         {"baud.sts: baudRate: 9 is not offered", "5 (\"19200\")"}},
        {write("pin.sts", {badPin.begin(), badPin.end()}), {"switch2 pin 4: 7 is not offered"}},
        {write("big.json", std::vector<std::uint8_t>((1 << 20) + 1, ' ')),
         {"big.json: a settings file has at most 1048576 bytes (1 MiB); this one has 1048577"}},
    };
    for (const auto& [path, said] : rows) {
        SettingsFile file;
        std::string error;
        EXPECT_FALSE(LoadSettingsFile(path, file, error)) << path;
        for (const auto& part : said) {
            EXPECT_NE(error.find(part), std::string::npos) << error;
        }
    }
    SettingsFile file;
    std::string error;
    EXPECT_TRUE(LoadSettingsFile(write("good.sts", {good.begin(), good.end()}), file, error))
        << error;
    EXPECT_FALSE(file.family.has_value());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace corvane::service
