#include "tools/artwork/Artwork.h"

#include "tools/artwork/Canvas.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace artwork {

namespace {

struct Palette {
    Colour rim;
    Colour top;
    Colour bottom;
    Colour shadow;
};

constexpr Colour kWhite{255, 255, 255, 255};
constexpr Palette kRed{{148, 24, 20, 255}, {246, 116, 100, 255}, {204, 36, 28, 255}, {96, 8, 6, 110}};
constexpr Palette kGreen{{34, 104, 36, 255}, {148, 216, 116, 255}, {54, 156, 52, 255}, {16, 76, 18, 110}};
constexpr Palette kBlue{{26, 68, 150, 255}, {126, 176, 242, 255}, {38, 98, 202, 255}, {8, 36, 104, 110}};

// The rounded square behind Start, Pause and Stop fills the whole cell;
// this corner radius leaves 16 of a corner pixel's 256 samples uncovered.
constexpr Coord kCellCorner = 17;

// A white figure lifted off its background by a soft shadow one pixel down.
void drawFigure(Canvas& canvas, const Shape& figure, const Palette& palette)
{
    canvas.fill(translate(figure, 0, px(1)), solid(palette.shadow));
    canvas.fill(figure, solid(kWhite));
}

void drawGreenCell(Canvas& canvas)
{
    canvas.fill(roundRect(0, 0, px(32), px(32), kCellCorner), solid(kGreen.rim));
    canvas.fill(roundRect(px(1), px(1), px(31), px(31), kCellCorner),
                vertical(kGreen.top, px(1), kGreen.bottom, px(31)));
    canvas.fill(rect(px(2), px(1), px(30), px(2)), solid(Colour{255, 255, 255, 90}));
}

void drawExit(Canvas& canvas)
{
    const Point centre{px(16), px(16)};
    canvas.fill(disc(centre, px(15)), solid(kRed.rim));
    canvas.fill(disc(centre, px(14)), vertical(kRed.top, px(2), kRed.bottom, px(30)));
    const Coord arm = px(1, 12);
    drawFigure(canvas,
               unite(capsule({px(11, 8), px(11, 8)}, {px(20, 8), px(20, 8)}, arm),
                     capsule({px(20, 8), px(11, 8)}, {px(11, 8), px(20, 8)}, arm)),
               kRed);
}

void drawStart(Canvas& canvas)
{
    drawGreenCell(canvas);
    drawFigure(canvas, roundPolygon({{px(12, 8), px(9, 8)}, {px(12, 8), px(22, 8)}, {px(22, 8), px(16)}}, px(1)),
               kGreen);
}

void drawPause(Canvas& canvas)
{
    drawGreenCell(canvas);
    drawFigure(canvas,
               unite(roundRect(px(10), px(9), px(14), px(23), px(1)),
                     roundRect(px(18), px(9), px(22), px(23), px(1))),
               kGreen);
}

void drawStop(Canvas& canvas)
{
    drawGreenCell(canvas);
    drawFigure(canvas, roundRect(px(10), px(10), px(22), px(22), px(1, 8)), kGreen);
}

void drawAbout(Canvas& canvas)
{
    const std::vector<Point> diamond{{px(16), px(4)}, {px(28), px(16)}, {px(16), px(28)}, {px(4), px(16)}};
    canvas.fill(roundPolygon(diamond, px(3)), solid(kBlue.rim));
    canvas.fill(roundPolygon(diamond, px(2)), vertical(kBlue.top, px(2), kBlue.bottom, px(30)));
    drawFigure(canvas,
               unite(disc({px(16), px(9, 8)}, px(2)), roundRect(px(14), px(13), px(18), px(24), px(0, 12))),
               kBlue);
}

// The stopwatch, designed on a 256-unit square and scaled to `size`. The
// rings snap to whole pixels and other lengths to half pixels so that small
// sizes stay crisp; outlines never get thinner than a pixel, and the small
// sizes drop detail that would only blur.
void drawStopwatch(Canvas& canvas)
{
    const int size = canvas.size();
    const auto u = [size](int v) { return (Coord{v} * size / 8 + 8) / 16 * 16; };
    const auto whole = [size](int v) { return (Coord{v} * size / 8 + 16) / 32 * 32; };
    const auto atLeast = [&u](Coord minimum, int v) { return std::max(minimum, u(v)); };
    const Coord line = std::max(px(1), whole(5));

    const Colour metalRim{70, 80, 92, 255};
    const Colour metalTop{246, 248, 250, 255};
    const Colour metalBottom{150, 160, 172, 255};
    const Colour faceTop{255, 255, 255, 255};
    const Colour faceBottom{218, 226, 235, 255};
    const Colour majorTick{64, 74, 88, 255};
    const Colour minorTick{128, 138, 152, 255};
    const Colour hand{204, 36, 28, 255};
    const Colour elapsed{120, 200, 96, 130};

    const Coord bodyRadius = whole(size < 24 ? 112 : 102);
    const Point centre{whole(128), whole(size < 24 ? 144 : 150)};
    const Coord faceRadius = bodyRadius - line - std::max(px(1), whole(17));
    const Coord bodyTop = centre.y - bodyRadius;

    // The side button and the crown sit behind the body.
    if (size >= 24) {
        const Point in = onCircle(centre, bodyRadius - u(10), 8);
        const Point out = onCircle(centre, bodyRadius + atLeast(px(1, 8), 12), 8);
        const Coord radius = atLeast(px(1, 8), 14);
        canvas.fill(capsule(in, out, radius), solid(metalRim));
        canvas.fill(capsule(in, out, radius - line), vertical(metalTop, out.y - radius, metalBottom, in.y));
    }
    const Coord buttonHalf = atLeast(px(3), 40);
    const Coord stemHalf = atLeast(px(1), 18);
    const Coord buttonTop = u(3);
    const Coord buttonBottom = buttonTop + atLeast(px(2), 32);
    const Shape crown = unite(roundRect(centre.x - buttonHalf, buttonTop, centre.x + buttonHalf, buttonBottom,
                                        atLeast(px(0, 8), 12)),
                              rect(centre.x - stemHalf, buttonBottom - line, centre.x + stemHalf, bodyTop + line));
    canvas.fill(crown, size < 24 ? vertical(metalBottom, buttonTop, metalRim, buttonBottom) : solid(metalRim));
    if (size >= 24) {
        const Coord corner = std::max<Coord>(0, u(12) - line);
        canvas.fill(unite(roundRect(centre.x - buttonHalf + line, buttonTop + line, centre.x + buttonHalf - line,
                                    buttonBottom - line, corner),
                          rect(centre.x - stemHalf + line, buttonBottom - line, centre.x + stemHalf - line,
                               bodyTop + line)),
                    vertical(metalTop, buttonTop, metalBottom, bodyTop));
    }

    canvas.fill(disc(centre, bodyRadius), solid(kGreen.rim));
    canvas.fill(disc(centre, bodyRadius - line),
                vertical(kGreen.top, centre.y - bodyRadius, kGreen.bottom, centre.y + bodyRadius));
    if (size >= 24)
        canvas.fill(disc(centre, faceRadius + line), solid(kGreen.rim));
    canvas.fill(disc(centre, faceRadius), vertical(faceTop, centre.y - faceRadius, faceBottom, centre.y + faceRadius));

    // Elapsed time from twelve o'clock round to the hand.
    const int handStep = 10;
    const Coord handLength = faceRadius - atLeast(px(0, 8), 12);
    const Point handTip = onCircle(centre, handLength, handStep);
    canvas.fill(intersect(disc(centre, faceRadius - atLeast(px(0, 8), 10)),
                          intersect(halfPlane(centre, {centre.x, centre.y - 1}), halfPlane(handTip, centre))),
                solid(elapsed));

    if (size >= 24) {
        const int every = size < 32 ? 3 : 1;
        for (int hour = 0; hour < 12; hour += every) {
            const bool major = hour % 3 == 0;
            const Coord outer = faceRadius - atLeast(px(1), 6);
            const Coord inner = outer - (major ? atLeast(px(2), 12) : atLeast(px(1, 8), 6));
            const Coord width = major ? atLeast(px(0, 10), 5) : atLeast(px(0, 8), 3);
            canvas.fill(capsule(onCircle(centre, inner, hour * 5), onCircle(centre, outer, hour * 5), width),
                        solid(major ? majorTick : minorTick));
        }
    }

    const Shape handShape = capsule(onCircle(centre, u(14), handStep + 30), handTip, atLeast(px(0, 12), 5));
    if (size >= 48)
        canvas.fill(translate(handShape, u(3), u(5)), solid(Colour{40, 50, 60, 60}));
    canvas.fill(handShape, solid(hand));
    canvas.fill(disc(centre, atLeast(px(1, 4), 10)), solid(hand));
    if (size >= 48)
        canvas.fill(disc(centre, u(4)), solid(metalTop));
}

// The stopwatch over three bars that run like the count, in the colours of
// the commands, all on white. The bars stop short of the left and bottom
// edges: the About dialog takes the bottom-left pixel as the colour to
// leave out, so the logo sits on its background without a box.
std::vector<std::uint8_t> drawLogo()
{
    // Drawn on a square canvas and cut to the logo's width around its middle.
    constexpr int side = kLogoHeight;
    constexpr int cut = (side - kLogoWidth) / 2;
    Canvas canvas(side);
    canvas.fill(rect(0, 0, px(side), px(side)), solid(kWhite));
    const Coord left = px(cut + 8);
    const Coord right = px(cut + kLogoWidth - 8);
    const Coord full = right - left;
    const struct {
        Palette palette;
        int top;
        int percent;
    } bars[] = {{kBlue, 100, 100}, {kGreen, 109, 70}, {kRed, 118, 40}};
    for (const auto& bar : bars) {
        const Coord end = left + full * bar.percent / 100;
        canvas.fill(roundRect(left, px(bar.top), end, px(bar.top + 5), px(2)), solid(bar.palette.rim));
        canvas.fill(roundRect(left + px(1), px(bar.top + 1), end - px(1), px(bar.top + 4), px(1, 8)),
                    vertical(bar.palette.top, px(bar.top + 1), bar.palette.bottom, px(bar.top + 4)));
    }
    std::vector<std::uint8_t> page = canvas.bgra();

    constexpr int watchSize = 96;
    Canvas watch(watchSize);
    drawStopwatch(watch);
    const std::vector<std::uint8_t> figure = watch.bgra();
    const int dx = (side - watchSize) / 2, dy = 1;
    for (int y = 0; y < watchSize; ++y) {
        for (int x = 0; x < watchSize; ++x) {
            const std::uint8_t* src = &figure[(static_cast<std::size_t>(y) * watchSize + x) * 4];
            std::uint8_t* dst = &page[(static_cast<std::size_t>(y + dy) * side + x + dx) * 4];
            if (src[3] == 0)
                continue;
            // Premultiplied "source over" an opaque page. Pure white is the
            // page's alone: the stopwatch's white becomes the next shade.
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<std::uint8_t>(src[c] + (dst[c] * (255u - src[3]) + 127) / 255);
            if (dst[0] == 255 && dst[1] == 255 && dst[2] == 255)
                dst[0] = dst[1] = dst[2] = 254;
        }
    }

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(kLogoWidth) * kLogoHeight * 3);
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = cut; x < cut + kLogoWidth; ++x)
            for (int c = 0; c < 3; ++c)
                out.push_back(page[(static_cast<std::size_t>(y) * side + x) * 4 + c]);
    return out;
}

