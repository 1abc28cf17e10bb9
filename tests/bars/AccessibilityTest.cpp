// What a screen reader reads of a toolbar: the shown buttons as push
// buttons, each pressed by its default action as a click would press it.
#include "tests/bars/BarsTestSupport.h"
#include "tests/common/AccessibleClient.h"

using namespace bars;
using namespace barstest;
using namespace forms;
using testsupport::AccessibleClient;

namespace {

class ToolbarAccessibility : public ::testing::Test {
protected:
    void SetUp() override {
        form->Action(1)->SetHint("Start|Starts counting the time");
        form->Action(1)->SetShortCut(ShortCut(VK_F2));
        form->Action(3)->SetCaption("Stop && &Reset");
        form->Show();
    }
    HWND Bar() const { return form->ToolbarWindow()->Handle(); }
    // Button i (from 0) on the screen.
    RECT OnScreen(int i) const {
        RECT r = form->ToolbarWindow()->Controls(i).ItemLink().ItemRect();
        ::MapWindowPoints(Bar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    OneColourDock palette;
    MenuFont menu{13};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());
};

TEST_F(ToolbarAccessibility, ButtonsReadAsPushButtonsOfTheToolbar) {
    AccessibleClient bar(Bar());
    ASSERT_EQ(bar.Result(), S_OK);
    const testsupport::AccessibleElement self = bar.Read(CHILDID_SELF);
    EXPECT_EQ(self.role, ROLE_SYSTEM_TOOLBAR);
    EXPECT_EQ(self.name, "Main");
    ASSERT_EQ(bar.ChildCount(), 5);

    const testsupport::AccessibleElement start = bar.Read(2);
    EXPECT_EQ(start.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(start.name, "Start");
    EXPECT_EQ(start.description, "Starts counting the time");
    EXPECT_EQ(start.shortcut, "F2");
    EXPECT_EQ(start.action, "Press");
    EXPECT_EQ(start.state, STATE_SYSTEM_FOCUSABLE);
    EXPECT_EQ(start.bounds, OnScreen(1));
    // A hint without "|" is long and short at once; an "&" marks the
    // accelerator, "&&" stands for itself.
    EXPECT_EQ(bar.Read(1).description, "Exit Hint");
    EXPECT_EQ(bar.Read(4).name, "Stop & Reset");
    EXPECT_EQ(bar.Read(6).result, E_INVALIDARG);

    // Hit testing and moving along the row.
    const RECT about = OnScreen(4);
    VARIANT v;
    ::VariantInit(&v);
    EXPECT_EQ(bar.Object()->accHitTest((about.left + about.right) / 2, (about.top + about.bottom) / 2, &v), S_OK);
    EXPECT_EQ(AccessibleClient::IdOf(v), 5);
    struct Step {
        long direction, from, to;
    } steps[] = {
        {NAVDIR_FIRSTCHILD, CHILDID_SELF, 1}, {NAVDIR_LASTCHILD, CHILDID_SELF, 5}, {NAVDIR_RIGHT, 2, 3},
        {NAVDIR_LEFT, 2, 1},  {NAVDIR_NEXT, 4, 5}, {NAVDIR_PREVIOUS, 1, -1},        {NAVDIR_UP, 2, -1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.direction << " from " << s.from);
        EXPECT_EQ(bar.Object()->accNavigate(s.direction, AccessibleClient::Child(s.from), &v), s.to < 0 ? S_FALSE : S_OK);
        EXPECT_EQ(AccessibleClient::IdOf(v), s.to);
    }

    // A press makes the bar active with the button chosen: it has the focus.
    const RECT pressed = form->ToolbarWindow()->Controls(1).ItemLink().ItemRect();
    ::SendMessageA(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pressed.left + 5, pressed.top + 5));
    EXPECT_EQ(bar.Object()->get_accFocus(&v), S_OK);
    EXPECT_EQ(AccessibleClient::IdOf(v), 2);
    EXPECT_TRUE(bar.Read(2).state & STATE_SYSTEM_FOCUSED);
    form->ToolbarWindow()->Deactivate();
    EXPECT_EQ(bar.Object()->get_accFocus(&v), S_FALSE);
}

TEST_F(ToolbarAccessibility, TheDefaultActionClicksFromTheQueueWhileTheButtonIsEnabled) {
    AccessibleClient bar(Bar());
    form->Action(2)->SetEnabled(false);
    EXPECT_EQ(bar.Read(3).state, STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bar.Press(3), DISP_E_MEMBERNOTFOUND);

    // The caller has its answer before the command runs: a command may
    // open a modal box.
    EXPECT_EQ(bar.Press(2), S_OK);
    EXPECT_TRUE(form->Calls.empty());
    Application().ProcessMessages();
    EXPECT_EQ(form->Calls, std::vector<std::string>{"Do1 act1"});

    // Disabled before its turn, it does not run.
    form->Action(2)->SetEnabled(true);
    EXPECT_EQ(bar.Press(3), S_OK);
    form->Action(2)->SetEnabled(false);
    Application().ProcessMessages();
    EXPECT_EQ(form->Calls.size(), 1u);

    // Nor while the toolbars are being customized, nor while the form
    // takes no input (a modal box is over it).
    form->Manager()->SetCustomizeMode(true);
    EXPECT_EQ(bar.Press(2), DISP_E_MEMBERNOTFOUND);
    form->Manager()->SetCustomizeMode(false);
    ::EnableWindow(form->Handle(), FALSE);
    EXPECT_EQ(bar.Press(2), DISP_E_MEMBERNOTFOUND);
    ::EnableWindow(form->Handle(), TRUE);
    EXPECT_EQ(bar.Press(2), S_OK);
    Application().ProcessMessages();
    EXPECT_EQ(form->Calls.size(), 2u);
}

TEST_F(ToolbarAccessibility, ChildrenAreTheButtonsShownNow) {
    AccessibleClient bar(Bar());
    // The pointer rests on the button that goes.
    const RECT pause = form->ToolbarWindow()->Controls(2).ItemLink().ItemRect();
    ::SendMessageA(Bar(), WM_MOUSEMOVE, 0, MAKELPARAM(pause.left + 5, pause.top + 5));
    EXPECT_TRUE(bar.Read(3).state & STATE_SYSTEM_HOTTRACKED);
    form->Button(2)->SetVisible(TdxBarItemVisible::Never);
    ASSERT_EQ(bar.ChildCount(), 4);
    EXPECT_EQ(bar.Read(3).name, "Stop & Reset");
    // Buttons that do not fit are not read.
    form->SetClientSize(200, 157);
    EXPECT_EQ(bar.ChildCount(), 2);
    EXPECT_EQ(bar.Read(3).result, E_INVALIDARG);
    form->SetClientSize(375, 157);
    ASSERT_EQ(bar.ChildCount(), 4);

    // A press asked for a button that goes before its turn is dropped.
    EXPECT_EQ(bar.Read(4).name, "About");
    EXPECT_EQ(bar.Press(4), S_OK);
    form->Toolbar()->ItemLinks().Delete(4);
    EXPECT_EQ(bar.ChildCount(), 3);
    Application().ProcessMessages();
    EXPECT_TRUE(form->Calls.empty());
    form->Toolbar()->ItemLinks().Add(form->Button(4));
    EXPECT_EQ(bar.Read(4).name, "About");
}

TEST_F(ToolbarAccessibility, AClientMayHoldTheObjectPastTheWindow) {
    Application().ProcessMessages();
    const int objects = LiveAccessibleObjects();
    const HandleCount handles = LiveHandles();
    AccessibleClient bar(Bar());
    ASSERT_EQ(bar.Result(), S_OK);
    EXPECT_EQ(LiveAccessibleObjects(), objects + 1);

    form->Toolbar()->SetVisible(false);
    ASSERT_EQ(form->ToolbarWindow(), nullptr);
    long count = 0;
    VARIANT v;
    ::VariantInit(&v);
    BSTR name = nullptr;
    EXPECT_EQ(bar.Object()->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(bar.Object()->get_accName(AccessibleClient::Child(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(bar.Object()->accHitTest(0, 0, &v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(bar.Press(1), CO_E_OBJNOTCONNECTED);
    bar.Drop();
    EXPECT_EQ(LiveAccessibleObjects(), objects);

    // The new window answers with an object of its own.
    form->Toolbar()->SetVisible(true);
    AccessibleClient again(Bar());
    EXPECT_EQ(again.ChildCount(), 5);
    again.Drop();
    Application().ProcessMessages();
    EXPECT_EQ(LiveHandles().user, handles.user);
    EXPECT_EQ(LiveHandles().gdi, handles.gdi);
    // The server lets go of its object when the form goes.
    form.reset();
    EXPECT_EQ(LiveAccessibleObjects(), objects);
}

}  // namespace
