#include "forms/ExtCtrls.h"

#include "forms/Exceptions.h"
#include "forms/Properties.h"
#include "forms/ResStrings.h"

namespace forms {

namespace {
const std::pair<const char*, TBevelCut> kBevelCuts[] = {
    {"bvNone", TBevelCut::None},
    {"bvLowered", TBevelCut::Lowered},
    {"bvRaised", TBevelCut::Raised},
    {"bvSpace", TBevelCut::Space},
};

int BevelSize(TBevelCut cut, int width) { return cut == TBevelCut::None ? 0 : width; }
}  // namespace

// ---- TCustomPanel

TCustomPanel::TCustomPanel(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetBevelInner(TBevelCut cut) {
    FBevelInner = cut;
    AlignControls();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut cut) {
    FBevelOuter = cut;
    AlignControls();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int width) {
    FBevelWidth = width < 1 ? 1 : width;
    AlignControls();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int width) {
    FBorderWidth = width < 0 ? 0 : width;
    AlignControls();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(RECT& r) const {
    int inset = BevelSize(FBevelOuter, FBevelWidth) + FBorderWidth + BevelSize(FBevelInner, FBevelWidth);
    ::InflateRect(&r, -inset, -inset);
}

void TCustomPanel::PaintBackground(TCanvas& canvas) {
    RECT r = ClientRect();
    canvas.FillRect(r, Color());
}

void TCustomPanel::Paint(TCanvas& canvas) {
    PaintBackground(canvas);
    RECT r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::None) return;
        bool lowered = cut == TBevelCut::Lowered;
        canvas.Frame3D(r, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
    };
    bevel(FBevelOuter);
    canvas.Frame3D(r, Color(), Color(), FBorderWidth);
    bevel(FBevelInner);
    if (Caption().empty()) return;
    // Centred on the height of a capital, as a single line.
    int h = canvas.TextExtent(Font(), "W").cy;
    r.top = (r.top + r.bottom - h) / 2;
    r.bottom = r.top + h;
    UINT align = FAlignment == TAlignment::LeftJustify    ? DT_LEFT
                 : FAlignment == TAlignment::RightJustify ? DT_RIGHT
                                                          : DT_CENTER;
    canvas.DrawText(Font(), Caption(), r, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | align);
}

const PropertyTable& TCustomPanel::StoredProperties() const {
    using C = TCustomPanel;
    using P = Describe<C>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("BevelInner", EnumKind(kBevelCuts), &C::BevelInner, &C::SetBevelInner, TBevelCut::None),
        P::Property("BevelOuter", EnumKind(kBevelCuts), &C::BevelOuter, &C::SetBevelOuter, TBevelCut::Raised),
        P::Property("BevelWidth", kInt, &C::BevelWidth, &C::SetBevelWidth, 1),
        P::Property("BorderWidth", kInt, &C::BorderWidth, &C::SetBorderWidth, 0),
        P::Property("Alignment", EnumKind(kAlignmentNames), &C::Alignment, &C::SetAlignment, TAlignment::Center),
    });
    return table;
}

// ---- TTimer

class TTimer::TimerWindow : public TWindow {
public:
    explicit TimerWindow(TTimer* timer) : FTimer(timer) {
        CreateParams params;
        params.className = "QuorvaTimerWindow";
        params.parent = HWND_MESSAGE;
        CreateHandle(params);
    }

protected:
    LRESULT WMTimer(UINT_PTR id) override {
        if (id != 1) return TWindow::WMTimer(id);
        FTimer->Tick();
        return 0;
    }

private:
    TTimer* FTimer;
};

namespace {
TTimer::SetTimerFunction gSetTimer = ::SetTimer;
}

void TTimer::SetSystemTimerFunction(SetTimerFunction function) { gSetTimer = function ? function : ::SetTimer; }

TTimer::TTimer(TComponent* owner) : TComponent(owner), FWindow(std::make_unique<TimerWindow>(this)) {
    if (!(owner && owner->Loading())) UpdateTimer();
}

TTimer::~TTimer() {
    ::KillTimer(FWindow->Handle(), 1);
}

HWND TTimer::WindowHandle() const { return FWindow->Handle(); }

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == FInterval) return;
    FInterval = interval;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (Loading()) return;
    ::KillTimer(FWindow->Handle(), 1);
    if (!FEnabled || FInterval == 0) return;
    if (!gSetTimer(FWindow->Handle(), 1, FInterval, nullptr)) {
        // Not running, so not enabled: nobody may think it counts.
        FEnabled = false;
        throw EOutOfResources(ResString("SNoTimers"));
    }
}

void TTimer::Tick() {
    if (FEnabled && OnTimer) OnTimer(this);
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

const PropertyTable& TTimer::StoredProperties() const {
    using P = Describe<TTimer>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("Enabled", kBool, &TTimer::Enabled, &TTimer::SetEnabled, true),
        P::Property("Interval", IntRangeKind<unsigned>{0, INT32_MAX}, &TTimer::Interval, &TTimer::SetInterval, 1000u),
        P::Field("OnTimer", kEvent, &TTimer::OnTimer),
    });
    return table;
}

}  // namespace forms
