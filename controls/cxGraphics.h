// The 32-bit image list that holds the command pictures, the bitmaps it is
// built from, and DrawImage, which lays a picture with per-pixel alpha over
// whatever lies behind it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "controls/cxGraphicsData.h"
#include "controls/cxGraphicsPixels.h"
#include "forms/Component.h"
#include "forms/Graphics.h"
#include "forms/Handles.h"
#include "forms/ImgList.h"

namespace controls {

using forms::TColor;

enum class ImageDrawMode { Normal, Disabled, Faded, Grayscale, Pale, Shadowed };

// ---- Bitmaps

// A device-independent bitmap whose pixels live in memory and which makes
// its GDI bitmap (a DIB section) only on demand; Dormant gives the handle
// back and keeps the pixels. Rows are top row first.
class TcxBitmap : public forms::TPersistent {
public:
    TcxBitmap() = default;
    // A cleared bitmap; without a depth, 24 bits per pixel.
    TcxBitmap(int width, int height, int bitsPerPixel = 24);
    TcxBitmap(const TcxBitmap&) = delete;
    TcxBitmap& operator=(const TcxBitmap&) = delete;

    int Width() const { return FImage.width; }
    int Height() const { return FImage.height; }
    int BitsPerPixel() const { return FImage.bitsPerPixel; }
    bool Empty() const { return FImage.Empty(); }

    // A new size or depth clears every pixel.
    void SetSize(int width, int height);
    void SetPixelFormat(int bitsPerPixel);
    // Every byte 0.
    void Clear();
    // Copies size, depth, palette and pixels.
    void Assign(const TcxBitmap& source);
    void Assign(const DibImage& image);
    // A copy of the whole bitmap.
    DibImage Image() const;

    // The GDI bitmap, made on first use after the bitmap was dormant.
    HBITMAP Handle();
    bool HandleAllocated() const { return static_cast<bool>(FHandle); }
    // Releases the GDI bitmap and keeps the pixels in memory.
    void Dormant();

    // Row y, top row 0. Reading after GDI drew into the bitmap needs a
    // GdiFlush first; a change made here is announced with Modified.
    std::uint8_t* ScanLine(int y) { return Bits() + static_cast<std::size_t>(y) * Stride(); }
    const std::uint8_t* ScanLine(int y) const { return Bits() + static_cast<std::size_t>(y) * Stride(); }
    std::size_t Stride() const { return FImage.Stride(); }
    const std::vector<std::uint32_t>& Palette() const { return FImage.palette; }
    void Modified() { Changed(); }

    // Chooses the stored form of Data: compressed or plain.
    bool CompressData() const { return FCompressData; }
    void SetCompressData(bool compress) { FCompressData = compress; }
    std::vector<std::uint8_t> SaveData() const;
    // Takes a block in either form. Bad data raises EInvalidImageData and
    // leaves the bitmap as it was.
    void LoadData(std::span<const std::uint8_t> block);

    // While locked, a change only marks the bitmap modified; the outermost
    // EndUpdate announces it once, or always when forced.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate(bool forceNotify = false);
    std::function<void()> OnChange;

    // Data, while there is a picture.
    const forms::PropertyTable& StoredProperties() const override;

protected:
    // Every change ends here; a depth check may refuse it by throwing, and
    // then the change is undone where it replaced the whole bitmap.
    virtual void Changed();
    std::uint8_t* Bits() { return FHandle ? FSection : FImage.bits.data(); }
    const std::uint8_t* Bits() const { return FHandle ? FSection : FImage.bits.data(); }

private:
    void Replace(DibImage image);
    void Realise();

    DibImage FImage;  // bits are empty while the DIB section holds them
    forms::Bitmap FHandle;
    std::uint8_t* FSection = nullptr;
    bool FCompressData = false;
    int FUpdateCount = 0;
    bool FModified = false;
};

// A bitmap that is always 32 bits per pixel.
class TcxBitmap32 : public TcxBitmap {
public:
    TcxBitmap32() : TcxBitmap(0, 0, 32) {}
    // Created cleared: every byte 0.
    TcxBitmap32(int width, int height) : TcxBitmap(width, height, 32) {}

    // All pixels, rows top row first; like ScanLine, after GDI drew into
    // the bitmap read them only after a GdiFlush. The span lasts until the
    // pixels move: Handle after dormancy, Dormant, a new size or depth.
    std::span<pixels::Pixel> Pixels();
    std::span<const pixels::Pixel> Pixels() const;

protected:
    // Raises EdxException "Wrong PixelFormat" at any other depth.
    void Changed() override;
};

// 24-bit colours in the byte order of the pixels (blue low, red third).
class TcxColorList {
public:
    void Add(std::uint32_t colour);
    void Clear() { FColours.clear(); }
    int Count() const { return static_cast<int>(FColours.size()); }
    bool Contains(std::uint32_t colour) const;
    std::span<const std::uint32_t> Items() const { return FColours; }

private:
    std::vector<std::uint32_t> FColours;
};

// A 32-bit bitmap with a notion of transparent pixels: those equal to the
// background value, or whose colour is in the list.
class TcxAlphaBitmap : public TcxBitmap32 {
public:
    using TcxBitmap32::TcxBitmap32;

