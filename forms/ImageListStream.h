// The system image list's serialised form, as ImageList_Write writes it
// and ImageList_Read reads it: a 28-byte header, the image bitmap as a BMP
// file and, for a list with a mask, the mask bitmap. The bitmaps hold the
// pictures four to a row. Pure byte-level code: the system reader trusts
// the header's picture size over the bitmaps it reads and runs past them
// when the two disagree, so stored data is checked here before it gets
// there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace forms {

// "IL", little-endian.
inline constexpr std::uint16_t kImageListMagic = 0x4C49;
// The layout this checker knows; a newer system writes others, which it
// reads itself.
inline constexpr std::uint16_t kImageListVersion = 0x0101;
inline constexpr int kImageListColumns = 4;

struct ImageListStreamInfo {
    std::uint16_t version = 0;
    // The rest is known only for kImageListVersion.
    int count = 0;      // pictures in the list
    int capacity = 0;   // pictures the bitmaps have room for
    int width = 0;      // of one picture
    int height = 0;
    std::uint16_t flags = 0;  // ILC_ flags
    bool masked = false;
    std::size_t size = 0;     // bytes the stream takes up
};

// Checks a stored stream. Throws FormStreamError when it is damaged: a bad
// header, more pictures than room, a bitmap that is truncated, of a format
// the stream never holds, or not the size the header gives it. A stream of
// another version is only checked for its header and left to the system.
ImageListStreamInfo CheckImageListStream(std::span<const std::uint8_t> bytes);

}  // namespace forms
