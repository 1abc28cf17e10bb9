#include "bars/dxBarActionLink.h"

#include "bars/dxBarItems.h"

using namespace forms;

namespace bars {

namespace {
TdxBarItemVisible VisibleOf(bool visible) { return visible ? TdxBarItemVisible::Always : TdxBarItemVisible::Never; }

// The hint the item shows is the one it derives from its caption.
bool HintFollowsCaption(const TdxBarItem& item) { return ShortHint(item.Hint()) == StripCaption(item.Caption()); }
}  // namespace

// A property follows the action while the item still shows the action's
// current (about to be replaced) value.
bool TdxBarItemActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && FClient.Caption() == Action()->Caption();
}

bool TdxBarItemActionLink::IsCheckedLinked() const {
    auto* button = dynamic_cast<const TdxBarButton*>(&FClient);
    return TActionLink::IsCheckedLinked() && button && button->Down() == Action()->Checked();
}

bool TdxBarItemActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && FClient.Enabled() == Action()->Enabled();
}

bool TdxBarItemActionLink::IsHelpContextLinked() const {
    return TActionLink::IsHelpContextLinked() && FClient.HelpContext() == Action()->HelpContext();
}

bool TdxBarItemActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && (FClient.Hint() == Action()->Hint() || HintFollowsCaption(FClient));
}

bool TdxBarItemActionLink::IsImageIndexLinked() const {
    return TActionLink::IsImageIndexLinked() && FClient.ActionImageIndex() == Action()->ImageIndex();
}

bool TdxBarItemActionLink::IsShortCutLinked() const {
    return TActionLink::IsShortCutLinked() && FClient.ShortCut() == Action()->ShortCut();
}

bool TdxBarItemActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && FClient.Visible() == VisibleOf(Action()->Visible());
}

bool TdxBarItemActionLink::IsOnExecuteLinked() const {
    return TActionLink::IsOnExecuteLinked() && FClient.OnClick() == Action()->OnExecute();
}

void TdxBarItemActionLink::SetCaption(const std::string& value) {
    if (IsCaptionLinked()) FClient.SetCaption(value);
}

void TdxBarItemActionLink::SetChecked(bool value) {
    if (IsCheckedLinked()) static_cast<TdxBarButton&>(FClient).SetDown(value);
}

void TdxBarItemActionLink::SetEnabled(bool value) {
    if (IsEnabledLinked()) FClient.SetEnabled(value);
}

void TdxBarItemActionLink::SetHelpContext(int value) {
    if (IsHelpContextLinked()) FClient.SetHelpContext(value);
}

void TdxBarItemActionLink::SetHint(const std::string& value) {
    if (IsHintLinked()) FClient.SetHint(value);
}

void TdxBarItemActionLink::SetImageIndex(int value) {
    if (IsImageIndexLinked()) FClient.ApplyActionImageIndex(value);
}

void TdxBarItemActionLink::SetShortCut(TShortCut value) {
    if (IsShortCutLinked()) FClient.SetShortCut(value);
}

void TdxBarItemActionLink::SetVisible(bool value) {
    if (IsVisibleLinked()) FClient.SetVisible(VisibleOf(value));
}

void TdxBarItemActionLink::SetOnExecute(const TNotifyEvent& value) {
    if (IsOnExecuteLinked()) FClient.SetOnClick(value);
}

}  // namespace bars
