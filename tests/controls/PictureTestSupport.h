// Fixtures of the picture tests that need no window system: pixel
// channels and the main window's stored pictures. The tests of the
// byte-level code use only these, so they also build natively.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/cxGraphicsPixels.h"
#include "forms/FormStream.h"

namespace controlstest {

using controls::pixels::Pixel;

constexpr Pixel Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return a << 24 | r << 16 | g << 8 | b; }
inline unsigned A(Pixel p) { return p >> 24; }
inline unsigned R(Pixel p) { return p >> 16 & 0xFF; }
inline unsigned G(Pixel p) { return p >> 8 & 0xFF; }
inline unsigned B(Pixel p) { return p & 0xFF; }

// The main window's stored description, as the program carries it: read
// from the test program's resources under Windows, natively from the file
// the build compiled it into.
const forms::ObjectNode& MainForm();

inline const forms::ObjectNode& Child(const forms::ObjectNode& node, const std::string& name) {
    for (const forms::ObjectNode& c : node.children)
        if (c.name == name) return c;
    throw std::runtime_error("no component " + name);
}

// The main window's stored image list.
inline const forms::ObjectNode& MainImageListNode() { return Child(MainForm(), "ImageList"); }

inline const forms::Value& PropertyOf(const forms::ObjectNode& node, const std::string& name) {
    for (const forms::Property& p : node.properties)
        if (p.name == name) return p.value;
    throw std::runtime_error("no property " + name);
}

// The five stored "Image.Data" blocks of the main window's list.
inline std::vector<std::vector<std::uint8_t>> MainPictureBlocks() {
    std::vector<std::vector<std::uint8_t>> blocks;
    for (const auto& item : PropertyOf(MainImageListNode(), "ImageInfo").items)
        for (const forms::Property& p : item)
            if (p.name == "Image.Data") blocks.push_back(p.value.bytes);
    return blocks;
}

}  // namespace controlstest
