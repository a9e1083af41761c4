#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "link/PortMap.h"
#include "platform/Platform.h"

namespace corvane::link {

class UsbAccess;

enum class InterfaceKind : std::uint32_t { Serial = 0, Parallel = 1, Usb = 2 };

// Why the last open, write or read of the port failed.
enum class PortProblem {
    None,
    UnknownPortName,   // the name is no COM, LPT or USB port
    DeviceError,       // the system refused; see the error
    PrinterNotReady,   // a serial printer holds DSR low, a parallel one reports a status
    UsbUnavailable,    // the system cannot reach USB printers
    UsbQueueConflict,  // a print queue uses a USB printer
    NoUsbPrinter,      // no supported USB printer was found
};

enum class PortOperation { Open, Write, Read };

struct PortFailure {
    PortProblem problem = PortProblem::None;
    PortOperation operation = PortOperation::Open;
    platform::Error error;  // the system's error, where there was one
    std::string portName;   // as the user chose it
    std::string device;     // the device behind it, where known
    std::string detail;     // such as the status a parallel printer reported
};

// One line for a person: what failed, on which device, and why, such as
// "cannot open COM1 (/dev/ttyUSB0): access denied"; a refused access also says what grants it
// (the dialout group for serial ports, lp for parallel ones, the package's udev rule for USB).
std::string DescribeFailure(const PortFailure& failure);

// Where the USB devices themselves are, which the program opens through libusb.
inline constexpr std::string_view kUsbDeviceFolder = "/dev/bus/usb/";

// What gives this user access to a USB printer's device: the package's udev rule, and for the
// kernel driver's /dev/usb/lpN also the lp group.
std::string UsbAccessRemedy(const std::string& device);

// The serial line the next Open sets up, in the codes platform::SerialConfig holds.
struct LineSettings {
    std::uint32_t baudRate = 0;
    std::uint32_t dataBits = 0;
    std::uint32_t parity = 0;
    std::uint32_t stopBits = 0;

    bool operator==(const LineSettings&) const = default;
};

// The one link to the printer. Every dialog sends and receives through the same instance; the
// connection window alone fills in its settings, opens and closes it. The kind of device comes
// from the port name: "COMn" and "\\.\COMnn" are serial, "LPTn:" parallel, "USB" the USB printer;
// the device a serial or parallel name opens comes from the port map.
//
// A serial port name may stand for a printer on the network ("tcp:HOST:PORT" in the port map).
// Its kind stays Serial: it is read byte by byte with the serial deadlines, retries and pauses,
// as every exchange of a serial printer is, and only the open differs: no line settings apply,
// there is no DSR to test and no pause for DTR to rise.
class PrinterPort {
public:
    explicit PrinterPort(platform::Platform& platform, PortMap ports = {});
    virtual ~PrinterPort();

    PrinterPort(const PrinterPort&) = delete;
    PrinterPort& operator=(const PrinterPort&) = delete;

    // The port the next Open opens, as the user chose it ("COM1" until set).
    void SetPortName(std::string name) { portName_ = std::move(name); }
    const std::string& PortName() const { return portName_; }
    // The line the next Open sets up on a serial port; the other kinds ignore it.
    void SetLineSettings(const LineSettings& line) { line_ = line; }
    const LineSettings& GetLineSettings() const { return line_; }
    // The kind of the port the last Open chose by its name.
    InterfaceKind Kind() const { return kind_; }
    // The device the port has open, or null.
    platform::Device* Device() const { return handle_.get(); }

    bool Open();
    void Close();
    bool Write(std::span<const std::uint8_t> bytes);
    std::uint32_t Read(std::span<std::uint8_t> buffer);
    // One read request as Read makes its first, without the retry and its pause: for a question
    // whose answer comes within the deadline or not at all.
    std::uint32_t ReadOnce(std::span<std::uint8_t> buffer);
    // Reads as Read does, but neither request waits for more once complete holds for the bytes
    // the buffer holds from its start; the retry and its pause stay as they are.
    std::uint32_t ReadReply(std::span<std::uint8_t> buffer,
                            const platform::ReplyComplete& complete);
    // Changes speed, byte size and parity of the open serial line; stop bits, flow control and
    // time-outs stay, and so do the line settings of the next Open, so a reconnect uses the
    // window's values again.
    bool ApplySerialSettings(std::uint32_t newBaudRate, std::uint32_t newDataBits,
                             std::uint32_t newParity);
    bool IsOpen() const { return handle_ != nullptr; }
    // The settings the open serial line runs at now; nothing for other kinds of port, nor for a
    // printer on the network.
    std::optional<platform::SerialConfig> LineConfig();
    // Sets the deadlines of the open serial or network link's requests (Open sets the serial
    // ones, 2000 ms plus 1 ms per byte); false for other kinds of port. A search for a printer
    // asks its questions with much shorter ones.
    bool SetTimeouts(const platform::SerialTimeouts& timeouts);
    // Whether the open link reaches a printer on the network.
    bool IsNetwork() const { return network_ != nullptr; }

    // Whether the system can reach USB printers at all.
    bool UsbSupported();

    // Why the last Open failed, or the last Write or Read that failed since; problem None when
    // nothing failed since the last successful Open.
    const PortFailure& LastFailure() const { return failure_; }
    // The device behind a port name, as the port map resolves it; empty for a name of no port.
    std::string DevicePath(const std::string& name);
    // The map that Open resolves serial and parallel port names with.
    const PortMap& Ports() const { return ports_; }

    // The USB search and conflict check; until it is set, USB opens fail.
    void SetUsbAccess(UsbAccess* usb) { usb_ = usb; }
    platform::Platform& GetPlatform() { return platform_; }
    void Sleep(std::uint32_t ms);

private:
    bool OpenSerial();
    bool OpenNetwork(const std::string& address);
    bool OpenParallel();
    bool OpenUsb();
    // Records why an operation failed and returns false.
    bool Fail(PortOperation operation, PortProblem problem, platform::Error error = {},
              std::string device = {}, std::string detail = {});
    void NoteReadError(const platform::Error& error);

    platform::Platform& platform_;
    PortMap ports_;
    std::string portName_ = "COM1";
    LineSettings line_;
    InterfaceKind kind_ = InterfaceKind::Serial;
    std::unique_ptr<platform::Device> handle_;
    UsbAccess* usb_ = nullptr;
    // The open serial device behind handle_, for its line settings; null for other kinds.
    platform::SerialDevice* serial_ = nullptr;
    // The open network device behind handle_, for its deadlines; null for other kinds.
    platform::NetworkDevice* network_ = nullptr;
    PortFailure failure_;
};

}  // namespace corvane::link
