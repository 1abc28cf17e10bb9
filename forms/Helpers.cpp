#include "forms/Helpers.h"

namespace forms {

namespace {
// -1: not asked yet.
int gVisualStylesActive = -1;
}  // namespace

bool VisualStylesActive() {
    if (gVisualStylesActive < 0) gVisualStylesActive = QueryVisualStylesActive();
    return gVisualStylesActive != 0;
}

void SetVisualStylesActive(bool active) { gVisualStylesActive = active; }

bool QueryVisualStylesActive() {
    HMODULE theme = ::GetModuleHandleA("uxtheme.dll");
    if (!theme) theme = ::LoadLibraryA("uxtheme.dll");  // stays loaded for the process
    BOOL(WINAPI * themeActive)() = nullptr;
    BOOL(WINAPI * appThemed)() = nullptr;
    return FindFunction(theme, "IsThemeActive", themeActive) && FindFunction(theme, "IsAppThemed", appThemed) &&
           themeActive() && appThemed();
}

}  // namespace forms
