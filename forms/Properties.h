// Stored properties: each class describes its own once, in a table of
// name, kind, accessors and when it is stored. The same description reads
// a property from a stored description and writes it back.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "forms/Component.h"
#include "forms/FormReader.h"
#include "forms/FormWriter.h"
#include "forms/FormStream.h"
#include "forms/Graphics.h"

namespace forms {

// One stored property. `read` sets it from a stored value and raises
// EReadError for a value of the wrong kind; `write` writes it if it is
// stored (empty: only ever read). A sub-object ("Font") has `object`
// instead of `read`: the dotted names below it ("Font.Name") go there.
struct PropertyInfo {
    const char* name = "";
    std::function<void(TPersistent&, const Value&, TReader&)> read;
    std::function<void(const TPersistent&, TWriter&)> write;
    std::function<TPersistent*(TPersistent&)> object;
};

// The stored properties of a class: its base class's, then its own, in
// the order they are written, which is the order a reader expects them. A
// class that describes a property of its base again replaces the base's
// description, in its own place.
class PropertyTable {
public:
    PropertyTable() = default;
    PropertyTable(const PropertyTable& base, std::initializer_list<PropertyInfo> own);

    const PropertyInfo* Find(std::string_view name) const;
    void Write(const TPersistent& object, TWriter& writer) const;

private:
    std::vector<PropertyInfo> FItems;
};

// ---- Kinds: how a value of one kind is stored. Read hands the value to
// `apply` (a reference, once the whole description is read); Write gives
// the stored value, or nothing for "none".

struct BoolKind {
    using type = bool;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(prop::Bool(v)); }
    Value Write(bool b) const { return Value::Bool(b); }
};

struct IntKind {
    using type = int;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(prop::Int(v)); }
    Value Write(int i) const { return Value::Int(i); }
};

// An integer that must lie within [min, max], kept as V.
template <class V>
struct IntRangeKind {
    using type = V;
    std::int32_t min, max;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const {
        std::int32_t i = prop::Int(v);
        if (i < min || i > max) prop::InvalidValue();
        apply(static_cast<V>(i));
    }
    Value Write(V i) const { return Value::Int(static_cast<std::int64_t>(i)); }
};

struct StringKind {
    using type = std::string;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(prop::String(v)); }
    Value Write(const std::string& s) const { return Value::Str(s); }
};

// Read as a name ("clNavy") or a number; written as the signed 32-bit
// number, so system colours (top bit set) read back.
struct ColorKind {
    using type = TColor;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(prop::Color(v)); }
    Value Write(TColor c) const { return Value::Int(static_cast<std::int32_t>(c)); }
};

struct BinaryKind {
    using type = std::vector<std::uint8_t>;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(prop::Binary(v)); }
    Value Write(std::vector<std::uint8_t> bytes) const { return Value::Bin(std::move(bytes)); }
};

// The names of the values of an enumeration or of the members of a set.
template <class V>
struct NamedValues {
    std::span<const std::pair<const char*, V>> names;
    template <std::size_t N>
    constexpr NamedValues(const std::pair<const char*, V> (&table)[N]) : names(table) {}
    // Raises "Invalid property value" for a name not in the table.
    V ValueOf(std::string_view name) const {
        for (const auto& n : names)
            if (name == n.first) return n.second;
        prop::InvalidValue();
    }
};

// An enumeration stored as the name of its value.
template <class E>
struct EnumKind : NamedValues<E> {
    using type = E;
    using NamedValues<E>::NamedValues;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const { apply(this->ValueOf(prop::Ident(v))); }
    Value Write(E e) const {
        for (const auto& n : this->names)
            if (n.second == e) return Value::Id(n.first);
        return Value::Id(this->names[0].first);
    }
};
template <class E, std::size_t N>
EnumKind(const std::pair<const char*, E> (&)[N]) -> EnumKind<E>;

// A bit set stored as the names of its members.
struct SetKind : NamedValues<unsigned> {
    using type = unsigned;
    using NamedValues::NamedValues;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const {
        unsigned bits = 0;
        for (const std::string& member : prop::Set(v)) bits |= ValueOf(member);
        apply(bits);
    }
    Value Write(unsigned bits) const;
};

// A list of values of one kind that is read at once (not references).
template <class Element>
struct ListKind {
    using type = std::vector<typename Element::type>;
    Element element;
    template <class Apply>
    void Read(const Value& v, TReader& reader, Apply apply) const {
        if (v.kind != Value::Kind::List) prop::InvalidValue();
        type items;
        for (const Value& item : v.list) element.Read(item, reader, [&items](auto e) { items.push_back(e); });
        apply(std::move(items));
    }
    Value Write(const type& items) const {
        std::vector<Value> list;
        for (const auto& item : items) list.push_back(element.Write(item));
        return Value::ListOf(std::move(list));
    }
};

// A handler of the form, stored by its method name; none is not stored.
struct EventKind {
    using type = TNotifyEvent;
    template <class Apply>
    void Read(const Value& v, TReader& reader, Apply apply) const { apply(reader.ResolveMethod(prop::Ident(v))); }
    std::optional<Value> Write(const TNotifyEvent& e) const {
        if (!e) return std::nullopt;
        return Value::Id(e.Name());
    }
};

