#include "forms/Hooks.h"

#include <algorithm>
#include <vector>

#include "forms/Boundary.h"
#include "forms/Exceptions.h"
#include "forms/Handles.h"

namespace forms {

namespace {

struct HookSlot {
    Hook hook;
    std::vector<TThreadHook*> users;  // in the order they came
};

HookSlot& Slot(THookKind kind) {
    static HookSlot slots[3];
    return slots[static_cast<int>(kind)];
}

}  // namespace

TThreadHook::TThreadHook(THookKind kind, Handler handler) : FKind(kind), FHandler(std::move(handler)) {
    static const struct {
        int id;
        HOOKPROC proc;
    } kHooks[] = {
        {WH_KEYBOARD, HookProc<THookKind::Keyboard>},
        {WH_MOUSE, HookProc<THookKind::Mouse>},
        {WH_CALLWNDPROC, HookProc<THookKind::CallWndProc>},
    };
    HookSlot& slot = Slot(kind);
    slot.users.push_back(this);
    if (slot.hook) return;
    const auto& system = kHooks[static_cast<int>(kind)];
    slot.hook.Reset(::SetWindowsHookExA(system.id, system.proc, nullptr, ::GetCurrentThreadId()));
    if (!slot.hook) {
        slot.users.pop_back();
        throw EOutOfResources("Cannot install a thread hook");
    }
}

TThreadHook::~TThreadHook() {
    HookSlot& slot = Slot(FKind);
    std::erase(slot.users, this);
    if (slot.users.empty()) slot.hook.Reset();
}

bool TThreadHook::Installed(THookKind kind) { return static_cast<bool>(Slot(kind).hook); }

template <THookKind Kind>
LRESULT CALLBACK TThreadHook::HookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    return Run(Kind, code, wParam, lParam);
}

LRESULT TThreadHook::Run(THookKind kind, int code, WPARAM wParam, LPARAM lParam) noexcept {
    // Negative codes are the system's own business.
    if (code >= 0) {
        bool consumed = CallAtBoundary(false, [&] {
            HookSlot& slot = Slot(kind);
            // Copy: a handler may end its own use or another's.
            std::vector<TThreadHook*> users = slot.users;
            for (TThreadHook* user : users)
                if (std::find(slot.users.begin(), slot.users.end(), user) != slot.users.end() &&
                    user->FHandler(code, wParam, lParam))
                    return true;
            return false;
        });
        if (consumed) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace forms
