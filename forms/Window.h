// The one entry point for window procedures: a non-copyable object that
// owns its window, is bound to it at creation and gets its messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace forms {

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
    // handles them (a component that serves its form, say). One per key.
    using MessageListener = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
    void AddMessageListener(const void* key, MessageListener listener);
    void RemoveMessageListener(const void* key);

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
    };
    // Registers the class on first use and creates the window, bound to
    // this object before its first message.
    void CreateHandle(const CreateParams& params);
    void DestroyHandle();

    // Every message of the window. Exceptions are caught at the boundary
    // and handed to the application's handler.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void NotifyListeners(UINT message, WPARAM wParam, LPARAM lParam);

    HWND FHandle = nullptr;
    std::vector<std::pair<const void*, MessageListener>> FListeners;
};

// Hands the exception being handled to the application (shows it, or drops
// an abort). Defined with the application object.
void HandleCallbackException() noexcept;

}  // namespace forms
