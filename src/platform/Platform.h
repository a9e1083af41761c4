#pragma once

// The contract between the printer link and the operating system.
//
// Everything the program needs of the machine goes through this interface: opening serial,
// parallel and USB printer devices by their paths, the bytes to and from them, the pauses between
// commands and the facts about the system. Which device a port name of the program stands for is
// the printer link's business (src/link/PortMap.h); the platform only says where its machine
// keeps the standard device of each port. Two backends implement it: the POSIX one
// (src/platform/posix) for real hardware and the simulated one (src/platform/sim), whose devices
// and clock are virtual so that a test sees every byte and every pause.
//
// Rules every backend keeps:
// - No operation throws. Failures come back as an Error: a small closed set of kinds plus the
//   backend's native code, with where it comes from (errno, Windows, libusb, IPP), for the trace
//   and for support.
// - No operation waits without bound. Serial and parallel reads and writes end at their deadline
//   (SerialTimeouts); a USB read ends after UsbReadTimeoutMs with what it has, possibly nothing.
// - Every pause of the program is a call to Sleep, so the simulated backend can take it on its
//   virtual clock.
// - While a blocking wait lasts (a Sleep, a serial or parallel read or write waiting for its
//   deadline or for DSR, a USB transfer), a backend that waits in real time calls the wait hook
//   at least every kWaitHookInterval, so that the program can keep its window alive. The hook
//   changes neither the bytes, nor their order, nor when a deadline ends: a wait is cut into
//   slices, never a request into several. The simulated backend's waits take no real time and
//   never call it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvane::platform {

enum class ErrorKind {
    None,             // the operation did what was asked
    NotFound,         // no such device (or it vanished)
    Busy,             // the device is held by another program
    AccessDenied,     // no permission to open it
    InvalidArgument,  // a setting the device cannot take
    TimedOut,         // the deadline passed before the operation could finish
    Disconnected,     // the other end went away (unplugged, hung up)
    Unsupported,      // the device or system does not offer the operation
    Other,            // anything else; see nativeCode
};

// What kind of number an Error's native code is, so that support can look it up in the right
// table.
enum class NativeSource {
    None,    // no native code
    Errno,   // an errno value of the C library (POSIX; libusb errors are mapped to one)
    Win32,   // a Windows system error code (GetLastError)
    Libusb,  // a libusb error code that has no errno behind it
    Ipp,     // an IPP status code from the print server
};

struct Error {
    ErrorKind kind = ErrorKind::None;
    int nativeCode = 0;
    NativeSource nativeSource = NativeSource::None;

    bool Ok() const { return kind == ErrorKind::None; }
    static Error None() { return {}; }
};

const char* ToString(ErrorKind kind);
// The native code as support reads it: "errno 13", "Windows error 5", "libusb error -99",
// "IPP status 0x0406" ("code N" when its source is unknown); empty when there is no code.
std::string DescribeNativeCode(const Error& error);

// What one read or write request achieved: the bytes moved, and why it stopped short if it did.
struct IoResult {
    std::size_t count = 0;
    Error error;
};

// Parity codes as the printer port stores them: none, odd, even.
inline constexpr std::uint32_t kParityNone = 0;
inline constexpr std::uint32_t kParityOdd = 1;
inline constexpr std::uint32_t kParityEven = 2;

// Stop-bit codes as the printer port stores them: one, one and a half, two.
inline constexpr std::uint32_t kStopBitsOne = 0;
inline constexpr std::uint32_t kStopBitsOneAndHalf = 1;
inline constexpr std::uint32_t kStopBitsTwo = 2;

// The complete state of a serial line that the printer link sets.
struct SerialConfig {
    std::uint32_t baudRate = 9600;
    std::uint32_t dataBits = 8;
    std::uint32_t parity = kParityNone;
    std::uint32_t stopBits = kStopBitsOne;
    bool parityCheck = false;    // reject received characters with a parity error
    bool dsrOutputFlow = false;  // hold output while the printer drops DSR (it is busy or full)
    bool dtrOn = true;           // raise DTR so the printer sees a host
    bool rtsOn = true;           // raise RTS so the printer may send
};

// Deadlines of one serial request: constant + multiplier x bytes requested, in milliseconds.
struct SerialTimeouts {
    std::uint32_t readMultiplierMs = 1;
    std::uint32_t readConstantMs = 2000;
    std::uint32_t writeMultiplierMs = 1;
    std::uint32_t writeConstantMs = 2000;
};

// Whether the bytes a read has gathered make a whole reply, after which it need not wait for more.
using ReplyComplete = std::function<bool(std::span<const std::uint8_t> gathered)>;

// An open device. Destroying it closes it.
class Device {
public:
    virtual ~Device() = default;

    // Sends up to data.size() bytes in one request and returns how many went out. A serial or
    // parallel request ends at the write deadline; a failure reports the bytes sent before it.
    virtual IoResult Write(std::span<const std::uint8_t> data) = 0;

    // Reads up to buffer.size() bytes in one request. A serial or parallel request returns when
    // all of them arrived or at the read deadline with what arrived by then. A USB request
    // returns one transfer from the printer, or nothing after UsbReadTimeoutMs.
    virtual IoResult Read(std::span<std::uint8_t> buffer) = 0;

