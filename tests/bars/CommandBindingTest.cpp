// Items bound to commands: what they take from the command and when they
// follow it, the caption-and-hint rule, picture indexes, the click chain
// and the item's own shortcut test.
#include "tests/bars/BarsTestSupport.h"

#include "bars/dxBarItemLinks.h"
#include "forms/FormWriter.h"
#include "tests/common/TestSupport.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

class CommandBinding : public ::testing::Test {
protected:
    void SetUp() override {
        form = LoadForm(MainLikeForm());
        button = form->Button(2);
        action = form->Action(2);
    }

    // A command and a large button bound to it, made at run time.
    std::pair<TAction*, TdxBarLargeButton*> Bound(const std::string& caption, const std::string& hint) {
        auto* a = new TAction(form.get());
        a->SetCaption(caption);
        a->SetHint(hint);
        auto* item = new TdxBarLargeButton(form.get());
        item->SetAction(a);
        return {a, item};
    }

    MenuFont menu{13};
    std::unique_ptr<TBarForm> form;
    TdxBarLargeButton* button = nullptr;
    TAction* action = nullptr;
};

TEST_F(CommandBinding, ItemsTakeWhatTheirCommandsHold) {
    for (int i = 0; i < 5; ++i) {
        TdxBarLargeButton* b = form->Button(i);
        SCOPED_TRACE(b->Name());
        EXPECT_EQ(b->Caption(), form->Action(i)->Caption());
        EXPECT_EQ(b->Hint(), form->Action(i)->Hint());
        EXPECT_EQ(b->LargeImageIndex(), i);
        EXPECT_EQ(b->ImageIndex(), i);
        EXPECT_EQ(b->ShortCut(), VK_F2 + i);
        EXPECT_EQ(b->OnClick(), form->Action(i)->OnExecute());
        EXPECT_EQ(b->Category(), 0);
        EXPECT_EQ(b->Width(), 75);
        EXPECT_FALSE(b->AutoGrayScale());
    }
}

TEST_F(CommandBinding, PauseBecomesResumeThenTheHintFollows) {
    auto [a, item] = Bound("Pause", "Pause Timer");
    a->SetCaption("Resume");
    EXPECT_EQ(item->Caption(), "Resume");
    EXPECT_EQ(item->Hint(), "Pause Timer");
    a->SetHint("Resume Timer");
    EXPECT_EQ(item->Hint(), "Resume Timer");
    a->SetEnabled(false);
    EXPECT_FALSE(item->Enabled());
}

