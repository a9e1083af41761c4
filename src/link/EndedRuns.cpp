#include "link/EndedRuns.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "link/HeldQueues.h"
#include "link/SpoolerPorts.h"
#include "platform/Holdings.h"
#include "platform/LeftHeld.h"
#include "platform/Spooler.h"

namespace corvane::link {

namespace {

using platform::ErrorKind;
using platform::Holding;

std::string EndedRun(const Holding& holding) {
    return "an ended run of the program (process " + std::to_string(holding.owner.pid) + ")";
}

// True when the entry is done with: given back, gone, or no longer this program's to give back.
bool GiveBackQueue(platform::Platform& platform, const Holding& holding,
                   const platform::QueueListing& listing, platform::Holdings& record,
                   int& givenBack) {
    platform::Spooler& spooler = platform.GetSpooler();
    auto queue = std::find_if(listing.queues.begin(), listing.queues.end(),
                              [&](const platform::QueueInfo& q) { return q.name == holding.name; });
    if (queue == listing.queues.end() || record.HeldElsewhere(holding) ||
        !spooler.IsStoppedFor(*queue, kPortInUseReason)) {
        return true;
    }
    platform::Error error = spooler.StartQueueOf(holding.name, holding.detail);
    if (!error.Ok() && error.kind != ErrorKind::NotFound) {
        platform::TellHoldings(&platform, "The print queue " + holding.name + ", which " +
                                              EndedRun(holding) +
                                              " stopped, could not be started again (" +
                                              DescribeSpoolerError(error) + ").");
        return false;
    }
    ++givenBack;
    platform::TellHoldings(&platform, "Started the print queue " + holding.name + " again, which " +
                                          EndedRun(holding) + " had stopped.");
    return true;
}

bool GiveBackDriver(platform::Platform& platform, const Holding& holding,
                    platform::Holdings& record, int& givenBack) {
    if (record.HeldElsewhere(holding)) {
        return true;
    }
    platform::Error error = platform.GiveBackDriver(holding);
    if (error.Ok()) {
        ++givenBack;
        platform::TellHoldings(&platform, "Gave the USB printer at " + holding.name +
                                              " back to its kernel driver, which " +
                                              EndedRun(holding) + " had taken from it.");
        return true;
    }
    // Nothing to give back (unplugged, served again), or a program holds it now.
    if (error.kind == ErrorKind::NotFound || error.kind == ErrorKind::Busy ||
        error.kind == ErrorKind::InvalidArgument) {
        return true;
    }
    if (error.kind != ErrorKind::Unsupported) {
        platform::TellHoldings(&platform, "The USB printer at " + holding.name + ", which " +
                                              EndedRun(holding) +
                                              " took from its kernel driver, could not be given "
                                              "back to it (" +
                                              platform::ToString(error.kind) + ").");
    }
    return false;
}

}  // namespace

int GiveBackAfterEndedRuns(platform::Platform& platform) {
    platform::Holdings* record = platform.GetHoldings();
    if (record == nullptr) {
        return 0;
    }
    // The spooler is asked where it is only when an entry of a queue needs it.
    std::optional<std::string> location;
    auto mine = [&](const Holding& holding) {
        if (holding.kind == platform::HoldingKind::Driver) {
            return true;
        }
        if (!location) {
            location = platform.GetSpooler().Location();
        }
        return holding.place == *location;
    };
    std::vector<Holding> orphans = record->AdoptOrphans(mine);
    if (orphans.empty()) {
        return 0;
    }
    int givenBack = 0;
    platform::QueueListing listing;
    bool listed = false;
    for (const Holding& holding : orphans) {
        bool done = false;
        if (holding.kind == platform::HoldingKind::Driver) {
            done = GiveBackDriver(platform, holding, *record, givenBack);
        } else {
            if (!listed) {
                listing = platform.GetSpooler().ListQueues();
                listed = true;
            }
            // A spooler that does not answer now is asked again at the next start or Connect.
            done = listing.Ok() && GiveBackQueue(platform, holding, listing, *record, givenBack);
        }
        if (done) {
            record->Remove(holding);
        }
    }
    return givenBack;
}

}  // namespace corvane::link
