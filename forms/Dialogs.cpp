#include "forms/Dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "forms/Forms.h"
#include "forms/Handles.h"
#include "forms/Helpers.h"
#include "forms/ResStrings.h"

namespace forms {

namespace {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

TaskDialogIndirectFn TaskDialogFunction() {
    // Present only in version 6 of the common controls, which the manifest asks for.
    TaskDialogIndirectFn function = nullptr;
    FindFunction(::GetModuleHandleA("comctl32.dll"), "TaskDialogIndirect", function);
    return function;
}

std::wstring Wide(const std::string& text) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

HWND OwnerWindow() {
    HWND active = ::GetActiveWindow();
    if (active && TWindow::FromHandle(active)) return active;
    TCustomForm* main = Application().MainForm();
    return main && main->HandleAllocated() ? main->Handle() : Application().Handle();
}

// Esc and the close box must answer No. Some task dialogs (Wine's) let
// them pass unanswered when no button has the cancel id, so they are
// turned into a press of No here, on every system alike.
class CancelMeansNo : public TWindow {
protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        bool cancel = (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !::GetDlgItem(Handle(), IDCANCEL)) ||
                      (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) || message == WM_CLOSE;
        if (!cancel) return TWindow::WndProc(message, wParam, lParam);
        ::SendMessageA(Handle(), TDM_CLICK_BUTTON, IDNO, 0);
        return 0;
    }
};

HRESULT CALLBACK TaskDialogEvents(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR cancelMeansNo) noexcept {
    return CallAtBoundary(S_OK, [&] {
        if (notification == TDN_CREATED) reinterpret_cast<CancelMeansNo*>(cancelMeansNo)->Attach(dialog);
        return S_OK;
    });
}

bool ConfirmWithTaskDialog(TaskDialogIndirectFn taskDialog, const std::string& message) {
    std::wstring title = Wide(ResString("SMsgDlgConfirm"));
    std::wstring text = Wide(message);
    std::wstring yes = Wide(ResString("SMsgDlgYes"));
    std::wstring no = Wide(ResString("SMsgDlgNo"));
    TASKDIALOG_BUTTON buttons[] = {{IDYES, yes.c_str()}, {IDNO, no.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = OwnerWindow();
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_INFORMATION_ICON;
    config.pszContent = text.c_str();
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = IDYES;
    CancelMeansNo cancelMeansNo;
    config.pfCallback = TaskDialogEvents;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&cancelMeansNo);
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return false;
    return pressed == IDYES;
}

// The classic box: a dialog template made here, so that Esc means No.
struct ClassicBox {
    std::string message;
};

constexpr int kIconId = 20, kTextId = 21;

INT_PTR CALLBACK ClassicBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return CallAtBoundary(INT_PTR(FALSE), [&]() -> INT_PTR {
        switch (message) {
            case WM_INITDIALOG: {
                auto* box = reinterpret_cast<ClassicBox*>(lParam);
                ::SetWindowTextA(dialog, ResString("SMsgDlgConfirm").c_str());
                HWND text = ::GetDlgItem(dialog, kTextId);
                ::SetWindowTextA(text, box->message.c_str());
                ::SendDlgItemMessageA(dialog, kIconId, STM_SETICON,
                                      reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32514))), 0);
                ::SetDlgItemTextA(dialog, IDYES, ResString("SMsgDlgYes").c_str());
                ::SetDlgItemTextA(dialog, IDNO, ResString("SMsgDlgNo").c_str());
                // Lay out in pixels around the measured text.
                HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
                WindowDC screen;
                RECT textRect{0, 0, 400, 0};
                {
                    SelectGuard select(screen.Get(), font);
                    ::DrawTextA(screen.Get(), box->message.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
                }
                RECT unit{0, 0, 4, 8};
                ::MapDialogRect(dialog, &unit);
                int margin = unit.right * 3;  // about 12 pixels at 96 dpi
                int iconSize = ::GetSystemMetrics(SM_CXICON);
                int buttonW = std::max<int>(unit.right * 50 / 4, 75), buttonH = std::max<int>(unit.bottom * 14 / 8, 23);
                int textLeft = margin + iconSize + margin;
                int textTop = margin + std::max(0, (iconSize - int(textRect.bottom)) / 2);
                int contentH = std::max<int>(iconSize, textRect.bottom);
                int clientW = std::max<int>(textLeft + textRect.right + margin, 2 * buttonW + 3 * margin);
                int buttonsTop = margin + contentH + margin;
                int clientH = buttonsTop + buttonH + margin;
                ::SetWindowPos(::GetDlgItem(dialog, kIconId), nullptr, margin, margin, iconSize, iconSize, SWP_NOZORDER);
                ::SetWindowPos(text, nullptr, textLeft, textTop, textRect.right, textRect.bottom, SWP_NOZORDER);
                int buttonsLeft = (clientW - (2 * buttonW + margin / 2)) / 2;
                ::SetWindowPos(::GetDlgItem(dialog, IDYES), nullptr, buttonsLeft, buttonsTop, buttonW, buttonH, SWP_NOZORDER);
                ::SetWindowPos(::GetDlgItem(dialog, IDNO), nullptr, buttonsLeft + buttonW + margin / 2, buttonsTop,
                               buttonW, buttonH, SWP_NOZORDER);
                RECT frame{0, 0, clientW, clientH};
                ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                                     DWORD(::GetWindowLongA(dialog, GWL_EXSTYLE)));
                int w = frame.right - frame.left, h = frame.bottom - frame.top;
                RECT owner;
                HWND parent = ::GetParent(dialog);
                if (!parent || !::GetWindowRect(parent, &owner) || ::IsIconic(parent))
                    owner = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
                ::SetWindowPos(dialog, nullptr, (owner.left + owner.right - w) / 2, (owner.top + owner.bottom - h) / 2, w,
                               h, SWP_NOZORDER);
                ::SetFocus(::GetDlgItem(dialog, IDYES));
                return FALSE;  // focus set here
            }
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDYES: ::EndDialog(dialog, IDYES); return TRUE;
                    case IDNO:
                    case IDCANCEL: ::EndDialog(dialog, IDNO); return TRUE;
                    default: break;
                }
                break;
            case WM_CLOSE:
                ::EndDialog(dialog, IDNO);
                return TRUE;
            default:
                break;
        }
        return FALSE;
    });
}

