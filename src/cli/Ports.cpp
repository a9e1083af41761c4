#include "cli/Ports.h"

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

#include "cli/PortTarget.h"
#include "link/PortMap.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "platform/posix/PosixPlatform.h"
#include "startup/ProgramPlatform.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

struct Problem {
    std::string why;
    std::string todo;
};

struct DeviceState {
    bool exists = false;
    bool usable = false;
    std::vector<Problem> problems;
};

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

DeviceState LookAt(const std::string& device, const std::string& sysfsRoot) {
    DeviceState state;
    struct stat info {};
    if (device.empty() || ::stat(device.c_str(), &info) != 0) {
        state.problems.push_back({"no such device", ""});
        return state;
    }
    state.exists = true;
    if (IsConsole(sysfsRoot, device)) {
        state.problems.push_back(
            {"it is the system console", "leave it alone; name another device with --port"});
    }
    if (::access(device.c_str(), R_OK | W_OK) != 0) {
        std::string group = GroupName(info.st_gid);
        std::string why = "no permission to read and write it (owner " +
                          std::to_string(info.st_uid) + ", group " + group + ", mode " +
                          Mode(info.st_mode) + ")";
        if (!InGroup(info.st_gid) && (info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP)) {
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

json ProblemsJson(const std::vector<Problem>& problems) {
    json list = json::array();
    for (const auto& problem : problems) {
        json entry = {{"why", problem.why}};
        if (!problem.todo.empty()) {
            entry["todo"] = problem.todo;
        }
        list.push_back(entry);
    }
    return list;
}

void ProblemsText(std::ostream& text, const std::vector<Problem>& problems) {
    for (const auto& problem : problems) {
        text << "    " << problem.why << "\n";
        if (!problem.todo.empty()) {
            text << "      -> " << problem.todo << "\n";
        }
    }
}

std::string UsbFamily(const platform::UsbPrinterInfo& printer) {
    bool known =
        std::any_of(link::kUsbPrinterIds.begin(), link::kUsbPrinterIds.end(),
                    [&](const link::UsbPrinterId& id) {
                        return id.vendorId == printer.vendorId && id.productId == printer.productId;
                    });
    if (!known) {
        return "";
    }
    return printer.vendorId == link::kKrt620VendorId ? "KRT-620" : "KRT-310/310II";
}

std::string Hex4(std::uint16_t value) {
    std::ostringstream text;
    text << std::hex << std::setw(4) << std::setfill('0') << value;
    return text.str();
}

}  // namespace

CommandResult RunPorts(const startup::CliOptions& options) {
    CommandResult result;
    std::unique_ptr<startup::ProgramPlatform> simulated;
    std::unique_ptr<platform::posix::PosixPlatform> machine;
    platform::Platform* platform = nullptr;
    if (options.simulate) {
        startup::CommandLineOptions simulate;
        simulate.simulate = options.simulate;
        std::string ignored;
        simulated = startup::ProgramPlatform::Make(simulate, ignored);
        platform = &simulated->Get();
    } else {
        machine = std::make_unique<platform::posix::PosixPlatform>(
            platform::posix::PosixOptions{options.sysfsRoot, options.devRoot});
        platform = machine.get();
    }

    // The names of the window, in its order, then any device path given.
    link::PortMap ports;
    std::vector<std::string> names;
    for (int n = 1; n <= link::kSerialPortCount; ++n) {
        names.push_back(link::CanonicalPortName({platform::PortFamily::Serial, n}));
    }
    for (int n = 1; n <= link::kParallelPortCount; ++n) {
        names.push_back(link::CanonicalPortName({platform::PortFamily::Parallel, n}));
    }
    std::vector<std::pair<std::string, std::string>> extra;
    for (const auto& given : options.ports) {
        PortTarget target;
        std::string error;
        if (!ParsePortTarget(given, target, error)) {
            result.exitStatus = 2;
            result.json["error"] = error;
            result.text = error + "\n";
            return result;
        }
        if (target.device && given.find('=') != std::string::npos) {
            ports.Override(target.portName, *target.device);
        } else if (target.device) {
            extra.emplace_back(given, *target.device);
        }
    }

    std::vector<platform::QueueInfo> queues = platform->GetSpooler().ListQueues();
    const bool mayStopQueues = ::geteuid() == 0 || InGroupNamed("lpadmin");
    std::ostringstream text;
    text << std::left << std::setw(12) << "PORT" << std::setw(28) << "DEVICE" << std::setw(10)
         << "KIND"
         << "STATE\n";
    json rows = json::array();
    auto addRow = [&](const std::string& name, const std::string& device, const char* kind) {
        DeviceState state;
        if (options.simulate) {
            state.exists = state.usable = true;
        } else {
            state = LookAt(device, options.sysfsRoot);
        }
        json queueNames = json::array();
        for (const auto& queue : queues) {
            if (link::QueueUsesDevice(queue, device)) {
                queueNames.push_back(queue.name);
                state.problems.push_back(
                    {"print queue " + queue.name + " prints to it",
                     mayStopQueues ? "nothing: it is stopped while corvane-cli works and started "
                                     "again after"
                                   : "stopping it needs membership of lpadmin (or root); "
                                     "without it the queue keeps running"});
            }
        }
        std::string stateText = state.usable ? "usable" : state.exists ? "not usable" : "absent";
        text << std::setw(12) << name << std::setw(28) << device << std::setw(10) << kind
             << stateText << "\n";
        // An absent port is common and says all there is to say on its row.
        if (state.exists) {
            ProblemsText(text, state.problems);
        } else {
            std::vector<Problem> queueProblems(state.problems.begin() + 1, state.problems.end());
            ProblemsText(text, queueProblems);
        }
        rows.push_back({{"port", name},
                        {"device", device},
                        {"kind", kind},
                        {"exists", state.exists},
                        {"usable", state.usable},
                        {"problems", ProblemsJson(state.problems)},
                        {"queues", queueNames}});
    };
    for (const auto& name : names) {
        bool serial = name.rfind("LPT", 0) != 0;
        addRow(name, ports.DevicePath(*platform, name), serial ? "serial" : "parallel");
    }
    for (const auto& [given, device] : extra) {
        addRow(given, device, given.rfind("/dev/lp", 0) == 0 ? "parallel" : "serial");
    }

    std::vector<platform::UsbPrinterInfo> printers = platform->ListUsbPrinters();
    json usbRows = json::array();
    text << "\nUSB printers:\n";
    if (printers.empty()) {
        text << "  none found\n";
    }
    std::vector<Problem> usbQueues;
    for (const auto& queue : queues) {
        if (link::QueueUsesUsb(queue)) {
            usbQueues.push_back(
                {"print queue " + queue.name +
                     " uses a USB printer, so USB "
                     "connections are refused",
                 "point " + queue.name + " elsewhere or remove it: lpadmin -x " + queue.name});
        }
    }
    for (const auto& printer : printers) {
        std::string family = UsbFamily(printer);
        DeviceState state;
        if (options.simulate) {
            state.exists = state.usable = true;
        } else {
            state = LookAt(printer.devicePath, options.sysfsRoot);
        }
        state.problems.insert(state.problems.end(), usbQueues.begin(), usbQueues.end());
        state.usable = state.usable && usbQueues.empty() && !family.empty();
        text << "  " << std::setw(26) << printer.devicePath << Hex4(printer.vendorId) << ":"
             << Hex4(printer.productId) << "  " << std::setw(15)
             << (family.empty() ? "not supported" : family)
             << (state.usable ? "usable" : "not usable") << "\n";
        ProblemsText(text, state.problems);
        usbRows.push_back({{"device", printer.devicePath},
                           {"vendorId", Hex4(printer.vendorId)},
                           {"productId", Hex4(printer.productId)},
                           {"family", family.empty() ? json(nullptr) : json(family)},
                           {"usable", state.usable},
                           {"problems", ProblemsJson(state.problems)}});
    }
    result.json["ports"] = rows;
    result.json["usbPrinters"] = usbRows;
    result.text = text.str();
    return result;
}

}  // namespace corvane::cli
