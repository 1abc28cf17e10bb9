// Toolbar items: the commands a bar can show.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBarTypes.h"
#include "controls/cxGraphics.h"
#include "forms/ActnList.h"
#include "forms/Component.h"
#include "forms/FormWriter.h"

namespace bars {

class TdxBarItemActionLink;

// Common base of the items: a component of the form that knows the form's
// bar manager.
class TdxBarComponent : public forms::TComponent {
public:
    // Joins the bar manager of the owner, if it has one yet.
    explicit TdxBarComponent(forms::TComponent* owner);
    ~TdxBarComponent() override;

    TdxBarManager* BarManager() const { return FBarManager; }

private:
    friend class TdxBarManager;
    TdxBarManager* FBarManager = nullptr;
};

// A command that can be placed on bars. Each placement is a link; a change
// of the item reaches every control that shows one of its links.
class TdxBarItem : public TdxBarComponent {
public:
    explicit TdxBarItem(forms::TComponent* owner);
    ~TdxBarItem() override;
    const char* ClassName() const override { return "TdxBarItem"; }

    forms::TCustomAction* Action() const { return FAction; }
    void SetAction(forms::TCustomAction* action);
    TdxBarItemActionLink* ActionLink() const { return FActionLink.get(); }

    TdxBarItemAlign Align() const { return FAlign; }
    void SetAlign(TdxBarItemAlign align);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption) { ApplyCaption(caption); }
    int Category() const { return FCategory; }
    void SetCategory(int category) { FCategory = category; }
    const std::string& Description() const { return FDescription; }
    void SetDescription(std::string text) { FDescription = std::move(text); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { ApplyEnabled(enabled); }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int context) { FHelpContext = context; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    TdxBarItemVisible Visible() const { return FVisible; }
    void SetVisible(TdxBarItemVisible visible) { ApplyVisible(visible); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index) { ApplyImageIndex(index); }
    int LargeImageIndex() const { return FLargeImageIndex; }
    void SetLargeImageIndex(int index) { ApplyLargeImageIndex(index); }
    forms::TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(forms::TShortCut shortCut);
    TdxBarMergeKind MergeKind() const { return FMergeKind; }
    int MergeOrder() const { return FMergeOrder; }
    const forms::TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const forms::TNotifyEvent& handler) { FOnClick = handler; }
    forms::TNotifyEvent OnDestroy;
    // A number (or an object) the program keeps with the item.
    std::intptr_t Tag() const { return FTag; }
    void SetTag(std::intptr_t tag) { FTag = tag; }

    // Unpublished here; the large button publishes them.
    int Width() const { return FWidth; }
    void SetWidth(int width) { ApplyWidth(width); }
    TdxBarGlyphLayout GlyphLayout() const { return FGlyphLayout; }

    // Every placement of the item, in the order they were made.
    const std::vector<TdxBarItemLink*>& Links() const { return FLinks; }
    // The link through which the item was last clicked.
    TdxBarItemLink* ClickItemLink() const { return FClickItemLink; }
    void SetClickItemLink(TdxBarItemLink* link) { FClickItemLink = link; }
    // True only while default values are being taken from an action.
    bool DefaultsOnly() const { return FDefaultsOnly; }
    // Shown on bars: always, or in customizing while the manager customizes.
    bool IsShown() const;

