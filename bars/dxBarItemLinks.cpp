#include "bars/dxBarItemLinks.h"

#include <algorithm>

#include "bars/dxBarControl.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarToolbar.h"

using namespace forms;

namespace bars {

// ---- TdxBarItemLink

TdxBarItemLink::TdxBarItemLink(TdxBarItemLinks& collection) : FCollection(collection) {}

TdxBarItemLink::~TdxBarItemLink() {
    // A toolbar's links die before their manager; an item's menu may not.
    if (FCollection.Bar()) FCollection.Bar()->BarManager().ObjectDestroying(this);
    if (FControl) FControl->Parent().RemoveLinkControl(*this);
    if (FItem) {
        auto& links = FItem->FLinks;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
        if (FItem->FClickItemLink == this) FItem->FClickItemLink = nullptr;
    }
}

int TdxBarItemLink::Index() const { return FCollection.IndexOf(this); }

void TdxBarItemLink::SetItem(TdxBarItem* item) {
    if (item == FItem) return;
    // The control was made for the old item; the layout makes one for the new.
    if (FControl) FControl->Parent().RemoveLinkControl(*this);
    TdxBarItem* previous = FItem;
    FItem = item;
    try {
        FCollection.Changed();
    } catch (...) {
        // The bar cannot show the new item: the link keeps the old one.
        FItem = previous;
        FCollection.Changed();
        throw;
    }
    // The items' lists change only once the bar has taken the new item.
    if (previous) {
        auto& links = previous->FLinks;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
        if (previous->FClickItemLink == this) previous->FClickItemLink = nullptr;
    }
    if (FItem) FItem->FLinks.push_back(this);
}

void TdxBarItemLink::ResolveLoadedItem() {
    if (!FLoadedItem) return;
    TdxBarItem* item = FLoadedItem;
    FLoadedItem = nullptr;
    SetItem(item);
}

TdxBarLinkLayout TdxBarItemLink::SaveLayout() const {
    TdxBarLinkLayout layout;
    layout.itemName = FItem ? FItem->Name() : FItemName;
    layout.beginGroup = FBeginGroup;
    layout.userDefine = FUserDefine;
    if (FUserDefine & udCaption) layout.userCaption = FUserCaption;
    if (FUserDefine & udPaintStyle) layout.userPaintStyle = FUserPaintStyle;
    if (FUserDefine & udWidth) layout.userWidth = FUserWidth;
    layout.buttonGroup = FButtonGroup;
    layout.position = FPosition;
    layout.viewLevels = FViewLevels;
    layout.visible = FVisible;
    layout.mostRecentlyUsed = FMostRecentlyUsed;
    layout.useCount = FUseCount;
    layout.recentIndex = FRecentIndex;
    return layout;
}

void TdxBarItemLink::RestoreLayout(const TdxBarLinkLayout& layout) {
    FBeginGroup = layout.beginGroup;
    FUserDefine = layout.userDefine;
    if (FUserDefine & udCaption) FUserCaption = layout.userCaption;
    if (FUserDefine & udPaintStyle) FUserPaintStyle = layout.userPaintStyle;
    if (FUserDefine & udWidth) FUserWidth = layout.userWidth;
    FButtonGroup = layout.buttonGroup;
    FPosition = layout.position;
    FViewLevels = layout.viewLevels;
    FVisible = layout.visible;
    FMostRecentlyUsed = layout.mostRecentlyUsed;
    FUseCount = layout.useCount;
    FRecentIndex = layout.recentIndex;
    FCollection.Changed();
}

void TdxBarItemLink::SetBeginGroup(bool begin) {
    if (begin == FBeginGroup) return;
    FBeginGroup = begin;
    FCollection.Changed();
}

void TdxBarItemLink::SetUserCaption(const std::string& caption) {
    if (caption == FUserCaption && (FUserDefine & udCaption)) return;
    FUserCaption = caption;
    FUserDefine |= udCaption;
    UserValuesChanged();
}

void TdxBarItemLink::SetUserDefine(TdxBarUserDefines define) {
    if (define == FUserDefine) return;
    FUserDefine = define;
    UserValuesChanged();
}

void TdxBarItemLink::SetUserPaintStyle(TdxBarPaintStyle style) {
    if (style == FUserPaintStyle && (FUserDefine & udPaintStyle)) return;
    FUserPaintStyle = style;
    FUserDefine |= udPaintStyle;
    UserValuesChanged();
}

std::string TdxBarItemLink::Caption() const {
    if (FUserDefine & udCaption) return FUserCaption;
    return FItem ? FItem->Caption() : std::string();
}

void TdxBarItemLink::UserValuesChanged() {
    // The old place is drawn again too, in case the bar keeps its layout.
    if (FControl) {
        FControl->DropGlyphCache();
        FControl->Remeasure();
        FControl->Invalidate();
    }
    FCollection.Changed();
    if (FControl) FControl->Invalidate();
}

void TdxBarItemLink::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    FCollection.Changed();
}

