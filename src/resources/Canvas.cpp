#include "resources/Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace corvane::resources {

namespace {

// Samples per picture pixel along each axis.
constexpr int kScale = 4;

struct Glyph {
    char c;
    std::array<const char*, 7> rows;
};

// clang-format off
constexpr Glyph kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'-', {".....", ".....", ".....", ".###.", ".....", ".....", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'(', {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."}},
    {')', {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};
// clang-format on

constexpr double kAdvance = 6;  // font pixels per character, gap included

const Glyph* FindGlyph(char c) {
    for (const auto& glyph : kFont) {
        if (glyph.c == c) {
            return &glyph;
        }
    }
    return nullptr;
}

// Crossing-number test; good for the simple outlines these pictures use.
bool InsidePolygon(const std::vector<Point>& points, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const Point& a = points[i];
        const Point& b = points[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

Color Mix(Color top, Color bottom, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
    };
    return {channel(top.r, bottom.r), channel(top.g, bottom.g), channel(top.b, bottom.b),
            channel(top.a, bottom.a)};
}

}  // namespace

Canvas::Canvas(int width, int height, Color background)
    : width_(width),
      height_(height),
      samples_(static_cast<std::size_t>(width) * height * kScale * kScale * 3) {
    for (std::size_t i = 0; i < samples_.size(); i += 3) {
        samples_[i] = background.r;
        samples_[i + 1] = background.g;
        samples_[i + 2] = background.b;
    }
}

void Canvas::Blend(int index, Color color) {
    const float alpha = color.a / 255.0f;
    float* sample = &samples_[static_cast<std::size_t>(index) * 3];
    sample[0] += (color.r - sample[0]) * alpha;
    sample[1] += (color.g - sample[1]) * alpha;
    sample[2] += (color.b - sample[2]) * alpha;
}

void Canvas::Fill(double left, double top, double right, double bottom, const Inside& inside,
                  const Shade& shade) {
    const int sampleWidth = width_ * kScale;
    const int sampleHeight = height_ * kScale;
    const int x0 = std::max(0, static_cast<int>(std::floor(left * kScale)));
    const int y0 = std::max(0, static_cast<int>(std::floor(top * kScale)));
    const int x1 = std::min(sampleWidth, static_cast<int>(std::ceil(right * kScale)));
    const int y1 = std::min(sampleHeight, static_cast<int>(std::ceil(bottom * kScale)));
    for (int sy = y0; sy < y1; ++sy) {
        const double y = (sy + 0.5) / kScale;
        for (int sx = x0; sx < x1; ++sx) {
            const double x = (sx + 0.5) / kScale;
            if (inside(x, y)) {
                Blend(sy * sampleWidth + sx, shade(x, y));
            }
        }
    }
}

void Canvas::FillRect(double x, double y, double w, double h, Color color) {
    Fill(
        x, y, x + w, y + h, [](double, double) { return true; },
        [color](double, double) { return color; });
}

void Canvas::FillGradientRect(double x, double y, double w, double h, Color top, Color bottom) {
    Fill(
        x, y, x + w, y + h, [](double, double) { return true; },
        [=](double, double py) { return Mix(top, bottom, (py - y) / h); });
}

void Canvas::FillRoundRect(double x, double y, double w, double h, double radius, Color color) {
    const double r = std::min({radius, w / 2, h / 2});
    Fill(
        x, y, x + w, y + h,
        [=](double px, double py) {
            const double cx = std::clamp(px, x + r, x + w - r);
            const double cy = std::clamp(py, y + r, y + h - r);
            return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r;
        },
        [color](double, double) { return color; });
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, Color color) {
    Fill(
        cx - rx, cy - ry, cx + rx, cy + ry,
        [=](double px, double py) {
            const double dx = (px - cx) / rx;
            const double dy = (py - cy) / ry;
            return dx * dx + dy * dy <= 1.0;
        },
        [color](double, double) { return color; });
}

void Canvas::FillPolygon(const std::vector<Point>& points, Color color) {
    FillGradientPolygon(points, color, color);
}

void Canvas::FillGradientPolygon(const std::vector<Point>& points, Color top, Color bottom) {
    if (points.size() < 3) {
        return;
    }
    double left = points[0].x, right = points[0].x, upper = points[0].y, lower = points[0].y;
    for (const auto& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        upper = std::min(upper, p.y);
        lower = std::max(lower, p.y);
    }
    const double height = std::max(lower - upper, 1e-9);
    Fill(
        left, upper, right, lower,
        [&points](double px, double py) { return InsidePolygon(points, px, py); },
        [=](double, double py) { return Mix(top, bottom, (py - upper) / height); });
}

void Canvas::DrawLine(Point from, Point to, double thickness, Color color) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (length <= 0) {
        return;
    }
    const double nx = -dy / length * thickness / 2;
    const double ny = dx / length * thickness / 2;
    FillPolygon({{from.x + nx, from.y + ny},
                 {to.x + nx, to.y + ny},
                 {to.x - nx, to.y - ny},
                 {from.x - nx, from.y - ny}},
                color);
}

double Canvas::TextWidth(std::string_view text, double scale) {
    if (text.empty()) {
        return 0;
    }
    return (text.size() * kAdvance - 1) * scale;
}

double Canvas::DrawText(double x, double y, std::string_view text, double scale, Color color) {
    double penX = x;
    for (const char c : text) {
        if (const Glyph* glyph = FindGlyph(c)) {
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    if (glyph->rows[row][col] == '#') {
                        FillRect(penX + col * scale, y + row * scale, scale, scale, color);
                    }
                }
            }
        }
        penX += kAdvance * scale;
    }
    return TextWidth(text, scale);
}

std::vector<std::uint8_t> Canvas::Rgb() const {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width_) * height_ * 3);
    const int sampleWidth = width_ * kScale;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                float sum = 0;
                for (int sy = 0; sy < kScale; ++sy) {
                    for (int sx = 0; sx < kScale; ++sx) {
                        const int index = (y * kScale + sy) * sampleWidth + x * kScale + sx;
                        sum += samples_[static_cast<std::size_t>(index) * 3 + channel];
                    }
                }
                const float mean = sum / (kScale * kScale);
                rgb[(static_cast<std::size_t>(y) * width_ + x) * 3 + channel] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(mean), 0L, 255L));
            }
        }
    }
    return rgb;
}

}  // namespace corvane::resources