// ---- Drag cursors

// The arrow, tip at the top left: 'X' black, '.' white, blank clear.
constexpr const char* kArrow[] = {
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      XX",
};

// The dragged button: a dotted outline below the arrow, alternating black
// and white so that it shows on any background.
constexpr int kButtonLeft = 4, kButtonTop = 20, kButtonRight = 18, kButtonBottom = 28;
// The box of the plus or cross, lower right; inclusive bounds.
constexpr int kBoxLeft = 20, kBoxTop = 20, kBoxRight = 30, kBoxBottom = 30;

class MonoImage {
public:
    MonoImage() : FPixels(static_cast<std::size_t>(kCursorSize) * kCursorSize, Ink::Clear) {}
    void set(int x, int y, Ink ink) { FPixels[static_cast<std::size_t>(y) * kCursorSize + x] = ink; }
    std::vector<Ink> pixels() const { return FPixels; }

private:
    std::vector<Ink> FPixels;
};

void drawDottedButton(MonoImage& image)
{
    for (int y = kButtonTop; y <= kButtonBottom; ++y) {
        for (int x = kButtonLeft; x <= kButtonRight; ++x) {
            if (x == kButtonLeft || x == kButtonRight || y == kButtonTop || y == kButtonBottom)
                image.set(x, y, (x + y) % 2 == 0 ? Ink::Black : Ink::White);
        }
    }
}