// Another component of the form, stored by name and set once the whole
// description is read; none is not stored.
template <class C>
struct ReferenceKind {
    using type = C*;
    template <class Apply>
    void Read(const Value& v, TReader& reader, Apply apply) const {
        if (v.kind == Value::Kind::Nil) return apply(nullptr);
        reader.AddReference(prop::Ident(v), [apply](TComponent* c) {
            auto* target = dynamic_cast<C*>(c);
            if (!target) prop::InvalidValue();
            apply(target);
        });
    }
    std::optional<Value> Write(const C* c) const {
        if (!c) return std::nullopt;
        return Value::Id(c->Name());
    }
};

inline constexpr BoolKind kBool;
inline constexpr IntKind kInt;
inline constexpr StringKind kString;
inline constexpr ColorKind kColor;
inline constexpr BinaryKind kBinary;
inline constexpr EventKind kEvent;

// ---- Descriptions of the properties of a class T, for its table (made in
// a member of T, so private members may be named).
//
// Getters are member functions or data members of T, or functions of a
// `const T&`; setters are member functions or data members of T, or
// functions of a `T&` and the value. A property is written always, when it
// differs from `byDefault`, or while `stored` says so.
template <class T>
struct Describe {
    template <class Kind, class Get, class Set>
    static PropertyInfo Property(const char* name, Kind kind, Get get, Set set,
                                 std::optional<typename Kind::type> byDefault = std::nullopt) {
        return Make(name, kind, get, set, [byDefault](const T&, const typename Kind::type& value) {
            return !byDefault || !(value == *byDefault);
        });
    }

    template <class Kind, class Get, class Set, std::predicate<const T&> Stored>
    static PropertyInfo Property(const char* name, Kind kind, Get get, Set set, Stored stored) {
        return Make(name, kind, get, set,
                    [stored](const T& object, const typename Kind::type&) { return std::invoke(stored, object); });
    }

    // A data member read and written as it is.
    template <class Kind, class V>
    static PropertyInfo Field(const char* name, Kind kind, V T::*field,
                              std::optional<typename Kind::type> byDefault = std::nullopt) {
        return Property(name, kind, field, field, byDefault);
    }

    // A sub-object: `get` gives it from a T& and from a const T&.
    template <class Get>
    static PropertyInfo Object(const char* name, Get get) {
        return Object(name, get, [](const T&) { return true; });
    }

    template <class Get, std::predicate<const T&> Stored>
    static PropertyInfo Object(const char* name, Get get, Stored stored) {
        PropertyInfo info;
        info.name = name;
        info.object = [get](TPersistent& object) -> TPersistent* {
            return &std::invoke(get, static_cast<T&>(object));
        };
        info.write = [name, get, stored](const TPersistent& object, TWriter& writer) {
            const T& source = static_cast<const T&>(object);
            if (std::invoke(stored, source)) writer.WriteObject(name, std::invoke(get, source));
        };
        return info;
    }

    // An odd one, read and written by functions of its own; `write` gives
    // the stored value or nothing. Without `write` it is only read.
    static PropertyInfo Custom(const char* name, void (*read)(T&, const Value&, TReader&),
                               std::optional<Value> (*write)(const T&) = nullptr) {
        PropertyInfo info;
        info.name = name;
        info.read = [read](TPersistent& object, const Value& value, TReader& reader) {
            read(static_cast<T&>(object), value, reader);
        };
        if (write)
            info.write = [name, write](const TPersistent& object, TWriter& writer) {
                if (std::optional<Value> value = write(static_cast<const T&>(object)))
                    writer.Write(name, std::move(*value));
            };
        return info;
    }

private:
    template <class Kind, class Get, class Set, class Stored>
    static PropertyInfo Make(const char* name, Kind kind, Get get, Set set, Stored stored) {
        using V = typename Kind::type;
        PropertyInfo info;
        info.name = name;
        info.read = [kind, set](TPersistent& object, const Value& value, TReader& reader) {
            T* target = &static_cast<T&>(object);
            kind.Read(value, reader, [target, set](V v) {
                if constexpr (std::is_member_object_pointer_v<Set>) target->*set = std::move(v);
                else std::invoke(set, *target, std::move(v));
            });
        };
        info.write = [name, kind, get, stored](const TPersistent& object, TWriter& writer) {
            const T& source = static_cast<const T&>(object);
            const V value = std::invoke(get, source);
            if (!stored(source, value)) return;
            if (std::optional<Value> written = kind.Write(value)) writer.Write(name, std::move(*written));
        };
        return info;
    }
};

// Reads the properties of one item of a stored collection into it; a name
// it does not know raises EReadError "Property ... does not exist".
void ReadItemProperties(TPersistent& item, const std::vector<Property>& properties, TReader& reader);

// A stored collection: every item's properties.
template <class Items>
Value WriteCollection(const Items& items) {
    std::vector<std::vector<Property>> written;
    for (const auto& item : items) written.push_back(WriteProperties(*item));
    return Value::CollectionOf(std::move(written));
}

}  // namespace forms
