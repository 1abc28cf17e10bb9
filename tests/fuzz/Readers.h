// What each byte-level reader must make of any input: a sound result or
// its own documented error. A result that is not sound throws WrongResult;
// any other exception is let through, so that a fuzzer or a test sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "controls/cxGraphicsData.h"
#include "forms/FormStream.h"
#include "forms/ImageListStream.h"
#include "forms/PictureData.h"

namespace fuzz {

class WrongResult : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

enum class Outcome { Read, Refused };

inline void Require(bool sound, const char* what) {
    if (!sound) throw WrongResult(what);
}

// A stored window description, whole, and as a run of single values.
inline Outcome ReadStoredForm(std::span<const std::uint8_t> bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        const std::size_t before = offset;
        forms::Value value;
        try {
            value = forms::ReadValue(bytes, offset);
        } catch (const forms::FormStreamError&) {
            break;
        }
        Require(offset > before && offset <= bytes.size(), "a value read ends outside the data");
        std::vector<std::uint8_t> again;
        forms::WriteValue(again, value);
        std::size_t at = 0;
        Require(forms::ReadValue(again, at) == value && at == again.size(), "a value read does not store again");
    }
    forms::ObjectNode root;
    try {
        root = forms::ReadForm(bytes);
    } catch (const forms::FormStreamError&) {
        return Outcome::Refused;
    }
    Require(forms::ReadForm(forms::WriteForm(root)) == root, "a description read does not store again");
    return Outcome::Read;
}

// A stored TBitmap picture.
inline Outcome DecodeStoredPicture(std::span<const std::uint8_t> data) {
    forms::PictureBits picture;
    try {
        picture = forms::DecodePictureData(data);
    } catch (const forms::FormStreamError&) {
        return Outcome::Refused;
    }
    Require(picture.width >= 1 && picture.width <= forms::kMaxPictureSide && picture.height >= 1 &&
                picture.height <= forms::kMaxPictureSide,
            "a picture of a size out of range");
    Require(picture.pixels.size() == std::size_t(picture.width) * std::size_t(picture.height),
            "a picture whose pixels do not match its size");
    for (std::uint32_t p : picture.pixels) Require(p <= 0xFFFFFF, "a pixel with bits above the colour");
    return Outcome::Read;
}

// A bitmap's data block, plain or compressed.
inline Outcome DecodeImageData(std::span<const std::uint8_t> block) {
    controls::DibImage image;
    try {
        image = controls::DecodeData(block);
    } catch (const controls::EInvalidImageData&) {
        try {
            controls::ExpandData(block);
        } catch (const controls::EInvalidImageData&) {
        }
        return Outcome::Refused;
    }
    Require(controls::IsConsistent(image), "a bitmap decoded inconsistent");
    Require(controls::ToBgra32(image).size() == std::size_t(image.width) * std::size_t(image.height),
            "a bitmap widens to the wrong number of pixels");
    Require(controls::DecodeData(controls::EncodeData(image, false)) == image, "a bitmap does not store again plain");
    Require(controls::DecodeData(controls::EncodeData(image, true)) == image, "a bitmap does not store again compressed");
    const std::vector<std::uint8_t> plain = controls::ExpandData(block);
    Require(controls::DecodeData(plain) == image, "the expanded block decodes to another bitmap");
    Require(controls::ExpandData(controls::CompressData(plain, image.bitsPerPixel)) == plain,
            "the plain form does not survive compression");
    return Outcome::Read;
}

// The system image list's serialised form.
inline Outcome CheckImageList(std::span<const std::uint8_t> bytes) {
    forms::ImageListStreamInfo info;
    try {
        info = forms::CheckImageListStream(bytes);
    } catch (const forms::FormStreamError&) {
        return Outcome::Refused;
    }
    Require(info.size <= bytes.size(), "a stream that ends past the data");
    if (info.version == forms::kImageListVersion)
        Require(info.width >= 1 && info.height >= 1 && info.capacity >= 1 && info.count <= info.capacity,
                "a list of an impossible shape");
    return Outcome::Read;
}

}  // namespace fuzz
