#pragma once

#include <array>

// The line-mode code page and CR/LF window of a KRT-620 in the "Other" emulation.
namespace corvane::resources::template160 {

inline constexpr int kTemplateId = 160;

inline constexpr int kCodePageSet = 82;
inline constexpr int kCrLfSet = 83;
inline constexpr int kCodePageList = 84;
inline constexpr int kCrLfList = 85;
inline constexpr int kSelectAll = 73;
inline constexpr int kPrintStatus = 86;
inline constexpr int kSet = 1003;
inline constexpr int kClose = 71;

inline constexpr std::array kControlIds = {kCodePageSet, kCrLfSet,     kCodePageList, kCrLfList,
                                           kSelectAll,   kPrintStatus, kSet,          kClose};

}  // namespace corvane::resources::template160
