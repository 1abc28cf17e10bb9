// Under a high-contrast scheme every surface takes the system's colours and
// its text stays readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "app/About.h"
#include "app/Main.h"
#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarCustomizingPopup.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxOffice11.h"
#include "controls/cxLookAndFeels.h"
#include "forms/Graphics.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

bool On() { return true; }

// A setting the test switches; the program learns of it only when told.
bool gSwitchedOn = false;
int gAsked = 0;
bool Switchable() {
    ++gAsked;
    return gSwitchedOn;
}

// Sends a message to every top-level window of the thread, as the system
// does when a setting changes.
struct Announcement {
    UINT message;
    WPARAM wParam;
};
BOOL CALLBACK AnnounceTo(HWND window, LPARAM announcement) noexcept {
    const auto* a = reinterpret_cast<const Announcement*>(announcement);
    ::SendMessageA(window, a->message, a->wParam, 0);
    return TRUE;
}
void Announce(Announcement a) { ::EnumThreadWindows(::GetCurrentThreadId(), AnnounceTo, reinterpret_cast<LPARAM>(&a)); }

// Relative luminance and contrast ratio as accessibility guidelines define them.
double Luminance(COLORREF c) {
    auto channel = [](int v) {
        double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}
double Contrast(COLORREF a, COLORREF b) {
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A black face with yellow text, as the first high-contrast scheme has;
// windows, menus and the highlight each with a pair of their own, so that
// text on another surface's colour shows as wrong or unreadable.
constexpr int kIndices[] = {COLOR_BTNFACE,   COLOR_BTNTEXT,       COLOR_WINDOW,   COLOR_WINDOWTEXT,
                            COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT, COLOR_BTNSHADOW,
                            COLOR_BTNHIGHLIGHT, COLOR_MENU,       COLOR_MENUTEXT};
constexpr COLORREF kFace = RGB(0, 0, 0), kText = RGB(255, 255, 0);
constexpr COLORREF kWindow = RGB(255, 255, 255), kWindowText = RGB(0, 0, 0);
constexpr COLORREF kHighlight = RGB(0, 128, 255), kHighlightText = RGB(255, 255, 255);
constexpr COLORREF kGrayText = RGB(0, 255, 0);
constexpr COLORREF kMenu = RGB(64, 0, 64), kMenuText = RGB(0, 255, 255);
constexpr COLORREF kScheme[] = {kFace,      kText,          kWindow,   kWindowText,        kHighlight, kHighlightText,
                                kGrayText,  RGB(128, 128, 128), RGB(192, 192, 192), kMenu, kMenuText};

class HighContrastScheme : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < std::size(kIndices); ++i) saved[i] = ::GetSysColor(kIndices[i]);
        SetHighContrastQuery(On);
        ASSERT_TRUE(::SetSysColors(int(std::size(kIndices)), kIndices, kScheme));
        SchemeChanged();
        Application().SetActive(true);
        main = TfrmMain::Create();
        about = TfrmAbout::Create();
    }
    void TearDown() override {
        if (main) main->BarManager->SetCustomizeMode(false);
        Application().ProcessMessages();
        about.reset();
        main.reset();
        SetHighContrastQuery(nullptr);
        ::SetSysColors(int(std::size(kIndices)), kIndices, saved);
        SchemeChanged();
        Application().ProcessMessages();
    }

    // What the system tells the program when the user switches schemes.
    static void SchemeChanged() {
        if (auto* listener = controls::TcxSystemPaletteChangedListener::Instance())
            ::SendMessageA(listener->Handle(), WM_SYSCOLORCHANGE, 0, 0);
        bars::RefreshOffice11Palette();
    }

    // The colour of the pixel that stands out most from the surface, and how much.
    static std::pair<COLORREF, double> Ink(const testsupport::Snapshot& s, RECT area, COLORREF surface) {
        std::pair<COLORREF, double> best{surface, 1.0};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                COLORREF c = s.Pixel(x, y);
                if (c == CLR_INVALID) continue;
                if (double r = Contrast(c, surface); r > best.second) best = {c, r};
            }
        return best;
    }
    static RECT All(const testsupport::Snapshot& s) { return {0, 0, s.Width(), s.Height()}; }
    static bool Near(COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 48 && std::abs(GetGValue(a) - GetGValue(b)) < 48 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 48;
    }

    // A surface, and its text (when `text` is given) in the text's colour
    // and well apart from the surface.
    static void ExpectSurface(const testsupport::Snapshot& s, POINT at, RECT text, COLORREF surface,
                              COLORREF ink = CLR_INVALID) {
        EXPECT_EQ(s.Pixel(at.x, at.y), surface) << at.x << "," << at.y;
        if (ink == CLR_INVALID) return;
        auto [found, contrast] = Ink(s, text, surface);
        EXPECT_TRUE(Near(found, ink)) << std::hex << found;
        EXPECT_GE(contrast, 2.0);
    }

    // Every row of an open menu: the menu's colours, the highlight's on the
    // row under the pointer, grey text on a disabled one, the highlight's
    // pair in the box of a checked one.
    static void ExpectMenuRows(bars::TdxBarSubMenuControl& menu) {
        const RECT first = menu.RowRect(0);
        ::SendMessageA(menu.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(first.left + 40, (first.top + first.bottom) / 2));
        ASSERT_EQ(menu.SelectedIndex(), 0);
        testsupport::Snapshot shot(menu.Handle());
        ExpectSurface(shot, {0, 0}, {}, kMenuText);  // the border
        for (int i = 0; i < menu.RowCount(); ++i) {
            bars::TdxBarItem& item = *menu.RowLink(i).Item();
            SCOPED_TRACE(item.Caption());
            const RECT r = menu.RowRect(i);
            const int height = r.bottom - r.top;
            const bool selected = i == menu.SelectedIndex();
            const COLORREF surface = selected ? kHighlight : kMenu;
            const COLORREF text = !item.Enabled() ? kGrayText : selected ? kHighlightText : kMenuText;
            // The caption, left of any box the row shows at its right.
            const RECT caption{r.left + 2 * height, r.top + 1, std::min<int>(r.right - 2, r.left + 2 * height + 24),
                               r.bottom - 1};
            ExpectSurface(shot, {r.right - 2, r.top + 1}, caption, surface, text);
            auto* button = dynamic_cast<bars::TdxBarButton*>(&item);
            if (button && button->ButtonStyle() == bars::TdxBarButtonStyle::Checked && button->Down())
                ExpectSurface(shot, {r.left + 4, r.top + 4}, {r.left + 4, r.top + 4, r.left + height - 2, r.bottom - 4},
                              kHighlight, kHighlightText);
        }
    }

    COLORREF saved[std::size(kIndices)]{};
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmAbout> about;
};

