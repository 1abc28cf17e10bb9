// The visual-styles library (uxtheme), loaded by name when present. Each
// call fails quietly (false, or nothing drawn) when the library or the
// function is missing.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <string>

namespace controls {

// Loads the library and looks its functions up; false when it is missing.
bool LoadUxTheme();
bool UxThemeLoaded();

bool UxIsThemeActive();
// A new handle of the theme data for a class list ("Button"), or null.
HTHEME UxOpenThemeData(HWND window, const wchar_t* classList);
bool UxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& r);
bool UxDrawThemeText(HTHEME theme, HDC dc, int part, int state, const std::wstring& text, DWORD flags, const RECT& r);
bool UxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT& bounds, RECT& content);
bool UxGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF& color);
bool UxIsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
// Paints the part of the parent window that lies behind `window` into `dc`.
bool UxDrawThemeParentBackground(HWND window, HDC dc, const RECT* r);

}  // namespace controls
