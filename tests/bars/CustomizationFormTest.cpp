// The customization dialog over a window like the main one: its tabs, the
// toolbar list, the command list, the options and its life cycle, driven by
// real input.
#include "tests/bars/BarsTestSupport.h"

#include "bars/dxBarCustForm.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarSubMenuControl.h"
#include "forms/ComCtrls.h"
#include "forms/Handles.h"
#include "forms/StdCtrls.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::BoxAnswerer;
using testsupport::ClickAt;
using testsupport::Middle;
using testsupport::PressKeys;
using testsupport::PumpUntil;

namespace {

std::vector<std::string> Rows(const TListBox& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.Count(); ++i) rows.push_back(list.ItemText(i));
    return rows;
}

class CustomizationForm : public ::testing::Test {
protected:
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();

    void SetUp() override {
        InitializeCustomizationForm();
        Application().SetTitle("Quorva");
        form->SetBounds(40, 40, form->Width(), form->Height());
        form->Show();
        Application().ProcessMessages();
    }
    void TearDown() override {
        form.reset();
        Application().ProcessMessages();
    }
    TdxBarCustomizationForm* Open() {
        manager.SetCustomizeMode(true);
        Application().ProcessMessages();
        return Dialog();
    }
    static TdxBarCustomizationForm* Dialog() {
        return dynamic_cast<TdxBarCustomizationForm*>(TdxBarCustomCustomizationForm::Instance());
    }
    // Closes the dialog as its Close button does and lets it go.
    void CloseDialog() {
        if (!Dialog()) return;
        Dialog()->BClose->Click();
        PumpUntil([] { return Dialog() == nullptr; }, 2000);
    }
    static RECT CheckBoxOf(const TListBox& list, int row) {
        RECT r = list.ItemRect(row);
        r.right = r.left + (r.bottom - r.top);
        return r;
    }
};

