#pragma once

// Literal byte frames for the printer tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes bytes;
    for (int value : values) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

inline Bytes T(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every reply byte the printer sends for these bytes, in order.
inline Bytes Answer(VirtualPrinter& printer, const Bytes& bytes) {
    Bytes all;
    for (const auto& reply : printer.Feed(bytes)) {
        all.insert(all.end(), reply.begin(), reply.end());
    }
    return all;
}

// Test names for parameterised cases.
inline std::string Tag(Model model) {
    switch (model) {
        case Model::Krt310:
            return "Krt310";
        case Model::Krt310II:
            return "Krt310II";
        case Model::Krt620:
            return "Krt620";
    }
    return "Unknown";
}

inline std::string Tag(Emulation emulation) {
    switch (emulation) {
        case Emulation::Native:
            return "Native";
        case Emulation::Other02:
            return "Other02";
        case Emulation::Other03:
            return "Other03";
    }
    return "Unknown";
}

}  // namespace corvane::sim::test
