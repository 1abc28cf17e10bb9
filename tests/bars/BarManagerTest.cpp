// The bar manager: its owner, font, categories, item kinds, painter,
// image options and loading.
#include "tests/bars/BarsTestSupport.h"

#include <functional>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarRegistry.h"
#include "forms/Exceptions.h"
#include "forms/FormWriter.h"
#include "forms/ResStrings.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

std::string FontOf(const TFont& f) { return f.Name() + " " + std::to_string(f.Height()); }

TEST(BarManagerFont, StoredFontGivesWayToTheMenuFontUntilAFontIsSet) {
    MenuFont menu(13);
    LOGFONTA lf = FontWithTextHeight(13);
    auto form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();
    // The stream set "Segoe UI" -12 first, then UseSystemFont.
    EXPECT_TRUE(manager.UseSystemFont());
    EXPECT_EQ(FontOf(manager.Font()), std::string(lf.lfFaceName) + " " + std::to_string(lf.lfHeight));
    EXPECT_EQ(FontOf(form->Toolbar()->Font()), FontOf(manager.Font()));

    manager.Font().SetName("Arial");
    EXPECT_FALSE(manager.UseSystemFont());
    EXPECT_EQ(form->Toolbar()->Font().Name(), "Arial");

    // Scaled: a new menu font brings its height but not its face.
    menu.Set(15);
    ::SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(manager.Font().Name(), "Arial");
    EXPECT_EQ(manager.Font().Height(), FontWithTextHeight(15).lfHeight);
    EXPECT_FALSE(manager.UseSystemFont());

    // Back on the system font, a setting change replaces it whole and the
    // dock follows.
    manager.SetUseSystemFont(true);
    menu.Set(13);
    ::SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(manager.Font().Name(), lf.lfFaceName);
    EXPECT_EQ(form->TopDock()->Height(), 39 + 13);
    // Other setting changes leave the font alone.
    menu.Set(15);
    ::SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(form->TopDock()->Height(), 39 + 13);
}

TEST(BarManagerFont, BarCaptionAndEditFontsAreNeverBelowElevenPixels) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();
    manager.Font().SetHeight(-8);
    EXPECT_EQ(manager.BarCaptionFont().Name(), manager.Font().Name());
    EXPECT_EQ(manager.BarCaptionFont().Height(), -11);
    EXPECT_LE(manager.EditFont().Height(), -11);
}

