// Helpers for tests that drive real windows under Wine.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/FormWriter.h"
#include "forms/Forms.h"
#include "forms/Handles.h"

namespace forms {

// Readable failures for stored descriptions.
inline void PrintTo(const Property& p, std::ostream* os);

inline void PrintTo(const Value& v, std::ostream* os) {
    switch (v.kind) {
        case Value::Kind::Integer: *os << v.integer; break;
        case Value::Kind::Boolean: *os << (v.integer ? "True" : "False"); break;
        case Value::Kind::String: *os << "'" << v.text << "'"; break;
        case Value::Kind::Ident: *os << v.text; break;
        case Value::Kind::Nil: *os << "nil"; break;
        case Value::Kind::Binary: *os << "{" << v.bytes.size() << " bytes}"; break;
        case Value::Kind::Set:
            *os << "[";
            for (const std::string& n : v.names) *os << " " << n;
            *os << " ]";
            break;
        case Value::Kind::List:
            *os << "(";
            for (const Value& item : v.list) {
                *os << " ";
                PrintTo(item, os);
            }
            *os << " )";
            break;
        case Value::Kind::Collection:
            *os << "<";
            for (const auto& item : v.items) {
                *os << " item";
                for (const Property& p : item) {
                    *os << " ";
                    PrintTo(p, os);
                }
                *os << " end";
            }
            *os << " >";
            break;
    }
}

inline void PrintTo(const Property& p, std::ostream* os) {
    *os << p.name << " = ";
    PrintTo(p.value, os);
}

inline void PrintTo(const ObjectNode& node, std::ostream* os) {
    *os << "\nobject " << node.name << ": " << node.className;
    for (const Property& p : node.properties) {
        *os << "\n  ";
        PrintTo(p, os);
    }
    for (const ObjectNode& child : node.children) PrintTo(child, os);
    *os << "\nend " << node.name;
}

}  // namespace forms

namespace testsupport {

// What a modal box showed before the answerer closed it.
struct SeenBox {
    std::string title;
    std::vector<std::string> texts;  // texts of its child windows
    HICON icon = nullptr;            // of its icon control, if it has one
};

// Presses the keys in order and lets them go in reverse, as the user
// would, through the system's input queue; whoever runs the message loop
// (a modal dialog, say) takes them.
inline void SendKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys) add(key, 0);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The same, and then takes the messages.
inline void PressKeys(std::initializer_list<WORD> keys) {
    SendKeys(keys);
    forms::Application().ProcessMessages();
}

inline std::string WindowText(HWND w) {
    std::string text(std::size_t(::GetWindowTextLengthA(w)) + 1, '\0');
    text.resize(std::size_t(::GetWindowTextA(w, text.data(), int(text.size()))));
    return text;
}

// Answers the next modal box of this thread (a message box, the classic or
// the task-dialog confirmation) from inside its own message loop: records
// what it shows and presses the button with the given id (IDYES, IDNO,
// IDOK), or presses Esc for IDCANCEL.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer) : FAnswer(answer) {
        Current() = this;
        FTimer = ::SetTimer(nullptr, 0, 20, &BoxAnswerer::Tick);
    }
    ~BoxAnswerer() {
        ::KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& Seen() const { return FSeen; }

private:
    static BoxAnswerer*& Current() {
        static BoxAnswerer* current = nullptr;
        return current;
    }

    static BOOL CALLBACK CollectChild(HWND child, LPARAM p) {
        auto* box = reinterpret_cast<SeenBox*>(p);
        std::string text = WindowText(child);
        if (!text.empty()) box->texts.push_back(text);
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (!box->icon && lstrcmpiA(cls, "Static") == 0 && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            box->icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        return TRUE;
    }

    static BOOL CALLBACK FindBox(HWND w, LPARAM p) {
        char cls[64] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !::IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxAnswerer* self = Current();
        if (!self || self->FBusy) return;
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        self->FBusy = true;
        try {
            SeenBox seen;
            seen.title = WindowText(box);
            ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&seen));
            self->FSeen.push_back(seen);
            if (self->FAnswer == IDCANCEL) {
                HWND focus = ::GetFocus();
                if (!focus) focus = box;
                ::PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
                ::PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
            } else {
                // A task dialog takes its buttons by message, other boxes by command.
                ::SendMessageA(box, TDM_CLICK_BUTTON, WPARAM(self->FAnswer), 0);
                if (::IsWindow(box) && ::IsWindowVisible(box))
                    ::PostMessageA(box, WM_COMMAND, WPARAM(self->FAnswer), 0);
            }
        } catch (...) {
        }
        self->FBusy = false;
    }

    int FAnswer;
    UINT_PTR FTimer = 0;
    bool FBusy = false;
    std::vector<SeenBox> FSeen;
};

