// The command bar framework's vocabulary: its settings as enumerations with
// the names stored descriptions use, and the classes that refer to each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/Exceptions.h"
#include "forms/Properties.h"

namespace bars {

using controls::EdxException;

class TdxBar;
class TdxBarButton;
class TdxBarControl;
class TdxBarDragInfo;
class TdxBarItem;
class TdxBarItemControl;
class TdxBarItemLink;
class TdxBarItemLinks;
class TdxBarLargeButton;
class TdxBarManager;
class TdxBarPainter;
class TdxBars;
class TdxDockControl;

// Makes the control that shows one link of an item kind on a bar window.
using TdxBarItemControlFactory = std::unique_ptr<TdxBarItemControl> (*)(TdxBarControl& bar, TdxBarItemLink& link);

enum class TdxBarManagerStyle { Standard, Enhanced, Flat, XP, Office11, UseLookAndFeel };
inline constexpr std::pair<const char*, TdxBarManagerStyle> kManagerStyleNames[] = {
    {"bmsStandard", TdxBarManagerStyle::Standard}, {"bmsEnhanced", TdxBarManagerStyle::Enhanced},
    {"bmsFlat", TdxBarManagerStyle::Flat},         {"bmsXP", TdxBarManagerStyle::XP},
    {"bmsOffice11", TdxBarManagerStyle::Office11}, {"bmsUseLookAndFeel", TdxBarManagerStyle::UseLookAndFeel},
};

enum class TdxBarDockingStyle { None, Left, Top, Right, Bottom };
inline constexpr std::pair<const char*, TdxBarDockingStyle> kDockingStyleNames[] = {
    {"dsNone", TdxBarDockingStyle::None}, {"dsLeft", TdxBarDockingStyle::Left},
    {"dsTop", TdxBarDockingStyle::Top},   {"dsRight", TdxBarDockingStyle::Right},
    {"dsBottom", TdxBarDockingStyle::Bottom},
};
inline bool IsVertical(TdxBarDockingStyle style) {
    return style == TdxBarDockingStyle::Left || style == TdxBarDockingStyle::Right;
}

enum class TdxBarBorderStyle { None, Single };
inline constexpr std::pair<const char*, TdxBarBorderStyle> kBorderStyleNames[] = {
    {"bbsNone", TdxBarBorderStyle::None}, {"bbsSingle", TdxBarBorderStyle::Single}};

enum class TdxBarItemAlign { Left, Center, Right, Client };
inline constexpr std::pair<const char*, TdxBarItemAlign> kItemAlignNames[] = {
    {"iaLeft", TdxBarItemAlign::Left}, {"iaCenter", TdxBarItemAlign::Center},
    {"iaRight", TdxBarItemAlign::Right}, {"iaClient", TdxBarItemAlign::Client}};

enum class TdxBarItemVisible { Never, InCustomizing, Always };
inline constexpr std::pair<const char*, TdxBarItemVisible> kItemVisibleNames[] = {
    {"ivNever", TdxBarItemVisible::Never}, {"ivInCustomizing", TdxBarItemVisible::InCustomizing},
    {"ivAlways", TdxBarItemVisible::Always}};

// A change of a list the customization dialog shows (the toolbars, the
// items): of one object, whose row is redrawn, or with null of the whole
// list, which is filled again.
using TdxBarChangeEvent = std::function<void(forms::TPersistent* object)>;

enum class TdxBarMenuAnimations { None, Random, Unfold, Slide, Fade };
inline constexpr std::pair<const char*, TdxBarMenuAnimations> kMenuAnimationsNames[] = {
    {"maNone", TdxBarMenuAnimations::None}, {"maRandom", TdxBarMenuAnimations::Random},
    {"maUnfold", TdxBarMenuAnimations::Unfold}, {"maSlide", TdxBarMenuAnimations::Slide},
    {"maFade", TdxBarMenuAnimations::Fade}};

enum class TdxBarButtonStyle { Default, Checked, DropDown, CheckedDropDown };
inline constexpr std::pair<const char*, TdxBarButtonStyle> kButtonStyleNames[] = {
    {"bsDefault", TdxBarButtonStyle::Default}, {"bsChecked", TdxBarButtonStyle::Checked},
    {"bsDropDown", TdxBarButtonStyle::DropDown}, {"bsCheckedDropDown", TdxBarButtonStyle::CheckedDropDown}};

enum class TdxBarPaintStyle { Standard, Caption, CaptionInMenu, CaptionGlyph };
inline constexpr std::pair<const char*, TdxBarPaintStyle> kPaintStyleNames[] = {
    {"psStandard", TdxBarPaintStyle::Standard}, {"psCaption", TdxBarPaintStyle::Caption},
    {"psCaptionInMenu", TdxBarPaintStyle::CaptionInMenu}, {"psCaptionGlyph", TdxBarPaintStyle::CaptionGlyph}};

enum class TdxBarGlyphLayout { Left, Right, Top, Bottom };
inline constexpr std::pair<const char*, TdxBarGlyphLayout> kGlyphLayoutNames[] = {
    {"glLeft", TdxBarGlyphLayout::Left}, {"glRight", TdxBarGlyphLayout::Right},
    {"glTop", TdxBarGlyphLayout::Top}, {"glBottom", TdxBarGlyphLayout::Bottom}};

enum class TdxBarMergeKind { Add, MergeByCaption, None };
inline constexpr std::pair<const char*, TdxBarMergeKind> kMergeKindNames[] = {
    {"mkAdd", TdxBarMergeKind::Add}, {"mkMergeByCaption", TdxBarMergeKind::MergeByCaption},
    {"mkNone", TdxBarMergeKind::None}};

enum class TdxBarButtonGroup { None, Start, Member };
inline constexpr std::pair<const char*, TdxBarButtonGroup> kButtonGroupNames[] = {
    {"bgpNone", TdxBarButtonGroup::None}, {"bgpStart", TdxBarButtonGroup::Start},
    {"bgpMember", TdxBarButtonGroup::Member}};

// Sets are bit masks; a stored set lists the names of its members.
using TdxBarUserDefines = unsigned;
inline constexpr TdxBarUserDefines udCaption = 1, udGlyph = 2, udPaintStyle = 4, udWidth = 8;
inline constexpr std::pair<const char*, unsigned> kUserDefineNames[] = {
    {"udCaption", udCaption}, {"udGlyph", udGlyph}, {"udPaintStyle", udPaintStyle}, {"udWidth", udWidth}};

// What the item menu of customizing may do to a link of an item.
using TdxBarCustomizingActions = unsigned;
inline constexpr TdxBarCustomizingActions caReset = 1, caDelete = 2, caName = 4, caPaintStyle = 8,
                                          caBeginGroup = 16;

using TdxBarItemViewLevels = unsigned;
inline constexpr TdxBarItemViewLevels ivlLargeIconWithText = 1, ivlSmallIconWithText = 2, ivlSmallIcon = 4,
                                      ivlControlOnly = 8, ivlAll = 15;
inline constexpr std::pair<const char*, unsigned> kViewLevelNames[] = {
    {"ivlLargeIconWithText", ivlLargeIconWithText}, {"ivlSmallIconWithText", ivlSmallIconWithText},
    {"ivlSmallIcon", ivlSmallIcon}, {"ivlControlOnly", ivlControlOnly}};

using TdxBarDockingStyles = unsigned;  // bit (1 << style) per docking style
inline constexpr std::pair<const char*, unsigned> kDockingStyleSetNames[] = {
    {"dsNone", 1u << 0}, {"dsLeft", 1u << 1}, {"dsTop", 1u << 2}, {"dsRight", 1u << 3}, {"dsBottom", 1u << 4}};
inline unsigned DockingStyleBit(TdxBarDockingStyle style) { return 1u << static_cast<int>(style); }

// The screen cursors of a button being dragged (forms::Screen().Cursor),
// registered at start-up from the resources of bars/dxBar.rc.
inline constexpr int crDXBarDrag = 1041;        // moved, or over its own place
inline constexpr int crDXBarDragCopy = 1042;    // copied
inline constexpr int crDXBarDragNoDrop = 1043;  // nothing can be dropped here

}  // namespace bars
