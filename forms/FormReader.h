// Builds components from a decoded stored description.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/Component.h"
#include "forms/FormStream.h"
#include "forms/Graphics.h"

namespace forms {

// Reads a description into an existing root component (a form): creates the
// child components by class name, sets their properties in stream order,
// resolves references between components once everything is read, then
// runs every component's Loaded step in the order read. On any error, in a
// Loaded step too, the components created so far are freed, the root is no
// longer loading and EReadError is thrown.
class TReader {
public:
    // Resolves the name of a published method of the root (an event handler).
    using MethodResolver = std::function<TNotifyEvent(const std::string& name)>;

    TReader(TComponent* root, MethodResolver methods);
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // `propertiesRead`, if given, runs once the root's own properties are
    // set, before its children are read (a form makes its window there).
    void ReadRoot(const ObjectNode& node, const std::function<void()>& propertiesRead = {});

    // For property readers: a reference to a component by name, applied
    // once the whole description is read.
    void AddReference(std::string name, std::function<void(TComponent*)> apply);
    TNotifyEvent ResolveMethod(const std::string& name);
    TComponent* Root() const { return FRoot; }

private:
    void ReadObject(TComponent* component, const ObjectNode& node, TComponent* parent);
    void ReadProperties(TComponent* component, const std::vector<Property>& properties);

    struct Reference {
        TComponent* component;  // the one whose property refers
        std::string property;
        std::string name;
        std::function<void(TComponent*)> apply;
    };

    TComponent* FRoot;
    MethodResolver FMethods;
    std::function<void()> FRootPropertiesRead;
    std::vector<TComponent*> FLoaded;
    std::vector<Reference> FReferences;
    TComponent* FCurrent = nullptr;
    std::string FCurrentProperty;
};

// Reads and decodes a stored description from the program's resources
// (RT_RCDATA, named after the form class, upper case).
ObjectNode LoadFormResource(std::string_view resourceName);

// Value conversions for property readers; a value of the wrong kind raises
// EReadError "Invalid property value".
namespace prop {
[[noreturn]] void InvalidValue();
std::int32_t Int(const Value& v);
bool Bool(const Value& v);
const std::string& String(const Value& v);
const std::string& Ident(const Value& v);
const std::vector<std::string>& Set(const Value& v);
const std::vector<std::uint8_t>& Binary(const Value& v);
TColor Color(const Value& v);
}  // namespace prop

}  // namespace forms
