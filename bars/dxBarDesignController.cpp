#include "bars/dxBarDesignController.h"

#include <algorithm>
#include <cstdint>

#include "bars/dxBarControl.h"
#include "bars/dxBarCustomizingPopup.h"
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
    FreeMenus();
    FreeTemporaryItems();
}

void TdxBarDesignController::FreeMenus() {
    FToolbarsPopup.reset();
    FCustomizingPopup.reset();
}

void TdxBarDesignController::FreeTemporaryItems() { FTemporaryItems.clear(); }

void TdxBarDesignController::OpenAtPointer(TdxBarSubMenuControl& menu) {
    // One menu at a time, and no toolbar keeps the keyboard under it.
    if (TdxBarSubMenuControl* open = TdxBarSubMenuControl::OpenMenu()) open->CloseUp();
    if (TdxBarControl* active = TdxBarControl::ActiveToolbar()) active->Deactivate();
    POINT pointer{};
    ::GetCursorPos(&pointer);
    menu.Popup(pointer);
}

void TdxBarDesignController::ManagerDestroying(const TdxBarManager& manager) {
    const bool toolbars = FToolbarsPopup && &FToolbarsPopup->BarManager() == &manager;
    const bool items = FCustomizingPopup && &FCustomizingPopup->BarManager() == &manager;
    if (!toolbars && !items) return;
    FreeMenus();
    FreeTemporaryItems();
}

void TdxBarDesignController::LinkDestroying(const TdxBarItemLink* link) {
    if (FCustomizingPopup) FCustomizingPopup->LinkDestroying(link);
}

TdxBarButton& TdxBarDesignController::AddEntry(TdxBarItemLinks& links, const std::string& caption, bool beginGroup) {
    // Without an owner the entries stay out of the manager's items: no
    // command list shows them and no shortcut search finds them.
    FTemporaryItems.push_back(std::make_unique<TdxBarButton>(nullptr));
    auto& button = static_cast<TdxBarButton&>(*FTemporaryItems.back());
    button.SetCaption(caption);
    links.Add(&button)->SetBeginGroup(beginGroup);
    return button;
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
    TdxBars& bars = manager->Bars();
    for (int i = 0; i < bars.Count(); ++i) {
        TdxBar* bar = bars.Items(i);
        if (!bar->IsUserClosable() || bar->Hidden()) continue;
        TdxBarButton& entry = AddEntry(links, bar->Caption());
        entry.SetButtonStyle(TdxBarButtonStyle::Checked);
        entry.SetDown(bar->Visible());
        entry.SetTag(reinterpret_cast<std::intptr_t>(bar));
        // The toolbar's own state decides, not the entry's check mark.
        entry.SetOnClick(forms::TNotifyEvent(this, "ToolbarEntryClick", [](forms::TComponent* sender) {
            auto* toolbar = reinterpret_cast<TdxBar*>(static_cast<TdxBarItem*>(sender)->Tag());
            toolbar->SetVisible(!toolbar->Visible());
        }));
    }
    if (manager->CanCustomize() && CustomizationFormRegistered()) {
        TdxBarButton& entry = AddEntry(links, forms::ResString("dxSBAR_CUSTOMIZE"), true);
        entry.SetEnabled(!CustomizationFormExists());
        entry.SetOnClick(forms::TNotifyEvent(this, "CustomizeEntryClick", [manager](forms::TComponent*) {
            manager->SetCustomizeMode(true);
        }));
    }
}

void TdxBarDesignController::PopupToolbarsMenu(TdxBarManager& manager, TdxBarPainter& painter) {
    FreeMenus();
    FreeTemporaryItems();
    FToolbarsPopup = std::make_unique<TdxBarToolbarsPopup>(manager, painter);
    TdxBarItemLinks& links = FToolbarsPopup->ItemLinks();
    FillToolbarsMenu(links);
    if (manager.OnShowToolbarsPopup) manager.OnShowToolbarsPopup(&manager, &links);
    if (links.Count() == 0) {
        FToolbarsPopup.reset();
        return;
    }
    OpenAtPointer(*FToolbarsPopup);
}

TdxBarCustomizingActions ToolbarCustomizingActions(const TdxBarControl& toolbar, TdxBarCustomizingActions actions) {
    return toolbar.Bar().AllowCustomizing() ? actions : 0;
}

namespace {

// The link is the first one the toolbar shows: nothing to separate it from.
bool FirstShownLink(const TdxBarItemLink& link) {
    const TdxBarItemLinks& links = link.Collection();
    for (int i = 0; i < links.Count() && links.Items(i) != &link; ++i)
        if (links.Items(i)->Shown()) return false;
    return true;
}

bool PaintStyleInForce(const TdxBarItemLink& link, TdxBarPaintStyle style) {
    const bool own = (link.UserDefine() & udPaintStyle) && link.UserPaintStyle() != TdxBarPaintStyle::Standard;
    return own ? link.UserPaintStyle() == style : style == TdxBarPaintStyle::Standard;
}

}  // namespace

