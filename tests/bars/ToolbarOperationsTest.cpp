// Adding, renaming, deleting and resetting toolbars, and the name dialog
// they ask with, driven by real keys inside the dialog's own modal loop.
#include "tests/bars/BarsTestSupport.h"

#include <algorithm>
#include <deque>
#include <functional>

#include "bars/dxBarCustForm.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarNameEd.h"
#include "forms/StdCtrls.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::BoxAnswerer;
using testsupport::SendKeys;

namespace {

std::vector<std::string> LinkNames(TdxBar& bar) {
    std::vector<std::string> names;
    for (int i = 0; i < bar.ItemLinks().Count(); ++i) names.push_back(bar.ItemLinks().Items(i)->Item()->Name());
    return names;
}

class ToolbarOperations : public ::testing::Test {
protected:
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();
    TdxBar& main = *form->Toolbar();

    void SetUp() override {
        Application().SetTitle("Quorva");
        form->SetBounds(300, 200, form->Width(), form->Height());
        form->Show();
        Application().ProcessMessages();
    }
    TdxBar* Add(std::vector<NameDialogScript::Step> steps = {Enter}) {
        NameDialogScript script(std::move(steps));
        return dxBarAddToolbar(manager, *form);
    }
    RECT TimePanel() const { return form->Get<TPanel>("pnlTime")->BoundsRect(); }
};

TEST_F(ToolbarOperations, TheNameDialogIsASmallTopmostBoxInTheManagersFont) {
    manager.Font().SetName("Arial");
    HWND owner = form->Handle();
    NameDialogScript script({[&](TdxBarNameEd& d) {
        EXPECT_EQ(d.Caption(), "Add Toolbar");
        EXPECT_EQ(d.ClientWidth(), 266);
        EXPECT_EQ(d.ClientHeight(), 87);
        EXPECT_EQ(d.Left(), (::GetSystemMetrics(SM_CXSCREEN) - d.Width()) / 2);
        EXPECT_EQ(d.Top(), (::GetSystemMetrics(SM_CYSCREEN) - d.Height()) / 2);
        EXPECT_TRUE(::GetWindowLongA(d.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(::GetWindowLongA(d.Handle(), GWL_STYLE) & WS_SYSMENU);
        EXPECT_EQ(::GetWindow(d.Handle(), GW_OWNER), owner);
        EXPECT_EQ(d.Font().Name(), "Arial");
        EXPECT_EQ(d.EName->Font().Name(), "Arial");
        EXPECT_EQ(d.LName->Caption(), "&Toolbar name:");
        EXPECT_EQ(d.LName->FocusControl(), d.EName);
        EXPECT_EQ(d.EName->BoundsRect(), Rect(8, 27, 259, 48));
        EXPECT_EQ(d.BOK->BoundsRect(), Rect(106, 58, 179, 81));
        EXPECT_EQ(d.BCancel->BoundsRect(), Rect(186, 58, 259, 81));
        EXPECT_EQ(d.BOK->Caption(), "OK");
        EXPECT_EQ(d.BCancel->Caption(), "Cancel");
        EXPECT_EQ(::GetFocus(), d.EName->Handle());
        EXPECT_EQ(d.EName->Text(), "Custom 1");
        Esc(d);
    }});
    EXPECT_EQ(dxBarAddToolbar(manager, *form), nullptr);
    EXPECT_EQ(manager.Bars().Count(), 1);
}

TEST_F(ToolbarOperations, NewToolbarsGetTheFirstFreeNumberAndARowOfTheirOwn) {
    const RECT panel = TimePanel();
    std::string proposed;
    TdxBar* first = Add();
    ASSERT_NE(first, nullptr);
    TdxBar* second = Add({[&](TdxBarNameEd& d) {
        proposed = d.EName->Text();
        Type("custom 1")(d);
    }});
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->Caption(), "Custom 1");
    EXPECT_EQ(proposed, "Custom 2");
    EXPECT_EQ(second->Caption(), "custom 1");
    EXPECT_EQ(form->TopDock()->RowCount(), 3);
    for (TdxBar* bar : {first, second}) {
        EXPECT_FALSE(bar->Predefined());
        EXPECT_TRUE(bar->Visible());
        EXPECT_EQ(bar->DockingStyle(), TdxBarDockingStyle::Top);
        EXPECT_EQ(bar->ItemLinks().Count(), 0);
        ASSERT_NE(bar->Control(), nullptr);
        EXPECT_EQ(form->TopDock()->RowOf(*bar->Control()), bar->Index());
        EXPECT_EQ(bar->FloatLeft(), 250);
        EXPECT_EQ(bar->FloatTop(), 200);
    }
    // The time panel gives up what the new rows take.
    EXPECT_EQ(TimePanel().top, form->TopDock()->Height());
    EXPECT_GT(TimePanel().top, panel.top);
}

TEST_F(ToolbarOperations, ANameAnotherToolbarHasIsRefusedAndTheDialogStaysOpen) {
    TdxBar* custom = Add();
    ASSERT_NE(custom, nullptr);
    TdxBar* percent = manager.Bars().Add();
    percent->SetCaption("50%s %d");
    struct Case {
        const char* what;
        bool rename;
        std::string typed;  // empty: the proposal as it is
        std::string refused;
    } cases[] = {
        {"new, as Main", false, "Main", "Main"},
        {"rename, as Main", true, "Main", "Main"},
        {"new, a caption with %", false, "50%s %d", "50%s %d"},
        {"rename, to its own caption", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int bars = manager.Bars().Count();
        BoxAnswerer answer(IDOK);
        bool stillOpen = false;
        std::vector<NameDialogScript::Step> steps{c.typed.empty() ? NameDialogScript::Step(Enter) : Type(c.typed)};
        if (!c.refused.empty())
            steps.push_back([&](TdxBarNameEd& d) {
                stillOpen = d.Visible();
                Esc(d);
            });
        NameDialogScript script(steps);
        bool changed = c.rename ? dxBarRenameToolbar(manager, *custom) : dxBarAddToolbar(manager, *form) != nullptr;
        if (c.refused.empty()) {
            EXPECT_TRUE(changed);
            EXPECT_TRUE(answer.Seen().empty());
            continue;
        }
        EXPECT_FALSE(changed);
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(answer.Seen().size(), 1u);
        const testsupport::SeenBox& box = answer.Seen()[0];
        EXPECT_EQ(box.title, "Quorva");
        EXPECT_NE(std::find(box.texts.begin(), box.texts.end(),
                            "A toolbar named '" + c.refused + "' already exists. Type another name."),
                  box.texts.end());
        EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_HAND));
        EXPECT_EQ(manager.Bars().Count(), bars);
        EXPECT_EQ(custom->Caption(), "Custom 1");
    }
}

TEST_F(ToolbarOperations, AnEmptyNameLeavesOnlyCancel) {
    bool okEnabled = true;
    bool openAfterEnter = false;
    TdxBar* bar = Add({
        [&](TdxBarNameEd&) {
            Retype("");
            SendKeys({VK_RETURN});
        },
        [&](TdxBarNameEd& d) {
            okEnabled = d.BOK->Enabled();
            openAfterEnter = d.Visible();
            Esc(d);
        },
    });
    EXPECT_EQ(bar, nullptr);
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(manager.Bars().Count(), 1);
}

TEST_F(ToolbarOperations, DeleteAsksFirstAndGivesTheRowBack) {
    const RECT panel = TimePanel();
    TdxBar* bar = Add({Type("50%s off")});
    ASSERT_NE(bar, nullptr);
    {
        BoxAnswerer answer(IDCANCEL);
        EXPECT_FALSE(dxBarDeleteToolbars(manager, {bar}));
        ASSERT_EQ(answer.Seen().size(), 1u);
        const testsupport::SeenBox& box = answer.Seen()[0];
        EXPECT_EQ(box.title, "Quorva");
        EXPECT_NE(std::find(box.texts.begin(), box.texts.end(),
                            "Are you sure you want to delete the '50%s off' toolbar?"),
                  box.texts.end());
        EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_EXCLAMATION));
        EXPECT_EQ(manager.Bars().Count(), 2);
    }
    {
        BoxAnswerer answer(IDOK);
        EXPECT_TRUE(dxBarDeleteToolbars(manager, {bar}));
    }
    EXPECT_EQ(manager.Bars().Count(), 1);
    EXPECT_EQ(form->TopDock()->RowCount(), 1);
    EXPECT_EQ(TimePanel(), panel);

    TdxBar* a = Add();
    TdxBar* b = Add();
    ASSERT_TRUE(a && b);
    BoxAnswerer answer(IDOK);
    EXPECT_TRUE(dxBarDeleteToolbars(manager, {a, b}));
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_NE(std::find(answer.Seen()[0].texts.begin(), answer.Seen()[0].texts.end(),
                        "Are you sure you want to delete selected toolbars?"),
              answer.Seen()[0].texts.end());
    EXPECT_EQ(manager.Bars().Count(), 1);
    EXPECT_EQ(TimePanel(), panel);
}

