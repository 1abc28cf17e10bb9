// Fixtures of the command bar tests: a form described like the main
// window (manager, top toolbar, five large buttons bound to commands, a
// 32x32 image list), menu fonts of known size, and readers of what the
// windows show.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "bars/dxBarControl.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarNameEd.h"
#include "bars/dxBarToolbar.h"
#include "bars/dxOffice11.h"
#include "controls/cxGraphics.h"
#include "forms/Described.h"
#include "forms/ExtCtrls.h"
#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "tests/common/TestSupport.h"

namespace barstest {

using forms::ObjectNode;
using forms::Property;
using forms::Value;

using forms::Described;

inline Value Ints(std::vector<int> values) {
    std::vector<Value> list;
    for (int v : values) list.push_back(Value::Int(v));
    return Value::ListOf(std::move(list));
}

// A form that records what its command handlers were called with.
class TBarForm : public forms::TForm {
public:
    TBarForm() : TForm(nullptr) {}
    const char* ClassName() const override { return "TBarForm"; }
    void Load(const ObjectNode& node) { Create(node); }

    bars::TdxBarManager* Manager() const { return bars::TdxBarManager::Of(this); }
    bars::TdxBar* Toolbar() const { return Manager()->Bars().Items(0); }
    bars::TdxBarControl* ToolbarWindow() const { return Toolbar()->Control(); }
    bars::TdxDockControl* TopDock() const { return Manager()->Bars().DockControl(bars::TdxBarDockingStyle::Top); }
    template <class T>
    T* Get(const char* name) const {
        return dynamic_cast<T*>(FindComponent(name));
    }
    bars::TdxBarLargeButton* Button(int i) const { return Get<bars::TdxBarLargeButton>(("btn" + std::to_string(i)).c_str()); }
    forms::TAction* Action(int i) const { return Get<forms::TAction>(("act" + std::to_string(i)).c_str()); }

