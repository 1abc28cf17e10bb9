// The program's artwork: the command pictures of the main window, the
// program icon, the About dialog's logo and the toolbars' drag cursors,
// drawn from code and encoded into the files the build embeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

constexpr int kCommandPictureSize = 32;
constexpr int kCommandPictureCount = 5;
// Index order of the main window's commands.
constexpr const char* kCommandPictureFiles[kCommandPictureCount] = {"exit.bin", "start.bin", "pause.bin",
                                                                    "stop.bin", "about.bin"};
constexpr const char* kIconFile = "Quorva.ico";
// The maker's logo of the About dialog: opaque, on white.
constexpr int kLogoWidth = 100;
constexpr int kLogoHeight = 128;
constexpr const char* kLogoFile = "logo.bin";
constexpr int kIconSizes[] = {16, 24, 32, 48, 256};

// The cursors of a toolbar button being dragged: moved, copied, and over a
// place that takes no button. Monochrome, so they look the same on every
// system; the hot spot is the arrow's tip.
constexpr int kCursorSize = 32;
constexpr int kCursorHotSpotX = 6;
constexpr int kCursorHotSpotY = 3;
constexpr int kDragCursorCount = 3;
constexpr const char* kDragCursorFiles[kDragCursorCount] = {"dxBarDrag.cur", "dxBarDragCopy.cur",
                                                            "dxBarDragNoDrop.cur"};
// A monochrome cursor pixel: the screen shows through a clear one.
enum class Ink : std::uint8_t { Clear, Black, White };

// Premultiplied BGRA, top row first.
std::vector<std::uint8_t> renderCommandPicture(int index);
std::vector<std::uint8_t> renderIcon(int size);
// Opaque blue, green, red triples, top row first.
std::vector<std::uint8_t> renderLogo();
// kCursorSize x kCursorSize pixels, top row first; index as kDragCursorFiles.
std::vector<Ink> renderDragCursor(int index);

// A 32x32 premultiplied picture as a length-prefixed BMP file.
std::vector<std::uint8_t> encodeDataBlock(const std::vector<std::uint8_t>& bgra);
// One 32-bit image with AND mask per size; icons store straight alpha.
std::vector<std::uint8_t> encodeIcon(const std::vector<int>& sizes,
                                     const std::vector<std::vector<std::uint8_t>>& bgraImages);
// A 24-bit logo as a stored picture: the short class name "TBitmap", then
// a length-prefixed BMP file.
std::vector<std::uint8_t> encodePicture(const std::vector<std::uint8_t>& bgr);
// A cursor file with one kCursorSize square monochrome image.
std::vector<std::uint8_t> encodeCursor(const std::vector<Ink>& pixels, int hotSpotX, int hotSpotY);

struct OutputFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Every file the build needs, in a fixed order.
std::vector<OutputFile> renderAll();

} // namespace artwork
