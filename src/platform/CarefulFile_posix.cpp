// Careful files on Linux: open(2) with O_EXCL and O_NOFOLLOW, fsync(2) of the file and of its
// folder, rename(2) to replace and renameat2(2) with RENAME_NOREPLACE to never replace.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/CarefulFile.h"
#include "platform/CarefulFileParts.h"

namespace corvane::platform {

namespace {

// Attempts at a free temporary name before giving up; names are taken only by planted files.
constexpr int kTemporaryAttempts = 100;
// Numbered names WriteNewFile tries before giving up.
constexpr int kNumberedNames = 10000;

std::string Reason(int errnoValue) {
    return std::generic_category().message(errnoValue);
}

std::string FolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// Closes a descriptor on every way out unless it was closed and checked.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // close(2) may report a write that failed late (NFS, a full disk); it is not retried on
    // EINTR, as Linux frees the descriptor whatever it returns.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "something other than a file";
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Flushes the folder's entries to disk, so that a rename survives a power cut. File systems
// that cannot flush a folder say EINVAL; the rename then stands as the system keeps it.
bool SyncFolder(const std::string& path, std::string& error) {
    Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) {
        error = "can't open the folder of " + path + " to flush it to disk: " + Reason(errno);
        return false;
    }
    if (::fsync(folder.Get()) != 0 && errno != EINVAL) {
        error =
            path + " is in place, but its folder could not be flushed to disk: " + Reason(errno);
        return false;
    }
    return true;
}

// Writes bytes into a new temporary file beside target and closes it; temporary is its name.
// old is the file being replaced, whose permissions and owner the new one takes.
bool WriteTemporary(const std::string& target, std::span<const std::uint8_t> bytes,
                    const struct stat* old, FileSync sync, std::string& temporary,
                    std::string& error) {
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
        temporary = TemporaryNameFor(target, attempt);
        // Only this process can open it until it is renamed; the permissions follow below.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    old != nullptr ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            error = "can't create a file beside " + target + ": " + Reason(errno);
            return false;
        }
    }
    if (fd < 0) {
        error = "can't create a file beside " + target + ": every temporary name is taken";
        return false;
    }
    Descriptor file(fd);
    auto fail = [&](const std::string& what, int reason) {
        error = what + target + ": " + Reason(reason);
        ::unlink(temporary.c_str());
        return false;
    };
    if (old != nullptr) {
        // Only root may give a file to another owner; anyone else writes files of their own.
        if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
            ::fchown(file.Get(), old->st_uid, old->st_gid) != 0 && errno != EPERM) {
            return fail("can't give the new file the owner of ", errno);
        }
        if (::fchmod(file.Get(), old->st_mode & 07777) != 0) {
            return fail("can't give the new file the permissions of ", errno);
        }
    }
    if (!WriteAll(file.Get(), bytes)) {
        return fail("can't write ", errno);
    }
    if (sync == FileSync::ToDisk && ::fsync(file.Get()) != 0) {
        return fail("can't flush to disk ", errno);
    }
    if (!file.Close()) {
        return fail("can't write ", errno);
    }
    return true;
}

}  // namespace

bool WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string& error, FileSync sync) {
    struct stat old {};
    bool replacing = false;
    if (::lstat(path.c_str(), &old) == 0) {
        if (S_ISREG(old.st_mode)) {
            replacing = true;
        } else if (!S_ISLNK(old.st_mode)) {
            error = "can't write " + path + ": it is " + KindOf(old.st_mode);
            return false;
        }
    } else if (errno != ENOENT) {
        error = "can't write " + path + ": " + Reason(errno);
        return false;
    }
    std::string temporary;
    if (!WriteTemporary(path, bytes, replacing ? &old : nullptr, sync, temporary, error)) {
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "can't replace " + path + ": " + Reason(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return sync == FileSync::Skip || SyncFolder(path, error);
}

bool WriteNewFile(const std::string& wanted, std::string_view text, std::string& created,
                  std::string& error) {
    std::string temporary;
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size());
    if (!WriteTemporary(wanted, bytes, nullptr, FileSync::ToDisk, temporary, error)) {
        return false;
    }
    for (int n = 1; n <= kNumberedNames; ++n) {
        std::string name = n == 1 ? wanted : NumberedName(wanted, n);
        int moved =
            ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && errno == EINVAL) {
            // A file system without RENAME_NOREPLACE: a hard link is made only where no name is.
            moved = ::link(temporary.c_str(), name.c_str());
            if (moved == 0) {
                ::unlink(temporary.c_str());
            }
        }
        if (moved == 0) {
            created = name;
            return SyncFolder(name, error);
        }
        if (errno != EEXIST) {
            error = "can't write " + name + ": " + Reason(errno);
            ::unlink(temporary.c_str());
            return false;
        }
    }
    error = "can't write " + wanted + ": every numbered name beside it is taken";
    ::unlink(temporary.c_str());
    return false;
}

FileRead ReadRegularFile(const std::string& path, std::uint64_t largest, Oversize oversize) {
    FileRead read;
    struct stat info {};
    // Looked at before it is opened, as opening a serial device alone changes its lines.
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        read.error = careful::NotPlainFile(path, KindOf(info.st_mode));
        return read;
    }
    // O_NONBLOCK: should a FIFO take the file's place meanwhile, opening it does not wait for a
    // writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        read.error = "can't open " + path + ": " + Reason(errno);
        return read;
    }
    if (::fstat(file.Get(), &info) != 0) {
        read.error = "can't read " + path + ": " + Reason(errno);
        return read;
    }
    if (!S_ISREG(info.st_mode)) {
        read.error = careful::NotPlainFile(path, KindOf(info.st_mode));
        return read;
    }
    read.size = static_cast<std::uint64_t>(info.st_size);
    careful::ReadWithin(read, path, largest, oversize,
                        [&file](char* buffer, std::size_t room, std::string& reason) {
                            ssize_t count = -1;
                            do {
                                count = ::read(file.Get(), buffer, room);
                            } while (count < 0 && errno == EINTR);
                            if (count < 0) {
                                reason = Reason(errno);
                            }
                            return static_cast<long long>(count);
                        });
    return read;
}

}  // namespace corvane::platform