TEST_F(ToolbarOperations, ResetGivesBackTheLinksOfLoadTime) {
    const std::vector<std::string> loaded{"btn0", "btn1", "btn2", "btn3", "btn4"};
    std::vector<std::string> events;
    manager.OnBarBeforeReset = [&](TdxBarManager*, TdxBar* bar) { events.push_back("before " + bar->Caption()); };
    manager.OnBarAfterReset = [&](TdxBarManager*, TdxBar* bar) {
        events.push_back("after " + bar->Caption() + " " + std::to_string(bar->ItemLinks().Count()));
    };
    TdxBarItemLinks& links = main.ItemLinks();
    links.Delete(1);
    links.Move(3, 0);
    links.Items(1)->SetBeginGroup(true);
    links.Add(form->Button(0));
    const RECT placed = main.Control()->BoundsRect();
    {
        BoxAnswerer answer(IDCANCEL);
        EXPECT_FALSE(dxBarResetToolbar(manager, main));
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_NE(std::find(answer.Seen()[0].texts.begin(), answer.Seen()[0].texts.end(),
                            "Are you sure you want to reset the changes made to the 'Main' toolbar?"),
                  answer.Seen()[0].texts.end());
        EXPECT_EQ(answer.Seen()[0].icon, ::LoadIconA(nullptr, IDI_EXCLAMATION));
        EXPECT_EQ(LinkNames(main), (std::vector<std::string>{"btn4", "btn0", "btn2", "btn3", "btn0"}));
    }
    BoxAnswerer answer(IDOK);
    EXPECT_TRUE(dxBarResetToolbar(manager, main));
    EXPECT_EQ(LinkNames(main), loaded);
    for (int i = 0; i < links.Count(); ++i) EXPECT_FALSE(links.Items(i)->BeginGroup()) << i;
    EXPECT_TRUE(main.Visible());
    EXPECT_EQ(main.Control()->BoundsRect(), placed);
    EXPECT_EQ(events, (std::vector<std::string>{"before Main", "after Main 5"}));

    // An item that is gone is left out; a toolbar made later has nothing to go back to.
    delete form->Button(2);
    EXPECT_TRUE(dxBarResetToolbar(manager, main));
    EXPECT_EQ(LinkNames(main), (std::vector<std::string>{"btn0", "btn1", "btn3", "btn4"}));
    main.SetCaption("Renamed");
    events.clear();
    EXPECT_FALSE(dxBarResetToolbar(manager, main));
    EXPECT_TRUE(events.empty());
}

TEST(ToolbarOperationsHandles, NothingIsLeftBehind) {
    MenuFont menu{13};
    const HandleCount before = LiveHandles();
    {
        auto form = LoadForm(MainLikeForm());
        form->Show();
        TdxBar* bar = nullptr;
        {
            NameDialogScript script({Enter});
            bar = dxBarAddToolbar(*form->Manager(), *form);
        }
        ASSERT_NE(bar, nullptr);
        {
            NameDialogScript script({Type("Other")});
            EXPECT_TRUE(dxBarRenameToolbar(*form->Manager(), *bar));
        }
        BoxAnswerer answer(IDOK);
        EXPECT_TRUE(dxBarDeleteToolbars(*form->Manager(), {bar}));
    }
    Application().ProcessMessages();
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
