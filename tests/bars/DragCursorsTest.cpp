// The cursors of a dragged toolbar button, as start-up registers them from
// the program's resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "bars/dxBarTypes.h"
#include "forms/Forms.h"
#include "forms/Handles.h"

using namespace forms;

namespace {

enum class Ink { Clear, Black, White };

// A monochrome cursor read back from the system: its hot spot and the
// pixels its two masks give, top row first.
struct CursorImage {
    bool isIcon = true;
    POINT hotSpot{};
    bool hasColourBitmap = true;
    BITMAP mask{};
    std::vector<Ink> pixels;
    Ink At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * 32 + x]; }
};

CursorImage ReadCursor(HCURSOR cursor) {
    CursorImage image;
    ICONINFO info{};
    if (!::GetIconInfo(cursor, &info)) {
        ADD_FAILURE() << "no icon information";
        return image;
    }
    // GetIconInfo hands us copies of the cursor's bitmaps to free.
    const Bitmap mask(info.hbmMask), colour(info.hbmColor);
    image.isIcon = info.fIcon != FALSE;
    image.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    image.hasColourBitmap = static_cast<bool>(colour);
    ::GetObjectA(mask.Get(), sizeof image.mask, &image.mask);
    if (image.mask.bmWidth != 32 || image.mask.bmHeight != 64 || image.mask.bmBitsPixel != 1) return image;
    // A monochrome bitmap's rows are whole words: 4 bytes at this width.
    // The AND mask is the top half, the XOR mask the bottom half.
    std::vector<BYTE> bits(4 * 64);
    ::GetBitmapBits(mask.Get(), static_cast<LONG>(bits.size()), bits.data());
    const auto bit = [&bits](int x, int row) { return (bits[static_cast<std::size_t>(row) * 4 + x / 8] & (0x80 >> (x % 8))) != 0; };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.pixels.push_back(bit(x, y) ? Ink::Clear : bit(x, y + 32) ? Ink::White : Ink::Black);
    return image;
}

TEST(DragCursors, MonochromeWithTheArrowsTipAsHotSpotAndASignAtTheLowerRight) {
    const HandleCount before = LiveHandles();
    const HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    const HCURSOR no = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32648));
    const int ids[] = {bars::crDXBarDrag, bars::crDXBarDragCopy, bars::crDXBarDragNoDrop};
    std::vector<CursorImage> images;
    for (int id : ids) {
        SCOPED_TRACE(id);
        const HCURSOR cursor = Screen().Cursor(id);
        // Not the stand-ins for a program without the resources.
        EXPECT_NE(cursor, arrow);
        EXPECT_NE(cursor, no);
        const CursorImage image = ReadCursor(cursor);
        EXPECT_FALSE(image.isIcon);
        EXPECT_EQ(image.hotSpot.x, 6);
        EXPECT_EQ(image.hotSpot.y, 3);
        EXPECT_FALSE(image.hasColourBitmap);
        EXPECT_EQ(image.mask.bmWidth, 32);
        EXPECT_EQ(image.mask.bmHeight, 64);
        ASSERT_EQ(image.pixels.size(), 32u * 32u);
        EXPECT_EQ(image.At(6, 3), Ink::Black) << "the arrow's tip";
        EXPECT_EQ(image.At(5, 3), Ink::Clear);
        EXPECT_EQ(image.At(7, 5), Ink::White) << "inside the arrow";
        images.push_back(image);
    }
    ASSERT_EQ(images.size(), 3u);

    // The same arrow and button above; apart in the lower right, where the
    // moving cursor shows nothing.
    const auto sameIn = [](const CursorImage& a, const CursorImage& b, int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (a.At(x, y) != b.At(x, y)) return false;
        return true;
    };
    EXPECT_TRUE(sameIn(images[0], images[1], 0, 0, 32, 20));
    EXPECT_TRUE(sameIn(images[0], images[2], 0, 0, 32, 20));
    EXPECT_FALSE(sameIn(images[0], images[1], 20, 20, 32, 32));
    EXPECT_FALSE(sameIn(images[0], images[2], 20, 20, 32, 32));
    EXPECT_FALSE(sameIn(images[1], images[2], 20, 20, 32, 32));
    bool moveClear = true;
    for (int y = 20; y < 32; ++y)
        for (int x = 20; x < 32; ++x) moveClear = moveClear && images[0].At(x, y) == Ink::Clear;
    EXPECT_TRUE(moveClear);

    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
