// The form layer: ownership and free notification, loading descriptions,
// stored properties, commands and their links, shortcuts, screen snap and
// the screen's cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/Described.h"
#include "forms/ActnList.h"
#include "forms/Dialogs.h"
#include "forms/Exceptions.h"
#include "forms/ExtCtrls.h"
#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/Hooks.h"
#include "forms/StdCtrls.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

// A component that refers to another one across owners.
class TThing : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TThing"; }
    TComponent* Buddy = nullptr;
    std::vector<std::string> Log;
    int Size = 0;
    bool FailLoad = false;

    void SetBuddy(TComponent* buddy) {
        if (Buddy) RemoveFreeNotification(Buddy);
        Buddy = buddy;
        if (Buddy) FreeNotification(Buddy);
    }

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == TOperation::Remove && c == Buddy) Buddy = nullptr;
    }
    bool ReadProperty(std::string_view name, const Value& value, TReader& reader) override {
        if (name == "Buddy") {
            reader.AddReference(prop::Ident(value), [this](TComponent* c) { SetBuddy(c); });
            Log.push_back("Buddy set later");
        } else if (name == "FailLoad") {
            FailLoad = prop::Bool(value);
        } else if (name == "ThrowOdd") {
            throw 42;  // not a library error: the reader still cleans up
        } else if (name == "Size") {
            Size = prop::Int(value);
            Log.push_back("Size=" + std::to_string(Size));
        } else {
            return TComponent::ReadProperty(name, value, reader);
        }
        return true;
    }
    void Loaded() override {
        TComponent::Loaded();
        if (FailLoad) throw Exception("not ready");
        Log.push_back(Buddy ? "Loaded with " + Buddy->Name() : "Loaded alone");
    }
};

class TTestForm : public TForm {
public:
    TTestForm() : TForm(nullptr) {}
    const char* ClassName() const override { return "TTestForm"; }
    void Load(const ObjectNode& node) { Create(node); }
    int Clicks = 0;

protected:
    TMethod FindMethod(const std::string& name) override {
        if (name == "Clicked") return std::function<void(TComponent*)>([this](TComponent*) { ++Clicks; });
        return TForm::FindMethod(name);
    }
};

struct RegisterThing {
    RegisterThing() { RegisterComponentClass<TThing>("TThing"); }
} registerThing;

using forms::Described;

TEST(Components, OwnersFreeWhatTheyOwnAndReferencesAreDropped) {
    auto owner = std::make_unique<TThing>(nullptr);
    auto other = std::make_unique<TThing>(nullptr);
    auto* a = new TThing(owner.get());
    auto* b = new TThing(owner.get());
    auto* c = new TThing(other.get());
    a->SetName("a");
    b->SetName("b");
    EXPECT_EQ(owner->FindComponent("B"), b);  // names compare without case
    EXPECT_THROW(b->SetName("A"), EInvalidOperation);
    a->SetBuddy(b);  // same owner
    c->SetBuddy(b);  // across owners
    delete b;
    EXPECT_EQ(a->Buddy, nullptr);
    EXPECT_EQ(c->Buddy, nullptr);
    EXPECT_EQ(owner->Components().size(), 1u);
    c->SetBuddy(a);
    owner.reset();  // frees a
    EXPECT_EQ(c->Buddy, nullptr);
}

// Notes, when freed, what is left of the windowed control that owns it.
class TWitness : public TComponent {
public:
    struct Seen {
        bool ownerWindow = false;
        bool ownerDestroying = false;
    };
    TWitness(TWinControl* owner, Seen& seen) : TComponent(owner), FOwnerWindow(owner->Handle()), FSeen(seen) {}
    ~TWitness() override {
        FSeen.ownerWindow = ::IsWindow(FOwnerWindow) != FALSE;
        FSeen.ownerDestroying = Owner() && Owner()->Destroying();
    }
    const char* ClassName() const override { return "TWitness"; }

private:
    HWND FOwnerWindow;
    Seen& FSeen;
};

TEST(Components, OwnedComponentsAreFreedWhileTheirOwnerIsWhole) {
    for (bool onPanel : {false, true}) {
        SCOPED_TRACE(onPanel ? "owned by a panel" : "owned by a form");
        TWitness::Seen seen;
        {
            TTestForm form;
            form.Load(Described("TTestForm", "frm", {}, {Described("TPanel", "p", {})}));
            auto* owner = onPanel ? dynamic_cast<TWinControl*>(form.FindComponent("p")) : &form;
            ASSERT_NE(owner, nullptr);
            new TWitness(owner, seen);
        }
        EXPECT_TRUE(seen.ownerWindow);
        EXPECT_TRUE(seen.ownerDestroying);
    }
}

