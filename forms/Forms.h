// Top-level forms and the application object.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "forms/ActnList.h"
#include "forms/Controls.h"
#include "forms/Handles.h"

namespace forms {

enum class TCloseAction { None, Hide, Free, Minimize };
enum class TFormBorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
enum class TPosition { Designed, Default, ScreenCenter, MainFormCenter, OwnerFormCenter };

// The buttons of a form's title bar, as bits.
using TBorderIcons = unsigned;
inline constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8;

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO;

// Handlers with more than the sender.
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;

// A published method of a form as the stored description names it.
using TMethod = std::variant<std::monostate, std::function<void(TComponent*)>, TCloseQueryEvent, TCloseEvent>;

class TCustomButton;

// Moves a window rectangle that lies within `distance` pixels of a work-area
// edge onto that edge, testing left, top, right, bottom in that order.
RECT SnapToWorkArea(const RECT& window, const RECT& workArea, int distance);

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    // The help button is not shown.
    TBorderIcons BorderIcons() const;
    void SetBorderIcons(TBorderIcons icons);
    void SetClientSize(int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width) { SetClientSize(width, FClientHeight); }
    void SetClientHeight(int height) { SetClientSize(FClientWidth, height); }
    TPosition Position() const { return FPosition; }
    bool ScreenSnap() const { return FScreenSnap; }
    int SnapBuffer() const { return FSnapBuffer; }
    bool KeyPreview() const { return FKeyPreview; }

    void Show();
    void Hide();
    // Shows the form modally, in a loop of its own; returns its modal result.
    TModalResult ShowModal();
    bool Modal() const { return FModal; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    // Asks OnCloseQuery and closes (the main form ends the program).
    void Close();
    bool CloseQuery();
    // Frees the form once the message being handled now is done, so that
    // its own handlers may ask for it. The form must be one made with new
    // and owned by no one else (a close action Free asks for it).
    void Release();

    // Looks for an enabled command of this form with the shortcut and runs it.
    virtual bool IsShortCut(TShortCut shortCut);
    // The dialog keys of a key or character message to one of this form's
    // windows, after its shortcuts: Tab and Shift+Tab move the focus, Enter
    // clicks the focused button or else the default one, Esc the cancel
    // button (a modal form without one closes with mrCancel), and an
    // accelerator (Alt+letter, or a letter the focused control does not
    // take) reaches its control, Ctrl+Tab and Ctrl+Shift+Tab turn the
    // pages. True when the key was used.
    bool DialogKey(const MSG& msg);

    // The control that has, or last had, the focus in this form; it gets it
    // back whenever the form is activated (the first tab stop when there is
    // none). Setting it focuses it at once while the form is active;
    // EInvalidOperation when it is not a control of this form that can take
    // the focus.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    // The next (or previous) tab stop after `current` in tab order across
    // the containers, wrapping around; `current` may be null.
    TWinControl* FindNextControl(TWinControl* current, bool forward) const;
    void SelectNext(TWinControl* current, bool forward);
    // The button Enter clicks while no button has the focus, the one Esc
    // clicks: visible and enabled, or null.
    TCustomButton* DefaultButton() const;
    TCustomButton* CancelButton() const;
    // The control of this form that has the focus (null: none or the form).
    TWinControl* FocusedControl() const { return FFocusedControl; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

    const PropertyTable& StoredProperties() const override;

protected:
    // Creates the window, reads the form's stored description (resource
    // named after the class) and runs OnCreate. A failure leaves the caller
    // to free the form whole.
    void Create();
    void Create(const ObjectNode& description);
    // The form's published methods by name, for the stored description.
    virtual TMethod FindMethod(const std::string& name);

    void CreateWindowParams(TWindow::CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void VisibleChanged() override;
    void UpdateBounds() override;

    // Binds a published member to the component of that name.
    template <class T>
    void Bind(T*& field, const char* name) {
        field = dynamic_cast<T*>(FindComponent(name));
        if (!field) MissingComponent(name);
    }
    [[noreturn]] void MissingComponent(const char* name);

private:
    friend class TWinControl;
    // A control of this form got the focus (the form itself: no control).
    void FocusChanged(TWinControl* control);
    // The control is going or leaving the form: neither it nor one of its
    // children stays active.
    void DefocusControl(TWinControl* control);
    // Asks the close query of a modal form whose result is set; the result
    // is cleared when the form stays open.
    void CloseModal();
    // Gives the focus back to the active control (or the first tab stop);
    // false when no control can take it.
    bool FocusActiveControl();
    // Ctrl+Tab: the next page of the pages around the focus, or else of
    // the first on the form that has pages.
    bool CtrlTab(const MSG& msg, bool forward);
    void PlaceOnShow();
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
    // A new border style or set of icons: the window gets the new frame
    // and keeps its client size.
    void FrameChanged();
    // A stored handler of one of the close events.
    template <class Handler>
    Handler StoredHandler(const Value& value, TReader& reader);

    TFormBorderStyle FBorderStyle = TFormBorderStyle::Sizeable;
    bool FSystemMenu = true, FMinimizeBox = true, FMaximizeBox = true;
    TPosition FPosition = TPosition::Designed;
    bool FScreenSnap = false;
    int FSnapBuffer = 10;
    bool FKeyPreview = false;
    int FClientWidth = 0, FClientHeight = 0;
    bool FPlaced = false;
    bool FModal = false;
    TModalResult FModalResult = mrNone;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
};

// The form a control is on (a form is its own), or null.
TCustomForm* GetParentForm(TControl* control);

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// The application: owns the hidden top-level window that carries the
// taskbar button and the title, runs the message loop and shows errors.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HWND Handle() const;
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title);

    TCustomForm* MainForm() const { return FMainForm; }
    // The first form created becomes the main form.
    void FormCreated(TCustomForm* form);
    void FormDestroyed(TCustomForm* form);

    // One of our windows is the active, foreground window.
    bool Active() const { return FActive; }
    void SetActive(bool active);
    TCustomForm* ActiveForm() const { return FActiveForm; }
    void FormActivated(TCustomForm* form);

    // Shows the main form and dispatches messages until it closes.
    void Run();
    // Handles one message; when the queue is empty (every window painted)
    // runs OnIdle, then waits for one.
    void HandleMessage();
    // Work that can wait until the windows are on screen. It runs on every
    // idle turn of the loop, so it returns at once when it has nothing to
    // do; what it throws leaves Run.
    std::function<void()> OnIdle;
    // Handles every message waiting, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void Minimize();

    // Shows the exception being handled (an abort is dropped silently) and
    // cancels any pointer capture.
    void HandleException() noexcept;
    void ShowException(const std::string& message);

    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint);
    std::function<void()> OnHint;
    // Tooltips name the shortcut of what they describe.
    bool HintShortCuts() const { return FHintShortCuts; }
    void SetHintShortCuts(bool show) { FHintShortCuts = show; }

