// The process-wide controller of the menus of customizing: it builds the
// toolbars menu and the item menu and keeps their temporary entries.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBarTypes.h"

namespace bars {

class TdxBarCustomizingPopup;
class TdxBarSubMenuControl;
class TdxBarToolbarsPopup;

class TdxBarDesignController {
public:
    static TdxBarDesignController& Instance();
    ~TdxBarDesignController();

    // Builds the toolbars menu of the manager anew and opens it at the
    // pointer; nothing opens when it would be empty.
    void PopupToolbarsMenu(TdxBarManager& manager, TdxBarPainter& painter);
    // Creates the entries into the links: the listable toolbars, then
    // "Customize..." when the manager allows customizing.
    void FillToolbarsMenu(TdxBarItemLinks& links);

    // Builds the item menu of customizing for a link of a toolbar and opens
    // it at the pointer; nothing opens without a link or without entries.
    void PopupItemMenu(TdxBarControl& toolbar, TdxBarItemLink* link);

    // The toolbars menu built last, until it is freed.
    TdxBarToolbarsPopup* ToolbarsPopup() const { return FToolbarsPopup.get(); }
    // The item menu built last, until it is freed.
    TdxBarCustomizingPopup* CustomizingPopup() const { return FCustomizingPopup.get(); }
    // A manager goes: its menus and entries go first.
    void ManagerDestroying(const TdxBarManager& manager);
    // A link of a toolbar goes: the item menu forgets it.
    void LinkDestroying(const TdxBarItemLink* link);

private:
    TdxBarDesignController() = default;
    // The menus go before the entries their links show.
    void FreeMenus();
    // Opens a menu just built at the pointer.
    void OpenAtPointer(TdxBarSubMenuControl& menu);
    void FreeTemporaryItems();
    TdxBarButton& AddEntry(TdxBarItemLinks& links, const std::string& caption, bool beginGroup = false);
    // Creates the item menu's entries that the item and the toolbar offer.
    void FillItemMenu(TdxBarControl& toolbar, TdxBarItemLink& link);
    // Applies a change to the item menu's link, then to every other link
    // of its manager that counts as selected.
    void ChangeLinks(const std::function<void(TdxBarItemLink&)>& change);

    std::vector<std::unique_ptr<TdxBarItem>> FTemporaryItems;
    std::unique_ptr<TdxBarToolbarsPopup> FToolbarsPopup;
    std::unique_ptr<TdxBarCustomizingPopup> FCustomizingPopup;
};

// The actions a toolbar window offers of those an item supports: none on a
// toolbar that does not allow customizing.
TdxBarCustomizingActions ToolbarCustomizingActions(const TdxBarControl& toolbar, TdxBarCustomizingActions actions);

}  // namespace bars