void drawArrow(MonoImage& image)
{
    for (int row = 0; row < static_cast<int>(std::size(kArrow)); ++row) {
        for (int col = 0; kArrow[row][col]; ++col) {
            const char c = kArrow[row][col];
            if (c != ' ')
                image.set(kCursorHotSpotX + col, kCursorHotSpotY + row, c == 'X' ? Ink::Black : Ink::White);
        }
    }
}

// A black-framed white box with a black plus (copy) or cross (no drop).
void drawBoxedSign(MonoImage& image, bool cross)
{
    for (int y = kBoxTop; y <= kBoxBottom; ++y) {
        for (int x = kBoxLeft; x <= kBoxRight; ++x) {
            const bool frame = x == kBoxLeft || x == kBoxRight || y == kBoxTop || y == kBoxBottom;
            image.set(x, y, frame ? Ink::Black : Ink::White);
        }
    }
    const int centreX = (kBoxLeft + kBoxRight) / 2, centreY = (kBoxTop + kBoxBottom) / 2;
    for (int i = -3; i <= 3; ++i) {
        if (cross) {
            image.set(centreX + i, centreY + i, Ink::Black);
            image.set(centreX + i, centreY - i, Ink::Black);
        } else {
            image.set(centreX + i, centreY, Ink::Black);
            image.set(centreX, centreY + i, Ink::Black);
        }
    }
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putInfoHeader(std::vector<std::uint8_t>& out, int width, int height, std::uint32_t imageSize,
                   std::uint16_t bitsPerPixel = 32)
{
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, bitsPerPixel);
    put32(out, 0); // BI_RGB
    put32(out, imageSize);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
}

