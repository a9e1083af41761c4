#pragma once

// The settings the windows and the command line offer, each with its value and its text as the
// windows show it, in the order of their lists: the serial line, the paper widths, power save and
// the port names. The manager's lists show "No Change" before these items.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::product {

template <typename Value>
struct Choice {
    Value value;
    std::string_view text;
};

// The position of a value in its list, from 0; nothing when the list lacks it.
template <typename Value, std::size_t Count>
constexpr std::optional<int> PositionOf(const std::array<Choice<Value>, Count>& choices,
                                        Value value) {
    for (std::size_t i = 0; i < Count; ++i) {
        if (choices[i].value == value) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

inline constexpr std::string_view kNoChange = "No Change";

// A list's texts as a window shows them, with "No Change" first where the list has it.
inline std::vector<std::string> Texts(std::span<const std::string_view> texts,
                                      bool noChangeFirst = false) {
    std::vector<std::string> items;
    if (noChangeFirst) {
        items.emplace_back(kNoChange);
    }
    items.insert(items.end(), texts.begin(), texts.end());
    return items;
}

template <typename Value, std::size_t Count>
std::vector<std::string> Texts(const std::array<Choice<Value>, Count>& choices,
                               bool noChangeFirst = false) {
    std::array<std::string_view, Count> texts;
    for (std::size_t i = 0; i < Count; ++i) {
        texts[i] = choices[i].text;
    }
    return Texts(texts, noChangeFirst);
}

enum class Parity { None, Odd, Even };
enum class StopBits { One, OneAndHalf, Two };
enum class FlowControl { DtrDsr, XonXoff };
enum class PaperWidth { Mm57_5, Mm69_5, Mm76 };

// Bits per second; the printer also sends and takes a speed as this text.
inline constexpr std::array<Choice<std::uint32_t>, 5> kSerialSpeeds = {
    {{1200, "1200"}, {2400, "2400"}, {4800, "4800"}, {9600, "9600"}, {19200, "19200"}}};
inline constexpr std::array<Choice<std::uint32_t>, 2> kDataBits = {{{7, "7"}, {8, "8"}}};
inline constexpr std::array<Choice<Parity>, 3> kParities = {
    {{Parity::None, "None"}, {Parity::Odd, "Odd"}, {Parity::Even, "Even"}}};
inline constexpr std::array<Choice<StopBits>, 3> kStopBits = {
    {{StopBits::One, "1"}, {StopBits::OneAndHalf, "1.5"}, {StopBits::Two, "2"}}};
inline constexpr std::array<Choice<FlowControl>, 2> kFlowControls = {
    {{FlowControl::DtrDsr, "DTR/DSR"}, {FlowControl::XonXoff, "Xon/Xoff"}}};
inline constexpr std::array<Choice<PaperWidth>, 3> kPaperWidths = {
    {{PaperWidth::Mm57_5, "57.5mm (2.26\")"},
     {PaperWidth::Mm69_5, "69.5mm (2.74\")"},
     {PaperWidth::Mm76, "76mm (3.00\")"}}};

// The serial line the connection window and the command line start from.
struct SerialLineDefaults {
    std::uint32_t speed = 9600;
    std::uint32_t dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
};
inline constexpr SerialLineDefaults kDefaultLine{};

// What Initialize Status puts in the manager's lists: a KRT-310 family printer as it leaves the
// factory.
struct FactorySettings {
    std::uint32_t speed = 9600;
    std::uint32_t dataBits = 8;
    Parity parity = Parity::None;
    FlowControl flowControl = FlowControl::DtrDsr;
    PaperWidth paperWidth = PaperWidth::Mm76;
    bool usePowerSave = true;
    int powerSaveSeconds = 20;
};
inline constexpr FactorySettings kFactorySettings{};

// The ports as the connection window names them; Windows reaches serial ports above 9 only
// through the device namespace prefix.
inline constexpr std::array<std::string_view, 14> kSerialPortNames = {
    "COM1", "COM2", "COM3",         "COM4",         "COM5",         "COM6",         "COM7",
    "COM8", "COM9", "\\\\.\\COM10", "\\\\.\\COM11", "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14"};
inline constexpr std::array<std::string_view, 4> kParallelPortNames = {
    "LPT1:", "LPT2:", "LPT3:", "LPT4:"};
inline constexpr std::string_view kUsbPortName = "USB";

}  // namespace corvane::product
