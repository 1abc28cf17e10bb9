// The item menu of customizing mode over a window like the main one: its
// entries, what they do to the pressed link and its name box, typed into
// with real keys.
#include "tests/bars/BarsTestSupport.h"

#include "bars/dxBarCustForm.h"
#include "bars/dxBarCustomizingPopup.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarSubMenuControl.h"
#include "forms/Handles.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::BoxAnswerer;
using testsupport::ClickAt;
using testsupport::Middle;
using testsupport::PressKeys;
using testsupport::PumpUntil;

namespace {

class ItemMenu : public ::testing::Test {
protected:
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form;

    void SetUp() override {
        InitializeCustomizationForm();
        SetMenuSoundPlayer([](const char*) {});
        Application().SetTitle("Quorva");
        Load(MainLikeForm());
    }
    void TearDown() override {
        form.reset();
        Application().ProcessMessages();
        SetMenuSoundPlayer(nullptr);
    }
    void Load(const ObjectNode& node) {
        form.reset();
        form = LoadForm(node);
        form->SetBounds(40, 40, form->Width(), form->Height());
        form->Show();
        Application().ProcessMessages();
        form->Manager()->SetCustomizeMode(true);
        Application().ProcessMessages();
    }
    TdxBarItemLinks& Links() { return form->Toolbar()->ItemLinks(); }
    TdxBarItemLink& Link(int index) { return *Links().Items(index); }
    static TdxBarCustomizingPopup* Menu() { return TdxBarDesignController::Instance().CustomizingPopup(); }
    static bool MenuShowing() { return Menu() && Menu()->Showing(); }

