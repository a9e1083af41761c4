#include "ui/win32/PictureBitmap.h"

#include <algorithm>
#include <vector>

namespace corvane::ui::win32 {

HBITMAP MakePictureBitmap(const resources::Picture& picture, int width, int height) {
    if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC canvas = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr || canvas == nullptr) {
        if (canvas != nullptr) {
            DeleteDC(canvas);
        }
        return bitmap;
    }
    HGDIOBJ previous = SelectObject(canvas, bitmap);
    RECT all{0, 0, width, height};
    FillRect(canvas, &all, GetSysColorBrush(COLOR_BTNFACE));

    // Device-independent rows are bottom-up and blue first, each padded to four bytes.
    const int stride = (picture.width * 3 + 3) & ~3;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* source =
            picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3;
        std::uint8_t* target =
            rows.data() + static_cast<std::size_t>(picture.height - 1 - y) * stride;
        for (int x = 0; x < picture.width; ++x) {
            target[x * 3] = source[x * 3 + 2];
            target[x * 3 + 1] = source[x * 3 + 1];
            target[x * 3 + 2] = source[x * 3];
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    const double scale = std::min(static_cast<double>(width) / picture.width,
                                  static_cast<double>(height) / picture.height);
    const int drawnWidth = std::max(1, static_cast<int>(picture.width * scale + 0.5));
    const int drawnHeight = std::max(1, static_cast<int>(picture.height * scale + 0.5));
    SetStretchBltMode(canvas, HALFTONE);
    SetBrushOrgEx(canvas, 0, 0, nullptr);
    StretchDIBits(canvas, (width - drawnWidth) / 2, (height - drawnHeight) / 2, drawnWidth,
                  drawnHeight, 0, 0, picture.width, picture.height, rows.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(canvas, previous);
    DeleteDC(canvas);
    return bitmap;
}

}  // namespace corvane::ui::win32
