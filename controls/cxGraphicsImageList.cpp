// TcxImageList and its mirror of source bitmaps.
#include <algorithm>
#include <cstring>
#include <string>

#include "controls/cxGraphics.h"
#include "forms/Exceptions.h"
#include "forms/Properties.h"
#include "forms/ResStrings.h"

namespace controls {

namespace {

constexpr UINT kListFlags = ILC_COLOR32 | ILC_MASK;

TcxImageList::SetImageCountFunction gSetImageCount = ::ImageList_SetImageCount;
TcxImageList::CopyFunction gCopy = ::ImageList_Copy;

// Holds the list's change lock; a scope left by an exception unlocks
// without a notification.
class ChangeLock {
public:
    explicit ChangeLock(TcxImageList& list) : FList(list) { FList.LockChanges(); }
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;
    ~ChangeLock() {
        if (!FDone) FList.UnlockChanges(false);
    }
    void Unlock() {
        FDone = true;
        FList.UnlockChanges(true);
    }

private:
    TcxImageList& FList;
    bool FDone = false;
};

[[noreturn]] void IndexError() { throw forms::EInvalidOperation(forms::ResString("SImageIndexError")); }

// A w x h piece of an image at (x, y), at the image's depth; whatever lies
// outside the image stays 0.
DibImage Region(const DibImage& source, int x, int y, int w, int h) {
    DibImage cell;
    cell.width = w;
    cell.height = h;
    cell.bitsPerPixel = source.bitsPerPixel;
    cell.palette = source.palette;
    cell.bits.assign(PixelBytes(w, h, source.bitsPerPixel), 0);
    const int depth = source.bitsPerPixel;
    for (int row = 0; row < h; ++row) {
        const int sy = y + row;
        if (sy < 0 || sy >= source.height) continue;
        const std::uint8_t* src = source.bits.data() + static_cast<std::size_t>(sy) * source.Stride();
        std::uint8_t* dst = cell.bits.data() + static_cast<std::size_t>(row) * cell.Stride();
        const int first = std::max(0, -x), last = std::min(w, source.width - x);
        if (first >= last) continue;
        if (depth % 8 == 0) {
            const std::size_t bytes = static_cast<std::size_t>(depth / 8);
            std::memcpy(dst + first * bytes, src + (x + first) * bytes, (last - first) * bytes);
            continue;
        }
        // 1 and 4 bits: pixel by pixel, high bits first.
        const int perByte = 8 / depth, mask = (1 << depth) - 1;
        for (int col = first; col < last; ++col) {
            const int sx = x + col;
            const int v = (src[sx / perByte] >> ((perByte - 1 - sx % perByte) * depth)) & mask;
            dst[col / perByte] |= static_cast<std::uint8_t>(v << ((perByte - 1 - col % perByte) * depth));
        }
    }
    return cell;
}

// A 32-bit image of width x height pixels, top row first.
DibImage Image32(int width, int height, const std::vector<std::uint32_t>& px) {
    DibImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = 32;
    image.bits.resize(px.size() * 4);
    std::memcpy(image.bits.data(), px.data(), image.bits.size());
    return image;
}

// One picture of a system list as a 32-bit image.
bool CutImage(const forms::TCustomImageList& list, int index, TcxBitmap& image) {
    std::vector<std::uint32_t> px;
    if (!list.CopyImagePixels(index, px)) return false;
    image.Assign(Image32(list.Width(), list.Height(), px));
    return true;
}

// Gives a mask (white: transparent) to a bitmap at a depth it takes: a
// 32-bit bitmap refuses any other, so it gets the mask widened.
void AssignMask(TcxBitmap& target, const DibImage& mask) {
    if (dynamic_cast<TcxBitmap32*>(&target) && mask.bitsPerPixel != 32)
        target.Assign(Image32(mask.width, mask.height, ToBgra32(mask)));
    else
        target.Assign(mask);
}

// One picture's mask, 1 bit deep unless the target is a 32-bit bitmap.
bool CutMask(const forms::TCustomImageList& list, int index, TcxBitmap& mask) {
    std::vector<std::uint32_t> px;
    if (!list.CopyMaskPixels(index, px)) return false;
    DibImage cut;
    cut.width = list.Width();
    cut.height = list.Height();
    cut.bitsPerPixel = 1;
    cut.palette = {0x000000, 0xFFFFFF};
    cut.bits.assign(PixelBytes(cut.width, cut.height, 1), 0);
    for (int y = 0; y < cut.height; ++y)
        for (int x = 0; x < cut.width; ++x)
            if (px[static_cast<std::size_t>(y) * cut.width + x] != 0)
                cut.bits[static_cast<std::size_t>(y) * cut.Stride() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    AssignMask(mask, cut);
    return true;
}

// An all-zero (all opaque) monochrome mask.
forms::Bitmap OpaqueMask(int width, int height) {
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>((width + 15) / 16 * 2) * height, 0);
    return forms::Bitmap(::CreateBitmap(width, height, 1, 1, zeros.data()));
}

std::unique_ptr<TcxImageInfoItem> MakeItem(bool compress, const TcxBitmap* image, const TcxBitmap* mask, TColor maskColor) {
    auto item = std::make_unique<TcxImageInfoItem>(compress);
    item->Info().SetImage(image);
    item->Info().SetMask(mask);
    item->Info().SetMaskColor(maskColor);
    // Stored pictures keep their pixels but no GDI handle.
    item->Image().Dormant();
    item->Mask().Dormant();
    return item;
}

}  // namespace

// ---- TcxImageInfo

void TcxImageInfo::SetImage(const TcxBitmap* image) {
    if (image) {
        FImage.Assign(*image);
        FImage.Handle();
    } else {
        FImage.SetSize(0, 0);
    }
}

void TcxImageInfo::SetMask(const TcxBitmap* mask) {
    if (mask) {
        FMask.Assign(*mask);
        FMask.Handle();
    } else {
        FMask.SetSize(0, 0);
    }
}

void TcxImageInfo::Assign(const TcxImageInfo& source) {
    if (&source == this) return;
    FImage.Assign(source.FImage);
    FMask.Assign(source.FMask);
    FMaskColor = source.FMaskColor;
}

// ---- TcxImageInfoItem

TcxImageInfoItem::TcxImageInfoItem(bool compressData) { SetCompressData(compressData); }

bool TcxImageInfoItem::CompressData() const { return Image().CompressData() && Mask().CompressData(); }

void TcxImageInfoItem::SetCompressData(bool compress) {
    Image().SetCompressData(compress);
    Mask().SetCompressData(compress);
}

const forms::PropertyTable& TcxImageInfoItem::StoredProperties() const {
    using I = TcxImageInfoItem;
    using P = forms::Describe<I>;
    static const forms::PropertyTable table(TPersistent::StoredProperties(), {
        P::Object("Image", [](auto& item) -> auto& { return item.Image(); }),
        P::Object("Mask", [](auto& item) -> auto& { return item.Mask(); }),
        P::Property("MaskColor", forms::kColor, &I::MaskColor, [](I& item, TColor c) { item.FInfo.SetMaskColor(c); },
                    forms::clNone),
    });
    return table;
}

// ---- TcxImageInfoCollection

TcxImageInfoItem& TcxImageInfoCollection::Add(const TcxBitmap* image, const TcxBitmap* mask, TColor maskColor) {
    FItems.push_back(MakeItem(FCompressData, image, mask, maskColor));
    return *FItems.back();
}

void TcxImageInfoCollection::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError();
    FItems.erase(FItems.begin() + index);
}

