#include "forms/Forms.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <commctrl.h>
#include <objbase.h>

#include "forms/Accessibility.h"
#include "forms/ComCtrls.h"
#include "forms/Exceptions.h"
#include "forms/ExtCtrls.h"
#include "forms/FormReader.h"
#include "forms/Helpers.h"
#include "forms/Properties.h"
#include "forms/StdCtrls.h"
#include "forms/ResStrings.h"

namespace forms {

namespace {

const std::pair<const char*, TFormBorderStyle> kBorderStyles[] = {
    {"bsNone", TFormBorderStyle::None},         {"bsSingle", TFormBorderStyle::Single},
    {"bsSizeable", TFormBorderStyle::Sizeable}, {"bsDialog", TFormBorderStyle::Dialog},
    {"bsToolWindow", TFormBorderStyle::ToolWindow}, {"bsSizeToolWin", TFormBorderStyle::SizeToolWin},
};
const std::pair<const char*, TPosition> kPositions[] = {
    {"poDesigned", TPosition::Designed},         {"poDefault", TPosition::Default},
    {"poScreenCenter", TPosition::ScreenCenter}, {"poMainFormCenter", TPosition::MainFormCenter},
    {"poOwnerFormCenter", TPosition::OwnerFormCenter},
};

constexpr UINT WM_ACTIVATE_FORM = WM_APP + 1;
constexpr UINT WM_RELEASE_FORM = WM_APP + 2;

// What to show for the exception being handled; nothing for an abort.
std::optional<std::string> CurrentExceptionMessage() {
    try {
        throw;
    } catch (const EAbort&) {
        return std::nullopt;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

// Shared: the system keeps one copy and frees it with the process.
HICON ProgramIcon(int size) {
    return static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

RECT SnapToWorkArea(const RECT& window, const RECT& work, int distance) {
    RECT r = window;
    auto shift = [&](int dx, int dy) { ::OffsetRect(&r, dx, dy); };
    if (std::abs(r.left - work.left) < distance) shift(work.left - r.left, 0);
    if (std::abs(r.top - work.top) < distance) shift(0, work.top - r.top);
    if (std::abs(r.right - work.right) < distance) shift(work.right - r.right, 0);
    if (std::abs(r.bottom - work.bottom) < distance) shift(0, work.bottom - r.bottom);
    return r;
}

// ---- TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
    Application().FormCreated(this);
}

TCustomForm::~TCustomForm() {
    DestroyComponents();
    Application().FormDestroyed(this);
    DestroyHandle();
}

void TCustomForm::Create() {
    std::string name = ClassName();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    Create(LoadFormResource(name));
}

void TCustomForm::Create(const ObjectNode& description) {
    TReader reader(this, [this](const std::string& name) {
        TMethod method = FindMethod(name);
        if (auto* handler = std::get_if<std::function<void(TComponent*)>>(&method))
            return TNotifyEvent(this, name, *handler);
        return TNotifyEvent();
    });
    // The window is made once the form's own size, frame and caption are
    // known: each of them changed on a live top-level window costs the
    // window system a round of its own.
    reader.ReadRoot(description, [this] { CreateWnd(); });
    if (OnCreate) OnCreate(this);
}

TMethod TCustomForm::FindMethod(const std::string&) { return {}; }

void TCustomForm::MissingComponent(const char* name) {
    throw EReadError(Format(ResString("SInvalidReference"), {name}));
}

DWORD TCustomForm::WindowStyle() const {
    DWORD style = WS_CLIPCHILDREN;
    switch (FBorderStyle) {
        case TFormBorderStyle::None: return style | WS_POPUP;
        case TFormBorderStyle::Dialog: return style | WS_CAPTION | DS_MODALFRAME | (FSystemMenu ? WS_SYSMENU : 0);
        case TFormBorderStyle::Sizeable:
        case TFormBorderStyle::SizeToolWin: style |= WS_THICKFRAME; break;
        default: break;
    }
    style |= WS_CAPTION;
    if (FSystemMenu) style |= WS_SYSMENU;
    if (FSystemMenu && FMinimizeBox && FBorderStyle != TFormBorderStyle::ToolWindow &&
        FBorderStyle != TFormBorderStyle::SizeToolWin)
        style |= WS_MINIMIZEBOX;
    if (FSystemMenu && FMaximizeBox && (FBorderStyle == TFormBorderStyle::Sizeable)) style |= WS_MAXIMIZEBOX;
    return style;
}

DWORD TCustomForm::WindowExStyle() const {
    switch (FBorderStyle) {
        case TFormBorderStyle::Dialog: return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        case TFormBorderStyle::ToolWindow:
        case TFormBorderStyle::SizeToolWin: return WS_EX_TOOLWINDOW;
        default: return 0;
    }
}

void TCustomForm::CreateWindowParams(TWindow::CreateParams& params) {
    // Made where its first show puts it, so that the show need not move
    // it: a move of a top-level window is a round of the window system.
    if (FPosition == TPosition::ScreenCenter && !FPlaced) {
        FLeft = (::GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
        FTop = (::GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
    }
    TWinControl::CreateWindowParams(params);
    params.classStyle = CS_DBLCLKS;
    params.style = WindowStyle();
    params.exStyle = WindowExStyle();
    params.parent = Application().Handle();  // owner: keeps us off the taskbar
    params.icon = ProgramIcon(::GetSystemMetrics(SM_CXICON));
}

void TCustomForm::SetClientSize(int width, int height) {
    FClientWidth = width;
    FClientHeight = height;
    RECT r{0, 0, width, height};
    ::AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    SetBounds(FLeft, FTop, r.right - r.left, r.bottom - r.top);
}

int TCustomForm::ClientWidth() const {
    RECT r = ClientRect();
    return r.right - r.left;
}

int TCustomForm::ClientHeight() const {
    RECT r = ClientRect();
    return r.bottom - r.top;
}

void TCustomForm::UpdateBounds() {
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::PlaceOnShow() {
    // Centred over the main form wherever that is now, on every show; on
    // the screen, once.
    if (FPosition == TPosition::MainFormCenter || FPosition == TPosition::OwnerFormCenter) {
        TCustomForm* main = Application().MainForm();
        if (main && main != this) {
            SetBounds(main->Left() + (main->Width() - FWidth) / 2, main->Top() + (main->Height() - FHeight) / 2,
                      FWidth, FHeight);
        }
        return;
    }
    if (FPlaced) return;
    FPlaced = true;
    if (FPosition == TPosition::ScreenCenter) {
        SetBounds((::GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2, (::GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2,
                  FWidth, FHeight);
    }
}

void TCustomForm::Show() {
    PlaceOnShow();
    SetVisible(true);
    if (HandleAllocated()) ::SetForegroundWindow(Handle());
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::VisibleChanged() {
    if (!HandleAllocated()) return;
    if (Visible()) {
        if (Application().MainForm() == this) ::ShowWindow(Application().Handle(), SW_SHOWNA);
        ::ShowWindow(Handle(), SW_SHOW);
        if (OnShow) OnShow(this);
    } else {
        if (OnHide) OnHide(this);
        ::ShowWindow(Handle(), SW_HIDE);
    }
}

namespace {

// Disables every other visible window of the thread while a modal form is
// up; enables them again and gives the activation back on exit.
class TaskWindowsDisabled {
public:
    explicit TaskWindowsDisabled(HWND modal) : FModal(modal), FActiveBefore(::GetActiveWindow()) {
        ::EnumThreadWindows(::GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
    }
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
    ~TaskWindowsDisabled() {
        for (HWND w : FDisabled) ::EnableWindow(w, TRUE);
        if (FActiveBefore && ::IsWindow(FActiveBefore)) ::SetActiveWindow(FActiveBefore);
    }

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) noexcept {
        // Out of memory: the rest stay enabled.
        return CallAtBoundary(FALSE, [&] {
            auto* disabling = reinterpret_cast<TaskWindowsDisabled*>(self);
            if (window == disabling->FModal || !::IsWindowVisible(window) || !::IsWindowEnabled(window)) return TRUE;
            disabling->FDisabled.push_back(window);
            ::EnableWindow(window, FALSE);
            return TRUE;
        });
    }

    HWND FModal;
    HWND FActiveBefore;
    std::vector<HWND> FDisabled;
};

}  // namespace

TModalResult TCustomForm::ShowModal() {
    if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    TaskWindowsDisabled disabled(Handle());
    ScopedValue modal(FModal, true);
    FModalResult = mrNone;
    Show();
    do {
        Application().HandleMessage();
        if (Application().Terminated()) FModalResult = mrCancel;
        else if (FModalResult != mrNone) CloseModal();
    } while (FModalResult == mrNone);
    Hide();
    return FModalResult;
}

void TCustomForm::CloseModal() {
    // A close query that fails is shown and keeps the form open, as a refusal
    // does: the loop must not end with the form still up.
    bool closing = CallAtBoundary(false, [&] {
        if (!CloseQuery()) return false;
        TCloseAction action = TCloseAction::Hide;
        if (OnClose) OnClose(this, action);
        return action != TCloseAction::None;
    });
    if (!closing) FModalResult = mrNone;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = TCloseAction::Hide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::None) return;
    if (Application().MainForm() == this) {
        Application().Terminate();
    } else if (action == TCloseAction::Minimize) {
        ::ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
        if (action == TCloseAction::Free) Release();
    }
}

void TCustomForm::Release() { Application().ReleaseForm(this); }

bool TCustomForm::IsShortCut(TShortCut shortCut) {
    for (TComponent* c : Components())
        if (auto* list = dynamic_cast<TActionList*>(c); list && list->IsShortCut(shortCut)) return true;
    return false;
}

namespace {

// Every push button under a control, parents' before their children's.
void CollectButtons(const TWinControl& parent, std::vector<TCustomButton*>& buttons) {
    for (TControl* c : parent.Controls()) {
        auto* windowed = dynamic_cast<TWinControl*>(c);
        if (!windowed) continue;
        if (auto* button = dynamic_cast<TCustomButton*>(windowed)) buttons.push_back(button);
        CollectButtons(*windowed, buttons);
    }
}

template <class Pick>
TCustomButton* FindButton(const TWinControl& parent, Pick pick) {
    std::vector<TCustomButton*> buttons;
    CollectButtons(parent, buttons);
    for (TCustomButton* b : buttons)
        if (b->CanFocus() && pick(*b)) return b;
    return nullptr;
}

}  // namespace

TCustomButton* TCustomForm::DefaultButton() const {
    return FindButton(*this, [](const TCustomButton& b) { return b.Default(); });
}

TCustomButton* TCustomForm::CancelButton() const {
    return FindButton(*this, [](const TCustomButton& b) { return b.Cancel(); });
}

bool TCustomForm::DialogKey(const MSG& msg) {
    // What the focused window takes for itself. Asked without the message:
    // given one, the system's edits turn to dialog ways of their own.
    auto wants = [&] { return UINT(::SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0)); };
    if (msg.message == WM_SYSCHAR) return DialogChar(char(msg.wParam));
    if (msg.message == WM_CHAR) return !(wants() & DLGC_WANTCHARS) && DialogChar(char(msg.wParam));
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0)
        return !(wants() & DLGC_WANTALLKEYS) && CtrlTab(msg, ::GetKeyState(VK_SHIFT) >= 0);
    if (msg.message != WM_KEYDOWN || ::GetKeyState(VK_CONTROL) < 0) return false;
    if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
    if (wants() & (msg.wParam == VK_TAB ? DLGC_WANTTAB | DLGC_WANTALLKEYS : DLGC_WANTALLKEYS)) return false;
    auto* focused = dynamic_cast<TWinControl*>(TWindow::FindFromHandle(msg.hwnd));
    if (focused == this) focused = nullptr;
    bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (msg.wParam == VK_TAB) {
        SelectNext(focused, !shift);
        return true;
    }
    if (shift) return false;
    if (msg.wParam == VK_RETURN) {
        auto* button = dynamic_cast<TCustomButton*>(focused);
        if (!button) button = DefaultButton();
        if (!button) return false;
        button->Click();
    } else if (TCustomButton* button = CancelButton()) {
        button->Click();
    } else if (FModal) {
        FModalResult = mrCancel;
    } else {
        return false;
    }
    return true;
}

bool TCustomForm::CtrlTab(const MSG& msg, bool forward) {
    // The pages around the focus first, then any on the form.
    auto* focused = dynamic_cast<TWinControl*>(TWindow::FindFromHandle(msg.hwnd));
    for (TWinControl* c = focused; c && c != this; c = c->Parent())
        if (c->Showing() && c->SelectNextPage(forward)) return true;
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    for (TWinControl* c : list)
        if (c->Showing() && c->SelectNextPage(forward)) return true;
    return false;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control && (control == this || GetParentForm(control) != this || (!Loading() && !control->CanFocus())))
        throw EInvalidOperation(ResString("SCannotFocus"));
    FActiveControl = control;
    // An inactive form gives it the focus once it is activated.
    if (control && !Loading() && HandleAllocated() && ::GetActiveWindow() == Handle()) ::SetFocus(control->Handle());
}

TWinControl* TCustomForm::FindNextControl(TWinControl* current, bool forward) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const int count = int(list.size());
    int at = int(std::find(list.begin(), list.end(), current) - list.begin());
    if (at == count && forward) at = -1;  // not in the list: start at an end
    for (int step = 1; step <= count; ++step) {
        TWinControl* c = list[std::size_t(((forward ? at + step : at - step) % count + count) % count)];
        if (c != current && c->TabStop() && c->CanFocus()) return c;
    }
    return nullptr;
}

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    if (TWinControl* next = FindNextControl(current, forward)) next->SetFocus();
}

bool TCustomForm::FocusActiveControl() {
    TWinControl* target = FActiveControl && FActiveControl->CanFocus() ? FActiveControl : FindNextControl(nullptr, true);
    if (!target) return false;
    ::SetFocus(target->Handle());
    return true;
}

void TCustomForm::FocusChanged(TWinControl* control) {
    TWinControl* focused = control == this ? nullptr : control;
    if (focused == FFocusedControl) return;
    TWinControl* previous = FFocusedControl;
    FFocusedControl = focused;
    if (focused) FActiveControl = focused;
    if (Destroying()) return;
    std::vector<TCustomButton*> buttons;
    CollectButtons(*this, buttons);
    for (TCustomButton* b : buttons) b->UpdateActive(focused);
    if (previous) previous->DoExit();
    if (focused) focused->DoEnter();
}

void TCustomForm::DefocusControl(TWinControl* control) {
    auto inside = [control](TControl* c) {
        for (; c; c = c->Parent())
            if (c == control) return true;
        return false;
    };
    if (inside(FActiveControl)) FActiveControl = nullptr;
    if (inside(FFocusedControl)) FFocusedControl = nullptr;
}

LRESULT TCustomForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) break;
            Application().FormActivated(this);
            // Not minimized: the focus goes back where it was.
            if (!HIWORD(wParam) && FocusActiveControl()) return 0;
            break;
        case WM_ACTIVATEAPP:
            Application().SetActive(wParam != 0);
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this) {
                Application().Minimize();
                return 0;
            }
            break;
        case WM_WINDOWPOSCHANGING: {
            auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
            bool moving = !(wp->flags & SWP_NOMOVE);
            bool resizing = !(wp->flags & SWP_NOSIZE) && (wp->cx != FWidth || wp->cy != FHeight);
            if (FScreenSnap && moving && !resizing && Visible()) {
                RECT r{wp->x, wp->y, wp->x + FWidth, wp->y + FHeight};
                MONITORINFO mi{};
                mi.cbSize = sizeof mi;
                if (::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) {
                    RECT snapped = SnapToWorkArea(r, mi.rcWork, FSnapBuffer);
                    wp->x = snapped.left;
                    wp->y = snapped.top;
                }
            }
            break;
        }
        default:
            break;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    FBorderStyle = style;
    FrameChanged();
}

TBorderIcons TCustomForm::BorderIcons() const {
    return (FSystemMenu ? biSystemMenu : 0) | (FMinimizeBox ? biMinimize : 0) | (FMaximizeBox ? biMaximize : 0);
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    FSystemMenu = icons & biSystemMenu;
    FMinimizeBox = icons & biMinimize;
    FMaximizeBox = icons & biMaximize;
    FrameChanged();
}

void TCustomForm::FrameChanged() {
    if (HandleAllocated()) {
        ::SetWindowLongA(Handle(), GWL_STYLE, LONG(WindowStyle() | (Visible() ? WS_VISIBLE : 0)));
        ::SetWindowLongA(Handle(), GWL_EXSTYLE, LONG(WindowExStyle()));
        ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (FClientWidth || FClientHeight) SetClientSize(FClientWidth, FClientHeight);
}

template <class Handler>
Handler TCustomForm::StoredHandler(const Value& value, TReader& reader) {
    const std::string& id = prop::Ident(value);
    TMethod method = FindMethod(id);
    if (std::holds_alternative<std::monostate>(method)) reader.ResolveMethod(id);  // raises "not found"
    auto* handler = std::get_if<Handler>(&method);
    if (!handler) prop::InvalidValue();
    return *handler;
}

const PropertyTable& TCustomForm::StoredProperties() const {
    using F = TCustomForm;
    using P = Describe<F>;
    static const std::pair<const char*, unsigned> kBorderIcons[] = {
        {"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize}, {"biMaximize", biMaximize}, {"biHelp", biHelp}};
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("BorderStyle", EnumKind(kBorderStyles), &F::BorderStyle, &F::SetBorderStyle,
                    TFormBorderStyle::Sizeable),
        P::Property("BorderIcons", SetKind(kBorderIcons), &F::BorderIcons, &F::SetBorderIcons,
                    biSystemMenu | biMinimize | biMaximize),
        P::Property("ClientWidth", kInt, &F::ClientWidth, &F::SetClientWidth),
        P::Property("ClientHeight", kInt, &F::ClientHeight, &F::SetClientHeight),
        P::Field("Position", EnumKind(kPositions), &F::FPosition, TPosition::Designed),
        P::Field("ScreenSnap", kBool, &F::FScreenSnap, false),
        P::Field("SnapBuffer", kInt, &F::FSnapBuffer, 10),
        P::Field("KeyPreview", kBool, &F::FKeyPreview, false),
        P::Property("ActiveControl", ReferenceKind<TWinControl>(), &F::ActiveControl, &F::SetActiveControl),
        P::Field("OnCreate", kEvent, &F::OnCreate),
        P::Field("OnShow", kEvent, &F::OnShow),
        P::Field("OnHide", kEvent, &F::OnHide),
        // Read only: these handlers keep no name to be written by.
        P::Custom("OnCloseQuery",
                  [](F& f, const Value& v, TReader& r) { f.OnCloseQuery = f.StoredHandler<TCloseQueryEvent>(v, r); }),
        P::Custom("OnClose", [](F& f, const Value& v, TReader& r) { f.OnClose = f.StoredHandler<TCloseEvent>(v, r); }),
    });
    return table;
}

// ---- TApplication

class TApplication::AppWindow : public TWindow {
public:
    explicit AppWindow(TApplication& app) : FApp(app) {
        CreateParams params;
        params.className = "TApplication";
        params.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
        params.x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
        params.y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
        params.caption = app.FTitle;
        params.icon = ProgramIcon(::GetSystemMetrics(SM_CXICON));
        CreateHandle(params);
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_CLOSE:
                if (FApp.FMainForm) FApp.FMainForm->Close();
                return 0;
            case WM_ACTIVATEAPP:
                FApp.SetActive(wParam != 0);
                break;
            case WM_ACTIVATE:
                // Taskbar clicks activate this window: pass it on to the form.
                if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) ::PostMessageA(Handle(), WM_ACTIVATE_FORM, 0, 0);
                break;
            case WM_RELEASE_FORM: FApp.FreeReleasedForms(); return 0;
            case WM_ACTIVATE_FORM: {
                TCustomForm* form = FApp.FActiveForm ? FApp.FActiveForm : FApp.FMainForm;
                if (form && form->HandleAllocated() && ::IsWindowVisible(form->Handle()) &&
                    ::IsWindowEnabled(form->Handle()) && ::GetActiveWindow() == Handle())
                    ::SetActiveWindow(form->Handle());
                return 0;
            }
            default:
                break;
        }
        return TWindow::WndProc(message, wParam, lParam);
    }

private:
    TApplication& FApp;
};

