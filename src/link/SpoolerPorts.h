#pragma once

// Keeps the system's print queues off the port that the program talks to the printer over.
//
// Before a serial or parallel port is opened, every queue that prints to it is stopped, so that
// the spooler leaves the device alone; jobs sent to such a queue meanwhile wait in it. The queues
// are recorded and started again at the next serial or parallel connect and when the connection
// window goes away. A queue that was stopped already before is recorded too and left stopped.
//
// A USB connection changes nothing: a queue on a USB printer refuses the connection with a
// message, because the program cannot tell whether that queue's printer is the one it wants.

#include <cstdint>
#include <map>
#include <string>

#include "link/PortMap.h"
#include "platform/Platform.h"
#include "platform/Reporter.h"
#include "platform/Spooler.h"

namespace corvane::link {

// What a moved queue looked like before this program touched it.
struct RedirectedPrinter {
    std::string formerPort;   // its device URI, unchanged by the move
    bool wasStopped = false;  // stopped by someone else before; it stays stopped on restore
};

// Queue name to its former state; a name is a key once.
using RedirectedPrinters = std::map<std::string, RedirectedPrinter>;

// The state message a moved queue shows to whoever looks at it.
inline constexpr char kPortInUseReason[] = "The port is in use by Corvane Manager.";

// Whether a queue prints to the device at devicePath: its device URI contains the path, so
// /dev/ttyS1 also catches /dev/ttyS10 to /dev/ttyS13.
bool QueueUsesDevice(const platform::QueueInfo& queue, const std::string& devicePath);

// Whether a queue prints to the printer at host and TCP port through the spooler's raw socket
// backend: its device URI is socket://HOST[:PORT] (9100 when left out), with the host in any
// letter case and an IPv6 address in brackets.
bool QueueUsesNetworkAddress(const platform::QueueInfo& queue, const std::string& host,
                             std::uint16_t port);

// Whether a queue prints to a USB printer.
bool QueueUsesUsb(const platform::QueueInfo& queue);

// Stops every queue on the device that the port map puts behind portName (for a network address,
// every queue whose socket URI names it) and records it in the table. Each queue is recorded before
// it is changed, also when the change fails, and a failure on one queue does not keep the queues
// after it from being stopped.
void RedirectPrintersOnPort(platform::Platform& platform, const PortMap& ports,
                            const std::string& portName, RedirectedPrinters& redirected);

// Starts again every recorded queue that this program stopped, and empties the table. A queue
// that could not be started stays in the table, so the next restore tries it again.
void RestoreRedirectedPrinters(platform::Platform& platform, RedirectedPrinters& redirected);

// True when a USB connection may go ahead. Otherwise the first queue on a USB printer is named in
// a warning built with portName, and the connection is refused; no queue is changed.
bool CheckUsbPortConflict(platform::Platform& platform, const std::string& portName,
                          platform::Reporter& reporter);

}  // namespace corvane::link
