// Where a button's picture and caption go: the size a button is measured
// at and what it paints there come from the same parts; and what a painter
// makes of a button's draw state alone.
#include "tests/bars/BarsTestSupport.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarPainters.h"
#include "bars/dxOffice11.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

// The pixels of one colour class inside an item rectangle, and their bounds.
struct Ink {
    RECT bounds{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    bool Found() const { return bounds.left <= bounds.right; }
    void Add(int x, int y) {
        bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y), std::max<LONG>(bounds.right, x + 1),
                  std::max<LONG>(bounds.bottom, y + 1)};
    }
};

bool Inside(const RECT& part, const RECT& frame) {
    RECT both;
    return ::IntersectRect(&both, &part, &frame) && ::EqualRect(&both, &part);
}

TEST(ButtonParts, EveryShownPartHasItsRoomInTheButton) {
    using S = TdxBarPaintStyle;
    using L = TdxBarGlyphLayout;
    const TdxBarButtonContent small{true, {16, 16}, 40, 13}, large{true, {32, 32}, 40, 13};
    auto without = [](TdxBarButtonContent c, SIZE room) {
        c.picture = false;
        c.glyph = room;
        return c;
    };
    struct Case {
        const char* name;
        std::function<TdxBarButtonParts(SIZE)> layout;
        int glyph;  // width of the picture shown, 0 for none
        bool caption;
    } cases[] = {
        {"small standard", [&](SIZE s) { return SmallButtonParts(s, S::Standard, small); }, 16, false},
        {"small caption", [&](SIZE s) { return SmallButtonParts(s, S::Caption, small); }, 0, true},
        {"small caption in menu", [&](SIZE s) { return SmallButtonParts(s, S::CaptionInMenu, small); }, 16, false},
        {"small caption and glyph", [&](SIZE s) { return SmallButtonParts(s, S::CaptionGlyph, small); }, 16, true},
        {"small standard, no picture",
         [&](SIZE s) { return SmallButtonParts(s, S::Standard, without(small, {16, 16})); }, 0, true},
        {"large top", [&](SIZE s) { return LargeButtonParts(s, L::Top, true, large); }, 32, true},
        {"large bottom", [&](SIZE s) { return LargeButtonParts(s, L::Bottom, true, large); }, 32, true},
        {"large left", [&](SIZE s) { return LargeButtonParts(s, L::Left, true, large); }, 32, true},
        {"large right", [&](SIZE s) { return LargeButtonParts(s, L::Right, true, large); }, 32, true},
        {"large without caption", [&](SIZE s) { return LargeButtonParts(s, L::Left, false, large); }, 32, false},
        {"large top, no picture", [&](SIZE s) { return LargeButtonParts(s, L::Top, true, without(large, {20, 20})); },
         0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Measured (natural size), and given more room than it needs.
        const RECT natural = c.layout({0, 0}).frame;
        for (SIZE size : {SIZE{0, 0}, SIZE{natural.right + 20, natural.bottom + 10}}) {
            SCOPED_TRACE(size.cx);
            TdxBarButtonParts parts = c.layout(size);
            if (size.cx > 0) {
                EXPECT_EQ(parts.frame, Rect(0, 0, size.cx, size.cy));
            }
            EXPECT_EQ(!::IsRectEmpty(&parts.glyph), c.glyph > 0);
            EXPECT_EQ(!::IsRectEmpty(&parts.caption), c.caption);
            if (c.glyph) {
                EXPECT_TRUE(Inside(parts.glyph, parts.frame)) << parts.glyph;
                EXPECT_EQ(parts.glyph.right - parts.glyph.left, c.glyph);
            }
            if (c.caption) {
                EXPECT_TRUE(Inside(parts.caption, parts.frame)) << parts.caption;
                EXPECT_GE(parts.caption.right - parts.caption.left, 40);
                EXPECT_GE(parts.caption.bottom - parts.caption.top, 13);
            }
            RECT overlap;
            EXPECT_FALSE(::IntersectRect(&overlap, &parts.glyph, &parts.caption));
        }
    }
}

TEST(SmallButtons, PaintWhatTheyWereMeasuredForInEveryPaintStyle) {
    MenuFont menu(13);
    // One small button with picture 1 and a caption, shown through links
    // that take the paint style from the item or set their own.
    auto link = [](const char* userStyle) {
        std::vector<Property> props{{"Visible", Value::Bool(true)}, {"ItemName", Value::Str("btnSmall")}};
        if (userStyle) {
            props.push_back({"UserDefine", Value::SetOf({"udPaintStyle"})});
            props.push_back({"UserPaintStyle", Value::Id(userStyle)});
        }
        return props;
    };
    OneColourDock palette;
    FormShape shape;
    shape.manager.push_back({"ImageOptions.Images", Value::Id("ImageList")});
    shape.bar.push_back({"ItemLinks", Value::CollectionOf({link(nullptr), link("psStandard"), link("psCaption"),
                                                           link("psCaptionInMenu")})});
    ObjectNode node = MainLikeForm(shape);
    node.children.push_back(Described("TdxBarButton", "btnSmall",
                                 {{"Caption", Value::Str("Go")},
                                  {"Category", Value::Int(0)},
                                  {"ImageIndex", Value::Int(1)},
                                  {"PaintStyle", Value::Id("psCaptionGlyph")}}));
    auto form = LoadForm(node);

    MemoryDC dc;
    SelectGuard font(dc.Get(), form->Toolbar()->Font().Handle());
    SIZE text{};
    ::GetTextExtentPoint32A(dc.Get(), "Go", 2, &text);

    struct Case {
        const char* style;
        bool picture, caption;
    } cases[] = {
        {"the item's psCaptionGlyph", true, true},
        {"the link's psStandard", true, false},
        {"the link's psCaption", false, true},
        {"the link's psCaptionInMenu", true, false},
    };
    const COLORREF background = RGB(232, 232, 255), picture = PictureColour(1);
    Snapshot shot(form->ToolbarWindow()->Handle());
    TdxBarItemLinks& links = form->Toolbar()->ItemLinks();
    ASSERT_EQ(links.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.style);
        const RECT r = links.Items(i)->ItemRect();
        ASSERT_FALSE(::IsRectEmpty(&r));
        Ink glyph, caption, any;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF p = shot.Pixel(x, y);
                if (p == background) continue;
                (p == picture ? glyph : caption).Add(x, y);
                any.Add(x, y);
            }
        EXPECT_EQ(glyph.Found(), c.picture);
        EXPECT_EQ(caption.Found(), c.caption);
        if (!any.Found()) continue;
        // Nothing is cut off, and the measured width leaves only a margin
        // on either side of what is painted.
        if (glyph.Found()) {
            EXPECT_EQ(glyph.bounds.right - glyph.bounds.left, 32);
            EXPECT_EQ(glyph.bounds.bottom - glyph.bounds.top, 32);
        }
        if (caption.Found()) {
            EXPECT_GE(caption.bounds.right - caption.bounds.left, text.cx - 3);
        }
        if (glyph.Found() && caption.Found()) {
            EXPECT_GT(caption.bounds.left, glyph.bounds.right);
        }
        EXPECT_GE(any.bounds.left - r.left, 2);
        EXPECT_GE(r.right - any.bounds.right, 2);
        EXPECT_LE(any.bounds.left - r.left, 6);
        EXPECT_LE(r.right - any.bounds.right, 6);
    }
}

