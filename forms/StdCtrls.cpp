#include "forms/StdCtrls.h"

#include "forms/Properties.h"

namespace forms {

namespace {
const std::pair<const char*, TTextLayout> kLayouts[] = {
    {"tlTop", TTextLayout::Top},
    {"tlCenter", TTextLayout::Center},
    {"tlBottom", TTextLayout::Bottom},
};

std::string WindowText(HWND window) {
    std::string text(std::size_t(::GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(std::size_t(::GetWindowTextA(window, text.data(), int(text.size()))));
    return text;
}
}  // namespace

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool transparent) {
    FTransparent = transparent;
    Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool show) {
    FShowAccelChar = show;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout layout) {
    FLayout = layout;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
    if (FFocusControl) RemoveFreeNotification(FFocusControl);
    FFocusControl = control;
    if (FFocusControl) FreeNotification(FFocusControl);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::Remove && component == FFocusControl) FFocusControl = nullptr;
}

bool TCustomLabel::DialogChar(char ch) {
    if (!FFocusControl || !FShowAccelChar || !IsAccel(ch, Caption()) || !FFocusControl->CanFocus()) return false;
    FFocusControl->SetFocus();
    return true;
}

UINT TCustomLabel::TextFormat() const {
    UINT format = DT_EXPANDTABS;
    format |= FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (!FShowAccelChar) format |= DT_NOPREFIX;
    if (FAlignment == TAlignment::RightJustify) format |= DT_RIGHT;
    else if (FAlignment == TAlignment::Center) format |= DT_CENTER;
    return format;
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || Loading()) return;
    WindowDC screen;
    MemoryDC dc(screen.Get());
    TCanvas canvas(dc.Get());
    RECT r{0, 0, FWordWrap ? Width() : 0, 0};
    // An empty caption still takes the height of a line.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    canvas.DrawText(Font(), text, r, (TextFormat() & ~(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    int left = Left();
    if (FAlignment == TAlignment::RightJustify) left += Width() - r.right;
    else if (FAlignment == TAlignment::Center) left += (Width() - r.right) / 2;
    SetBounds(left, Top(), r.right, r.bottom);
}

void TCustomLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!FTransparent) canvas.FillRect(r, Color());
    if (Caption().empty()) return;
    UINT format = TextFormat();
    if (FLayout != TTextLayout::Top) {
        RECT calc = r;
        canvas.DrawText(Font(), Caption(), calc, format | DT_CALCRECT);
        int textHeight = calc.bottom - calc.top;
        r.top += FLayout == TTextLayout::Center ? (r.bottom - r.top - textHeight) / 2 : r.bottom - r.top - textHeight;
    }
    if (Enabled()) {
        canvas.DrawText(Font(), Caption(), r, format);
        return;
    }
    // Disabled: the etched look of a greyed label.
    TFont etched;
    etched.Assign(Font());
    etched.SetColor(clBtnHighlight);
    RECT shifted = r;
    ::OffsetRect(&shifted, 1, 1);
    canvas.DrawText(etched, Caption(), shifted, format);
    etched.SetColor(clBtnShadow);
    canvas.DrawText(etched, Caption(), r, format);
}

void TCustomLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

const PropertyTable& TCustomLabel::StoredProperties() const {
    using L = TCustomLabel;
    using P = Describe<L>;
    static const PropertyTable table(TGraphicControl::StoredProperties(), {
        P::Property("AutoSize", kBool, &L::AutoSize, &L::SetAutoSize, true),
        P::Property("Transparent", kBool, &L::Transparent, &L::SetTransparent, false),
        P::Property("Alignment", EnumKind(kAlignmentNames), &L::Alignment, &L::SetAlignment, TAlignment::LeftJustify),
        P::Property("ShowAccelChar", kBool, &L::ShowAccelChar, &L::SetShowAccelChar, true),
        P::Property("WordWrap", kBool, &L::WordWrap, &L::SetWordWrap, false),
        P::Property("Layout", EnumKind(kLayouts), &L::Layout, &L::SetLayout, TTextLayout::Top),
        P::Property("FocusControl", ReferenceKind<TWinControl>(), &L::FocusControl, &L::SetFocusControl),
    });
    return table;
}

// ---- TCustomButton

TCustomButton::TCustomButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TCustomButton::SetDefault(bool value) {
    FDefault = value;
    TCustomForm* form = GetParentForm(this);
    UpdateActive(form ? form->FocusedControl() : nullptr);
}

void TCustomButton::UpdateActive(TWinControl* focused) {
    bool active = focused == this || (FDefault && !dynamic_cast<TCustomButton*>(focused));
    if (active == FActive) return;
    FActive = active;
    ActiveChanged();
}

void TCustomButton::Click() {
    if (FModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

bool TCustomButton::DialogChar(char ch) {
    if (!IsAccel(ch, Caption()) || !CanFocus()) return false;
    Click();
    return true;
}

const PropertyTable& TCustomButton::StoredProperties() const {
    using B = TCustomButton;
    using P = Describe<B>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        // A button is a tab stop unless it says otherwise.
        P::Property("TabStop", kBool, &B::TabStop, &B::SetTabStop, true),
        P::Property("Default", kBool, &B::Default, &B::SetDefault, false),
        P::Property("Cancel", kBool, &B::Cancel, &B::SetCancel, false),
        P::Property("ModalResult", kInt, &B::ModalResult, &B::SetModalResult, mrNone),
    });
    return table;
}

// ---- TButton

TButton::TButton(TComponent* owner) : TCustomButton(owner) {}

void TButton::CreateWindowParams(TWindow::CreateParams& params) {
    TCustomButton::CreateWindowParams(params);
    params.className = "BUTTON";
    params.systemClass = true;
    params.style |= Active() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

LRESULT TButton::CNCommand(WORD code) {
    if (code == BN_CLICKED) Click();
    return 0;
}

void TButton::ActiveChanged() {
    if (HandleAllocated()) ::SendMessageA(Handle(), BM_SETSTYLE, Active() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// ---- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

const PropertyTable& TEdit::StoredProperties() const {
    using E = TEdit;
    using P = Describe<E>;
    // An edit is a tab stop unless it says otherwise.
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("TabStop", kBool, &E::TabStop, &E::SetTabStop, true),
    });
    return table;
}

void TEdit::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.className = "EDIT";
    params.systemClass = true;
    params.style |= ES_AUTOHSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

LRESULT TEdit::CNCommand(WORD code) {
    if (code == EN_CHANGE) {
        SetCaption(WindowText(Handle()));
        if (OnChange) OnChange(this);
    }
    return 0;
}

void TEdit::TextChanged() {
    // Typed text is the caption already; setting it again would move the caret.
    if (HandleAllocated() && WindowText(Handle()) != Caption()) ::SetWindowTextA(Handle(), Caption().c_str());
}

}  // namespace forms
