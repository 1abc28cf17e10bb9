#include "forms/FormStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace forms {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(const Value& v) {
    Bytes out;
    WriteValue(out, v);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Str(const std::string& s) {
    Bytes b(s.size() + 1);
    b[0] = static_cast<std::uint8_t>(s.size());
    std::copy(s.begin(), s.end(), b.begin() + 1);
    return b;
}

// A description shaped like a real main window: nested panels, fonts,
// sets, a collection of images, a list of heights, a long caption.
ObjectNode RealisticForm() {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);

    ObjectNode label{"TLabel", "lblTime", {
        {"Caption", Value::Str("00:00:00")},
        {"Font.Height", Value::Int(-24)},
        {"Font.Style", Value::SetOf({"fsBold"})},
    }, {}};
    ObjectNode panel{"TPanel", "pnlTime", {
        {"Align", Value::Id("alClient")},
        {"Caption", Value::Str("")},
        {"PopupMenu", Value::None()},
    }, {label}};
    return ObjectNode{"TfrmMain", "frmMain", {
        {"Left", Value::Int(0)},
        {"Width", Value::Int(320)},
        {"Caption", Value::Str("Quorva")},
        {"Hint", Value::Str(std::string(400, 'h'))},
        {"Color", Value::Int(16771304)},
        {"Font.Color", Value::Id("clWindowText")},
        {"Font.Name", Value::Str("MS Sans Serif")},
        {"BorderIcons", Value::SetOf({"biSystemMenu", "biMinimize"})},
        {"Visible", Value::Bool(false)},
        {"KeyPreview", Value::Bool(true)},
        {"OnCreate", Value::Id("FormCreate")},
        {"DockControlHeights", Value::ListOf({Value::Int(0), Value::Int(0), Value::Int(54), Value::Int(0)})},
        {"ImageInfo", Value::CollectionOf({
            {{"Image.Data", Value::Bin(image)}, {"Tag", Value::Int(70000)}},
            {{"Image.Data", Value::Bin({0x0A, 0x0B})}},
        })},
    }, {panel, ObjectNode{"TTimer", "tmrTick", {{"Interval", Value::Int(1000)}}, {}}}};
}

TEST(FormStream, RoundTripsEveryValueKind) {
    std::vector<Property> items{{"A", Value::Int(1)}, {"B", Value::ListOf({Value::Str("x")})}};
    ObjectNode root{"TRoot", "", {
        {"I8", Value::Int(-128)},
        {"I16", Value::Int(32767)},
        {"I32", Value::Int(std::numeric_limits<std::int32_t>::min())},
        {"S", Value::Str("It's\r\n\xE9")},
        {"SEmpty", Value::Str("")},
        {"S255", Value::Str(std::string(255, 's'))},
        {"SLong", Value::Str(std::string(256, 'l'))},
        {"Id", Value::Id("clRed")},
        {"IdEmpty", Value::Id("")},
        {"F", Value::Bool(false)},
        {"T", Value::Bool(true)},
        {"SetEmpty", Value::SetOf({})},
        {"Set", Value::SetOf({"a", "b"})},
        {"BinEmpty", Value::Bin({})},
        {"Bin", Value::Bin({0, 0xFF, 0x10})},
        {"ListEmpty", Value::ListOf({})},
        {"List", Value::ListOf({Value::Int(1), Value::ListOf({Value::None()}), Value::CollectionOf({items})})},
        {"CollEmpty", Value::CollectionOf({})},
        {"Coll", Value::CollectionOf({items, {}, items})},
        {"Nil", Value::None()},
    }, {ObjectNode{"TChild", "c1", {}, {ObjectNode{"TGrandChild", "g", {}, {}}}}, ObjectNode{"TChild", "c2", {}, {}}}};

    EXPECT_EQ(ReadForm(WriteForm(root)), root);
    const ObjectNode realistic = RealisticForm();
    EXPECT_EQ(ReadForm(WriteForm(realistic)), realistic);
}

