// USB printer discovery against a sysfs and /dev tree built the way the kernel lays out usblp
// printers, and the USB device's reads and writes through a real pseudo-terminal.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/RecordingReporter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/PrinterPort.h"
#include "link/UsbPrinterFinder.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::link {
namespace {

// The USB vendors of the two families, as the model table gives them.
const std::uint16_t kKrt310FamilyVendorId =
    product::UsbVendorOf(product::PrinterModel::Krt310Family);
const std::uint16_t kKrt620VendorId = product::UsbVendorOf(product::PrinterModel::Krt620);

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using platform::posix::PosixOptions;
using platform::posix::PosixPlatform;

// A sysfs and /dev tree in a temporary directory, shaped like the kernel's.
class FakeUsbTree {
public:
    FakeUsbTree() {
        char pattern[] = "/tmp/corvane-usb-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        root_ = made == nullptr ? fs::path() : fs::path(made);
        fs::create_directories(Sys() / "class" / "usbmisc");
        fs::create_directories(Sys() / "bus" / "usb" / "drivers" / "usblp");
        fs::create_directories(Sys() / "bus" / "usb" / "drivers" / "usbhid");
        fs::create_directories(root_ / "dev" / "usb");
    }
    ~FakeUsbTree() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Adds a USB device with one interface that the driver serves as usbmisc entry `name`, and
    // a regular file as its device node.
    void AddInterface(const std::string& name, std::uint16_t vendorId, std::uint16_t productId,
                      const std::string& driver = "usblp") {
        std::string port = "1-" + std::to_string(++devices_);
        fs::path device = Sys() / "devices" / "pci0000:00" / "0000:00:14.0" / "usb1" / port;
        fs::path interface = device / (port + ":1.0");
        fs::create_directories(interface / "usbmisc" / name);
        WriteHex(device / "idVendor", vendorId);
        WriteHex(device / "idProduct", productId);
        fs::create_directory_symlink(fs::path("../../../../../../bus/usb/drivers") / driver,
                                     interface / "driver");
        fs::create_directory_symlink("../../../" + port + ":1.0",
                                     interface / "usbmisc" / name / "device");
        fs::create_directory_symlink(fs::path("../../devices/pci0000:00/0000:00:14.0/usb1") / port /
                                         (port + ":1.0") / "usbmisc" / name,
                                     Sys() / "class" / "usbmisc" / name);
        if (name.rfind("lp", 0) == 0) {
            std::ofstream(Node(name)).put('\0');
        }
    }

    // Puts a pseudo-terminal behind a printer's node, for a device that really waits.
    void PointNodeAt(const std::string& name, const std::string& target) {
        fs::remove(Node(name));
        fs::create_symlink(target, Node(name));
    }

    // Puts a pipe behind a printer's node: a device whose buffer the test can fill.
    void MakeNodeAPipe(const std::string& name) {
        fs::remove(Node(name));
        EXPECT_EQ(::mkfifo(Node(name).c_str(), 0600), 0);
    }

    fs::path Node(const std::string& name) const { return root_ / "dev" / "usb" / name; }

    PosixOptions Options() const {
        PosixOptions options;
        options.sysfsRoot = Sys().string();
        options.devRoot = (root_ / "dev").string();
        // libusb would see the machine's own printers beside this tree.
        options.libusb = false;
        return options;
    }

private:
    fs::path Sys() const { return root_ / "sys"; }

    static void WriteHex(const fs::path& path, std::uint16_t value) {
        char text[8];
        std::snprintf(text, sizeof(text), "%04x\n", value);
        std::ofstream(path) << text;
    }

