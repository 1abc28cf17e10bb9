#include "bars/dxBarPainters.h"

#include "bars/dxBarDock.h"
#include "bars/dxBarToolbar.h"
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

controls::ImageDrawMode TdxBarPainter::GlyphDrawMode(const TdxBarButtonDrawState& state) const {
    // A picture from a disabled list already looks disabled.
    if (!state.enabled && !state.pictureLooksDisabled)
        return DrawsDisabledGlyphsFaded(state.glyphOptions) ? controls::ImageDrawMode::Faded
                                                            : controls::ImageDrawMode::Disabled;
    if (state.grayPicture) return controls::ImageDrawMode::Grayscale;
    return controls::ImageDrawMode::Normal;
}

void TdxBarPainter::DrawDockBackground(const TdxDockControl& dock, HDC dc, const RECT& rect) const {
    if (::IsRectEmpty(&rect)) return;
    TCanvas(dc).FillRect(rect, dock.Color());
}

void TdxBarPainter::FillBarBackground(TdxBarControl& bar, HDC dc, const RECT& rect) const {
    TColor color = bar.Bar().Color() != clDefault ? bar.Bar().Color() : bar.DockControl().Color();
    TCanvas(dc).FillRect(rect, color);
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

void TdxBarPainter::DrawGlyph(HDC dc, const TdxBarButtonDrawState& state) const {
    const TdxBarGlyphSource& source = state.picture;
    const TdxBarGlyphOptions& options = state.glyphOptions;
    const RECT& rect = state.parts.glyph;
    controls::DrawImage(dc, rect, rect, source.glyph, source.images, source.index, GlyphDrawMode(state),
                        options.smooth, nullptr, source.images ? options.listBkColor : clNone,
                        options.useLeftBottomPixelAsTransparent);
}

void TdxBarPainter::DrawCaption(HDC dc, const TdxBarButtonDrawState& state) const {
    COLORREF color = state.enabled ? ColorToRGB(state.textColor) : ::GetSysColor(COLOR_GRAYTEXT);
    int mode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF old = ::SetTextColor(dc, color);
    RECT rect = state.parts.caption;
    ::DrawTextA(dc, state.caption.c_str(), static_cast<int>(state.caption.size()), &rect,
                DT_SINGLELINE | DT_NOCLIP | DT_VCENTER | state.parts.alignment);
    ::SetTextColor(dc, old);
    ::SetBkMode(dc, mode);
}

void TdxBarPainter::DrawButtonItem(HDC dc, const TdxBarButtonDrawState& state) const {
    if (state.fillBackground) state.fillBackground(dc, state.rect);
    if (!::IsRectEmpty(&state.parts.glyph)) DrawGlyph(dc, state);
    if (!::IsRectEmpty(&state.parts.caption)) DrawCaption(dc, state);
}

void TdxBarPainter::DrawLargeButtonItem(HDC dc, const TdxBarButtonDrawState& state) const {
    DrawButtonItem(dc, state);
}

}  // namespace bars
