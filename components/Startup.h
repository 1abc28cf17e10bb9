// Start-up of the maker's components.
#pragma once

namespace components {

// After forms::InitializeForms: registers the classes stored descriptions
// may name.
void InitializeComponents();

}  // namespace components
