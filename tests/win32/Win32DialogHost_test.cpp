// The Windows dialog host on Wine's windows: every template becomes a Windows dialog with its
// controls, a person's clicks and keys reach the logic, message boxes block until answered, and
// ending the program unwinds every window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "WindowsDesktop.h"
#include "app/ConnectionDialog.h"
#include "platform/sim/SimPlatform.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "resources/Template102Ids.h"
#include "resources/Template145Ids.h"
#include "sim/VirtualPrinter.h"
#include "ui/win32/ExchangeWait.h"
#include "ui/win32/Win32DialogHost.h"
#include "ui/win32/Win32Shell.h"
#include "ui/win32/WindowThreadCall.h"

namespace corvane::ui::win32 {
namespace {

using platform::win32::Widen;
using resources::ControlKind;
namespace id102 = resources::template102;
namespace id145 = resources::template145;

// A dialog that only names its template and remembers what its window told it; a test may
// hook its notifications, timers and initialisation.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(int templateId) : Dialog(templateId) {}

    bool OnInitDialog() override {
        if (onInit) {
            onInit(*this);
        }
        return true;
    }
    void OnCommand(ControlId id, Notification notification) override {
        heard.emplace_back(id, notification);
        if (onCommand) {
            onCommand(id, notification);
        }
    }
    void OnTimer(int timerId) override {
        if (onTimer) {
            onTimer(timerId);
        }
    }

    std::vector<std::pair<ControlId, Notification>> heard;
    std::function<void(ProbeDialog&)> onInit;
    std::function<void(ControlId, Notification)> onCommand;
    std::function<void(int)> onTimer;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ExpectedClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox:
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
            return L"Button";
        case ControlKind::Label:
        case ControlKind::Picture:
            return L"Static";
        case ControlKind::DropDownList:
        case ControlKind::DropDownCombo:
            return L"ComboBox";
        case ControlKind::ListBox:
            return L"ListBox";
        case ControlKind::Edit:
            return L"Edit";
        case ControlKind::ProgressBar:
            return L"msctls_progress32";
    }
    return {};
}

// The button style the template's kind of button must have.
LONG ButtonType(ControlKind kind, std::uint32_t style) {
    switch (kind) {
        case ControlKind::GroupBox:
            return BS_GROUPBOX;
        case ControlKind::RadioButton:
            return BS_AUTORADIOBUTTON;
        case ControlKind::CheckBox:
            return BS_AUTOCHECKBOX;
        default:
            return (style & resources::kDefaultButton) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    }
}

