#pragma once

#include "link/PrinterPort.h"

namespace corvane::operations {

// The two test pages a printer prints by itself.
enum class SelfTestPage { First, Second };

// Asks the printer to print a test page (GS ( A with n = 1 and m = 2 or 3). The printer answers
// nothing; returns whether the request went out.
bool PrintSelfTest(link::PrinterPort& port, SelfTestPage page);

}  // namespace corvane::operations
