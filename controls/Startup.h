// Start-up and shutdown of the look-and-feel controls.
#pragma once

namespace controls {

// After forms::InitializeForms: registers the classes stored descriptions
// may name and starts the graphics, theme and look-and-feel modules.
void InitializeControls();
// After the last window is gone: frees what the modules hold.
void FinalizeControls();

}  // namespace controls
