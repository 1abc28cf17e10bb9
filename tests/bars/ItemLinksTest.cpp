// Items, the links that place them on a shown toolbar and the controls that
// show those links: what goes when an item goes or a link changes its item.
#include "tests/bars/BarsTestSupport.h"

#include <functional>

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
    struct Case {
        const char* kind;
        std::function<TdxBarItem*()> make;
    } cases[] = {
        {"TdxBarButton", [&] { return new TdxBarButton(form.get()); }},
        {"TdxBarLargeButton", [&] { return new TdxBarLargeButton(form.get()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TdxBarItem* item = c.make();
        item->SetCaption("Extra");
        Links().Insert(0, item);
        Links().Add(item);
        ASSERT_EQ(form->ToolbarWindow()->ControlCount(), 7);
        // Its handler sees the item whole and changes the look, which makes
        // every control of the bar measure itself again.
        std::string seen;
        item->OnDestroy = TNotifyEvent(form.get(), "ExtraDestroy", [&](TComponent* sender) {
            seen = sender->ClassName();
            TdxBarManager& manager = *form->Manager();
            manager.SetStyle(manager.Style() == TdxBarManagerStyle::Flat ? TdxBarManagerStyle::Office11
                                                                          : TdxBarManagerStyle::Flat);
        });
        delete item;
        EXPECT_EQ(seen, c.kind);
        ASSERT_EQ(Links().Count(), 5);
        EXPECT_EQ(form->ToolbarWindow()->ControlCount(), 5);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(Links().Items(i)->ItemRect(), Rect(75 * i, 0, 75 * i + 75, H)) << i;
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
