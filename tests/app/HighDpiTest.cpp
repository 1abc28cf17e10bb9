// Text must fit its control at the screen's dots per inch. The ctest "dpi"
// runs these tests again in prefixes set to 120 and 144 dots per inch
// (QUORVA_DPI names the setting there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/About.h"
#include "app/Main.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxBarToolbar.h"
#include "bars/dxOffice11.h"
#include "controls/cxButtons.h"
#include "forms/ExtCtrls.h"
#include "forms/StdCtrls.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

// The size a text takes in a font; "&" marks an accelerator unless told not.
SIZE TextSize(const TFont& font, const std::string& text, bool prefix = true, int wrapWidth = 0) {
    MemoryDC dc;
    SelectGuard select(dc.Get(), font.Handle());
    RECT r{0, 0, wrapWidth, 0};
    UINT format = DT_CALCRECT | DT_EXPANDTABS | (prefix ? 0 : DT_NOPREFIX) | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE);
    ::DrawTextA(dc.Get(), text.c_str(), int(text.size()), &r, format);
    return {r.right - r.left, r.bottom - r.top};
}

// Every visible caption under a control fits the room its control gives it.
void ExpectCaptionsFit(TControl& control, const std::string& path = {}) {
    if (!control.Visible()) return;
    const std::string where = path + "/" + control.Name();
    const std::string& caption = control.Caption();
    const int width = control.Width(), height = control.Height();
    if (!caption.empty()) {
        SCOPED_TRACE(where + " \"" + caption + "\"");
        if (auto* label = dynamic_cast<TCustomLabel*>(&control)) {
            SIZE s = TextSize(label->Font(), caption, label->ShowAccelChar(), label->WordWrap() ? width : 0);
            EXPECT_LE(s.cx, width);
            EXPECT_LE(s.cy, height);
        } else if (dynamic_cast<TCheckBox*>(&control)) {
            SIZE s = TextSize(control.Font(), caption);
            EXPECT_LE(::GetSystemMetrics(SM_CXMENUCHECK) + 4 + s.cx, width);
            EXPECT_LE(s.cy, height);
        } else if (dynamic_cast<TCustomButton*>(&control)) {
            // A button's frame and focus rectangle take three pixels a side.
            SIZE s = TextSize(control.Font(), caption);
            EXPECT_LE(s.cx + 6, width);
            EXPECT_LE(s.cy + 6, height);
        } else if (auto* panel = dynamic_cast<TCustomPanel*>(&control)) {
            auto bevel = [&](TBevelCut cut) { return cut == TBevelCut::None ? 0 : panel->BevelWidth(); };
            const int inset = bevel(panel->BevelOuter()) + panel->BorderWidth() + bevel(panel->BevelInner());
            RECT inner = panel->ClientRect();
            ::InflateRect(&inner, -inset, -inset);
            SIZE s = TextSize(control.Font(), caption, false);
            EXPECT_LE(s.cx, inner.right - inner.left);
            EXPECT_LE(s.cy, inner.bottom - inner.top);
        }
    }
    if (auto* parent = dynamic_cast<TWinControl*>(&control))
        for (TControl* child : parent->Controls()) ExpectCaptionsFit(*child, where);
}

class HighDpi : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* dpi = std::getenv("QUORVA_DPI")) {
            ASSERT_EQ(ScreenPixelsPerInch(), std::atoi(dpi));
        }
        Application().SetActive(true);
        main = TfrmMain::Create();
        about = TfrmAbout::Create();
    }
    void TearDown() override {
        if (main) main->BarManager->SetCustomizeMode(false);
        Application().ProcessMessages();
        about.reset();
        main.reset();
    }
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmAbout> about;
};