// A stored bitmap starts with the size of the file that follows, then the
// file: its header, the picture's header and the rows.
void putStoredBitmapHeader(std::vector<std::uint8_t>& out, int width, int height, std::uint32_t pixelBytes,
                           std::uint16_t bitsPerPixel)
{
    const std::uint32_t fileSize = 14 + 40 + pixelBytes;
    put32(out, fileSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, fileSize);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, width, height, pixelBytes, bitsPerPixel);
}

void putRowsBottomUp(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bgra, int size)
{
    const std::size_t stride = static_cast<std::size_t>(size) * 4;
    for (int row = size - 1; row >= 0; --row) {
        const auto first = bgra.begin() + static_cast<std::ptrdiff_t>(row * stride);
        out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(stride));
    }
}

std::vector<std::uint8_t> unpremultiply(const std::vector<std::uint8_t>& bgra)
{
    std::vector<std::uint8_t> out(bgra.size());
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        const unsigned a = bgra[i + 3];
        out[i + 3] = static_cast<std::uint8_t>(a);
        if (a == 0)
            continue;
        for (std::size_t c = 0; c < 3; ++c)
            out[i + c] = static_cast<std::uint8_t>(std::min(255u, (bgra[i + c] * 255u + a / 2) / a));
    }
    return out;
}