TEST(Reading, PropertiesInOrderReferencesAfterwardsThenLoaded) {
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {{"Caption", Value::Str("Hello")}},
                   {Described("TThing", "first", {{"Size", Value::Int(1)}, {"Buddy", Value::Id("second")}, {"Size", Value::Int(2)}}),
                    Described("TThing", "second", {})}));
    auto* first = dynamic_cast<TThing*>(form.FindComponent("first"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Buddy, form.FindComponent("second"));  // a forward reference
    EXPECT_EQ(first->Log, (std::vector<std::string>{"Size=1", "Buddy set later", "Size=2", "Loaded with second"}));
    EXPECT_EQ(form.Caption(), "Hello");
    EXPECT_EQ(testsupport::WindowText(form.Handle()), "Hello");
}

TEST(Reading, ADamagedDescriptionSaysWhereAndLeavesNothing) {
    struct Case {
        ObjectNode node;
        const char* says;
    } cases[] = {
        {Described("TTestForm", "frm", {}, {Described("TNoSuchClass", "x", {})}), "Class TNoSuchClass not found"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {{"Colour", Value::Int(3)}})}),
         "Error reading t.Colour: Property Colour does not exist"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {{"Size", Value::Str("big")}})}),
         "Error reading t.Size: Invalid property value"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {{std::string("Si\0ze", 5), Value::Int(1)}})}),
         "Error reading t.Si?ze: Property Si?ze does not exist"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {{"Buddy", Value::Id("nobody")}})}),
         "Error reading t.Buddy: Component nobody not found"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {}), Described("TThing", "T", {})}),
         "A component named T already exists"},
        {Described("TTestForm", "frm", {}, {Described("TPanel", "p", {{"OnClick", Value::Id("Missing")}})}),
         "Method Missing not found"},
        {Described("TTestForm", "frm", {}, {Described("TPanel", "p", {{"Align", Value::Id("alSideways")}})}),
         "Invalid property value"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {{"FailLoad", Value::Bool(true)}}), Described("TThing", "u", {})}),
         "Error reading t: not ready"},
        {Described("TTestForm", "frm", {}, {Described("TThing", "t", {}), Described("TThing", "u", {{"ThrowOdd", Value::Bool(true)}})}),
         "Error reading u.ThrowOdd: Unknown error"},
    };
    for (const Case& c : cases) {
        TTestForm form;
        try {
            form.Load(c.node);
            ADD_FAILURE() << "no error for " << c.says;
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
        EXPECT_TRUE(form.Components().empty()) << c.says;
        EXPECT_FALSE(form.Loading()) << c.says;
    }
}

TEST(Reading, ControlsTakeTheirParentsFontAndColourUnlessTheyHaveTheirOwn) {
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {{"Color", Value::Int(0x123456)}, {"Font.Name", Value::Str("Tahoma")}},
                   {Described("TPanel", "p", {{"ParentColor", Value::Bool(true)}, {"Font.Height", Value::Int(-20)}},
                         {Described("TLabel", "l", {{"Caption", Value::Str("Hi")}, {"OnClick", Value::Id("Clicked")}})})}));
    auto* panel = dynamic_cast<TPanel*>(form.FindComponent("p"));
    auto* label = dynamic_cast<TLabel*>(form.FindComponent("l"));
    ASSERT_TRUE(panel && label);
    EXPECT_EQ(panel->Color(), 0x123456u);
    EXPECT_EQ(label->Color(), 0x123456u);
    EXPECT_EQ(panel->Font().Name(), "Tahoma");  // taken when it joined the form
    EXPECT_EQ(label->Font().Height(), -20);     // inherited from the panel
    form.Font().SetName("Arial");               // the panel has a font of its own by now
    EXPECT_EQ(panel->Font().Name(), "Tahoma");
    EXPECT_EQ(label->Font().Name(), "Tahoma");
    form.SetColor(0x654321);
    EXPECT_EQ(label->Color(), 0x654321u);
    // A click on the windowless label reaches its handler through the panel.
    ::SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(label->Left() + 1, label->Top() + 1));
    ::SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(label->Left() + 1, label->Top() + 1));
    EXPECT_EQ(form.Clicks, 1);
}

// A control whose next font change fails, as a repaint might.
class TTouchyControl : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    const char* ClassName() const override { return "TTouchyControl"; }
    bool FailNext = false;

protected:
    void FontChanged() override {
        TGraphicControl::FontChanged();
        if (std::exchange(FailNext, false)) throw Exception("Cannot repaint");
    }
};