// Windows converts a control's position and its size from dialog units each on its own, so the
// far edges round as the sum of the two.
RECT DialogRect(HWND window, const resources::Rect& rect) {
    RECT origin{rect.left, rect.top, rect.width, rect.height};
    MapDialogRect(window, &origin);
    return {origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
}

RECT ChildRect(HWND parent, HWND child) {
    RECT area{};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// Sends what a control sends its window when a person picks an item of its list.
void ChooseItem(HWND window, ControlId id, int index) {
    HWND combo = GetDlgItem(window, id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void PostKey(HWND window, WPARAM key) {
    HWND target = GetFocus() != nullptr ? GetFocus() : window;
    PostMessageW(target, WM_KEYDOWN, key, 0);
}

TEST(Win32DialogHost, EveryTemplateBecomesAWindowOfItsControls) {
    for (int templateId : resources::TemplateIds()) {
        SCOPED_TRACE("template " + std::to_string(templateId));
        ProbeDialog dialog(templateId);
        Win32DialogHost host(dialog, nullptr);
        const resources::DialogTemplate& layout = dialog.Template();
        HWND window = host.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(TextOf(window), Widen(layout.caption));
        RECT client{};
        GetClientRect(window, &client);
        const RECT size = DialogRect(window, {0, 0, layout.width, layout.height});
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        EXPECT_EQ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION,
                  (layout.style & resources::kCaption) != 0);

        // The window's children are the template's controls, in its (and the tab) order.
        HWND child = GetWindow(window, GW_CHILD);
        for (const auto& control : layout.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id) + " " + control.caption);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(ClassOf(child), ExpectedClass(control.kind));
            EXPECT_EQ(GetDlgCtrlID(child), control.id);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            EXPECT_EQ((style & WS_VISIBLE) != 0, (control.style & resources::kHidden) == 0);
            EXPECT_EQ(IsWindowEnabled(child) != FALSE, (control.style & resources::kDisabled) == 0);
            const RECT expected = DialogRect(window, control.rect);
            const RECT actual = ChildRect(window, child);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            EXPECT_EQ(actual.right, expected.right);
            switch (control.kind) {
                case ControlKind::DropDownList:
                case ControlKind::DropDownCombo: {
                    // The template's height is where the open list ends; its items come unsorted,
                    // as given.
                    RECT dropped{};
                    SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0,
                                 reinterpret_cast<LPARAM>(&dropped));
                    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&dropped), 2);
                    // Windows ends the open list at the template's bottom; Wine ends it about a
                    // field's height above, still well below the closed field.
                    EXPECT_LE(dropped.bottom, expected.bottom);
                    EXPECT_GT(dropped.bottom, actual.bottom + (actual.bottom - actual.top));
                    EXPECT_EQ(style & CBS_SORT, 0);
                    ASSERT_EQ(host.ItemCount(control.id), static_cast<int>(control.items.size()));
                    for (std::size_t i = 0; i < control.items.size(); ++i) {
                        EXPECT_EQ(host.ItemText(control.id, static_cast<int>(i)), control.items[i]);
                    }
                    EXPECT_EQ(host.Selection(control.id), -1);
                    EXPECT_EQ((style & 3) == CBS_DROPDOWNLIST,
                              control.kind == ControlKind::DropDownList);
                    break;
                }
                case ControlKind::GroupBox:
                case ControlKind::RadioButton:
                case ControlKind::CheckBox:
                case ControlKind::PushButton:
                    EXPECT_EQ(style & BS_TYPEMASK, ButtonType(control.kind, control.style));
                    EXPECT_EQ(TextOf(child), Widen(control.caption));
                    EXPECT_EQ(actual.bottom, expected.bottom);
                    break;
                case ControlKind::Label:
                    EXPECT_EQ(TextOf(child), Widen(control.caption));
                    EXPECT_EQ(actual.bottom, expected.bottom);
                    break;
                case ControlKind::Picture:
                    // The picture is drawn into a bitmap the size of its box.
                    EXPECT_NE(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
                    EXPECT_EQ(actual.bottom, expected.bottom);
                    break;
                default:
                    EXPECT_EQ(actual.bottom, expected.bottom);
                    break;
            }
            // A radio group starts where the template starts one; the keyboard enters it there.
            if (control.kind == ControlKind::RadioButton &&
                (control.style & resources::kFirstInGroup) != 0) {
                EXPECT_NE(style & WS_GROUP, 0);
                EXPECT_NE(style & WS_TABSTOP, 0);
            }
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr);
    }
}

TEST(Win32DialogHost, ClickingARadioChecksItAloneInItsGroupAndTellsTheLogic) {
    ProbeDialog dialog(id102::kTemplateId);
    Win32DialogHost host(dialog, nullptr);
    host.Show();
    host.SetCheck(id102::kSerial, true);
    host.SetCheck(id102::kModel310, true);
    SendMessageW(host.Control(id102::kUsb), BM_CLICK, 0, 0);
    EXPECT_TRUE(host.IsChecked(id102::kUsb));
    EXPECT_FALSE(host.IsChecked(id102::kSerial));
    // Another group keeps its choice.
    EXPECT_TRUE(host.IsChecked(id102::kModel310));
    ASSERT_EQ(dialog.heard.size(), 1u);
    EXPECT_EQ(dialog.heard[0], std::make_pair(ControlId{id102::kUsb}, Notification::Clicked));
}

TEST(Win32DialogHost, ChoosingFromAnEditableListShowsTheItemBeforeTheLogicHearsOfIt) {
    // Guards against the logic reading the text the field had before the choice.
    ProbeDialog dialog(id102::kTemplateId);
    Win32DialogHost host(dialog, nullptr);
    std::string seen;
    dialog.onCommand = [&](ControlId id, Notification notification) {
        if (id == id102::kParityBox && notification == Notification::SelectionChanged) {
            seen = host.ControlText(id) + "/" + std::to_string(host.Selection(id));
        }
    };
    ChooseItem(host.Window(), id102::kParityBox, 2);
    EXPECT_EQ(seen, "Even/2");
    // Text the program sets itself is no typing of the user's.
    host.SetControlText(id102::kParityBox, "Odd");
    EXPECT_EQ(host.Selection(id102::kParityBox), 1);
    host.SetControlText(id102::kParityBox, "odd");
    EXPECT_EQ(host.Selection(id102::kParityBox), -1);
    EXPECT_EQ(dialog.heard.size(), 1u);
}

