// Checks the artwork files against what the program and Windows expect of
// them. Release builds drop assert(), so failures are counted by hand.
#include "tools/artwork/Artwork.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

using Bytes = std::vector<std::uint8_t>;

std::uint32_t read16(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t read32(const Bytes& b, std::size_t at)
{
    return read16(b, at) | (read16(b, at + 2) << 16);
}

const Bytes& fileNamed(const std::vector<artwork::OutputFile>& files, const std::string& name)
{
    for (const auto& f : files) {
        if (f.name == name)
            return f.bytes;
    }
    throw std::runtime_error("no output file " + name);
}

void checkDeterminism(const std::vector<artwork::OutputFile>& files)
{
    const std::vector<artwork::OutputFile> again = artwork::renderAll();
    bool same = again.size() == files.size();
    for (std::size_t i = 0; same && i < files.size(); ++i)
        same = again[i].name == files[i].name && again[i].bytes == files[i].bytes;
    check(same, "two renders give the same files");
}

enum class Backdrop { Cell, Floating };

// Two points inside each picture's coloured shape, one near its top and one
// near its bottom; the shading runs light to dark downwards.
struct Shading {
    int x, topY, bottomY;
};

void checkCommandPicture(const std::string& name, const Bytes& data, Backdrop backdrop, Shading shading)
{
    if (data.size() != 4154) {
        check(false, name + ": 4154 bytes, got " + std::to_string(data.size()));
        return;
    }
    struct Field {
        std::size_t offset;
        int bytes;
        std::uint32_t value;
        const char* what;
    };
    // Offsets count from the start of the file, past the 4-byte length.
    const Field fields[] = {
        {0, 4, 4150, "block length"},   {4, 2, 0x4D42, "BM"},       {6, 4, 4150, "file size"},
        {10, 4, 0, "reserved"},         {14, 4, 54, "pixel offset"}, {18, 4, 40, "info size"},
        {22, 4, 32, "width"},           {26, 4, 32, "height"},      {30, 2, 1, "planes"},
        {32, 2, 32, "bit count"},       {34, 4, 0, "compression"},  {38, 4, 4096, "image size"},
        {42, 4, 0, "x resolution"},     {46, 4, 0, "y resolution"}, {50, 4, 0, "colours used"},
        {54, 4, 0, "important colours"},
    };
    for (const Field& f : fields) {
        const std::uint32_t got = f.bytes == 2 ? read16(data, f.offset) : read32(data, f.offset);
        check(got == f.value, name + ": " + f.what + " = " + std::to_string(got));
    }

    // Rows are stored bottom up; (x, y) counts from the top left.
    const auto at = [&data](int x, int y, int channel) { return data[58 + ((31 - y) * 32 + x) * 4 + channel]; };
    bool premultiplied = true;
    bool whiteFigure = false;
    bool softEdge = false;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int a = at(x, y, 3);
            for (int c = 0; c < 3; ++c)
                premultiplied = premultiplied && at(x, y, c) <= a;
            whiteFigure = whiteFigure || (at(x, y, 0) == 255 && at(x, y, 1) == 255 && at(x, y, 2) == 255);
            softEdge = softEdge || (a > 0 && a < 255);
        }
    }
    check(premultiplied, name + ": no colour exceeds its alpha");
    const auto brightness = [&at](int x, int y) { return at(x, y, 0) + at(x, y, 1) + at(x, y, 2); };
    check(brightness(shading.x, shading.topY) > brightness(shading.x, shading.bottomY),
          name + ": stored bottom row first");
    check(whiteFigure, name + ": has a white figure");

    if (backdrop == Backdrop::Cell) {
        bool corners = true;
        bool opaque = true;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool corner = (x == 0 || x == 31) && (y == 0 || y == 31);
                (corner ? corners : opaque) &= at(x, y, 3) == (corner ? 239 : 255);
            }
        }
        check(corners, name + ": corner alpha 239");
        check(opaque, name + ": opaque apart from the corners");
    } else {
        bool clearBorder = true;
        for (int i = 0; i < 32; ++i)
            clearBorder = clearBorder && at(i, 0, 3) == 0 && at(i, 31, 3) == 0 && at(0, i, 3) == 0 && at(31, i, 3) == 0;
        check(clearBorder, name + ": transparent border");
        check(at(16, 16, 3) == 255, name + ": opaque centre");
        check(softEdge, name + ": anti-aliased edge");
    }
}