TEST_F(HighDpi, TheMainWindowAndItsToolbarFitTheirTexts) {
    main->Show();
    ExpectCaptionsFit(*main);
    // The toolbar grows with its font; the buttons keep their width.
    const TFont& font = main->Toolbar->Font();
    const int textHeight = TextSize(font, "Qq").cy;
    bars::TdxBarItemLinks& links = main->Toolbar->ItemLinks();
    for (const char* pause : {"Pause", "Resume"}) {
        main->actPause->SetCaption(pause);
        for (int i = 0; i < links.Count(); ++i) {
            RECT r = links.Items(i)->ItemRect();
            const std::string caption = links.Items(i)->Item()->Caption();
            SCOPED_TRACE(caption);
            EXPECT_LE(TextSize(font, caption).cx, r.right - r.left - 4);
            EXPECT_EQ(r.bottom - r.top, 39 + textHeight);
        }
    }
    // The time below the toolbar keeps all of its height.
    EXPECT_GE(main->pnlTime->Height(), TextSize(main->pnlTime->Font(), "W").cy + 2 * 5);
    EXPECT_EQ(main->ClientWidth(), 375);
}

TEST_F(HighDpi, TheAboutDialogKeepsItsSizeAndFitsItsTexts) {
    EXPECT_EQ(about->ClientWidth(), 364);
    EXPECT_EQ(about->ClientHeight(), 197);
    ExpectCaptionsFit(*about);
}

TEST_F(HighDpi, TheCustomizationDialogGrowsWithItsFont) {
    main->Show();
    main->BarManager->SetCustomizeMode(true);
    Application().ProcessMessages();
    auto* dialog = dynamic_cast<bars::TdxBarCustomizationForm*>(bars::TdxBarCustomCustomizationForm::Instance());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ClientWidth(), forms::MulDiv(366, ScreenPixelsPerInch(), 96));
    for (TTabSheet* tab : {dialog->tsToolbars, dialog->tsItems, dialog->tsOptions}) {
        dialog->PageControl->SetActivePage(tab);
        Application().ProcessMessages();
        ExpectCaptionsFit(*tab);
    }
    ExpectCaptionsFit(*dialog->Panel1);
}

// The toolbars menu: its check column is never narrower than a row is
// high, and the check mark in it is at least half as high as the text.
TEST_F(HighDpi, TheToolbarsMenusCheckColumnGrowsWithItsFont) {
    ASSERT_TRUE(testsupport::PointerAt({0, 0}));
    main->Show();
    Application().ProcessMessages();
    const int textHeight = TextSize(main->BarManager->Font(), "Qq").cy;
    // The prefix's fonts follow its setting, or nothing here is tested.
    if (ScreenPixelsPerInch() > 96) {
        ASSERT_GT(textHeight, 13);
    }
    bars::TdxBarDesignController& controller = bars::TdxBarDesignController::Instance();
    controller.PopupToolbarsMenu(*main->BarManager, main->BarManager->Painter());
    bars::TdxBarToolbarsPopup* menu = controller.ToolbarsPopup();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->RowCount(), 2);  // "Main", checked, and "Customize..."
    ASSERT_EQ(menu->SelectedIndex(), -1);
    const bars::TOffice11Palette& palette = bars::Office11Palette();
    testsupport::Snapshot shot(menu->Handle());

    // Where the column gives way to the menu's face, on the unchecked row.
    const RECT plain = menu->RowRect(1);
    const int middle = (plain.top + plain.bottom) / 2;
    int column = plain.left;
    while (column < plain.right && shot.Pixel(column, middle) != palette.MenuBack) ++column;
    EXPECT_GE(column - plain.left, plain.bottom - plain.top);

    // The check mark's height, in the checked row's part of the column.
    const RECT checked = menu->RowRect(0);
    int top = checked.bottom, bottom = checked.top;
    for (int y = checked.top; y < checked.bottom; ++y)
        for (int x = checked.left; x < column; ++x)
            if (shot.Pixel(x, y) == palette.MenuCheckMark) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    EXPECT_GE(bottom - top, textHeight / 2);
    // It stays inside its box, clear of the row's edges.
    EXPECT_GT(top, checked.top + 2);
    EXPECT_LT(bottom, checked.bottom - 2);
    menu->CloseUp();
}

}  // namespace
