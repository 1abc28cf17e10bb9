// The dialog's three lists: toolbars, categories and commands.
#include <windowsx.h>

#include <algorithm>
#include <cstdint>

#include "bars/dxBarCustForm.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarToolbar.h"
#include "forms/Handles.h"

using namespace forms;

namespace bars {

namespace {

TPersistent* RowObject(const TListBox& list, int row) {
    return row >= 0 && row < list.Count() ? static_cast<TPersistent*>(list.Objects(row)) : nullptr;
}

TdxBar* RowBar(const TListBox& list, int row) { return dynamic_cast<TdxBar*>(RowObject(list, row)); }

// The caption as a command list shows it: each "&" dropped, "&&" one "&".
std::string WithoutAccelerators(const std::string& caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') text += '&';
            else continue;
            ++i;
            continue;
        }
        text += caption[i];
    }
    return text;
}

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// Selects just the row (single selection) as a click would, without the
// list telling anyone.
void SelectRow(TListBox& list, int row) {
    if (list.MultiSelect())
        for (int i = 0; i < list.Count(); ++i) list.SetSelected(i, i == row);
    list.SetItemIndex(row);
}

}  // namespace

// ---- TdxBarCustomizationFormListBoxHelper

TdxBarCustomizationFormListBoxHelper::TdxBarCustomizationFormListBoxHelper(TdxBarCustomCustomizationForm& form,
                                                                           TListBox& listBox)
    : FForm(form), FListBox(listBox) {
    FListBox.AddMessageListener(this, [this](TMessage& message) {
        if (Message(message)) message.handled = true;
    });
}

TdxBarCustomizationFormListBoxHelper::~TdxBarCustomizationFormListBoxHelper() { FListBox.RemoveMessageListener(this); }

bool TdxBarCustomizationFormListBoxHelper::Message(TMessage& message) {
    if (message.message == dxWM_LB_SYNCHRONIZE()) {
        Synchronize(reinterpret_cast<TPersistent*>(message.wParam), static_cast<int>(message.lParam));
    } else if (message.message == dxWM_LB_SYNCHRONIZESELECTION()) {
        SynchronizeSelection();
    } else if (message.message == dxWM_LB_UPDATEEVENTS()) {
        UpdateEvents();
    } else {
        return false;
    }
    return true;
}

void TdxBarCustomizationFormListBoxHelper::Synchronize(TPersistent* object, int) {
    if (!object) FillList();
}

void TdxBarCustomizationFormListBoxHelper::SynchronizeSelection() {
    if (FForm.SynchronizingList() != &FListBox) {
        IdxBarSelection* selection = FForm.BarManager().SelectionHandler();
        int current = -1;
        for (int i = 0; i < FListBox.Count(); ++i) {
            const bool selected = selection && selection->InSelection(RowObject(FListBox, i));
            if (FListBox.MultiSelect()) FListBox.SetSelected(i, selected);
            if (selected) current = i;
        }
        FListBox.SetItemIndex(current);
        MakeSelectionVisible();
    }
    UpdateEvents();
}

void TdxBarCustomizationFormListBoxHelper::MakeSelectionVisible() {
    const int row = FListBox.ItemIndex();
    if (row < 0) return;
    const RECT client = FListBox.ClientRect();
    const int rows = std::max(1, static_cast<int>(client.bottom) / std::max(1, FListBox.ItemHeight()));
    if (row < FListBox.TopIndex()) FListBox.SetTopIndex(row);
    else if (row >= FListBox.TopIndex() + rows) FListBox.SetTopIndex(row - rows + 1);
}

// ---- TdxBarCustomizationFormBarListHelper

