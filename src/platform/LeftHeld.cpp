#include "platform/LeftHeld.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <set>

namespace corvane::platform {

namespace {

struct Store {
    std::mutex lock;
    std::map<std::string, std::string> lines;
    std::set<std::string> told;
};

Store& TheStore() {
    // Never destroyed: a program that ends from an exit handler may still add to it.
    static Store* store = new Store();
    return *store;
}

}  // namespace

void LeftHeld::Add(Platform* platform, const std::string& key, const std::string& line) {
    TellHoldings(platform, line);
    Store& store = TheStore();
    std::lock_guard<std::mutex> hold(store.lock);
    store.lines[key] = line;
}

void LeftHeld::Clear(const std::string& key) {
    Store& store = TheStore();
    std::lock_guard<std::mutex> hold(store.lock);
    store.lines.erase(key);
}

std::vector<std::string> LeftHeld::Lines() {
    Store& store = TheStore();
    std::lock_guard<std::mutex> hold(store.lock);
    std::vector<std::string> lines;
    for (const auto& [key, line] : store.lines) {
        lines.push_back(line);
    }
    return lines;
}

void TellHoldings(Platform* platform, const std::string& line) {
    // The C stream, as the C++ ones may already be gone in an exit handler.
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    if (platform != nullptr) {
        platform->Note(line);
    }
}

}  // namespace corvane::platform

namespace corvane::platform {

void TellHoldingsOnce(Platform* platform, const std::string& key, const std::string& line) {
    Store& store = TheStore();
    {
        std::lock_guard<std::mutex> hold(store.lock);
        if (!store.told.insert(key).second) {
            return;
        }
    }
    TellHoldings(platform, line);
}

}  // namespace corvane::platform
