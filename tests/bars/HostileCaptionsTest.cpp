// Toolbar names and button captions that look like format directives,
// accelerator marks, nothing, a great deal or letters beyond ASCII, in
// every list, menu, box and tooltip that shows them: shown as they are
// (where captions take accelerator marks, with those applied), never a
// crash.
#include "tests/bars/BarsTestSupport.h"

#include "bars/dxBarCustForm.h"
#include "bars/dxBarCustomizingPopup.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarHint.h"
#include "bars/dxBarSubMenuControl.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::BoxAnswerer;
using testsupport::PumpUntil;

namespace {

// The text a command row shows for its caption: "&" marks the next
// letter and goes, "&&" shows one "&".
std::string AsDrawn(const std::string& caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i == caption.size()) break;
        text += caption[i];
    }
    return text;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TdxBarCustomizationForm* Dialog() {
    return dynamic_cast<TdxBarCustomizationForm*>(TdxBarCustomCustomizationForm::Instance());
}

struct Hostile {
    const char* what;
    std::string text;
};

const std::vector<Hostile>& HostileTexts() {
    static const std::vector<Hostile> texts{
        {"format directives", "100% %s%d %n%% %"},
        {"accelerator marks", "R&D && Co &"},
        {"empty", ""},
        {"very long", std::string(1000, 'W') + " end"},
        {"beyond ASCII", "Zeitz\xE4hler \xC4\xD6\xDC \xE9t\xE9 \xA9 \xBF\xF1"},
    };
    return texts;
}

class HostileCaptions : public ::testing::Test {
protected:
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form;

    void SetUp() override {
        InitializeCustomizationForm();
        SetMenuSoundPlayer([](const char*) {});
        Application().SetTitle("Quorva");
    }
    void TearDown() override {
        if (Dialog()) Dialog()->BClose->Click();
        PumpUntil([] { return Dialog() == nullptr; }, 2000);
        form.reset();
        Application().ProcessMessages();
        SetMenuSoundPlayer(nullptr);
    }
    // The main-like window with the text as its toolbar's name and as the
    // first button's caption (its hint: the text and " Hint").
    void Load(const std::string& text) {
        FormShape shape;
        shape.bar = {{"Caption", Value::Str(text)}};
        shape.captions[0] = text;
        form.reset();
        form = LoadForm(MainLikeForm(shape));
        form->SetBounds(40, 40, form->Width(), form->Height());
        form->Show();
        Application().ProcessMessages();
    }
    TdxBarManager& Manager() { return *form->Manager(); }
    TdxBar& Bar() { return *form->Toolbar(); }
};