TEST(Controls, AParentFontThatFailsToArriveLeavesTheControlFreeToChooseItsOwn) {
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {}));
    auto* touchy = new TTouchyControl(&form);
    touchy->SetParent(&form);
    touchy->FailNext = true;
    EXPECT_THROW(form.Font().SetName("Arial"), Exception);
    touchy->Font().SetName("Tahoma");
    EXPECT_FALSE(touchy->ParentFont());
    form.Font().SetName("Courier New");
    EXPECT_EQ(touchy->Font().Name(), "Tahoma");
}

// What a component of a loaded form writes.
std::vector<Property> WrittenBy(const std::vector<Property>& given, const char* className) {
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {}, {Described(className, "x", given)}));
    return WriteProperties(*form.FindComponent("x"));
}

// Each kind of stored property is read, written back as it was given, not
// written while at its default, and refused with a value of the wrong kind.
TEST(StoredProperties, ReadWrittenBackAndRefusedByOneDescription) {
    struct Case {
        const char* className;
        const char* name;
        Value value;  // away from the default, in the form it is written
        Value wrong;
    } cases[] = {
        {"TLabel", "Align", Value::Id("alTop"), Value::Int(1)},
        {"TLabel", "Caption", Value::Str("Hi"), Value::Int(1)},
        {"TLabel", "Color", Value::Int(0x123456), Value::Bool(true)},
        {"TLabel", "Cursor", Value::Id("crHandPoint"), Value::Id("crPointy")},
        {"TLabel", "Font.Style", Value::SetOf({"fsBold", "fsUnderline"}), Value::SetOf({"fsHuge"})},
        {"TLabel", "Font.Charset", Value::Int(SYMBOL_CHARSET), Value::Int(256)},
        {"TLabel", "Layout", Value::Id("tlCenter"), Value::Id("tlMiddle")},
        {"TLabel", "ShowHint", Value::Bool(true), Value::Id("True")},
        {"TLabel", "OnClick", Value::Id("Clicked"), Value::Str("Clicked")},
        {"TPanel", "BevelOuter", Value::Id("bvLowered"), Value::Id("bvSideways")},
        {"TPanel", "BorderWidth", Value::Int(3), Value::Str("3")},
        {"TTimer", "Interval", Value::Int(250), Value::Int(-1)},
        {"TAction", "ShortCut", Value::Int(0x4041), Value::Int(0x10000)},
        {"TAction", "Checked", Value::Bool(true), Value::None()},
        {"TButton", "Default", Value::Bool(true), Value::Int(1)},
        {"TButton", "Cancel", Value::Bool(true), Value::Int(1)},
        {"TButton", "ModalResult", Value::Int(mrOk), Value::Id("mrOk")},
        {"TEdit", "TabStop", Value::Bool(false), Value::Int(0)},
        {"TPanel", "TabStop", Value::Bool(true), Value::Int(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.className) + "." + c.name);
        auto named = [&](const Property& p) { return p.name == c.name; };
        const std::vector<Property> fresh = WrittenBy({}, c.className);
        EXPECT_TRUE(std::none_of(fresh.begin(), fresh.end(), named));
        const std::vector<Property> written = WrittenBy({{c.name, c.value}}, c.className);
        auto found = std::find_if(written.begin(), written.end(), named);
        ASSERT_NE(found, written.end());
        EXPECT_EQ(found->value, c.value);
        try {
            WrittenBy({{c.name, c.wrong}}, c.className);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid property value"), std::string::npos) << e.what();
        }
    }
    for (const char* name : {"Colour", "Font.Size", "Font"}) {
        try {
            WrittenBy({{name, Value::Int(1)}}, "TPanel");
            ADD_FAILURE() << "no error for " << name;
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find("Property " + std::string(name) + " does not exist"), std::string::npos)
                << e.what();
        }
    }
}

// A client that follows a command's caption while it still shows the old one.
class CaptionLink : public TActionLink {
public:
    std::string caption;
    std::vector<std::string> offered;
    bool IsCaptionLinked() const override { return TActionLink::IsCaptionLinked() && caption == Action()->Caption(); }
    void SetCaption(const std::string& value) override {
        offered.push_back(Action()->Caption() + "->" + value);  // the command still has the old value
        if (IsCaptionLinked()) caption = value;
    }
};

