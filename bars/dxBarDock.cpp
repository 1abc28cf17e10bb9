#include "bars/dxBarDock.h"

#include <algorithm>
#include <numeric>

#include "bars/dxBarControl.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarToolbar.h"
#include "forms/Helpers.h"

using namespace forms;

namespace bars {

int TdxDockRow::IndexOf(const TdxBarControl& barControl) const {
    for (std::size_t i = 0; i < FCols.size(); ++i)
        if (&FCols[i]->BarControl() == &barControl) return static_cast<int>(i);
    return -1;
}

// ---- TdxDockControl

TdxDockControl::TdxDockControl(TdxBarManager& manager, TdxBarDockingStyle style)
    : TWinControl(nullptr), FManager(manager), FDockingStyle(style) {
    switch (style) {
        case TdxBarDockingStyle::Left: SetAlign(TAlign::Left); break;
        case TdxBarDockingStyle::Right: SetAlign(TAlign::Right); break;
        case TdxBarDockingStyle::Bottom: SetAlign(TAlign::Bottom); break;
        default: SetAlign(TAlign::Top); break;
    }
    UpdateColor();
    UpdateDoubleBuffering();
    SetParent(&manager.OwnerControl());
}

TdxDockControl::~TdxDockControl() { FRows.clear(); }

void TdxDockControl::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.classStyle = CS_DBLCLKS;
    params.exStyle = 0;
}

LRESULT TdxDockControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_RBUTTONDOWN:
            if (!FManager.CustomizeMode()) TdxBarDesignController::Instance().PopupToolbarsMenu(FManager, FManager.Painter());
            return 0;
        case WM_LBUTTONDBLCLK:
            if (FManager.CanCustomize()) FManager.SetCustomizeMode(true);
            return 0;
        default: return TWinControl::WndProc(message, wParam, lParam);
    }
}

void TdxDockControl::UpdateColor() {
    if (FManager.AutoDockColor()) SetParentColor(true);
    else SetColor(FManager.DockColor());
    Invalidate();
}

void TdxDockControl::UpdateBorder() {
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

int TdxDockControl::RowOf(const TdxBarControl& barControl) const {
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i]->IndexOf(barControl) >= 0) return static_cast<int>(i);
    return -1;
}

namespace {
// Every bar of a row that holds just one is alone on it, and only then.
void UpdateOneOnRow(TdxDockRow& row) {
    for (int i = 0; i < row.ColCount(); ++i) row.Cols(i).BarControl().Bar().SetOneOnRow(row.ColCount() == 1);
}

int Along(const POINT& p, bool vertical) { return vertical ? p.y : p.x; }
}  // namespace

void TdxDockControl::PlaceBar(TdxBarControl& barControl, POINT point, bool update) {
    TdxBar& bar = barControl.Bar();
    bool ownRow = bar.OneOnRow() || bar.WholeRow();
    int index = std::max(bar.Row(), 0);
    if (FManager.IsLoading()) {
        // Rows up to the bar's, but never more than the bars could fill.
        index = std::min(index, RowCount() + FManager.Bars().Count());
        while (RowCount() <= index) FRows.push_back(std::make_unique<TdxDockRow>(*this));
    } else {
        index = std::min(index, ownRow ? RowCount() : std::max(RowCount() - 1, 0));
    }
    if (index < RowCount()) {
        const TdxDockRow& target = Rows(index);
        for (int i = 0; i < target.ColCount(); ++i)
            if (target.Cols(i).BarControl().Bar().WholeRow()) ownRow = true;
    }
    TdxDockRow* row;
    if (index < RowCount() && (!ownRow || (FManager.IsLoading() && Rows(index).ColCount() == 0))) {
        row = &Rows(index);
    } else {
        auto it = FRows.insert(FRows.begin() + index, std::make_unique<TdxDockRow>(*this));
        row = it->get();
    }
    point.x = std::max<LONG>(point.x, 0);
    point.y = std::max<LONG>(point.y, 0);
    auto col = std::make_unique<TdxDockCol>(*row, barControl);
    col->Pos = point;
    auto& cols = row->FCols;
    auto at = std::find_if(cols.begin(), cols.end(), [&](const auto& c) {
        return Along(c->Pos, Vertical()) > Along(point, Vertical());
    });
    cols.insert(at, std::move(col));
    UpdateOneOnRow(*row);
    barControl.SetBounds(point.x, point.y, barControl.Width(), barControl.Height());
    if (update) RefreshDock();
    barControl.SetVisible(true);
}

void TdxDockControl::TakeOutBar(TdxBarControl& barControl) {
    int index = RowOf(barControl);
    if (index < 0) return;
    TdxDockRow& row = Rows(index);
    row.FCols.erase(row.FCols.begin() + row.IndexOf(barControl));
    if (row.FCols.empty()) FRows.erase(FRows.begin() + index);
    else UpdateOneOnRow(row);
}

bool TdxDockControl::AboveOtherChildren() const {
    // Docks never overlap one another, so their own order does not matter.
    // Asking is far cheaper than a move in the window order.
    for (HWND above = ::GetWindow(Handle(), GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV))
        if (!dynamic_cast<TdxDockControl*>(forms::TWindow::FromHandle(above))) return false;
    return true;
}

int TdxDockControl::Length() const {
    RECT r = ClientRect();
    return Vertical() ? r.bottom - r.top : r.right - r.left;
}

