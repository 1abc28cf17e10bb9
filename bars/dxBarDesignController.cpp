#include "bars/dxBarDesignController.h"

#include <algorithm>
#include <cstdint>

#include "bars/dxBarControl.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxBarToolbar.h"
#include "forms/ResStrings.h"

namespace bars {

TdxBarDesignController& TdxBarDesignController::Instance() {
    static TdxBarDesignController controller;
    return controller;
}

TdxBarDesignController::~TdxBarDesignController() {
    FToolbarsPopup.reset();
    FreeTemporaryItems();
}

void TdxBarDesignController::FreeTemporaryItems() { FTemporaryItems.clear(); }

void TdxBarDesignController::ManagerDestroying(const TdxBarManager& manager) {
    if (!FToolbarsPopup || &FToolbarsPopup->BarManager() != &manager) return;
    FToolbarsPopup.reset();
    FreeTemporaryItems();
}

void TdxBarDesignController::FillToolbarsMenu(TdxBarItemLinks& links) {
    // Entries of an earlier use of the same links go first.
    while (links.Count() > 0) {
        TdxBarItem* item = links.Items(0)->Item();
        links.Delete(0);
        if (!item) continue;
        auto owned = std::find_if(FTemporaryItems.begin(), FTemporaryItems.end(),
                                  [&](const auto& temporary) { return temporary.get() == item; });
        if (owned != FTemporaryItems.end()) FTemporaryItems.erase(owned);
    }
    TdxBarManager* manager = links.BarManager();
    if (!manager) return;
    // Without an owner the entries stay out of the manager's items: no
    // command list shows them and no shortcut search finds them.
    auto add = [&](const std::string& caption) {
        FTemporaryItems.push_back(std::make_unique<TdxBarButton>(nullptr));
        auto* button = static_cast<TdxBarButton*>(FTemporaryItems.back().get());
        button->SetCaption(caption);
        links.Add(button);
        return button;
    };
    TdxBars& bars = manager->Bars();
    for (int i = 0; i < bars.Count(); ++i) {
        TdxBar* bar = bars.Items(i);
        if (!bar->IsUserClosable() || bar->Hidden()) continue;
        TdxBarButton* entry = add(bar->Caption());
        entry->SetButtonStyle(TdxBarButtonStyle::Checked);
        entry->SetDown(bar->Visible());
        entry->SetTag(reinterpret_cast<std::intptr_t>(bar));
        // The toolbar's own state decides, not the entry's check mark.
        entry->SetOnClick(forms::TNotifyEvent(this, "ToolbarEntryClick", [](forms::TComponent* sender) {
            auto* toolbar = reinterpret_cast<TdxBar*>(static_cast<TdxBarItem*>(sender)->Tag());
            toolbar->SetVisible(!toolbar->Visible());
        }));
    }
    if (manager->CanCustomize() && CustomizationFormRegistered()) {
        TdxBarButton* entry = add(forms::ResString("dxSBAR_CUSTOMIZE"));
        links.Items(links.Count() - 1)->SetBeginGroup(true);
        entry->SetEnabled(!CustomizationFormExists());
        entry->SetOnClick(forms::TNotifyEvent(this, "CustomizeEntryClick", [manager](forms::TComponent*) {
            manager->SetCustomizeMode(true);
        }));
    }
}

void TdxBarDesignController::PopupToolbarsMenu(TdxBarManager& manager, TdxBarPainter& painter) {
    // The old menu's links go before the entries they show.
    FToolbarsPopup.reset();
    FreeTemporaryItems();
    FToolbarsPopup = std::make_unique<TdxBarToolbarsPopup>(manager, painter);
    TdxBarItemLinks& links = FToolbarsPopup->ItemLinks();
    FillToolbarsMenu(links);
    if (manager.OnShowToolbarsPopup) manager.OnShowToolbarsPopup(&manager, &links);
    if (links.Count() == 0) {
        FToolbarsPopup.reset();
        return;
    }
    if (TdxBarSubMenuControl* open = TdxBarSubMenuControl::OpenMenu()) open->CloseUp();
    if (TdxBarControl* active = TdxBarControl::ActiveToolbar()) active->Deactivate();
    POINT pointer{};
    ::GetCursorPos(&pointer);
    FToolbarsPopup->Popup(pointer);
}

}  // namespace bars