TEST(Commands, ChangesAreOfferedToLinksBeforeTheyAreStored) {
    TAction action(nullptr);
    action.SetCaption("Pause");
    CaptionLink link;
    link.SetAction(&action);
    link.caption = "Pause";
    action.SetCaption("Resume");
    action.SetCaption("Resume");  // unchanged: not offered
    EXPECT_EQ(link.offered, (std::vector<std::string>{"Pause->Resume"}));
    EXPECT_EQ(link.caption, "Resume");
    link.caption = "Own";
    action.SetCaption("Pause");
    EXPECT_EQ(link.caption, "Own");
}

TEST(Commands, ShortcutsRunOnlyEnabledCommands) {
    TActionList list(nullptr);
    TAction* run = new TAction(&list);
    run->SetActionList(&list);
    int runs = 0;
    run->SetShortCut(ShortCut(VK_F2));
    run->SetOnExecute(TNotifyEvent(&list, "Run", [&](TComponent* sender) {
        EXPECT_EQ(sender, run);
        ++runs;
    }));
    EXPECT_TRUE(list.IsShortCut(ShortCut(VK_F2)));
    EXPECT_FALSE(list.IsShortCut(ShortCut(VK_F2, scShift)));
    run->SetEnabled(false);
    EXPECT_FALSE(list.IsShortCut(ShortCut(VK_F2)));
    EXPECT_FALSE(run->Execute());
    EXPECT_EQ(runs, 1);
    delete run;
    EXPECT_TRUE(list.Actions().empty());
}

TEST(Commands, ShortcutFromKeyMessages) {
    MSG alt{nullptr, WM_SYSKEYDOWN, 'X', (1 << 29) | 1, 0, {}};
    MSG f2{nullptr, WM_KEYDOWN, VK_F2, 1, 0, {}};
    MSG shiftAlone{nullptr, WM_KEYDOWN, VK_SHIFT, 1, 0, {}};
    EXPECT_EQ(ShortCutFromKeyMessage(alt), 32856);
    EXPECT_EQ(ShortCutFromKeyMessage(f2), 113);
    EXPECT_EQ(ShortCutFromKeyMessage(shiftAlone), 0);
}

TEST(Commands, ShortcutNames) {
    const struct {
        TShortCut shortCut;
        const char* name;
    } cases[] = {
        {ShortCut(VK_F2), "F2"},
        {ShortCut('X', scAlt), "Alt+X"},
        {ShortCut('A', scCtrl | scShift), "Ctrl+Shift+A"},
        {ShortCut(VK_DELETE, scCtrl), "Ctrl+Del"},
        {ShortCut('7'), "7"},
        {0, ""},
        {scCtrl, ""},  // a modifier without a key is no shortcut
    };
    for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.shortCut), c.name) << c.name;
}

TEST(Timer, EventsArriveOnlyWhileEnabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = TNotifyEvent(&timer, "Tick", [&](TComponent*) { ++ticks; });
    timer.SetEnabled(false);
    ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
    Application().ProcessMessages();
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
    Application().ProcessMessages();
    EXPECT_EQ(ticks, 1);
}

std::vector<UINT> gTimerRequests;  // intervals asked of the system

UINT_PTR WINAPI RecordTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc) {
    gTimerRequests.push_back(interval);
    return ::SetTimer(window, id, interval, proc);
}

// A timer asks the system for its events when it says it runs: one made in
// code at once, a stored one once loaded, with its stored settings.
TEST(Timer, RunsAsItSays) {
    TTimer::SetSystemTimerFunction(RecordTimer);
    gTimerRequests.clear();
    {
        TTimer timer(nullptr);
        EXPECT_TRUE(timer.Enabled());
        EXPECT_EQ(gTimerRequests, std::vector<UINT>{1000});
        EXPECT_TRUE(::KillTimer(timer.WindowHandle(), 1));  // there was one to kill
    }
    struct Case {
        std::vector<Property> stored;
        std::vector<UINT> requests;
    } cases[] = {
        {{{"Interval", Value::Int(250)}}, {250}},
        {{{"Enabled", Value::Bool(false)}}, {}},
    };
    for (const Case& c : cases) {
        gTimerRequests.clear();
        TTestForm form;
        form.Load(Described("TTestForm", "frm", {}, {Described("TTimer", "t", c.stored)}));
        EXPECT_EQ(gTimerRequests, c.requests);
    }
    TTimer::SetSystemTimerFunction(nullptr);
}

