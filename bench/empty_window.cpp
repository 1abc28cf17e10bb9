// The least a Win32 program can be: one empty window, painted, waiting for
// input. The start-up benchmark measures Quorva against it.
#include <windows.h>

namespace {

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(window, &ps);
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
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
