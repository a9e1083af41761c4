#include <string_view>
#include <vector>

#include "resources/Canvas.h"
#include "resources/DialogTemplate.h"
#include "resources/PrinterPictures.h"

namespace corvane::resources {

namespace {

constexpr int kKrt310PictureId = 151;
constexpr int kKrt620PictureId = 157;
constexpr int kPictureWidth = 176;
constexpr int kPictureHeight = 203;

// A point on a box face: origin plus u along the front edge and v along the depth.
Point On(Point origin, Point across, Point depth, double u, double v) {
    return {origin.x + across.x * u + depth.x * v, origin.y + across.y * u + depth.y * v};
}

void DrawBackdrop(Canvas& canvas) {
    canvas.FillGradientRect(0, 0, kPictureWidth, kPictureHeight, {250, 251, 253}, {221, 225, 232});
    canvas.FillEllipse(92, 166, 76, 9, {20, 24, 32, 70});
    canvas.FillEllipse(92, 165, 62, 6, {20, 24, 32, 50});
}

void DrawCaption(Canvas& canvas, std::string_view name) {
    const double scale = 2;
    const double x = (kPictureWidth - Canvas::TextWidth(name, scale)) / 2;
    canvas.DrawText(x, 180, name, scale, {38, 48, 64});
}

// Printed lines on a receipt, running parallel to its top edge.
void DrawReceiptLines(Canvas& canvas, Point topLeft, Point across, Point down, int count) {
    const double lengths[] = {0.7, 0.45, 0.8, 0.6, 0.3, 0.75};
    for (int i = 0; i < count; ++i) {
        const double v = 0.18 + i * 0.14;
        const double length = lengths[i % 6];
        const Point from{topLeft.x + across.x * 0.12 + down.x * v,
                         topLeft.y + across.y * 0.12 + down.y * v};
        const Point to{from.x + across.x * length * 0.76, from.y + across.y * length * 0.76};
        canvas.DrawLine(from, to, 1.2, {120, 124, 132});
    }
}

// The KRT-310 family: a low, deep, charcoal printer with a clamshell lid and the receipt rising
// from a slot in front of the lid.
Picture DrawKrt310() {
    Canvas canvas(kPictureWidth, kPictureHeight, {255, 255, 255});
    DrawBackdrop(canvas);

    const Point frontLeft{24, 98};
    const Point across{104, 0};
    const Point depth{32, -28};
    const double frontHeight = 62;
    auto top = [&](double u, double v) { return On(frontLeft, across, depth, u, v); };

    // Base plinth.
    canvas.FillRoundRect(26, 156, 102, 6, 2, {28, 30, 34});
    // Right side and front faces.
    canvas.FillGradientPolygon({top(1, 0),
                                top(1, 1),
                                {top(1, 1).x, top(1, 1).y + frontHeight - 2},
                                {top(1, 0).x, top(1, 0).y + frontHeight}},
                               {44, 47, 52}, {30, 32, 36});
    canvas.FillGradientPolygon({top(0, 0),
                                top(1, 0),
                                {top(1, 0).x, top(1, 0).y + frontHeight},
                                {top(0, 0).x, top(0, 0).y + frontHeight}},
                               {78, 83, 90}, {50, 53, 58});
    // Top face, with the lid over the paper roll behind the slot.
    canvas.FillPolygon({top(0, 0), top(1, 0), top(1, 1), top(0, 1)}, {96, 102, 110});
    canvas.FillGradientPolygon({top(0.04, 0.34), top(0.96, 0.34), top(0.96, 0.94), top(0.04, 0.94)},
                               {146, 152, 160}, {116, 122, 130});
    canvas.DrawLine(top(0.04, 0.34), top(0.96, 0.34), 1.2, {172, 178, 186});
    // Lid release lever on the side.
    canvas.FillRoundRect(top(1, 0.5).x - 6, top(1, 0.5).y + 6, 5, 12, 2, {150, 40, 36});
    // Edge highlights.
    canvas.DrawLine(top(0, 0), top(1, 0), 1.0, {140, 146, 154});
    canvas.DrawLine(top(1, 0), top(1, 1), 0.8, {120, 126, 134});

    // The receipt rising from the slot, leaning back.
    const Point paperLeft = top(0.16, 0.26);
    const Point paperRight = top(0.84, 0.26);
    const Point rise{5, -44};
    canvas.FillGradientPolygon({paperLeft,
                                paperRight,
                                {paperRight.x + rise.x, paperRight.y + rise.y},
                                {paperRight.x + rise.x - 6, paperRight.y + rise.y - 3},
                                {paperLeft.x + rise.x - 6, paperLeft.y + rise.y - 3}},
                               {255, 255, 255}, {232, 234, 238});
    canvas.DrawLine({paperRight.x, paperRight.y}, {paperRight.x + rise.x, paperRight.y + rise.y},
                    0.8, {180, 184, 190});
    DrawReceiptLines(canvas, {paperLeft.x + rise.x - 6, paperLeft.y + rise.y - 3},
                     {paperRight.x - paperLeft.x, 0}, {-rise.x + 6, -rise.y + 3}, 5);
    // The slot and its tear bar.
    canvas.DrawLine(top(0.1, 0.24), top(0.9, 0.24), 3.0, {22, 23, 26});
    canvas.DrawLine(top(0.1, 0.2), top(0.9, 0.2), 1.2, {196, 200, 206});

    // Name plate, power light and feed button on the front.
    const double frontTop = frontLeft.y;
    canvas.DrawText(32, frontTop + 9, "VANTORA", 1, {176, 182, 190});
    canvas.DrawText(32, frontTop + 21, "KRT-310", 1.6, {255, 255, 255});
    canvas.FillEllipse(113, frontTop + 12, 4.5, 4.5, {80, 220, 110, 60});
    canvas.FillEllipse(113, frontTop + 12, 2.4, 2.4, {90, 230, 120});
    canvas.FillRoundRect(104, frontTop + 38, 18, 9, 3, {30, 32, 36});
    canvas.FillRoundRect(105, frontTop + 38.5, 16, 7.5, 3, {104, 110, 118});
    canvas.DrawText(106.5, frontTop + 50, "FEED", 0.65, {150, 156, 164});

    DrawCaption(canvas, "KRT-310/310II");
    return {kKrt310PictureId, kPictureWidth, kPictureHeight, canvas.Rgb(), "KRT-310/310II printer"};
}

// The KRT-620: a taller, light printer with a blue name band and the receipt hanging from a
// slot in its front.
Picture DrawKrt620() {
    Canvas canvas(kPictureWidth, kPictureHeight, {255, 255, 255});
    DrawBackdrop(canvas);

    const Point frontLeft{32, 72};
    const Point across{90, 0};
    const Point depth{28, -24};
    const double frontHeight = 86;
    auto top = [&](double u, double v) { return On(frontLeft, across, depth, u, v); };

    canvas.FillRoundRect(34, 155, 88, 6, 2, {70, 72, 78});
    canvas.FillGradientPolygon({top(1, 0),
                                top(1, 1),
                                {top(1, 1).x, top(1, 1).y + frontHeight - 2},
                                {top(1, 0).x, top(1, 0).y + frontHeight}},
                               {196, 193, 186}, {168, 165, 158});
    canvas.FillGradientPolygon({top(0, 0),
                                top(1, 0),
                                {top(1, 0).x, top(1, 0).y + frontHeight},
                                {top(0, 0).x, top(0, 0).y + frontHeight}},
                               {240, 238, 232}, {210, 207, 200});
    canvas.FillPolygon({top(0, 0), top(1, 0), top(1, 1), top(0, 1)}, {248, 247, 243});
    // Lid seam and finger grip on the top.
    canvas.DrawLine(top(0.03, 0.42), top(0.97, 0.42), 1.0, {178, 175, 168});
    canvas.FillPolygon({top(0.38, 0.42), top(0.62, 0.42), top(0.58, 0.30), top(0.42, 0.30)},
                       {214, 211, 204});
    canvas.DrawLine(top(0, 0), top(1, 0), 1.0, {255, 255, 255});
    canvas.DrawLine(top(1, 0), {top(1, 0).x, top(1, 0).y + frontHeight}, 0.8, {160, 157, 150});

    // Blue name band.
    const double frontTop = frontLeft.y;
    canvas.FillGradientRect(frontLeft.x, frontTop + 8, across.x, 18, {44, 100, 178}, {26, 72, 140});
    const double nameScale = 1.6;
    canvas.DrawText(frontLeft.x + (across.x - Canvas::TextWidth("KRT-620", nameScale)) / 2,
                    frontTop + 11.5, "KRT-620", nameScale, {255, 255, 255});
    canvas.DrawText(40, frontTop + 32, "VANTORA", 1, {92, 98, 110});
    // Status lights and two buttons.
    canvas.FillEllipse(101, frontTop + 35.5, 2.2, 2.2, {60, 200, 96});
    canvas.FillEllipse(109, frontTop + 35.5, 2.2, 2.2, {240, 150, 40});
    canvas.FillRoundRect(98, frontTop + 42, 8, 5, 2, {130, 134, 142});
    canvas.FillRoundRect(108, frontTop + 42, 8, 5, 2, {130, 134, 142});

    // Front slot with the receipt hanging out of it.
    const double slotY = frontTop + 52;
    canvas.FillRoundRect(42, slotY - 1.5, 70, 4, 1.5, {36, 38, 44});
    canvas.FillGradientPolygon({{46, slotY}, {108, slotY}, {111, slotY + 34}, {43, slotY + 34}},
                               {255, 255, 255}, {236, 238, 242});
    canvas.DrawLine({108, slotY}, {111, slotY + 34}, 0.8, {186, 190, 196});
    canvas.DrawLine({43, slotY + 34}, {111, slotY + 34}, 0.8, {196, 200, 206});
    DrawReceiptLines(canvas, {45, slotY + 2}, {64, 0}, {0, 32}, 5);

    DrawCaption(canvas, "KRT-620");
    return {kKrt620PictureId, kPictureWidth, kPictureHeight, canvas.Rgb(), "KRT-620 printer"};
}

}  // namespace

std::vector<Picture> DrawPrinterPictures() {
    return {DrawKrt310(), DrawKrt620()};
}

}  // namespace corvane::resources
