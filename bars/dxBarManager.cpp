#include "bars/dxBarManager.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarDrag.h"
#include "bars/dxBarHint.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxOffice11.h"
#include "bars/dxBarToolbar.h"
#include "forms/Exceptions.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/Hooks.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

// ---- System fonts

namespace {

// The structure without its last member, as Windows XP reads it.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 340);

NonClientMetricsSource& MetricsSource() {
    static NonClientMetricsSource source;
    return source;
}

// A font height of at least `minimum` pixels, keeping its kind (character
// height when negative, cell height when positive).
int AtLeast(int height, int minimum) {
    if (height > 0) return std::max(height, minimum);
    return -std::max(-height, minimum);
}

}  // namespace

void SetNonClientMetricsSource(NonClientMetricsSource source) { MetricsSource() = std::move(source); }

bool GetNonClientMetrics(NONCLIENTMETRICSA& metrics) {
    metrics = {};
    metrics.cbSize = kNonClientMetricsSize;
    if (MetricsSource()) return MetricsSource()(metrics);
    return ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0) != FALSE;
}

// ---- TdxBarImageOptions

TdxBarImageOptions::TdxBarImageOptions(TdxBarManager& manager) : FManager(manager) {
    for (Slot& slot : FSlots) slot.link.OnChange = [this, &slot] { FManager.ImageListChanged(slot.list); };
}

TdxBarImageOptions::~TdxBarImageOptions() {
    for (Slot& slot : FSlots)
        if (slot.link.Sender()) slot.link.Sender()->UnRegisterChanges(&slot.link);
}

bool TdxBarImageOptions::Uses(const TComponent* list) const {
    return list && std::any_of(FSlots.begin(), FSlots.end(), [list](const Slot& s) { return s.list == list; });
}

void TdxBarImageOptions::SetList(TdxBarImageSlot which, TCustomImageList* list) {
    Slot& slot = FSlots[Index(which)];
    if (list == slot.list) return;
    TCustomImageList* old = slot.list;
    // A list that is being destroyed has already let go of the link.
    if (slot.link.Sender()) slot.link.Sender()->UnRegisterChanges(&slot.link);
    slot.list = list;
    if (list) {
        list->RegisterChanges(&slot.link);
        FManager.FreeNotification(list);
    }
    if (old && !Uses(old)) FManager.RemoveFreeNotification(old);
    FManager.ImageListChanged(list);
}

void TdxBarImageOptions::ListRemoved(TComponent* list) {
    for (std::size_t i = 0; i < FSlots.size(); ++i)
        if (FSlots[i].list == list) SetList(static_cast<TdxBarImageSlot>(i), nullptr);
}

void TdxBarImageOptions::SetLargeIcons(bool large) {
    if (large == FLargeIcons) return;
    FLargeIcons = large;
    FManager.ImageListChanged(nullptr);
}

void TdxBarImageOptions::SetMakeDisabledImagesFaded(bool faded) {
    if (faded == FMakeDisabledImagesFaded) return;
    FMakeDisabledImagesFaded = faded;
    FManager.RepaintBars();
}

void TdxBarImageOptions::SetUseLargeImagesForLargeIcons(bool use) {
    if (use == FUseLargeImagesForLargeIcons) return;
    FUseLargeImagesForLargeIcons = use;
    FManager.RepaintBars();
}

const PropertyTable& TdxBarImageOptions::StoredProperties() const {
    using O = TdxBarImageOptions;
    using P = Describe<O>;
    auto slot = [](const char* name, TdxBarImageSlot which) {
        return P::Property(
            name, ReferenceKind<TCustomImageList>(), [which](const O& o) { return o.List(which); },
            [which](O& o, TCustomImageList* list) { o.SetList(which, list); });
    };
    static const PropertyTable table(TPersistent::StoredProperties(), {
        P::Property("CacheGlyphs", kBool, &O::CacheGlyphs, &O::SetCacheGlyphs, true),
        slot("Images", TdxBarImageSlot::Images),
        slot("LargeImages", TdxBarImageSlot::LargeImages),
        slot("HotImages", TdxBarImageSlot::HotImages),
        slot("DisabledImages", TdxBarImageSlot::DisabledImages),
        slot("DisabledLargeImages", TdxBarImageSlot::DisabledLargeImages),
        P::Property("ImageListBkColor", kColor, &O::ImageListBkColor, &O::SetImageListBkColor, 0xFF00FF),
        P::Property("LargeIcons", kBool, &O::LargeIcons, &O::SetLargeIcons, false),
        P::Property("MakeDisabledImagesFaded", kBool, &O::MakeDisabledImagesFaded, &O::SetMakeDisabledImagesFaded,
                    false),
        P::Property("SmoothGlyphs", kBool, &O::SmoothGlyphs, &O::SetSmoothGlyphs, false),
        P::Property("StretchGlyphs", kBool, &O::StretchGlyphs, &O::SetStretchGlyphs, true),
        P::Property("UseLargeImagesForLargeIcons", kBool, &O::UseLargeImagesForLargeIcons,
                    &O::SetUseLargeImagesForLargeIcons, false),
        P::Property("UseLeftBottomPixelAsTransparent", kBool, &O::UseLeftBottomPixelAsTransparent,
                    &O::SetUseLeftBottomPixelAsTransparent, true),
    });
    return table;
}

