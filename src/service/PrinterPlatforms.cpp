#include "service/PrinterPlatforms.h"

#include <fstream>
#include <streambuf>

#include "platform/TracingPlatform.h"
#include "sim/SimulatedPrinters.h"

namespace corvane::service {

// One trace file that the printers' threads write whole lines into.
class SharedTraceFile {
public:
    explicit SharedTraceFile(std::unique_ptr<std::ofstream> file) : file_(std::move(file)) {}

    void Write(const std::string& text) {
        std::lock_guard<std::mutex> hold(lock_);
        *file_ << text << std::flush;
    }

private:
    std::mutex lock_;
    std::unique_ptr<std::ofstream> file_;
};

namespace {

// Collects what one thread writes and hands it to the shared file at each flush, which the trace
// does after every line.
class LineBuffer final : public std::streambuf {
public:
    explicit LineBuffer(std::shared_ptr<SharedTraceFile> file) : file_(std::move(file)) {}
    ~LineBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        if (!pending_.empty()) {
            file_->Write(pending_);
            pending_.clear();
        }
        return 0;
    }

private:
    std::shared_ptr<SharedTraceFile> file_;
    std::string pending_;
};

class LineStream final : public std::ostream {
public:
    explicit LineStream(std::shared_ptr<SharedTraceFile> file)
        : std::ostream(nullptr), buffer_(std::move(file)) {
        rdbuf(&buffer_);
    }

private:
    LineBuffer buffer_;
};

}  // namespace

PrinterPlatform::~PrinterPlatform() = default;
PrinterPlatforms::~PrinterPlatforms() = default;

std::unique_ptr<PrinterPlatforms> PrinterPlatforms::Make(const PlatformRequest& request,
                                                         std::string& error) {
    std::unique_ptr<PrinterPlatforms> made(new PrinterPlatforms());
    made->programOptions_.simulate = request.simulate;
    made->programOptions_.emulation = request.emulation;
    made->simulatedSetUp_ = request.simulatedSetUp;
    if (!request.traceFile.empty()) {
        auto file = std::make_unique<std::ofstream>(request.traceFile, std::ios::trunc);
        if (!*file) {
            error = "cannot write the trace file " + request.traceFile;
            return nullptr;
        }
        made->trace_ = std::make_shared<SharedTraceFile>(std::move(file));
    }
    if (!request.simulate) {
        made->machine_ = startup::ProgramPlatform::Make(made->programOptions_, error);
        if (!made->machine_) {
            return nullptr;
        }
        // The spooler is made on first use; made here, before any thread, it is made once.
        made->machine_->Get().GetSpooler();
    }
    return made;
}

std::unique_ptr<PrinterPlatform> PrinterPlatforms::Next() {
    std::unique_ptr<PrinterPlatform> made(new PrinterPlatform());
    if (machine_) {
        made->top_ = &machine_->Get();
    } else {
        std::string ignored;
        made->simulated_ = startup::ProgramPlatform::Make(programOptions_, ignored);
        made->top_ = &made->simulated_->Get();
        if (simulatedSetUp_) {
            made->simulated_->Printers()->OnPrinterMade(
                sim::SimulatedPrinters::NamedSetUp(simulatedSetUp_));
        }
    }
    if (trace_) {
        made->traceStream_ = std::make_unique<LineStream>(trace_);
        made->traced_ = platform::MakeTracingPlatform(*made->top_, *made->traceStream_);
        made->top_ = made->traced_.get();
    }
    return made;
}

}  // namespace corvane::service
