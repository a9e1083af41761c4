// The identification: the text reply reader on its own and in the checks built on it (version
// id, maker and model, emulation) and the manager's identification, on every link.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzPort.h"
#include "operations/Identity.h"
#include "platform/Reporter.h"
#include "protocol/Identification.h"

using namespace corvane;
using namespace corvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choices = input.Byte();
    const std::uint8_t usbSize = input.Byte();
    const bool usb = LinkFrom(choices) == FuzzLink::Usb;
    const auto model = (choices & 0x20) != 0 ? protocol::PrinterModel::Krt620
                                             : protocol::PrinterModel::Krt310Family;
    FuzzPort rig(LinkFrom(choices), input);
    switch ((choices >> 2) & 0x07) {
        case 0:
        case 1: {
            std::size_t bytesRead = 0;
            std::string text =
                protocol::QueryPrinterInfo(rig.port, protocol::InfoRequest::Maker, usbSize, 10, 0,
                                           [&bytesRead](protocol::ExchangeStep) { ++bytesRead; });
            Require(text.find('\0') == std::string::npos);
            if (usb) {
                Require(text.size() < std::max<std::size_t>(usbSize, 1));
            } else {
                // The header is dropped wherever it stands, and the reading has a limit.
                Require(text.find('_') == std::string::npos);
                Require(bytesRead <= protocol::kTextReplyLimit);
            }
            break;
        }
        case 2: {
            protocol::FirmwareIdResult result = protocol::CheckFirmwareId(rig.port, model);
            Require(result.check == protocol::FirmwareCheck::Unsupported ||
                    result.versionText.empty());
            break;
        }
        case 3: {
            protocol::IdentityCheck check = protocol::CheckPrinterIdentity(rig.port, model);
            (void)check;
            break;
        }
        case 4: {
            protocol::EmulationReply reply = protocol::QueryEmulation(rig.port);
            Require(reply.answer == 0 || (reply.byte && reply.answer == *reply.byte - 1));
            break;
        }
        default: {
            operations::NoProgress progress;
            platform::SilentReporter reporter;
            operations::PrinterIdentity identity =
                operations::ReadPrinterIdentity(rig.port, model, progress, reporter);
            if (identity.Accepted()) {
                Require(identity.makerText == "VANTORA");
                Require(protocol::IsAcceptedModel(model, identity.modelText));
            }
            break;
        }
    }
    return 0;
}
