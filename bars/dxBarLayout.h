// Toolbar geometry without windows: how much of a bar's content fits a
// length, where its items go, and where the bars of a dock row go. The
// windows apply what these return; a drop target is found with them
// without moving anything.
#pragma once

#include <windows.h>

#include <vector>

#include "bars/dxBarTypes.h"

namespace bars {

// Size along a bar (its length) and across it (its thickness).
struct TdxBarExtent {
    int length = 0;
    int thickness = 0;
};

// One item control of a bar, measured along and across the bar.
struct TdxBarContentItem {
    TdxBarExtent size;
    int separator = 0;  // room for the group separator in front of it
    TdxBarItemAlign align = TdxBarItemAlign::Left;
};

// What a bar shows, measured along and across it.
struct TdxBarContent {
    std::vector<TdxBarContentItem> items;  // the shown links, in order
    TdxBarExtent least;                    // the least content size
    int mark = 0;                          // width of the mark; 0 when none is shown
};

// The content size for an available length, and how many items fit: the
// first always does, each next one while the sum still fits.
struct TdxBarContentFit {
    TdxBarExtent size;
    int fitting = 0;
};
TdxBarContentFit FitBarContent(const TdxBarContent& content, int available);

// The rectangles of the items placed in a bar's items area, in order; the
// items after them are left out.
struct TdxBarItemPlaces {
    std::vector<RECT> rects;
    bool overfull = false;  // some items are left out
};
// Only the first `fitting` items are candidates.
TdxBarItemPlaces PlaceBarItems(const TdxBarContent& content, int fitting, const RECT& area, bool vertical);

// One bar of a dock row, as the row lays it out.
struct TdxDockRowBar {
    int position = 0;                     // its remembered place along the row
    int leastLength = 0, fullLength = 0;  // borders (and mark) included
    TdxBarExtent borders;                 // the borders' sums along and across
    bool wholeRow = false;
    bool useRestSpace = false;
    TdxBarContent content;
};

// Where a bar of a row goes along the row; across, it takes the row's
// whole thickness.
struct TdxDockRowPlace {
    int along = 0;
    int length = 0;
    bool overfull = false;  // shorter than its full length
    int fitting = 0;        // items that fit its length
};

struct TdxDockRowLayout {
    std::vector<TdxDockRowPlace> bars;
    int thickness = 0;
};

// The bars of one row, in order, in a dock `length` long. `packAll` packs
// every bar against the one before it, as UseRestSpace does for one bar.
TdxDockRowLayout ArrangeDockRow(const std::vector<TdxDockRowBar>& bars, int length, bool packAll);

}  // namespace bars
