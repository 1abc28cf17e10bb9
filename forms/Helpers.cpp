#include "forms/Helpers.h"

namespace forms {

bool VisualStylesActive() {
    HMODULE theme = ::GetModuleHandleA("uxtheme.dll");
    if (!theme) theme = ::LoadLibraryA("uxtheme.dll");  // stays loaded for the process
    BOOL(WINAPI * themeActive)() = nullptr;
    BOOL(WINAPI * appThemed)() = nullptr;
    return FindFunction(theme, "IsThemeActive", themeActive) && FindFunction(theme, "IsAppThemed", appThemed) &&
           themeActive() && appThemed();
}

}  // namespace forms