    // Opens the menu for a link with the pointer over its button. Wine
    // reads a moved pointer back from the display some 100 ms later, which
    // may still show the old place: `settled` waits until it does not.
    void PopUp(int index, bool settled = false) {
        HWND toolbar = form->ToolbarWindow()->Handle();
        const POINT client = Middle(Link(index).ItemRect());
        ClickAt(toolbar, client, 0);
        if (settled) {
            POINT screen = client;
            ::ClientToScreen(toolbar, &screen);
            ::Sleep(150);
            ASSERT_TRUE(PumpUntil([&] {
                POINT at{};
                return ::GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
            }));
        }
        TdxBarDesignController::Instance().PopupItemMenu(*form->ToolbarWindow(), &Link(index));
        Application().ProcessMessages();
    }
    static std::vector<std::string> Entries() { return MenuEntries(Menu() ? &Menu()->ItemLinks() : nullptr); }
    static int RowOf(const std::string& caption) {
        for (int i = 0; i < Menu()->RowCount(); ++i)
            if (Menu()->RowLink(i).Item()->Caption() == caption) return i;
        ADD_FAILURE() << "no entry " << caption;
        return -1;
    }
    static void Choose(const std::string& caption) { ClickAt(Menu()->Handle(), Middle(Menu()->RowRect(RowOf(caption)))); }
    // Puts the caret into the name box with a click, types over it and
    // ends with a key.
    static void TypeName(const std::string& text, WORD key = VK_RETURN) {
        RECT box;
        ::GetClientRect(Menu()->NameEdit(), &box);
        ClickAt(Menu()->NameEdit(), Middle(box));
        ASSERT_EQ(::GetFocus(), Menu()->NameEdit());
        Retype(text);
        PressKeys({key});
        Application().ProcessMessages();
    }
    std::string ShownCaption(int index) {
        auto& control = dynamic_cast<TdxBarButtonControl&>(*Link(index).Control());
        WindowDC dc(form->ToolbarWindow()->Handle());
        SelectGuard font(dc.Get(), form->Manager()->Font().Handle());
        return control.DrawParams(dc.Get(), Link(index).ItemRect()).caption;
    }
};

TEST_F(ItemMenu, OffersTheEntriesOfTheItemAtThePointer) {
    Link(2).SetBeginGroup(true);
    std::vector<std::string> shownByEvent;
    form->Manager()->OnShowCustomizingPopup = [&](TdxBarManager* sender, TdxBarItemLinks* links) {
        EXPECT_EQ(sender, form->Manager());
        EXPECT_FALSE(MenuShowing());
        EXPECT_EQ(links, &Menu()->ItemLinks());
        shownByEvent = Entries();
    };
    // A plain button also offers the paint styles.
    auto* plain = new TdxBarButton(form.get());
    plain->SetCaption("Plain");
    Links().Add(plain);

    const struct {
        int link;
        std::vector<std::string> entries;
    } cases[] = {
        {0, {"&Reset", "&Delete", "| &Name:", "| Begin a &Group [ ] (disabled)"}},
        {1, {"&Reset", "&Delete", "| &Name:", "| Begin a &Group [ ]"}},
        {2, {"&Reset", "&Delete", "| &Name:", "| Begin a &Group [x]"}},
        {5,
         {"&Reset", "&Delete", "| &Name:", "| Defa&ult style [x]", "&Text Only (Always) [ ]",
          "Text &Only (in Menus) [ ]", "Image &and Text [ ]", "| Begin a &Group [ ]"}},
    };
    for (const auto& c : cases) {
        PopUp(c.link, true);
        ASSERT_TRUE(MenuShowing()) << c.link;
        EXPECT_EQ(Entries(), c.entries) << c.link;
        EXPECT_EQ(shownByEvent, c.entries) << c.link;
        // Its top-left corner at the pointer; the box holds the caption.
        POINT pointer;
        ::GetCursorPos(&pointer);
        RECT bounds;
        ::GetWindowRect(Menu()->Handle(), &bounds);
        EXPECT_EQ(bounds.left, pointer.x);
        EXPECT_EQ(bounds.top, pointer.y);
        EXPECT_EQ(Menu()->NameText(), Link(c.link).Item()->Caption());
        RECT box;
        ::GetWindowRect(Menu()->NameEdit(), &box);
        ::MapWindowPoints(nullptr, Menu()->Handle(), reinterpret_cast<POINT*>(&box), 2);
        EXPECT_TRUE(::IsWindowVisible(Menu()->NameEdit()));
        const RECT nameRow = Menu()->RowRect(RowOf("&Name:"));
        EXPECT_GE(box.top, nameRow.top);
        EXPECT_LE(box.bottom, nameRow.bottom);
        PressKeys({VK_ESCAPE});
        EXPECT_FALSE(MenuShowing());
    }

    // A toolbar that does not allow customizing offers nothing.
    FormShape shape;
    shape.bar.push_back({"AllowCustomizing", Value::Bool(false)});
    Load(MainLikeForm(shape));
    PopUp(1);
    EXPECT_EQ(Menu(), nullptr);
}

TEST_F(ItemMenu, ARightPressOnAButtonOpensTheMenuForItsLink) {
    const RECT& r = Link(3).ItemRect();
    POINT at = Middle(r);
    ::SendMessageA(form->ToolbarWindow()->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    Application().ProcessMessages();
    ASSERT_TRUE(MenuShowing());
    EXPECT_EQ(Menu()->Link(), &Link(3));
    EXPECT_TRUE(form->Calls.empty());
    PressKeys({VK_ESCAPE});
}

TEST_F(ItemMenu, EntriesChangeThePressedLinkOnly) {
    TdxBarLargeButton& start = *form->Button(1);
    // A second link of the same item, whose item the selection holds.
    Links().Add(&start);
    form->Manager()->SelectionHandler()->AddToSelection(&start, TdxBarSelectionOperation::Exclusive);

    PopUp(1);
    Choose("Begin a &Group");
    EXPECT_TRUE(Link(1).BeginGroup());
    EXPECT_FALSE(Link(5).BeginGroup());
    PopUp(1);
    Choose("Begin a &Group");
    EXPECT_FALSE(Link(1).BeginGroup());

    Link(1).SetUserCaption("Go");
    Link(5).SetUserCaption("Run");
    PopUp(1);
    Choose("&Reset");
    EXPECT_EQ(Link(1).UserDefine(), 0u);
    EXPECT_EQ(ShownCaption(1), "Start");
    EXPECT_EQ(Link(5).Caption(), "Run");

    // Delete takes the link off the toolbar; the command stays.
    PopUp(1);
    Choose("&Delete");
    EXPECT_FALSE(MenuShowing());
    ASSERT_EQ(Links().Count(), 5);
    EXPECT_EQ(Link(1).Item(), form->Button(2));
    EXPECT_EQ(start.Links().size(), 1u);
    const auto& items = form->Manager()->Items();
    EXPECT_NE(std::find(items.begin(), items.end(), &start), items.end());
    // The menu forgot the link it was for.
    EXPECT_EQ(Menu()->Link(), nullptr);
}

TEST_F(ItemMenu, ThePaintStyleEntriesSetTheLinksOwnStyle) {
    auto* plain = new TdxBarButton(form.get());
    plain->SetCaption("Plain");
    TdxBarItemLink& link = *Links().Add(plain);
    PopUp(5);
    Choose("&Text Only (Always)");
    EXPECT_EQ(link.UserDefine(), udPaintStyle);
    EXPECT_EQ(dynamic_cast<TdxBarButtonControl&>(*link.Control()).PaintStyle(), TdxBarPaintStyle::Caption);
    PopUp(5);
    EXPECT_EQ(Entries()[4], "&Text Only (Always) [x]");
    Choose("Defa&ult style");
    EXPECT_EQ(link.UserDefine(), 0u);
}

TEST_F(ItemMenu, TheNameBoxRenamesTheButtonOnThisToolbarOnly) {
    TdxBarLargeButton& start = *form->Button(1);
    start.SetWidth(0);  // the width follows the caption
    Application().ProcessMessages();
    const RECT before = Link(1).ItemRect();

    // A blank name is refused and changes nothing.
    PopUp(1);
    {
        BoxAnswerer answer(IDOK);
        TypeName("");
        ASSERT_TRUE(PumpUntil([&] { return !answer.Seen().empty(); }, 3000));
        EXPECT_FALSE(MenuShowing());
        const testsupport::SeenBox& box = answer.Seen().front();
        EXPECT_EQ(box.title, "Quorva");
        EXPECT_NE(std::find(box.texts.begin(), box.texts.end(), "A command name cannot be blank. Please enter a name."),
                  box.texts.end());
        EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_HAND));
    }
    EXPECT_EQ(Link(1).UserDefine(), 0u);
    EXPECT_EQ(ShownCaption(1), "Start");

