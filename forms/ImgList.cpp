// The stream functions of commctrl.h are declared only when the COM
// headers come first.
#include <objbase.h>

#include "forms/ImgList.h"

#include <algorithm>
#include <cstring>

#include "forms/Exceptions.h"
#include "forms/FormReader.h"
#include "forms/FormStream.h"
#include "forms/ImageListStream.h"
#include "forms/Properties.h"
#include "forms/Handles.h"
#include "forms/ResStrings.h"

namespace forms {

namespace {

constexpr int kDefaultSize = 16;
constexpr int kAllocBy = 4;

const std::pair<const char*, TDrawingStyle> kDrawingStyles[] = {
    {"dsFocus", TDrawingStyle::Focus},
    {"dsSelected", TDrawingStyle::Selected},
    {"dsNormal", TDrawingStyle::Normal},
    {"dsTransparent", TDrawingStyle::Transparent},
};

const std::pair<const char*, TImageType> kImageTypes[] = {
    {"itImage", TImageType::Image},
    {"itMask", TImageType::Mask},
};

void CheckSize(int width, int height) {
    if (height < 1 || height > 32768 || width < 1) throw EInvalidOperation(ResString("SInvalidImageSize"));
}

COLORREF ListColor(TColor color) {
    if (color == clNone) return CLR_NONE;
    if (color == clDefault) return CLR_DEFAULT;
    return ColorToRGB(color);
}

// Releases a COM stream on exit.
struct StreamRef {
    IStream* stream = nullptr;
    StreamRef() = default;
    StreamRef(const StreamRef&) = delete;
    StreamRef& operator=(const StreamRef&) = delete;
    ~StreamRef() {
        if (stream) stream->Release();
    }
};

}  // namespace

// ---- TChangeLink

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

// ---- TCustomImageList

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height, UINT flags)
    : TComponent(owner), FFlags(flags), FWidth(width), FHeight(height) {
    CheckSize(width, height);
    FHandle = CreateHandle();
}

ImageListHandle TCustomImageList::CreateHandle() const {
    ImageListHandle handle(::ImageList_Create(FWidth, FHeight, FFlags, kAllocBy, kAllocBy));
    if (!handle) throw EOutOfResources(ResString("SImageListCreateFail"));
    ::ImageList_SetBkColor(handle.Get(), ListColor(FBkColor));
    return handle;
}

ImageListHandle TCustomImageList::ExchangeHandle(ImageListHandle handle) {
    std::swap(FHandle, handle);
    return handle;
}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : FLinks) link->FSender = nullptr;
    FLinks.clear();
}

void TCustomImageList::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight) return;
    CheckSize(width, height);
    if (!::ImageList_SetIconSize(FHandle.Get(), width, height)) throw EOutOfResources(ResString("SImageListCreateFail"));
    FWidth = width;
    FHeight = height;
    Change();
}

int TCustomImageList::Count() const { return ::ImageList_GetImageCount(FHandle.Get()); }

void TCustomImageList::SetBkColor(TColor color) {
    if (color == FBkColor) return;
    FBkColor = color;
    ::ImageList_SetBkColor(FHandle.Get(), ListColor(color));
    Change();
}

void TCustomImageList::SetBlendColor(TColor color) {
    if (color == FBlendColor) return;
    FBlendColor = color;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style) {
    if (style == FDrawingStyle) return;
    FDrawingStyle = style;
    Change();
}

void TCustomImageList::SetImageType(TImageType type) {
    if (type == FImageType) return;
    FImageType = type;
    Change();
}

int TCustomImageList::Add(HBITMAP image, HBITMAP mask) {
    int index = ::ImageList_Add(FHandle.Get(), image, mask);
    if (index != -1) Change();
    return index;
}

int TCustomImageList::AddMasked(HBITMAP image, TColor maskColor) {
    int index = ::ImageList_AddMasked(FHandle.Get(), image, ColorToRGB(maskColor));
    if (index != -1) Change();
    return index;
}

void TCustomImageList::Delete(int index) {
    if (index < -1 || index >= Count()) throw EInvalidOperation(ResString("SImageIndexError"));
    ::ImageList_Remove(FHandle.Get(), index);
    Change();
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
    Draw(dc, x, y, index, ILD_NORMAL, enabled);
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, UINT style, bool enabled) {
    if (index < 0 || index >= Count()) return;
    DoDraw(index, dc, x, y, style, enabled);
}

