#include "controls/dxThemeManager.h"

#include <algorithm>
#include <array>
#include <vector>

#include "controls/dxUxTheme.h"
#include "forms/Boundary.h"
#include "forms/Forms.h"
#include "forms/Handles.h"
#include "forms/Helpers.h"
#include "forms/Window.h"

namespace controls {

namespace {

const wchar_t* const kClassNames[kThemedObjectTypeCount] = {
    L"Button",   L"Clock",      L"ComboBox", L"Edit",    L"ExplorerBar", L"Header",    L"ListBox",
    L"ListView", L"Menu",       L"Page",     L"Progress", L"Rebar",      L"ScrollBar", L"Spin",
    L"StartPanel", L"Status",   L"Tab",      L"TaskBand", L"TaskBar",    L"ToolBar",   L"ToolTip",
    L"TrackBar", L"TrayNotify", L"TreeView", L"Window",
};

struct CachedTheme {
    forms::Theme handle;
    std::wstring classList;
};

std::array<CachedTheme, kThemedObjectTypeCount> gThemes;
std::vector<TdxThemeChangedNotificator*> gNotificators;

// The system tells every top-level window of a theme change. The
// application's window hears it for us: a window of our own would cost
// start-up another window.
bool gListening = false;

void ThemeChanged(forms::TMessage& message) {
    if (message.message != WM_THEMECHANGED) return;
    CloseAllThemes();
    forms::SetVisualStylesActive(forms::QueryVisualStylesActive());
    // Each hears of it, also when one before it fails.
    auto notificators = gNotificators;
    for (TdxThemeChangedNotificator* n : notificators)
        if (std::find(gNotificators.begin(), gNotificators.end(), n) != gNotificators.end() && n->OnThemeChanged)
            forms::CallAtBoundary([n] { n->OnThemeChanged(); });
}

forms::TWindow& ApplicationWindow() { return *forms::TWindow::FromHandle(forms::Application().Handle()); }

}  // namespace

const wchar_t* ThemedObjectClassName(TdxThemedObjectType type) { return kClassNames[int(type)]; }

bool AreVisualStylesAvailable() { return UxThemeLoaded() && forms::VisualStylesActive(); }

HTHEME OpenTheme(TdxThemedObjectType type, const std::wstring& classList) {
    if (!AreVisualStylesAvailable()) return nullptr;
    CachedTheme& cached = gThemes[std::size_t(type)];
    std::wstring name = classList.empty() ? kClassNames[int(type)] : classList;
    if (cached.handle) {
        if (name == cached.classList) return cached.handle.Get();
        cached.handle.Reset();
    }
    cached.handle.Reset(UxOpenThemeData(nullptr, name.c_str()));
    cached.classList = cached.handle ? name : std::wstring();
    return cached.handle.Get();
}

void CloseAllThemes() {
    for (CachedTheme& cached : gThemes) {
        cached.handle.Reset();
        cached.classList.clear();
    }
}

TdxThemeChangedNotificator::TdxThemeChangedNotificator(std::function<void()> onThemeChanged)
    : OnThemeChanged(std::move(onThemeChanged)) {
    gNotificators.push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator() { std::erase(gNotificators, this); }

HWND ThemeChangedWindow() { return gListening ? forms::Application().Handle() : nullptr; }

void InitializeThemeManager() {
    if (!LoadUxTheme()) return;
    forms::SetVisualStylesActive(forms::QueryVisualStylesActive());
    ApplicationWindow().AddMessageListener(&gListening, ThemeChanged);
    gListening = true;
}

void FinalizeThemeManager() {
    if (gListening) ApplicationWindow().RemoveMessageListener(&gListening);
    gListening = false;
    CloseAllThemes();
}

}  // namespace controls
