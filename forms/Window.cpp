#include "forms/Window.h"

#include <algorithm>
#include <set>

#include "forms/Exceptions.h"
#include "forms/Handles.h"

namespace forms {

namespace {
constexpr char kSelfProperty[] = "QuorvaWindowObject";
}

TWindow::~TWindow() { DestroyHandle(); }

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

void TWindow::NotifyListeners(UINT message, WPARAM wParam, LPARAM lParam) {
    // Copy: a listener may remove itself or others.
    auto listeners = FListeners;
    for (const auto& [key, listener] : listeners) {
        bool still = std::any_of(FListeners.begin(), FListeners.end(), [k = key](const auto& l) { return l.first == k; });
        if (still) listener(message, wParam, lParam);
    }
}

void TWindow::CreateHandle(const CreateParams& p) {
    static std::set<std::string> registered;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
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

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(message, wParam, lParam);
}

LRESULT TWindow::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TWindow* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->FHandle = window;
        ::SetPropA(window, kSelfProperty, self);
        detail::CountHandles(HandleGroup::User, 1);
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    // A listener's failure is reported, and the window still gets its message.
    if (!self->FListeners.empty()) {
        try {
            self->NotifyListeners(message, wParam, lParam);
        } catch (...) {
            HandleCallbackException();
        }
    }
    try {
        result = self->WndProc(message, wParam, lParam);
    } catch (...) {
        HandleCallbackException();
    }
    if (message == WM_NCDESTROY) {
        ::RemovePropA(window, kSelfProperty);
        self->FHandle = nullptr;
        detail::CountHandles(HandleGroup::User, -1);
    }
    return result;
}

}  // namespace forms
