#include "app/About.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/Main.h"
#include "forms/FormReader.h"
#include "tests/common/AccessibleClient.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

constexpr std::int64_t kMs = 10'000;  // clock units per millisecond

int gReads = 0;
std::string CountingReader(const std::string& path) {
    ++gReads;
    return FileVersionText(path);
}
std::string NoVersion(const std::string&) { return {}; }

// Runs an action once inside the next modal loop, as soon as the form shows.
class WhenShown {
public:
    WhenShown(const TCustomForm& form, std::function<void()> action) {
        Form() = &form;
        Action() = std::move(action);
        FTimer = ::SetTimer(nullptr, 0, 10, Tick);
    }
    ~WhenShown() {
        ::KillTimer(nullptr, FTimer);
        Action() = nullptr;
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

private:
    static const TCustomForm*& Form() {
        static const TCustomForm* form = nullptr;
        return form;
    }
    static std::function<void()>& Action() {
        static std::function<void()> action;
        return action;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!Action() || !Form()->Visible()) return;
        auto action = std::move(Action());
        Action() = nullptr;
        try {
            action();
        } catch (...) {
            ADD_FAILURE() << "the action failed";
        }
    }
    UINT_PTR FTimer = 0;
};

class AboutDialog : public ::testing::Test {
protected:
    void SetUp() override {
        gReads = 0;
        TfrmAbout::SetVersionReader(CountingReader);
        Application().SetActive(true);
        main = TfrmMain::Create([this] { return now; });
        about = TfrmAbout::Create();
        main->ShowAbout = [this] { result = about->ShowModal(); };
        main->SetBounds(100, 80, main->Width(), main->Height());
        main->Show();
    }
    void TearDown() override {
        about.reset();
        main.reset();
        TfrmAbout::SetVersionReader(nullptr);
    }
    void AltA() {
        ::PostMessageA(main->Handle(), WM_SYSKEYDOWN, 'A', (1 << 29) | 1);
        Application().ProcessMessages();
    }
    // The dialog's window lies centred over the main window's.
    void ExpectCentred() const {
        RECT d, m;
        ::GetWindowRect(about->Handle(), &d);
        ::GetWindowRect(main->Handle(), &m);
        EXPECT_NEAR(d.left + d.right, m.left + m.right, 1);
        EXPECT_NEAR(d.top + d.bottom, m.top + m.bottom, 1);
    }

    std::int64_t now = 5'000'000'000;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmAbout> about;
    TModalResult result = mrNone;
};

TEST_F(AboutDialog, TheAboutCommandShowsItModallyWhileTheStopwatchCounts) {
    EXPECT_FALSE(about->Visible());
    EXPECT_EQ(gReads, 1);  // at creation
    ::PostMessageA(main->Handle(), WM_KEYDOWN, VK_F2, 1);
    Application().ProcessMessages();
    ASSERT_TRUE(main->Timer->Enabled());
    const std::int64_t started = now;

    bool seen = false;
    WhenShown check(*about, [&] {
        seen = true;
        EXPECT_EQ(testsupport::WindowText(about->Handle()), "About");
        EXPECT_EQ(about->lblVersion->Caption(), "Version 1.5.0");
        EXPECT_EQ(about->ClientWidth(), 364);
        EXPECT_EQ(about->ClientHeight(), 197);
        EXPECT_TRUE(about->Modal());
        EXPECT_FALSE(::IsWindowEnabled(main->Handle()));
        const LONG style = ::GetWindowLongA(about->Handle(), GWL_STYLE);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        ExpectCentred();
        // A second passes while the dialog is open.
        now = started + 1000 * kMs;
        ::PostMessageA(main->Timer->WindowHandle(), WM_TIMER, 1, 0);
        ::PostMessageA(about->btnOk->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    });
    AltA();
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, mrOk);
    EXPECT_FALSE(about->Visible());
    EXPECT_TRUE(::IsWindowEnabled(main->Handle()));
    EXPECT_EQ(main->Seconds(), 1);
    EXPECT_EQ(main->pnlTime->Caption(), "00 hrs, 00 min, 01 sec");
}

