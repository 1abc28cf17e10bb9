// The window layer: handle owners, typed handlers, message listeners,
// attached system controls and thread hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/Exceptions.h"
#include "forms/Forms.h"
#include "forms/Handles.h"
#include "forms/Hooks.h"
#include "forms/Window.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

LRESULT CALLBACK PassOn(int code, WPARAM wParam, LPARAM lParam) { return ::CallNextHookEx(nullptr, code, wParam, lParam); }

// Makes an owner, moves it on and checks that its handle is counted once
// while owned and freed with its last owner (where `alive` can tell).
template <class Owner, class Make, class Alive>
void ExpectCountedOnce(const char* kind, long HandleCount::*group, Make make, Alive alive) {
    SCOPED_TRACE(kind);
    const HandleCount before = LiveHandles();
    typename Owner::Handle raw = nullptr;
    {
        Owner first = make();
        raw = first.Get();
        ASSERT_TRUE(raw);
        EXPECT_EQ(LiveHandles().*group, before.*group + 1);
        Owner second = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        EXPECT_EQ(LiveHandles().*group, before.*group + 1);
        EXPECT_TRUE(alive(raw, true));
    }
    EXPECT_TRUE(alive(raw, false)) << "not freed";
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

TEST(Handles, EachKindIsCountedWhileOwnedAndFreedWithItsLastOwner) {
    const BYTE andBits[32] = {}, xorBits[32] = {};
    auto gdiObject = [](HGDIOBJ h, bool alive) { return (::GetObjectType(h) != 0) == alive; };
    auto iconLike = [](HICON h, bool alive) {
        ICONINFO info{};
        bool valid = ::GetIconInfo(h, &info) != FALSE;
        if (valid) {
            ::DeleteObject(info.hbmMask);
            ::DeleteObject(info.hbmColor);
        }
        return valid == alive;
    };
    auto unknowable = [](auto, bool) { return true; };  // no harmless test of a freed one
    ExpectCountedOnce<Brush>("brush", &HandleCount::gdi, [] { return Brush(::CreateSolidBrush(RGB(1, 2, 3))); },
                             gdiObject);
    ExpectCountedOnce<Region>("region", &HandleCount::gdi, [] { return Region(::CreateRectRgn(0, 0, 4, 4)); },
                              gdiObject);
    ExpectCountedOnce<MemoryDC>("memory DC", &HandleCount::gdi, [] { return MemoryDC(); }, gdiObject);
    // A window's DC goes back to the system's cache, still a DC.
    ExpectCountedOnce<WindowDC>("window DC", &HandleCount::gdi, [] { return WindowDC(); }, unknowable);
    ExpectCountedOnce<NonClientDC>("whole-window DC", &HandleCount::gdi,
                                   [] { return NonClientDC(Application().Handle()); }, unknowable);
    ExpectCountedOnce<ImageListHandle>("image list", &HandleCount::gdi,
                                       [] { return ImageListHandle(::ImageList_Create(16, 16, ILC_COLOR32, 1, 1)); },
                                       unknowable);
    ExpectCountedOnce<Icon>("icon", &HandleCount::user,
                            [&] { return Icon(::CreateIcon(nullptr, 16, 16, 1, 1, andBits, xorBits)); }, iconLike);
    ExpectCountedOnce<Cursor>("cursor", &HandleCount::user,
                              [&] { return Cursor(::CreateCursor(nullptr, 0, 0, 16, 16, andBits, xorBits)); }, iconLike);
    ExpectCountedOnce<Menu>("menu", &HandleCount::user, [] { return Menu(::CreateMenu()); },
                            [](HMENU h, bool alive) { return (::IsMenu(h) != FALSE) == alive; });
    ExpectCountedOnce<Hook>("hook", &HandleCount::user,
                            [] { return Hook(::SetWindowsHookExA(WH_CALLWNDPROC, PassOn, nullptr, ::GetCurrentThreadId())); },
                            unknowable);
}

// A top-level window of ours that writes down what reaches its typed
// handlers. The handlers answer for themselves, so fake handles in the
// messages never reach the system.
class TRecorder : public TWindow {
public:
    TRecorder() {
        CreateParams params;
        params.className = "QuorvaTestRecorder";
        params.style = WS_POPUP;
        params.width = params.height = 100;
        CreateHandle(params);
    }
    std::vector<std::string> Seen;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_APP) Seen.push_back("WndProc " + std::to_string(message - WM_APP));
        return TWindow::WndProc(message, wParam, lParam);
    }
    LRESULT WMNCCalcSize(bool validRects, RECT& client) override {
        Note("NCCalcSize", validRects, client.left, client.top, client.right, client.bottom);
        ::InflateRect(&client, -1, -1);
        return 0;
    }
    LRESULT WMNCPaint(HRGN region) override { return Note("NCPaint", Value(region)); }
    LRESULT WMSetFocus(HWND previous) override { return Note("SetFocus", Value(previous)); }
    LRESULT WMKillFocus(HWND next) override { return Note("KillFocus", Value(next)); }
    LRESULT WMCaptureChanged(HWND capture) override { return Note("CaptureChanged", Value(capture)); }
    LRESULT WMMouseLeave() override { return Note("MouseLeave"); }
    LRESULT WMKeyDown(WPARAM key, LPARAM keyData) override { return Note("KeyDown", key, keyData); }
    LRESULT WMKeyUp(WPARAM key, LPARAM keyData) override { return Note("KeyUp", key, keyData); }
    bool WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override {
        return Note("SetCursor", Value(window), hitTest, mouseMessage) != 0;
    }
    LRESULT WMTimer(UINT_PTR id) override { return Note("Timer", id); }
    LRESULT WMSysColorChange() override { return Note("SysColorChange"); }
    LRESULT WMThemeChanged() override { return Note("ThemeChanged"); }
    LRESULT WMSettingChange(UINT flag, const char* section) override {
        Seen.push_back("SettingChange " + std::to_string(flag) + " " + section);
        return 7;
    }