TEST_F(HighContrastScheme, TheMainWindowTakesTheSchemesFaceAndText) {
    // Away from the window, so that no button is hot.
    ASSERT_TRUE(testsupport::PointerAt({0, 0}));
    main->Show();
    Application().ProcessMessages();
    testsupport::Snapshot panel(main->pnlTime->Handle());
    EXPECT_EQ(panel.Pixel(2, 2), kFace);  // not the window's own lavender
    EXPECT_EQ(panel.Pixel(panel.Width() - 3, panel.Height() - 3), kFace);
    auto [time, timeContrast] = Ink(panel, All(panel), kFace);
    EXPECT_TRUE(Near(time, kText)) << std::hex << time;
    EXPECT_GE(timeContrast, 7.0);

    // The status label, navy on lavender otherwise.
    TLabel& status = *main->lblElapsedTime;
    RECT label{status.Left(), status.Top(), status.Left() + status.Width(), status.Top() + status.Height()};
    auto [ink, contrast] = Ink(panel, label, kFace);
    EXPECT_TRUE(Near(ink, kText)) << std::hex << ink;
    EXPECT_GE(contrast, 7.0);

    // The toolbar: its surface is the face; captions in the button text
    // colour, which the pictures do not use.
    testsupport::Snapshot bar(main->Toolbar->Control()->Handle());
    // Behind Pause, which is disabled and so never hot.
    EXPECT_EQ(bar.Pixel(152, 1), kFace);
    EXPECT_EQ(bar.Pixel(222, bar.Height() - 2), kFace);
    const RECT captions{0, 37, 150, bar.Height()};  // Exit and Start, enabled
    auto [caption, captionContrast] = Ink(bar, captions, kFace);
    EXPECT_TRUE(Near(caption, kText)) << std::hex << caption;
    EXPECT_GE(captionContrast, 7.0);
    const bars::TOffice11Palette& palette = bars::Office11Palette();
    for (COLORREF c : {palette.DockStart, palette.DockEnd, palette.ToolbarLight, palette.ToolbarDark})
        EXPECT_EQ(c, kFace);
    EXPECT_EQ(palette.Text, kText);
    EXPECT_EQ(palette.HotTop, RGB(0, 128, 255));
}

