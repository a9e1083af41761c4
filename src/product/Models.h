#pragma once

// The printers the program serves: one row per model, and what the models of a family share.
// Every layer takes the models from here, so that a model of an existing family is one more row
// of kModels. The simulated printer keeps its own list on the other side of the wire.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::product {

// The printer family: the KRT-310 and KRT-310II share their firmware and command set, the
// KRT-620 has its own. The values are also the connection window's radio positions.
enum class PrinterModel : int { Krt310Family = 0, Krt620 = 1 };

// The command set the printer runs: its own, or the foreign "Other" emulation that takes the
// line-mode commands.
enum class Emulation : int { Native = 0, Other = 1 };

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;

    bool operator==(const UsbIds&) const = default;
};

// One printer model.
struct Model {
    std::string_view name;  // as the printer answers the model request: exact, case-sensitive
    PrinterModel family;
    UsbIds usb;
    // The model's place in the USB id table's order of precedence, from 1; the packaging's
    // hardware lists follow it too.
    int usbPrecedence;
    // Which of the two settings beside the serial items the manager offers for the model.
    bool paperWidthSetting;
    bool powerSaveSetting;
};

// The window that Run Manager opens for a printer in the "Other" emulation.
enum class LineModeWindow { None, MemorySwitches, CodePage, BaudRate };

// What every model of a family shares.
struct Family {
    PrinterModel id;
    std::string_view caption;  // the connection window's radio and picture: "KRT-310/310II"
    std::uint8_t versionId;    // what the family's supported firmware answers the version request
    // The manager's serial lists and "Memory Switch On", with the paper width and power save.
    bool serialSettings;
    bool verticalAlignment;  // the vertical alignment tool
    // The line-mode window for the emulation answer 02 and for 03.
    LineModeWindow lineModeWindow02;
    LineModeWindow lineModeWindow03;
};

inline constexpr std::array<Model, 3> kModels = {{
    {"KRT-310", PrinterModel::Krt310Family, {0x2c9a, 0x0002}, 1, true, false},
    {"KRT-310II", PrinterModel::Krt310Family, {0x2c9a, 0x0025}, 3, false, true},
    {"KRT-620", PrinterModel::Krt620, {0x3e1f, 0x4010}, 2, false, false},
}};

inline constexpr std::array<Family, 2> kFamilies = {{
    {PrinterModel::Krt310Family, "KRT-310/310II", 0x64, true, false, LineModeWindow::MemorySwitches,
     LineModeWindow::BaudRate},
    {PrinterModel::Krt620, "KRT-620", 0x65, false, true, LineModeWindow::CodePage,
     LineModeWindow::None},
}};

// The maker's name as the printer answers the maker request.
inline constexpr std::string_view kMakerName = "VANTORA";
// Connect lets a printer that names itself "QVN" through as well, so that it can be connected
// and print its self tests.
inline constexpr std::array<std::string_view, 2> kConnectMakerNames = {kMakerName, "QVN"};
// The manager changes the printer's settings, so it takes only the maker's own name and ends the
// program on any other.
inline constexpr std::array<std::string_view, 1> kManagerMakerNames = {kMakerName};

// A KRT-620 firmware that takes a default code page in the "Other" emulation carries this mark
// as characters 8 to 10 of its version text.
inline constexpr std::string_view kCodePageFirmwareMark = "STB";
inline constexpr std::size_t kCodePageFirmwareMarkAt = 7;

// The built-in table; every function below takes another one for tests.
std::span<const Model> Models();
const Family& FamilyFacts(PrinterModel family);

// The row of the name a printer reports, compared whole and case-sensitive; null for none.
const Model* ModelNamed(std::string_view reportedName, std::span<const Model> models = Models());
// The row of a name a user gives: any letter case, with or without "KRT-" or "KRT".
const Model* FindModel(std::string_view text, std::span<const Model> models = Models());
// The rows of one family, in table order.
std::vector<Model> ModelsOf(PrinterModel family, std::span<const Model> models = Models());
// The row with these USB ids; null for none.
const Model* ModelWithUsbIds(UsbIds ids, std::span<const Model> models = Models());
// Every model's USB ids, in order of precedence.
std::vector<UsbIds> UsbIdsByPrecedence(std::span<const Model> models = Models());
// The USB vendor of a family's printers: that of its first model in order of precedence.
std::uint16_t UsbVendorOf(PrinterModel family, std::span<const Model> models = Models());
// The model names, in table order.
std::vector<std::string_view> ModelNames(std::span<const Model> models = Models());

}  // namespace corvane::product