TEST(ScreenSnap, EdgesNearTheWorkAreaMoveOntoIt) {
    const RECT work{0, 0, 1024, 738};
    struct Case {
        RECT window, expected;
    } cases[] = {
        {{9, 9, 400, 200}, {0, 0, 391, 191}},              // left and top
        {{10, 300, 401, 491}, {10, 300, 401, 491}},         // 10 is not closer than 10
        {{630, 540, 1018, 731}, {636, 547, 1024, 738}},     // right and bottom
        {{-5, 100, 1020, 200}, {-1, 100, 1024, 200}},       // right wins over left
        {{200, 200, 500, 400}, {200, 200, 500, 400}},       // far from every edge
    };
    for (const Case& c : cases) {
        RECT r = SnapToWorkArea(c.window, work, 10);
        EXPECT_TRUE(::EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Screen, CursorsByNumberWithTheArrowForAnyOther) {
    const HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    const HCURSOR cross = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));
    const HCURSOR no = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32648));
    const int id = 7001;  // a number nobody else registers
    EXPECT_EQ(Screen().Cursor(id), arrow);
    Screen().SetCursor(id, cross);
    EXPECT_EQ(Screen().Cursor(id), cross);
    EXPECT_EQ(Screen().Cursor(id + 1), arrow);
    Screen().SetCursor(id, no);
    EXPECT_EQ(Screen().Cursor(id), no);
    Screen().SetCursor(id, nullptr);
    EXPECT_EQ(Screen().Cursor(id), arrow);
}

TEST(Confirmation, AsksWithYesAndNoAndOnlyYesConfirms) {
    struct Case {
        TConfirmStyle style;
        int press;
        bool result;
    } cases[] = {
        {TConfirmStyle::TaskDialog, IDYES, true}, {TConfirmStyle::TaskDialog, IDNO, false},
        {TConfirmStyle::TaskDialog, IDCANCEL, false}, {TConfirmStyle::Classic, IDYES, true},
        {TConfirmStyle::Classic, IDNO, false}, {TConfirmStyle::Classic, IDCANCEL, false},
    };
    for (const Case& c : cases) {
        testsupport::BoxAnswerer answer(c.press);
        EXPECT_EQ(Confirm("Proceed?", c.style), c.result) << c.press;
        ASSERT_EQ(answer.Seen().size(), 1u);
        const auto& seen = answer.Seen()[0];
        EXPECT_EQ(seen.title, "Confirm");
        for (const char* text : {"Proceed?", "&Yes", "&No"})
            EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), text), seen.texts.end()) << text;
    }
}

}  // namespace

namespace {

TEST(Forms, ModalShowRunsItsOwnLoopWhileTimersGoOn) {
    TTestForm owner;
    owner.Load(Described("TTestForm", "owner", {}));
    owner.Show();
    TTestForm dialog;
    dialog.Load(Described("TTestForm", "dialog", {}));
    TTimer timer(nullptr);
    int ticks = 0;
    bool ownerDisabled = false;
    timer.OnTimer = TNotifyEvent(&timer, "Tick", [&](TComponent*) {
        ownerDisabled = !::IsWindowEnabled(owner.Handle());
        if (++ticks == 2) dialog.SetModalResult(mrOk);
    });
    // Both events wait in the queue: only the modal loop can deliver them.
    ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
    ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(dialog.Visible());
    // Closing a modal form ends its loop with Cancel.
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(Forms, IdleWorkRunsOnceWindowsArePaintedAndWhatItPostsIsHandled) {
    TTestForm form;
    form.Load(Described("TTestForm", "form", {}));
    form.Show();
    ::InvalidateRect(form.Handle(), nullptr, TRUE);
    ::PostMessageA(form.Handle(), WM_NULL, 0, 0);
    std::vector<bool> paintedAtIdle;
    ScopedValue<std::function<void()>> idle(Application().OnIdle, [&] {
        paintedAtIdle.push_back(!::GetUpdateRect(form.Handle(), nullptr, FALSE));
        // Work posted now must not wait for the next input.
        ::PostMessageA(form.Handle(), WM_NULL, 0, 0);
    });
    Application().HandleMessage();
    EXPECT_TRUE(paintedAtIdle.empty()) << "a message was waiting";
    while (paintedAtIdle.size() < 2) Application().HandleMessage();
    EXPECT_TRUE(paintedAtIdle[0]);
}

// Counts what changes a live form's frame, place or size.
class TFrameWatchingForm : public TTestForm {
public:
    int frameChanges = 0, moves = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_STYLECHANGED) ++frameChanges;
        if (message == WM_WINDOWPOSCHANGED) {
            const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
            if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) ++moves;
        }
        return TTestForm::WndProc(message, wParam, lParam);
    }
};

