#pragma once

#include "ui/Dialog.h"

namespace corvane::app {

// The borderless "Please wait" window shown while the manager reads the printer the first time.
class WaitDialog : public ui::Dialog {
public:
    static constexpr int kTemplateId = 101;

    WaitDialog() : ui::Dialog(kTemplateId) {}

    bool OnInitDialog() override;
};

}  // namespace corvane::app
