#pragma once

#include <memory>

#include "platform/Platform.h"

namespace corvane::link {

// What the printer port needs to open a USB printer: a check that no printer driver of the
// system already uses a USB port, and the search for a supported printer by its USB ids.
class UsbAccess {
public:
    virtual ~UsbAccess() = default;
    // False refuses the USB link, after telling the user why.
    virtual bool CheckUsbPortConflict() = 0;
    // Finds and opens the printer; null when none of ours is attached.
    virtual std::unique_ptr<platform::Device> OpenUsbPrinter() = 0;
};

}  // namespace corvane::link
