#include "bars/dxBarCustomizingPopup.h"

#include <algorithm>

#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxOffice11.h"
#include "forms/Dialogs.h"
#include "forms/ResStrings.h"

namespace bars {

namespace {

constexpr int kNameEditWidth = 120;
constexpr int kNameEditPadding = 2;  // between the text and the box's frame
// Posted to show the blank-name message from the message loop: the key that
// applies the name arrives inside the keyboard hook.
constexpr UINT kShowBlankNameMessage = WM_APP + 0x72;

}  // namespace

// The system's edit control, hosted in the menu's name row.
class TdxBarCustomizingPopup::TNameEdit : public forms::TWindow {
public:
    TNameEdit(HWND parent, HFONT font, const std::string& text) {
        CreateParams params;
        params.className = "EDIT";
        params.systemClass = true;
        params.style = WS_CHILD | ES_LEFT | ES_AUTOHSCROLL;
        params.parent = parent;
        params.caption = text;
        CreateHandle(params);
        ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SendMessageA(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
    }
    ~TNameEdit() override { DestroyHandle(); }
};

TdxBarCustomizingPopup::TdxBarCustomizingPopup(TdxBarManager& manager, TdxBarPainter& painter, TdxBarItemLink& link)
    : TdxBarInternalSubMenuControl(manager, painter), FLink(&link) {}

TdxBarCustomizingPopup::~TdxBarCustomizingPopup() {
    // The box goes before the menu window it lives in.
    FNameEdit.reset();
}

void TdxBarCustomizingPopup::LinkDestroying(const TdxBarItemLink* link) {
    if (link == FLink) FLink = nullptr;
}

void TdxBarCustomizingPopup::SetNameEntry(TdxBarItem& entry, const std::string& text) {
    FNameEntry = &entry;
    if (!FNameEdit) FNameEdit = std::make_unique<TNameEdit>(Handle(), BarManager().Font().Handle(), text);
    else ::SetWindowTextA(FNameEdit->Handle(), text.c_str());
}

HWND TdxBarCustomizingPopup::NameEdit() const { return FNameEdit ? FNameEdit->Handle() : nullptr; }

std::string TdxBarCustomizingPopup::NameText() const {
    if (!FNameEdit) return {};
    const int length = ::GetWindowTextLengthA(FNameEdit->Handle());
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(FNameEdit->Handle(), text.data(), length + 1)));
    return text;
}

void TdxBarCustomizingPopup::ApplyName() {
    const std::string name = NameText();
    CloseUp();
    if (name.empty()) {
        ::PostMessageA(Handle(), kShowBlankNameMessage, 0, 0);
        return;
    }
    if (OnNameApplied) OnNameApplied(name);
}

bool TdxBarCustomizingPopup::Editing() const { return FNameEdit && ::GetFocus() == FNameEdit->Handle(); }

bool TdxBarCustomizingPopup::TakesKey(WPARAM key) const {
    return !Editing() || key == VK_RETURN || key == VK_ESCAPE;
}

void TdxBarCustomizingPopup::KeyPressed(WPARAM key) {
    if (Editing() && key == VK_RETURN) ApplyName();
    else TdxBarInternalSubMenuControl::KeyPressed(key);
}

int TdxBarCustomizingPopup::NameRow() const {
    for (int i = 0; FNameEntry && i < RowCount(); ++i)
        if (RowLink(i).Item() == FNameEntry) return i;
    return -1;
}

int TdxBarCustomizingPopup::RowExtent(const TdxBarItemLink& link) const {
    return FNameEntry && link.Item() == FNameEntry ? kNameEditWidth : 0;
}

RECT TdxBarCustomizingPopup::NameEditRect() const {
    const int row = NameRow();
    if (row < 0 || !FNameEdit) return {};
    RECT r = RowExtentRect(row);
    forms::WindowDC dc(FNameEdit->Handle());
    forms::SelectGuard font(dc.Get(), BarManager().Font().Handle());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    const int height = metrics.tmHeight + 2 * kNameEditPadding;
    r.top += (r.bottom - r.top - height) / 2;
    r.bottom = r.top + height;
    return r;
}

void TdxBarCustomizingPopup::RowsPlaced() {
    if (!FNameEdit) return;
    const RECT r = NameEditRect();
    // Inside the frame the menu draws around it.
    ::SetWindowPos(FNameEdit->Handle(), nullptr, r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2,
                   SWP_NOZORDER | SWP_NOACTIVATE | (NameRow() >= 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

bool TdxBarCustomizingPopup::RowChosen(int index) {
    if (index != NameRow()) return false;
    ::SetFocus(FNameEdit->Handle());
    ::SendMessageA(FNameEdit->Handle(), EM_SETSEL, 0, -1);
    return true;
}

void TdxBarCustomizingPopup::ClosingUp() {
    if (::GetActiveWindow() == Handle() && FActivatedFrom && ::IsWindow(FActivatedFrom) &&
        ::IsWindowVisible(FActivatedFrom) && ::IsWindowEnabled(FActivatedFrom))
        ::SetActiveWindow(FActivatedFrom);
    FActivatedFrom = nullptr;
}

void TdxBarCustomizingPopup::Paint(HDC dc) {
    TdxBarInternalSubMenuControl::Paint(dc);
    if (NameRow() < 0) return;
    const TOffice11Palette& palette = Office11Palette();
    const RECT r = NameEditRect();
    FillSolid(dc, r, ::GetSysColor(COLOR_WINDOW));
    FrameSolid(dc, r, palette.MenuFrame);
}

LRESULT TdxBarCustomizingPopup::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && reinterpret_cast<HWND>(lParam) != Handle())
                FActivatedFrom = reinterpret_cast<HWND>(lParam);
            break;
        case kShowBlankNameMessage:
            forms::ShowMessageBox(forms::ResString("dxSBAR_COMMANDNAMECANNOTBEBLANK"), MB_OK | MB_ICONSTOP);
            return 0;
        default: break;
    }
    return TdxBarInternalSubMenuControl::WndProc(message, wParam, lParam);
}

}  // namespace bars
