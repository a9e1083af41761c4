#pragma once

#include <memory>
#include <string>

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
    // Why the last OpenUsbPrinter gave null: NotFound when no supported printer was found, else
    // the system's error on the device it chose.
    virtual platform::Error OpenError() const { return {platform::ErrorKind::NotFound, 0}; }
    // The device the last search chose, for messages; empty when it chose none.
    virtual std::string ChosenDevicePath() const { return {}; }
};

}  // namespace corvane::link
