#include "bars/dxBarControl.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

#include "bars/dxBarCustForm.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarHint.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarToolbar.h"
#include "forms/Forms.h"
#include "forms/Handles.h"
#include "forms/ImgList.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

// ---- TdxBarControl

TdxBarControl::TdxBarControl(TdxBar& bar, TdxDockControl& dock) : TWinControl(nullptr), FBar(bar), FDock(dock) {
    SetVisible(false);  // shown once placed
    SetCaption(bar.Caption());
    UpdateDoubleBuffering();
    SetRetained(true);
    SetParent(&dock);
}

namespace {
TdxBarControl* gActiveToolbar = nullptr;
// One bar at a time watches for the pointer leaving it.
TdxBarControl* gWatchedToolbar = nullptr;
constexpr UINT kPointerWatchInterval = 100;
}  // namespace

TdxBarControl::~TdxBarControl() {
    DisconnectAccessible(true);
    TdxBarManager::ForgetBarControl(this);
    if (gActiveToolbar == this) gActiveToolbar = nullptr;
    if (gWatchedToolbar == this) gWatchedToolbar = nullptr;
    FSelected = nullptr;
    for (auto& control : FControls) control->ItemLink().FControl = nullptr;
    FControls.clear();
}

void TdxBarControl::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.classStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    params.exStyle = 0;
}

TdxBarDockingStyle TdxBarControl::DockingStyle() const { return FDock.DockingStyle(); }
TdxBarManager& TdxBarControl::BarManager() const { return FBar.BarManager(); }
TdxBarPainter& TdxBarControl::Painter() const { return BarManager().Painter(); }
const TFont& TdxBarControl::Font() const { return FBar.Font(); }

bool TdxBarControl::MarkShown() const { return FBar.ShowMark() && !FBar.IsMainMenu(); }

int TdxBarControl::MarkWidth() const { return Painter().MarkWidth(*this); }

RECT TdxBarControl::BorderWidths(TdxBarDockingStyle style) const { return Painter().BarBorderWidths(*this, style); }

RECT TdxBarControl::BorderWidthsTotal() const { return BorderWidths(DockingStyle()); }

RECT TdxBarControl::ItemsRect() const {
    RECT b = BorderWidthsTotal();
    RECT r{0, 0, std::max<LONG>(0, PlannedWidth - b.left - b.right), std::max<LONG>(0, PlannedHeight - b.top - b.bottom)};
    if (MarkShown()) (Vertical() ? r.bottom : r.right) -= MarkWidth();
    return r;
}

int TdxBarControl::SeparatorBefore(int index) const {
    return index > 0 && Controls(index).ItemLink().BeginGroup() ? Painter().BeginGroupSize() : 0;
}

namespace {
int EmptyLength(const TdxBarPainter& painter, bool vertical) {
    SIZE s = painter.EmptyBarContentSize();
    return vertical ? s.cy : s.cx;
}
int EmptyThickness(const TdxBarPainter& painter, bool vertical) {
    SIZE s = painter.EmptyBarContentSize();
    return vertical ? s.cx : s.cy;
}
}  // namespace

int TdxBarControl::LeastContentWidth(TdxBarDockingStyle style) {
    bool vertical = IsVertical(style);
    if (vertical) return LeastContentHeight(TdxBarDockingStyle::Top);
    int first = FControls.empty() ? 0 : FControls.front()->WidthOnBar();
    return std::max(first, EmptyLength(Painter(), false));
}

int TdxBarControl::LeastContentHeight(TdxBarDockingStyle style) {
    bool vertical = IsVertical(style);
    if (vertical) {
        int first = FControls.empty() ? 0 : FControls.front()->HeightOnBar();
        return std::max(first, EmptyLength(Painter(), true));
    }
    int thickness = 0;
    for (auto& c : FControls) thickness = std::max(thickness, c->HeightOnBar());
    return std::max(thickness, EmptyThickness(Painter(), false));
}

int TdxBarControl::FullContentWidth(TdxBarDockingStyle style) {
    if (IsVertical(style)) {
        int thickness = 0;
        for (auto& c : FControls) thickness = std::max(thickness, c->WidthOnBar());
        return std::max(thickness, EmptyThickness(Painter(), true));
    }
    int sum = 0;
    for (int i = 0; i < ControlCount(); ++i) sum += SeparatorBefore(i) + Controls(i).WidthOnBar();
    return std::max(sum, EmptyLength(Painter(), false));
}

int TdxBarControl::FullContentHeight(TdxBarDockingStyle style) {
    if (!IsVertical(style)) return LeastContentHeight(style);
    int sum = 0;
    for (int i = 0; i < ControlCount(); ++i) sum += SeparatorBefore(i) + Controls(i).HeightOnBar();
    return std::max(sum, EmptyLength(Painter(), true));
}

TdxBarContent TdxBarControl::LayoutContent(TdxBarDockingStyle style) {
    const bool vertical = IsVertical(style);
    TdxBarContent content;
    content.least = {vertical ? LeastContentHeight(style) : LeastContentWidth(style),
                     vertical ? LeastContentWidth(style) : LeastContentHeight(style)};
    content.mark = MarkShown() ? MarkWidth() : 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TdxBarItemControl& c = Controls(i);
        TdxBarExtent size = vertical ? TdxBarExtent{c.HeightOnBar(), c.WidthOnBar()}
                                     : TdxBarExtent{c.WidthOnBar(), c.HeightOnBar()};
        content.items.push_back({size, SeparatorBefore(i), c.Item().Align()});
    }
    return content;
}

