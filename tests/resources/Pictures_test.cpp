#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>

#include "resources/Canvas.h"
#include "resources/DialogTemplate.h"

namespace corvane::resources {
namespace {

TEST(PrinterPictures, BothModelsAre176By203FullColourPictures) {
    for (int id : {151, 157}) {
        const Picture* picture = FindPicture(id);
        ASSERT_NE(picture, nullptr) << id;
        EXPECT_EQ(picture->id, id);
        EXPECT_EQ(picture->width, 176);
        EXPECT_EQ(picture->height, 203);
        EXPECT_EQ(picture->rgb.size(), 176u * 203u * 3u);
        EXPECT_FALSE(picture->description.empty());
        std::set<std::tuple<int, int, int>> colours;
        for (std::size_t i = 0; i + 2 < picture->rgb.size(); i += 3) {
            colours.emplace(picture->rgb[i], picture->rgb[i + 1], picture->rgb[i + 2]);
        }
        // A drawing, not a flat fill.
        EXPECT_GT(colours.size(), 200u) << id;
    }
    EXPECT_EQ(FindPicture(0), nullptr);
    EXPECT_EQ(FindPicture(152), nullptr);
}

TEST(PrinterPictures, TheTwoModelsLookClearlyDifferent) {
    const Picture* krt310 = FindPicture(151);
    const Picture* krt620 = FindPicture(157);
    ASSERT_NE(krt310, nullptr);
    ASSERT_NE(krt620, nullptr);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < krt310->rgb.size(); i += 3) {
        const int delta = std::abs(krt310->rgb[i] - krt620->rgb[i]) +
                          std::abs(krt310->rgb[i + 1] - krt620->rgb[i + 1]) +
                          std::abs(krt310->rgb[i + 2] - krt620->rgb[i + 2]);
        if (delta > 60) {
            ++differing;
        }
    }
    EXPECT_GT(differing, krt310->rgb.size() / 3 / 10);
}

TEST(Canvas, FillsWholePixelsExactlyAndBlendsEdgesByCoverage) {
    Canvas canvas(4, 2, {0, 0, 0});
    canvas.FillRect(1, 0, 2, 1, {200, 100, 40});
    canvas.FillRect(0, 1, 0.5, 1, {200, 200, 200});
    const std::vector<std::uint8_t> rgb = canvas.Rgb();
    auto pixel = [&rgb](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y * 4 + x) * 3;
        return std::make_tuple(rgb[i], rgb[i + 1], rgb[i + 2]);
    };
    EXPECT_EQ(pixel(0, 0), std::make_tuple(0, 0, 0));
    EXPECT_EQ(pixel(1, 0), std::make_tuple(200, 100, 40));
    EXPECT_EQ(pixel(2, 0), std::make_tuple(200, 100, 40));
    EXPECT_EQ(pixel(3, 0), std::make_tuple(0, 0, 0));
    // Half a pixel covered gives half the colour.
    EXPECT_EQ(pixel(0, 1), std::make_tuple(100, 100, 100));
}

TEST(Canvas, ShapesOutsideThePictureAreClippedNotWrittenPastIt) {
    Canvas canvas(3, 3, {10, 20, 30});
    canvas.FillRect(-5, -5, 4, 20, {255, 255, 255});
    canvas.FillEllipse(50, 50, 10, 10, {255, 0, 0});
    canvas.DrawText(-100, 1, "KRT", 3, {0, 255, 0});
    const std::vector<std::uint8_t> rgb = canvas.Rgb();
    ASSERT_EQ(rgb.size(), 27u);
    EXPECT_EQ(rgb[2 * 3], 10);  // top-right pixel untouched
}

}  // namespace
}  // namespace corvane::resources
