#include "bars/dxBarDrag.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxBarToolbar.h"
#include "forms/Forms.h"
#include "forms/Handles.h"

namespace bars {

using namespace forms;

namespace {

// The deepest visible window at a screen point, disabled ones included:
// the toolbars of the form the dialog disabled still count.
HWND WindowUnderPointer(POINT screen) {
    HWND window = ::WindowFromPoint(screen);
    if (!window) return nullptr;
    window = ::GetAncestor(window, GA_ROOT);
    for (;;) {
        POINT client = screen;
        ::ScreenToClient(window, &client);
        HWND child = ::ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == window) return window;
        window = child;
    }
}

HCURSOR DragCursor(TdxBarDropState state) {
    switch (state) {
        case TdxBarDropState::dropRefused: return Screen().Cursor(crDXBarDragNoDrop);
        case TdxBarDropState::dropCopy: return Screen().Cursor(crDXBarDragCopy);
        default: return Screen().Cursor(crDXBarDrag);
    }
}

bool HasSeparator(const TdxBarItemLink& link) { return link.BeginGroup() && link.Index() > 0; }

// The shown links of a toolbar, in link order.
std::vector<TdxBarItemLink*> ShownLinks(const TdxBarControl& bar) {
    std::vector<TdxBarItemLink*> links;
    for (int i = 0; i < bar.ControlCount(); ++i)
        if (!bar.Controls(i).Hidden()) links.push_back(&bar.Controls(i).ItemLink());
    return links;
}

}  // namespace

TdxBarControl* TdxBarControl::UnderPointer(const TdxBarManager& manager, POINT screen) {
    HWND under = WindowUnderPointer(screen);
    if (!under) return nullptr;
    auto* bar = dynamic_cast<TdxBarControl*>(TWindow::FindFromHandle(under));
    return bar && &bar->BarManager() == &manager && bar->Shown() ? bar : nullptr;
}