void checkImage(const std::vector<std::uint8_t>& bgra, int size)
{
    if (bgra.size() != static_cast<std::size_t>(size) * size * 4)
        throw std::invalid_argument("image data does not match its size");
}

} // namespace

std::vector<std::uint8_t> renderCommandPicture(int index)
{
    Canvas canvas(kCommandPictureSize);
    switch (index) {
    case 0: drawExit(canvas); break;
    case 1: drawStart(canvas); break;
    case 2: drawPause(canvas); break;
    case 3: drawStop(canvas); break;
    case 4: drawAbout(canvas); break;
    default: throw std::out_of_range("no command picture with this index");
    }
    return canvas.bgra();
}

std::vector<std::uint8_t> renderIcon(int size)
{
    if (size < 16 || size > 256 || size % 8 != 0)
        throw std::out_of_range("icon sizes run from 16 to 256 in steps of 8");
    Canvas canvas(size);
    drawStopwatch(canvas);
    return canvas.bgra();
}

std::vector<std::uint8_t> renderLogo() { return drawLogo(); }

std::vector<std::uint8_t> encodePicture(const std::vector<std::uint8_t>& bgr)
{
    constexpr std::size_t stride = (kLogoWidth * 3 + 3) / 4 * 4;
    if (bgr.size() != static_cast<std::size_t>(kLogoWidth) * kLogoHeight * 3)
        throw std::invalid_argument("logo data does not match its size");
    constexpr std::uint32_t pixelBytes = stride * kLogoHeight;
    constexpr std::uint32_t fileSize = 14 + 40 + pixelBytes;
    constexpr char className[] = "TBitmap";
    std::vector<std::uint8_t> out;
    out.reserve(sizeof className + 4 + fileSize);
    out.push_back(sizeof className - 1);
    for (const char* c = className; *c; ++c)
        out.push_back(static_cast<std::uint8_t>(*c));
    putStoredBitmapHeader(out, kLogoWidth, kLogoHeight, pixelBytes, 24);
    for (int row = kLogoHeight - 1; row >= 0; --row) {
        const auto first = bgr.begin() + static_cast<std::ptrdiff_t>(row) * kLogoWidth * 3;
        out.insert(out.end(), first, first + kLogoWidth * 3);
        out.insert(out.end(), stride - kLogoWidth * 3, 0);
    }
    return out;
}

std::vector<std::uint8_t> encodeDataBlock(const std::vector<std::uint8_t>& bgra)
{
    constexpr int size = kCommandPictureSize;
    checkImage(bgra, size);
    constexpr std::uint32_t pixelBytes = size * size * 4;
    constexpr std::uint32_t fileSize = 14 + 40 + pixelBytes;
    std::vector<std::uint8_t> out;
    out.reserve(4 + fileSize);
    putStoredBitmapHeader(out, size, size, pixelBytes, 32);
    putRowsBottomUp(out, bgra, size);
    return out;
}

