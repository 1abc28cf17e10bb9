#include "forms/StdCtrls.h"

#include <oleacc.h>

#include <algorithm>

#include "forms/Exceptions.h"
#include "forms/Properties.h"

namespace forms {

namespace {
const std::pair<const char*, TTextLayout> kLayouts[] = {
    {"tlTop", TTextLayout::Top},
    {"tlCenter", TTextLayout::Center},
    {"tlBottom", TTextLayout::Bottom},
};

const std::pair<const char*, TListBoxStyle> kListBoxStyles[] = {
    {"lbStandard", TListBoxStyle::Standard},
    {"lbOwnerDrawFixed", TListBoxStyle::OwnerDrawFixed},
};

// Rows the dropped list of a combo box has room for.
constexpr int kDropDownRows = 8;

[[noreturn]] void IndexError(int i) {
    throw EInvalidOperation("List index out of bounds (" + std::to_string(i) + ")");
}

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

void TCustomLabel::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_STATICTEXT;
    info.state |= STATE_SYSTEM_READONLY;
    // Without accelerators an "&" is shown, and read, as it is.
    if (!FShowAccelChar) info.name = Caption();
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
    MemoryDC dc;
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
    if (!FTransparent) canvas.FillRect(r, SchemeColor(Color(), clBtnFace));
    if (Caption().empty()) return;
    // A transparent label stands on its parent's surface.
    const TColor surface = FTransparent && Parent() ? Parent()->Color() : Color();
    UINT format = TextFormat();
    if (FLayout != TTextLayout::Top) {
        RECT calc = r;
        canvas.DrawText(Font(), Caption(), calc, format | DT_CALCRECT);
        int textHeight = calc.bottom - calc.top;
        r.top += FLayout == TTextLayout::Center ? (r.bottom - r.top - textHeight) / 2 : r.bottom - r.top - textHeight;
    }
    if (Enabled()) {
        canvas.DrawText(Font(), Caption(), r, format, SchemeTextColor(Font().Color(), surface));
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

void TCustomButton::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_PUSHBUTTON;
    info.shortcut = AccelShortcut(Caption());
    info.defaultAction = "Press";
    info.state |= STATE_SYSTEM_FOCUSABLE;
    if (FActive) info.state |= STATE_SYSTEM_DEFAULT;
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

// ---- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCheckBox::SetChecked(bool checked) {
    FChecked = checked;
    if (HandleAllocated()) ::SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::DialogChar(char ch) {
    if (!IsAccel(ch, Caption()) || !CanFocus()) return false;
    SetFocus();
    SetChecked(!FChecked);
    Click();
    return true;
}

void TCheckBox::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.className = "BUTTON";
    params.systemClass = true;
    params.style |= BS_AUTOCHECKBOX | WS_TABSTOP;
}

void TCheckBox::CreateWnd() {
    TWinControl::CreateWnd();
    SetChecked(FChecked);
}

LRESULT TCheckBox::CNCommand(WORD code) {
    if (code == BN_CLICKED) {
        FChecked = ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
        Click();
    }
    return 0;
}

const PropertyTable& TCheckBox::StoredProperties() const {
    using C = TCheckBox;
    using P = Describe<C>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("TabStop", kBool, &C::TabStop, &C::SetTabStop, true),
        P::Property("Checked", kBool, &C::Checked, &C::SetChecked, false),
    });
    return table;
}

// ---- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

void TListBox::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.className = "LISTBOX";
    params.systemClass = true;
    params.style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    if (FStyle == TListBoxStyle::OwnerDrawFixed) params.style |= LBS_OWNERDRAWFIXED;
    if (FMultiSelect) params.style |= LBS_EXTENDEDSEL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWnd() {
    TWinControl::CreateWnd();
    // After the font: a new font sets the system's row height again.
    if (FItemHeight > 0) ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, FItemHeight);
    for (const Item& item : FItems) {
        auto at = ::SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
        if (at < 0) throw EOutOfResources("Cannot add to a list box");
        ::SendMessageA(Handle(), LB_SETITEMDATA, WPARAM(at), reinterpret_cast<LPARAM>(item.object));
    }
}

void TListBox::FontChanged() {
    TWinControl::FontChanged();
    if (FItemHeight > 0 && HandleAllocated()) ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, FItemHeight);
}

void TListBox::RecreateWnd() {
    if (!HandleAllocated()) return;
    std::vector<int> selected;
    for (int i = 0; i < Count(); ++i)
        if (Selected(i)) selected.push_back(i);
    const int index = ItemIndex(), top = TopIndex();
    const bool focused = Focused();
    DestroyHandle();
    CreateWnd();
    for (int i : selected) SetSelected(i, true);
    if (FMultiSelect || selected.empty()) SetItemIndex(index);
    SetTopIndex(top);
    if (focused) ::SetFocus(Handle());
}

