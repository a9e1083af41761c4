#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Holdings.h"

namespace corvane::support {

// A record of held things kept in memory, whose processes run or have ended as the test says:
// this process is 1, and a process runs while its id is in running with the start time
// StartOf gives it.
class MemoryHoldings final : public platform::Holdings {
public:
    std::string text;
    std::set<long long> running{1};

    static std::string StartOf(long long pid) { return "started-" + std::to_string(pid); }

    // Puts an entry of process pid into the record, as another run of the program would.
    void Put(platform::Holding holding, long long pid) {
        holding.owner = {pid, StartOf(pid)};
        auto entries = platform::ParseHoldings(text);
        entries.push_back(holding);
        text = platform::FormatHoldings(entries);
    }

    std::string Path() const override { return "memory"; }
    platform::ProcessStamp ThisProcess() override { return {1, StartOf(1)}; }

protected:
    bool Running(const platform::ProcessStamp& process) override {
        return running.count(process.pid) == 1 && process.started == StartOf(process.pid);
    }
    bool LockRecord(std::string&) override { return true; }
    void UnlockRecord() override {}
    bool ReadRecord(std::string& read, std::string&) override {
        read = text;
        return true;
    }
    bool WriteRecord(const std::string& written, std::string&) override {
        text = written;
        return true;
    }
};

}  // namespace corvane::support
