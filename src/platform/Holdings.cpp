#include "platform/Holdings.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/CarefulFile.h"

namespace corvane::platform {

namespace {

constexpr char kFirstLine[] = "corvane holdings 1";
// A record of a few entries; anything larger is not one of ours.
constexpr std::uint64_t kLargestRecord = 1 << 20;

const char* KindName(HoldingKind kind) {
    return kind == HoldingKind::Driver ? "driver" : "queue";
}

// Tabs and line ends separate the fields and entries; a name may hold any other character.
std::string Escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '%':
                escaped += "%25";
                break;
            case '\t':
                escaped += "%09";
                break;
            case '\n':
                escaped += "%0A";
                break;
            case '\r':
                escaped += "%0D";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr ==
                text.data() + i + 3) {
            plain += static_cast<char>(value);
            i += 2;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

}  // namespace

std::string FormatHoldings(const std::vector<Holding>& entries) {
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto& entry : entries) {
        text += std::string(KindName(entry.kind)) + "\t" + Escape(entry.place) + "\t" +
                Escape(entry.name) + "\t" + Escape(entry.detail) + "\t" +
                std::to_string(entry.owner.pid) + "\t" + Escape(entry.owner.started) + "\n";
    }
    return text;
}

std::vector<Holding> ParseHoldings(const std::string& text) {
    std::vector<Holding> entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields = Fields(line);
        if (fields.size() != 6 || (fields[0] != "queue" && fields[0] != "driver")) {
            continue;
        }
        Holding entry;
        entry.kind = fields[0] == "driver" ? HoldingKind::Driver : HoldingKind::Queue;
        entry.place = Unescape(fields[1]);
        entry.name = Unescape(fields[2]);
        entry.detail = Unescape(fields[3]);
        const std::string& pid = fields[4];
        if (std::from_chars(pid.data(), pid.data() + pid.size(), entry.owner.pid).ptr !=
            pid.data() + pid.size()) {
            continue;
        }
        entry.owner.started = Unescape(fields[5]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool Holdings::ReadRecord(std::string& text, std::string& why) {
    text.clear();
    std::error_code absent;
    if (std::filesystem::symlink_status(Path(), absent).type() ==
        std::filesystem::file_type::not_found) {
        return true;
    }
    FileRead read = ReadRegularFile(Path(), kLargestRecord);
    if (!read.ok) {
        why = read.error;
        return false;
    }
    text = std::move(read.content);
    return true;
}

bool Holdings::WriteRecord(const std::string& text, std::string& why) {
    return WriteFileWhole(Path(), text, why);
}

bool Holdings::Load(std::vector<Holding>& entries, std::string& why) {
    std::string text;
    if (!ReadRecord(text, why)) {
        return false;
    }
    entries = ParseHoldings(text);
    return true;
}

template <typename Change>
bool Holdings::Update(Change change, std::string& why) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!LockRecord(why)) {
        return false;
    }
    std::vector<Holding> entries;
    bool done = Load(entries, why);
    if (done && change(entries)) {
        done = WriteRecord(FormatHoldings(entries), why);
    }
    UnlockRecord();
    return done;
}

bool Holdings::Add(const Holding& holding, std::string& why) {
    Holding entry = holding;
    entry.owner = ThisProcess();
    return Update(
        [&](std::vector<Holding>& entries) {
            std::erase_if(entries, [&](const Holding& other) {
                return other.SameThing(entry) && other.owner == entry.owner;
            });
            entries.push_back(entry);
            return true;
        },
        why);
}

void Holdings::Remove(const Holding& thing) {
    const ProcessStamp self = ThisProcess();
    std::string why;
    Update(
        [&](std::vector<Holding>& entries) {
            return std::erase_if(entries, [&](const Holding& other) {
                       return other.SameThing(thing) && other.owner == self;
                   }) > 0;
        },
        why);
}

std::vector<Holding> Holdings::AdoptOrphans(const std::function<bool(const Holding&)>& mine) {
    const ProcessStamp self = ThisProcess();
    std::vector<Holding> adopted;
    std::string why;
    Update(
        [&](std::vector<Holding>& entries) {
            std::vector<Holding> kept;
            for (auto& entry : entries) {
                if (entry.owner == self || !mine(entry) || Running(entry.owner)) {
                    kept.push_back(std::move(entry));
                    continue;
                }
                // Two ended runs may have held the same queue in turn; it is given back once.
                bool twice = std::any_of(adopted.begin(), adopted.end(), [&](const Holding& other) {
                    return other.SameThing(entry);
                });
                if (!twice) {
                    adopted.push_back(entry);
                    entry.owner = self;
                    kept.push_back(std::move(entry));
                }
            }
            entries = std::move(kept);
            return !adopted.empty();
        },
        why);
    return adopted;
}

bool Holdings::HeldElsewhere(const Holding& thing) {
    const ProcessStamp self = ThisProcess();
    std::vector<Holding> entries;
    std::string why;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // A record that cannot be read may hold the entry: nothing is taken for an ended run's.
        if (!LockRecord(why)) {
            return true;
        }
        bool read = Load(entries, why);
        UnlockRecord();
        if (!read) {
            return true;
        }
    }
    return std::any_of(entries.begin(), entries.end(), [&](const Holding& entry) {
        return entry.SameThing(thing) && entry.owner != self && Running(entry.owner);
    });
}

std::vector<Holding> Holdings::Entries() {
    std::vector<Holding> entries;
    std::string why;
    std::lock_guard<std::mutex> hold(lock_);
    if (LockRecord(why)) {
        Load(entries, why);
        UnlockRecord();
    }
    return entries;
}

}  // namespace corvane::platform