TEST(BarManagerOwner, OneManagerPerWindowedControl) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    const int managers = TdxBarManagerList::Instance().Count();
    const std::size_t components = form->Components().size();
    auto raises = [](const std::function<void()>& make, const std::string& text) {
        try {
            make();
            ADD_FAILURE() << "no error: " << text;
        } catch (const EdxException& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
    };
    raises([&] { new TdxBarManager(form.get()); }, "A control should contain only a single TdxBarManager");
    raises([&] { new TdxBarManager(form->Get<TActionList>("ActionList")); },
           "TdxBarManager should have TWinControl as its Owner");
    EXPECT_EQ(TdxBarManagerList::Instance().Count(), managers);
    EXPECT_EQ(form->Components().size(), components);  // nothing half-made stays behind

    // Read from a description, the second one fails the whole load.
    ObjectNode twice = MainLikeForm();
    twice.children.push_back(Node("TdxBarManager", "Second", {}));
    HandleCount before = LiveHandles();
    try {
        LoadForm(twice);
        ADD_FAILURE() << "no error for a second manager";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("A control should contain only a single TdxBarManager"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

TEST(BarManagerOwner, AManagerFreedOnItsOwnLeavesTheFormSound) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    TdxBarLargeButton* button = form->Button(0);
    delete form->Manager();
    EXPECT_EQ(form->Manager(), nullptr);
    EXPECT_EQ(button->BarManager(), nullptr);
    EXPECT_TRUE(button->Links().empty());
    // The docks are gone: the panel has the whole client area.
    EXPECT_EQ(form->Get<TPanel>("pnlTime")->BoundsRect(), Rect(0, 0, 375, 157));
    ::SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    // A new manager takes the form's items in.
    auto* again = new TdxBarManager(form.get());
    EXPECT_EQ(button->BarManager(), again);
    EXPECT_EQ(again->Items().size(), 5u);
}

TEST(BarManagerCategories, NeverEmptyAndItemsFollowTheirCategory) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    TdxBarManagerCategories& categories = form->Manager()->Categories();
    auto category = [&](int i) { return form->Button(i)->Category(); };
    categories.Insert(0, "First");
    EXPECT_EQ(category(0), 1);
    categories.Add("Last");
    categories.Move(1, 2);  // "Default" to the end
    EXPECT_EQ(categories[2], "Default");
    EXPECT_EQ(category(0), 2);
    categories.Exchange(0, 2);
    EXPECT_EQ(category(0), 0);
    categories.Delete(2);
    categories.Delete(1);
    ASSERT_EQ(categories.Count(), 1);
    EXPECT_EQ(category(4), 0);

    // Deleting the only category frees its items and leaves "Default".
    categories.Delete(0);
    ASSERT_EQ(categories.Count(), 1);
    EXPECT_EQ(categories[0], "Default");
    EXPECT_EQ(form->Button(0), nullptr);
    EXPECT_TRUE(form->Manager()->Items().empty());
    EXPECT_EQ(form->Toolbar()->ItemLinks().Count(), 0);
    EXPECT_EQ(form->ToolbarWindow()->ControlCount(), 0);
}

// An item kind of its own, and one that cannot show.
class TPlainButton : public TdxBarButton {
public:
    using TdxBarButton::TdxBarButton;
};
class TNoLevelsControl : public TdxBarButtonControl {
public:
    using TdxBarButtonControl::TdxBarButtonControl;
    const char* ClassName() const override { return "TNoLevelsControl"; }
    TdxBarItemViewLevels PossibleViewLevels() const override { return 0; }
};
class TNoLevelsItem : public TdxBarButton {
public:
    using TdxBarButton::TdxBarButton;
};

TEST(BarItemKinds, RegisteredInOrderAndFoundByExactClass) {
    TdxBarItemList& kinds = dxBarRegisteredItems();
    const char* expected[] = {"TdxBarButton",
                              "TdxBarLargeButton",
                              "TdxBarEdit",
                              "TCustomdxBarCombo",
                              "TdxBarCombo",
                              "TdxBarSubItem",
                              "TdxBarListItem",
                              "TdxBarContainerItem",
                              "TdxBarExtraPaneListItem",
                              "TdxBarLabel",
                              "TdxBarSeparator",
                              "TdxBarApplicationMenuButtonItem",
                              "TdxBarQuickCustExtButton",
                              "TdxBarQuickCustItem",
                              "TdxBarQuickAccessItem",
                              "TSystemMenuSubItem"};
    ASSERT_GE(kinds.Count(), 16);
    for (int i = 0; i < 16; ++i) EXPECT_STREQ(kinds.Items(i).itemClassName, expected[i]);
    EXPECT_EQ(kinds.OfferedCount(), 9);
    EXPECT_STREQ(kinds.Offered(8).itemClassName, "TdxBarSeparator");
    EXPECT_NE(FindClass("TdxBarLargeButton"), nullptr);

    // A descendant that is not registered itself gets no control and does
    // not take room on the bar.
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    auto* plain = new TPlainButton(form.get());
    EXPECT_EQ(plain->ControlKindOf(), nullptr);
    form->Toolbar()->ItemLinks().Insert(0, plain);
    EXPECT_EQ(form->ToolbarWindow()->ControlCount(), 5);
    EXPECT_EQ(form->Toolbar()->ItemLinks().Items(1)->ItemRect().left, 0);
}

TEST(BarItemKinds, AControlWithoutViewLevelsIsAnError) {
    dxBarRegisterItem<TNoLevelsItem, TNoLevelsControl>("TNoLevelsItem", "TNoLevelsControl", false);
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    auto* item = new TNoLevelsItem(form.get());
    TdxBarItemLinks& links = form->Toolbar()->ItemLinks();
    TdxBarControl& bar = *form->ToolbarWindow();
    std::vector<RECT> rects;
    for (int i = 0; i < 5; ++i) rects.push_back(links.Items(i)->ItemRect());
    // The bar is left as it was: the five links of the five buttons, each
    // shown by a control of its kind in its place.
    auto expectUnchanged = [&] {
        ASSERT_EQ(links.Count(), 5);
        ASSERT_EQ(bar.ControlCount(), 5);
        EXPECT_TRUE(item->Links().empty());
        for (int i = 0; i < 5; ++i) {
            TdxBarItemLink& link = *links.Items(i);
            EXPECT_EQ(link.Item(), form->Button(i)) << i;
            EXPECT_EQ(&bar.Controls(i).ItemLink(), &link) << i;
            EXPECT_STREQ(bar.Controls(i).ClassName(), "TdxBarLargeButtonControl") << i;
            EXPECT_EQ(link.ItemRect(), rects[i]) << i;
        }
    };
    std::function<void()> failing[] = {[&] { links.Add(item); }, [&] { links.Insert(0, item); },
                                       [&] { links.Items(2)->SetItem(item); }};
    for (const auto& change : failing) {
        try {
            change();
            ADD_FAILURE() << "no error";
        } catch (const EdxException& e) {
            EXPECT_STREQ(e.what(), "TNoLevelsControl.GetPossibleViewLevels = []");
        }
        expectUnchanged();
    }
    // Later layouts do not raise it again.
    form->SetClientSize(376, 157);
    expectUnchanged();
    delete item;
    expectUnchanged();
    dxBarRegisteredItems().Unregister(dxBarRegisteredItems().Count() - 1);
}

TEST(BarManagerPainter, StyleChoosesThePainter) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();
    EXPECT_STREQ(manager.Painter().ClassName(), "TdxBarOffice11Painter");
    struct Case {
        TdxBarManagerStyle style;
        const char* painter;
    } cases[] = {
        {TdxBarManagerStyle::Standard, "TdxBarStandardPainter"},
        {TdxBarManagerStyle::Enhanced, "TdxBarEnhancedPainter"},
        {TdxBarManagerStyle::Flat, "TdxBarFlatPainter"},
        {TdxBarManagerStyle::Office11, "TdxBarOffice11Painter"},
    };
    for (const Case& c : cases) {
        manager.SetStyle(c.style);
        EXPECT_STREQ(manager.Painter().ClassName(), c.painter);
    }
    manager.SetStyle(TdxBarManagerStyle::XP);
    EXPECT_TRUE(std::string(manager.Painter().ClassName()) == "TdxBarXPPainter" ||
                std::string(manager.Painter().ClassName()) == "TdxBarEnhancedPainter");

    // The Office 2003 painter fades disabled pictures whatever the option says.
    TdxBarGlyphOptions options;
    options.makeDisabledFaded = false;
    EXPECT_FALSE(TdxBarFlatPainter().DrawsDisabledGlyphsFaded(options));
    EXPECT_TRUE(TdxBarOffice11Painter().DrawsDisabledGlyphsFaded(options));
}