TEST(Win32DialogHost, EnterPressesTheDefaultButtonUnlessItIsDisabledAndEscapeCancels) {
    for (bool connectEnabled : {true, false}) {
        SCOPED_TRACE(connectEnabled ? "Connect enabled" : "Connect disabled");
        ProbeDialog dialog(id102::kTemplateId);
        dialog.onCommand = [&dialog](ControlId id, Notification) {
            if (id == id102::kConnect) {
                dialog.Host().EndDialog(7);
            }
        };
        Win32DialogHost host(dialog, nullptr);
        host.EnableControl(id102::kConnect, connectEnabled);
        host.Show();
        PostKey(host.Window(), VK_RETURN);
        PostKey(host.Window(), VK_ESCAPE);
        EXPECT_EQ(host.Exec(), connectEnabled ? 7 : kIdCancel);
    }
}

TEST(Win32DialogHost, TimersReachTheLogicThroughTheModalLoopUntilKilled) {
    ProbeDialog dialog(id102::kTemplateId);
    int ticks = 0;
    dialog.onInit = [](ProbeDialog& self) {
        self.Host().SetTimer(18, std::chrono::milliseconds(10));
    };
    dialog.onTimer = [&](int timerId) {
        EXPECT_EQ(timerId, 18);
        if (++ticks == 3) {
            dialog.Host().KillTimer(18);
            dialog.Host().EndDialog(5);
        }
    };
    Win32DialogHost host(dialog, nullptr);
    EXPECT_EQ(host.Exec(), 5);
    EXPECT_EQ(ticks, 3);
}

TEST(Win32DialogHost, ConnectOnTheRealConnectionWindowAnswersWithAMessageBox) {
    platform::sim::SimPlatform platform;
    sim::VirtualPrinter printer{sim::Model::Krt310II};
    platform.AttachSerial("COM3", printer);
    link::PrinterPort port{platform};
    app::ConnectionDialog dialog{port};
    Win32DialogHost host(dialog, nullptr);
    host.Show();
    SendMessageW(host.Control(id102::kSerial), BM_CLICK, 0, 0);
    ChooseItem(host.Window(), id102::kComBox, 2);

    testing::SeenBox seen;
    testing::BoxAnswerer answerer([&seen](const testing::SeenBox& box) {
        seen = box;
        testing::PressOk(box.window);
    });
    // The click returns once the message box that Connect shows has been answered.
    SendMessageW(host.Control(id102::kConnect), BM_CLICK, 0, 0);
    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(seen.text, L"Printer is connected.");
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(host.IsControlEnabled(id102::kConnect));
    EXPECT_TRUE(host.IsControlEnabled(id102::kDisconnect));
    EXPECT_TRUE(host.IsControlEnabled(id102::kRunManager));
}

TEST(Win32DialogHost, SaveDialogOffersStatusFilesAndAddsTheirExtension) {
    ProbeDialog dialog(id102::kTemplateId);
    Win32DialogHost host(dialog, nullptr);
    host.Show();
    std::wstring offeredType;
    testing::BoxAnswerer answerer([&offeredType](const testing::SeenBox& box) {
        // The explorer-style dialog's file type list and file name field.
        HWND types = GetDlgItem(box.window, 0x470);
        wchar_t type[128] = {};
        SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
        offeredType = type;
        HWND name = GetDlgItem(box.window, 0x47C);
        SetWindowTextW(name, L"C:\\windows\\temp\\switches");
        testing::PressOk(box.window);
    });
    auto chosen =
        host.SaveFileDialog({"Save Status", "", {"Status Files (*.sts)", "*.sts"}, "sts"});
    EXPECT_EQ(offeredType, L"Status Files (*.sts)");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, "C:\\windows\\temp\\switches.sts");
}

TEST(Win32DialogHost, QuittingFromANestedWindowEndsEveryLoopAndOpenBox) {
    ProbeDialog main(id102::kTemplateId);
    ProbeDialog child(145);
    ProbeDialog late(159);
    int childResult = -1;
    int lateResult = -1;
    bool lateOpened = false;
    late.onInit = [&lateOpened](ProbeDialog&) { lateOpened = true; };
    main.onInit = [](ProbeDialog& self) { self.Host().SetTimer(1, std::chrono::milliseconds(10)); };
    main.onTimer = [&](int) {
        main.Host().KillTimer(1);
        childResult = main.Host().RunModal(child);
        // A child started after the program's end returns at once without opening.
        lateResult = main.Host().RunModal(late);
    };
    child.onInit = [](ProbeDialog& self) {
        self.Host().SetTimer(2, std::chrono::milliseconds(10));
    };
    child.onTimer = [&child](int) {
        child.Host().KillTimer(2);
        // The program is ended while a message box of the child is open.
        testing::BoxAnswerer quitter(
            [&child](const testing::SeenBox&) { child.Host().QuitProgram(3); });
        child.Host().MessageBox("Failed to get status of printer.", "", Icon::Exclamation);
    };
    EXPECT_EQ(RunMainDialog(main), 3);
    EXPECT_EQ(childResult, kIdCancel);
    EXPECT_EQ(lateResult, kIdCancel);
    EXPECT_FALSE(lateOpened);
    EXPECT_EQ(testing::FindForeignDialog(), nullptr);
}

