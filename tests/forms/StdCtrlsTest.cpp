// Check boxes, list boxes, combo boxes, page controls and anchors, driven
// through real windows, keys and clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "forms/Described.h"
#include "forms/ComCtrls.h"
#include "forms/Exceptions.h"
#include "forms/ExtCtrls.h"
#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "tests/common/AccessibleClient.h"
#include "tests/common/TestSupport.h"

using namespace forms;

namespace {

using forms::Described;
using testsupport::ClickAt;
using testsupport::Middle;

Property Prop(const char* name, Value value) { return {name, std::move(value)}; }

std::vector<Property> Bounds(int left, int top, int width, int height) {
    return {Prop("Left", Value::Int(left)), Prop("Top", Value::Int(top)), Prop("Width", Value::Int(width)),
            Prop("Height", Value::Int(height))};
}

std::vector<Property> With(std::vector<Property> props, std::initializer_list<Property> more) {
    props.insert(props.end(), more);
    return props;
}

class TTestForm : public TForm {
public:
    explicit TTestForm(std::vector<ObjectNode> children) : TForm(nullptr) {
        Create(Described("TTestForm", "frm", {Prop("ClientWidth", Value::Int(400)), Prop("ClientHeight", Value::Int(300))},
                    std::move(children)));
    }
    const char* ClassName() const override { return "TTestForm"; }

    template <class T>
    T* Find(const char* name) {
        auto* c = dynamic_cast<T*>(FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // Counts the calls of a notify event under a name.
    TNotifyEvent Counter(int& count) {
        return TNotifyEvent(this, "Count", [&count](TComponent*) { ++count; });
    }
};

std::string Focused() {
    auto* c = dynamic_cast<TControl*>(TWindow::FromHandle(::GetFocus()));
    return c ? c->Name() : "";
}


// ---- check boxes

TEST(CheckBox, AUserToggleClicksSettingDoesNot) {
    TTestForm form({Described("TCheckBox", "cbLarge", With(Bounds(8, 8, 200, 17), {Prop("Caption", Value::Str("&Large icons")),
                                                                                Prop("Checked", Value::Bool(true))})),
                    Described("TEdit", "edt", Bounds(8, 40, 100, 21))});
    form.Show();
    auto* box = form.Find<TCheckBox>("cbLarge");
    int clicks = 0;
    box->OnClick = form.Counter(clicks);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    box->SetChecked(false);
    EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, 0);

    struct Case {
        const char* how;
        const char* focus;
        std::function<void()> toggle;
    } cases[] = {
        {"Space", "cbLarge", [] { testsupport::PressKeys({VK_SPACE}); }},
        {"Alt+L from the edit", "edt", [] { testsupport::PressKeys({VK_MENU, 'L'}); }},
        {"a click", "edt", [&] { ClickAt(box->Handle(), {5, 8}); }},
    };
    bool expected = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        form.Find<TWinControl>(c.focus)->SetFocus();
        clicks = 0;
        c.toggle();
        expected = !expected;
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(box->Checked(), expected);
        EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED, expected);
        EXPECT_EQ(Focused(), "cbLarge");
    }
    auto written = WriteProperties(*box);
    EXPECT_NE(std::find(written.begin(), written.end(), Prop("Checked", Value::Bool(true))), written.end());
}

// ---- list boxes

int kObjects[4];

TEST(ListBox, RowsKeepTheirObjectsAndSelectionWhenTheirTextChanges) {
    for (bool multi : {false, true}) {
        SCOPED_TRACE(multi ? "multi" : "single");
        TTestForm form({Described("TListBox", "lb", With(Bounds(8, 8, 150, 120), {Prop("MultiSelect", Value::Bool(multi))}))});
        auto* list = form.Find<TListBox>("lb");
        for (int i = 0; i < 4; ++i) EXPECT_EQ(list->AddItem("row " + std::to_string(i), &kObjects[i]), i);
        EXPECT_EQ(list->Count(), 4);
        if (!multi) {
            EXPECT_EQ(list->ItemIndex(), -1);
        }
        list->SetSelected(2, true);
        if (multi) list->SetItemIndex(2);
        EXPECT_EQ(list->ItemIndex(), 2);
        list->SetItemText(2, "renamed");
        list->SetItemText(0, "first");
        EXPECT_EQ(list->ItemText(2), "renamed");
        char text[32] = {};
        ::SendMessageA(list->Handle(), LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "renamed");
        EXPECT_EQ(list->Objects(2), &kObjects[2]);
        EXPECT_EQ(list->IndexOfObject(&kObjects[3]), 3);
        EXPECT_EQ(list->IndexOfObject(nullptr), -1);
        EXPECT_TRUE(list->Selected(2));
        EXPECT_FALSE(list->Selected(0));
        EXPECT_EQ(list->ItemIndex(), 2);
        list->SetSelected(2, false);
        EXPECT_FALSE(list->Selected(2));
        EXPECT_THROW(list->ItemText(4), EInvalidOperation);
        list->Clear();
        EXPECT_EQ(list->Count(), 0);
        EXPECT_EQ(::SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 0);
    }
}

