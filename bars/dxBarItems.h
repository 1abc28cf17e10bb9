// Toolbar items (the commands a bar can show), their links onto bars, the
// binding of an item to an action, and the registry of item kinds.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>
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

    void WriteProperties(forms::TWriter& writer) const override;

protected:
    bool ReadProperty(std::string_view name, const forms::Value& value, forms::TReader& reader) override;
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
    void WriteProperties(forms::TWriter& writer) const override;

protected:
    bool ReadProperty(std::string_view name, const forms::Value& value, forms::TReader& reader) override;
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
    void WriteProperties(forms::TWriter& writer) const override;

protected:
    bool ReadProperty(std::string_view name, const forms::Value& value, forms::TReader& reader) override;

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

// Ties an item to an action: a new value of the action reaches the item
// while the item still shows the action's old one.
class TdxBarItemActionLink : public forms::TActionLink {
public:
    explicit TdxBarItemActionLink(TdxBarItem& client) : FClient(client) {}
    TdxBarItem& Client() const { return FClient; }

    bool IsCaptionLinked() const override;
    bool IsCheckedLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHelpContextLinked() const override;
    bool IsHintLinked() const override;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;
    bool IsVisibleLinked() const override;
    bool IsOnExecuteLinked() const override;

    void SetCaption(const std::string& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const std::string& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(forms::TShortCut value) override;
    void SetVisible(bool value) override;
    void SetOnExecute(const forms::TNotifyEvent& value) override;

private:
    TdxBarItem& FClient;
};

// One placement of an item on a bar (or in an item's own menu).
class TdxBarItemLink : public forms::TPersistent {
public:
    explicit TdxBarItemLink(TdxBarItemLinks& collection);
    ~TdxBarItemLink() override;
    TdxBarItemLink(const TdxBarItemLink&) = delete;
    TdxBarItemLink& operator=(const TdxBarItemLink&) = delete;

    TdxBarItemLinks& Collection() const { return FCollection; }
    int Index() const;
    TdxBarItem* Item() const { return FItem; }
    void SetItem(TdxBarItem* item);

    bool BeginGroup() const { return FBeginGroup; }
    void SetBeginGroup(bool begin);
    TdxBarButtonGroup ButtonGroup() const { return FButtonGroup; }
    bool Distributed() const { return FDistributed; }
    bool MostRecentlyUsed() const { return FMostRecentlyUsed; }
    int Position() const { return FPosition; }
    const std::string& UserCaption() const { return FUserCaption; }
    TdxBarUserDefines UserDefine() const { return FUserDefine; }
    TdxBarPaintStyle UserPaintStyle() const { return FUserPaintStyle; }
    int UserWidth() const { return FUserWidth; }
    TdxBarItemViewLevels ViewLevels() const { return FViewLevels; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // The link and its item are both shown.
    bool Shown() const;

    // The item name read from the stream, until the manager resolves it.
    const std::string& ItemName() const { return FItemName; }
    int UseCount() const { return FUseCount; }
    int RecentIndex() const { return FRecentIndex; }

    // Placement on the bar window (set by its layout) and the control that
    // shows the link there; none while the bar has no window.
    const RECT& ItemRect() const { return FItemRect; }
    void SetItemRect(const RECT& rect);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int height) { FRowHeight = height; }
    TdxBarItemControl* Control() const { return FControl; }

    bool ReadProperty(std::string_view name, const forms::Value& value, forms::TReader& reader) override;
    void WriteProperties(forms::TWriter& writer) const override;

private:
    friend class TdxBarControl;
    friend class TdxBarManager;
    // Attaches the item the stream named, once every component exists.
    void ResolveLoadedItem();

    TdxBarItemLinks& FCollection;
    TdxBarItem* FItem = nullptr;
    TdxBarItem* FLoadedItem = nullptr;
    bool FBeginGroup = false;
    TdxBarButtonGroup FButtonGroup = TdxBarButtonGroup::None;
    bool FDistributed = true;
    bool FMostRecentlyUsed = true;
    int FPosition = 0;
    std::string FUserCaption;
    TdxBarUserDefines FUserDefine = 0;
    TdxBarPaintStyle FUserPaintStyle = TdxBarPaintStyle::Standard;
    int FUserWidth = 0;
    TdxBarItemViewLevels FViewLevels = ivlAll;
    bool FVisible = true;
    std::string FItemName;
    int FUseCount = 0;
    int FRecentIndex = -1;
    RECT FItemRect{};
    int FRowHeight = 0;
    TdxBarItemControl* FControl = nullptr;
};

// The ordered links of a bar (or of an item's own menu). The bar's list
// tells the bar when its links change.
class TdxBarItemLinks {
public:
    // `bar` is the toolbar whose links these are; null for an item's menu.
    TdxBarItemLinks(TdxBarManager* manager, TdxBar* bar);
    ~TdxBarItemLinks();
    TdxBarItemLinks(const TdxBarItemLinks&) = delete;
    TdxBarItemLinks& operator=(const TdxBarItemLinks&) = delete;

    TdxBarManager* BarManager() const { return FManager; }
    TdxBar* Bar() const { return FBar; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TdxBarItemLink* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    int IndexOf(const TdxBarItemLink* link) const;

    TdxBarItemLink* Add(TdxBarItem* item = nullptr);
    TdxBarItemLink* Insert(int index, TdxBarItem* item = nullptr);
    void Delete(int index);
    void Clear();
    void Move(int from, int to);

    // Updates every link's action, then asks the items in link order.
    bool TryShortCut(forms::TShortCut shortCut);

    // Something that decides what the links show changed.
    void Changed();

    void Read(const forms::Value& value, forms::TReader& reader);
    forms::Value Write() const;

private:
    TdxBarManager* FManager;
    TdxBar* FBar;
    std::vector<std::unique_ptr<TdxBarItemLink>> FItems;
};

// ---- Item kinds

struct TRegItemRecord {
    const char* itemClassName;
    const std::type_info* itemClass;  // null: a kind this program does not build
    const char* controlClassName;
    TdxBarItemControlFactory controlFactory;
    bool offered;  // listed among the new item kinds
};

// The process-wide registry of item kinds and the controls that show them.
class TdxBarItemList {
public:
    void Register(const TRegItemRecord& record);
    void Unregister(int index);
    int Count() const { return static_cast<int>(FItems.size()); }
    const TRegItemRecord& Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    // By exact class: a descendant that is not registered itself gets none.
    TdxBarItemControlFactory ControlClassOf(const TdxBarItem& item) const;
    int OfferedCount() const;
    const TRegItemRecord& Offered(int index) const;

private:
    std::vector<TRegItemRecord> FItems;
};

TdxBarItemList& dxBarRegisteredItems();

// Registers an item kind that is built, and its item class for streaming.
template <class TItem, class TControl>
void dxBarRegisterItem(const char* itemClassName, const char* controlClassName, bool offered) {
    forms::RegisterComponentClass<TItem>(itemClassName);
    dxBarRegisteredItems().Register(
        {itemClassName, &typeid(TItem), controlClassName,
         [](TdxBarControl& bar, TdxBarItemLink& link) -> std::unique_ptr<TdxBarItemControl> {
             return std::make_unique<TControl>(bar, link);
         },
         offered});
}

// A caption without its first "&" and its first "...", as hints show it.
std::string StripCaption(const std::string& caption);
// The part of a hint before the first "|", or all of it.
std::string ShortHint(const std::string& hint);

}  // namespace bars