void checkIcon(const Bytes& ico)
{
    const std::vector<int> sizes(std::begin(artwork::kIconSizes), std::end(artwork::kIconSizes));
    check(ico.size() > 6 && read16(ico, 0) == 0 && read16(ico, 2) == 1 && read16(ico, 4) == sizes.size(),
          "icon header");
    std::size_t expectedOffset = 6 + 16 * sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        const std::string name = "icon " + std::to_string(size);
        const std::size_t entry = 6 + 16 * i;
        const std::size_t maskStride = (size + 31) / 32 * 4;
        const std::size_t length = 40 + static_cast<std::size_t>(size) * size * 4 + maskStride * size;
        const std::uint32_t sizeByte = size == 256 ? 0 : size;
        check(ico[entry] == sizeByte && ico[entry + 1] == sizeByte && read16(ico, entry + 4) == 1 &&
                  read16(ico, entry + 6) == 32,
              name + ": directory entry");
        check(read32(ico, entry + 8) == length && read32(ico, entry + 12) == expectedOffset,
              name + ": data length and offset");
        const std::size_t image = expectedOffset;
        expectedOffset += length;
        if (ico.size() < expectedOffset) {
            check(false, name + ": data inside the file");
            return;
        }
        check(read32(ico, image) == 40 && read32(ico, image + 4) == static_cast<std::uint32_t>(size) &&
                  read32(ico, image + 8) == static_cast<std::uint32_t>(2 * size) && read16(ico, image + 12) == 1 &&
                  read16(ico, image + 14) == 32 && read32(ico, image + 16) == 0,
              name + ": bitmap header");

        // Re-premultiplying the stored straight colours gives back the
        // rendering, and the AND mask marks exactly the clear pixels.
        const Bytes rendered = artwork::renderIcon(size);
        bool colours = true;
        bool mask = true;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::size_t stored = image + 40 + (static_cast<std::size_t>(size - 1 - y) * size + x) * 4;
                const std::size_t original = (static_cast<std::size_t>(y) * size + x) * 4;
                const int a = ico[stored + 3];
                colours = colours && a == rendered[original + 3];
                for (int c = 0; c < 3; ++c) {
                    const int back = (ico[stored + c] * a + 127) / 255;
                    colours = colours && back - rendered[original + c] <= 1 && rendered[original + c] - back <= 1;
                }
                const std::size_t maskByte =
                    image + 40 + static_cast<std::size_t>(size) * size * 4 + (size - 1 - y) * maskStride + x / 8;
                const bool clear = (ico[maskByte] & (0x80 >> (x % 8))) != 0;
                mask = mask && clear == (a == 0);
            }
        }
        check(colours, name + ": straight colours match the rendering");
        check(mask, name + ": AND mask marks the transparent pixels");
        check(rendered[3] == 0 && rendered[(static_cast<std::size_t>(size) * size / 2 + size / 2) * 4 + 3] == 255,
              name + ": clear corner, opaque middle");
    }
    check(ico.size() == expectedOffset, "icon has no trailing bytes");
}

