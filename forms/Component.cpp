#include "forms/Component.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "forms/Exceptions.h"
#include "forms/FormReader.h"
#include "forms/Properties.h"
#include "forms/ResStrings.h"

namespace forms {

const PropertyTable& TPersistent::StoredProperties() const {
    static const PropertyTable none;
    return none;
}

bool TPersistent::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    const PropertyTable& table = StoredProperties();
    if (const PropertyInfo* p = table.Find(name); p && p->read) {
        p->read(*this, value, reader);
        return true;
    }
    auto dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    const PropertyInfo* p = table.Find(name.substr(0, dot));
    TPersistent* sub = p && p->object ? p->object(*this) : nullptr;
    return sub && sub->ReadProperty(name.substr(dot + 1), value, reader);
}

void TPersistent::WriteProperties(TWriter& writer) const { StoredProperties().Write(*this, writer); }

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Those that refer to us across owners drop their references first.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::Remove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    FDestroying = true;
    // Each removes itself from the list.
    while (!FComponents.empty()) delete FComponents.back();
}

void TComponent::SetName(std::string name) {
    if (name == FName) return;
    if (!name.empty() && FOwner) {
        TComponent* same = FOwner->FindComponent(name);
        if (same && same != this) throw EInvalidOperation(Format(ResString("SDuplicateName"), {name}));
    }
    FName = std::move(name);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents) {
        const std::string& n = c->FName;
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return c;
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) == other->FFreeNotifies.end()) {
        other->FFreeNotifies.push_back(this);
        FFreeNotifies.push_back(other);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), other), FFreeNotifies.end());
}

void TComponent::Loaded() { FLoading = false; }

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::Remove) RemoveFreeNotification(component);
    // The whole tree hears of it. Copy: a handler may free components.
    std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned)
        if (c != component && std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
            c->Notification(component, operation);
}

bool TComponent::ReadProperty(std::string_view name, const Value& value, TReader& reader) {
    return TPersistent::ReadProperty(name, value, reader);
}

void TComponent::InsertComponent(TComponent* c) {
    c->FOwner = this;
    FComponents.push_back(c);
    Notification(c, TOperation::Insert);
}

void TComponent::RemoveComponent(TComponent* c) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), c), FComponents.end());
    c->FOwner = nullptr;
    Notification(c, TOperation::Remove);
}

namespace {
std::map<std::string, ComponentFactory, std::less<>>& Classes() {
    static std::map<std::string, ComponentFactory, std::less<>> classes;
    return classes;
}
}  // namespace

void RegisterComponentClass(const char* className, ComponentFactory factory) { Classes()[className] = factory; }

ComponentFactory FindClass(std::string_view className) {
    auto it = Classes().find(className);
    return it == Classes().end() ? nullptr : it->second;
}

}  // namespace forms
