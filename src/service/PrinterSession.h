#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "link/PrinterPort.h"
#include "operations/Connect.h"
#include "operations/Identity.h"
#include "platform/Reporter.h"
#include "protocol/PrinterModel.h"
#include "service/ExitStatus.h"
#include "service/PortTarget.h"
#include "service/PrinterPlatforms.h"
#include "service/QueueRegistry.h"
#include "service/SettingsDocument.h"

namespace corvane::service {

// How to connect: the family (empty: from the model name the printer reports), the emulation
// and the serial line.
struct ConnectChoice {
    std::optional<protocol::PrinterModel> family;
    protocol::Emulation emulation = protocol::Emulation::Native;
    operations::SerialLine line;
};

// What a front end needs of a printer before its own exchanges; a connect always.
struct PrinterNeeds {
    // The printer must run its own emulation, not the "Other" one.
    bool nativeEmulation = false;
    // A printer in its own emulation must pass the manager's identification.
    bool identity = false;
};

enum class StartStep { Started, NotConnected, NotNative, NotAccepted };

// How far a start came: the step it stopped at, the exit status and why, in one line ("not
// connected", "the printer was not accepted"). A printer in the "Other" emulation (NotNative)
// has no such line: what the front end wanted of the printer's own emulation is for it to say.
struct StartOutcome {
    StartStep step = StartStep::Started;
    int exitStatus = kSuccess;
    std::string failure;

    bool Started() const { return step == StartStep::Started; }
};

// The window that Run Manager opens for a printer in the "Other" emulation, by family and
// emulation answer: None for a printer in its own emulation, Unsupported for a KRT-620 that
// answers 03.
enum class LineModeWindow { None, Unsupported, Switches, Speed, CodePage };

// One printer: its own port and connector, as the window has one, with the print queues on its
// port stopped from the connect until the session ends (or the program is ended from outside,
// which starts them again through the QueueRegistry).
class PrinterSession final : public QueueHolder {
public:
    PrinterSession(platform::Platform& platform, PortTarget target, platform::Reporter& reporter);
    ~PrinterSession() override;

    PrinterSession(const PrinterSession&) = delete;
    PrinterSession& operator=(const PrinterSession&) = delete;

    // A session on the printer that the user names (see ParsePortTarget), on a platform of its
    // own; null with a message for the user when the text names no port or the trace file
    // cannot be written.
    static std::unique_ptr<PrinterSession> Open(const std::string& port,
                                                const PlatformRequest& platform,
                                                platform::Reporter& reporter, std::string& error);

    // Opens the port as a connect does, with the print queues on it stopped, but asks the
    // printer nothing; false with the refusal when it does not open.
    bool OpenPort(const ConnectChoice& choice, operations::ConnectResult& refusal);
    // Connects as the window's Connect does. Without a family the printer is first asked for
    // its model name, and a KRT-620 is connected as one, anything else as the KRT-310 family,
    // whose checks then say what is wrong with it.
    operations::ConnectResult Connect(const ConnectChoice& choice);
    // The manager's identification, which Get Status and Set Status run before their exchanges;
    // false after the messages when the printer is not accepted.
    bool Identify();
    // Connects, checks the emulation and identifies the printer, as far as the needs ask.
    StartOutcome Start(const ConnectChoice& choice, PrinterNeeds needs);

    protocol::PrinterModel Family() const { return family_; }
    protocol::Emulation Emulation() const { return emulation_; }
    // 1 for the emulation answer 02, 2 for 03.
    int EmulationAnswer() const { return emulationAnswer_; }
    LineModeWindow LineModeWindowFor() const;
    link::PrinterPort& Port() { return port_; }
    const PortTarget& Target() const { return target_; }
    // What the last identification read.
    const operations::PrinterIdentity& Identity() const { return identity_; }
    // The port and the texts of the last identification, for a settings document, as people and
    // JSON see them (base::ShownText).
    PrinterInfo Info() const;

    void RestoreQueuesNow() override;

private:
    // What a session of Open runs on; declared first, so that it goes last.
    std::unique_ptr<PrinterPlatforms> ownPlatforms_;
    std::unique_ptr<PrinterPlatform> ownPlatform_;

    PortTarget target_;
    platform::Reporter& reporter_;
    link::PrinterPort port_;
    // Held while the connector's table of stopped queues may change.
    std::mutex queueLock_;
    // Set once the queues were given back for a program that ends; no queue is stopped after.
    bool ending_ = false;
    std::unique_ptr<operations::PrinterConnector> connector_;
    protocol::PrinterModel family_ = protocol::PrinterModel::Krt310Family;
    protocol::Emulation emulation_ = protocol::Emulation::Native;
    int emulationAnswer_ = 0;
    operations::PrinterIdentity identity_;
};

}  // namespace corvane::service
