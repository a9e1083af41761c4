#pragma once

// A simulated VANTORA roll-paper printer: the printer's side of every command the program
// sends.
//
// The printer decodes the bytes it receives by itself (it shares no code with the program's
// encoders, so that a mistake cannot hide in both), keeps its memory switches and settings,
// answers with the printer's reply layouts and logs what it would print. Faults can be put on
// it to try the program's handling of silent, broken, noisy, slow or unplugged printers.
//
// Each command set has a class of its own (NativeCommandSet, IdentificationCommandSet,
// LineModeCommandSet, SelfTestCommandSet) that carries out its commands on a CommandContext;
// VirtualPrinter decodes the frames, hands each to its set, takes the basic printing commands
// itself and puts the reply faults on what the sets answer.
//
// The core, Feed(), knows nothing of time or devices, so that corvane-sim can serve it on a
// pseudo-terminal in real time. As a SimPeer it also sits behind a device of the simulated
// platform, where it times its replies on the virtual clock.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "sim/CommandContext.h"
#include "sim/CommandDecoder.h"
#include "sim/Faults.h"
#include "sim/Model.h"
#include "sim/PrinterLog.h"
#include "sim/PrinterState.h"

namespace corvane::sim {

class VirtualPrinter : public platform::sim::SimPeer {
public:
    using Reply = sim::Reply;

    explicit VirtualPrinter(Model model, Emulation emulation = Emulation::Native);

    Model GetModel() const { return model_; }
    Emulation GetEmulation() const { return emulation_; }
    void SetEmulation(Emulation emulation) { emulation_ = emulation; }

    const Identity& GetIdentity() const { return identity_; }
    void SetIdentity(const Identity& identity) { identity_ = identity; }
    void SetVersionId(std::uint8_t id) { identity_.versionId = id; }
    void SetFirmwareText(std::string text) { identity_.firmware = std::move(text); }
    void SetMakerText(std::string text) { identity_.maker = std::move(text); }
    void SetModelText(std::string text) { identity_.model = std::move(text); }
    void SetLanguageText(std::string text) { identity_.language = std::move(text); }

    // Fixes the printer's serial port at line (speed, data bits and parity; its memory switches
    // say the same), so that it takes and answers only a host line set alike. A printer reads its
    // switches when it is switched on, so writing them later does not move the port. Without it
    // the printer takes whatever line the host sets.
    void SetSerialLine(const platform::SerialConfig& line);
    const std::optional<platform::SerialConfig>& GetSerialLine() const { return serialLine_; }

    Faults& GetFaults() { return faults_; }
    const Faults& GetFaults() const { return faults_; }
    void SetFaults(const Faults& faults) { faults_ = faults; }

    PrinterState& State() { return state_; }
    const PrinterState& State() const { return state_; }

    // The memory switches this printer has (1 to 8 on every model).
    std::vector<int> SwitchNumbers() const { return state_.SwitchNumbers(); }
    // The switch that holds the default code page: 2 on the KRT-310 family, 1 on the KRT-620.
    int CodePageSwitch() const;
    // The switch that the second block of the switch-setting frame writes: 8 on the KRT-310
    // family, 5 on the KRT-620.
    int SecondSwitch() const;
    // A switch's pins, bit k-1 holding pin k; 0 for a switch the printer does not have.
    std::uint8_t Switch(int number) const { return state_.Switch(number); }
    void SetSwitch(int number, std::uint8_t pins) { state_.SetSwitch(number, pins); }
    // Eight characters, pin 8 first, as the printer reports the switch.
    std::string SwitchText(int number) const;

    // Takes bytes from the host and returns the replies they cause, in order, after the reply
    // faults (silence, cut, noise). Each reply is what one USB transfer would carry.
    std::vector<Reply> Feed(std::span<const std::uint8_t> bytes);

    // What the printer printed, as readable lines, in order.
    const std::vector<std::string>& Printout() const { return log_.Printout(); }
    // One line per command the printer took, with what it did or why it ignored it.
    const std::vector<std::string>& Commands() const { return log_.Commands(); }
    // How many commands the printer has taken since it was made (ClearLogs keeps it).
    std::size_t CommandCount() const { return commandCount_; }
    // How many reply bytes the printer has sent since it was made, after the reply faults.
    std::size_t ReplyBytesSent() const { return replyBytesSent_; }
    // Bytes received that do not yet make a complete command.
    std::size_t PendingBytes() const { return decoder_.Pending(); }
    void ClearLogs() { log_.Clear(); }
    // The printer's state and its printout log as readable "name: value" lines.
    std::string Describe() const;

    // True when the unplug faults say the cable is out at this moment.
    bool IsUnpluggedAt(std::chrono::microseconds now) const;
    void Unplug() { unplugged_ = true; }
    void Replug() { unplugged_ = false; }
    void SetDsr(bool on) { dsr_ = on; }
    void SetParallelStatus(std::uint8_t status) { parallelStatus_ = status; }

    // SimPeer
    void OnOpen(platform::sim::SimLine& line) override;
    void OnHostWrite(platform::sim::SimLine& line, std::span<const std::uint8_t> bytes) override;
    bool Dsr(platform::sim::SimLine& line) override;
    std::uint8_t ParallelStatus(platform::sim::SimLine& line) override;
    bool Unplugged(platform::sim::SimLine& line) override;
    std::optional<platform::SerialConfig> SerialLine(platform::sim::SimLine& line) override;

private:
    // Takes one command: the basic printing commands here, the rest by their command set.
    void Execute(const Frame& frame, std::vector<Reply>& replies);
    // Applies the reply faults (silence, noise, cut replies) to what the commands answered.
    std::vector<Reply> AfterFaults(std::vector<Reply> raw);

    Model model_;
    Emulation emulation_;
    Identity identity_;
    Faults faults_;
    PrinterState state_;
    CommandDecoder decoder_;
    PrinterLog log_;
    std::size_t commandCount_ = 0;
    std::size_t replyBytesSent_ = 0;

    std::optional<platform::SerialConfig> serialLine_;
    bool unplugged_ = false;
    bool dsr_ = true;
    std::uint8_t parallelStatus_ = platform::kParallelSelected;
    platform::sim::Micros lineFreeAt_ = 0;
};

}  // namespace corvane::sim
