#include "link/HeldQueues.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "link/SpoolerPorts.h"
#include "platform/Holdings.h"
#include "platform/LeftHeld.h"

namespace corvane::link {

namespace {

using namespace std::chrono_literals;
using platform::ErrorKind;

// A spooler that starts slowly (a daemon started on the first request) is waited for this long.
constexpr std::chrono::milliseconds kRestorePatience = 10s;
constexpr std::chrono::milliseconds kFirstRetryPause = 250ms;
constexpr std::chrono::milliseconds kLongestRetryPause = 2s;

// The spooler may answer later: it is starting, busy, or its connection broke.
bool Unreachable(const platform::Error& error) {
    return error.kind == ErrorKind::TimedOut || error.kind == ErrorKind::Disconnected ||
           error.kind == ErrorKind::Busy;
}

platform::Holding QueueHolding(platform::Spooler& spooler, const std::string& name,
                               const std::string& formerPort) {
    return {platform::HoldingKind::Queue, spooler.Location(), name, formerPort, {}};
}

std::string LeftKey(platform::Spooler& spooler, const std::string& name) {
    return "queue " + spooler.Location() + " " + name;
}

void NoteInRecord(platform::Platform& platform, const platform::Holding& holding) {
    platform::Holdings* record = platform.GetHoldings();
    std::string why;
    if (record != nullptr && !record->Add(holding, why)) {
        platform::TellHoldingsOnce(&platform, "record",
                                   "Cannot keep the record of what the program holds (" + why +
                                       "); a run that is killed leaves it to the user to give "
                                       "it back.");
    }
}

void DropFromRecord(platform::Platform& platform, const platform::Holding& holding) {
    if (platform::Holdings* record = platform.GetHoldings()) {
        record->Remove(holding);
    }
}

}  // namespace

HeldQueues& HeldQueues::OfProcess() {
    // Never destroyed: a program that ends from an exit handler restores through it.
    static HeldQueues* table = new HeldQueues();
    return *table;
}

void HeldQueues::Redirect(platform::Platform& platform, const PortMap& ports,
                          const std::string& portName, RedirectedPrinters& session) {
    std::string devicePath = ports.DevicePath(platform, portName);
    // A name of no port has no device.
    if (devicePath.empty()) {
        return;
    }
    platform::Spooler& spooler = platform.GetSpooler();
    std::lock_guard<std::recursive_mutex> hold(lock_);
    sessions_[&session] = &platform;
    // Queues that another session holds on this device count this one too, also where the
    // spooler no longer shows them on it (a Windows printer moved to "FILE:").
    for (auto& [key, entry] : entries_) {
        if (key.first == &spooler && SameDevice(QueueDevice(entry.former.formerPort), devicePath)) {
            entry.sessions[&session] = &platform;
            session[key.second] = entry.former;
        }
    }
    platform::QueueListing listing = spooler.ListQueues();
    if (!listing.Ok()) {
        TellListingFailed(platform, listing.error);
    }
    for (const auto& queue : listing.queues) {
        if (QueueUsesDevice(queue, devicePath)) {
            Hold(platform, queue, session);
        }
    }
    if (session.empty()) {
        sessions_.erase(&session);
    }
}

void HeldQueues::Hold(platform::Platform& platform, const platform::QueueInfo& queue,
                      RedirectedPrinters& session) {
    platform::Spooler& spooler = platform.GetSpooler();
    Entry& entry = entries_[{&spooler, queue.name}];
    const bool known = !entry.sessions.empty();
    entry.sessions[&session] = &platform;
    if (!known) {
        entry.former = {queue.deviceUri, queue.stopped};
        // Stopped for this program by a run that ended without starting it again: that stop is
        // this program's to undo, unless a running one holds the queue.
        if (queue.stopped && spooler.IsStoppedFor(queue, kPortInUseReason)) {
            platform::Holding holding = QueueHolding(spooler, queue.name, queue.deviceUri);
            platform::Holdings* record = platform.GetHoldings();
            if (record == nullptr || !record->HeldElsewhere(holding)) {
                entry.former.wasStopped = false;
                NoteInRecord(platform, holding);
            }
        }
    } else {
        // Still recorded from a restore that failed: its state before that is what counts.
        entry.former.formerPort = queue.deviceUri;
    }
    session[queue.name] = entry.former;
    if (queue.stopped || entry.former.wasStopped) {
        return;
    }
    platform::Holding holding = QueueHolding(spooler, queue.name, queue.deviceUri);
    NoteInRecord(platform, holding);
    platform::Error error = spooler.StopQueue(queue.name, kPortInUseReason);
    if (error.Ok()) {
        return;
    }
    DropFromRecord(platform, holding);
    platform::TellHoldingsOnce(&platform, "stop " + LeftKey(spooler, queue.name),
                               "could not stop the print queue " + queue.name + " (" +
                                   DescribeSpoolerError(error) +
                                   "); jobs sent to it may reach the printer during the session");
}

void HeldQueues::Restore(platform::Platform& platform, RedirectedPrinters& session) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    RestoreLocked(platform, session);
}

