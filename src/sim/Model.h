#pragma once

// The printers the simulator can stand in for, and what each says about itself by default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::sim {

enum class Model { Krt310, Krt310II, Krt620 };

// Native printers take the native command set; the "Other" emulation takes line-mode commands
// and answers the emulation query with 02 or 03.
enum class Emulation { Native, Other02, Other03 };

// The printer's answers to the identification requests.
struct Identity {
    std::uint8_t versionId = 0;
    std::string firmware;
    std::string maker;
    std::string model;
    std::string language;
};

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The answers of a genuine printer of the model, which the program accepts.
Identity DefaultIdentity(Model model);
// The vendor and product id that a printer of the model shows on USB.
UsbIds DefaultUsbIds(Model model);
bool IsKrt310Family(Model model);

// "KRT-310", "KRT-310II", "KRT-620".
std::string_view ModelName(Model model);
// "native", "other (02)", "other (03)".
std::string_view EmulationName(Emulation emulation);
// Accepts the model names in any letter case, with or without "KRT-".
std::optional<Model> ParseModel(std::string_view text);
// Accepts "native", "02", "03", "other02", "other03" and "other" (02), in any letter case.
std::optional<Emulation> ParseEmulation(std::string_view text);

}  // namespace corvane::sim
