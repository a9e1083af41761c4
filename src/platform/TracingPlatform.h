#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "platform/Platform.h"
#include "platform/Trace.h"

namespace corvane::platform {

// A platform that passes everything to another one and records each open, close, write, read,
// pause, purge, configuration and status query, with its bytes, in a trace. The devices it
// opens are wrapped too, so their traffic is recorded until they close.
class TracingPlatform final : public Platform {
public:
    // Neither inner nor sink is owned; both must outlive this platform. The devices it opens
    // must close before it goes.
    TracingPlatform(Platform& inner, TraceSink& sink);
    // Owns the sink.
    TracingPlatform(Platform& inner, std::unique_ptr<TraceSink> sink);
    ~TracingPlatform() override;

    // Serial and parallel traffic is recorded under the device path that was opened, which says
    // more to support than the program's name for the port.
    std::unique_ptr<SerialDevice> OpenSerial(const std::string& devicePath, Error& error) override;
    std::unique_ptr<ParallelDevice> OpenParallel(const std::string& devicePath,
                                                 Error& error) override;
    std::string DefaultDevicePath(PortFamily family, int number) override;
    std::vector<UsbPrinterInfo> ListUsbPrinters() override;
    std::unique_ptr<Device> OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                           Error& error) override;
    Spooler& GetSpooler() override;
    Holdings* GetHoldings() override { return inner_.GetHoldings(); }
    Error GiveBackDriver(const Holding& holding) override { return inner_.GiveBackDriver(holding); }
    void GiveBackDevicesNow() override { inner_.GiveBackDevicesNow(); }
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override;
    OsFacts Facts() override;
    void Note(const std::string& line) override;
    // The inner platform does the waiting, so it calls the hook; nothing of it is recorded.
    void SetWaitHook(WaitHook hook) override { inner_.SetWaitHook(std::move(hook)); }

    // Adds an entry stamped with the time since the trace began.
    void Record(TraceEntry entry);

private:
    Platform& inner_;
    std::unique_ptr<TraceSink> ownedSink_;
    TraceSink& sink_;
    std::chrono::milliseconds start_;
};

// Traces everything done through inner to out, which must outlive the result.
std::unique_ptr<Platform> MakeTracingPlatform(Platform& inner, std::ostream& out);
// Traces everything done through inner to a new file at path; null with errorMessage set when
// the file cannot be written.
std::unique_ptr<Platform> MakeTracingPlatform(Platform& inner, const std::string& path,
                                              std::string& errorMessage);

// "9600 8N1, parity check off, DSR flow on, DTR on, RTS on".
std::string DescribeConfig(const SerialConfig& config);

}  // namespace corvane::platform
