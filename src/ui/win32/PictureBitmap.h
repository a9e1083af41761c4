#pragma once

#include "platform/win32/WinApi.h"
#include "resources/DialogTemplate.h"

namespace corvane::ui::win32 {

// Draws a picture into a new bitmap of the given size: scaled to fit without changing its
// proportions, centred on the window's background. The caller owns the bitmap (DeleteObject).
HBITMAP MakePictureBitmap(const resources::Picture& picture, int width, int height);

}  // namespace corvane::ui::win32
