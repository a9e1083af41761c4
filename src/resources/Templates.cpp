#include <algorithm>
#include <string>
#include <vector>

#include "resources/DialogTemplate.h"

namespace corvane::resources {

// Each template is built in its own TemplateNNN.cpp; to add one, declare its builder here and
// add it to the list in AllTemplates().
DialogTemplate MakeTemplate101();
DialogTemplate MakeTemplate102();
DialogTemplate MakeTemplate143();
DialogTemplate MakeTemplate145();
DialogTemplate MakeTemplate152();
DialogTemplate MakeTemplate159();
DialogTemplate MakeTemplate160();

namespace {

const std::vector<DialogTemplate>& AllTemplates() {
    // clang-format off
    static const std::vector<DialogTemplate> templates = {
        MakeTemplate101(),
        MakeTemplate102(),
        MakeTemplate143(),
        MakeTemplate145(),
        MakeTemplate152(),
        MakeTemplate159(),
        MakeTemplate160(),
    };
    // clang-format on
    return templates;
}

// The window title that the main dialogs put up at initialisation.
constexpr int kTitleStringId = 102;

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    if (controlId == kStaticId) {
        return nullptr;
    }
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [controlId](const auto& c) { return c.id == controlId; });
    return found == controls.end() ? nullptr : &*found;
}

std::vector<int> DialogTemplate::RadioGroup(int firstId) const {
    std::vector<int> group;
    const auto first = std::find_if(controls.begin(), controls.end(), [firstId](const auto& c) {
        return c.id == firstId && c.kind == ControlKind::RadioButton;
    });
    if (first == controls.end()) {
        return group;
    }
    group.push_back(first->id);
    // A group runs on through the following radios until a control that starts a new group.
    for (auto it = first + 1; it != controls.end(); ++it) {
        if (it->kind != ControlKind::RadioButton || (it->style & kFirstInGroup) != 0) {
            break;
        }
        group.push_back(it->id);
    }
    return group;
}

const DialogTemplate* FindTemplate(int templateId) {
    const auto& templates = AllTemplates();
    const auto found = std::find_if(templates.begin(), templates.end(),
                                    [templateId](const auto& t) { return t.id == templateId; });
    return found == templates.end() ? nullptr : &*found;
}

std::vector<int> TemplateIds() {
    std::vector<int> ids;
    for (const auto& t : AllTemplates()) {
        ids.push_back(t.id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string LoadString(int stringId) {
    if (stringId == kTitleStringId) {
        return "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)";
    }
    return {};
}

}  // namespace corvane::resources
