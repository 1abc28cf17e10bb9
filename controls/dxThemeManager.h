// One cached theme handle per visual-style class, closed whenever the
// visual style changes, and the notices of those changes.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <functional>
#include <string>

namespace controls {

enum class TdxThemedObjectType {
    totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListBox, totListView, totMenu,
    totPage, totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab, totTaskBand,
    totTaskBar, totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeView, totWindow
};
inline constexpr int kThemedObjectTypeCount = 25;

// The class-list name a type opens by default ("Button").
const wchar_t* ThemedObjectClassName(TdxThemedObjectType type);

// Visual styles can be used: the library loaded and a theme is active.
bool AreVisualStylesAvailable();

// The cached handle of a class, opened on first use; null when visual
// styles cannot be used or the class does not open. Asking with another
// class list closes the cached handle and opens that one.
HTHEME OpenTheme(TdxThemedObjectType type, const std::wstring& classList = {});
void CloseAllThemes();

// Hears of every change of the visual style, after the cached handles are
// closed and the visual-styles flag is read again.
class TdxThemeChangedNotificator {
public:
    explicit TdxThemeChangedNotificator(std::function<void()> onThemeChanged = {});
    ~TdxThemeChangedNotificator();
    TdxThemeChangedNotificator(const TdxThemeChangedNotificator&) = delete;
    TdxThemeChangedNotificator& operator=(const TdxThemeChangedNotificator&) = delete;

    std::function<void()> OnThemeChanged;
};

// The window whose theme-change message the manager hears (the
// application's); null without the library.
HWND ThemeChangedWindow();

void InitializeThemeManager();
void FinalizeThemeManager();

}  // namespace controls
