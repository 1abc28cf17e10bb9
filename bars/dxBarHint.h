// Tooltips of toolbar items: the one tooltip window of the process, what it
// shows and where, and the timers that show and hide it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "bars/dxBarTypes.h"
#include "forms/Handles.h"
#include "forms/Window.h"

namespace bars {

// The tooltip of an item control: its short hint, followed by " (" and its
// shortcut's name ")" when the manager or the application asks for it.
// Empty when it shows none (no short hint, or disabled and the manager
// hides tooltips of disabled items).
std::string TooltipText(const TdxBarItemControl& control, bool appHintShortCuts);

// One text at one pointer position: the window's place and size.
class TdxBarHintViewInfo {
public:
    TdxBarHintViewInfo(TdxBarManager* manager, std::string text, POINT position)
        : FManager(manager), FText(std::move(text)), FPosition(position) {}

    TdxBarManager* Manager() const { return FManager; }
    const std::string& Text() const { return FText; }
    POINT Position() const { return FPosition; }
    const RECT& Bounds() const { return FBounds; }

    // Measures the text in the DC's font, word-broken within the work area
    // under the pointer, and places the window (see Place).
    void Calculate(HDC dc, const RECT& toolbar, int pixelsPerInch);
    // Below the pointer; above the toolbar (screen rectangle) when that
    // would pass the bottom of the work area; then kept inside the work
    // area of the monitor under its top-left corner.
    static RECT Place(POINT pointer, SIZE size, const RECT& toolbar, int pixelsPerInch);

private:
    TdxBarManager* FManager;
    std::string FText;
    POINT FPosition;
    RECT FBounds{};
};

// The tooltip window: topmost, never activated; its window text is the
// tooltip text. It also carries the tooltip timers.
class TdxBarHintWindow : public forms::TWindow {
public:
    enum TimerId : UINT_PTR { ShowTimer = 1, HideTimer, QuickTimer };
    static constexpr UINT kShowDelay = 1000, kHideDelay = 10000, kQuickDelay = 400;

    TdxBarHintWindow();
    ~TdxBarHintWindow() override;

    bool Showing() const { return ::IsWindowVisible(Handle()) != FALSE; }
    const TdxBarHintViewInfo* ViewInfo() const { return FViewInfo.get(); }
    // Shows the text in the font at the view info's bounds.
    void Activate(std::unique_ptr<TdxBarHintViewInfo> viewInfo, forms::Font font);
    void Deactivate();
    // The background, the raised edge and the text, on any DC.
    void Paint(HDC dc) const;

    void StartTimer(TimerId id, UINT delay) { ::SetTimer(Handle(), id, delay, nullptr); }
    void StopTimer(TimerId id) { ::KillTimer(Handle(), id); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT WMTimer(UINT_PTR id) override;

private:
    std::unique_ptr<TdxBarHintViewInfo> FViewInfo;
    forms::Font FFont;
};

// The process's tooltip window, or null before the first tooltip request
// and after the last manager has gone.
TdxBarHintWindow* TooltipWindow();
// The tooltip shows or waits for this control: it forgets it.
void ForgetTooltipControl(const TdxBarItemControl* control);
// A manager goes: its tooltip hides, and with the last manager the window.
void ForgetTooltipManager(const TdxBarManager* manager);

}  // namespace bars