TEST(BarManagerImages, ImageListsAreWatched) {
    MenuFont menu(13);
    auto form = LoadForm(MainLikeForm(), false);
    TdxBarImageOptions& options = form->Manager()->ImageOptions();
    auto* images = form->Get<controls::TcxImageList>("ImageList");
    ASSERT_EQ(options.LargeImages(), images);
    // An empty list gives no picture: the 20x20 stand-in sets the height.
    EXPECT_EQ(form->TopDock()->Height(), 20 + 13 + 7);
    FillPictures(*images);
    EXPECT_EQ(form->TopDock()->Height(), 32 + 13 + 7);

    // The glyph flags repaint the bars.
    form->Show();
    HWND bar = form->ToolbarWindow()->Handle();
    for (auto change : {+[](TdxBarImageOptions& o) { o.SetMakeDisabledImagesFaded(false); },
                        +[](TdxBarImageOptions& o) { o.SetUseLargeImagesForLargeIcons(false); }}) {
        ::ValidateRect(bar, nullptr);
        change(options);
        RECT dirty{};
        EXPECT_TRUE(::GetUpdateRect(bar, &dirty, FALSE));
    }

    // A list that goes away is dropped, and the buttons measure without it.
    delete images;
    EXPECT_EQ(options.LargeImages(), nullptr);
    EXPECT_EQ(form->TopDock()->Height(), 20 + 13 + 7);
}

