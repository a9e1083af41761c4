// Each template's id header against the template itself: the window holds exactly the controls
// its header names.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <vector>

#include "resources/DialogTemplate.h"
#include "resources/Template101Ids.h"
#include "resources/Template102Ids.h"
#include "resources/Template143Ids.h"
#include "resources/Template145Ids.h"
#include "resources/Template152Ids.h"
#include "resources/Template159Ids.h"
#include "resources/Template160Ids.h"

namespace corvane::resources {
namespace {

struct IdHeader {
    int templateId;
    std::span<const int> controlIds;
};

// Guards against a header id that names no control of its window, and a control that a dialog
// can only reach by a number written out again.
TEST(TemplateIdHeaders, NameExactlyTheControlsOfTheirWindow) {
    const IdHeader headers[] = {
        {template101::kTemplateId, template101::kControlIds},
        {template102::kTemplateId, template102::kControlIds},
        {template143::kTemplateId, template143::kControlIds},
        {template145::kTemplateId, template145::kControlIds},
        {template152::kTemplateId, template152::kControlIds},
        {template159::kTemplateId, template159::kControlIds},
        {template160::kTemplateId, template160::kControlIds},
    };
    std::set<int> covered;
    for (const IdHeader& header : headers) {
        SCOPED_TRACE("template " + std::to_string(header.templateId));
        const DialogTemplate* found = FindTemplate(header.templateId);
        ASSERT_NE(found, nullptr);
        covered.insert(header.templateId);
        std::set<int> named(header.controlIds.begin(), header.controlIds.end());
        EXPECT_EQ(named.size(), header.controlIds.size()) << "an id is named twice";
        std::set<int> present;
        for (const auto& control : found->controls) {
            if (control.id != kStaticId) {
                present.insert(control.id);
            }
        }
        EXPECT_EQ(named, present);
    }
    const std::vector<int> all = TemplateIds();
    EXPECT_EQ(covered, std::set<int>(all.begin(), all.end())) << "a template without an id header";
}

}  // namespace
}  // namespace corvane::resources
