#include "bars/dxBarItems.h"

#include <algorithm>

#include "bars/dxBarActionLink.h"
#include "bars/dxBarControl.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarRegistry.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

std::string StripCaption(const std::string& caption) {
    std::string s = caption;
    if (auto amp = s.find('&'); amp != std::string::npos) s.erase(amp, 1);
    if (auto dots = s.find("..."); dots != std::string::npos) s.erase(dots, 3);
    return s;
}

std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

// ---- TdxBarComponent

TdxBarComponent::TdxBarComponent(TComponent* owner) : TComponent(owner), FBarManager(TdxBarManager::Of(owner)) {}

TdxBarComponent::~TdxBarComponent() = default;

// ---- TdxBarItem

TdxBarItem::TdxBarItem(TComponent* owner) : TdxBarComponent(owner) {
    if (BarManager()) BarManager()->AddItem(this);
}

TdxBarItem::~TdxBarItem() {
    BeforeDestruction();
    FActionLink.reset();
    if (BarManager()) BarManager()->RemoveItem(this);
}

void TdxBarItem::BeforeDestruction() {
    if (FDestructionBegun) return;
    FDestructionBegun = true;
    // Handlers belong to the form; while it goes away they must not run.
    if (OnDestroy && !(Owner() && Owner()->Destroying())) OnDestroy(this);
    // The bars are laid out once, when none of the links is left.
    TdxBarManager* manager = BarManager();
    if (manager) manager->BeginUpdate();
    while (!FLinks.empty()) {
        TdxBarItemLink* link = FLinks.back();
        link->Collection().Delete(link->Index());
    }
    if (manager) manager->EndUpdate();
}

template <class F>
void TdxBarItem::ForEachControl(F notify) const {
    // Copy: a notification may re-lay out the bar and remake its controls.
    std::vector<TdxBarItemLink*> links = FLinks;
    for (TdxBarItemLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
            if (TdxBarItemControl* control = link->Control()) notify(*control);
}

bool TdxBarItem::IsShown() const {
    if (FVisible == TdxBarItemVisible::Always) return true;
    return FVisible == TdxBarItemVisible::InCustomizing && BarManager() && BarManager()->CustomizeMode();
}

void TdxBarItem::SetAction(TCustomAction* action) {
    if (action == FAction) return;
    if (FAction) RemoveFreeNotification(FAction);
    FAction = action;
    if (!action) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink) FActionLink = ActionLinkKind();
    FActionLink->SetAction(action);
    TakeFromAction(action, action->Loading());
    FreeNotification(action);
}

void TdxBarItem::SetAlign(TdxBarItemAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    RelayoutBars();
}

void TdxBarItem::SetShortCut(TShortCut shortCut) {
    if (shortCut == FShortCut) return;
    FShortCut = shortCut;
    NotifyShortCut();
}

bool TdxBarItem::EffectiveEnabled() const {
    return FEnabled || (BarManager() && BarManager()->CustomizeMode() && FCategory >= 0);
}

void TdxBarItem::ApplyEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (!Loading()) NotifyEnabled();
}

void TdxBarItem::ApplyVisible(TdxBarItemVisible visible) {
    if (Loading()) {
        FLoadedVisible = visible;
        FLoadedVisiblePending = true;
        return;
    }
    if (visible == FVisible) return;
    FVisible = visible;
    NotifyVisible();
}

void TdxBarItem::ApplyLoadedVisible() {
    if (!FLoadedVisiblePending) return;
    FLoadedVisiblePending = false;
    if (FLoadedVisible == FVisible) return;
    FVisible = FLoadedVisible;
    NotifyVisible();
}

TdxBarManager* TdxBarItem::OwningManager() const { return BarManager(); }

void TdxBarItem::ApplyWidth(int width) {
    if (width < 0 || width == FWidth) return;
    FWidth = width;
    NotifyWidth();
}

TdxBarItemControlFactory TdxBarItem::ControlKindOf() const { return dxBarRegisteredItems().ControlClassOf(*this); }

