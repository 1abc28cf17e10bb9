#include "tools/formc/TextForm.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <utility>

namespace formc {

using forms::ObjectNode;
using forms::Property;
using forms::Value;

TextFormError::TextFormError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message), line_(line) {}

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// How a character is shown in a message: itself if printable, else #nnn.
std::string Shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "'";
    return std::string("#").append(std::to_string(u));
}

struct Token {
    enum class Kind { Name, Integer, String, Binary, Symbol, End };
    Kind kind = Kind::End;
    int line = 1;
    std::string text;  // Name, String; the character of a Symbol
    std::int64_t integer = 0;
    std::vector<std::uint8_t> bytes;
};

class Lexer {
public:
    Lexer(std::string_view text, std::string file) : text_(text), file_(std::move(file)) {}

    [[noreturn]] void Fail(int line, const std::string& message) const {
        throw TextFormError(file_, line, message);
    }

    const std::string& File() const { return file_; }

    Token Next() {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= text_.size()) {
            // Report the end at the last line that held anything.
            t.line = lastLine_;
            return t;
        }
        lastLine_ = line_;
        const char c = text_[pos_];
        if (IsLetter(c)) {
            t.kind = Token::Kind::Name;
            t.text = ReadName();
        } else if (IsDigit(c) || c == '$' || (c == '-' && pos_ + 1 < text_.size() && (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
            t.kind = Token::Kind::Integer;
            t.integer = ReadInteger();
        } else if (c == '\'' || c == '#') {
            t.kind = Token::Kind::String;
            t.text = ReadString();
        } else if (c == '{') {
            t.kind = Token::Kind::Binary;
            t.bytes = ReadBinary();
        } else if (std::string_view("=:[](),<>+@").find(c) != std::string_view::npos) {
            t.kind = Token::Kind::Symbol;
            t.text = std::string(1, c);
            ++pos_;
        } else {
            Fail(line_, "unexpected character " + Shown(c));
        }
        return t;
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    bool At(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

    // Letters, digits and '_', with single dots between parts ("Font.Name").
    std::string ReadName() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        std::string name(text_.substr(start, pos_ - start));
        if (name.back() == '.' || name.find("..") != std::string::npos) Fail(line_, "bad name '" + name + "'");
        if (name.size() > 255) Fail(line_, "name longer than 255 characters");
        return name;
    }

    std::int64_t ReadInteger() {
        const std::size_t start = pos_;
        const bool negative = At('-');
        if (negative) ++pos_;
        const bool hex = At('$');
        if (hex) ++pos_;
        const int base = hex ? 16 : 10;
        std::int64_t value = 0;
        int digits = 0;
        while (pos_ < text_.size()) {
            const int d = hex ? HexDigit(text_[pos_]) : (IsDigit(text_[pos_]) ? text_[pos_] - '0' : -1);
            if (d < 0) break;
            // Saturate: anything this large is out of range anyway.
            if (value <= std::numeric_limits<std::uint32_t>::max()) value = value * base + d;
            ++digits;
            ++pos_;
        }
        while (pos_ < text_.size() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        const std::string written(text_.substr(start, pos_ - start));
        if (digits == 0 || written.size() != static_cast<std::size_t>(digits + negative + hex))
            Fail(line_, "bad number '" + written + "'");
        if (negative) value = -value;
        if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
            Fail(line_, "integer " + written + " does not fit in 32 bits");
        return value;
    }

    // Adjacent 'quoted' and #nnn pieces make one string.
    std::string ReadString() {
        std::string s;
        while (At('\'') || At('#')) {
            if (At('\'')) {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Fail(line_, "unterminated string");
                    const char c = text_[pos_++];
                    if (c != '\'') {
                        s += c;
                    } else if (At('\'')) {
                        s += '\'';
                        ++pos_;
                    } else {
                        break;
                    }
                }
            } else {
                const std::size_t start = pos_++;
                const bool hex = At('$');
                if (hex) ++pos_;
                int code = 0;
                int digits = 0;
                while (pos_ < text_.size()) {
                    const int d = hex ? HexDigit(text_[pos_]) : (IsDigit(text_[pos_]) ? text_[pos_] - '0' : -1);
                    if (d < 0) break;
                    if (code <= 255) code = code * (hex ? 16 : 10) + d;
                    ++digits;
                    ++pos_;
                }
                const std::string written(text_.substr(start, pos_ - start));
                if (digits == 0) Fail(line_, "bad character code '" + written + "'");
                if (code > 255) Fail(line_, "character code " + written + " is not a single byte");
                s += static_cast<char>(code);
            }
        }
        return s;
    }

    std::vector<std::uint8_t> ReadBinary() {
        const int startLine = line_;
        ++pos_;
        std::vector<std::uint8_t> bytes;
        int high = -1;
        for (;;) {
            if (pos_ >= text_.size()) Fail(startLine, "binary data without closing '}'");
            const char c = text_[pos_++];
            if (c == '}') break;
            if (c == '\n') {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                const int d = HexDigit(c);
                if (d < 0) Fail(line_, "bad character " + Shown(c) + " in binary data");
                if (high < 0) {
                    high = d;
                } else {
                    bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
                    high = -1;
                }
            }
        }
        if (high >= 0) Fail(line_, "binary data has an odd number of hex digits");
        return bytes;
    }

    std::string_view text_;
    std::string file_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int lastLine_ = 1;
};

class Parser {
public:
    Parser(std::string_view text, const std::filesystem::path& file, const std::vector<std::filesystem::path>& includeDirs,
           std::vector<std::filesystem::path>* included)
        : lexer_(text, file.string()), file_(file), includeDirs_(includeDirs), included_(included) {
        Advance();
    }

    ObjectNode Form() {
        if (!IsWord("object")) Fail("expected 'object' at the start of the description");
        ObjectNode root = Object(1);
        if (tok_.kind != Token::Kind::End) Fail("unexpected text after the last 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { lexer_.Fail(tok_.line, message); }

    void Advance() { tok_ = lexer_.Next(); }

    bool IsSymbol(char c) const { return tok_.kind == Token::Kind::Symbol && tok_.text[0] == c; }
    bool IsWord(std::string_view w) const { return tok_.kind == Token::Kind::Name && SameWord(tok_.text, w); }

    void ExpectSymbol(char c) {
        if (!IsSymbol(c)) Fail(std::string("expected '") + c + "'");
        Advance();
    }

    void ExpectWord(std::string_view w) {
        if (!IsWord(w)) Fail("expected '" + std::string(w) + "'");
        Advance();
    }

    std::string PlainName(const char* what) {
        if (tok_.kind != Token::Kind::Name) Fail(std::string("expected ") + what);
        if (tok_.text.find('.') != std::string::npos) Fail(std::string(what) + " '" + tok_.text + "' may not contain dots");
        std::string name = std::move(tok_.text);
        Advance();
        return name;
    }

    void CheckNesting(int depth) const {
        if (depth > forms::kMaxNesting) Fail("nested deeper than " + std::to_string(forms::kMaxNesting) + " levels");
    }

    // "object Name: TClass" or, for an unnamed object, "object TClass".
    ObjectNode Object(int depth) {
        CheckNesting(depth);
        ExpectWord("object");
        ObjectNode node;
        std::string first = PlainName("object name or class name");
        if (IsSymbol(':')) {
            Advance();
            node.name = std::move(first);
            node.className = PlainName("class name");
        } else {
            node.className = std::move(first);
        }
        node.properties = Properties(depth);
        while (IsWord("object")) node.children.push_back(Object(depth + 1));
        if (tok_.kind == Token::Kind::Name && !IsWord("end")) Fail("properties must come before child objects");
        ExpectWord("end");
        return node;
    }

    std::vector<Property> Properties(int depth) {
        std::vector<Property> props;
        while (tok_.kind == Token::Kind::Name && !IsWord("end") && !IsWord("object")) {
            Property p;
            p.name = std::move(tok_.text);
            Advance();
            ExpectSymbol('=');
            p.value = ParseValue(depth);
            props.push_back(std::move(p));
        }
        return props;
    }

    Value ParseValue(int depth) {
        switch (tok_.kind) {
        case Token::Kind::Integer: {
            Value v = Value::Int(tok_.integer);
            Advance();
            return v;
        }
        case Token::Kind::String: {
            std::string s = std::move(tok_.text);
            Advance();
            while (IsSymbol('+')) {
                Advance();
                if (tok_.kind != Token::Kind::String) Fail("expected a string after '+'");
                s += tok_.text;
                Advance();
            }
            return Value::Str(std::move(s));
        }
        case Token::Kind::Binary: {
            Value v = Value::Bin(std::move(tok_.bytes));
            Advance();
            return v;
        }
        case Token::Kind::Name: {
            if (IsWord("true") || IsWord("false") || IsWord("nil")) {
                Value v = IsWord("nil") ? Value::None() : Value::Bool(IsWord("true"));
                Advance();
                return v;
            }
            return Value::Id(PlainName("identifier"));
        }
        case Token::Kind::Symbol:
            if (IsSymbol('[')) return Set();
            if (IsSymbol('(')) return List(depth + 1);
            if (IsSymbol('<')) return Collection(depth + 1);
            if (IsSymbol('@')) return Include();
            break;
        case Token::Kind::End:
            break;
        }
        Fail("expected a value");
    }

    Value Set() {
        Advance();
        std::vector<std::string> names;
        if (!IsSymbol(']')) {
            names.push_back(PlainName("set element"));
            while (IsSymbol(',')) {
                Advance();
                names.push_back(PlainName("set element"));
            }
        }
        ExpectSymbol(']');
        return Value::SetOf(std::move(names));
    }

    Value List(int depth) {
        CheckNesting(depth);
        Advance();
        std::vector<Value> values;
        while (!IsSymbol(')')) {
            if (tok_.kind == Token::Kind::End) Fail("list without closing ')'");
            values.push_back(ParseValue(depth));
        }
        Advance();
        return Value::ListOf(std::move(values));
    }

    Value Collection(int depth) {
        CheckNesting(depth);
        Advance();
        std::vector<std::vector<Property>> items;
        while (!IsSymbol('>')) {
            if (!IsWord("item")) Fail("expected 'item' or '>'");
            Advance();
            items.push_back(Properties(depth));
            ExpectWord("end");
        }
        Advance();
        return Value::CollectionOf(std::move(items));
    }

    // @'path': the bytes of a file next to the description or in an include directory.
    Value Include() {
        Advance();
        if (tok_.kind != Token::Kind::String) Fail("expected a quoted file name after '@'");
        const std::filesystem::path rel(tok_.text);
        if (rel.empty()) Fail("empty file name after '@'");
        if (rel.is_absolute()) Fail("included file '" + tok_.text + "' must be a relative path");

        std::vector<std::filesystem::path> candidates{file_.parent_path() / rel};
        for (const std::filesystem::path& dir : includeDirs_) candidates.push_back(dir / rel);
        for (const std::filesystem::path& path : candidates) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec)) continue;
            const std::uintmax_t size = std::filesystem::file_size(path, ec);
            if (ec) Fail("cannot read included file '" + path.string() + "': " + ec.message());
            if (size > std::numeric_limits<std::uint32_t>::max()) Fail("included file '" + path.string() + "' is larger than 4 GB");
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
            std::ifstream in(path, std::ios::binary);
            in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size()))
                Fail("cannot read included file '" + path.string() + "'");
            if (included_) included_->push_back(path);
            Advance();
            return Value::Bin(std::move(bytes));
        }
        Fail("included file '" + tok_.text + "' not found");
    }

    Lexer lexer_;
    std::filesystem::path file_;
    const std::vector<std::filesystem::path>& includeDirs_;
    std::vector<std::filesystem::path>* included_;
    Token tok_;
};

