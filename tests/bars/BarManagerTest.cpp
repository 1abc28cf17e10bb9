// The bar manager: its owner, font, categories, item kinds, painter,
// image options and loading.
#include "tests/bars/BarsTestSupport.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

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
    twice.children.push_back(Described("TdxBarManager", "Second", {}));
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

// Each given property is written with the value given; the items of a
// collection are compared item by item.
void ExpectWrittenAsGiven(const std::vector<Property>& given, const std::vector<Property>& written) {
    for (const Property& p : given) {
        auto w = std::find_if(written.begin(), written.end(), [&](const Property& q) { return q.name == p.name; });
        if (w == written.end()) {
            ADD_FAILURE() << p.name << " is not written";
        } else if (p.value.kind == Value::Kind::Collection) {
            ASSERT_EQ(w->value.items.size(), p.value.items.size()) << p.name;
            for (std::size_t i = 0; i < p.value.items.size(); ++i)
                ExpectWrittenAsGiven(p.value.items[i], w->value.items[i]);
        } else {
            EXPECT_EQ(w->value, p.value) << p.name;
        }
    }
}

const ObjectNode& Child(const ObjectNode& node, const std::string& name) {
    for (const ObjectNode& child : node.children)
        if (child.name == name) return child;
    throw std::runtime_error("no " + name);
}