TEST(ButtonPaint, APainterPaintsAButtonFromItsDrawParamsAlone) {
    using controlstest::Pixel;
    // A large button at (10, 4) on a white surface; the bar behind it is
    // filled in one colour, the picture is opaque red.
    controlstest::Surface surface(100, 64, controlstest::Argb(255, 255, 255, 255));
    LOGFONTA lf = FontWithTextHeight(13);
    Font font(::CreateFontIndirectA(&lf));
    SelectGuard selectFont(surface.DC(), font.Get());
    SIZE text{};
    ::GetTextExtentPoint32A(surface.DC(), "Go", 2, &text);
    auto picture = controlstest::Solid(32, 32, controlstest::Argb(255, 200, 30, 30));
    const COLORREF bar = RGB(250, 240, 200), ink = RGB(0, 0, 160);

    auto state = [&](bool enabled) {
        TdxBarButtonLikeControlDrawParams s;
        s.rect = Rect(10, 4, 85, 56);
        s.parts = LargeButtonParts({75, 52}, TdxBarGlyphLayout::Top, true, {true, {32, 32}, text.cx, 13});
        for (RECT* part : {&s.parts.frame, &s.parts.glyph, &s.parts.caption}) ::OffsetRect(part, 10, 4);
        s.enabled = enabled;
        s.picture.glyph = picture.get();
        s.picture.size = {32, 32};
        s.caption = "Go";
        s.textColor = ink;
        s.fillBackground = [bar](HDC dc, const RECT& r) { TCanvas(dc).FillRect(r, bar); };
        return s;
    };
    // The picture's colour over the bar: gray at an opacity, or red.
    auto over = [bar](int gray, int opacity) {
        auto mix = [&](int b) { return static_cast<int>(std::lround((gray * opacity + b * (255 - opacity)) / 255.0)); };
        return RGB(mix(GetRValue(bar)), mix(GetGValue(bar)), mix(GetBValue(bar)));
    };
    const COLORREF red = RGB(200, 30, 30), grayText = ::GetSysColor(COLOR_GRAYTEXT);
    const TdxBarOffice11Painter office;
    const TdxBarFlatPainter flat;
    struct Case {
        const char* name;
        const TdxBarPainter& painter;
        bool enabled;
        bool fromDisabledList;
        COLORREF picture;
        COLORREF caption;
    } cases[] = {
        {"enabled, flat", flat, true, false, red, ink},
        // The Office 2003 captions take the palette's text colours.
        {"enabled, Office 2003", office, true, false, red, Office11Palette().Text},
        // Luminance gray at 64 whatever the option says.
        {"disabled, Office 2003", office, false, false, over(81, 64), Office11Palette().TextDisabled},
        // With the option off: the gray of disabled pictures at 151.
        {"disabled, flat", flat, false, false, over(42, 151), grayText},
        {"disabled, from a disabled list", office, false, true, red, grayText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::PatBlt(surface.DC(), 0, 0, 100, 64, WHITENESS);
        TdxBarButtonLikeControlDrawParams s = state(c.enabled);
        s.pictureLooksDisabled = c.fromDisabledList;
        c.painter.DrawButtonItem(surface.DC(), s);

        auto at = [&](int x, int y) {
            Pixel p = surface.At(x, y);
            return RGB(controlstest::R(p), controlstest::G(p), controlstest::B(p));
        };
        EXPECT_EQ(at(9, 3), RGB(255, 255, 255));
        EXPECT_EQ(at(85, 56), RGB(255, 255, 255));
        const RECT g = s.parts.glyph;
        EXPECT_EQ(g, Rect(31, 7, 63, 39));
        for (POINT p : {POINT{g.left, g.top}, POINT{g.right - 1, g.bottom - 1}}) {
            COLORREF seen = at(p.x, p.y);
            EXPECT_NEAR(GetRValue(seen), GetRValue(c.picture), 1);
            EXPECT_NEAR(GetGValue(seen), GetGValue(c.picture), 1);
            EXPECT_NEAR(GetBValue(seen), GetBValue(c.picture), 1);
        }
        // Around the picture the bar; the caption's ink only in its part.
        int inked = 0;
        for (int y = s.rect.top; y < s.rect.bottom; ++y)
            for (int x = s.rect.left; x < s.rect.right; ++x) {
                POINT p{x, y};
                if (::PtInRect(&g, p)) continue;
                COLORREF seen = at(x, y);
                if (::PtInRect(&s.parts.caption, p)) inked += seen == c.caption;
                else EXPECT_EQ(seen, bar) << x << "," << y;
            }
        EXPECT_GT(inked, 5);
    }
}

}  // namespace
