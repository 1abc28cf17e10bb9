// Thread hooks: the keyboard, mouse and window-procedure hooks of the
// user-interface thread, shared by everyone who needs one.
#pragma once

#include <windows.h>

#include <functional>

namespace forms {

enum class THookKind { Keyboard, Mouse, CallWndProc };

// One user of a thread hook for as long as it lives. The first user of a
// kind installs the hook and the last one removes it. Each event is offered
// to the users in the order they came until a handler consumes it (true: a
// key or mouse event then goes no further); the rest goes on to the next
// hook. Handlers run behind the callback boundary, on the thread that made
// the user, which must be the user-interface thread.
class TThreadHook {
public:
    using Handler = std::function<bool(int code, WPARAM wParam, LPARAM lParam)>;

    // Raises EOutOfResources when the system refuses the hook.
    TThreadHook(THookKind kind, Handler handler);
    ~TThreadHook();
    TThreadHook(const TThreadHook&) = delete;
    TThreadHook& operator=(const TThreadHook&) = delete;

    // The hook of that kind is installed.
    static bool Installed(THookKind kind);

private:
    template <THookKind Kind>
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT Run(THookKind kind, int code, WPARAM wParam, LPARAM lParam) noexcept;

    THookKind FKind;
    Handler FHandler;
};

}  // namespace forms
