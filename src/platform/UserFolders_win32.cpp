// The user's state folder in the local (not roaming) application data folder, as the records of
// one machine's printers belong to that machine.
// NOMINMAX and WIN32_LEAN_AND_MEAN come from the build, as for the Windows backend.
#include <shlobj.h>
#include <windows.h>

#include <exception>
#include <filesystem>

#include "platform/UserFolders.h"

namespace corvane::platform {

bool UserStateFolder(std::string& folder, std::string& error) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        error = "Windows names no local application data folder for this user";
        return false;
    }
    // Narrow paths are in the ANSI code page, as the rest of the program's file access takes
    // them; a folder name it cannot spell is refused rather than mangled.
    try {
        folder = (std::filesystem::path(path) / L"Corvane").string();
    } catch (const std::exception&) {
        error =
            "the local application data folder's name cannot be spelt in this system's code "
            "page";
        return false;
    }
    return true;
}

}  // namespace corvane::platform
