#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "resources/DialogTemplate.h"

namespace corvane::resources {
namespace {

// A closed drop-down is one line high; its template height is that of the open list.
constexpr int kClosedDropDownHeight = 12;

bool IsDropDown(ControlKind kind) {
    return kind == ControlKind::DropDownList || kind == ControlKind::DropDownCombo;
}

bool Takes(ControlKind kind) {
    return kind != ControlKind::Label && kind != ControlKind::GroupBox &&
           kind != ControlKind::Picture;
}

class EveryTemplate : public testing::TestWithParam<int> {
protected:
    const DialogTemplate& Layout() const {
        const DialogTemplate* found = FindTemplate(GetParam());
        EXPECT_NE(found, nullptr);
        static const DialogTemplate empty;
        return found != nullptr ? *found : empty;
    }
};

TEST_P(EveryTemplate, IsFoundUnderItsOwnId) {
    EXPECT_EQ(Layout().id, GetParam());
    EXPECT_GT(Layout().width, 0);
    EXPECT_GT(Layout().height, 0);
    EXPECT_FALSE(Layout().controls.empty());
}

TEST_P(EveryTemplate, EveryControlLiesInsideTheWindow) {
    const DialogTemplate& layout = Layout();
    for (const auto& control : layout.controls) {
        const int height = IsDropDown(control.kind)
                               ? std::min(control.rect.height, kClosedDropDownHeight)
                               : control.rect.height;
        SCOPED_TRACE("control " + std::to_string(control.id) + " \"" + control.caption + "\"");
        EXPECT_GE(control.rect.left, 0);
        EXPECT_GE(control.rect.top, 0);
        EXPECT_GT(control.rect.width, 0);
        EXPECT_GT(height, 0);
        EXPECT_LE(control.rect.left + control.rect.width, layout.width);
        EXPECT_LE(control.rect.top + height, layout.height);
    }
}

TEST_P(EveryTemplate, ControlIdsAreUniqueAndOnlyStaticControlsShareTheStaticId) {
    std::set<int> seen;
    for (const auto& control : Layout().controls) {
        if (control.id == kStaticId) {
            EXPECT_FALSE(Takes(control.kind)) << "\"" << control.caption << "\" needs an id";
            continue;
        }
        EXPECT_TRUE(seen.insert(control.id).second) << "id " << control.id << " twice";
        EXPECT_EQ(Layout().Find(control.id), &control);
    }
    EXPECT_EQ(Layout().Find(kStaticId), nullptr);
}

TEST_P(EveryTemplate, RadiosFormGroupsThatEachStartWithAFirstOfGroupRadio) {
    const DialogTemplate& layout = Layout();
    std::multiset<int> grouped;
    for (const auto& control : layout.controls) {
        if (control.kind == ControlKind::RadioButton && (control.style & kFirstInGroup) != 0) {
            const std::vector<int> group = layout.RadioGroup(control.id);
            EXPECT_GE(group.size(), 2u) << "radio group of " << control.id << " has one radio";
            ASSERT_FALSE(group.empty());
            EXPECT_EQ(group.front(), control.id);
            grouped.insert(group.begin(), group.end());
        }
    }
    for (const auto& control : layout.controls) {
        if (control.kind == ControlKind::RadioButton) {
            EXPECT_EQ(grouped.count(control.id), 1u)
                << "radio " << control.id << " must belong to exactly one group";
        }
    }
}

TEST_P(EveryTemplate, HasAtMostOneDefaultButtonAndACaptionOnEveryPushButton) {
    int defaults = 0;
    for (const auto& control : Layout().controls) {
        if ((control.style & kDefaultButton) != 0) {
            ++defaults;
            EXPECT_EQ(control.kind, ControlKind::PushButton);
        }
        if (control.kind == ControlKind::PushButton) {
            EXPECT_FALSE(control.caption.empty()) << "control " << control.id;
        }
    }
    EXPECT_LE(defaults, 1);
}

TEST_P(EveryTemplate, PicturesItShowsExist) {
    for (const auto& control : Layout().controls) {
        if (control.kind == ControlKind::Picture) {
            EXPECT_NE(FindPicture(control.pictureId), nullptr) << "picture " << control.pictureId;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, EveryTemplate, testing::ValuesIn(TemplateIds()),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Template" + std::to_string(info.param);
                         });

TEST(TemplateRegistry, ListsEachTemplateOnceInAscendingOrder) {
    const std::vector<int> ids = TemplateIds();
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), 101), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), 102), ids.end());
    EXPECT_EQ(FindTemplate(0), nullptr);
    EXPECT_EQ(FindTemplate(9999), nullptr);
}

