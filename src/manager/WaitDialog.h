#pragma once

#include "resources/Template101Ids.h"
#include "ui/Dialog.h"

namespace corvane::manager {

// The borderless "Please wait" window shown while the manager reads the printer the first time.
class WaitDialog : public ui::Dialog {
public:
    WaitDialog() : ui::Dialog(resources::template101::kTemplateId) {}

    bool OnInitDialog() override;
};

}  // namespace corvane::manager
