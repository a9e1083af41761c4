#pragma once

#include <string>

#include "platform/Holdings.h"
#include "platform/posix/UniqueFd.h"

namespace corvane::platform::posix {

// The record of held things on Linux: a file "holdings" in a folder of this user's, locked with
// flock on "holdings.lock" beside it. A process is known by its id and by its start time from
// /proc/PID/stat with the boot's id, so that neither a later process with the same id nor one of
// another boot is taken for it.
class PosixHoldings final : public Holdings {
public:
    // This user's record: $XDG_RUNTIME_DIR/corvane/holdings, or where XDG_RUNTIME_DIR is unset,
    // /tmp/corvane-UID/holdings, in a folder that only this user may enter. It lives until the
    // program ends.
    static PosixHoldings& OfThisUser();
    // A record in a folder of the caller's choice, which is made when missing.
    explicit PosixHoldings(std::string folder);
    ~PosixHoldings() override;

    std::string Path() const override;
    ProcessStamp ThisProcess() override;
    // The stamp of the process with this id now; an empty start time when none runs.
    static ProcessStamp StampOf(long long pid);

protected:
    bool Running(const ProcessStamp& process) override;
    bool LockRecord(std::string& why) override;
    void UnlockRecord() override;

private:
    PosixHoldings() = default;

    std::string folder_;
    // Why the folder cannot be used; the record then stays unwritten.
    std::string folderProblem_;
    UniqueFd lockFile_;
};

}  // namespace corvane::platform::posix