// A root that records the dock sizes before the manager finishes loading.
class TRecordingForm : public TBarForm {
public:
    std::array<int, 4> HeightsWhileLoading{};

protected:
    void Loaded() override {
        HeightsWhileLoading = Manager()->DockControlHeights();
        TBarForm::Loaded();
    }
};

TEST(BarManagerStreaming, DockControlHeightsAreReadFirstAndWrittenAsTheyAre) {
    MenuFont menu(13);
    TRecordingForm form;
    FormShape shape;
    shape.manager.push_back({"DockControlHeights", Ints({3, 4, 54, 5})});
    form.Load(MainLikeForm(shape));
    EXPECT_EQ(form.HeightsWhileLoading, (std::array<int, 4>{3, 4, 54, 5}));
    // Laid out, the docks have their own sizes: the side docks hold nothing.
    EXPECT_EQ(form.Manager()->DockControlHeights(), (std::array<int, 4>{0, 0, 20 + 13 + 7, 0}));

    std::vector<Property> written = forms::WriteProperties(*form.Manager());
    auto find = [&](const std::string& name) -> const Value* {
        for (const Property& p : written)
            if (p.name == name) return &p.value;
        return nullptr;
    };
    ASSERT_NE(find("DockControlHeights"), nullptr);
    EXPECT_EQ(*find("DockControlHeights"), Ints({0, 0, 40, 0}));
    // The font comes before the flag that replaces it.
    auto at = [&](const std::string& name) {
        return std::find_if(written.begin(), written.end(), [&](const Property& p) { return p.name == name; }) -
               written.begin();
    };
    EXPECT_LT(at("Font.Name"), at("UseSystemFont"));
}

TEST(BarManagerStreaming, WrittenManagerReadsBackToTheSameToolbar) {
    MenuFont menu(13);
    auto first = LoadForm(MainLikeForm());
    first->Toolbar()->ItemLinks().Items(2)->SetBeginGroup(true);
    first->Toolbar()->ItemLinks().Move(4, 0);
    ObjectNode copy = MainLikeForm();
    for (ObjectNode& child : copy.children)
        if (child.name == "BarManager") child.properties = forms::WriteProperties(*first->Manager());
    auto second = LoadForm(copy);
    TdxBarItemLinks& links = second->Toolbar()->ItemLinks();
    ASSERT_EQ(links.Count(), 5);
    const char* order[] = {"btn4", "btn0", "btn1", "btn2", "btn3"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(links.Items(i)->Item()->Name(), order[i]);
    EXPECT_TRUE(links.Items(3)->BeginGroup());
    EXPECT_EQ(second->Manager()->Style(), TdxBarManagerStyle::Office11);
    EXPECT_TRUE(second->Manager()->ImageOptions().MakeDisabledImagesFaded());
    EXPECT_EQ(second->Manager()->ImageOptions().LargeImages(), second->Get<controls::TcxImageList>("ImageList"));
    EXPECT_TRUE(second->Toolbar()->WholeRow());
    EXPECT_EQ(second->Toolbar()->Caption(), "Main");
}

TEST(BarManagerStreaming, LoadingPlacesVisibleBarsOnly) {
    MenuFont menu(13);
    FormShape hidden;
    hidden.bar.push_back({"Visible", Value::Bool(false)});
    auto form = LoadForm(MainLikeForm(hidden));
    EXPECT_EQ(form->ToolbarWindow(), nullptr);
    EXPECT_EQ(form->TopDock()->Height(), 0);
    // Links are bound all the same.
    EXPECT_EQ(form->Toolbar()->ItemLinks().Items(0)->Item(), form->Button(0));
    EXPECT_TRUE(form->Toolbar()->Predefined());

    // A far-off stored row makes no more rows than there are bars.
    FormShape distant;
    distant.bar.push_back({"Row", Value::Int(1'000'000)});
    auto placed = LoadForm(MainLikeForm(distant));
    EXPECT_EQ(placed->TopDock()->RowCount(), 1);
    EXPECT_EQ(placed->ToolbarWindow()->BoundsRect(), Rect(0, 0, 375, 39 + 13));

    FormShape wrong;
    wrong.bar.push_back({"ItemLinks", Value::CollectionOf({{{"ItemName", Value::Str("btnNone")}}})});
    try {
        LoadForm(MainLikeForm(wrong));
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("btnNone"), std::string::npos) << e.what();
    }
}

}  // namespace