bool TdxBarItem::TryShortCut(TShortCut shortCut) {
    if (!FEnabled) return false;
    if (FShortCut != 0 && FShortCut == shortCut) {
        PerformClick();
        return true;
    }
    if (TdxBarItemLinks* links = SubmenuLinks()) return links->TryShortCut(shortCut);
    return false;
}

void TdxBarItem::ApplyImageIndex(int index) {
    if (index == FImageIndex) return;
    FImageIndex = index;
    NotifyGlyph();
}

void TdxBarItem::ApplyLargeImageIndex(int index) {
    if (index == FLargeImageIndex) return;
    FLargeImageIndex = index;
    NotifyLargeGlyph();
}

void TdxBarItem::RepaintControls() {
    ForEachControl([](TdxBarItemControl& c) { c.Invalidate(); });
}

void TdxBarItem::RelayoutBars() {
    for (TdxBarItemLink* link : FLinks) link->Collection().Changed();
}

void TdxBarItem::NotifyCaption() {
    if (BarManager()) BarManager()->ItemsChanged(this);
    ForEachControl([](TdxBarItemControl& c) {
        if (c.ItemLink().UserDefine() & udCaption) return;
        c.Remeasure();
        c.Invalidate();
        c.Parent().AccessibleChanged(EVENT_OBJECT_NAMECHANGE, &c);
        c.Parent().RequestLayout();
    });
}

void TdxBarItem::NotifyEnabled() {
    // The picture's cache sees the new mode by itself.
    ForEachControl([](TdxBarItemControl& c) {
        c.Invalidate();
        c.Parent().ControlEnabledChanged(c);
    });
}

namespace {
void GlyphChanged(TdxBarItemControl& c) {
    if (c.ItemLink().UserDefine() & udGlyph) return;
    c.DropGlyphCache();
    c.Remeasure();
    c.Invalidate();
    c.Parent().RequestLayout();
}
}  // namespace

void TdxBarItem::NotifyGlyph() { ForEachControl(GlyphChanged); }
void TdxBarItem::NotifyHotGlyph() { ForEachControl(GlyphChanged); }
void TdxBarItem::NotifyLargeGlyph() { ForEachControl(GlyphChanged); }

void TdxBarItem::NotifyVisible() { RelayoutBars(); }

void TdxBarItem::NotifyWidth() {
    ForEachControl([](TdxBarItemControl& c) {
        if (c.ItemLink().UserDefine() & udWidth) return;
        c.Remeasure();
        c.Parent().RequestLayout();
    });
}

bool TdxBarItem::CaptionNeedsStoring() const { return IsCaptionStored(); }

void TdxBarItem::ApplyCaption(const std::string& caption) {
    if (caption == FCaption) return;
    bool hintFollows = !FDefaultsOnly && !IsSubItem() &&
                       (FHint.empty() || ShortHint(FHint) == StripCaption(FCaption));
    FCaption = caption;
    if (Loading()) return;
    if (hintFollows) {
        std::string hint = StripCaption(caption);
        if (auto bar = FHint.find('|'); bar != std::string::npos) hint += FHint.substr(bar);
        FHint = hint;
    }
    NotifyCaption();
}

std::string TdxBarItem::NewItemCaption() const { return ResString("dxSBAR_NEWITEMCAPTION"); }

TCustomImageList* TdxBarItem::ItemImages() const {
    return BarManager() ? BarManager()->ImageOptions().Images() : nullptr;
}

void TdxBarItem::TakeFromAction(TCustomAction* action, bool defaultsOnly) {
    if (!action) return;
    ScopedValue restore(FDefaultsOnly, defaultsOnly);
    if (!defaultsOnly || FCaption.empty()) SetCaption(action->Caption());
    if (auto* button = dynamic_cast<TdxBarButton*>(this); button && (!defaultsOnly || !button->Down()))
        button->SetDown(action->Checked());
    if (!defaultsOnly || FEnabled) SetEnabled(action->Enabled());
    if (!defaultsOnly || FHelpContext == 0) SetHelpContext(action->HelpContext());
    if (!defaultsOnly || FHint.empty()) SetHint(action->Hint());
    if (!defaultsOnly || ActionImageIndex() == -1) ApplyActionImageIndex(action->ImageIndex());
    if (!defaultsOnly || FShortCut == 0) SetShortCut(action->ShortCut());
    if (!defaultsOnly || FVisible == TdxBarItemVisible::Always)
        SetVisible(action->Visible() ? TdxBarItemVisible::Always : TdxBarItemVisible::Never);
    if (!defaultsOnly || !FOnClick) FOnClick = action->OnExecute();
}