    std::uint32_t TransparentBkColor() const { return FTransparentBkColor; }
    void SetTransparentBkColor(std::uint32_t value) { FTransparentBkColor = value; }
    TcxColorList& TransparentPixels() { return FTransparentPixels; }
    pixels::Transparency Transparency() const { return {FTransparentBkColor, FTransparentPixels.Items()}; }
    bool IsTransparent(pixels::Pixel p) const { return Transparency()(p); }

    // alpha := 255 everywhere.
    void MakeOpaque();
    // Pixels that are not transparent and have alpha 0 get alpha 255.
    void FillOpaque();
    // Transparent pixels := 0xFFFFFFFF, all others 0.
    void MakeMask();

private:
    std::uint32_t FTransparentBkColor = 0;
    TcxColorList FTransparentPixels;
};

// ---- The image list and its mirror

class TcxImageList;

// The source bitmaps of one picture.
class TcxImageInfo {
public:
    TcxImageInfo() = default;
    TcxImageInfo(const TcxImageInfo&) = delete;
    TcxImageInfo& operator=(const TcxImageInfo&) = delete;

    TcxBitmap& Image() { return FImage; }
    const TcxBitmap& Image() const { return FImage; }
    TcxBitmap& Mask() { return FMask; }
    const TcxBitmap& Mask() const { return FMask; }
    TColor MaskColor() const { return FMaskColor; }
    void SetMaskColor(TColor colour) { FMaskColor = colour; }
    // Copies the bitmap (none: empty) and makes its GDI bitmap.
    void SetImage(const TcxBitmap* image);
    void SetMask(const TcxBitmap* mask);
    void Assign(const TcxImageInfo& source);

private:
    TcxBitmap FImage;
    TcxBitmap FMask;
    TColor FMaskColor = forms::clNone;
};

// One mirror entry, as stored: Image.Data, Mask.Data, MaskColor.
class TcxImageInfoItem : public forms::TPersistent {
public:
    explicit TcxImageInfoItem(bool compressData);

    TcxImageInfo& Info() { return FInfo; }
    const TcxImageInfo& Info() const { return FInfo; }
    TcxBitmap& Image() { return FInfo.Image(); }
    const TcxBitmap& Image() const { return FInfo.Image(); }
    TcxBitmap& Mask() { return FInfo.Mask(); }
    const TcxBitmap& Mask() const { return FInfo.Mask(); }
    TColor MaskColor() const { return FInfo.MaskColor(); }
    // True only when both bitmaps store compressed; setting sets both.
    bool CompressData() const;
    void SetCompressData(bool compress);

    const forms::PropertyTable& StoredProperties() const override;

private:
    TcxImageInfo FInfo;
};

// The mirror: one item per picture of the system list, in its order.
class TcxImageInfoCollection {
public:
    using ItemList = std::vector<std::unique_ptr<TcxImageInfoItem>>;

    int Count() const { return static_cast<int>(FItems.size()); }
    TcxImageInfoItem& Items(int index) { return *FItems.at(static_cast<std::size_t>(index)); }
    const TcxImageInfoItem& Items(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
    // Copies the bitmaps into a new item; returns it.
    TcxImageInfoItem& Add(const TcxBitmap* image, const TcxBitmap* mask, TColor maskColor);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    void Move(int from, int to);

    // Copied into every item, now and when made.
    bool CompressData() const { return FCompressData; }
    void SetCompressData(bool compress);

    // The stored collection: every item's properties.
    forms::Value Write() const;
    // Reads the items of a stored collection without touching this one.
    ItemList ReadItems(const forms::Value& value, forms::TReader& reader) const;
    void Swap(ItemList& items) { FItems.swap(items); }

private:
    ItemList FItems;
    bool FCompressData = false;
};

// An image list of 32-bit pictures with alpha. Beside the system list it
// keeps the source bitmaps (the mirror), which is what its stored form
// carries; loading rebuilds the system list from them.
class TcxImageList : public forms::TCustomImageList {
public:
    explicit TcxImageList(forms::TComponent* owner, int width = 16, int height = 16);
    const char* ClassName() const override { return "TcxImageList"; }

    void SetSize(int width, int height) override;

    // Adds a picture (or a strip or grid of them, left to right, top row
    // first); without a mask every pixel is opaque. Returns the first new
    // index, or -1 when the system list refuses it.
    int AddPicture(TcxBitmap* image, TcxBitmap* mask = nullptr);
    // Pixels of the mask colour become transparent.
    int AddPictureByColour(TcxBitmap* image, TColor maskColor);
    // Ignored for an index below 0 or above the count.
    void InsertPicture(int index, TcxBitmap* image, TcxBitmap* mask = nullptr);
    // The picture at the index is replaced; the list is left as it was when
    // the new picture is refused.
    void ReplacePicture(int index, TcxBitmap* image, TcxBitmap* mask = nullptr);
    // -1 removes all; an index outside the list raises "Invalid ImageList Index".
    void DeletePicture(int index);
    void ClearPictures() { DeletePicture(-1); }
    // Raises EOutOfResources, and leaves both lists as they were, when the
    // system list refuses the move.
    void MovePicture(int from, int to);
    void Delete(int index) override { DeletePicture(index); }

