#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::platform::test {

// A real pseudo-terminal: the program opens the slave as its serial port, the test plays the
// printer on the master.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();

    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slavePath_; }
    int Master() const { return master_; }

    // Sends bytes to the program.
    void Send(const std::vector<std::uint8_t>& bytes);
    // Collects what the program sent until count bytes came or timeout passed.
    std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds timeout);
    // The printer goes away: the program's end hangs up.
    void CloseMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace corvane::platform::test