// ---- TdxBarManagerCategories

namespace {
constexpr int kFreeItem = INT_MIN;
constexpr int kDefaultItemsVisible = 2;
}  // namespace

TdxBarManagerCategories::TdxBarManagerCategories(TdxBarManager& manager) : FManager(manager) { EnsureOne(); }

int TdxBarManagerCategories::IndexOf(const std::string& name) const {
    auto it = std::find(FNames.begin(), FNames.end(), name);
    return it == FNames.end() ? -1 : static_cast<int>(it - FNames.begin());
}

template <class F>
void TdxBarManagerCategories::Renumber(F map) {
    std::vector<TdxBarItem*> items = FManager.Items();
    for (TdxBarItem* item : items) {
        int category = item->Category();
        if (category < 0 || category >= Count()) continue;
        int renumbered = map(category);
        if (renumbered == kFreeItem) delete item;
        else item->SetCategory(renumbered);
    }
}

int TdxBarManagerCategories::Add(std::string name) {
    FNames.push_back(std::move(name));
    FVisibles.push_back(true);
    FItemsVisibles.push_back(kDefaultItemsVisible);
    return Count() - 1;
}

void TdxBarManagerCategories::Insert(int index, std::string name) {
    index = std::clamp(index, 0, Count());
    Renumber([index](int c) { return c >= index ? c + 1 : c; });
    FNames.insert(FNames.begin() + index, std::move(name));
    FVisibles.insert(FVisibles.begin() + index, true);
    FItemsVisibles.insert(FItemsVisibles.begin() + index, kDefaultItemsVisible);
}

void TdxBarManagerCategories::Rename(int index, std::string name) {
    if (index >= 0 && index < Count()) FNames[static_cast<std::size_t>(index)] = std::move(name);
}

void TdxBarManagerCategories::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    Renumber([index](int c) { return c == index ? kFreeItem : c > index ? c - 1 : c; });
    FNames.erase(FNames.begin() + index);
    FVisibles.erase(FVisibles.begin() + index);
    FItemsVisibles.erase(FItemsVisibles.begin() + index);
    EnsureOne();
}

void TdxBarManagerCategories::Exchange(int a, int b) {
    if (a < 0 || b < 0 || a >= Count() || b >= Count() || a == b) return;
    Renumber([a, b](int c) { return c == a ? b : c == b ? a : c; });
    std::swap(FNames[static_cast<std::size_t>(a)], FNames[static_cast<std::size_t>(b)]);
    std::vector<bool>::swap(FVisibles[static_cast<std::size_t>(a)], FVisibles[static_cast<std::size_t>(b)]);
    std::swap(FItemsVisibles[static_cast<std::size_t>(a)], FItemsVisibles[static_cast<std::size_t>(b)]);
}

void TdxBarManagerCategories::Move(int from, int to) {
    if (from < 0 || to < 0 || from >= Count() || to >= Count() || from == to) return;
    Renumber([from, to](int c) {
        if (c == from) return to;
        if (from < to && c > from && c <= to) return c - 1;
        if (to < from && c >= to && c < from) return c + 1;
        return c;
    });
    auto move = [from, to](auto& v) {
        auto value = v[static_cast<std::size_t>(from)];
        v.erase(v.begin() + from);
        v.insert(v.begin() + to, value);
    };
    move(FNames);
    move(FVisibles);
    move(FItemsVisibles);
}

void TdxBarManagerCategories::EnsureOne() {
    if (FNames.empty()) Add(ResString("dxSBAR_DEFAULTCATEGORYNAME"));
}

const PropertyTable& TdxBarManagerCategories::StoredProperties() const {
    using C = TdxBarManagerCategories;
    using P = Describe<C>;
    static const PropertyTable table(TPersistent::StoredProperties(), {
        P::Property("Strings", ListKind<StringKind>{kString}, &C::FNames,
                    [](C& c, std::vector<std::string> names) {
                        c.FNames.clear();
                        c.FVisibles.clear();
                        c.FItemsVisibles.clear();
                        for (std::string& name : names) c.Add(std::move(name));
                        c.EnsureOne();
                    }),
        P::Property("ItemsVisibles", ListKind<IntKind>{kInt}, &C::FItemsVisibles, &C::FLoadedItemsVisibles),
        P::Property("Visibles", ListKind<BoolKind>{kBool}, &C::FVisibles, &C::FLoadedVisibles),
    });
    return table;
}

