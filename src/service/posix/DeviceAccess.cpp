// The ports listing on Linux: device nodes with their owners, groups and modes, the locks and
// open files of other processes, the system console, and CUPS's lpadmin group.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "link/PrinterPort.h"
#include "platform/posix/PosixPlatform.h"
#include "service/DeviceAccess.h"

namespace corvane::service {

namespace {

namespace fs = std::filesystem;

std::string GroupName(gid_t gid) {
    group* found = ::getgrgid(gid);
    return found != nullptr ? found->gr_name : std::to_string(gid);
}

std::string UserName() {
    passwd* found = ::getpwuid(::geteuid());
    return found != nullptr ? found->pw_name : std::to_string(::geteuid());
}

bool InGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    count = ::getgroups(count, groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(count, 0), gid) !=
           groups.begin() + std::max(count, 0);
}

bool InGroupNamed(const char* name) {
    group* found = ::getgrnam(name);
    return found != nullptr && InGroup(found->gr_gid);
}

std::string ProcessName(const std::string& pid) {
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "?" : name;
}

// Who holds a lock on the file: the kernel lists every lock with the holder's process and the
// file's device and inode.
std::vector<std::string> LockHolders(const struct stat& info) {
    std::ifstream locks("/proc/locks");
    std::ostringstream wanted;
    wanted << std::hex << std::setw(2) << std::setfill('0') << major(info.st_dev) << ":"
           << std::setw(2) << minor(info.st_dev) << ":" << std::dec << info.st_ino;
    std::vector<std::string> holders;
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind;
        if (kind == "->") {
            continue;  // a request waiting for the lock
        }
        fields >> mode >> access >> pid >> file;
        if (file == wanted.str() && pid != std::to_string(::getpid()) && pid != "-1") {
            holders.push_back(pid + " (" + ProcessName(pid) + ")");
        }
    }
    return holders;
}

// The programs that have the device open, as far as this user may look.
std::vector<std::string> OpenHolders(const std::string& device) {
    std::vector<std::string> holders;
    std::error_code ec;
    fs::path target = fs::weakly_canonical(device, ec);
    for (const auto& process : fs::directory_iterator("/proc", ec)) {
        std::string pid = process.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == std::to_string(::getpid())) {
            continue;
        }
        std::error_code unreadable;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", unreadable)) {
            std::error_code gone;
            if (fs::read_symlink(fd.path(), gone) == target) {
                holders.push_back(pid + " (" + ProcessName(pid) + ")");
                break;
            }
        }
    }
    return holders;
}

bool IsConsole(const std::string& sysfsRoot, const std::string& device) {
    std::ifstream active(sysfsRoot + "/class/tty/console/active");
    std::string name;
    std::string base = fs::path(device).filename().string();
    while (active >> name) {
        if (name == base && fs::path(device).parent_path() == "/dev") {
            return true;
        }
    }
    return false;
}

std::string Mode(mode_t mode) {
    std::ostringstream text;
    text << std::oct << std::setw(4) << std::setfill('0') << (mode & 07777);
    return text.str();
}

}  // namespace

DeviceState LookAt(const std::string& device, const DeviceRoots& roots) {
    DeviceState state;
    struct stat info {};
    if (device.empty() || ::stat(device.c_str(), &info) != 0) {
        state.problems.push_back({"no such device", ""});
        return state;
    }
    state.exists = true;
    if (IsConsole(roots.sysfs, device)) {
        state.problems.push_back(
            {"it is the system console", "leave it alone; name another device with --port"});
    }
    if (::access(device.c_str(), R_OK | W_OK) != 0) {
        std::string group = GroupName(info.st_gid);
        std::string why = "no permission to read and write it (owner " +
                          std::to_string(info.st_uid) + ", group " + group + ", mode " +
                          Mode(info.st_mode) + ")";
        // A USB device (/dev/bus/usb) is opened to the user at the machine by the package's
        // udev rule; no group of the system grants it.
        const std::string asSystemNamesIt =
            device.starts_with(roots.dev + "/") ? "/dev" + device.substr(roots.dev.size()) : device;
        if (asSystemNamesIt.starts_with(link::kUsbDeviceFolder)) {
            state.problems.push_back({why, link::UsbAccessRemedy(asSystemNamesIt)});
        } else if (!InGroup(info.st_gid) && (info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP)) {
            state.problems.push_back(
                {why + "; " + UserName() + " is not in the " + group + " group",
                 "sudo usermod -aG " + group + " " + UserName() + ", then log in again"});
        } else {
            state.problems.push_back(
                {why, "ask the administrator for read and write access to " + device});
        }
    }
    std::vector<std::string> holders = LockHolders(info);
    if (holders.empty()) {
        holders = OpenHolders(device);
    }
    for (const auto& holder : holders) {
        state.problems.push_back({"held by process " + holder, "end that program first"});
    }
    state.usable = state.problems.empty();
    return state;
}

std::unique_ptr<platform::Platform> MakeListingPlatform(const DeviceRoots& roots) {
    return std::make_unique<platform::posix::PosixPlatform>(
        platform::posix::PosixOptions{roots.sysfs, roots.dev});
}

bool MayStopQueues() {
    return ::geteuid() == 0 || InGroupNamed("lpadmin");
}

const char kQueueStopRefused[] =
    "stopping it needs membership of lpadmin (or root); without it the queue keeps running";

std::string UsbQueueRemedy(const std::string& queueName) {
    return "point " + queueName + " elsewhere or remove it: lpadmin -x " + queueName;
}

}  // namespace corvane::service
