// The one entry point for window procedures: a non-copyable object that
// owns its window, is bound to it at creation and gets its messages, or is
// attached to a system control's window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/Boundary.h"

namespace forms {

// A message as a listener sees it. A listener that claims it sets `handled`
// and `result`; the window then does not get it.
struct TMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool handled = false;
};

class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != nullptr; }

    // The object bound to a window of ours, or null.
    static TWindow* FromHandle(HWND window);
    // Ours or the nearest ancestor window that is ours.
    static TWindow* FindFromHandle(HWND window);

    // Lets another object see this window's messages before the window
    // handles them (a component that serves its form, say). One per key,
    // asked in the order they were added until one claims the message.
    using MessageListener = std::function<void(TMessage& message)>;
    void AddMessageListener(const void* key, MessageListener listener);
    void RemoveMessageListener(const void* key);

    // Hands a message straight to this window's procedure, listeners
    // first, as a message sent by the window's own thread would reach it.
    // It spares the system's round of a sent message, which under Wine
    // costs more than the work of a text change itself. An attached
    // control's procedure is reached only through the system.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    // Sets the window's text through Perform.
    void SetWindowCaption(const std::string& text);

    // Binds this object to an existing window of another class (a system
    // control: an edit, a list box) by subclassing it. Its messages then
    // come in as our own windows' do, and DefaultHandler hands them to the
    // class's procedure. The object does not own that window: when either
    // of them goes the object detaches and the window stays as it was.
    void Attach(HWND window);
    void Detach();
    // Bound to a window of another class: attached, or hosted (below).
    bool Attached() const { return FAttached; }

protected:
    TWindow() = default;

    struct CreateParams {
        const char* className = "";
        UINT classStyle = 0;
        HCURSOR cursor = nullptr;   // class cursor; null = arrow
        HBRUSH background = nullptr;
        HICON icon = nullptr;
        DWORD style = 0;
        DWORD exStyle = 0;
        std::string caption;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;
        UINT_PTR id = 0;
        // `className` is a class of the system's ("BUTTON", "EDIT"): the
        // window is hosted, not registered (see CreateHandle).
        bool systemClass = false;
    };
    // Registers the class on first use and creates the window, bound to
    // this object before its first message. A window of a system class is
    // hosted: created with that class, then attached; unlike an attached
    // one it belongs to this object, which destroys it and counts it.
    void CreateHandle(const CreateParams& params);
    // Destroys the window, an attached one too.
    void DestroyHandle();

    // Every message of the window. The base gives the messages below to
    // their typed handlers and the rest to DefaultHandler. Exceptions are
    // caught at the boundary and handed to the application's handler.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // What the window's class does: DefWindowProc, or an attached system
    // control's own procedure.
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

    // Typed handlers, each with its message's parameters unpacked and
    // returning its result; the base ones call DefaultHandler.
    // `client` is the proposed client area in parent coordinates: the
    // first rectangle of NCCALCSIZE_PARAMS when `validRects`.
    virtual LRESULT WMNCCalcSize(bool validRects, RECT& client);
    virtual LRESULT WMNCPaint(HRGN region);  // (HRGN)1: the whole frame
    virtual LRESULT WMSetFocus(HWND previous);
    virtual LRESULT WMKillFocus(HWND next);
    virtual LRESULT WMCaptureChanged(HWND capture);
    // The pointer left the window (asked for with TrackMouseEvent).
    virtual LRESULT WMMouseLeave();
    virtual LRESULT WMKeyDown(WPARAM key, LPARAM keyData);
    virtual LRESULT WMKeyUp(WPARAM key, LPARAM keyData);
    // True when the handler has set the cursor.
    virtual bool WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    virtual LRESULT WMTimer(UINT_PTR id);
    virtual LRESULT WMSysColorChange();
    virtual LRESULT WMThemeChanged();
    // `section` may be null.
    virtual LRESULT WMSettingChange(UINT flag, const char* section);

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK AttachedWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self) noexcept;
    // One message through the boundary: the listeners, then WndProc. New
    // colours or high-contrast setting refresh HighContrast() before both.
    LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    bool NotifyListeners(TMessage& message);

    HWND FHandle = nullptr;
    bool FAttached = false;
    bool FHosted = false;
    std::vector<std::pair<const void*, MessageListener>> FListeners;
};

}  // namespace forms