void TdxBarManagerCategories::ApplyLoaded() {
    for (std::size_t i = 0; i < FLoadedVisibles.size() && i < FVisibles.size(); ++i) FVisibles[i] = FLoadedVisibles[i];
    for (std::size_t i = 0; i < FLoadedItemsVisibles.size() && i < FItemsVisibles.size(); ++i)
        FItemsVisibles[i] = FLoadedItemsVisibles[i];
    FLoadedVisibles.clear();
    FLoadedItemsVisibles.clear();
}

// ---- TdxBarManager

namespace {

TComponent* CheckedOwner(TComponent* owner) {
    if (!owner) owner = Application().MainForm();
    if (!dynamic_cast<TWinControl*>(owner)) throw EdxException(ResString("dxSBAR_WANTTWINCONTROL"));
    if (TdxBarManager::Of(owner)) throw EdxException(ResString("dxSBAR_ONLYONEMANAGER"));
    return owner;
}

}  // namespace

TdxBarManager::TdxBarManager(TComponent* owner)
    : TComponent(CheckedOwner(owner)),
      FOwnerControl(dynamic_cast<TWinControl*>(Owner())),
      FPainter(MakePainter<TdxBarEnhancedPainter>()),
      FCategories(*this),
      FImageOptions(*this) {
    // Made here, once every setting the docks read has its value.
    FBars = std::make_unique<TdxBars>(*this);
    FDragInfo = std::make_unique<TdxBarDragInfo>(*this);
    FFont.OnChange = [this] { FontChanged(); };
    SetUseSystemFont(true);
    // Items the form made before its manager join it now.
    for (TComponent* c : Owner()->Components())
        if (auto* item = dynamic_cast<TdxBarItem*>(c); item && !item->FBarManager) {
            item->FBarManager = this;
            AddItem(item);
        }
    FOwnerControl->AddMessageListener(this, [this](TMessage& m) { OwnerMessage(m.message, m.wParam, m.lParam); });
    TdxBarManagerList::Instance().Add(this);
    Office11PaletteAddRef();
}

TdxBarManager::~TdxBarManager() {
    SetCustomizeMode(false);
    FDestroyingManager = true;
    TdxBarDesignController::Instance().ManagerDestroying(*this);
    TdxBarManagerList::Instance().Remove(this);
    ForgetTooltipManager(this);
    FOwnerControl->RemoveMessageListener(this);
    for (TdxBarItem* item : FItems) item->FBarManager = nullptr;
    FBars.reset();
    Office11PaletteRelease();
}

void TdxBarManager::ForgetBarControl(const TdxBarControl* bar) {
    TdxBarManagerList& list = TdxBarManagerList::Instance();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i)->FFocusedBarControl == bar) list.Items(i)->FFocusedBarControl = nullptr;
}

void TdxBarManager::ForgetItemControl(const TdxBarItemControl* control) {
    TdxBarManagerList& list = TdxBarManagerList::Instance();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i)->FSelectedItem == control) list.Items(i)->FSelectedItem = nullptr;
}

TdxBarManager* TdxBarManager::Of(const TComponent* owner) {
    TdxBarManagerList& list = TdxBarManagerList::Instance();
    for (int i = 0; i < list.Count(); ++i)
        if (owner && list.Items(i)->Owner() == owner) return list.Items(i);
    return nullptr;
}

bool TdxBarManager::IsDestroying() const {
    return FDestroyingManager || Destroying() || (Owner() && Owner()->Destroying());
}

namespace {
TdxBarCustomizationFormClass& CustomizationFormClass() {
    static TdxBarCustomizationFormClass formClass;
    return formClass;
}
}  // namespace

void RegisterCustomizationFormClass(TdxBarCustomizationFormClass formClass) {
    CustomizationFormClass() = std::move(formClass);
}

bool CustomizationFormRegistered() { return static_cast<bool>(CustomizationFormClass().Open); }

bool CustomizationFormExists() { return CustomizationFormClass().Exists && CustomizationFormClass().Exists(); }

