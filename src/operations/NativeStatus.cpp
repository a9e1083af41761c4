#include "operations/NativeStatus.h"

#include <algorithm>
#include <array>
#include <vector>

#include "product/Models.h"
#include "protocol/NativeCommands.h"

namespace corvane::operations {

namespace {

using link::InterfaceKind;
using protocol::ExchangeStep;
using protocol::HeaderSearch;
using protocol::PrinterModel;
using protocol::ValueForm;

// Bytes of the answer to the power save frame and to the print status request that are read
// and dropped on serial and parallel links.
constexpr int kDrainReads = 5;
constexpr std::uint32_t kUsbDrainLength = 64;
constexpr std::uint32_t kUsbPrintDrainLength = 128;
// The printer needs these to leave user setting mode and to store the power save setting.
constexpr std::uint32_t kLeaveUserSettingPauseMs = 500;
constexpr std::uint32_t kPowerSavePauseMs = 1000;

bool IsUsb(const link::PrinterPort& port) {
    return port.Kind() == InterfaceKind::Usb;
}

// A step callback that moves the progress at the given points of an exchange.
protocol::StepCallback StepAt(Progress& progress, std::initializer_list<ExchangeStep> points) {
    std::vector<ExchangeStep> chosen(points);
    return [&progress, chosen](ExchangeStep point) {
        if (std::find(chosen.begin(), chosen.end(), point) != chosen.end()) {
            progress.Step();
        }
    };
}

std::uint8_t FirstCharacter(const std::string& text) {
    return text.empty() ? 0 : static_cast<std::uint8_t>(text[0]);
}

// Reads single bytes and drops them, up to count; a read that brings nothing ends the drain,
// as the port has already waited out its time-outs for it. Every read planned moves the bar.
void DrainBytes(link::PrinterPort& port, int count, Progress& progress) {
    bool talking = true;
    for (int i = 0; i < count; ++i) {
        std::uint8_t byte = 0;
        talking = talking && port.Read({&byte, 1}) == 1;
        progress.Step();
    }
}

void DrainUsb(link::PrinterPort& port, std::uint32_t length, bool again) {
    std::vector<std::uint8_t> buffer(length, 0);
    if (port.Read({buffer.data(), length}) == 0 && again) {
        port.Read({buffer.data(), length});
    }
}

class Reader {
public:
    Reader(link::PrinterPort& port, PrinterModel model, Progress& progress)
        : port_(port), model_(model), progress_(progress), usb_(IsUsb(port)) {}

    ReadResult Run() {
        if (model_ == PrinterModel::Krt620) {
            ReadKrt620();
        } else {
            ReadKrt310Family();
        }
        return result_;
    }

private:
    void ReadKrt310Family() {
        // The code page switch: the search for its header only on serial and parallel links.
        protocol::SendTransmitMemorySwitch(port_, protocol::kKrt310CodePageSwitch);
        auto first = protocol::ReadSwitchReply(
            port_, usb_ ? HeaderSearch::Without : HeaderSearch::With,
            usb_ ? StepAt(progress_, {ExchangeStep::PinConverted})
                 : StepAt(progress_, {ExchangeStep::FirstByteRead, ExchangeStep::PinConverted}));
        if (!Keep(first.complete, StatusItem::CodePageSwitch)) {
            return;
        }
        result_.status.codePageSwitch = first.pins;
        if (!ReadSecondSwitch(protocol::kKrt310Switch8)) {
            return;
        }
        protocol::SendTransmitSerialSetting(port_, protocol::kSerialItemSpeed);
        auto speed = protocol::ReadValueReply(port_, ValueForm::Speed);
        progress_.Step();
        if (!Keep(speed.complete, StatusItem::Speed)) {
            return;
        }
        result_.status.serial.speed = protocol::SpeedFromText(speed.text);
        std::uint8_t value = 0;
        if (!ReadItem(protocol::kSerialItemParity, StatusItem::Parity, value)) {
            return;
        }
        result_.status.serial.parity = protocol::ParityFromCharacter(value);
        if (!ReadItem(protocol::kSerialItemFlowControl, StatusItem::FlowControl, value)) {
            return;
        }
        result_.status.serial.flowControl = protocol::FlowControlFromCharacter(value);
        if (!ReadItem(protocol::kSerialItemDataBits, StatusItem::DataBits, value)) {
            return;
        }
        result_.status.serial.dataBits = protocol::DataBitsFromCharacter(value);
        // A KRT-310II has no paper width to tell; no answer reads as "No Change".
        protocol::SendTransmitCustomizedValue(port_);
        progress_.Step();
        auto width = protocol::ReadValueReply(port_, ValueForm::OneCharacter);
        progress_.Step();
        result_.status.paperWidth = protocol::PaperWidthFromCharacter(FirstCharacter(width.text));
        // A KRT-310 has no power save to tell.
        protocol::SendTransmitPowerSave(port_);
        protocol::PowerSaveReply powerSave = protocol::ReadPowerSaveReply(port_);
        if (powerSave.found) {
            result_.status.powerSave = PowerSave{powerSave.usePowerSave, powerSave.seconds};
        }
        result_.ok = true;
    }

