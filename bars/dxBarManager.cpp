#include "bars/dxBarManager.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "bars/dxBarControl.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarToolbar.h"
#include "forms/Exceptions.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
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

namespace {
const std::pair<const char*, TdxBarImageSlot> kSlotNames[] = {
    {"Images", TdxBarImageSlot::Images},
    {"LargeImages", TdxBarImageSlot::LargeImages},
    {"HotImages", TdxBarImageSlot::HotImages},
    {"DisabledImages", TdxBarImageSlot::DisabledImages},
    {"DisabledLargeImages", TdxBarImageSlot::DisabledLargeImages},
};
}  // namespace

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
    for (const auto& [name, which] : kSlotNames)
        if (FSlots[Index(which)].list == list) SetList(which, nullptr);
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

bool TdxBarImageOptions::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    for (const auto& [slotName, which] : kSlotNames) {
        if (name != slotName) continue;
        if (value.kind == Value::Kind::Nil) {
            SetList(which, nullptr);
        } else {
            reader.AddReference(prop::Ident(value), [this, which = which](TComponent* c) {
                auto* list = dynamic_cast<TCustomImageList*>(c);
                if (!list) prop::InvalidValue();
                SetList(which, list);
            });
        }
        return true;
    }
    if (name == "CacheGlyphs") SetCacheGlyphs(prop::Bool(value));
    else if (name == "ImageListBkColor") SetImageListBkColor(prop::Color(value));
    else if (name == "LargeIcons") SetLargeIcons(prop::Bool(value));
    else if (name == "MakeDisabledImagesFaded") SetMakeDisabledImagesFaded(prop::Bool(value));
    else if (name == "SmoothGlyphs") SetSmoothGlyphs(prop::Bool(value));
    else if (name == "StretchGlyphs") SetStretchGlyphs(prop::Bool(value));
    else if (name == "UseLargeImagesForLargeIcons") SetUseLargeImagesForLargeIcons(prop::Bool(value));
    else if (name == "UseLeftBottomPixelAsTransparent") SetUseLeftBottomPixelAsTransparent(prop::Bool(value));
    else return TPersistent::ReadProperty(name, value, reader);
    return true;
}