TdxBarCustomizationFormBarListHelper::TdxBarCustomizationFormBarListHelper(TdxBarCustomCustomizationForm& form,
                                                                           TListBox& listBox)
    : TdxBarCustomizationFormListBoxHelper(form, listBox) {
    FListBox.OnClick = TNotifyEvent(this, "lbBarsListClick", [this](TComponent*) { FForm.PushSelection(FListBox); });
    FListBox.OnDrawItem = [this](TListBox*, int index, HDC dc, const RECT& rect, UINT state) {
        DrawRow(index, dc, rect, state);
    };
    // A row is as high as a line of the list's font, and a little more.
    WindowDC dc(FListBox.Handle());
    SelectGuard font(dc.Get(), FListBox.Font().Handle());
    SIZE size{};
    ::GetTextExtentPoint32A(dc.Get(), "Zg", 2, &size);
    FListBox.SetItemHeight(size.cy + 2);
}

RECT TdxBarCustomizationFormBarListHelper::CheckRect(int index) const {
    RECT row = FListBox.ItemRect(index);
    const int side = row.bottom - row.top;
    if (FListBox.Font().Charset() == ARABIC_CHARSET || FListBox.Font().Charset() == HEBREW_CHARSET)
        return {row.right - side, row.top, row.right, row.bottom};
    return {row.left, row.top, row.left + side, row.bottom};
}

void TdxBarCustomizationFormBarListHelper::FillList() {
    TdxBars& bars = FForm.BarManager().Bars();
    for (int i = 0; i < bars.Count(); ++i)
        if (!bars.Items(i)->Hidden())
            FListBox.AddItem(bars.Items(i)->Caption(), static_cast<TPersistent*>(bars.Items(i)));
}

void TdxBarCustomizationFormBarListHelper::Synchronize(TPersistent* object, int row) {
    if (auto* bar = dynamic_cast<TdxBar*>(object)) {
        FListBox.SetItemText(row, bar->Caption());
        const RECT rect = FListBox.ItemRect(row);
        ::InvalidateRect(FListBox.Handle(), &rect, FALSE);
        return;
    }
    TdxBarCustomizationFormListBoxHelper::Synchronize(object, row);
}

void TdxBarCustomizationFormBarListHelper::DrawRow(int index, HDC dc, const RECT& rect, UINT state) {
    TdxBar* bar = RowBar(FListBox, index);
    const bool selected = (state & ODS_SELECTED) != 0;
    forms::Brush back(::CreateSolidBrush(::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW)));
    ::FillRect(dc, &rect, back.Get());
    if (!bar) return;
    const bool rightToLeft = CheckRect(index).left > rect.left;
    const int side = rect.bottom - rect.top;
    RECT box = rightToLeft ? RECT{rect.right - side, rect.top, rect.right, rect.bottom}
                           : RECT{rect.left, rect.top, rect.left + side, rect.bottom};
    ::InflateRect(&box, -1, -1);
    UINT check = DFCS_BUTTONCHECK;
    if (bar->Visible()) check |= DFCS_CHECKED;
    if (!bar->IsUserClosable()) check |= DFCS_INACTIVE;
    ::DrawFrameControl(dc, &box, DFC_BUTTON, check);

    RECT text = rect;
    if (rightToLeft) text.right -= side + 2;
    else text.left += side + 2;
    SelectGuard font(dc, FListBox.Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string& caption = bar->Caption();
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (rightToLeft ? DT_RIGHT | DT_RTLREADING : DT_LEFT));
}

bool TdxBarCustomizationFormBarListHelper::Message(TMessage& message) {
    switch (message.message) {
        case WM_LBUTTONDOWN: {
            const POINT point = PointOf(message.lParam);
            const int row = FListBox.ItemAtPos(point, true);
            const RECT box = row >= 0 ? CheckRect(row) : RECT{};
            // The press selects the row as usual; in the box it also toggles.
            if (row >= 0 && ::PtInRect(&box, point)) FForm.ToggleBarVisible(row);
            return false;
        }
        case WM_LBUTTONDBLCLK: {
            const POINT point = PointOf(message.lParam);
            const int row = FListBox.ItemAtPos(point, true);
            const RECT box = row >= 0 ? CheckRect(row) : RECT{};
            if (row >= 0 && !::PtInRect(&box, point)) FForm.ToggleBarVisible(row);
            return false;
        }
        case WM_KEYDOWN:
            switch (message.wParam) {
                case VK_SPACE: FForm.ToggleBarVisible(FListBox.ItemIndex()); return true;
                case VK_INSERT:
                    if (FForm.BBarNew->Enabled()) FForm.aNewToolBarExecute(&FListBox);
                    return true;
                case VK_DELETE:
                    if (FForm.BBarDelete->Enabled()) FForm.aDeleteToolBarExecute(&FListBox);
                    return true;
                default: return false;
            }
        case WM_CHAR:
            // Space toggles; it does not look for a row.
            return message.wParam == ' ';
        default: return TdxBarCustomizationFormListBoxHelper::Message(message);
    }
}

