#include "tools/formc/TextForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace formc {
namespace {

namespace fs = std::filesystem;
using forms::ObjectNode;
using forms::Property;
using forms::Value;

class TextFormTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) /
               (std::string("formc_") + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "src");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Put(const fs::path& rel, const std::string& data) {
        fs::create_directories((dir_ / rel).parent_path());
        std::ofstream(dir_ / rel, std::ios::binary) << data;
    }

    ObjectNode Parse(const std::string& text, const std::vector<fs::path>& includeDirs = {},
                     std::vector<fs::path>* included = nullptr) {
        return ParseTextForm(text, dir_ / "src" / "Main.dfm", includeDirs, included);
    }

    fs::path dir_;
};

TEST_F(TextFormTest, ParsesEverySyntaxElement) {
    Put("src/picture1.bin", std::string("\x01\x00\xFF", 3));
    const std::string text = R"(// main window
object frmMain: TfrmMain
  Left = 0
  Top = -12  // trailing comment
  Tag = $1F
  Tag2 = -$10
  Caption = 'Quorva'
  Color = 16771304
  Font.Color = clWindowText
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  BorderIcons = [biSystemMenu, biMinimize]
  Visible = False
  Enabled = true
  PopupMenu = nil
  OnCreate = FormCreate
  Empty = ''
  Hint = 'first ' +
    'second'#9#$41
  DockControlHeights = (
    0
    'a' ( ) <>
    54
    0)
  ImageInfo = <
    item
      Image.Data = {
        0A0B 0c0D
        FF}
    end
    item
      Image.Data = @'picture1.bin'
    end
    item
    end>
  object pnlTime: TPanel
    Caption = 'It''s' + ' joined'#13#10'x'
    object TImage
    end
  end
end
)";
    const ObjectNode expected{"TfrmMain", "frmMain", {
        {"Left", Value::Int(0)},
        {"Top", Value::Int(-12)},
        {"Tag", Value::Int(31)},
        {"Tag2", Value::Int(-16)},
        {"Caption", Value::Str("Quorva")},
        {"Color", Value::Int(16771304)},
        {"Font.Color", Value::Id("clWindowText")},
        {"Font.Name", Value::Str("MS Sans Serif")},
        {"Font.Style", Value::SetOf({})},
        {"BorderIcons", Value::SetOf({"biSystemMenu", "biMinimize"})},
        {"Visible", Value::Bool(false)},
        {"Enabled", Value::Bool(true)},
        {"PopupMenu", Value::None()},
        {"OnCreate", Value::Id("FormCreate")},
        {"Empty", Value::Str("")},
        {"Hint", Value::Str("first second\tA")},
        {"DockControlHeights", Value::ListOf({Value::Int(0), Value::Str("a"), Value::ListOf({}),
                                              Value::CollectionOf({}), Value::Int(54), Value::Int(0)})},
        {"ImageInfo", Value::CollectionOf({
            {{"Image.Data", Value::Bin({0x0A, 0x0B, 0x0C, 0x0D, 0xFF})}},
            {{"Image.Data", Value::Bin({0x01, 0x00, 0xFF})}},
            {},
        })},
    }, {ObjectNode{"TPanel", "pnlTime", {{"Caption", Value::Str("It's joined\r\nx")}},
                   {ObjectNode{"TImage", "", {}, {}}}}}};

    EXPECT_EQ(Parse(text), expected);
}

TEST_F(TextFormTest, StringsAreBytesNotUtf8) {
    const ObjectNode root = Parse("object f: T\n  Caption = 'caf\xE9'#233#255\nend\n");
    EXPECT_EQ(root.properties.at(0).value, Value::Str("caf\xE9\xE9\xFF"));
}

TEST_F(TextFormTest, IncludesAreSearchedNextToTheInputThenInEachDirectory) {
    Put("src/a.bin", "local");
    Put("inc1/a.bin", "inc1-a");
    Put("inc1/b.bin", "inc1-b");
    Put("inc2/b.bin", "inc2-b");
    Put("inc2/sub/c.bin", "inc2-c");
    std::vector<fs::path> included;
    const ObjectNode root = Parse("object f: T\n  A = @'a.bin'\n  B = @'b.bin'\n  C = @'sub/c.bin'\nend\n",
                                  {dir_ / "inc1", dir_ / "inc2"}, &included);

    const auto bin = [](const std::string& s) { return Value::Bin(std::vector<std::uint8_t>(s.begin(), s.end())); };
    EXPECT_EQ(root.properties, (std::vector<Property>{{"A", bin("local")}, {"B", bin("inc1-b")}, {"C", bin("inc2-c")}}));
    EXPECT_EQ(included, (std::vector<fs::path>{dir_ / "src/a.bin", dir_ / "inc1/b.bin", dir_ / "inc2/sub/c.bin"}));
}

