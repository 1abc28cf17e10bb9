#include "bars/dxBarSubMenuControl.h"

#include <mmsystem.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "bars/dxBarControl.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarPainters.h"
#include "bars/dxOffice11.h"
#include "forms/Handles.h"
#include "forms/Helpers.h"

namespace bars {

namespace {

constexpr int kFrame = 1;            // the menu's border line
constexpr int kColumnOverRow = 2;    // the gradient column at the left is this wider than a row is high
constexpr int kTextIndent = 8;       // from the column to the caption
constexpr int kTextRightMargin = 20;
constexpr int kMinRowHeight = 22;
constexpr int kSeparatorHeight = 3;
constexpr int kCheckMargin = 2;      // around the check box in the column
constexpr int kMinCheckMark = 7;     // the check mark's side; more for text over 13 pixels high
constexpr int kExtentGap = 8;        // from a caption to a box right of it
constexpr int kExtentMargin = 4;     // right of such a box

constexpr int kSlideStep = 17;        // pixels of height per slide step
constexpr int kUnfoldStep = 8;        // pixels of width and height per unfold step
constexpr DWORD kFadeTime = 150;      // milliseconds
// Posted by the animation's thread when it is through; wParam tells which
// animation it was.
constexpr UINT kAnimationDone = WM_APP + 0x71;

TdxBarSubMenuControl* gOpenMenu = nullptr;

TMenuSoundPlayer& SoundPlayer() {
    static TMenuSoundPlayer player;
    return player;
}

TMenuAnimationChooser& AnimationChooser() {
    static TMenuAnimationChooser chooser;
    return chooser;
}

TMenuFader& Fader() {
    static TMenuFader fader;
    return fader;
}

TMenuAnimationClock& AnimationClock() {
    static TMenuAnimationClock clock;
    return clock;
}

TMenuAnimationObserver& AnimationObserver() {
    static TMenuAnimationObserver observer;
    return observer;
}

int RandomBelow100() {
    static std::minstd_rand engine(::GetTickCount());
    return static_cast<int>(engine() % 100);
}

DWORD SystemTicks() { return ::GetTickCount(); }

TdxBarMenuAnimations ChosenAnimation(TdxBarMenuAnimations setting) {
    if (setting != TdxBarMenuAnimations::Random) return setting;
    const int number = AnimationChooser() ? AnimationChooser()() : RandomBelow100();
    if (number < 33) return TdxBarMenuAnimations::Unfold;
    if (number < 66) return TdxBarMenuAnimations::Slide;
    return TdxBarMenuAnimations::Fade;
}

bool FadeIn(HWND window) {
    if (Fader()) return Fader()(window, kFadeTime, AW_BLEND);
    return ::AnimateWindow(window, kFadeTime, AW_BLEND) != FALSE;
}

void ShowAt(HWND window, const RECT& bounds) {
    ::SetWindowPos(window, HWND_TOPMOST, bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// What the animation's thread works from; all of it is the thread's own
// copy except the image, which the menu keeps until the thread is joined.
struct TAnimationPlan {
    HWND window = nullptr;
    TdxBarMenuAnimations animation = TdxBarMenuAnimations::None;
    RECT bounds{};
    bool fixedRight = false;
    bool fixedBottom = false;
    HDC image = nullptr;
    TMenuAnimationClock clock;
    TMenuAnimationObserver observer;
};

// The animation's thread: a step each time the tick count moves. Its
// window calls are sent to the menu's thread, which keeps them flowing
// while it waits for this one to stop.
void Animate(const TAnimationPlan& plan, const std::atomic<bool>& stop) {
    const SIZE size{plan.bounds.right - plan.bounds.left, plan.bounds.bottom - plan.bounds.top};
    const int steps = MenuAnimationSteps(plan.animation, size);
    DWORD last = 0;
    for (int step = 1; step <= steps && !stop; ::Sleep(1)) {
        const DWORD now = plan.clock();
        if (step > 1 && now == last) continue;
        last = now;
        const RECT r = MenuAnimationStep(plan.animation, plan.bounds, plan.fixedRight, plan.fixedBottom, step++);
        const int width = r.right - r.left, height = r.bottom - r.top;
        ::SetWindowPos(plan.window, HWND_TOPMOST, r.left, r.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        {
            // The image slides out with the moving edge and is uncovered
            // along the fixed side.
            forms::WindowDC dc(plan.window);
            ::BitBlt(dc.Get(), 0, 0, width, height, plan.image, plan.fixedRight ? size.cx - width : 0,
                     plan.fixedBottom ? 0 : size.cy - height, SRCCOPY);
        }
        if (plan.observer) plan.observer(r);
    }
}

// The letter a caption marks with "&" ("&&" is a plain "&"), upper case; 0
// when none.
char AcceleratorOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&') {
            if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
            ++i;
        }
    return 0;
}

bool IsChecked(const TdxBarItem* item) {
    auto* button = dynamic_cast<const TdxBarButton*>(item);
    return button && button->Down() &&
           (button->ButtonStyle() == TdxBarButtonStyle::Checked ||
            button->ButtonStyle() == TdxBarButtonStyle::CheckedDropDown);
}

RECT WorkAreaAt(POINT point) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Along one axis: the start of a menu `length` long opened at `at`.
int PlaceAlong(int at, int length, int low, int high) {
    int start = at;
    if (start + length > high) start = at - length >= low ? at - length : high - length;
    return std::max(start, low);
}

// A check mark `side` pixels square centred on `centre`: a short stroke down
// to the right, a long one up, each three sevenths of the side thick.
void DrawCheckMark(HDC dc, POINT centre, int side, COLORREF color) {
    const int leg = side * 3 / 7;
    const int left = centre.x - side / 2, top = centre.y - side / 2;
    for (int x = 0; x < side; ++x) {
        const int y = x < leg ? side - 2 * leg + 1 + x : side - 1 - x;
        FillSolid(dc, {left + x, top + y, left + x + 1, top + y + leg}, color);
    }
}

}  // namespace

int MenuAnimationSteps(TdxBarMenuAnimations animation, SIZE size) {
    switch (animation) {
        case TdxBarMenuAnimations::Slide: return std::max<int>(size.cy, 0) / kSlideStep;
        case TdxBarMenuAnimations::Unfold: return std::max<int>(std::min(size.cx, size.cy), 0) / kUnfoldStep;
        default: return 0;
    }
}

RECT MenuAnimationStep(TdxBarMenuAnimations animation, const RECT& bounds, bool fixedRight, bool fixedBottom,
                       int step) {
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (animation == TdxBarMenuAnimations::Slide) {
        height = step * kSlideStep;
    } else if (animation == TdxBarMenuAnimations::Unfold) {
        // The larger side starts at the difference of the two, which stays.
        const int smaller = std::min(width, height);
        width += step * kUnfoldStep - smaller;
        height += step * kUnfoldStep - smaller;
    }
    const int left = fixedRight ? bounds.right - width : bounds.left;
    const int top = fixedBottom ? bounds.bottom - height : bounds.top;
    return {left, top, left + width, top + height};
}

void SetMenuAnimationChooser(TMenuAnimationChooser chooser) { AnimationChooser() = std::move(chooser); }
void SetMenuFader(TMenuFader fader) { Fader() = std::move(fader); }
void SetMenuAnimationClock(TMenuAnimationClock clock) { AnimationClock() = std::move(clock); }
void SetMenuAnimationObserver(TMenuAnimationObserver observer) { AnimationObserver() = std::move(observer); }

RECT PlacePopupMenu(POINT pointer, SIZE size, const RECT& workArea) {
    const int height = std::min<int>(size.cy, workArea.bottom - workArea.top);
    const int x = PlaceAlong(pointer.x, size.cx, workArea.left, workArea.right);
    const int y = PlaceAlong(pointer.y, height, workArea.top, workArea.bottom);
    return {x, y, x + size.cx, y + height};
}

void SetMenuSoundPlayer(TMenuSoundPlayer player) { SoundPlayer() = std::move(player); }

namespace {
// winmm is loaded with the first menu that opens, not at start.
decltype(::PlaySoundA)* SystemPlaySound() {
    static forms::TLibraryFunction<decltype(::PlaySoundA)> playSound("winmm.dll", "PlaySoundA");
    return playSound.Get();
}
}  // namespace

void PlayMenuSound(const char* alias) {
    if (SoundPlayer()) SoundPlayer()(alias);
    else if (auto playSound = SystemPlaySound()) playSound(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

// ---- TdxBarSubMenuControl

TdxBarSubMenuControl::TdxBarSubMenuControl(TdxBarManager& manager, TdxBarPainter& painter)
    : FManager(manager), FPainter(painter), FItemLinks(&manager, nullptr) {
    CreateParams params;
    params.className = "QuorvaBarSubMenu";
    params.classStyle = CS_SAVEBITS;
    params.style = WS_POPUP;
    params.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    CreateHandle(params);
    Office11PaletteAddRef();
}

TdxBarSubMenuControl::~TdxBarSubMenuControl() {
    StopAnimation();
    if (gOpenMenu == this) gOpenMenu = nullptr;
    // The rows point into the links, which go before the window.
    FRows.clear();
    DestroyHandle();
    Office11PaletteRelease();
}

TdxBarSubMenuControl* TdxBarSubMenuControl::OpenMenu() { return gOpenMenu; }

SIZE TdxBarSubMenuControl::CalcLayout() {
    FRows.clear();
    forms::WindowDC dc(Handle());
    forms::SelectGuard font(dc.Get(), FManager.Font().Handle());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    const int rowHeight = std::max<int>(kMinRowHeight, metrics.tmHeight + 6);
    // The column and its check mark grow with the font, as the rows do.
    FImageColumn = rowHeight + kColumnOverRow;
    FCheckMark = std::max<int>(kMinCheckMark, metrics.tmHeight / 2 + 1);
    int contentWidth = 0;
    int y = kFrame;
    for (int i = 0; i < FItemLinks.Count(); ++i) {
        TdxBarItemLink* link = FItemLinks.Items(i);
        if (!link->Item() || !link->Shown()) continue;
        const bool separator = link->BeginGroup() && !FRows.empty();
        if (separator) y += kSeparatorHeight;
        const int extent = RowExtent(*link);
        FRows.push_back({link, {kFrame, y, 0, y + rowHeight}, separator, extent});
        y += rowHeight;
        const int text = FPainter.TextWidth(dc.Get(), link->Item()->Caption());
        contentWidth = std::max(contentWidth, extent > 0 ? text + kExtentGap + extent + kExtentMargin
                                                         : text + kTextRightMargin);
    }
    const int width = kFrame + FImageColumn + kTextIndent + contentWidth + kFrame;
    for (Row& row : FRows) row.rect.right = width - kFrame;
    RowsPlaced();
    return {width, y + kFrame};
}

RECT TdxBarSubMenuControl::RowRect(int index) const { return FRows.at(static_cast<std::size_t>(index)).rect; }

RECT TdxBarSubMenuControl::RowExtentRect(int index) const {
    const Row& row = FRows.at(static_cast<std::size_t>(index));
    if (row.extent <= 0) return {};
    return {row.rect.right - kExtentMargin - row.extent, row.rect.top, row.rect.right - kExtentMargin, row.rect.bottom};
}

void TdxBarSubMenuControl::Popup(POINT pointer) {
    if (gOpenMenu && gOpenMenu != this) gOpenMenu->CloseUp();
    StopAnimation();
    FSelected = -1;
    FClientSize = CalcLayout();
    FBounds = PlacePopupMenu(pointer, FClientSize, WorkAreaAt(pointer));
    gOpenMenu = this;
    PlayMenuSound("MenuPopup");
    const TdxBarMenuAnimations animation =
        Animates() ? ChosenAnimation(FManager.MenuAnimations()) : TdxBarMenuAnimations::None;
    if (animation == TdxBarMenuAnimations::None) {
        ShowAt(Handle(), FBounds);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    // Animations start from a hidden window in its final place.
    if (Showing()) ::ShowWindow(Handle(), SW_HIDE);
    ::SetWindowPos(Handle(), HWND_TOPMOST, FBounds.left, FBounds.top, FBounds.right - FBounds.left,
                   FBounds.bottom - FBounds.top, SWP_NOACTIVATE);
    if (animation == TdxBarMenuAnimations::Fade) {
        // The menu shows in any case, faded in or not.
        if (!FadeIn(Handle()) || !Showing()) ShowAt(Handle(), FBounds);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    StartAnimation(animation, pointer);
}

void TdxBarSubMenuControl::StartAnimation(TdxBarMenuAnimations animation, POINT pointer) {
    FAnimationImage.SetSize(FBounds.right - FBounds.left, FBounds.bottom - FBounds.top);
    Paint(FAnimationImage.DC());
    TAnimationPlan plan;
    plan.window = Handle();
    plan.animation = animation;
    plan.bounds = FBounds;
    // The edges at the pointer stay where they are.
    plan.fixedRight = FBounds.right == pointer.x && FBounds.left < pointer.x;
    plan.fixedBottom = FBounds.bottom == pointer.y && FBounds.top < pointer.y;
    plan.image = FAnimationImage.DC();
    plan.clock = AnimationClock() ? AnimationClock() : TMenuAnimationClock(SystemTicks);
    plan.observer = AnimationObserver();
    FStopAnimation = false;
    FAnimationDone = false;
    const WPARAM id = ++FAnimationId;
    FAnimation = std::thread([this, plan, id] {
        try {
            Animate(plan, FStopAnimation);
        } catch (...) {
            // Only the look of the opening is lost: the final placement follows.
        }
        ::PostMessageA(plan.window, kAnimationDone, id, 0);
        FAnimationDone = true;
    });
}

void TdxBarSubMenuControl::StopAnimation() {
    if (!FAnimation.joinable()) return;
    FStopAnimation = true;
    // A plain join could wait for a thread that waits for us inside a
    // window call; so take the messages it sends until it is through.
    while (!FAnimationDone) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG message;
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    FAnimation.join();
    FAnimationImage.Reset();
}

void TdxBarSubMenuControl::FinishAnimation() {
    if (!Animating()) return;
    StopAnimation();
    ShowAt(Handle(), FBounds);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TdxBarSubMenuControl::CloseUp() {
    ClosingUp();
    StopAnimation();
    if (gOpenMenu == this) gOpenMenu = nullptr;
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    if (Showing()) ::ShowWindow(Handle(), SW_HIDE);
    FSelected = -1;
}

int TdxBarSubMenuControl::RowAt(POINT point) const {
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (::PtInRect(&FRows[i].rect, point)) return static_cast<int>(i);
    return -1;
}

bool TdxBarSubMenuControl::RowEnabled(int index) const {
    return index >= 0 && index < RowCount() && RowLink(index).Item()->Enabled();
}

void TdxBarSubMenuControl::Select(int index) {
    if (index == FSelected) return;
    FSelected = index;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TdxBarSubMenuControl::Choose(int index) {
    if (!RowEnabled(index) || RowChosen(index)) return;
    TdxBarItem* item = RowLink(index).Item();
    CloseUp();
    PlayMenuSound("MenuCommand");
    item->SetClickItemLink(&RowLink(index));
    item->PerformClick();
}

void TdxBarSubMenuControl::MoveSelection(int step) {
    const int count = RowCount();
    int index = FSelected < 0 ? (step > 0 ? -1 : count) : FSelected;
    for (int tries = 0; tries < count; ++tries) {
        index = ((index + step) % count + count) % count;
        if (RowEnabled(index)) {
            Select(index);
            return;
        }
    }
}

bool TdxBarSubMenuControl::TakesKey(WPARAM) const { return true; }

void TdxBarSubMenuControl::KeyPressed(WPARAM key) {
    FinishAnimation();
    switch (key) {
        case VK_ESCAPE: CloseUp(); return;
        case VK_UP: MoveSelection(-1); return;
        case VK_DOWN: MoveSelection(1); return;
        case VK_RETURN: Choose(FSelected); return;
        default: break;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<int>(::MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_CHAR) & 0xFF)));
    if (letter == 0) return;
    for (int i = 0; i < RowCount(); ++i)
        if (RowEnabled(i) && AcceleratorOf(RowLink(i).Item()->Caption()) == letter) {
            Choose(i);
            return;
        }
}

void TdxBarSubMenuControl::PointerPressedSomewhere(HWND window) {
    if (gOpenMenu && window != gOpenMenu->Handle() && !::IsChild(gOpenMenu->Handle(), window)) gOpenMenu->CloseUp();
}

void TdxBarSubMenuControl::Paint(HDC dc) {
    const TOffice11Palette& palette = Office11Palette();
    RECT client{0, 0, FClientSize.cx, FClientSize.cy};
    FillSolid(dc, client, palette.MenuBack);
    FillLinearGradient(dc, {kFrame, kFrame, kFrame + FImageColumn, client.bottom - kFrame}, palette.ToolbarLight,
                       palette.ToolbarDark, true);
    FrameSolid(dc, client, palette.MenuFrame);

    forms::SaveDCGuard saved(dc);
    ::SelectObject(dc, FManager.Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < RowCount(); ++i) {
        const Row& row = FRows[static_cast<std::size_t>(i)];
        TdxBarItem* item = row.link->Item();
        if (row.separatorAbove) {
            const int y = row.rect.top - kSeparatorHeight / 2 - 1;
            FillSolid(dc, {kFrame + FImageColumn + kTextIndent, y, row.rect.right, y + 1}, palette.MenuFrame);
        }
        RECT box{row.rect.left + kCheckMargin, row.rect.top + kCheckMargin, row.rect.left + FImageColumn - kCheckMargin,
                 row.rect.bottom - kCheckMargin};
        const bool selected = i == FSelected && item->Enabled();
        if (selected) {
            FillSolid(dc, row.rect, palette.MenuSelected);
            DrawSelectionFrame(dc, row.rect);
        }
        if (IsChecked(item)) {
            FillSolid(dc, box, palette.MenuChecked);
            DrawSelectionFrame(dc, box);
            const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
            DrawCheckMark(dc, centre, FCheckMark, palette.MenuCheckMark);
        }
        RECT text{kFrame + FImageColumn + kTextIndent, row.rect.top, row.rect.right, row.rect.bottom};
        ::SetTextColor(dc, !item->Enabled() ? palette.TextDisabled
                                            : selected ? palette.MenuSelectedText : palette.MenuText);
        const std::string& caption = item->Caption();
        ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
}

LRESULT TdxBarSubMenuControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_PAINT: {
            forms::PaintDC paint(Handle());
            // The animation draws the window itself meanwhile.
            if (!Animating()) Paint(paint.Get());
            return 0;
        }
        case kAnimationDone:
            if (wParam == FAnimationId) FinishAnimation();
            return 0;
        case WM_DESTROY: StopAnimation(); return TWindow::WndProc(message, wParam, lParam);
        case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            ::TrackMouseEvent(&track);
            const int row = RowAt(point);
            Select(RowEnabled(row) ? row : -1);
            return 0;
        }
        case WM_MOUSELEAVE: Select(-1); return 0;
        case WM_LBUTTONDOWN: FinishAnimation(); return 0;
        case WM_RBUTTONDOWN: return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: Choose(RowAt(point)); return 0;
        default: return TWindow::WndProc(message, wParam, lParam);
    }
}

}  // namespace bars
