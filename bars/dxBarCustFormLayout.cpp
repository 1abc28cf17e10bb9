// The customization dialog's layout: its tabs, their controls and the
// options, which apply as soon as they change.
#include <algorithm>

#include "bars/dxBarCustForm.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarToolbar.h"
#include "forms/Described.h"
#include "forms/Dialogs.h"
#include "forms/Handles.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

namespace {

using Props = std::vector<Property>;

// The layout is given at 96 dots per inch and grows with the screen's, as
// the dialog's font does.
int Scaled(int pixels) { return forms::MulDiv(pixels, ScreenPixelsPerInch(), 96); }

Props Box(int left, int top, int width, int height) {
    return BoundsOf(Scaled(left), Scaled(top), Scaled(width), Scaled(height));
}

Property Text(const char* resString) { return {"Caption", Value::Str(ResString(resString))}; }
Property Anchors(std::vector<std::string> sides) { return {"Anchors", Value::SetOf(std::move(sides))}; }

ObjectNode Label(const char* name, int left, int top, const char* resString, const char* focusControl = nullptr) {
    Props props{{"Left", Value::Int(Scaled(left))}, {"Top", Value::Int(Scaled(top))}, Text(resString)};
    if (focusControl) props.push_back({"FocusControl", Value::Id(focusControl)});
    return Described("TLabel", name, props);
}

// The line that runs from a group label's end to the right.
ObjectNode GroupLine(const char* name, int top) {
    return Described("TBevel", name, Box(0, top, 10, 2) + Props{{"Shape", Value::Id("bsTopLine")}});
}

ObjectNode CheckBox(const char* name, int left, int top, int width, const char* resString) {
    return Described("TCheckBox", name, Box(left, top, width, 17) + Props{Text(resString)});
}

ObjectNode Button(const char* name, int left, int top, int width, int height, const char* resString) {
    return Described("TButton", name, Box(left, top, width, height) + Props{Text(resString)});
}

ObjectNode ComboBox(const char* name, int left, int top) {
    return Described("TComboBox", name, Box(left, top, 145, 21));
}

ObjectNode ToolbarsTab() {
    return Described(
        "TTabSheet", "tsToolbars", {Text("dxSBAR_TABSHEET1")},
        {Label("LabelToobars", 4, 4, "dxSBAR_TOOLBARS", "lbBarsList"),
         Described("TListBox", "lbBarsList",
                   Box(4, 20, 227, 213) + Props{{"Style", Value::Id("lbOwnerDrawFixed")},
                                                     Anchors({"akLeft", "akTop", "akBottom"})}),
         Button("BBarNew", 239, 21, 104, 22, "dxSBAR_TNEW"), Button("BBarRename", 239, 50, 104, 22, "dxSBAR_TRENAME"),
         Button("BBarDelete", 239, 79, 104, 22, "dxSBAR_TDELETE"),
         Button("BBarReset", 239, 108, 104, 22, "dxSBAR_TRESET")});
}

ObjectNode CommandsTab() {
    const Props growing{Anchors({"akLeft", "akTop", "akBottom"})};
    const Props bottom{Anchors({"akLeft", "akBottom"})};
    return Described(
        "TTabSheet", "tsItems", {Text("dxSBAR_TABSHEET2")},
        {Label("LabelCategories", 6, 8, "dxSBAR_CATEGORIES", "lbCategories"),
         Label("LabelCommands", 148, 8, "dxSBAR_COMMANDS", "lbItems"),
         Described("TListBox", "lbCategories", Box(6, 24, 135, 147) + growing),
         Described("TListBox", "lbItems",
                   Box(148, 24, 194, 147) + growing +
                       Props{{"Style", Value::Id("lbOwnerDrawFixed")}, {"ItemHeight", Value::Int(Scaled(22))}}),
         Described("TLabel", "LabelDescription",
                   Props{{"Left", Value::Int(Scaled(6))}, {"Top", Value::Int(Scaled(175))}, Text("dxSBAR_DESCRIPTION")} +
                             bottom),
         Described("TBevel", "DescriptionBevel",
                   Box(0, 182, 10, 2) + Props{{"Shape", Value::Id("bsTopLine")}} + bottom),
         Described("TLabel", "DescriptionLabel",
                   Box(6, 191, 335, 40) +
                       Props{{"AutoSize", Value::Bool(false)}, {"WordWrap", Value::Bool(true)}} + bottom)});
}

ObjectNode OptionsTab() {
    const Props plain{{"Align", Value::Id("alClient")}, {"BevelOuter", Value::Id("bvNone")}};
    return Described(
        "TTabSheet", "tsOptions", {Text("dxSBAR_TABSHEET3")},
        {Described("TPanel", "EnhancedOptionsPanel", plain,
                   {Label("Label3", 12, 12, "dxSBAR_PERSMENUSANDTOOLBARS"), GroupLine("Bevel3", 19),
                    CheckBox("CBMenusShowRecentItemsFirst", 20, 32, 309, "dxSBAR_MENUSSHOWRECENTITEMS"),
                    CheckBox("CBShowFullMenusAfterDelay", 36, 52, 293, "dxSBAR_SHOWFULLMENUSAFTERDELAY"),
                    Button("BResetUsageData", 20, 76, 120, 22, "dxSBAR_RESETUSAGEDATA"),
                    Label("Label2", 12, 116, "dxSBAR_OTHEROPTIONS"), GroupLine("Bevel2", 123),
                    CheckBox("CBLargeIconsEx", 20, 132, 309, "dxSBAR_LARGEICONS"),
                    CheckBox("CBHint1Ex", 20, 152, 309, "dxSBAR_HINTOPT1"),
                    CheckBox("CBHint2Ex", 36, 172, 293, "dxSBAR_HINTOPT2"),
                    Label("Label1", 20, 200, "dxSBAR_MENUANIMATIONS", "ComboBoxMenuAnimationsEx"),
                    ComboBox("ComboBoxMenuAnimationsEx", 132, 196)}),
         Described("TPanel", "StandardOptionsPanel", plain + Props{{"Visible", Value::Bool(false)}},
                   {CheckBox("CBLargeIcons", 20, 12, 309, "dxSBAR_LARGEICONS"),
                    CheckBox("CBHint1", 20, 32, 309, "dxSBAR_HINTOPT1"),
                    CheckBox("CBHint2", 36, 52, 293, "dxSBAR_HINTOPT2"),
                    Label("LabelMenuAnimations", 20, 84, "dxSBAR_MENUANIMATIONS", "ComboBoxMenuAnimations"),
                    ComboBox("ComboBoxMenuAnimations", 132, 80)})});
}

ObjectNode Description() {
    return Described(
        "TdxBarCustomizationForm", "dxBarCustomizationForm",
        {{"BorderIcons", Value::SetOf({"biSystemMenu"})},
         {"BorderStyle", Value::Id("bsSizeable")},
         Text("dxSBAR_CAPTION"),
         {"ClientWidth", Value::Int(Scaled(366))},
         {"ClientHeight", Value::Int(Scaled(310))},
         {"Position", Value::Id("poScreenCenter")}},
        {Described("TPanel", "Panel1", {{"Align", Value::Id("alBottom")}, {"Height", Value::Int(Scaled(36))},
                                        {"BevelOuter", Value::Id("bvNone")}, {"TabOrder", Value::Int(1)}},
                   {Described("TButton", "BClose",
                              Box(285, 8, 75, 23) + Props{Text("dxSBAR_CLOSE"),
                                                               {"Default", Value::Bool(true)},
                                                               {"Cancel", Value::Bool(true)}})}),
         Described("TPageControl", "PageControl",
                   Box(6, 6, 354, 268) +
                       Props{Anchors({"akLeft", "akTop", "akRight", "akBottom"}), {"TabOrder", Value::Int(0)}},
                   {ToolbarsTab(), CommandsTab(), OptionsTab()})});
}

// The width of a caption in the control's font, "&" marks left out.
int CaptionWidth(TControl& control, const std::string& caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i)
        if (caption[i] != '&' || (i + 1 < caption.size() && caption[++i] == '&')) text += caption[i];
    WindowDC dc(nullptr);
    SelectGuard font(dc.Get(), control.Font().Handle());
    SIZE size{};
    ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

const char* const kAnimationNames[] = {"dxSBAR_MENUANIM1", "dxSBAR_MENUANIM2", "dxSBAR_MENUANIM3",
                                       "dxSBAR_MENUANIM4", "dxSBAR_MENUANIM5"};

}  // namespace

