#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace corvane::link {

class UsbAccess;

enum class InterfaceKind : std::uint32_t { Serial = 0, Parallel = 1, Usb = 2 };

// The one link to the printer. Every dialog sends and receives through the same instance; the
// connection window alone fills in its settings, opens and closes it. The kind of device comes
// from the port name: "COMn" and "\\.\COMnn" are serial, "LPTn:" parallel, "USB" the USB printer.
class PrinterPort {
public:
    explicit PrinterPort(platform::Platform& platform);
    virtual ~PrinterPort();

    PrinterPort(const PrinterPort&) = delete;
    PrinterPort& operator=(const PrinterPort&) = delete;

    // Settings of the next Open; the four line fields matter for serial ports only.
    std::uint32_t baudRate = 0;
    std::uint32_t parity = 0;
    std::uint32_t dataBits = 0;
    std::uint32_t stopBits = 0;
    std::string portName = "COM1";
    std::unique_ptr<platform::Device> handle;
    InterfaceKind kind = InterfaceKind::Serial;

    bool Open();
    void Close();
    bool Write(const std::uint8_t* data, std::uint32_t length);
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t length);
    // Changes speed, byte size and parity of the open serial line; stop bits, flow control and
    // time-outs stay, and so do the fields above, so a reconnect uses the window's values again.
    bool ApplySerialSettings(std::uint32_t newBaudRate, std::uint32_t newDataBits,
                             std::uint32_t newParity);
    bool IsOpen() const { return handle != nullptr; }

    // Whether the system can reach USB printers at all.
    bool UsbSupported();
    bool IsWindows9xFamily();

    // The USB search and conflict check; until it is set, USB opens fail.
    void SetUsbAccess(UsbAccess* usb) { usb_ = usb; }
    platform::Platform& GetPlatform() { return platform_; }
    void Sleep(std::uint32_t ms);

private:
    bool OpenSerial();
    bool OpenParallel();
    bool OpenUsb();

    platform::Platform& platform_;
    UsbAccess* usb_ = nullptr;
    // The open serial device behind handle, for its line settings; null for other kinds.
    platform::SerialDevice* serial_ = nullptr;
};

}  // namespace corvane::link
