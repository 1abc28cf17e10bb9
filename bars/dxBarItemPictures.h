// Finished pictures of a bar's item controls, one for each look a control
// has shown (plain, hot, pressed, marked): hot tracking across a bar copies
// pictures instead of drawing buttons again.
#pragma once

#include <windows.h>

#include <vector>

#include "forms/Graphics.h"

namespace bars {

class TdxBarItemControl;

// What a picture shows besides the control's content: its state and its
// place on the bar, whose background it includes.
struct TdxBarItemLook {
    bool selected = false;
    bool pressed = false;
    bool marked = false;
    RECT rect{};
    bool operator==(const TdxBarItemLook& other) const {
        return selected == other.selected && pressed == other.pressed && marked == other.marked &&
               ::EqualRect(&rect, &other.rect);
    }
};

class TdxBarItemPictures {
public:
    // Copies the kept picture of a control in a look onto `dc`, at the
    // look's rectangle; false when none is kept.
    bool Draw(const TdxBarItemControl* control, const TdxBarItemLook& look, HDC dc) {
        return Draw(control, look, dc, look.rect);
    }
    // The same for a part of the look's rectangle only.
    bool Draw(const TdxBarItemControl* control, const TdxBarItemLook& look, HDC dc, const RECT& part);
    // Room for a new picture: a DC whose logical coordinates are the bar's
    // client coordinates around the look's rectangle, clipped to it; null
    // when no room can be made. Draw finds it once it is drawn.
    HDC Begin(const TdxBarItemControl* control, const TdxBarItemLook& look);
    // Ends drawing into the DC that Begin gave.
    void End();
    // The control's content changed, or it went: its pictures go.
    void Forget(const TdxBarItemControl* control);
    void Clear();

private:
    struct Slot {
        const TdxBarItemControl* control = nullptr;
        TdxBarItemLook look;
        unsigned lastUse = 0;
    };
    POINT SlotOrigin(std::size_t index, const RECT& rect) const;

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    forms::TOffscreenBitmap FImage;
    std::vector<Slot> FSlots;
    SIZE FCell{0, 0};
    unsigned FUses = 0;
    std::size_t FPending = kNone;  // the slot Begin handed out
    const TdxBarItemControl* FPendingControl = nullptr;
};

}  // namespace bars
