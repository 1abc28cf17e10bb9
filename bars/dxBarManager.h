// The bar manager of a form: its toolbars and docks, categories, image
// options, font and painter; and the process-wide list of managers.
#pragma once

#include <windows.h>

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBarToolbar.h"
#include "bars/dxBarTypes.h"
#include "forms/ActnList.h"
#include "forms/Component.h"
#include "forms/Controls.h"
#include "forms/Graphics.h"
#include "forms/ImgList.h"

namespace forms {
class TThreadHook;
}

namespace bars {

// Where the framework reads the system's non-client metrics (the menu font
// among them). Tests put fonts of known size in their place; an empty
// source restores the system's.
using NonClientMetricsSource = std::function<bool(NONCLIENTMETRICSA& metrics)>;
void SetNonClientMetricsSource(NonClientMetricsSource source);
// The metrics in the size every Windows version accepts (without the padded
// border width); false when they cannot be read.
bool GetNonClientMetrics(NONCLIENTMETRICSA& metrics);

enum class TdxBarImageSlot { Images, LargeImages, HotImages, DisabledImages, DisabledLargeImages };

// Image lists and glyph flags of a manager. Each list is watched: a change
// re-measures and repaints what shows its pictures, and a list that is
// destroyed is dropped.
class TdxBarImageOptions : public forms::TPersistent {
public:
    explicit TdxBarImageOptions(TdxBarManager& manager);
    ~TdxBarImageOptions() override;

    forms::TCustomImageList* List(TdxBarImageSlot slot) const { return FSlots[Index(slot)].list; }
    void SetList(TdxBarImageSlot slot, forms::TCustomImageList* list);
    // Drops a list that is going away from every slot.
    void ListRemoved(forms::TComponent* list);
    bool Uses(const forms::TComponent* list) const;

    forms::TCustomImageList* Images() const { return List(TdxBarImageSlot::Images); }
    forms::TCustomImageList* LargeImages() const { return List(TdxBarImageSlot::LargeImages); }
    forms::TCustomImageList* HotImages() const { return List(TdxBarImageSlot::HotImages); }
    forms::TCustomImageList* DisabledImages() const { return List(TdxBarImageSlot::DisabledImages); }
    forms::TCustomImageList* DisabledLargeImages() const { return List(TdxBarImageSlot::DisabledLargeImages); }

    bool CacheGlyphs() const { return FCacheGlyphs; }
    void SetCacheGlyphs(bool cache) { FCacheGlyphs = cache; }
    forms::TColor ImageListBkColor() const { return FImageListBkColor; }
    void SetImageListBkColor(forms::TColor color) { FImageListBkColor = color; }
    bool LargeIcons() const { return FLargeIcons; }
    void SetLargeIcons(bool large);
    bool MakeDisabledImagesFaded() const { return FMakeDisabledImagesFaded; }
    void SetMakeDisabledImagesFaded(bool faded);
    bool SmoothGlyphs() const { return FSmoothGlyphs; }
    void SetSmoothGlyphs(bool smooth) { FSmoothGlyphs = smooth; }
    bool StretchGlyphs() const { return FStretchGlyphs; }
    void SetStretchGlyphs(bool stretch) { FStretchGlyphs = stretch; }
    bool UseLargeImagesForLargeIcons() const { return FUseLargeImagesForLargeIcons; }
    void SetUseLargeImagesForLargeIcons(bool use);
    bool UseLeftBottomPixelAsTransparent() const { return FUseLeftBottomPixelAsTransparent; }
    void SetUseLeftBottomPixelAsTransparent(bool use) { FUseLeftBottomPixelAsTransparent = use; }

    const forms::PropertyTable& StoredProperties() const override;

private:
    struct Slot {
        forms::TCustomImageList* list = nullptr;
        forms::TChangeLink link;
    };
    static std::size_t Index(TdxBarImageSlot slot) { return static_cast<std::size_t>(slot); }

