#pragma once

// A manager on a headless window over a simulated printer of the chosen model and link.

#include <memory>

#include "manager/ManagerDialog.h"
#include "resources/Template145Ids.h"
#include "sim/VirtualPrinter.h"
#include "support/PortRig.h"
#include "ui/HeadlessHost.h"

namespace corvane::manager::test {

namespace ids = resources::template145;

inline protocol::PrinterModel FamilyOf(sim::Model model) {
    return sim::IsKrt310Family(model) ? protocol::PrinterModel::Krt310Family
                                      : protocol::PrinterModel::Krt620;
}

struct ManagerRig {
    explicit ManagerRig(sim::Model model, support::Link link = support::Link::Serial)
        : printer(model), rig(link, &printer), dialog(rig.port) {
        dialog.PrepareForOpening(FamilyOf(model));
    }

    // Opens the window; with started, its start-up timer has identified the printer.
    ui::HeadlessHost& Open(bool started = true) {
        host = std::make_unique<ui::HeadlessHost>(dialog);
        if (started) {
            host->FireTimer(ids::kStartupTimer);
        }
        rig.platform.ClearEvents();
        return *host;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : host->GetSession().messages) {
            texts.push_back(message.text);
        }
        return texts;
    }

    sim::VirtualPrinter printer;
    support::PortRig rig;
    ManagerDialog dialog;
    std::unique_ptr<ui::HeadlessHost> host;
};

}  // namespace corvane::manager::test