void TdxBarCustomizationFormBarListHelper::UpdateEvents() {
    std::vector<TdxBar*> bars = FForm.SelectedBars();
    const bool one = bars.size() == 1;
    const bool deletable = !bars.empty() && std::all_of(bars.begin(), bars.end(), [](TdxBar* bar) {
        return !bar->Predefined() && bar->IsUserClosable();
    });
    FForm.BBarNew->SetEnabled(true);
    FForm.BBarRename->SetEnabled(one && !bars.front()->Predefined());
    FForm.BBarDelete->SetEnabled(deletable);
    FForm.BBarReset->SetEnabled(one && bars.front()->Predefined() && bars.front()->AllowReset());
}

// ---- TdxBarCustomizationFormCategoryListHelper

bool TdxBarCustomizationFormCategoryListHelper::Message(TMessage& message) {
    if (message.message == WM_RBUTTONDOWN) {
        const int row = FListBox.ItemAtPos(PointOf(message.lParam), true);
        if (FListBox.CanFocus()) FListBox.SetFocus();
        if (row >= 0 && row != FListBox.ItemIndex()) {
            SelectRow(FListBox, row);
            FForm.RefreshList(*FForm.lbItems, nullptr, TdxBarCustomCustomizationForm::TListChange::List);
        }
        return true;
    }
    return TdxBarCustomizationFormListBoxHelper::Message(message);
}

void TdxBarCustomizationFormCategoryListHelper::FillList() {
    if (!FListBox.OnClick)
        FListBox.OnClick = TNotifyEvent(this, "lbCategoriesClick", [this](TComponent*) {
            FForm.RefreshList(*FForm.lbItems, nullptr, TdxBarCustomCustomizationForm::TListChange::List);
        });
    TdxBarManagerCategories& categories = FForm.BarManager().Categories();
    for (int i = 0; i < categories.Count(); ++i)
        if (categories.Visible(i))
            FListBox.AddItem(categories[i], reinterpret_cast<void*>(static_cast<std::intptr_t>(i)));
    if (FListBox.Count() > 0) FListBox.SetItemIndex(0);
}

// ---- TdxBarCustomizationFormItemsListHelper