    fs::path root_;
    int devices_ = 0;
};

// A raw pseudo-terminal; the test plays the printer on the master side.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(master_, 0);
        EXPECT_EQ(::grantpt(master_), 0);
        EXPECT_EQ(::unlockpt(master_), 0);
        slavePath_ = ::ptsname(master_);
        int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_GE(slave, 0);
        termios raw{};
        EXPECT_EQ(::tcgetattr(slave, &raw), 0);
        ::cfmakeraw(&raw);
        EXPECT_EQ(::tcsetattr(slave, TCSANOW, &raw), 0);
        ::close(slave);
    }
    ~PseudoTerminal() { Unplug(); }

    const std::string& SlavePath() const { return slavePath_; }
    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        std::size_t got = 0;
        while (got < count) {
            ssize_t n = ::read(master_, bytes.data() + got, count - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }
    void Unplug() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

class PosixUsbTest : public ::testing::Test {
protected:
    PosixPlatform& Platform() {
        if (!platform_) {
            platform_ = std::make_unique<PosixPlatform>(tree.Options());
        }
        return *platform_;
    }

    UsbPrinterFinder& Finder() {
        if (!finder_) {
            finder_ = std::make_unique<UsbPrinterFinder>(Platform(), reporter);
        }
        return *finder_;
    }

    std::string DevicePath(const std::string& name) const { return tree.Node(name).string(); }

    FakeUsbTree tree;
    support::RecordingReporter reporter;

private:
    std::unique_ptr<PosixPlatform> platform_;
    std::unique_ptr<UsbPrinterFinder> finder_;
};

TEST_F(PosixUsbTest, ListsUsblpPrintersInTheKernelsNumberOrderWithTheirIds) {
    tree.AddInterface("lp10", 0x3e1f, 0x4010);
    tree.AddInterface("hiddev0", 0x046d, 0xc52b, "usbhid");
    tree.AddInterface("lp2", 0x2c9a, 0x0002);
    tree.AddInterface("lp0", 0x04b8, 0x0202);

    auto printers = Platform().ListUsbPrinters();

    ASSERT_EQ(printers.size(), 3u);
    EXPECT_EQ(printers[0].devicePath, DevicePath("lp0"));
    EXPECT_EQ(printers[1].devicePath, DevicePath("lp2"));
    EXPECT_EQ(printers[2].devicePath, DevicePath("lp10"));
    EXPECT_EQ(printers[1].vendorId, 0x2c9a);
    EXPECT_EQ(printers[1].productId, 0x0002);
    EXPECT_EQ(printers[2].vendorId, 0x3e1f);
    EXPECT_EQ(printers[2].productId, 0x4010);
    EXPECT_NE(printers[2].sysPath.find("usbmisc/lp10"), std::string::npos);
}

TEST_F(PosixUsbTest, MissingSysfsListsNothing) {
    PosixOptions options;
    options.sysfsRoot = "/nonexistent/sys";
    options.devRoot = "/nonexistent/dev";
    options.libusb = false;
    PosixPlatform platform(options);
    EXPECT_TRUE(platform.ListUsbPrinters().empty());
}

TEST_F(PosixUsbTest, OfTwoSupportedPrintersTheFirstEnumeratedIsChosen) {
    tree.AddInterface("lp10", 0x2c9a, 0x0002);
    tree.AddInterface("lp3", 0x3e1f, 0x4010);

    auto device = Finder().OpenUsbPrinter();

    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), DevicePath("lp3"));
    EXPECT_EQ(Finder().CompleteDeviceName(), DevicePath("lp3"));
    EXPECT_TRUE(Finder().ChosenDeviceHasVendor(kKrt620VendorId));
    EXPECT_EQ(reporter.NotesText(), "completeDeviceName = (" + DevicePath("lp3") + ")\n");
}

TEST_F(PosixUsbTest, SameVendorWithAnotherProductIsNeverChosen) {
    tree.AddInterface("lp0", 0x2c9a, 0x0003);
    tree.AddInterface("lp1", 0x2c9a, 0x0025);

    auto device = Finder().OpenUsbPrinter();

    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), DevicePath("lp1"));
}

TEST_F(PosixUsbTest, NoSupportedPrinterGivesNoNameAndNoDiagnosticLine) {
    tree.AddInterface("lp0", 0x2c9a, 0x0003);
    tree.AddInterface("lp1", 0x04b8, 0x0202);

    auto device = Finder().OpenUsbPrinter();

    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(Finder().CompleteDeviceName(), "");
    EXPECT_TRUE(reporter.notes.empty());
}

TEST_F(PosixUsbTest, ABusyPrinterIsPassedOverWithItsDiagnosticLine) {
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    tree.AddInterface("lp1", 0x2c9a, 0x0025);
    int holder = ::open(DevicePath("lp0").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    auto device = Finder().OpenUsbPrinter();
    ::close(holder);

    EXPECT_NE(device, nullptr);
    EXPECT_EQ(reporter.NotesText(), "FAILED to open " + DevicePath("lp0") +
                                        "\ncompleteDeviceName = (" + DevicePath("lp1") + ")\n");
}

TEST_F(PosixUsbTest, BusyPrinterIsPassedOverForTheNextSupportedOne) {
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    tree.AddInterface("lp1", 0x3e1f, 0x4010);
    // Another run of this program holds lp0.
    platform::Error error;
    auto holder = Platform().OpenUsbPrinter(DevicePath("lp0"), true, error);
    ASSERT_NE(holder, nullptr);

    auto device = Finder().OpenUsbPrinter();

    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), DevicePath("lp1"));
    EXPECT_EQ(reporter.NotesText(), "FAILED to open " + DevicePath("lp0") +
                                        "\ncompleteDeviceName = (" + DevicePath("lp1") + ")\n");
}

