#pragma once

// What the two systems' halves of CarefulFile share: the size rules of reading, so that both
// refuse and cut alike. Only those halves include this.

#include <cstddef>
#include <functional>
#include <string>

#include "platform/CarefulFile.h"

namespace corvane::platform::careful {

// Reads bytes into the buffer; the count read (0 at the end of the file), or -1 after setting
// error to the system's reason.
using ReadSome = std::function<long long(char* buffer, std::size_t room, std::string& reason)>;

// Checks a file's size (read.size, known from the open file) against the limit and reads it with
// readSome; read.ok says whether it came in under the rules.
void ReadWithin(FileRead& read, const std::string& path, std::uint64_t largest, Oversize oversize,
                const ReadSome& readSome);

// "can't read PATH: it is KIND, not a plain file".
std::string NotPlainFile(const std::string& path, const std::string& kind);

}  // namespace corvane::platform::careful