private:
    template <class H>
    static long long Value(H handle) {
        return static_cast<long long>(reinterpret_cast<INT_PTR>(handle));
    }
    template <class... Args>
    LRESULT Note(const char* name, Args... args) {
        std::string line = name;
        ((line += " " + std::to_string(args)), ...);
        Seen.push_back(line);
        return 7;
    }
};

TEST(TypedHandlers, EachMessageReachesItsHandlerUnpackedAndItsResultGoesBack) {
    TRecorder window;
    RECT lone{10, 20, 110, 220};
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = {1, 2, 3, 4};
    static const char kSection[] = "WindowMetrics";
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* seen;
        LRESULT result;
    } cases[] = {
        {WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&lone), "NCCalcSize 0 10 20 110 220", 0},
        {WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params), "NCCalcSize 1 1 2 3 4", 0},
        {WM_NCPAINT, 1, 0, "NCPaint 1", 7},
        {WM_SETFOCUS, 0x1234, 0, "SetFocus 4660", 7},
        {WM_KILLFOCUS, 0x1238, 0, "KillFocus 4664", 7},
        {WM_CAPTURECHANGED, 0, 0x1240, "CaptureChanged 4672", 7},
        {WM_MOUSELEAVE, 0, 0, "MouseLeave", 7},
        {WM_KEYDOWN, VK_F2, 0x003C0001, "KeyDown 113 3932161", 7},
        {WM_KEYUP, VK_F2, 0x403C0001, "KeyUp 113 1077673985", 7},
        {WM_SETCURSOR, 0x1244, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "SetCursor 4676 1 512", TRUE},
        {WM_TIMER, 42, 0, "Timer 42", 7},
        {WM_SYSCOLORCHANGE, 0, 0, "SysColorChange", 7},
        {WM_THEMECHANGED, 0, 0, "ThemeChanged", 7},
        {WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, reinterpret_cast<LPARAM>(kSection), "SettingChange 42 WindowMetrics", 7},
    };
    for (const Case& c : cases) {
        window.Seen.clear();
        EXPECT_EQ(::SendMessageA(window.Handle(), c.message, c.wParam, c.lParam), c.result) << c.seen;
        EXPECT_EQ(window.Seen, std::vector<std::string>{c.seen});
    }
    // The handler changed the rectangle the system proposed.
    EXPECT_EQ(lone.left, 11);
    EXPECT_EQ(params.rgrc[0].bottom, 3);
}

