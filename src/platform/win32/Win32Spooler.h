#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace corvane::platform::win32 {

// The Windows print spooler: its local printers are the queues, and a printer's port ("COM1:",
// "LPT1:", "USB001") is where it prints.
//
// Windows has no way to hold a printer's jobs at the port, so a printer is kept off the port by
// moving it to the port "FILE:" and back: StopQueue moves it and remembers the port it had,
// StartQueue gives that port back. Every printer is changed on its own, so a failure on one
// leaves the others to be moved. Printers still moved when the spooler object goes get their
// ports back then, so that no way out of the program leaves them on "FILE:". The reason a
// printer was moved has nowhere to be shown and is not kept. Sessions on threads of their own and
// the thread that restores before the program ends may use one spooler at the same time.
class Win32Spooler final : public Spooler {
public:
    Win32Spooler() = default;
    ~Win32Spooler() override;

    Win32Spooler(const Win32Spooler&) = delete;
    Win32Spooler& operator=(const Win32Spooler&) = delete;

    // The local printers in the spooler's order; none counts as stopped, since moving a printer
    // aside has nothing to do with pausing it.
    QueueListing ListQueues() override;
    Error StopQueue(const std::string& name, const std::string& reason) override;
    // Gives a printer moved by StopQueue its port back; a printer this object did not move is
    // left as it is.
    Error StartQueue(const std::string& name) override;
    // A printer on "FILE:" is as StopQueue leaves it, whatever the reason was.
    bool IsStoppedFor(const QueueInfo& queue, const std::string& reason) override;
    // Moves a printer that an ended run moved to "FILE:" back to formerDevice, its port before.
    Error StartQueueOf(const std::string& name, const std::string& formerDevice) override;

    // The port a printer was moved from, for printers that are still moved.
    std::map<std::string, std::string> MovedPrinters() const;

private:
    mutable std::mutex lock_;  // guards moved_ and the changes that go with it
    std::map<std::string, std::string> moved_;
};

// The port a printer prints to while the program keeps it off the printer's port.
inline constexpr char kParkingPort[] = "FILE:";

}  // namespace corvane::platform::win32