// Pumps messages until the condition holds or the time runs out.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        forms::Application().ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline POINT Middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Puts a pointer move to a screen point, with a button change if given,
// into the system's input queue. Safe from any thread.
inline void SendPointerInput(POINT screen, DWORD button = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(screen.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = ::MulDiv(screen.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    ::SendInput(1, &input, sizeof input);
}

// Sends the pointer input and takes the messages it brings; true once the
// system reports the pointer there and it stays. The system may take a
// moment to move it and its messages may come a little later (later still
// on a busy machine); a late event of an earlier move may even put it
// back, and then it moves again (the button goes only once).
inline bool PointerAt(POINT screen, DWORD button = 0) {
    const auto there = [screen] {
        POINT where{};
        return ::GetCursorPos(&where) && where.x == screen.x && where.y == screen.y;
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendPointerInput(screen, attempt == 0 ? button : 0);
        for (int i = 0; i < 200 && !there(); ++i) ::Sleep(1);
        do
            forms::Application().ProcessMessages();
        while (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_INPUT) == WAIT_OBJECT_0);
        if (there()) return true;
    }
    return false;
}

// Moves the pointer to a client point of a window and presses and lets go
// of a button there (`down` 0: only moves), taking the messages after
// each step.
inline void ClickAt(HWND window, POINT client, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    POINT at = client;
    ::ClientToScreen(window, &at);
    PointerAt(at);
    if (!down) return;
    PointerAt(at, down);
    PointerAt(at, up);
}

// A loaded form's description as the form writes it now: the names and
// nesting of `shape`, each component with the properties it writes.
inline forms::ObjectNode Rewritten(const forms::ObjectNode& shape, const forms::TComponent& root) {
    const forms::TComponent* component = &root;
    if (shape.name != root.Name()) component = root.FindComponent(shape.name);
    if (!component) throw std::runtime_error("no component " + shape.name);
    forms::ObjectNode node{shape.className, shape.name, forms::WriteProperties(*component), {}};
    for (const forms::ObjectNode& child : shape.children) node.children.push_back(Rewritten(child, root));
    return node;
}

// What a window paints for itself, or what a drawing routine draws, captured
// once into 32-bit pixels (the same whatever the display's depth) and read
// pixel by pixel; CLR_INVALID outside.
class Snapshot {
public:
    explicit Snapshot(HWND window) {
        RECT r;
        ::GetClientRect(window, &r);
        Capture(r.right, r.bottom, [window](HDC dc) {
            ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        });
    }
    Snapshot(int width, int height, const std::function<void(HDC)>& draw) { Capture(width, height, draw); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    COLORREF Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= FWidth || y >= FHeight || FPixels.empty()) return CLR_INVALID;
        std::uint32_t p = FPixels[std::size_t(y) * std::size_t(FWidth) + std::size_t(x)];  // 0xAARRGGBB
        return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    void Capture(int width, int height, const std::function<void(HDC)>& draw) {
        FWidth = width;
        FHeight = height;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = FWidth;
        info.bmiHeader.biHeight = -FHeight;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        forms::Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap) return;
        forms::MemoryDC dc;
        {
            forms::SelectGuard select(dc.Get(), bitmap.Get());
            draw(dc.Get());
            ::GdiFlush();
        }
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        FPixels.assign(pixels, pixels + std::size_t(FWidth) * std::size_t(FHeight));
    }

    int FWidth = 0, FHeight = 0;
    std::vector<std::uint32_t> FPixels;
};

}  // namespace testsupport
