// Damaged input for every byte-level reader: real stored forms, pictures,
// data blocks and image list streams, cut short at every length, with
// each length field set to values it is wrong by, and randomly damaged
// from a fixed seed. Each case must give a sound result or the reader's
// own error; a crash or a sanitizer report ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "controls/cxGraphicsData.h"
#include "forms/FormStream.h"
#include "tests/controls/PictureTestSupport.h"
#include "tests/forms/StoredBitmap.h"
#include "tests/fuzz/Mutator.h"
#include "tests/fuzz/Readers.h"

namespace {

using fuzz::Bytes;
using fuzz::Field;

struct Seed {
    std::string name;
    Bytes bytes;
    std::vector<Field> fields;
};

struct Reader {
    const char* name;
    std::function<fuzz::Outcome(std::span<const std::uint8_t>)> read;
    std::vector<Seed> seeds;
    int randomRounds;  // per seed
};

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Seed> CorpusSeeds(const char* reader) {
    std::vector<Seed> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUORVA_FUZZ_CORPUS) / reader))
        seeds.push_back({entry.path().filename().string(), ReadFile(entry.path()), {}});
    std::sort(seeds.begin(), seeds.end(), [](const Seed& a, const Seed& b) { return a.name < b.name; });
    return seeds;
}

// The size, offset and format fields of a BMP file at `at`.
void AddBmpFields(std::vector<Field>& fields, std::size_t at) {
    for (std::size_t offset : {2, 10, 14, 18, 22, 30, 34, 46}) fields.push_back({at + offset, 4});
    for (std::size_t offset : {26, 28}) fields.push_back({at + offset, 2});
}

// A stored TBitmap: name, length, BMP file.
std::vector<Field> PictureFields(std::size_t at = 0) {
    std::vector<Field> fields = {{at, 1}, {at + 8, 4}};
    AddBmpFields(fields, at + 12);
    return fields;
}

// A data block, plain (length, BMP file) or compressed (payload length,
// version, block size, head).
std::vector<Field> DataBlockFields(const Bytes& block, std::size_t at = 0) {
    if (block.size() >= at + 8 && std::equal(std::begin(controls::kCompressedSignature),
                                             std::end(controls::kCompressedSignature), block.begin() + at + 4))
        return {{at, 4}, {at + 8, 2}, {at + 10, 1}, {at + 11, 1}};
    std::vector<Field> fields = {{at, 4}};
    AddBmpFields(fields, at + 4);
    return fields;
}

// An image list stream: the header's counts and sizes, both bitmaps.
std::vector<Field> ImageListFields(const Bytes& stream) {
    std::vector<Field> fields = {{4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 2}, {18, 2}};
    AddBmpFields(fields, 28);
    const std::size_t mask = 28 + fuzz::ReadField(stream, {28 + 10, 4}) + fuzz::ReadField(stream, {28 + 34, 4});
    if (mask + 54 <= stream.size()) AddBmpFields(fields, mask);
    return fields;
}

// Where a stored form keeps lengths: before every binary value and long
// string, and inside the pictures and blocks those binary values hold.
struct FormFields {
    const Bytes& form;
    std::vector<Field> fields;
    std::size_t from = 0;

    void Value(const forms::Value& v) {
        if (v.kind == forms::Value::Kind::Binary || (v.kind == forms::Value::Kind::String && v.text.size() > 255)) {
            const Bytes content = v.kind == forms::Value::Kind::Binary ? v.bytes : Bytes(v.text.begin(), v.text.end());
            const auto at = std::search(form.begin() + static_cast<std::ptrdiff_t>(from), form.end(), content.begin(),
                                        content.end());
            if (at == form.end() || at - form.begin() < 4) return;
            const auto start = static_cast<std::size_t>(at - form.begin());
            fields.push_back({start - 4, 4});
            if (v.kind == forms::Value::Kind::Binary) {
                const auto inner = content.size() > 8 && content[0] == 7 ? PictureFields(start) : DataBlockFields(form, start);
                for (Field f : inner)
                    if (f.offset + static_cast<std::size_t>(f.width) <= start + content.size()) fields.push_back(f);
            }
            from = start + content.size();
        }
        for (const forms::Value& item : v.list) Value(item);
        for (const auto& item : v.items) Properties(item);
    }
    void Properties(const std::vector<forms::Property>& properties) {
        for (const forms::Property& p : properties) Value(p.value);
    }
    void Object(const forms::ObjectNode& node) {
        Properties(node.properties);
        for (const forms::ObjectNode& child : node.children) Object(child);
    }
};

Seed FormSeed(const char* name, const char* path) {
    Seed seed{name, ReadFile(path), {}};
    FormFields walk{seed.bytes, {}};
    walk.Object(forms::ReadForm(seed.bytes));
    seed.fields = std::move(walk.fields);
    return seed;
}

const forms::Value* FindProperty(const forms::ObjectNode& node, const std::string& name) {
    for (const forms::Property& p : node.properties)
        if (p.name == name) return &p.value;
    for (const forms::ObjectNode& child : node.children)
        if (const forms::Value* v = FindProperty(child, name)) return v;
    return nullptr;
}

controls::DibImage SmallImage(int width, int height, int depth) {
    controls::DibImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = static_cast<std::uint16_t>(depth);
    if (depth <= 8) image.palette.assign(std::size_t{1} << depth, 0x123456);
    image.bits.resize(image.Stride() * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < image.bits.size(); ++i) image.bits[i] = static_cast<std::uint8_t>(i % 5 == 0 ? 7 : i * 31);
    return image;
}