void TdxBarManager::SetCustomizeMode(bool customize) {
    if (!customize) {
        if (!FCustomizeMode) return;
        CloseBarPopups();
        FCustomizeMode = false;
        RefreshItemLinks();
        if (CustomizationFormClass().Free) CustomizationFormClass().Free();
        if (OnHideCustomizingForm && !IsDestroying()) OnHideCustomizingForm(this);
        RepaintOtherManagers(this);
        RepaintBars();
        return;
    }
    if (FCustomizeMode || !CustomizationFormRegistered() || CustomizationFormExists()) return;
    CloseBarPopups();
    FCustomizeMode = true;
    RefreshItemLinks();
    if (OnShowCustomizingForm) OnShowCustomizingForm(this);
    RepaintOtherManagers(this);
    try {
        CustomizationFormClass().Open(*this);
    } catch (...) {
        // No dialog, no customizing: the bars must keep working.
        FCustomizeMode = false;
        RefreshItemLinks();
        throw;
    }
    RepaintBars();
}

void TdxBarManager::CloseBarPopups() {
    HideTooltip();
    if (TdxBarControl* active = TdxBarControl::ActiveToolbar()) active->Deactivate();
    if (TdxBarSubMenuControl* menu = TdxBarSubMenuControl::OpenMenu(); menu && &menu->BarManager() == this)
        menu->CloseUp();
}

void TdxBarManager::RefreshItemLinks() {
    if (IsDestroying()) return;
    BeginUpdate();
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->ItemLinks().Changed();
    EndUpdate();
}

void TdxBarManager::RepaintOtherManagers(const TdxBarManager* except) {
    TdxBarManagerList& list = TdxBarManagerList::Instance();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i) != except) list.Items(i)->RepaintBars();
}

void TdxBarManager::ObjectDestroying(const TPersistent* object) {
    if (auto* link = dynamic_cast<const TdxBarItemLink*>(object)) TdxBarDesignController::Instance().LinkDestroying(link);
    if (FSelectionHandler) FSelectionHandler->ObjectDestroying(object);
    if (FDragInfo) FDragInfo->ObjectDestroying(object);
}

void TdxBarManager::BeginItemDrag(TdxBarItem& item, TdxBarItemLink* link) { FDragInfo->Run(item, link); }

void TdxBarManager::ItemsChanged(TdxBarItem* item) {
    if (OnItemsChange && !IsLoading() && !IsDestroying()) OnItemsChange(item);
}

void TdxBarManager::SetShowHint(bool show) {
    if (show == FShowHint) return;
    FShowHint = show;
    if (!show) HideTooltip();
}

void TdxBarManager::AddItem(TdxBarItem* item) {
    if (std::find(FItems.begin(), FItems.end(), item) != FItems.end()) return;
    FItems.push_back(item);
    ItemsChanged(nullptr);
}

void TdxBarManager::RemoveItem(TdxBarItem* item) {
    ObjectDestroying(item);
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
    ItemsChanged(nullptr);
}

void TdxBarManager::SetStyle(TdxBarManagerStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    RecreatePainter();
}

TdxBarPainterClass TdxBarManager::ChoosePainterClass() const {
    switch (FStyle) {
        case TdxBarManagerStyle::Standard: return MakePainter<TdxBarStandardPainter>;
        case TdxBarManagerStyle::Enhanced: return MakePainter<TdxBarEnhancedPainter>;
        case TdxBarManagerStyle::Flat: return MakePainter<TdxBarFlatPainter>;
        case TdxBarManagerStyle::XP:
            return VisualStylesActive() ? MakePainter<TdxBarXPPainter> : MakePainter<TdxBarEnhancedPainter>;
        case TdxBarManagerStyle::Office11: return MakePainter<TdxBarOffice11Painter>;
        case TdxBarManagerStyle::UseLookAndFeel: return MakePainter<TdxBarFlatPainter>;
    }
    return MakePainter<TdxBarEnhancedPainter>;
}

void TdxBarManager::RecreatePainter() {
    FPainter = ChoosePainterClass()();
    for (int i = 0; i < FBars->Count(); ++i)
        if (TdxBarControl* control = FBars->Items(i)->Control()) control->RebuildMetrics();
    RefreshDocks();
    SurfacesChanged();
    RepaintBars();
}

void TdxBarManager::SurfacesChanged() {
    for (TdxBarDockingStyle side : kDockSides) {
        TdxDockControl* dock = FBars->DockControl(side);
        dock->UpdateDoubleBuffering();
        dock->DropCachedBackground();
    }
    for (int i = 0; i < FBars->Count(); ++i)
        if (TdxBarControl* control = FBars->Items(i)->Control()) {
            control->UpdateDoubleBuffering();
            control->Invalidate();
        }
}

void TdxBarManager::SetUseSystemFont(bool use) {
    FFont.SetFollowing(use);
    if (use) UpdateFont();
}

void TdxBarManager::UpdateFont() {
    NONCLIENTMETRICSA metrics;
    if (!GetNonClientMetrics(metrics)) return;
    FFont.FromSource([&](TFont& font) {
        if (FFont.Following()) font.AssignLogFont(metrics.lfMenuFont);
        else if (FScaled) font.SetHeight(metrics.lfMenuFont.lfHeight);
    });
}

