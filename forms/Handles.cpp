#include "forms/Handles.h"

namespace forms {

namespace {
// The user-interface thread is the only one that creates handles, but a
// benchmark may read the counts from elsewhere.
volatile long gGdi = 0;
volatile long gUser = 0;
}  // namespace

namespace detail {
void CountGdi(long delta) { ::InterlockedExchangeAdd(&gGdi, delta); }
void CountUser(long delta) { ::InterlockedExchangeAdd(&gUser, delta); }
}  // namespace detail

HandleCount LiveHandles() { return {gGdi, gUser}; }

MemoryDC::MemoryDC(HDC compatibleWith) : FDC(::CreateCompatibleDC(compatibleWith)) {
    if (FDC) detail::CountGdi(1);
}

MemoryDC& MemoryDC::operator=(MemoryDC&& other) noexcept {
    if (this != &other) {
        this->~MemoryDC();
        FDC = std::exchange(other.FDC, nullptr);
    }
    return *this;
}

MemoryDC::~MemoryDC() {
    if (FDC) {
        ::DeleteDC(FDC);
        detail::CountGdi(-1);
        FDC = nullptr;
    }
}

WindowDC::WindowDC(HWND window) : FWindow(window), FDC(::GetDC(window)) {}

WindowDC::~WindowDC() {
    if (FDC) ::ReleaseDC(FWindow, FDC);
}

Icon& Icon::operator=(Icon&& other) noexcept {
    if (this != &other) {
        Reset();
        FHandle = std::exchange(other.FHandle, nullptr);
    }
    return *this;
}

void Icon::Reset() {
    if (FHandle) {
        ::DestroyIcon(FHandle);
        detail::CountUser(-1);
        FHandle = nullptr;
    }
}

}  // namespace forms