TdxDockRowBar TdxBarControl::RowBar(TdxBarDockingStyle style) {
    const bool vertical = IsVertical(style);
    const RECT b = BorderWidths(style);
    TdxDockRowBar row;
    row.borders = vertical ? TdxBarExtent{b.top + b.bottom, b.left + b.right}
                           : TdxBarExtent{b.left + b.right, b.top + b.bottom};
    row.leastLength = (vertical ? LeastContentHeight(style) : LeastContentWidth(style)) + row.borders.length;
    row.fullLength = (vertical ? FullContentHeight(style) : FullContentWidth(style)) + row.borders.length;
    if (MarkShown() && row.leastLength != row.fullLength) row.leastLength += MarkWidth();
    row.wholeRow = FBar.WholeRow();
    row.useRestSpace = FBar.UseRestSpace();
    row.content = LayoutContent(style);
    return row;
}

void TdxBarControl::SetFitting(int count) {
    for (int i = 0; i < ControlCount(); ++i) Controls(i).SetHidden(i >= count);
}

void TdxBarControl::PlaceItems() {
    int fitting = 0;
    while (fitting < ControlCount() && !Controls(fitting).Hidden()) ++fitting;
    const RECT items = ItemsRect();
    TdxBarItemPlaces places = PlaceBarItems(LayoutContent(DockingStyle()), fitting, items, Vertical());
    const int thickness = Vertical() ? items.right - items.left : items.bottom - items.top;
    for (int i = 0; i < ControlCount(); ++i) {
        TdxBarItemLink& link = Controls(i).ItemLink();
        const bool placed = i < static_cast<int>(places.rects.size());
        Controls(i).SetHidden(!placed);
        link.SetItemRect(placed ? places.rects[static_cast<std::size_t>(i)] : RECT{});
        if (placed) link.SetRowHeight(thickness);
    }
    if (places.overfull) Overfull = true;
    AccessibleChanged(EVENT_OBJECT_REORDER, nullptr);
}

void TdxBarControl::UpdateControls() {
    // New controls are made first: if one fails, nothing has changed yet.
    TdxBarItemLinks& links = FBar.ItemLinks();
    std::vector<TdxBarItemLink*> shown;
    std::vector<std::unique_ptr<TdxBarItemControl>> made;
    for (int i = 0; i < links.Count(); ++i) {
        TdxBarItemLink& link = *links.Items(i);
        if (!link.Shown()) continue;
        if (!link.FControl) {
            // A kind without a registered control does not appear on bars.
            TdxBarItemControlFactory factory = link.Item()->ControlKindOf();
            if (!factory) continue;
            std::unique_ptr<TdxBarItemControl> control = factory(*this, link);
            if (control->PossibleViewLevels() == 0)
                throw EdxException(Format(ResString("dxSBAR_NOVIEWLEVELS"), {control->ClassName()}));
            made.push_back(std::move(control));
        }
        shown.push_back(&link);
    }
    std::vector<std::unique_ptr<TdxBarItemControl>> next;
    auto fresh = made.begin();
    for (TdxBarItemLink* link : shown) {
        if (link->FControl) {
            auto own = std::find_if(FControls.begin(), FControls.end(),
                                    [&](const auto& c) { return c.get() == link->FControl; });
            next.push_back(std::move(*own));
        } else {
            link->FControl = fresh->get();
            next.push_back(std::move(*fresh++));
        }
        next.back()->SetHidden(false);
    }
    for (auto& gone : FControls)
        if (gone) {
            gone->ItemLink().FControl = nullptr;
            if (FSelected == gone.get()) SetSelected(nullptr, false);
        }
    FControls = std::move(next);
}

void TdxBarControl::RemoveLinkControl(TdxBarItemLink& link) {
    if (FCustomizingLink == &link) FCustomizingLink = nullptr;
    auto it = std::find_if(FControls.begin(), FControls.end(), [&](const auto& c) { return &c->ItemLink() == &link; });
    if (it == FControls.end()) return;
    if (FSelected == it->get()) SetSelected(nullptr, false);
    link.FControl = nullptr;
    FControls.erase(it);
}

bool TdxBarControl::Shown() const {
    return FBar.Visible() && HandleAllocated() && ::IsWindowVisible(Handle());
}

void TdxBarControl::ControlEnabledChanged(TdxBarItemControl& control) {
    if (FSelected == &control && !control.Enabled()) SetSelected(nullptr, false);
    AccessibleChanged(EVENT_OBJECT_STATECHANGE, &control);
}

void TdxBarControl::RequestLayout() { FDock.RefreshDock(); }

void TdxBarControl::RebuildMetrics() {
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (auto& c : FControls) c->Remeasure();
    RequestLayout();
}

void TdxBarControl::UpdateDoubleBuffering() {
    const TdxBarPainter& painter = Painter();
    SetDoubleBuffered(FBar.Color() != clDefault || FDock.DoubleBuffered() || painter.PaintsBackgroundFirst() ||
                      painter.BarWantsBuffer(*this));
}

void TdxBarControl::InvalidateItem(const TdxBarItemControl& control) {
    FPictures.Forget(&control);
    InvalidateItemState(control);
}

void TdxBarControl::InvalidateItemState(const TdxBarItemControl& control) {
    if (HandleAllocated()) InvalidateArea(control.ItemLink().ItemRect());
}

void TdxBarControl::Invalidate() {
    FPictures.Clear();
    TWinControl::Invalidate();
}

void TdxBarControl::PaintItem(HDC dc, TdxBarItemControl& control, const RECT& r) {
    // The background is the whole bar's, clipped to the item.
    FillBackgroundRect(dc, ClientRect());
    SelectGuard font(dc, Font().Handle());
    control.Paint(dc, r);
    DrawSelectionMark(dc, control);
}

