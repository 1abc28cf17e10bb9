// The modal question box used to confirm an operation.
#pragma once

#include <windows.h>

#include <string>

namespace forms {

// Asks a yes/no question in a box titled "Confirm" over the active window of
// ours: "&Yes" (default, Enter) and "&No" (cancel, Esc); any other way of
// closing it counts as No. With visual styles on Windows 6 and later the
// box is a task dialog (information icon), else a classic one with the
// question icon. True only for Yes.
enum class TConfirmStyle { Automatic, Classic, TaskDialog };
bool Confirm(const std::string& message, TConfirmStyle style = TConfirmStyle::Automatic);

// Which form the next Confirm takes (the task dialog needs common controls
// 6 and active visual styles).
bool ConfirmUsesTaskDialog();

// Shows a plain message box over the active window of ours, titled with
// the application's title; `flags` are the box's buttons and icon. Returns
// the button that closed it. The text is shown as it is.
int ShowMessageBox(const std::string& text, UINT flags);

}  // namespace forms
