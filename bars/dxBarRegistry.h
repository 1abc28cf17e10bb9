// The process-wide registry of item kinds and the controls that show them,
// and the framework's start-up.
#pragma once

#include <memory>
#include <typeinfo>
#include <vector>

#include "bars/dxBarTypes.h"
#include "forms/Component.h"

namespace bars {

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


// Module start-up: the framework's texts, its item kinds (in the order
// their registry lists them), its classes for stored descriptions and its
// drag cursors (crDXBarDrag...).
void InitializeBars();

}  // namespace bars