void TdxBarControl::Paint(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    KeepPicturesCurrent();
    // The clip is kept as a region rather than with SaveDC: restoring a
    // whole DC state selects its font again, which costs more than an item.
    Region clip(::CreateRectRgn(0, 0, 0, 0));
    const bool clipped = ::GetClipRgn(dc, clip.Get()) == 1;
    // Each item is a finished picture, drawn once for each look and then
    // copied; the background leaves the items alone, and an item outside
    // the update is not drawn at all. When one item covers the whole
    // update (a change of its look), nothing else is left to paint.
    RECT box, common;
    if (::GetClipBox(dc, &box) == NULLREGION) return;
    bool covered = false;
    for (auto& c : FControls) {
        const RECT& r = c->ItemLink().ItemRect();
        if (c->Hidden() || !::IntersectRect(&common, &r, &box)) continue;
        if (::RectVisible(dc, &r)) {
            const TdxBarItemLook look = LookOf(*c);
            if (!FPictures.Draw(c.get(), look, dc)) {
                if (HDC picture = FPictures.Begin(c.get(), look)) {
                    PaintItem(picture, *c, r);
                    FPictures.End();
                    FPictures.Draw(c.get(), look, dc);
                } else {
                    Region rest(::CreateRectRgn(0, 0, 0, 0));
                    const bool restClipped = ::GetClipRgn(dc, rest.Get()) == 1;
                    ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
                    PaintItem(dc, *c, r);
                    ::SelectClipRgn(dc, restClipped ? rest.Get() : nullptr);
                }
            }
        }
        if ((covered = ::EqualRect(&common, &box) != FALSE)) break;
        ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    if (!covered && ::GetClipBox(dc, &box) != NULLREGION) FillBackgroundRect(dc, ClientRect());
    ::SelectClipRgn(dc, clipped ? clip.Get() : nullptr);
}

bool TdxBarControl::PaintFinishedPicture(HDC dc, const RECT& area) {
    KeepPicturesCurrent();
    for (auto& c : FControls) {
        const RECT& r = c->ItemLink().ItemRect();
        RECT common;
        if (c->Hidden() || !::IntersectRect(&common, &r, &area)) continue;
        return ::EqualRect(&common, &area) && FPictures.Draw(c.get(), LookOf(*c), dc, area);
    }
    return false;
}

TdxBarItemLook TdxBarControl::LookOf(const TdxBarItemControl& control) const {
    return {control.DrawnSelected(), control.DrawnPressed(), Marked(control), control.ItemLink().ItemRect()};
}

void TdxBarControl::KeepPicturesCurrent() {
    if (FPicturesAppearance == AppearanceGeneration()) return;
    FPictures.Clear();
    FPicturesAppearance = AppearanceGeneration();
}

void TdxBarControl::FillBackgroundRect(HDC dc, const RECT& rect) { Painter().FillBarBackground(*this, dc, rect); }

LRESULT TdxBarControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (BarManager().CustomizeMode()) switch (message) {
            case WM_MOUSEMOVE: CustomizingMoved(point); return 0;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: CustomizingPressed(point, false); return 0;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONDBLCLK: CustomizingPressed(point, true); return 0;
            case WM_LBUTTONUP: EndPendingDrag(); return 0;
            case WM_RBUTTONUP: return 0;
            case WM_CAPTURECHANGED: FDragPending = false; return 0;
            default: break;
        }
    switch (message) {
        case WM_NCHITTEST: return HTCLIENT;
        case WM_MOUSEMOVE: PointerMoved(point); return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: LeftPressed(point); return 0;
        case WM_LBUTTONUP: LeftReleased(point); return 0;
        case WM_RBUTTONDOWN: RightPressed(point); return 0;
        case WM_RBUTTONUP: return 0;
        default: return TWinControl::WndProc(message, wParam, lParam);
    }
}

TdxBarItemControl* TdxBarControl::ControlAt(POINT point) const {
    for (const auto& c : FControls) {
        const RECT& r = c->ItemLink().ItemRect();
        if (!c->Hidden() && ::PtInRect(&r, point)) return c.get();
    }
    return nullptr;
}

bool TdxBarControl::Owns(const TdxBarItemControl* control) const {
    return std::any_of(FControls.begin(), FControls.end(), [&](const auto& c) { return c.get() == control; });
}

TdxBarControl* TdxBarControl::ActiveToolbar() { return gActiveToolbar; }

void TdxBarControl::PointerMoved(POINT point) {
    if (!FWatching) {
        if (gWatchedToolbar && gWatchedToolbar != this) gWatchedToolbar->PointerLeftBar();
        FWatching = ::SetTimer(Handle(), kPointerWatchTimer, kPointerWatchInterval, nullptr) != 0;
        if (FWatching) gWatchedToolbar = this;
    }
    TdxBarItemControl* under = ControlAt(point);
    for (auto& c : FControls) {
        int part = c.get() == under ? 0 : -1;
        if (c->HotPartIndex == part) continue;
        c->HotPartIndex = part;
        c->InvalidateState();
    }
    // Over an active bar's empty part the selection stays.
    if (!FMenuMode || under) SetSelected(under, true);
}

LRESULT TdxBarControl::WMTimer(UINT_PTR id) {
    if (id != kPointerWatchTimer) return TWinControl::WMTimer(id);
    POINT cursor;
    RECT bounds;
    if (!::GetCursorPos(&cursor) || !::GetWindowRect(Handle(), &bounds) || !::PtInRect(&bounds, cursor))
        PointerLeftBar();
    return 0;
}

void TdxBarControl::PointerLeftBar() {
    if (FWatching) ::KillTimer(Handle(), kPointerWatchTimer);
    FWatching = false;
    if (gWatchedToolbar == this) gWatchedToolbar = nullptr;
    for (auto& c : FControls)
        if (c->HotPartIndex != -1) {
            c->HotPartIndex = -1;
            c->InvalidateState();
        }
    SetSelected(nullptr, true);
}

