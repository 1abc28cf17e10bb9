// Damage for stored data: a small, deterministic mutation engine shared by
// the mutation test and the fuzz drivers. The same seed gives the same
// cases on every machine, so a failure can be found again from its number.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

// SplitMix64: fixed output for a seed, unlike the standard distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n - 1; n must not be 0.
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

private:
    std::uint64_t state_;
};

// A little-endian field of a seed that holds a length, an offset, a size
// or a count: where damage does the most harm.
struct Field {
    std::size_t offset;
    int width;  // 1, 2 or 4
};

inline std::uint32_t ReadField(const Bytes& b, Field f) {
    std::uint32_t v = 0;
    for (int i = 0; i < f.width; ++i) v |= std::uint32_t{b[f.offset + i]} << (8 * i);
    return v;
}

inline void WriteField(Bytes& b, Field f, std::uint32_t v) {
    for (int i = 0; i < f.width; ++i) b[f.offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Values a length field is most often wrong by: empty, one off, sign
// flipped, as large as the width allows, or about the size of the data.
inline std::vector<std::uint32_t> InterestingValues(const Bytes& b, Field f) {
    const std::uint32_t old = ReadField(b, f);
    const auto size = static_cast<std::uint32_t>(b.size());
    std::vector<std::uint32_t> values = {0,          1,           old - 1,     old + 1,     old * 2,    old / 2,
                                         ~old,       0x7F,        0x80,        0xFF,        0x7FFF,     0x8000,
                                         0xFFFF,     0x7FFFFFFF,  0x80000000u, 0xFFFFFFFFu, size,       size - 1,
                                         size + 1,   size - static_cast<std::uint32_t>(f.offset)};
    const std::uint32_t keep = f.width == 4 ? 0xFFFFFFFFu : (1u << (8 * f.width)) - 1;
    for (std::uint32_t& v : values) v &= keep;
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    values.erase(std::remove(values.begin(), values.end(), old), values.end());
    return values;
}

// One random change: a bit flipped, a byte set to a value with a meaning,
// bytes inserted, deleted or repeated, a field (a known one, or any few
// bytes) set to an interesting value, or the data cut short.
inline void MutateOnce(Bytes& b, Rng& rng, std::span<const Field> fields = {}) {
    static constexpr std::uint8_t kSpecial[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE};
    if (b.empty()) {
        b.push_back(static_cast<std::uint8_t>(rng.Next()));
        return;
    }
    switch (rng.Below(9)) {
    case 0:
    case 1: b[rng.Below(b.size())] ^= static_cast<std::uint8_t>(1u << rng.Below(8)); return;
    case 2: b[rng.Below(b.size())] = rng.Pick(kSpecial); return;
    case 3: {
        const std::size_t at = rng.Below(b.size() + 1);
        const std::size_t n = 1 + rng.Below(8);
        Bytes insert(n);
        for (std::uint8_t& x : insert) x = rng.Below(2) ? rng.Pick(kSpecial) : static_cast<std::uint8_t>(rng.Next());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(), insert.end());
        return;
    }
    case 4: {
        const std::size_t at = rng.Below(b.size());
        const std::size_t n = std::min(b.size() - at, 1 + rng.Below(rng.Below(4) ? 8 : 256));
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        return;
    }
    case 5: {
        const std::size_t at = rng.Below(b.size());
        const std::size_t n = std::min(b.size() - at, 1 + rng.Below(64));
        const Bytes chunk(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(rng.Below(b.size() + 1)), chunk.begin(), chunk.end());
        return;
    }
    case 6:
    case 7: {
        static constexpr int kWidths[] = {1, 2, 4};
        const bool known = !fields.empty() && rng.Below(4) != 0;
        Field f = known ? fields[rng.Below(fields.size())] : Field{0, rng.Pick(kWidths)};
        const auto width = static_cast<std::size_t>(f.width);
        if (b.size() < width) return;
        // A known field that earlier damage moved past the end lands anywhere.
        if (!known || f.offset + width > b.size()) f.offset = rng.Below(b.size() - width + 1);
        const std::vector<std::uint32_t> values = InterestingValues(b, f);
        if (!values.empty()) WriteField(b, f, values[rng.Below(values.size())]);
        return;
    }
    default: b.resize(rng.Below(b.size())); return;
    }
}

// Between 1 and `most` random changes on top of each other.
inline void Mutate(Bytes& b, Rng& rng, std::span<const Field> fields = {}, int most = 4) {
    const int n = 1 + static_cast<int>(rng.Below(static_cast<std::size_t>(most)));
    for (int i = 0; i < n; ++i) MutateOnce(b, rng, fields);
}

}  // namespace fuzz
