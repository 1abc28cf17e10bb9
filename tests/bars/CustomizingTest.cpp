// Customizing the toolbar while the customization dialog is open: presses
// select the buttons instead of running them, drags move, copy and remove
// them. Drags run a loop of their own, so their input comes from another
// thread while this one stays in the loop.
#include "tests/bars/BarsTestSupport.h"

#include <atomic>
#include <thread>

#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarDrag.h"
#include "forms/StdCtrls.h"
#include "forms/Window.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::BoxAnswerer;
using testsupport::ClickAt;
using testsupport::Middle;
using testsupport::PumpUntil;

namespace {

// What the drag showed at a moment, read on the thread that drags.
struct Seen {
    TdxBarDropState state;
    bool mark;
    RECT markRect;
    bool markAtStart;
};

class TDragWatcher : public TWindow {
public:
    explicit TDragWatcher(const TdxBarManager& manager) : FManager(manager) {
        CreateParams params;
        params.className = "QuorvaTestDragWatcher";
        params.style = WS_POPUP;
        CreateHandle(params);
    }
    std::vector<Seen> Observed;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_APP) return TWindow::WndProc(message, wParam, lParam);
        const TdxBarDragInfo& drag = FManager.DragInfo();
        Observed.push_back({drag.DropState(), drag.MarkVisible(), drag.MarkRect(), drag.MarkAtStart()});
        return 0;
    }

private:
    const TdxBarManager& FManager;
};

// One step of the user: the pointer to a screen point, then a button or a
// key; `look` records the drag's state once the step has been taken in.
struct Step {
    POINT at;
    DWORD button = 0;
    WORD key = 0;
    bool keyUp = false;
    bool look = false;
};

void Send(const Step& step) {
    testsupport::SendPointerInput(step.at, step.button);
    if (step.key) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = step.key;
        key.ki.dwFlags = step.keyUp ? KEYEVENTF_KEYUP : 0;
        ::SendInput(1, &key, sizeof key);
    }
}

// Plays the steps from another thread while this one takes the messages.
void Play(const std::vector<Step>& steps, HWND watcher) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        for (const Step& step : steps) {
            Send(step);
            ::Sleep(60);
            if (step.look) ::SendMessageA(watcher, WM_APP, 0, 0);
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    user.join();
    Application().ProcessMessages();
}

class Customizing : public ::testing::Test {
protected:
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());
    TdxBarManager& manager = *form->Manager();
    TdxBarItemLinks& links = form->Toolbar()->ItemLinks();

    void SetUp() override {
        InitializeCustomizationForm();
        form->SetBounds(40, 40, form->Width(), form->Height());
        form->Show();
        Application().ProcessMessages();
        manager.SetCustomizeMode(true);
        Application().ProcessMessages();
        ASSERT_NE(Dialog(), nullptr);
        // Out of the toolbar's way.
        Dialog()->SetBounds(600, 300, Dialog()->Width(), Dialog()->Height());
        Application().ProcessMessages();
    }
    void TearDown() override {
        form.reset();
        Application().ProcessMessages();
    }
    static TdxBarCustomizationForm* Dialog() {
        return dynamic_cast<TdxBarCustomizationForm*>(TdxBarCustomCustomizationForm::Instance());
    }
    void CloseDialog() {
        Dialog()->BClose->Click();
        PumpUntil([] { return Dialog() == nullptr; }, 2000);
    }
    // A point of link `i` on the toolbar, in screen coordinates, `dx` from
    // its middle.
    POINT OnLink(int i, int dx = 0) const {
        POINT p = Middle(links.Items(i)->ItemRect());
        p.x += dx;
        ::ClientToScreen(form->ToolbarWindow()->Handle(), &p);
        return p;
    }
    POINT OnLinkStart(int i, int inset = 3) const {
        const RECT& r = links.Items(i)->ItemRect();
        POINT p{r.left + inset, (r.top + r.bottom) / 2};
        ::ClientToScreen(form->ToolbarWindow()->Handle(), &p);
        return p;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (int i = 0; i < links.Count(); ++i) captions.push_back(links.Items(i)->Item()->Caption());
        return captions;
    }
    // Press on link `from`, pull it out of the drag rectangle, then the
    // given steps, then release where the last step was.
    std::vector<Step> DragFrom(int from, std::vector<Step> then) const {
        const POINT start = OnLink(from);
        std::vector<Step> steps{{start}, {start, MOUSEEVENTF_LEFTDOWN}, {{start.x, start.y + 12}}};
        steps.insert(steps.end(), then.begin(), then.end());
        steps.push_back({steps.back().at, MOUSEEVENTF_LEFTUP});
        return steps;
    }
};

