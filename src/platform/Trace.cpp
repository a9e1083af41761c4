#include "platform/Trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Text.h"

namespace corvane::platform {

const char* ToString(TraceOperation operation) {
    switch (operation) {
        case TraceOperation::Open:
            return "open";
        case TraceOperation::Close:
            return "close";
        case TraceOperation::Write:
            return "write";
        case TraceOperation::Read:
            return "read";
        case TraceOperation::Pause:
            return "pause";
        case TraceOperation::Purge:
            return "purge";
        case TraceOperation::Configure:
            return "configure";
        case TraceOperation::Status:
            return "status";
        case TraceOperation::List:
            return "list";
        case TraceOperation::Note:
            return "note";
    }
    return "unknown";
}

TraceSink::TraceSink(std::ostream& out) : out_(out) {}

TraceSink::TraceSink(std::unique_ptr<std::ofstream> file) : file_(std::move(file)), out_(*file_) {}

std::unique_ptr<TraceSink> TraceSink::OpenFile(const std::string& path, std::string& errorMessage) {
    errno = 0;
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!file->is_open()) {
        int err = errno;
        errorMessage = "Can't write the trace file " + path;
        if (err != 0) {
            errorMessage += std::string(": ") + std::strerror(err);
        }
        return nullptr;
    }
    errorMessage.clear();
    return std::unique_ptr<TraceSink>(new TraceSink(std::move(file)));
}

void TraceSink::Record(const TraceEntry& entry) {
    out_ << FormatLine(entry) << std::endl;
}

std::string TraceSink::Hex(std::span<const std::uint8_t> bytes) {
    return base::HexBytes(bytes);
}

std::string TraceSink::Printable(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
    }
    return text;
}

std::string TraceSink::FormatLine(const TraceEntry& entry) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8lld ms ", static_cast<long long>(entry.at.count()));
    std::string line = stamp;
    if (entry.operation == TraceOperation::Note) {
        // A diagnostic line of the program, kept among the exchanges it explains.
        return line + "- note " + entry.detail;
    }
    line += entry.device.empty() ? "-" : entry.device;
    line += ' ';
    line += ToString(entry.operation);
    line += ' ';
    line += std::to_string(entry.count);
    bool transfer =
        entry.operation == TraceOperation::Write || entry.operation == TraceOperation::Read;
    if (transfer) {
        line += " of " + std::to_string(entry.requested);
    }
    line += entry.operation == TraceOperation::List ? " found, " : " bytes, ";
    if (entry.error.Ok()) {
        line += "ok";
    } else {
        line += ToString(entry.error.kind);
        if (entry.error.nativeCode != 0) {
            line += " (" + DescribeNativeCode(entry.error) + ")";
        }
    }
    if (transfer || entry.operation == TraceOperation::Pause) {
        line += ", " + std::to_string(entry.elapsed.count()) + " ms";
    }
    if (!entry.detail.empty()) {
        line += ", " + entry.detail;
    }
    if (!entry.bytes.empty()) {
        line += " | " + Hex(entry.bytes) + " | " + Printable(entry.bytes);
    }
    return line;
}

}  // namespace corvane::platform