void TdxBarImageOptions::WriteProperties(TWriter& writer) const {
    if (!FCacheGlyphs) writer.Write("CacheGlyphs", Value::Bool(false));
    for (const auto& [name, which] : kSlotNames)
        if (const TCustomImageList* list = FSlots[Index(which)].list) writer.Write(name, Value::Id(list->Name()));
    if (FImageListBkColor != 0xFF00FF) writer.Write("ImageListBkColor", ColorValue(FImageListBkColor));
    if (FLargeIcons) writer.Write("LargeIcons", Value::Bool(true));
    if (FMakeDisabledImagesFaded) writer.Write("MakeDisabledImagesFaded", Value::Bool(true));
    if (FSmoothGlyphs) writer.Write("SmoothGlyphs", Value::Bool(true));
    if (!FStretchGlyphs) writer.Write("StretchGlyphs", Value::Bool(false));
    if (FUseLargeImagesForLargeIcons) writer.Write("UseLargeImagesForLargeIcons", Value::Bool(true));
    if (!FUseLeftBottomPixelAsTransparent) writer.Write("UseLeftBottomPixelAsTransparent", Value::Bool(false));
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

bool TdxBarManagerCategories::ReadProperty(std::string_view name, const Value& value) {
    if (name != "Strings" && name != "ItemsVisibles" && name != "Visibles") return false;
    if (value.kind != Value::Kind::List) prop::InvalidValue();
    if (name == "Strings") {
        std::vector<std::string> names;
        for (const Value& v : value.list) names.push_back(prop::String(v));
        FNames.clear();
        FVisibles.clear();
        FItemsVisibles.clear();
        for (std::string& n : names) Add(std::move(n));
        EnsureOne();
    } else if (name == "ItemsVisibles") {
        FLoadedItemsVisibles.clear();
        for (const Value& v : value.list) FLoadedItemsVisibles.push_back(prop::Int(v));
    } else {
        FLoadedVisibles.clear();
        for (const Value& v : value.list) FLoadedVisibles.push_back(prop::Bool(v));
    }
    return true;
}

void TdxBarManagerCategories::ApplyLoaded() {
    for (std::size_t i = 0; i < FLoadedVisibles.size() && i < FVisibles.size(); ++i) FVisibles[i] = FLoadedVisibles[i];
    for (std::size_t i = 0; i < FLoadedItemsVisibles.size() && i < FItemsVisibles.size(); ++i)
        FItemsVisibles[i] = FLoadedItemsVisibles[i];
    FLoadedVisibles.clear();
    FLoadedItemsVisibles.clear();
}

void TdxBarManagerCategories::WriteProperties(TWriter& writer) const {
    std::vector<Value> names, itemsVisibles, visibles;
    for (std::size_t i = 0; i < FNames.size(); ++i) {
        names.push_back(Value::Str(FNames[i]));
        itemsVisibles.push_back(Value::Int(FItemsVisibles[i]));
        visibles.push_back(Value::Bool(FVisibles[i]));
    }
    writer.Write("Strings", Value::ListOf(std::move(names)));
    writer.Write("ItemsVisibles", Value::ListOf(std::move(itemsVisibles)));
    writer.Write("Visibles", Value::ListOf(std::move(visibles)));
}

// ---- TdxBarManager

namespace {

TComponent* CheckedOwner(TComponent* owner) {
    if (!owner) owner = Application().MainForm();
    if (!dynamic_cast<TWinControl*>(owner)) throw EdxException(ResString("dxSBAR_WANTTWINCONTROL"));
    if (TdxBarManager::Of(owner)) throw EdxException(ResString("dxSBAR_ONLYONEMANAGER"));
    return owner;
}

void WriteFont(TWriter& writer, const TFont& font) {
    writer.Write("Font.Charset", font.Charset() == DEFAULT_CHARSET ? Value::Id("DEFAULT_CHARSET")
                                                                   : Value::Int(font.Charset()));
    writer.Write("Font.Color", ColorValue(font.Color()));
    writer.Write("Font.Height", Value::Int(font.Height()));
    writer.Write("Font.Name", Value::Str(font.Name()));
    std::vector<std::string> style;
    if (HasStyle(font.Style(), TFontStyle::Bold)) style.push_back("fsBold");
    if (HasStyle(font.Style(), TFontStyle::Italic)) style.push_back("fsItalic");
    if (HasStyle(font.Style(), TFontStyle::Underline)) style.push_back("fsUnderline");
    if (HasStyle(font.Style(), TFontStyle::StrikeOut)) style.push_back("fsStrikeOut");
    writer.Write("Font.Style", Value::SetOf(std::move(style)));
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
    FFont.OnChange = [this] {
        // A font the manager did not set itself is the user's choice.
        if (!FSettingFont) FUseSystemFont = false;
        FontChanged();
    };
    SetUseSystemFont(true);
    // Items the form made before its manager join it now.
    for (TComponent* c : Owner()->Components())
        if (auto* item = dynamic_cast<TdxBarItem*>(c); item && !item->FBarManager) {
            item->FBarManager = this;
            AddItem(item);
        }
    FOwnerControl->AddMessageListener(this, [this](TMessage& m) { OwnerMessage(m.message, m.wParam, m.lParam); });
    TdxBarManagerList::Instance().Add(this);
}

TdxBarManager::~TdxBarManager() {
    FDestroyingManager = true;
    TdxBarManagerList::Instance().Remove(this);
    FOwnerControl->RemoveMessageListener(this);
    for (TdxBarItem* item : FItems) item->FBarManager = nullptr;
    FBars.reset();
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

void TdxBarManager::AddItem(TdxBarItem* item) {
    if (std::find(FItems.begin(), FItems.end(), item) == FItems.end()) FItems.push_back(item);
}

void TdxBarManager::RemoveItem(TdxBarItem* item) { FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end()); }

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
    RepaintBars();
}

void TdxBarManager::SetUseSystemFont(bool use) {
    FUseSystemFont = use;
    if (use) UpdateFont();
}

void TdxBarManager::UpdateFont() {
    NONCLIENTMETRICSA metrics;
    if (!GetNonClientMetrics(metrics)) return;
    ScopedValue setting(FSettingFont, true);
    if (FUseSystemFont) FFont.AssignLogFont(metrics.lfMenuFont);
    else if (FScaled) FFont.SetHeight(metrics.lfMenuFont.lfHeight);
}

void TdxBarManager::FontChanged() {
    LOGFONTA iconTitle{};
    FEditFont.Assign(FFont);
    if (::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0))
        FEditFont.SetHeight(AtLeast(iconTitle.lfHeight, 11));
    NONCLIENTMETRICSA metrics;
    if (GetNonClientMetrics(metrics)) FBarCaptionFont.AssignLogFont(metrics.lfMenuFont);
    if (!FUseSystemFont) {
        FBarCaptionFont.SetName(FFont.Name());
        FBarCaptionFont.SetHeight(AtLeast(FFont.Height(), 11));
    }
    for (int i = 0; i < FBars->Count(); ++i) FBars->Items(i)->AssignManagerFont();
    RefreshDocks();
}

