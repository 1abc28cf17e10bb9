#include "components/QibLinkLabel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/TestSupport.h"
#include "tests/components/ComponentsTestSupport.h"

using namespace forms;
using components::TQibLinkLabel;
using componentstest::Invalidated;
using componentstest::TTestForm;

namespace {

struct ShellCall {
    HWND owner;
    std::string operation, file;
    bool noParameters, noDirectory;
    INT show;
};
std::vector<ShellCall> gShellCalls;

HINSTANCE WINAPI FakeShell(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
    gShellCalls.push_back({owner, operation ? operation : "", file ? file : "", !parameters, !directory, show});
    return reinterpret_cast<HINSTANCE>(42);
}

class LinkLabel : public ::testing::Test {
protected:
    void SetUp() override {
        gShellCalls.clear();
        TQibLinkLabel::SetShellExecuteFunction(FakeShell);
        form = std::make_unique<TTestForm>();
        form->Load(ObjectNode{"TTestForm", "frm", {{"ClientWidth", Value::Int(300)}, {"ClientHeight", Value::Int(100)}},
                              {ObjectNode{"TQibLinkLabel", "lbl", {
                                  {"Left", Value::Int(20)}, {"Top", Value::Int(30)},
                                  {"Caption", Value::Str("Brenwick Software")},
                                  {"OnClick", Value::Id("Clicked")}}, {}}}});
        label = dynamic_cast<TQibLinkLabel*>(form->FindComponent("lbl"));
        ASSERT_TRUE(label);
    }
    void TearDown() override {
        form.reset();
        TQibLinkLabel::SetShellExecuteFunction(nullptr);
    }
    // Pointer messages as the form's window gets them, over the label.
    void Send(UINT message) {
        LPARAM at = MAKELPARAM(label->Left() + 2, label->Top() + 2);
        ::SendMessageA(form->Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
    }
    void ClickLabel() {
        Send(WM_LBUTTONDOWN);
        Send(WM_LBUTTONUP);
    }
    static bool SameFont(const TFont& a, const TFont& b) {
        return a.Name() == b.Name() && a.Height() == b.Height() && a.Color() == b.Color() && a.Style() == b.Style();
    }

    std::unique_ptr<TTestForm> form;
    TQibLinkLabel* label = nullptr;
};

TEST_F(LinkLabel, LooksLikeALink) {
    EXPECT_EQ(label->Cursor(), ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
    EXPECT_EQ(label->Font().Color(), clBlue);
    EXPECT_EQ(label->Font().Style(), unsigned(TFontStyle::Underline));
    EXPECT_EQ(label->FontActive().Color(), clRed);
    EXPECT_EQ(label->FontActive().Style(), unsigned(TFontStyle::Underline));
    EXPECT_EQ(label->URL(), "");
}

TEST_F(LinkLabel, HoverSwapsTheWholeFontAndLeavingGivesTheEntryFontBack) {
    label->Font().SetName("Arial");
    label->Font().SetHeight(-13);
    label->FontActive().SetName("Times New Roman");
    label->FontActive().SetHeight(-20);
    label->FontActive().SetStyle(unsigned(TFontStyle::Bold));
    std::vector<std::string> events;
    label->OnMouseEnter = TNotifyEvent(this, "enter", [&](TComponent*) { events.push_back("enter"); });
    label->OnMouseLeave = TNotifyEvent(this, "leave", [&](TComponent*) { events.push_back("leave"); });
    TFont before;
    before.Assign(label->Font());

    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(SameFont(label->Font(), label->FontActive()));
    const int hoveredWidth = label->Width();
    // A font set while hovered is replaced by the one of entry.
    label->Font().SetColor(clGreen);
    ::SendMessageA(form->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(SameFont(label->Font(), before));
    EXPECT_NE(label->Width(), hoveredWidth);  // auto-sized to the text again
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
    // A leave with no entry before it keeps the font.
    label->Font().SetColor(clMaroon);
    label->PointerLeft();
    EXPECT_EQ(label->Font().Color(), clMaroon);
}

TEST_F(LinkLabel, ClickOpensTheStoredURLUnlessItIsBlank) {
    struct Case {
        const char* url;
        bool opens;
    };
    const Case cases[] = {
        {"", false},
        {" \t\r\n ", false},
        {"https://brenwick.example/", true},
        {"  https://brenwick.example/ \t", true},  // passed on with its blanks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        gShellCalls.clear();
        form->Clicks = 0;
        label->UpdateURL(c.url);
        ClickLabel();
        EXPECT_EQ(form->Clicks, 1);
        ASSERT_EQ(gShellCalls.size(), c.opens ? 1u : 0u);
        if (!c.opens) continue;
        const ShellCall& call = gShellCalls[0];
        EXPECT_EQ(call.owner, nullptr);
        EXPECT_EQ(call.operation, "open");
        EXPECT_EQ(call.file, c.url);
        EXPECT_TRUE(call.noParameters);
        EXPECT_TRUE(call.noDirectory);
        EXPECT_EQ(call.show, SW_SHOWNORMAL);
    }
}

TEST_F(LinkLabel, AnActiveFontIsTakenWholeAndRepaintsButItsOwnIsLeftAlone) {
    form->Show();
    Invalidated(form->Handle());
    label->UpdateFontActive(label->FontActive());
    EXPECT_FALSE(Invalidated(form->Handle()));
    TFont same;
    same.Assign(label->FontActive());
    label->UpdateFontActive(same);
    EXPECT_TRUE(Invalidated(form->Handle()));
    TFont other;
    other.SetName("Arial");
    other.SetHeight(-17);
    other.SetColor(clPurple);
    other.SetStyle(unsigned(TFontStyle::Italic));
    label->UpdateFontActive(other);
    EXPECT_TRUE(SameFont(label->FontActive(), other));
    form->Hide();
}

TEST_F(LinkLabel, StoresItsURLAndActiveFont) {
    TTestForm stored;
    stored.Load(ObjectNode{"TTestForm", "frm", {}, {ObjectNode{"TQibLinkLabel", "lnk", {
        {"URL", Value::Str("https://brenwick.example/quorva")},
        {"FontActive.Color", Value::Id("clLime")},
        {"FontActive.Height", Value::Int(-13)},
        {"Cursor", Value::Id("crHandPoint")}}, {}}}});
    auto* link = dynamic_cast<TQibLinkLabel*>(stored.FindComponent("lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->URL(), "https://brenwick.example/quorva");
    EXPECT_EQ(link->FontActive().Color(), clLime);
    EXPECT_EQ(link->FontActive().Height(), -13);
    TTestForm again;
    std::vector<Property> written = WriteProperties(*link);
    again.Load(ObjectNode{"TTestForm", "frm", {}, {ObjectNode{"TQibLinkLabel", "lnk", written, {}}}});
    auto* copy = dynamic_cast<TQibLinkLabel*>(again.FindComponent("lnk"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(WriteProperties(*copy), written);
    EXPECT_EQ(copy->URL(), link->URL());
    EXPECT_TRUE(SameFont(copy->FontActive(), link->FontActive()));
}

}  // namespace
