// The painters that draw docks, toolbars and their items; the manager's
// Style chooses one. They keep no state: every call names what it draws.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "bars/dxBarControl.h"
#include "bars/dxBarTypes.h"
#include "controls/cxGraphics.h"

namespace bars {

class TdxBarPainter {
public:
    TdxBarPainter() = default;
    TdxBarPainter(const TdxBarPainter&) = delete;
    TdxBarPainter& operator=(const TdxBarPainter&) = delete;
    virtual ~TdxBarPainter() = default;
    virtual const char* ClassName() const { return "TdxBarPainter"; }

    // Borders (left, top, right, bottom) of a docked bar window.
    virtual RECT BarBorderWidths(const TdxBarControl& bar, TdxBarDockingStyle style) const;
    virtual int MarkWidth(const TdxBarControl& bar) const;
    // Room for the separator before a link that begins a group.
    virtual int BeginGroupSize() const { return 6; }
    // Space between two rows of a dock.
    virtual int DockRowSeparator() const { return 0; }
    // Content size of a bar without visible links.
    virtual SIZE EmptyBarContentSize() const { return {23, 22}; }
    // Caption width as buttons measure it ("&" marks an accelerator).
    virtual int TextWidth(HDC dc, const std::string& text) const;

    virtual bool DrawsDisabledGlyphsFaded(const TdxBarGlyphOptions& options) const;
    virtual controls::ImageDrawMode GlyphDrawMode(const TdxBarButtonDrawState& state) const;

    virtual void DrawDockBackground(const TdxDockControl& dock, HDC dc, const RECT& rect) const;
    virtual void FillBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const;
    // The non-client frame of a bar with borders.
    virtual void DrawBarBorders(TdxBarControl& bar, HDC dc, const RECT& window) const;
    virtual void DrawButtonItem(HDC dc, const TdxBarButtonDrawState& state) const;
    virtual void DrawLargeButtonItem(HDC dc, const TdxBarButtonDrawState& state) const;

protected:
    void DrawGlyph(HDC dc, const TdxBarButtonDrawState& state) const;
    void DrawCaption(HDC dc, const TdxBarButtonDrawState& state) const;
};

class TdxBarStandardPainter : public TdxBarPainter {
public:
    const char* ClassName() const override { return "TdxBarStandardPainter"; }
};

class TdxBarEnhancedPainter : public TdxBarStandardPainter {
public:
    const char* ClassName() const override { return "TdxBarEnhancedPainter"; }
};

class TdxBarFlatPainter : public TdxBarPainter {
public:
    const char* ClassName() const override { return "TdxBarFlatPainter"; }
};

class TdxBarXPPainter : public TdxBarFlatPainter {
public:
    const char* ClassName() const override { return "TdxBarXPPainter"; }
};

// The Office 2003 look: disabled pictures are always faded.
class TdxBarOffice11Painter : public TdxBarFlatPainter {
public:
    const char* ClassName() const override { return "TdxBarOffice11Painter"; }
    bool DrawsDisabledGlyphsFaded(const TdxBarGlyphOptions&) const override { return true; }
};

template <class T>
std::unique_ptr<TdxBarPainter> MakePainter() {
    return std::make_unique<T>();
}

}  // namespace bars
