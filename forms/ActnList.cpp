#include "forms/ActnList.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "forms/FormReader.h"
#include "forms/Helpers.h"
#include "forms/Properties.h"

namespace forms {

TShortCut ShortCut(std::uint8_t key, TShortCut modifiers) { return TShortCut(key | modifiers); }

namespace {

std::string KeyName(unsigned key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    if (key >= VK_F1 && key <= VK_F24) return std::string("F").append(std::to_string(key - VK_F1 + 1));
    static const std::pair<unsigned, const char*> named[] = {
        {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
        {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},  {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
    };
    for (const auto& [code, name] : named)
        if (code == key) return name;
    // Punctuation and the number pad: the keyboard layout's own name.
    char text[64] = {};
    UINT scan = ::MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    if (scan && ::GetKeyNameTextA(LONG(scan << 16), text, sizeof text) > 0) return text;
    return "";
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string key = KeyName(shortCut & 0xFF);
    if (key.empty()) return "";
    std::string text;
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}

// ---- TActionLink

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TCustomAction* action) {
    if (action == FAction) return;
    if (FAction) {
        auto& clients = FAction->FClients;
        clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
    }
    FAction = action;
    if (FAction) FAction->FClients.push_back(this);
}

bool TActionLink::Execute(TComponent* component) { return FAction && FAction->Execute(component); }

// Every property of a command follows it; clients narrow this down.
bool TActionLink::IsCaptionLinked() const { return FAction != nullptr; }
bool TActionLink::IsCheckedLinked() const { return FAction != nullptr; }
bool TActionLink::IsEnabledLinked() const { return FAction != nullptr; }
bool TActionLink::IsHelpContextLinked() const { return FAction != nullptr; }
bool TActionLink::IsHintLinked() const { return FAction != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return FAction != nullptr; }
bool TActionLink::IsShortCutLinked() const { return FAction != nullptr; }
bool TActionLink::IsVisibleLinked() const { return FAction != nullptr; }
bool TActionLink::IsOnExecuteLinked() const { return FAction != nullptr; }

// ---- TCustomAction

TCustomAction::TCustomAction(TComponent* owner) : TComponent(owner) {}

TCustomAction::~TCustomAction() {
    // Links outlive us only detached; their clients hear of our end through
    // free notification.
    for (TActionLink* link : FClients) link->FAction = nullptr;
    FClients.clear();
    SetActionList(nullptr);
}

void TCustomAction::SetActionList(TActionList* list) {
    if (list == FActionList) return;
    if (FActionList) {
        auto& actions = FActionList->FActions;
        actions.erase(std::remove(actions.begin(), actions.end(), this), actions.end());
    }
    FActionList = list;
    if (FActionList) FActionList->FActions.push_back(this);
}

void TCustomAction::SetParentComponent(TComponent* parent) {
    if (auto* list = dynamic_cast<TActionList*>(parent)) SetActionList(list);
}

template <class T, class F>
void TCustomAction::Change(T& field, const T& value, F offer) {
    if (field == value) return;
    // Copy: a client may unlink itself while it takes the value.
    std::vector<TActionLink*> clients = FClients;
    for (TActionLink* link : clients)
        if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) offer(link);
    field = value;
}

void TCustomAction::SetCaption(const std::string& caption) {
    Change(FCaption, caption, [&](TActionLink* l) { l->SetCaption(caption); });
}

void TCustomAction::SetHint(const std::string& hint) {
    Change(FHint, hint, [&](TActionLink* l) { l->SetHint(hint); });
}

void TCustomAction::SetImageIndex(int index) {
    Change(FImageIndex, index, [&](TActionLink* l) { l->SetImageIndex(index); });
}

void TCustomAction::SetShortCut(TShortCut shortCut) {
    Change(FShortCut, shortCut, [&](TActionLink* l) { l->SetShortCut(shortCut); });
}

void TCustomAction::SetEnabled(bool enabled) {
    Change(FEnabled, enabled, [&](TActionLink* l) { l->SetEnabled(enabled); });
}

void TCustomAction::SetVisible(bool visible) {
    Change(FVisible, visible, [&](TActionLink* l) { l->SetVisible(visible); });
}

void TCustomAction::SetChecked(bool checked) {
    Change(FChecked, checked, [&](TActionLink* l) { l->SetChecked(checked); });
}

void TCustomAction::SetHelpContext(int context) {
    Change(FHelpContext, context, [&](TActionLink* l) { l->SetHelpContext(context); });
}

void TCustomAction::SetOnExecute(const TNotifyEvent& handler) {
    Change(FOnExecute, handler, [&](TActionLink* l) { l->SetOnExecute(handler); });
}

void TCustomAction::Update() {
    if (OnUpdate) OnUpdate(this);
}

bool TCustomAction::Execute(TComponent* component) {
    Update();
    if (!FEnabled || !FOnExecute) return false;
    ScopedValue executing(FActionComponent, component);
    FOnExecute(this);
    return true;
}

const PropertyTable& TCustomAction::StoredProperties() const {
    using A = TCustomAction;
    using P = Describe<A>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("Caption", kString, &A::Caption, &A::SetCaption, ""),
        P::Property("Hint", kString, &A::Hint, &A::SetHint, ""),
        P::Property("ImageIndex", kInt, &A::ImageIndex, &A::SetImageIndex, -1),
        P::Property("ShortCut", kShortCut, &A::ShortCut, &A::SetShortCut, TShortCut(0)),
        P::Property("Enabled", kBool, &A::Enabled, &A::SetEnabled, true),
        P::Property("Visible", kBool, &A::Visible, &A::SetVisible, true),
        P::Property("Checked", kBool, &A::Checked, &A::SetChecked, false),
        P::Property("HelpContext", kInt, &A::HelpContext, &A::SetHelpContext, 0),
        P::Property("OnExecute", kEvent, &A::OnExecute, &A::SetOnExecute),
        P::Field("OnUpdate", kEvent, &A::OnUpdate),
    });
    return table;
}

// ---- TActionList

TActionList::TActionList(TComponent* owner) : TComponent(owner) {
    FImageChangeLink.OnChange = [this] { Change(); };
}

TActionList::~TActionList() {
    std::vector<TCustomAction*> actions = FActions;
    for (TCustomAction* a : actions) a->SetActionList(nullptr);
}

void TActionList::SetImages(TCustomImageList* images) {
    if (images == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(&FImageChangeLink);
        RemoveFreeNotification(FImages);
    }
    FImages = images;
    if (FImages) {
        FImages->RegisterChanges(&FImageChangeLink);
        FreeNotification(FImages);
    }
    if (!Destroying()) Change();
}

void TActionList::Change() {
    if (OnChange) OnChange(this);
}

void TActionList::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::Remove && component == FImages) SetImages(nullptr);
}

const PropertyTable& TActionList::StoredProperties() const {
    using L = TActionList;
    using P = Describe<L>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("Images", ReferenceKind<TCustomImageList>(), &L::Images, &L::SetImages),
        P::Field("OnChange", kEvent, &L::OnChange),
    });
    return table;
}

bool TActionList::IsShortCut(TShortCut shortCut) {
    if (shortCut == 0) return false;
    for (TCustomAction* a : FActions)
        if (a->ShortCut() == shortCut) return a->Execute();
    return false;
}

}  // namespace forms
