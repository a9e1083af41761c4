#pragma once

#include <CLI/CLI.hpp>

#include <span>
#include <string>

#include "sim/Model.h"

namespace corvane::startup {

// A command line on CLI11 with what the programs share: the usage line first, flags that take no
// value, the printer model and emulation spelled alike, and an error in one line.
class OptionParser : public CLI::App {
public:
    OptionParser(std::string programName, std::string description);

    // -h and --help.
    CLI::Option* AddHelp(bool& help);
    // A printer model by name in any letter case, with or without "KRT-".
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