void TdxBarManager::OwnerMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETNONCLIENTMETRICS) UpdateFont();
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
}

void TdxBarManager::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::Remove && FImageOptions.Uses(component)) FImageOptions.ListRemoved(component);
}

TPersistent* TdxBarManager::SubObject(std::string_view name) {
    if (name == "ImageOptions") return &FImageOptions;
    return TComponent::SubObject(name);
}

bool TdxBarManager::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    auto flag = [&](bool& field) {
        field = prop::Bool(value);
        return true;
    };
    auto number = [&](int& field) {
        field = prop::Int(value);
        return true;
    };
    if (name.starts_with("Font.")) return ReadFontProperty(FFont, name.substr(5), value);
    if (name.starts_with("Categories.")) return FCategories.ReadProperty(name.substr(11), value);
    if (name.find('.') == std::string_view::npos && FImageOptions.ReadProperty(name, value, reader)) return true;
    if (name == "Style") SetStyle(prop::Enum(value, kManagerStyleNames));
    else if (name == "UseSystemFont") SetUseSystemFont(prop::Bool(value));
    else if (name == "Scaled") return flag(FScaled);
    else if (name == "ShowHint") return flag(FShowHint);
    else if (name == "ShowHintForDisabledItems") return flag(FShowHintForDisabledItems);
    else if (name == "ShowShortCutInHint") return flag(FShowShortCutInHint);
    else if (name == "UseF10ForMenu") return flag(FUseF10ForMenu);
    else if (name == "CanCustomize") return flag(FCanCustomize);
    else if (name == "AllowCallFromAnotherForm") return flag(FAllowCallFromAnotherForm);
    else if (name == "HideFloatingBarsWhenInactive") return flag(FHideFloatingBarsWhenInactive);
    else if (name == "MenusShowRecentItemsFirst") return flag(FMenusShowRecentItemsFirst);
    else if (name == "ShowFullMenusAfterDelay") return flag(FShowFullMenusAfterDelay);
    else if (name == "StoreInIniFile") return flag(FStoreInIniFile);
    else if (name == "StoreInRegistry") return flag(FStoreInRegistry);
    else if (name == "ButtonArrowWidth") return number(FButtonArrowWidth);
    else if (name == "LargeButtonArrowWidth") return number(FLargeButtonArrowWidth);
    else if (name == "WaitForDockingTime") return number(FWaitForDockingTime);
    else if (name == "MostRecentItemsPercents") return number(FMostRecentItemsPercents);
    else if (name == "AutoDockColor") SetAutoDockColor(prop::Bool(value));
    else if (name == "DockColor") SetDockColor(prop::Color(value));
    else if (name == "SunkenBorder") SetSunkenBorder(prop::Bool(value));
    else if (name == "AutoAlignBars") SetAutoAlignBars(prop::Bool(value));
    else if (name == "NotDocking") FNotDocking = ReadSet(value, kDockingStyleSetNames);
    else if (name == "Bars") FBars->Read(value, reader);
    else if (name == "DockControlHeights") {
        if (value.kind != Value::Kind::List || value.list.size() != 4) prop::InvalidValue();
        std::array<int, 4> sizes{};
        for (std::size_t i = 0; i < sizes.size(); ++i) sizes[i] = prop::Int(value.list[i]);
        SetDockControlHeights(sizes);
    } else {
        return TComponent::ReadProperty(name, value, reader);
    }
    return true;
}