    virtual bool EffectiveEnabled() const;
    virtual void ApplyEnabled(bool enabled);
    virtual void ApplyVisible(TdxBarItemVisible visible);
    virtual TdxBarManager* OwningManager() const;
    virtual int ItemWidth() const { return FWidth; }
    virtual void ApplyWidth(int width);
    // The picture index an action's ImageIndex stands for.
    virtual int ActionImageIndex() const { return FImageIndex; }
    virtual void ApplyActionImageIndex(int index) { ApplyImageIndex(index); }
    // The registered item-control factory for exactly this item class.
    virtual TdxBarItemControlFactory ControlKindOf() const;
    // The entries the item menu of customizing offers for the item's links.
    virtual TdxBarCustomizingActions CustomizingActions() const {
        return caReset | caDelete | caName | caBeginGroup;
    }
    // Links of the item's own drop-down menu; none for plain items.
    virtual TdxBarItemLinks* SubmenuLinks() const { return nullptr; }
    virtual bool TryShortCut(forms::TShortCut shortCut);
    virtual void ApplyImageIndex(int index);
    virtual void ApplyLargeImageIndex(int index);
    void RepaintControls();
    void RelayoutBars();
    virtual bool HotImagePresent() const { return false; }
    virtual bool ImagePresent() const { return FImageIndex >= 0 || FLargeImageIndex >= 0; }
    virtual void NotifyCaption();
    virtual void NotifyEnabled();
    virtual void NotifyGlyph();
    virtual void NotifyHotGlyph();
    virtual void NotifyLargeGlyph();
    virtual void NotifyPaintStyle() {}
    virtual void NotifyShortCut() {}
    virtual void NotifyVisible();
    virtual void NotifyWidth();
    virtual std::string CurrentCaption() const { return FCaption; }
    virtual bool CaptionNeedsStoring() const;
    virtual void ApplyCaption(const std::string& caption);
    virtual std::string NewItemCaption() const;
    virtual forms::TCustomImageList* ItemImages() const;

    // Binding and executing.
    virtual void TakeFromAction(forms::TCustomAction* action, bool defaultsOnly);
    virtual std::unique_ptr<TdxBarItemActionLink> ActionLinkKind();
    virtual void PerformClick();
    virtual void RunClick();
    virtual void InvokeCommand();

    const forms::PropertyTable& StoredProperties() const override;

protected:
    void Loaded() override;
    void Notification(forms::TComponent* component, forms::TOperation operation) override;

    // Stored only while not linked to the action (and not at the default).
    bool IsCaptionStored() const;
    bool IsEnabledStored() const;
    bool IsHelpContextStored() const;
    bool IsHintStored() const;
    bool IsShortCutStored() const;
    bool IsVisibleStored() const;
    bool IsOnClickStored() const;
    // Runs OnDestroy and frees the links, and with them their controls,
    // while the item is still whole: a layout meanwhile measures the item
    // through its kind. The destructor of every item kind calls it first;
    // only the first call does anything.
    void BeforeDestruction();
    // The sub-item kinds keep their hint when the caption changes.
    virtual bool IsSubItem() const { return false; }
    // Runs `notify` on every control that shows a link of this item.
    template <class F>
    void ForEachControl(F notify) const;

    int FWidth = 0;
    TdxBarGlyphLayout FGlyphLayout = TdxBarGlyphLayout::Top;
    int FImageIndex = -1;
    int FLargeImageIndex = -1;

private:
    friend class TdxBarItemLink;
    friend class TdxBarManager;
    // The value of Visible read from the stream, applied once the manager
    // has loaded.
    void ApplyLoadedVisible();
    bool FLoadedVisiblePending = false;

    forms::TCustomAction* FAction = nullptr;
    std::unique_ptr<TdxBarItemActionLink> FActionLink;
    TdxBarItemAlign FAlign = TdxBarItemAlign::Left;
    std::string FCaption;
    int FCategory = -1;
    std::string FDescription;
    bool FEnabled = true;
    int FHelpContext = 0;
    std::string FHint;
    TdxBarItemVisible FVisible = TdxBarItemVisible::Always;
    TdxBarItemVisible FLoadedVisible = TdxBarItemVisible::Always;
    forms::TShortCut FShortCut = 0;
    TdxBarMergeKind FMergeKind = TdxBarMergeKind::Add;
    int FMergeOrder = 0;
    forms::TNotifyEvent FOnClick;
    std::vector<TdxBarItemLink*> FLinks;
    TdxBarItemLink* FClickItemLink = nullptr;
    bool FDefaultsOnly = false;
    bool FDestructionBegun = false;
    std::intptr_t FTag = 0;
};

