#include "forms/StdCtrls.h"

#include "forms/Properties.h"

namespace forms {

namespace {
const std::pair<const char*, TTextLayout> kLayouts[] = {
    {"tlTop", TTextLayout::Top},
    {"tlCenter", TTextLayout::Center},
    {"tlBottom", TTextLayout::Bottom},
};
}  // namespace

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool transparent) {
    FTransparent = transparent;
    Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool show) {
    FShowAccelChar = show;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout layout) {
    FLayout = layout;
    Invalidate();
}

UINT TCustomLabel::TextFormat() const {
    UINT format = DT_EXPANDTABS;
    format |= FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (!FShowAccelChar) format |= DT_NOPREFIX;
    if (FAlignment == TAlignment::RightJustify) format |= DT_RIGHT;
    else if (FAlignment == TAlignment::Center) format |= DT_CENTER;
    return format;
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || Loading()) return;
    WindowDC screen;
    MemoryDC dc(screen.Get());
    TCanvas canvas(dc.Get());
    RECT r{0, 0, FWordWrap ? Width() : 0, 0};
    // An empty caption still takes the height of a line.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    canvas.DrawText(Font(), text, r, (TextFormat() & ~(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    int left = Left();
    if (FAlignment == TAlignment::RightJustify) left += Width() - r.right;
    else if (FAlignment == TAlignment::Center) left += (Width() - r.right) / 2;
    SetBounds(left, Top(), r.right, r.bottom);
}

void TCustomLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!FTransparent) canvas.FillRect(r, Color());
    if (Caption().empty()) return;
    UINT format = TextFormat();
    if (FLayout != TTextLayout::Top) {
        RECT calc = r;
        canvas.DrawText(Font(), Caption(), calc, format | DT_CALCRECT);
        int textHeight = calc.bottom - calc.top;
        r.top += FLayout == TTextLayout::Center ? (r.bottom - r.top - textHeight) / 2 : r.bottom - r.top - textHeight;
    }
    if (Enabled()) {
        canvas.DrawText(Font(), Caption(), r, format);
        return;
    }
    // Disabled: the etched look of a greyed label.
    TFont etched;
    etched.Assign(Font());
    etched.SetColor(clBtnHighlight);
    RECT shifted = r;
    ::OffsetRect(&shifted, 1, 1);
    canvas.DrawText(etched, Caption(), shifted, format);
    etched.SetColor(clBtnShadow);
    canvas.DrawText(etched, Caption(), r, format);
}

void TCustomLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

const PropertyTable& TCustomLabel::StoredProperties() const {
    using L = TCustomLabel;
    using P = Describe<L>;
    static const PropertyTable table(TGraphicControl::StoredProperties(), {
        P::Property("AutoSize", kBool, &L::AutoSize, &L::SetAutoSize, true),
        P::Property("Transparent", kBool, &L::Transparent, &L::SetTransparent, false),
        P::Property("Alignment", EnumKind(kAlignmentNames), &L::Alignment, &L::SetAlignment, TAlignment::LeftJustify),
        P::Property("ShowAccelChar", kBool, &L::ShowAccelChar, &L::SetShowAccelChar, true),
        P::Property("WordWrap", kBool, &L::WordWrap, &L::SetWordWrap, false),
        P::Property("Layout", EnumKind(kLayouts), &L::Layout, &L::SetLayout, TTextLayout::Top),
    });
    return table;
}

}  // namespace forms
