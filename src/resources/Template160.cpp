#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template160Ids.h"

namespace corvane::resources {

// The line-mode code page and CR/LF dialog of a KRT-620 in the "Other" emulation.
DialogTemplate MakeTemplate160() {
    using namespace build;
    using namespace template160;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Other Corvane";
    t.width = 300;
    t.height = 122;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("Default Code Page Set", {7, 7, 286, 30}),
        CheckBox(kCodePageSet, "Code Page Set", {14, 20, 82, 10}),
        List(kCodePageList, ControlKind::DropDownList, {"437(USA)",         "850(Multiligual)",
                                                        "860(Portuguese)",  "863(Canadian-French)",
                                                        "865(Nordic)",      "1252(Latin I)",
                                                        "866(Cyrillic #2)", "852(Latin 2)",
                                                        "858(Euro)",        "862(Hebrew Dos Code)",
                                                        "864(Arabic)",      "Thai 42",
                                                        "1253(Greek)",      "1257(Baltic)",
                                                        "1098(Iran)",       "737(Greek)",
                                                        "Thai 14",          "Thai 11",
                                                        "Thai 18",          "928(Greek)"},
             {100, 18, 186, 120}, kDisabled | kVScroll),
        GroupBox("Function Set", {7, 42, 286, 30}),
        CheckBox(kCrLfSet, "[CR] [LF] Command Set", {14, 55, 84, 10}),
        List(kCrLfList, ControlKind::DropDownList,
             {"[CR] : Ignore, [LF] : CR+LF", "[CR] : CR, [LF] : LF", "[CR] : CR+LF, [LF] : Ignore",
              "[CR] : CR+LF, [LF] : LF", "[CR] : CR, [LF] : CR+LF", "[CR] : CR+LF, [LF] : CR+LF"},
             {100, 53, 186, 80}, kDisabled),
        CheckBox(kSelectAll, "Select All Item", {7, 82, 80, 10}),
        Button(kPrintStatus, "Print current status of memory switch", {7, 98, 140, 16}),
        Button(kSet, "Set status of memory switch", {151, 98, 100, 16}),
        Button(kClose, "Close", {255, 98, 38, 16}),
    };
    return t;
}

}  // namespace corvane::resources