TEST(Forms, AFormsWindowIsMadeWithItsStoredFrameSizeAndPlaceAndItsShowMovesNothing) {
    TFrameWatchingForm form;
    form.Load(Described("TTestForm", "form",
                        {{"BorderStyle", Value::Id("bsDialog")}, {"Caption", Value::Str("Stored")},
                         {"ClientWidth", Value::Int(300)}, {"ClientHeight", Value::Int(120)},
                         {"Position", Value::Id("poScreenCenter")}},
                        {Described("TPanel", "panel", {{"Align", Value::Id("alClient")}})}));
    EXPECT_EQ(form.frameChanges, 0);
    EXPECT_EQ(form.moves, 0);
    EXPECT_EQ(testsupport::WindowText(form.Handle()), "Stored");
    EXPECT_FALSE(::GetWindowLongA(form.Handle(), GWL_STYLE) & WS_THICKFRAME);
    RECT client, window;
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 120);
    auto* panel = dynamic_cast<TPanel*>(form.FindComponent("panel"));
    ASSERT_TRUE(panel && panel->HandleAllocated());
    EXPECT_EQ(panel->Width(), 300);
    form.Show();
    EXPECT_EQ(form.moves, 0);
    ::GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window.left, (::GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (::GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);
}

TEST(Forms, ThePointerLeavingIsWatchedOnlyForAChildThatFollowsIt) {
    // Watching the leave can cost a timer; a resting pointer over a plain
    // label must not keep the program awake.
    TTestForm form;
    form.Load(Described("TTestForm", "form", {{"ClientWidth", Value::Int(200)}, {"ClientHeight", Value::Int(60)}},
                        {Described("TLabel", "plain", {{"AutoSize", Value::Bool(false)}, {"Width", Value::Int(90)},
                                                       {"Height", Value::Int(60)}, {"Caption", Value::Str("Plain")}}),
                         Described("TLabel", "follower", {{"AutoSize", Value::Bool(false)}, {"Left", Value::Int(100)},
                                                          {"Width", Value::Int(90)}, {"Height", Value::Int(60)},
                                                          {"Caption", Value::Str("Follower")}})}));
    auto* follower = dynamic_cast<TLabel*>(form.FindComponent("follower"));
    ASSERT_TRUE(follower);
    int entries = 0, leaves = 0;
    follower->OnMouseEnter = TNotifyEvent(&form, "Entered", [&](TComponent*) { ++entries; });
    follower->OnMouseLeave = TNotifyEvent(&form, "Left", [&](TComponent*) { ++leaves; });
    form.Show();
    auto watched = [&] {
        TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
        return ::TrackMouseEvent(&query) && (query.dwFlags & TME_LEAVE) && query.hwndTrack == form.Handle();
    };
    testsupport::ClickAt(form.Handle(), {40, 30}, 0);
    EXPECT_FALSE(watched());
    testsupport::ClickAt(form.Handle(), {140, 30}, 0);
    EXPECT_TRUE(watched());
    // Entered and still inside. On a busy machine Wine's check of the
    // pointer may see a leave and the next move an entry again.
    EXPECT_GE(entries, 1);
    EXPECT_EQ(entries, leaves + 1);
}

TEST(Forms, AMovedFormSnapsToTheWorkAreaEdges) {
    TTestForm form;
    form.Load(Described("TTestForm", "snappy", {{"ScreenSnap", Value::Bool(true)}, {"ClientWidth", Value::Int(200)},
                                           {"ClientHeight", Value::Int(100)}}));
    form.Show();
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromWindow(form.Handle(), MONITOR_DEFAULTTONEAREST), &mi);
    ::SetWindowPos(form.Handle(), nullptr, mi.rcWork.left + 7, mi.rcWork.top + 300, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    ::GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, mi.rcWork.left);
    EXPECT_EQ(r.top, mi.rcWork.top + 300);
    ::SetWindowPos(form.Handle(), nullptr, mi.rcWork.left + 100, mi.rcWork.top + 300, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, mi.rcWork.left + 100);
}

}  // namespace

namespace {

// Aligned children follow a size set in code, and a child that changes its
// own size while being aligned gets the space it asked for.
TEST(Forms, AlignedChildrenFollowSizesSetInCode) {
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {{"ClientWidth", Value::Int(300)}, {"ClientHeight", Value::Int(200)}},
                   {Described("TPanel", "top", {{"Align", Value::Id("alTop")}, {"Height", Value::Int(40)}}),
                    Described("TPanel", "rest", {{"Align", Value::Id("alClient")}})}));
    auto* top = dynamic_cast<TPanel*>(form.FindComponent("top"));
    auto* rest = dynamic_cast<TPanel*>(form.FindComponent("rest"));
    ASSERT_TRUE(top && rest);
    EXPECT_EQ(rest->Top(), 40);
    EXPECT_EQ(rest->Height(), 160);
    form.SetClientSize(360, 250);
    EXPECT_EQ(top->Width(), 360);
    EXPECT_EQ(rest->Width(), 360);
    EXPECT_EQ(rest->Height(), 210);
    top->SetBounds(0, 0, 360, 52);
    EXPECT_EQ(rest->Top(), 52);
    EXPECT_EQ(rest->Height(), 198);
    top->SetVisible(false);
    EXPECT_EQ(rest->Top(), 0);
    EXPECT_EQ(rest->Height(), 250);
}

}  // namespace