    // Escape leaves it too.
    PopUp(1);
    TypeName("Nothing", VK_ESCAPE);
    EXPECT_FALSE(MenuShowing());
    EXPECT_EQ(Link(1).UserDefine(), 0u);

    const struct {
        const char* typed;
        const char* shown;
    } names[] = {{"Go", "Go"}, {"100% &Sure", "100% &Sure"}};
    for (const auto& n : names) {
        PopUp(1);
        EXPECT_EQ(Menu()->NameText(), ShownCaption(1));
        TypeName(n.typed);
        EXPECT_FALSE(MenuShowing()) << n.typed;
        EXPECT_EQ(Link(1).UserCaption(), n.shown);
        EXPECT_EQ(Link(1).UserDefine(), udCaption);
        EXPECT_EQ(ShownCaption(1), n.shown);
    }
    // The command keeps its caption; the button is laid out anew.
    EXPECT_EQ(start.Caption(), "Start");
    EXPECT_EQ(form->Action(1)->Caption(), "Start");
    EXPECT_NE(Link(1).ItemRect().right, before.right);
    // The dialog keeps the activation.
    TdxBarCustomCustomizationForm* dialog = TdxBarCustomCustomizationForm::Instance();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetActiveWindow(), dialog->Handle());
}

TEST_F(ItemMenu, AnEntryDoesNothingOnceItsLinkHasGone) {
    Link(2).SetUserCaption("Kept");
    auto state = [&] {
        std::vector<std::string> links;
        for (int i = 0; i < Links().Count(); ++i)
            links.push_back(Link(i).Caption() + (Link(i).BeginGroup() ? " |" : ""));
        return links;
    };
    const std::function<void()> uses[] = {[] { Choose("&Reset"); }, [] { Choose("Begin a &Group"); },
                                          [] { Choose("&Delete"); }, [] { TypeName("Renamed"); }};
    for (const auto& use : uses) {
        PopUp(1);
        Links().Delete(1);
        ASSERT_TRUE(MenuShowing());
        const std::vector<std::string> before = state();
        use();
        EXPECT_FALSE(MenuShowing());
        EXPECT_EQ(state(), before);
    }
}

TEST_F(ItemMenu, ANewMenuFreesTheOldOneWithoutLeaks) {
    PopUp(1);
    PressKeys({VK_ESCAPE});
    const auto before = forms::LiveHandles();
    for (int i = 0; i < 3; ++i) {
        PopUp(i);
        PressKeys({VK_ESCAPE});
    }
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(forms::LiveHandles().user, before.user);
}

}  // namespace