void TdxBarManager::FontChanged() {
    LOGFONTA iconTitle{};
    FEditFont.Assign(Font());
    if (::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0))
        FEditFont.SetHeight(AtLeast(iconTitle.lfHeight, 11));
    NONCLIENTMETRICSA metrics;
    if (GetNonClientMetrics(metrics)) FBarCaptionFont.AssignLogFont(metrics.lfMenuFont);
    if (!UseSystemFont()) {
        FBarCaptionFont.SetName(Font().Name());
        FBarCaptionFont.SetHeight(AtLeast(Font().Height(), 11));
    }
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->AssignManagerFont();
    RefreshDocks();
}

void TdxBarManager::OwnerMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS) UpdateFont();
            if (wParam != SPI_SETHIGHCONTRAST) break;
            // The palette has a high-contrast form of its own.
            RefreshOffice11Palette();
            SurfacesChanged();
            break;
        case WM_SYSCOLORCHANGE:
            RefreshOffice11Palette();
            SurfacesChanged();
            break;
        case WM_THEMECHANGED:
            // The palette follows with the colour change that comes next.
            RecreatePainter();
            break;
    }
}

void TdxBarManager::SetAutoDockColor(bool automatic) {
    if (automatic == FAutoDockColor) return;
    FAutoDockColor = automatic;
    for (TdxBarDockingStyle side : kDockSides) FBars->DockControl(side)->UpdateColor();
}

void TdxBarManager::SetDockColor(TColor color) {
    if (color == FDockColor) return;
    FDockColor = color;
    for (TdxBarDockingStyle side : kDockSides) FBars->DockControl(side)->UpdateColor();
}

void TdxBarManager::SetSunkenBorder(bool sunken) {
    if (sunken == FSunkenBorder) return;
    FSunkenBorder = sunken;
    for (TdxBarDockingStyle side : kDockSides) FBars->DockControl(side)->UpdateBorder();
    RefreshDocks();
}

void TdxBarManager::SetAutoAlignBars(bool align) {
    if (align == FAutoAlignBars) return;
    FAutoAlignBars = align;
    RefreshDocks();
}

std::array<int, 4> TdxBarManager::DockControlHeights() const {
    return {FBars->DockControl(TdxBarDockingStyle::Left)->Width(), FBars->DockControl(TdxBarDockingStyle::Right)->Width(),
            FBars->DockControl(TdxBarDockingStyle::Top)->Height(),
            FBars->DockControl(TdxBarDockingStyle::Bottom)->Height()};
}

void TdxBarManager::SetDockControlHeights(const std::array<int, 4>& sizes) {
    const TdxBarDockingStyle order[] = {TdxBarDockingStyle::Left, TdxBarDockingStyle::Right, TdxBarDockingStyle::Top,
                                        TdxBarDockingStyle::Bottom};
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        TdxDockControl* dock = FBars->DockControl(order[i]);
        int size = std::max(sizes[i], 0);
        if (dock->Vertical()) dock->SetBounds(dock->Left(), dock->Top(), size, dock->Height());
        else dock->SetBounds(dock->Left(), dock->Top(), dock->Width(), size);
    }
}

void TdxBarManager::NotifyItemClick(TdxBarItem* item) {
    if (OnClickItem) OnClickItem(this, item);
}

bool TdxBarManager::AcceptsDocking(TdxBar* bar, TdxBarDockingStyle style, TdxDockControl* dock) {
    unsigned bit = DockingStyleBit(style);
    bool accepts = !(bar && (bar->NotDocking() & bit)) && !(FNotDocking & bit) && (!dock || dock->AllowDocking());
    if (OnDocking) OnDocking(bar, style, dock, accepts);
    return accepts;
}

void TdxBarManager::EndUpdate() {
    if (FLockUpdate > 0 && --FLockUpdate == 0 && FRefreshPending) RefreshDocks();
}

void TdxBarManager::RefreshDocks() {
    if (IsUpdateLocked()) {
        FRefreshPending = true;
        return;
    }
    FRefreshPending = false;
    if (IsLoading() || IsDestroying()) return;
    for (TdxBarDockingStyle side : kDockSides) FBars->DockControl(side)->RefreshDock();
}

void TdxBarManager::RepaintBars() {
    for (int i = 0; i < FBars->Count(); ++i) {
        TdxBarControl* control = FBars->Items(i)->Control();
        if (!control) continue;
        for (int j = 0; j < control->ControlCount(); ++j) control->Controls(j).DropGlyphCache();
        control->Invalidate();
    }
}