// Builds an in-memory dialog template: the frame, an icon, the text and the
// two buttons; ClassicBoxProc sizes everything.
std::vector<WORD> ClassicTemplate() {
    std::vector<WORD> t;
    auto align = [&] {
        if (t.size() % 2) t.push_back(0);  // DLGITEMTEMPLATE starts on a DWORD boundary
    };
    auto dword = [&](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto text = [&](const wchar_t* s) {
        for (; *s; ++s) t.push_back(WORD(*s));
        t.push_back(0);
    };
    dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dword(0);
    t.push_back(4);  // items
    t.push_back(0), t.push_back(0), t.push_back(200), t.push_back(80);
    t.push_back(0);  // no menu
    t.push_back(0);  // standard class
    text(L"");       // title set at init
    t.push_back(8);
    text(L"MS Shell Dlg");
    auto item = [&](DWORD style, WORD id, WORD cls, const wchar_t* caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        t.push_back(0), t.push_back(0), t.push_back(10), t.push_back(10);
        t.push_back(id);
        t.push_back(0xFFFF);
        t.push_back(cls);
        text(caption);
        t.push_back(0);  // no creation data
    };
    item(SS_ICON, kIconId, 0x0082, L"");
    item(SS_LEFT | SS_NOPREFIX, kTextId, 0x0082, L"");
    item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDYES, 0x0080, L"");
    item(BS_PUSHBUTTON | WS_TABSTOP, IDNO, 0x0080, L"");
    return t;
}

bool ConfirmClassic(const std::string& message) {
    ClassicBox box{message};
    std::vector<WORD> dialogTemplate = ClassicTemplate();
    INT_PTR result = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr),
                                               reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), OwnerWindow(),
                                               ClassicBoxProc, reinterpret_cast<LPARAM>(&box));
    return result == IDYES;
}

}  // namespace

bool ConfirmUsesTaskDialog() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExA(&version);
#pragma GCC diagnostic pop
    return version.dwMajorVersion >= 6 && TaskDialogFunction() && VisualStylesActive();
}

bool Confirm(const std::string& message, TConfirmStyle style) {
    if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    if (style == TConfirmStyle::Automatic)
        style = ConfirmUsesTaskDialog() ? TConfirmStyle::TaskDialog : TConfirmStyle::Classic;
    TaskDialogIndirectFn taskDialog = TaskDialogFunction();
    if (style == TConfirmStyle::TaskDialog && taskDialog) return ConfirmWithTaskDialog(taskDialog, message);
    return ConfirmClassic(message);
}

int ShowMessageBox(const std::string& text, UINT flags) {
    return ::MessageBoxA(OwnerWindow(), text.c_str(), Application().Title().c_str(), flags);
}

}  // namespace forms
