// The ports listing on Windows: the system's DOS device names say which ports exist; who holds a
// port cannot be seen without opening it, which the listing never does.
#include "service/DeviceAccess.h"

#include "platform/MachinePlatform.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"

namespace corvane::service {

namespace {

// "COM5", "\\.\COM10" and "LPT1:" are the DOS device names COM5, COM10 and LPT1.
std::wstring DosDeviceName(std::string device) {
    if (device.rfind("\\\\.\\", 0) == 0) {
        device.erase(0, 4);
    }
    if (!device.empty() && device.back() == ':') {
        device.pop_back();
    }
    return platform::win32::Widen(device);
}

}  // namespace

std::unique_ptr<platform::Platform> MakeListingPlatform(const DeviceRoots&) {
    return platform::MakeMachinePlatform();
}

DeviceState LookAt(const std::string& device, const DeviceRoots&) {
    DeviceState state;
    // A USB printer's interface path comes from the system's own list of present devices.
    bool listed = device.rfind("\\\\?\\", 0) == 0;
    wchar_t target[512];
    if (device.empty() ||
        (!listed && QueryDosDeviceW(DosDeviceName(device).c_str(), target, 512) == 0)) {
        state.problems.push_back({"no such device", ""});
        return state;
    }
    state.exists = true;
    state.usable = true;
    return state;
}

bool MayStopQueues() {
    // Moving a printer to another port needs the right to manage printers, which administrators
    // have.
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
        member = FALSE;
    }
    FreeSid(administrators);
    return member != FALSE;
}

const char kQueueStopRefused[] =
    "moving it to another port needs an administrator; without one it keeps printing to the "
    "port";

std::string UsbQueueRemedy(const std::string& queueName) {
    return "point " + queueName + " at another port or remove it in the printer settings";
}

}  // namespace corvane::service
