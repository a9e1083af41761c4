#pragma once

#include <functional>

namespace corvane::protocol {

// Points inside an exchange at which a caller may move its progress bar. Each caller steps at the
// points its own sequence names and ignores the others.
enum class ExchangeStep {
    Start,           // a reply is about to be read, before its first pause or read
    PartWritten,     // one part of a multi-part frame went out
    FirstByteRead,   // the first single byte of a serial or parallel reply was read
    HeaderSearched,  // the search for the '7' header ended, found or not
    BlockRead,       // the block of a reply was read (the 10 bytes, the USB block, the mode tail)
    PinConverted,    // one pin character became a pin setting
    ByteRead,        // one byte of a text reply arrived on a serial or parallel link
};

using StepCallback = std::function<void(ExchangeStep)>;

}  // namespace corvane::protocol