namespace {

// Fails once when armed, as a handler would that took the pointer first.
struct Failure {
    enum Kind { Error, Unknown, Abort };
    bool armed = false;
    Kind kind = Error;
    std::string message;
    HWND capture = nullptr;

    void Fail() {
        if (!armed) return;
        armed = false;
        ::SetCapture(capture);
        if (kind == Unknown) throw 42;
        if (kind == Abort) throw EAbort();
        throw Exception(message);
    }
};

// A panel that fails in its window procedure (WM_APP) or its paint, keeps
// the DC its paint was given and counts the requests to cancel a drag.
class TFailingPanel : public TPanel {
public:
    TFailingPanel(TComponent* owner, Failure& failure) : TPanel(owner), FFailure(failure) {}
    void Paint(TCanvas& canvas) override {
        FFailure.Fail();
        TPanel::Paint(canvas);
    }
    HDC PaintDC = nullptr;
    int CancelModes = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) PaintDC = reinterpret_cast<HDC>(wParam);  // BeginPaint's
        if (message == WM_CANCELMODE) ++CancelModes;
        if (message == WM_APP) FFailure.Fail();
        return TPanel::WndProc(message, wParam, lParam);
    }

private:
    Failure& FFailure;
};

// Callbacks of each kind Windows calls, failing behind the boundary as
// every callback of ours does.
Failure* gTimerFailure = nullptr;  // a timer procedure has no data of its own

void CALLBACK TimerFails(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    ::KillTimer(nullptr, id);
    CallAtBoundary([] { gTimerFailure->Fail(); });
}

BOOL CALLBACK EnumerationFails(HWND, LPARAM failure) noexcept {
    return CallAtBoundary(FALSE, [&] {
        reinterpret_cast<Failure*>(failure)->Fail();
        return TRUE;
    });
}

INT_PTR CALLBACK DialogFails(HWND dialog, UINT message, WPARAM, LPARAM failure) noexcept {
    if (message != WM_INITDIALOG) return FALSE;
    ::EndDialog(dialog, IDOK);  // once its loop starts, before it is shown
    return CallAtBoundary(INT_PTR(TRUE), [&]() -> INT_PTR {
        reinterpret_cast<Failure*>(failure)->Fail();
        return TRUE;
    });
}

HRESULT CALLBACK TaskDialogFails(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR failure) noexcept {
    if (notification != TDN_CREATED) return S_OK;
    ::SendMessageA(dialog, TDM_CLICK_BUTTON, IDOK, 0);  // ends before it is shown
    return CallAtBoundary(S_OK, [&] {
        reinterpret_cast<Failure*>(failure)->Fail();
        return S_OK;
    });
}

