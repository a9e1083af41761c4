#pragma once

// The record of what running programs hold of the machine, so that what an ended run could not
// give back (it was killed, the power went) is given back by the next one.
//
// Before the program stops a print queue, moves a Windows printer to "FILE:" or takes a USB
// printer from its kernel driver, it writes an entry to a small per-user file, and it removes the
// entry once the thing is given back. Each entry names its owner by process id and the time the
// process started, so that a later process with the same id is not taken for the owner. The file
// is read and rewritten under a lock, and replaced whole, so that programs running at once never
// lose each other's entries.
//
// This class is the format and the rules; the operating system's half (where the file lives,
// how a process is known, locking) comes from the backend the build chose: PosixHoldings on
// Linux, Win32Holdings on Windows. The file itself is read and written through CarefulFile.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace corvane::platform {

// A process as the record knows it: its id and when it started, as the system tells it.
struct ProcessStamp {
    long long pid = 0;
    std::string started;

    friend bool operator==(const ProcessStamp&, const ProcessStamp&) = default;
};

enum class HoldingKind {
    Queue,   // a print queue stopped, or a Windows printer moved to "FILE:"
    Driver,  // a USB printer interface taken from its kernel driver
};

struct Holding {
    HoldingKind kind = HoldingKind::Queue;
    // Queue: the spooler's location (Spooler::Location); driver: empty.
    std::string place;
    // Queue: its name; driver: the device path, such as /dev/bus/usb/001/002.
    std::string name;
    // Queue: the device it printed to before; driver: what the backend needs to bind it again.
    std::string detail;
    ProcessStamp owner;

    bool SameThing(const Holding& other) const {
        return kind == other.kind && place == other.place && name == other.name;
    }
};

class Holdings {
public:
    virtual ~Holdings() = default;

    Holdings(const Holdings&) = delete;
    Holdings& operator=(const Holdings&) = delete;

    // Notes that this process holds something, before it takes it; an entry of this process for
    // the same thing is replaced. False, with why, when the record cannot be written.
    bool Add(const Holding& holding, std::string& why);
    // Forgets this process's entry for the thing, once it is given back.
    void Remove(const Holding& thing);
    // The entries whose owners have ended, as those owners left them. They belong to this
    // process from here on, so that two programs starting at once never give back the same
    // thing twice; this process removes each once it is given back, or leaves it to the next
    // start when it ends first.
    // Only entries that mine accepts are taken; the others wait for a process that can give
    // them back (one that reaches their spooler).
    std::vector<Holding> AdoptOrphans(const std::function<bool(const Holding&)>& mine);
    // Whether a running process other than this one holds the thing.
    bool HeldElsewhere(const Holding& thing);
    // Every entry, as the file has it now.
    std::vector<Holding> Entries();

    // Where the record is kept, for messages.
    virtual std::string Path() const = 0;
    // This process, as its entries name it.
    virtual ProcessStamp ThisProcess() = 0;

protected:
    Holdings() = default;

    // Whether the process still runs (a later one with its id does not count).
    virtual bool Running(const ProcessStamp& process) = 0;
    // Takes the lock that other programs honour, waiting a bounded time; false with why.
    virtual bool LockRecord(std::string& why) = 0;
    virtual void UnlockRecord() = 0;
    // The file's text; an absent file reads as empty. False with why. The file at Path() is
    // read through ReadRegularFile unless a backend keeps the record elsewhere.
    virtual bool ReadRecord(std::string& text, std::string& why);
    // Replaces the file with text at once, so that a reader sees the old text or the new one:
    // WriteFileWhole unless a backend keeps the record elsewhere.
    virtual bool WriteRecord(const std::string& text, std::string& why);

private:
    // Reads the entries under the lock, lets change alter them and writes them back when it
    // returns true. False with why when the record could not be read or written.
    template <typename Change>
    bool Update(Change change, std::string& why);
    bool Load(std::vector<Holding>& entries, std::string& why);

    std::mutex lock_;
};

// The record's text: a first line that names the format, then one line per entry.
std::string FormatHoldings(const std::vector<Holding>& entries);
// The entries of a record's text; lines that are not entries are left out.
std::vector<Holding> ParseHoldings(const std::string& text);

}  // namespace corvane::platform