    // Reads as Read does, but also ends, without an error, when complete holds for the bytes this
    // request gathered; it is asked whenever the request would wait, so a request that starts
    // complete takes only what had arrived already. A backend may read as Read does instead.
    virtual IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) {
        (void)complete;
        return Read(buffer);
    }

    // Discards everything pending in both directions. A device that cannot purge (a parallel
    // port may refuse) reports Unsupported, which callers may ignore.
    virtual Error Purge() = 0;

    // The name or path the device was opened by, for the trace.
    virtual std::string Name() const = 0;
};

class SerialDevice : public Device {
public:
    // Reads the line's current settings.
    virtual Error GetConfig(SerialConfig& config) = 0;
    // Applies every field of config; on failure the line keeps its previous settings.
    virtual Error SetConfig(const SerialConfig& config) = 0;
    virtual Error SetTimeouts(const SerialTimeouts& timeouts) = 0;
    // Whether the printer holds DSR on. A device without modem lines (a pseudo-terminal, a
    // network bridge) reports true: there is no line that could say otherwise.
    virtual Error GetDsr(bool& dsrOn) = 0;
    // Stops waiting for line events before the device closes; a no-op where there is none.
    virtual Error ClearEventMask() = 0;
};

// Status bits of a parallel port, as the printer link tests them.
inline constexpr std::uint8_t kParallelPaperEmpty = 0x01;
inline constexpr std::uint8_t kParallelOffLine = 0x02;
inline constexpr std::uint8_t kParallelPowerOff = 0x04;
inline constexpr std::uint8_t kParallelNotConnected = 0x08;
inline constexpr std::uint8_t kParallelBusy = 0x10;
inline constexpr std::uint8_t kParallelSelected = 0x80;

class ParallelDevice : public Device {
public:
    // The printer's status as a set of the kParallel bits above.
    virtual Error QueryStatus(std::uint8_t& status) = 0;
};

// A USB printer interface that the system offers, in the system's enumeration order.
struct UsbPrinterInfo {
    std::string devicePath;  // what OpenUsbPrinter opens, such as /dev/usb/lp0
    std::string sysPath;     // where the system describes it, for diagnostics
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// A USB read gives up after this long so that a silent or unplugged printer cannot hang us.
inline constexpr std::uint32_t kUsbReadTimeoutMs = 2000;

struct OsFacts {
    bool usbSupported = true;  // the system can reach USB printers at all
};

// The numbered ports a machine has: serial (COM) and parallel (LPT).
enum class PortFamily { Serial, Parallel };

class Spooler;
class Holdings;
struct Holding;

// What a backend calls while it waits; it must not use the platform or its devices.
using WaitHook = std::function<void()>;

// The longest time a real-time wait goes on without calling the wait hook.
inline constexpr std::chrono::milliseconds kWaitHookInterval{50};

class Platform {
public:
    virtual ~Platform() = default;

    // Opens a serial device by its path (/dev/ttyS2, a pseudo-terminal), exclusively.
    virtual std::unique_ptr<SerialDevice> OpenSerial(const std::string& devicePath,
                                                     Error& error) = 0;
    // Opens a parallel device by its path (/dev/lp0), exclusively.
    virtual std::unique_ptr<ParallelDevice> OpenParallel(const std::string& devicePath,
                                                         Error& error) = 0;
    // The system's own device of a numbered port, counted from 1 (serial port 2 is /dev/ttyS1 on
    // Linux), which is also how the spooler names the port a queue prints to.
    virtual std::string DefaultDevicePath(PortFamily family, int number) = 0;

    // Lists the USB printer interfaces, in the system's enumeration order.
    virtual std::vector<UsbPrinterInfo> ListUsbPrinters() = 0;
    // Opens a USB printer by the devicePath that ListUsbPrinters gave; exclusive opens refuse a
    // device that another program holds.
    virtual std::unique_ptr<Device> OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                                   Error& error) = 0;

    // The local print spooler, whose queues the program keeps off the printer's port.
    virtual Spooler& GetSpooler() = 0;

    // The record of what the program holds of this machine (platform/Holdings.h), so that the
    // next run gives back what an ended one could not; null where nothing of the machine is
    // changed, as with simulated printers.
    virtual Holdings* GetHoldings() { return nullptr; }
    // Gives a USB printer that an ended run took from its kernel driver (a Driver entry of the
    // record) back to the driver, when the device is still there and no program holds it;
    // NotFound when there is nothing to give back, Busy when another program holds it.
    virtual Error GiveBackDriver(const Holding& holding) {
        (void)holding;
        return {ErrorKind::Unsupported, 0};
    }
    // Gives every USB printer that this process took from its kernel driver back to the driver
    // now, for a program that ends without closing its devices. Any thread may call it, also
    // while another one is in the middle of an exchange with the printer, which then fails.
    virtual void GiveBackDevicesNow() {}

    // Pauses the program. Every pause goes through here.
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    // A monotonic clock, for deadlines and time stamps.
    virtual std::chrono::milliseconds Now() = 0;

    virtual OsFacts Facts() = 0;

    // Keeps a diagnostic line of the program among the recorded exchanges, where a trace is
    // kept; nothing otherwise.
    virtual void Note(const std::string& line) { (void)line; }

    // Sets the hook that the waits of this platform and of the devices it opened call (see the
    // rules above); an empty one is never called. A backend whose waits take no real time may
    // leave this as it is.
    virtual void SetWaitHook(WaitHook hook) { (void)hook; }
};

}  // namespace corvane::platform
