// Windowless text label.
#pragma once

#include "forms/Controls.h"

namespace forms {

enum class TTextLayout { Top, Center, Bottom };

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool show);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);

    void Paint(TCanvas& canvas) override;
    const PropertyTable& StoredProperties() const override;

protected:
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;
    // Fits the bounds to the text when AutoSize is on.
    void AdjustBounds();
    UINT TextFormat() const;

private:
    bool FAutoSize = true;
    bool FTransparent = false;
    TAlignment FAlignment = TAlignment::LeftJustify;
    bool FShowAccelChar = true;
    bool FWordWrap = false;
    TTextLayout FLayout = TTextLayout::Top;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
    const char* ClassName() const override { return "TLabel"; }
};

}  // namespace forms
