#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/Platform.h"
#include "platform/posix/Deadline.h"
#include "platform/posix/UniqueFd.h"

namespace corvane::platform::posix {

// Opens a device node without blocking, so that every wait is a bounded one, and locks it
// (exclusively or shared) against other openers in this process or another. On failure the
// result is empty and error says why.
UniqueFd OpenLocked(const std::string& path, bool exclusive, Error& error);

// Waits in poll() until fd is ready for events or the deadline passes, resuming after signals
// and calling the deadline's wait hook between slices: the revents, 0 at the deadline, or -1
// with errno set.
int PollUntil(const UniqueFd& fd, short events, const Deadline& deadline);

// Where the devices differ in how a read or write request moves its bytes.
struct TransferRules {
    // The device moves whole transfers (a USB printer): a read returns after the first transfer,
    // even an empty one, and a write the device takes nothing of ends. Otherwise a request goes
    // on until every byte moved, and a count of zero means nothing can move yet.
    bool wholeTransfers = false;
    // Where the driver offers no poll(), a request that must wait looks again after this step.
    std::chrono::milliseconds retryStep{0};
    // The device is a connected stream socket: a write to a closed connection must not raise
    // SIGPIPE, and a read that finds the stream ended is the other end gone.
    bool socket = false;
};

// Reads until the buffer is full (or, by the rules, one transfer came), a failure, or the
// deadline; a failure keeps the bytes read before it. A hang-up ends the request as Disconnected
// after one more attempt, never in a busy loop. complete, when given, ends the request without an
// error where it would wait for more and the bytes read so far are a whole reply.
IoResult ReadWithDeadline(const UniqueFd& fd, std::span<std::uint8_t> buffer,
                          const Deadline& deadline, const TransferRules& rules,
                          const ReplyComplete& complete = {});

// Writes until every byte went out, a failure, or the deadline, as ReadWithDeadline reads.
// gate, when given, is asked before every attempt and ends the request with its error.
IoResult WriteWithDeadline(const UniqueFd& fd, std::span<const std::uint8_t> data,
                           const Deadline& deadline, const TransferRules& rules,
                           const std::function<Error()>& gate = {});

}  // namespace corvane::platform::posix
