// Fixtures of the image-list tests: pictures made from a function, a
// drawing surface read back pixel by pixel, a root to load stored lists into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "controls/cxGraphics.h"
#include "forms/FormReader.h"
#include "forms/Handles.h"
#include "tests/controls/PictureTestSupport.h"

namespace controlstest {

// A 32-bit picture whose pixel (x, y) is f(x, y).
inline std::unique_ptr<controls::TcxBitmap32> Picture(int w, int h, const std::function<Pixel(int, int)>& f) {
    auto bitmap = std::make_unique<controls::TcxBitmap32>(w, h);
    auto px = bitmap->Pixels();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = f(x, y);
    return bitmap;
}

inline std::unique_ptr<controls::TcxBitmap32> Solid(int w, int h, Pixel p) {
    return Picture(w, h, [p](int, int) { return p; });
}

// A 32-bit DIB in a memory DC, filled with a background.
class Surface {
public:
    Surface(int w, int h, const std::function<Pixel(int, int)>& background)
        : FBitmap(Picture(w, h, background)), FSelect(FDC.Get(), FBitmap->Handle()) {}
    Surface(int w, int h, Pixel background) : Surface(w, h, [background](int, int) { return background; }) {}
    HDC DC() const { return FDC.Get(); }
    Pixel At(int x, int y) const {
        ::GdiFlush();
        return FBitmap->Pixels()[static_cast<std::size_t>(y) * FBitmap->Width() + x];
    }
    // Colour only: GDI does not keep the alpha byte of what it draws.
    Pixel Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }
    std::vector<Pixel> All() const {
        ::GdiFlush();
        auto px = FBitmap->Pixels();
        return {px.begin(), px.end()};
    }

private:
    std::unique_ptr<controls::TcxBitmap32> FBitmap;
    forms::MemoryDC FDC;
    forms::SelectGuard FSelect;
};

// Owns what a stored description creates.
class TTestRoot : public forms::TComponent {
public:
    TTestRoot() : TComponent(nullptr) {}
    const char* ClassName() const override { return "TTestRoot"; }
    void Read(const forms::ObjectNode& child) {
        forms::ObjectNode node{"TTestRoot", "", {}, {child}};
        forms::TReader reader(this, nullptr);
        reader.ReadRoot(node);
    }
};

// Everything observable of a list's pictures, to compare before and after.
struct ListState {
    int width = 0, height = 0, count = 0;
    std::vector<std::vector<std::uint32_t>> images, masks;
    std::vector<controls::DibImage> mirrorImages, mirrorMasks;
    std::vector<forms::TColor> maskColours;
    friend bool operator==(const ListState&, const ListState&) = default;
};

inline ListState StateOf(const controls::TcxImageList& list) {
    ListState s;
    s.width = list.Width();
    s.height = list.Height();
    s.count = list.Count();
    for (int i = 0; i < s.count; ++i) {
        std::vector<std::uint32_t> image, mask;
        list.CopyImagePixels(i, image);
        list.CopyMaskPixels(i, mask);
        s.images.push_back(image);
        s.masks.push_back(mask);
    }
    for (int i = 0; i < list.ImageInfo().Count(); ++i) {
        const auto& item = list.ImageInfo().Items(i);
        s.mirrorImages.push_back(item.Image().Image());
        s.mirrorMasks.push_back(item.Mask().Image());
        s.maskColours.push_back(item.MaskColor());
    }
    return s;
}

}  // namespace controlstest