TEST(MessageListeners, TheFirstToClaimAMessageAnswersItAndAFailedOneClaimsNothing) {
    TRecorder window;
    std::vector<std::string> heard;
    auto listener = [&](const char* name) {
        return [&heard, name](TMessage& m) {
            if (m.message < WM_APP) return;
            heard.push_back(name + std::to_string(m.message - WM_APP));
            if (std::string(name) != "b") return;
            if (m.message == WM_APP + 1) {
                m.result = 42;
                m.handled = true;
            }
            if (m.message == WM_APP + 3) throw Exception("Listener failed");
        };
    };
    int a = 0, b = 0, c = 0;  // keys
    window.AddMessageListener(&a, listener("a"));
    window.AddMessageListener(&b, listener("b"));
    window.AddMessageListener(&c, listener("c"));
    struct Case {
        UINT message;
        std::vector<std::string> heard;
        LRESULT result;
        bool windowGotIt;
        std::size_t boxes;
    } cases[] = {
        {WM_APP + 1, {"a1", "b1"}, 42, false, 0},        // claimed by b
        {WM_APP + 2, {"a2", "b2", "c2"}, 0, true, 0},    // claimed by nobody
        {WM_APP + 3, {"a3", "b3"}, 0, true, 1},          // b failed: shown, and c is not asked
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message - WM_APP);
        heard.clear();
        testsupport::BoxAnswerer ok(IDOK);
        EXPECT_EQ(::SendMessageA(window.Handle(), k.message, 0, 0), k.result);
        EXPECT_EQ(heard, k.heard);
        const std::string got = "WndProc " + std::to_string(k.message - WM_APP);
        EXPECT_EQ(std::find(window.Seen.begin(), window.Seen.end(), got) != window.Seen.end(), k.windowGotIt);
        EXPECT_EQ(ok.Seen().size(), k.boxes);
    }
}

// Sits on an edit control: fails on F9, counts the texts it is given.
class TEditWatcher : public TWindow {
public:
    int TextsSet = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) ++TextsSet;
        return TWindow::WndProc(message, wParam, lParam);
    }
    LRESULT WMKeyDown(WPARAM key, LPARAM keyData) override {
        if (key == VK_F9) throw Exception("Edit failed");
        return TWindow::WMKeyDown(key, keyData);
    }
};

TEST(AttachedControls, ASystemEditComesInThroughOurBoundaryAndIsLeftWorking) {
    const HandleCount before = LiveHandles();
    HWND edit = ::CreateWindowExA(0, "EDIT", "abc", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 100, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(edit);
    auto text = [&] { return testsupport::WindowText(edit); };
    {
        TEditWatcher watcher;
        watcher.Attach(edit);
        EXPECT_EQ(TWindow::FromHandle(edit), &watcher);
        EXPECT_THROW(TEditWatcher().Attach(edit), EInvalidOperation);  // one object per window
        {
            testsupport::BoxAnswerer ok(IDOK);
            ::SendMessageA(edit, WM_KEYDOWN, VK_F9, 0x00430001);
            ASSERT_EQ(ok.Seen().size(), 1u);
            const auto& texts = ok.Seen()[0].texts;
            EXPECT_NE(std::find(texts.begin(), texts.end(), "Edit failed."), texts.end());
        }
        // The edit's own procedure still does the work.
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("def"));
        ::SendMessageA(edit, WM_KEYDOWN, VK_END, 0x014F0001);
        ::SendMessageA(edit, WM_CHAR, 'g', 0x00220001);
        EXPECT_EQ(text(), "defg");
        EXPECT_EQ(watcher.TextsSet, 1);
    }
    // The object went; the window stays, with its own procedure.
    EXPECT_EQ(TWindow::FromHandle(edit), nullptr);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hij"));
    EXPECT_EQ(text(), "hij");

    // The window goes first: the object lets go of it.
    TEditWatcher second;
    second.Attach(edit);
    ::DestroyWindow(edit);
    EXPECT_FALSE(second.HandleAllocated());
    EXPECT_FALSE(second.Attached());
    EXPECT_EQ(LiveHandles().user, before.user);
}

