#pragma once

#include <filesystem>

namespace corvane::programs {

// Renames from to to, replacing a file that is there already, in one step that a reader of to
// never sees half done; both are in the same folder. Each system's file defines it.
bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace corvane::programs