    void ReadKrt620() {
        progress_.Step();
        protocol::SendTransmitMemorySwitch(port_, protocol::kKrt620CodePageSwitch);
        auto first = protocol::ReadSwitchReply(
            port_, HeaderSearch::With,
            usb_ ? StepAt(progress_, {ExchangeStep::BlockRead, ExchangeStep::HeaderSearched,
                                      ExchangeStep::PinConverted})
                 : StepAt(progress_, {ExchangeStep::Start, ExchangeStep::FirstByteRead,
                                      ExchangeStep::HeaderSearched, ExchangeStep::BlockRead,
                                      ExchangeStep::PinConverted}));
        if (!Keep(first.complete, StatusItem::CodePageSwitch)) {
            return;
        }
        result_.status.codePageSwitch = first.pins;
        result_.ok = ReadSecondSwitch(protocol::kKrt620Switch5);
    }

    bool ReadSecondSwitch(std::uint8_t selector) {
        protocol::SendTransmitMemorySwitch(port_, selector);
        auto reply = protocol::ReadSwitchReply(
            port_, HeaderSearch::Without,
            usb_ ? StepAt(progress_, {ExchangeStep::PinConverted})
                 : StepAt(progress_, {ExchangeStep::BlockRead, ExchangeStep::PinConverted}));
        if (!Keep(reply.complete, StatusItem::SecondSwitch)) {
            return false;
        }
        result_.status.secondSwitch = reply.pins;
        return true;
    }

    bool ReadItem(std::uint8_t item, StatusItem name, std::uint8_t& value) {
        protocol::SendTransmitSerialSetting(port_, item);
        progress_.Step();
        auto reply = protocol::ReadValueReply(port_, ValueForm::OneCharacter);
        progress_.Step();
        value = FirstCharacter(reply.text);
        return Keep(reply.complete, name);
    }

    bool Keep(bool complete, StatusItem item) {
        if (!complete) {
            result_.failedItem = item;
        }
        return complete;
    }

    link::PrinterPort& port_;
    PrinterModel model_;
    Progress& progress_;
    bool usb_;
    ReadResult result_;
};

class Writer {
public:
    Writer(link::PrinterPort& port, PrinterModel model, Progress& progress)
        : port_(port), model_(model), progress_(progress) {}

    WriteResult Run(const StatusWrite& status) {
        if (!Send(protocol::CopyFrame(protocol::NativeFrame::EnterUserSetting),
                  "the request for user setting mode")) {
            return result_;
        }
        inUserSetting_ = true;
        if (model_ == PrinterModel::Krt620) {
            protocol::ReadModeReply(
                port_, protocol::ModeReplyForm::Searched,
                StepAt(progress_, {ExchangeStep::Start, ExchangeStep::FirstByteRead,
                                   ExchangeStep::BlockRead}));
        } else {
            protocol::ReadModeReply(port_, protocol::ModeReplyForm::Fixed);
            progress_.Step();
        }

        protocol::PinBlock blockA = protocol::kKeepEveryPin;
        if (status.codePage) {
            if (model_ == PrinterModel::Krt620) {
                for (int i = 0; i < 3; ++i) {
                    progress_.Step();
                }
            }
            blockA = protocol::CodePageBlock(model_, *status.codePage);
        }
        // Every pin left "No Change" goes out as '2', the printer's "leave as it is".
        protocol::PinBlock blockB = protocol::BlockFromPins(status.secondSwitch);
        for (const protocol::Frame& part : protocol::SetMemorySwitchesParts(blockA, blockB)) {
            if (!Send(part, "the memory switches")) {
                return result_;
            }
            progress_.Step();
        }
        if (model_ == PrinterModel::Krt310Family) {
            if (status.paperWidth &&
                !Send(protocol::SetCustomizedValueFrame(*status.paperWidth), "the paper width")) {
                return result_;
            }
            progress_.Step();
        } else {
            progress_.Step();
        }
        if (!Send(protocol::CopyFrame(protocol::NativeFrame::EndUserSetting),
                  "the end of user setting mode")) {
            return result_;
        }
        inUserSetting_ = false;
        progress_.Step();
        if (model_ == PrinterModel::Krt620) {
            result_.ok = true;
            return result_;
        }
        port_.Sleep(kLeaveUserSettingPauseMs);
        progress_.Step();

        // The serial items and power save go outside user setting mode.
        auto parts = protocol::SetSerialSettingsParts(status.serial);
        constexpr std::array<int, 5> kStepsPerPart = {1, 1, 2, 1, 1};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (!Send(parts[i], "the serial settings")) {
                return result_;
            }
            for (int step = 0; step < kStepsPerPart[i]; ++step) {
                progress_.Step();
            }
        }
        int seconds =
            std::clamp(status.powerSave.seconds, kLowestPowerSaveSeconds, kHighestPowerSaveSeconds);
        if (!Send(protocol::SetPowerSaveFrame(status.powerSave.use, seconds),
                  "the power save setting")) {
            return result_;
        }
        progress_.Step();
        port_.Sleep(kPowerSavePauseMs);
        progress_.Step();
        if (IsUsb(port_)) {
            // Over USB only a model with power save answers the power save frame.
            const product::Model* model = product::ModelNamed(status.modelText);
            if (model != nullptr && model->powerSaveSetting) {
                DrainUsb(port_, kUsbDrainLength, false);
            }
        } else {
            DrainBytes(port_, kDrainReads, progress_);
        }
        result_.ok = true;
        return result_;
    }

private:
    // Writes one frame; on failure it names what did not go out and, in user setting mode,
    // tries to leave it so the printer is not left waiting for settings.
    bool Send(const protocol::Frame& frame, const char* what) {
        if (protocol::SendFrame(port_, frame)) {
            return true;
        }
        result_.failedStep = what;
        if (inUserSetting_) {
            protocol::SendEndUserSetting(port_);
        }
        return false;
    }