TEST_F(HighContrastScheme, TheAboutDialogDropsItsGradientAndFixedTextColours) {
    about->Show();
    Application().ProcessMessages();
    testsupport::Snapshot base(about->pnlBase->Handle());
    EXPECT_EQ(base.Pixel(base.Width() - 2, 2), kFace);  // white to lavender otherwise
    EXPECT_EQ(base.Pixel(base.Width() - 2, base.Height() - 2), kFace);
    // Black, blue and grey labels, and the button drawn by the visual style.
    for (TControl* control : std::initializer_list<TControl*>{about->lblProgName, about->lblDesc, about->lblVersion,
                                                              about->lblWebsite, about->lblCopyright}) {
        SCOPED_TRACE(control->Name());
        RECT r{control->Left(), control->Top(), control->Left() + control->Width(), control->Top() + control->Height()};
        auto [ink, contrast] = Ink(base, r, kFace);
        EXPECT_TRUE(Near(ink, kText)) << std::hex << ink;
        EXPECT_GE(contrast, 7.0);
    }
    testsupport::Snapshot ok(about->btnOk->Handle());
    EXPECT_EQ(ok.Pixel(6, ok.Height() / 2), kFace);
    // The caption only: the focus rectangle inverts what is under it.
    auto [okInk, okContrast] = Ink(ok, {ok.Width() / 2 - 20, 6, ok.Width() / 2 + 20, ok.Height() - 6}, kFace);
    EXPECT_TRUE(Near(okInk, kText)) << std::hex << okInk;
    EXPECT_GE(okContrast, 7.0);
}

