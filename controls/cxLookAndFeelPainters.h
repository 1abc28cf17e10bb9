// Painters: sets of drawing operations for one look, with no data of
// their own. A painter class is passed around as the address of its one
// constant object (`TcxLookAndFeelPainterClass`), which stands for the
// class and holds nothing.
#pragma once

#include <windows.h>

#include <string>

#include "forms/Graphics.h"

namespace controls {

// The painting state of a push button.
enum class TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };

// What PainterStyle answers.
inline constexpr int cxPainterStyleFlat = 0, cxPainterStyleStandard = 1, cxPainterStyleUltraFlat = 2,
                     cxPainterStyleNative = 3, cxPainterStyleOffice11 = 4;

class TcxCustomLookAndFeelPainter;
using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

class TcxCustomLookAndFeelPainter {
public:
    TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
    TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;

    virtual int PainterStyle() const { return cxPainterStyleStandard; }
    virtual bool TracksHotButtons() const = 0;
    // The width of the frame around a button face in a state.
    virtual int ButtonFrameWidth(TcxButtonState state) const = 0;
    virtual forms::TColor ButtonFaceColor(TcxButtonState state) const = 0;
    // `byDefault`: the caption's own colour, or clDefault.
    virtual forms::TColor ButtonCaptionColor(TcxButtonState state, forms::TColor byDefault = forms::clDefault) const = 0;
    // How far a pressed caption moves right and down.
    virtual int PressedCaptionShift() const = 0;
    // Where the focus rectangle of a button in `r` goes.
    virtual RECT ButtonFocusBounds(HDC dc, const RECT& r) const = 0;
    virtual void PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const = 0;
    // The frame (when `frame`), the face and a caption centred on it.
    // Colours clDefault: the painter's own for the state.
    virtual void PaintButtonFace(forms::TCanvas& canvas, const forms::TFont& font, RECT r, const std::string& caption,
                                 TcxButtonState state, bool frame = true, forms::TColor faceColor = forms::clDefault,
                                 forms::TColor captionColor = forms::clDefault, bool wordWrap = false,
                                 bool toolButton = false) const = 0;

protected:
    constexpr TcxCustomLookAndFeelPainter() = default;
    ~TcxCustomLookAndFeelPainter() = default;
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static TcxLookAndFeelPainterClass Class();

    int PainterStyle() const override { return cxPainterStyleStandard; }
    bool TracksHotButtons() const override { return false; }
    int ButtonFrameWidth(TcxButtonState state) const override;
    forms::TColor ButtonFaceColor(TcxButtonState state) const override;
    forms::TColor ButtonCaptionColor(TcxButtonState state, forms::TColor byDefault = forms::clDefault) const override;
    int PressedCaptionShift() const override { return 1; }
    RECT ButtonFocusBounds(HDC dc, const RECT& r) const override;
    void PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const override;
    void PaintButtonFace(forms::TCanvas& canvas, const forms::TFont& font, RECT r, const std::string& caption,
                         TcxButtonState state, bool frame = true, forms::TColor faceColor = forms::clDefault,
                         forms::TColor captionColor = forms::clDefault, bool wordWrap = false,
                         bool toolButton = false) const override;

protected:
    constexpr TcxStandardLookAndFeelPainter() = default;
};

class TcxFlatLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static TcxLookAndFeelPainterClass Class();

    int PainterStyle() const override { return cxPainterStyleFlat; }
    int ButtonFrameWidth(TcxButtonState state) const override;
    void PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const override;

protected:
    constexpr TcxFlatLookAndFeelPainter() = default;
};

class TcxUltraFlatLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static TcxLookAndFeelPainterClass Class();

    int PainterStyle() const override { return cxPainterStyleUltraFlat; }
    bool TracksHotButtons() const override { return true; }
    int ButtonFrameWidth(TcxButtonState state) const override;
    forms::TColor ButtonFaceColor(TcxButtonState state) const override;
    forms::TColor ButtonCaptionColor(TcxButtonState state, forms::TColor byDefault = forms::clDefault) const override;
    int PressedCaptionShift() const override { return 0; }
    RECT ButtonFocusBounds(HDC dc, const RECT& r) const override;
    void PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const override;

protected:
    constexpr TcxUltraFlatLookAndFeelPainter() = default;
};

class TcxOffice11LookAndFeelPainter : public TcxUltraFlatLookAndFeelPainter {
public:
    static TcxLookAndFeelPainterClass Class();

    int PainterStyle() const override { return cxPainterStyleOffice11; }

protected:
    constexpr TcxOffice11LookAndFeelPainter() = default;
};

// Draws through the visual style's "Button" class; while that does not
// open, like the standard painter with a 2-pixel frame, no caption shift
// and hot tracking.
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static TcxLookAndFeelPainterClass Class();

    int PainterStyle() const override { return cxPainterStyleNative; }
    bool TracksHotButtons() const override { return true; }
    int ButtonFrameWidth(TcxButtonState state) const override;
    forms::TColor ButtonCaptionColor(TcxButtonState state, forms::TColor byDefault = forms::clDefault) const override;
    int PressedCaptionShift() const override { return 0; }
    RECT ButtonFocusBounds(HDC dc, const RECT& r) const override;
    void PaintButtonFace(forms::TCanvas& canvas, const forms::TFont& font, RECT r, const std::string& caption,
                         TcxButtonState state, bool frame = true, forms::TColor faceColor = forms::clDefault,
                         forms::TColor captionColor = forms::clDefault, bool wordWrap = false,
                         bool toolButton = false) const override;

    // The push-button state id of the "Button" class for a painting state.
    static int ButtonStateId(TcxButtonState state);

protected:
    constexpr TcxWinXPLookAndFeelPainter() = default;
};

// The face colours of the flat look with the pointer over a button and
// while it is pressed, from the current system colours.
forms::TColor UltraFlatHotColor();
forms::TColor UltraFlatPressedColor();

}  // namespace controls