void TdxBarControl::LeftPressed(POINT point) {
    TdxBarItemControl* control = ControlAt(point);
    if (!control || !control->Enabled()) {
        TooltipShouldHide();
        if (FMenuMode) Deactivate();
        return;
    }
    if (!FMenuMode) Activate(*control, true);
    if (!Owns(control)) return;
    SetSelected(control, true);
    TooltipShouldHide();
    control->InvalidateState();
}

void TdxBarControl::Activate(TdxBarItemControl& control, bool byPointer) {
    FFocusBefore = ::GetFocus();
    if (gActiveToolbar && gActiveToolbar != this) gActiveToolbar->Deactivate();
    if (!BarManager().CustomizeMode()) {
        HWND form = ::GetAncestor(Handle(), GA_ROOT);
        ::BringWindowToTop(form);
        ::SetActiveWindow(form);
    }
    SetSelected(&control, byPointer);
    FMenuMode = true;
    if (!byPointer) AccessibleChanged(EVENT_OBJECT_FOCUS, &control);
    gActiveToolbar = this;
    BarManager().FFocusedBarControl = this;
    TdxBarItemLinks& links = FBar.ItemLinks();
    for (int i = 0; i < links.Count(); ++i)
        if (TdxBarItem* item = links.Items(i)->Item(); item && item->Action()) item->Action()->Update();
}

void TdxBarControl::LeftReleased(POINT point) {
    RECT client = ClientRect();
    if (!::PtInRect(&client, point) || !FMenuMode || BarManager().CustomizeMode()) return;
    TdxBarItemControl* control = ControlAt(point);
    if (!control) return;
    if (control->Enabled() && control == FSelected) ExecuteItem(*control);
    else if (!control->Enabled() && control != FSelected) Deactivate();
}

// ---- Customizing

void TdxBarControl::SetCustomizingLink(TdxBarItemLink* link) {
    if (link == FCustomizingLink) return;
    TdxBarItemLink* old = FCustomizingLink;
    FCustomizingLink = link;
    if (old && old->Control()) old->Control()->InvalidateState();
    if (link && link->Control()) link->Control()->InvalidateState();
}

void TdxBarControl::CustomizingPressed(POINT point, bool right) {
    FDragPending = false;
    TdxBarItemControl* control = ControlAt(point);
    TdxBarItemLink* link = control ? &control->ItemLink() : nullptr;
    SetCustomizingLink(link);
    if (IdxBarSelection* selection = BarManager().SelectionHandler()) {
        // A link is selected through its item: every link of it shows the mark.
        forms::TPersistent* object = link ? static_cast<forms::TPersistent*>(link->Item()) : &FBar;
        const bool selected = selection->InSelection(object) || (link && selection->InSelection(link));
        const bool shift = ::GetKeyState(VK_SHIFT) < 0, ctrl = ::GetKeyState(VK_CONTROL) < 0;
        TdxBarSelectionOperation operation = TdxBarSelectionOperation::Exclusive;
        if (right && selected) operation = TdxBarSelectionOperation::Add;
        else if (!right && shift && !ctrl)
            operation = selected ? TdxBarSelectionOperation::Remove : TdxBarSelectionOperation::Add;
        selection->AddToSelection(object, operation);
    }
    if (right) {
        TdxBarDesignController::Instance().PopupItemMenu(*this, link);
        return;
    }
    if (!link) return;
    FDragPressPoint = point;
    FDragPending = true;
    ::SetCapture(Handle());
}

void TdxBarControl::CustomizingMoved(POINT point) {
    if (!FDragPending) return;
    const int dx = ::GetSystemMetrics(SM_CXDRAG), dy = ::GetSystemMetrics(SM_CYDRAG);
    RECT still{FDragPressPoint.x - dx, FDragPressPoint.y - dy, FDragPressPoint.x + dx + 1, FDragPressPoint.y + dy + 1};
    if (::PtInRect(&still, point)) return;
    EndPendingDrag();
    TdxBarItemLink* link = FCustomizingLink;
    if (!link || !link->Item()) return;
    if (link->Control()) link->Control()->HotPartIndex = -1;
    BarManager().BeginItemDrag(*link->Item(), link);
}

void TdxBarControl::EndPendingDrag() {
    if (!FDragPending) return;
    FDragPending = false;
    if (::GetCapture() == Handle()) ::ReleaseCapture();
}

bool TdxBarControl::Marked(const TdxBarItemControl& control) const {
    const IdxBarSelection* selection = BarManager().CustomizeMode() ? BarManager().SelectionHandler() : nullptr;
    const TdxBarItemLink& link = control.ItemLink();
    return selection && (selection->InSelection(&link) || selection->InSelection(link.Item()));
}

void TdxBarControl::DrawSelectionMark(HDC dc, const TdxBarItemControl& control) const {
    if (!Marked(control)) return;
    RECT r = control.ItemLink().ItemRect();
    for (int i = 0; i < 2; ++i) {
        ::FrameRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOWTEXT));
        ::InflateRect(&r, -1, -1);
    }
}

void TdxBarControl::RightPressed(POINT) {
    if (BarManager().CustomizeMode()) return;
    TooltipShouldHide();
    TdxBarDesignController::Instance().PopupToolbarsMenu(BarManager(), Painter());
}

std::vector<TdxBarItemControl*> TdxBarControl::ShownControls() const {
    std::vector<TdxBarItemControl*> shown;
    // Empty places exist only while UpdateControls moves controls over.
    for (auto& c : FControls)
        if (c && !c->Hidden()) shown.push_back(c.get());
    return shown;
}

void TdxBarControl::MoveSelection(int step) {
    std::vector<TdxBarItemControl*> shown = ShownControls();
    if (shown.empty()) return;
    const int count = static_cast<int>(shown.size());
    auto at = std::find(shown.begin(), shown.end(), FSelected);
    int index = at == shown.end() ? (step > 0 ? -1 : count) : static_cast<int>(at - shown.begin());
    index = ((index + step) % count + count) % count;
    SetSelected(shown[static_cast<std::size_t>(index)], false);
}

