// Commands (actions), the links through which controls follow them, and
// the command list that also answers the form's shortcut keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "forms/ImgList.h"
#include "forms/Properties.h"

namespace forms {

// Virtual-key code in the low byte; 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(std::uint8_t key, TShortCut modifiers = 0);
// The name shown for a shortcut: "F2", "Alt+X", "Ctrl+Shift+Del"; empty for
// none.
std::string ShortCutToText(TShortCut shortCut);
// A shortcut as stored: its number.
inline constexpr IntRangeKind<TShortCut> kShortCut{0, 0xFFFF};

class TCustomAction;
class TActionList;

// A client's side of the binding to a command. Before the command stores a
// new value it offers it to every link; a link passes it on to its client
// while the property counts as linked. Clients override what they follow.
class TActionLink {
public:
    TActionLink() = default;
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;
    virtual ~TActionLink();

    TCustomAction* Action() const { return FAction; }
    void SetAction(TCustomAction* action);
    // Runs the command on behalf of a component; false when it did nothing.
    bool Execute(TComponent* component);

    virtual bool IsCaptionLinked() const;
    virtual bool IsCheckedLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsHelpContextLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsImageIndexLinked() const;
    virtual bool IsShortCutLinked() const;
    virtual bool IsVisibleLinked() const;
    virtual bool IsOnExecuteLinked() const;

    virtual void SetCaption(const std::string&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
    virtual void SetOnExecute(const TNotifyEvent&) {}

private:
    friend class TCustomAction;
    TCustomAction* FAction = nullptr;
};

class TCustomAction : public TComponent {
public:
    explicit TCustomAction(TComponent* owner);
    ~TCustomAction() override;

    TActionList* ActionList() const { return FActionList; }
    void SetActionList(TActionList* list);
    void SetParentComponent(TComponent* parent) override;

    const std::string& Caption() const { return FCaption; }
    const std::string& Hint() const { return FHint; }
    int ImageIndex() const { return FImageIndex; }
    TShortCut ShortCut() const { return FShortCut; }
    bool Enabled() const { return FEnabled; }
    bool Visible() const { return FVisible; }
    bool Checked() const { return FChecked; }
    int HelpContext() const { return FHelpContext; }
    const TNotifyEvent& OnExecute() const { return FOnExecute; }

    void SetCaption(const std::string& caption);
    void SetHint(const std::string& hint);
    void SetImageIndex(int index);
    void SetShortCut(TShortCut shortCut);
    void SetEnabled(bool enabled);
    void SetVisible(bool visible);
    void SetChecked(bool checked);
    void SetHelpContext(int context);
    void SetOnExecute(const TNotifyEvent& handler);

    TNotifyEvent OnUpdate;

    // Runs the update handler, then, if enabled, the execute handler with
    // the command itself as sender. False when nothing ran.
    bool Execute(TComponent* component = nullptr);
    // Runs the update handler, if any.
    void Update();
    // The component executing the command right now, if any.
    TComponent* ActionComponent() const { return FActionComponent; }

    const std::vector<TActionLink*>& Clients() const { return FClients; }

    const PropertyTable& StoredProperties() const override;

private:
    friend class TActionLink;
    template <class T, class F>
    void Change(T& field, const T& value, F offer);

    TActionList* FActionList = nullptr;
    std::string FCaption;
    std::string FHint;
    int FImageIndex = -1;
    TShortCut FShortCut = 0;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    int FHelpContext = 0;
    TNotifyEvent FOnExecute;
    TComponent* FActionComponent = nullptr;
    std::vector<TActionLink*> FClients;
};

class TAction : public TCustomAction {
public:
    using TCustomAction::TCustomAction;
    const char* ClassName() const override { return "TAction"; }
};

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* owner);
    ~TActionList() override;
    const char* ClassName() const override { return "TActionList"; }

    const std::vector<TCustomAction*>& Actions() const { return FActions; }
    // Executes the first command with this shortcut; false when there is
    // none or it did not run (disabled), so the key goes on.
    bool IsShortCut(TShortCut shortCut);

    // The pictures the commands' ImageIndex refers to; dropped when that
    // list is destroyed.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* images);
    // The image list changed (or another one was set).
    TNotifyEvent OnChange;

    const PropertyTable& StoredProperties() const override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomAction;
    void Change();

    std::vector<TCustomAction*> FActions;
    TCustomImageList* FImages = nullptr;
    TChangeLink FImageChangeLink;
};

}  // namespace forms