// Every stored setting of the manager, its bar and links and both kinds of
// button, away from its default: written as given, and read back it writes
// the same.
TEST(BarManagerStreaming, SettingsAwayFromTheirDefaultsAreWrittenAsGivenAndReadBack) {
    MenuFont menu(13);
    auto list = [](std::vector<Value> values) { return Value::ListOf(std::move(values)); };
    FormShape shape;
    shape.manager = {
        {"Categories.Strings", list({Value::Str("Default"), Value::Str("Files")})},
        {"Categories.ItemsVisibles", Ints({2, 1})},
        {"Categories.Visibles", list({Value::Bool(true), Value::Bool(false)})},
        {"ImageOptions.CacheGlyphs", Value::Bool(false)},
        {"ImageOptions.HotImages", Value::Id("ImageList")},
        {"ImageOptions.ImageListBkColor", Value::Int(0x00FF00)},
        {"ImageOptions.LargeIcons", Value::Bool(true)},
        {"ImageOptions.SmoothGlyphs", Value::Bool(true)},
        {"ImageOptions.StretchGlyphs", Value::Bool(false)},
        {"ImageOptions.UseLeftBottomPixelAsTransparent", Value::Bool(false)},
        {"Scaled", Value::Bool(false)},
        {"ShowHint", Value::Bool(false)},
        {"ShowHintForDisabledItems", Value::Bool(false)},
        {"ShowShortCutInHint", Value::Bool(true)},
        {"UseF10ForMenu", Value::Bool(false)},
        {"CanCustomize", Value::Bool(false)},
        {"AllowCallFromAnotherForm", Value::Bool(true)},
        {"HideFloatingBarsWhenInactive", Value::Bool(false)},
        {"AutoDockColor", Value::Bool(false)},
        {"DockColor", Value::Int(0x123456)},
        {"SunkenBorder", Value::Bool(true)},
        {"AutoAlignBars", Value::Bool(true)},
        {"ButtonArrowWidth", Value::Int(9)},
        {"LargeButtonArrowWidth", Value::Int(10)},
        {"WaitForDockingTime", Value::Int(30)},
        {"MostRecentItemsPercents", Value::Int(50)},
        {"MenusShowRecentItemsFirst", Value::Bool(false)},
        {"ShowFullMenusAfterDelay", Value::Bool(false)},
        {"StoreInIniFile", Value::Bool(true)},
        {"StoreInRegistry", Value::Bool(true)},
        {"NotDocking", Value::SetOf({"dsLeft", "dsRight"})},
    };
    std::vector<std::vector<Property>> links{{
        {"Visible", Value::Bool(true)},
        {"ItemName", Value::Str("btn0")},
        {"BeginGroup", Value::Bool(true)},
        {"ButtonGroup", Value::Id("bgpStart")},
        {"Distributed", Value::Bool(false)},
        {"MostRecentlyUsed", Value::Bool(false)},
        {"Position", Value::Int(3)},
        {"UserCaption", Value::Str("Quit")},
        {"UserDefine", Value::SetOf({"udCaption", "udWidth"})},
        {"UserPaintStyle", Value::Id("psCaption")},
        {"UserWidth", Value::Int(80)},
        {"ViewLevels", Value::SetOf({"ivlLargeIconWithText", "ivlSmallIcon"})},
    }};
    for (int i = 1; i < 5; ++i)
        links.push_back({{"Visible", Value::Bool(false)}, {"ItemName", Value::Str("btn" + std::to_string(i))}});
    shape.bar = {
        {"Name", Value::Str("Toolbar")},
        {"FloatClientWidth", Value::Int(120)},
        {"FloatClientHeight", Value::Int(40)},
        {"ItemLinks", Value::CollectionOf(links)},
        {"NotDocking", Value::SetOf({"dsNone", "dsBottom"})},
        {"AllowClose", Value::Bool(false)},
        {"AllowCustomizing", Value::Bool(false)},
        {"AllowQuickCustomizing", Value::Bool(false)},
        {"AllowReset", Value::Bool(false)},
        {"Color", Value::Int(0x00FF00)},
        {"RotateWhenVertical", Value::Bool(false)},
        {"AlphaBlendValue", Value::Int(200)},
        {"Hidden", Value::Bool(true)},
        {"IsMainMenu", Value::Bool(true)},
        {"MultiLine", Value::Bool(true)},
    };
    const ObjectNode plain = Described("TdxBarButton", "btnPlain",
                                  {{"Align", Value::Id("iaRight")},
                                   {"Caption", Value::Str("Plain")},
                                   {"Category", Value::Int(1)},
                                   {"Description", Value::Str("A plain one")},
                                   {"Enabled", Value::Bool(false)},
                                   {"HelpContext", Value::Int(7)},
                                   {"Hint", Value::Str("Plain|Long")},
                                   {"MergeKind", Value::Id("mkNone")},
                                   {"MergeOrder", Value::Int(2)},
                                   {"Visible", Value::Id("ivInCustomizing")},
                                   {"OnClick", Value::Id("Do1")},
                                   {"OnDestroy", Value::Id("Do2")},
                                   {"AllowAllUp", Value::Bool(true)},
                                   {"ButtonStyle", Value::Id("bsChecked")},
                                   {"CloseSubMenuOnClick", Value::Bool(false)},
                                   {"DropDownEnabled", Value::Bool(false)},
                                   {"GroupIndex", Value::Int(3)},
                                   {"Down", Value::Bool(true)},
                                   {"ImageIndex", Value::Int(2)},
                                   {"LargeImageIndex", Value::Int(3)},
                                   {"Lowered", Value::Bool(true)},
                                   {"PaintStyle", Value::Id("psCaptionGlyph")},
                                   {"ShortCut", Value::Int(0x4050)},
                                   {"UnclickAfterDoing", Value::Bool(false)}});
    // Not synchronised: its own small picture beside the large one.
    const ObjectNode large = Described("TdxBarLargeButton", "btnLarge",
                                  {{"LargeImageIndex", Value::Int(4)},
                                   {"SyncImageIndex", Value::Bool(false)},
                                   {"ImageIndex", Value::Int(1)},
                                   {"AutoGrayScale", Value::Bool(false)},
                                   {"GlyphLayout", Value::Id("glLeft")},
                                   {"Height", Value::Int(40)},
                                   {"HotImageIndex", Value::Int(2)},
                                   {"ShowCaption", Value::Bool(false)},
                                   {"Width", Value::Int(60)}});
    ObjectNode description = MainLikeForm(shape);
    description.children.push_back(plain);
    description.children.push_back(large);

    auto first = LoadForm(description, false);
    const ObjectNode written = testsupport::Rewritten(description, *first);
    const std::vector<Property>& manager = Child(written, "BarManager").properties;
    ExpectWrittenAsGiven(shape.manager, manager);
    ExpectWrittenAsGiven({{"Bars", Value::CollectionOf({shape.bar})}}, manager);
    ExpectWrittenAsGiven(plain.properties, Child(written, "btnPlain").properties);
    ExpectWrittenAsGiven(large.properties, Child(written, "btnLarge").properties);

    auto second = LoadForm(written, false);
    EXPECT_EQ(testsupport::Rewritten(description, *second), written);
}

// A bar's own font is stored whole: its style and colour too, not only its
// face and height.
TEST(BarManagerStreaming, ABarsOwnFontIsStoredWhole) {
    MenuFont menu(13);
    auto first = LoadForm(MainLikeForm(), false);
    TFont& font = first->Toolbar()->Font();
    font.SetName("Arial");
    font.SetStyle(unsigned(TFontStyle::Bold));
    font.SetColor(clRed);
    ASSERT_TRUE(first->Toolbar()->UseOwnFont());

    auto second = LoadForm(testsupport::Rewritten(MainLikeForm(), *first), false);
    EXPECT_TRUE(second->Toolbar()->UseOwnFont());
    EXPECT_TRUE(second->Toolbar()->Font() == font);
    second->Toolbar()->SetUseOwnFont(false);
    EXPECT_TRUE(second->Toolbar()->Font() == second->Manager()->Font());
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
