#include "bars/dxBarHint.h"

#include <algorithm>

#include "bars/dxBarControl.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "forms/ActnList.h"
#include "forms/Forms.h"
#include "forms/Graphics.h"

namespace bars {

namespace {

constexpr forms::TColor clInfoBk = forms::clSystemColor | COLOR_INFOBK;
constexpr forms::TColor clInfoText = forms::clSystemColor | COLOR_INFOTEXT;
// The room around the text: 3 pixels at the left and top, 1 at the right
// and bottom, inside the raised edge.
constexpr RECT kTextMargins{3, 3, 1, 1};

// One tooltip for the whole process: the control it shows (or waits to
// show) for, and whether one hid a moment ago.
struct TooltipState {
    std::unique_ptr<TdxBarHintWindow> window;
    TdxBarManager* manager = nullptr;
    const TdxBarItemControl* control = nullptr;
    std::string text;  // given with the request; else the control's
    bool justHidden = false;
};

TooltipState& Tooltips() {
    static TooltipState state;
    return state;
}

TdxBarHintWindow& Window() {
    TooltipState& s = Tooltips();
    if (!s.window) s.window = std::make_unique<TdxBarHintWindow>();
    return *s.window;
}

RECT WorkAreaAt(POINT point) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

forms::Font TooltipFont(const TdxBarManager& manager) {
    LOGFONTA lf;
    NONCLIENTMETRICSA metrics{};
    if (!manager.UseSystemFont()) {
        lf = manager.Font().LogFont();
    } else if (GetNonClientMetrics(metrics)) {
        lf = metrics.lfStatusFont;
    } else {
        lf = LOGFONTA{};
        lf.lfHeight = -::MulDiv(8, forms::ScreenPixelsPerInch(), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
    }
    return forms::Font(::CreateFontIndirectA(&lf));
}

// The toolbar's client area on the screen; the tooltip goes above it when
// there is no room below the pointer.
RECT ToolbarOnScreen(const TdxBarItemControl& control) {
    RECT r{};
    HWND bar = control.Parent().Handle();
    ::GetClientRect(bar, &r);
    ::MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Hide(bool quickReshow) {
    TooltipState& s = Tooltips();
    s.manager = nullptr;
    s.control = nullptr;
    s.text.clear();
    if (!s.window) return;
    bool wasShowing = s.window->Showing();
    s.window->StopTimer(TdxBarHintWindow::ShowTimer);
    s.window->StopTimer(TdxBarHintWindow::HideTimer);
    s.window->Deactivate();
    if (wasShowing && quickReshow) {
        s.justHidden = true;
        s.window->StartTimer(TdxBarHintWindow::QuickTimer, TdxBarHintWindow::kQuickDelay);
    }
}

// Shows the tooltip of the pending request at the pointer; false (and
// hidden) when there is nothing to show.
bool ShowNow() {
    TooltipState& s = Tooltips();
    TdxBarHintWindow& window = Window();
    window.StopTimer(TdxBarHintWindow::ShowTimer);
    if (!s.manager || s.manager->IsDestroying()) {
        Hide(false);
        return false;
    }
    std::string text =
        s.text.empty() && s.control ? TooltipText(*s.control, forms::Application().HintShortCuts()) : s.text;
    if (text.empty()) {
        Hide(false);
        return false;
    }
    POINT pointer{};
    ::GetCursorPos(&pointer);
    RECT toolbar = s.control ? ToolbarOnScreen(*s.control) : RECT{pointer.x, pointer.y, pointer.x, pointer.y};
    forms::Font font = TooltipFont(*s.manager);
    auto viewInfo = std::make_unique<TdxBarHintViewInfo>(s.manager, std::move(text), pointer);
    {
        forms::MemoryDC dc;
        forms::SelectGuard select(dc.Get(), font.Get());
        viewInfo->Calculate(dc.Get(), toolbar, forms::ScreenPixelsPerInch());
    }
    window.Activate(std::move(viewInfo), std::move(font));
    s.justHidden = false;
    window.StopTimer(TdxBarHintWindow::QuickTimer);
    window.StartTimer(TdxBarHintWindow::HideTimer, TdxBarHintWindow::kHideDelay);
    return true;
}

}  // namespace

std::string TooltipText(const TdxBarItemControl& control, bool appHintShortCuts) {
    const TdxBarManager& manager = control.Parent().BarManager();
    if (!control.Enabled() && !manager.ShowHintForDisabledItems()) return "";
    const TdxBarItem& item = control.Item();
    std::string text = ShortHint(item.Hint());
    if (text.empty()) return "";
    std::string shortCut = forms::ShortCutToText(item.ShortCut());
    if (!shortCut.empty() && (manager.ShowShortCutInHint() || appHintShortCuts)) text += " (" + shortCut + ")";
    return text;
}

// ---- TdxBarHintViewInfo

void TdxBarHintViewInfo::Calculate(HDC dc, const RECT& toolbar, int pixelsPerInch) {
    RECT work = WorkAreaAt(FPosition);
    RECT text{0, 0, work.right - work.left, 0};
    ::DrawTextA(dc, FText.c_str(), static_cast<int>(FText.size()), &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SIZE size{text.right - text.left + 6, text.bottom - text.top + 6};
    FBounds = Place(FPosition, size, toolbar, pixelsPerInch);
}

RECT TdxBarHintViewInfo::Place(POINT pointer, SIZE size, const RECT& toolbar, int pixelsPerInch) {
    POINT at{pointer.x, pointer.y + ::MulDiv(20, pixelsPerInch, 96)};
    if (at.y + size.cy > WorkAreaAt(pointer).bottom) at.y = toolbar.top - size.cy;
    RECT work = WorkAreaAt(at);
    at.x = std::max(std::min(at.x, work.right - size.cx), work.left);
    at.y = std::max(std::min(at.y, work.bottom - size.cy), work.top);
    return {at.x, at.y, at.x + size.cx, at.y + size.cy};
}

// ---- TdxBarHintWindow

TdxBarHintWindow::TdxBarHintWindow() {
    CreateParams params;
    params.className = "QuorvaBarHintWindow";
    params.classStyle = CS_SAVEBITS;
    params.style = WS_POPUP;
    params.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    CreateHandle(params);
}

TdxBarHintWindow::~TdxBarHintWindow() {
    for (TimerId id : {ShowTimer, HideTimer, QuickTimer}) StopTimer(id);
}

void TdxBarHintWindow::Activate(std::unique_ptr<TdxBarHintViewInfo> viewInfo, forms::Font font) {
    FViewInfo = std::move(viewInfo);
    FFont = std::move(font);
    const RECT& r = FViewInfo->Bounds();
    ::SetWindowTextA(Handle(), FViewInfo->Text().c_str());
    ::SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TdxBarHintWindow::Deactivate() {
    if (Showing()) ::ShowWindow(Handle(), SW_HIDE);
}

void TdxBarHintWindow::Paint(HDC dc) const {
    RECT r{};
    ::GetClientRect(Handle(), &r);
    forms::Brush background(::CreateSolidBrush(forms::ColorToRGB(clInfoBk)));
    ::FillRect(dc, &r, background.Get());
    ::DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
    if (!FViewInfo) return;
    forms::SaveDCGuard saved(dc);
    ::SelectObject(dc, FFont.Get());
    ::SetTextColor(dc, forms::ColorToRGB(clInfoText));
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{r.left + kTextMargins.left, r.top + kTextMargins.top, r.right - kTextMargins.right,
              r.bottom - kTextMargins.bottom};
    const std::string& s = FViewInfo->Text();
    ::DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &text, DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
}

LRESULT TdxBarHintWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            forms::PaintDC paint(Handle());
            Paint(paint.Get());
            return 0;
        }
        case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: return TWindow::WndProc(message, wParam, lParam);
    }
}

LRESULT TdxBarHintWindow::WMTimer(UINT_PTR id) {
    switch (id) {
        case ShowTimer: ShowNow(); return 0;
        case HideTimer: Hide(false); return 0;
        case QuickTimer:
            StopTimer(QuickTimer);
            Tooltips().justHidden = false;
            return 0;
        default: return TWindow::WMTimer(id);
    }
}

// ---- Process-wide

TdxBarHintWindow* TooltipWindow() { return Tooltips().window.get(); }

void ForgetTooltipControl(const TdxBarItemControl* control) {
    if (control && Tooltips().control == control) Hide(false);
}

void ForgetTooltipManager(const TdxBarManager* manager) {
    TooltipState& s = Tooltips();
    if (s.manager == manager) Hide(false);
    if (TdxBarManagerList::Instance().Count() == 0) {
        s.justHidden = false;
        s.window.reset();
    }
}

// ---- Manager operations

void TdxBarManager::RequestTooltip(bool show, const std::string& text, TdxBarItemControl* hintObject) {
    if (!FShowHint || FCustomizeMode) return;
    TooltipState& s = Tooltips();
    if (!show || !hintObject) {
        // The pointer left the items: a tooltip for the next one within
        // the quick window shows at once.
        if (s.manager == this) Hide(true);
        return;
    }
    TdxBarHintWindow& window = Window();
    window.StopTimer(TdxBarHintWindow::ShowTimer);
    s.manager = this;
    s.control = hintObject;
    s.text = text;
    if (window.Showing() || s.justHidden) ShowNow();
    else window.StartTimer(TdxBarHintWindow::ShowTimer, TdxBarHintWindow::kShowDelay);
}

void TdxBarManager::HideTooltip() {
    if (Tooltips().manager == this) Hide(false);
}

}  // namespace bars
