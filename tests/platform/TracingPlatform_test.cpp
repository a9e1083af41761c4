#include "platform/TracingPlatform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/sim/SimPlatform.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;
using sim::Ms;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class Tracing : public ::testing::Test {
protected:
    void SetUp() override {
        inner.Advance(Ms(5000));  // the trace counts from its own start
        inner.AttachSerial("COM3", printer);
        inner.AttachParallel("LPT1:", printer);
        inner.AttachUsb("/dev/usb/lp0", 0x1234, 0x5678, printer);
        traced = MakeTracingPlatform(inner, out);
    }

    sim::SimPlatform inner;
    sim::ScriptedPeer printer;
    std::ostringstream out;
    std::unique_ptr<Platform> traced;
};

TEST_F(Tracing, RecordsASerialSessionWithBytesAndTimes) {
    printer.ReplyToNextWrite({0x5F, 0x31, 0x00}, Ms(20));
    Error error;
    auto port = traced->OpenSerial("COM3", error);
    ASSERT_NE(nullptr, port);
    traced->Sleep(100ms);
    SerialConfig config;
    config.baudRate = 19200;
    config.dataBits = 7;
    config.parity = kParityEven;
    config.parityCheck = true;
    config.dsrOutputFlow = true;
    EXPECT_TRUE(port->SetConfig(config).Ok());
    EXPECT_TRUE(port->SetTimeouts(SerialTimeouts{}).Ok());
    bool dsr = false;
    EXPECT_TRUE(port->GetDsr(dsr).Ok());
    EXPECT_TRUE(port->Purge().Ok());
    std::vector<std::uint8_t> command{0x1D, 0x49, 0x41};
    EXPECT_EQ(3u, port->Write(command).count);
    std::uint8_t reply[4] = {};
    EXPECT_EQ(3u, port->Read(reply).count);
    port.reset();

    std::vector<std::string> expected{
        "       0 ms COM3 open 0 bytes, ok, COM3",
        "       0 ms - pause 0 bytes, ok, 100 ms",
        "     100 ms COM3 configure 0 bytes, ok, 19200 7E1, parity check on, DSR flow on, DTR "
        "on, RTS on",
        "     100 ms COM3 configure 0 bytes, ok, time-outs read 2000 ms + 1 ms/byte, write 2000 "
        "ms + 1 ms/byte",
        "     100 ms COM3 status 0 bytes, ok, DSR on",
        "     100 ms COM3 purge 0 bytes, ok",
        "     100 ms COM3 write 3 of 3 bytes, ok, 0 ms | 1D 49 41 | .IA",
        // Four bytes asked, three came: the read waits out its 2004 ms deadline.
        "     100 ms COM3 read 3 of 4 bytes, timed out, 2004 ms | 5F 31 00 | _1.",
        "    2104 ms COM3 close 0 bytes, ok",
    };
    EXPECT_EQ(expected, Lines(out.str()));
}

