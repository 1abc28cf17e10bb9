// The binding of a toolbar item to an action.
#pragma once

#include <string>

#include "bars/dxBarTypes.h"
#include "forms/ActnList.h"
#include "forms/Component.h"

namespace bars {

// Ties an item to an action: a new value of the action reaches the item
// while the item still shows the action's old one.
class TdxBarItemActionLink : public forms::TActionLink {
public:
    explicit TdxBarItemActionLink(TdxBarItem& client) : FClient(client) {}
    TdxBarItem& Client() const { return FClient; }

    bool IsCaptionLinked() const override;
    bool IsCheckedLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHelpContextLinked() const override;
    bool IsHintLinked() const override;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;
    bool IsVisibleLinked() const override;
    bool IsOnExecuteLinked() const override;

    void SetCaption(const std::string& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const std::string& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(forms::TShortCut value) override;
    void SetVisible(bool value) override;
    void SetOnExecute(const forms::TNotifyEvent& value) override;

private:
    TdxBarItem& FClient;
};

}  // namespace bars
