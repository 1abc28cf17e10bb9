// Owners for GDI and USER handles. Each is move-only, frees its handle when
// it dies and has no implicit conversion to the raw handle. Every live
// handle is counted so that tests and benchmarks can see a leak (the
// system's own GUI-resource count is not available everywhere).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <utility>

namespace forms {

// Live handles created through these owners.
struct HandleCount {
    long gdi = 0;   // fonts, brushes, pens, bitmaps, regions, DCs, image lists
    long user = 0;  // windows, icons, cursors, menus and hooks we created
};
HandleCount LiveHandles();

enum class HandleGroup { Gdi, User };

namespace detail {
void CountHandles(HandleGroup group, long delta);
}  // namespace detail

// The owner of one handle of a kind. The kind names the handle type, the
// count it goes to and how it is freed; a kind with data (the window a DC
// belongs to) travels with the handle.
template <class Kind>
class Owned {
public:
    using Handle = typename Kind::Handle;

    Owned() = default;
    explicit Owned(Handle handle, Kind kind = {}) : FHandle(handle), FKind(kind) {
        if (FHandle) detail::CountHandles(Kind::kGroup, 1);
    }
    Owned(Owned&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)), FKind(other.FKind) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, nullptr);
            FKind = other.FKind;
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    Handle Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (FHandle) {
            FKind.Free(FHandle);
            detail::CountHandles(Kind::kGroup, -1);
        }
        FHandle = handle;
        if (FHandle) detail::CountHandles(Kind::kGroup, 1);
    }
    // Hands the handle over to someone who frees it (an image list, say).
    Handle Release() {
        if (FHandle) detail::CountHandles(Kind::kGroup, -1);
        return std::exchange(FHandle, nullptr);
    }

private:
    Handle FHandle = nullptr;
    [[no_unique_address]] Kind FKind{};
};

// ---- Kinds

// A kind freed by one system call.
template <class H, auto Destroy, HandleGroup Group>
struct DestroyedBy {
    using Handle = H;
    static constexpr HandleGroup kGroup = Group;
    static void Free(H handle) { Destroy(handle); }
};

template <class H>
using GdiObjectKind = DestroyedBy<H, ::DeleteObject, HandleGroup::Gdi>;
using MemoryDCKind = DestroyedBy<HDC, ::DeleteDC, HandleGroup::Gdi>;
// A common-controls image list holds bitmaps of its own: a GDI handle.
using ImageListKind = DestroyedBy<HIMAGELIST, ::ImageList_Destroy, HandleGroup::Gdi>;
using IconKind = DestroyedBy<HICON, ::DestroyIcon, HandleGroup::User>;
using CursorKind = DestroyedBy<HCURSOR, ::DestroyCursor, HandleGroup::User>;
using MenuKind = DestroyedBy<HMENU, ::DestroyMenu, HandleGroup::User>;
using HookKind = DestroyedBy<HHOOK, ::UnhookWindowsHookEx, HandleGroup::User>;

// A visual-styles theme handle. uxtheme is loaded by name, so the call
// that closes it is looked up too.
void CloseThemeHandle(HTHEME theme);
using ThemeKind = DestroyedBy<HTHEME, CloseThemeHandle, HandleGroup::Gdi>;

// A DC the system lends for a window; it goes back with that window.
struct WindowDCKind {
    using Handle = HDC;
    static constexpr HandleGroup kGroup = HandleGroup::Gdi;
    HWND window = nullptr;
    void Free(HDC dc) const { ::ReleaseDC(window, dc); }
};

// ---- The owners

// A GDI object (font, brush, pen, bitmap, region) that we created.
template <class H>
using GdiObject = Owned<GdiObjectKind<H>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

using ImageListHandle = Owned<ImageListKind>;
// An icon or cursor we created or loaded unshared (shared ones are never freed).
using Icon = Owned<IconKind>;
using Cursor = Owned<CursorKind>;
// A menu not attached to a window (a window frees its own menu bar).
using Menu = Owned<MenuKind>;
using Hook = Owned<HookKind>;
using Theme = Owned<ThemeKind>;

// A memory device context, compatible with the given one (or the screen).
class MemoryDC : public Owned<MemoryDCKind> {
public:
    explicit MemoryDC(HDC compatibleWith = nullptr) : Owned(::CreateCompatibleDC(compatibleWith)) {}
};

// The DC of a window's client area, or of the screen for a null window.
class WindowDC : public Owned<WindowDCKind> {
public:
    explicit WindowDC(HWND window = nullptr) : Owned(::GetDC(window), {window}) {}
};

// The DC of a whole window, frame included.
class NonClientDC : public Owned<WindowDCKind> {
public:
    explicit NonClientDC(HWND window) : Owned(::GetWindowDC(window), {window}) {}
};

// Selects an object into a DC and puts the previous one back on exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { ::SelectObject(FDC, FOld); }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Saves a DC's whole state (clip region, mapping, colours) and restores it.
class SaveDCGuard {
public:
    explicit SaveDCGuard(HDC dc) : FDC(dc), FSaved(::SaveDC(dc)) {}
    SaveDCGuard(const SaveDCGuard&) = delete;
    SaveDCGuard& operator=(const SaveDCGuard&) = delete;
    ~SaveDCGuard() { ::RestoreDC(FDC, FSaved); }

private:
    HDC FDC;
    int FSaved;
};

// A window's paint between BeginPaint and EndPaint; the paint ends on exit,
// also when drawing fails.
class PaintDC {
public:
    explicit PaintDC(HWND window) : FWindow(window), FDC(::BeginPaint(window, &FPaint)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(FWindow, &FPaint); }
    HDC Get() const { return FDC; }
    const RECT& UpdateRect() const { return FPaint.rcPaint; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

}  // namespace forms
