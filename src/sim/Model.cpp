#include "sim/Model.h"

#include <algorithm>
#include <cctype>

namespace corvane::sim {

Identity DefaultIdentity(Model model) {
    Identity identity;
    identity.maker = "VANTORA";
    identity.language = "ENGLISH";
    switch (model) {
        case Model::Krt310:
            identity.versionId = 0x64;
            identity.firmware = "V1.20";
            identity.model = "KRT-310";
            break;
        case Model::Krt310II:
            identity.versionId = 0x64;
            identity.firmware = "V2.05";
            identity.model = "KRT-310II";
            break;
        case Model::Krt620:
            identity.versionId = 0x65;
            // Characters 8 to 10 carry "STB": this firmware can change its default code page.
            identity.firmware = "V1.03  STB";
            identity.model = "KRT-620";
            break;
    }
    return identity;
}

UsbIds DefaultUsbIds(Model model) {
    switch (model) {
        case Model::Krt310:
            return {0x2c9a, 0x0002};
        case Model::Krt310II:
            return {0x2c9a, 0x0025};
        case Model::Krt620:
            return {0x3e1f, 0x4010};
    }
    return {};
}

bool IsKrt310Family(Model model) {
    return model != Model::Krt620;
}

std::string_view ModelName(Model model) {
    switch (model) {
        case Model::Krt310:
            return "KRT-310";
        case Model::Krt310II:
            return "KRT-310II";
        case Model::Krt620:
            return "KRT-620";
    }
    return "";
}

std::string_view EmulationName(Emulation emulation) {
    switch (emulation) {
        case Emulation::Native:
            return "native";
        case Emulation::Other02:
            return "other (02)";
        case Emulation::Other03:
            return "other (03)";
    }
    return "";
}

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

}  // namespace

std::optional<Model> ParseModel(std::string_view text) {
    std::string name = Upper(text);
    if (name.rfind("KRT-", 0) == 0) {
        name.erase(0, 4);
    } else if (name.rfind("KRT", 0) == 0) {
        name.erase(0, 3);
    }
    if (name == "310") {
        return Model::Krt310;
    }
    if (name == "310II") {
        return Model::Krt310II;
    }
    if (name == "620") {
        return Model::Krt620;
    }
    return std::nullopt;
}

std::optional<Emulation> ParseEmulation(std::string_view text) {
    std::string name = Upper(text);
    if (name == "NATIVE") {
        return Emulation::Native;
    }
    if (name == "02" || name == "OTHER02" || name == "OTHER" || name == "OTHER-02") {
        return Emulation::Other02;
    }
    if (name == "03" || name == "OTHER03" || name == "OTHER-03") {
        return Emulation::Other03;
    }
    return std::nullopt;
}

}  // namespace corvane::sim