// A push, check or drop-down button.
class TdxBarButton : public TdxBarItem {
public:
    explicit TdxBarButton(forms::TComponent* owner);
    ~TdxBarButton() override;
    const char* ClassName() const override { return "TdxBarButton"; }

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool allow) { FAllowAllUp = allow; }
    TdxBarButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TdxBarButtonStyle style);
    bool CloseSubMenuOnClick() const { return FCloseSubMenuOnClick; }
    bool DropDownEnabled() const { return FDropDownEnabled; }
    void SetDropDownEnabled(bool enabled);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index) { FGroupIndex = index; }
    bool Down() const { return FDown; }
    // Pressing one button of a group releases the others.
    void SetDown(bool down);
    bool Lowered() const { return FLowered; }
    TdxBarPaintStyle PaintStyle() const { return FPaintStyle; }
    void SetPaintStyle(TdxBarPaintStyle style);
    bool UnclickAfterDoing() const { return FUnclickAfterDoing; }
    void SetUnclickAfterDoing(bool unclick) { FUnclickAfterDoing = unclick; }
    // Pictures of the item's own; empty bitmaps when none.
    controls::TcxBitmap& Glyph() { return FGlyph; }
    controls::TcxBitmap& LargeGlyph() { return FLargeGlyph; }
    const controls::TcxBitmap& LargeGlyph() const { return FLargeGlyph; }

    void PerformClick() override;
    std::string NewItemCaption() const override;
    TdxBarCustomizingActions CustomizingActions() const override {
        return TdxBarItem::CustomizingActions() | caPaintStyle;
    }
    const forms::PropertyTable& StoredProperties() const override;

protected:
    bool IsDownStored() const;
    bool IsImageIndexStored() const;

private:
    bool FAllowAllUp = false;
    TdxBarButtonStyle FButtonStyle = TdxBarButtonStyle::Default;
    bool FCloseSubMenuOnClick = true;
    bool FDropDownEnabled = true;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FLowered = false;
    TdxBarPaintStyle FPaintStyle = TdxBarPaintStyle::Standard;
    bool FUnclickAfterDoing = true;
    controls::TcxBitmap FGlyph;
    controls::TcxBitmap FLargeGlyph;
};

// A button drawn with a large picture and its caption beside or below it.
class TdxBarLargeButton : public TdxBarButton {
public:
    explicit TdxBarLargeButton(forms::TComponent* owner);
    ~TdxBarLargeButton() override;
    const char* ClassName() const override { return "TdxBarLargeButton"; }

    bool AutoGrayScale() const { return FAutoGrayScale; }
    void SetAutoGrayScale(bool gray);
    void SetGlyphLayout(TdxBarGlyphLayout layout);
    // 0: computed from the picture and the caption.
    int Height() const { return FHeight; }
    void SetHeight(int height);
    int HotImageIndex() const { return FHotImageIndex; }
    void SetHotImageIndex(int index);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool show);
    // While on, ImageIndex follows LargeImageIndex.
    bool SyncImageIndex() const { return FSyncImageIndex; }
    void SetSyncImageIndex(bool sync);
    controls::TcxBitmap& HotGlyph() { return FHotGlyph; }

    int ActionImageIndex() const override { return FLargeImageIndex; }
    void ApplyActionImageIndex(int index) override { ApplyLargeImageIndex(index); }
    void ApplyImageIndex(int index) override;
    bool HotImagePresent() const override { return FHotImageIndex >= 0; }
    bool ImagePresent() const override { return FLargeImageIndex >= 0; }
    void NotifyLargeGlyph() override;
    void NotifyWidth() override;
    // Its caption shows by ShowCaption, not by a paint style.
    TdxBarCustomizingActions CustomizingActions() const override {
        return TdxBarButton::CustomizingActions() & ~caPaintStyle;
    }
    const forms::PropertyTable& StoredProperties() const override;

private:
    void SyncImage();

    bool FAutoGrayScale = true;
    int FHeight = 0;
    int FHotImageIndex = -1;
    bool FShowCaption = true;
    bool FSyncImageIndex = true;
    bool FSyncImageIndexSet = false;  // set on purpose: kept on
    bool FSyncing = false;
    controls::TcxBitmap FHotGlyph;
};

// A caption without its first "&" and its first "...", as hints show it.
std::string StripCaption(const std::string& caption);
// The part of a hint before the first "|", or all of it.
std::string ShortHint(const std::string& hint);

}  // namespace bars