    // "handler sender" per call.
    std::vector<std::string> Calls;

protected:
    forms::TMethod FindMethod(const std::string& name) override {
        if (name.starts_with("Do"))
            return std::function<void(forms::TComponent*)>(
                [this, name](forms::TComponent* sender) { Calls.push_back(name + " " + sender->Name()); });
        return TForm::FindMethod(name);
    }
};

// The description of a window like the main one; `bar` and `manager`
// properties are added to (or replace) the defaults.
struct FormShape {
    int clientWidth = 375;
    std::vector<Property> manager;
    std::vector<Property> bar;
    std::vector<std::string> captions{"Exit", "Start", "Pause", "Stop", "About"};
};

inline void Set(std::vector<Property>& props, Property p) {
    for (Property& q : props)
        if (q.name == p.name) {
            q = std::move(p);
            return;
        }
    props.push_back(std::move(p));
}

inline ObjectNode MainLikeForm(const FormShape& shape = {}) {
    std::vector<ObjectNode> actions;
    std::vector<ObjectNode> buttons;
    std::vector<std::vector<Property>> links;
    for (int i = 0; i < static_cast<int>(shape.captions.size()); ++i) {
        std::string n = std::to_string(i);
        actions.push_back(Described("TAction", "act" + n,
                               {{"Caption", Value::Str(shape.captions[i])},
                                {"Hint", Value::Str(shape.captions[i] + " Hint")},
                                {"ImageIndex", Value::Int(i)},
                                {"ShortCut", Value::Int(VK_F2 + i)},
                                {"OnExecute", Value::Id("Do" + n)}}));
        buttons.push_back(Described("TdxBarLargeButton", "btn" + n,
                               {{"Action", Value::Id("act" + n)},
                                {"Category", Value::Int(0)},
                                {"Width", Value::Int(75)},
                                {"AutoGrayScale", Value::Bool(false)}}));
        links.push_back({{"Visible", Value::Bool(true)}, {"ItemName", Value::Str("btn" + n)}});
    }
    std::vector<Property> bar{
        {"Caption", Value::Str("Main")},          {"BorderStyle", Value::Id("bbsNone")},
        {"DockingStyle", Value::Id("dsTop")},     {"DockedDockingStyle", Value::Id("dsTop")},
        {"DockedLeft", Value::Int(0)},            {"DockedTop", Value::Int(0)},
        {"FloatLeft", Value::Int(412)},           {"FloatTop", Value::Int(8)},
        {"ItemLinks", Value::CollectionOf(links)}, {"OneOnRow", Value::Bool(true)},
        {"Row", Value::Int(0)},                   {"ShowMark", Value::Bool(false)},
        {"SizeGrip", Value::Bool(false)},         {"UseOwnFont", Value::Bool(false)},
        {"UseRestSpace", Value::Bool(true)},      {"Visible", Value::Bool(true)},
        {"WholeRow", Value::Bool(true)},
    };
    for (const Property& p : shape.bar) Set(bar, p);
    std::vector<Property> manager{
        {"Font.Charset", Value::Id("DEFAULT_CHARSET")},
        {"Font.Color", Value::Id("clWindowText")},
        {"Font.Height", Value::Int(-12)},
        {"Font.Name", Value::Str("Segoe UI")},
        {"Font.Style", Value::SetOf({})},
        {"Categories.Strings", Value::ListOf({Value::Str("Default")})},
        {"Categories.ItemsVisibles", Ints({2})},
        {"Categories.Visibles", Value::ListOf({Value::Bool(true)})},
        {"ImageOptions.LargeImages", Value::Id("ImageList")},
        {"ImageOptions.MakeDisabledImagesFaded", Value::Bool(true)},
        {"ImageOptions.UseLargeImagesForLargeIcons", Value::Bool(true)},
        {"Style", Value::Id("bmsOffice11")},
        {"UseSystemFont", Value::Bool(true)},
        {"Bars", Value::CollectionOf({bar})},
        {"DockControlHeights", Ints({0, 0, 54, 0})},
    };
    for (const Property& p : shape.manager) Set(manager, p);
    std::vector<ObjectNode> kids{
        Described("TPanel", "pnlTime", {{"Align", Value::Id("alClient")}, {"BevelOuter", Value::Id("bvNone")}}),
        Described("TcxImageList", "ImageList", {{"Height", Value::Int(32)}, {"Width", Value::Int(32)}}),
        Described("TActionList", "ActionList", {{"Images", Value::Id("ImageList")}}, actions),
        Described("TdxBarManager", "BarManager", manager),
    };
    kids.insert(kids.end(), buttons.begin(), buttons.end());
    return Described("TBarForm", "frmBars",
                {{"ClientWidth", Value::Int(shape.clientWidth)},
                 {"ClientHeight", Value::Int(157)},
                 {"Color", Value::Int(0xFFE8E8)},
                 {"BorderStyle", Value::Id("bsSizeable")}},
                kids);
}

// Picture i of the test lists: opaque, one colour each.
inline forms::TColor PictureColour(int i) {
    static const forms::TColor colours[] = {RGB(200, 30, 30), RGB(30, 160, 60), RGB(40, 90, 200), RGB(120, 60, 160),
                                            RGB(220, 160, 20)};
    return colours[i % 5];
}

inline void FillPictures(controls::TcxImageList& list, int count = 5) {
    list.LockChanges();
    for (int i = 0; i < count; ++i) {
        controls::TcxBitmap32 picture(32, 32);
        forms::TColor c = PictureColour(i);
        for (auto& p : picture.Pixels()) p = 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        picture.Modified();
        list.AddPicture(&picture);
    }
    list.UnlockChanges();
}

// A font whose "Qq" is `height` pixels high, as the menu font.
inline LOGFONTA FontWithTextHeight(int height) {
    forms::MemoryDC dc;
    for (const char* face : {"Tahoma", "Arial", "Segoe UI", "Courier New"}) {
        for (int h = -6; h > -40; --h) {
            LOGFONTA lf{};
            lf.lfHeight = h;
            lf.lfCharSet = DEFAULT_CHARSET;
            std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
            forms::Font font(::CreateFontIndirectA(&lf));
            forms::SelectGuard select(dc.Get(), font.Get());
            SIZE size{};
            ::GetTextExtentPoint32A(dc.Get(), "Qq", 2, &size);
            if (size.cy == height) return lf;
        }
    }
    ADD_FAILURE() << "no font size gives text " << height << " pixels high";
    return {};
}

// Puts a menu font in place for the test's lifetime.
class MenuFont {
public:
    explicit MenuFont(int textHeight) { Set(textHeight); }
    ~MenuFont() { bars::SetNonClientMetricsSource(nullptr); }
    MenuFont(const MenuFont&) = delete;
    MenuFont& operator=(const MenuFont&) = delete;
    void Set(int textHeight) {
        LOGFONTA lf = FontWithTextHeight(textHeight);
        bars::SetNonClientMetricsSource([lf](NONCLIENTMETRICSA& m) {
            m.lfMenuFont = lf;
            m.lfStatusFont = lf;
            return true;
        });
    }
};

// The machine the Office 2003 palette sees, for the test's lifetime: a
// visual style by its theme file and colour, or none, and system colours
// of the test's choice (the others stay the system's).
class PaletteMachine {
public:
    PaletteMachine() : FSaved(bars::Office11Environment()) {}
    ~PaletteMachine() {
        bars::Office11Environment() = FSaved;
        bars::SetGradientFillAvailable(true);
        bars::RefreshOffice11Palette();
    }
    PaletteMachine(const PaletteMachine&) = delete;
    PaletteMachine& operator=(const PaletteMachine&) = delete;

