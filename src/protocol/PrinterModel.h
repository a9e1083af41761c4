#pragma once

// The printer family and the emulation are the product's vocabulary; the protocol and the layers
// above it name them through here.

#include "product/Models.h"

namespace corvane::protocol {

using product::Emulation;
using product::PrinterModel;

}  // namespace corvane::protocol
