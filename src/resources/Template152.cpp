#include <array>
#include <string>

#include "product/SettingLists.h"
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
    // One radio per serial speed, in speed order.
    constexpr std::array<int, product::kSerialSpeeds.size()> kRadios = {
        k1200Radio, k2400Radio, k4800Radio, k9600Radio, k19200Radio};
    t.controls = {GroupBox("Baudrate", {7, 7, 166, 88})};
    for (std::size_t i = 0; i < kRadios.size(); ++i) {
        const int top = 20 + 14 * static_cast<int>(i);
        t.controls.push_back(Radio(kRadios[i], std::string(product::kSerialSpeeds[i].text) + " bps",
                                   {20, top, 80, 10}, i == 0 ? kFirstInGroup : kStyleNone));
    }
    t.controls.push_back(Button(kSet, "Set status of memory switch", {7, 102, 110, 16}));
    t.controls.push_back(Button(kClose, "Close", {121, 102, 52, 16}));
    return t;
}

}  // namespace corvane::resources
