// What screen readers and other assistive programs read of our windows. A
// window that describes itself answers WM_GETOBJECT with an IAccessible
// object for its client area: the area itself and the elements in it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace forms {

// What one element says of itself.
struct TAccessibleInfo {
    LONG role = 0;   // ROLE_SYSTEM_...
    LONG state = 0;  // STATE_SYSTEM_... flags
    RECT bounds{};   // on the screen
    std::string name;
    std::string value;
    std::string description;
    std::string shortcut;
    std::string defaultAction;  // empty: it has none
};

// A window's client area as its accessible object reads it: the area is
// child 0, the elements in it are children 1 to AccessibleChildCount(). It
// is asked afresh on every call, so a client always reads the present.
class TAccessibleSource {
public:
    virtual HWND AccessibleHandle() const = 0;
    virtual int AccessibleChildCount() const = 0;
    // False when there is no such child.
    virtual bool AccessibleInfo(int child, TAccessibleInfo& info) const = 0;
    // A child that is a window of its own: clients get that window's
    // object for it. Null for an element drawn by this window.
    virtual HWND AccessibleChildWindow(int child) const = 0;
    // The element with the keyboard focus: 0 the area, -1 none here.
    virtual int AccessibleFocus() const = 0;
    // Starts the element's default action. It runs from the window's
    // message queue once the caller has its answer (a command may open a
    // modal box; the caller must not wait for that). False when the
    // element has no action now.
    virtual bool RequestAccessibleAction(int child) = 0;

protected:
    ~TAccessibleSource() = default;
};

// The one accessible object of a window's client area, made on the first
// request. Clients keep references of their own, so the object may outlive
// its source: once the server is gone every call fails with
// CO_E_OBJNOTCONNECTED.
class TAccessibleServer {
public:
    explicit TAccessibleServer(TAccessibleSource& source) : FSource(source) {}
    ~TAccessibleServer();
    TAccessibleServer(const TAccessibleServer&) = delete;
    TAccessibleServer& operator=(const TAccessibleServer&) = delete;

    // The answer to WM_GETOBJECT; false when the request is for another
    // object than the client area.
    bool Answer(WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    class Object;
    TAccessibleSource& FSource;
    Object* FObject = nullptr;
};

// Accessible objects that exist, handed out or not (tests: none may leak).
int LiveAccessibleObjects();

// The first answer joins the thread to a single-threaded apartment; this
// leaves it, the last thing before exit (FinalizeForms).
void LeaveAccessibleApartment();

// Tells listening clients that an element of a window's client area
// changed (EVENT_OBJECT_...).
void NotifyAccessible(DWORD event, HWND window, int child);

// The private message that runs a requested default action.
UINT AccessibleActionMessage();
// The window and each of its parents are enabled: a click could reach it.
// A default action is refused where it could not (under a modal box).
bool WindowAcceptsInput(HWND window);

// A caption as it is read: without the "&" that marks its accelerator
// ("&&" stays one "&").
std::string AccessibleText(std::string_view caption);
// "Alt+O" for the caption "&Ok"; empty without an accelerator.
std::string AccelShortcut(std::string_view caption);
// The part of a hint after the first "|", or all of it.
std::string LongHint(const std::string& hint);

}  // namespace forms