TEST(ListBox, UserChoicesClickAndListenersSeeTheInput) {
    TTestForm form({Described("TListBox", "lb", Bounds(8, 8, 150, 120)), Described("TEdit", "edt", Bounds(200, 8, 100, 21))});
    form.Show();
    auto* list = form.Find<TListBox>("lb");
    for (int i = 0; i < 20; ++i) list->AddItem("row " + std::to_string(i), nullptr);
    int clicks = 0, doubles = 0;
    list->OnClick = form.Counter(clicks);
    list->OnDblClick = form.Counter(doubles);
    std::vector<UINT> seen;
    list->AddMessageListener(&seen, [&](TMessage& m) {
        if (m.message == WM_LBUTTONDOWN || m.message == WM_KEYDOWN || m.message == WM_MOUSEWHEEL) seen.push_back(m.message);
    });
    list->SetItemIndex(0);
    EXPECT_EQ(clicks, 0) << "set in code";

    RECT row2 = list->ItemRect(2);
    EXPECT_EQ(list->ItemAtPos(Middle(row2), true), 2);
    EXPECT_EQ(list->ItemAtPos({5, -3}, true), -1);
    ClickAt(list->Handle(), Middle(row2));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Focused(), "lb");
    testsupport::PressKeys({VK_DOWN});
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_EQ(clicks, 2);
    ::SendMessageA(list->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_KEYDOWN, WM_MOUSEWHEEL}));
    ::SendMessageA(list->Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(Middle(row2).x, Middle(row2).y));
    EXPECT_EQ(doubles, 1);

    list->SetTopIndex(5);
    EXPECT_EQ(list->TopIndex(), 5);
    RECT client = list->ClientRect();
    list->SetTopIndex(16);
    const int top = list->TopIndex();
    RECT last = list->ItemRect(list->Count() - 1);
    if (last.bottom < client.bottom) {
        EXPECT_EQ(list->ItemAtPos({5, last.bottom + 1}, true), -1) << top;
        EXPECT_EQ(list->ItemAtPos({5, last.bottom + 1}, false), list->Count());
    }
}