void TdxBarManager::ImageListChanged(TCustomImageList*) {
    for (int i = 0; i < FBars->Count(); ++i) {
        TdxBarControl* control = FBars->Items(i)->Control();
        if (!control) continue;
        for (int j = 0; j < control->ControlCount(); ++j) {
            control->Controls(j).DropGlyphCache();
            control->Controls(j).Remeasure();
        }
        control->Invalidate();
    }
    RefreshDocks();
}

namespace {

// The toolbars whose windows show, in collection order.
template <class F>
bool AnyShownBar(TdxBars& bars, F test) {
    for (int i = 0; i < bars.Count(); ++i) {
        TdxBar* bar = bars.Items(i);
        TdxBarControl* control = bar->Control();
        if (control && control->Shown() && test(*bar, *control)) return true;
    }
    return false;
}

}  // namespace

bool TdxBarManager::TryShortCut(TShortCut shortCut) {
    return AnyShownBar(*FBars, [&](TdxBar& bar, TdxBarControl&) { return bar.ItemLinks().TryShortCut(shortCut); });
}

bool TdxBarManager::TryAccelerator(WPARAM key) {
    TdxBarItem* found = nullptr;
    AnyShownBar(*FBars, [&](TdxBar&, TdxBarControl& control) {
        for (int i = 0; i < control.ControlCount() && !found; ++i) {
            auto* button = dynamic_cast<TdxBarButtonLikeControl*>(&control.Controls(i));
            if (button && button->Enabled() && forms::IsAccel(static_cast<char>(key), button->Caption()))
                found = &button->Item();
        }
        return found != nullptr;
    });
    // Clicked once the search is over: the command may change the bars.
    if (found) found->PerformClick();
    return found != nullptr;
}

void TdxBarManager::Loaded() {
    TComponent::Loaded();
    {
        // Bars are placed as loaded, the docks laid out once at the end.
        ScopedValue finishing(FFinishingLoad, true);
        for (int i = 0; i < FBars->Count(); ++i) {
            TdxBarItemLinks& links = FBars->Items(i)->ItemLinks();
            for (int j = 0; j < links.Count(); ++j) links.Items(j)->ResolveLoadedItem();
        }
        std::vector<TdxBarItem*> items = FItems;
        for (TdxBarItem* item : items) item->ApplyLoadedVisible();
        for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->ApplyLoaded();
        FCategories.ApplyLoaded();
    }
    RefreshDocks();
    ++FLoadCount;
    FInitialLayout.clear();
    for (int i = 0; i < FBars->Count(); ++i) FInitialLayout.push_back(FBars->Items(i)->SaveLayout());
}

void TdxBarManager::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::Remove && FImageOptions.Uses(component)) FImageOptions.ListRemoved(component);
}

bool TdxBarManager::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    if (TComponent::ReadProperty(name, value, reader)) return true;
    return name.find('.') == std::string_view::npos && FImageOptions.ReadProperty(name, value, reader);
}

const PropertyTable& TdxBarManager::StoredProperties() const {
    using M = TdxBarManager;
    using P = Describe<M>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        // Font before UseSystemFont: reading the flag back replaces the font.
        P::Object("Font", [](auto& m) -> auto& { return m.Font(); }),
        P::Object("Categories", &M::FCategories),
        P::Object("ImageOptions", &M::FImageOptions),
        P::Property("Style", EnumKind(kManagerStyleNames), &M::Style, &M::SetStyle, TdxBarManagerStyle::Enhanced),
        P::Property("Scaled", kBool, &M::Scaled, &M::SetScaled, true),
        P::Property("UseSystemFont", kBool, &M::UseSystemFont, &M::SetUseSystemFont),
        P::Property("ShowHint", kBool, &M::ShowHint, &M::SetShowHint, true),
        P::Field("ShowHintForDisabledItems", kBool, &M::FShowHintForDisabledItems, true),
        P::Field("ShowShortCutInHint", kBool, &M::FShowShortCutInHint, false),
        P::Field("UseF10ForMenu", kBool, &M::FUseF10ForMenu, true),
        P::Field("CanCustomize", kBool, &M::FCanCustomize, true),
        P::Field("AllowCallFromAnotherForm", kBool, &M::FAllowCallFromAnotherForm, false),
        P::Field("HideFloatingBarsWhenInactive", kBool, &M::FHideFloatingBarsWhenInactive, true),
        P::Property("AutoDockColor", kBool, &M::AutoDockColor, &M::SetAutoDockColor, true),
        P::Property("DockColor", kColor, &M::DockColor, &M::SetDockColor, clBtnFace),
        P::Property("SunkenBorder", kBool, &M::SunkenBorder, &M::SetSunkenBorder, false),
        P::Property("AutoAlignBars", kBool, &M::AutoAlignBars, &M::SetAutoAlignBars, false),
        P::Field("ButtonArrowWidth", kInt, &M::FButtonArrowWidth, 11),
        P::Field("LargeButtonArrowWidth", kInt, &M::FLargeButtonArrowWidth, 13),
        P::Field("WaitForDockingTime", kInt, &M::FWaitForDockingTime, 21),
        P::Field("MostRecentItemsPercents", kInt, &M::FMostRecentItemsPercents, 95),
        P::Field("MenusShowRecentItemsFirst", kBool, &M::FMenusShowRecentItemsFirst, true),
        P::Field("ShowFullMenusAfterDelay", kBool, &M::FShowFullMenusAfterDelay, true),
        P::Field("MenuAnimations", EnumKind(kMenuAnimationsNames), &M::FMenuAnimations, TdxBarMenuAnimations::None),
        P::Field("AllowReset", kBool, &M::FAllowReset, true),
        P::Field("UseFullReset", kBool, &M::FUseFullReset, false),
        P::Field("StoreInIniFile", kBool, &M::FStoreInIniFile, false),
        P::Field("StoreInRegistry", kBool, &M::FStoreInRegistry, false),
        P::Field("NotDocking", SetKind(kDockingStyleSetNames), &M::FNotDocking, 0u),
        P::Custom(
            "Bars", [](M& m, const Value& v, TReader& reader) { m.FBars->Read(v, reader); },
            [](const M& m) -> std::optional<Value> { return m.FBars->Write(); }),
        // Left, right, top and bottom.
        P::Property(
            "DockControlHeights", ListKind<IntKind>{kInt},
            [](const M& m) {
                std::array<int, 4> sizes = m.DockControlHeights();
                return std::vector<int>(sizes.begin(), sizes.end());
            },
            [](M& m, std::vector<int> sizes) {
                if (sizes.size() != 4) prop::InvalidValue();
                m.SetDockControlHeights({sizes[0], sizes[1], sizes[2], sizes[3]});
            }),
    });
    return table;
}