void checkLogo(const Bytes& data)
{
    constexpr std::size_t width = artwork::kLogoWidth, height = artwork::kLogoHeight;
    constexpr std::size_t stride = (width * 3 + 3) / 4 * 4;
    constexpr std::size_t fileSize = 14 + 40 + stride * height;
    if (data.size() != 8 + 4 + fileSize) {
        check(false, "logo: " + std::to_string(8 + 4 + fileSize) + " bytes, got " + std::to_string(data.size()));
        return;
    }
    check(std::string(data.begin(), data.begin() + 8) == "\x07TBitmap", "logo: names its class");
    check(read32(data, 8) == fileSize && data[12] == 'B' && data[13] == 'M' && read32(data, 22) == 54,
          "logo: length-prefixed BMP file");
    check(read32(data, 26) == 40 && read32(data, 30) == width && read32(data, 34) == height &&
              read16(data, 40) == 24 && read32(data, 42) == 0,
          "logo: 24-bit bottom-up picture");
    const std::size_t pixels = 12 + 54;
    auto at = [&](std::size_t x, std::size_t y, std::size_t c) {
        return data[pixels + (height - 1 - y) * stride + x * 3 + c];
    };
    auto white = [&](std::size_t x, std::size_t y) { return at(x, y, 0) == 255 && at(x, y, 1) == 255 && at(x, y, 2) == 255; };
    check(white(0, height - 1), "logo: white bottom-left pixel");
    bool frame = true;
    for (std::size_t x = 0; x < width; ++x) frame = frame && white(x, 0) && white(x, height - 1);
    for (std::size_t y = 0; y < height; ++y) frame = frame && white(0, y) && white(width - 1, y);
    check(frame, "logo: white all round its edge");
    std::size_t inked = 0;
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) inked += white(x, y) ? 0 : 1;
    check(inked > width * height / 4, "logo: draws on a good part of its area");
    // The face of the stopwatch must not be taken for the page.
    check(!white(width / 2, 40), "logo: no page white inside the figure");
}

// Reads a pixel back from both masks of a one-image cursor file.
artwork::Ink cursorInk(const Bytes& cur, int x, int y)
{
    constexpr std::size_t masks = 6 + 16 + 40 + 8, maskBytes = 4 * 32;
    const std::size_t at = masks + static_cast<std::size_t>(31 - y) * 4 + x / 8;
    const int bit = 0x80 >> (x % 8);
    if (cur[maskBytes + at] & bit)
        return artwork::Ink::Clear;
    return (cur[at] & bit) ? artwork::Ink::White : artwork::Ink::Black;
}

void checkCursors(const std::vector<artwork::OutputFile>& files)
{
    using artwork::Ink;
    const Bytes& move = fileNamed(files, artwork::kDragCursorFiles[0]);
    const Bytes& copy = fileNamed(files, artwork::kDragCursorFiles[1]);
    const Bytes& noDrop = fileNamed(files, artwork::kDragCursorFiles[2]);
    const struct {
        const char* name;
        const Bytes& cur;
    } cursors[] = {{"move cursor", move}, {"copy cursor", copy}, {"no-drop cursor", noDrop}};
    for (const auto& c : cursors) {
        const std::string name = c.name;
        if (c.cur.size() != 6 + 16 + 304) {
            check(false, name + ": 326 bytes, got " + std::to_string(c.cur.size()));
            return;
        }
        check(read16(c.cur, 0) == 0 && read16(c.cur, 2) == 2 && read16(c.cur, 4) == 1, name + ": cursor header");
        check(c.cur[6] == 32 && c.cur[7] == 32 && c.cur[8] == 2 && c.cur[9] == 0, name + ": 32x32, two colours");
        check(read16(c.cur, 10) == 6 && read16(c.cur, 12) == 3, name + ": hot spot (6, 3)");
        check(read32(c.cur, 14) == 304 && read32(c.cur, 18) == 22, name + ": data length and offset");
        check(read32(c.cur, 22) == 40 && read32(c.cur, 26) == 32 && read32(c.cur, 30) == 64 &&
                  read16(c.cur, 34) == 1 && read16(c.cur, 36) == 1 && read32(c.cur, 38) == 0,
              name + ": 1-bit header counting both masks");
        check(read32(c.cur, 62) == 0 && read32(c.cur, 66) == 0xFFFFFF, name + ": black and white colour table");
        check(cursorInk(c.cur, 6, 3) == Ink::Black && cursorInk(c.cur, 5, 3) == Ink::Clear &&
                  cursorInk(c.cur, 6, 2) == Ink::Clear,
              name + ": the arrow's tip is the hot spot");
        check(cursorInk(c.cur, 7, 5) == Ink::White, name + ": white inside the arrow");
        check(cursorInk(c.cur, 0, 0) == Ink::Clear && cursorInk(c.cur, 31, 31) == Ink::Clear,
              name + ": clear corners");
    }

    bool sameAbove = true;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 32; ++x)
            sameAbove = sameAbove && cursorInk(move, x, y) == cursorInk(copy, x, y) &&
                        cursorInk(move, x, y) == cursorInk(noDrop, x, y);
    check(sameAbove, "the three cursors share the arrow");

    // The box at the lower right: (20, 20) to (30, 30), centre (25, 25).
    const struct {
        int x, y;
        Ink move, copy, noDrop;
        const char* what;
    } signs[] = {
        {20, 20, Ink::Clear, Ink::Black, Ink::Black, "box corner"},
        {21, 21, Ink::Clear, Ink::White, Ink::White, "inside the box"},
        {25, 25, Ink::Clear, Ink::Black, Ink::Black, "sign's centre"},
        {25, 22, Ink::Clear, Ink::Black, Ink::White, "top of the plus"},
        {22, 25, Ink::Clear, Ink::Black, Ink::White, "left of the plus"},
        {22, 22, Ink::Clear, Ink::White, Ink::Black, "top left of the cross"},
        {28, 22, Ink::Clear, Ink::White, Ink::Black, "top right of the cross"},
        {31, 31, Ink::Clear, Ink::Clear, Ink::Clear, "outside the box"},
    };
    for (const auto& s : signs) {
        check(cursorInk(move, s.x, s.y) == s.move && cursorInk(copy, s.x, s.y) == s.copy &&
                  cursorInk(noDrop, s.x, s.y) == s.noDrop,
              std::string("lower right, ") + s.what);
    }
    check(cursorInk(move, 4, 20) != Ink::Clear && cursorInk(move, 5, 20) != cursorInk(move, 4, 20),
          "the button's outline is dotted");
}

