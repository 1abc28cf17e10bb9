// A label that works as a hyperlink: a hand cursor, a second font while the
// pointer is over it, and a click that asks the shell to open its URL.
#pragma once

#include <windows.h>

#include <string>

#include "forms/StdCtrls.h"

namespace components {

class TQibLinkLabel : public forms::TCustomLabel {
public:
    // Blue and underlined; red and underlined while the pointer is over it.
    explicit TQibLinkLabel(forms::TComponent* owner);
    const char* ClassName() const override { return "TQibLinkLabel"; }

    const std::string& URL() const { return FURL; }
    void UpdateURL(std::string url);
    forms::TFont& FontActive() { return FActiveFont; }
    const forms::TFont& FontActive() const { return FActiveFont; }
    // Takes every attribute of `font` and repaints; the label's own
    // FontActive is left alone.
    void UpdateFontActive(const forms::TFont& font);

    // While the pointer is over it the label shows FontActive; it gets the
    // font it had on entry back when the pointer leaves.
    void PointerEntered() override;
    void PointerLeft() override;
    bool FollowsPointer() const override { return true; }
    // OnClick, then the shell opens the URL as it is stored, unless it is
    // blank.
    void Click() override;
    // A link whose value is its URL and whose default action follows it.
    void DescribeAccessible(forms::TAccessibleInfo& info) const override;
    void DoAccessibleAction() override { Click(); }

    // Lets tests stand in for the shell.
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static void SetShellExecuteFunction(ShellExecuteFunction function);

    const forms::PropertyTable& StoredProperties() const override;

private:
    forms::TFont FActiveFont;
    forms::TFont FSavedFont;
    std::string FURL;
    bool FHovered = false;
};

}  // namespace components
