#include <gtest/gtest.h>

#include <random>

#include "Bytes.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

// Guards against a printer that crashes, hangs or hoards bytes on line noise.
TEST(Robustness, RandomBytesInRandomPiecesNeverStallTheDecoder) {
    for (Model model : {Model::Krt310, Model::Krt620}) {
        for (Emulation emulation : {Emulation::Native, Emulation::Other02}) {
            VirtualPrinter printer(model, emulation);
            std::mt19937 random(1234);
            // Bias towards the command introducers so that partial frames are common.
            const Bytes interesting = {0x08, 0x1B, 0x1D, 0x1F, 0x5E, 0x45, 0x50, 0x23,
                                       0x0A, 0x00, 0x01, 0x02, 0x30, 0x31, 0x41, 0x78};
            for (int round = 0; round < 2000; ++round) {
                Bytes piece(random() % 40);
                for (auto& byte : piece) {
                    byte = random() % 2 ? interesting[random() % interesting.size()]
                                        : static_cast<std::uint8_t>(random());
                }
                printer.Feed(piece);
                ASSERT_LE(printer.PendingBytes(), 69u);
            }
            // After the noise, a clean line-mode or identification exchange still works once
            // the line is flushed with line feeds.
            printer.Feed(Bytes(80, 0x0A));
            printer.State().selected = true;
            auto replies = printer.Feed(B({0x1D, 0x49, 0x42}));
            ASSERT_EQ(replies.size(), 1u);
            EXPECT_EQ(replies[0].front(), '_');
        }
    }
}

}  // namespace
}  // namespace corvane::sim::test