std::unique_ptr<TdxBarItemActionLink> TdxBarItem::ActionLinkKind() {
    return std::make_unique<TdxBarItemActionLink>(*this);
}

void TdxBarItem::PerformClick() { RunClick(); }

void TdxBarItem::RunClick() {
    if (!FEnabled) return;
    CallAtBoundary([&] {
        if (BarManager()) BarManager()->NotifyItemClick(this);
        InvokeCommand();
    });
}

void TdxBarItem::InvokeCommand() {
    if (FOnClick && (!FAction || !(FAction->OnExecute() == FOnClick))) {
        FOnClick(this);
    } else if (FActionLink && FAction) {
        FActionLink->Execute(this);
    }
}

bool TdxBarItem::IsCaptionStored() const {
    return !FCaption.empty() && !(FActionLink && FActionLink->IsCaptionLinked());
}
bool TdxBarItem::IsEnabledStored() const {
    return !FEnabled && !(FActionLink && FActionLink->IsEnabledLinked());
}
bool TdxBarItem::IsHelpContextStored() const {
    return FHelpContext != 0 && !(FActionLink && FActionLink->IsHelpContextLinked());
}
bool TdxBarItem::IsHintStored() const {
    return !FHint.empty() && !(FActionLink && FActionLink->IsHintLinked());
}
bool TdxBarItem::IsShortCutStored() const {
    return FShortCut != 0 && !(FActionLink && FActionLink->IsShortCutLinked());
}
bool TdxBarItem::IsVisibleStored() const {
    return FVisible != TdxBarItemVisible::Always && !(FActionLink && FActionLink->IsVisibleLinked());
}
bool TdxBarItem::IsOnClickStored() const {
    return static_cast<bool>(FOnClick) && !(FActionLink && FActionLink->IsOnExecuteLinked());
}

void TdxBarItem::Loaded() {
    TdxBarComponent::Loaded();
    ApplyLoadedVisible();
    if (FAction) TakeFromAction(FAction, true);
}

void TdxBarItem::Notification(TComponent* component, TOperation operation) {
    TdxBarComponent::Notification(component, operation);
    if (operation == TOperation::Remove && component == FAction) SetAction(nullptr);
}

const PropertyTable& TdxBarItem::StoredProperties() const {
    using I = TdxBarItem;
    using P = Describe<I>;
    static const PropertyTable table(TdxBarComponent::StoredProperties(), {
        P::Property("Action", ReferenceKind<TCustomAction>(), &I::Action, &I::SetAction),
        P::Property("Align", EnumKind(kItemAlignNames), &I::Align, &I::SetAlign, TdxBarItemAlign::Left),
        P::Property("Caption", kString, &I::Caption, &I::SetCaption, &I::IsCaptionStored),
        P::Property("Category", kInt, &I::Category, &I::SetCategory, -1),
        P::Property("Description", kString, &I::Description, &I::SetDescription, ""),
        P::Property("Enabled", kBool, &I::Enabled, &I::SetEnabled, &I::IsEnabledStored),
        P::Property("HelpContext", kInt, &I::HelpContext, &I::SetHelpContext, &I::IsHelpContextStored),
        P::Property("Hint", kString, &I::Hint, &I::SetHint, &I::IsHintStored),
        P::Field("MergeKind", EnumKind(kMergeKindNames), &I::FMergeKind, TdxBarMergeKind::Add),
        P::Field("MergeOrder", kInt, &I::FMergeOrder, 0),
        P::Property("Visible", EnumKind(kItemVisibleNames), &I::Visible, &I::SetVisible, &I::IsVisibleStored),
        P::Property("OnClick", kEvent, &I::OnClick, &I::SetOnClick, &I::IsOnClickStored),
        P::Field("OnDestroy", kEvent, &I::OnDestroy),
    });
    return table;
}

// ---- TdxBarButton

