#include "forms/FormReader.h"

#include <windows.h>

#include <algorithm>

#include "forms/Exceptions.h"
#include "forms/ResStrings.h"

namespace forms {

TReader::TReader(TComponent* root, MethodResolver methods) : FRoot(root), FMethods(std::move(methods)) {}

void TReader::ReadRoot(const ObjectNode& node, const std::function<void()>& propertiesRead) {
    FRootPropertiesRead = propertiesRead;
    try {
        FRoot->FLoading = true;
        FLoaded.push_back(FRoot);
        ReadObject(FRoot, node, nullptr);
        for (Reference& ref : FReferences) {
            FCurrent = ref.component;
            FCurrentProperty = ref.property;
            TComponent* target = FRoot->FindComponent(ref.name);
            if (!target && ref.name == FRoot->Name()) target = FRoot;
            if (!target) throw EReadError(Format(ResString("SInvalidReference"), {ref.name}));
            ref.apply(target);
        }
        FReferences.clear();
        FCurrentProperty.clear();
        for (TComponent* c : FLoaded) {
            FCurrent = c;
            c->Loaded();
        }
        FCurrent = nullptr;
    } catch (...) {
        std::string what = "Unknown error";
        try {
            throw;
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::string where = FCurrent ? (FCurrent->Name().empty() ? FCurrent->ClassName() : FCurrent->Name()) : "";
        if (!FCurrentProperty.empty()) where += "." + FCurrentProperty;
        std::string message = where.empty() ? what : Format(ResString("SReadError"), {where, what});
        // Nothing half-read survives: free what this description created.
        for (auto it = FLoaded.rbegin(); it != FLoaded.rend(); ++it)
            if (*it != FRoot) delete *it;
        FLoaded.clear();
        FRoot->FLoading = false;
        throw EReadError(message);
    }
}

void TReader::ReadObject(TComponent* component, const ObjectNode& node, TComponent* parent) {
    if (component != FRoot) {
        ComponentFactory factory = FindClass(node.className);
        FCurrent = nullptr;
        FCurrentProperty.clear();
        if (!factory) throw EReadError(Format(ResString("SClassNotFound"), {node.className}));
        component = factory(FRoot);
        FLoaded.push_back(component);
        component->FLoading = true;
        FCurrent = component;
        component->SetName(node.name);
        if (parent) component->SetParentComponent(parent);
    } else if (!node.name.empty()) {
        FCurrent = component;
        component->SetName(node.name);
    }
    ReadProperties(component, node.properties);
    FCurrentProperty.clear();
    if (component == FRoot && FRootPropertiesRead) FRootPropertiesRead();
    for (const ObjectNode& child : node.children) ReadObject(nullptr, child, component);
}

void TReader::ReadProperties(TComponent* component, const std::vector<Property>& properties) {
    FCurrent = component;
    for (const Property& p : properties) {
        FCurrentProperty = p.name;
        if (!component->ReadProperty(p.name, p.value, *this))
            throw EReadError(Format(ResString("SUnknownProperty"), {p.name}));
    }
}

void TReader::AddReference(std::string name, std::function<void(TComponent*)> apply) {
    FReferences.push_back({FCurrent, FCurrentProperty, std::move(name), std::move(apply)});
}

TNotifyEvent TReader::ResolveMethod(const std::string& name) {
    TNotifyEvent event = FMethods ? FMethods(name) : TNotifyEvent();
    if (!event) throw EReadError(Format(ResString("SMethodNotFound"), {name}));
    return event;
}

ObjectNode LoadFormResource(std::string_view resourceName) {
    std::string name(resourceName);
    HRSRC info = ::FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL data = info ? ::LoadResource(nullptr, info) : nullptr;
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) throw EReadError(Format(ResString("SFormResourceNotFound"), {name}));
    DWORD size = ::SizeofResource(nullptr, info);
    try {
        return ReadForm({static_cast<const std::uint8_t*>(bytes), size});
    } catch (const FormStreamError& e) {
        throw EReadError(e.what());
    }
}

namespace prop {

void InvalidValue() { throw EReadError(ResString("SInvalidPropertyValue")); }

std::int32_t Int(const Value& v) {
    if (v.kind != Value::Kind::Integer || v.integer < INT32_MIN || v.integer > INT32_MAX) InvalidValue();
    return static_cast<std::int32_t>(v.integer);
}

bool Bool(const Value& v) {
    if (v.kind != Value::Kind::Boolean) InvalidValue();
    return v.integer != 0;
}

const std::string& String(const Value& v) {
    if (v.kind != Value::Kind::String) InvalidValue();
    return v.text;
}

const std::string& Ident(const Value& v) {
    if (v.kind != Value::Kind::Ident) InvalidValue();
    return v.text;
}

const std::vector<std::string>& Set(const Value& v) {
    if (v.kind != Value::Kind::Set) InvalidValue();
    return v.names;
}

const std::vector<std::uint8_t>& Binary(const Value& v) {
    if (v.kind != Value::Kind::Binary) InvalidValue();
    return v.bytes;
}

TColor Color(const Value& v) {
    if (v.kind == Value::Kind::Ident) {
        TColor c;
        if (!ColorFromName(v.text, c)) InvalidValue();
        return c;
    }
    return static_cast<TColor>(Int(v));
}

}  // namespace prop

}  // namespace forms