    link::PrinterPort& port_;
    PrinterModel model_;
    Progress& progress_;
    bool inUserSetting_ = false;
    WriteResult result_;
};

}  // namespace

std::string ItemName(PrinterModel model, StatusItem item) {
    bool krt620 = model == PrinterModel::Krt620;
    switch (item) {
        case StatusItem::CodePageSwitch:
            return krt620 ? "memory switch 1" : "memory switch 2";
        case StatusItem::SecondSwitch:
            return krt620 ? "memory switch 5" : "memory switch 8";
        case StatusItem::Speed:
            return "the baud rate";
        case StatusItem::Parity:
            return "the parity";
        case StatusItem::FlowControl:
            return "the flow control";
        case StatusItem::DataBits:
            return "the data bits";
        case StatusItem::PaperWidth:
            return "the paper width";
        case StatusItem::PowerSave:
            return "the power save setting";
    }
    return "the printer";
}

ReadResult ReadNativeStatus(link::PrinterPort& port, PrinterModel model, Progress& progress) {
    return Reader(port, model, progress).Run();
}

WriteResult WriteNativeStatus(link::PrinterPort& port, PrinterModel model,
                              const StatusWrite& status, Progress& progress) {
    return Writer(port, model, progress).Run(status);
}

bool PrintNativeStatus(link::PrinterPort& port, Progress& progress) {
    bool entered = protocol::SendEnterUserSetting(port);
    progress.SetPosition(50);
    progress.SetPosition(100);
    bool left = protocol::SendEndUserSetting(port);
    // Entering and leaving user setting mode makes the printer print; what it says is dropped.
    if (IsUsb(port)) {
        DrainUsb(port, kUsbPrintDrainLength, true);
    } else {
        DrainBytes(port, kDrainReads, progress);
    }
    progress.SetPosition(0);
    return entered && left;
}

bool RetuneHostLine(link::PrinterPort& port, const protocol::SerialSettings& serial) {
    auto line = port.LineConfig();
    if (port.Kind() != InterfaceKind::Serial || !line || !serial.speed || !serial.dataBits) {
        return false;
    }
    std::uint32_t parity = line->parity;
    if (serial.parity) {
        switch (*serial.parity) {
            case protocol::Parity::None:
                parity = platform::kParityNone;
                break;
            case protocol::Parity::Odd:
                parity = platform::kParityOdd;
                break;
            case protocol::Parity::Even:
                parity = platform::kParityEven;
                break;
        }
    }
    return port.ApplySerialSettings(*serial.speed, *serial.dataBits, parity);
}

std::string ReadFailureMessage(PrinterModel model, StatusItem item) {
    return "Failed to get status of printer: " + ItemName(model, item) +
           " did not answer. Check that the printer is switched on and connected.";
}

std::string WriteFailureMessage(const std::string& failedStep) {
    return "Failed to set status of printer: " + failedStep +
           " could not be sent. Check that the printer is switched on and connected.";
}

}  // namespace corvane::operations