TEST(StringTable, Entry102IsTheWindowTitleAndOthersAreEmpty) {
    EXPECT_EQ(LoadString(102), "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)");
    EXPECT_EQ(LoadString(101), "");
    EXPECT_EQ(LoadString(0), "");
}

TEST(WaitTemplate, IsACaptionlessBorderedPopupWithItsOneText) {
    const DialogTemplate* wait = FindTemplate(101);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->width, 186);
    EXPECT_EQ(wait->height, 34);
    EXPECT_EQ(wait->style & kCaption, 0u);
    EXPECT_NE(wait->style & kThinBorder, 0u);
    ASSERT_EQ(wait->controls.size(), 1u);
    EXPECT_EQ(wait->controls[0].kind, ControlKind::Label);
    // Four dots, then two blanks.
    EXPECT_EQ(wait->controls[0].caption, "Please wait....  During Initializing");
    EXPECT_NE(wait->controls[0].style & kAlignLeft, 0u);
}

class ConnectionTemplate : public testing::Test {
protected:
    const DialogTemplate& layout = *FindTemplate(102);
    const ControlTemplate& Control(int id) {
        const ControlTemplate* found = layout.Find(id);
        EXPECT_NE(found, nullptr) << "control " << id;
        static const ControlTemplate missing;
        return found != nullptr ? *found : missing;
    }
};

TEST_F(ConnectionTemplate, WindowIsACaptionedApplicationWindowInTheEightPointFont) {
    EXPECT_EQ(layout.caption, "Corvane Manager(For KRT-310/310II/KRT-620 V2.0.5)");
    EXPECT_EQ(layout.width, 350);
    EXPECT_EQ(layout.height, 185);
    EXPECT_EQ(layout.fontName, "MS Sans Serif");
    EXPECT_EQ(layout.fontPoints, 8);
    EXPECT_NE(layout.style & kCaption, 0u);
    EXPECT_NE(layout.style & kSystemMenu, 0u);
    EXPECT_NE(layout.style & kAppWindow, 0u);
}

TEST_F(ConnectionTemplate, StartsWithOnlyConnectAndTheSerialControlsEnabled) {
    const std::set<int> disabled = {1028, 72, 1023, 1022, 1030, 1031};
    for (const auto& control : layout.controls) {
        EXPECT_EQ((control.style & kDisabled) != 0, disabled.count(control.id) != 0)
            << "control " << control.id;
    }
    EXPECT_NE(Control(1001).style & kDefaultButton, 0u);
    EXPECT_NE(Control(79).style & kHidden, 0u);
    EXPECT_EQ(Control(78).style & kHidden, 0u);
}

TEST_F(ConnectionTemplate, RadioGroupsAreModelInterfaceAndEmulation) {
    EXPECT_EQ(layout.RadioGroup(80), (std::vector<int>{80, 81}));
    EXPECT_EQ(layout.RadioGroup(1018), (std::vector<int>{1018, 1019, 1020}));
    EXPECT_EQ(layout.RadioGroup(15), (std::vector<int>{15, 16}));
    EXPECT_TRUE(layout.RadioGroup(81).size() <= 1);
}

TEST_F(ConnectionTemplate, ListsHoldTheirItemsInOrder) {
    struct Row {
        int id;
        ControlKind kind;
        std::vector<std::string> items;
    };
    const Row rows[] = {
        {1028, ControlKind::DropDownList, {"LPT1:", "LPT2:", "LPT3:", "LPT4:"}},
        {1021, ControlKind::DropDownList, {}},
        {1024, ControlKind::DropDownList, {"1200", "2400", "4800", "9600", "19200"}},
        {1025, ControlKind::DropDownList, {"7", "8"}},
        {1026, ControlKind::DropDownCombo, {"None", "Odd", "Even"}},
        {1027, ControlKind::DropDownList, {"1", "1.5", "2"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Control(row.id).kind, row.kind) << "control " << row.id;
        EXPECT_EQ(Control(row.id).items, row.items) << "control " << row.id;
    }
    EXPECT_NE(Control(1021).style & kVScroll, 0u);
}

TEST_F(ConnectionTemplate, PicturesShareOneRectangle) {
    EXPECT_EQ(Control(78).pictureId, 151);
    EXPECT_EQ(Control(79).pictureId, 157);
    for (int id : {78, 79}) {
        EXPECT_EQ(Control(id).rect.left, 11);
        EXPECT_EQ(Control(id).rect.top, 44);
        EXPECT_EQ(Control(id).rect.width, 117);
        EXPECT_EQ(Control(id).rect.height, 125);
    }
}

}  // namespace
}  // namespace corvane::resources