void TCustomImageList::DoDraw(int index, HDC dc, int x, int y, UINT style, bool enabled) {
    static const UINT kStyleFlags[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = sizeof params;
    params.himl = FHandle.Get();
    params.i = index;
    params.hdcDst = dc;
    params.x = x;
    params.y = y;
    params.rgbBk = ListColor(FBkColor);
    params.rgbFg = ListColor(FBlendColor);
    params.fStyle = style | kStyleFlags[static_cast<int>(FDrawingStyle)] |
                    (FImageType == TImageType::Mask ? ILD_MASK : 0);
    params.fState = enabled ? ILS_NORMAL : ILS_SATURATE;
    ::ImageList_DrawIndirect(&params);
}

bool TCustomImageList::CopyImagePixels(int index, std::vector<std::uint32_t>& out) const {
    return CopyPixels(index, false, out);
}

bool TCustomImageList::CopyMaskPixels(int index, std::vector<std::uint32_t>& out) const {
    return CopyPixels(index, true, out);
}

bool TCustomImageList::CopyPixels(int index, bool mask, std::vector<std::uint32_t>& out) const {
    if (index < 0 || index >= Count()) return false;
    IMAGEINFO info{};
    if (!::ImageList_GetImageInfo(FHandle.Get(), index, &info)) return false;
    HBITMAP bitmap = mask ? info.hbmMask : info.hbmImage;
    if (!bitmap) return false;

    // The system list keeps its bitmaps selected into DCs of its own, where
    // GetDIBits may not read them: a 32-bit image is read from the
    // section's memory, anything else is drawn into a bitmap of ours.
    if (mask) return DrawPixels(index, ILD_MASK, 0xFFFFFF, out);
    DIBSECTION ds{};
    if (::GetObjectA(bitmap, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits || ds.dsBm.bmBitsPixel != 32)
        return DrawPixels(index, ILD_IMAGE, 0, out);
    const RECT r = info.rcImage;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w != FWidth || h != FHeight || r.left < 0 || r.top < 0 || r.right > ds.dsBm.bmWidth || r.bottom > ds.dsBm.bmHeight)
        return false;
    ::GdiFlush();
    out.assign(static_cast<std::size_t>(w) * h, 0);
    const auto* bits = static_cast<const std::uint8_t*>(ds.dsBm.bmBits);
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    for (int y = 0; y < h; ++y) {
        const int row = bottomUp ? ds.dsBm.bmHeight - 1 - (r.top + y) : r.top + y;
        std::memcpy(&out[static_cast<std::size_t>(y) * w],
                    bits + static_cast<std::size_t>(row) * ds.dsBm.bmWidthBytes + static_cast<std::size_t>(r.left) * 4,
                    static_cast<std::size_t>(w) * 4);
    }
    return true;
}

bool TCustomImageList::DrawPixels(int index, UINT style, std::uint32_t background, std::vector<std::uint32_t>& out) const {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = FWidth;
    bi.bmiHeader.biHeight = -FHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const Bitmap target(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target || !bits) return false;
    const std::size_t count = static_cast<std::size_t>(FWidth) * FHeight;
    std::fill_n(static_cast<std::uint32_t*>(bits), count, background);
    {
        MemoryDC dc;
        SelectGuard select(dc.Get(), target.Get());
        if (!::ImageList_DrawEx(FHandle.Get(), index, dc.Get(), 0, 0, FWidth, FHeight, CLR_NONE, CLR_NONE, style))
            return false;
    }
    ::GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    out.assign(px, px + count);
    // GDI leaves the alpha byte of what it draws to chance.
    for (std::uint32_t& p : out) p &= 0x00FFFFFF;
    return true;
}

int TCustomImageList::ImageBitsPerPixel() const {
    IMAGEINFO info{};
    BITMAP bm{};
    if (Count() == 0 || !::ImageList_GetImageInfo(FHandle.Get(), 0, &info) || !info.hbmImage ||
        ::GetObjectA(info.hbmImage, sizeof bm, &bm) != sizeof bm)
        return 0;
    return bm.bmBitsPixel;
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link || link->FSender == this) return;
    if (link->FSender) link->FSender->UnRegisterChanges(link);
    link->FSender = this;
    FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    if (!link || link->FSender != this) return;
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
    link->FSender = nullptr;
}

