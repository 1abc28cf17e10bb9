// Stored window descriptions: the binary encoding read from the program's
// resources and the tree it decodes into. Pure byte-level code: it knows
// nothing of windows and builds both into the program and into the host
// tool that turns the readable descriptions into resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace forms {

// Value tags of the encoding.
enum class ValueTag : std::uint8_t {
    Null = 0x00,        // end of a list, a collection or an item
    List = 0x01,        // values up to Null; also opens a collection item
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    String = 0x06,      // one length byte, then the characters
    Ident = 0x07,       // one length byte: enumeration value, component or handler name
    False = 0x08,
    True = 0x09,
    Binary = 0x0A,      // four length bytes, little-endian, then the bytes
    Set = 0x0B,         // short strings up to an empty one
    LString = 0x0C,     // four length bytes, then the characters
    Nil = 0x0D,         // no component
    Collection = 0x0E,  // items, each List ... Null, then Null
};

struct Property;

struct Value {
    enum class Kind { Integer, String, Ident, Boolean, Set, Binary, List, Collection, Nil };

    Kind kind = Kind::Nil;
    std::int64_t integer = 0;                      // Integer; Boolean as 0 / 1
    std::string text;                              // String, Ident (code page 1252 bytes)
    std::vector<std::string> names;                // Set
    std::vector<std::uint8_t> bytes;               // Binary
    std::vector<Value> list;                       // List
    std::vector<std::vector<Property>> items;      // Collection

    static Value Int(std::int64_t v);
    static Value Str(std::string s);
    static Value Id(std::string s);
    static Value Bool(bool b);
    static Value SetOf(std::vector<std::string> names);
    static Value Bin(std::vector<std::uint8_t> bytes);
    static Value ListOf(std::vector<Value> values);
    static Value CollectionOf(std::vector<std::vector<Property>> items);
    static Value None();

    friend bool operator==(const Value&, const Value&);
};

struct Property {
    std::string name;  // may be dotted: "Font.Name", "Image.Data"
    Value value;
    friend bool operator==(const Property&, const Property&) = default;
};

struct ObjectNode {
    std::string className;  // "TPanel"
    std::string name;       // "pnlTime"
    std::vector<Property> properties;   // in stream order
    std::vector<ObjectNode> children;   // in stream order
    friend bool operator==(const ObjectNode&, const ObjectNode&) = default;
};

// A damaged or truncated description. The message says what was wrong and
// at which byte offset. The writer throws it too, for trees the encoding
// cannot hold (an integer outside 32 bits, a name longer than 255 bytes...).
class FormStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Signature of a stored description: "TPF0".
inline constexpr std::uint8_t kFormSignature[4] = {'T', 'P', 'F', '0'};

// Deepest nesting of objects, lists and collections a description may have;
// the reader rejects deeper input so damaged data cannot exhaust the stack.
inline constexpr int kMaxNesting = 64;

// Encodes a whole description, signature first.
std::vector<std::uint8_t> WriteForm(const ObjectNode& root);

// Decodes a whole description. Throws FormStreamError on anything that is
// not a complete, well-formed description; never reads out of bounds.
ObjectNode ReadForm(std::span<const std::uint8_t> bytes);

// Encodes / decodes one tagged value (used by components that stream
// their own data, and by the tests).
void WriteValue(std::vector<std::uint8_t>& out, const Value& value);
// Decodes the value at `offset` and moves `offset` past it.
Value ReadValue(std::span<const std::uint8_t> bytes, std::size_t& offset);

}  // namespace forms
