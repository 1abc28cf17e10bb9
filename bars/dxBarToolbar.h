// The toolbars of a bar manager and the collection that holds them with
// the four docks.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarTypes.h"
#include "forms/Component.h"
#include "forms/FormReader.h"
#include "forms/FormWriter.h"
#include "forms/Graphics.h"

namespace bars {

// What a toolbar was at one moment: its place in the collection, caption,
// docking, floating place, row, visibility and links. Kept in memory only.
struct TdxBarLayout {
    int index = 0;
    std::string caption;
    TdxBarDockingStyle dockingStyle = TdxBarDockingStyle::None;
    TdxBarDockingStyle dockedDockingStyle = TdxBarDockingStyle::Top;
    int dockedLeft = 0, dockedTop = 0;
    int floatLeft = 0, floatTop = 0, floatClientWidth = 0, floatClientHeight = 0;
    bool oneOnRow = false;
    int row = 0;
    bool visible = false;
    std::vector<TdxBarLinkLayout> links;
};

// One toolbar: its settings, its links and, while it is docked and
// visible, its window in a dock.
class TdxBar : public forms::TComponent {
public:
    explicit TdxBar(TdxBars& collection);
    ~TdxBar() override;
    const char* ClassName() const override { return "TdxBar"; }

    TdxBars& Collection() const { return FCollection; }
    TdxBarManager& BarManager() const;
    int Index() const;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string caption);
    TdxBarBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TdxBarBorderStyle style);
    TdxBarDockingStyle DockingStyle() const { return FDockingStyle; }
    // A docked, visible bar moves its window into the new dock.
    void SetDockingStyle(TdxBarDockingStyle style);
    TdxBarDockingStyle DockedDockingStyle() const { return FDockedDockingStyle; }
    int DockedLeft() const { return FDockedLeft; }
    int DockedTop() const { return FDockedTop; }
    void SetDockedPos(int left, int top);
    int FloatLeft() const { return FFloatLeft; }
    int FloatTop() const { return FFloatTop; }
    int FloatClientWidth() const { return FFloatClientWidth; }
    int FloatClientHeight() const { return FFloatClientHeight; }
    // Where the bar goes once it floats.
    void SetFloatPos(int left, int top);
    int Row() const { return FRow; }
    void SetRow(int row);
    bool OneOnRow() const { return FOneOnRow; }
    void SetOneOnRow(bool one) { FOneOnRow = one; }
    bool WholeRow() const { return FWholeRow; }
    void SetWholeRow(bool whole);
    bool UseRestSpace() const { return FUseRestSpace; }
    void SetUseRestSpace(bool use);
    bool ShowMark() const { return FShowMark; }
    void SetShowMark(bool show);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool grip);
    bool UseOwnFont() const { return !FFont.Following(); }
    void SetUseOwnFont(bool own);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool AllowClose() const { return FAllowClose; }
    void SetAllowClose(bool allow) { FAllowClose = allow; }
    // The user may hide it: closing is allowed and it is no main menu.
    bool IsUserClosable() const;
    bool AllowCustomizing() const { return FAllowCustomizing; }
    bool AllowQuickCustomizing() const { return FAllowQuickCustomizing; }
    bool AllowReset() const { return FAllowReset; }
    forms::TColor Color() const { return FColor; }
    bool RotateWhenVertical() const { return FRotateWhenVertical; }
    int AlphaBlendValue() const { return FAlphaBlendValue; }
    bool Hidden() const { return FHidden; }
    void SetHidden(bool hidden) { FHidden = hidden; }
    bool IsMainMenu() const { return FIsMainMenu; }
    void SetIsMainMenu(bool mainMenu) { FIsMainMenu = mainMenu; }
    bool MultiLine() const { return FMultiLine; }
    TdxBarDockingStyles NotDocking() const { return FNotDocking; }
    // Loaded from the form's description rather than made at run time.
    bool Predefined() const { return FPredefined; }

    // The manager's font until a font of its own is set.
    forms::TFont& Font() { return FFont.Font(); }
    const forms::TFont& Font() const { return FFont.Font(); }
    TdxBarItemLinks& ItemLinks() { return FItemLinks; }
    const TdxBarItemLinks& ItemLinks() const { return FItemLinks; }

    // The bar's window while it is docked and visible.
    TdxBarControl* Control() const { return FControl.get(); }
    TdxDockControl* DockControl() const;

    TdxBarLayout SaveLayout() const;

    const forms::PropertyTable& StoredProperties() const override;