// The answer is kept while windows paint, and asked again when the system
// announces a switch of the setting or new colours; every window then
// paints again in the scheme it now has.
TEST_F(HighContrastScheme, ASwitchOfTheSettingShowsAfterTheSystemAnnouncesIt) {
    ASSERT_TRUE(testsupport::PointerAt({0, 0}));
    gSwitchedOn = false;
    SetHighContrastQuery(Switchable);
    main->Show();
    Application().ProcessMessages();
    const HWND panel = main->pnlTime->Handle();
    const HWND bar = main->Toolbar->Control()->Handle();
    const COLORREF own = ColorToRGB(main->pnlTime->Color());
    ASSERT_NE(own, kFace);
    const struct {
        const char* name;
        Announcement announcement;
    } cases[] = {
        {"high contrast switched", {WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST}},
        {"system colours changed", {WM_SYSCOLORCHANGE, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool on : {true, false}) {
            SCOPED_TRACE(on ? "on" : "off");
            gSwitchedOn = on;
            gAsked = 0;
            ::RedrawWindow(main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            EXPECT_EQ(gAsked, 0);  // painting asks nothing
            EXPECT_NE(HighContrast(), on);
            // Another setting leaves the answer as it was.
            Announce({WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS});
            EXPECT_NE(HighContrast(), on);
            Application().ProcessMessages();

            Announce(c.announcement);
            EXPECT_EQ(HighContrast(), on);
            EXPECT_TRUE(::GetUpdateRect(panel, nullptr, FALSE));
            EXPECT_TRUE(::GetUpdateRect(bar, nullptr, FALSE));
            Application().ProcessMessages();
            testsupport::Snapshot time(panel);
            EXPECT_EQ(time.Pixel(2, 2), on ? kFace : own);
            // The toolbar's colours: this scheme's face is black either
            // way, but a checked menu row takes the highlight only here.
            EXPECT_EQ(bars::Office11Palette().MenuChecked == RGB(0, 128, 255), on);
        }
    }
}

TEST_F(HighContrastScheme, TheCustomizationDialogsListsTakeTheWindowAndHighlightPairs) {
    main->Show();
    main->BarManager->SetCustomizeMode(true);
    Application().ProcessMessages();
    auto* dialog = dynamic_cast<bars::TdxBarCustomizationForm*>(bars::TdxBarCustomCustomizationForm::Instance());
    ASSERT_NE(dialog, nullptr);
    dialog->PageControl->SetActivePage(dialog->tsToolbars);
    Application().ProcessMessages();
    // The toolbars list, its one row selected and then not.
    TListBox& bars = *dialog->lbBarsList;
    ASSERT_GE(bars.Count(), 1);
    for (bool selected : {true, false}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        ::SendMessageA(bars.Handle(), LB_SETCURSEL, selected ? 0 : WPARAM(-1), 0);
        testsupport::Snapshot shot(bars.Handle());
        const RECT r = bars.ItemRect(0);
        const int side = r.bottom - r.top;
        ExpectSurface(shot, {r.right - 2, r.top + 1}, {r.left + side + 2, r.top, r.left + side + 40, r.bottom},
                      selected ? kHighlight : kWindow, selected ? kHighlightText : kWindowText);
    }

    // The command rows, as each kind of painter draws them.
    bars::TdxBarItem* command = nullptr;
    for (bars::TdxBarItem* item : main->BarManager->Items())
        if (!item->Caption().empty() && item->Enabled()) command = item;
    ASSERT_NE(command, nullptr);
    const bars::TdxBarCustomizationFormStandardPainter standard;
    const bars::TdxBarCustomizationFormFlatPainter flat;
    const bars::TdxBarCustomizationFormXPPainter xp;
    const bars::TdxBarCustomizationFormOffice11Painter office11;
    const struct {
        const char* name;
        const bars::TdxBarCustomizationFormPainter& painter;
        COLORREF surface, text;
    } painters[] = {{"standard", standard, kFace, kText},
                    {"flat", flat, kWindow, kWindowText},
                    {"XP", xp, kWindow, kWindowText},
                    {"Office 2003", office11, kWindow, kWindowText}};
    const RECT row{0, 0, 200, 22};
    for (const auto& p : painters) {
        for (bool selected : {false, true}) {
            SCOPED_TRACE(std::string(p.name) + (selected ? " selected" : ""));
            testsupport::Snapshot shot(row.right, row.bottom, [&](HDC dc) {
                p.painter.DrawItemRow(dc, row, *main->BarManager, *command, "Command", selected);
            });
            ExpectSurface(shot, {row.right - 2, 1}, {row.bottom + 2, 0, row.right, row.bottom},
                          selected ? kHighlight : p.surface, selected ? kHighlightText : p.text);
            EXPECT_EQ(p.painter.UnselectedRowColor(), p.surface);
        }
    }
}

TEST_F(HighContrastScheme, ThePopupMenusTakeTheMenuAndHighlightPairs) {
    ASSERT_TRUE(testsupport::PointerAt({10, 10}));
    main->Show();
    Application().ProcessMessages();
    bars::TdxBarDesignController& controller = bars::TdxBarDesignController::Instance();
    {
        SCOPED_TRACE("toolbars menu");
        controller.PopupToolbarsMenu(*main->BarManager, main->BarManager->Painter());
        ASSERT_NE(controller.ToolbarsPopup(), nullptr);
        ExpectMenuRows(*controller.ToolbarsPopup());
        controller.ToolbarsPopup()->CloseUp();
    }
    {
        SCOPED_TRACE("item menu");
        main->BarManager->SetCustomizeMode(true);
        Application().ProcessMessages();
        bars::TdxBarControl& toolbar = *main->Toolbar->Control();
        controller.PopupItemMenu(toolbar, main->Toolbar->ItemLinks().Items(0));
        bars::TdxBarCustomizingPopup* menu = controller.CustomizingPopup();
        ASSERT_NE(menu, nullptr);
        ExpectMenuRows(*menu);
        // The name box: the window's pair.
        ASSERT_NE(menu->NameEdit(), nullptr);
        RECT box{};
        ::GetWindowRect(menu->NameEdit(), &box);
        ::MapWindowPoints(nullptr, menu->Handle(), reinterpret_cast<POINT*>(&box), 2);
        testsupport::Snapshot shot(menu->Handle());
        EXPECT_EQ(shot.Pixel(box.left, box.top), kWindow);
        testsupport::Snapshot edit(menu->NameEdit());
        ExpectSurface(edit, {edit.Width() - 1, edit.Height() - 1}, All(edit), kWindow, kWindowText);
        menu->CloseUp();
    }
}

}  // namespace
