#include "forms/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/Exceptions.h"
#include "forms/Forms.h"
#include "forms/Properties.h"

namespace forms {

// ---- TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
    if (FPageControl && parent != FPageControl) FPageControl->RemovePage(this);
    TWinControl::SetParent(parent);
    if (auto* pages = dynamic_cast<TPageControl*>(parent); pages && pages != FPageControl) pages->InsertPage(this);
}

void TTabSheet::SetBounds(int left, int top, int width, int height) {
    if (FPageControl) {
        RECT r = FPageControl->DisplayRect();
        left = r.left;
        top = r.top;
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    TWinControl::SetBounds(left, top, width, height);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TextChanged() {
    TWinControl::TextChanged();
    if (FPageControl) FPageControl->UpdateTab(this);
}

const PropertyTable& TTabSheet::StoredProperties() const {
    using S = TTabSheet;
    using P = Describe<S>;
    // The page control shows and hides its pages: their visibility is its
    // business and is not stored.
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Custom("Visible", [](S&, const Value& v, TReader&) { prop::Bool(v); }),
    });
    return table;
}

// ---- TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    // Pages owned elsewhere may outlive us.
    for (TTabSheet* page : FPages) page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
}

void TPageControl::CreateWindowParams(TWindow::CreateParams& params) {
    static const bool initialized = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)initialized;
    TWinControl::CreateWindowParams(params);
    params.className = WC_TABCONTROLA;
    params.systemClass = true;
    params.style |= WS_TABSTOP;
}

void TPageControl::CreateWnd() {
    TWinControl::CreateWnd();
    for (int i = 0; i < PageCount(); ++i) InsertTab(i);
    if (int index = ActivePageIndex(); index >= 0) ::SendMessageA(Handle(), TCM_SETCURSEL, WPARAM(index), 0);
    LayoutPages();
}

TTabSheet* TPageControl::Pages(int i) const {
    if (i < 0 || i >= PageCount()) throw EInvalidOperation("List index out of bounds (" + std::to_string(i) + ")");
    return FPages[std::size_t(i)];
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? FPages[std::size_t(index)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    ChangeActivePage(page);
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
    if (page == FActivePage) return;
    TTabSheet* old = FActivePage;
    FActivePage = page;
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->FocusedControl() : nullptr;
    bool focusInOld = false;
    for (TControl* c = focused; c && old; c = c->Parent())
        if (c == old) focusInOld = true;
    if (HandleAllocated()) ::SendMessageA(Handle(), TCM_SETCURSEL, WPARAM(ActivePageIndex()), 0);
    if (page) {
        LayoutPages();
        page->SetVisible(true);
    }
    if (old) old->SetVisible(false);
    if (focusInOld && form && !form->Destroying()) {
        TWinControl* next = this;
        if (page) {
            std::vector<TWinControl*> list;
            page->GetTabOrderList(list);
            for (TWinControl* c : list)
                if (c->TabStop() && c->CanFocus()) {
                    next = c;
                    break;
                }
        }
        if (next->CanFocus()) next->SetFocus();
    }
}

bool TPageControl::SelectNextPage(bool forward) {
    if (PageCount() < 2 || !CanFocus()) return false;
    const int count = PageCount();
    const int at = ActivePageIndex();
    ChangeActivePage(FPages[std::size_t(((at < 0 ? 0 : at + (forward ? 1 : -1)) % count + count) % count)]);
    if (OnChange) OnChange(this);
    return true;
}

RECT TPageControl::DisplayRect() const {
    RECT r = ClientRect();
    if (HandleAllocated()) ::SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TPageControl::InsertPage(TTabSheet* page) {
    page->FPageControl = this;
    FPages.push_back(page);
    if (HandleAllocated()) InsertTab(PageCount() - 1);
    if (!FActivePage) {
        ChangeActivePage(page);
    } else {
        page->SetVisible(false);
        LayoutPages();
    }
}

void TPageControl::RemovePage(TTabSheet* page) {
    const int index = page->PageIndex();
    if (index >= PageCount()) return;
    if (FActivePage == page) {
        // The next page takes its place, or the one before the last.
        TTabSheet* next = nullptr;
        if (index + 1 < PageCount()) next = FPages[std::size_t(index + 1)];
        else if (index > 0) next = FPages[std::size_t(index - 1)];
        ChangeActivePage(next);
    }
    FPages.erase(FPages.begin() + index);
    page->FPageControl = nullptr;
    if (HandleAllocated()) {
        ::SendMessageA(Handle(), TCM_DELETEITEM, WPARAM(index), 0);
        ::SendMessageA(Handle(), TCM_SETCURSEL, WPARAM(ActivePageIndex()), 0);
        LayoutPages();
    }
}

void TPageControl::InsertTab(int index) {
    std::string text = FPages[std::size_t(index)]->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (::SendMessageA(Handle(), TCM_INSERTITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item)) < 0)
        throw EOutOfResources("Cannot add a tab");
    // A new row of tabs makes the display area smaller.
    LayoutPages();
}

void TPageControl::UpdateTab(TTabSheet* page) {
    if (!HandleAllocated()) return;
    std::string text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    ::SendMessageA(Handle(), TCM_SETITEMA, WPARAM(page->PageIndex()), reinterpret_cast<LPARAM>(&item));
    LayoutPages();
}

void TPageControl::LayoutPages() {
    const RECT r = DisplayRect();
    for (TTabSheet* page : FPages) page->TWinControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

LRESULT TPageControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = TWinControl::WndProc(message, wParam, lParam);
    // The tab control lays out its rows first.
    if (message == WM_SIZE) LayoutPages();
    return result;
}

LRESULT TPageControl::CNNotify(NMHDR& header) {
    if (header.code == TCN_SELCHANGE) {
        int index = int(::SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
        if (index >= 0 && index < PageCount() && FPages[std::size_t(index)] != FActivePage) {
            ChangeActivePage(FPages[std::size_t(index)]);
            if (OnChange) OnChange(this);
        }
    }
    return 0;
}

const PropertyTable& TPageControl::StoredProperties() const {
    using C = TPageControl;
    using P = Describe<C>;
    static const PropertyTable table(TWinControl::StoredProperties(), {
        P::Property("TabStop", kBool, &C::TabStop, &C::SetTabStop, true),
        P::Property("ActivePage", ReferenceKind<TTabSheet>(), &C::ActivePage, &C::SetActivePage),
    });
    return table;
}

}  // namespace forms