private:
    friend class TdxBarManager;
    friend class TdxBarItemLinks;
    void AssignManagerFont();
    // Loading finished: takes the loaded docking style, then visibility.
    void ApplyLoaded();
    void ShowWindow();
    void HideWindow();
    void Reshow();
    void LinksChanged();
    void Relayout();

    TdxBars& FCollection;
    std::string FCaption;
    TdxBarBorderStyle FBorderStyle = TdxBarBorderStyle::Single;
    TdxBarDockingStyle FDockingStyle = TdxBarDockingStyle::None;
    TdxBarDockingStyle FDockedDockingStyle = TdxBarDockingStyle::Top;
    int FDockedLeft = 0, FDockedTop = 0;
    int FFloatLeft = 0, FFloatTop = 0, FFloatClientWidth = 0, FFloatClientHeight = 0;
    int FRow = 0;
    bool FOneOnRow = false;
    bool FWholeRow = false;
    bool FUseRestSpace = false;
    bool FShowMark = true;
    bool FSizeGrip = true;
    bool FVisible = false;
    bool FLoadedVisible = false;
    bool FAllowClose = true;
    bool FAllowCustomizing = true;
    bool FAllowQuickCustomizing = true;
    bool FAllowReset = true;
    forms::TColor FColor = forms::clDefault;
    bool FRotateWhenVertical = true;
    int FAlphaBlendValue = 255;
    bool FHidden = false;
    bool FIsMainMenu = false;
    bool FMultiLine = false;
    TdxBarDockingStyles FNotDocking = 0;
    bool FPredefined = false;
    forms::TFollowingFont FFont;
    TdxBarItemLinks FItemLinks;
    std::unique_ptr<TdxBarControl> FControl;
};

// The sides of the four docks, in the order the bars make them.
inline constexpr TdxBarDockingStyle kDockSides[] = {TdxBarDockingStyle::Left, TdxBarDockingStyle::Top,
                                                    TdxBarDockingStyle::Right, TdxBarDockingStyle::Bottom};

// The manager's toolbars, and the four docks along the form's edges.
class TdxBars {
public:
    explicit TdxBars(TdxBarManager& manager);
    ~TdxBars();
    TdxBars(const TdxBars&) = delete;
    TdxBars& operator=(const TdxBars&) = delete;

    TdxBarManager& BarManager() const { return FManager; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TdxBar* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    int IndexOf(const TdxBar* bar) const;
    TdxBar* Add();
    void Delete(int index);
    TdxBar* Find(std::string_view name) const;

    // A toolbar was added, deleted, renamed, shown or hidden.
    TdxBarChangeEvent OnChange;
    void Changed(TdxBar* bar);

    // The dock of a side; null for dsNone.
    TdxDockControl* DockControl(TdxBarDockingStyle style) const;
    // Band in which a dragged bar docks (dragging only).
    int DockingZoneSize() const { return 23; }

    void Read(const forms::Value& value, forms::TReader& reader);
    forms::Value Write() const;

private:
    TdxBarManager& FManager;
    // Declared first: the bars' windows live in the docks and go first.
    std::array<std::unique_ptr<TdxDockControl>, 4> FDocks;
    std::vector<std::unique_ptr<TdxBar>> FItems;
};

}  // namespace bars
