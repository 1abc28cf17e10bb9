// The links that place items on a bar (or in an item's own menu).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bars/dxBarTypes.h"
#include "forms/ActnList.h"
#include "forms/Component.h"
#include "forms/FormReader.h"
#include "forms/FormWriter.h"

namespace bars {

// What a link was at one moment, with its item by name; kept in memory
// only. User caption, paint style and width are held only when the link's
// UserDefine holds them; a user glyph is never kept.
struct TdxBarLinkLayout {
    std::string itemName;
    bool beginGroup = false;
    TdxBarUserDefines userDefine = 0;
    std::string userCaption;
    TdxBarPaintStyle userPaintStyle = TdxBarPaintStyle::Standard;
    int userWidth = 0;
    TdxBarButtonGroup buttonGroup = TdxBarButtonGroup::None;
    int position = 0;
    TdxBarItemViewLevels viewLevels = ivlAll;
    bool visible = true;
    bool mostRecentlyUsed = true;
    int useCount = 0;
    int recentIndex = -1;
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
    void SetMostRecentlyUsed(bool recent) { FMostRecentlyUsed = recent; }
    int Position() const { return FPosition; }
    const std::string& UserCaption() const { return FUserCaption; }
    // Also puts the caption in force (udCaption).
    void SetUserCaption(const std::string& caption);
    // Which of the link's own values are in force.
    TdxBarUserDefines UserDefine() const { return FUserDefine; }
    void SetUserDefine(TdxBarUserDefines define);
    TdxBarPaintStyle UserPaintStyle() const { return FUserPaintStyle; }
    // Also puts the paint style in force (udPaintStyle).
    void SetUserPaintStyle(TdxBarPaintStyle style);
    // The caption the link shows: its own while udCaption is in force,
    // else its item's (empty without an item).
    std::string Caption() const;
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

    TdxBarLinkLayout SaveLayout() const;
    // Takes back what SaveLayout gave; the item is the caller's to set.
    void RestoreLayout(const TdxBarLinkLayout& layout);

    // Placement on the bar window (set by its layout) and the control that
    // shows the link there; none while the bar has no window.
    const RECT& ItemRect() const { return FItemRect; }
    void SetItemRect(const RECT& rect);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int height) { FRowHeight = height; }
    TdxBarItemControl* Control() const { return FControl; }

    const forms::PropertyTable& StoredProperties() const override;

private:
    friend class TdxBarControl;
    friend class TdxBarManager;
    // Attaches the item the stream named, once every component exists.
    void ResolveLoadedItem();
    // A user value changed: the control is measured and drawn again.
    void UserValuesChanged();

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

}  // namespace bars
