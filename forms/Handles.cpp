#include "forms/Handles.h"

#include "forms/Helpers.h"

namespace forms {

namespace {
// The user-interface thread is the only one that creates handles, but a
// benchmark may read the counts from elsewhere.
volatile long gGdi = 0;
volatile long gUser = 0;
}  // namespace

namespace detail {
void CountHandles(HandleGroup group, long delta) {
    ::InterlockedExchangeAdd(group == HandleGroup::Gdi ? &gGdi : &gUser, delta);
}
}  // namespace detail

HandleCount LiveHandles() { return {gGdi, gUser}; }

void CloseThemeHandle(HTHEME theme) {
    HRESULT(WINAPI * close)(HTHEME) = nullptr;
    if (FindFunction(::GetModuleHandleA("uxtheme.dll"), "CloseThemeData", close)) close(theme);
}

}  // namespace forms
