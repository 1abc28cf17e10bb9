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

    // ---- Bars and docks
    // A bar window paints its background before its items, not after.
    virtual bool PaintsBackgroundFirst() const { return false; }
    // A bar window asks for an off-screen buffer even without a reason of
    // its own.
    virtual bool BarWantsBuffer(const TdxBarControl&) const { return false; }
    // Docks and bars carry a background the style draws.
    virtual bool DrawsStyledBackground() const { return false; }
    // Paints part of a dock: Dest in the DC shows the dock surface from
    // Source's top-left corner on (dock client coordinates).
    virtual void DrawDockBackground(TdxDockControl& dock, HDC dc, const RECT& dest, const RECT& source) const;
    // The background of a bar window: its own colour, else what it shows
    // of its dock.
    virtual void FillBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const;
    virtual void DrawDockedBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const;
    // The non-client frame of a bar with borders.
    virtual void DrawBarBorders(TdxBarControl& bar, HDC dc, const RECT& window) const;

    // ---- Buttons
    virtual void DrawButtonItem(HDC dc, const TdxBarButtonLikeControlDrawParams& params) const;
    virtual void DrawButtonParts(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face) const;
    virtual void DrawButtonFaceAndGlyph(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                                        const RECT& glyph, bool noPicture) const;
    // Background and frame of a button in its state; `ring`: the face is
    // larger than the picture, so a one-pixel ring shows around it.
    virtual void DrawButtonFace(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                                bool ring) const;
    // Active: fill with the brush; otherwise the bar's background shows.
    virtual void FillItemBackground(HDC dc, const TdxBarButtonLikeControlDrawParams& params, bool active,
                                    HBRUSH brush, const RECT& rect) const;
    // The same for the one-pixel ring of the rectangle only.
    virtual void FrameItemBackground(HDC dc, const TdxBarButtonLikeControlDrawParams& params, bool active,
                                     HBRUSH brush, const RECT& rect) const;
    // The caption's rectangle (in: the layout's) and its alignment.
    virtual UINT GetCaptionRect(const TdxBarButtonLikeControlDrawParams& params, RECT& caption) const;
    virtual COLORREF GetItemTextColor(const TdxBarButtonLikeControlDrawParams& params) const;
    virtual void GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const;
    void GetItemTextColors(const TdxBarButtonLikeControlDrawParams& params, COLORREF& text, COLORREF& emboss) const;
    virtual void DrawItemText(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& rect,
                              UINT alignment) const;
    // Composes the picture into G over K through the control's cache.
    virtual void DrawItemGlyph(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& glyph,
                               const RECT& background, HBRUSH brush) const;
    virtual bool DrawsDisabledGlyphsFaded(const TdxBarGlyphOptions& options) const;
    virtual controls::ImageDrawMode GlyphDrawMode(const TdxBarButtonLikeControlDrawParams& params) const;
    virtual bool DrawsPaleGlyphs() const { return false; }
    virtual bool DrawsShadowedGlyphs() const { return false; }
    // The picture goes over the face already painted, not over a brush.
    virtual bool GlyphOverPaintedFace() const { return DrawsStyledBackground(); }
    // The content of a pressed button stays where it is.
    virtual bool SuppressPressedOffset() const { return false; }
    // Moves the content of a pressed or down button by (1, 1).
    void OffsetPressedContent(const TdxBarButtonLikeControlDrawParams& params, RECT& rect) const;
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
    bool SuppressPressedOffset() const override { return true; }
    void GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const override;
};

class TdxBarXPPainter : public TdxBarFlatPainter {
public:
    const char* ClassName() const override { return "TdxBarXPPainter"; }
};

// The Office 2003 look: the palette's gradients on docks, bars and button
// faces; disabled pictures are always faded.
class TdxBarOffice11Painter : public TdxBarFlatPainter {
public:
    const char* ClassName() const override { return "TdxBarOffice11Painter"; }
    bool DrawsStyledBackground() const override { return true; }
    bool DrawsDisabledGlyphsFaded(const TdxBarGlyphOptions&) const override { return true; }
    void DrawDockBackground(TdxDockControl& dock, HDC dc, const RECT& dest, const RECT& source) const override;
    void DrawDockedBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const override;
    void DrawButtonFace(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                        bool ring) const override;
    COLORREF GetItemTextColor(const TdxBarButtonLikeControlDrawParams& params) const override;
    void GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const override;
};

template <class T>
std::unique_ptr<TdxBarPainter> MakePainter() {
    return std::make_unique<T>();
}

}  // namespace bars
