#include "forms/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "forms/Exceptions.h"
#include "forms/Graphics.h"
#include "forms/Handles.h"

namespace forms {

namespace {
constexpr char kSelfProperty[] = "QuorvaWindowObject";
constexpr UINT_PTR kSubclassId = 1;

BOOL CALLBACK RepaintThreadWindow(HWND window, LPARAM) noexcept {
    return CallAtBoundary(FALSE, [&] {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        return TRUE;
    });
}

// New colours or a new high-contrast setting. Whichever of our windows
// hears of it first asks again, before any listener or handler repaints
// with the kept answer; a change repaints every window of the thread.
bool AnnouncesScheme(UINT message, WPARAM wParam) {
    return message == WM_SYSCOLORCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST);
}

void SchemeAnnounced() {
    if (RefreshHighContrast()) ::EnumThreadWindows(::GetCurrentThreadId(), RepaintThreadWindow, 0);
}
}  // namespace

TWindow::~TWindow() {
    if (FAttached && !FHosted) Detach();
    else DestroyHandle();
}

TWindow* TWindow::FromHandle(HWND window) {
    if (!window) return nullptr;
    return static_cast<TWindow*>(::GetPropA(window, kSelfProperty));
}

TWindow* TWindow::FindFromHandle(HWND window) {
    for (; window; window = ::GetParent(window))
        if (TWindow* w = FromHandle(window)) return w;
    return nullptr;
}

void TWindow::AddMessageListener(const void* key, MessageListener listener) {
    RemoveMessageListener(key);
    FListeners.emplace_back(key, std::move(listener));
}

void TWindow::RemoveMessageListener(const void* key) {
    std::erase_if(FListeners, [key](const auto& l) { return l.first == key; });
}

bool TWindow::NotifyListeners(TMessage& message) {
    // Copy: a listener may remove itself or others.
    auto listeners = FListeners;
    for (const auto& [key, listener] : listeners) {
        bool still = std::any_of(FListeners.begin(), FListeners.end(), [k = key](const auto& l) { return l.first == k; });
        if (!still) continue;
        listener(message);
        if (message.handled) return true;
    }
    return false;
}

void TWindow::CreateHandle(const CreateParams& p) {
    static std::set<std::string> registered;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (p.systemClass) {
        HWND window = ::CreateWindowExA(p.exStyle, p.className, p.caption.c_str(), p.style, p.x, p.y, p.width,
                                        p.height, p.parent, reinterpret_cast<HMENU>(p.id), instance, nullptr);
        if (!window) throw EOutOfResources("Cannot create window " + std::string(p.className));
        try {
            Attach(window);
        } catch (...) {
            ::DestroyWindow(window);
            throw;
        }
        FHosted = true;
        detail::CountHandles(HandleGroup::User, 1);
        return;
    }
    if (!registered.count(p.className)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = p.classStyle;
        wc.lpfnWndProc = StaticWndProc;
        wc.hInstance = instance;
        wc.hCursor = p.cursor ? p.cursor : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
        wc.hbrBackground = p.background;
        wc.hIcon = p.icon;
        wc.lpszClassName = p.className;
        if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EOutOfResources("Cannot register window class " + std::string(p.className));
        registered.insert(p.className);
    }
    HWND window = ::CreateWindowExA(p.exStyle, p.className, p.caption.c_str(), p.style, p.x, p.y, p.width,
                                    p.height, p.parent, reinterpret_cast<HMENU>(p.id), instance, this);
    if (!window) throw EOutOfResources("Cannot create window " + std::string(p.className));
}

void TWindow::DestroyHandle() {
    if (FHandle) ::DestroyWindow(FHandle);
}

void TWindow::Attach(HWND window) {
    if (FHandle || !::IsWindow(window) || FromHandle(window))
        throw EInvalidOperation("Cannot attach to a window that is bound already");
    if (!::SetWindowSubclass(window, AttachedWndProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw EOutOfResources("Cannot attach to a window");
    // FromHandle must find the object, or it could never detach itself.
    if (!::SetPropA(window, kSelfProperty, this)) {
        ::RemoveWindowSubclass(window, AttachedWndProc, kSubclassId);
        throw EOutOfResources("Cannot attach to a window");
    }
    FHandle = window;
    FAttached = true;
}

void TWindow::Detach() {
    if (!FAttached) return;
    ::RemoveWindowSubclass(FHandle, AttachedWndProc, kSubclassId);
    ::RemovePropA(FHandle, kSelfProperty);
    FHandle = nullptr;
    FAttached = false;
    if (FHosted) detail::CountHandles(HandleGroup::User, -1);
    FHosted = false;
}

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCALCSIZE:
            // lParam points at the lone rectangle or at NCCALCSIZE_PARAMS,
            // whose first member is that rectangle.
            return WMNCCalcSize(wParam != 0, *reinterpret_cast<RECT*>(lParam));
        case WM_NCPAINT: return WMNCPaint(reinterpret_cast<HRGN>(wParam));
        case WM_SETFOCUS: return WMSetFocus(reinterpret_cast<HWND>(wParam));
        case WM_KILLFOCUS: return WMKillFocus(reinterpret_cast<HWND>(wParam));
        case WM_CAPTURECHANGED: return WMCaptureChanged(reinterpret_cast<HWND>(lParam));
        case WM_MOUSELEAVE: return WMMouseLeave();
        case WM_KEYDOWN: return WMKeyDown(wParam, lParam);
        case WM_KEYUP: return WMKeyUp(wParam, lParam);
        case WM_SETCURSOR: return WMSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
        case WM_TIMER: return WMTimer(wParam);
        case WM_SYSCOLORCHANGE: return WMSysColorChange();
        case WM_THEMECHANGED: return WMThemeChanged();
        case WM_SETTINGCHANGE: return WMSettingChange(UINT(wParam), reinterpret_cast<const char*>(lParam));
        default: return DefaultHandler(message, wParam, lParam);
    }
}