TdxBarButton::TdxBarButton(TComponent* owner) : TdxBarItem(owner) {
    FGlyph.OnChange = [this] { NotifyGlyph(); };
    FLargeGlyph.OnChange = [this] { NotifyLargeGlyph(); };
}

TdxBarButton::~TdxBarButton() { BeforeDestruction(); }

void TdxBarButton::SetButtonStyle(TdxBarButtonStyle style) {
    if (style == FButtonStyle) return;
    FButtonStyle = style;
    RelayoutBars();
}

void TdxBarButton::SetDropDownEnabled(bool enabled) {
    if (enabled == FDropDownEnabled) return;
    FDropDownEnabled = enabled;
    RepaintControls();
}

void TdxBarButton::SetDown(bool down) {
    if (down == FDown) return;
    FDown = down;
    if (down && FGroupIndex != 0 && BarManager()) {
        for (TdxBarItem* item : BarManager()->Items())
            if (auto* other = dynamic_cast<TdxBarButton*>(item);
                other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
                other->FDown = false;
                other->RepaintControls();
            }
    }
    RepaintControls();
}

void TdxBarButton::SetPaintStyle(TdxBarPaintStyle style) {
    if (style == FPaintStyle) return;
    FPaintStyle = style;
    ForEachControl([](TdxBarItemControl& c) {
        if (c.ItemLink().UserDefine() & udPaintStyle) return;
        c.Remeasure();
        c.Parent().RequestLayout();
    });
}

void TdxBarButton::PerformClick() {
    bool checkable = FButtonStyle == TdxBarButtonStyle::Checked || FButtonStyle == TdxBarButtonStyle::CheckedDropDown;
    if (Enabled() && checkable) {
        // In a group the last button down stays down unless all may be up.
        if (FGroupIndex == 0) SetDown(!FDown);
        else if (!FDown) SetDown(true);
        else if (FAllowAllUp) SetDown(false);
    }
    TdxBarItem::PerformClick();
}

std::string TdxBarButton::NewItemCaption() const { return ResString("dxSBAR_NEWBUTTONCAPTION"); }

bool TdxBarButton::IsDownStored() const {
    return FDown && !(ActionLink() && ActionLink()->IsCheckedLinked());
}

bool TdxBarButton::IsImageIndexStored() const {
    return ActionImageIndex() >= 0 && !(ActionLink() && ActionLink()->IsImageIndexLinked());
}

const PropertyTable& TdxBarButton::StoredProperties() const {
    using B = TdxBarButton;
    using P = Describe<B>;
    static const PropertyTable table(TdxBarItem::StoredProperties(), {
        P::Property("AllowAllUp", kBool, &B::AllowAllUp, &B::SetAllowAllUp, false),
        P::Property("ButtonStyle", EnumKind(kButtonStyleNames), &B::ButtonStyle, &B::SetButtonStyle,
                    TdxBarButtonStyle::Default),
        P::Field("CloseSubMenuOnClick", kBool, &B::FCloseSubMenuOnClick, true),
        P::Property("DropDownEnabled", kBool, &B::DropDownEnabled, &B::SetDropDownEnabled, true),
        P::Property("GroupIndex", kInt, &B::GroupIndex, &B::SetGroupIndex, 0),
        P::Property("Down", kBool, &B::Down, &B::SetDown, &B::IsDownStored),
        P::Property("ImageIndex", kInt, &B::ImageIndex, &B::SetImageIndex, &B::IsImageIndexStored),
        P::Property("LargeImageIndex", kInt, &B::LargeImageIndex, &B::SetLargeImageIndex, -1),
        P::Field("Lowered", kBool, &B::FLowered, false),
        P::Property("PaintStyle", EnumKind(kPaintStyleNames), &B::PaintStyle, &B::SetPaintStyle,
                    TdxBarPaintStyle::Standard),
        P::Property("ShortCut", kShortCut, &B::ShortCut, &B::SetShortCut, &B::IsShortCutStored),
        P::Property("UnclickAfterDoing", kBool, &B::UnclickAfterDoing, &B::SetUnclickAfterDoing, true),
    });
    return table;
}

// ---- TdxBarLargeButton

