#include "platform/posix/PosixHoldings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvane::platform::posix {

namespace {

constexpr char kRecordName[] = "holdings";
constexpr char kLockName[] = "holdings.lock";
// Another program holds the lock only while it rewrites a few lines.
constexpr auto kLockWait = std::chrono::seconds(3);

std::string Why(const std::string& what, int errnoValue) {
    return what + ": " + std::strerror(errnoValue);
}

// The folder is made for this user alone; one that is a link, someone else's or open to others
// may be a trap laid in a shared folder, and is not used.
std::string UsableFolder(const std::string& folder, bool shared) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Why("cannot make " + folder, errno);
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return Why("cannot look at " + folder, errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return folder + " is not a folder";
    }
    if (shared && (info.st_uid != ::getuid() || (info.st_mode & 077) != 0)) {
        return folder + " is not this user's alone";
    }
    return {};
}

std::string BootId() {
    static const std::string id = [] {
        std::ifstream file("/proc/sys/kernel/random/boot_id");
        std::string text;
        file >> text;
        return text;
    }();
    return id;
}

// The start time in clock ticks after boot, field 22 of /proc/PID/stat; the name before it is in
// parentheses and may hold spaces and parentheses itself.
std::string StartTicks(long long pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) {
        return {};
    }
    std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return {};
    }
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int number = 3; number <= 22; ++number) {
        if (!(fields >> field)) {
            return {};
        }
    }
    return field;
}

}  // namespace

PosixHoldings& PosixHoldings::OfThisUser() {
    // Never destroyed: exit handlers give back what the program holds and update the record.
    static PosixHoldings* record = [] {
        auto* made = new PosixHoldings();
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime != nullptr && runtime[0] == '/') {
            made->folder_ = std::string(runtime) + "/corvane";
        } else {
            made->folder_ = "/tmp/corvane-" + std::to_string(::getuid());
        }
        return made;
    }();
    return *record;
}

PosixHoldings::PosixHoldings(std::string folder) : folder_(std::move(folder)) {}

PosixHoldings::~PosixHoldings() = default;

std::string PosixHoldings::Path() const {
    return folder_ + "/" + kRecordName;
}

ProcessStamp PosixHoldings::ThisProcess() {
    return StampOf(::getpid());
}

ProcessStamp PosixHoldings::StampOf(long long pid) {
    std::string ticks = StartTicks(pid);
    return {pid, ticks.empty() ? std::string() : BootId() + "/" + ticks};
}

bool PosixHoldings::Running(const ProcessStamp& process) {
    return !process.started.empty() && StampOf(process.pid) == process;
}

bool PosixHoldings::LockRecord(std::string& why) {
    const bool shared = folder_.rfind("/tmp/", 0) == 0;
    folderProblem_ = UsableFolder(folder_, shared);
    if (!folderProblem_.empty()) {
        why = folderProblem_;
        return false;
    }
    std::string path = folder_ + "/" + kLockName;
    lockFile_.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lockFile_.Valid()) {
        why = Why("cannot open " + path, errno);
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(lockFile_.Get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            why = Why("cannot lock " + path, errno);
            lockFile_.Reset();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void PosixHoldings::UnlockRecord() {
    lockFile_.Reset();
}

}  // namespace corvane::platform::posix
