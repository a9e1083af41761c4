#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template101Ids.h"

namespace corvane::resources {

// The borderless "Please wait" window shown while the manager reads the printer first.
DialogTemplate MakeTemplate101() {
    using namespace template101;
    DialogTemplate t;
    t.id = kTemplateId;
    t.width = 186;
    t.height = 34;
    t.style = kPopup | kThinBorder;
    t.controls = {
        build::Label("Please wait....  During Initializing", {19, 12, 129, 8}, kAlignLeft),
    };
    return t;
}

}  // namespace corvane::resources
