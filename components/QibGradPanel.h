// A panel whose background runs from one colour at the left edge to another
// at the right, in 255 vertical bands; framed and captioned like any panel.
#pragma once

#include <array>

#include "forms/ExtCtrls.h"

namespace components {

class TQibGradPanel : public forms::TCustomPanel {
public:
    explicit TQibGradPanel(forms::TComponent* owner);
    const char* ClassName() const override { return "TQibGradPanel"; }

    forms::TColor BeginColor() const { return FGradientBegin; }
    forms::TColor EndColor() const { return FGradientEnd; }
    // A new colour repaints; the same one does nothing.
    void UpdateBeginColor(forms::TColor color);
    void UpdateEndColor(forms::TColor color);

    // The colour of band i (0 = the begin colour, 254 = the end colour),
    // as the last paint computed it.
    COLORREF BandColor(int i) const { return FBandColors[std::size_t(i)]; }

    const forms::PropertyTable& StoredProperties() const override;

protected:
    // The gradient covers the whole control; bevels, border and caption
    // are drawn over it.
    void PaintBackground(forms::TCanvas& canvas) override;

private:
    void CalculateColors();
    void PaintGradient(forms::TCanvas& canvas, int width, int height);

    forms::TColor FGradientBegin = forms::clAqua;
    forms::TColor FGradientEnd = forms::clBlue;
    std::array<COLORREF, 256> FBandColors{};
    int FColorSteps = 255;
};

}  // namespace components