namespace {
// Set while the application object exists: before, errors have no one to
// show them but a plain box.
TApplication* gApplication = nullptr;
}  // namespace

TApplication::TApplication() : FTitle(""), FWindow(std::make_unique<AppWindow>(*this)) { gApplication = this; }

TApplication::~TApplication() { gApplication = nullptr; }

HWND TApplication::Handle() const { return FWindow->Handle(); }

void TApplication::SetTitle(const std::string& title) {
    // Setting the same text again repaints the caption for nothing (and
    // costs Wine some memory each time).
    if (title == FTitle) return;
    FTitle = title;
    FWindow->SetWindowCaption(title);
}

void TApplication::FormCreated(TCustomForm* form) {
    if (!FMainForm) FMainForm = form;
}

void TApplication::FormDestroyed(TCustomForm* form) {
    FReleasedForms.erase(std::remove(FReleasedForms.begin(), FReleasedForms.end(), form), FReleasedForms.end());
    if (FMainForm == form) FMainForm = nullptr;
    if (FActiveForm == form) FActiveForm = nullptr;
}

void TApplication::SetActive(bool active) { FActive = active; }

void TApplication::ReleaseForm(TCustomForm* form) {
    if (std::find(FReleasedForms.begin(), FReleasedForms.end(), form) != FReleasedForms.end()) return;
    FReleasedForms.push_back(form);
    ::PostMessageA(Handle(), WM_RELEASE_FORM, 0, 0);
}