// Guards against a window that Windows takes for hung ("Not Responding") while it waits for the
// printer, against a click, a close request or a key made meanwhile reaching the logic then or
// afterwards, or dismissing the handler's closing message box, and against a request to end the
// program cutting into the exchange unless Windows ends the program at once.
TEST(Win32DialogHost, AWindowWaitingForThePrinterAnswersAndTakesNoInput) {
    ProbeDialog dialog(id145::kTemplateId);
    Win32DialogHost host(dialog, nullptr);
    host.Show();
    platform::win32::Win32Platform platform;
    platform.SetWaitHook(ExchangeWait::KeepWindowsAlive);
    HWND window = host.Window();
    HWND exitButton = host.Control(id145::kExit);
    WindowThreadCall calls;
    std::vector<long long> answerMs;
    int unanswered = 0;
    int boxes = 0;
    bool urgentRanInWait = false;
    bool postedRan = false;
    bool postedRanInExchange = false;
    dialog.onCommand = [&](ControlId id, Notification) {
        if (id != id145::kGetStatus) {
            return;
        }
        std::thread prober([&] {
            for (int probe = 0; probe < 12; ++probe) {
                // How Windows decides that a window hangs.
                const auto sent = std::chrono::steady_clock::now();
                DWORD_PTR result = 0;
                if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) ==
                    0) {
                    ++unanswered;
                }
                answerMs.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - sent)
                                       .count());
                if (probe == 5) {
                    calls.Post(
                        [&] {
                            postedRan = true;
                            postedRanInExchange = ExchangeWait::Running();
                        },
                        WindowThreadCall::During::NoExchange);
                    calls.Run([&] { urgentRanInWait = ExchangeWait::Delivering(); },
                              WindowThreadCall::During::Anything);
                }
                if (probe == 3) {
                    PostMessageW(exitButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
                    PostMessageW(exitButton, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
                    PostMessageW(exitButton, BM_CLICK, 0, 0);
                    PostMessageW(exitButton, WM_KEYDOWN, VK_ESCAPE, 0);
                    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                    PostMessageW(window, WM_CLOSE, 0, 0);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
            }
        });
        // A silent printer, waited for in real time.
        platform.Sleep(std::chrono::milliseconds(2500));
        prober.join();
        // Pressed in the last moments of the exchange, after its last wait: the closing message
        // box's loop would deliver it.
        PostMessageW(exitButton, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageW(exitButton, WM_KEYUP, VK_SPACE, 0);
        testing::BoxAnswerer answerer([&boxes](const testing::SeenBox& box) {
            ++boxes;
            testing::PressOk(box.window);
        });
        host.MessageBox("Failed to get status of printer.", "", Icon::Exclamation);
        EXPECT_EQ(answerer.Answered(), 1);
    };
    SendMessageW(host.Control(id145::kGetStatus), BM_CLICK, 0, 0);
    // Whatever is left in the queue now goes through the window's own loop.
    for (int tick = 0; tick < 20; ++tick) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    EXPECT_EQ(unanswered, 0);
    ASSERT_EQ(answerMs.size(), 12u);
    const long long worst = *std::max_element(answerMs.begin(), answerMs.end());
    EXPECT_LT(worst, 1000);
    std::cout << "[ measured ] worst answer to the hang check during the wait: " << worst
              << " ms\n";
    EXPECT_EQ(dialog.heard,
              (decltype(dialog.heard){{ControlId{id145::kGetStatus}, Notification::Clicked}}));
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(host.Ended());
    EXPECT_FALSE(ExchangeWait::Running());
    EXPECT_TRUE(urgentRanInWait);
    EXPECT_TRUE(postedRan);
    EXPECT_FALSE(postedRanInExchange);
}

}  // namespace
}  // namespace corvane::ui::win32
