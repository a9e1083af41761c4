#include "ui/qt/QtDialogHost.h"

#include <QGuiApplication>
#include <QScreen>
#include <vector>

#include "ui/qt/DropDownAccessible.h"
#include "ui/qt/ProgramEnd.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TemplateWindow.h"
#include "ui/qt/WidgetFactory.h"

namespace corvane::ui::qt {

namespace {

// Every host whose window exists, oldest first, so that ending the program reaches them all.
std::vector<QtDialogHost*>& LiveHosts() {
    static std::vector<QtDialogHost*> hosts;
    return hosts;
}

TemplateWindow* NewWindow(const resources::DialogTemplate& layout, const QFont& font,
                          const DialogUnits& units, QWidget* parent) {
    auto* window = new TemplateWindow(parent);
    window->setWindowFlags(WindowFlags(layout.style));
    window->SetDrawBorder((layout.style & resources::kCaption) == 0 &&
                          (layout.style & (resources::kThinBorder | resources::kModalFrame)) != 0);
    window->setFont(font);
    window->setWindowTitle(ToQString(layout.caption));
    window->setFixedSize(units.ToPixels(layout.width, layout.height));
    window->setSizeGripEnabled(false);
    DropDownAccessible::Install();
    return window;
}

}  // namespace

QtDialogHost::QtDialogHost(Dialog& dialog, QWidget* parent, const QtDialogHost* owner)
    : dialog_(dialog),
      template_(dialog.Template()),
      owner_(owner),
      font_(DialogUnits::DialogFont(template_)),
      units_(font_),
      window_(NewWindow(template_, font_, units_, parent)),
      controls_(template_, units_, font_, window_),
      router_(std::make_unique<NotificationRouter>(*this, *window_, controls_, life_)),
      services_(std::make_unique<ApplicationServices>(*this, *window_, life_)) {
    LiveHosts().push_back(this);
    dialog_.AttachHost(this);
    const bool focusFirst = dialog_.OnInitDialog();
    if (focusFirst && !Ended()) {
        // The first control that takes the keyboard focus, as the dialog manager would choose.
        for (const auto& [layout, widget] : controls_.Built()) {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() &&
                !widget->isHidden()) {
                widget->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

QtDialogHost::~QtDialogHost() {
    std::erase(LiveHosts(), this);
    life_->alive = false;
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnDestroy();
        dialog_.AttachHost(nullptr);
    }
    services_.reset();
    router_.reset();
    window_->hide();
    // A window whose own handler is still running (a modeless window closed from its own
    // button) goes once that handler has returned.
    if (life_->running > 0) {
        window_->deleteLater();
    } else {
        delete window_;
    }
}

int QtDialogHost::Exec() {
    if (!Ended()) {
        RunModalLoop(*window_);
    }
    return result_.value_or(kIdCancel);
}

void QtDialogHost::Show() {
    if (Ended()) {
        return;
    }
    window_->show();
    window_->raise();
}

QWidget* QtDialogHost::Window() const {
    return window_;
}

bool QtDialogHost::Topmost() const {
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void QtDialogHost::SetWindowTitle(const std::string& title) {
    window_->setWindowTitle(ToQString(title));
}

std::string QtDialogHost::WindowTitle() const {
    return ToStdString(window_->windowTitle());
}

void QtDialogHost::SetTopmost(bool topmost) {
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing a window's flags hides it.
    if (visible) {
        window_->show();
    }
}

void QtDialogHost::CenterWindow() {
    // Over the parent, else over the window that opened this one or that window's own parent
    // (a window still being built is not shown yet), else on the screen.
    QRect area;
    const QWidget* candidates[] = {
        window_->parentWidget() != nullptr ? window_->parentWidget()->window() : nullptr,
        owner_ != nullptr ? owner_->window_ : nullptr,
        owner_ != nullptr && owner_->window_->parentWidget() != nullptr
            ? owner_->window_->parentWidget()->window()
            : nullptr,
    };
    for (const QWidget* candidate : candidates) {
        if (candidate != nullptr && candidate->isVisible()) {
            area = candidate->frameGeometry();
            break;
        }
    }
    if (area.isNull()) {
        const QScreen* screen = window_->screen();
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        area = screen->availableGeometry();
    }
    const QSize size = window_->isVisible() ? window_->frameGeometry().size() : window_->size();
    window_->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void QtDialogHost::SetFocus(ControlId id) {
    if (QWidget* widget = Control(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void QtDialogHost::EndDialog(int result) {
    result_ = result;
    window_->done(result);
}

void QtDialogHost::QuitProgram(int exitCode) {
    // Every window ends before any loop is left, so that nothing a closing window does on its
    // way out (losing the focus, a timer due) reaches its logic.
    const std::vector<QtDialogHost*> hosts = LiveHosts();
    for (auto host = hosts.rbegin(); host != hosts.rend(); ++host) {
        (*host)->EndForQuit();
    }
    EndProgram(exitCode);
    for (QtDialogHost* host : LiveHosts()) {
        host->window_->hide();
    }
}

void QtDialogHost::EndForQuit() {
    result_ = kIdCancel;
    services_->StopTimers();
    router_->DropPendingToggles();
}

}  // namespace corvane::ui::qt
