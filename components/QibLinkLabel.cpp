#include "components/QibLinkLabel.h"

#include <oleacc.h>
#include <shellapi.h>

#include "forms/Helpers.h"
#include "forms/Properties.h"

using namespace forms;

namespace components {

namespace {
// shell32 and what it brings are loaded on the first click, not at start.
HINSTANCE WINAPI SystemShellExecute(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                    INT show) {
    static TLibraryFunction<decltype(::ShellExecuteA)> shellExecute("shell32.dll", "ShellExecuteA");
    auto function = shellExecute.Get();
    return function ? function(window, verb, file, parameters, directory, show) : nullptr;
}

TQibLinkLabel::ShellExecuteFunction gShellExecute = SystemShellExecute;

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

void TQibLinkLabel::SetShellExecuteFunction(ShellExecuteFunction function) {
    gShellExecute = function ? function : SystemShellExecute;
}

TQibLinkLabel::TQibLinkLabel(TComponent* owner) : TCustomLabel(owner) {
    SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND, shared
    Font().SetColor(clBlue);
    Font().SetStyle(unsigned(TFontStyle::Underline));
    FActiveFont.SetColor(clRed);
    FActiveFont.SetStyle(unsigned(TFontStyle::Underline));
}

void TQibLinkLabel::UpdateURL(std::string url) {
    if (url != FURL) FURL = std::move(url);
}

void TQibLinkLabel::UpdateFontActive(const TFont& font) {
    if (&font == &FActiveFont) return;
    FActiveFont.Assign(font);
    Invalidate();
}

void TQibLinkLabel::PointerEntered() {
    TCustomLabel::PointerEntered();
    FSavedFont.Assign(Font());
    FHovered = true;
    Font().Assign(FActiveFont);
}

void TQibLinkLabel::PointerLeft() {
    TCustomLabel::PointerLeft();
    // Only a label that took the active font has one to give back.
    if (!FHovered) return;
    FHovered = false;
    Font().Assign(FSavedFont);
}

void TQibLinkLabel::Click() {
    TCustomLabel::Click();
    std::size_t first = 0, last = FURL.size();
    while (first < last && Blank(FURL[first])) ++first;
    while (last > first && Blank(FURL[last - 1])) --last;
    if (first == last) return;
    // What the shell answers is not ours to act on: an address that opens
    // nothing leaves the dialog as it was.
    gShellExecute(nullptr, "open", FURL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TQibLinkLabel::DescribeAccessible(TAccessibleInfo& info) const {
    TCustomLabel::DescribeAccessible(info);
    info.role = ROLE_SYSTEM_LINK;
    info.state = (info.state & ~STATE_SYSTEM_READONLY) | STATE_SYSTEM_LINKED;
    info.value = FURL;
    info.defaultAction = "Jump";
}

const PropertyTable& TQibLinkLabel::StoredProperties() const {
    using L = TQibLinkLabel;
    using P = Describe<L>;
    static const PropertyTable table(TCustomLabel::StoredProperties(), {
        P::Object("FontActive", [](auto& l) -> auto& { return l.FontActive(); }),
        P::Property("URL", kString, &L::URL, &L::UpdateURL, ""),
    });
    return table;
}

}  // namespace components
