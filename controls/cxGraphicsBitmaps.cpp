// The bitmaps of the image list: TcxBitmap, TcxBitmap32, TcxAlphaBitmap.
#include <algorithm>
#include <cstring>

#include "controls/Exceptions.h"
#include "controls/cxGraphics.h"
#include "forms/Exceptions.h"
#include "forms/Properties.h"
#include "forms/ResStrings.h"

namespace controls {

namespace {

std::vector<std::uint32_t> DefaultPalette(int bitsPerPixel) {
    if (bitsPerPixel == 1) return {0x000000, 0xFFFFFF};
    if (bitsPerPixel > 8) return {};
    // A gray ramp for 4 and 8 bits.
    const int n = 1 << bitsPerPixel;
    std::vector<std::uint32_t> palette(n);
    for (int i = 0; i < n; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(i * 255 / (n - 1));
        palette[i] = v << 16 | v << 8 | v;
    }
    return palette;
}

DibImage Cleared(int width, int height, int bitsPerPixel) {
    if (!IsSupportedDepth(bitsPerPixel)) throw EInvalidImageData("unsupported colour depth " + std::to_string(bitsPerPixel));
    DibImage image;
    image.bitsPerPixel = static_cast<std::uint16_t>(bitsPerPixel);
    image.palette = DefaultPalette(bitsPerPixel);
    if (width > 0 && height > 0) {
        image.bits.assign(PixelBytes(width, height, bitsPerPixel), 0);
        image.width = width;
        image.height = height;
    }
    return image;
}

bool SameLayout(const DibImage& a, const DibImage& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel && a.palette == b.palette;
}

}  // namespace

// ---- TcxBitmap

TcxBitmap::TcxBitmap(int width, int height, int bitsPerPixel) : FImage(Cleared(width, height, bitsPerPixel)) {}

void TcxBitmap::SetSize(int width, int height) {
    if (width == Width() && height == Height()) return;
    Replace(Cleared(width, height, BitsPerPixel()));
}

void TcxBitmap::SetPixelFormat(int bitsPerPixel) {
    if (bitsPerPixel == BitsPerPixel()) return;
    Replace(Cleared(Width(), Height(), bitsPerPixel));
}

void TcxBitmap::Clear() {
    if (FHandle) ::GdiFlush();
    if (!Empty()) std::memset(Bits(), 0, Stride() * Height());
    Changed();
}

void TcxBitmap::Assign(const TcxBitmap& source) {
    if (&source == this) return;
    if (FHandle && SameLayout(FImage, source.FImage)) {
        // Same layout: copy into the DIB section we have.
        ::GdiFlush();
        std::memcpy(FSection, source.Bits(), Stride() * Height());
        Changed();
        return;
    }
    Replace(source.Image());
}

void TcxBitmap::Assign(const DibImage& image) {
    if (FHandle && SameLayout(FImage, image) && image.bits.size() == Stride() * Height()) {
        ::GdiFlush();
        std::memcpy(FSection, image.bits.data(), image.bits.size());
        Changed();
        return;
    }
    Replace(image);
}

DibImage TcxBitmap::Image() const {
    DibImage copy;
    copy.width = FImage.width;
    copy.height = FImage.height;
    copy.bitsPerPixel = FImage.bitsPerPixel;
    copy.palette = FImage.palette;
    if (FHandle) {
        ::GdiFlush();
        copy.bits.assign(FSection, FSection + Stride() * Height());
    } else {
        copy.bits = FImage.bits;
    }
    return copy;
}

void TcxBitmap::Replace(DibImage image) {
    if (!image.Empty() && !IsConsistent(image)) throw EInvalidImageData("the bitmap is not consistent");
    const bool realised = HandleAllocated();
    DibImage previous = Image();
    Dormant();
    FImage = std::move(image);
    try {
        Changed();
    } catch (...) {
        FImage = std::move(previous);
        if (realised) Realise();
        throw;
    }
    if (realised && !Empty()) Realise();
}

void TcxBitmap::Realise() {
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + FImage.palette.size() * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = FImage.width;
    header->biHeight = -FImage.height;  // top row first, as we keep them
    header->biPlanes = 1;
    header->biBitCount = FImage.bitsPerPixel;
    header->biCompression = BI_RGB;
    header->biClrUsed = static_cast<DWORD>(FImage.palette.size());
    if (!FImage.palette.empty())
        std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), FImage.palette.data(), FImage.palette.size() * sizeof(RGBQUAD));
    void* bits = nullptr;
    forms::Bitmap section(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                             nullptr, 0));
    if (!section || !bits) throw forms::EOutOfResources(forms::ResString("SOutOfResources"));
    std::memcpy(bits, FImage.bits.data(), FImage.bits.size());
    FHandle = std::move(section);
    FSection = static_cast<std::uint8_t*>(bits);
    FImage.bits = {};
}

HBITMAP TcxBitmap::Handle() {
    if (!FHandle && !Empty()) Realise();
    return FHandle.Get();
}

void TcxBitmap::Dormant() {
    if (!FHandle) return;
    ::GdiFlush();
    FImage.bits.assign(FSection, FSection + Stride() * Height());
    FHandle.Reset();
    FSection = nullptr;
}

std::vector<std::uint8_t> TcxBitmap::SaveData() const { return EncodeData(Image(), FCompressData); }

void TcxBitmap::LoadData(std::span<const std::uint8_t> block) { Replace(DecodeData(block)); }

void TcxBitmap::EndUpdate(bool forceNotify) {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount > 0) return;
    if (FModified || forceNotify) Changed();
}

void TcxBitmap::Changed() {
    if (FUpdateCount > 0) {
        FModified = true;
        return;
    }
    FModified = false;
    if (OnChange) OnChange();
}

const forms::PropertyTable& TcxBitmap::StoredProperties() const {
    using P = forms::Describe<TcxBitmap>;
    static const forms::PropertyTable table(TPersistent::StoredProperties(), {
        P::Property("Data", forms::kBinary, &TcxBitmap::SaveData, &TcxBitmap::LoadData,
                    [](const TcxBitmap& b) { return !b.Empty(); }),
    });
    return table;
}

// ---- TcxBitmap32

std::span<pixels::Pixel> TcxBitmap32::Pixels() {
    return {reinterpret_cast<pixels::Pixel*>(Bits()), static_cast<std::size_t>(Width()) * Height()};
}

std::span<const pixels::Pixel> TcxBitmap32::Pixels() const {
    return {reinterpret_cast<const pixels::Pixel*>(Bits()), static_cast<std::size_t>(Width()) * Height()};
}

void TcxBitmap32::Changed() {
    if (BitsPerPixel() != 32) throw EdxException(forms::ResString("scxWrongPixelFormat"));
    TcxBitmap::Changed();
}

// ---- TcxColorList

void TcxColorList::Add(std::uint32_t colour) {
    colour &= 0x00FFFFFF;
    if (!Contains(colour)) FColours.push_back(colour);
}

bool TcxColorList::Contains(std::uint32_t colour) const {
    return std::find(FColours.begin(), FColours.end(), colour & 0x00FFFFFF) != FColours.end();
}

// ---- TcxAlphaBitmap

void TcxAlphaBitmap::MakeOpaque() {
    pixels::MakeOpaque(Pixels());
    Changed();
}

void TcxAlphaBitmap::FillOpaque() {
    pixels::FillOpaque(Pixels(), Transparency());
    Changed();
}

void TcxAlphaBitmap::MakeMask() {
    pixels::MakeMask(Pixels(), Transparency());
    Changed();
}

}  // namespace controls