// ---- Printing ----

constexpr std::size_t kStringChunk = 64;
constexpr std::size_t kBinaryChunk = 32;

std::string Pad(int level) {
    return std::string(static_cast<std::size_t>(level) * 2, ' ');
}

// Printable ASCII inside quotes; everything else as #nnn so the text stays
// plain ASCII and reads back to the same bytes.
std::string QuotedPiece(std::string_view s) {
    if (s.empty()) return "''";
    std::string out;
    bool open = false;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            if (!open) out += '\'';
            open = true;
            out += c;
            if (c == '\'') out += '\'';
        } else {
            if (open) out += '\'';
            open = false;
            out += '#' + std::to_string(u);
        }
    }
    if (open) out += '\'';
    return out;
}

void PrintValue(std::string& out, const Value& v, int level);

void PrintProperties(std::string& out, const std::vector<Property>& props, int level) {
    for (const Property& p : props) {
        out += Pad(level) + p.name + " = ";
        PrintValue(out, p.value, level);
        out += '\n';
    }
}

// `level` is the indentation of the line the value starts on; its
// continuation lines go one level deeper.
void PrintValue(std::string& out, const Value& v, int level) {
    static const char kHex[] = "0123456789ABCDEF";
    switch (v.kind) {
    case Value::Kind::Integer:
        out += std::to_string(v.integer);
        return;
    case Value::Kind::String:
        for (std::size_t i = 0; i == 0 || i < v.text.size(); i += kStringChunk) {
            if (i > 0) out += " +\n" + Pad(level + 1);
            out += QuotedPiece(std::string_view(v.text).substr(i, kStringChunk));
        }
        return;
    case Value::Kind::Ident:
        out += v.text;
        return;
    case Value::Kind::Boolean:
        out += v.integer != 0 ? "True" : "False";
        return;
    case Value::Kind::Set:
        out += '[';
        for (std::size_t i = 0; i < v.names.size(); ++i) out += (i > 0 ? ", " : "") + v.names[i];
        out += ']';
        return;
    case Value::Kind::Binary:
        out += '{';
        for (std::size_t i = 0; i < v.bytes.size(); ++i) {
            if (i % kBinaryChunk == 0) out += '\n' + Pad(level + 1);
            out += kHex[v.bytes[i] >> 4];
            out += kHex[v.bytes[i] & 0x0F];
        }
        out += '}';
        return;
    case Value::Kind::List:
        out += '(';
        for (const Value& item : v.list) {
            out += '\n' + Pad(level + 1);
            PrintValue(out, item, level + 1);
        }
        out += ')';
        return;
    case Value::Kind::Collection:
        out += '<';
        for (const std::vector<Property>& item : v.items) {
            out += '\n' + Pad(level + 1) + "item\n";
            PrintProperties(out, item, level + 2);
            out += Pad(level + 1) + "end";
        }
        out += '>';
        return;
    case Value::Kind::Nil:
        out += "nil";
        return;
    }
}

void PrintObject(std::string& out, const ObjectNode& node, int level) {
    out += Pad(level) + "object " + (node.name.empty() ? "" : node.name + ": ") + node.className + '\n';
    PrintProperties(out, node.properties, level + 1);
    for (const ObjectNode& child : node.children) PrintObject(out, child, level + 1);
    out += Pad(level) + "end\n";
}

}  // namespace

ObjectNode ParseTextForm(std::string_view text, const std::filesystem::path& file,
                         const std::vector<std::filesystem::path>& includeDirs,
                         std::vector<std::filesystem::path>* included) {
    return Parser(text, file, includeDirs, included).Form();
}

std::string PrintTextForm(const ObjectNode& root) {
    std::string out;
    PrintObject(out, root, 0);
    return out;
}

}  // namespace formc
