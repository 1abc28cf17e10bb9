// The least a Win32 program can be: one empty window, painted, waiting for
// input. The start-up benchmark measures Quorva against it.
//
// With "/common-controls" it also loads the common controls, as every
// program with a system image list or tooltips does, and paints one line
// of text: the least such a program pays for its system libraries.
//
// With "/same-windows" it also makes, empty, the windows Quorva shows its
// first paint with: the application's taskbar window, shown, owning the
// main window, a message-only window for the timer, and six children (the
// time panel, four docks, the toolbar), each painted. That is what Wine's
// window system alone costs a program made of these windows.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

namespace {

bool gText = false;

LRESULT CALLBACK EmptyChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return ::DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    ::BeginPaint(window, &ps);
    ::FillRect(ps.hdc, &ps.rcPaint, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // The time panel shows the line of text.
    if (::GetWindowLongPtrA(window, GWLP_USERDATA)) ::TextOutA(ps.hdc, 10, 10, "00 hrs, 00 min, 00 sec", 22);
    ::EndPaint(window, &ps);
    return 0;
}

HWND MakeWindow(HINSTANCE instance, const char* className, WNDPROC procedure, DWORD style, HWND parent, int x, int y,
                int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    ::RegisterClassA(&windowClass);
    return ::CreateWindowExA(0, className, "", style, x, y, width, height, parent, nullptr, instance, nullptr);
}

void LoadCommonControls() {
    HMODULE comctl32 = ::LoadLibraryA("comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = comctl32 ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(
                               ::GetProcAddress(comctl32, "InitCommonControlsEx")))
                         : nullptr;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    if (init) init(&classes);
}

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(window, &ps);
            if (gText) ::TextOutA(ps.hdc, 10, 10, "00 hrs, 00 min, 00 sec", 22);
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    const bool sameWindows = std::strstr(commandLine, "/same-windows") != nullptr;
    if (sameWindows || std::strstr(commandLine, "/common-controls")) {
        LoadCommonControls();
        gText = true;
    }
    HWND owner = nullptr;
    if (sameWindows) {
        owner = MakeWindow(instance, "QuorvaEmptyOwner", ::DefWindowProcA,
                           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, nullptr,
                           ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0);
        MakeWindow(instance, "QuorvaEmptyTimer", ::DefWindowProcA, 0, HWND_MESSAGE, 0, 0, 0, 0);
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "QuorvaEmptyWindow";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "Empty", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 390, 200, owner, nullptr, instance, nullptr);
    if (sameWindows) {
        const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        HWND panel = MakeWindow(instance, "QuorvaEmptyPanel", EmptyChildProc, child, window, 0, 52, 375, 105);
        ::SetWindowLongPtrA(panel, GWLP_USERDATA, 1);
        HWND docks[4];
        for (HWND& dock : docks)
            dock = MakeWindow(instance, "QuorvaEmptyDock", EmptyChildProc, child, window, 0, 0, 375, 0);
        ::SetWindowPos(docks[1], nullptr, 0, 0, 375, 52, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        MakeWindow(instance, "QuorvaEmptyBar", EmptyChildProc, child, docks[1], 0, 0, 375, 52);
        ::ShowWindow(owner, SW_SHOWNA);
    }
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