TEST_F(CustomizationForm, OpensOnTheToolbarsTabWithMainCheckedAndSelected) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(manager.CustomizeMode());
    EXPECT_TRUE(d->Visible());
    EXPECT_EQ(d->Caption(), "Customize");
    EXPECT_EQ(d->ClientWidth(), 366);
    EXPECT_EQ(d->ClientHeight(), 310);
    EXPECT_EQ(::GetWindow(d->Handle(), GW_OWNER), form->Handle());
    EXPECT_FALSE(::GetWindowLongA(d->Handle(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(::GetWindowLongA(d->Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(d->Font().Name(), manager.Font().Name());

    ASSERT_EQ(d->PageControl->PageCount(), 3);
    EXPECT_EQ(d->PageControl->ActivePage(), d->tsToolbars);
    EXPECT_EQ(d->tsToolbars->Caption(), " Toolbars ");
    EXPECT_EQ(d->tsItems->Caption(), " Commands ");
    EXPECT_EQ(d->tsOptions->Caption(), " Options ");

    EXPECT_EQ(Rows(*d->lbBarsList), std::vector<std::string>{"Main"});
    EXPECT_EQ(d->lbBarsList->ItemIndex(), 0);
    EXPECT_EQ(d->SelectedBars(), std::vector<TdxBar*>{form->Toolbar()});
    EXPECT_TRUE(d->BBarNew->Enabled());
    EXPECT_FALSE(d->BBarRename->Enabled());
    EXPECT_FALSE(d->BBarDelete->Enabled());
    EXPECT_TRUE(d->BBarReset->Enabled());
    EXPECT_TRUE(d->BBarReset->Visible());

    // The window it customizes is locked meanwhile; a second dialog never opens.
    EXPECT_FALSE(::IsWindowEnabled(form->Handle()));
    manager.SetCustomizeMode(true);
    EXPECT_EQ(Dialog(), d);

    // Close hides it, gives the window back and ends customizing.
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(PumpUntil([] { return Dialog() == nullptr; }, 2000));
    EXPECT_FALSE(manager.CustomizeMode());
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    EXPECT_EQ(manager.SelectionHandler(), nullptr);
}

TEST_F(CustomizationForm, TheCheckBoxOfARowShowsAndHidesItsToolbar) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    TdxBar& main = *form->Toolbar();
    const int dockHeight = form->TopDock()->Height();
    ASSERT_GT(dockHeight, 0);

    ClickAt(d->lbBarsList->Handle(), Middle(CheckBoxOf(*d->lbBarsList, 0)));
    EXPECT_FALSE(main.Visible());
    EXPECT_EQ(form->TopDock()->Height(), 0);
    EXPECT_EQ(form->Get<TPanel>("pnlTime")->Top(), 0);
    EXPECT_EQ(Dialog(), d);

    // Space on the current row, then a double-click beside the box.
    d->lbBarsList->SetFocus();
    PressKeys({VK_SPACE});
    EXPECT_TRUE(main.Visible());
    EXPECT_EQ(form->TopDock()->Height(), dockHeight);
    const RECT row = d->lbBarsList->ItemRect(0);
    const POINT beside{row.right - 10, (row.top + row.bottom) / 2};
    ClickAt(d->lbBarsList->Handle(), beside);
    ClickAt(d->lbBarsList->Handle(), beside);
    EXPECT_FALSE(main.Visible());

    // A toolbar that may not be closed only beeps.
    main.SetVisible(true);
    main.SetAllowClose(false);
    ClickAt(d->lbBarsList->Handle(), Middle(CheckBoxOf(*d->lbBarsList, 0)));
    EXPECT_TRUE(main.Visible());
    CloseDialog();
}

TEST_F(CustomizationForm, TheRowsDrawTheirCheckBoxAndCaption) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    TListBox& list = *d->lbBarsList;
    TEXTMETRICA metrics{};
    {
        WindowDC dc(list.Handle());
        SelectGuard font(dc.Get(), list.Font().Handle());
        ::GetTextMetricsA(dc.Get(), &metrics);
    }
    EXPECT_EQ(list.ItemHeight(), metrics.tmHeight + 2);
    // The selected row in the selection colour; its box white inside.
    list.SetItemIndex(0);
    testsupport::Snapshot shot(list.Handle());
    const RECT box = CheckBoxOf(list, 0);
    const RECT row = list.ItemRect(0);
    EXPECT_EQ(shot.Pixel(row.right - 3, row.top + 1), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(shot.Pixel(box.left + 3, box.top + 3), ::GetSysColor(COLOR_WINDOW));
    CloseDialog();
}

TEST_F(CustomizationForm, GrowsOnlyInHeight) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    RECT window{};
    ::GetWindowRect(d->Handle(), &window);
    auto hit = [&](int x, int y) {
        return ::SendMessageA(d->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
    };
    const int midX = (window.left + window.right) / 2, midY = (window.top + window.bottom) / 2;
    EXPECT_EQ(hit(window.left + 1, midY), HTCLIENT);
    EXPECT_EQ(hit(window.right - 2, midY), HTCLIENT);
    EXPECT_EQ(hit(window.left + 1, window.bottom - 2), HTBOTTOM);
    EXPECT_EQ(hit(window.right - 2, window.top + 1), HTTOP);
    EXPECT_EQ(hit(midX, window.bottom - 2), HTBOTTOM);

    MINMAXINFO info{};
    ::SendMessageA(d->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, window.right - window.left);
    EXPECT_EQ(info.ptMaxTrackSize.x, window.right - window.left);
    EXPECT_EQ(info.ptMinTrackSize.y, window.bottom - window.top);

    const int listHeight = d->lbBarsList->Height();
    const int itemsHeight = d->lbItems->Height();
    ::SetWindowPos(d->Handle(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + 100,
                   SWP_NOMOVE | SWP_NOZORDER);
    Application().ProcessMessages();
    EXPECT_EQ(d->lbBarsList->Height(), listHeight + 100);
    EXPECT_EQ(d->lbItems->Height(), itemsHeight + 100);
    EXPECT_EQ(d->BClose->Top() + d->Panel1->Top(), d->ClientHeight() - 36 + 8);
    CloseDialog();
}

TEST_F(CustomizationForm, CommandsAreListedByCategoryWithoutAccelerators) {
    form->Action(1)->SetCaption("&Start");
    form->Action(4)->SetCaption("Save && &Quit");
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Rows(*d->lbCategories), std::vector<std::string>{"Default"});
    EXPECT_EQ(d->lbCategories->ItemIndex(), 0);
    EXPECT_EQ(Rows(*d->lbItems), (std::vector<std::string>{"Exit", "Start", "Pause", "Stop", "Save & Quit"}));
    EXPECT_EQ(d->lbItems->ItemHeight(), 22);

    // A caption that follows its command follows in the list too.
    form->Action(2)->SetCaption("Resume");
    EXPECT_EQ(d->lbItems->ItemText(2), "Resume");

    // A click selects the command; the description shows its text.
    form->Button(3)->SetDescription("Stops the clock");
    d->PageControl->SetActivePage(d->tsItems);
    Application().ProcessMessages();
    ClickAt(d->lbItems->Handle(), Middle(d->lbItems->ItemRect(3)));
    EXPECT_EQ(d->lbItems->ItemIndex(), 3);
    EXPECT_TRUE(manager.SelectionHandler()->InSelection(form->Button(3)));
    EXPECT_EQ(d->DescriptionLabel->Caption(), "Stops the clock");
    // The toolbar stays selected beside it: one toolbar and one item.
    EXPECT_TRUE(manager.SelectionHandler()->InSelection(form->Toolbar()));
    ClickAt(d->lbItems->Handle(), Middle(d->lbItems->ItemRect(0)));
    EXPECT_FALSE(manager.SelectionHandler()->InSelection(form->Button(3)));
    EXPECT_EQ(d->DescriptionLabel->Caption(), "");
    CloseDialog();
}

TEST_F(CustomizationForm, CommandRowsTakeTheOffice2003Colours) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    d->PageControl->SetActivePage(d->tsItems);
    d->lbItems->SetItemIndex(1);
    Application().ProcessMessages();
    const TOffice11Palette& palette = Office11Palette();
    testsupport::Snapshot shot(d->lbItems->Handle());
    const RECT unselected = d->lbItems->ItemRect(0);
    const RECT selected = d->lbItems->ItemRect(1);
    const RECT last = d->lbItems->ItemRect(4);
    // Unselected: the menu colour right of the gradient column.
    EXPECT_EQ(shot.Pixel(unselected.right - 2, unselected.top + 2), palette.MenuBack);
    EXPECT_EQ(shot.Pixel(unselected.left, unselected.top + 2), palette.ToolbarLight);
    // Selected: the menu's selection colour inside its frame.
    EXPECT_EQ(shot.Pixel(selected.right - 3, selected.top + 3), palette.MenuSelected);
    EXPECT_EQ(shot.Pixel(selected.left, selected.top), palette.SelectionFrame);
    EXPECT_EQ(shot.Pixel(selected.left + 3, selected.top + 3), palette.MenuSelected);
    // Below the last row.
    EXPECT_EQ(shot.Pixel(last.right - 2, last.bottom + 4), palette.MenuBack);
    CloseDialog();
}

TEST_F(CustomizationForm, OptionsApplyAtOnce) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->EnhancedOptionsPanel->Visible());
    EXPECT_FALSE(d->StandardOptionsPanel->Visible());
    EXPECT_TRUE(d->CBMenusShowRecentItemsFirst->Checked());
    EXPECT_TRUE(d->CBShowFullMenusAfterDelay->Enabled());
    EXPECT_TRUE(d->CBHint1Ex->Checked());
    EXPECT_FALSE(d->CBHint2Ex->Checked());
    EXPECT_EQ(d->ComboBoxMenuAnimationsEx->ItemIndex(), 0);

    d->PageControl->SetActivePage(d->tsOptions);
    Application().ProcessMessages();
    ClickAt(d->CBHint1Ex->Handle(), {5, 8});
    EXPECT_FALSE(manager.ShowHint());
    EXPECT_FALSE(d->CBHint2Ex->Enabled());
    ClickAt(d->CBMenusShowRecentItemsFirst->Handle(), {5, 8});
    EXPECT_FALSE(manager.MenusShowRecentItemsFirst());
    EXPECT_FALSE(d->CBShowFullMenusAfterDelay->Enabled());
    ClickAt(d->CBLargeIconsEx->Handle(), {5, 8});
    EXPECT_TRUE(manager.LargeIcons());

    // Fade from the animation list, by keys.
    d->ComboBoxMenuAnimationsEx->SetFocus();
    PressKeys({VK_END});
    EXPECT_EQ(manager.MenuAnimations(), TdxBarMenuAnimations::Fade);

    // Reset my usage data asks first, No preselected.
    {
        BoxAnswerer answer(IDNO);
        d->BResetUsageData->Click();
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_EQ(answer.Seen()[0].title, "Quorva");
    }
    CloseDialog();
}