TEST_F(CommandBinding, AHintThatFollowsItsCaption) {
    struct Case {
        const char *caption, *hint, *next, *expected;
    } cases[] = {
        {"Exit", "Exit", "Quit", "Quit"},
        {"E&xit", "Exit", "&Quit", "Quit"},                         // the first "&" does not count
        {"Open...", "Open", "Save...", "Save"},                     // nor the first "..."
        {"&Open...", "Open|Opens a file", "&Save...", "Save|Opens a file"},  // the long part stays
        {"Open", "", "Close", "Close"},                             // no hint yet
        {"Open", "Opens a file", "Close", "Opens a file"},          // a hint of its own
        {"A&&B", "A&B", "C", "C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        auto* item = new TdxBarButton(form.get());
        item->SetCaption(c.caption);
        item->SetHint(c.hint);
        item->SetCaption(c.next);
        EXPECT_EQ(item->Hint(), c.expected);
        delete item;
    }
}

TEST_F(CommandBinding, AnItemFollowsOnlyWhileItShowsTheCommandsValue) {
    auto [a, item] = Bound("Go", "Go there");
    item->SetCaption("Mine");
    a->SetCaption("Went");
    EXPECT_EQ(item->Caption(), "Mine");
    // Every other property by the same rule.
    a->SetShortCut(VK_F9);
    EXPECT_EQ(item->ShortCut(), VK_F9);
    item->SetShortCut(VK_F10);
    a->SetShortCut(VK_F11);
    EXPECT_EQ(item->ShortCut(), VK_F10);
    a->SetVisible(false);
    EXPECT_EQ(item->Visible(), TdxBarItemVisible::Never);
    a->SetVisible(true);
    EXPECT_EQ(item->Visible(), TdxBarItemVisible::Always);
    a->SetChecked(true);
    EXPECT_TRUE(item->Down());
    a->SetHelpContext(7);
    EXPECT_EQ(item->HelpContext(), 7);
    // Changes of the item never reach the command; once the command shows
    // the item's value again, the item follows it again.
    item->SetEnabled(false);
    EXPECT_TRUE(a->Enabled());
    a->SetEnabled(false);
    a->SetEnabled(true);
    EXPECT_TRUE(item->Enabled());
}

TEST_F(CommandBinding, TakeFromActionCopiesDefaultsOrEverything) {
    auto* a = new TAction(form.get());
    a->SetCaption("Act");
    a->SetHint("Act hint");
    a->SetImageIndex(3);
    a->SetShortCut(VK_F9);
    a->SetHelpContext(5);
    a->SetEnabled(false);
    a->SetChecked(true);
    auto* item = new TdxBarLargeButton(form.get());
    item->SetCaption("Own");
    item->SetHint("Own hint");
    item->SetLargeImageIndex(1);
    item->TakeFromAction(a, true);
    EXPECT_EQ(item->Caption(), "Own");
    EXPECT_EQ(item->Hint(), "Own hint");
    EXPECT_EQ(item->LargeImageIndex(), 1);
    EXPECT_EQ(item->ShortCut(), VK_F9);  // was 0
    EXPECT_EQ(item->HelpContext(), 5);   // was 0
    EXPECT_FALSE(item->Enabled());       // was enabled
    EXPECT_TRUE(item->Down());           // was up
    item->TakeFromAction(a, false);
    EXPECT_EQ(item->Caption(), "Act");
    EXPECT_EQ(item->Hint(), "Act hint");
    EXPECT_EQ(item->LargeImageIndex(), 3);
}

TEST_F(CommandBinding, LargeButtonImageIndexesStayInStep) {
    auto* a = new TAction(form.get());
    a->SetImageIndex(3);
    auto* item = new TdxBarLargeButton(form.get());
    item->SetAction(a);
    EXPECT_EQ(item->LargeImageIndex(), 3);
    EXPECT_EQ(item->ImageIndex(), 3);
    a->SetImageIndex(4);
    EXPECT_EQ(item->LargeImageIndex(), 4);
    EXPECT_EQ(item->ImageIndex(), 4);
    // Another small index ends the synchronisation.
    item->SetImageIndex(1);
    EXPECT_FALSE(item->SyncImageIndex());
    item->SetLargeImageIndex(2);
    EXPECT_EQ(item->ImageIndex(), 1);
    // Turned on on purpose, it stays on.
    item->SetSyncImageIndex(true);
    EXPECT_EQ(item->ImageIndex(), 2);
    item->SetImageIndex(0);
    EXPECT_TRUE(item->SyncImageIndex());

    // Read from a description: a stored ImageIndex of its own ends it too.
    ObjectNode node = MainLikeForm();
    node.children.push_back(Described("TdxBarLargeButton", "btnOwn",
                                 {{"LargeImageIndex", Value::Int(2)}, {"ImageIndex", Value::Int(4)}}));
    node.children.push_back(Described("TdxBarLargeButton", "btnSeeded", {{"ImageIndex", Value::Int(3)}}));
    auto loaded = LoadForm(node);
    auto* own = loaded->Get<TdxBarLargeButton>("btnOwn");
    EXPECT_FALSE(own->SyncImageIndex());
    EXPECT_EQ(own->LargeImageIndex(), 2);
    EXPECT_EQ(own->ImageIndex(), 4);
    auto* seeded = loaded->Get<TdxBarLargeButton>("btnSeeded");
    EXPECT_TRUE(seeded->SyncImageIndex());
    EXPECT_EQ(seeded->LargeImageIndex(), 3);
}

TEST_F(CommandBinding, OnClickRunsTheCommandOrItsOwnHandler) {
    std::vector<std::string> clicked;
    form->Manager()->OnClickItem = [&](TdxBarManager*, TdxBarItem* item) { clicked.push_back(item->Name()); };
    TComponent* executing = nullptr;
    action->SetOnExecute(TNotifyEvent(form.get(), "Traced", [&](TComponent* sender) {
        form->Calls.push_back("Traced " + sender->Name());
        executing = action->ActionComponent();
    }));
    // The item's OnClick is still the command's handler: through the command.
    EXPECT_EQ(button->OnClick().Name(), "Traced");
    button->PerformClick();
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Traced act2"});
    EXPECT_EQ(executing, button);
    EXPECT_EQ(clicked, std::vector<std::string>{"btn2"});

    // A handler of its own is called with the item, and the command is not.
    form->Calls.clear();
    button->SetOnClick(TNotifyEvent(form.get(), "Mine", [&](TComponent* s) { form->Calls.push_back("Mine " + s->Name()); }));
    button->PerformClick();
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Mine btn2"});

    // Disabled: nothing at all.
    form->Calls.clear();
    clicked.clear();
    button->SetEnabled(false);
    button->PerformClick();
    EXPECT_TRUE(form->Calls.empty());
    EXPECT_TRUE(clicked.empty());
}

TEST_F(CommandBinding, AnErrorInAClickIsShownAndStopsThere) {
    button->SetOnClick(TNotifyEvent(form.get(), "Fails", [](TComponent*) { throw Exception("No way"); }));
    testsupport::BoxAnswerer ok(IDOK);
    EXPECT_NO_THROW(button->PerformClick());
    ASSERT_EQ(ok.Seen().size(), 1u);
    const auto& texts = ok.Seen()[0].texts;
    EXPECT_NE(std::find(texts.begin(), texts.end(), "No way."), texts.end());
}

TEST_F(CommandBinding, ShortCutsOfDisabledItemsPassOn) {
    TdxBarItemLinks& links = form->Toolbar()->ItemLinks();
    EXPECT_TRUE(links.TryShortCut(VK_F2 + 2));
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Do2 act2"});
    EXPECT_FALSE(links.TryShortCut(VK_F12));
    // The commands are updated first: one that disables itself there does
    // not take its key.
    action->OnUpdate = TNotifyEvent(form.get(), "Off", [&](TComponent*) { action->SetEnabled(false); });
    EXPECT_FALSE(links.TryShortCut(VK_F2 + 2));
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(button->TryShortCut(VK_F2 + 2));
    EXPECT_EQ(form->Calls.size(), 1u);
}

TEST_F(CommandBinding, CheckedButtonsInAGroup) {
    auto* a = new TdxBarButton(form.get());
    auto* b = new TdxBarButton(form.get());
    for (TdxBarButton* x : {a, b}) {
        x->SetButtonStyle(TdxBarButtonStyle::Checked);
        x->SetGroupIndex(1);
    }
    a->PerformClick();
    EXPECT_TRUE(a->Down());
    b->PerformClick();
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    b->PerformClick();  // the last one down stays down
    EXPECT_TRUE(b->Down());
    b->SetAllowAllUp(true);
    b->PerformClick();
    EXPECT_FALSE(b->Down());
}

TEST_F(CommandBinding, LinkedValuesAreNotWritten) {
    auto names = [](const TComponent& c) {
        std::vector<std::string> n;
        for (const Property& p : forms::WriteProperties(c)) n.push_back(p.name);
        return n;
    };
    EXPECT_EQ(names(*button), (std::vector<std::string>{"Action", "Category", "AutoGrayScale", "Width"}));
    button->SetCaption("Other");
    button->SetShortCut(VK_F12);
    EXPECT_EQ(names(*button),
              (std::vector<std::string>{"Action", "Caption", "Category", "ShortCut", "AutoGrayScale", "Width"}));
}

TEST_F(CommandBinding, ADestroyedCommandIsDropped) {
    delete action;
    EXPECT_EQ(button->Action(), nullptr);
    EXPECT_EQ(button->ActionLink(), nullptr);
    EXPECT_EQ(button->Caption(), "Pause");
    button->PerformClick();  // its OnClick is still the form's handler
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Do2 btn2"});
}

}  // namespace
