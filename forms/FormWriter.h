// Writes components into the tree of a stored description: the other half
// of TReader. Each object writes its own properties through WriteProperties.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "forms/Component.h"
#include "forms/FormStream.h"

namespace forms {

class TWriter {
public:
    TWriter() = default;
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void Write(std::string_view name, Value value);
    // Writes the properties of a sub-object under its name ("Image.Data").
    void WriteObject(std::string_view name, const TPersistent& object);

    const std::vector<Property>& Properties() const { return FProperties; }
    std::vector<Property> TakeProperties() { return std::move(FProperties); }

private:
    std::string FPrefix;
    std::vector<Property> FProperties;
};

// The properties an object writes, in order.
std::vector<Property> WriteProperties(const TPersistent& object);

// One component as an object node: class, name and properties.
ObjectNode WriteComponent(const TComponent& component);

}  // namespace forms
