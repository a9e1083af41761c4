#include "ui/qt/ExchangeWait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>

namespace corvane::ui::qt {

namespace {

// How long one call of the hook may deliver events before the wait goes on.
constexpr int kDeliveryTimeMs = 20;

// Whether the event is the user's doing: keys, the mouse, touch and pen, and the window
// manager's request to close a window.
bool IsInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        case QEvent::Close:
            return event.spontaneous();
        default:
            return false;
    }
}

// Drops the user's input to every window of the program while it is installed; deferring it
// (as excluding input from the event loop would) would run it once the exchange ended.
class InputDrop final : public QObject {
public:
    explicit InputDrop(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        return IsInput(*event) || QObject::eventFilter(watched, event);
    }
};

struct WaitState {
    bool running = false;
    bool delivering = false;
    QPointer<InputDrop> inputDrop;
};

WaitState& State() {
    static WaitState state;
    return state;
}

bool OnWindowThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

void Deliver() {
    State().delivering = true;
    // Socket notifiers, a signal's among them, wait for the end of the exchange where the event
    // dispatcher can hold them back; the program's main holds back the signal in any case.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::ExcludeSocketNotifiers,
                                    kDeliveryTimeMs);
    State().delivering = false;
}

void Begin() {
    WaitState& state = State();
    if (!state.inputDrop) {
        state.inputDrop = new InputDrop(QCoreApplication::instance());
    }
    QCoreApplication::instance()->installEventFilter(state.inputDrop);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    state.running = true;
}

}  // namespace

void ExchangeWait::KeepWindowsAlive() {
    if (!OnWindowThread() || State().delivering) {
        return;
    }
    if (!State().running) {
        Begin();
    }
    Deliver();
}

bool ExchangeWait::Delivering() {
    return State().delivering;
}

void ExchangeWait::End() {
    WaitState& state = State();
    if (!state.running || state.delivering || !OnWindowThread()) {
        return;
    }
    // What the user did in the last moments of the exchange is still queued: it goes too.
    Deliver();
    QCoreApplication::instance()->removeEventFilter(state.inputDrop);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
    state.running = false;
}

}  // namespace corvane::ui::qt