void TApplication::FreeReleasedForms() {
    // Each form leaves the list as it is destroyed (FormDestroyed).
    while (!FReleasedForms.empty()) delete FReleasedForms.back();
}

void TApplication::FormActivated(TCustomForm* form) {
    FActiveForm = form;
    FActive = true;
}

void TApplication::Run() {
    if (!FMainForm) return;
    FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    if (!IsKeyMessage(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

void TApplication::HandleMessage() {
    MSG msg;
    if (ProcessMessage(msg)) return;
    // Messages the idle work posts are new to WaitMessage, which returns.
    if (OnIdle) OnIdle();
    ::WaitMessage();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() { ::PostQuitMessage(0); }

void TApplication::Minimize() { ::ShowWindow(Handle(), SW_MINIMIZE); }

bool TApplication::IsKeyMessage(const MSG& msg) {
    bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if (!key && msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
    TCustomForm* form = GetParentForm(dynamic_cast<TControl*>(TWindow::FindFromHandle(msg.hwnd)));
    if (!form || !form->HandleAllocated() || !::IsWindowEnabled(form->Handle())) return false;
    // Shortcuts first, then the dialog keys. A failed command or click has
    // used its key up.
    return CallAtBoundary(true, [&] {
        TShortCut shortCut = key ? ShortCutFromKeyMessage(msg) : 0;
        if (shortCut && form->IsShortCut(shortCut)) return true;
        return msg.message != WM_SYSKEYDOWN && form->DialogKey(msg);
    });
}

void TApplication::HandleException() noexcept {
    // Whatever failed, a drag it began must not hold the pointer.
    if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    if (std::optional<std::string> message = CurrentExceptionMessage()) ShowException(*message);
}

void TApplication::ShowException(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    HWND owner = ::GetActiveWindow();
    if (!owner || !TWindow::FromHandle(owner)) owner = Handle();
    ::MessageBoxA(owner, text.c_str(), FTitle.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::SetHint(const std::string& hint) {
    if (hint == FHint) return;
    FHint = hint;
    if (OnHint) OnHint();
}

namespace {
int gPixelsPerInch = 96;
}  // namespace

void InitializeForms() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    BOOL(WINAPI * dpiAware)() = nullptr;
    if (LOBYTE(LOWORD(::GetVersion())) >= 6 && FindFunction(::GetModuleHandleA("user32.dll"), "SetProcessDPIAware", dpiAware))
        dpiAware();
    // A memory DC tells the screen's resolution too, and costs far less
    // under Wine than the screen's own DC before any window is made.
    MemoryDC screen;
    gPixelsPerInch = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    RegisterComponentClass<TPanel>("TPanel");
    RegisterComponentClass<TBevel>("TBevel");
    RegisterComponentClass<TImage>("TImage");
    RegisterComponentClass<TLabel>("TLabel");
    RegisterComponentClass<TButton>("TButton");
    RegisterComponentClass<TEdit>("TEdit");
    RegisterComponentClass<TCheckBox>("TCheckBox");
    RegisterComponentClass<TListBox>("TListBox");
    RegisterComponentClass<TComboBox>("TComboBox");
    RegisterComponentClass<TPageControl>("TPageControl");
    RegisterComponentClass<TTabSheet>("TTabSheet");
    RegisterComponentClass<TTimer>("TTimer");
    RegisterComponentClass<TActionList>("TActionList");
    RegisterComponentClass<TAction>("TAction");
}

void FinalizeForms() {
    LeaveAccessibleApartment();
}

int ScreenPixelsPerInch() { return gPixelsPerInch; }

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->Parent()) control = control->Parent();
    return dynamic_cast<TCustomForm*>(control);
}

TApplication& Application() {
    static TApplication app;
    return app;
}

// ---- TScreen

HCURSOR TScreen::Cursor(int id) const {
    const auto found = FCursors.find(id);
    return found != FCursors.end() ? found->second : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
}

void TScreen::SetCursor(int id, HCURSOR shared) {
    if (shared)
        FCursors[id] = shared;
    else
        FCursors.erase(id);
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

void HandleCallbackException() noexcept { Application().HandleException(); }

int RunProgram(const std::function<int()>& block) noexcept {
    try {
        return block();
    } catch (...) {
        if (gApplication) gApplication->HandleException();
        else if (std::optional<std::string> message = CurrentExceptionMessage())
            ::MessageBoxA(nullptr, message->c_str(), nullptr, MB_OK | MB_ICONERROR);
        return 1;
    }
}

TShortCut ShortCutFromKeyMessage(const MSG& msg) {
    auto key = static_cast<std::uint8_t>(msg.wParam & 0xFF);
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return 0;
    TShortCut modifiers = 0;
    if (::GetKeyState(VK_SHIFT) < 0) modifiers |= scShift;
    if (::GetKeyState(VK_CONTROL) < 0) modifiers |= scCtrl;
    if (msg.lParam & (1 << 29)) modifiers |= scAlt;
    return ShortCut(key, modifiers);
}

}  // namespace forms
