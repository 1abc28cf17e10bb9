// The item menu of customizing mode: the entries for one link of a toolbar,
// among them a box that renames the link.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "bars/dxBarSubMenuControl.h"

namespace bars {

// Opens at once, without animation. The entries are the design
// controller's; this menu adds the name box to the row of the name entry.
class TdxBarCustomizingPopup : public TdxBarInternalSubMenuControl {
public:
    TdxBarCustomizingPopup(TdxBarManager& manager, TdxBarPainter& painter, TdxBarItemLink& link);
    ~TdxBarCustomizingPopup() override;

    // The link the menu is for; null once it has gone.
    TdxBarItemLink* Link() const { return FLink; }
    // A link goes: when it is this menu's, nothing is done to it any more.
    void LinkDestroying(const TdxBarItemLink* link);

    // The entry whose row shows the name box, holding `text`.
    void SetNameEntry(TdxBarItem& entry, const std::string& text);
    // The box; null without a name entry.
    HWND NameEdit() const;
    std::string NameText() const;
    // Takes the text of the box, closing the menu: a blank one is refused
    // with a message box (shown from the message loop) and nothing changes;
    // any other goes to OnNameApplied.
    void ApplyName();
    std::function<void(const std::string& name)> OnNameApplied;

    // While the box has the focus, only Enter (apply) and Escape (close)
    // are the menu's; the rest are typed into the box.
    bool TakesKey(WPARAM key) const override;
    void KeyPressed(WPARAM key) override;
    void Paint(HDC dc) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int RowExtent(const TdxBarItemLink& link) const override;
    void RowsPlaced() override;
    // Choosing the name entry puts the caret into the box.
    bool RowChosen(int index) override;
    // The box took the activation for its caret: it goes back.
    void ClosingUp() override;
    bool Animates() const override { return false; }

private:
    class TNameEdit;
    bool Editing() const;
    int NameRow() const;
    // The box's rectangle in the name row (client coordinates).
    RECT NameEditRect() const;

    TdxBarItemLink* FLink;
    TdxBarItem* FNameEntry = nullptr;
    std::unique_ptr<TNameEdit> FNameEdit;
    // The window that was active before the box took the focus.
    HWND FActivatedFrom = nullptr;
};

}  // namespace bars