TdxBarDropTarget TdxBarControl::DropTargetAt(POINT point) const {
    TdxBarDropTarget target;
    target.vertical = Vertical();
    const bool vertical = target.vertical;
    auto start = [vertical](const RECT& r) { return vertical ? r.top : r.left; };
    auto end = [vertical](const RECT& r) { return vertical ? r.bottom : r.right; };
    const int along = vertical ? point.y : point.x;
    const int separator = Painter().BeginGroupSize();
    const std::vector<TdxBarItemLink*> links = ShownLinks(*this);
    for (TdxBarItemLink* link : links) {
        const RECT item = link->ItemRect();
        RECT region = item;
        if (HasSeparator(*link)) (vertical ? region.top : region.left) -= separator;
        if (!::PtInRect(&region, point)) continue;
        target.link = link;
        RECT halves = item;
        if (!::PtInRect(&item, point) && HasSeparator(*link)) {
            target.groupZone = true;
            halves = region;
            (vertical ? halves.bottom : halves.right) = start(item);
        }
        target.firstHalf = along - start(halves) < end(halves) - along;
        return target;
    }
    RECT client = ClientRect();
    if (links.empty() || !::PtInRect(&client, point)) return target;
    // Between or beside the buttons: the nearest one decides.
    std::size_t nearest = 0;
    int best = INT_MAX;
    for (std::size_t i = 0; i < links.size(); ++i) {
        const RECT& r = links[i]->ItemRect();
        const int distance = along < start(r) ? start(r) - along : along >= end(r) ? along - end(r) + 1 : 0;
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    if (along < start(links[nearest]->ItemRect())) {
        // In front of a button: the end of the one before it, if any.
        target.link = nearest > 0 ? links[nearest - 1] : links[nearest];
        target.firstHalf = nearest == 0;
    } else {
        target.link = links[nearest];
        target.firstHalf = false;
    }
    return target;
}

// ---- TdxBarDragInfo

TdxBarDragInfo::TdxBarDragInfo(TdxBarManager& manager) : FManager(manager) {}

TdxBarDragInfo::~TdxBarDragInfo() = default;

void TdxBarDragInfo::Run(TdxBarItem& item, TdxBarItemLink* link) {
    if (Dragging()) return;
    FSourceItem = &item;
    FSourceLink = link;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    FPressPoint = cursor;
    if (link && link->Control()) {
        ::ScreenToClient(link->Control()->Parent().Handle(), &FPressPoint);
        FPressPoint.x -= link->ItemRect().left;
        FPressPoint.y -= link->ItemRect().top;
    }
    FSavedCursor = ::GetCursor();
    FCtrlDown = ::GetKeyState(VK_CONTROL) < 0;
    if (TdxBarCustomCustomizationForm* dialog = TdxBarCustomCustomizationForm::Instance();
        dialog && FManager.CustomizeMode() && dialog->HandleAllocated())
        FCaptureWindow = dialog->Handle();
    else if (FManager.OwnerControl().HandleAllocated())
        FCaptureWindow = ::GetAncestor(FManager.OwnerControl().Handle(), GA_ROOT);
    try {
        if (FCaptureWindow) {
            ::SetCapture(FCaptureWindow);
            Application().ProcessMessages();
            Loop();
        }
    } catch (...) {
        Application().HandleException();
    }
    if (FCaptureWindow && ::GetCapture() == FCaptureWindow) ::ReleaseCapture();
    SetDropState(TdxBarDropState::dropNone);
    if (FSourceLink && FSourceLink->Control()) FSourceLink->Control()->Invalidate();
    FSourceItem = nullptr;
    FSourceLink = nullptr;
    FTargetBar = nullptr;
    FTarget = {};
    FMarkWindow = nullptr;
    FCaptureWindow = nullptr;
}

void TdxBarDragInfo::Loop() {
    MSG msg{};
    while (FSourceItem && FCaptureWindow && ::GetCapture() == FCaptureWindow) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got < 0) return;
        switch (msg.message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                if (msg.wParam == VK_ESCAPE) return;
                if (msg.wParam == VK_CONTROL) {
                    FCtrlDown = true;
                    if (CanDropHere() && FDropState != TdxBarDropState::dropRefused) SetDropState(TdxBarDropState::dropCopy);
                }
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                if (msg.wParam == VK_CONTROL) {
                    FCtrlDown = false;
                    // A command from the dialog is always a copy.
                    if (CanDropHere() && FDropState != TdxBarDropState::dropRefused && FSourceLink)
                        SetDropState(LeavesSourceInPlace() ? TdxBarDropState::dropSamePlace : TdxBarDropState::dropMove);
                }
                break;
            case WM_CHAR:
            case WM_SYSCHAR:
            case WM_DEADCHAR:
            case WM_SYSDEADCHAR:
                break;
            case WM_MOUSEMOVE:
                PointerMoved(msg.pt);
                break;
            case WM_LBUTTONUP:
                PointerMoved(msg.pt);
                Drop(msg.pt);
                return;
            default:
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
        }
    }
}

void TdxBarDragInfo::PointerMoved(POINT screen) {
    BeginUpdate();
    FindTarget(screen);
    if (!FTargetBar || !CanDropHere()) SetDropState(TdxBarDropState::dropRefused);
    else if (FCtrlDown || !FSourceLink) SetDropState(TdxBarDropState::dropCopy);
    else if (FTarget.link && LeavesSourceInPlace()) SetDropState(TdxBarDropState::dropSamePlace);
    else SetDropState(TdxBarDropState::dropMove);
    EndUpdate();
}

void TdxBarDragInfo::FindTarget(POINT screen) {
    TdxBarControl* bar = TdxBarControl::UnderPointer(FManager, screen);
    if (bar && !bar->Bar().AllowCustomizing()) bar = nullptr;
    TdxBarDropTarget target;
    if (bar) {
        POINT client = screen;
        ::ScreenToClient(bar->Handle(), &client);
        target = bar->DropTargetAt(client);
    }
    if (bar == FTargetBar && target.link == FTarget.link && target.firstHalf == FTarget.firstHalf &&
        target.groupZone == FTarget.groupZone)
        return;
    BeginUpdate();
    ShowMark(false);
    FTargetBar = bar;
    FTarget = target;
    FPending = true;
    EndUpdate();
}

bool TdxBarDragInfo::CanDropHere() const {
    if (!FTargetBar) return false;
    return FTarget.link || ShownLinks(*FTargetBar).empty();
}