TEST_F(PosixUsbTest, ExclusiveOpenRefusesASecondOpener) {
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    platform::Error error;
    auto first = Platform().OpenUsbPrinter(DevicePath("lp0"), true, error);
    ASSERT_NE(first, nullptr);

    EXPECT_EQ(Platform().OpenUsbPrinter(DevicePath("lp0"), false, error), nullptr);
    EXPECT_EQ(error.kind, platform::ErrorKind::Busy);
    EXPECT_EQ(Platform().OpenUsbPrinter(DevicePath("lp0"), true, error), nullptr);
    EXPECT_EQ(error.kind, platform::ErrorKind::Busy);

    first.reset();
    EXPECT_NE(Platform().OpenUsbPrinter(DevicePath("lp0"), true, error), nullptr);
}

TEST_F(PosixUsbTest, MissingNodeIsNotFound) {
    platform::Error error;
    EXPECT_EQ(Platform().OpenUsbPrinter(DevicePath("lp7"), false, error), nullptr);
    EXPECT_EQ(error.kind, platform::ErrorKind::NotFound);
}

TEST_F(PosixUsbTest, PrinterPortTalksToTheChosenPrinterEndToEnd) {
    PseudoTerminal printer;
    tree.AddInterface("lp0", 0x2c9a, 0x0025);
    tree.PointNodeAt("lp0", printer.SlavePath());
    PrinterPort port(Platform());
    port.SetUsbAccess(&Finder());
    port.SetPortName("USB");

    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.Kind(), InterfaceKind::Usb);
    EXPECT_TRUE(Finder().ChosenDeviceHasVendor(kKrt310FamilyVendorId));

    const std::uint8_t request[] = {0x1d, 0x49, 0x01};
    ASSERT_TRUE(port.Write({request, sizeof(request)}));
    EXPECT_EQ(printer.Receive(3), (std::vector<std::uint8_t>{0x1d, 0x49, 0x01}));

    printer.Send({0x5f, 0x41, 0x33, 0x00});
    std::uint8_t reply[64] = {};
    EXPECT_EQ(port.Read({reply, sizeof(reply)}), 4u);
    EXPECT_EQ(reply[0], 0x5f);
    EXPECT_EQ(reply[3], 0x00);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PosixUsbTest, SilentPrinterMakesAReadReturnNothingWithinItsBound) {
    PseudoTerminal printer;
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    tree.PointNodeAt("lp0", printer.SlavePath());
    platform::Error error;
    auto device = Platform().OpenUsbPrinter(DevicePath("lp0"), true, error);
    ASSERT_NE(device, nullptr);

    std::uint8_t buffer[64];
    auto start = Clock::now();
    platform::IoResult result = device->Read(buffer);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);

    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, platform::ErrorKind::TimedOut);
    EXPECT_GE(elapsed.count(), platform::kUsbReadTimeoutMs - 50);
    EXPECT_LE(elapsed.count(), platform::kUsbReadTimeoutMs + 500);
}

TEST_F(PosixUsbTest, UnpluggedPrinterMakesAReadReturnNothingAtOnce) {
    PseudoTerminal printer;
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    tree.PointNodeAt("lp0", printer.SlavePath());
    platform::Error error;
    auto device = Platform().OpenUsbPrinter(DevicePath("lp0"), true, error);
    ASSERT_NE(device, nullptr);
    printer.Unplug();

    std::uint8_t buffer[64];
    auto start = Clock::now();
    platform::IoResult result = device->Read(buffer);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);

    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, platform::ErrorKind::Disconnected);
    EXPECT_LT(elapsed.count(), 500);
}

TEST_F(PosixUsbTest, PrinterTakingNoDataMakesAWriteGiveUpAtItsDeadline) {
    tree.AddInterface("lp0", 0x2c9a, 0x0002);
    tree.MakeNodeAPipe("lp0");
    // Hold the pipe open and fill it, as a printer whose buffer is full.
    int filler = ::open(DevicePath("lp0").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(filler, 0);
    int capacity = ::fcntl(filler, F_SETPIPE_SZ, 4096);
    ASSERT_GT(capacity, 0);
    std::vector<std::uint8_t> fill(static_cast<std::size_t>(capacity), 0x20);
    ASSERT_EQ(::write(filler, fill.data(), fill.size()), capacity);
    platform::Error error;
    auto device = Platform().OpenUsbPrinter(DevicePath("lp0"), true, error);
    ASSERT_NE(device, nullptr);

    const std::uint8_t command[] = {0x1b, 0x40};
    auto start = Clock::now();
    platform::IoResult result = device->Write(command);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    ::close(filler);

    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, platform::ErrorKind::TimedOut);
    // 2000 ms plus 1 ms for each of the two bytes.
    EXPECT_GE(elapsed.count(), 2000);
    EXPECT_LE(elapsed.count(), 2600);
}

}  // namespace
}  // namespace corvane::link