void TListBox::SetStyle(TListBoxStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    RecreateWnd();
}

void TListBox::SetMultiSelect(bool multiSelect) {
    if (multiSelect == FMultiSelect) return;
    FMultiSelect = multiSelect;
    RecreateWnd();
}

int TListBox::ItemHeight() const {
    if (!HandleAllocated()) return FItemHeight;
    return int(::SendMessageA(Handle(), LB_GETITEMHEIGHT, 0, 0));
}

void TListBox::SetItemHeight(int height) {
    FItemHeight = std::max(height, 0);
    if (FItemHeight > 0 && HandleAllocated()) {
        ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, FItemHeight);
        Invalidate();
    }
}

int TListBox::AddItem(const std::string& text, void* object) {
    if (HandleAllocated()) {
        auto at = ::SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (at < 0) throw EOutOfResources("Cannot add to a list box");
        ::SendMessageA(Handle(), LB_SETITEMDATA, WPARAM(at), reinterpret_cast<LPARAM>(object));
    }
    FItems.push_back({text, object});
    return Count() - 1;
}

void TListBox::Clear() {
    FItems.clear();
    if (HandleAllocated()) ::SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

std::string TListBox::ItemText(int i) const {
    if (!ValidIndex(i)) IndexError(i);
    return FItems[std::size_t(i)].text;
}

void TListBox::SetItemText(int i, const std::string& text) {
    if (!ValidIndex(i)) IndexError(i);
    FItems[std::size_t(i)].text = text;
    if (!HandleAllocated()) return;
    // The system has no call to change a row's text: the row goes and comes
    // back, with its object, its selection, the caret and the scroll.
    const bool selected = Selected(i);
    const int index = ItemIndex(), top = TopIndex();
    ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(Handle(), LB_DELETESTRING, WPARAM(i), 0);
    ::SendMessageA(Handle(), LB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(Handle(), LB_SETITEMDATA, WPARAM(i), reinterpret_cast<LPARAM>(FItems[std::size_t(i)].object));
    if (FMultiSelect) {
        ::SendMessageA(Handle(), LB_SETSEL, selected, i);
        ::SendMessageA(Handle(), LB_SETCARETINDEX, WPARAM(index), FALSE);
    } else {
        ::SendMessageA(Handle(), LB_SETCURSEL, WPARAM(index), 0);
    }
    ::SendMessageA(Handle(), LB_SETTOPINDEX, WPARAM(top), 0);
    ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    RECT r = ItemRect(i);
    ::InvalidateRect(Handle(), &r, TRUE);
}

void* TListBox::Objects(int i) const {
    if (!ValidIndex(i)) IndexError(i);
    return FItems[std::size_t(i)].object;
}

int TListBox::IndexOfObject(const void* object) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[std::size_t(i)].object == object) return i;
    return -1;
}

