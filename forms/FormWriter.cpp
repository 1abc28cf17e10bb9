#include "forms/FormWriter.h"

namespace forms {

void TWriter::Write(std::string_view name, Value value) {
    FProperties.push_back(Property{FPrefix + std::string(name), std::move(value)});
}

void TWriter::WriteObject(std::string_view name, const TPersistent& object) {
    const std::size_t outer = FPrefix.size();
    FPrefix.append(name).append(".");
    try {
        object.WriteProperties(*this);
    } catch (...) {
        FPrefix.resize(outer);
        throw;
    }
    FPrefix.resize(outer);
}

std::vector<Property> WriteProperties(const TPersistent& object) {
    TWriter writer;
    object.WriteProperties(writer);
    return writer.TakeProperties();
}

ObjectNode WriteComponent(const TComponent& component) {
    ObjectNode node;
    node.className = component.ClassName();
    node.name = component.Name();
    node.properties = WriteProperties(component);
    return node;
}

}  // namespace forms