bool TdxBarCustomizationFormItemsListHelper::Message(TMessage& message) {
    switch (message.message) {
        case WM_LBUTTONDOWN: {
            const POINT point = PointOf(message.lParam);
            const int row = FListBox.ItemAtPos(point, true);
            if (row < 0) return false;
            if (FListBox.CanFocus()) FListBox.SetFocus();
            SelectRow(FListBox, row);
            FForm.PushSelection(FListBox);
            // Held and pulled out of the drag rectangle, the command goes
            // onto a toolbar.
            FDragRow = row;
            FDragPressPoint = point;
            ::SetCapture(FListBox.Handle());
            return true;
        }
        case WM_MOUSEMOVE: {
            if (FDragRow < 0) return false;
            const POINT point = PointOf(message.lParam);
            const int dx = ::GetSystemMetrics(SM_CXDRAG), dy = ::GetSystemMetrics(SM_CYDRAG);
            const RECT still{FDragPressPoint.x - dx, FDragPressPoint.y - dy, FDragPressPoint.x + dx + 1,
                             FDragPressPoint.y + dy + 1};
            if (::PtInRect(&still, point)) return true;
            const int row = FDragRow;
            EndPendingDrag();
            if (row < FListBox.Count())
                if (auto* item = dynamic_cast<TdxBarItem*>(static_cast<TPersistent*>(FListBox.Objects(row))))
                    FForm.BarManager().BeginItemDrag(*item, nullptr);
            return true;
        }
        case WM_LBUTTONUP:
            if (FDragRow < 0) return false;
            EndPendingDrag();
            return true;
        case WM_CAPTURECHANGED: FDragRow = -1; return false;
        case WM_RBUTTONDOWN: {
            const int row = FListBox.ItemAtPos(PointOf(message.lParam), true);
            if (FListBox.CanFocus()) FListBox.SetFocus();
            if (row >= 0) {
                SelectRow(FListBox, row);
                FForm.PushSelection(FListBox);
            }
            return true;
        }
        case WM_ERASEBKGND: {
            // Rows paint themselves; only the space below the last one is
            // left to fill.
            RECT below = FListBox.ClientRect();
            if (FListBox.Count() > 0) below.top = FListBox.ItemRect(FListBox.Count() - 1).bottom;
            if (below.top < below.bottom) {
                forms::Brush brush(::CreateSolidBrush(ColorToRGB(FListBox.Color())));
                ::FillRect(reinterpret_cast<HDC>(message.wParam), &below, brush.Get());
            }
            message.result = 1;
            return true;
        }
        default: return TdxBarCustomizationFormListBoxHelper::Message(message);
    }
}

void TdxBarCustomizationFormItemsListHelper::EndPendingDrag() {
    FDragRow = -1;
    if (::GetCapture() == FListBox.Handle()) ::ReleaseCapture();
}

void TdxBarCustomizationFormItemsListHelper::FillList() {
    if (!FListBox.OnClick)
        FListBox.OnClick = TNotifyEvent(this, "lbItemsClick", [this](TComponent*) { FForm.PushSelection(FListBox); });
    const TListBox& categories = *FForm.lbCategories;
    const int row = categories.ItemIndex();
    if (row < 0) return;
    const auto category = static_cast<int>(reinterpret_cast<std::intptr_t>(categories.Objects(row)));
    for (TdxBarItem* item : FForm.BarManager().Items())
        if (item->Category() == category && item->Visible() != TdxBarItemVisible::Never)
            FListBox.AddItem(WithoutAccelerators(item->Caption()), static_cast<TPersistent*>(item));
}

void TdxBarCustomizationFormItemsListHelper::Synchronize(TPersistent* object, int row) {
    if (auto* item = dynamic_cast<TdxBarItem*>(object)) {
        FListBox.SetItemText(row, WithoutAccelerators(item->Caption()));
        const RECT rect = FListBox.ItemRect(row);
        ::InvalidateRect(FListBox.Handle(), &rect, FALSE);
        return;
    }
    TdxBarCustomizationFormListBoxHelper::Synchronize(object, row);
}

void TdxBarCustomizationFormItemsListHelper::UpdateEvents() { FForm.ItemSelectionChanged(); }

// ---- The command rows, drawn by the dialog's painter

void TdxBarCustomizationForm::lbItemsDrawItem(TListBox* sender, int index, HDC dc, const RECT& rect, UINT state) {
    auto* item = dynamic_cast<TdxBarItem*>(RowObject(*sender, index));
    if (!item) return;
    const TdxBarCustomizationFormPainter& painter = Painter();
    painter.DrawItemRow(dc, rect, BarManager(), *item, sender->ItemText(index), (state & ODS_SELECTED) != 0);
    if (index == sender->Count() - 1) {
        RECT below = sender->ClientRect();
        below.top = rect.bottom;
        if (below.top < below.bottom) {
            forms::Brush brush(::CreateSolidBrush(painter.UnselectedRowColor()));
            ::FillRect(dc, &below, brush.Get());
        }
    }
}

}  // namespace bars
