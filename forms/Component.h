// Components: named objects in an ownership tree, with free notification
// and loading from stored window descriptions.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FormStream.h"

namespace forms {

class PropertyTable;
class TComponent;
class TReader;
class TWriter;

// An event handler: a named method of a form, bound to that form. Two
// events are equal when they name the same method of the same object.
class TNotifyEvent {
public:
    TNotifyEvent() = default;
    TNotifyEvent(const void* target, std::string name, std::function<void(TComponent*)> call)
        : FTarget(target), FName(std::move(name)), FCall(std::move(call)) {}

    explicit operator bool() const { return static_cast<bool>(FCall); }
    void operator()(TComponent* sender) const { FCall(sender); }
    const std::string& Name() const { return FName; }
    const void* Target() const { return FTarget; }

    friend bool operator==(const TNotifyEvent& a, const TNotifyEvent& b) {
        return a.FTarget == b.FTarget && a.FName == b.FName && bool(a) == bool(b);
    }

private:
    const void* FTarget = nullptr;
    std::string FName;
    std::function<void(TComponent*)> FCall;
};

// An object whose published properties can be set from a stored
// description and written back, as its class describes them (see
// forms/Properties.h). Dotted names ("Font.Name") reach sub-objects.
class TPersistent {
public:
    virtual ~TPersistent() = default;

    // The stored properties of the object's class; none by default.
    virtual const PropertyTable& StoredProperties() const;

    // Sets one property from the stream; false when there is no such
    // property. Throws EReadError for a value of the wrong kind.
    virtual bool ReadProperty(std::string_view name, const Value& value, TReader& reader);

    // Writes the properties worth storing, in the order a reader expects
    // them.
    virtual void WriteProperties(TWriter& writer) const;
};

enum class TOperation { Insert, Remove };

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(std::string name);
    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }
    TComponent* FindComponent(std::string_view name) const;

    // Asks `other` to tell this component, through Notification, when it is
    // destroyed (for references across owners).
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    bool Loading() const { return FLoading; }
    bool Destroying() const { return FDestroying; }

    // The stored class name ("TPanel").
    virtual const char* ClassName() const = 0;

    // The enclosing object of a child in a stored description: the parent
    // control of a control, the list of a command.
    virtual void SetParentComponent(TComponent* parent);

    // Called on every component of a loaded description after all of its
    // properties are set and references resolved, in the order read.
    virtual void Loaded();

protected:
    // Frees the owned components, newest first, and marks this one as being
    // destroyed. Windowed controls call it first thing in their destructors,
    // so what they own goes while they are still whole (see README.md);
    // for the rest the destructor calls it.
    void DestroyComponents();

    // A component of this tree (or one this component asked about) is
    // inserted or is going away; drop references to it on Remove. Overrides
    // call the inherited one, which passes the news on to owned components.
    virtual void Notification(TComponent* component, TOperation operation);

    bool ReadProperty(std::string_view name, const Value& value, TReader& reader) override;

private:
    friend class TReader;
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    std::string FName;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FLoading = false;
    bool FDestroying = false;
};

// Classes that stored descriptions may name, with their factories.
using ComponentFactory = TComponent* (*)(TComponent* owner);
void RegisterComponentClass(const char* className, ComponentFactory factory);
ComponentFactory FindClass(std::string_view className);

template <class T>
void RegisterComponentClass(const char* className) {
    RegisterComponentClass(className, [](TComponent* owner) -> TComponent* { return new T(owner); });
}

}  // namespace forms