std::unique_ptr<TdxBarCustomizationForm> TdxBarCustomizationForm::Create(TdxBarManager& manager) {
    std::unique_ptr<TdxBarCustomizationForm> form(new TdxBarCustomizationForm(manager));
    form->Font().SetHeight(-::MulDiv(8, ScreenPixelsPerInch(), 72));
    form->Build(Description());
    return form;
}

void TdxBarCustomizationForm::Loaded() {
    TdxBarCustomCustomizationForm::Loaded();
    Bind(Panel1, "Panel1");
    Bind(BClose, "BClose");
    Bind(PageControl, "PageControl");
    Bind(tsToolbars, "tsToolbars");
    Bind(tsItems, "tsItems");
    Bind(tsOptions, "tsOptions");
    Bind(LabelToobars, "LabelToobars");
    Bind(LabelCategories, "LabelCategories");
    Bind(LabelCommands, "LabelCommands");
    Bind(LabelDescription, "LabelDescription");
    Bind(DescriptionBevel, "DescriptionBevel");
    Bind(DescriptionLabel, "DescriptionLabel");
    Bind(EnhancedOptionsPanel, "EnhancedOptionsPanel");
    Bind(StandardOptionsPanel, "StandardOptionsPanel");
    Bind(Label1, "Label1");
    Bind(Label2, "Label2");
    Bind(Label3, "Label3");
    Bind(Bevel2, "Bevel2");
    Bind(Bevel3, "Bevel3");
    Bind(CBMenusShowRecentItemsFirst, "CBMenusShowRecentItemsFirst");
    Bind(CBShowFullMenusAfterDelay, "CBShowFullMenusAfterDelay");
    Bind(BResetUsageData, "BResetUsageData");
    Bind(CBLargeIcons, "CBLargeIcons");
    Bind(CBLargeIconsEx, "CBLargeIconsEx");
    Bind(CBHint1, "CBHint1");
    Bind(CBHint1Ex, "CBHint1Ex");
    Bind(CBHint2, "CBHint2");
    Bind(CBHint2Ex, "CBHint2Ex");
    Bind(LabelMenuAnimations, "LabelMenuAnimations");
    Bind(ComboBoxMenuAnimations, "ComboBoxMenuAnimations");
    Bind(ComboBoxMenuAnimationsEx, "ComboBoxMenuAnimationsEx");

    auto handler = [this](const char* name, void (TdxBarCustomizationForm::*method)(TComponent*)) {
        return TNotifyEvent(this, name, [this, method](TComponent* sender) { (this->*method)(sender); });
    };
    BClose->OnClick = handler("BCloseClick", &TdxBarCustomizationForm::BCloseClick);
    CBMenusShowRecentItemsFirst->OnClick =
        handler("CBMenusShowRecentItemsFirstClick", &TdxBarCustomizationForm::CBMenusShowRecentItemsFirstClick);
    CBShowFullMenusAfterDelay->OnClick =
        handler("CBShowFullMenusAfterDelayClick", &TdxBarCustomizationForm::CBShowFullMenusAfterDelayClick);
    BResetUsageData->OnClick = handler("BResetUsageDataClick", &TdxBarCustomizationForm::BResetUsageDataClick);
    CBLargeIcons->OnClick = handler("CBLargeIconsClick", &TdxBarCustomizationForm::CBLargeIconsClick);
    CBLargeIconsEx->OnClick = handler("CBLargeIconsClick", &TdxBarCustomizationForm::CBLargeIconsClick);
    CBHint1->OnClick = handler("CBHint1Click", &TdxBarCustomizationForm::CBHint1Click);
    CBHint1Ex->OnClick = handler("CBHint1ExClick", &TdxBarCustomizationForm::CBHint1ExClick);
    CBHint2->OnClick = handler("CBHint2Click", &TdxBarCustomizationForm::CBHint2Click);
    CBHint2Ex->OnClick = handler("CBHint2Click", &TdxBarCustomizationForm::CBHint2Click);
    ComboBoxMenuAnimations->OnChange =
        handler("ComboBoxMenuAnimationsClick", &TdxBarCustomizationForm::ComboBoxMenuAnimationsClick);
    ComboBoxMenuAnimationsEx->OnChange =
        handler("ComboBoxMenuAnimationsClick", &TdxBarCustomizationForm::ComboBoxMenuAnimationsClick);
    lbItems->OnDrawItem = [this](TListBox* sender, int index, HDC dc, const RECT& rect, UINT state) {
        lbItemsDrawItem(sender, index, dc, rect, state);
    };
}

