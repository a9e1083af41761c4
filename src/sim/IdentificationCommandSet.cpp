#include "sim/IdentificationCommandSet.h"

#include <algorithm>
#include <string>

#include "sim/WireText.h"

namespace corvane::sim {

namespace {

// The text reply: the text header, the text, NUL.
Reply TextReply(const std::string& text) {
    Reply reply(text.size() + 2, 0x00);
    reply[0] = kTextReplyHeader;
    std::copy(text.begin(), text.end(), reply.begin() + 1);
    return reply;
}

}  // namespace

void IdentificationCommandSet::Identify(const Frame& frame) {
    const Identity& identity = printer_.identity;
    std::vector<Reply>& replies = printer_.replies;
    PrinterLog& log = printer_.log;
    switch (frame.bytes[2]) {
        case 0x03:
            replies.push_back({identity.versionId});
            log.Log("version-id request");
            return;
        case 'A':
            replies.push_back(TextReply(identity.firmware));
            log.Log("version-text request");
            return;
        case 'B':
            replies.push_back(TextReply(identity.maker));
            log.Log("maker request");
            return;
        case 'C':
            replies.push_back(TextReply(identity.model));
            log.Log("model request");
            return;
        case 'E':
            replies.push_back(TextReply(identity.language));
            log.Log("language request");
            return;
        default:
            log.Ignore("identification request " + Hex(frame.bytes), "unknown item");
            return;
    }
}

void IdentificationCommandSet::EmulationQuery() {
    if (printer_.emulation == Emulation::Native) {
        printer_.log.Ignore("emulation query", "native emulation");
        return;
    }
    printer_.replies.push_back(
        {static_cast<std::uint8_t>(printer_.emulation == Emulation::Other02 ? 0x02 : 0x03)});
    printer_.log.Log("emulation query");
}

}  // namespace corvane::sim
