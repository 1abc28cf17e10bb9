#include "bars/dxBarLayout.h"

#include <algorithm>
#include <cstddef>

namespace bars {

TdxBarContentFit FitBarContent(const TdxBarContent& content, int available) {
    const TdxBarExtent start = content.least;
    if (content.items.empty()) return {start, 0};
    available = std::max(available - content.mark, start.length);
    int sum = 0, thickness = 0, fitting = 0;
    for (const TdxBarContentItem& item : content.items) {
        int length = item.separator + item.size.length;
        if (fitting > 0 && sum + length > available) break;
        sum += length;
        thickness = std::max(thickness, item.size.thickness);
        ++fitting;
    }
    return {{std::max(start.length, sum) + content.mark, thickness}, fitting};
}

TdxBarItemPlaces PlaceBarItems(const TdxBarContent& content, int fitting, const RECT& area, bool vertical) {
    const int available = vertical ? area.bottom - area.top : area.right - area.left;
    const int thickness = vertical ? area.right - area.left : area.bottom - area.top;
    TdxBarItemPlaces places;
    int position = 0;
    for (const TdxBarContentItem& item : content.items) {
        const int placed = static_cast<int>(places.rects.size());
        if (placed >= fitting || position >= available ||
            (placed > 0 && position + item.separator + item.size.length > available)) {
            places.overfull = true;
            break;
        }
        int start = position + item.separator, length = item.size.length;
        switch (item.align) {
            case TdxBarItemAlign::Left: break;
            case TdxBarItemAlign::Center: start += (available - start - length) / 2; break;
            case TdxBarItemAlign::Right: start = available - length; break;
            case TdxBarItemAlign::Client: length = std::max(available - start, 1); break;
        }
        const int offset = (thickness - item.size.thickness) / 2;
        const int left = area.left, top = area.top;
        places.rects.push_back(vertical ? RECT{left + offset, top + start, left + offset + item.size.thickness,
                                               top + start + length}
                                        : RECT{left + start, top + offset, left + start + length,
                                               top + offset + item.size.thickness});
        // An item aligned otherwise than left takes the rest of the bar.
        position = item.align == TdxBarItemAlign::Left ? start + length : available;
    }
    return places;
}

TdxDockRowLayout ArrangeDockRow(const std::vector<TdxDockRowBar>& bars, int length, bool packAll) {
    TdxDockRowLayout layout;
    std::vector<TdxDockRowPlace>& places = layout.bars;
    const std::size_t count = bars.size();
    if (count == 0) return layout;
    int sumFull = 0;
    for (const TdxDockRowBar& bar : bars) {
        places.push_back({bar.position, bar.fullLength});
        sumFull += bar.fullLength;
    }

    if (bars.front().wholeRow) {
        places.front().along = 0;
        places.front().length = std::max(length, bars.front().leastLength);
    } else if (length < sumFull) {
        // Shrink from the last bar towards the first, each down to its least.
        int excess = sumFull - length;
        for (std::size_t i = count; i-- > 0 && excess > 0;) {
            int shrink = std::min(excess, bars[i].fullLength - bars[i].leastLength);
            places[i].length -= shrink;
            excess -= shrink;
        }
        int next = 0;
        for (TdxDockRowPlace& p : places) {
            p.along = next;
            next += p.length;
        }
    } else {
        // Full length each, at the remembered place as far as the row allows.
        int rest = sumFull, previousEnd = 0;
        for (TdxDockRowPlace& p : places) {
            p.along = std::max(previousEnd, std::min(p.along, length - rest));
            rest -= p.length;
            previousEnd = p.along + p.length;
        }
    }
    // Packed bars, and those that take the rest of the row.
    for (std::size_t i = 0; i < count; ++i)
        if (packAll || bars[i].useRestSpace) places[i].along = i == 0 ? 0 : places[i - 1].along + places[i - 1].length;
    for (std::size_t i = 0; i < count; ++i) {
        if (!bars[i].useRestSpace) continue;
        int end = i + 1 < count ? places[i + 1].along : length;
        places[i].length = std::max(end - places[i].along, bars[i].leastLength);
    }

    for (std::size_t i = 0; i < count; ++i) {
        const TdxDockRowBar& bar = bars[i];
        int thickness = FitBarContent(bar.content, places[i].length - bar.borders.length).size.thickness;
        layout.thickness = std::max(layout.thickness, thickness + bar.borders.thickness);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const TdxDockRowBar& bar = bars[i];
        TdxDockRowPlace& p = places[i];
        p.overfull = p.length < bar.fullLength;
        // An overfull last bar takes the rest of the row: more may fit there.
        if (p.overfull && i + 1 == count) p.length = std::max(p.length, length - p.along);
        p.fitting = FitBarContent(bar.content, p.length - bar.borders.length).fitting;
    }
    return layout;
}

}  // namespace bars
