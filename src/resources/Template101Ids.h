#pragma once

#include <array>

// The "Please wait" window: a single label without an id.
namespace corvane::resources::template101 {

inline constexpr int kTemplateId = 101;

inline constexpr std::array<int, 0> kControlIds = {};

}  // namespace corvane::resources::template101
