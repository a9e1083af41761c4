#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace corvane::support {

// A spooler in memory whose requests can be made to fail, queue by queue.
class MemorySpooler : public platform::Spooler {
public:
    std::vector<platform::QueueInfo> queues;
    std::map<std::string, platform::ErrorKind> failStop;
    std::map<std::string, platform::ErrorKind> failStart;
    // How many more starts of a queue fail before they work again.
    std::map<std::string, int> failStartTimes;
    platform::Error failList;
    std::string location;
    std::vector<std::string> calls;

    std::string Location() override { return location; }

    platform::QueueListing ListQueues() override {
        if (!failList.Ok()) {
            return {{}, failList};
        }
        return {queues, {}};
    }

    platform::Error StopQueue(const std::string& name, const std::string& reason) override {
        calls.push_back("stop " + name + " (" + reason + ")");
        return Change(name, failStop, true, reason);
    }

    platform::Error StartQueue(const std::string& name) override {
        calls.push_back("start " + name);
        if (failStartTimes[name] > 0) {
            --failStartTimes[name];
            return {platform::ErrorKind::TimedOut, 0};
        }
        return Change(name, failStart, false, {});
    }

    bool Stopped(const std::string& name) const {
        for (const auto& queue : queues) {
            if (queue.name == name) {
                return queue.stopped;
            }
        }
        ADD_FAILURE() << "no queue " << name;
        return false;
    }

private:
    platform::Error Change(const std::string& name,
                           const std::map<std::string, platform::ErrorKind>& fail, bool stop,
                           const std::string& reason) {
        auto failure = fail.find(name);
        if (failure != fail.end()) {
            return {failure->second, 0};
        }
        for (auto& queue : queues) {
            if (queue.name == name) {
                queue.stopped = stop;
                queue.stateMessage = reason;
                return {};
            }
        }
        return {platform::ErrorKind::NotFound, 0};
    }
};

}  // namespace corvane::support