// Perform reaches our own procedure without the system's round, listeners
// first; an attached control's text still goes to the control itself,
// which keeps it in its own buffer.
TEST(Perform, OurWindowsTakeTheMessageDirectlyAndAnAttachedControlThroughTheSystem) {
    TRecorder window;
    int key = 0;
    std::vector<std::string> heard;
    window.AddMessageListener(&key, [&](TMessage& m) {
        if (m.message == WM_SETTEXT) heard.push_back(reinterpret_cast<const char*>(m.lParam));
    });
    window.SetWindowCaption("100% & more");
    EXPECT_EQ(testsupport::WindowText(window.Handle()), "100% & more");
    EXPECT_EQ(heard, std::vector<std::string>{"100% & more"});
    EXPECT_EQ(window.Perform(WM_APP + 7, 0, 0), 0);
    EXPECT_EQ(window.Seen.back(), "WndProc 7");

    HWND edit = ::CreateWindowExA(0, "EDIT", "abc", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(edit);
    {
        TEditWatcher watcher;
        watcher.Attach(edit);
        watcher.SetWindowCaption("def");
        EXPECT_EQ(watcher.TextsSet, 1);
        EXPECT_EQ(::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 3);
        EXPECT_EQ(testsupport::WindowText(edit), "def");
    }
    ::DestroyWindow(edit);
}

// Presses and releases a key as the user would.
void PressKey(WORD key) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

bool GotKeyDown(const TRecorder& window, WPARAM key) {
    const std::string prefix = "KeyDown " + std::to_string(key) + " ";
    return std::any_of(window.Seen.begin(), window.Seen.end(), [&](const std::string& s) { return s.starts_with(prefix); });
}

TEST(ThreadHooks, TheFirstUserInstallsTheHookAndTheLastRemovesIt) {
    TRecorder window;
    ::ShowWindow(window.Handle(), SW_SHOW);
    ::SetForegroundWindow(window.Handle());
    ::SetFocus(window.Handle());
    const HandleCount before = LiveHandles();
    auto recordF9 = [](std::vector<std::string>& seen) {
        return [&seen](int code, WPARAM key, LPARAM keyData) {
            if (code == HC_ACTION && key == VK_F9) seen.push_back(keyData & 0x80000000 ? "up" : "down");
            return false;
        };
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::string> first, second;
        {
            TThreadHook one(THookKind::Keyboard, recordF9(first));
            EXPECT_TRUE(TThreadHook::Installed(THookKind::Keyboard));
            {
                TThreadHook two(THookKind::Keyboard, recordF9(second));
                EXPECT_EQ(LiveHandles().user, before.user + 1);  // one hook for both
                window.Seen.clear();
                PressKey(VK_F9);
                ASSERT_TRUE(testsupport::PumpUntil([&] { return second.size() == 2; }, 2000));
                EXPECT_EQ(first, (std::vector<std::string>{"down", "up"}));
                EXPECT_TRUE(GotKeyDown(window, VK_F9));  // nobody consumed it
            }
            EXPECT_TRUE(TThreadHook::Installed(THookKind::Keyboard));
            // A user that consumes the key keeps it from the window.
            TThreadHook eat(THookKind::Keyboard, [](int code, WPARAM key, LPARAM) { return code == HC_ACTION && key == VK_F9; });
            first.clear();
            window.Seen.clear();
            PressKey(VK_F9);
            ASSERT_TRUE(testsupport::PumpUntil([&] { return first.size() == 2; }, 2000));
            EXPECT_FALSE(GotKeyDown(window, VK_F9));
        }
        EXPECT_FALSE(TThreadHook::Installed(THookKind::Keyboard));
        EXPECT_EQ(LiveHandles().user, before.user);
    }
}

}  // namespace
