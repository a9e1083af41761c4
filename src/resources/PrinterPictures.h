#pragma once

#include <vector>

#include "resources/DialogTemplate.h"

namespace corvane::resources {

// Paints the printer pictures. The build runs this once and compiles the pixels into the
// program, so that no start of the window pays for the painting.
std::vector<Picture> DrawPrinterPictures();

}  // namespace corvane::resources
