// The bitmaps behind the image list: depth, dormancy, the update lock and
// the stored Data property.
#include <gtest/gtest.h>

#include "controls/Exceptions.h"
#include "controls/cxGraphics.h"
#include "forms/FormWriter.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace controls;
using namespace controlstest;

TEST(Bitmap, DepthAndClearedPixels) {
    TcxBitmap plain(3, 2);
    EXPECT_EQ(plain.BitsPerPixel(), 24);
    EXPECT_FALSE(plain.Empty());
    EXPECT_TRUE(TcxBitmap().Empty());
    TcxBitmap32 cleared(3, 2);
    for (Pixel p : cleared.Pixels()) EXPECT_EQ(p, 0u);
}

TEST(Bitmap, ASizeWhoseByteCountWouldWrapIsRefused) {
    EXPECT_THROW(TcxBitmap32(134217728, 32), EInvalidImageData);
    TcxBitmap32 bitmap(2, 2);
    EXPECT_THROW(bitmap.SetSize(65536, 65536), EInvalidImageData);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Pixels().size(), 4u);
}

TEST(Bitmap, A32BitBitmapRefusesAnotherDepth) {
    TcxBitmap32 bitmap(2, 2);
    bitmap.Pixels()[3] = Argb(9, 8, 7, 6);
    try {
        bitmap.SetPixelFormat(24);
        ADD_FAILURE() << "accepted";
    } catch (const EdxException& e) {
        EXPECT_STREQ(e.what(), "Wrong PixelFormat");
    }
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    EXPECT_EQ(bitmap.Pixels()[3], Argb(9, 8, 7, 6));
    // Nor does it take 24-bit data.
    TcxBitmap other(2, 2, 24);
    EXPECT_THROW(bitmap.LoadData(other.SaveData()), EdxException);
    EXPECT_EQ(bitmap.Pixels()[3], Argb(9, 8, 7, 6));
}

TEST(Bitmap, DormantKeepsThePixelsAndGivesTheHandleBack) {
    const forms::HandleCount before = forms::LiveHandles();
    auto bitmap = Picture(4, 4, [](int x, int y) { return Argb(255, x, y, 7); });
    ASSERT_NE(bitmap->Handle(), nullptr);
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi + 1);
    bitmap->Dormant();
    EXPECT_FALSE(bitmap->HandleAllocated());
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(bitmap->Pixels()[6], Argb(255, 2, 1, 7));
    // Made again on demand, with the same pixels.
    {
        forms::MemoryDC dc;
        forms::SelectGuard select(dc.Get(), bitmap->Handle());
        EXPECT_EQ(::GetPixel(dc.Get(), 2, 1), RGB(2, 1, 7));
    }
    bitmap.reset();
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
}

TEST(Bitmap, TheUpdateLockSendsOneNotification) {
    TcxBitmap32 bitmap(2, 2);
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    bitmap.BeginUpdate();
    bitmap.BeginUpdate();
    bitmap.Clear();
    bitmap.SetSize(3, 3);
    bitmap.EndUpdate();
    EXPECT_EQ(changes, 0);
    bitmap.EndUpdate();
    EXPECT_EQ(changes, 1);
    // Unmodified: nothing, unless forced.
    bitmap.BeginUpdate();
    bitmap.EndUpdate();
    EXPECT_EQ(changes, 1);
    bitmap.BeginUpdate();
    bitmap.EndUpdate(true);
    EXPECT_EQ(changes, 2);
    bitmap.Clear();
    EXPECT_EQ(changes, 3);
}

TEST(Bitmap, DataIsStoredPlainOrCompressedAndBadDataChangesNothing) {
    auto bitmap = Picture(5, 3, [](int x, int y) { return Argb(255, x * 40, y * 80, 3); });
    const auto plain = forms::WriteProperties(*bitmap);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].name, "Data");
    EXPECT_EQ(DecodeData(plain[0].value.bytes), bitmap->Image());
    bitmap->SetCompressData(true);
    const auto packed = bitmap->SaveData();
    EXPECT_EQ(ExpandData(packed), plain[0].value.bytes);

    TcxBitmap copy;
    copy.LoadData(packed);
    EXPECT_EQ(copy.Image(), bitmap->Image());
    std::vector<std::uint8_t> damaged = packed;
    damaged.resize(damaged.size() - 3);
    EXPECT_THROW(copy.LoadData(damaged), EInvalidImageData);
    EXPECT_EQ(copy.Image(), bitmap->Image());
    // An empty bitmap stores nothing.
    EXPECT_TRUE(forms::WriteProperties(TcxBitmap()).empty());
}

TEST(AlphaBitmap, TransparencyDrivesThePixelOperations) {
    TcxAlphaBitmap bitmap(4, 1);
    auto px = bitmap.Pixels();
    px[0] = 0;
    px[1] = Argb(0, 255, 0, 255);
    px[2] = Argb(0, 1, 2, 3);
    px[3] = Argb(128, 1, 2, 3);
    bitmap.TransparentPixels().Add(0xFF00FF);
    EXPECT_TRUE(bitmap.IsTransparent(px[0]));
    EXPECT_TRUE(bitmap.IsTransparent(Argb(77, 255, 0, 255)));
    EXPECT_FALSE(bitmap.IsTransparent(px[2]));

    bitmap.FillOpaque();
    EXPECT_EQ(px[0], 0u);
    EXPECT_EQ(px[1], Argb(0, 255, 0, 255));
    EXPECT_EQ(px[2], Argb(255, 1, 2, 3));
    EXPECT_EQ(px[3], Argb(128, 1, 2, 3));

    bitmap.MakeMask();
    EXPECT_EQ(px[0], 0xFFFFFFFFu);
    EXPECT_EQ(px[1], 0xFFFFFFFFu);
    EXPECT_EQ(px[2], 0u);

    bitmap.MakeOpaque();
    EXPECT_EQ(px[2], 0xFF000000u);
}
