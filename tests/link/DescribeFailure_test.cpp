#include <gtest/gtest.h>

#include <string>

#include "link/PrinterPort.h"

namespace corvane::link {
namespace {

using platform::ErrorKind;

struct AccessCase {
    const char* portName;
    const char* device;
    const char* remedy;
};

// The remedy of every kind of port; a refusal must name its own and none of the others.
constexpr const char* kRemedies[] = {"adduser $USER dialout", "adduser $USER lp", "udev rule"};

PortFailure Refused(const std::string& portName, const std::string& device, ErrorKind kind,
                    int code) {
    return {PortProblem::DeviceError,
            PortOperation::Open,
            {kind, code, platform::NativeSource::Errno},
            portName,
            device,
            {}};
}

// Guards against a permission refusal that leaves the technician guessing which group or rule
// grants access to which device.
TEST(DescribeFailureTest, AccessRefusalNamesTheDeviceAndWhatGrantsAccess) {
    const AccessCase cases[] = {
        {"COM1", "/dev/ttyUSB0", "adduser $USER dialout"},
        {"\\\\.\\COM12", "/dev/ttyS11", "adduser $USER dialout"},
        {"LPT2:", "/dev/lp1", "adduser $USER lp"},
        {"USB", "/dev/usb/lp0", "udev rule"},
        {"USB", "/dev/bus/usb/001/004", "udev rule"},
    };
    for (const auto& row : cases) {
        const std::string text =
            DescribeFailure(Refused(row.portName, row.device, ErrorKind::AccessDenied, 13));
        const std::string head = std::string("cannot open ") + row.portName + " (" + row.device +
                                 "): access denied (errno 13); ";
        EXPECT_EQ(text.substr(0, head.size()), head) << text;
        for (const char* remedy : kRemedies) {
            EXPECT_EQ(text.find(remedy) != std::string::npos, std::string(remedy) == row.remedy)
                << row.portName << ": " << text;
        }
        // No group opens the USB device itself; only the kernel driver's node is lp's.
        if (std::string(row.portName) == "USB") {
            EXPECT_EQ(text.find("lp group") != std::string::npos,
                      std::string(row.device).starts_with("/dev/usb/"))
                << text;
        }
    }
}

TEST(DescribeFailureTest, OtherRefusalsSuggestNoRemedy) {
    for (ErrorKind kind : {ErrorKind::Busy, ErrorKind::NotFound, ErrorKind::Other}) {
        for (const char* portName : {"COM1", "LPT1:", "USB"}) {
            const std::string text = DescribeFailure(Refused(portName, "/dev/x", kind, 16));
            EXPECT_EQ(text.find(';'), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace corvane::link