bool TdxBarDragInfo::LeavesSourceInPlace() const {
    if (!CanDropHere()) return true;
    const TdxBarItemLink* target = FTarget.link;
    if (!FSourceLink || !target || &target->Collection() != &FSourceLink->Collection()) return false;
    if (target == FSourceLink) return !(FTarget.groupZone && FTarget.firstHalf);
    const int source = FSourceLink->Index();
    const int index = target->Index();
    if (index == source - 1)
        return !FTarget.firstHalf && !FTarget.groupZone && !FSourceLink->BeginGroup();
    if (index == source + 1) return FTarget.firstHalf && (FTarget.groupZone || !target->BeginGroup());
    return false;
}

void TdxBarDragInfo::SetDropState(TdxBarDropState state) {
    if (state == FDropState && !FPending) return;
    BeginUpdate();
    if (FDropState != state) ShowMark(false);
    FDropState = state;
    if (state == TdxBarDropState::dropRefused) FTarget.link = nullptr;
    FPending = true;
    EndUpdate();
}

void TdxBarDragInfo::EndUpdate() {
    if (--FUpdateLock > 0 || !FPending) return;
    FPending = false;
    Apply();
}

void TdxBarDragInfo::Apply() {
    ::SetCursor(FDropState == TdxBarDropState::dropNone ? FSavedCursor : DragCursor(FDropState));
    const bool mark = FDropState == TdxBarDropState::dropCopy ||
                      (FDropState == TdxBarDropState::dropMove && !LeavesSourceInPlace());
    ShowMark(mark);
}

void TdxBarDragInfo::ShowMark(bool show) {
    if (show == FMarkVisible) return;
    if (show) {
        if (!FTargetBar || !FTargetBar->HandleAllocated()) return;
        FMarkWindow = FTargetBar->Handle();
        FMarkVertical = FTarget.vertical;
        const TdxBarItemLink* target = FTarget.link;
        if (!target) {
            FMarkRect = FTargetBar->ClientRect();
            FMarkAtStart = true;
        } else if (FTarget.groupZone) {
            const std::vector<TdxBarItemLink*> links = ShownLinks(*FTargetBar);
            auto at = std::find(links.begin(), links.end(), target);
            if (FTarget.firstHalf && at != links.begin() && at != links.end()) {
                FMarkRect = (*(at - 1))->ItemRect();
                FMarkAtStart = false;
            } else {
                FMarkRect = target->ItemRect();
                FMarkAtStart = true;
            }
        } else if (!FTarget.firstHalf) {
            const std::vector<TdxBarItemLink*> links = ShownLinks(*FTargetBar);
            auto at = std::find(links.begin(), links.end(), target);
            auto next = at == links.end() ? at : at + 1;
            if (next != links.end() && !(*next)->BeginGroup()) {
                FMarkRect = (*next)->ItemRect();
                FMarkAtStart = true;
            } else {
                FMarkRect = target->ItemRect();
                FMarkAtStart = false;
            }
        } else {
            FMarkRect = target->ItemRect();
            FMarkAtStart = true;
        }
    } else if (!FMarkWindow || !::IsWindow(FMarkWindow)) {
        FMarkVisible = false;
        return;
    }
    WindowDC dc(FMarkWindow);
    DrawInsertionMark(dc.Get(), FMarkRect, FMarkAtStart, FMarkVertical);
    FMarkVisible = show;
}

void TdxBarDragInfo::DrawInsertionMark(HDC dc, const RECT& r, bool atStart, bool vertical) {
    const int oldRop = ::SetROP2(dc, R2_NOT);
    // The figure along x for a horizontal toolbar; transposed otherwise.
    const int a0 = vertical ? (atStart ? r.top : r.bottom - 6) : (atStart ? r.left : r.right - 6);
    const int t = vertical ? r.left : r.top;
    const int b = vertical ? r.right : r.bottom;
    const int lines[6][4] = {
        {a0, t, a0 + 6, t},
        {a0 + 1, t + 1, a0 + 5, t + 1},
        {a0 + 2, t + 2, a0 + 2, b - 2},
        {a0 + 3, t + 2, a0 + 3, b - 2},
        {a0 + 1, b - 2, a0 + 5, b - 2},
        {a0, b - 1, a0 + 6, b - 1},
    };
    POINT old{};
    ::GetCurrentPositionEx(dc, &old);
    for (const auto& l : lines) {
        if (vertical) {
            ::MoveToEx(dc, l[1], l[0], nullptr);
            ::LineTo(dc, l[3], l[2]);
        } else {
            ::MoveToEx(dc, l[0], l[1], nullptr);
            ::LineTo(dc, l[2], l[3]);
        }
    }
    ::MoveToEx(dc, old.x, old.y, nullptr);
    ::SetROP2(dc, oldRop);
}