// ---- TdxBarManagerList

TdxBarManagerList& TdxBarManagerList::Instance() {
    static TdxBarManagerList list;
    return list;
}

namespace {
bool IsButtonDown(WPARAM message) {
    switch (message) {
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_NCLBUTTONDBLCLK:
            return true;
        default:
            return false;
    }
}
}  // namespace

TdxBarManagerList::TdxBarManagerList() = default;
TdxBarManagerList::~TdxBarManagerList() = default;

void TdxBarManagerList::Add(TdxBarManager* manager) {
    if (FHooks.empty()) {
        FHooks.push_back(std::make_unique<TThreadHook>(
            THookKind::Keyboard, [this](int code, WPARAM key, LPARAM keyData) { return KeyboardHook(code, key, keyData); }));
        FHooks.push_back(std::make_unique<TThreadHook>(
            THookKind::Mouse, [this](int code, WPARAM message, LPARAM info) { return MouseHook(code, message, info); }));
        // No window-procedure hook: nothing here needs one, and under Wine
        // it costs every sent message two round trips to the server.
    }
    FItems.push_back(manager);
}

void TdxBarManagerList::Remove(TdxBarManager* manager) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), manager), FItems.end());
    if (FItems.empty()) {
        FHooks.clear();
        FAltReleasePending = false;
        FRoutedKeys.reset();
    }
}

bool TdxBarManagerList::MouseHook(int code, WPARAM message, LPARAM info) {
    if (code != HC_ACTION) return false;
    const auto& mouse = *reinterpret_cast<const MOUSEHOOKSTRUCT*>(info);
    if (IsButtonDown(message)) {
        TdxBarSubMenuControl::PointerPressedSomewhere(mouse.hwnd);
        TdxBarControl::PointerPressedSomewhere(mouse.hwnd);
    }
    return static_cast<int>(mouse.wHitTestCode) == HTERROR && RouteToCustomizedToolbar(static_cast<UINT>(message), mouse.pt);
}

namespace {
// The client message a non-client pointer message stands for.
UINT ClientMessage(UINT message) {
    if (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK) return message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    return message;
}
}  // namespace