void TdxBarControl::KeyPressed(WPARAM key) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (key) {
        case VK_LEFT: MoveSelection(-1); break;
        case VK_RIGHT: MoveSelection(1); break;
        case VK_TAB:
            if (::GetKeyState(VK_CONTROL) < 0) ActivateNextBar();
            else MoveSelection(shift ? -1 : 1);
            break;
        case VK_HOME:
            SetSelected(nullptr, false);
            MoveSelection(1);
            break;
        case VK_END:
            SetSelected(nullptr, false);
            MoveSelection(-1);
            break;
        case VK_RETURN:
            if (FSelected && FSelected->Enabled()) ExecuteItem(*FSelected);
            break;
        case VK_ESCAPE:
        case VK_MENU: Deactivate(); break;
        case VK_F10:
            if (BarManager().UseF10ForMenu()) Deactivate();
            break;
        default:
            if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) ClickAccelerated(key);
            break;
    }
}

void TdxBarControl::ClickAccelerated(WPARAM key) {
    for (TdxBarItemControl* control : ShownControls()) {
        auto* button = dynamic_cast<TdxBarButtonLikeControl*>(control);
        if (button && button->Enabled() && forms::IsAccel(static_cast<char>(key), button->Caption())) {
            SetSelected(button, false);
            ExecuteItem(*button);
            return;
        }
    }
    ::MessageBeep(MB_OK);
}

void TdxBarControl::ActivateNextBar() {
    TdxBars& bars = BarManager().Bars();
    const int count = bars.Count();
    const int own = bars.IndexOf(&FBar);
    for (int step = 1; step < count; ++step) {
        TdxBarControl* next = bars.Items((own + step) % count)->Control();
        if (!next || !next->Shown()) continue;
        std::vector<TdxBarItemControl*> shown = next->ShownControls();
        if (shown.empty()) continue;
        next->Activate(*shown.front(), false);
        return;
    }
}

void TdxBarControl::Deactivate() {
    SetSelected(nullptr, false);
    if (!FMenuMode) return;
    FMenuMode = false;
    if (gActiveToolbar == this) gActiveToolbar = nullptr;
    if (BarManager().FFocusedBarControl == this) BarManager().FFocusedBarControl = nullptr;
    HWND focus = FFocusBefore;
    FFocusBefore = nullptr;
    if (Application().Active() && focus && ::IsWindow(focus) && ::IsWindowVisible(focus)) ::SetFocus(focus);
}

void TdxBarControl::PointerPressedSomewhere(HWND window) {
    if (gActiveToolbar && gActiveToolbar->HandleAllocated() && window != gActiveToolbar->Handle())
        gActiveToolbar->Deactivate();
}

namespace {

// Takes the pressed look off a clicked button once its command is over,
// also when the command fails; not when the command freed the button.
class ShownPressedScope {
public:
    ShownPressedScope(TdxBarControl& bar, TdxBarItemControl& control, std::weak_ptr<char> barAlive)
        : FBar(bar), FControl(control), FBarAlive(std::move(barAlive)) {
        FControl.ShownPressed = true;
    }
    ~ShownPressedScope() {
        if (FBarAlive.expired()) return;
        for (int i = 0; i < FBar.ControlCount(); ++i)
            if (&FBar.Controls(i) == &FControl) {
                FControl.ShownPressed = false;
                FControl.InvalidateState();
            }
    }
    ShownPressedScope(const ShownPressedScope&) = delete;
    ShownPressedScope& operator=(const ShownPressedScope&) = delete;

private:
    TdxBarControl& FBar;
    TdxBarItemControl& FControl;
    std::weak_ptr<char> FBarAlive;
};

}  // namespace

void TdxBarControl::ExecuteItem(TdxBarItemControl& control) {
    TdxBarItem& item = control.Item();
    TdxBarItemLink& link = control.ItemLink();
    control.HotPartIndex = -1;
    ShownPressedScope pressed(*this, control, FAlive);
    // The bar is back to normal before the command runs; the button alone
    // shows pressed, also under a box the command opens.
    Deactivate();
    control.InvalidateState();
    ::UpdateWindow(Handle());
    item.SetClickItemLink(&link);
    item.PerformClick();
}

void TdxBarControl::SetSelected(TdxBarItemControl* control, bool byPointer) {
    if (control == FSelected) return;
    TdxBarItemControl* old = FSelected;
    FSelected = control;
    FSelectedByPointer = byPointer;
    if (control || BarManager().FSelectedItem == old) BarManager().FSelectedItem = control;
    if (old) old->InvalidateState();
    if (control) control->InvalidateState();
    else if (FWatching) ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    AccessibleChanged(EVENT_OBJECT_STATECHANGE, old);
    if (control) AccessibleChanged(EVENT_OBJECT_STATECHANGE, control);
    if (control && FMenuMode && !byPointer) AccessibleChanged(EVENT_OBJECT_FOCUS, control);
    SelectionChanged(control);
}

void TdxBarControl::SelectionChanged(TdxBarItemControl* control) {
    FHintText.clear();
    if (control && (control->Enabled() || BarManager().ShowHintForDisabledItems()))
        FHintText = LongHint(control->Item().Hint());
    // The status text reads the long hint; with no selection the request
    // hides a shown tooltip and lets the next one come at once for a moment.
    Application().SetHint(FHintText);
    BarManager().RequestTooltip(true, "", control);
}

void TdxBarControl::TooltipShouldHide() { BarManager().HideTooltip(); }