TEST_F(AboutDialog, EveryWayOfClosingEndsTheShowAndItIsCentredAgainEachTime) {
    struct Case {
        const char* what;
        std::function<void(TfrmAbout&)> close;
        TModalResult result;
    };
    const Case cases[] = {
        {"Enter", [](TfrmAbout& a) { ::PostMessageA(a.btnOk->Handle(), WM_KEYDOWN, VK_RETURN, 1); }, mrOk},
        {"Esc", [](TfrmAbout& a) { ::PostMessageA(a.btnOk->Handle(), WM_KEYDOWN, VK_ESCAPE, 1); }, mrOk},
        {"Alt+O", [](TfrmAbout& a) { ::PostMessageA(a.btnOk->Handle(), WM_SYSCHAR, 'o', (1 << 29) | 1); }, mrOk},
        {"click on Ok", [](TfrmAbout& a) { ::SendMessageA(a.btnOk->Handle(), BM_CLICK, 0, 0); }, mrOk},
        {"a screen reader pressing Ok",
         [](TfrmAbout& a) { EXPECT_EQ(testsupport::AccessibleClient(a.btnOk->Handle()).Press(CHILDID_SELF), S_OK); },
         mrOk},
        {"close box", [](TfrmAbout& a) { ::PostMessageA(a.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
    };
    int shift = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shift += 37;
        main->SetBounds(60 + shift, 40 + shift / 2, main->Width(), main->Height());
        result = mrNone;
        WhenShown closer(*about, [&] {
            ExpectCentred();
            c.close(*about);
        });
        AltA();
        EXPECT_EQ(result, c.result);
        EXPECT_FALSE(about->Visible());
        EXPECT_EQ(about->lblVersion->Caption(), "Version 1.5.0");
    }
    EXPECT_EQ(gReads, 1);  // read once, at creation, not on every show
}

TEST_F(AboutDialog, CarriesItsStoredLayout) {
    struct Bounds {
        TControl* control;
        int left, top, width, height;
    };
    const Bounds bounds[] = {
        {about->pnlBase, 0, 0, 364, 197},     {about->imgLogo, 10, 10, 100, 128},
        {about->lblProgName, 125, 10, 168, 40}, {about->lblDesc, 125, 55, 100, 16},
        {about->lblWebsite, 125, 95, 119, 16}, {about->lblCopyright, 161, 125, 193, 13},
        {about->bvlLine, 10, 150, 344, 3},     {about->btnOk, 137, 163, 90, 25},
    };
    for (const Bounds& b : bounds) {
        SCOPED_TRACE(b.control->Name());
        EXPECT_EQ(b.control->Left(), b.left);
        EXPECT_EQ(b.control->Top(), b.top);
        EXPECT_EQ(b.control->Width(), b.width);
        EXPECT_EQ(b.control->Height(), b.height);
        EXPECT_EQ(b.control->Parent(), b.control == about->pnlBase ? static_cast<TWinControl*>(about.get())
                                                                    : static_cast<TWinControl*>(about->pnlBase));
    }
    EXPECT_EQ(about->lblVersion->Left(), 125);
    EXPECT_EQ(about->lblVersion->Top(), 70);
    EXPECT_GT(about->lblVersion->Width(), 0);

    // Labels of a fixed size show their whole text.
    auto fits = [](const TControl& label, const TFont& font) {
        MemoryDC dc;
        SelectGuard select(dc.Get(), font.Handle());
        SIZE size{};
        ::GetTextExtentPoint32A(dc.Get(), label.Caption().c_str(), int(label.Caption().size()), &size);
        EXPECT_LE(size.cx, label.Width()) << label.Name();
        EXPECT_LE(size.cy, label.Height()) << label.Name();
    };
    fits(*about->lblProgName, about->lblProgName->Font());
    fits(*about->lblDesc, about->lblDesc->Font());
    fits(*about->lblWebsite, about->lblWebsite->Font());
    fits(*about->lblWebsite, about->lblWebsite->FontActive());
    fits(*about->lblCopyright, about->lblCopyright->Font());

    EXPECT_EQ(about->pnlBase->BeginColor(), clWhite);
    EXPECT_EQ(about->pnlBase->EndColor(), 0x00FFE8E8u);
    EXPECT_EQ(about->pnlBase->BevelOuter(), TBevelCut::None);
    EXPECT_EQ(about->pnlBase->Caption(), "");
    EXPECT_EQ(about->imgLogo->PictureWidth(), 100);
    EXPECT_EQ(about->imgLogo->PictureHeight(), 128);
    EXPECT_EQ(about->imgLogo->TransparentColor(), RGB(255, 255, 255));
    EXPECT_TRUE(about->imgLogo->Stretch());
    EXPECT_TRUE(about->imgLogo->Transparent());
    EXPECT_EQ(about->lblProgName->Caption(), "Quorva");
    EXPECT_EQ(about->lblProgName->Font().Name(), "Times New Roman");
    EXPECT_EQ(about->lblProgName->Font().Height(), -35);
    EXPECT_EQ(about->lblDesc->Caption(), "Stopwatch Timer");
    EXPECT_EQ(about->lblWebsite->Caption(), "Brenwick Software");
    EXPECT_EQ(about->lblWebsite->URL(), "https://brenwick.example/quorva");
    EXPECT_EQ(about->lblWebsite->Font().Color(), clBlue);
    EXPECT_EQ(about->lblWebsite->FontActive().Color(), clRed);
    EXPECT_EQ(about->lblWebsite->FontActive().Style(), unsigned(TFontStyle::Underline));
    EXPECT_EQ(about->lblCopyright->Alignment(), TAlignment::RightJustify);
    EXPECT_FALSE(about->lblCopyright->ShowAccelChar());
    EXPECT_NE(about->lblCopyright->Caption().find(" & "), std::string::npos);
    EXPECT_EQ(about->lblCopyright->Font().Color(), clGray);
    EXPECT_EQ(about->bvlLine->Shape(), TBevelShape::BottomLine);
    EXPECT_EQ(about->btnOk->Caption(), "&Ok");
    EXPECT_TRUE(about->btnOk->Default());
    EXPECT_TRUE(about->btnOk->Cancel());
    EXPECT_EQ(about->btnOk->ModalResult(), mrOk);
    EXPECT_EQ(about->btnOk->Hint(), "Close|Close this dialog");
    EXPECT_FALSE(about->btnOk->ShowHint());
    EXPECT_TRUE(about->btnOk->LookAndFeel().NativeStyle());
    EXPECT_EQ(about->btnOk->Colors().Color(controls::TcxButtonAssignedColor::cxbcHot), clBtnHighlight);
    EXPECT_TRUE(about->KeyPreview());
    EXPECT_EQ(about->Font().Name(), "System");
    EXPECT_EQ(about->Font().Height(), -13);
}

TEST_F(AboutDialog, TheGradientShowsThroughTheWhiteOfTheLogo) {
    // Inside the logo, near its bottom-right corner, the picture is white.
    const int x = 105, y = 135;
    testsupport::Snapshot withLogo(about->pnlBase->Handle());
    about->imgLogo->SetVisible(false);
    testsupport::Snapshot without(about->pnlBase->Handle());
    EXPECT_EQ(withLogo.Pixel(x, y), without.Pixel(x, y));
    EXPECT_NE(without.Pixel(x, y), RGB(255, 255, 255));
    EXPECT_NE(withLogo.Pixel(60, 60), without.Pixel(60, 60));  // the stopwatch's face
    // The etched line along the bevel's bottom edge.
    EXPECT_EQ(without.Pixel(100, 151), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(without.Pixel(100, 152), ::GetSysColor(COLOR_BTNHIGHLIGHT));
}

std::string gOpened;
HINSTANCE WINAPI RecordingShell(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
    gOpened = file;
    return reinterpret_cast<HINSTANCE>(33);
}

TEST_F(AboutDialog, ScreenReadersReadEachControl) {
    about->Show();
    testsupport::AccessibleClient panel(about->pnlBase->Handle());
    ASSERT_EQ(panel.Result(), S_OK);
    struct Expected {
        TControl* control;
        LONG role;
        const char* name;
    } expected[] = {
        {about->imgLogo, ROLE_SYSTEM_GRAPHIC, ""},
        {about->lblProgName, ROLE_SYSTEM_STATICTEXT, "Quorva"},
        {about->lblDesc, ROLE_SYSTEM_STATICTEXT, "Stopwatch Timer"},
        {about->lblVersion, ROLE_SYSTEM_STATICTEXT, "Version 1.5.0"},
        {about->lblWebsite, ROLE_SYSTEM_LINK, "Brenwick Software"},
        // Shown without accelerators, its "&" is read as it is.
        {about->lblCopyright, ROLE_SYSTEM_STATICTEXT, "Copyright \xA9 2026 T. Brenwick & Co."},
        {about->bvlLine, ROLE_SYSTEM_SEPARATOR, ""},
        {about->btnOk, ROLE_SYSTEM_PUSHBUTTON, "Ok"},
    };
    ASSERT_EQ(panel.ChildCount(), long(std::size(expected)));
    for (long i = 1; i <= panel.ChildCount(); ++i) {
        const Expected& e = expected[i - 1];
        SCOPED_TRACE(e.control->Name());
        const testsupport::AccessibleElement read = panel.Read(i);
        EXPECT_EQ(read.role, e.role);
        EXPECT_EQ(read.name, e.name);
        RECT r = e.control->BoundsRect();
        ::MapWindowPoints(about->pnlBase->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(::EqualRect(&read.bounds, &r));
    }

    // The button is a window of its own, with an object of its own.
    IDispatch* own = nullptr;
    EXPECT_EQ(panel.Object()->get_accChild(testsupport::AccessibleClient::Child(8), &own), S_OK);
    if (own) own->Release();
    testsupport::AccessibleClient ok(about->btnOk->Handle());
    const testsupport::AccessibleElement button = ok.Read(CHILDID_SELF);
    EXPECT_EQ(button.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(button.name, "Ok");
    EXPECT_EQ(button.description, "Close this dialog");
    EXPECT_EQ(button.shortcut, "Alt+O");
    EXPECT_EQ(button.action, "Press");
    EXPECT_TRUE(button.state & STATE_SYSTEM_DEFAULT);

    // The link's value is where it leads; its default action goes there.
    const testsupport::AccessibleElement link = panel.Read(5);
    EXPECT_EQ(link.value, "https://brenwick.example/quorva");
    EXPECT_EQ(link.action, "Jump");
    EXPECT_EQ(panel.Read(2).action, "");
    EXPECT_EQ(panel.Press(2), DISP_E_MEMBERNOTFOUND);
    components::TQibLinkLabel::SetShellExecuteFunction(RecordingShell);
    gOpened.clear();
    EXPECT_EQ(panel.Press(5), S_OK);
    Application().ProcessMessages();
    components::TQibLinkLabel::SetShellExecuteFunction(nullptr);
    EXPECT_EQ(gOpened, "https://brenwick.example/quorva");
    about->Hide();
}

TEST(AboutVersion, ShowsTheFirstThreeNumbersOfTheFileVersion) {
    struct Case {
        DWORD ms, ls;
        const char* text;
    };
    const Case cases[] = {
        {0x00010005, 0x00000000, "1.5.0"},
        {0x0002000A, 0x00030007, "2.10.3"},
        {0xFFFFFFFF, 0xFFFF0000, "65535.65535.65535"},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionText(c.ms, c.ls), c.text);

    char path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(FileVersionText(path), "1.5.0");
}

TEST(AboutVersion, AFileWithoutAReadableVersionGivesNoNumber) {
    char dir[MAX_PATH], junk[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, dir), 0u);
    ASSERT_NE(::GetTempFileNameA(dir, "qv", 0, junk), 0u);
    if (FILE* f = std::fopen(junk, "wb")) {
        std::fputs("MZ not really a program", f);
        std::fclose(f);
    }
    EXPECT_EQ(FileVersionText(junk), "");
    ::DeleteFileA(junk);
    EXPECT_EQ(FileVersionText(std::string(dir) + "no such file.exe"), "");

    TfrmAbout::SetVersionReader(NoVersion);
    auto about = TfrmAbout::Create();
    TfrmAbout::SetVersionReader(nullptr);
    EXPECT_EQ(about->lblVersion->Caption(), "Version");
}

}  // namespace
