#include "controls/dxUxTheme.h"

#include "forms/Helpers.h"

namespace controls {

namespace {

struct UxThemeFunctions {
    bool loaded = false;
    BOOL(WINAPI* isThemeActive)() = nullptr;
    HTHEME(WINAPI* openThemeData)(HWND, LPCWSTR) = nullptr;
    HRESULT(WINAPI* drawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
    HRESULT(WINAPI* drawThemeText)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
    HRESULT(WINAPI* getThemeBackgroundContentRect)(HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
    HRESULT(WINAPI* getThemeColor)(HTHEME, int, int, int, COLORREF*) = nullptr;
    BOOL(WINAPI* isThemeBackgroundPartiallyTransparent)(HTHEME, int, int) = nullptr;
    HRESULT(WINAPI* drawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
};

UxThemeFunctions gUx;

}  // namespace

bool LoadUxTheme() {
    if (gUx.loaded) return true;
    HMODULE module = ::GetModuleHandleA("uxtheme.dll");
    if (!module) module = ::LoadLibraryA("UxTheme.dll");  // stays loaded for the process
    if (!module) return false;
    using forms::FindFunction;
    FindFunction(module, "IsThemeActive", gUx.isThemeActive);
    FindFunction(module, "OpenThemeData", gUx.openThemeData);
    FindFunction(module, "DrawThemeBackground", gUx.drawThemeBackground);
    FindFunction(module, "DrawThemeText", gUx.drawThemeText);
    FindFunction(module, "GetThemeBackgroundContentRect", gUx.getThemeBackgroundContentRect);
    FindFunction(module, "GetThemeColor", gUx.getThemeColor);
    FindFunction(module, "IsThemeBackgroundPartiallyTransparent", gUx.isThemeBackgroundPartiallyTransparent);
    FindFunction(module, "DrawThemeParentBackground", gUx.drawThemeParentBackground);
    gUx.loaded = true;
    return true;
}

bool UxThemeLoaded() { return gUx.loaded; }

bool UxIsThemeActive() { return gUx.isThemeActive && gUx.isThemeActive(); }

HTHEME UxOpenThemeData(HWND window, const wchar_t* classList) {
    return gUx.openThemeData ? gUx.openThemeData(window, classList) : nullptr;
}

bool UxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& r) {
    return gUx.drawThemeBackground && SUCCEEDED(gUx.drawThemeBackground(theme, dc, part, state, &r, nullptr));
}

bool UxDrawThemeText(HTHEME theme, HDC dc, int part, int state, const std::wstring& text, DWORD flags, const RECT& r) {
    return gUx.drawThemeText &&
           SUCCEEDED(gUx.drawThemeText(theme, dc, part, state, text.c_str(), int(text.size()), flags, 0, &r));
}

bool UxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT& bounds, RECT& content) {
    return gUx.getThemeBackgroundContentRect &&
           SUCCEEDED(gUx.getThemeBackgroundContentRect(theme, dc, part, state, &bounds, &content));
}

bool UxGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF& color) {
    return gUx.getThemeColor && SUCCEEDED(gUx.getThemeColor(theme, part, state, property, &color));
}

bool UxIsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
    return gUx.isThemeBackgroundPartiallyTransparent && gUx.isThemeBackgroundPartiallyTransparent(theme, part, state);
}

bool UxDrawThemeParentBackground(HWND window, HDC dc, const RECT* r) {
    return gUx.drawThemeParentBackground && SUCCEEDED(gUx.drawThemeParentBackground(window, dc, r));
}

}  // namespace controls
