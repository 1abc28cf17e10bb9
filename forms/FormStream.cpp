#include "forms/FormStream.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace forms {

Value Value::Int(std::int64_t v) {
    Value r;
    r.kind = Kind::Integer;
    r.integer = v;
    return r;
}

Value Value::Str(std::string s) {
    Value r;
    r.kind = Kind::String;
    r.text = std::move(s);
    return r;
}

Value Value::Id(std::string s) {
    Value r;
    r.kind = Kind::Ident;
    r.text = std::move(s);
    return r;
}

Value Value::Bool(bool b) {
    Value r;
    r.kind = Kind::Boolean;
    r.integer = b ? 1 : 0;
    return r;
}

Value Value::SetOf(std::vector<std::string> names) {
    Value r;
    r.kind = Kind::Set;
    r.names = std::move(names);
    return r;
}

Value Value::Bin(std::vector<std::uint8_t> bytes) {
    Value r;
    r.kind = Kind::Binary;
    r.bytes = std::move(bytes);
    return r;
}

Value Value::ListOf(std::vector<Value> values) {
    Value r;
    r.kind = Kind::List;
    r.list = std::move(values);
    return r;
}

Value Value::CollectionOf(std::vector<std::vector<Property>> items) {
    Value r;
    r.kind = Kind::Collection;
    r.items = std::move(items);
    return r;
}

Value Value::None() {
    return Value{};
}

// Only the member that belongs to the kind takes part, so a value built by
// hand compares equal to the same value read back.
bool operator==(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case Value::Kind::Integer: return a.integer == b.integer;
    case Value::Kind::Boolean: return (a.integer != 0) == (b.integer != 0);
    case Value::Kind::String:
    case Value::Kind::Ident: return a.text == b.text;
    case Value::Kind::Set: return a.names == b.names;
    case Value::Kind::Binary: return a.bytes == b.bytes;
    case Value::Kind::List: return a.list == b.list;
    case Value::Kind::Collection: return a.items == b.items;
    case Value::Kind::Nil: return true;
    }
    return false;
}

