#include "ui/qt/ProgramEnd.h"

#include <QDialog>
#include <QPointer>
#include <algorithm>
#include <utility>
#include <vector>

#include "ui/qt/ExchangeWait.h"

namespace corvane::ui::qt {

namespace {

struct ProgramState {
    std::vector<QPointer<QDialog>> runningLoops;  // innermost last
    std::optional<int> exitCode;
};

ProgramState& State() {
    static ProgramState state;
    return state;
}

}  // namespace

int RunModalLoop(QDialog& dialog) {
    // A window the logic opens takes input again, and none of what came during the exchange.
    ExchangeWait::End();
    if (ProgramEnding()) {
        return QDialog::Rejected;
    }
    State().runningLoops.emplace_back(&dialog);
    const int result = dialog.exec();
    std::erase_if(State().runningLoops,
                  [&dialog](const QPointer<QDialog>& loop) { return loop == &dialog || !loop; });
    return result;
}

void EndProgram(int exitCode) {
    State().exitCode = exitCode;
    const std::vector<QPointer<QDialog>> loops = State().runningLoops;
    for (auto loop = loops.rbegin(); loop != loops.rend(); ++loop) {
        if (*loop) {
            (*loop)->done(QDialog::Rejected);
        }
    }
}

bool ProgramEnding() {
    return State().exitCode.has_value();
}

std::optional<int> TakeProgramExitCode() {
    return std::exchange(State().exitCode, std::nullopt);
}

}  // namespace corvane::ui::qt
