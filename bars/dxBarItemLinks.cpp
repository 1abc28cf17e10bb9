#include "bars/dxBarItemLinks.h"

#include <algorithm>

#include "bars/dxBarControl.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarToolbar.h"
#include "forms/Exceptions.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

// ---- TdxBarItemLink

TdxBarItemLink::TdxBarItemLink(TdxBarItemLinks& collection) : FCollection(collection) {}

TdxBarItemLink::~TdxBarItemLink() {
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

void TdxBarItemLink::SetBeginGroup(bool begin) {
    if (begin == FBeginGroup) return;
    FBeginGroup = begin;
    FCollection.Changed();
}

void TdxBarItemLink::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    FCollection.Changed();
}

bool TdxBarItemLink::Shown() const { return FVisible && FItem && FItem->IsShown(); }

void TdxBarItemLink::SetItemRect(const RECT& rect) { FItemRect = rect; }

bool TdxBarItemLink::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    if (name == "ItemName" || name == "Item") {
        FItemName = value.kind == Value::Kind::String ? value.text : prop::Ident(value);
        reader.AddReference(FItemName, [this](TComponent* c) {
            auto* item = dynamic_cast<TdxBarItem*>(c);
            if (!item) prop::InvalidValue();
            FLoadedItem = item;
        });
    } else if (name == "Visible") {
        FVisible = prop::Bool(value);
    } else if (name == "BeginGroup") {
        FBeginGroup = prop::Bool(value);
    } else if (name == "ButtonGroup") {
        FButtonGroup = prop::Enum(value, kButtonGroupNames);
    } else if (name == "Distributed") {
        FDistributed = prop::Bool(value);
    } else if (name == "MostRecentlyUsed") {
        FMostRecentlyUsed = prop::Bool(value);
    } else if (name == "Position") {
        FPosition = prop::Int(value);
    } else if (name == "UserCaption") {
        FUserCaption = prop::String(value);
    } else if (name == "UserDefine") {
        FUserDefine = ReadSet(value, kUserDefineNames);
    } else if (name == "UserPaintStyle") {
        FUserPaintStyle = prop::Enum(value, kPaintStyleNames);
    } else if (name == "UserWidth") {
        FUserWidth = prop::Int(value);
    } else if (name == "ViewLevels") {
        FViewLevels = ReadSet(value, kViewLevelNames);
    } else {
        return false;
    }
    return true;
}

void TdxBarItemLink::WriteProperties(TWriter& writer) const {
    writer.Write("Visible", Value::Bool(FVisible));
    if (FItem) writer.Write("ItemName", Value::Str(FItem->Name()));
    if (FBeginGroup) writer.Write("BeginGroup", Value::Bool(true));
    if (FButtonGroup != TdxBarButtonGroup::None) writer.Write("ButtonGroup", EnumValue(FButtonGroup, kButtonGroupNames));
    if (!FDistributed) writer.Write("Distributed", Value::Bool(false));
    if (!FMostRecentlyUsed) writer.Write("MostRecentlyUsed", Value::Bool(false));
    if (FPosition != 0) writer.Write("Position", Value::Int(FPosition));
    if (!FUserCaption.empty()) writer.Write("UserCaption", Value::Str(FUserCaption));
    if (FUserDefine) writer.Write("UserDefine", SetValue(FUserDefine, kUserDefineNames));
    if (FUserPaintStyle != TdxBarPaintStyle::Standard)
        writer.Write("UserPaintStyle", EnumValue(FUserPaintStyle, kPaintStyleNames));
    if (FUserWidth != 0) writer.Write("UserWidth", Value::Int(FUserWidth));
    if (FViewLevels != ivlAll) writer.Write("ViewLevels", SetValue(FViewLevels, kViewLevelNames));
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
        for (const Property& p : properties)
            if (!link->ReadProperty(p.name, p.value, reader))
                throw EReadError(Format(ResString("SUnknownProperty"), {p.name}));
        FItems.push_back(std::move(link));
    }
    Changed();
}

Value TdxBarItemLinks::Write() const {
    std::vector<std::vector<Property>> items;
    for (const auto& link : FItems) items.push_back(forms::WriteProperties(*link));
    return Value::CollectionOf(std::move(items));
}

}  // namespace bars
