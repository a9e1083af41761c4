// The user's state folder as the XDG base directory rules name it.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/UserFolders.h"

namespace corvane::platform {

namespace {

// A variable that names an absolute path; relative ones are ignored, as the rules say.
std::string AbsoluteFrom(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

}  // namespace

bool UserStateFolder(std::string& folder, std::string& error) {
    std::string base = AbsoluteFrom("XDG_STATE_HOME");
    if (base.empty()) {
        std::string home = AbsoluteFrom("HOME");
        if (home.empty()) {
            // A service account may have no HOME; its password entry still names one.
            const passwd* entry = ::getpwuid(::getuid());
            if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/') {
                error = "neither XDG_STATE_HOME nor HOME names a folder for the history";
                return false;
            }
            home = entry->pw_dir;
        }
        base = (std::filesystem::path(home) / ".local" / "state").string();
    }
    folder = (std::filesystem::path(base) / "corvane").string();
    return true;
}

}  // namespace corvane::platform
