// The docks along a form's edges, and the rows of toolbars inside them.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "bars/dxBarLayout.h"
#include "bars/dxBarTypes.h"
#include "forms/Controls.h"
#include "forms/Graphics.h"

namespace bars {

class TdxDockRow;

// One bar window in a row, with its last placed position (dock client
// coordinates).
class TdxDockCol {
public:
    TdxDockCol(TdxDockRow& row, TdxBarControl& barControl) : FRow(row), FBarControl(barControl) {}
    TdxDockRow& Row() const { return FRow; }
    TdxBarControl& BarControl() const { return FBarControl; }
    POINT Pos{};

private:
    TdxDockRow& FRow;
    TdxBarControl& FBarControl;
};

// The bars of one row of a dock, in order along the dock.
class TdxDockRow {
public:
    explicit TdxDockRow(TdxDockControl& dock) : FDock(dock) {}
    TdxDockControl& Dock() const { return FDock; }
    int ColCount() const { return static_cast<int>(FCols.size()); }
    TdxDockCol& Cols(int index) const { return *FCols.at(static_cast<std::size_t>(index)); }
    int IndexOf(const TdxBarControl& barControl) const;

private:
    friend class TdxDockControl;
    TdxDockControl& FDock;
    std::vector<std::unique_ptr<TdxDockCol>> FCols;
};

// A dock window: a child of the manager's form aligned to one of its edges,
// as thick as the rows of bars it holds (0 when it holds none).
class TdxDockControl : public forms::TWinControl {
public:
    TdxDockControl(TdxBarManager& manager, TdxBarDockingStyle style);
    ~TdxDockControl() override;
    const char* ClassName() const override { return "TdxDockControl"; }

    TdxBarManager& BarManager() const { return FManager; }
    TdxBarDockingStyle DockingStyle() const { return FDockingStyle; }
    bool Vertical() const { return IsVertical(FDockingStyle); }
    bool AllowDocking() const { return FAllowDocking; }
    int RowMargin() const { return 10; }

    int RowCount() const { return static_cast<int>(FRows.size()); }
    TdxDockRow& Rows(int index) const { return *FRows.at(static_cast<std::size_t>(index)); }
    // The row and column of a bar window, or -1.
    int RowOf(const TdxBarControl& barControl) const;

    // Puts a bar window into a row: its bar's Row and docked position decide
    // where. Lays the dock out again when `update` is set.
    void PlaceBar(TdxBarControl& barControl, POINT point, bool update);
    // Takes a bar window out of its row; an emptied row goes.
    void TakeOutBar(TdxBarControl& barControl);
    // Lays out every row and fits the dock's size to them (not while the
    // manager loads or goes away).
    void RefreshDock();
    // What the row layout takes of each bar of a row, in order; nothing
    // moves.
    std::vector<TdxDockRowBar> RowBars(int rowIndex) const;
    // Lays out one row for a dock `length` long and moves its bars there.
    void ArrangeRow(int rowIndex, int length);
    // The row's rectangle in dock client coordinates.
    RECT RowBounds(int rowIndex) const;
    int RowThickness(int rowIndex) const;
    int RowsThickness() const;
    // Height (width, for side docks) from the rows and the sunken border.
    void FitDockSize();
    // The manager's docks colour or border changed.
    void UpdateColor();
    void UpdateBorder();

    void Paint(forms::TCanvas& canvas) override;
    // Paints the dock surface into Dest, taken from Source's top-left
    // corner on (dock client coordinates): the bars in the dock show it.
    void FillDockBackground(HDC dc, const RECT& dest, const RECT& source);
    // The painted surface, kept until the size, the colours or the painter
    // change; the painter fills it.
    forms::TOffscreenBitmap& CachedBackground() { return FCachedBackground; }
    void DropCachedBackground();
    // A style-drawn surface is painted off-screen first.
    void UpdateDoubleBuffering();

protected:
    void CreateWindowParams(forms::TWindow::CreateParams& params) override;
    LRESULT WMNCCalcSize(bool validRects, RECT& client) override;
    LRESULT WMNCPaint(HRGN region) override;
    // The right button on the dock's own surface opens the toolbars menu;
    // a double click there starts customizing.
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BoundsChanged() override;

private:
    int Length() const;
    // Whether only docks lie above this one among the form's children.
    bool AboveOtherChildren() const;

    TdxBarManager& FManager;
    TdxBarDockingStyle FDockingStyle;
    bool FAllowDocking = true;
    std::vector<std::unique_ptr<TdxDockRow>> FRows;
    bool FRefreshing = false;
    SIZE FLastSize{-1, -1};
    forms::TOffscreenBitmap FCachedBackground;
};

}  // namespace bars
