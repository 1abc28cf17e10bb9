// A push button on the system's owner-drawn "BUTTON" control whose face a
// look-and-feel painter draws.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "controls/cxLookAndFeelPainters.h"
#include "controls/cxLookAndFeels.h"
#include "forms/StdCtrls.h"

namespace controls {

enum class TcxButtonAssignedColor {
    cxbcDefault, cxbcDefaultText, cxbcDisabled, cxbcDisabledText, cxbcHot, cxbcHotText,
    cxbcNormal, cxbcNormalText, cxbcPressed, cxbcPressedText
};
// A set of TcxButtonAssignedColor, one bit each.
using TcxButtonAssignedColors = unsigned;

// Face and caption colours per state. A value is in force while assigned;
// setting clDefault or clNone un-assigns it.
class TcxButtonColors : public forms::TPersistent {
public:
    TcxButtonColors();

    forms::TColor Color(TcxButtonAssignedColor index) const { return FColors[std::size_t(index)]; }
    void SetColor(TcxButtonAssignedColor index, forms::TColor color);
    bool Assigned(TcxButtonAssignedColor index) const { return (FAssignedColors >> int(index) & 1) != 0; }
    TcxButtonAssignedColors AssignedColors() const { return FAssignedColors; }
    // Values that leave the set go back to clDefault.
    void SetAssignedColors(TcxButtonAssignedColors colors);
    void Assign(const TcxButtonColors& source);

    std::function<void()> OnChanged;

    const forms::PropertyTable& StoredProperties() const override;

private:
    void Changed();

    std::array<forms::TColor, 10> FColors;
    TcxButtonAssignedColors FAssignedColors = 0;
};

// Speed-button behaviour: a button that does not take the focus, or one
// of a group, can stay down.
class TcxSpeedButtonOptions : public forms::TPersistent {
public:
    bool CanBeFocused() const { return FCanBeFocused; }
    void SetCanBeFocused(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value) { FAllowAllUp = value; }
    // Only a button of a group (GroupIndex not 0) can be down.
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool IsDefault() const;

    std::function<void()> OnChanged;

    const forms::PropertyTable& StoredProperties() const override;

private:
    void Changed() {
        if (OnChanged) OnChanged();
    }

    bool FCanBeFocused = true;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FFlat = false;
    bool FTransparent = false;
};

enum class TcxButtonPaintStyle { bpsDefault, bpsCaption, bpsGlyph };

class TcxCustomButton;
// The last word on the face colour and font of a paint.
using TcxButtonGetDrawParamsEvent =
    std::function<void(TcxCustomButton* sender, TcxButtonState state, forms::TColor& color, forms::TFont& font)>;

class TcxCustomButton : public forms::TCustomButton {
public:
    explicit TcxCustomButton(forms::TComponent* owner);
    ~TcxCustomButton() override;

    TcxButtonColors& Colors() { return FColors; }
    const TcxButtonColors& Colors() const { return FColors; }
    TcxLookAndFeel& LookAndFeel() { return FLookAndFeel; }
    const TcxLookAndFeel& LookAndFeel() const { return FLookAndFeel; }
    TcxSpeedButtonOptions& SpeedButtonOptions() { return FSpeedButtonOptions; }
    const TcxSpeedButtonOptions& SpeedButtonOptions() const { return FSpeedButtonOptions; }
    TcxButtonPaintStyle PaintStyle() const { return FPaintStyle; }
    void SetPaintStyle(TcxButtonPaintStyle style);
    // Gap from the face edge to the caption; -1 centres it.
    int Margin() const { return FMargin; }
    void SetMargin(int margin);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing);
    // A look-and-feel change re-creates the window instead of repainting.
    bool UseSystemPaint() const { return FUseSystemPaint; }
    void SetUseSystemPaint(bool value) { FUseSystemPaint = value; }

    // The painter the face is drawn with: the look-and-feel's, with the
    // Office 2003 one replaced by the visual-styles or the standard one.
    TcxLookAndFeelPainterClass Painter() const;
    // The state the next paint draws.
    TcxButtonState PaintingState(bool paintedPressed, bool paintedDefault) const;
    // The face and caption colours of a state before the painter's defaults.
    forms::TColor FaceColor(TcxButtonState state) const;
    forms::TColor CaptionColor(TcxButtonState state) const;
    bool MouseInside() const { return FMouseInside; }

    // Toggles a speed button's down state, then hands the modal result to
    // the form and runs the click.
    void Click() override;
    bool DialogChar(char ch) override;
    // A speed button that is down reads as pressed.
    void DescribeAccessible(forms::TAccessibleInfo& info) const override;

    TcxButtonGetDrawParamsEvent OnGetDrawParams;

    const forms::PropertyTable& StoredProperties() const override;

protected:
    void CreateWindowParams(forms::TWindow::CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT WMTimer(UINT_PTR id) override;
    LRESULT CNCommand(WORD code) override;
    LRESULT CNDrawItem(DRAWITEMSTRUCT& item) override;
    void ActiveChanged() override;
    void EnabledChanged() override;

private:
    bool SpeedButtonMode() const;
    void Paint(HDC dc, UINT itemState);
    void DrawParentBackground(HDC dc, const RECT& client);
    void DrawCaption(HDC dc, const forms::TFont& font, const RECT& content, POINT shift, TcxButtonState state,
                     forms::TColor color);
    void PointerMoved(POINT p);
    void PointerLeaves();
    void StartTracking();
    void StopTracking();
    void LookAndFeelChanged();
    void Repaint();

    TcxButtonColors FColors;
    TcxLookAndFeel FLookAndFeel;
    TcxSpeedButtonOptions FSpeedButtonOptions;
    TcxButtonPaintStyle FPaintStyle = TcxButtonPaintStyle::bpsDefault;
    int FMargin = -1;
    int FSpacing = 4;
    bool FUseSystemPaint = false;
    // State besides the system button's own.
    bool FMouseInside = false;
    bool FPressedInMain = false;
    bool FAcceleratorClick = false;
    bool FCaptured = false;
    bool FTracking = false;
    bool FDestroyingButton = false;
};

class TcxButton : public TcxCustomButton {
public:
    using TcxCustomButton::TcxCustomButton;
    const char* ClassName() const override { return "TcxButton"; }
};

}  // namespace controls
