// The process-wide controller of the menus that lead to customizing: it
// builds the toolbars menu and keeps the menu's temporary entries.
#pragma once

#include <memory>
#include <vector>

#include "bars/dxBarTypes.h"

namespace bars {

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

    // The toolbars menu built last, until it is freed.
    TdxBarToolbarsPopup* ToolbarsPopup() const { return FToolbarsPopup.get(); }
    // A manager goes: its menu and entries go first.
    void ManagerDestroying(const TdxBarManager& manager);

private:
    TdxBarDesignController() = default;
    void FreeTemporaryItems();

    std::vector<std::unique_ptr<TdxBarItem>> FTemporaryItems;
    std::unique_ptr<TdxBarToolbarsPopup> FToolbarsPopup;
};

}  // namespace bars