TdxBarLargeButton::TdxBarLargeButton(TComponent* owner) : TdxBarButton(owner) {
    FHotGlyph.OnChange = [this] { NotifyHotGlyph(); };
}

TdxBarLargeButton::~TdxBarLargeButton() { BeforeDestruction(); }

void TdxBarLargeButton::SetAutoGrayScale(bool gray) {
    if (gray == FAutoGrayScale) return;
    FAutoGrayScale = gray;
    RepaintControls();
}

void TdxBarLargeButton::SetGlyphLayout(TdxBarGlyphLayout layout) {
    if (layout == FGlyphLayout) return;
    FGlyphLayout = layout;
    NotifyWidth();
}

void TdxBarLargeButton::SetHeight(int height) {
    if (height < 0 || height == FHeight) return;
    FHeight = height;
    NotifyWidth();
}

void TdxBarLargeButton::SetHotImageIndex(int index) {
    if (index == FHotImageIndex) return;
    FHotImageIndex = index;
    NotifyHotGlyph();
}

void TdxBarLargeButton::SetShowCaption(bool show) {
    if (show == FShowCaption) return;
    FShowCaption = show;
    NotifyWidth();
}

void TdxBarLargeButton::SetSyncImageIndex(bool sync) {
    FSyncImageIndexSet = true;
    if (sync == FSyncImageIndex) return;
    FSyncImageIndex = sync;
    if (sync) SyncImage();
}

void TdxBarLargeButton::SyncImage() {
    if (FSyncing) return;
    ScopedValue syncing(FSyncing, true);
    TdxBarItem::ApplyImageIndex(FLargeImageIndex);
}

void TdxBarLargeButton::ApplyImageIndex(int index) {
    if (Loading()) {
        // A stored ImageIndex: it either seeds the large index or ends the
        // synchronisation.
        if (FLargeImageIndex == -1 && FSyncImageIndex) {
            TdxBarItem::ApplyImageIndex(index);
            ApplyLargeImageIndex(index);
            return;
        }
        if (index != FLargeImageIndex) FSyncImageIndex = false;
    } else if (!FSyncing && index != FLargeImageIndex && !FSyncImageIndexSet) {
        FSyncImageIndex = false;
    }
    TdxBarItem::ApplyImageIndex(index);
}

void TdxBarLargeButton::NotifyLargeGlyph() {
    if (FSyncImageIndex) SyncImage();
    TdxBarButton::NotifyLargeGlyph();
}

void TdxBarLargeButton::NotifyWidth() {
    ForEachControl([](TdxBarItemControl& c) {
        c.Remeasure();
        c.Parent().RequestLayout();
    });
}

const PropertyTable& TdxBarLargeButton::StoredProperties() const {
    using L = TdxBarLargeButton;
    using P = Describe<L>;
    static const PropertyTable table(TdxBarButton::StoredProperties(), {
        // The large index first, so that reading it back seeds ImageIndex
        // before a stored one of its own (written only without
        // synchronisation).
        P::Property("LargeImageIndex", kInt, &L::LargeImageIndex, &L::SetLargeImageIndex, &L::IsImageIndexStored),
        P::Property("SyncImageIndex", kBool, &L::SyncImageIndex, &L::SetSyncImageIndex, true),
        P::Property("ImageIndex", kInt, &L::ImageIndex, &L::SetImageIndex,
                    [](const L& b) { return !b.FSyncImageIndex && b.FImageIndex >= 0; }),
        P::Property("AutoGrayScale", kBool, &L::AutoGrayScale, &L::SetAutoGrayScale, true),
        P::Property("GlyphLayout", EnumKind(kGlyphLayoutNames), &L::GlyphLayout, &L::SetGlyphLayout,
                    TdxBarGlyphLayout::Top),
        P::Property("Height", kInt, &L::Height, &L::SetHeight, 0),
        P::Property("HotImageIndex", kInt, &L::HotImageIndex, &L::SetHotImageIndex, -1),
        P::Property("ShowCaption", kBool, &L::ShowCaption, &L::SetShowCaption, true),
        P::Property("Width", kInt, &L::Width, &L::SetWidth, 0),
    });
    return table;
}

}  // namespace bars