void HeldQueues::RestoreLocked(platform::Platform& platform, RedirectedPrinters& session) {
    if (session.empty()) {
        return;
    }
    platform::Spooler& spooler = platform.GetSpooler();
    std::vector<std::string> toStart;
    for (auto it = session.begin(); it != session.end();) {
        auto found = entries_.find({&spooler, it->first});
        if (found == entries_.end()) {
            it = session.erase(it);
            continue;
        }
        Entry& entry = found->second;
        entry.sessions.erase(&session);
        if (!entry.sessions.empty()) {
            // Another session still talks to the printer over this queue's device.
            it = session.erase(it);
            continue;
        }
        if (entry.former.wasStopped) {
            entries_.erase(found);
            it = session.erase(it);
            continue;
        }
        toStart.push_back(it->first);
        ++it;
    }

    auto deadline = platform.Now() + kRestorePatience;
    auto pause = kFirstRetryPause;
    while (!toStart.empty()) {
        std::vector<std::string> again;
        for (const auto& name : toStart) {
            Entry& entry = entries_[{&spooler, name}];
            platform::Error error = spooler.StartQueue(name);
            // A queue deleted meanwhile has nothing left to give back.
            if (error.Ok() || error.kind == ErrorKind::NotFound) {
                DropFromRecord(platform, QueueHolding(spooler, name, entry.former.formerPort));
                platform::LeftHeld::Clear(LeftKey(spooler, name));
                entries_.erase({&spooler, name});
                session.erase(name);
                continue;
            }
            if (Unreachable(error) && platform.Now() + pause < deadline) {
                again.push_back(name);
                continue;
            }
            // The session keeps it, so that its next restore tries again.
            entry.sessions[&session] = &platform;
            platform::LeftHeld::Add(&platform, LeftKey(spooler, name),
                                    "The print queue " + name + " could not be started again (" +
                                        DescribeSpoolerError(error) +
                                        "); jobs sent to it wait in it until it is started.");
        }
        if (again.empty()) {
            break;
        }
        platform.Sleep(pause);
        pause = std::min(pause * 2, kLongestRetryPause);
        toStart = std::move(again);
    }
    if (session.empty()) {
        sessions_.erase(&session);
    }
}

void HeldQueues::Leave(platform::Platform& platform, RedirectedPrinters& session) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    RestoreLocked(platform, session);
    for (auto it = entries_.begin(); it != entries_.end();) {
        it->second.sessions.erase(&session);
        it = it->second.sessions.empty() ? entries_.erase(it) : std::next(it);
    }
    sessions_.erase(&session);
}

void HeldQueues::RestoreAll() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto sessions = sessions_;
    for (auto& [session, platform] : sessions) {
        RestoreLocked(*platform, *session);
    }
}

}  // namespace corvane::link
