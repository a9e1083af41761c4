#include "protocol/Identification.h"

#include <algorithm>
#include <vector>

namespace corvane::protocol {

namespace {

using link::InterfaceKind;
using link::PrinterPort;

TextReply ReadUsbText(PrinterPort& port, std::uint32_t bufferSize) {
    std::vector<std::uint8_t> buffer(std::max<std::uint32_t>(bufferSize, 1), 0);
    auto length = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t count = port.Read({buffer.data(), length});
    if (count == 0) {
        count = port.Read({buffer.data(), length});
    }
    // The header is dropped unseen; without a 00 the text runs to the buffer's end, and a reply
    // that filled the buffer is whole, as the printer had no room for its 00.
    auto begin = buffer.begin() + 1;
    auto end = std::find(begin, buffer.end(), std::uint8_t{0});
    return {{begin, end}, end < buffer.begin() + count || count >= buffer.size()};
}

TextReply ReadTextByteByByte(PrinterPort& port, const StepCallback& step) {
    TextReply reply;
    for (std::size_t count = 0; count < kTextReplyLimit; ++count) {
        std::uint8_t byte = 0;
        if (port.Read({&byte, 1}) == 0) {
            break;
        }
        if (step) {
            step(ExchangeStep::ByteRead);
        }
        if (byte == 0) {
            reply.complete = true;
            break;
        }
        // The printer sends '_' as the header; it is dropped wherever it stands.
        if (byte != kTextReplyHeader) {
            reply.text.push_back(static_cast<char>(byte));
        }
    }
    return reply;
}

}  // namespace

std::string QueryPrinterInfo(PrinterPort& port, InfoRequest request, std::uint32_t usbBufferSize,
                             std::uint32_t serialPauseMs, std::uint32_t usbPauseMs,
                             const StepCallback& step) {
    return QueryPrinterText(port, request, usbBufferSize, serialPauseMs, usbPauseMs, step).text;
}

TextReply QueryPrinterText(PrinterPort& port, InfoRequest request, std::uint32_t usbBufferSize,
                           std::uint32_t serialPauseMs, std::uint32_t usbPauseMs,
                           const StepCallback& step) {
    const std::array<std::uint8_t, 3> bytes = {0x1D, 0x49, static_cast<std::uint8_t>(request)};
    port.Write(bytes);
    if (port.Kind() == InterfaceKind::Usb) {
        if (usbPauseMs > 0) {
            port.Sleep(usbPauseMs);
        }
        return ReadUsbText(port, usbBufferSize);
    }
    port.Sleep(serialPauseMs);
    return ReadTextByteByByte(port, step);
}

std::uint8_t ExpectedVersionId(PrinterModel model) {
    return product::FamilyFacts(model).versionId;
}

FirmwareIdResult CheckFirmwareId(PrinterPort& port, PrinterModel model) {
    FirmwareIdResult result;
    if (!port.Write(kInitializeRequest)) {
        return result;
    }
    port.Write(kSelectPrinterRequest);
    port.Write(kVersionIdRequest);
    port.Sleep(kVersionIdPauseMs);
    const std::uint8_t expected = ExpectedVersionId(model);
    if (port.Kind() == InterfaceKind::Usb) {
        std::array<std::uint8_t, kVersionIdUsbSize> buffer{};
        if (port.Read({buffer.data(), kVersionIdUsbSize}) == 0 &&
            port.Read({buffer.data(), kVersionIdUsbSize}) == 0) {
            return result;
        }
        if (buffer[0] == expected) {
            result.check = FirmwareCheck::Accepted;
            return result;
        }
    } else {
        std::uint8_t id = 0;
        if (port.Read({&id, 1}) == 0) {
            return result;
        }
        // Some printers send other bytes before the id.
        for (int retry = 0; id != expected && retry < kVersionIdRetries; ++retry) {
            port.Sleep(kVersionIdRetryPauseMs);
            id = 0;
            if (port.Read({&id, 1}) == 0) {
                break;
            }
        }
        if (id == expected) {
            result.check = FirmwareCheck::Accepted;
            return result;
        }
    }
    result.check = FirmwareCheck::Unsupported;
    result.versionText = QueryPrinterInfo(port, InfoRequest::VersionText, kFirmwareQueryUsbSize,
                                          kFirmwareQuerySerialPauseMs, kFirmwareQueryUsbPauseMs);
    return result;
}

bool IsAcceptedMaker(std::string_view makerText) {
    const auto& makers = product::kConnectMakerNames;
    return std::find(makers.begin(), makers.end(), makerText) != makers.end();
}

bool IsAcceptedModel(PrinterModel model, std::string_view modelText,
                     std::span<const product::Model> models) {
    const std::vector<product::Model> accepted = product::ModelsOf(model, models);
    return std::any_of(accepted.begin(), accepted.end(),
                       [&](const product::Model& row) { return row.name == modelText; });
}

IdentityCheck CheckPrinterIdentity(PrinterPort& port, PrinterModel model) {
    std::string maker =
        QueryPrinterInfo(port, InfoRequest::Maker, kNameQueryUsbSize, kNameQuerySerialPauseMs);
    if (!IsAcceptedMaker(maker)) {
        return IdentityCheck::OtherMaker;
    }
    std::string modelText =
        QueryPrinterInfo(port, InfoRequest::Model, kNameQueryUsbSize, kNameQuerySerialPauseMs);
    if (!IsAcceptedModel(model, modelText)) {
        return IdentityCheck::OtherModel;
    }
    return IdentityCheck::Accepted;
}

EmulationReply QueryEmulation(PrinterPort& port) {
    port.Write(kEmulationQuery);
    port.Sleep(kEmulationQueryPauseMs);
    EmulationReply reply;
    std::uint8_t byte = 0;
    if (port.Read({&byte, 1}) == 0) {
        return reply;
    }
    reply.byte = byte;
    reply.answer = byte == 0x02 ? 1 : byte == 0x03 ? 2 : 0;
    return reply;
}

}  // namespace corvane::protocol
