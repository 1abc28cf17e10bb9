// Dialog behaviour of forms: focus and tab order, Enter, Esc and
// accelerators, modal results, and the system controls forms host.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "forms/Described.h"
#include "forms/Exceptions.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

using forms::Described;

Property Prop(const char* name, Value value) { return {name, std::move(value)}; }

// A dialog whose tab order differs from the order it is stored in:
//   pnlOptions (0): edtNote (0), btnApply (1), btnHidden (2, hidden),
//                   edtOff (3, disabled), btnNoStop (4, no tab stop)
//   edtName (1), btnOk (2, default), btnNo (3, cancel)
ObjectNode DialogDescription() {
    auto at = [](int left, int top) { return std::vector<Property>{Prop("Left", Value::Int(left)), Prop("Top", Value::Int(top))}; };
    auto with = [](std::vector<Property> props, std::initializer_list<Property> more) {
        props.insert(props.end(), more);
        return props;
    };
    return Described("TTestForm", "frm",
                {Prop("ClientWidth", Value::Int(320)), Prop("ClientHeight", Value::Int(220)),
                 Prop("ActiveControl", Value::Id("edtName"))},
                {Described("TLabel", "lblName", with(at(8, 8), {Prop("Caption", Value::Str("&Name:")),
                                                           Prop("FocusControl", Value::Id("edtName"))})),
                 Described("TEdit", "edtName", with(at(8, 24), {Prop("TabOrder", Value::Int(1))})),
                 Described("TPanel", "pnlOptions",
                      with(at(8, 56), {Prop("Width", Value::Int(300)), Prop("Height", Value::Int(120)),
                                       Prop("TabOrder", Value::Int(0))}),
                      {Described("TButton", "btnApply", with(at(140, 8), {Prop("Caption", Value::Str("&Apply")),
                                                                     Prop("TabOrder", Value::Int(1))})),
                       Described("TEdit", "edtNote", with(at(8, 8), {Prop("TabOrder", Value::Int(0))})),
                       Described("TButton", "btnHidden", with(at(8, 40), {Prop("Caption", Value::Str("&Hidden")),
                                                                     Prop("Visible", Value::Bool(false)),
                                                                     Prop("TabOrder", Value::Int(2))})),
                       Described("TEdit", "edtOff", with(at(8, 72), {Prop("Enabled", Value::Bool(false)),
                                                               Prop("TabOrder", Value::Int(3))})),
                       Described("TButton", "btnNoStop", with(at(140, 40), {Prop("Caption", Value::Str("&Skip")),
                                                                       Prop("TabStop", Value::Bool(false)),
                                                                       Prop("TabOrder", Value::Int(4))}))}),
                 Described("TButton", "btnOk", with(at(150, 185), {Prop("Caption", Value::Str("&Ok")),
                                                              Prop("Default", Value::Bool(true)),
                                                              Prop("ModalResult", Value::Int(mrOk)),
                                                              Prop("TabOrder", Value::Int(2))})),
                 Described("TButton", "btnNo", with(at(235, 185), {Prop("Caption", Value::Str("&No")),
                                                              Prop("Cancel", Value::Bool(true)),
                                                              Prop("ModalResult", Value::Int(mrNo)),
                                                              Prop("TabOrder", Value::Int(3))}))});
}

// The dialog above; writes down focus changes and clicks.
class TTestForm : public TForm {
public:
    TTestForm() : TForm(nullptr) { Create(DialogDescription()); }
    const char* ClassName() const override { return "TTestForm"; }

