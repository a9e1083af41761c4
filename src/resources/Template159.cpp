#include <string>

#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template159Ids.h"

namespace corvane::resources {

// The KRT-620's vertical alignment tool: one radio row per alignment row [A] to [D], one column
// per offset -3 to 3.
DialogTemplate MakeTemplate159() {
    using namespace build;
    using namespace template159;
    constexpr int kColumnLeft = 40;
    constexpr int kColumnStep = 28;
    constexpr int kRowTop = 34;
    constexpr int kRowStep = 14;
    const char* const columnHeads[kColumns] = {"-3", "-2", "-1", "0", "1", "2", "3"};
    const char* const rowLabels[kRows] = {"[A]", "[B]", "[C]", "[D]"};

    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "KRT-620 Vertical Alignment Tool";
    t.width = 250;
    t.height = 128;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls.push_back(GroupBox("Pattern", {7, 7, 236, 88}));
    for (int column = 0; column < kColumns; ++column) {
        t.controls.push_back(Label(columnHeads[column],
                                   {kColumnLeft + column * kColumnStep, 20, 20, 8}, kAlignCenter));
    }
    // Each row is its own radio group, so its label comes before its first radio.
    for (int row = 0; row < kRows; ++row) {
        int top = kRowTop + row * kRowStep;
        t.controls.push_back(Label(rowLabels[row], {14, top + 1, 20, 8}));
        for (int column = 0; column < kColumns; ++column) {
            t.controls.push_back(build::Radio(template159::Radio(row, column), "",
                                              {kColumnLeft + 5 + column * kColumnStep, top, 12, 10},
                                              column == 0 ? kFirstInGroup : kStyleNone));
        }
    }
    t.controls.push_back(Button(kPatternPrint, "Pattern   Print", {7, 104, 55, 16}));
    t.controls.push_back(Button(kSaveSetting, "Save Setting", {66, 104, 55, 16}));
    t.controls.push_back(Button(kVerifySetting, "Verify  Setting", {125, 104, 55, 16}));
    t.controls.push_back(Button(kExit, "EXIT", {188, 104, 55, 16}, kDefaultButton));
    return t;
}

}  // namespace corvane::resources
