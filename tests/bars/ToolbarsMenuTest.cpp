// The toolbars menu: what it lists, where it opens, how it is drawn and
// what its entries do, from the keys and the pointer.
#include "tests/bars/BarsTestSupport.h"

#include <stdexcept>

#include "bars/dxBarDesignController.h"
#include "bars/dxBarSubMenuControl.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

TEST(PopupMenuPlacement, OpensAtThePointerAndStaysInsideTheWorkArea) {
    const RECT screen{0, 0, 800, 600};
    const struct {
        const char* name;
        RECT work;
        POINT pointer;
        SIZE size;
        RECT placed;
    } cases[] = {
        {"room everywhere", screen, {10, 20}, {100, 50}, {10, 20, 110, 70}},
        {"right edge: opens to the left", screen, {750, 20}, {100, 50}, {650, 20, 750, 70}},
        {"exactly at the right edge", screen, {700, 20}, {100, 50}, {700, 20, 800, 70}},
        {"fits on neither side: against the right edge", {0, 0, 150, 600}, {60, 20}, {100, 50}, {50, 20, 150, 70}},
        {"wider than the work area: at its left edge", {0, 0, 80, 600}, {10, 20}, {100, 50}, {0, 20, 100, 70}},
        {"bottom edge: opens above", screen, {10, 580}, {100, 50}, {10, 530, 110, 580}},
        {"fits neither below nor above: against the bottom", {0, 0, 800, 80}, {10, 40}, {100, 50}, {10, 30, 110, 80}},
        {"taller than the work area: its top and height", screen, {10, 300}, {100, 700}, {10, 0, 110, 600}},
        {"second monitor", {800, 100, 1600, 700}, {1590, 690}, {100, 50}, {1490, 640, 1590, 690}},
    };
    for (const auto& c : cases) EXPECT_EQ(PlacePopupMenu(c.pointer, c.size, c.work), c.placed) << c.name;
}

// A customization dialog as its unit registers it, recording the opens.
struct FakeCustomizationForm {
    FakeCustomizationForm() {
        RegisterCustomizationFormClass({[this](TdxBarManager& m) {
                                            if (failing) throw std::runtime_error("no dialog");
                                            opened.push_back(&m);
                                            open = true;
                                        },
                                        [this] { return open; }, [this] { open = false; }});
    }
    ~FakeCustomizationForm() { RegisterCustomizationFormClass({}); }
    FakeCustomizationForm(const FakeCustomizationForm&) = delete;
    FakeCustomizationForm& operator=(const FakeCustomizationForm&) = delete;
    std::vector<TdxBarManager*> opened;
    bool open = false;
    bool failing = false;
};