TEST_F(TextFormTest, ErrorsNameTheFileAndLine) {
    fs::create_directories(dir_ / "src/folder.bin");
    const struct {
        const char* text;
        int line;
        const char* message;
    } cases[] = {
        {"", 1, "expected 'object'"},
        {"object f: T\n  Caption = 'open\nend\n", 2, "unterminated string"},
        {"object f: T\n  A = 1\n\n  B 2\nend\n", 4, "expected '='"},
        {"object f: T\n  A = 1\n", 2, "expected 'end'"},
        {"object f: T\nend\nobject g: T\nend\n", 3, "unexpected text after the last 'end'"},
        {"object f: T\n  A = alClient.x\nend\n", 2, "may not contain dots"},
        {"object f: T\n  A = 2147483648\nend\n", 2, "does not fit in 32 bits"},
        {"object f: T\n  A = $80000000\nend\n", 2, "does not fit in 32 bits"},
        {"object f: T\n  A = -2147483649\nend\n", 2, "does not fit in 32 bits"},
        {"object f: T\n  A = 12px\nend\n", 2, "bad number '12px'"},
        {"object f: T\n  A = 1.5\nend\n", 2, "bad number '1.5'"},
        {"object f: T\n  A = #256\nend\n", 2, "not a single byte"},
        {"object f: T\n  A = 'x' +\n\n  B = 1\nend\n", 4, "expected a string after '+'"},
        {"object f: T\n  A = {\n  0A0\n  }\nend\n", 4, "odd number of hex digits"},
        {"object f: T\n  A = {\n  0A\n  0G}\nend\n", 4, "bad character 'G' in binary data"},
        {"object f: T\n  A = {0A\n", 2, "binary data without closing '}'"},
        {"object f: T\n  A = (1\n  2\n", 3, "list without closing ')'"},
        {"object f: T\n  A = <\n  1>\nend\n", 3, "expected 'item' or '>'"},
        {"object f: T\n  A = [a,\n  ]\nend\n", 3, "expected set element"},
        {"object f: T\n  object g: T\n  end\n  A = 1\nend\n", 4, "properties must come before child objects"},
        {"object f: T\n  A = \x01\nend\n", 2, "unexpected character #1"},
        {"object f: T\n  A = )\nend\n", 2, "expected a value"},
        {"object f: T\n  Font..Name = 1\nend\n", 2, "bad name 'Font..Name'"},
        {"object f: T\n\n  A = @'missing.bin'\nend\n", 3, "included file 'missing.bin' not found"},
        {"object f: T\n  A = @'folder.bin'\nend\n", 2, "included file 'folder.bin' not found"},
        {"object f: T\n  A = @'/etc/passwd'\nend\n", 2, "must be a relative path"},
    };
    const std::string file = (dir_ / "src" / "Main.dfm").string();
    for (const auto& c : cases) {
        try {
            Parse(c.text);
            ADD_FAILURE() << c.text << "\nno error";
        } catch (const TextFormError& e) {
            const std::string prefix = file + ":" + std::to_string(c.line) + ": ";
            EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << c.text << "\n" << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.text << "\n" << e.what();
        }
    }
}

TEST_F(TextFormTest, RejectsNestingTheBinaryFormCannotHold) {
    const std::string deep = "object f: T\n  A = " + std::string(forms::kMaxNesting, '(') + std::string(forms::kMaxNesting, ')') + "\nend\n";
    EXPECT_THROW(Parse(deep), TextFormError);
    const std::string ok = "object f: T\n  A = " + std::string(forms::kMaxNesting - 1, '(') + std::string(forms::kMaxNesting - 1, ')') + "\nend\n";
    EXPECT_NO_THROW(forms::ReadForm(forms::WriteForm(Parse(ok))));
    // Far too deep for the stack if the parser did not stop early.
    EXPECT_THROW(Parse("object f: T\n  A = " + std::string(1000000, '(')), TextFormError);
}

TEST_F(TextFormTest, PrintsTheCanonicalLayout) {
    const ObjectNode root{"TfrmMain", "frmMain", {
        {"Caption", Value::Str("It's\r\n")},
        {"Style", Value::SetOf({"a", "b"})},
        {"Heights", Value::ListOf({Value::Int(0), Value::Int(-54)})},
        {"Images", Value::CollectionOf({{{"Image.Data", Value::Bin({0x0A, 0xFF})}, {"Menu", Value::None()}}})},
        {"Empty", Value::ListOf({})},
        {"Visible", Value::Bool(true)},
    }, {ObjectNode{"TPanel", "", {{"Align", Value::Id("alClient")}}, {}}}};
    EXPECT_EQ(PrintTextForm(root),
              "object frmMain: TfrmMain\n"
              "  Caption = 'It''s'#13#10\n"
              "  Style = [a, b]\n"
              "  Heights = (\n"
              "    0\n"
              "    -54)\n"
              "  Images = <\n"
              "    item\n"
              "      Image.Data = {\n"
              "        0AFF}\n"
              "      Menu = nil\n"
              "    end>\n"
              "  Empty = ()\n"
              "  Visible = True\n"
              "  object TPanel\n"
              "    Align = alClient\n"
              "  end\n"
              "end\n");
}

TEST_F(TextFormTest, PrintedTextParsesBackToTheSameTree) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    std::vector<std::uint8_t> blob(100);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(255 - i);
    const std::vector<Property> item{{"Data", Value::Bin(blob)}, {"Text", Value::Str(std::string(150, '\''))}};

    const ObjectNode root{"TfrmMain", "frmMain", {
        {"AllBytes", Value::Str(allBytes)},
        {"Empty", Value::Str("")},
        {"Min", Value::Int(-2147483647 - 1)},
        {"Blob", Value::Bin(blob)},
        {"NoBytes", Value::Bin({})},
        {"Nested", Value::ListOf({Value::ListOf({Value::Str("deep"), Value::Bin({1, 2})}),
                                  Value::CollectionOf({item, {}}), Value::SetOf({})})},
        {"Items", Value::CollectionOf({item})},
        {"Off", Value::Bool(false)},
    }, {ObjectNode{"TPanel", "p", {}, {ObjectNode{"TLabel", "l", {{"Caption", Value::Str("x")}}, {}}}}}};

    const std::string text = PrintTextForm(root);
    const ObjectNode back = Parse(text);
    EXPECT_EQ(back, root) << text;
    EXPECT_EQ(PrintTextForm(back), text);
}

}  // namespace
}  // namespace formc