// However an error leaves a handler, the application shows it once and the
// program goes on: no capture is left, a paint gives its DC back.
TEST(Errors, EachRouteShowsOneBoxAndTheProgramGoesOn) {
    Failure failure;
    TTestForm form;
    form.Load(Described("TTestForm", "frm", {{"ClientWidth", Value::Int(200)}, {"ClientHeight", Value::Int(100)}}));
    auto* panel = new TFailingPanel(&form, failure);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 200, 100);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    label->SetBounds(10, 10, 50, 20);
    label->OnClick = TNotifyEvent(&form, "LabelClick", [&](TComponent*) { failure.Fail(); });
    TTimer timer(&form);
    int ticks = 0;
    timer.OnTimer = TNotifyEvent(&form, "Tick", [&](TComponent*) {
        ++ticks;
        failure.Fail();
    });
    form.Show();
    failure.capture = panel->Handle();

    auto sendToPanel = [&] { ::SendMessageA(panel->Handle(), WM_APP, 0, 0); };
    gTimerFailure = &failure;
    using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    TaskDialogIndirectFn taskDialog = nullptr;
    ASSERT_TRUE(FindFunction(::GetModuleHandleA("comctl32.dll"), "TaskDialogIndirect", taskDialog));
    struct Case {
        const char* route;
        Failure::Kind kind;
        const char* message;
        const char* shown;  // null: no box
        std::function<void()> trigger;
    } cases[] = {
        {"window procedure", Failure::Error, "Boom", "Boom.", sendToPanel},
        {"window procedure, not a std::exception", Failure::Unknown, "", "Unknown error.", sendToPanel},
        {"window procedure, abort", Failure::Abort, "", nullptr, sendToPanel},
        {"posted timer event", Failure::Error, "Done.", "Done.",
         [&] {
             ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
             Application().ProcessMessages();
         }},
        {"windowless control's click", Failure::Error, "Really?", "Really?.",
         [&] {
             ::SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
             ::SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
         }},
        {"paint", Failure::Error, "Out of ink", "Out of ink.",
         [&] {
             ::InvalidateRect(panel->Handle(), nullptr, TRUE);
             ::UpdateWindow(panel->Handle());
         }},
        {"hook procedure", Failure::Error, "Hooked", "Hooked.",
         [&] {
             TThreadHook hook(THookKind::CallWndProc, [&](int, WPARAM, LPARAM data) {
                 if (reinterpret_cast<const CWPSTRUCT*>(data)->message == WM_APP + 1) failure.Fail();
                 return false;
             });
             ::SendMessageA(panel->Handle(), WM_APP + 1, 0, 0);
         }},
        {"timer procedure", Failure::Error, "Late", "Late.",
         [&] {
             ::SetTimer(nullptr, 0, 1, TimerFails);
             testsupport::PumpUntil([&] { return !failure.armed; });
         }},
        {"enumeration callback", Failure::Error, "Lost count", "Lost count.",
         [&] { ::EnumThreadWindows(::GetCurrentThreadId(), EnumerationFails, reinterpret_cast<LPARAM>(&failure)); }},
        {"dialog procedure", Failure::Error, "No dialog", "No dialog.",
         [&] {
             alignas(4) const WORD empty[] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP), 0, 0, 0, 0, 0, 10, 10, 0, 0, 0};
             ::DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(empty), form.Handle(), DialogFails,
                                       reinterpret_cast<LPARAM>(&failure));
         }},
        {"task-dialog callback", Failure::Error, "No task", "No task.",
         [&] {
             TASKDIALOGCONFIG config{};
             config.cbSize = sizeof config;
             config.hwndParent = form.Handle();
             config.pfCallback = TaskDialogFails;
             config.lpCallbackData = reinterpret_cast<LONG_PTR>(&failure);
             taskDialog(&config, nullptr, nullptr, nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route);
        failure.armed = true;
        failure.kind = c.kind;
        failure.message = c.message;
        int cancelModes = panel->CancelModes;
        testsupport::BoxAnswerer ok(IDOK);
        c.trigger();
        EXPECT_FALSE(failure.armed) << "did not fail";
        // The window holding the pointer is told to end its drag.
        EXPECT_GT(panel->CancelModes, cancelModes);
        EXPECT_EQ(::GetCapture(), nullptr);
        ASSERT_EQ(ok.Seen().size(), c.shown ? 1u : 0u);
        if (!c.shown) continue;
        const testsupport::SeenBox& box = ok.Seen()[0];
        EXPECT_EQ(box.title, Application().Title());
        EXPECT_NE(std::find(box.texts.begin(), box.texts.end(), c.shown), box.texts.end())
            << ::testing::PrintToString(box.texts);
        EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_HAND));
    }
    EXPECT_NE(panel->PaintDC, nullptr);
    EXPECT_EQ(::WindowFromDC(panel->PaintDC), nullptr) << "the paint kept its DC";
    int before = ticks;
    ::PostMessageA(timer.WindowHandle(), WM_TIMER, 1, 0);
    Application().ProcessMessages();
    EXPECT_GT(ticks, before);
}

TEST(Errors, NothingEscapesTheProgramBlock) {
    struct Case {
        const char* what;
        std::function<int()> block;
        int result;
        const char* shown;  // null: no box
    } cases[] = {
        {"normal end", [] { return 3; }, 3, nullptr},
        {"error", []() -> int { throw EReadError("Stored form damaged"); }, 1, "Stored form damaged."},
        {"not a std::exception", []() -> int { throw 42; }, 1, "Unknown error."},
        {"abort", []() -> int { throw EAbort(); }, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::BoxAnswerer ok(IDOK);
        EXPECT_EQ(RunProgram(c.block), c.result);
        ASSERT_EQ(ok.Seen().size(), c.shown ? 1u : 0u);
        if (!c.shown) continue;
        EXPECT_EQ(ok.Seen()[0].title, Application().Title());
        const auto& texts = ok.Seen()[0].texts;
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.shown), texts.end());
    }
}

}  // namespace