TEST_F(CustomizationForm, NewRenameDeleteAndResetFromTheToolbarsTab) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    const int dockHeight = form->TopDock()->Height();
    d->lbBarsList->SetFocus();
    {
        NameDialogScript script({Enter});
        PressKeys({VK_INSERT});
    }
    Application().ProcessMessages();
    ASSERT_EQ(manager.Bars().Count(), 2);
    TdxBar* custom = manager.Bars().Items(1);
    EXPECT_EQ(Rows(*d->lbBarsList), (std::vector<std::string>{"Main", "Custom 1"}));
    EXPECT_EQ(d->lbBarsList->ItemIndex(), 1);
    EXPECT_EQ(d->SelectedBars(), std::vector<TdxBar*>{custom});
    EXPECT_TRUE(d->BBarRename->Enabled());
    EXPECT_TRUE(d->BBarDelete->Enabled());
    EXPECT_FALSE(d->BBarReset->Enabled());
    EXPECT_GT(form->TopDock()->Height(), dockHeight);

    {
        NameDialogScript script({Type("Timing")});
        d->BBarRename->Click();
    }
    EXPECT_EQ(d->lbBarsList->ItemText(1), "Timing");

    // Delete asks; Cancel keeps it.
    {
        BoxAnswerer answer(IDCANCEL);
        d->lbBarsList->SetFocus();
        PressKeys({VK_DELETE});
        ASSERT_EQ(answer.Seen().size(), 1u);
    }
    EXPECT_EQ(manager.Bars().Count(), 2);
    {
        BoxAnswerer answer(IDOK);
        d->BBarDelete->Click();
    }
    Application().ProcessMessages();
    EXPECT_EQ(manager.Bars().Count(), 1);
    EXPECT_EQ(Rows(*d->lbBarsList), std::vector<std::string>{"Main"});
    EXPECT_EQ(d->lbBarsList->ItemIndex(), 0);
    EXPECT_EQ(d->SelectedBars(), std::vector<TdxBar*>{form->Toolbar()});
    EXPECT_EQ(form->TopDock()->Height(), dockHeight);

    // Delete on Main's row does nothing: its button is off.
    {
        BoxAnswerer answer(IDOK);
        d->lbBarsList->SetFocus();
        PressKeys({VK_DELETE});
        EXPECT_TRUE(answer.Seen().empty());
    }

    // Reset gives Main its five buttons back, in their order.
    TdxBarItemLinks& links = form->Toolbar()->ItemLinks();
    links.Delete(0);
    links.Move(0, 2);
    {
        BoxAnswerer answer(IDOK);
        d->BBarReset->Click();
    }
    ASSERT_EQ(links.Count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(links.Items(i)->Item(), form->Button(i));
    CloseDialog();
}