int TListBox::ItemIndex() const {
    if (!HandleAllocated() || FItems.empty()) return -1;
    return int(::SendMessageA(Handle(), FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    if (!HandleAllocated()) return;
    if (FMultiSelect) ::SendMessageA(Handle(), LB_SETCARETINDEX, WPARAM(index), FALSE);
    else ::SendMessageA(Handle(), LB_SETCURSEL, WPARAM(index), 0);
}

bool TListBox::Selected(int i) const {
    if (!ValidIndex(i)) IndexError(i);
    return HandleAllocated() && ::SendMessageA(Handle(), LB_GETSEL, WPARAM(i), 0) > 0;
}

void TListBox::SetSelected(int i, bool selected) {
    if (!ValidIndex(i)) IndexError(i);
    if (!HandleAllocated()) return;
    if (FMultiSelect) ::SendMessageA(Handle(), LB_SETSEL, selected, i);
    else if (selected) ::SendMessageA(Handle(), LB_SETCURSEL, WPARAM(i), 0);
    else if (ItemIndex() == i) ::SendMessageA(Handle(), LB_SETCURSEL, WPARAM(-1), 0);
}

int TListBox::TopIndex() const {
    return HandleAllocated() ? int(::SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0)) : 0;
}

void TListBox::SetTopIndex(int index) {
    if (HandleAllocated()) ::SendMessageA(Handle(), LB_SETTOPINDEX, WPARAM(index), 0);
}

RECT TListBox::ItemRect(int i) const {
    RECT r{};
    if (HandleAllocated() && ValidIndex(i)) ::SendMessageA(Handle(), LB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    return r;
}

int TListBox::ItemAtPos(POINT client, bool existing) const {
    RECT area = ClientRect();
    if (::PtInRect(&area, client))
        for (int i = TopIndex(); i < Count(); ++i) {
            RECT r = ItemRect(i);
            if (r.top >= area.bottom) break;
            if (::PtInRect(&r, client)) return i;
        }
    return existing ? -1 : Count();
}

LRESULT TListBox::CNCommand(WORD code) {
    if (code == LBN_SELCHANGE) Click();
    else if (code == LBN_DBLCLK && OnDblClick) OnDblClick(this);
    return 0;
}

LRESULT TListBox::CNDrawItem(DRAWITEMSTRUCT& item) {
    const int index = int(item.itemID);
    const bool selected = index >= 0 && (item.itemState & ODS_SELECTED);
    SelectGuard font(item.hDC, Font().Handle());
    ::SetTextColor(item.hDC, ColorToRGB(selected ? clHighlightText : Font().Color()));
    ::SetBkColor(item.hDC, ColorToRGB(selected ? clHighlight : Color()));
    if (index < 0) TCanvas(item.hDC).FillRect(item.rcItem, Color());
    else if (OnDrawItem) OnDrawItem(this, index, item.hDC, item.rcItem, item.itemState);
    else DrawItem(item.hDC, index, item.rcItem, item.itemState);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return TRUE;
}

void TListBox::DrawItem(HDC dc, int index, const RECT& rect, UINT state) {
    const bool selected = state & ODS_SELECTED;
    TCanvas(dc).FillRect(rect, selected ? clHighlight : Color());
    if (!ValidIndex(index)) return;
    RECT r = rect;
    r.left += 2;
    ::SetBkMode(dc, TRANSPARENT);
    const std::string& text = FItems[std::size_t(index)].text;
    ::DrawTextA(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

const PropertyTable& TListBox::StoredProperties() const {
    using L = TListBox;
    using P = Describe<L>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("TabStop", kBool, &L::TabStop, &L::SetTabStop, true),
        P::Property("Style", EnumKind(kListBoxStyles), &L::Style, &L::SetStyle, TListBoxStyle::Standard),
        P::Property("ItemHeight", kInt, &L::ItemHeight, &L::SetItemHeight, [](const L& l) { return l.FItemHeight > 0; }),
        P::Property("MultiSelect", kBool, &L::MultiSelect, &L::SetMultiSelect, false),
    });
    return table;
}

// ---- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TComboBox::CreateWindowParams(TWindow::CreateParams& params) {
    TWinControl::CreateWindowParams(params);
    params.className = "COMBOBOX";
    params.systemClass = true;
    params.style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    params.height += DropDownHeight();
}

void TComboBox::CreateWnd() {
    TWinControl::CreateWnd();
    for (const std::string& item : FItems)
        if (::SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())) < 0)
            throw EOutOfResources("Cannot add to a combo box");
    ::SendMessageA(Handle(), CB_SETCURSEL, WPARAM(FItemIndex), 0);
    // The rows' height is known now, and with it the dropped list's.
    UpdateBounds();
}

int TComboBox::DropDownHeight() const {
    int row = HandleAllocated() ? int(::SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0)) : 0;
    if (row <= 0) row = std::max(-Font().Height(), 13) + 3;
    return kDropDownRows * row + 2;
}

void TComboBox::UpdateBounds() {
    // The system keeps the height of the selection field; the height it is
    // given is that of the field and the dropped list together.
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, FLeft, FTop, FWidth, FHeight + DropDownHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::AddItem(const std::string& text) {
    if (HandleAllocated() && ::SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
        throw EOutOfResources("Cannot add to a combo box");
    FItems.push_back(text);
}

void TComboBox::Clear() {
    FItems.clear();
    FItemIndex = -1;
    if (HandleAllocated()) ::SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
    Clear();
    for (const std::string& item : items) AddItem(item);
}

int TComboBox::ItemIndex() const {
    return HandleAllocated() ? int(::SendMessageA(Handle(), CB_GETCURSEL, 0, 0)) : FItemIndex;
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    FItemIndex = index;
    if (HandleAllocated()) ::SendMessageA(Handle(), CB_SETCURSEL, WPARAM(index), 0);
}

LRESULT TComboBox::CNCommand(WORD code) {
    if (code == CBN_SELCHANGE) {
        FItemIndex = ItemIndex();
        if (OnChange) OnChange(this);
    }
    return 0;
}

const PropertyTable& TComboBox::StoredProperties() const {
    using C = TComboBox;
    using P = Describe<C>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("TabStop", kBool, &C::TabStop, &C::SetTabStop, true),
        P::Property("Items", ListKind<StringKind>{}, &C::Items, &C::SetItems,
                    [](const C& c) { return c.Count() > 0; }),
        P::Property("ItemIndex", kInt, &C::ItemIndex, &C::SetItemIndex, -1),
    });
    return table;
}

}  // namespace forms