void TCustomImageList::Change() {
    // Copy: a client may unregister itself while it hears of the change.
    std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links)
        if (link->FSender == this && link->OnChange) link->OnChange();
    if (OnChange) OnChange(this);
}

void TCustomImageList::AssignProperties(const TCustomImageList& source) {
    SetSize(source.FWidth, source.FHeight);
    SetBkColor(source.FBkColor);
    SetBlendColor(source.FBlendColor);
    SetDrawingStyle(source.FDrawingStyle);
    SetImageType(source.FImageType);
    FShareImages = source.FShareImages;
}

void TCustomImageList::Assign(const TCustomImageList& source) {
    if (&source == this) return;
    ImageListHandle copy(::ImageList_Duplicate(source.Handle()));
    if (!copy) throw EOutOfResources(ResString("SImageListCreateFail"));
    AssignProperties(source);
    FHandle = std::move(copy);
    Change();
}

std::vector<std::uint8_t> TCustomImageList::SaveToBytes() const {
    StreamRef ref;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &ref.stream)) || !::ImageList_Write(FHandle.Get(), ref.stream))
        throw Exception(ResString("SImageWriteFail"));
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    HGLOBAL memory = nullptr;
    if (FAILED(ref.stream->Seek(zero, STREAM_SEEK_CUR, &end)) || FAILED(::GetHGlobalFromStream(ref.stream, &memory)) ||
        end.QuadPart > ::GlobalSize(memory))
        throw Exception(ResString("SImageWriteFail"));
    const auto* p = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    if (!p) throw Exception(ResString("SImageWriteFail"));
    std::vector<std::uint8_t> bytes(p, p + end.QuadPart);
    ::GlobalUnlock(memory);
    return bytes;
}

void TCustomImageList::LoadFromBytes(std::span<const std::uint8_t> bytes) {
    try {
        CheckImageListStream(bytes);
    } catch (const FormStreamError&) {
        throw EReadError(ResString("SImageReadFail"));
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!memory) throw EReadError(ResString("SImageReadFail"));
    if (void* p = ::GlobalLock(memory)) {
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(memory);
    }
    StreamRef ref;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &ref.stream))) {
        ::GlobalFree(memory);
        throw EReadError(ResString("SImageReadFail"));
    }
    ULARGE_INTEGER size{};
    size.QuadPart = bytes.size();
    ref.stream->SetSize(size);
    ImageListHandle read(::ImageList_Read(ref.stream));
    int width = 0, height = 0;
    if (!read || !::ImageList_GetIconSize(read.Get(), &width, &height) || height < 1 || height > 32768 || width < 1)
        throw EReadError(ResString("SImageReadFail"));
    ::ImageList_SetBkColor(read.Get(), ListColor(FBkColor));
    FHandle = std::move(read);
    FWidth = width;
    FHeight = height;
    Change();
}

const PropertyTable& TCustomImageList::StoredProperties() const {
    using L = TCustomImageList;
    using P = Describe<L>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("BlendColor", kColor, &L::BlendColor, &L::SetBlendColor, clNone),
        P::Property("BkColor", kColor, &L::BkColor, &L::SetBkColor, clNone),
        P::Property("DrawingStyle", EnumKind(kDrawingStyles), &L::DrawingStyle, &L::SetDrawingStyle,
                    TDrawingStyle::Normal),
        P::Property("Height", kInt, &L::Height, &L::SetHeight, kDefaultSize),
        P::Property("ImageType", EnumKind(kImageTypes), &L::ImageType, &L::SetImageType, TImageType::Image),
        P::Field("OnChange", kEvent, &L::OnChange),
        P::Property("ShareImages", kBool, &L::ShareImages, &L::SetShareImages, false),
        P::Property("Width", kInt, &L::Width, &L::SetWidth, kDefaultSize),
        P::Property("Bitmap", kBinary, &L::SaveToBytes, &L::LoadStoredBitmap, &L::IsBitmapStored),
    });
    return table;
}

}  // namespace forms