    TdxBarManager& FManager;
    std::array<Slot, 5> FSlots;
    bool FCacheGlyphs = true;
    forms::TColor FImageListBkColor = 0xFF00FF;
    bool FLargeIcons = false;
    bool FMakeDisabledImagesFaded = false;
    bool FSmoothGlyphs = false;
    bool FStretchGlyphs = true;
    bool FUseLargeImagesForLargeIcons = false;
    bool FUseLeftBottomPixelAsTransparent = true;
};

// Category names; an item's Category is an index into them. Never empty.
class TdxBarManagerCategories : public forms::TPersistent {
public:
    explicit TdxBarManagerCategories(TdxBarManager& manager);

    int Count() const { return static_cast<int>(FNames.size()); }
    const std::string& operator[](int index) const { return FNames.at(static_cast<std::size_t>(index)); }
    int IndexOf(const std::string& name) const;

    int Add(std::string name);
    // The items of categories at or after the index move one on.
    void Insert(int index, std::string name);
    void Rename(int index, std::string name);
    // Frees the category's items; the last one is replaced by "Default".
    void Delete(int index);
    void Exchange(int a, int b);
    void Move(int from, int to);

    // For the customization dialog: per category, whether it is shown and
    // which of its items are (a set of item visibilities).
    bool Visible(int index) const { return FVisibles.at(static_cast<std::size_t>(index)); }
    void SetVisible(int index, bool visible) { FVisibles.at(static_cast<std::size_t>(index)) = visible; }
    int ItemsVisible(int index) const { return FItemsVisibles.at(static_cast<std::size_t>(index)); }

    // Stored: the names and both visibility lists, which take effect once
    // loading ends.
    const forms::PropertyTable& StoredProperties() const override;
    void ApplyLoaded();

private:
    // Category numbers of the items change from `map(old)`; -1 frees the item.
    template <class F>
    void Renumber(F map);
    void EnsureOne();

    TdxBarManager& FManager;
    std::vector<std::string> FNames;
    std::vector<bool> FVisibles;
    std::vector<int> FItemsVisibles;
    std::vector<bool> FLoadedVisibles;
    std::vector<int> FLoadedItemsVisibles;
};

using TdxBarPainterClass = std::unique_ptr<TdxBarPainter> (*)();

// The customization dialog, registered by its unit: Open shows it for a
// manager; Exists tells whether one is open (at most one in the process);
// Free frees the open one unless it is going already.
struct TdxBarCustomizationFormClass {
    std::function<void(TdxBarManager& manager)> Open;
    std::function<bool()> Exists;
    std::function<void()> Free;
};
// An empty class unregisters.
void RegisterCustomizationFormClass(TdxBarCustomizationFormClass formClass);
bool CustomizationFormRegistered();
bool CustomizationFormExists();

// A framework menu has its entries (the links) and is about to show.
using TdxBarShowPopupEvent = std::function<void(TdxBarManager* sender, TdxBarItemLinks* links)>;

enum class TdxBarSelectionOperation { Add, Exclusive, Remove };

// What a manager asks of whoever keeps its selection while it is being
// customized (toolbars, items, links).
class IdxBarSelection {
public:
    virtual ~IdxBarSelection() = default;
    // Appends the selected objects.
    virtual void ReadSelection(std::vector<forms::TPersistent*>& list) const = 0;
    virtual bool InSelection(const forms::TPersistent* object) const = 0;
    virtual void AddToSelection(forms::TPersistent* object, TdxBarSelectionOperation operation) = 0;
    virtual void ReplaceSelection(const std::vector<forms::TPersistent*>& list) = 0;
    virtual bool CanDeleteComponent(const forms::TPersistent* object) const = 0;
    // The object goes: it leaves the selection.
    virtual void ObjectDestroying(const forms::TPersistent* object) = 0;
};

// Owner of a form's toolbars, docks, categories, image options, font and
// painter. At most one per windowed control.
class TdxBarManager : public forms::TComponent {
public:
    // Without an owner the application's main form owns it. Raises
    // EdxException for an owner that is not a windowed control or already
    // has a manager; nothing is created then.
    explicit TdxBarManager(forms::TComponent* owner);
    ~TdxBarManager() override;
    const char* ClassName() const override { return "TdxBarManager"; }

    forms::TWinControl& OwnerControl() const { return *FOwnerControl; }
    // The manager of a windowed control, if it has one.
    static TdxBarManager* Of(const forms::TComponent* owner);

    TdxBarManagerStyle Style() const { return FStyle; }
    void SetStyle(TdxBarManagerStyle style);
    TdxBarPainter& Painter() const { return *FPainter; }

