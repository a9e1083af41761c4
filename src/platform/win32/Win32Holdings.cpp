#include "platform/win32/Win32Holdings.h"

#include "platform/win32/WinApi.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/UserFolders.h"

namespace corvane::platform::win32 {

namespace {

constexpr char kRecordName[] = "holdings";
constexpr char kLockName[] = "holdings.lock";
// Another program holds the lock only while it rewrites a few lines.
constexpr auto kLockWait = std::chrono::seconds(3);

std::string Why(const std::string& what) {
    return what + ": Windows error " + std::to_string(GetLastError());
}

// Names in this program's file calls are in the system's code page, as the careful file
// functions that read and write the record take them.
std::wstring Wide(const std::string& path) {
    return std::filesystem::path(path).wstring();
}

// The user's own folder of the program; empty when Windows names none, which the first lock
// then reports.
std::string UserFolder() {
    std::string folder;
    std::string error;
    return UserStateFolder(folder, error) ? folder : std::string();
}

// The creation time of a process as one number, or empty when it cannot be asked.
std::string CreationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return {};
    }
    ULARGE_INTEGER value{};
    value.LowPart = created.dwLowDateTime;
    value.HighPart = created.dwHighDateTime;
    return std::to_string(value.QuadPart);
}

}  // namespace

Win32Holdings& Win32Holdings::OfThisUser() {
    // Never destroyed: the console's and the session's end give back what the program holds and
    // update the record while the program ends.
    static Win32Holdings* record = new Win32Holdings(UserFolder());
    return *record;
}

Win32Holdings::Win32Holdings(std::string folder) : folder_(std::move(folder)) {}

Win32Holdings::~Win32Holdings() = default;

std::string Win32Holdings::Path() const {
    return folder_ + "\\" + kRecordName;
}

ProcessStamp Win32Holdings::ThisProcess() {
    return {static_cast<long long>(GetCurrentProcessId()), CreationTime(GetCurrentProcess())};
}

bool Win32Holdings::Running(const ProcessStamp& process) {
    UniqueHandle handle(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process.pid)));
    if (!handle.Valid()) {
        return false;
    }
    DWORD code = 0;
    return GetExitCodeProcess(handle.Get(), &code) && code == STILL_ACTIVE &&
           !process.started.empty() && CreationTime(handle.Get()) == process.started;
}

bool Win32Holdings::LockRecord(std::string& why) {
    if (folder_.empty()) {
        why = "Windows names no local application data folder for this user";
        return false;
    }
    if (!CreateDirectoryW(Wide(folder_).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        why = Why("cannot make " + folder_);
        return false;
    }
    std::string path = folder_ + "\\" + kLockName;
    lockFile_.Reset(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lockFile_.Valid()) {
        why = Why("cannot open " + path);
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (true) {
        OVERLAPPED whole{};
        if (LockFileEx(lockFile_.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                       0, &whole)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = Why("cannot lock " + path);
            lockFile_.Reset();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Win32Holdings::UnlockRecord() {
    // Closing the handle lets go of its lock.
    lockFile_.Reset();
}

}  // namespace corvane::platform::win32