    // Frees the form from the message loop, after the current message; a
    // form destroyed before that is dropped from the queue.
    void ReleaseForm(TCustomForm* form);

private:
    class AppWindow;
    bool ProcessMessage(MSG& msg);
    bool IsKeyMessage(const MSG& msg);
    void FreeReleasedForms();

    std::string FTitle;
    std::unique_ptr<AppWindow> FWindow;
    TCustomForm* FMainForm = nullptr;
    TCustomForm* FActiveForm = nullptr;
    bool FActive = false;
    bool FTerminated = false;
    std::string FHint;
    bool FHintShortCuts = true;
    std::vector<TCustomForm*> FReleasedForms;
};

// Start-up of the form layer, before any window exists: common controls,
// DPI awareness on Windows 6 and later, the screen's pixels per inch, the
// classes stored descriptions may name. The thread joins a single-threaded
// apartment, through which assistive programs in other processes call the
// accessible objects of our windows, with the first such request.
void InitializeForms();
// Leaves that apartment; the last thing before exit.
void FinalizeForms();
int ScreenPixelsPerInch();

// The application object of this process, made on first use.
TApplication& Application();

// The screen's cursors by number, which a library registers at start-up
// (the toolbars' drag cursors). Only shared cursors are kept (LoadCursor
// from a resource, LR_SHARED): the system frees those, so nothing here
// owns a handle.
class TScreen {
public:
    // The cursor registered under `id`; the arrow for a number without one.
    HCURSOR Cursor(int id) const;
    // Registers a shared cursor under `id`, replacing any before it; a null
    // cursor takes the number back.
    void SetCursor(int id, HCURSOR shared);

private:
    std::map<int, HCURSOR> FCursors;
};

// The screen object of this process, made on first use.
TScreen& Screen();

// Runs a program block and returns its exit code. No exception escapes: one
// is shown by the application's handler, or in a plain error box while
// there is no application object yet, and the result is then 1.
int RunProgram(const std::function<int()>& block) noexcept;

// The shortcut value of a key message (WM_KEYDOWN / WM_SYSKEYDOWN).
TShortCut ShortCutFromKeyMessage(const MSG& msg);

}  // namespace forms