    // Change notification waits for the outermost unlock.
    void LockChanges() { ++FLockCount; }
    void UnlockChanges(bool notify = true);

    // Copies a picture into the given bitmaps (either may be null); nothing
    // for an index out of range. False when no image was copied.
    bool CopyPicture(int index, TcxBitmap* image, TcxBitmap* mask);
    // Draws a picture into a rectangle: centred at its own size, or
    // stretched to the rectangle.
    void DrawPicture(HDC dc, const RECT& rect, int index, bool stretch, bool smooth, bool enabled);

    TcxImageInfoCollection& ImageInfo() { return FImages; }
    const TcxImageInfoCollection& ImageInfo() const { return FImages; }
    bool CompressData() const { return FImages.CompressData(); }
    void SetCompressData(bool compress) { FImages.SetCompressData(compress); }
    int FormatVersion() const { return FFormatVersion; }
    // Design-time position: left in the low 16 bits, top in the high.
    std::int32_t DesignInfo() const { return FDesignInfo; }
    void SetDesignInfo(std::int32_t value) { FDesignInfo = value; }
    // Drawing through DrawImage (set from construction) or the system list.
    bool AlphaDrawing() const { return FAlphaDrawing; }
    void SetAlphaDrawing(bool alpha) { FAlphaDrawing = alpha; }

    // Size, colours and styles first, then every picture; masks and mask
    // colours survive when the source is one of ours.
    void Assign(const forms::TCustomImageList& source) override;

    // Its pictures are stored as the mirror's items (ImageInfo), never as
    // the system list's Bitmap, which is still read.
    const forms::PropertyTable& StoredProperties() const override;

    // Lets tests stand in for the system calls that move a picture; null
    // puts the system's back.
    using SetImageCountFunction = BOOL(WINAPI*)(HIMAGELIST, UINT);
    using CopyFunction = BOOL(WINAPI*)(HIMAGELIST, int, HIMAGELIST, int, UINT);
    static void SetSystemMoveFunctions(SetImageCountFunction setImageCount, CopyFunction copy);

protected:
    bool IsBitmapStored() const override { return false; }
    void LoadStoredBitmap(std::span<const std::uint8_t> bytes) override;
    void Change() override;
    void DoDraw(int index, HDC dc, int x, int y, UINT style, bool enabled) override;

private:
    // A copy of the system list with one picture moved; the list itself is
    // not touched, so a refusal half way changes nothing.
    forms::ImageListHandle MovedCopy(int from, int to) const;
    // Moves the pictures from `first` to the end, just added, to `index` on;
    // when a move is refused, takes them all out again and rethrows.
    void MoveAddedTo(int first, int index);
    // Appends the items for `added` pictures just added from the image.
    void AppendToMirror(const TcxBitmap& image, const TcxBitmap* mask, TColor maskColor, int added);
    // After the system list was replaced from its own serialised form.
    void RebuildMirror();
    // After the mirror was read; restores both on failure.
    void RebuildSystemList(TcxImageInfoCollection::ItemList& previous);

    TcxImageInfoCollection FImages;
    bool FAlphaDrawing = true;
    int FFormatVersion = 1;
    std::int32_t FDesignInfo = 0;
    int FLockCount = 0;
    bool FMirrorSuspended = false;
};

// ---- DrawImage

// Lays a picture over the DC: G is the picture's rectangle, K the
// background rectangle that is read and written back. The picture is the
// glyph when it is not empty, else the list's picture at the index;
// nothing is drawn when there is neither.
void DrawImage(HDC dc, const RECT& glyphRect, const RECT& backgroundRect, TcxBitmap* glyph,
               forms::TCustomImageList* images, int imageIndex, ImageDrawMode mode, bool smooth = false,
               HBRUSH brush = nullptr, TColor transparentColor = forms::clNone, bool useGlyphTransparency = true);

// How DrawImage lays the picture down. Auto chooses as the system allows:
// AlphaBlend, or our own pixel loop in a 32-bit process on 64-bit Windows
// (WOW64) and where there is no AlphaBlend. Tests force the others.
enum class TcxBlendPath { Auto, AlphaBlend, GdiPlus, Pixels };
void SetBlendPath(TcxBlendPath path);
TcxBlendPath BlendPath();
// The path the setting stands for now (never Auto).
TcxBlendPath ResolvedBlendPath();
// What start-up found: a 32-bit process on 64-bit Windows. Tests set it to
// see the other build's choices.
bool RunningUnderWow64();
void SetRunningUnderWow64(bool wow64);
// The means the last picture was actually laid down with.
TcxBlendPath LastBlendPath();
// GDI+ was found and started (loaded on first need).
bool GdiPlusAvailable();

// Module start-up (looks up AlphaBlend once) and shutdown (frees the
// scratch bitmaps and GDI+).
void InitializeGraphics();
void FinalizeGraphics();

}  // namespace controls
