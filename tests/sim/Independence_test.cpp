#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane::sim {
namespace {

// Guards against the simulator borrowing the program's encoders or model table, which would let one
// mistake hide on both sides of the wire.
TEST(Independence, SimulatorNeitherIncludesNorLinksTheProtocolCode) {
    std::filesystem::path dir = CORVANE_SIM_SOURCE_DIR;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        std::string content = text.str();
        std::string name = entry.path().filename().string();
        if (name == "CMakeLists.txt") {
            EXPECT_EQ(content.find("corvane_protocol"), std::string::npos);
            EXPECT_EQ(content.find("corvane_link"), std::string::npos);
            EXPECT_EQ(content.find("corvane_product"), std::string::npos);
        } else {
            EXPECT_EQ(content.find("#include \"protocol/"), std::string::npos) << name;
            EXPECT_EQ(content.find("#include \"link/"), std::string::npos) << name;
            EXPECT_EQ(content.find("#include \"product/"), std::string::npos) << name;
        }
        ++files;
    }
    EXPECT_GT(files, 5);
}

}  // namespace
}  // namespace corvane::sim
