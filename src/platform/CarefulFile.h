#pragma once

// Files the program keeps for the user (status files, JSON settings, backups, its own records):
// written whole or not at all, never through a link planted in their folder, and read only when
// they are plain files of a size the reader expects.
//
// Writing puts the bytes into a new temporary file beside the target, created exclusively and
// without following links, with the old file's permissions; it flushes the file to disk, checks
// that it closed, renames it over the target and flushes the folder. A failure at any step
// leaves the old file as it was and removes the temporary one. Each system has its own half
// (CarefulFile_posix.cpp, CarefulFile_win32.cpp); no function throws, and every message names
// the file.
//
// A link at the target itself is replaced by the new file rather than followed.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane::platform {

// Whether a write waits until the file and its folder are on the disk. Every file a user keeps
// waits; a file that only has to be whole whenever it is read (a simulator's state shown to a
// test) may skip the wait, which takes some milliseconds on a disk.
enum class FileSync { ToDisk, Skip };

// Replaces the file at path with bytes, or creates it. False with the reason, naming the file;
// the old file is then unchanged.
bool WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string& error, FileSync sync = FileSync::ToDisk);
bool WriteFileWhole(const std::string& path, std::string_view text, std::string& error,
                    FileSync sync = FileSync::ToDisk);

// Writes bytes into a file of its own that no other file had: wanted itself, or when that is
// taken "stem-2.ext", "stem-3.ext" and so on beside it. It never replaces a file, also when
// another program takes the same name at the same moment. created is the path written.
bool WriteNewFile(const std::string& wanted, std::string_view text, std::string& created,
                  std::string& error);

// What a longer file than a reader takes comes to.
enum class Oversize {
    Refuse,     // refused before anything is read
    ReadStart,  // its first bytes are read, up to the limit
};

struct FileRead {
    bool ok = false;
    std::string content;
    // The file's size when it was opened; set also when it was refused for its size.
    std::uint64_t size = 0;
    // Refused for being larger than the limit (only with Oversize::Refuse).
    bool tooLarge = false;
    std::string error;  // why not, naming the file
};

// Reads a file of at most largest bytes whole. What is not a plain file (a FIFO, a device, a
// folder) is refused as soon as it is opened, before anything is read and without waiting for
// a writer, and so is a larger file unless oversize says to read its start.
FileRead ReadRegularFile(const std::string& path, std::uint64_t largest,
                         Oversize oversize = Oversize::Refuse);

// The name of a temporary file beside target, for a writer's attempt (0, 1, ...): a hidden name
// that holds the target's name, a number drawn once per process and the attempt. A file or link
// found there is left alone and the next attempt's name is tried.
std::string TemporaryNameFor(const std::string& target, int attempt);

// The name "stem-n.ext" beside wanted that WriteNewFile tries as its n-th choice (n from 2;
// 1 is wanted itself).
std::string NumberedName(const std::string& wanted, int n);

}  // namespace corvane::platform
