#pragma once

// The native command set of a printer in native emulation: user setting mode, the memory
// switches, the customized paper width, the serial settings and power save.

#include <cstdint>
#include <span>
#include <string>

#include "sim/CommandContext.h"
#include "sim/CommandDecoder.h"

namespace corvane::sim {

class NativeCommandSet {
public:
    explicit NativeCommandSet(CommandContext& printer) : printer_(printer) {}

    // Carries out a native setting or power-save frame.
    void Execute(const Frame& frame);

    // The switch that holds the default code page: 2 on the KRT-310 family, 1 on the KRT-620.
    static int CodePageSwitch(Model model);
    // The switch that the second block of the switch-setting frame writes: 8 on the KRT-310
    // family, 5 on the KRT-620.
    static int SecondSwitch(Model model);
    // The printout of leaving user setting mode: the switches and the customized values.
    static void PrintSwitchStatus(const PrinterState& state, PrinterLog& log);

private:
    void PowerSave(const Frame& frame);
    void SetSerialSettings(std::span<const std::uint8_t> parameters);
    void SetPins(int number, std::span<const std::uint8_t> block, std::string& note);
    // Maps the selector byte of a switch query to a switch number, 0 when there is none.
    int SwitchFromSelector(std::uint8_t selector) const;

    CommandContext& printer_;
};

}  // namespace corvane::sim