bool TdxBarManagerList::RouteToCustomizedToolbar(UINT message, POINT screen) {
    // The form under the customization dialog is disabled, so its toolbars
    // get no pointer input of their own: it is handed to them here.
    TdxBarCustomCustomizationForm* dialog = TdxBarCustomCustomizationForm::Instance();
    if (!dialog || !dialog->HandleAllocated()) return false;
    TdxBarManager& manager = dialog->BarManager();
    if (!manager.CustomizeMode() || !manager.OwnerControl().HandleAllocated()) return false;
    HWND active = ::GetActiveWindow();
    HWND form = ::GetAncestor(manager.OwnerControl().Handle(), GA_ROOT);
    if (active != dialog->Handle() && active != form && !::IsChild(form, active)) return false;
    TdxBarControl* bar = TdxBarControl::UnderPointer(manager, screen);
    if (!bar) return false;
    HWND window = bar->Handle();
    const LRESULT hit = ::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, message));
    WPARAM keys = 0;
    if (::GetAsyncKeyState(VK_LBUTTON) < 0) keys |= MK_LBUTTON;
    if (::GetAsyncKeyState(VK_RBUTTON) < 0) keys |= MK_RBUTTON;
    if (::GetAsyncKeyState(VK_MBUTTON) < 0) keys |= MK_MBUTTON;
    if (::GetAsyncKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (::GetAsyncKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    const UINT clientMessage = ClientMessage(message);
    if (clientMessage != WM_MOUSEMOVE) ::SetForegroundWindow(dialog->Handle());
    POINT client = screen;
    ::ScreenToClient(window, &client);
    // Posted: the toolbar's press may start a drag with a loop of its own,
    // which must not run inside the hook.
    ::PostMessageA(window, clientMessage, keys, MAKELPARAM(client.x, client.y));
    return true;
}

TdxBarManager* TdxBarManagerList::ManagerForKey() const {
    TdxBarManager* manager = nullptr;
    for (HWND window = ::GetFocus(); window && !manager; window = ::GetAncestor(window, GA_PARENT))
        manager = TdxBarManager::Of(dynamic_cast<TComponent*>(TWindow::FindFromHandle(window)));
    if (!manager) manager = TdxBarManager::Of(Application().ActiveForm());
    if (!manager) {
        manager = TdxBarManager::Of(Application().MainForm());
        if (manager && !manager->AllowCallFromAnotherForm()) manager = nullptr;
    }
    if (!manager || manager->CustomizeMode() || !manager->OwnerControl().HandleAllocated()) return nullptr;
    // A form disabled under a modal box takes no commands.
    HWND form = ::GetAncestor(manager->OwnerControl().Handle(), GA_ROOT);
    return form && ::IsWindowEnabled(form) ? manager : nullptr;
}

bool TdxBarManagerList::KeyboardHook(int code, WPARAM key, LPARAM keyData) {
    // A key only peeked at comes again when it is taken.
    if (code != HC_ACTION || key == VK_PROCESSKEY) return false;
    const bool release = (keyData & 0x80000000) != 0;
    const bool alt = (keyData & (KF_ALTDOWN << 16)) != 0;
    const std::size_t keyIndex = key & 0xFF;
    if (release && FRoutedKeys[keyIndex]) {
        FRoutedKeys[keyIndex] = false;
        return true;
    }
    // An open menu takes every key, but those typed into a box in it.
    if (TdxBarSubMenuControl* menu = TdxBarSubMenuControl::OpenMenu()) {
        if (!menu->TakesKey(key)) return false;
        if (!release) {
            FRoutedKeys[keyIndex] = true;
            menu->KeyPressed(key);
        }
        return true;
    }
    TdxBarControl* active = TdxBarControl::ActiveToolbar();
    // Not while its form is disabled under a modal box.
    if (active && active->HandleAllocated() && ::IsWindowEnabled(::GetAncestor(active->Handle(), GA_ROOT)) &&
        !active->BarManager().CustomizeMode()) {
        if (!release) {
            FRoutedKeys[keyIndex] = true;
            active->KeyPressed(key);
        }
        return true;
    }
    if (release) {
        if (key != VK_MENU || !FAltReleasePending) return false;
        FAltReleasePending = false;
        return true;
    }
    // Bare Alt and F10 open menus: the system's business here.
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
    if (key == VK_F10 && ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_CONTROL) >= 0 && !alt) return false;
    if (::GetCapture()) return false;
    TdxBarManager* manager = ManagerForKey();
    if (!manager) return false;
    TShortCut modifiers = 0;
    if (::GetKeyState(VK_SHIFT) < 0) modifiers |= scShift;
    if (::GetKeyState(VK_CONTROL) < 0) modifiers |= scCtrl;
    if (alt) modifiers |= scAlt;
    const TShortCut shortCut = ShortCut(static_cast<std::uint8_t>(key), modifiers);
    // Set before the command runs: a box it opens may take the release.
    FAltReleasePending = alt;
    bool handled = manager->TryShortCut(shortCut);
    // The list is copied: a command may make or free a manager.
    std::vector<TdxBarManager*> others = FItems;
    for (TdxBarManager* other : others)
        if (!handled && other != manager && std::find(FItems.begin(), FItems.end(), other) != FItems.end())
            handled = other->TryShortCut(shortCut);
    if (!handled && alt && std::find(FItems.begin(), FItems.end(), manager) != FItems.end())
        handled = manager->TryAccelerator(key);
    if (!handled) FAltReleasePending = false;
    return handled;
}

}  // namespace bars