void TdxBarDesignController::ChangeLinks(const std::function<void(TdxBarItemLink&)>& change) {
    TdxBarItemLink* link = FCustomizingPopup ? FCustomizingPopup->Link() : nullptr;
    if (!link) return;
    // Other selected links change alike. The run-time selection holds the
    // item of the pressed link, which makes its other links no choice of
    // the user's: only the links of other selected items count.
    std::vector<TdxBarItemLink*> others;
    TdxBarManager& manager = FCustomizingPopup->BarManager();
    if (IdxBarSelection* selection = manager.SelectionHandler()) {
        TdxBars& bars = manager.Bars();
        for (int i = 0; i < bars.Count(); ++i) {
            TdxBarItemLinks& links = bars.Items(i)->ItemLinks();
            for (int j = 0; j < links.Count(); ++j) {
                TdxBarItemLink* other = links.Items(j);
                TdxBarItem* item = other->Item();
                if (other == link) continue;
                if (selection->InSelection(other) || (item && item != link->Item() && selection->InSelection(item)))
                    others.push_back(other);
            }
        }
    }
    change(*link);
    for (TdxBarItemLink* other : others) change(*other);
}

void TdxBarDesignController::FillItemMenu(TdxBarControl& toolbar, TdxBarItemLink& link) {
    TdxBarItemLinks& links = FCustomizingPopup->ItemLinks();
    const TdxBarCustomizingActions actions =
        ToolbarCustomizingActions(toolbar, link.Item() ? link.Item()->CustomizingActions() : 0);
    auto onClick = [this](const char* name, std::function<void(TdxBarItemLink&)> change) {
        return forms::TNotifyEvent(this, name, [this, change](forms::TComponent*) { ChangeLinks(change); });
    };
    if (actions & caReset)
        AddEntry(links, forms::ResString("dxSBAR_CP_RESET"))
            .SetOnClick(onClick("ResetEntryClick", [](TdxBarItemLink& l) { l.SetUserDefine(0); }));
    if (actions & caDelete) {
        // Only this link goes; the item stays in the manager.
        AddEntry(links, forms::ResString("dxSBAR_CP_DELETE"))
            .SetOnClick(forms::TNotifyEvent(this, "DeleteEntryClick", [this](forms::TComponent*) {
                if (TdxBarItemLink* target = FCustomizingPopup ? FCustomizingPopup->Link() : nullptr)
                    target->Collection().Delete(target->Index());
            }));
    }
    if (actions & caName) {
        TdxBarButton& entry = AddEntry(links, forms::ResString("dxSBAR_CP_NAME"), true);
        FCustomizingPopup->SetNameEntry(entry, link.Caption());
        FCustomizingPopup->OnNameApplied = [this](const std::string& name) {
            ChangeLinks([&name](TdxBarItemLink& l) { l.SetUserCaption(name); });
        };
    }
    if (actions & caPaintStyle) {
        const struct {
            const char* text;
            TdxBarPaintStyle style;
        } styles[] = {{"dxSBAR_CP_DEFAULTSTYLE", TdxBarPaintStyle::Standard},
                      {"dxSBAR_CP_TEXTONLYALWAYS", TdxBarPaintStyle::Caption},
                      {"dxSBAR_CP_TEXTONLYINMENUS", TdxBarPaintStyle::CaptionInMenu},
                      {"dxSBAR_CP_IMAGEANDTEXT", TdxBarPaintStyle::CaptionGlyph}};
        for (const auto& s : styles) {
            TdxBarButton& entry = AddEntry(links, forms::ResString(s.text), s.style == TdxBarPaintStyle::Standard);
            entry.SetButtonStyle(TdxBarButtonStyle::Checked);
            entry.SetDown(PaintStyleInForce(link, s.style));
            const TdxBarPaintStyle style = s.style;
            entry.SetOnClick(onClick("PaintStyleEntryClick", [style](TdxBarItemLink& l) {
                // The default style is the item's own.
                if (style == TdxBarPaintStyle::Standard) l.SetUserDefine(l.UserDefine() & ~udPaintStyle);
                else l.SetUserPaintStyle(style);
            }));
        }
    }
    if (actions & caBeginGroup) {
        TdxBarButton& entry = AddEntry(links, forms::ResString("dxSBAR_CP_BEGINAGROUP"), true);
        entry.SetButtonStyle(TdxBarButtonStyle::Checked);
        entry.SetDown(link.BeginGroup());
        entry.SetEnabled(!FirstShownLink(link));
        // Every link takes the new state of the pressed one.
        entry.SetOnClick(forms::TNotifyEvent(this, "BeginGroupEntryClick", [this](forms::TComponent*) {
            TdxBarItemLink* target = FCustomizingPopup ? FCustomizingPopup->Link() : nullptr;
            if (!target) return;
            const bool begin = !target->BeginGroup();
            ChangeLinks([begin](TdxBarItemLink& l) { l.SetBeginGroup(begin); });
        }));
    }
}

void TdxBarDesignController::PopupItemMenu(TdxBarControl& toolbar, TdxBarItemLink* link) {
    FreeMenus();
    FreeTemporaryItems();
    if (!link) return;
    TdxBarManager& manager = toolbar.BarManager();
    FCustomizingPopup = std::make_unique<TdxBarCustomizingPopup>(manager, toolbar.Painter(), *link);
    FillItemMenu(toolbar, *link);
    TdxBarItemLinks& links = FCustomizingPopup->ItemLinks();
    if (links.Count() == 0) {
        FCustomizingPopup.reset();
        return;
    }
    if (manager.OnShowCustomizingPopup) manager.OnShowCustomizingPopup(&manager, &links);
    // A handler may have taken every entry away.
    if (links.Count() == 0) {
        FCustomizingPopup.reset();
        return;
    }
    OpenAtPointer(*FCustomizingPopup);
}

}  // namespace bars
