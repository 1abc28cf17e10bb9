// A stored bitmap made from a formula, for the picture tests.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A stored bitmap whose pixel (x, y), y counted from the top, is
// 0x00RRGGBB (x + 16 * y) * 0x010101.
inline Bytes StoredBitmap(int width, int height, int bits, bool bottomUp = true) {
    const std::size_t stride = (std::size_t(width) * std::size_t(bits / 8) + 3) / 4 * 4;
    Bytes file = {'B', 'M'};
    Put32(file, std::uint32_t(54 + stride * std::size_t(height)));
    Put32(file, 0);
    Put32(file, 54);
    Put32(file, 40);
    Put32(file, std::uint32_t(width));
    Put32(file, std::uint32_t(bottomUp ? height : -height));
    Put16(file, 1);
    Put16(file, std::uint32_t(bits));
    for (int i = 0; i < 6; ++i) Put32(file, 0);
    for (int row = 0; row < height; ++row) {
        const int y = bottomUp ? height - 1 - row : row;
        std::size_t written = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = std::uint8_t(x + 16 * y);
            for (int c = 0; c < bits / 8; ++c) file.push_back(c < 3 ? v : 0xFF);
            written += std::size_t(bits / 8);
        }
        file.insert(file.end(), stride - written, 0);
    }
    Bytes out = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p'};
    Put32(out, std::uint32_t(file.size()));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

}  // namespace testsupport
