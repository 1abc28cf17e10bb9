// Owners for GDI and USER handles. Each is move-only, frees its handle when
// it dies and has no implicit conversion to the raw handle. Every live
// handle is counted so that tests and benchmarks can see a leak (the
// system's own GUI-resource count is not available everywhere).
#pragma once

#include <windows.h>

#include <utility>

namespace forms {

// Live handles created through these owners.
struct HandleCount {
    long gdi = 0;   // fonts, brushes, pens, bitmaps, regions, memory DCs
    long user = 0;  // windows, icons, cursors we created, menus
};
HandleCount LiveHandles();

namespace detail {
void CountGdi(long delta);
void CountUser(long delta);
}  // namespace detail

// A GDI object (font, brush, pen, bitmap, region) that we created.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : FHandle(handle) {
        if (FHandle) detail::CountGdi(1);
    }
    GdiObject(GdiObject&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { Reset(); }

    H Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Reset(H handle = nullptr) {
        if (FHandle) {
            ::DeleteObject(FHandle);
            detail::CountGdi(-1);
        }
        FHandle = handle;
        if (FHandle) detail::CountGdi(1);
    }
    // Hands the handle over to someone who frees it (an image list, say).
    H Release() {
        if (FHandle) detail::CountGdi(-1);
        return std::exchange(FHandle, nullptr);
    }

private:
    H FHandle = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// A memory device context, compatible with the given one (or the screen).
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith = nullptr);
    MemoryDC(MemoryDC&& other) noexcept : FDC(std::exchange(other.FDC, nullptr)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept;
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC();
    HDC Get() const { return FDC; }

private:
    HDC FDC = nullptr;
};

// The DC of a window (or of the screen for a null window), released on exit.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr);
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC();
    HDC Get() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
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

// An icon we created or loaded unshared.
class Icon {
public:
    Icon() = default;
    explicit Icon(HICON handle) : FHandle(handle) {
        if (FHandle) detail::CountUser(1);
    }
    Icon(Icon&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    Icon& operator=(Icon&& other) noexcept;
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    ~Icon() { Reset(); }
    HICON Get() const { return FHandle; }
    void Reset();

private:
    HICON FHandle = nullptr;
};

}  // namespace forms
