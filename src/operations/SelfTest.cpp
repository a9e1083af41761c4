#include "operations/SelfTest.h"

#include <array>

namespace corvane::operations {

bool PrintSelfTest(link::PrinterPort& port, SelfTestPage page) {
    // GS ( A with two parameter bytes: n = 1, m = the test page to print.
    const std::uint8_t m = page == SelfTestPage::First ? 0x02 : 0x03;
    const std::array<std::uint8_t, 7> request = {0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, m};
    return port.Write(request);
}

}  // namespace corvane::operations