void TcxImageInfoCollection::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) IndexError();
    auto first = FItems.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
}

void TcxImageInfoCollection::SetCompressData(bool compress) {
    FCompressData = compress;
    for (auto& item : FItems) item->SetCompressData(compress);
}

forms::Value TcxImageInfoCollection::Write() const { return forms::WriteCollection(FItems); }

TcxImageInfoCollection::ItemList TcxImageInfoCollection::ReadItems(const forms::Value& value,
                                                                   forms::TReader& reader) const {
    if (value.kind != forms::Value::Kind::Collection) forms::prop::InvalidValue();
    ItemList items;
    for (const std::vector<forms::Property>& properties : value.items) {
        auto item = std::make_unique<TcxImageInfoItem>(FCompressData);
        forms::ReadItemProperties(*item, properties, reader);
        items.push_back(std::move(item));
    }
    return items;
}

// ---- TcxImageList

TcxImageList::TcxImageList(forms::TComponent* owner, int width, int height)
    : TCustomImageList(owner, width, height, kListFlags) {}

void TcxImageList::SetSize(int width, int height) {
    if (width == Width() && height == Height()) return;
    ChangeLock lock(*this);
    TCustomImageList::SetSize(width, height);
    if (!FMirrorSuspended) FImages.Clear();
    lock.Unlock();
}

