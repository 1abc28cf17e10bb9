// Page controls: a tab control whose tabs show one page each.
#pragma once

#include <vector>

#include "forms/Controls.h"

namespace forms {

class TPageControl;

// One page of a page control: a plain container in the page control's
// colour, its caption the text of its tab. It becomes a page by being put
// on a page control, and then fills the page control's display area.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    const char* ClassName() const override { return "TTabSheet"; }

    TPageControl* PageControl() const { return FPageControl; }
    void SetParent(TWinControl* parent) override;
    // A page's bounds are its page control's display area, whatever is set.
    void SetBounds(int left, int top, int width, int height) override;
    int PageIndex() const;

protected:
    const PropertyTable& StoredProperties() const override;
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
};

// Pages on the system's "SysTabControl32": a click on a tab, Ctrl+Tab and
// Ctrl+Shift+Tab show another page. Only the active page is visible; the
// first one is active until another is chosen.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    const char* ClassName() const override { return "TPageControl"; }

    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int i) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    // Not OnChange: only the user's choices are told.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The area the pages fill, in client coordinates.
    RECT DisplayRect() const;

    bool SelectNextPage(bool forward) override;

    // The user chose another page.
    TNotifyEvent OnChange;

protected:
    const PropertyTable& StoredProperties() const override;
    void CreateWindowParams(TWindow::CreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT CNNotify(NMHDR& header) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void InsertTab(int index);
    void UpdateTab(TTabSheet* page);
    // Fits the pages to the display area.
    void LayoutPages();
    // Shows the page and hides the one before; a focus inside that one
    // moves to the new page's first tab stop, or to the tabs.
    void ChangeActivePage(TTabSheet* page);

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};

}  // namespace forms
