// Look-and-feel settings: which look a control draws in, set on the
// control or inherited from a master and in the end from the process-wide
// root, and resolved to a painter class. Also the process-wide listener
// for system colour changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/cxLookAndFeelPainters.h"
#include "forms/Component.h"
#include "forms/Window.h"

namespace controls {

enum class TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };

// A set of the values below; also tells a change notification what changed.
using TcxLookAndFeelValues = unsigned;
inline constexpr TcxLookAndFeelValues lfvKind = 1, lfvNativeStyle = 2, lfvSkinName = 4;

inline constexpr TcxLookAndFeelKind cxDefaultLookAndFeelKind = TcxLookAndFeelKind::lfUltraFlat;
inline constexpr bool cxDefaultLookAndFeelNativeStyle = false;

// The painter class of a kind, and the kind of a painter style code.
TcxLookAndFeelPainterClass PainterClassOfKind(TcxLookAndFeelKind kind);
TcxLookAndFeelKind KindOfPainterStyle(int style);

// ---- System colour changes

// A subscription to system colour changes, for as long as it lives. While
// one exists a hidden window hears WM_SYSCOLORCHANGE and the switch of
// high contrast, and calls every subscriber: the primary ones first (colour
// schemes others draw with), then the rest, each group in the order
// subscribed. A subscriber may end its own or another subscription while
// being called.
class TcxSystemPaletteChangedNotifier {
public:
    explicit TcxSystemPaletteChangedNotifier(std::function<void()> onSystemPaletteChanged, bool primary = false);
    ~TcxSystemPaletteChangedNotifier();
    TcxSystemPaletteChangedNotifier(const TcxSystemPaletteChangedNotifier&) = delete;
    TcxSystemPaletteChangedNotifier& operator=(const TcxSystemPaletteChangedNotifier&) = delete;

    std::function<void()> OnSystemPaletteChanged;
};

// What hears the system's colour changes for the subscriptions above: the
// application's window, which the system tells like every top-level
// window (a window of its own would cost start-up another one). A
// high-contrast switch changes the painters' colours as well.
class TcxSystemPaletteChangedListener {
public:
    TcxSystemPaletteChangedListener(const TcxSystemPaletteChangedListener&) = delete;
    TcxSystemPaletteChangedListener& operator=(const TcxSystemPaletteChangedListener&) = delete;
    ~TcxSystemPaletteChangedListener();
    // Null while nobody subscribes.
    static TcxSystemPaletteChangedListener* Instance();
    // The window it listens at.
    HWND Handle() const;

private:
    friend class TcxSystemPaletteChangedNotifier;
    static void Heard(forms::TMessage& message);
    static void NotifySubscribers();
    TcxSystemPaletteChangedListener();
    static void Add(TcxSystemPaletteChangedNotifier* notifier, bool primary);
    static void Remove(TcxSystemPaletteChangedNotifier* notifier);
};

// ---- Look and feel

class TcxLookAndFeel;

class IcxLookAndFeelChangeListener {
public:
    virtual void MasterChanged(TcxLookAndFeel* sender, TcxLookAndFeelValues changed) = 0;
    virtual void MasterDestroying(TcxLookAndFeel* sender) = 0;

protected:
    ~IcxLookAndFeelChangeListener() = default;
};

class TcxLookAndFeel : public forms::TPersistent, public IcxLookAndFeelChangeListener {
public:
    // A control's settings, inheriting from the root.
    TcxLookAndFeel();
    ~TcxLookAndFeel() override;
    TcxLookAndFeel(const TcxLookAndFeel&) = delete;
    TcxLookAndFeel& operator=(const TcxLookAndFeel&) = delete;

    // Effective values. Writing one assigns it here.
    TcxLookAndFeelKind Kind() const { return FKind; }
    void SetKind(TcxLookAndFeelKind kind);
    bool NativeStyle() const { return FNativeStyle; }
    void SetNativeStyle(bool nativeStyle);
    const std::string& SkinName() const { return FSkinName; }
    void SetSkinName(const std::string& skinName);
    TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
    void SetAssignedValues(TcxLookAndFeelValues values);
    // Back to nothing assigned.
    void Reset() { SetAssignedValues(0); }