TEST_F(HostileCaptions, AreShownAsTypedEverywhere) {
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.what);
        Load(h.text);
        Snapshot toolbar(form->ToolbarWindow()->Handle());

        // The button's tooltip.
        TdxBarItemControl& first = form->ToolbarWindow()->Controls(0);
        EXPECT_EQ(TooltipText(first, false), h.text + " Hint");
        RECT r = first.ItemLink().ItemRect();
        POINT over = testsupport::Middle(r);
        ::ClientToScreen(form->ToolbarWindow()->Handle(), &over);
        ASSERT_TRUE(testsupport::PointerAt(over));
        ASSERT_NE(TooltipWindow(), nullptr);
        ::PostMessageA(TooltipWindow()->Handle(), WM_TIMER, TdxBarHintWindow::ShowTimer, 0);
        Application().ProcessMessages();
        ASSERT_TRUE(TooltipWindow()->Showing());
        EXPECT_EQ(testsupport::WindowText(TooltipWindow()->Handle()).rfind(h.text + " Hint", 0), 0u);
        { Snapshot tooltip(TooltipWindow()->Handle()); }
        ASSERT_TRUE(testsupport::PointerAt({5, 5}));

        // The toolbars menu: the name as it is, an "&" in it marking the
        // accelerator as in every menu of the framework.
        TdxBarDesignController::Instance().PopupToolbarsMenu(Manager(), Manager().Painter());
        TdxBarToolbarsPopup* toolbars = TdxBarDesignController::Instance().ToolbarsPopup();
        ASSERT_NE(toolbars, nullptr);
        ASSERT_TRUE(toolbars->Showing());
        EXPECT_EQ(toolbars->RowLink(0).Item()->Caption(), h.text);
        { Snapshot shown(toolbars->Handle()); }
        toolbars->CloseUp();
        Application().ProcessMessages();

        // The Customize dialog's lists.
        Manager().SetCustomizeMode(true);
        Application().ProcessMessages();
        TdxBarCustomizationForm* d = Dialog();
        ASSERT_NE(d, nullptr);
        ASSERT_GE(d->lbBarsList->Count(), 1);
        EXPECT_EQ(d->lbBarsList->ItemText(0), h.text);
        { Snapshot list(d->lbBarsList->Handle()); }
        ASSERT_GE(d->lbItems->Count(), 1);
        EXPECT_EQ(d->lbItems->ItemText(0), AsDrawn(h.text));
        d->PageControl->SetActivePage(d->tsItems);
        Application().ProcessMessages();
        { Snapshot list(d->lbItems->Handle()); }
        d->PageControl->SetActivePage(d->tsToolbars);

        // The item menu's name box.
        TdxBarDesignController::Instance().PopupItemMenu(*form->ToolbarWindow(), &first.ItemLink());
        Application().ProcessMessages();
        TdxBarCustomizingPopup* item = TdxBarDesignController::Instance().CustomizingPopup();
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->NameText(), h.text);
        { Snapshot shown(item->Handle()); }
        item->CloseUp();
        Application().ProcessMessages();

        // The name prompt, and its message when the name is taken.
        std::string name;
        {
            NameDialogScript script({[&](TdxBarNameEd& dialog) {
                name = dialog.EName->Text();
                testsupport::SendKeys({VK_ESCAPE});
            }});
            EXPECT_FALSE(dxBarNameEdRenameToolbar(Manager(), Bar(), name));
        }
        EXPECT_EQ(name, h.text);
        {
            BoxAnswerer ok(IDOK);
            NameDialogScript script({[&](TdxBarNameEd& dialog) {
                                         dialog.EName->SetText(h.text);
                                         testsupport::SendKeys({VK_RETURN});
                                     },
                                     Esc});
            std::string added;
            EXPECT_FALSE(dxBarNameEdNewToolbar(Manager(), added));
            if (h.text.empty()) {
                EXPECT_TRUE(ok.Seen().empty());  // no name, no OK
            } else {
                ASSERT_EQ(ok.Seen().size(), 1u);
                EXPECT_TRUE(Contains(ok.Seen()[0].texts,
                                     "A toolbar named '" + h.text + "' already exists. Type another name."));
            }
        }

        // The confirmations, answered No.
        for (bool reset : {false, true}) {
            BoxAnswerer no(IDNO);
            EXPECT_FALSE(reset ? dxBarResetToolbar(Manager(), Bar()) : dxBarDeleteToolbars(Manager(), {&Bar()}));
            ASSERT_EQ(no.Seen().size(), 1u);
            const std::string question =
                reset ? "Are you sure you want to reset the changes made to the '" + h.text + "' toolbar?"
                      : "Are you sure you want to delete the '" + h.text + "' toolbar?";
            EXPECT_TRUE(Contains(no.Seen()[0].texts, question)) << ::testing::PrintToString(no.Seen()[0].texts);
        }
        EXPECT_EQ(Manager().Bars().Count(), 1);
        EXPECT_EQ(Bar().Caption(), h.text);
        d->BClose->Click();
        ASSERT_TRUE(PumpUntil([] { return Dialog() == nullptr; }, 2000));
    }
}

}  // namespace
