#pragma once

#include <array>

// The line-mode baud rate window of a KRT-310 family printer in the "Other" emulation.
namespace corvane::resources::template152 {

inline constexpr int kTemplateId = 152;

// "1200 bps" to "19200 bps", in speed order.
inline constexpr int k1200Radio = 74;
inline constexpr int k2400Radio = 75;
inline constexpr int k4800Radio = 76;
inline constexpr int k9600Radio = 77;
inline constexpr int k19200Radio = 78;
inline constexpr int kSet = 1003;
inline constexpr int kClose = 71;

inline constexpr std::array kControlIds = {k1200Radio,  k2400Radio, k4800Radio, k9600Radio,
                                           k19200Radio, kSet,       kClose};

}  // namespace corvane::resources::template152
