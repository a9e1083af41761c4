#pragma once

// Keeps the system's print queues off the port that the program talks to the printer over.
//
// Before a serial or parallel port is opened, every queue that prints to it is stopped, so that
// the spooler leaves the device alone; jobs sent to such a queue meanwhile wait in it. The queues
// are recorded and started again at the next serial or parallel connect and when the connection
// window goes away. A queue that was stopped already before is recorded too and left stopped.
// The queues are held in the process's table (HeldQueues), which the sessions share.
//
// A USB connection changes nothing: a queue on a USB printer refuses the connection with a
// message, because the program cannot tell whether that queue's printer is the one it wants.

#include <string>

#include "link/HeldQueues.h"
#include "link/PortMap.h"
#include "platform/Platform.h"
#include "platform/Reporter.h"
#include "platform/Spooler.h"

namespace corvane::link {

// The device a queue prints to: the path of a device URI (serial:/dev/ttyS1?baud=9600 gives
// /dev/ttyS1), or the port's own name where the spooler names ports (COM2:, LPT1:); empty for a
// queue that prints to no device of this machine (socket://, usb://).
std::string QueueDevice(const std::string& deviceUri);

// Whether two names stand for the same device: paths with their links resolved (a by-id link and
// the node it points to), port names without \\.\ and the colon; whole names are compared, so
// /dev/ttyUSB1 is never /dev/ttyUSB10.
bool SameDevice(const std::string& first, const std::string& second);

// Whether a queue prints to the device at devicePath.
bool QueueUsesDevice(const platform::QueueInfo& queue, const std::string& devicePath);

// Whether a queue prints to a USB printer.
bool QueueUsesUsb(const platform::QueueInfo& queue);

// Why a spooler request failed, in words for the user.
std::string DescribeSpoolerError(const platform::Error& error);

// Tells that the spooler could not be asked for its queues, which is not the same as a spooler
// without queues: those on the port are unknown and stay as they are.
void TellListingFailed(platform::Platform& platform, const platform::Error& error);

// Stops every queue on the device that the port map puts behind portName and records it in the
// session's table. Each queue is recorded before it is changed, also when the change fails, and
// a failure on one queue does not keep the queues after it from being stopped.
void RedirectPrintersOnPort(platform::Platform& platform, const PortMap& ports,
                            const std::string& portName, RedirectedPrinters& redirected,
                            HeldQueues& table = HeldQueues::OfProcess());

// Starts again every recorded queue that this program stopped and no other session still needs,
// and empties the table. A queue that could not be started stays in the table, so the next
// restore tries it again.
void RestoreRedirectedPrinters(platform::Platform& platform, RedirectedPrinters& redirected,
                               HeldQueues& table = HeldQueues::OfProcess());

// True when a USB connection may go ahead. Otherwise the first queue on a USB printer is named in
// a warning built with portName, and the connection is refused; no queue is changed.
bool CheckUsbPortConflict(platform::Platform& platform, const std::string& portName,
                          platform::Reporter& reporter);

}  // namespace corvane::link
