#include <algorithm>
#include <numeric>

#include "bars/dxBar.h"
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
    SetParent(&manager.OwnerControl());
}

TdxDockControl::~TdxDockControl() { FRows.clear(); }

void TdxDockControl::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.classStyle = CS_DBLCLKS;
    params.exStyle = 0;
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
    if (HandleAllocated())
        ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int length = Length();
    for (int i = 0; i < RowCount(); ++i) ArrangeRow(i, length);
    Invalidate();
    FitDockSize();
}

namespace {
struct Plan {
    TdxBarControl* bar;
    int along, length, thickness;
    int bordersAlong, bordersAcross;
};
}  // namespace

void TdxDockControl::ArrangeRow(int rowIndex, int length) {
    TdxDockRow& row = Rows(rowIndex);
    const bool vertical = Vertical();
    const RECT bounds = RowBounds(rowIndex);
    const int across = vertical ? bounds.left : bounds.top;
    std::vector<Plan> plans;
    int sumFull = 0;
    for (int i = 0; i < row.ColCount(); ++i) {
        TdxBarControl& bar = row.Cols(i).BarControl();
        bar.UpdateControls();
        bar.Overfull = false;
        RECT b = bar.BorderWidths(FDockingStyle);
        int bordersAlong = vertical ? b.top + b.bottom : b.left + b.right;
        int bordersAcross = vertical ? b.left + b.right : b.top + b.bottom;
        bar.LeastLength = (vertical ? bar.LeastContentHeight(FDockingStyle) : bar.LeastContentWidth(FDockingStyle)) +
                          bordersAlong;
        bar.FullLength = (vertical ? bar.FullContentHeight(FDockingStyle) : bar.FullContentWidth(FDockingStyle)) +
                         bordersAlong;
        if (bar.MarkShown() && bar.LeastLength != bar.FullLength) bar.LeastLength += bar.MarkWidth();
        sumFull += bar.FullLength;
        plans.push_back({&bar, Along(row.Cols(i).Pos, vertical), bar.FullLength, 0, bordersAlong, bordersAcross});
    }
    if (plans.empty()) return;

    if (plans.front().bar->Bar().WholeRow()) {
        Plan& p = plans.front();
        p.along = 0;
        p.length = std::max(length, p.bar->LeastLength);
    } else if (length < sumFull) {
        // Shrink from the last bar towards the first, each down to its least.
        int excess = sumFull - length;
        for (auto it = plans.rbegin(); it != plans.rend() && excess > 0; ++it) {
            int shrink = std::min(excess, it->bar->FullLength - it->bar->LeastLength);
            it->length -= shrink;
            excess -= shrink;
        }
        int next = 0;
        for (Plan& p : plans) {
            p.along = next;
            next += p.length;
        }
    } else {
        // Full length each, at the remembered place as far as the row allows.
        int rest = sumFull, previousEnd = 0;
        for (Plan& p : plans) {
            p.along = std::max(previousEnd, std::min(p.along, length - rest));
            rest -= p.length;
            previousEnd = p.along + p.length;
        }
    }
    // Packed bars, and those that take the rest of the row.
    bool packAll = FManager.AutoAlignBars();
    for (std::size_t i = 0; i < plans.size(); ++i)
        if (packAll || plans[i].bar->Bar().UseRestSpace())
            plans[i].along = i == 0 ? 0 : plans[i - 1].along + plans[i - 1].length;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (!plans[i].bar->Bar().UseRestSpace()) continue;
        int end = i + 1 < plans.size() ? plans[i + 1].along : length;
        plans[i].length = std::max(end - plans[i].along, plans[i].bar->LeastLength);
    }

    int thickness = 0;
    for (Plan& p : plans) {
        p.thickness = p.bar->MeasureContent(FDockingStyle, p.length - p.bordersAlong).thickness + p.bordersAcross;
        thickness = std::max(thickness, p.thickness);
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
        Plan& p = plans[i];
        TdxBarControl& bar = *p.bar;
        bar.Overfull = p.length < bar.FullLength;
        if (bar.Overfull && i + 1 == plans.size()) p.length = std::max(p.length, length - p.along);
        bar.MeasureContent(FDockingStyle, p.length - p.bordersAlong);
        bar.PlannedLeft = vertical ? across : p.along;
        bar.PlannedTop = vertical ? p.along : across;
        bar.PlannedWidth = vertical ? thickness : p.length;
        bar.PlannedHeight = vertical ? p.length : thickness;
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
    Invalidate();
    RefreshDock();
}

void TdxDockControl::Paint(TCanvas& canvas) { FManager.Painter().DrawDockBackground(*this, canvas.Handle(), ClientRect()); }

LRESULT TdxDockControl::WMNCCalcSize(bool validRects, RECT& client) {
    if (!FManager.SunkenBorder()) return TWinControl::WMNCCalcSize(validRects, client);
    if (client.right - client.left >= 2 && client.bottom - client.top >= 2) ::InflateRect(&client, -1, -1);
    return 0;
}

LRESULT TdxDockControl::WMNCPaint(HRGN region) {
    if (!FManager.SunkenBorder()) return TWinControl::WMNCPaint(region);
    TdxNonClientDC dc(Handle());
    RECT r;
    ::GetWindowRect(Handle(), &r);
    ::OffsetRect(&r, -r.left, -r.top);
    ::DrawEdge(dc.Get(), &r, BDR_SUNKENOUTER, BF_RECT);
    return 0;
}

}  // namespace bars