    // The system's menu font until a font of its own is set.
    forms::TFont& Font() { return FFont.Font(); }
    const forms::TFont& Font() const { return FFont.Font(); }
    bool UseSystemFont() const { return FFont.Following(); }
    void SetUseSystemFont(bool use);
    bool Scaled() const { return FScaled; }
    void SetScaled(bool scaled) { FScaled = scaled; }
    const forms::TFont& EditFont() const { return FEditFont; }
    const forms::TFont& BarCaptionFont() const { return FBarCaptionFont; }

    TdxBarManagerCategories& Categories() { return FCategories; }
    TdxBarImageOptions& ImageOptions() { return FImageOptions; }
    const TdxBarImageOptions& ImageOptions() const { return FImageOptions; }
    TdxBars& Bars() { return *FBars; }
    const TdxBars& Bars() const { return *FBars; }
    // Every toolbar as it was right after the manager was loaded; never
    // changes afterwards. Empty for a manager made in code.
    const std::vector<TdxBarLayout>& InitialLayout() const { return FInitialLayout; }
    // How many times the manager was read from a stored description.
    int LoadCount() const { return FLoadCount; }
    // The items that joined this manager, in the order they did.
    const std::vector<TdxBarItem*>& Items() const { return FItems; }

    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show);
    bool ShowHintForDisabledItems() const { return FShowHintForDisabledItems; }
    bool ShowShortCutInHint() const { return FShowShortCutInHint; }
    void SetShowShortCutInHint(bool show) { FShowShortCutInHint = show; }
    // The image options' flag, as the customization dialog sets it.
    bool LargeIcons() const { return FImageOptions.LargeIcons(); }
    void SetLargeIcons(bool large) { FImageOptions.SetLargeIcons(large); }
    TdxBarMenuAnimations MenuAnimations() const { return FMenuAnimations; }
    void SetMenuAnimations(TdxBarMenuAnimations animations) { FMenuAnimations = animations; }
    bool AllowReset() const { return FAllowReset; }
    void SetAllowReset(bool allow) { FAllowReset = allow; }
    bool UseFullReset() const { return FUseFullReset; }
    void SetUseFullReset(bool full) { FUseFullReset = full; }
    bool UseF10ForMenu() const { return FUseF10ForMenu; }
    bool CanCustomize() const { return FCanCustomize; }
    void SetCanCustomize(bool can) { FCanCustomize = can; }
    bool AllowCallFromAnotherForm() const { return FAllowCallFromAnotherForm; }
    bool HideFloatingBarsWhenInactive() const { return FHideFloatingBarsWhenInactive; }
    bool AutoDockColor() const { return FAutoDockColor; }
    void SetAutoDockColor(bool automatic);
    forms::TColor DockColor() const { return FDockColor; }
    void SetDockColor(forms::TColor color);
    bool SunkenBorder() const { return FSunkenBorder; }
    void SetSunkenBorder(bool sunken);
    bool AutoAlignBars() const { return FAutoAlignBars; }
    void SetAutoAlignBars(bool align);
    int ButtonArrowWidth() const { return FButtonArrowWidth; }
    int LargeButtonArrowWidth() const { return FLargeButtonArrowWidth; }
    int WaitForDockingTime() const { return FWaitForDockingTime; }
    int MostRecentItemsPercents() const { return FMostRecentItemsPercents; }
    bool MenusShowRecentItemsFirst() const { return FMenusShowRecentItemsFirst; }
    void SetMenusShowRecentItemsFirst(bool show) { FMenusShowRecentItemsFirst = show; }
    bool ShowFullMenusAfterDelay() const { return FShowFullMenusAfterDelay; }
    void SetShowFullMenusAfterDelay(bool show) { FShowFullMenusAfterDelay = show; }
    bool StoreInIniFile() const { return FStoreInIniFile; }
    bool StoreInRegistry() const { return FStoreInRegistry; }
    TdxBarDockingStyles NotDocking() const { return FNotDocking; }
    bool CustomizeMode() const { return FCustomizeMode; }
    // On: customizing starts and the customization dialog opens; nothing
    // happens while no dialog kind is registered or one is already open.
    // Off: customizing ends.
    void SetCustomizeMode(bool customize);

