#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"

namespace corvane::resources {

// The line-mode baud rate dialog of a KRT-310 family printer in the "Other" emulation.
DialogTemplate MakeTemplate152() {
    using namespace build;
    DialogTemplate t;
    t.id = 152;
    t.caption = "Other Corvane";
    t.width = 180;
    t.height = 126;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("Baudrate", {7, 7, 166, 88}),
        Radio(74, "1200 bps", {20, 20, 80, 10}, kFirstInGroup),
        Radio(75, "2400 bps", {20, 34, 80, 10}),
        Radio(76, "4800 bps", {20, 48, 80, 10}),
        Radio(77, "9600 bps", {20, 62, 80, 10}),
        Radio(78, "19200 bps", {20, 76, 80, 10}),
        Button(1003, "Set status of memory switch", {7, 102, 110, 16}),
        Button(71, "Close", {121, 102, 52, 16}),
    };
    return t;
}

}  // namespace corvane::resources