void TdxDockControl::RefreshDock() {
    if (FRefreshing || FManager.IsLoading() || FManager.IsDestroying()) return;
    if (FManager.IsUpdateLocked()) {
        FManager.RefreshDocks();  // once the update ends
        return;
    }
    ScopedValue refreshing(FRefreshing, true);
    // Rows made for bars while loading live only while they hold one.
    std::erase_if(FRows, [](const auto& row) { return row->ColCount() == 0; });
    // Above the form's other children, so that nothing covers the bars.
    if (HandleAllocated() && !AboveOtherChildren())
        ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int length = Length();
    for (int i = 0; i < RowCount(); ++i) ArrangeRow(i, length);
    Invalidate();
    FitDockSize();
}

std::vector<TdxDockRowBar> TdxDockControl::RowBars(int rowIndex) const {
    const TdxDockRow& row = Rows(rowIndex);
    std::vector<TdxDockRowBar> bars;
    for (int i = 0; i < row.ColCount(); ++i) {
        bars.push_back(row.Cols(i).BarControl().RowBar(FDockingStyle));
        bars.back().position = Along(row.Cols(i).Pos, Vertical());
    }
    return bars;
}

void TdxDockControl::ArrangeRow(int rowIndex, int length) {
    TdxDockRow& row = Rows(rowIndex);
    const bool vertical = Vertical();
    const RECT bounds = RowBounds(rowIndex);
    const int across = vertical ? bounds.left : bounds.top;
    for (int i = 0; i < row.ColCount(); ++i) row.Cols(i).BarControl().UpdateControls();
    const std::vector<TdxDockRowBar> bars = RowBars(rowIndex);
    const TdxDockRowLayout layout = ArrangeDockRow(bars, length, FManager.AutoAlignBars());
    for (int i = 0; i < row.ColCount(); ++i) {
        const TdxDockRowBar& described = bars[static_cast<std::size_t>(i)];
        const TdxDockRowPlace& p = layout.bars[static_cast<std::size_t>(i)];
        TdxBarControl& bar = row.Cols(i).BarControl();
        bar.LeastLength = described.leastLength;
        bar.FullLength = described.fullLength;
        bar.Overfull = p.overfull;
        bar.SetFitting(p.fitting);
        bar.PlannedLeft = vertical ? across : p.along;
        bar.PlannedTop = vertical ? p.along : across;
        bar.PlannedWidth = vertical ? layout.thickness : p.length;
        bar.PlannedHeight = vertical ? p.length : layout.thickness;
        bar.SetBounds(bar.PlannedLeft, bar.PlannedTop, bar.PlannedWidth, bar.PlannedHeight);
        bar.PlaceItems();
        bar.Invalidate();
    }
}

int TdxDockControl::RowThickness(int rowIndex) const {
    const TdxDockRow& row = Rows(rowIndex);
    int thickness = 0;
    for (int i = 0; i < row.ColCount(); ++i) {
        const TdxBarControl& bar = row.Cols(i).BarControl();
        thickness = std::max(thickness, Vertical() ? bar.PlannedWidth : bar.PlannedHeight);
    }
    return thickness;
}

RECT TdxDockControl::RowBounds(int rowIndex) const {
    int start = 0;
    for (int i = 0; i < rowIndex; ++i) start += RowThickness(i) + FManager.Painter().DockRowSeparator();
    int end = start + RowThickness(rowIndex);
    int length = Length();
    return Vertical() ? RECT{start, 0, end, length} : RECT{0, start, length, end};
}

int TdxDockControl::RowsThickness() const {
    int sum = 0;
    for (int i = 0; i < RowCount(); ++i) {
        sum += RowThickness(i);
        if (i + 1 < RowCount()) sum += FManager.Painter().DockRowSeparator();
    }
    return sum;
}

void TdxDockControl::FitDockSize() {
    int size = RowsThickness();
    if (FManager.SunkenBorder() && size > 0) size += 2;
    if (Vertical()) SetBounds(Left(), Top(), size, Height());
    else SetBounds(Left(), Top(), Width(), size);
}

void TdxDockControl::BoundsChanged() {
    TWinControl::BoundsChanged();
    if (Width() == FLastSize.cx && Height() == FLastSize.cy) return;
    FLastSize = {Width(), Height()};
    DropCachedBackground();
    RefreshDock();
}

void TdxDockControl::Paint(TCanvas& canvas) {
    const RECT client = ClientRect();
    FillDockBackground(canvas.Handle(), client, client);
}

void TdxDockControl::FillDockBackground(HDC dc, const RECT& dest, const RECT& source) {
    FManager.Painter().DrawDockBackground(*this, dc, dest, source);
}

void TdxDockControl::DropCachedBackground() {
    FCachedBackground.Reset();
    // The bars in the dock show its surface too.
    Invalidate();
    for (TControl* bar : Controls()) bar->Invalidate();
}

void TdxDockControl::UpdateDoubleBuffering() { SetDoubleBuffered(FManager.Painter().DrawsStyledBackground()); }

LRESULT TdxDockControl::WMNCCalcSize(bool validRects, RECT& client) {
    if (!FManager.SunkenBorder()) return TWinControl::WMNCCalcSize(validRects, client);
    if (client.right - client.left >= 2 && client.bottom - client.top >= 2) ::InflateRect(&client, -1, -1);
    return 0;
}

LRESULT TdxDockControl::WMNCPaint(HRGN region) {
    if (!FManager.SunkenBorder()) return TWinControl::WMNCPaint(region);
    forms::NonClientDC dc(Handle());
    RECT r;
    ::GetWindowRect(Handle(), &r);
    ::OffsetRect(&r, -r.left, -r.top);
    ::DrawEdge(dc.Get(), &r, BDR_SUNKENOUTER, BF_RECT);
    return 0;
}

}  // namespace bars
