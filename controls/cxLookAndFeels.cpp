#include "controls/cxLookAndFeels.h"

#include <algorithm>
#include <memory>

#include "controls/dxThemeManager.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/Properties.h"

namespace controls {

namespace {

const std::pair<const char*, TcxLookAndFeelKind> kKindNames[] = {
    {"lfFlat", TcxLookAndFeelKind::lfFlat},
    {"lfStandard", TcxLookAndFeelKind::lfStandard},
    {"lfUltraFlat", TcxLookAndFeelKind::lfUltraFlat},
    {"lfOffice11", TcxLookAndFeelKind::lfOffice11},
};

const std::pair<const char*, unsigned> kValueNames[] = {
    {"lfvKind", lfvKind},
    {"lfvNativeStyle", lfvNativeStyle},
    {"lfvSkinName", lfvSkinName},
};

TcxLookAndFeel* gRoot = nullptr;

// ---- The system-colour subscriptions

struct Subscription {
    std::uint64_t id;
    TcxSystemPaletteChangedNotifier* notifier;
    bool primary;
};

std::vector<Subscription> gSubscriptions;
std::uint64_t gNextSubscription = 1;
std::unique_ptr<TcxSystemPaletteChangedListener> gListener;
bool gNotifying = false;

}  // namespace

TcxLookAndFeelPainterClass PainterClassOfKind(TcxLookAndFeelKind kind) {
    switch (kind) {
        case TcxLookAndFeelKind::lfFlat: return TcxFlatLookAndFeelPainter::Class();
        case TcxLookAndFeelKind::lfStandard: return TcxStandardLookAndFeelPainter::Class();
        case TcxLookAndFeelKind::lfUltraFlat: return TcxUltraFlatLookAndFeelPainter::Class();
        case TcxLookAndFeelKind::lfOffice11: return TcxOffice11LookAndFeelPainter::Class();
    }
    return TcxStandardLookAndFeelPainter::Class();
}

TcxLookAndFeelKind KindOfPainterStyle(int style) {
    switch (style) {
        case cxPainterStyleFlat: return TcxLookAndFeelKind::lfFlat;
        case cxPainterStyleUltraFlat: return TcxLookAndFeelKind::lfUltraFlat;
        case cxPainterStyleOffice11: return TcxLookAndFeelKind::lfOffice11;
        default: return TcxLookAndFeelKind::lfStandard;
    }
}

// ---- TcxSystemPaletteChangedNotifier, TcxSystemPaletteChangedListener

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(std::function<void()> onSystemPaletteChanged,
                                                                 bool primary)
    : OnSystemPaletteChanged(std::move(onSystemPaletteChanged)) {
    TcxSystemPaletteChangedListener::Add(this, primary);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier() { TcxSystemPaletteChangedListener::Remove(this); }

TcxSystemPaletteChangedListener::TcxSystemPaletteChangedListener() {
    if (forms::TWindow* window = forms::TWindow::FromHandle(Handle())) window->AddMessageListener(this, Heard);
}

TcxSystemPaletteChangedListener::~TcxSystemPaletteChangedListener() {
    if (forms::TWindow* window = forms::TWindow::FromHandle(Handle())) window->RemoveMessageListener(this);
}

HWND TcxSystemPaletteChangedListener::Handle() const { return forms::Application().Handle(); }

TcxSystemPaletteChangedListener* TcxSystemPaletteChangedListener::Instance() { return gListener.get(); }

void TcxSystemPaletteChangedListener::Add(TcxSystemPaletteChangedNotifier* notifier, bool primary) {
    if (!gListener) gListener.reset(new TcxSystemPaletteChangedListener);
    gSubscriptions.push_back({gNextSubscription++, notifier, primary});
}

void TcxSystemPaletteChangedListener::Remove(TcxSystemPaletteChangedNotifier* notifier) {
    std::erase_if(gSubscriptions, [notifier](const Subscription& s) { return s.notifier == notifier; });
    // The window stays while it is telling the subscribers; it goes with
    // the next unsubscription or at the module's end.
    if (gSubscriptions.empty() && !gNotifying) gListener.reset();
}

void TcxSystemPaletteChangedListener::Heard(forms::TMessage& message) {
    if (message.message == WM_SYSCOLORCHANGE ||
        (message.message == WM_SETTINGCHANGE && message.wParam == SPI_SETHIGHCONTRAST))
        NotifySubscribers();
}

void TcxSystemPaletteChangedListener::NotifySubscribers() {
    forms::ScopedValue notifying(gNotifying, true);
    auto subscriptions = gSubscriptions;
    std::stable_partition(subscriptions.begin(), subscriptions.end(), [](const Subscription& s) { return s.primary; });
    for (const Subscription& s : subscriptions) {
        // Ended meanwhile: its notifier may be gone.
        bool still = std::any_of(gSubscriptions.begin(), gSubscriptions.end(),
                                 [&s](const Subscription& current) { return current.id == s.id; });
        if (still && s.notifier->OnSystemPaletteChanged) s.notifier->OnSystemPaletteChanged();
    }
}

// ---- TcxLookAndFeel

TcxLookAndFeel::TcxLookAndFeel() : FSystemPaletteNotifier([this] { Changed(lfvNativeStyle); }) {
    Register();
    UpdateCurrent();
}

TcxLookAndFeel::TcxLookAndFeel(RootTag) : FIsRoot(true), FSystemPaletteNotifier([this] { Changed(lfvNativeStyle); }) {
    UpdateCurrent();
}

TcxLookAndFeel::~TcxLookAndFeel() {
    FDestroying = true;
    auto listeners = FListeners;
    for (IcxLookAndFeelChangeListener* l : listeners)
        if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end()) l->MasterDestroying(this);
    Unregister();
    if (gRoot == this) gRoot = nullptr;
}

TcxLookAndFeel* TcxLookAndFeel::Source() const {
    if (FMaster) return FMaster;
    return FIsRoot ? nullptr : gRoot;
}

void TcxLookAndFeel::Register() {
    if (TcxLookAndFeel* target = Source()) {
        target->AddChangeListener(this);
        FRegisteredWith = target;
    }
}

void TcxLookAndFeel::Unregister() {
    if (TcxLookAndFeel* target = std::exchange(FRegisteredWith, nullptr)) target->RemoveChangeListener(this);
}

void TcxLookAndFeel::UpdateCurrent() {
    const TcxLookAndFeel* source = Source();
    FKind = FAssignedValues & lfvKind ? FOwnKind : source ? source->FKind : cxDefaultLookAndFeelKind;
    FNativeStyle = FAssignedValues & lfvNativeStyle ? FOwnNativeStyle
                   : source                          ? source->FNativeStyle
                                                     : cxDefaultLookAndFeelNativeStyle;
    FSkinName = FAssignedValues & lfvSkinName ? FOwnSkinName : source ? source->FSkinName : std::string();
    // No skin painter is ever registered: SkinName has no effect. A
    // high-contrast scheme takes the painter that draws in system colours
    // only; visual styles and the kinds' own tints would override the user's.
    if (forms::HighContrast()) FResolvedPainter = TcxStandardLookAndFeelPainter::Class();
    else
        FResolvedPainter = FNativeStyle && AreVisualStylesAvailable() ? TcxWinXPLookAndFeelPainter::Class()
                                                                      : PainterClassOfKind(FKind);
}

TcxLookAndFeelValues TcxLookAndFeel::Differences(const Snapshot& before) const {
    TcxLookAndFeelValues changed = 0;
    if (before.kind != FKind) changed |= lfvKind;
    if (before.nativeStyle != FNativeStyle) changed |= lfvNativeStyle;
    if (before.skinName != FSkinName) changed |= lfvSkinName;
    return changed;
}

void TcxLookAndFeel::Changed(TcxLookAndFeelValues changed) {
    if (changed == 0 || FDestroying) return;
    UpdateCurrent();
    // A listener may leave the list while it is told; the walk then stays
    // at the same place.
    for (std::size_t i = 0; i < FListeners.size();) {
        std::size_t count = FListeners.size();
        FListeners[i]->MasterChanged(this, changed);
        if (FListeners.size() == count) ++i;
    }
    if (OnChanged) OnChanged(this, changed);
}

void TcxLookAndFeel::ChangedSince(const Snapshot& before) {
    UpdateCurrent();
    Changed(Differences(before));
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind kind) {
    Snapshot before = Current();
    FOwnKind = kind;
    FAssignedValues |= lfvKind;
    ChangedSince(before);
}

void TcxLookAndFeel::SetNativeStyle(bool nativeStyle) {
    Snapshot before = Current();
    FOwnNativeStyle = nativeStyle;
    FAssignedValues |= lfvNativeStyle;
    ChangedSince(before);
}

void TcxLookAndFeel::SetSkinName(const std::string& skinName) {
    Snapshot before = Current();
    FOwnSkinName = skinName;
    FAssignedValues |= lfvSkinName;
    ChangedSince(before);
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues values) {
    Snapshot before = Current();
    FAssignedValues = values & (lfvKind | lfvNativeStyle | lfvSkinName);
    ChangedSince(before);
}

void TcxLookAndFeel::SetPainter(TcxLookAndFeelPainterClass painter) {
    if (painter == FPainter) return;
    FPainter = painter;
    if (OnChanged) OnChanged(this, 0);
}

bool TcxLookAndFeel::CanTakeMaster(const TcxLookAndFeel* master) const {
    if (FIsRoot || master == this || master == FMaster || (master && master == Source())) return false;
    // A master that inherits from this one would make the two tell each
    // other of every change without end.
    for (const TcxLookAndFeel* m = master; m; m = m->FMaster)
        if (m == this) return false;
    return true;
}

void TcxLookAndFeel::Reparent(TcxLookAndFeel* master) {
    Unregister();
    FMaster = master;
    Register();
}

void TcxLookAndFeel::SetMasterLookAndFeel(TcxLookAndFeel* master) {
    if (!CanTakeMaster(master)) return;
    Snapshot before = Current();
    Reparent(master);
    ChangedSince(before);
}

void TcxLookAndFeel::Assign(const TcxLookAndFeel& source) {
    if (&source == this) return;
    Snapshot before = Current();
    FOwnKind = source.FOwnKind;
    FOwnNativeStyle = source.FOwnNativeStyle;
    FOwnSkinName = source.FOwnSkinName;
    FAssignedValues = source.FAssignedValues;
    if (CanTakeMaster(source.FMaster)) Reparent(source.FMaster);
    ChangedSince(before);
}

void TcxLookAndFeel::AddChangeListener(IcxLookAndFeelChangeListener* listener) {
    if (!listener || std::find(FListeners.begin(), FListeners.end(), listener) != FListeners.end()) return;
    if (dynamic_cast<TcxLookAndFeelController*>(listener)) {
        if (!FIsRoot) return;
        ++FControllerCount;
    }
    FListeners.push_back(listener);
}

void TcxLookAndFeel::RemoveChangeListener(IcxLookAndFeelChangeListener* listener) {
    auto it = std::find(FListeners.begin(), FListeners.end(), listener);
    if (it == FListeners.end()) return;
    FListeners.erase(it);
    if (dynamic_cast<TcxLookAndFeelController*>(listener) && --FControllerCount == 0) Reset();
}

void TcxLookAndFeel::MasterChanged(TcxLookAndFeel* sender, TcxLookAndFeelValues changed) {
    if (sender == Source()) Changed(changed & ~FAssignedValues);
}

void TcxLookAndFeel::MasterDestroying(TcxLookAndFeel* sender) {
    if (sender != FRegisteredWith) return;
    sender->RemoveChangeListener(this);
    FRegisteredWith = nullptr;
    if (sender != FMaster) return;  // the root goes at the module's end
    Snapshot before = Current();
    FMaster = nullptr;
    Register();
    ChangedSince(before);
}

const forms::PropertyTable& TcxLookAndFeel::StoredProperties() const {
    using L = TcxLookAndFeel;
    using P = forms::Describe<L>;
    auto assigned = [](TcxLookAndFeelValues value) {
        return [value](const L& l) { return (l.AssignedValues() & value) != 0; };
    };
    static const forms::PropertyTable table(forms::TPersistent::StoredProperties(), {
        P::Property("Kind", forms::EnumKind(kKindNames), &L::Kind, &L::SetKind, assigned(lfvKind)),
        P::Property("NativeStyle", forms::kBool, &L::NativeStyle, &L::SetNativeStyle, assigned(lfvNativeStyle)),
        P::Property("SkinName", forms::kString, &L::SkinName, &L::SetSkinName, assigned(lfvSkinName)),
        // What is assigned follows from the values above.
        P::Property("AssignedValues", forms::SetKind(kValueNames), &L::AssignedValues, &L::SetAssignedValues,
                    [](const L&) { return false; }),
    });
    return table;
}

TcxLookAndFeel* RootLookAndFeel() { return gRoot; }

// ---- TcxLookAndFeelController

TcxLookAndFeelController::TcxLookAndFeelController(forms::TComponent* owner)
    : TComponent(owner), FRoot(gRoot) {
    if (FRoot) FRoot->AddChangeListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController() {
    if (FRoot) FRoot->RemoveChangeListener(this);
}

void TcxLookAndFeelController::MasterDestroying(TcxLookAndFeel* sender) {
    if (sender == FRoot) FRoot = nullptr;
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const { return FRoot ? FRoot->Kind() : cxDefaultLookAndFeelKind; }

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind kind) {
    if (FRoot) FRoot->SetKind(kind);
}

bool TcxLookAndFeelController::NativeStyle() const {
    return FRoot ? FRoot->NativeStyle() : cxDefaultLookAndFeelNativeStyle;
}

void TcxLookAndFeelController::SetNativeStyle(bool nativeStyle) {
    if (FRoot) FRoot->SetNativeStyle(nativeStyle);
}

std::string TcxLookAndFeelController::SkinName() const { return FRoot ? FRoot->SkinName() : std::string(); }

void TcxLookAndFeelController::SetSkinName(const std::string& skinName) {
    if (FRoot) FRoot->SetSkinName(skinName);
}

void TcxLookAndFeelController::Reset() {
    SetKind(cxDefaultLookAndFeelKind);
    SetNativeStyle(cxDefaultLookAndFeelNativeStyle);
    SetSkinName({});
}

const forms::PropertyTable& TcxLookAndFeelController::StoredProperties() const {
    using C = TcxLookAndFeelController;
    using P = forms::Describe<C>;
    static const forms::PropertyTable table(forms::TComponent::StoredProperties(), {
        P::Property("Kind", forms::EnumKind(kKindNames), &C::Kind, &C::SetKind, cxDefaultLookAndFeelKind),
        P::Property("NativeStyle", forms::kBool, &C::NativeStyle, &C::SetNativeStyle, cxDefaultLookAndFeelNativeStyle),
        P::Property("SkinName", forms::kString, &C::SkinName, &C::SetSkinName, std::string()),
    });
    return table;
}

// ---- Start-up

void InitializeLookAndFeels() {
    if (!gRoot) gRoot = new TcxLookAndFeel(TcxLookAndFeel::RootTag{});
}

void FinalizeLookAndFeels() {
    delete gRoot;  // clears gRoot
    // The application's window goes after this: nobody listens there any
    // more, also for subscriptions that outlive the module.
    gListener.reset();
}

}  // namespace controls
