// The toolbar operations of the customization dialog: add, rename, delete
// and reset toolbars of the manager being customized. The dialog's four
// toolbar commands run them; each asks the user first and returns whether
// it changed anything.
#pragma once

#include <string>
#include <vector>

#include "forms/Controls.h"

namespace bars {

class TdxBar;
class TdxBarManager;
class TdxBars;

// "Custom " and the smallest number from 1 that no toolbar has as its
// caption (compared exactly).
std::string dxBarNewToolbarName(const TdxBars& bars);

// Asks for a name (proposing dxBarNewToolbarName) and adds an empty toolbar
// of that caption in a row of its own below the top dock's rows. Its
// floating place is left of `nearForm` (the dialog), or right of it when
// that would leave the work area. Null on Cancel.
TdxBar* dxBarAddToolbar(TdxBarManager& manager, const forms::TControl& nearForm);

// Asks for a new name of the toolbar and sets it; false on Cancel.
bool dxBarRenameToolbar(TdxBarManager& manager, TdxBar& bar);

// Asks whether to delete the toolbars and frees them on OK; false
// otherwise or when there are none.
bool dxBarDeleteToolbars(TdxBarManager& manager, const std::vector<TdxBar*>& selected);

// Asks whether to reset the toolbar and on OK gives it back the links it
// had when the manager was loaded (found by caption); its place and
// visibility stay. Links of items that are gone are dropped. False when
// nothing was reset.
bool dxBarResetToolbar(TdxBarManager& manager, TdxBar& bar);

}  // namespace bars
