#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace corvane::spooler_test {

namespace {

constexpr char kXvfb[] = "/usr/bin/Xvfb";

std::string WindowTitle(Display* display, Window window) {
    for (const char* property : {"_NET_WM_NAME", "WM_NAME"}) {
        Atom atom = XInternAtom(display, property, False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, atom, 0, 1024, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            data != nullptr) {
            std::string title(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (format == 8 && !title.empty()) {
                return title;
            }
        }
    }
    return {};
}

// A window may close between finding it and asking about it; that is no error for the test.
int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

template <typename Done>
bool Poll(Done done, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

XSession::XSession() {
    if (::access(kXvfb, X_OK) != 0) {
        failure_ = std::string(kXvfb) + " is missing: install the xvfb package";
        return;
    }
    int numberPipe[2];
    if (::pipe(numberPipe) != 0) {
        failure_ = "cannot make a pipe";
        return;
    }
    std::string fdText = std::to_string(numberPipe[1]);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(numberPipe[0]);
        // Xvfb picks a free display number itself and writes it to the pipe when it is ready.
        ::execl(kXvfb, kXvfb, "-displayfd", fdText.c_str(), "-nolisten", "tcp", "-screen", "0",
                "1024x768x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(numberPipe[1]);
    std::string number;
    pollfd watch{numberPipe[0], POLLIN, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline && number.find('\n') == std::string::npos) {
        if (::poll(&watch, 1, 100) > 0) {
            char buffer[16];
            ssize_t got = ::read(numberPipe[0], buffer, sizeof(buffer));
            if (got <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(numberPipe[0]);
    if (number.empty() || number.back() != '\n') {
        failure_ = "Xvfb did not start";
        return;
    }
    number.pop_back();
    display_ = ":" + number;
    XSetErrorHandler(IgnoreErrors);
    connection_ = XOpenDisplay(display_.c_str());
    if (connection_ == nullptr) {
        failure_ = "cannot connect to Xvfb on " + display_;
    }
}

XSession::~XSession() {
    if (connection_ != nullptr) {
        XCloseDisplay(connection_);
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::vector<std::string> XSession::VisibleTitles() {
    std::vector<std::string> titles;
    Window root = DefaultRootWindow(connection_);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection_, root, &root, &parent, &children, &count) == 0) {
        return titles;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(connection_, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            std::string title = WindowTitle(connection_, children[i]);
            if (!title.empty()) {
                titles.push_back(title);
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return titles;
}

unsigned long XSession::FindWindow(const std::string& title) {
    Window root = DefaultRootWindow(connection_);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(connection_, root, &root, &parent, &children, &count) == 0) {
        return None;
    }
    for (unsigned int i = 0; i < count && found == None; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(connection_, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && WindowTitle(connection_, children[i]) == title) {
            found = children[i];
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

bool XSession::WaitForWindow(const std::string& title, std::chrono::milliseconds limit) {
    return Poll([&] { return FindWindow(title) != None; }, limit);
}

std::optional<std::string> XSession::WaitForWindowOtherThan(const std::vector<std::string>& titles,
                                                            std::chrono::milliseconds limit) {
    std::optional<std::string> other;
    Poll(
        [&] {
            for (const auto& title : VisibleTitles()) {
                if (std::find(titles.begin(), titles.end(), title) == titles.end()) {
                    other = title;
                    return true;
                }
            }
            return false;
        },
        limit);
    return other;
}

bool XSession::PressReturn(const std::string& title) {
    Window window = FindWindow(title);
    if (window == None) {
        return false;
    }
    XSetInputFocus(connection_, window, RevertToParent, CurrentTime);
    XSync(connection_, False);
    // Let the program see that it has the keyboard before the key arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    XKeyEvent event{};
    event.display = connection_;
    event.window = window;
    event.root = DefaultRootWindow(connection_);
    event.subwindow = None;
    event.time = CurrentTime;
    event.x = event.y = event.x_root = event.y_root = 1;
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(connection_, XK_Return);
    for (int type : {KeyPress, KeyRelease}) {
        event.type = type;
        XSendEvent(connection_, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                   reinterpret_cast<XEvent*>(&event));
    }
    XSync(connection_, False);
    return true;
}

bool XSession::Close(const std::string& title) {
    Window window = FindWindow(title);
    if (window == None) {
        return false;
    }
    XClientMessageEvent event{};
    event.type = ClientMessage;
    event.window = window;
    event.message_type = XInternAtom(connection_, "WM_PROTOCOLS", False);
    event.format = 32;
    event.data.l[0] = static_cast<long>(XInternAtom(connection_, "WM_DELETE_WINDOW", False));
    event.data.l[1] = CurrentTime;
    XSendEvent(connection_, window, False, NoEventMask, reinterpret_cast<XEvent*>(&event));
    XSync(connection_, False);
    return true;
}

void XSession::KillServer() {
    if (connection_ != nullptr) {
        XCloseDisplay(connection_);
        connection_ = nullptr;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

}  // namespace corvane::spooler_test
