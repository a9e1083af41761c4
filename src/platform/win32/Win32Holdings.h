#pragma once

#include <string>

#include "platform/Holdings.h"
#include "platform/win32/UniqueHandle.h"

namespace corvane::platform::win32 {

// The record of held things on Windows: a file "holdings" in the user's local application data
// (%LOCALAPPDATA%\Corvane), locked with LockFileEx on "holdings.lock" beside it. A process is
// known by its id and its creation time (GetProcessTimes), so that a later process with the same
// id is not taken for it.
class Win32Holdings final : public Holdings {
public:
    // This user's record, which lives until the program ends.
    static Win32Holdings& OfThisUser();
    // A record in a folder of the caller's choice, which is made when missing.
    explicit Win32Holdings(std::string folder);
    ~Win32Holdings() override;

    std::string Path() const override;
    ProcessStamp ThisProcess() override;

protected:
    bool Running(const ProcessStamp& process) override;
    bool LockRecord(std::string& why) override;
    void UnlockRecord() override;

private:
    std::string folder_;
    UniqueHandle lockFile_;
};

}  // namespace corvane::platform::win32
