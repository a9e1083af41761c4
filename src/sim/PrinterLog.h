#pragma once

// What the simulated printer did: the lines it printed and one line per command it took.

#include <string>
#include <vector>

namespace corvane::sim {

class PrinterLog {
public:
    // What the printer printed, as readable lines, in order.
    const std::vector<std::string>& Printout() const { return printout_; }
    // One line per command the printer took, with what it did or why it ignored it.
    const std::vector<std::string>& Commands() const { return commands_; }

    void Log(std::string line) { commands_.push_back(std::move(line)); }
    void Ignore(const std::string& what, const std::string& why);
    void Print(std::string line) { printout_.push_back(std::move(line)); }

    // Gathers text for the line the next line feed prints.
    void AddText(const std::string& text) { pendingText_ += text; }
    // Prints the gathered text as a line, an empty one when nothing was gathered.
    void LineFeed();
    // Prints the gathered text, if any, before something the printer prints by itself.
    void FlushText();
    // Drops the gathered text, as initializing the printer does.
    void DiscardText() { pendingText_.clear(); }

    // Forgets the printout and the commands; gathered text stays.
    void Clear();

private:
    std::string pendingText_;
    std::vector<std::string> printout_;
    std::vector<std::string> commands_;
};

}  // namespace corvane::sim