void checkBadInput()
{
    const struct {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"picture index past the end", [] { artwork::renderCommandPicture(artwork::kCommandPictureCount); }},
        {"negative picture index", [] { artwork::renderCommandPicture(-1); }},
        {"icon size not a multiple of 8", [] { artwork::renderIcon(20); }},
        {"icon larger than 256", [] { artwork::renderIcon(264); }},
        {"data block of the wrong size", [] { artwork::encodeDataBlock(Bytes(16 * 16 * 4)); }},
        {"icon with fewer images than sizes", [] { artwork::encodeIcon({16, 32}, {Bytes(16 * 16 * 4)}); }},
        {"icon image of the wrong size", [] { artwork::encodeIcon({16}, {Bytes(24 * 24 * 4)}); }},
        {"logo of the wrong size", [] { artwork::encodePicture(Bytes(10 * 10 * 3)); }},
        {"drag cursor index past the end", [] { artwork::renderDragCursor(artwork::kDragCursorCount); }},
        {"cursor of the wrong size", [] { artwork::encodeCursor(std::vector<artwork::Ink>(16 * 16), 0, 0); }},
        {"hot spot outside the cursor", [] { artwork::encodeCursor(artwork::renderDragCursor(0), 32, 3); }},
        {"hot spot left of the cursor", [] { artwork::encodeCursor(artwork::renderDragCursor(0), 6, -1); }},
    };
    for (const auto& c : cases) {
        bool threw = false;
        try {
            c.call();
        } catch (const std::exception&) {
            threw = true;
        }
        check(threw, std::string("rejects ") + c.what);
    }
}

} // namespace

int main()
{
    try {
        const std::vector<artwork::OutputFile> files = artwork::renderAll();
        checkDeterminism(files);
        const struct {
            Backdrop backdrop;
            Shading shading;
        } pictures[artwork::kCommandPictureCount] = {
            {Backdrop::Floating, {8, 8, 23}}, // exit
            {Backdrop::Cell, {4, 3, 28}},     // start
            {Backdrop::Cell, {4, 3, 28}},     // pause
            {Backdrop::Cell, {4, 3, 28}},     // stop
            {Backdrop::Floating, {16, 5, 27}}, // about
        };
        for (int i = 0; i < artwork::kCommandPictureCount; ++i) {
            const std::string name = artwork::kCommandPictureFiles[i];
            checkCommandPicture(name, fileNamed(files, name), pictures[i].backdrop, pictures[i].shading);
        }
        checkIcon(fileNamed(files, artwork::kIconFile));
        checkLogo(fileNamed(files, artwork::kLogoFile));
        checkCursors(files);
        checkBadInput();
    } catch (const std::exception& e) {
        check(false, std::string("unexpected exception: ") + e.what());
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