LRESULT TWindow::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!FHandle) return 0;
    if (FAttached) return ::SendMessageA(FHandle, message, wParam, lParam);
    return Receive(message, wParam, lParam);
}

void TWindow::SetWindowCaption(const std::string& text) {
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT TWindow::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (FAttached) return ::DefSubclassProc(FHandle, message, wParam, lParam);
    return ::DefWindowProcA(FHandle, message, wParam, lParam);
}

LRESULT TWindow::WMNCCalcSize(bool validRects, RECT& client) {
    return DefaultHandler(WM_NCCALCSIZE, validRects, reinterpret_cast<LPARAM>(&client));
}

LRESULT TWindow::WMNCPaint(HRGN region) { return DefaultHandler(WM_NCPAINT, reinterpret_cast<WPARAM>(region), 0); }

LRESULT TWindow::WMSetFocus(HWND previous) {
    return DefaultHandler(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

LRESULT TWindow::WMKillFocus(HWND next) { return DefaultHandler(WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0); }

LRESULT TWindow::WMCaptureChanged(HWND capture) {
    return DefaultHandler(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(capture));
}

LRESULT TWindow::WMMouseLeave() { return DefaultHandler(WM_MOUSELEAVE, 0, 0); }

LRESULT TWindow::WMKeyDown(WPARAM key, LPARAM keyData) { return DefaultHandler(WM_KEYDOWN, key, keyData); }

LRESULT TWindow::WMKeyUp(WPARAM key, LPARAM keyData) { return DefaultHandler(WM_KEYUP, key, keyData); }

bool TWindow::WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
    return DefaultHandler(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hitTest, mouseMessage)) != 0;
}

LRESULT TWindow::WMTimer(UINT_PTR id) { return DefaultHandler(WM_TIMER, id, 0); }

LRESULT TWindow::WMSysColorChange() { return DefaultHandler(WM_SYSCOLORCHANGE, 0, 0); }

LRESULT TWindow::WMThemeChanged() { return DefaultHandler(WM_THEMECHANGED, 0, 0); }

LRESULT TWindow::WMSettingChange(UINT flag, const char* section) {
    return DefaultHandler(WM_SETTINGCHANGE, flag, reinterpret_cast<LPARAM>(section));
}

LRESULT TWindow::Receive(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // The system's look changed: kept pictures are stale before any
    // listener or handler hears of it.
    if (message == WM_SYSCOLORCHANGE || message == WM_THEMECHANGED || message == WM_SETTINGCHANGE)
        AppearanceChanged();
    if (AnnouncesScheme(message, wParam)) CallAtBoundary(SchemeAnnounced);
    if (!FListeners.empty()) {
        TMessage m{message, wParam, lParam};
        // A listener that fails has not claimed the message: the window
        // still gets it.
        if (CallAtBoundary(false, [&] { return NotifyListeners(m); })) return m.result;
    }
    return CallAtBoundary(LRESULT(0), [&] { return WndProc(message, wParam, lParam); });
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    TWindow* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->FHandle = window;
        ::SetPropA(window, kSelfProperty, self);
        detail::CountHandles(HandleGroup::User, 1);
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->Receive(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropA(window, kSelfProperty);
        self->FHandle = nullptr;
        detail::CountHandles(HandleGroup::User, -1);
    }
    return result;
}

LRESULT CALLBACK TWindow::AttachedWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) noexcept {
    auto* object = reinterpret_cast<TWindow*>(self);
    LRESULT result = object->Receive(message, wParam, lParam);
    // An object freed by its own message has detached already.
    if (message == WM_NCDESTROY && FromHandle(window) == object) object->Detach();
    return result;
}

}  // namespace forms
