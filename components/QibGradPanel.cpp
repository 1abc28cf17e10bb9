#include "components/QibGradPanel.h"

#include "forms/Properties.h"

using namespace forms;

namespace components {

// The caption is centred, as on any panel; setting the alignment repaints
// even when it does not change.
TQibGradPanel::TQibGradPanel(TComponent* owner) : TCustomPanel(owner) {}

void TQibGradPanel::UpdateBeginColor(TColor color) {
    if (color == FGradientBegin) return;
    FGradientBegin = color;
    Invalidate();
}

void TQibGradPanel::UpdateEndColor(TColor color) {
    if (color == FGradientEnd) return;
    FGradientEnd = color;
    Invalidate();
}

void TQibGradPanel::CalculateColors() {
    // Under high contrast the system's face colour stands in for ours.
    const COLORREF begin = ColorToRGB(SchemeColor(FGradientBegin, clBtnFace));
    const COLORREF end = ColorToRGB(SchemeColor(FGradientEnd, clBtnFace));
    auto channel = [&](int i, int shift) {
        int b = int(begin >> shift & 0xFF), e = int(end >> shift & 0xFF);
        return COLORREF(b + forms::MulDiv(i, e - b, FColorSteps - 1)) << shift;
    };
    for (int i = 0; i < FColorSteps; ++i)
        FBandColors[std::size_t(i)] = channel(i, 0) | channel(i, 8) | channel(i, 16);
}

void TQibGradPanel::PaintGradient(TCanvas& canvas, int width, int height) {
    CalculateColors();
    if (width <= 0 || height <= 0) return;
    // Bands go to a bitmap first so that the screen never shows them half drawn.
    TOffscreenBitmap buffer;
    buffer.SetSize(width, height);
    if (buffer.Empty()) return;
    TCanvas bands(buffer.DC());
    for (int i = 0; i < FColorSteps; ++i) {
        RECT r{forms::MulDiv(i, width, FColorSteps), 0, forms::MulDiv(i + 1, width, FColorSteps), height};
        if (r.right > r.left) bands.FillRect(r, FBandColors[std::size_t(i)]);
    }
    ::BitBlt(canvas.Handle(), 0, 0, width, height, buffer.DC(), 0, 0, SRCCOPY);
}

void TQibGradPanel::PaintBackground(TCanvas& canvas) { PaintGradient(canvas, Width(), Height()); }

const PropertyTable& TQibGradPanel::StoredProperties() const {
    using G = TQibGradPanel;
    using P = Describe<G>;
    static const PropertyTable table(TCustomPanel::StoredProperties(), {
        P::Property("BeginColor", kColor, &G::BeginColor, &G::UpdateBeginColor, clAqua),
        P::Property("EndColor", kColor, &G::EndColor, &G::UpdateEndColor, clBlue),
    });
    return table;
}

}  // namespace components
