// Panels, bevels, pictures and the periodic timer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "forms/Controls.h"

namespace forms {

enum class TBevelCut { None, Lowered, Raised, Space };

class TCustomPanel : public TWinControl {
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const { return FBevelInner; }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    int BevelWidth() const { return FBevelWidth; }
    int BorderWidth() const { return FBorderWidth; }
    TAlignment Alignment() const { return FAlignment; }
    void SetBevelInner(TBevelCut cut);
    void SetBevelOuter(TBevelCut cut);
    void SetBevelWidth(int width);
    void SetBorderWidth(int width);
    void SetAlignment(TAlignment alignment);

    void Paint(TCanvas& canvas) override;
    const PropertyTable& StoredProperties() const override;

protected:
    // Fills the whole control before the frames and the caption are drawn.
    virtual void PaintBackground(TCanvas& canvas);
    void AdjustClientRect(RECT& r) const override;
    // With a kept picture only the caption's line is drawn again, at once:
    // a panel that shows a running clock changes nothing else.
    void TextChanged() override;

private:
    RECT FCaptionLine{};  // where the last paint put the caption
    TBevelCut FBevelInner = TBevelCut::None;
    TBevelCut FBevelOuter = TBevelCut::Raised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TAlignment FAlignment = TAlignment::Center;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
    const char* ClassName() const override { return "TPanel"; }
};

// Etched lines and frames: lowered, a shadow line with a highlight line
// below or right of it; raised, the other way round.
enum class TBevelShape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };
enum class TBevelStyle { Lowered, Raised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    const char* ClassName() const override { return "TBevel"; }

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle style);

    void Paint(TCanvas& canvas) override;
    void DescribeAccessible(TAccessibleInfo& info) const override;
    const PropertyTable& StoredProperties() const override;

private:
    TBevelShape FShape = TBevelShape::Box;
    TBevelStyle FStyle = TBevelStyle::Lowered;
};

// A bitmap shown at the top-left of the control, or stretched over it. A
// transparent one leaves out the colour of its bottom-left pixel.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }

    // The picture in its stored form (see PictureData.h); EReadError
    // "Invalid property value" for data that is not a picture we draw.
    void SetPictureData(std::span<const std::uint8_t> data);
    const std::vector<std::uint8_t>& PictureData() const { return FPictureData; }
    int PictureWidth() const { return FPictureWidth; }
    int PictureHeight() const { return FPictureHeight; }
    // The colour left out while transparent.
    COLORREF TransparentColor() const { return FTransparentColor; }

    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);

    void Paint(TCanvas& canvas) override;
    void DescribeAccessible(TAccessibleInfo& info) const override;
    const PropertyTable& StoredProperties() const override;

private:
    std::vector<std::uint8_t> FPictureData;
    Bitmap FBitmap;
    int FPictureWidth = 0, FPictureHeight = 0;
    COLORREF FTransparentColor = CLR_INVALID;
    bool FStretch = false;
    bool FTransparent = false;
};

// Calls OnTimer every Interval milliseconds while enabled. The events come
// through the message loop, also inside modal loops.
class TTimer : public TComponent {
public:
    // Enabled with a 1000 ms interval, and running at once. A timer made
    // while its owner is being read from a stored description starts with
    // Loaded instead, once every stored setting is in place.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return FEnabled; }
    // Turning it on starts a fresh period; raises EOutOfResources ("Not
    // enough timers available") when the system has no timer left.
    void SetEnabled(bool enabled);
    unsigned Interval() const { return FInterval; }
    // A new interval starts a fresh period.
    void SetInterval(unsigned interval);

    TNotifyEvent OnTimer;

    // The window that receives the timer's WM_TIMER (id 1); tests post to it.
    HWND WindowHandle() const;

    // Lets tests stand in for the system call that starts a timer.
    using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
    static void SetSystemTimerFunction(SetTimerFunction function);

    const PropertyTable& StoredProperties() const override;

protected:
    void Loaded() override;

private:
    class TimerWindow;
    void UpdateTimer();
    void Tick();

    bool FEnabled = true;
    unsigned FInterval = 1000;
    std::unique_ptr<TimerWindow> FWindow;
};

}  // namespace forms