LRESULT TdxBarControl::WMSetFocus(HWND) {
    // The bar never keeps the keyboard: its form does, or the dialog that
    // customizes it.
    TdxBarCustomCustomizationForm* dialog = TdxBarCustomCustomizationForm::Instance();
    if (BarManager().CustomizeMode() && dialog && dialog->HandleAllocated()) {
        ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetFocus(dialog->Handle());
        return 0;
    }
    if (HWND form = ::GetAncestor(Handle(), GA_ROOT)) ::SetFocus(form);
    return 0;
}

LRESULT TdxBarControl::WMKillFocus(HWND next) {
    if (!next) Deactivate();
    return 0;
}

LRESULT TdxBarControl::WMNCCalcSize(bool, RECT& client) {
    RECT b = BorderWidthsTotal();
    client.left += b.left;
    client.top += b.top;
    client.right = std::max(client.left, client.right - b.right);
    client.bottom = std::max(client.top, client.bottom - b.bottom);
    return 0;
}

LRESULT TdxBarControl::WMNCPaint(HRGN) {
    RECT b = BorderWidthsTotal();
    if (b.left || b.top || b.right || b.bottom) {
        forms::NonClientDC dc(Handle());
        RECT window;
        ::GetWindowRect(Handle(), &window);
        ::OffsetRect(&window, -window.left, -window.top);
        Painter().DrawBarBorders(*this, dc.Get(), window);
    }
    return 0;
}

// ---- Accessibility

void TdxBarControl::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_TOOLBAR;
    info.name = AccessibleText(FBar.Caption());
}

int TdxBarControl::AccessibleChildCount() const { return static_cast<int>(ShownControls().size()); }

bool TdxBarControl::AccessibleInfo(int child, TAccessibleInfo& info) const {
    if (child == 0) return TWinControl::AccessibleInfo(child, info);
    const std::vector<TdxBarItemControl*> shown = ShownControls();
    if (child < 1 || child > static_cast<int>(shown.size())) return false;
    const TdxBarItemControl& c = *shown[static_cast<std::size_t>(child - 1)];
    const TdxBarItem& item = c.Item();
    info.role = ROLE_SYSTEM_PUSHBUTTON;
    info.name = AccessibleText(c.ItemLink().Caption());
    info.description = LongHint(item.Hint());
    info.shortcut = ShortCutToText(item.ShortCut());
    info.defaultAction = "Press";
    info.state = c.Enabled() ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
    if (c.DrawnPressed()) info.state |= STATE_SYSTEM_PRESSED;
    if (const auto* button = dynamic_cast<const TdxBarButton*>(&item); button && button->Down())
        info.state |= STATE_SYSTEM_CHECKED;
    if (FSelected == &c) {
        if (FSelectedByPointer) info.state |= STATE_SYSTEM_HOTTRACKED;
        if (FMenuMode) info.state |= STATE_SYSTEM_FOCUSED;
    }
    info.bounds = c.ItemLink().ItemRect();
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&info.bounds), 2);
    return true;
}

int TdxBarControl::AccessibleFocus() const {
    if (!FMenuMode || !FSelected) return -1;
    const std::vector<TdxBarItemControl*> shown = ShownControls();
    auto at = std::find(shown.begin(), shown.end(), FSelected);
    return at == shown.end() ? -1 : static_cast<int>(at - shown.begin()) + 1;
}

bool TdxBarControl::RequestAccessibleAction(int child) {
    const std::vector<TdxBarItemControl*> shown = ShownControls();
    if (child < 1 || child > static_cast<int>(shown.size())) return false;
    TdxBarItemControl* control = shown[static_cast<std::size_t>(child - 1)];
    // While customizing a press selects buttons rather than running them.
    if (!control->Enabled() || BarManager().CustomizeMode() || !WindowAcceptsInput(Handle())) return false;
    FAccessibleActions.push_back(control);
    if (PostAccessibleAction()) return true;
    FAccessibleActions.pop_back();
    return false;
}

void TdxBarControl::RunAccessibleAction() {
    if (FAccessibleActions.empty()) return;
    TdxBarItemControl* control = FAccessibleActions.front();
    FAccessibleActions.erase(FAccessibleActions.begin());
    // Things may have changed since the click was asked for.
    if (control->Hidden() || !control->Enabled() || BarManager().CustomizeMode() || !WindowAcceptsInput(Handle()))
        return;
    ExecuteItem(*control);
}

void TdxBarControl::ItemControlGone(const TdxBarItemControl* control) { std::erase(FAccessibleActions, control); }

void TdxBarControl::AccessibleChanged(DWORD event, const TdxBarItemControl* control) const {
    if (!HandleAllocated()) return;
    int child = 0;
    if (control) {
        const std::vector<TdxBarItemControl*> shown = ShownControls();
        auto at = std::find(shown.begin(), shown.end(), control);
        if (at == shown.end()) return;
        child = static_cast<int>(at - shown.begin()) + 1;
    }
    NotifyAccessible(event, Handle(), child);
}

// ---- TdxBarItemControl

TdxBarItemControl::TdxBarItemControl(TdxBarControl& parent, TdxBarItemLink& link) : FParent(parent), FLink(link) {}

TdxBarItemControl::~TdxBarItemControl() {
    FParent.ItemControlGone(this);
    ForgetTooltipControl(this);
    TdxBarManager::ForgetItemControl(this);
}

TdxBarItem& TdxBarItemControl::Item() const { return *FLink.Item(); }

bool TdxBarItemControl::Enabled() const { return Item().EffectiveEnabled(); }

bool TdxBarItemControl::DrawnSelected() const {
    return FParent.Selected() == this && (Enabled() || !FParent.SelectedByPointer());
}

bool TdxBarItemControl::DrawnPressed() const {
    if (ShownPressed) return true;
    return DrawnSelected() && FParent.Active() && HotPartIndex == 0 && ::GetKeyState(VK_LBUTTON) < 0;
}