TEST(ListBox, OwnerDrawnFromAStoredDescriptionDrawsThroughItsHandler) {
    TTestForm form({Described("TListBox", "lb", With(Bounds(8, 8, 150, 120), {Prop("Style", Value::Id("lbOwnerDrawFixed")),
                                                                          Prop("ItemHeight", Value::Int(22))})),
                    Described("TListBox", "plain", Bounds(200, 8, 150, 120))});
    form.Show();
    auto* list = form.Find<TListBox>("lb");
    EXPECT_TRUE(::GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_OWNERDRAWFIXED);
    EXPECT_EQ(list->ItemHeight(), 22);
    for (int i = 0; i < 3; ++i) list->AddItem("row", &kObjects[i]);
    list->SetItemIndex(1);
    // Recreated for another mode, it keeps its rows and selection.
    list->SetMultiSelect(true);
    EXPECT_TRUE(::GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_EXTENDEDSEL);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(::SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(list->Objects(1), &kObjects[1]);
    EXPECT_TRUE(list->Selected(1));
    EXPECT_EQ(list->ItemHeight(), 22);

    std::map<int, bool> drawn;  // row: drawn selected
    list->OnDrawItem = [&](TListBox* sender, int index, HDC dc, const RECT& rect, UINT state) {
        EXPECT_EQ(sender, list);
        EXPECT_EQ(rect.bottom - rect.top, 22);
        drawn[index] = (state & ODS_SELECTED) != 0;
        ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    };
    ::InvalidateRect(list->Handle(), nullptr, TRUE);
    ::UpdateWindow(list->Handle());
    EXPECT_EQ(drawn, (std::map<int, bool>{{0, false}, {1, true}, {2, false}}));

    // Without a handler: the row in the selection colours.
    list->OnDrawItem = nullptr;
    ::InvalidateRect(list->Handle(), nullptr, TRUE);
    ::UpdateWindow(list->Handle());
    WindowDC dc(list->Handle());
    EXPECT_EQ(::GetPixel(dc.Get(), 100, 22 + 11), ColorToRGB(clHighlight));
    EXPECT_EQ(::GetPixel(dc.Get(), 100, 11), ColorToRGB(clWindow));

    auto written = WriteProperties(*list);
    auto has = [&](const char* name, const Value& v) {
        for (const Property& p : written)
            if (p.name == name) return p.value == v;
        return false;
    };
    EXPECT_TRUE(has("Style", Value::Id("lbOwnerDrawFixed")));
    EXPECT_TRUE(has("ItemHeight", Value::Int(22)));
    EXPECT_TRUE(has("MultiSelect", Value::Bool(true)));
    EXPECT_FALSE(::GetWindowLongA(form.Find<TListBox>("plain")->Handle(), GWL_STYLE) & LBS_OWNERDRAWFIXED);
}

// ---- combo boxes

TEST(ComboBox, AUserChoiceChangesSettingDoesNot) {
    TTestForm form({Described("TComboBox", "cb", With(Bounds(8, 8, 120, 100),
                                                 {Prop("Items", Value::ListOf({Value::Str("(None)"), Value::Str("Random"),
                                                                               Value::Str("Unfold")})),
                                                  Prop("ItemIndex", Value::Int(1))}))});
    form.Show();
    auto* combo = form.Find<TComboBox>("cb");
    int changes = 0;
    combo->OnChange = form.Counter(changes);
    EXPECT_EQ(combo->Count(), 3);
    EXPECT_EQ(combo->ItemIndex(), 1);
    // The system's height, and a dropped list with room for eight rows.
    RECT window;
    ::GetWindowRect(combo->Handle(), &window);
    EXPECT_EQ(combo->Height(), window.bottom - window.top);
    EXPECT_LT(combo->Height(), 40);
    RECT dropped;
    ::SendMessageA(combo->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const int row = int(::SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(dropped.bottom - dropped.top - combo->Height(), 8 * row);

    combo->SetItemIndex(0);
    EXPECT_EQ(changes, 0);
    combo->SetFocus();
    testsupport::PressKeys({VK_DOWN});
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    combo->AddItem("Fade");
    EXPECT_EQ(::SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 4);

    auto written = WriteProperties(*combo);
    TTestForm copy({Described("TComboBox", "cb", written)});
    EXPECT_EQ(copy.Find<TComboBox>("cb")->Items(), combo->Items());
    EXPECT_EQ(copy.Find<TComboBox>("cb")->ItemIndex(), 1);
}

// ---- page controls

ObjectNode Sheet(const char* name, const char* caption, std::vector<ObjectNode> kids) {
    return Described("TTabSheet", name, {Prop("Caption", Value::Str(caption))}, std::move(kids));
}

ObjectNode PagesDescription() {
    return Described("TPageControl", "pc", With(Bounds(8, 8, 300, 200), {Prop("ActivePage", Value::Id("tsB"))}),
                {Sheet("tsA", " Toolbars ", {Described("TButton", "btnA", With(Bounds(8, 8, 75, 23), {Prop("Caption", Value::Str("&Apply"))}))}),
                 Sheet("tsB", " Commands ", {Described("TEdit", "edtB", Bounds(8, 8, 100, 21)),
                                             Described("TCheckBox", "cbB", With(Bounds(8, 40, 100, 17), {Prop("Caption", Value::Str("&Big"))}))}),
                 Sheet("tsC", " Options ", {Described("TEdit", "edtC", Bounds(8, 8, 100, 21))})});
}

TEST(PageControl, ShowsItsActivePageInTheDisplayAreaAndFollowsItsSize) {
    TTestForm form({PagesDescription()});
    form.Show();
    auto* pages = form.Find<TPageControl>("pc");
    ASSERT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->ActivePage(), form.Find<TTabSheet>("tsB"));
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(::SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
    char text[32] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(pages->Handle(), TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, " Options ");

    for (SIZE size : {SIZE{300, 200}, SIZE{360, 250}}) {
        pages->SetBounds(8, 8, size.cx, size.cy);
        RECT display = pages->DisplayRect();
        EXPECT_GT(display.top, 10) << "below the tabs";
        for (int i = 0; i < 3; ++i) {
            TTabSheet* page = pages->Pages(i);
            EXPECT_EQ(page->BoundsRect().top, display.top);
            EXPECT_EQ(page->BoundsRect().right, display.right);
            EXPECT_EQ(page->BoundsRect().bottom, display.bottom);
            EXPECT_EQ(::IsWindowVisible(page->Handle()) != FALSE, i == 1) << i;
        }
    }
    // The active page stays stored; the sheets' visibility does not.
    auto written = testsupport::Rewritten(Described("TTestForm", "frm", {}, {PagesDescription()}), form);
    const ObjectNode& pc = written.children[0];
    EXPECT_NE(std::find(pc.properties.begin(), pc.properties.end(), Prop("ActivePage", Value::Id("tsB"))),
              pc.properties.end());
    for (const ObjectNode& sheet : pc.children)
        for (const Property& p : sheet.properties) EXPECT_NE(p.name, "Visible") << sheet.name;

    // Without a stored active page the first one is active.
    TTestForm plain({Described("TPageControl", "pc", Bounds(0, 0, 200, 100), {Sheet("s1", "One", {}), Sheet("s2", "Two", {})})});
    EXPECT_EQ(plain.Find<TPageControl>("pc")->ActivePageIndex(), 0);
}

TEST(PageControl, TabsAndCtrlTabTurnThePagesAndHiddenPagesTakeNoKeys) {
    TTestForm form({PagesDescription(), Described("TEdit", "edtOut", Bounds(8, 240, 100, 21))});
    form.Show();
    auto* pages = form.Find<TPageControl>("pc");
    int changes = 0;
    pages->OnChange = form.Counter(changes);
    int applied = 0;
    form.Find<TButton>("btnA")->OnClick = form.Counter(applied);

    // Tab walks only the showing page's controls.
    form.Find<TWinControl>("edtOut")->SetFocus();
    std::vector<std::string> path;
    for (int i = 0; i < 4; ++i) {
        testsupport::PressKeys({VK_TAB});
        path.push_back(Focused());
    }
    EXPECT_EQ(path, (std::vector<std::string>{"pc", "edtB", "cbB", "edtOut"}));
    // The accelerator of a button on a hidden page does nothing.
    testsupport::PressKeys({VK_MENU, 'A'});
    EXPECT_EQ(applied, 0);

    struct Case {
        const char* how;
        std::function<void()> act;
        const char* active;
        const char* focus;
    } cases[] = {
        {"Ctrl+Tab", [] { testsupport::PressKeys({VK_CONTROL, VK_TAB}); }, "tsC", "edtOut"},
        {"Ctrl+Tab wraps", [] { testsupport::PressKeys({VK_CONTROL, VK_TAB}); }, "tsA", "edtOut"},
        {"Ctrl+Shift+Tab", [] { testsupport::PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB}); }, "tsC", "edtOut"},
        {"a click on the first tab", [&] {
             RECT tab{};
             ::SendMessageA(pages->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
             ClickAt(pages->Handle(), Middle(tab));
         }, "tsA", "pc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        changes = 0;
        c.act();
        EXPECT_EQ(changes, 1);
        ASSERT_TRUE(pages->ActivePage());
        EXPECT_EQ(pages->ActivePage()->Name(), c.active);
        EXPECT_EQ(Focused(), c.focus);
    }
    testsupport::PressKeys({VK_MENU, 'A'});
    EXPECT_EQ(applied, 1);

    // The focus on a page that goes moves to the new page's first control.
    form.Find<TWinControl>("btnA")->SetFocus();
    testsupport::PressKeys({VK_CONTROL, VK_TAB});
    EXPECT_EQ(pages->ActivePage()->Name(), "tsB");
    EXPECT_EQ(Focused(), "edtB");
    // Setting the page in code does not tell OnChange.
    changes = 0;
    pages->SetActivePageIndex(2);
    EXPECT_EQ(pages->ActivePage()->Name(), "tsC");
    EXPECT_EQ(changes, 0);
}

// ---- anchors

TEST(Anchors, ControlsKeepTheirDistanceToTheEdgesTheyAreAnchoredTo) {
    auto child = [](const char* name, const char* anchors) {
        std::vector<std::string> names;
        std::string all = anchors;
        for (std::size_t at = 0; at < all.size();) {
            std::size_t end = all.find(',', at);
            if (end == std::string::npos) end = all.size();
            names.push_back(all.substr(at, end - at));
            at = end + 1;
        }
        return Described("TPanel", name, With(Bounds(20, 30, 40, 50), {Prop("Anchors", Value::SetOf(names))}));
    };
    TTestForm form({Described("TPanel", "pnl", Bounds(0, 0, 200, 150),
                         {child("fixed", "akLeft,akTop"), child("right", "akTop,akRight"),
                          child("wide", "akLeft,akTop,akRight"), child("bottom", "akLeft,akBottom"),
                          child("all", "akLeft,akTop,akRight,akBottom")})});
    auto* panel = form.Find<TPanel>("pnl");
    struct Case {
        const char* name;
        RECT grown;  // after the panel grows by 30 x 20
    } cases[] = {
        {"fixed", {20, 30, 60, 80}}, {"right", {50, 30, 90, 80}}, {"wide", {20, 30, 90, 80}},
        {"bottom", {20, 50, 60, 100}}, {"all", {20, 30, 90, 100}},
    };
    for (SIZE size : {SIZE{230, 170}, SIZE{200, 150}, SIZE{230, 170}}) {
        panel->SetBounds(0, 0, size.cx, size.cy);
        const bool grown = size.cx == 230;
        for (const Case& c : cases) {
            RECT r = form.Find<TControl>(c.name)->BoundsRect();
            RECT expected = grown ? c.grown : RECT{20, 30, 60, 80};
            EXPECT_TRUE(::EqualRect(&r, &expected)) << c.name << " " << size.cx << ": " << r.left << "," << r.top
                                                    << "," << r.right << "," << r.bottom;
        }
    }
    // A control placed anew keeps its new distances.
    auto* right = form.Find<TControl>("right");
    right->SetLeft(100);
    panel->SetBounds(0, 0, 260, 170);
    EXPECT_EQ(right->Left(), 130);
    auto written = WriteProperties(*right);
    EXPECT_NE(std::find(written.begin(), written.end(), Prop("Anchors", Value::SetOf({"akTop", "akRight"}))), written.end());
    for (const Property& p : WriteProperties(*form.Find<TControl>("fixed"))) EXPECT_NE(p.name, "Anchors");
}

// ---- handles

TEST(StdCtrls, AFormWithEveryKindLeavesNoHandleBehind) {
    auto make = [] {
        TTestForm form({PagesDescription(),
                        Described("TListBox", "lb", With(Bounds(8, 220, 100, 60), {Prop("Style", Value::Id("lbOwnerDrawFixed")),
                                                                              Prop("Anchors", Value::SetOf({"akLeft", "akBottom"}))})),
                        Described("TComboBox", "cmb", With(Bounds(120, 220, 100, 21), {Prop("Items", Value::ListOf({Value::Str("a")}))}))});
        form.Show();
        form.Find<TListBox>("lb")->AddItem("x", nullptr);
        form.SetBounds(form.Left(), form.Top(), form.Width() + 10, form.Height() + 10);
        form.Find<TWinControl>("edtB")->SetFocus();
        testsupport::PressKeys({VK_CONTROL, VK_TAB});
        Application().ProcessMessages();
    };
    make();
    const HandleCount before = LiveHandles();
    make();
    EXPECT_EQ(LiveHandles().user, before.user);
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
}

// ---- what screen readers read

TEST(Accessibility, AFormsClientAreaListsItsShownControls) {
    TTestForm form({Described("TLabel", "lblName", With(Bounds(8, 8, 60, 13), {Prop("Caption", Value::Str("&Name:"))})),
                    Described("TButton", "btnHidden", With(Bounds(8, 80, 100, 25), {Prop("Visible", Value::Bool(false))})),
                    Described("TButton", "btnGo", With(Bounds(8, 40, 100, 25), {Prop("Caption", Value::Str("&Go && Run")),
                                                                              Prop("Hint", Value::Str("Go|Runs it all"))}))});
    form.Show();
    auto* go = form.Find<TButton>("btnGo");
    testsupport::AccessibleClient client(form.Handle());
    ASSERT_EQ(client.Result(), S_OK);
    ASSERT_EQ(client.ChildCount(), 2);
    const testsupport::AccessibleElement label = client.Read(1);
    EXPECT_EQ(label.role, ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(label.name, "Name:");
    RECT r = form.Find<TLabel>("lblName")->BoundsRect();
    ::MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(::EqualRect(&label.bounds, &r));
    const testsupport::AccessibleElement button = client.Read(2);
    EXPECT_EQ(button.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(button.name, "Go & Run");
    EXPECT_EQ(button.description, "Runs it all");
    EXPECT_EQ(button.shortcut, "Alt+G");
    EXPECT_EQ(button.action, "Press");

    go->SetEnabled(false);
    EXPECT_TRUE(client.Read(2).state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(client.Press(2), DISP_E_MEMBERNOTFOUND);
    go->SetEnabled(true);

    // The click comes from the queue; a control that leaves before its
    // turn is not clicked.
    int clicks = 0;
    go->OnClick = form.Counter(clicks);
    EXPECT_EQ(client.Press(2), S_OK);
    EXPECT_EQ(clicks, 0);
    go->SetParent(nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(clicks, 0);
    go->SetParent(&form);
    EXPECT_EQ(client.Press(2), S_OK);
    Application().ProcessMessages();
    EXPECT_EQ(clicks, 1);
}

}  // namespace