void TcxImageList::UnlockChanges(bool notify) {
    if (FLockCount == 0) return;
    --FLockCount;
    if (notify) Change();
}

void TcxImageList::Change() {
    if (FLockCount == 0) TCustomImageList::Change();
}

int TcxImageList::AddPicture(TcxBitmap* image, TcxBitmap* mask) {
    if (!image || image->Empty()) return -1;
    if (mask && mask->Empty()) mask = nullptr;
    forms::Bitmap generated;
    HBITMAP maskHandle = nullptr;
    if (mask) {
        maskHandle = mask->Handle();
    } else {
        // The whole image: every cell of a strip is opaque too.
        generated = OpaqueMask(image->Width(), image->Height());
        maskHandle = generated.Get();
    }
    const int before = Count();
    const int index = ::ImageList_Add(Handle(), image->Handle(), maskHandle);
    if (index == -1) return -1;
    if (!FMirrorSuspended) {
        const int added = Count() - before;
        try {
            AppendToMirror(*image, mask, forms::clNone, added);
        } catch (...) {
            for (int i = Count(); i-- > before;) ::ImageList_Remove(Handle(), i);
            throw;
        }
    }
    Change();
    return index;
}

int TcxImageList::AddPictureByColour(TcxBitmap* image, TColor maskColor) {
    ChangeLock lock(*this);
    int index = -1;
    if (maskColor == forms::clNone) {
        index = AddPicture(image, nullptr);
    } else if (image && !image->Empty()) {
        // The system list turns the mask colour black in the bitmap it gets.
        TcxBitmap copy;
        copy.Assign(*image);
        const int before = Count();
        index = ::ImageList_AddMasked(Handle(), copy.Handle(), forms::ColorToRGB(maskColor));
        if (index != -1 && !FMirrorSuspended) {
            try {
                AppendToMirror(*image, nullptr, maskColor, Count() - before);
            } catch (...) {
                for (int i = Count(); i-- > before;) ::ImageList_Remove(Handle(), i);
                throw;
            }
        }
    }
    lock.Unlock();
    return index;
}

void TcxImageList::AppendToMirror(const TcxBitmap& image, const TcxBitmap* mask, TColor maskColor, int added) {
    const int w = Width(), h = Height();
    const bool grid = image.Width() % w == 0 && image.Height() % h == 0 && (image.Width() > w || image.Height() > h);
    TcxImageInfoCollection::ItemList fresh;
    if (added == 1 && !grid) {
        fresh.push_back(MakeItem(FImages.CompressData(), &image, mask, maskColor));
    } else {
        // Cells row by row, top row first, as many as the system list took:
        // it reads a single row of cells when the image is not a grid.
        const DibImage source = image.Image();
        const DibImage sourceMask = mask ? mask->Image() : DibImage{};
        const int columns = grid ? image.Width() / w : added;
        for (int i = 0; i < added; ++i) {
            const int x = i % columns * w, y = i / columns * h;
            TcxBitmap cell, cellMask;
            cell.Assign(Region(source, x, y, w, h));
            if (mask) cellMask.Assign(Region(sourceMask, x, y, w, h));
            fresh.push_back(MakeItem(FImages.CompressData(), &cell, mask ? &cellMask : nullptr, maskColor));
        }
    }
    TcxImageInfoCollection::ItemList items;
    FImages.Swap(items);
    items.reserve(items.size() + fresh.size());
    for (auto& item : fresh) items.push_back(std::move(item));
    FImages.Swap(items);
}

void TcxImageList::InsertPicture(int index, TcxBitmap* image, TcxBitmap* mask) {
    if (index < 0 || index > Count()) return;
    ChangeLock lock(*this);
    const int before = Count();
    if (AddPicture(image, mask) != -1) MoveAddedTo(before, index);
    lock.Unlock();
}

void TcxImageList::ReplacePicture(int index, TcxBitmap* image, TcxBitmap* mask) {
    if (index < 0 || index >= Count()) IndexError();
    ChangeLock lock(*this);
    // The new pictures take their place before the old one goes, so a
    // refusal on the way leaves the old one.
    const int before = Count();
    if (AddPicture(image, mask) != -1) {
        MoveAddedTo(before, index);
        DeletePicture(index + Count() - before);
    }
    lock.Unlock();
}