std::vector<Reader> Readers() {
    std::vector<Reader> readers;

    Reader descriptions{"stored forms", fuzz::ReadStoredForm, {}, 12000};
    descriptions.seeds.push_back(FormSeed("Main", QUORVA_MAIN_FORM));
    descriptions.seeds.push_back(FormSeed("About", QUORVA_ABOUT_FORM));
    readers.push_back(std::move(descriptions));

    Reader pictures{"TBitmap pictures", fuzz::DecodeStoredPicture, {}, 3000};
    const forms::ObjectNode about = forms::ReadForm(ReadFile(QUORVA_ABOUT_FORM));
    const forms::Value* logo = FindProperty(about, "Picture.Data");
    if (!logo) throw std::runtime_error("the About form has no picture");
    pictures.seeds.push_back({"About logo", logo->bytes, PictureFields()});
    pictures.seeds.push_back({"24 bits bottom-up", testsupport::StoredBitmap(3, 2, 24), PictureFields()});
    pictures.seeds.push_back({"24 bits top-down", testsupport::StoredBitmap(5, 3, 24, false), PictureFields()});
    pictures.seeds.push_back({"32 bits", testsupport::StoredBitmap(4, 4, 32), PictureFields()});
    readers.push_back(std::move(pictures));

    Reader blocks{"data blocks", fuzz::DecodeImageData, {}, 1500};
    const auto mainBlocks = controlstest::MainPictureBlocks();
    for (std::size_t i = 0; i < mainBlocks.size(); ++i) {
        blocks.seeds.push_back({"Main block " + std::to_string(i), mainBlocks[i], {}});
        blocks.seeds.push_back({"Main block " + std::to_string(i) + " compressed", controls::CompressData(mainBlocks[i], 32), {}});
    }
    for (int depth : {1, 4, 8, 16, 24, 32})
        for (bool compress : {false, true})
            blocks.seeds.push_back({std::to_string(depth) + " bits" + (compress ? " compressed" : ""),
                                    controls::EncodeData(SmallImage(9, 3, depth), compress), {}});
    for (Seed& seed : CorpusSeeds("imagedata")) blocks.seeds.push_back(std::move(seed));
    for (Seed& seed : blocks.seeds) seed.fields = DataBlockFields(seed.bytes);
    readers.push_back(std::move(blocks));

    Reader lists{"image list streams", fuzz::CheckImageList, CorpusSeeds("imagelist"), 2500};
    for (Seed& seed : lists.seeds) seed.fields = ImageListFields(seed.bytes);
    readers.push_back(std::move(lists));
    return readers;
}

// Longer seeds are cut at evenly spread lengths rather than at every one.
constexpr std::size_t kEveryPrefixUpTo = 8192;
constexpr std::size_t kSpreadPrefixes = 4096;
constexpr std::uint64_t kRandomSeed = 0x5155'4F52'5641ull;

TEST(DamagedInput, EveryReaderGivesASoundResultOrItsOwnError) {
    const std::vector<Reader> readers = Readers();
    std::uint64_t total = 0;
    fuzz::Rng rng(kRandomSeed);
    for (const Reader& reader : readers) {
        const auto start = std::chrono::steady_clock::now();
        std::uint64_t cases = 0, read = 0;
        std::string failure;
        auto run = [&](const Seed& seed, std::span<const std::uint8_t> input, const std::string& what) {
            if (!failure.empty()) return;
            ++cases;
            try {
                if (reader.read(input) == fuzz::Outcome::Read) ++read;
            } catch (const std::exception& e) {
                failure = seed.name + ", " + what + ": " + e.what();
            }
        };
        for (const Seed& seed : reader.seeds) {
            const std::span<const std::uint8_t> whole(seed.bytes);
            const std::size_t step = seed.bytes.size() <= kEveryPrefixUpTo ? 1 : seed.bytes.size() / kSpreadPrefixes;
            for (std::size_t n = 0; n < seed.bytes.size(); n += step) run(seed, whole.first(n), "cut to " + std::to_string(n));
            for (const Field& field : seed.fields) {
                if (field.offset + static_cast<std::size_t>(field.width) > seed.bytes.size()) continue;
                for (std::uint32_t value : fuzz::InterestingValues(seed.bytes, field)) {
                    Bytes damaged = seed.bytes;
                    fuzz::WriteField(damaged, field, value);
                    run(seed, damaged, "field at " + std::to_string(field.offset) + " set to " + std::to_string(value));
                }
            }
            for (int round = 0; round < reader.randomRounds; ++round) {
                Bytes damaged = seed.bytes;
                fuzz::Mutate(damaged, rng, seed.fields);
                run(seed, damaged, "random round " + std::to_string(round));
            }
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("[ damaged  ] %-20s %7llu cases from %2zu seeds, %6llu read, the rest refused (%.1f s)\n", reader.name,
                    static_cast<unsigned long long>(cases), reader.seeds.size(), static_cast<unsigned long long>(read), seconds);
        EXPECT_EQ(failure, "") << reader.name;
        total += cases;
    }
    std::printf("[ damaged  ] %llu cases in all\n", static_cast<unsigned long long>(total));
    EXPECT_GE(total, 100000u);
}

}  // namespace
