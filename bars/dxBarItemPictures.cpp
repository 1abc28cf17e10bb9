#include "bars/dxBarItemPictures.h"

#include <algorithm>

namespace bars {

namespace {
// Pictures sit in a grid of equal cells, four to a row; rows are added as
// needed, up to a limit past which the least used picture gives way.
constexpr std::size_t kColumns = 4;
constexpr std::size_t kMostSlots = 48;
// Cells start on multiples of 8 and a picture keeps its place's remainder
// of 8 inside its cell: patterned brushes line up as on the bar.
constexpr int kAlign = 8;

int CellSide(LONG side) { return (static_cast<int>(side) + 2 * kAlign - 1) / kAlign * kAlign; }
}  // namespace

POINT TdxBarItemPictures::SlotOrigin(std::size_t index, const RECT& rect) const {
    return {static_cast<LONG>(index % kColumns) * FCell.cx + (rect.left & (kAlign - 1)),
            static_cast<LONG>(index / kColumns) * FCell.cy + (rect.top & (kAlign - 1))};
}

bool TdxBarItemPictures::Draw(const TdxBarItemControl* control, const TdxBarItemLook& look, HDC dc,
                              const RECT& part) {
    for (std::size_t i = 0; i < FSlots.size(); ++i) {
        Slot& slot = FSlots[i];
        if (slot.control != control || !(slot.look == look)) continue;
        const POINT at = SlotOrigin(i, look.rect);
        ::BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, FImage.DC(),
                 at.x + part.left - look.rect.left, at.y + part.top - look.rect.top, SRCCOPY);
        slot.lastUse = ++FUses;
        return true;
    }
    return false;
}

HDC TdxBarItemPictures::Begin(const TdxBarItemControl* control, const TdxBarItemLook& look) {
    FPending = kNone;
    const SIZE cell{CellSide(look.rect.right - look.rect.left), CellSide(look.rect.bottom - look.rect.top)};
    if (cell.cx > FCell.cx || cell.cy > FCell.cy) {
        // A bigger control: every cell grows, and what was kept goes.
        Clear();
        FCell = {std::max(FCell.cx, cell.cx), std::max(FCell.cy, cell.cy)};
    }
    std::size_t index = FSlots.size();
    auto unused = std::find_if(FSlots.begin(), FSlots.end(), [](const Slot& s) { return !s.control; });
    if (unused != FSlots.end()) {
        index = static_cast<std::size_t>(unused - FSlots.begin());
    } else if (FSlots.size() == kMostSlots) {
        auto oldest = std::min_element(FSlots.begin(), FSlots.end(),
                                       [](const Slot& a, const Slot& b) { return a.lastUse < b.lastUse; });
        index = static_cast<std::size_t>(oldest - FSlots.begin());
    }
    const int rows = static_cast<int>(std::max(index + 1, FSlots.size()) + kColumns - 1) / static_cast<int>(kColumns);
    const int width = static_cast<int>(kColumns) * FCell.cx, height = rows * FCell.cy;
    if (FImage.Width() < width || FImage.Height() < height) {
        // A new row: the kept pictures move over into the bigger bitmap.
        forms::TOffscreenBitmap grown;
        grown.SetSize(width, height);
        if (grown.Empty()) return nullptr;
        if (!FImage.Empty()) ::BitBlt(grown.DC(), 0, 0, FImage.Width(), FImage.Height(), FImage.DC(), 0, 0, SRCCOPY);
        FImage.Swap(grown);
    }
    if (index == FSlots.size()) FSlots.emplace_back();
    FSlots[index].control = nullptr;  // until End: a failed drawing keeps nothing
    FSlots[index].look = look;
    FPending = index;
    const POINT at = SlotOrigin(index, look.rect);
    HDC dc = FImage.DC();
    ::SetViewportOrgEx(dc, at.x - look.rect.left, at.y - look.rect.top, nullptr);
    ::SelectClipRgn(dc, nullptr);
    ::IntersectClipRect(dc, look.rect.left, look.rect.top, look.rect.right, look.rect.bottom);
    FPendingControl = control;
    return dc;
}

void TdxBarItemPictures::End() {
    HDC dc = FImage.DC();
    ::SelectClipRgn(dc, nullptr);
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
    if (FPending == kNone) return;
    Slot& slot = FSlots[FPending];
    slot.control = FPendingControl;
    slot.lastUse = ++FUses;
    FPending = kNone;
}

void TdxBarItemPictures::Forget(const TdxBarItemControl* control) {
    for (Slot& slot : FSlots)
        if (slot.control == control) slot.control = nullptr;
}

void TdxBarItemPictures::Clear() {
    FSlots.clear();
    FImage.Reset();
    FCell = {0, 0};
    FPending = kNone;
}

}  // namespace bars
