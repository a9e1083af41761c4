#pragma once

// Byte strings for expected frames and scripted replies, spelled out in the tests themselves.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace corvane::support {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Text(const std::string& text) {
    return {text.begin(), text.end()};
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

}  // namespace corvane::support