TEST_F(Tracing, RecordsFailuresWithTheirReason) {
    inner.SetBusy("COM3", true);
    Error error;
    EXPECT_EQ(nullptr, traced->OpenSerial("COM3", error));
    EXPECT_EQ(ErrorKind::Busy, error.kind);
    EXPECT_EQ(nullptr, traced->OpenSerial("COM4", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);

    std::vector<std::string> expected{
        "       0 ms COM3 open 0 bytes, device in use by another program, COM3",
        "       0 ms COM4 open 0 bytes, no such device, COM4",
    };
    EXPECT_EQ(expected, Lines(out.str()));
}

TEST_F(Tracing, RecordsParallelStatusAndUsbTraffic) {
    printer.parallelStatus = kParallelSelected | kParallelPaperEmpty;
    Error error;
    auto parallel = traced->OpenParallel("LPT1:", error);
    ASSERT_NE(nullptr, parallel);
    std::uint8_t status = 0;
    EXPECT_TRUE(parallel->QueryStatus(status).Ok());
    EXPECT_EQ(kParallelSelected | kParallelPaperEmpty, status);
    parallel.reset();

    auto printers = traced->ListUsbPrinters();
    ASSERT_EQ(1u, printers.size());
    auto usb = traced->OpenUsbPrinter(printers[0].devicePath, true, error);
    ASSERT_NE(nullptr, usb);
    std::uint8_t buffer[64];
    IoResult nothing = usb->Read(buffer);
    EXPECT_EQ(0u, nothing.count);

    std::vector<std::string> expected{
        "       0 ms LPT1: open 0 bytes, ok, LPT1:",
        "       0 ms LPT1: status 0 bytes, ok, status 0x81 (selected, paper empty)",
        "       0 ms LPT1: close 0 bytes, ok",
        "       0 ms USB list 1 found, ok, /dev/usb/lp0 1234:5678",
        "       0 ms /dev/usb/lp0 open 0 bytes, ok, exclusive",
        "       0 ms /dev/usb/lp0 read 0 of 64 bytes, timed out, 2000 ms",
    };
    EXPECT_EQ(expected, Lines(out.str()));
}

TEST_F(Tracing, PassesEverythingThroughUnchanged) {
    EXPECT_EQ("LPT2:", traced->DefaultDevicePath(PortFamily::Parallel, 2));
    EXPECT_EQ(inner.Now(), traced->Now());
    traced->Sleep(500ms);
    EXPECT_EQ(std::vector<std::chrono::milliseconds>{500ms}, inner.Pauses());
    EXPECT_EQ(&inner.GetSpooler(), &traced->GetSpooler());
    EXPECT_EQ(inner.Facts().usbSupported, traced->Facts().usbSupported);

    Error error;
    auto port = traced->OpenSerial("COM3", error);
    ASSERT_NE(nullptr, port);
    std::vector<std::uint8_t> command{0x1B, 0x40};
    port->Write(command);
    EXPECT_EQ(command, printer.received);
}

TEST(TraceSink, ShowsNonPrintableBytesAsDots) {
    std::vector<std::uint8_t> bytes{0x00, 0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0xFF};
    EXPECT_EQ("00 1F 20 41 7E 7F 80 FF", TraceSink::Hex(bytes));
    EXPECT_EQ(".. A~...", TraceSink::Printable(bytes));
}

TEST(TraceSink, ShowsTheNativeCodeOfAFailure) {
    TraceEntry entry;
    entry.at = 12345ms;
    entry.device = "COM3";
    entry.operation = TraceOperation::Write;
    entry.count = 1;
    entry.requested = 2;
    entry.error = {ErrorKind::Disconnected, 5, NativeSource::Errno};
    entry.elapsed = 7ms;
    entry.bytes = {0x0A};
    EXPECT_EQ("   12345 ms COM3 write 1 of 2 bytes, device disconnected (errno 5), 7 ms | 0A | .",
              TraceSink::FormatLine(entry));
    // Each source says what kind of number its code is.
    const std::pair<Error, std::string> codes[] = {
        {{ErrorKind::Busy, 16, NativeSource::Errno}, "errno 16"},
        {{ErrorKind::Busy, 32, NativeSource::Win32}, "Windows error 32"},
        {{ErrorKind::Other, -99, NativeSource::Libusb}, "libusb error -99"},
        {{ErrorKind::NotFound, 0x0406, NativeSource::Ipp}, "IPP status 0x0406"},
        {{ErrorKind::Other, 7, NativeSource::None}, "code 7"},
        {{ErrorKind::TimedOut, 0, NativeSource::None}, ""},
    };
    for (const auto& [error, text] : codes) {
        EXPECT_EQ(DescribeNativeCode(error), text);
    }
}

TEST(TraceSink, WritesToAFileAndReportsAFileItCannotWrite) {
    std::string message;
    EXPECT_EQ(nullptr, TraceSink::OpenFile("/nonexistent-dir/trace.txt", message));
    EXPECT_NE(std::string::npos, message.find("/nonexistent-dir/trace.txt")) << message;

    char path[] = "/tmp/corvane-trace-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        sim::SimPlatform inner;
        auto traced = MakeTracingPlatform(inner, path, message);
        ASSERT_NE(nullptr, traced) << message;
        traced->Sleep(10ms);
    }
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ("       0 ms - pause 0 bytes, ok, 10 ms", line);
    std::remove(path);
}

}  // namespace
}  // namespace corvane::platform