bool TdxBarItemLink::Shown() const { return FVisible && FItem && FItem->IsShown(); }

void TdxBarItemLink::SetItemRect(const RECT& rect) { FItemRect = rect; }

const PropertyTable& TdxBarItemLink::StoredProperties() const {
    using L = TdxBarItemLink;
    using P = Describe<L>;
    // The item is found by name once every component exists.
    auto readItem = [](L& link, const Value& v, TReader& reader) {
        link.FItemName = v.kind == Value::Kind::String ? v.text : prop::Ident(v);
        reader.AddReference(link.FItemName, [&link](TComponent* c) {
            auto* item = dynamic_cast<TdxBarItem*>(c);
            if (!item) prop::InvalidValue();
            link.FLoadedItem = item;
        });
    };
    static const PropertyTable table(TPersistent::StoredProperties(), {
        P::Field("Visible", kBool, &L::FVisible),
        P::Custom("ItemName", readItem,
                  [](const L& link) -> std::optional<Value> {
                      if (!link.FItem) return std::nullopt;
                      return Value::Str(link.FItem->Name());
                  }),
        P::Custom("Item", readItem),  // an older name, only read
        P::Field("BeginGroup", kBool, &L::FBeginGroup, false),
        P::Field("ButtonGroup", EnumKind(kButtonGroupNames), &L::FButtonGroup, TdxBarButtonGroup::None),
        P::Field("Distributed", kBool, &L::FDistributed, true),
        P::Field("MostRecentlyUsed", kBool, &L::FMostRecentlyUsed, true),
        P::Field("Position", kInt, &L::FPosition, 0),
        P::Field("UserCaption", kString, &L::FUserCaption, ""),
        P::Field("UserDefine", SetKind(kUserDefineNames), &L::FUserDefine, 0u),
        P::Field("UserPaintStyle", EnumKind(kPaintStyleNames), &L::FUserPaintStyle, TdxBarPaintStyle::Standard),
        P::Field("UserWidth", kInt, &L::FUserWidth, 0),
        P::Field("ViewLevels", SetKind(kViewLevelNames), &L::FViewLevels, ivlAll),
    });
    return table;
}

// ---- TdxBarItemLinks

TdxBarItemLinks::TdxBarItemLinks(TdxBarManager* manager, TdxBar* bar) : FManager(manager), FBar(bar) {}

TdxBarItemLinks::~TdxBarItemLinks() {
    // Last first, without telling the bar: it goes too.
    while (!FItems.empty()) {
        std::unique_ptr<TdxBarItemLink> link = std::move(FItems.back());
        FItems.pop_back();
    }
}

int TdxBarItemLinks::IndexOf(const TdxBarItemLink* link) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == link) return static_cast<int>(i);
    return -1;
}

TdxBarItemLink* TdxBarItemLinks::Add(TdxBarItem* item) { return Insert(Count(), item); }

TdxBarItemLink* TdxBarItemLinks::Insert(int index, TdxBarItem* item) {
    index = std::clamp(index, 0, Count());
    auto link = std::make_unique<TdxBarItemLink>(*this);
    TdxBarItemLink* result = link.get();
    FItems.insert(FItems.begin() + index, std::move(link));
    try {
        if (item) result->SetItem(item);  // tells the bar
        else Changed();
    } catch (...) {
        // A link the bar cannot show is not added; without its item it takes
        // no room, so the bar needs no new layout.
        FItems.erase(FItems.begin() + IndexOf(result));
        throw;
    }
    return result;
}

void TdxBarItemLinks::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<TdxBarItemLink> link = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    link.reset();
    Changed();
}

void TdxBarItemLinks::Clear() {
    while (!FItems.empty()) {
        std::unique_ptr<TdxBarItemLink> link = std::move(FItems.back());
        FItems.pop_back();
    }
    Changed();
}

void TdxBarItemLinks::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    auto first = FItems.begin();
    if (from < to) std::rotate(first + from, first + from + 1, first + to + 1);
    else std::rotate(first + to, first + from, first + from + 1);
    Changed();
}

bool TdxBarItemLinks::TryShortCut(TShortCut shortCut) {
    std::vector<TdxBarItem*> items;
    for (const auto& link : FItems)
        if (link->Item()) items.push_back(link->Item());
    for (TdxBarItem* item : items)
        if (item->Action()) item->Action()->Update();
    for (TdxBarItem* item : items)
        if (item->TryShortCut(shortCut)) return true;
    return false;
}

void TdxBarItemLinks::Changed() {
    if (FBar) FBar->LinksChanged();
}

void TdxBarItemLinks::Read(const Value& value, TReader& reader) {
    if (value.kind != Value::Kind::Collection) prop::InvalidValue();
    for (const auto& properties : value.items) {
        auto link = std::make_unique<TdxBarItemLink>(*this);
        ReadItemProperties(*link, properties, reader);
        FItems.push_back(std::move(link));
    }
    Changed();
}

Value TdxBarItemLinks::Write() const { return WriteCollection(FItems); }

}  // namespace bars