void TdxBarItemControl::Measure() {
    if (FMeasured) return;
    MemoryDC dc;
    SelectGuard font(dc.Get(), FParent.Font().Handle());
    SIZE size = CalcSize(dc.Get());
    FSize = {std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1)};
    FMeasured = true;
}

int TdxBarItemControl::WidthOnBar() {
    Measure();
    return FSize.cx;
}

int TdxBarItemControl::HeightOnBar() {
    Measure();
    return FSize.cy;
}

void TdxBarItemControl::Invalidate() { FParent.InvalidateItem(*this); }

void TdxBarItemControl::InvalidateState() { FParent.InvalidateItemState(*this); }

void TdxBarItemControl::Paint(HDC, const RECT&) {}

int TdxBarItemControl::TextHeight(HDC dc) {
    SIZE size{};
    ::GetTextExtentPoint32A(dc, "Qq", 2, &size);
    return size.cy;
}

// ---- Buttons

std::string TdxBarButtonLikeControl::Caption() const {
    return (ItemLink().UserDefine() & udCaption) ? ItemLink().UserCaption() : Item().Caption();
}

TdxBarButton& TdxBarButtonControl::ButtonItem() const { return dynamic_cast<TdxBarButton&>(Item()); }

namespace {
TdxBarGlyphSource FromList(TCustomImageList* list, int index) {
    TdxBarGlyphSource source;
    if (list && index >= 0 && index < list->Count()) {
        source.images = list;
        source.index = index;
        source.size = {list->Width(), list->Height()};
    }
    return source;
}

TdxBarGlyphSource FromBitmap(controls::TcxBitmap& glyph) {
    TdxBarGlyphSource source;
    if (!glyph.Empty()) {
        source.glyph = &glyph;
        source.size = {glyph.Width(), glyph.Height()};
    }
    return source;
}
}  // namespace

TdxBarGlyphSource TdxBarButtonControl::GlyphSource() const {
    TdxBarButton& button = ButtonItem();
    if (TdxBarGlyphSource own = FromBitmap(button.Glyph())) return own;
    const TdxBarImageOptions& options = Parent().BarManager().ImageOptions();
    if (!Enabled() && options.DisabledImages())
        if (TdxBarGlyphSource disabled = FromList(options.DisabledImages(), button.ImageIndex())) return disabled;
    return FromList(options.Images(), button.ImageIndex());
}

TdxBarButtonParts SmallButtonParts(SIZE size, TdxBarPaintStyle style, const TdxBarButtonContent& content) {
    // Without a picture the caption stands in for it whatever the style;
    // a caption "in menu" is not shown on toolbars.
    const bool glyph = content.picture && style != TdxBarPaintStyle::Caption;
    const bool caption =
        !content.picture || style == TdxBarPaintStyle::Caption || style == TdxBarPaintStyle::CaptionGlyph;
    const SIZE g = content.glyph;
    int width = size.cx, height = size.cy;
    if (width <= 0) width = (glyph ? g.cx + 7 : 0) + (caption ? content.textWidth + (glyph ? 4 : 8) : 0);
    if (height <= 0) height = std::max<int>(g.cy, content.textHeight) + 6;
    TdxBarButtonParts parts;
    parts.frame = {0, 0, width, height};
    RECT text = parts.frame;
    if (glyph) {
        // Alone it is centred; a caption follows it on the right.
        int left = caption ? 3 : (width - g.cx) / 2;
        int top = (height - g.cy) / 2;
        parts.glyph = {left, top, left + g.cx, top + g.cy};
        text.left = parts.glyph.right + 1;
    }
    if (caption) parts.caption = text;
    return parts;
}

TdxBarPaintStyle TdxBarButtonControl::PaintStyle() const {
    return (ItemLink().UserDefine() & udPaintStyle) ? ItemLink().UserPaintStyle() : ButtonItem().PaintStyle();
}

TdxBarButtonContent TdxBarButtonControl::Content(HDC dc, SIZE missing) const {
    TdxBarGlyphSource source = GlyphSource();
    return {static_cast<bool>(source), source ? source.size : missing, Parent().Painter().TextWidth(dc, Caption()),
            TextHeight(dc)};
}

SIZE TdxBarButtonControl::FixedSize() const {
    int width = ButtonItem().ItemWidth();
    if ((ItemLink().UserDefine() & udWidth) && ItemLink().UserWidth() > 0) width = ItemLink().UserWidth();
    return {std::max(width, 0), 0};
}

TdxBarButtonParts TdxBarButtonControl::Layout(HDC dc, SIZE size) const {
    return SmallButtonParts(size, PaintStyle(), Content(dc, {16, 16}));
}

SIZE TdxBarButtonControl::CalcSize(HDC dc) {
    RECT frame = Layout(dc, FixedSize()).frame;
    return {frame.right - frame.left, frame.bottom - frame.top};
}

TdxBarButtonParts TdxBarButtonControl::Parts(HDC dc, const RECT& rect) const {
    if (::IsRectEmpty(&rect)) return {};
    TdxBarButtonParts parts = Layout(dc, {rect.right - rect.left, rect.bottom - rect.top});
    for (RECT* part : {&parts.frame, &parts.glyph, &parts.caption})
        if (!::IsRectEmpty(part)) ::OffsetRect(part, rect.left, rect.top);
    return parts;
}