namespace {

// ---- Writing ----

[[noreturn]] void CannotStore(const std::string& what) {
    throw FormStreamError("Cannot store the form: " + what);
}

std::string Quoted(const std::string& s) {
    constexpr std::size_t kShown = 40;
    return "\"" + (s.size() > kShown ? s.substr(0, kShown) + "..." : s) + "\"";
}

void PutByte(std::vector<std::uint8_t>& out, std::uint8_t b) {
    out.push_back(b);
}

void PutTag(std::vector<std::uint8_t>& out, ValueTag tag) {
    out.push_back(static_cast<std::uint8_t>(tag));
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutLength32(std::vector<std::uint8_t>& out, std::size_t n, const char* what) {
    if (n > std::numeric_limits<std::uint32_t>::max()) CannotStore(std::string(what) + " larger than 4 GB");
    PutLE(out, static_cast<std::uint32_t>(n), 4);
}

void PutShortString(std::vector<std::uint8_t>& out, const std::string& s, const char* what) {
    if (s.size() > 255) CannotStore(std::string(what) + " " + Quoted(s) + " is longer than 255 bytes");
    PutByte(out, static_cast<std::uint8_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

void CheckNesting(int depth) {
    if (depth > kMaxNesting) CannotStore("nested deeper than " + std::to_string(kMaxNesting) + " levels");
}

void PutValue(std::vector<std::uint8_t>& out, const Value& v, int depth);

void PutProperties(std::vector<std::uint8_t>& out, const std::vector<Property>& props, int depth) {
    for (const Property& p : props) {
        if (p.name.empty()) CannotStore("empty property name");
        PutShortString(out, p.name, "property name");
        PutValue(out, p.value, depth);
    }
    PutByte(out, 0);
}

void PutInteger(std::vector<std::uint8_t>& out, std::int64_t v) {
    if (v >= -128 && v <= 127) {
        PutTag(out, ValueTag::Int8);
        PutLE(out, static_cast<std::uint32_t>(v), 1);
    } else if (v >= -32768 && v <= 32767) {
        PutTag(out, ValueTag::Int16);
        PutLE(out, static_cast<std::uint32_t>(v), 2);
    } else if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max()) {
        PutTag(out, ValueTag::Int32);
        PutLE(out, static_cast<std::uint32_t>(v), 4);
    } else {
        CannotStore("integer " + std::to_string(v) + " does not fit in 32 bits");
    }
}

void PutValue(std::vector<std::uint8_t>& out, const Value& v, int depth) {
    switch (v.kind) {
    case Value::Kind::Integer:
        PutInteger(out, v.integer);
        return;
    case Value::Kind::String:
        if (v.text.size() <= 255) {
            PutTag(out, ValueTag::String);
            PutShortString(out, v.text, "string");
        } else {
            PutTag(out, ValueTag::LString);
            PutLength32(out, v.text.size(), "string");
            out.insert(out.end(), v.text.begin(), v.text.end());
        }
        return;
    case Value::Kind::Ident:
        PutTag(out, ValueTag::Ident);
        PutShortString(out, v.text, "identifier");
        return;
    case Value::Kind::Boolean:
        PutTag(out, v.integer != 0 ? ValueTag::True : ValueTag::False);
        return;
    case Value::Kind::Set:
        PutTag(out, ValueTag::Set);
        for (const std::string& name : v.names) {
            // An empty element would read back as the end of the set.
            if (name.empty()) CannotStore("empty set element");
            PutShortString(out, name, "set element");
        }
        PutByte(out, 0);
        return;
    case Value::Kind::Binary:
        PutTag(out, ValueTag::Binary);
        PutLength32(out, v.bytes.size(), "binary value");
        out.insert(out.end(), v.bytes.begin(), v.bytes.end());
        return;
    case Value::Kind::List:
        CheckNesting(depth + 1);
        PutTag(out, ValueTag::List);
        for (const Value& item : v.list) PutValue(out, item, depth + 1);
        PutByte(out, 0);
        return;
    case Value::Kind::Collection:
        CheckNesting(depth + 1);
        PutTag(out, ValueTag::Collection);
        for (const std::vector<Property>& item : v.items) {
            PutTag(out, ValueTag::List);
            PutProperties(out, item, depth + 1);
        }
        PutByte(out, 0);
        return;
    case Value::Kind::Nil:
        PutTag(out, ValueTag::Nil);
        return;
    }
    CannotStore("unknown value kind");
}

void PutObject(std::vector<std::uint8_t>& out, const ObjectNode& node, int depth) {
    CheckNesting(depth);
    if (node.className.empty()) CannotStore("object " + Quoted(node.name) + " has no class name");
    PutShortString(out, node.className, "class name");
    PutShortString(out, node.name, "object name");
    PutProperties(out, node.properties, depth);
    for (const ObjectNode& child : node.children) PutObject(out, child, depth + 1);
    PutByte(out, 0);
}

// ---- Reading ----

// Every read checks the remaining length first; a length field is compared
// with what is left before anything is allocated for it.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}

    std::size_t Pos() const { return pos_; }

    [[noreturn]] void Fail(std::size_t at, const std::string& what) const {
        throw FormStreamError("Stored form damaged at offset " + std::to_string(at) + ": " + what);
    }

    ObjectNode Object(int depth) {
        const std::size_t at = pos_;
        if (depth > kMaxNesting) Fail(at, "objects nested deeper than " + std::to_string(kMaxNesting) + " levels");
        ObjectNode node;
        node.className = ShortString("class name");
        if (node.className.empty()) Fail(at, "empty class name");
        node.name = ShortString("object name");
        node.properties = Properties(depth);
        while (Peek() != 0) node.children.push_back(Object(depth + 1));
        ++pos_;
        return node;
    }

    Value ValueAt(int depth) {
        const std::size_t at = pos_;
        const std::uint8_t tag = Byte();
        switch (static_cast<ValueTag>(tag)) {
        case ValueTag::Int8: return Value::Int(static_cast<std::int8_t>(Fixed(1)));
        case ValueTag::Int16: return Value::Int(static_cast<std::int16_t>(Fixed(2)));
        case ValueTag::Int32: return Value::Int(static_cast<std::int32_t>(Fixed(4)));
        case ValueTag::String: return Value::Str(ShortString("string"));
        case ValueTag::LString: {
            const std::size_t lengthAt = pos_;
            const std::uint32_t n = Fixed(4);
            const std::uint8_t* p = Take(lengthAt, n, "string");
            return Value::Str(std::string(p, p + n));
        }
        case ValueTag::Ident: return Value::Id(ShortString("identifier"));
        case ValueTag::False: return Value::Bool(false);
        case ValueTag::True: return Value::Bool(true);
        case ValueTag::Binary: {
            const std::size_t lengthAt = pos_;
            const std::uint32_t n = Fixed(4);
            const std::uint8_t* p = Take(lengthAt, n, "binary value");
            return Value::Bin(std::vector<std::uint8_t>(p, p + n));
        }
        case ValueTag::Set: {
            std::vector<std::string> names;
            for (std::string name = ShortString("set element"); !name.empty(); name = ShortString("set element"))
                names.push_back(std::move(name));
            return Value::SetOf(std::move(names));
        }
        case ValueTag::List: {
            Enter(at, depth + 1);
            std::vector<Value> values;
            while (Peek() != 0) values.push_back(ValueAt(depth + 1));
            ++pos_;
            return Value::ListOf(std::move(values));
        }
        case ValueTag::Collection: {
            Enter(at, depth + 1);
            std::vector<std::vector<Property>> items;
            for (;;) {
                const std::size_t itemAt = pos_;
                const std::uint8_t b = Byte();
                if (b == 0) break;
                if (b != static_cast<std::uint8_t>(ValueTag::List)) Fail(itemAt, "collection item does not start with 0x01");
                items.push_back(Properties(depth + 1));
            }
            return Value::CollectionOf(std::move(items));
        }
        case ValueTag::Nil: return Value::None();
        case ValueTag::Null: Fail(at, "end marker where a value was expected");
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(tag));
        Fail(at, std::string("unknown value tag ") + hex);
    }

private:
    std::uint8_t Peek() const {
        if (pos_ >= bytes_.size()) Fail(pos_, "unexpected end of data");
        return bytes_[pos_];
    }

    std::uint8_t Byte() {
        const std::uint8_t b = Peek();
        ++pos_;
        return b;
    }

    std::uint32_t Fixed(int size) {
        if (bytes_.size() - pos_ < static_cast<std::size_t>(size)) Fail(pos_, "unexpected end of data");
        std::uint32_t v = 0;
        for (int i = 0; i < size; ++i) v |= static_cast<std::uint32_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += size;
        return v;
    }

    const std::uint8_t* Take(std::size_t lengthAt, std::uint32_t n, const char* what) {
        if (n > bytes_.size() - pos_)
            Fail(lengthAt, std::string(what) + " of " + std::to_string(n) + " bytes runs past the end");
        const std::uint8_t* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }

    std::string ShortString(const char* what) {
        const std::size_t at = pos_;
        const std::uint8_t n = Byte();
        const std::uint8_t* p = Take(at, n, what);
        return std::string(p, p + n);
    }

    std::vector<Property> Properties(int depth) {
        std::vector<Property> props;
        for (;;) {
            std::string name = ShortString("property name");
            if (name.empty()) return props;
            Value value = ValueAt(depth);
            props.push_back(Property{std::move(name), std::move(value)});
        }
    }

    void Enter(std::size_t at, int depth) const {
        if (depth > kMaxNesting) Fail(at, "values nested deeper than " + std::to_string(kMaxNesting) + " levels");
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
};

}  // namespace

std::vector<std::uint8_t> WriteForm(const ObjectNode& root) {
    std::vector<std::uint8_t> out(std::begin(kFormSignature), std::end(kFormSignature));
    PutObject(out, root, 1);
    return out;
}

ObjectNode ReadForm(std::span<const std::uint8_t> bytes) {
    Reader reader(bytes, sizeof kFormSignature);
    if (bytes.size() < sizeof kFormSignature ||
        !std::equal(std::begin(kFormSignature), std::end(kFormSignature), bytes.begin()))
        reader.Fail(0, "missing signature \"TPF0\"");
    ObjectNode root = reader.Object(1);
    if (reader.Pos() != bytes.size())
        reader.Fail(reader.Pos(), std::to_string(bytes.size() - reader.Pos()) + " bytes after the end of the description");
    return root;
}

void WriteValue(std::vector<std::uint8_t>& out, const Value& value) {
    // Leave `out` as it was if the value cannot be stored.
    const std::size_t start = out.size();
    try {
        PutValue(out, value, 0);
    } catch (...) {
        out.resize(start);
        throw;
    }
}

Value ReadValue(std::span<const std::uint8_t> bytes, std::size_t& offset) {
    if (offset > bytes.size()) throw FormStreamError("Stored form damaged at offset " + std::to_string(offset) + ": offset past the end");
    Reader reader(bytes, offset);
    Value v = reader.ValueAt(0);
    offset = reader.Pos();
    return v;
}

}  // namespace forms
