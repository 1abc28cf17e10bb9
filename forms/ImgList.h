// The platform image list: a component that owns a common-controls image
// list of equally sized pictures and tells registered clients of changes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "forms/Component.h"
#include "forms/Graphics.h"
#include "forms/Handles.h"

namespace forms {

class TCustomImageList;

// A client's registration for the changes of an image list (a command list,
// a toolbar manager). A list that goes away clears Sender first.
class TChangeLink {
public:
    TChangeLink() = default;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    ~TChangeLink();

    TCustomImageList* Sender() const { return FSender; }
    std::function<void()> OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
};

enum class TDrawingStyle { Focus, Selected, Normal, Transparent };
enum class TImageType { Image, Mask };

class TCustomImageList : public TComponent {
public:
    // Raises "Invalid image size" for a height outside 1..32768 or a width
    // below 1; `flags` are the system list's ILC_ flags.
    TCustomImageList(TComponent* owner, int width, int height, UINT flags);
    ~TCustomImageList() override;

    HIMAGELIST Handle() const { return FHandle.Get(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    // A new picture size removes every picture.
    virtual void SetSize(int width, int height);
    int Count() const;

    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor color);
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor color);
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const { return FImageType; }
    void SetImageType(TImageType type);
    // Stored for the description; the list always frees the system list it made.
    bool ShareImages() const { return FShareImages; }
    void SetShareImages(bool share) { FShareImages = share; }

    // Appends the pictures of a bitmap, one per Width-wide cell; returns the
    // first new index or -1 when the system list refuses them.
    int Add(HBITMAP image, HBITMAP mask);
    int AddMasked(HBITMAP image, TColor maskColor);
    // Removes one picture, or all for -1. Other indices raise
    // "Invalid ImageList Index".
    virtual void Delete(int index);
    void Clear() { Delete(-1); }

    // Draws one picture through the draw hook; style is ILD_ flags.
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);
    void Draw(HDC dc, int x, int y, int index, UINT style, bool enabled);

    // One picture as 32-bit pixels, top row first (blue, green, red, and
    // alpha as a 32-bit system list keeps it, else 0), or its mask (white
    // 0x00FFFFFF marks transparency, black 0 opacity). `out` gets Width * Height pixels. False
    // for an index out of range or a list without that bitmap.
    bool CopyImagePixels(int index, std::vector<std::uint32_t>& out) const;
    bool CopyMaskPixels(int index, std::vector<std::uint32_t>& out) const;
    // Colour depth of the system list's own image bitmap; 0 when unknown.
    int ImageBitsPerPixel() const;

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

    // Takes over size, colours, styles and pictures of another list.
    virtual void Assign(const TCustomImageList& source);

    // The system list's own serialised form (the stored "Bitmap").
    std::vector<std::uint8_t> SaveToBytes() const;
    // Replaces the system list with one read from that form; on failure
    // raises EReadError and keeps the list as it was.
    void LoadFromBytes(std::span<const std::uint8_t> bytes);

    TNotifyEvent OnChange;

    const PropertyTable& StoredProperties() const override;

protected:
    // The stored "Bitmap": the system list's serialised form, kept while
    // the list has pictures.
    virtual bool IsBitmapStored() const { return Count() > 0; }
    virtual void LoadStoredBitmap(std::span<const std::uint8_t> bytes) { LoadFromBytes(bytes); }
    // The per-picture draw hook.
    virtual void DoDraw(int index, HDC dc, int x, int y, UINT style, bool enabled);
    // Tells the change links, then OnChange.
    virtual void Change();
    // Size, colours and styles of another list, without its pictures.
    void AssignProperties(const TCustomImageList& source);
    // An empty system list of this list's kind and size.
    ImageListHandle CreateHandle() const;
    // Puts another system list of this list's kind and size in place and
    // returns the one it replaces; no change is signalled.
    ImageListHandle ExchangeHandle(ImageListHandle handle);

private:
    bool CopyPixels(int index, bool mask, std::vector<std::uint32_t>& out) const;
    // Draws one picture with ILD_ style flags over a background of 32-bit
    // pixels of ours: the mask draws onto white, the image onto black.
    bool DrawPixels(int index, UINT style, std::uint32_t background, std::vector<std::uint32_t>& out) const;

    ImageListHandle FHandle;
    UINT FFlags;
    int FWidth;
    int FHeight;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = TDrawingStyle::Normal;
    TImageType FImageType = TImageType::Image;
    bool FShareImages = false;
    std::vector<TChangeLink*> FLinks;
};

// The plain platform list: device-dependent colours with a mask.
class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16)
        : TCustomImageList(owner, width, height, ILC_COLORDDB | ILC_MASK) {}
    const char* ClassName() const override { return "TImageList"; }
};

}  // namespace forms