    template <class T = TWinControl>
    T* Find(const char* name) {
        auto* c = dynamic_cast<T*>(FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    std::vector<std::string> Log;

protected:
    void Loaded() override {
        TForm::Loaded();
        for (TComponent* c : Components()) {
            auto note = [this](const char* what) {
                return TNotifyEvent(this, what, [this, what](TComponent* sender) { Log.push_back(what + sender->Name()); });
            };
            if (auto* w = dynamic_cast<TWinControl*>(c)) {
                w->OnEnter = note("enter ");
                w->OnExit = note("exit ");
            }
            if (auto* b = dynamic_cast<TButton*>(c)) b->OnClick = note("click ");
        }
    }
};

std::string Focused() {
    auto* c = dynamic_cast<TControl*>(TWindow::FromHandle(::GetFocus()));
    return c ? c->Name() : "";
}


TEST(Focus, TabAndShiftTabFollowTheTabOrderAcrossContainersAndWrapAround) {
    TTestForm form;
    form.Show();
    ASSERT_EQ(Focused(), "edtName");  // the stored active control
    struct Case {
        std::initializer_list<WORD> keys;
        std::vector<std::string> path;
    } cases[] = {
        {{VK_TAB}, {"btnOk", "btnNo", "edtNote", "btnApply", "edtName"}},
        {{VK_SHIFT, VK_TAB}, {"btnApply", "edtNote", "btnNo", "btnOk", "edtName"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> path;
        for (std::size_t i = 0; i < c.path.size(); ++i) {
            testsupport::PressKeys(c.keys);
            path.push_back(Focused());
        }
        EXPECT_EQ(path, c.path);
    }
}

TEST(Focus, TheActiveControlGetsTheFocusBackWhenItsFormIsActivatedAgain) {
    TTestForm form;
    form.Show();
    form.Log.clear();
    form.Find("btnApply")->SetFocus();
    EXPECT_EQ(form.Log, (std::vector<std::string>{"exit edtName", "enter btnApply"}));
    EXPECT_THROW(form.Find("edtOff")->SetFocus(), EInvalidOperation);
    EXPECT_THROW(form.Find("btnHidden")->SetFocus(), EInvalidOperation);

    TTestForm other;
    other.Show();
    EXPECT_EQ(::GetActiveWindow(), other.Handle());
    EXPECT_EQ(Focused(), "edtName");
    form.Log.clear();
    ::SetActiveWindow(form.Handle());
    Application().ProcessMessages();
    EXPECT_EQ(Focused(), "btnApply");
    EXPECT_EQ(form.ActiveControl(), form.Find("btnApply"));
    EXPECT_TRUE(form.Log.empty()) << "focus did not change within the form";
}

// Which buttons show the system's default frame.
std::vector<std::string> DrawnDefault(TTestForm& form) {
    std::vector<std::string> names;
    for (TComponent* c : form.Components())
        if (auto* b = dynamic_cast<TButton*>(c); b && (::GetWindowLongA(b->Handle(), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON)
            names.push_back(b->Name());
    return names;
}

TEST(DialogKeys, EnterEscAndAcceleratorsReachTheirButtonsAndControls) {
    struct Case {
        const char* what;
        const char* focus;
        std::initializer_list<WORD> keys;
        std::vector<std::string> drawnDefault;  // before the keys
        std::vector<std::string> log;
        const char* focusAfter;
    } cases[] = {
        {"Enter on an edit", "edtName", {VK_RETURN}, {"btnOk"}, {"click btnOk"}, "edtName"},
        {"Enter on a button", "btnApply", {VK_RETURN}, {"btnApply"}, {"click btnApply"}, "btnApply"},
        {"Esc", "edtName", {VK_ESCAPE}, {"btnOk"}, {"click btnNo"}, "edtName"},
        {"Alt+O", "edtNote", {VK_MENU, 'O'}, {"btnOk"}, {"click btnOk"}, "edtNote"},
        {"O on a button, which takes no characters", "btnApply", {'O'}, {"btnApply"}, {"click btnOk"}, "btnApply"},
        {"O on an edit, which does", "edtNote", {'O'}, {"btnOk"}, {}, "edtNote"},
        {"Alt+N, the label's", "btnApply", {VK_MENU, 'N'}, {"btnApply"}, {"exit btnApply", "enter edtName"}, "edtName"},
        {"Alt+H of a hidden button", "edtNote", {VK_MENU, 'H'}, {"btnOk"}, {}, "edtNote"},
    };
    TTestForm form;
    form.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.Find(c.focus)->SetFocus();
        Application().ProcessMessages();
        EXPECT_EQ(DrawnDefault(form), c.drawnDefault);
        form.Log.clear();
        testsupport::PressKeys(c.keys);
        EXPECT_EQ(form.Log, c.log);
        EXPECT_EQ(Focused(), c.focusAfter);
    }
    EXPECT_EQ(form.Find<TEdit>("edtNote")->Text(), "o");
}

TEST(ModalForms, AButtonsModalResultEndsShowModalAndTheOwnerComesBack) {
    TTestForm owner;
    owner.Show();
    TTestForm dialog;
    HWND edit = dialog.Find("edtName")->Handle();
    auto post = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam = 1) {
        return [=] { ::PostMessageA(w, message, wParam, lParam); };
    };
    int closeQueries = 0;
    bool failQuery = false;
    dialog.OnCloseQuery = [&](TComponent*, bool&) {
        ++closeQueries;
        if (std::exchange(failQuery, false)) throw EAbort();
    };
    struct Case {
        const char* how;
        std::vector<std::function<void()>> posts;
        bool withCancelButton;
        bool failingQuery;
        TModalResult result;
    } cases[] = {
        {"click", {post(dialog.Find("btnOk")->Handle(), BM_CLICK, 0, 0)}, true, false, mrOk},
        {"Enter", {post(edit, WM_KEYDOWN, VK_RETURN)}, true, false, mrOk},
        {"Alt+O", {post(edit, WM_SYSCHAR, 'o', (1 << 29) | 1)}, true, false, mrOk},
        {"Esc", {post(edit, WM_KEYDOWN, VK_ESCAPE)}, true, false, mrNo},
        {"Esc, no cancel button", {post(edit, WM_KEYDOWN, VK_ESCAPE)}, false, false, mrCancel},
        // A close query that fails keeps the dialog open, as a refusal does.
        {"Enter twice, the first close query fails",
         {post(edit, WM_KEYDOWN, VK_RETURN), post(edit, WM_KEYDOWN, VK_RETURN)}, true, true, mrOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        dialog.Find<TButton>("btnNo")->SetCancel(c.withCancelButton);
        failQuery = c.failingQuery;
        closeQueries = 0;
        for (const auto& p : c.posts) p();
        EXPECT_EQ(dialog.ShowModal(), c.result);
        EXPECT_EQ(closeQueries, int(c.posts.size()));
        EXPECT_FALSE(::IsWindowVisible(dialog.Handle()));
        EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
        EXPECT_EQ(::GetActiveWindow(), owner.Handle());
    }
}

TEST(HostedControls, SystemControlsWorkThroughOurBoundaryAndLeaveNothingBehind) {
    const HandleCount before = LiveHandles();
    HWND editWindow = nullptr;
    {
        TTestForm form;
        form.Show();
        auto* edit = form.Find<TEdit>("edtName");
        editWindow = edit->Handle();
        int changes = 0;
        edit->OnChange = TNotifyEvent(&form, "Changed", [&](TComponent*) { ++changes; });
        testsupport::PressKeys({'A'});
        testsupport::PressKeys({'B'});
        EXPECT_EQ(testsupport::WindowText(editWindow), "ab");
        EXPECT_EQ(edit->Text(), "ab");
        EXPECT_EQ(changes, 2);

        // Font and colour follow ours: the form's font, the edit's colour.
        form.Font().SetHeight(-21);
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(editWindow, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -21);
        edit->SetColor(clYellow);
        MemoryDC dc;
        auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(form.Handle(), WM_CTLCOLOREDIT,
                                                             reinterpret_cast<WPARAM>(dc.Get()),
                                                             reinterpret_cast<LPARAM>(editWindow)));
        LOGBRUSH fill{};
        ASSERT_TRUE(::GetObjectA(brush, sizeof fill, &fill));
        EXPECT_EQ(fill.lbColor, ColorToRGB(clYellow));
        EXPECT_EQ(::GetTextColor(dc.Get()), ColorToRGB(edit->Font().Color()));

        // A click on the system button is our click; one that fails is shown
        // once, and the button goes on working.
        auto* button = form.Find<TButton>("btnApply");
        bool fail = true;
        int clicks = 0;
        button->OnClick = TNotifyEvent(&form, "Apply", [&](TComponent*) {
            ++clicks;
            if (std::exchange(fail, false)) throw Exception("Cannot apply");
        });
        for (std::size_t boxes : {1u, 0u}) {
            testsupport::BoxAnswerer ok(IDOK);
            ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
            ASSERT_EQ(ok.Seen().size(), boxes);
            if (boxes) {
                const auto& texts = ok.Seen()[0].texts;
                EXPECT_NE(std::find(texts.begin(), texts.end(), "Cannot apply."), texts.end());
            }
        }
        EXPECT_EQ(clicks, 2);
        edit->SetFocus();
        testsupport::PressKeys({'C'});
        EXPECT_EQ(edit->Text(), "abc");
    }
    EXPECT_FALSE(::IsWindow(editWindow));
    EXPECT_EQ(LiveHandles().user, before.user);
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
}

}  // namespace
