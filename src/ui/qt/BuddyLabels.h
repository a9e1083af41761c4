#pragma once

#include <string>

#include "resources/DialogTemplate.h"

namespace corvane::ui::qt {

// The text that names a control without a caption of its own (a list, an edit field, a progress
// bar): the nearest label, check box or radio to its left on the same row, else the nearest label
// or check box just above it, else the smallest group box around it. Null when there is none.
const resources::ControlTemplate* FindBuddyLabel(const resources::DialogTemplate& dialogTemplate,
                                                 const resources::ControlTemplate& control);

// The name a screen reader gives a control: its caption; for a control without one, the text
// beside it, and for a captionless radio or check box in a grid its row and column heads.
std::string AccessibleNameFor(const resources::DialogTemplate& dialogTemplate,
                              const resources::ControlTemplate& control);

}  // namespace corvane::ui::qt
