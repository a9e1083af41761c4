#pragma once

// USB printers without USB hardware: umockdev shows them in sysfs and /dev to this process and
// to the programs it starts (all run under umockdev-wrapper), and an ioctl handler plays the
// kernel's usbfs and the printer behind it. The handler sees every bulk OUT transfer, answers
// bulk IN ones from a queue that a responder fills, and keeps the state of the printer
// interface: which kernel driver holds it, who claimed it, and how often it was detached and
// bound again.

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace corvane::usb_test {

using Bytes = std::vector<std::uint8_t>;

// Turns one bulk OUT transfer into the transfers the printer sends back, in order.
using Responder = std::function<std::vector<Bytes>(std::span<const std::uint8_t>)>;

// How the kernel holds a printer interface when the test begins.
enum class Holder {
    Nobody,            // no driver bound, nobody claimed it
    Usblp,             // the usblp driver serves it and offers /dev/usb/lpN
    UsblpWithoutNode,  // usblp serves it, but its /dev/usb/lpN was removed
    AnotherProgram,    // another program claimed it through usbfs (a spooler printing)
};

// What the handler counted, and the interface's state now.
struct InterfaceLog {
    int detaches = 0;
    int attaches = 0;
    int claims = 0;
    int releases = 0;
    bool driverBound = false;  // usblp holds the interface now
    bool claimed = false;      // a client of ours holds its claim now
    std::vector<Bytes> received;
};

class EmulatedPrinter {
public:
    const std::string& UsbfsPath() const { return usbfsPath_; }
    // The /dev/usb/lpN node usblp offers, empty where there is none.
    const std::string& LpPath() const { return lpPath_; }

    // Every bulk OUT transfer from now on goes to the responder.
    void SetResponder(Responder responder);
    // From now on bulk OUT transfers never complete, as when the printer's buffer is full.
    void StopTakingData();
    // The claim after a detach fails with this errno, as when another program is faster.
    void RefuseClaimAfterDetach(int errnoValue);
    InterfaceLog Log() const;

    // The handler's entry points, on umockdev's worker thread: an ioctl of a client that opened
    // the usbfs node, and a client that closed it.
    bool HandleIoctl(UMockdevIoctlClient* client);
    void Vanished(UMockdevIoctlClient* client);

private:
    friend class EmulatedUsb;

    struct Urb {
        UMockdevIoctlData* data = nullptr;  // the client's struct usbdevfs_urb, referenced
        bool in = false;
        bool discarded = false;
    };

    bool Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg,
              std::unique_lock<std::mutex>& lock);
    // Lets go of the claim of client, or of a claimant that is no longer connected; the caller
    // holds the mutex.
    void DropClaimOf(UMockdevIoctlClient* client);

    std::string usbfsPath_;
    std::string lpPath_;
    mutable std::mutex mutex_;
    Responder responder_;
    std::deque<Bytes> replies_;
    std::list<Urb> urbs_;
    InterfaceLog log_;
    bool heldElsewhere_ = false;
    UMockdevIoctlClient* claimant_ = nullptr;  // referenced while it claims
    int claimErrnoAfterDetach_ = 0;
    bool takesData_ = true;
};

class EmulatedUsb {
public:
    // Makes the testbed; Ready() says whether this process runs under umockdev-wrapper.
    EmulatedUsb();
    ~EmulatedUsb();

    EmulatedUsb(const EmulatedUsb&) = delete;
    EmulatedUsb& operator=(const EmulatedUsb&) = delete;

    bool Ready() const { return testbed_ != nullptr; }
    const std::string& Failure() const { return failure_; }

    // Plugs a printer in at the next address of bus 1, with one printer interface (class 7,
    // bidirectional, bulk OUT 0x01 and bulk IN 0x82).
    EmulatedPrinter& AddPrinter(std::uint16_t vendorId, std::uint16_t productId, Holder holder);

private:
    UMockdevTestbed* testbed_ = nullptr;
    std::string failure_;
    std::vector<std::unique_ptr<EmulatedPrinter>> printers_;
    std::vector<UMockdevIoctlBase*> handlers_;
    int lpCount_ = 0;
};

// Waits one millisecond before saying that nothing is ready: the emulated device always polls
// ready, and libusb would otherwise ask thousands of times a second.
inline constexpr int kNothingReadyPauseUs = 1000;

}  // namespace corvane::usb_test