void TcxImageList::MoveAddedTo(int first, int index) {
    const int added = Count() - first;
    int moved = 0;
    try {
        for (; moved < added; ++moved) MovePicture(first + moved, index + moved);
    } catch (...) {
        // Take out what was added, moved or not, and the list is as it was.
        for (int left = added - moved; left > 0; --left) DeletePicture(Count() - 1);
        for (int i = moved - 1; i >= 0; --i) DeletePicture(index + i);
        throw;
    }
}

void TcxImageList::DeletePicture(int index) {
    if (index < -1 || index >= Count()) IndexError();
    ChangeLock lock(*this);
    TCustomImageList::Delete(index);
    if (!FMirrorSuspended) {
        if (index == -1)
            FImages.Clear();
        else if (index < FImages.Count())
            FImages.Delete(index);
    }
    lock.Unlock();
}

void TcxImageList::SetSystemMoveFunctions(SetImageCountFunction setImageCount, CopyFunction copy) {
    gSetImageCount = setImageCount ? setImageCount : ::ImageList_SetImageCount;
    gCopy = copy ? copy : ::ImageList_Copy;
}

void TcxImageList::MovePicture(int from, int to) {
    const int count = Count();
    if (from < 0 || from >= count || to < 0 || to >= count) IndexError();
    ChangeLock lock(*this);
    if (from != to) ExchangeHandle(MovedCopy(from, to));
    if (!FMirrorSuspended && from < FImages.Count() && to < FImages.Count()) FImages.Move(from, to);
    lock.Unlock();
}

forms::ImageListHandle TcxImageList::MovedCopy(int from, int to) const {
    const int count = Count();
    forms::ImageListHandle copy(::ImageList_Duplicate(Handle()));
    const HIMAGELIST h = copy.Get();
    // Wine's copy does not keep the background colour.
    if (h) ::ImageList_SetBkColor(h, ::ImageList_GetBkColor(Handle()));
    // Moved through a spare slot at the end rather than by swaps: a swap
    // copy of a 32-bit system list loses pixels under Wine.
    bool moved = h && gSetImageCount(h, count + 1) && gCopy(h, count, h, from, ILCF_MOVE);
    const int step = from < to ? 1 : -1;
    for (int i = from; moved && i != to; i += step) moved = gCopy(h, i, h, i + step, ILCF_MOVE);
    moved = moved && gCopy(h, to, h, count, ILCF_MOVE) && ::ImageList_Remove(h, count);
    if (!moved) throw forms::EOutOfResources(forms::ResString("SOutOfResources"));
    return copy;
}

bool TcxImageList::CopyPicture(int index, TcxBitmap* image, TcxBitmap* mask) {
    if (index < 0 || index >= Count()) return false;
    if (index < FImages.Count() && FImages.Items(index).Image().BitsPerPixel() == 32) {
        TcxImageInfoItem& item = FImages.Items(index);
        if (image) image->Assign(item.Image());
        if (mask) {
            if (!item.Mask().Empty())
                AssignMask(*mask, item.Mask().Image());
            else
                CutMask(*this, index, *mask);
        }
        item.Image().Dormant();
        return image != nullptr;
    }
    const bool copied = image && CutImage(*this, index, *image);
    if (mask) CutMask(*this, index, *mask);
    return copied;
}

void TcxImageList::DrawPicture(HDC dc, const RECT& rect, int index, bool stretch, bool smooth, bool enabled) {
    const int w = Width(), h = Height();
    if (rect.right - rect.left == w && rect.bottom - rect.top == h) stretch = false;
    RECT g = rect;
    if (!stretch) {
        g.left = (rect.left + rect.right - w) / 2;
        g.top = (rect.top + rect.bottom - h) / 2;
        g.right = g.left + w;
        g.bottom = g.top + h;
    }
    if (FAlphaDrawing) {
        DrawImage(dc, g, rect, nullptr, this, index, enabled ? ImageDrawMode::Normal : ImageDrawMode::Disabled, smooth);
    } else if (stretch) {
        if (index < 0 || index >= Count()) return;
        TcxBitmap32 picture(w, h);
        {
            forms::MemoryDC memory(dc);
            forms::SelectGuard select(memory.Get(), picture.Handle());
            TCustomImageList::DoDraw(index, memory.Get(), 0, 0, ILD_NORMAL, enabled);
        }
        DrawImage(dc, g, rect, &picture, nullptr, -1, ImageDrawMode::Normal, smooth);
    } else {
        TCustomImageList::DoDraw(index, dc, g.left, g.top, ILD_NORMAL, enabled);
    }
}

