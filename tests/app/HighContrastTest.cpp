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

// A black scheme with yellow text, as the first high-contrast scheme has.
constexpr int kIndices[] = {COLOR_BTNFACE,   COLOR_BTNTEXT,       COLOR_WINDOW,   COLOR_WINDOWTEXT,
                            COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT, COLOR_BTNSHADOW,
                            COLOR_BTNHIGHLIGHT};
constexpr COLORREF kScheme[] = {RGB(0, 0, 0),     RGB(255, 255, 0),   RGB(0, 0, 0),
                                RGB(255, 255, 0), RGB(0, 128, 255),   RGB(255, 255, 255),
                                RGB(0, 255, 0),   RGB(128, 128, 128), RGB(192, 192, 192)};
constexpr COLORREF kFace = RGB(0, 0, 0), kText = RGB(255, 255, 0);

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

}  // namespace