TEST_F(Customizing, APressSelectsTheButtonInsteadOfRunningIt) {
    TdxBarControl& bar = *form->ToolbarWindow();
    ASSERT_FALSE(::IsWindowEnabled(form->Handle()));
    const RECT start = links.Items(1)->ItemRect();
    ClickAt(bar.Handle(), Middle(start));
    EXPECT_TRUE(form->Calls.empty());
    EXPECT_TRUE(manager.SelectionHandler()->InSelection(form->Button(1)));
    EXPECT_EQ(bar.CustomizingLink(), links.Items(1));
    // The command list follows; the selected button wears a dark frame.
    EXPECT_EQ(Dialog()->lbItems->ItemIndex(), 1);
    testsupport::Snapshot shot(bar.Handle());
    for (POINT p : {POINT{start.left, start.top}, POINT{start.left + 1, start.top + 1},
                    POINT{start.right - 1, start.bottom - 1}, POINT{start.right - 2, (start.top + start.bottom) / 2}})
        EXPECT_EQ(shot.Pixel(p.x, p.y), ::GetSysColor(COLOR_WINDOWTEXT)) << p.x << "," << p.y;

    // After the dialog the buttons run again, without a frame.
    CloseDialog();
    ClickAt(bar.Handle(), Middle(start));
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Do1 act1"});
    testsupport::Snapshot after(bar.Handle());
    EXPECT_NE(after.Pixel(start.left, start.top), ::GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(Customizing, DraggingMovesAButtonAndCtrlCopiesIt) {
    TDragWatcher watcher(manager);
    const RECT start = links.Items(1)->ItemRect();
    // "Stop" to the front of "Start".
    Play(DragFrom(3, {{OnLinkStart(1)}, {OnLinkStart(1), 0, 0, false, true}}), watcher.Handle());
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Exit", "Stop", "Start", "Pause", "About"}));
    ASSERT_EQ(watcher.Observed.size(), 1u);
    EXPECT_EQ(watcher.Observed[0].state, TdxBarDropState::dropMove);
    EXPECT_TRUE(watcher.Observed[0].mark);
    EXPECT_TRUE(watcher.Observed[0].markAtStart);
    EXPECT_EQ(watcher.Observed[0].markRect.left, start.left);
    EXPECT_TRUE(manager.SelectionHandler()->InSelection(form->Button(3)));

    // With Ctrl held the same drag adds a second "Stop" after "About".
    watcher.Observed.clear();
    Play(DragFrom(1, {{OnLink(4, 10)},
                      {OnLink(4, 10), 0, VK_CONTROL, false, true},
                      {OnLink(4, 12)}}),
         watcher.Handle());
    Send({OnLink(0), 0, VK_CONTROL, true});
    Application().ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Exit", "Stop", "Start", "Pause", "About", "Stop"}));
    ASSERT_EQ(watcher.Observed.size(), 1u);
    EXPECT_EQ(watcher.Observed[0].state, TdxBarDropState::dropCopy);
    EXPECT_TRUE(watcher.Observed[0].mark);
    EXPECT_FALSE(watcher.Observed[0].markAtStart);
}

TEST_F(Customizing, DroppingOffTheToolbarRemovesAndResetBringsItBack) {
    TDragWatcher watcher(manager);
    auto* panel = form->Get<TPanel>("pnlTime");
    POINT onPanel = Middle(panel->ClientRect());
    ::ClientToScreen(panel->Handle(), &onPanel);
    Play(DragFrom(4, {{onPanel}, {onPanel, 0, 0, false, true}}), watcher.Handle());
    ASSERT_EQ(watcher.Observed.size(), 1u);
    EXPECT_EQ(watcher.Observed[0].state, TdxBarDropState::dropRefused);
    EXPECT_FALSE(watcher.Observed[0].mark);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Exit", "Start", "Pause", "Stop"}));
    // The command stays in the dialog's list.
    EXPECT_EQ(Dialog()->lbItems->Count(), 5);
    {
        BoxAnswerer answer(IDOK);
        Dialog()->BBarReset->Click();
    }
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Exit", "Start", "Pause", "Stop", "About"}));
}

TEST_F(Customizing, ASmallSidewaysDragOnItsOwnPlaceAddsOrRemovesAGroup) {
    TDragWatcher watcher(manager);
    struct Case {
        int dx;
        bool group;
    };
    // Dragged down out of the drag rectangle first, then sideways.
    for (Case c : {Case{2, false}, Case{6, true}, Case{-2, true}, Case{-6, false}}) {
        SCOPED_TRACE(c.dx);
        Play(DragFrom(2, {{OnLink(2, c.dx)}, {OnLink(2, c.dx), 0, 0, false, true}}), watcher.Handle());
        ASSERT_FALSE(watcher.Observed.empty());
        EXPECT_EQ(watcher.Observed.back().state, TdxBarDropState::dropSamePlace);
        EXPECT_FALSE(watcher.Observed.back().mark);
        EXPECT_EQ(links.Items(2)->BeginGroup(), c.group);
        EXPECT_EQ(links.Count(), 5);
    }
}

TEST_F(Customizing, EscapeEndsTheDragWithoutADrop) {
    TDragWatcher watcher(manager);
    const POINT start = OnLink(3);
    Play({{start},
          {start, MOUSEEVENTF_LEFTDOWN},
          {OnLinkStart(0)},
          {OnLinkStart(0), 0, VK_ESCAPE},
          {OnLinkStart(0), 0, VK_ESCAPE, true},
          {OnLinkStart(0), 0, 0, false, true},
          {OnLinkStart(0), MOUSEEVENTF_LEFTUP}},
         watcher.Handle());
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Exit", "Start", "Pause", "Stop", "About"}));
    ASSERT_EQ(watcher.Observed.size(), 1u);
    EXPECT_EQ(watcher.Observed[0].state, TdxBarDropState::dropNone);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Customizing, ACommandDraggedFromTheDialogLandsOnAnEmptyToolbar) {
    TdxBar* custom = manager.Bars().Add();
    custom->SetCaption("Custom 1");
    custom->SetDockingStyle(TdxBarDockingStyle::Top);
    custom->SetRow(1);
    custom->SetVisible(true);
    Application().ProcessMessages();
    ASSERT_NE(custom->Control(), nullptr);
    ASSERT_TRUE(custom->Control()->Shown());
    TDragWatcher watcher(manager);
    TListBox& list = *Dialog()->lbItems;
    Dialog()->PageControl->SetActivePage(Dialog()->tsItems);
    Application().ProcessMessages();
    POINT row = Middle(list.ItemRect(1));
    ::ClientToScreen(list.Handle(), &row);
    RECT empty = custom->Control()->ClientRect();
    POINT onEmpty = Middle(empty);
    ::ClientToScreen(custom->Control()->Handle(), &onEmpty);
    Play({{row},
          {row, MOUSEEVENTF_LEFTDOWN},
          {{row.x, row.y + 10}},
          {{row.x - 100, row.y}},
          {onEmpty},
          {onEmpty, 0, 0, false, true},
          {onEmpty, MOUSEEVENTF_LEFTUP}},
         watcher.Handle());
    ASSERT_EQ(watcher.Observed.size(), 1u);
    EXPECT_EQ(watcher.Observed[0].state, TdxBarDropState::dropCopy);
    ASSERT_EQ(custom->ItemLinks().Count(), 1);
    EXPECT_EQ(custom->ItemLinks().Items(0)->Item(), form->Button(1));
    EXPECT_EQ(links.Count(), 5);
}

}  // namespace