class ToolbarsMenu : public ::testing::Test {
protected:
    void SetUp() override {
        SetMenuSoundPlayer([this](const char* alias) { sounds.push_back(alias); });
        Reload();
    }
    void TearDown() override {
        form.reset();
        SetMenuSoundPlayer(nullptr);
    }
    void Reload() {
        form.reset();
        form = LoadForm(MainLikeForm());
        form->Show();
        Application().ProcessMessages();
    }
    TdxBarManager& Manager() { return *form->Manager(); }
    TdxBarToolbarsPopup* Menu() { return TdxBarDesignController::Instance().ToolbarsPopup(); }
    bool MenuShowing() { return Menu() && Menu()->Showing(); }
    // The right button goes down over the toolbar at a client point.
    void RightPress(HWND window, POINT client) {
        POINT screen = client;
        ::ClientToScreen(window, &screen);
        testsupport::PointerAt(screen);
        ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
        Application().ProcessMessages();
    }
    // Over a button; on the dock's surface while the toolbar is hidden.
    void OpenOverButton(int index) {
        if (!form->ToolbarWindow()) return RightPress(form->TopDock()->Handle(), {1, 1});
        const RECT& r = form->Button(index)->Links()[0]->ItemRect();
        RightPress(form->ToolbarWindow()->Handle(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    std::vector<std::string> Entries() { return MenuEntries(Menu() ? &Menu()->ItemLinks() : nullptr); }
    // A row's centre in client coordinates of the menu.
    POINT RowCentre(int row) {
        RECT r = Menu()->RowRect(row);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    MenuFont menuFont{13};
    std::vector<std::string> sounds;
    std::unique_ptr<TBarForm> form;
};

TEST_F(ToolbarsMenu, ListsTheClosableToolbarsAndCustomizeWhenADialogCanOpen) {
    using Change = std::function<void(TdxBarManager&, FakeCustomizationForm&)>;
    const struct {
        const char* name;
        bool registered;
        Change change;
        std::vector<std::string> entries;
    } cases[] = {
        {"as the program has it", true, nullptr, {"Main [x]", "| &Customize..."}},
        {"no dialog kind registered", false, nullptr, {"Main [x]"}},
        {"hidden toolbar", true, [](TdxBarManager& m, FakeCustomizationForm&) { m.Bars().Items(0)->SetVisible(false); },
         {"Main [ ]", "| &Customize..."}},
        {"a dialog is open", true, [](TdxBarManager&, FakeCustomizationForm& f) { f.open = true; },
         {"Main [x]", "| &Customize... (disabled)"}},
        {"AllowClose off", true, [](TdxBarManager& m, FakeCustomizationForm&) { m.Bars().Items(0)->SetAllowClose(false); },
         {"| &Customize..."}},
        {"main menu", true, [](TdxBarManager& m, FakeCustomizationForm&) { m.Bars().Items(0)->SetIsMainMenu(true); },
         {"| &Customize..."}},
        {"Hidden", true, [](TdxBarManager& m, FakeCustomizationForm&) { m.Bars().Items(0)->SetHidden(true); },
         {"| &Customize..."}},
        {"CanCustomize off", true, [](TdxBarManager& m, FakeCustomizationForm&) { m.SetCanCustomize(false); },
         {"Main [x]"}},
        {"a second toolbar, in collection order", true,
         [](TdxBarManager& m, FakeCustomizationForm&) {
             TdxBar* second = m.Bars().Add();
             second->SetCaption("&Second");
             second->SetDockingStyle(TdxBarDockingStyle::Top);
             second->SetVisible(true);
         },
         {"Main [x]", "&Second [x]", "| &Customize..."}},
    };
    for (const auto& c : cases) {
        Reload();
        FakeCustomizationForm dialog;
        if (c.change) c.change(Manager(), dialog);
        if (!c.registered) RegisterCustomizationFormClass({});
        OpenOverButton(1);
        EXPECT_EQ(Entries(), c.entries) << c.name;
        EXPECT_TRUE(MenuShowing()) << c.name;
        // The entries are no items of the manager: no list or shortcut finds them.
        EXPECT_EQ(Manager().Items().size(), 5u) << c.name;
    }
}

TEST_F(ToolbarsMenu, NothingOpensWhenTheMenuWouldBeEmptyUnlessAHandlerAddsEntries) {
    Manager().Bars().Items(0)->SetAllowClose(false);
    Manager().SetCanCustomize(false);
    sounds.clear();
    OpenOverButton(1);
    EXPECT_EQ(Menu(), nullptr);
    EXPECT_TRUE(sounds.empty());

    TdxBarButton extra(form.get());
    extra.SetCaption("Extra");
    int shown = 0;
    Manager().OnShowToolbarsPopup = [&](TdxBarManager* sender, TdxBarItemLinks* links) {
        EXPECT_EQ(sender, &Manager());
        EXPECT_EQ(links, &Menu()->ItemLinks());
        links->Add(&extra);
        ++shown;
    };
    OpenOverButton(1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Extra"});
    EXPECT_TRUE(MenuShowing());
    EXPECT_EQ(sounds, std::vector<std::string>{"MenuPopup"});
    Menu()->CloseUp();
    Manager().OnShowToolbarsPopup = nullptr;
}

TEST_F(ToolbarsMenu, OpensOnThePressWithoutPressingTheButton) {
    const RECT& r = form->Button(2)->Links()[0]->ItemRect();
    const POINT client{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    OpenOverButton(2);
    ASSERT_TRUE(MenuShowing());
    EXPECT_TRUE(::GetWindowLongA(Menu()->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(::GetActiveWindow(), Menu()->Handle());
    EXPECT_FALSE(form->ToolbarWindow()->Controls(2).DrawnPressed());
    EXPECT_FALSE(form->ToolbarWindow()->Active());
    ::SendMessageA(form->ToolbarWindow()->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    Application().ProcessMessages();
    EXPECT_TRUE(form->Calls.empty());
    EXPECT_TRUE(MenuShowing());
    EXPECT_EQ(sounds, std::vector<std::string>{"MenuPopup"});
}

TEST_F(ToolbarsMenu, ChoosingTheToolbarEntryTogglesTheToolbarAndItsDock) {
    OpenOverButton(1);
    ASSERT_TRUE(MenuShowing());
    const POINT at = RowCentre(0);
    ::SendMessageA(Menu()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(Menu()->SelectedIndex(), 0);
    ::SendMessageA(Menu()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageA(Menu()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    Application().ProcessMessages();
    EXPECT_FALSE(MenuShowing());
    EXPECT_FALSE(Manager().Bars().Items(0)->Visible());
    EXPECT_EQ(form->TopDock()->Height(), 0);
    EXPECT_EQ(sounds, (std::vector<std::string>{"MenuPopup", "MenuCommand"}));

    // The dock's own surface is all there is now; it offers the menu again.
    RightPress(form->TopDock()->Handle(), {5, 5});
    ASSERT_TRUE(MenuShowing());
    EXPECT_EQ(Entries()[0], "Main [ ]");
    Menu()->KeyPressed(VK_DOWN);
    Menu()->KeyPressed(VK_RETURN);
    EXPECT_TRUE(Manager().Bars().Items(0)->Visible());
    EXPECT_EQ(form->TopDock()->Height(), form->ToolbarWindow()->Height());
}

TEST_F(ToolbarsMenu, KeysMoveChooseAndClose) {
    FakeCustomizationForm dialog;
    OpenOverButton(1);
    ASSERT_TRUE(MenuShowing());
    // Off the rows: nothing is selected.
    ::SendMessageA(Menu()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    ASSERT_EQ(Menu()->SelectedIndex(), -1);
    Menu()->KeyPressed(VK_DOWN);
    Menu()->KeyPressed(VK_DOWN);
    EXPECT_EQ(Menu()->SelectedIndex(), 1);
    Menu()->KeyPressed(VK_DOWN);
    EXPECT_EQ(Menu()->SelectedIndex(), 0);
    Menu()->KeyPressed(VK_UP);
    EXPECT_EQ(Menu()->SelectedIndex(), 1);
    Menu()->KeyPressed(VK_ESCAPE);
    EXPECT_FALSE(MenuShowing());
    EXPECT_TRUE(Manager().Bars().Items(0)->Visible());

    // The accelerator letter chooses "&Customize...".
    OpenOverButton(1);
    Menu()->KeyPressed('C');
    EXPECT_FALSE(MenuShowing());
    EXPECT_TRUE(Manager().CustomizeMode());
    EXPECT_EQ(dialog.opened, std::vector<TdxBarManager*>{&Manager()});
    Manager().SetCustomizeMode(false);
}

TEST_F(ToolbarsMenu, APressOutsideClosesIt) {
    OpenOverButton(1);
    ASSERT_TRUE(MenuShowing());
    RECT panel{};
    ::GetWindowRect(form->Handle(), &panel);
    INPUT input[2]{};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = ::MulDiv(panel.right - 10, 65536, ::GetSystemMetrics(SM_CXSCREEN));
        i.mi.dy = ::MulDiv(panel.bottom - 10, 65536, ::GetSystemMetrics(SM_CYSCREEN));
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !MenuShowing(); }, 2000));
}

TEST_F(ToolbarsMenu, CustomizeModeOpensOneDialogOnlyWhenOneCanOpen) {
    Manager().SetCustomizeMode(true);
    EXPECT_FALSE(Manager().CustomizeMode());

    FakeCustomizationForm dialog;
    dialog.failing = true;
    EXPECT_THROW(Manager().SetCustomizeMode(true), std::runtime_error);
    EXPECT_FALSE(Manager().CustomizeMode());

    dialog.failing = false;
    Manager().SetCustomizeMode(true);
    Manager().SetCustomizeMode(true);
    EXPECT_TRUE(Manager().CustomizeMode());
    EXPECT_EQ(dialog.opened.size(), 1u);

    // While customizing, the right button opens no toolbars menu.
    OpenOverButton(1);
    EXPECT_FALSE(MenuShowing());
    Manager().SetCustomizeMode(false);
    EXPECT_FALSE(Manager().CustomizeMode());
}

TEST_F(ToolbarsMenu, DrawnInTheOffice2003MenuColours) {
    PaletteMachine machine;
    LunaBlue(machine);
    FakeCustomizationForm dialog;
    OpenOverButton(1);
    ASSERT_TRUE(MenuShowing());
    const POINT at = RowCentre(1);
    ::SendMessageA(Menu()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    const TOffice11Palette& p = Office11Palette();
    Snapshot shot(Menu()->Handle());
    const RECT checked = Menu()->RowRect(0), hot = Menu()->RowRect(1);
    const int right = shot.Width() - 1;
    EXPECT_EQ(shot.Pixel(0, 0), p.ItemFrame);
    EXPECT_EQ(shot.Pixel(1, shot.Height() / 2), p.ToolbarLight);
    EXPECT_EQ(shot.Pixel(right - 2, checked.top + 1), p.MenuBack);
    // Checked: a box in the column, framed.
    EXPECT_EQ(shot.Pixel(checked.left + 2, checked.top + 2), p.SelectionFrame);
    EXPECT_EQ(shot.Pixel(checked.left + 3, checked.top + 3), p.MenuChecked);
    // The separator above the second group.
    EXPECT_EQ(shot.Pixel(right - 3, hot.top - 2), p.ItemFrame);
    // The hot row: framed and filled.
    EXPECT_EQ(shot.Pixel(hot.left, hot.top + 3), p.SelectionFrame);
    EXPECT_EQ(shot.Pixel(right - 3, hot.top + 3), p.MenuSelected);
    Menu()->CloseUp();
}

TEST(ToolbarsMenuHandles, TheMenuAndItsEntriesGoWithTheManager) {
    const HandleCount before = LiveHandles();
    {
        auto form = LoadForm(MainLikeForm());
        form->Show();
        TdxBarDesignController::Instance().PopupToolbarsMenu(*form->Manager(), form->Manager()->Painter());
        ASSERT_NE(TdxBarDesignController::Instance().ToolbarsPopup(), nullptr);
        TdxBarDesignController::Instance().PopupToolbarsMenu(*form->Manager(), form->Manager()->Painter());
    }
    EXPECT_EQ(TdxBarDesignController::Instance().ToolbarsPopup(), nullptr);
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
