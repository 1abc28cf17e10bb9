#include "bars/dxBarNameEd.h"

#include "bars/dxBarManager.h"
#include "bars/dxBarToolbar.h"
#include "forms/Described.h"
#include "forms/Dialogs.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

namespace {

ObjectNode Description(const std::string& title) {
    using Props = std::vector<Property>;
    return Described(
        "TdxBarNameEd", "dxBarNameEd",
        {{"BorderIcons", Value::SetOf({})},
         {"BorderStyle", Value::Id("bsDialog")},
         {"Caption", Value::Str(title)},
         {"ClientHeight", Value::Int(87)},
         {"ClientWidth", Value::Int(266)},
         {"Position", Value::Id("poScreenCenter")},
         {"ActiveControl", Value::Id("EName")}},
        {Described("TLabel", "LName",
                   {{"Left", Value::Int(8)},
                    {"Top", Value::Int(8)},
                    {"Caption", Value::Str(ResString("dxSBAR_TOOLBARNAME"))},
                    {"FocusControl", Value::Id("EName")}}),
         Described("TEdit", "EName", BoundsOf(8, 27, 251, 21) + Props{{"TabOrder", Value::Int(0)}}),
         Described("TButton", "BOK",
                   BoundsOf(106, 58, 73, 23) + Props{{"Caption", Value::Str(ResString("dxSBAR_OK"))},
                                                     {"Default", Value::Bool(true)},
                                                     {"ModalResult", Value::Int(mrOk)},
                                                     {"TabOrder", Value::Int(1)}}),
         Described("TButton", "BCancel",
                   BoundsOf(186, 58, 73, 23) + Props{{"Caption", Value::Str(ResString("dxSBAR_CANCEL"))},
                                                     {"Cancel", Value::Bool(true)},
                                                     {"ModalResult", Value::Int(mrCancel)},
                                                     {"TabOrder", Value::Int(2)}})});
}

bool Ask(TdxBarManager& manager, TdxBar* bar, const std::string& title, std::string& name) {
    std::unique_ptr<TdxBarNameEd> dialog = TdxBarNameEd::Create(manager, bar, title, name);
    if (dialog->ShowModal() != mrOk) return false;
    name = dialog->EName->Text();
    return true;
}

}  // namespace

TdxBarNameEd::TdxBarNameEd(TdxBarManager& manager, TdxBar* bar)
    : TForm(nullptr), FManager(manager), FBar(bar), FAttachedTo(::GetActiveWindow()) {}

std::unique_ptr<TdxBarNameEd> TdxBarNameEd::Create(TdxBarManager& manager, TdxBar* bar, const std::string& title,
                                                   const std::string& text) {
    std::unique_ptr<TdxBarNameEd> dialog(new TdxBarNameEd(manager, bar));
    dialog->TCustomForm::Create(Description(title));
    dialog->Font().SetName(manager.Font().Name());
    dialog->Font().SetCharset(manager.Font().Charset());
    dialog->EName->SetText(text);
    dialog->ENameChange(dialog->EName);
    return dialog;
}

void TdxBarNameEd::CreateWindowParams(TWindow::CreateParams& params) {
    TForm::CreateWindowParams(params);
    params.exStyle |= WS_EX_TOPMOST;
    // Above the window it was asked from (the customization dialog), so it
    // never hides behind it.
    if (FAttachedTo && TWindow::FromHandle(FAttachedTo)) params.parent = FAttachedTo;
}

void TdxBarNameEd::Loaded() {
    TForm::Loaded();
    Bind(LName, "LName");
    Bind(EName, "EName");
    Bind(BOK, "BOK");
    Bind(BCancel, "BCancel");
    EName->OnChange = TNotifyEvent(this, "ENameChange", [this](TComponent* sender) { ENameChange(sender); });
    OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}

void TdxBarNameEd::ENameChange(TComponent*) { BOK->SetEnabled(!EName->Text().empty()); }

void TdxBarNameEd::FormCloseQuery(TComponent*, bool& canClose) {
    if (ModalResult() != mrOk) return;
    const std::string& name = EName->Text();
    TdxBars& bars = FManager.Bars();
    for (int i = 0; i < bars.Count(); ++i) {
        TdxBar* other = bars.Items(i);
        if (other->Caption() != name || other == FBar) continue;
        // The name goes in as text: a "%" in it is shown as it is.
        ShowMessageBox(Format(ResString("dxSBAR_TOOLBAREXISTS"), {name}), MB_OK | MB_ICONSTOP);
        canClose = false;
        return;
    }
}

bool dxBarNameEdNewToolbar(TdxBarManager& manager, std::string& name) {
    return Ask(manager, nullptr, ResString("dxSBAR_TOOLBARADD"), name);
}

bool dxBarNameEdRenameToolbar(TdxBarManager& manager, TdxBar& bar, std::string& name) {
    name = bar.Caption();
    return Ask(manager, &bar, ResString("dxSBAR_TOOLBARRENAME"), name);
}

}  // namespace bars
