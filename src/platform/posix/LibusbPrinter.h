#pragma once

// The parts of the libusb printers that LibusbPrinters.cpp and LibusbPrinter.cpp share.

#include <libusb.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Holdings.h"
#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

// libusb derives its error codes from the kernel's errno; going back to it keeps one mapping
// of the backend's errors, and the errno is the native code that support can look up.
Error ErrorFromLibusb(int code, During when);

struct ContextExit {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
using Context = std::unique_ptr<libusb_context, ContextExit>;

// A context of its own for each listing and each open device: a device list made earlier would
// not show a printer plugged in since, and nothing is kept between searches.
Context MakeContext(Error& error);

// The printer interface of a device and the bulk endpoints the printer talks through.
struct PrinterInterface {
    std::uint8_t configuration = 0;
    std::uint8_t number = 0;
    std::uint8_t altSetting = 0;
    std::uint8_t outEndpoint = 0;
    std::uint8_t inEndpoint = 0;  // 0 for a printer that cannot answer
};

// What a record entry of a detached driver says, so that a later run finds the same printer.
std::string DriverDetail(std::uint8_t interface, std::uint16_t vendorId, std::uint16_t productId);
// The record entry of a detached driver.
Holding DriverHolding(const std::string& devicePath, const std::string& detail);

// An open printer interface, claimed through handle; when detached, its kernel driver was taken
// away for the session and is bound again when the device goes, or earlier by
// GiveBackAllDetached, and record loses its entry then.
std::unique_ptr<Device> MakeLibusbPrinter(Context context, libusb_device_handle* handle,
                                          PrinterInterface printer, bool claimed, bool detached,
                                          std::string path, std::shared_ptr<WaitPacer> pacer,
                                          Holdings* record, std::string detail);

// Gives every open printer's interface that was taken from its kernel driver back to it now.
void GiveBackAllDetached();

}  // namespace corvane::platform::posix
