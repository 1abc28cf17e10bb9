// Items, the links that place them on a shown toolbar and the controls that
// show those links: what goes when an item goes or a link changes its item.
#include "tests/bars/BarsTestSupport.h"

#include <functional>

#include "bars/dxBarItemLinks.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

class ItemLinks : public ::testing::Test {
protected:
    static constexpr int H = 39 + 13;
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());

    TdxBarItemLinks& Links() const { return form->Toolbar()->ItemLinks(); }
};

TEST_F(ItemLinks, AnItemGoesWithItsLinksWhileItIsStillWhole) {
    struct Kind {
        const char* name;
        std::function<TdxBarItem*()> make;
    } kinds[] = {
        {"TdxBarButton", [&] { return new TdxBarButton(form.get()); }},
        {"TdxBarLargeButton", [&] { return new TdxBarLargeButton(form.get()); }},
    };
    // On its way out the item is measured again: its handler changes the
    // look, which makes every control of the bar measure itself again, or
    // one of its controls was already due to be measured.
    for (const Kind& k : kinds)
        for (bool handler : {true, false}) {
            SCOPED_TRACE(std::string(k.name) + (handler ? " with a handler" : " due to be measured"));
            TdxBarItem* item = k.make();
            item->SetCaption("Extra");
            Links().Insert(0, item);
            Links().Add(item);
            ASSERT_EQ(form->ToolbarWindow()->ControlCount(), 7);
            std::string seen;
            if (handler) {
                item->OnDestroy = TNotifyEvent(form.get(), "ExtraDestroy", [&](TComponent* sender) {
                    seen = sender->ClassName();
                    TdxBarManager& manager = *form->Manager();
                    manager.SetStyle(manager.Style() == TdxBarManagerStyle::Flat ? TdxBarManagerStyle::Office11
                                                                                  : TdxBarManagerStyle::Flat);
                });
            } else {
                item->Links().front()->Control()->Remeasure();
            }
            delete item;
            EXPECT_EQ(seen, handler ? k.name : "");
            ASSERT_EQ(Links().Count(), 5);
            EXPECT_EQ(form->ToolbarWindow()->ControlCount(), 5);
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(Links().Items(i)->ItemRect(), Rect(75 * i, 0, 75 * i + 75, H)) << i;
        }
}

TEST_F(ItemLinks, ALinkGivenAnotherItemIsShownByThatItemsKindOfControl) {
    TdxBarItemLink& link = *Links().Items(4);
    auto* small = new TdxBarButton(form.get());
    small->SetCaption("Small");
    link.SetItem(small);
    ASSERT_NE(link.Control(), nullptr);
    EXPECT_STREQ(link.Control()->ClassName(), "TdxBarButtonControl");
    EXPECT_EQ(form->Button(4)->Links().size(), 0u);
    link.SetItem(form->Button(4));
    ASSERT_NE(link.Control(), nullptr);
    EXPECT_STREQ(link.Control()->ClassName(), "TdxBarLargeButtonControl");
    EXPECT_EQ(link.ItemRect(), Rect(300, 0, 375, H));
    EXPECT_TRUE(small->Links().empty());
}

}  // namespace
