#include "bars/dxBarPainters.h"

#include "bars/dxBarDock.h"
#include "bars/dxBarToolbar.h"
#include "bars/dxOffice11.h"
#include "forms/Handles.h"

using namespace forms;

namespace bars {

namespace {
constexpr int kBorder = 2;
constexpr int kGrip = 5;
constexpr int kSizeGrip = 12;
}  // namespace

RECT TdxBarPainter::BarBorderWidths(const TdxBarControl& bar, TdxBarDockingStyle style) const {
    const TdxBar& b = bar.Bar();
    if (b.BorderStyle() == TdxBarBorderStyle::None) {
        // A whole-row bar at the bottom is a status bar, framed all round.
        if (style != TdxBarDockingStyle::Bottom || !b.WholeRow()) return {0, 0, 0, 0};
        return {kBorder, kBorder, kBorder + (b.SizeGrip() ? kSizeGrip : 0), kBorder};
    }
    RECT r{kBorder, kBorder, kBorder, kBorder};
    (IsVertical(style) ? r.top : r.left) += kGrip;
    return r;
}

int TdxBarPainter::MarkWidth(const TdxBarControl&) const { return 11; }

int TdxBarPainter::TextWidth(HDC dc, const std::string& text) const {
    RECT r{0, 0, 0, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

bool TdxBarPainter::DrawsDisabledGlyphsFaded(const TdxBarGlyphOptions& options) const {
    return options.makeDisabledFaded;
}

controls::ImageDrawMode TdxBarPainter::GlyphDrawMode(const TdxBarButtonLikeControlDrawParams& params) const {
    // A picture from a disabled list already looks disabled.
    const bool enabledLook = params.enabled || params.pictureLooksDisabled;
    if (!enabledLook)
        return DrawsDisabledGlyphsFaded(params.glyphOptions) ? controls::ImageDrawMode::Faded
                                                             : controls::ImageDrawMode::Disabled;
    if (params.grayRequest) return controls::ImageDrawMode::Grayscale;
    if (DrawsShadowedGlyphs() && params.selected && !params.pressed && !params.down)
        return controls::ImageDrawMode::Shadowed;
    if (DrawsPaleGlyphs() && !params.selected && !params.down) return controls::ImageDrawMode::Pale;
    return controls::ImageDrawMode::Normal;
}

// ---- Docks and bars

void TdxBarPainter::DrawDockBackground(TdxDockControl& dock, HDC dc, const RECT& dest, const RECT&) const {
    if (::IsRectEmpty(&dest)) return;
    TCanvas(dc).FillRect(dest, dock.Color());
}

void TdxBarPainter::FillBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const {
    if (bar.Bar().Color() != clDefault) {
        TCanvas(dc).FillRect(rect, bar.Bar().Color());
        return;
    }
    DrawDockedBarBackground(bar, dc, rect);
}

void TdxBarPainter::DrawDockedBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const {
    TCanvas(dc).FillRect(rect, bar.DockControl().Color());
}

void TdxBarPainter::DrawBarBorders(TdxBarControl& bar, HDC dc, const RECT& window) const {
    TColor color = bar.Bar().Color() != clDefault ? bar.Bar().Color() : bar.DockControl().Color();
    RECT b = bar.BorderWidths(bar.DockingStyle());
    RECT inner{window.left + b.left, window.top + b.top, window.right - b.right, window.bottom - b.bottom};
    SaveDCGuard saved(dc);
    ::ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    TCanvas(dc).FillRect(window, color);
    RECT edge = window;
    ::DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    if (bar.Bar().BorderStyle() == TdxBarBorderStyle::Single) {
        // The grip: two raised lines across the leading end.
        bool vertical = bar.Vertical();
        for (int i = 0; i < 2; ++i) {
            RECT line = vertical ? RECT{kBorder + 1, kBorder + 1 + 2 * i, window.right - kBorder - 1, kBorder + 3 + 2 * i}
                                 : RECT{kBorder + 1 + 2 * i, kBorder + 1, kBorder + 3 + 2 * i, window.bottom - kBorder - 1};
            ::DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
        }
    }
}

// ---- Buttons

void TdxBarPainter::OffsetPressedContent(const TdxBarButtonLikeControlDrawParams& params, RECT& rect) const {
    if ((params.pressed || params.down) && !SuppressPressedOffset()) ::OffsetRect(&rect, 1, 1);
}

void TdxBarPainter::DrawButtonItem(HDC dc, const TdxBarButtonLikeControlDrawParams& params) const {
    if (::IsRectEmpty(&params.rect)) return;
    if (params.lowered) {
        RECT sunken = params.rect;
        ::DrawEdge(dc, &sunken, BDR_SUNKENOUTER, BF_RECT);
    }
    // A drop-down part would take its share off the face.
    DrawButtonParts(dc, params, params.rect);
    if (!::IsRectEmpty(&params.parts.caption)) {
        RECT caption = params.parts.caption;
        const UINT alignment = GetCaptionRect(params, caption);
        OffsetPressedContent(params, caption);
        DrawItemText(dc, params, caption, alignment);
    }
}

void TdxBarPainter::DrawButtonParts(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face) const {
    const bool noPicture = !params.picture || ::IsRectEmpty(&params.parts.glyph);
    RECT glyph = params.parts.glyph;
    OffsetPressedContent(params, glyph);
    DrawButtonFaceAndGlyph(dc, params, face, glyph, noPicture);
}

void TdxBarPainter::DrawButtonFaceAndGlyph(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                                           const RECT& glyph, bool noPicture) const {
    const SIZE picture = noPicture ? params.imageSize : SIZE{glyph.right - glyph.left, glyph.bottom - glyph.top};
    const bool ring = face.right - face.left >= picture.cx + 2 && face.bottom - face.top >= picture.cy + 2;
    DrawButtonFace(dc, params, face, ring);
    RECT background = face;
    if (ring) ::InflateRect(&background, -1, -1);
    if (!noPicture) DrawItemGlyph(dc, params, glyph, background, nullptr);
}

void TdxBarPainter::DrawButtonFace(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                                   bool) const {
    FillItemBackground(dc, params, false, nullptr, face);
    RECT edge = face;
    if (params.pressed || params.down) ::DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    else if (params.selected) ::DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
}

void TdxBarPainter::FillItemBackground(HDC dc, const TdxBarButtonLikeControlDrawParams& params, bool active,
                                       HBRUSH brush, const RECT& rect) const {
    if (active) ::FillRect(dc, &rect, brush);
    else if (params.fillBackground) params.fillBackground(dc, rect);
}

void TdxBarPainter::FrameItemBackground(HDC dc, const TdxBarButtonLikeControlDrawParams& params, bool active,
                                        HBRUSH brush, const RECT& rect) const {
    if (active) {
        ::FrameRect(dc, &rect, brush);
        return;
    }
    // The four sides of the ring, each painted on its own.
    const RECT sides[] = {{rect.left, rect.top, rect.right, rect.top + 1},
                          {rect.left, rect.bottom - 1, rect.right, rect.bottom},
                          {rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1},
                          {rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1}};
    for (const RECT& side : sides)
        if (!::IsRectEmpty(&side)) FillItemBackground(dc, params, false, nullptr, side);
}

UINT TdxBarPainter::GetCaptionRect(const TdxBarButtonLikeControlDrawParams& params, RECT&) const {
    return params.parts.alignment;
}

COLORREF TdxBarPainter::GetItemTextColor(const TdxBarButtonLikeControlDrawParams& params) const {
    return ColorToRGB(params.textColor);
}

void TdxBarPainter::GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const {
    text = ::GetSysColor(COLOR_GRAYTEXT);
    emboss = ::GetSysColor(COLOR_BTNHIGHLIGHT);
}

void TdxBarPainter::GetItemTextColors(const TdxBarButtonLikeControlDrawParams& params, COLORREF& text,
                                      COLORREF& emboss) const {
    if (params.enabled) text = emboss = GetItemTextColor(params);
    else GetDisabledItemTextColors(text, emboss);
}

void TdxBarPainter::DrawItemText(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& rect,
                                 UINT alignment) const {
    COLORREF text, emboss;
    GetItemTextColors(params, text, emboss);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF old = ::GetTextColor(dc);
    const UINT format = DT_SINGLELINE | DT_NOCLIP | DT_VCENTER | alignment;
    const int length = static_cast<int>(params.caption.size());
    if (emboss != text) {
        RECT shifted = rect;
        ::OffsetRect(&shifted, 1, 1);
        ::SetTextColor(dc, emboss);
        ::DrawTextA(dc, params.caption.c_str(), length, &shifted, format);
    }
    RECT r = rect;
    ::SetTextColor(dc, text);
    ::DrawTextA(dc, params.caption.c_str(), length, &r, format);
    ::SetTextColor(dc, old);
    ::SetBkMode(dc, mode);
}

void TdxBarPainter::DrawItemGlyph(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& glyph,
                                  const RECT& background, HBRUSH brush) const {
    const TdxBarGlyphSource& source = params.picture;
    const TdxBarGlyphOptions& options = params.glyphOptions;
    const controls::ImageDrawMode mode = GlyphDrawMode(params);
    const TColor transparent = source.images ? options.listBkColor : clNone;
    TdxCachedImageOptions* cache = params.glyphCache;
    if (!cache || !options.cacheGlyphs || mode == controls::ImageDrawMode::Shadowed) {
        controls::DrawImage(dc, glyph, background, source.glyph, source.images, source.index, mode, options.smooth,
                            brush, transparent, options.useLeftBottomPixelAsTransparent);
        return;
    }
    const int width = glyph.right - glyph.left, height = glyph.bottom - glyph.top;
    if (width <= 0 || height <= 0) return;
    const bool matches = cache->Valid && cache->Mode == mode && !cache->Glyph.Empty() &&
                         (source.glyph ? cache->Bitmap == source.glyph : cache->Images == source.images);
    if (!matches) {
        // Composed once over transparent black: what the mode leaves of the
        // picture, with its alpha, laid down as it stands from now on.
        cache->Glyph.SetSize(width, height);
        cache->Glyph.Clear();
        {
            MemoryDC composeDC;
            SelectGuard select(composeDC.Get(), cache->Glyph.Handle());
            const RECT whole{0, 0, width, height};
            controls::DrawImage(composeDC.Get(), whole, whole, source.glyph, source.images, source.index, mode,
                                options.smooth, nullptr, transparent, options.useLeftBottomPixelAsTransparent);
            ::GdiFlush();
        }
        cache->Mode = mode;
        cache->Images = source.glyph ? nullptr : source.images;
        cache->Bitmap = source.glyph;
        cache->Valid = true;
        ++cache->Compositions;
    }
    controls::DrawImage(dc, glyph, background, &cache->Glyph, nullptr, -1, controls::ImageDrawMode::Normal,
                        options.smooth, brush, transparent, options.useLeftBottomPixelAsTransparent);
}

// ---- Flat

void TdxBarFlatPainter::GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const {
    text = emboss = ::GetSysColor(COLOR_GRAYTEXT);
}

// ---- Office 2003

void TdxBarOffice11Painter::DrawDockBackground(TdxDockControl& dock, HDC dc, const RECT& dest,
                                               const RECT& source) const {
    const RECT client = dock.ClientRect();
    if (::IsRectEmpty(&client) || ::IsRectEmpty(&dest)) return;
    TOffscreenBitmap& cache = dock.CachedBackground();
    if (cache.Empty()) {
        cache.SetSize(client.right, client.bottom);
        if (cache.Empty()) return;
        const TOffice11Palette& palette = Office11Palette();
        COLORREF c1 = palette.DockStart, c2 = palette.DockEnd;
        if (dock.DockingStyle() == TdxBarDockingStyle::Left) c2 = c1;
        else if (dock.DockingStyle() == TdxBarDockingStyle::Right) c1 = c2;
        FillLinearGradient(cache.DC(), {0, 0, client.right, client.bottom}, c1, c2, true);
    }
    ::BitBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, cache.DC(), source.left,
             source.top, SRCCOPY);
}

void TdxBarOffice11Painter::DrawDockedBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const {
    const TdxBar& b = bar.Bar();
    if (b.BorderStyle() == TdxBarBorderStyle::None || b.IsMainMenu()) {
        // The bar shows exactly the dock pixels it covers: no seam.
        RECT source = rect;
        ::OffsetRect(&source, bar.Left(), bar.Top());
        bar.DockControl().FillDockBackground(dc, rect, source);
        return;
    }
    const TOffice11Palette& palette = Office11Palette();
    FillMidpointGradient(dc, rect, palette.ToolbarLight, palette.ToolbarDark, bar.Vertical());
}

void TdxBarOffice11Painter::DrawButtonFace(HDC dc, const TdxBarButtonLikeControlDrawParams& params, const RECT& face,
                                           bool ring) const {
    const TOffice11Palette& palette = Office11Palette();
    const bool menuRow = params.paintType == 1;
    const bool active = params.selected || params.down || params.pressed;
    const bool horizontal = params.paintType == 2;
    if (params.droppedDown && !params.down) {
        FillLinearGradient(dc, face, palette.ToolbarLight, palette.ToolbarDark, horizontal);
    } else if (active && !menuRow) {
        if (params.pressed || params.selected) {
            if (params.pressed || params.down)
                FillLinearGradient(dc, face, palette.PressedDark, palette.PressedLight, horizontal);
            else
                FillLinearGradient(dc, face, palette.HotTop, palette.HotBottom, horizontal);
        } else if (palette.PressedLight == palette.PressedDark) {
            FillSolid(dc, face, palette.CheckedFill);
        } else {
            FillLinearGradient(dc, face, palette.PressedLight, palette.PressedDark, horizontal);
        }
    } else {
        FillItemBackground(dc, params, false, nullptr, face);
    }
    if (params.down || (params.selected && !menuRow) || params.droppedDown) DrawSelectionFrame(dc, face);
    else if (ring) FrameItemBackground(dc, params, false, nullptr, face);
}

COLORREF TdxBarOffice11Painter::GetItemTextColor(const TdxBarButtonLikeControlDrawParams& params) const {
    // Under high contrast a hot or pressed face is the highlight colour.
    if (HighContrast() && (params.selected || params.pressed || params.down || params.droppedDown))
        return ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    return Office11Palette().Text;
}

void TdxBarOffice11Painter::GetDisabledItemTextColors(COLORREF& text, COLORREF& emboss) const {
    text = emboss = Office11Palette().TextDisabled;
}

}  // namespace bars