TEST(FormStream, IntegersUseTheSmallestEncoding) {
    const struct {
        std::int64_t value;
        Bytes bytes;
    } cases[] = {
        {0, {0x02, 0x00}},
        {32, {0x02, 0x20}},
        {-10, {0x02, 0xF6}},
        {127, {0x02, 0x7F}},
        {-128, {0x02, 0x80}},
        {128, {0x03, 0x80, 0x00}},
        {-129, {0x03, 0x7F, 0xFF}},
        {32767, {0x03, 0xFF, 0x7F}},
        {-32768, {0x03, 0x00, 0x80}},
        {32768, {0x04, 0x00, 0x80, 0x00, 0x00}},
        {7471329, {0x04, 0xE1, 0x00, 0x72, 0x00}},
        {std::numeric_limits<std::int32_t>::max(), {0x04, 0xFF, 0xFF, 0xFF, 0x7F}},
        {std::numeric_limits<std::int32_t>::min(), {0x04, 0x00, 0x00, 0x00, 0x80}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(Value::Int(c.value)), c.bytes) << c.value;
        std::size_t offset = 0;
        EXPECT_EQ(ReadValue(c.bytes, offset), Value::Int(c.value)) << c.value;
        EXPECT_EQ(offset, c.bytes.size());
    }
}

