#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/Model.h"

namespace corvane::startup {

// The simulated printer of a model the user names as the product names it: in any letter case,
// with or without "KRT-"; nothing when the product or the simulator lacks it.
std::optional<sim::Model> SimulatedModel(std::string_view text);

// A command line on CLI11 with what the programs share: the usage line first, flags that take no
// value, the printer model and emulation spelled alike, and an error in one line.
class OptionParser : public CLI::App {
public:
    OptionParser(std::string programName, std::string description);

    // -h and --help.
    CLI::Option* AddHelp(bool& help);
    // A simulated printer model by name in any letter case, with or without "KRT-".
    CLI::Option* AddModel(const std::string& name, sim::Model& model,
                          const std::string& description);
    // native, other02 (or 02) and other03 (or 03), in any letter case.
    CLI::Option* AddEmulation(const std::string& name, sim::Emulation& emulation,
                              const std::string& description);

    // Reads the arguments after the program name; false with a message of one line when one of
    // them is wrong.
    bool Parse(std::span<const std::string> arguments, std::string& error);
    // The --help text.
    std::string Usage() const { return help(); }
};

}  // namespace corvane::startup