void TdxBarManager::WriteProperties(TWriter& writer) const {
    // Font before UseSystemFont: reading the flag back replaces the font.
    WriteFont(writer, FFont);
    {
        TWriter categories;
        FCategories.WriteProperties(categories);
        for (const Property& p : categories.Properties()) writer.Write("Categories." + p.name, p.value);
    }
    writer.WriteObject("ImageOptions", FImageOptions);
    if (FStyle != TdxBarManagerStyle::Enhanced) writer.Write("Style", EnumValue(FStyle, kManagerStyleNames));
    if (!FScaled) writer.Write("Scaled", Value::Bool(false));
    writer.Write("UseSystemFont", Value::Bool(FUseSystemFont));
    auto flag = [&](const char* name, bool value, bool byDefault) {
        if (value != byDefault) writer.Write(name, Value::Bool(value));
    };
    auto number = [&](const char* name, int value, int byDefault) {
        if (value != byDefault) writer.Write(name, Value::Int(value));
    };
    flag("ShowHint", FShowHint, true);
    flag("ShowHintForDisabledItems", FShowHintForDisabledItems, true);
    flag("ShowShortCutInHint", FShowShortCutInHint, false);
    flag("UseF10ForMenu", FUseF10ForMenu, true);
    flag("CanCustomize", FCanCustomize, true);
    flag("AllowCallFromAnotherForm", FAllowCallFromAnotherForm, false);
    flag("HideFloatingBarsWhenInactive", FHideFloatingBarsWhenInactive, true);
    flag("AutoDockColor", FAutoDockColor, true);
    if (FDockColor != clBtnFace) writer.Write("DockColor", ColorValue(FDockColor));
    flag("SunkenBorder", FSunkenBorder, false);
    flag("AutoAlignBars", FAutoAlignBars, false);
    number("ButtonArrowWidth", FButtonArrowWidth, 11);
    number("LargeButtonArrowWidth", FLargeButtonArrowWidth, 13);
    number("WaitForDockingTime", FWaitForDockingTime, 21);
    number("MostRecentItemsPercents", FMostRecentItemsPercents, 95);
    flag("MenusShowRecentItemsFirst", FMenusShowRecentItemsFirst, true);
    flag("ShowFullMenusAfterDelay", FShowFullMenusAfterDelay, true);
    flag("StoreInIniFile", FStoreInIniFile, false);
    flag("StoreInRegistry", FStoreInRegistry, false);
    if (FNotDocking) writer.Write("NotDocking", SetValue(FNotDocking, kDockingStyleSetNames));
    writer.Write("Bars", FBars->Write());
    std::vector<Value> sizes;
    for (int size : DockControlHeights()) sizes.push_back(Value::Int(size));
    writer.Write("DockControlHeights", Value::ListOf(std::move(sizes)));
}

// ---- TdxBarManagerList

TdxBarManagerList& TdxBarManagerList::Instance() {
    static TdxBarManagerList list;
    return list;
}

void TdxBarManagerList::Add(TdxBarManager* manager) { FItems.push_back(manager); }

void TdxBarManagerList::Remove(TdxBarManager* manager) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), manager), FItems.end());
}

}  // namespace bars
