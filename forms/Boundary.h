// The way into our code from anything Windows calls back: window, dialog,
// hook, timer, enumeration and task-dialog procedures, and the places that
// must not fail on their caller (a command's click, a shortcut key). On
// i686 a C++ exception that reaches a Windows frame ends the process, so
// each of them runs its body through CallAtBoundary.
#pragma once

namespace forms {

// Hands the exception being handled to the application (shows it, or drops
// an abort). Defined with the application object.
void HandleCallbackException() noexcept;

// Runs `body`; whatever it throws goes to the application's handler and
// `onFailure` is returned instead of its result.
template <class R, class F>
R CallAtBoundary(R onFailure, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        HandleCallbackException();
        return onFailure;
    }
}

template <class F>
void CallAtBoundary(F&& body) noexcept {
    try {
        body();
    } catch (...) {
        HandleCallbackException();
    }
}

}  // namespace forms