TdxBarButtonLikeControlDrawParams TdxBarButtonControl::DrawParams(HDC dc, const RECT& rect) const {
    const TdxBarButton& button = ButtonItem();
    const TdxBarImageOptions& options = Parent().BarManager().ImageOptions();
    TdxBarButtonLikeControlDrawParams params;
    params.rect = rect;
    params.parts = Parts(dc, rect);
    params.paintType = Parent().Vertical() ? 2 : 0;
    params.caption = Caption();
    params.enabled = Enabled();
    // Pressed implies selected: a button running its command keeps the
    // pressed face and its frame.
    params.pressed = DrawnPressed();
    params.selected = DrawnSelected() || params.pressed;
    params.down = button.Down();
    params.style = button.ButtonStyle();
    params.picture = GlyphSource();
    params.pictureLooksDisabled = params.picture.images && (params.picture.images == options.DisabledImages() ||
                                                            params.picture.images == options.DisabledLargeImages());
    params.imageSize = options.Images() ? SIZE{options.Images()->Width(), options.Images()->Height()} : SIZE{16, 16};
    params.glyphOptions = {options.MakeDisabledImagesFaded(), options.SmoothGlyphs(), options.ImageListBkColor(),
                           options.UseLeftBottomPixelAsTransparent(), options.CacheGlyphs()};
    params.textColor = Parent().Font().Color();
    params.glyphCache = &FGlyphCache;
    TdxBarControl& bar = Parent();
    params.fillBackground = [&bar](HDC target, const RECT& r) { bar.FillBackgroundRect(target, r); };
    return params;
}

void TdxBarButtonControl::Paint(HDC dc, const RECT& rect) {
    const TdxBarButtonLikeControlDrawParams params = DrawParams(dc, rect);
    FImageBounds = params.parts.glyph;
    Parent().Painter().DrawButtonItem(dc, params);
}

TdxBarLargeButton& TdxBarLargeButtonControl::LargeButtonItem() const {
    return dynamic_cast<TdxBarLargeButton&>(Item());
}

TdxBarGlyphSource TdxBarLargeButtonControl::GlyphSource() const {
    TdxBarLargeButton& button = LargeButtonItem();
    if (TdxBarGlyphSource own = FromBitmap(button.LargeGlyph())) return own;
    const TdxBarImageOptions& options = Parent().BarManager().ImageOptions();
    if (!Enabled() && options.DisabledLargeImages())
        if (TdxBarGlyphSource disabled = FromList(options.DisabledLargeImages(), button.LargeImageIndex()))
            return disabled;
    if (TdxBarGlyphSource large = FromList(options.LargeImages(), button.LargeImageIndex())) return large;
    if (button.HotImagePresent()) return FromList(options.HotImages(), button.HotImageIndex());
    return {};
}

SIZE TdxBarLargeButtonControl::FixedSize() const {
    return {TdxBarButtonControl::FixedSize().cx, LargeButtonItem().Height()};
}

TdxBarButtonParts TdxBarLargeButtonControl::Layout(HDC dc, SIZE size) const {
    TdxBarLargeButton& button = LargeButtonItem();
    return LargeButtonParts(size, button.GlyphLayout(), button.ShowCaption(), Content(dc, {20, 20}));
}

TdxBarButtonParts LargeButtonParts(SIZE size, TdxBarGlyphLayout layout, bool showCaption,
                                   const TdxBarButtonContent& content) {
    const SIZE g = content.glyph;
    const bool sideways = layout == TdxBarGlyphLayout::Left || layout == TdxBarGlyphLayout::Right;
    int width = size.cx, height = size.cy;
    if (width <= 0)
        width = !showCaption ? g.cx + 10
                : sideways   ? g.cx + content.textWidth + 16
                             : std::max<int>(g.cx, content.textWidth + 6) + 10;
    if (height <= 0)
        height = !showCaption ? g.cy + 6
                 : sideways   ? std::max<int>(g.cy, content.textHeight) + 6
                              : g.cy + content.textHeight + 7;
    TdxBarButtonParts parts;
    parts.frame = {0, 0, width, height};
    RECT c = parts.frame;
    ::InflateRect(&c, -1, -1);
    // Centred, then moved towards the side the layout puts it on.
    int left = (c.left + c.right - g.cx) / 2;
    int top = (c.top + c.bottom - g.cy) / 2;
    if (showCaption) {
        switch (layout) {
            case TdxBarGlyphLayout::Top: top = c.top + 2; break;
            case TdxBarGlyphLayout::Bottom: top = c.bottom - 2 - g.cy; break;
            case TdxBarGlyphLayout::Left: left = c.left + 4; break;
            case TdxBarGlyphLayout::Right: left = c.right - 4 - g.cx; break;
        }
    }
    RECT glyph{left, top, left + g.cx, top + g.cy};
    if (content.picture) parts.glyph = glyph;
    if (!showCaption) return parts;
    // The caption takes the rest, beside or below the room of the picture.
    parts.caption = c;
    switch (layout) {
        case TdxBarGlyphLayout::Top: parts.caption.top = glyph.bottom; break;
        case TdxBarGlyphLayout::Bottom: parts.caption.bottom = glyph.top; break;
        case TdxBarGlyphLayout::Left:
            parts.caption.left = glyph.right + 3;
            parts.alignment = DT_LEFT;
            break;
        case TdxBarGlyphLayout::Right:
            parts.caption.right = glyph.left - 3;
            parts.alignment = DT_RIGHT;
            break;
    }
    return parts;
}

TdxBarButtonLikeControlDrawParams TdxBarLargeButtonControl::DrawParams(HDC dc, const RECT& rect) const {
    TdxBarButtonLikeControlDrawParams params = TdxBarButtonControl::DrawParams(dc, rect);
    const TdxBarImageOptions& options = Parent().BarManager().ImageOptions();
    params.largeView = true;
    params.imageSize = options.LargeImages() ? SIZE{options.LargeImages()->Width(), options.LargeImages()->Height()}
                                             : SIZE{32, 32};
    params.grayRequest = LargeButtonItem().AutoGrayScale() && params.enabled && !params.selected;
    return params;
}

}  // namespace bars