    // Keeps the selection while the manager is customized; null otherwise.
    // The keeper outlives its installation.
    IdxBarSelection* SelectionHandler() const { return FSelectionHandler; }
    void SetSelectionHandler(IdxBarSelection* handler) { FSelectionHandler = handler; }
    // A toolbar, item or link of this manager goes.
    void ObjectDestroying(const forms::TPersistent* object);

    // Drags an item, of a link or from the customization dialog (no link),
    // until it is dropped or given up.
    void BeginItemDrag(TdxBarItem& item, TdxBarItemLink* link);
    const TdxBarDragInfo& DragInfo() const { return *FDragInfo; }

    // An item was added or removed (null), or one changed its caption.
    TdxBarChangeEvent OnItemsChange;
    void ItemsChanged(TdxBarItem* item);

    // Sizes of the left, right, top and bottom docks.
    std::array<int, 4> DockControlHeights() const;
    void SetDockControlHeights(const std::array<int, 4>& sizes);

    using TBarEvent = std::function<void(TdxBarManager* sender, TdxBar* bar)>;
    std::function<void(TdxBarManager* sender, TdxBarItem* item)> OnClickItem;
    std::function<void(TdxBar* bar, TdxBarDockingStyle style, TdxDockControl* dock, bool& canDock)> OnDocking;
    TBarEvent OnBarAfterReset, OnBarBeforeReset, OnBarClose, OnBarDockingStyleChange, OnBarVisibleChange;
    // The toolbars menu has its entries and is about to show; a handler may
    // add or remove links. Nothing shows when the links end up empty.
    TdxBarShowPopupEvent OnShowToolbarsPopup;
    // The same for the item menu of customizing.
    TdxBarShowPopupEvent OnShowCustomizingPopup;
    // Customizing starts (before the dialog is made) or has ended (the
    // dialog is gone).
    forms::TNotifyEvent OnShowCustomizingForm, OnHideCustomizingForm;

    virtual void NotifyItemClick(TdxBarItem* item);
    virtual bool AcceptsDocking(TdxBar* bar, TdxBarDockingStyle style, TdxDockControl* dock);
    virtual TdxBarPainterClass ChoosePainterClass() const;

    // Batches layout: the docks are laid out once, at the outermost end.
    void BeginUpdate() { ++FLockUpdate; }
    void EndUpdate();
    bool IsUpdateLocked() const { return FLockUpdate > 0; }
    // Being read, or placing what was read: layout waits until the end.
    bool IsLoading() const { return Loading() || FFinishingLoad; }
    // Going away, alone or with the form: layout is pointless.
    bool IsDestroying() const;

    // The docks lay out their rows again (now, or at the end of an update).
    void RefreshDocks();
    // Every bar window repaints; glyph caches are dropped.
    void RepaintBars();
    // A watched image list changed.
    void ImageListChanged(forms::TCustomImageList* list);

    // Executes the enabled item with that shortcut on the first visible
    // toolbar that has one; false when none has.
    bool TryShortCut(forms::TShortCut shortCut);
    // Executes the enabled item on a visible toolbar whose caption marks
    // the key with "&"; false when none does.
    bool TryAccelerator(WPARAM key);
    // Tooltips (only while ShowHint is on and not customizing). A request
    // to show records the control and shows its tooltip after a delay, or
    // at once while one shows or has just hidden; a non-empty text stands
    // for the control's own. A request to hide (no control) hides it and
    // lets the next one show at once for a moment. HideTooltip just hides.
    void RequestTooltip(bool show, const std::string& text, TdxBarItemControl* hintObject);
    void HideTooltip();

    // The item control selected last on one of the bars, and the bar that is
    // active; null once that selection or activation ends.
    TdxBarItemControl* SelectedItem() const { return FSelectedItem; }
    TdxBarControl* FocusedBarControl() const { return FFocusedBarControl; }
    // A bar window or an item control goes: no manager keeps it.
    static void ForgetBarControl(const TdxBarControl* bar);
    static void ForgetItemControl(const TdxBarItemControl* control);

