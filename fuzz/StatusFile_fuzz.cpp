// The status file loader: any file, of any length, loads into a record that writes back as the
// same bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "FuzzPort.h"
#include "operations/StatusFile.h"

using namespace corvane;
using namespace corvane::fuzz;

namespace {

// One file in memory for the whole run, reached by its path like any file on disk.
int FileDescriptor() {
    static const int fd = memfd_create("corvane-fuzz.sts", 0);
    Require(fd >= 0);
    return fd;
}

const std::string& FilePath() {
    static const std::string path = "/proc/self/fd/" + std::to_string(FileDescriptor());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    operations::StatusRecord record = operations::DecodeStatusRecord(bytes);
    // Every field is kept as it came, so the record writes back as the file's first 124 bytes.
    std::array<std::uint8_t, operations::kStatusFileSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    Require(operations::EncodeStatusRecord(record) == padded);
    for (auto model : {protocol::PrinterModel::Krt310Family, protocol::PrinterModel::Krt620}) {
        operations::StatusRecord kept = operations::RecordForModel(model, record);
        Require(operations::DecodeStatusRecord(operations::EncodeStatusRecord(kept)) == kept);
    }
    Require(ftruncate(FileDescriptor(), 0) == 0);
    Require(pwrite(FileDescriptor(), data, size, 0) == static_cast<ssize_t>(size));
    operations::StatusRecord loaded;
    std::string error;
    Require(operations::ReadStatusFile(FilePath(), loaded, error));
    Require(loaded == record);
    operations::IsStatusFileName(std::string(bytes.begin(), bytes.end()));
    return 0;
}