void TcxImageList::DoDraw(int index, HDC dc, int x, int y, UINT style, bool enabled) {
    if (!FAlphaDrawing) {
        TCustomImageList::DoDraw(index, dc, x, y, style, enabled);
        return;
    }
    DrawPicture(dc, RECT{x, y, x + Width(), y + Height()}, index, false, false, enabled);
}

void TcxImageList::Assign(const forms::TCustomImageList& source) {
    if (&source == this) return;
    ChangeLock lock(*this);
    AssignProperties(source);
    ClearPictures();
    if (const auto* list = dynamic_cast<const TcxImageList*>(&source)) {
        for (int i = 0; i < list->FImages.Count(); ++i) {
            const TcxImageInfoItem& item = list->FImages.Items(i);
            TcxBitmap image, mask;
            image.Assign(item.Image());
            if (!item.Mask().Empty()) {
                mask.Assign(item.Mask());
                AddPicture(&image, &mask);
            } else {
                AddPictureByColour(&image, item.MaskColor());
            }
        }
    } else {
        for (int i = 0; i < source.Count(); ++i) {
            TcxBitmap image, mask;
            if (CutImage(source, i, image) && CutMask(source, i, mask)) AddPicture(&image, &mask);
        }
    }
    lock.Unlock();
}

void TcxImageList::RebuildMirror() {
    TcxImageInfoCollection::ItemList items;
    for (int i = 0; i < Count(); ++i) {
        TcxBitmap image, mask;
        CutImage(*this, i, image);
        CutMask(*this, i, mask);
        items.push_back(MakeItem(FImages.CompressData(), &image, mask.Empty() ? nullptr : &mask, forms::clNone));
    }
    FImages.Swap(items);
}

void TcxImageList::RebuildSystemList(TcxImageInfoCollection::ItemList& previous) {
    ChangeLock lock(*this);
    forms::ImageListHandle old = ExchangeHandle(CreateHandle());
    FMirrorSuspended = true;
    try {
        for (int i = 0; i < FImages.Count(); ++i) {
            TcxImageInfoItem& item = FImages.Items(i);
            const int index = item.Mask().Empty() ? AddPictureByColour(&item.Image(), item.MaskColor())
                                                  : AddPicture(&item.Image(), &item.Mask());
            item.Image().Dormant();
            item.Mask().Dormant();
            // One picture per item, or the two lists would part.
            if (index == -1 || Count() != i + 1)
                throw EInvalidImageData("item " + std::to_string(i) +
                                        (item.Image().Empty() ? " has no picture"
                                                              : " does not hold one " + std::to_string(Width()) + " x " +
                                                                    std::to_string(Height()) + " picture"));
        }
    } catch (...) {
        FMirrorSuspended = false;
        ExchangeHandle(std::move(old));
        FImages.Swap(previous);
        throw;
    }
    FMirrorSuspended = false;
    lock.Unlock();
}

void TcxImageList::LoadStoredBitmap(std::span<const std::uint8_t> bytes) {
    ChangeLock lock(*this);
    LoadFromBytes(bytes);
    RebuildMirror();
    lock.Unlock();
}

const forms::PropertyTable& TcxImageList::StoredProperties() const {
    using L = TcxImageList;
    using P = forms::Describe<L>;
    static const forms::PropertyTable table(TCustomImageList::StoredProperties(), {
        P::Property("CompressData", forms::kBool, &L::CompressData, &L::SetCompressData, false),
        // Always the format this list writes, whatever it read.
        P::Property("FormatVersion", forms::kInt, [](const L&) { return 1; }, &L::FFormatVersion),
        P::Field("DesignInfo", forms::kInt, &L::FDesignInfo),
        P::Custom(
            "ImageInfo",
            [](L& list, const forms::Value& v, forms::TReader& reader) {
                TcxImageInfoCollection::ItemList items = list.FImages.ReadItems(v, reader);
                list.FImages.Swap(items);
                list.RebuildSystemList(items);
            },
            [](const L& list) -> std::optional<forms::Value> {
                if (list.Count() == 0) return std::nullopt;
                return list.FImages.Write();
            }),
    });
    return table;
}

}  // namespace controls
