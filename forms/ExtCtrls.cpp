#include "forms/ExtCtrls.h"

#include <oleacc.h>

#include <cstring>

#include "forms/Exceptions.h"
#include "forms/PictureData.h"
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
    canvas.FillRect(r, SchemeColor(Color(), clBtnFace));
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
    const TColor surface = SchemeColor(Color(), clBtnFace);
    canvas.Frame3D(r, surface, surface, FBorderWidth);
    bevel(FBevelInner);
    FCaptionLine = {};
    if (Caption().empty()) return;
    // Centred on the height of a capital, as a single line.
    int h = Font().LineHeight();
    r.top = (r.top + r.bottom - h) / 2;
    r.bottom = r.top + h;
    FCaptionLine = r;
    UINT align = FAlignment == TAlignment::LeftJustify    ? DT_LEFT
                 : FAlignment == TAlignment::RightJustify ? DT_RIGHT
                                                          : DT_CENTER;
    canvas.DrawText(Font(), Caption(), r, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | align,
                    SchemeTextColor(Font().Color(), Color()));
}

void TCustomPanel::TextChanged() {
    if (!Retained() || ::IsRectEmpty(&FCaptionLine)) {
        TWinControl::TextChanged();
        return;
    }
    SetWindowCaption(Caption());
    RedrawArea(FCaptionLine);
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

// ---- TBevel

namespace {
const std::pair<const char*, TBevelShape> kBevelShapes[] = {
    {"bsBox", TBevelShape::Box},           {"bsFrame", TBevelShape::Frame},
    {"bsTopLine", TBevelShape::TopLine},   {"bsBottomLine", TBevelShape::BottomLine},
    {"bsLeftLine", TBevelShape::LeftLine}, {"bsRightLine", TBevelShape::RightLine},
    {"bsSpacer", TBevelShape::Spacer},
};
const std::pair<const char*, TBevelStyle> kBevelStyles[] = {
    {"bsLowered", TBevelStyle::Lowered},
    {"bsRaised", TBevelStyle::Raised},
};
}  // namespace

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape shape) {
    FShape = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    FStyle = style;
    Invalidate();
}

void TBevel::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_SEPARATOR;
}

void TBevel::Paint(TCanvas& canvas) {
    const TColor first = FStyle == TBevelStyle::Lowered ? clBtnShadow : clBtnHighlight;
    const TColor second = FStyle == TBevelStyle::Lowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto line = [&](int left, int top, int right, int bottom, TColor color) {
        canvas.FillRect(RECT{left, top, right, bottom}, color);
    };
    switch (FShape) {
        case TBevelShape::Box: {
            RECT r{0, 0, w, h};
            canvas.Frame3D(r, first, second, 1);
            break;
        }
        case TBevelShape::Frame: {
            RECT outer{0, 0, w - 1, h - 1}, inner{1, 1, w, h};
            canvas.Frame3D(inner, second, second, 1);
            canvas.Frame3D(outer, first, first, 1);
            break;
        }
        case TBevelShape::TopLine:
            line(0, 0, w, 1, first);
            line(0, 1, w, 2, second);
            break;
        case TBevelShape::BottomLine:
            line(0, h - 2, w, h - 1, first);
            line(0, h - 1, w, h, second);
            break;
        case TBevelShape::LeftLine:
            line(0, 0, 1, h, first);
            line(1, 0, 2, h, second);
            break;
        case TBevelShape::RightLine:
            line(w - 2, 0, w - 1, h, first);
            line(w - 1, 0, w, h, second);
            break;
        case TBevelShape::Spacer: break;
    }
}

const PropertyTable& TBevel::StoredProperties() const {
    using B = TBevel;
    using P = Describe<B>;
    static const PropertyTable table(TGraphicControl::StoredProperties(), {
        P::Property("Shape", EnumKind(kBevelShapes), &B::Shape, &B::SetShape, TBevelShape::Box),
        P::Property("Style", EnumKind(kBevelStyles), &B::Style, &B::SetStyle, TBevelStyle::Lowered),
    });
    return table;
}

// ---- TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

void TImage::SetPictureData(std::span<const std::uint8_t> data) {
    PictureBits picture;
    try {
        picture = DecodePictureData(data);
    } catch (const FormStreamError&) {
        prop::InvalidValue();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) throw EOutOfResources("Out of system resources");
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof picture.pixels[0]);
    const std::uint32_t bottomLeft = picture.pixels[std::size_t(picture.height - 1) * std::size_t(picture.width)];
    FTransparentColor = RGB(bottomLeft >> 16 & 0xFF, bottomLeft >> 8 & 0xFF, bottomLeft & 0xFF);
    FBitmap = std::move(bitmap);
    FPictureWidth = picture.width;
    FPictureHeight = picture.height;
    FPictureData.assign(data.begin(), data.end());
    Invalidate();
}

void TImage::SetStretch(bool stretch) {
    FStretch = stretch;
    Invalidate();
}

void TImage::SetTransparent(bool transparent) {
    FTransparent = transparent;
    Invalidate();
}

void TImage::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_GRAPHIC;
    // A picture has no caption; its hint says what it shows.
    if (info.name.empty()) info.name = Hint().substr(0, Hint().find('|'));
}

void TImage::Paint(TCanvas& canvas) {
    if (!FBitmap) return;
    const int w = FStretch ? Width() : FPictureWidth, h = FStretch ? Height() : FPictureHeight;
    MemoryDC source(canvas.Handle());
    SelectGuard select(source.Get(), FBitmap.Get());
    if (FTransparent) {
        ::TransparentBlt(canvas.Handle(), 0, 0, w, h, source.Get(), 0, 0, FPictureWidth, FPictureHeight,
                         FTransparentColor);
    } else {
        SaveDCGuard saved(canvas.Handle());
        ::SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
        ::StretchBlt(canvas.Handle(), 0, 0, w, h, source.Get(), 0, 0, FPictureWidth, FPictureHeight, SRCCOPY);
    }
}

const PropertyTable& TImage::StoredProperties() const {
    using I = TImage;
    using P = Describe<I>;
    static const PropertyTable table(TGraphicControl::StoredProperties(), {
        P::Custom("Picture.Data", [](I& image, const Value& v, TReader&) { image.SetPictureData(prop::Binary(v)); },
                  [](const I& image) -> std::optional<Value> {
                      if (image.FPictureData.empty()) return std::nullopt;
                      return Value::Bin(image.FPictureData);
                  }),
        P::Property("Stretch", kBool, &I::Stretch, &I::SetStretch, false),
        P::Property("Transparent", kBool, &I::Transparent, &I::SetTransparent, false),
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