TEST(FormStream, StringsLongerThan255UseTheLongForm) {
    EXPECT_EQ(Encode(Value::Str(std::string(255, 'a'))).front(), 0x06);
    const Bytes longForm = Encode(Value::Str(std::string(256, 'a')));
    EXPECT_EQ(Bytes(longForm.begin(), longForm.begin() + 5), (Bytes{0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(longForm.size(), 5u + 256u);
}

TEST(FormStream, DecodesAHandBuiltDescription) {
    const Bytes bytes = Concat({
        {'T', 'P', 'F', '0'}, Str("TfrmMain"), Str("frmMain"),
        Str("Caption"), {0x06}, Str("Quorva"),
        Str("Color"), {0x04, 0xE8, 0xE8, 0xFF, 0x00},
        Str("Font.Height"), {0x02, 0xF6},
        Str("Font.Style"), {0x0B}, Str("fsBold"), Str("fsItalic"), {0x00},
        Str("Visible"), {0x08},
        Str("OnCreate"), {0x07}, Str("FormCreate"),
        Str("Heights"), {0x01, 0x02, 0x00, 0x03, 0x36, 0x01, 0x00},
        Str("Images"), {0x0E, 0x01}, Str("Image.Data"), {0x0A, 0x02, 0x00, 0x00, 0x00, 0xAB, 0xCD}, {0x00}, {0x00},
        Str("Menu"), {0x0D},
        {0x00},
        Str("TPanel"), Str("pnlTime"), {0x00}, {0x00},
        {0x00},
    });

    const ObjectNode expected{"TfrmMain", "frmMain", {
        {"Caption", Value::Str("Quorva")},
        {"Color", Value::Int(16771304)},
        {"Font.Height", Value::Int(-10)},
        {"Font.Style", Value::SetOf({"fsBold", "fsItalic"})},
        {"Visible", Value::Bool(false)},
        {"OnCreate", Value::Id("FormCreate")},
        {"Heights", Value::ListOf({Value::Int(0), Value::Int(310)})},
        {"Images", Value::CollectionOf({{{"Image.Data", Value::Bin({0xAB, 0xCD})}}})},
        {"Menu", Value::None()},
    }, {ObjectNode{"TPanel", "pnlTime", {}, {}}}};

    EXPECT_EQ(ReadForm(bytes), expected);
    EXPECT_EQ(WriteForm(expected), bytes);
}

TEST(FormStream, ReadValueStopsAfterOneValue) {
    const Bytes bytes{0x09, 0x02, 0x05};
    std::size_t offset = 0;
    EXPECT_EQ(ReadValue(bytes, offset), Value::Bool(true));
    EXPECT_EQ(offset, 1u);
    EXPECT_EQ(ReadValue(bytes, offset), Value::Int(5));
    EXPECT_EQ(offset, 3u);
    EXPECT_THROW(ReadValue(bytes, offset), FormStreamError);
}

ObjectNode Nested(int depth) {
    ObjectNode node{"TPanel", "", {}, {}};
    for (int i = 1; i < depth; ++i) node = ObjectNode{"TPanel", "", {}, {node}};
    return node;
}

TEST(FormStream, WriterRejectsWhatTheEncodingCannotHold) {
    const struct {
        const char* what;
        ObjectNode root;
    } cases[] = {
        {"empty class name", ObjectNode{"", "x", {}, {}}},
        {"long class name", ObjectNode{std::string(256, 'T'), "x", {}, {}}},
        {"long object name", ObjectNode{"T", std::string(256, 'n'), {}, {}}},
        {"empty property name", ObjectNode{"T", "", {{"", Value::Int(1)}}, {}}},
        {"long identifier", ObjectNode{"T", "", {{"P", Value::Id(std::string(256, 'i'))}}, {}}},
        {"empty set element", ObjectNode{"T", "", {{"P", Value::SetOf({"a", ""})}}, {}}},
        {"integer above 32 bits", ObjectNode{"T", "", {{"P", Value::Int(std::int64_t{1} << 31)}}, {}}},
        {"integer below 32 bits", ObjectNode{"T", "", {{"P", Value::Int(-(std::int64_t{1} << 31) - 1)}}, {}}},
        {"objects too deep", Nested(kMaxNesting + 1)},
    };
    for (const auto& c : cases) EXPECT_THROW(WriteForm(c.root), FormStreamError) << c.what;
    EXPECT_EQ(ReadForm(WriteForm(Nested(kMaxNesting))), Nested(kMaxNesting));

    Bytes out{0x42};
    EXPECT_THROW(WriteValue(out, Value::ListOf({Value::Int(1), Value::Int(std::int64_t{1} << 40)})), FormStreamError);
    EXPECT_EQ(out, Bytes{0x42}) << "a failed write leaves the buffer as it was";
}

TEST(FormStream, DamagedInputIsReportedWithItsOffset) {
    const Bytes head = Concat({{'T', 'P', 'F', '0'}, Str("TForm"), Str("f")});  // 12 bytes
    const Bytes deepList = Concat({head, Str("P"), Bytes(kMaxNesting + 1, 0x01)});
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"empty", {}, "offset 0: missing signature"},
        {"wrong signature", Concat({{'T', 'P', 'F', '1'}, Str("TForm"), Str(""), {0, 0}}), "offset 0: missing signature"},
        {"empty class name", Concat({{'T', 'P', 'F', '0'}, {0x00, 0x00, 0x00, 0x00}}), "offset 4: empty class name"},
        {"class name past the end", {'T', 'P', 'F', '0', 0x09, 'T', 'F'}, "offset 4: class name of 9 bytes runs past the end"},
        {"truncated after names", head, "offset 12: unexpected end of data"},
        {"unknown tag", Concat({head, Str("P"), {0x05}}), "offset 14: unknown value tag 0x05"},
        {"end marker as a value", Concat({head, Str("P"), {0x00}}), "offset 14: end marker"},
        {"huge binary length", Concat({head, Str("P"), {0x0A, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}}), "offset 15: binary value of 4294967295 bytes runs past the end"},
        {"huge long string", Concat({head, Str("P"), {0x0C, 0x00, 0x00, 0x00, 0x80}}), "offset 15: string of 2147483648 bytes runs past the end"},
        {"bad collection item", Concat({head, Str("P"), {0x0E, 0x02}}), "offset 15: collection item"},
        {"trailing bytes", Concat({head, {0x00, 0x00, 0xAA, 0xBB}}), "offset 14: 2 bytes after the end"},
        {"lists too deep", deepList, "nested deeper than 64 levels"},
    };
    for (const auto& c : cases) {
        try {
            ReadForm(c.bytes);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const FormStreamError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

// Damaged data must decode or throw FormStreamError: anything else (a crash,
// std::bad_alloc from a trusted length, another exception) fails the test.
void ExpectDecodesOrFails(const Bytes& bytes, const std::string& what) {
    try {
        ReadForm(bytes);
    } catch (const FormStreamError&) {
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": " << e.what();
    }
}

TEST(FormStream, SurvivesDamagedCopiesOfARealisticDescription) {
    const Bytes good = WriteForm(RealisticForm());

    // The description ends exactly at its last byte, so every prefix is damaged.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_THROW(ReadForm(Bytes(good.begin(), good.begin() + n)), FormStreamError) << "truncated at " << n;

    // Huge values over every possible length field.
    for (std::uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x00FFFFFFu}) {
        for (std::size_t at = 0; at + 4 <= good.size(); ++at) {
            Bytes bad = good;
            for (int i = 0; i < 4; ++i) bad[at + i] = static_cast<std::uint8_t>(huge >> (8 * i));
            ExpectDecodesOrFails(bad, "huge value at " + std::to_string(at));
        }
    }

    // Every byte set to the values with a meaning: tags, terminators, 0xFF.
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t b : {0x00, 0x01, 0x02, 0x06, 0x0A, 0x0B, 0x0C, 0x0E, 0x0F, 0xFF}) {
            Bytes bad = good;
            bad[at] = b;
            ExpectDecodesOrFails(bad, "byte " + std::to_string(b) + " at " + std::to_string(at));
        }
    }

    // Random multi-byte damage; the engine's output is fixed by the standard.
    std::mt19937 rng(20240601);
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
        if (rng() % 4 == 0) bad.resize(rng() % bad.size());
        ExpectDecodesOrFails(bad, "round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace forms
