#pragma once

// Making sure the printer behind the port is one of ours: the firmware version id, the maker and
// model names, and the emulation question, with the text replies they rest on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/PrinterPort.h"
#include "product/Models.h"
#include "protocol/ExchangeStep.h"
#include "protocol/PrinterModel.h"

namespace corvane::protocol {

inline constexpr std::array<std::uint8_t, 2> kInitializeRequest = {0x1B, 0x40};
inline constexpr std::array<std::uint8_t, 3> kSelectPrinterRequest = {0x1B, 0x3D, 0x01};
inline constexpr std::array<std::uint8_t, 3> kVersionIdRequest = {0x1D, 0x49, 0x03};
inline constexpr std::array<std::uint8_t, 3> kEmulationQuery = {0x1F, 0x1F, 0x45};

// The text requests GS 'I' n; each is answered by '_', the text and a 00 byte.
enum class InfoRequest : std::uint8_t {
    VersionText = 0x41,
    Maker = 0x42,
    Model = 0x43,
    Language = 0x45,
};
inline constexpr std::uint8_t kTextReplyHeader = 0x5F;

// Bytes read one at a time before a serial or parallel text reply is given up as endless.
inline constexpr std::size_t kTextReplyLimit = 256;
inline constexpr std::uint32_t kNameQueryUsbSize = 64;
inline constexpr std::uint32_t kNameQuerySerialPauseMs = 10;
inline constexpr std::uint32_t kFirmwareQueryUsbSize = 20;
inline constexpr std::uint32_t kFirmwareQuerySerialPauseMs = 100;
inline constexpr std::uint32_t kFirmwareQueryUsbPauseMs = 200;
inline constexpr std::uint32_t kVersionIdPauseMs = 200;
inline constexpr std::uint32_t kVersionIdRetryPauseMs = 10;
inline constexpr int kVersionIdRetries = 4;
inline constexpr std::uint32_t kVersionIdUsbSize = 20;
inline constexpr std::uint32_t kEmulationQueryPauseMs = 200;

// Reads the text reply to a request. USB: one read of up to usbBufferSize bytes (once more when
// it brings nothing), after usbPauseMs; the first byte is the header and the text ends at the
// first 00 or the buffer's end. Serial and parallel: after serialPauseMs, one byte at a time,
// dropping every '_', until a 00 byte, a read that brings nothing, or kTextReplyLimit bytes.
// Steps ByteRead after every byte that arrives on serial and parallel links.
std::string QueryPrinterInfo(link::PrinterPort& port, InfoRequest request,
                             std::uint32_t usbBufferSize, std::uint32_t serialPauseMs,
                             std::uint32_t usbPauseMs = 0, const StepCallback& step = {});

// A text reply, and whether it came whole: up to its 00 byte, which on USB must lie within the
// bytes read unless the reply filled the whole buffer. A printer that stops in the middle of a
// text leaves it incomplete.
struct TextReply {
    std::string text;
    bool complete = false;
};
// QueryPrinterInfo, telling also whether the reply came whole.
TextReply QueryPrinterText(link::PrinterPort& port, InfoRequest request,
                           std::uint32_t usbBufferSize, std::uint32_t serialPauseMs,
                           std::uint32_t usbPauseMs = 0, const StepCallback& step = {});

// The version id that each family's supported firmware answers: 'd' and 'e'.
std::uint8_t ExpectedVersionId(PrinterModel model);

enum class FirmwareCheck { Accepted, PortError, Unsupported };

struct FirmwareIdResult {
    FirmwareCheck check = FirmwareCheck::PortError;
    std::string versionText;  // the firmware's own text, fetched only when unsupported
};

// Resets the printer, asks for its version id and judges it against the chosen family. Port
// error when the reset cannot be written or no id byte comes; on serial and parallel links four
// further single bytes, 10 ms apart, may still bring the expected id, but a read that brings
// nothing ends them: the port has waited out its time-outs, so the printer has nothing more to
// say.
FirmwareIdResult CheckFirmwareId(link::PrinterPort& port, PrinterModel model);

// Exact, case-sensitive comparisons of whole texts: the maker names Connect accepts, and the
// names of the chosen family's models in the model table.
bool IsAcceptedMaker(std::string_view makerText);
bool IsAcceptedModel(PrinterModel model, std::string_view modelText,
                     std::span<const product::Model> models = product::Models());

enum class IdentityCheck { Accepted, OtherMaker, OtherModel };

// Asks for the maker and then the model name and judges them; the model is not asked for when
// the maker is not ours.
IdentityCheck CheckPrinterIdentity(link::PrinterPort& port, PrinterModel model);

// The printer's answer to the emulation query: 1 for 02, 2 for 03, 0 for anything else.
struct EmulationReply {
    std::optional<std::uint8_t> byte;  // empty when nothing came
    int answer = 0;
};

// Writes US US 'E', waits 200 ms and reads one byte.
EmulationReply QueryEmulation(link::PrinterPort& port);

}  // namespace corvane::protocol