TEST_F(CustomizationForm, TheWheelScrollsTheListUnderThePointer) {
    TdxBarCustomizationForm* d = Open();
    ASSERT_NE(d, nullptr);
    for (int i = 0; i < 30; ++i) {
        TdxBar* bar = manager.Bars().Add();
        bar->SetCaption("Bar " + std::to_string(i));
    }
    Application().ProcessMessages();
    TListBox& list = *d->lbBarsList;
    ASSERT_EQ(list.Count(), 31);
    d->BBarNew->SetFocus();
    list.SetTopIndex(0);
    ClickAt(list.Handle(), {40, 40}, 0, 0);
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    POINT at{40, 40};
    ::ClientToScreen(list.Handle(), &at);
    ::SendMessageA(d->BBarNew->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    EXPECT_EQ(list.TopIndex(), static_cast<int>(lines));
    ::SendMessageA(d->BBarNew->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 4), MAKELPARAM(at.x, at.y));
    EXPECT_EQ(list.TopIndex(), 0);
    CloseDialog();
}

TEST_F(CustomizationForm, TheCustomizeEntryOfTheToolbarsMenuOpensIt) {
    SetMenuSoundPlayer([](const char*) {});
    TdxBarDesignController::Instance().PopupToolbarsMenu(manager, manager.Painter());
    TdxBarToolbarsPopup* popup = TdxBarDesignController::Instance().ToolbarsPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->RowCount(), 2);
    EXPECT_EQ(popup->RowLink(1).Item()->Caption(), "&Customize...");
    ClickAt(popup->Handle(), Middle(popup->RowRect(1)));
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_TRUE(manager.CustomizeMode());
    SetMenuSoundPlayer(nullptr);
    CloseDialog();
}

TEST_F(CustomizationForm, TheDialogGoesWithItsManagerAndLeavesNothingBehind) {
    Open();
    CloseDialog();
    const auto before = LiveHandles();
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(Open(), nullptr);
        CloseDialog();
    }
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);

    ASSERT_NE(Open(), nullptr);
    form.reset();
    EXPECT_EQ(Dialog(), nullptr);
    Application().ProcessMessages();
}

}  // namespace
