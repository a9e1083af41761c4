#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace corvane::resources {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

struct Point {
    double x = 0;
    double y = 0;
};

// A small software painter for the printer pictures: shapes are filled on a supersampled grid
// and averaged down, so edges come out smooth without any image files or toolkit.
class Canvas {
public:
    Canvas(int width, int height, Color background);

    void FillRect(double x, double y, double w, double h, Color color);
    void FillRoundRect(double x, double y, double w, double h, double radius, Color color);
    // A rectangle shaded from top to bottom.
    void FillGradientRect(double x, double y, double w, double h, Color top, Color bottom);
    void FillEllipse(double cx, double cy, double rx, double ry, Color color);
    void FillPolygon(const std::vector<Point>& points, Color color);
    // A polygon shaded from top to bottom over its own height.
    void FillGradientPolygon(const std::vector<Point>& points, Color top, Color bottom);
    void DrawLine(Point from, Point to, double thickness, Color color);
    // Upper-case letters, digits and " -/.()" in a 5 x 7 pixel font, each font pixel scale
    // picture pixels wide; returns the width drawn.
    double DrawText(double x, double y, std::string_view text, double scale, Color color);
    static double TextWidth(std::string_view text, double scale);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The picture as 8-bit RGB rows, top row first.
    std::vector<std::uint8_t> Rgb() const;

private:
    using Inside = std::function<bool(double x, double y)>;
    using Shade = std::function<Color(double x, double y)>;

    void Fill(double left, double top, double right, double bottom, const Inside& inside,
              const Shade& shade);
    void Blend(int index, Color color);

    int width_;
    int height_;
    std::vector<float> samples_;  // supersampled RGB
};

}  // namespace corvane::resources
