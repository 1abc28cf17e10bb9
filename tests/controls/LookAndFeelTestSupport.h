// Fixtures of the look-and-feel tests: the visual-styles flag set for a
// scope, and colours read back from a drawing surface.
#pragma once

#include <windows.h>

#include "forms/Graphics.h"
#include "forms/Helpers.h"
#include "tests/controls/ControlsTestSupport.h"

namespace controlstest {

// Visual styles on or off for the length of a scope.
class VisualStyles {
public:
    explicit VisualStyles(bool active) : FSaved(forms::VisualStylesActive()) { forms::SetVisualStylesActive(active); }
    ~VisualStyles() { forms::SetVisualStylesActive(FSaved); }
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;

private:
    bool FSaved;
};

// A surface pixel as a COLORREF, to compare with system colours.
inline COLORREF ColorAt(const Surface& s, int x, int y) {
    Pixel p = s.Rgb(x, y);
    return RGB(R(p), G(p), B(p));
}

inline COLORREF Sys(forms::TColor color) { return forms::ColorToRGB(color); }

}  // namespace controlstest
