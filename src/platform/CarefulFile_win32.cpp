// Careful files on Windows: CreateFileW with CREATE_NEW (which takes no name that is there, a
// link included), FlushFileBuffers, and MoveFileExW with MOVEFILE_REPLACE_EXISTING to replace or
// without it to never replace, with MOVEFILE_WRITE_THROUGH so that the move is on disk when it
// returns.
// NOMINMAX and WIN32_LEAN_AND_MEAN come from the build, as for the Windows backend.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/CarefulFile.h"
#include "platform/CarefulFileParts.h"

namespace corvane::platform {

namespace {

constexpr int kTemporaryAttempts = 100;
constexpr int kNumberedNames = 10000;
// The attributes a replacing file takes over from the old one; read-only is not among them, as
// a read-only file refuses to be replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string Reason(DWORD code) {
    return std::system_category().message(static_cast<int>(code));
}

// Paths convert as the rest of the program's file access converts them.
std::wstring Wide(const std::string& path) {
    return std::filesystem::path(path).wstring();
}

bool Exists(DWORD code) {
    return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
}

// Closes a handle on every way out unless it was closed and checked.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (Valid()) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(
            std::min<std::size_t>(bytes.size() - done, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            return false;
        }
        done += written;
    }
    return true;
}

// Writes bytes into a new temporary file beside target and closes it; temporary is its name.
// oldAttributes are those of the file being replaced, or none.
bool WriteTemporary(const std::string& target, std::span<const std::uint8_t> bytes,
                    DWORD oldAttributes, FileSync sync, std::string& temporary,
                    std::string& error) {
    HANDLE made = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryAttempts && made == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryNameFor(target, attempt);
        made = CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made == INVALID_HANDLE_VALUE && !Exists(GetLastError())) {
            error = "can't create a file beside " + target + ": " + Reason(GetLastError());
            return false;
        }
    }
    if (made == INVALID_HANDLE_VALUE) {
        error = "can't create a file beside " + target + ": every temporary name is taken";
        return false;
    }
    Handle file(made);
    auto fail = [&](const std::string& what) {
        error = what + target + ": " + Reason(GetLastError());
        if (file.Valid()) {
            file.Close();
        }
        DeleteFileW(Wide(temporary).c_str());
        return false;
    };
    if (!WriteAll(file.Get(), bytes)) {
        return fail("can't write ");
    }
    if (sync == FileSync::ToDisk && !FlushFileBuffers(file.Get())) {
        return fail("can't flush to disk ");
    }
    if (!file.Close()) {
        return fail("can't write ");
    }
    if ((oldAttributes & kKeptAttributes) != 0 &&
        !SetFileAttributesW(Wide(temporary).c_str(), oldAttributes & kKeptAttributes)) {
        return fail("can't give the new file the attributes of ");
    }
    return true;
}

DWORD MoveFlags(FileSync sync) {
    return sync == FileSync::ToDisk ? MOVEFILE_WRITE_THROUGH : 0;
}

}  // namespace

bool WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string& error, FileSync sync) {
    DWORD old = GetFileAttributesW(Wide(path).c_str());
    if (old == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) {
            error = "can't write " + path + ": " + Reason(code);
            return false;
        }
        old = 0;
    } else if ((old & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "can't write " + path + ": it is a folder";
        return false;
    }
    std::string temporary;
    if (!WriteTemporary(path, bytes, old, sync, temporary, error)) {
        return false;
    }
    if (!MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MoveFlags(sync))) {
        error = "can't replace " + path + ": " + Reason(GetLastError());
        DeleteFileW(Wide(temporary).c_str());
        return false;
    }
    return true;
}

bool WriteNewFile(const std::string& wanted, std::string_view text, std::string& created,
                  std::string& error) {
    std::string temporary;
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size());
    if (!WriteTemporary(wanted, bytes, 0, FileSync::ToDisk, temporary, error)) {
        return false;
    }
    for (int n = 1; n <= kNumberedNames; ++n) {
        std::string name = n == 1 ? wanted : NumberedName(wanted, n);
        if (MoveFileExW(Wide(temporary).c_str(), Wide(name).c_str(), MoveFlags(FileSync::ToDisk))) {
            created = name;
            return true;
        }
        DWORD code = GetLastError();
        if (!Exists(code)) {
            error = "can't write " + name + ": " + Reason(code);
            DeleteFileW(Wide(temporary).c_str());
            return false;
        }
    }
    error = "can't write " + wanted + ": every numbered name beside it is taken";
    DeleteFileW(Wide(temporary).c_str());
    return false;
}

FileRead ReadRegularFile(const std::string& path, std::uint64_t largest, Oversize oversize) {
    FileRead read;
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        read.error = careful::NotPlainFile(path, "a folder");
        return read;
    }
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        read.error = "can't open " + path + ": " + Reason(GetLastError());
        return read;
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        read.error = careful::NotPlainFile(path, "a device");
        return read;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        read.error = "can't read " + path + ": " + Reason(GetLastError());
        return read;
    }
    read.size = static_cast<std::uint64_t>(size.QuadPart);
    careful::ReadWithin(
        read, path, largest, oversize,
        [&file](char* buffer, std::size_t room, std::string& reason) {
            DWORD count = 0;
            if (!ReadFile(file.Get(), buffer, static_cast<DWORD>(room), &count, nullptr)) {
                reason = Reason(GetLastError());
                return -1LL;
            }
            return static_cast<long long>(count);
        });
    return read;
}

}  // namespace corvane::platform
