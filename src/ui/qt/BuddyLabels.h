#pragma once

#include "resources/DialogTemplate.h"

namespace corvane::ui::qt {

// The text that names a control without a caption of its own (a list, an edit field, a progress
// bar): the nearest label or check box to its left on the same row, else the nearest one just
// above it. Null when there is none.
const resources::ControlTemplate* FindBuddyLabel(const resources::DialogTemplate& dialogTemplate,
                                                 const resources::ControlTemplate& control);

}  // namespace corvane::ui::qt
