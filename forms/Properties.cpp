#include "forms/Properties.h"

#include <algorithm>

#include "forms/Exceptions.h"
#include "forms/ResStrings.h"

namespace forms {

PropertyTable::PropertyTable(const PropertyTable& base, std::initializer_list<PropertyInfo> own) {
    for (const PropertyInfo& inherited : base.FItems)
        if (std::none_of(own.begin(), own.end(),
                         [&](const PropertyInfo& p) { return std::string_view(p.name) == inherited.name; }))
            FItems.push_back(inherited);
    FItems.insert(FItems.end(), own.begin(), own.end());
}

const PropertyInfo* PropertyTable::Find(std::string_view name) const {
    for (const PropertyInfo& p : FItems)
        if (name == p.name) return &p;
    return nullptr;
}

void PropertyTable::Write(const TPersistent& object, TWriter& writer) const {
    for (const PropertyInfo& p : FItems)
        if (p.write) p.write(object, writer);
}

Value SetKind::Write(unsigned bits) const {
    std::vector<std::string> members;
    for (const auto& n : names)
        if (bits & n.second) members.push_back(n.first);
    return Value::SetOf(std::move(members));
}

void ReadItemProperties(TPersistent& item, const std::vector<Property>& properties, TReader& reader) {
    for (const Property& p : properties)
        if (!item.ReadProperty(p.name, p.value, reader))
            throw EReadError(Format(ResString("SUnknownProperty"), {p.name}));
}

}  // namespace forms