std::vector<std::uint8_t> encodeIcon(const std::vector<int>& sizes,
                                     const std::vector<std::vector<std::uint8_t>>& bgraImages)
{
    if (sizes.empty() || sizes.size() != bgraImages.size())
        throw std::invalid_argument("an icon needs one image per size");
    std::vector<std::vector<std::uint8_t>> entries;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        if (size < 1 || size > 256)
            throw std::out_of_range("icon images run from 1 to 256 pixels");
        checkImage(bgraImages[i], size);
        const std::size_t maskStride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
        const std::size_t pixelBytes = static_cast<std::size_t>(size) * size * 4;
        std::vector<std::uint8_t> entry;
        putInfoHeader(entry, size, size * 2, static_cast<std::uint32_t>(pixelBytes + maskStride * size));
        putRowsBottomUp(entry, unpremultiply(bgraImages[i]), size);
        // The AND mask marks fully transparent pixels for anything that
        // draws the icon without its alpha channel.
        for (int row = size - 1; row >= 0; --row) {
            std::vector<std::uint8_t> mask(maskStride, 0);
            for (int x = 0; x < size; ++x) {
                if (bgraImages[i][(static_cast<std::size_t>(row) * size + x) * 4 + 3] == 0)
                    mask[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            entry.insert(entry.end(), mask.begin(), mask.end());
        }
        entries.push_back(std::move(entry));
    }

    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));
        out.push_back(0); // colour count
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 32); // bits per pixel
        put32(out, static_cast<std::uint32_t>(entries[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const auto& entry : entries)
        out.insert(out.end(), entry.begin(), entry.end());
    return out;
}

std::vector<Ink> renderDragCursor(int index)
{
    if (index < 0 || index >= kDragCursorCount)
        throw std::out_of_range("no drag cursor with this index");
    MonoImage image;
    drawDottedButton(image);
    drawArrow(image);
    if (index > 0)
        drawBoxedSign(image, index == 2);
    return image.pixels();
}

std::vector<std::uint8_t> encodeCursor(const std::vector<Ink>& pixels, int hotSpotX, int hotSpotY)
{
    constexpr int size = kCursorSize;
    if (pixels.size() != static_cast<std::size_t>(size) * size)
        throw std::invalid_argument("cursor data does not match its size");
    if (hotSpotX < 0 || hotSpotX >= size || hotSpotY < 0 || hotSpotY >= size)
        throw std::out_of_range("the hot spot lies outside the cursor");
    constexpr std::uint32_t stride = (size + 31) / 32 * 4;
    constexpr std::uint32_t maskBytes = stride * size;
    constexpr std::uint32_t imageBytes = 40 + 2 * 4 + 2 * maskBytes;

    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 2); // cursor
    put16(out, 1);
    out.push_back(size);
    out.push_back(size);
    out.push_back(2); // colour count
    out.push_back(0);
    put16(out, static_cast<std::uint32_t>(hotSpotX));
    put16(out, static_cast<std::uint32_t>(hotSpotY));
    put32(out, imageBytes);
    put32(out, 6 + 16); // the image follows the one directory entry
    // Both masks stacked: the height counts them twice.
    putInfoHeader(out, size, size * 2, 2 * maskBytes, 1);
    put32(out, 0x000000);
    put32(out, 0xFFFFFF);
    // The XOR mask sets white; the AND mask keeps the screen where clear.
    for (const Ink lit : {Ink::White, Ink::Clear}) {
        for (int row = size - 1; row >= 0; --row) {
            std::vector<std::uint8_t> bits(stride, 0);
            for (int x = 0; x < size; ++x) {
                if (pixels[static_cast<std::size_t>(row) * size + x] == lit)
                    bits[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            out.insert(out.end(), bits.begin(), bits.end());
        }
    }
    return out;
}

std::vector<OutputFile> renderAll()
{
    std::vector<OutputFile> files;
    for (int i = 0; i < kCommandPictureCount; ++i)
        files.push_back({kCommandPictureFiles[i], encodeDataBlock(renderCommandPicture(i))});
    std::vector<int> sizes(std::begin(kIconSizes), std::end(kIconSizes));
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes)
        images.push_back(renderIcon(size));
    files.push_back({kIconFile, encodeIcon(sizes, images)});
    files.push_back({kLogoFile, encodePicture(renderLogo())});
    for (int i = 0; i < kDragCursorCount; ++i)
        files.push_back({kDragCursorFiles[i], encodeCursor(renderDragCursor(i), kCursorHotSpotX, kCursorHotSpotY)});
    return files;
}

} // namespace artwork