    const forms::PropertyTable& StoredProperties() const override;

protected:
    // Older descriptions hold the image options on the manager itself.
    bool ReadProperty(std::string_view name, const forms::Value& value, forms::TReader& reader) override;
    void Loaded() override;
    void Notification(forms::TComponent* component, forms::TOperation operation) override;

private:
    friend class TdxBarItem;
    friend class TdxBarControl;
    void AddItem(TdxBarItem* item);
    void RemoveItem(TdxBarItem* item);
    void UpdateFont();
    void FontChanged();
    void OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RecreatePainter();
    // The palette or the painter changed: docks and bars drop what they
    // painted and choose their buffering again.
    void SurfacesChanged();
    // Customizing starts or ends: what shows on the bars changes.
    void CloseBarPopups();
    void RefreshItemLinks();
    static void RepaintOtherManagers(const TdxBarManager* except);

    forms::TWinControl* FOwnerControl;
    TdxBarManagerStyle FStyle = TdxBarManagerStyle::Enhanced;
    std::unique_ptr<TdxBarPainter> FPainter;
    std::vector<TdxBarItem*> FItems;
    TdxBarManagerCategories FCategories;
    std::unique_ptr<TdxBars> FBars;
    forms::TFollowingFont FFont;
    forms::TFont FEditFont;
    forms::TFont FBarCaptionFont;
    bool FScaled = true;
    TdxBarImageOptions FImageOptions;
    std::vector<TdxBarLayout> FInitialLayout;
    int FLoadCount = 0;

    bool FShowHint = true;
    bool FShowHintForDisabledItems = true;
    bool FShowShortCutInHint = false;
    bool FUseF10ForMenu = true;
    bool FCanCustomize = true;
    bool FAllowCallFromAnotherForm = false;
    bool FHideFloatingBarsWhenInactive = true;
    bool FAutoDockColor = true;
    forms::TColor FDockColor = forms::clBtnFace;
    bool FSunkenBorder = false;
    bool FAutoAlignBars = false;
    int FButtonArrowWidth = 11;
    int FLargeButtonArrowWidth = 13;
    int FWaitForDockingTime = 21;
    int FMostRecentItemsPercents = 95;
    bool FMenusShowRecentItemsFirst = true;
    bool FShowFullMenusAfterDelay = true;
    bool FStoreInIniFile = false;
    bool FStoreInRegistry = false;
    TdxBarDockingStyles FNotDocking = 0;
    TdxBarMenuAnimations FMenuAnimations = TdxBarMenuAnimations::None;
    bool FAllowReset = true;
    bool FUseFullReset = false;
    bool FCustomizeMode = false;
    IdxBarSelection* FSelectionHandler = nullptr;
    std::unique_ptr<TdxBarDragInfo> FDragInfo;
    int FLockUpdate = 0;
    bool FRefreshPending = false;
    bool FDestroyingManager = false;
    bool FFinishingLoad = false;
    TdxBarItemControl* FSelectedItem = nullptr;
    TdxBarControl* FFocusedBarControl = nullptr;
};

// Every live manager of the process, in the order they were made. While
// there is one, the list holds the thread's keyboard and mouse hooks; the
// keyboard hook runs toolbar shortcuts before the form sees the key.
class TdxBarManagerList {
public:
    TdxBarManagerList();
    ~TdxBarManagerList();
    static TdxBarManagerList& Instance();
    int Count() const { return static_cast<int>(FItems.size()); }
    TdxBarManager* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    void Add(TdxBarManager* manager);
    void Remove(TdxBarManager* manager);

private:
    bool KeyboardHook(int code, WPARAM key, LPARAM keyData);
    bool MouseHook(int code, WPARAM message, LPARAM info);
    // Hands a pointer message meant for a disabled window to the toolbar
    // under the pointer while its manager is customized.
    bool RouteToCustomizedToolbar(UINT message, POINT screen);
    // The manager a key is meant for, found from the focused window.
    TdxBarManager* ManagerForKey() const;

    std::vector<TdxBarManager*> FItems;
    std::vector<std::unique_ptr<forms::TThreadHook>> FHooks;
    // Keys whose press went to an active toolbar: their release goes too.
    std::bitset<256> FRoutedKeys;
    // An Alt shortcut ran: the Alt release that ends it is ours too, or the
    // system would take it for a bare Alt and enter menu mode.
    bool FAltReleasePending = false;
};

}  // namespace bars