void TdxBarCustomizationForm::InitControls() {
    TdxBarManager& manager = BarManager();

    const int closeWidth = CaptionWidth(*BClose, BClose->Caption()) + Scaled(49);
    BClose->SetBounds(Panel1->Width() - Scaled(6) - closeWidth, BClose->Top(), closeWidth, BClose->Height());
    BBarReset->SetVisible(manager.LoadCount() > 0 && manager.AllowReset());

    // Each group line starts where its label ends.
    for (auto [label, line] : {std::pair{Label3, Bevel3}, std::pair{Label2, Bevel2}})
        line->SetBounds(label->Left() + label->Width(), line->Top(), Scaled(329) - (label->Left() + label->Width()), 2);
    const int descriptionEnd = LabelDescription->Left() + LabelDescription->Width();
    DescriptionBevel->SetBounds(descriptionEnd, LabelDescription->Top() + LabelDescription->Height() / 2,
                                DescriptionLabel->Left() + DescriptionLabel->Width() - descriptionEnd, 2);
    BResetUsageData->SetWidth(CaptionWidth(*BResetUsageData, BResetUsageData->Caption()) + Scaled(17));

    for (auto [combo, label] : {std::pair{ComboBoxMenuAnimationsEx, Label1},
                                std::pair{ComboBoxMenuAnimations, LabelMenuAnimations}}) {
        int widest = 0;
        for (const char* name : kAnimationNames) {
            combo->AddItem(ResString(name));
            widest = std::max(widest, CaptionWidth(*combo, ResString(name)));
        }
        const int left = std::max(combo->Left(), label->Left() + label->Width() + Scaled(10));
        combo->SetBounds(left, combo->Top(), widest + Scaled(54), combo->Height());
        combo->SetItemIndex(static_cast<int>(manager.MenuAnimations()));
    }

    CBMenusShowRecentItemsFirst->SetChecked(manager.MenusShowRecentItemsFirst());
    CBShowFullMenusAfterDelay->SetChecked(manager.ShowFullMenusAfterDelay());
    CBShowFullMenusAfterDelay->SetEnabled(manager.MenusShowRecentItemsFirst());
    CBLargeIcons->SetChecked(manager.LargeIcons());
    CBLargeIconsEx->SetChecked(manager.LargeIcons());
    CBHint1->SetChecked(manager.ShowHint());
    CBHint1Ex->SetChecked(manager.ShowHint());
    CBHint2->SetChecked(manager.ShowShortCutInHint());
    CBHint2Ex->SetChecked(manager.ShowShortCutInHint());
    CBHint2Ex->SetEnabled(manager.ShowHint());
    const bool standard = manager.Style() == TdxBarManagerStyle::Standard;
    EnhancedOptionsPanel->SetVisible(!standard);
    StandardOptionsPanel->SetVisible(standard);

    lbBarsList->SetColor(clWindow);
    lbCategories->SetColor(clWindow);
    lbItems->SetColor(Painter().ItemsListColor());
}