    // The painter to draw with: the explicit one when set, else resolved.
    TcxLookAndFeelPainterClass Painter() const { return FPainter ? FPainter : FResolvedPainter; }
    void SetPainter(TcxLookAndFeelPainterClass painter);

    // Where unassigned values come from; null: the root.
    TcxLookAndFeel* MasterLookAndFeel() const { return FMaster; }
    void SetMasterLookAndFeel(TcxLookAndFeel* master);
    // Takes over the other's own values, AssignedValues and master.
    void Assign(const TcxLookAndFeel& source);

    bool IsRoot() const { return FIsRoot; }

    // Those that inherit from this one: look-and-feels and the controller.
    void AddChangeListener(IcxLookAndFeelChangeListener* listener);
    void RemoveChangeListener(IcxLookAndFeelChangeListener* listener);

    // Told after every change of the effective values or the painter.
    std::function<void(TcxLookAndFeel* sender, TcxLookAndFeelValues changed)> OnChanged;

    const forms::PropertyTable& StoredProperties() const override;

    // Listener side.
    void MasterChanged(TcxLookAndFeel* sender, TcxLookAndFeelValues changed) override;
    void MasterDestroying(TcxLookAndFeel* sender) override;

private:
    friend void InitializeLookAndFeels();
    struct RootTag {};
    explicit TcxLookAndFeel(RootTag);

    struct Snapshot {
        TcxLookAndFeelKind kind;
        bool nativeStyle;
        std::string skinName;
    };
    Snapshot Current() const { return {FKind, FNativeStyle, FSkinName}; }
    TcxLookAndFeelValues Differences(const Snapshot& before) const;
    // The inherited values come from here: the master, else the root.
    TcxLookAndFeel* Source() const;
    void Register();
    void Unregister();
    bool CanTakeMaster(const TcxLookAndFeel* master) const;
    void Reparent(TcxLookAndFeel* master);
    void UpdateCurrent();
    void Changed(TcxLookAndFeelValues changed);
    // Recomputes, then tells what differs from the snapshot.
    void ChangedSince(const Snapshot& before);

    // Own values and which of them are in force.
    TcxLookAndFeelKind FOwnKind = cxDefaultLookAndFeelKind;
    bool FOwnNativeStyle = cxDefaultLookAndFeelNativeStyle;
    std::string FOwnSkinName;
    TcxLookAndFeelValues FAssignedValues = 0;
    // Effective values and the painter they resolve to.
    TcxLookAndFeelKind FKind = cxDefaultLookAndFeelKind;
    bool FNativeStyle = cxDefaultLookAndFeelNativeStyle;
    std::string FSkinName;
    TcxLookAndFeelPainterClass FResolvedPainter = nullptr;
    TcxLookAndFeelPainterClass FPainter = nullptr;

    TcxLookAndFeel* FMaster = nullptr;
    TcxLookAndFeel* FRegisteredWith = nullptr;
    bool FIsRoot = false;
    bool FDestroying = false;
    std::vector<IcxLookAndFeelChangeListener*> FListeners;
    int FControllerCount = 0;
    TcxSystemPaletteChangedNotifier FSystemPaletteNotifier;
};

// The process-wide root; null before start-up and after shutdown.
TcxLookAndFeel* RootLookAndFeel();

// A component that sets the root's values for the whole program while it
// exists; resetting it brings the built-in defaults back.
class TcxLookAndFeelController : public forms::TComponent, public IcxLookAndFeelChangeListener {
public:
    explicit TcxLookAndFeelController(forms::TComponent* owner);
    ~TcxLookAndFeelController() override;
    const char* ClassName() const override { return "TcxLookAndFeelController"; }

    TcxLookAndFeelKind Kind() const;
    void SetKind(TcxLookAndFeelKind kind);
    bool NativeStyle() const;
    void SetNativeStyle(bool nativeStyle);
    std::string SkinName() const;
    void SetSkinName(const std::string& skinName);
    void Reset();

    const forms::PropertyTable& StoredProperties() const override;

    void MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override {}
    void MasterDestroying(TcxLookAndFeel* sender) override;

private:
    TcxLookAndFeel* FRoot = nullptr;
};

// Module start-up and end: the root look-and-feel.
void InitializeLookAndFeels();
void FinalizeLookAndFeels();

}  // namespace controls
