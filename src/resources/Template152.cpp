#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template152Ids.h"

namespace corvane::resources {

// The line-mode baud rate dialog of a KRT-310 family printer in the "Other" emulation.
DialogTemplate MakeTemplate152() {
    using namespace build;
    using namespace template152;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Other Corvane";
    t.width = 180;
    t.height = 126;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("Baudrate", {7, 7, 166, 88}),
        Radio(k1200Radio, "1200 bps", {20, 20, 80, 10}, kFirstInGroup),
        Radio(k2400Radio, "2400 bps", {20, 34, 80, 10}),
        Radio(k4800Radio, "4800 bps", {20, 48, 80, 10}),
        Radio(k9600Radio, "9600 bps", {20, 62, 80, 10}),
        Radio(k19200Radio, "19200 bps", {20, 76, 80, 10}),
        Button(kSet, "Set status of memory switch", {7, 102, 110, 16}),
        Button(kClose, "Close", {121, 102, 52, 16}),
    };
    return t;
}

}  // namespace corvane::resources
