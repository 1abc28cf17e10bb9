// The least a Win32 program can be: one empty window, painted, waiting for
// input. The start-up benchmark measures Quorva against it.
//
// With "/common-controls" it also loads the common controls, as every
// program with a system image list or tooltips does, and paints one line
// of text: the least such a program pays for its system libraries.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

namespace {

bool gText = false;

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
    if (std::strstr(commandLine, "/common-controls")) {
        LoadCommonControls();
        gText = true;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "QuorvaEmptyWindow";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "Empty", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 390, 200, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
