#pragma once

// Settings files on disk: ".sts" status files and JSON settings documents, read and written
// through the careful file functions so that a bad or odd file is refused before it is read
// and a write leaves the old file or the new one, never half of either.

#include <optional>
#include <string>

#include "service/SettingsDocument.h"

namespace corvane::service {

// A settings file as read from disk: a JSON file names its family, a status file does not.
struct SettingsFile {
    std::string path;
    std::optional<protocol::PrinterModel> family;
    operations::StatusRecord record;

    // The document for a family; for a JSON file, the family must be its own.
    SettingsDocument For(protocol::PrinterModel family) const;
};

// Reads and checks a settings file: a status file when its name ends in "sts" (exactly 124
// bytes), JSON otherwise (at most 1 MiB). Anything else, and what is not a plain file (a FIFO,
// a device), is refused before it is read. False with a message that names the file.
bool LoadSettingsFile(const std::string& path, SettingsFile& file, std::string& error);

// Writes a document whole or not at all: a status file when the name ends in "sts", JSON
// otherwise. False with a message that names the file.
bool SaveSettings(const std::string& path, const SettingsDocument& document, std::string& error);

}  // namespace corvane::service