    PaletteMachine& Styled(std::wstring file, std::wstring colour, DWORD major = 5) {
        bars::TOffice11Environment& env = bars::Office11Environment();
        env.VisualStylesActive = [] { return true; };
        env.CurrentThemeName = [file, colour](std::wstring& f, std::wstring& c) {
            f = file;
            c = colour;
            return true;
        };
        env.WindowsMajorVersion = [major] { return major; };
        return Refresh();
    }
    PaletteMachine& Classic() {
        bars::Office11Environment().VisualStylesActive = [] { return false; };
        return Refresh();
    }
    PaletteMachine& Colours(std::map<int, COLORREF> colours) {
        bars::Office11Environment().SysColor = [colours](int index) {
            auto it = colours.find(index);
            return it != colours.end() ? it->second : ::GetSysColor(index);
        };
        return Refresh();
    }
    PaletteMachine& Refresh() {
        bars::RefreshOffice11Palette();
        return *this;
    }

private:
    bars::TOffice11Environment FSaved;
};

// The blue visual style of Windows XP.
inline void LunaBlue(PaletteMachine& machine) {
    machine.Styled(L"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", L"NormalColor");
}

// Visual styles off and face and window in the form's colour: the dock
// and the toolbar are one flat colour, whatever the machine's scheme.
struct OneColourDock : PaletteMachine {
    static constexpr COLORREF kColour = RGB(232, 232, 255);
    OneColourDock() { Classic().Colours({{COLOR_BTNFACE, kColour}, {COLOR_WINDOW, kColour}}); }
};

inline std::unique_ptr<TBarForm> LoadForm(const ObjectNode& node, bool pictures = true) {
    auto form = std::make_unique<TBarForm>();
    form->Load(node);
    if (pictures) FillPictures(*form->Get<controls::TcxImageList>("ImageList"));
    return form;
}

using testsupport::Snapshot;

inline RECT Rect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

// A menu's entries as text: caption, then its separator, check and enabled
// state, e.g. "| Begin a &Group [x]". Empty without a menu.
inline std::vector<std::string> MenuEntries(const bars::TdxBarItemLinks* links) {
    std::vector<std::string> rows;
    for (int i = 0; links && i < links->Count(); ++i) {
        const bars::TdxBarItemLink& link = *links->Items(i);
        auto* button = dynamic_cast<bars::TdxBarButton*>(link.Item());
        std::string row = (link.BeginGroup() ? "| " : "") + link.Item()->Caption();
        if (button && button->ButtonStyle() == bars::TdxBarButtonStyle::Checked) row += button->Down() ? " [x]" : " [ ]";
        if (button && !button->Enabled()) row += " (disabled)";
        rows.push_back(row);
    }
    return rows;
}

// Types the text over whatever the edit holds.
inline void Retype(const std::string& text) {
    testsupport::SendKeys({VK_HOME});
    testsupport::SendKeys({VK_SHIFT, VK_END});
    testsupport::SendKeys({VK_DELETE});
    for (char ch : text) {
        SHORT scan = ::VkKeyScanA(ch);
        if (scan & 0x100) testsupport::SendKeys({VK_SHIFT, WORD(scan & 0xFF)});
        else testsupport::SendKeys({WORD(scan & 0xFF)});
    }
}

// Runs each step once the name dialog is the active window: the first when
// it opens, the next after a message box over it has gone, and so on.
class NameDialogScript {
public:
    using Step = std::function<void(bars::TdxBarNameEd&)>;
    explicit NameDialogScript(std::vector<Step> steps) {
        Steps().assign(steps.begin(), steps.end());
        FTimer = ::SetTimer(nullptr, 0, 15, Tick);
    }
    ~NameDialogScript() {
        ::KillTimer(nullptr, FTimer);
        EXPECT_TRUE(Steps().empty()) << "steps left unrun";
        Steps().clear();
    }
    NameDialogScript(const NameDialogScript&) = delete;
    NameDialogScript& operator=(const NameDialogScript&) = delete;

private:
    static std::deque<Step>& Steps() {
        static std::deque<Step> steps;
        return steps;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        auto* dialog = dynamic_cast<bars::TdxBarNameEd*>(forms::Application().ActiveForm());
        if (Steps().empty() || !dialog || !dialog->Visible() || ::GetActiveWindow() != dialog->Handle()) return;
        Step step = std::move(Steps().front());
        Steps().pop_front();
        try {
            step(*dialog);
        } catch (...) {
            ADD_FAILURE() << "a step failed";
        }
    }
    UINT_PTR FTimer = 0;
};

inline void Enter(bars::TdxBarNameEd&) { testsupport::SendKeys({VK_RETURN}); }
inline void Esc(bars::TdxBarNameEd&) { testsupport::SendKeys({VK_ESCAPE}); }
inline NameDialogScript::Step Type(std::string text, WORD then = VK_RETURN) {
    return [=](bars::TdxBarNameEd&) {
        Retype(text);
        testsupport::SendKeys({then});
    };
}

}  // namespace barstest

// Found by argument lookup: RECT lives in the global namespace.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