void TdxBarDragInfo::Drop(POINT screen) {
    switch (FDropState) {
        case TdxBarDropState::dropRefused:
            if (FSourceLink) {
                ShowMark(false);
                TdxBarItemLinks& links = FSourceLink->Collection();
                TdxBarItemLink* gone = FSourceLink;
                FSourceLink = nullptr;
                links.Delete(gone->Index());
            }
            break;
        case TdxBarDropState::dropSamePlace: AdjustGroup(screen); break;
        case TdxBarDropState::dropCopy: Insert(true); break;
        case TdxBarDropState::dropMove: Insert(false); break;
        default: break;
    }
}

void TdxBarDragInfo::AdjustGroup(POINT screen) {
    TdxBarItemLink* link = FSourceLink;
    if (!link || !link->Control()) return;
    TdxBarControl& bar = link->Control()->Parent();
    POINT client = screen;
    ::ScreenToClient(bar.Handle(), &client);
    const bool vertical = bar.Vertical();
    const int displacement = vertical ? client.y - link->ItemRect().top - FPressPoint.y
                                      : client.x - link->ItemRect().left - FPressPoint.x;
    if (std::abs(displacement) <= 3) return;
    if ((displacement > 0) != link->BeginGroup()) link->SetBeginGroup(displacement > 0);
    bar.SetCustomizingLink(link);
}

void TdxBarDragInfo::Insert(bool copy) {
    if (!FTargetBar) return;
    ShowMark(false);
    TdxBarControl& bar = *FTargetBar;
    TdxBarItemLinks& links = bar.Bar().ItemLinks();
    TdxBarItemLink* target = FTarget.link;
    FManager.BeginUpdate();
    TdxBarItemLink* added = nullptr;
    try {
        int index = links.Count();
        if (target) index = target->Index() + (FTarget.firstHalf || FTarget.groupZone ? 0 : 1);
        added = links.Insert(index);
        if (FSourceLink) added->RestoreLayout(FSourceLink->SaveLayout());
        added->SetBeginGroup(false);
        added->SetItem(FSourceItem);
        if (target && ((FTarget.groupZone && !FTarget.firstHalf) ||
                       (FTarget.firstHalf && !FTarget.groupZone && target->BeginGroup()))) {
            added->SetBeginGroup(true);
            target->SetBeginGroup(false);
        }
        bar.SetCustomizingLink(added);
        if (!copy && FSourceLink) {
            TdxBarItemLink* gone = FSourceLink;
            FSourceLink = nullptr;
            gone->Collection().Delete(gone->Index());
        }
    } catch (...) {
        FManager.EndUpdate();
        throw;
    }
    FManager.EndUpdate();
    if (TdxBarSubMenuControl* menu = TdxBarSubMenuControl::OpenMenu()) menu->CloseUp();
    if (IdxBarSelection* selection = FManager.SelectionHandler())
        selection->AddToSelection(added->Item(), TdxBarSelectionOperation::Add);
}

void TdxBarDragInfo::ObjectDestroying(const TPersistent* object) {
    if (!Dragging() || !object) return;
    if (object == FSourceLink) FSourceLink = nullptr;
    if (object == FTarget.link) {
        ShowMark(false);
        FTarget = {};
    }
    if (FTargetBar && object == &FTargetBar->Bar()) {
        ShowMark(false);
        FTargetBar = nullptr;
        FTarget = {};
        FMarkWindow = nullptr;
    }
    if (object == FSourceItem) FSourceItem = nullptr;
}

}  // namespace bars