void TdxBarCustomizationForm::ItemSelectionChanged() {
    const int row = lbItems->ItemIndex();
    auto* item = row >= 0 ? dynamic_cast<TdxBarItem*>(static_cast<TPersistent*>(lbItems->Objects(row))) : nullptr;
    DescriptionLabel->SetCaption(item ? item->Description() : std::string());
}

void TdxBarCustomizationForm::BCloseClick(TComponent*) { Close(); }

void TdxBarCustomizationForm::CBMenusShowRecentItemsFirstClick(TComponent*) {
    CBShowFullMenusAfterDelay->SetEnabled(CBMenusShowRecentItemsFirst->Checked());
    BarManager().SetMenusShowRecentItemsFirst(CBMenusShowRecentItemsFirst->Checked());
}

void TdxBarCustomizationForm::CBShowFullMenusAfterDelayClick(TComponent*) {
    BarManager().SetShowFullMenusAfterDelay(CBShowFullMenusAfterDelay->Checked());
}

void TdxBarCustomizationForm::BResetUsageDataClick(TComponent*) {
    if (ShowMessageBox(ResString("dxSBAR_WANTTORESETUSAGEDATA"), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) !=
        IDYES)
        return;
    // The marks of each toolbar's links as they were loaded; links beyond
    // the saved ones count as recently used.
    TdxBars& bars = BarManager().Bars();
    for (int i = 0; i < bars.Count(); ++i) {
        TdxBar* bar = bars.Items(i);
        for (const TdxBarLayout& saved : BarManager().InitialLayout()) {
            if (saved.caption != bar->Caption()) continue;
            TdxBarItemLinks& links = bar->ItemLinks();
            for (int k = 0; k < links.Count(); ++k)
                links.Items(k)->SetMostRecentlyUsed(k < static_cast<int>(saved.links.size())
                                                        ? saved.links[static_cast<std::size_t>(k)].mostRecentlyUsed
                                                        : true);
            break;
        }
    }
}

void TdxBarCustomizationForm::CBLargeIconsClick(TComponent* sender) {
    auto* box = static_cast<TCheckBox*>(sender);
    BarManager().SetLargeIcons(box->Checked());
    CBLargeIcons->SetChecked(box->Checked());
    CBLargeIconsEx->SetChecked(box->Checked());
}

void TdxBarCustomizationForm::CBHint1Click(TComponent*) { BarManager().SetShowHint(CBHint1->Checked()); }

void TdxBarCustomizationForm::CBHint1ExClick(TComponent*) {
    BarManager().SetShowHint(CBHint1Ex->Checked());
    CBHint2Ex->SetEnabled(CBHint1Ex->Checked());
}

void TdxBarCustomizationForm::CBHint2Click(TComponent* sender) {
    BarManager().SetShowShortCutInHint(static_cast<TCheckBox*>(sender)->Checked());
}

void TdxBarCustomizationForm::ComboBoxMenuAnimationsClick(TComponent* sender) {
    const int index = static_cast<TComboBox*>(sender)->ItemIndex();
    if (index >= 0 && index <= static_cast<int>(TdxBarMenuAnimations::Fade))
        BarManager().SetMenuAnimations(static_cast<TdxBarMenuAnimations>(index));
}

}  // namespace bars
