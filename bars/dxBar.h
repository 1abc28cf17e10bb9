// The command bar framework: a form's bar manager with its toolbars, docks
// and items bound to the form's actions.
#pragma once

#include "bars/dxBarControl.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarTypes.h"

namespace bars {

// Module start-up: the framework's texts, its item kinds (in the order
// their registry lists them) and its classes for stored descriptions.
void InitializeBars();

}  // namespace bars
