#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "cli/PortTarget.h"
#include "cli/QueueWatch.h"
#include "link/PrinterPort.h"
#include "operations/Connect.h"
#include "platform/Reporter.h"
#include "protocol/PrinterModel.h"

namespace corvane::cli {

// How to connect: the family (empty: from the model name the printer reports), the emulation
// and the serial line.
struct ConnectChoice {
    std::optional<protocol::PrinterModel> family;
    protocol::Emulation emulation = protocol::Emulation::Native;
    operations::SerialLine line;
};

// One printer: its own port and connector, as the window has one, with the print queues on its
// port stopped from the connect until the session ends (or a termination signal ends the
// program, which starts them again from the signal watch).
class Session final : public QueueHolder {
public:
    Session(platform::Platform& platform, PortTarget target, platform::Reporter& reporter);
    ~Session() override;

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects as the window's Connect does. Without a family the printer is first asked for
    // its model name, and a KRT-620 is connected as one, anything else as the KRT-310 family,
    // whose checks then say what is wrong with it.
    operations::ConnectResult Connect(const ConnectChoice& choice);

    protocol::PrinterModel Family() const { return family_; }
    protocol::Emulation Emulation() const { return emulation_; }
    // 1 for the emulation answer 02, 2 for 03.
    int EmulationAnswer() const { return emulationAnswer_; }
    link::PrinterPort& Port() { return port_; }
    const PortTarget& Target() const { return target_; }

    void RestoreQueuesNow() override;

private:
    PortTarget target_;
    platform::Reporter& reporter_;
    link::PrinterPort port_;
    // Held while the connector's table of stopped queues may change.
    std::mutex queueLock_;
    std::unique_ptr<operations::PrinterConnector> connector_;
    protocol::PrinterModel family_ = protocol::PrinterModel::Krt310Family;
    protocol::Emulation emulation_ = protocol::Emulation::Native;
    int emulationAnswer_ = 0;
};

}  // namespace corvane::cli
