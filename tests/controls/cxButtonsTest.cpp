// The look-and-feel push button configured as a dialog's OK button: its
// stored settings, its faces per state, hot tracking, keys and clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/cxButtons.h"
#include "controls/dxThemeManager.h"
#include "controls/dxUxTheme.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "tests/common/TestSupport.h"
#include "tests/common/TestSupport.h"
#include "tests/controls/LookAndFeelTestSupport.h"

using namespace controls;
using namespace controlstest;
using forms::ObjectNode;
using forms::Property;
using forms::Value;

namespace {

constexpr int kBtnW = 90, kBtnH = 25;
constexpr forms::TColor kFormColor = 0x00C08040;

ObjectNode Description() {
    auto prop = [](const char* n, Value v) { return Property{n, std::move(v)}; };
    return ObjectNode{
        "TButtonForm", "frm",
        {prop("ClientWidth", Value::Int(240)), prop("ClientHeight", Value::Int(80)), prop("Color", Value::Int(kFormColor))},
        {ObjectNode{"TEdit", "edt", {prop("Left", Value::Int(8)), prop("Top", Value::Int(8)), prop("TabOrder", Value::Int(0))}, {}},
         ObjectNode{"TcxButton", "btnOk",
                    {prop("Left", Value::Int(137)), prop("Top", Value::Int(40)), prop("Width", Value::Int(kBtnW)),
                     prop("Height", Value::Int(kBtnH)), prop("Caption", Value::Str("&Ok")),
                     prop("Default", Value::Bool(true)), prop("Cancel", Value::Bool(true)),
                     prop("ModalResult", Value::Int(1)), prop("Font.Name", Value::Str("MS Sans Serif")),
                     prop("Font.Height", Value::Int(-11)), prop("ParentFont", Value::Bool(false)),
                     prop("Hint", Value::Str("Close|Close this dialog")), prop("TabOrder", Value::Int(1)),
                     prop("LookAndFeel.NativeStyle", Value::Bool(true)),
                     prop("Colors.Hot", Value::Id("clBtnHighlight"))},
                    {}}}};
}

class TButtonForm : public forms::TForm {
public:
    TButtonForm() : TForm(nullptr) {
        Create(Description());
        Bind(btnOk, "btnOk");
        Bind(edt, "edt");
        btnOk->OnClick = forms::TNotifyEvent(this, "btnOkClick", [this](forms::TComponent*) { ++clicks; });
    }
    const char* ClassName() const override { return "TButtonForm"; }
    TcxButton* btnOk = nullptr;
    forms::TEdit* edt = nullptr;
    int clicks = 0;
};

// What the button paints for an owner-draw request with these state bits.
std::unique_ptr<Surface> Paint(TcxButton& button, UINT itemState = 0) {
    auto s = std::make_unique<Surface>(kBtnW, kBtnH, Pixel(0xFF00FF));
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState | (button.Enabled() ? 0 : ODS_DISABLED);
    item.hwndItem = button.Handle();
    item.hDC = s->DC();
    item.rcItem = {0, 0, kBtnW, kBtnH};
    ::SendMessageA(::GetParent(button.Handle()), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    return s;
}

// The bounding box of the pixels of one colour inside the frame.
RECT Extent(const Surface& s, COLORREF color) {
    RECT r{kBtnW, kBtnH, 0, 0};
    for (int y = 3; y < kBtnH - 3; ++y)
        for (int x = 3; x < kBtnW - 3; ++x)
            if (ColorAt(s, x, y) == color) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

// Where the caption's w x h rectangle goes in a 2-pixel frame.
RECT CaptionRect(const forms::TFont& font, const std::string& text) {
    forms::MemoryDC dc;
    forms::SelectGuard select(dc.Get(), font.Handle());
    RECT m{0, 0, 0, 0};
    ::DrawTextA(dc.Get(), text.c_str(), int(text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
    RECT c{2, 2, kBtnW - 2, kBtnH - 2};
    int left = c.left + (c.right - c.left - (m.right + 3)) / 2 + 1;
    int top = c.top + (c.bottom - c.top - m.bottom - 1) / 2;
    return {left, top, left + m.right, top + m.bottom};
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.right > inner.left;
}

void Pump() { forms::Application().ProcessMessages(); }

}  // namespace

TEST(cxButton, TheDialogConfigurationReadsAndWritesBack) {
    TButtonForm form;
    TcxButton& b = *form.btnOk;
    EXPECT_TRUE(b.Default());
    EXPECT_TRUE(b.Cancel());
    EXPECT_EQ(b.ModalResult(), 1);
    EXPECT_TRUE(b.LookAndFeel().NativeStyle());
    EXPECT_EQ(b.LookAndFeel().AssignedValues(), lfvNativeStyle);
    EXPECT_EQ(b.Colors().Color(TcxButtonAssignedColor::cxbcHot), forms::clBtnHighlight);
    EXPECT_EQ(b.Colors().AssignedColors(), 1u << int(TcxButtonAssignedColor::cxbcHot));
    EXPECT_EQ(::GetWindowLongA(b.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    std::vector<std::string> names;
    for (const Property& p : forms::WriteProperties(b)) names.push_back(p.name);
    auto has = [&](const char* n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    EXPECT_TRUE(has("LookAndFeel.NativeStyle"));
    EXPECT_TRUE(has("Colors.Hot"));
    EXPECT_FALSE(has("LookAndFeel.Kind"));
    EXPECT_FALSE(has("Colors.Normal"));
    EXPECT_FALSE(has("SpeedButtonOptions.CanBeFocused"));
    EXPECT_FALSE(has("Margin"));

    // Un-assigning goes back to nothing stored.
    b.Colors().SetColor(TcxButtonAssignedColor::cxbcHot, forms::clNone);
    EXPECT_EQ(b.Colors().AssignedColors(), 0u);
    EXPECT_EQ(b.Colors().Color(TcxButtonAssignedColor::cxbcHot), forms::clDefault);
}

TEST(cxButton, FlatFacesPerStateWithoutVisualStyles) {
    VisualStyles off(false);
    TButtonForm form;
    form.Show();
    form.edt->SetFocus();
    TcxButton& b = *form.btnOk;
    ASSERT_EQ(b.Painter(), TcxUltraFlatLookAndFeelPainter::Class());
    ASSERT_TRUE(b.Active());  // the default button while an edit has the focus
    const COLORREF frame = Sys(COLOR_WINDOWFRAME | forms::clSystemColor), face = Sys(forms::clBtnFace);
    const RECT caption = CaptionRect(b.Font(), "Ok");

    auto active = Paint(b);
    EXPECT_EQ(ColorAt(*active, 0, 12), frame);
    EXPECT_EQ(ColorAt(*active, 1, 12), frame);
    EXPECT_EQ(ColorAt(*active, 2, 12), face);
    EXPECT_TRUE(Inside(Extent(*active, Sys(forms::clBtnText)), caption));
    EXPECT_EQ(ColorAt(*active, 4, 3), face) << "no focus rectangle without the focus";

    // Hot: the assigned hot colour instead of the painter's blend.
    ::SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    auto hot = Paint(b);
    EXPECT_EQ(ColorAt(*hot, 0, 12), Sys(forms::clHighlight));
    EXPECT_EQ(ColorAt(*hot, 1, 12), Sys(forms::clBtnHighlight));

    auto pressed = Paint(b, ODS_SELECTED);
    EXPECT_EQ(ColorAt(*pressed, 1, 12), UltraFlatPressedColor());
    EXPECT_TRUE(Inside(Extent(*pressed, Sys(forms::clHighlightText)), caption));
    ::SendMessageA(b.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b.MouseInside());

    b.SetFocus();
    auto focused = Paint(b, ODS_FOCUS);
    EXPECT_NE(ColorAt(*focused, 4, 3), face) << "dotted focus rectangle 3 pixels in";

    b.SetEnabled(false);
    auto disabled = Paint(b);
    EXPECT_EQ(ColorAt(*disabled, 0, 12), Sys(forms::clBtnShadow));
    RECT shadow = Extent(*disabled, Sys(forms::clBtnShadow)), light = Extent(*disabled, Sys(forms::clBtnHighlight));
    EXPECT_TRUE(Inside(shadow, caption));
    EXPECT_EQ(light.left, shadow.left + 1);
    EXPECT_EQ(light.top, shadow.top + 1);
}

TEST(cxButton, ThemedFacesFollowTheVisualStyle) {
    VisualStyles on(true);
    HTHEME theme = OpenTheme(TdxThemedObjectType::totButton);
    if (!theme) GTEST_SKIP() << "no visual style here";
    TButtonForm form;
    form.Show();
    form.edt->SetFocus();
    TcxButton& b = *form.btnOk;
    ASSERT_EQ(b.Painter(), TcxWinXPLookAndFeelPainter::Class());
    auto expectTheme = [&](const Surface& s, int stateId) {
        Surface expected(kBtnW, kBtnH, Pixel(0xFF00FF));
        UxDrawThemeBackground(theme, expected.DC(), 1, stateId, RECT{0, 0, kBtnW, kBtnH});
        for (int x = 1; x < 4; ++x) EXPECT_EQ(s.Rgb(x, 12), expected.Rgb(x, 12)) << "state " << stateId << " x " << x;
        // What shows through the corner is the form, not the buffer.
        if (UxIsThemeBackgroundPartiallyTransparent(theme, 1, 1) && expected.Rgb(0, 0) == 0xFF00FF) {
            EXPECT_EQ(ColorAt(s, 0, 0), Sys(kFormColor));
        }
    };
    expectTheme(*Paint(b), 5);
    ::SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    expectTheme(*Paint(b), 2);  // the hot colour shows only without a visual style
    expectTheme(*Paint(b, ODS_SELECTED), 3);
}

TEST(cxButton, TheTrackingTimerEndsHotWhenThePointerIsGone) {
    VisualStyles off(false);
    TButtonForm form;
    form.Show();
    TcxButton& b = *form.btnOk;
    POINT inside{10, 10};
    ::ClientToScreen(b.Handle(), &inside);
    auto enterAndTick = [&] {
        ::SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        EXPECT_TRUE(b.MouseInside());
        ::PostMessageA(b.Handle(), WM_TIMER, 1, 0);
        Pump();
    };
    ASSERT_TRUE(testsupport::PointerAt({inside.x + 200, inside.y + 200}));
    enterAndTick();
    EXPECT_FALSE(b.MouseInside());
    ASSERT_TRUE(testsupport::PointerAt(inside));
    enterAndTick();
    EXPECT_TRUE(b.MouseInside());
}

TEST(cxButton, EnterEscAndTheAcceleratorClickWithTheModalResult) {
    struct Case {
        const char* name;
        std::initializer_list<WORD> keys;
        bool focusButton;
    } cases[] = {
        {"Enter", {VK_RETURN}, false}, {"Esc", {VK_ESCAPE}, false}, {"Alt+O", {VK_MENU, 'O'}, false},
        {"O on the button", {'O'}, true}, {"Space", {VK_SPACE}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TButtonForm form;
        form.Show();
        if (c.focusButton) form.btnOk->SetFocus();
        else form.edt->SetFocus();
        Pump();
        testsupport::PressKeys(c.keys);
        Pump();
        EXPECT_EQ(form.clicks, 1);
        EXPECT_EQ(form.ModalResult(), 1);
    }
}

TEST(cxButton, AClickEndsAModalShowWithItsResult) {
    TButtonForm form;
    ::PostMessageA(form.btnOk->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.ShowModal(), 1);
    EXPECT_EQ(form.clicks, 1);
}

TEST(cxButton, LeavesNoHandlesBehind) {
    CloseAllThemes();
    forms::HandleCount before = forms::LiveHandles();
    {
        VisualStyles off(false);
        TButtonForm form;
        form.Show();
        ::SendMessageA(form.btnOk->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        Paint(*form.btnOk);
        form.btnOk->LookAndFeel().SetKind(TcxLookAndFeelKind::lfStandard);
        form.btnOk->SetUseSystemPaint(true);
        form.btnOk->LookAndFeel().SetKind(TcxLookAndFeelKind::lfFlat);  // re-creates the window
        Paint(*form.btnOk);
        Pump();
    }
    CloseAllThemes();
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(forms::LiveHandles().user, before.user);
}
