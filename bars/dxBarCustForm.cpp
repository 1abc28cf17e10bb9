#include "bars/dxBarCustForm.h"

#include <algorithm>

#include "bars/dxBarItems.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarToolbar.h"
#include "forms/Boundary.h"
#include "forms/Helpers.h"
#include "forms/ResStrings.h"

using namespace forms;

namespace bars {

namespace {

TdxBarCustomCustomizationForm* gForm = nullptr;

struct ListMessages {
    UINT synchronize = ::RegisterWindowMessageA("dxWM_LB_SYNCHRONIZE");
    UINT synchronizeSelection = ::RegisterWindowMessageA("dxWM_LB_SYNCHRONIZESELECTION");
    UINT updateEvents = ::RegisterWindowMessageA("dxWM_LB_UPDATEEVENTS");
};

const ListMessages& Messages() {
    static const ListMessages messages;
    return messages;
}

bool IsListBox(HWND window) {
    char name[16]{};
    return window && ::GetClassNameA(window, name, sizeof name) && ::lstrcmpiA(name, "ListBox") == 0;
}

}  // namespace

UINT dxWM_LB_SYNCHRONIZE() { return Messages().synchronize; }
UINT dxWM_LB_SYNCHRONIZESELECTION() { return Messages().synchronizeSelection; }
UINT dxWM_LB_UPDATEEVENTS() { return Messages().updateEvents; }

// ---- TdxBarRunTimeSelectionController

void TdxBarRunTimeSelectionController::ReadSelection(std::vector<TPersistent*>& list) const {
    list.insert(list.end(), FSelection.begin(), FSelection.end());
}

bool TdxBarRunTimeSelectionController::InSelection(const TPersistent* object) const {
    return std::find(FSelection.begin(), FSelection.end(), object) != FSelection.end();
}

void TdxBarRunTimeSelectionController::AddToSelection(TPersistent* object, TdxBarSelectionOperation operation) {
    if (!object || operation == TdxBarSelectionOperation::Remove || InSelection(object)) return;
    const bool bar = dynamic_cast<TdxBar*>(object) != nullptr;
    // One toolbar and one other object at most: the newcomer takes the
    // place of its kind.
    auto sameKind = std::find_if(FSelection.begin(), FSelection.end(),
                                 [bar](TPersistent* p) { return (dynamic_cast<TdxBar*>(p) != nullptr) == bar; });
    TPersistent* dropped = nullptr;
    if (sameKind != FSelection.end()) {
        dropped = *sameKind;
        FSelection.erase(sameKind);
    }
    FSelection.push_back(object);
    if (dropped) Changed(dropped);
    Changed(object);
}

void TdxBarRunTimeSelectionController::ReplaceSelection(const std::vector<TPersistent*>& list) {
    for (TPersistent* object : list) AddToSelection(object, TdxBarSelectionOperation::Add);
}

void TdxBarRunTimeSelectionController::ObjectDestroying(const TPersistent* object) {
    auto it = std::find(FSelection.begin(), FSelection.end(), object);
    if (it == FSelection.end()) return;
    FSelection.erase(it);
    Changed(nullptr);
}

void TdxBarRunTimeSelectionController::Changed(TPersistent* object) {
    // A selected toolbar shows its selection on its window.
    if (auto* bar = dynamic_cast<TdxBar*>(object); bar && bar->Control()) bar->Control()->Invalidate();
    if (OnSelectionChanged) OnSelectionChanged();
}

// ---- TdxBarCustomCustomizationForm

TdxBarCustomCustomizationForm::TdxBarCustomCustomizationForm(TdxBarManager& manager)
    : TForm(nullptr), FCustomizedManager(manager) {}

TdxBarCustomCustomizationForm* TdxBarCustomCustomizationForm::Instance() { return gForm; }

const TdxBarCustomizationFormPainter& TdxBarCustomCustomizationForm::Painter() const {
    return TdxBarCustomizationFormPainter::For(FCustomizedManager.Painter());
}

void TdxBarCustomCustomizationForm::Build(const ObjectNode& description) {
    TCustomForm::Create(description);

    FBarListHelper = std::make_unique<TdxBarCustomizationFormBarListHelper>(*this, *lbBarsList);
    FCategoryListHelper = std::make_unique<TdxBarCustomizationFormCategoryListHelper>(*this, *lbCategories);
    FItemsListHelper = std::make_unique<TdxBarCustomizationFormItemsListHelper>(*this, *lbItems);
    Font().SetName(FCustomizedManager.Font().Name());
    Font().SetCharset(FCustomizedManager.Font().Charset());

    OnClose = [](TComponent*, TCloseAction& action) { action = TCloseAction::Free; };
    OnShow = TNotifyEvent(this, "FormShow", [this](TComponent*) { LockWindows(); });
    OnHide = TNotifyEvent(this, "FormHide", [this](TComponent*) { UnlockWindows(); });
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    FMinHeight = window.bottom - window.top;

    // The wheel scrolls the list under the pointer, whichever control has
    // the focus.
    auto wheel = [this](TMessage& m) {
        if (m.message == WM_MOUSEWHEEL && RouteMouseWheel(::GetFocus(), m.wParam)) m.handled = true;
    };
    AddMessageListener(this, wheel);
    for (TComponent* component : Components())
        if (auto* control = dynamic_cast<TWinControl*>(component); control && control->HandleAllocated())
            control->AddMessageListener(this, wheel);

    FRunTimeSelection = std::make_unique<TdxBarRunTimeSelectionController>(FCustomizedManager);
    FRunTimeSelection->OnSelectionChanged = [this] { SelectionChanged(); };
    FCustomizedManager.SetSelectionHandler(FRunTimeSelection.get());
    FSelectionInstalled = true;
    if (FCustomizedManager.Bars().Count() > 0)
        FRunTimeSelection->AddToSelection(FCustomizedManager.Bars().Items(0), TdxBarSelectionOperation::Exclusive);

    // Chained: whoever watched the lists before goes on being told first.
    FSavedBarsChange = FCustomizedManager.Bars().OnChange;
    FCustomizedManager.Bars().OnChange = [this](TPersistent* object) {
        if (FSavedBarsChange) FSavedBarsChange(object);
        RefreshList(*lbBarsList, object, object ? TListChange::Object : TListChange::List);
    };
    FSavedItemsChange = FCustomizedManager.OnItemsChange;
    FCustomizedManager.OnItemsChange = [this](TPersistent* object) {
        if (FSavedItemsChange) FSavedItemsChange(object);
        RefreshList(*lbItems, object, object ? TListChange::Object : TListChange::List);
    };

    InitControls();

    RefreshList(*lbBarsList, nullptr, TListChange::List);
    RefreshList(*lbCategories, nullptr, TListChange::List);
    RefreshList(*lbItems, nullptr, TListChange::List);
}

TdxBarCustomCustomizationForm::~TdxBarCustomCustomizationForm() {
    FFormDestroying = true;
    UnlockWindows();
    if (gForm == this) gForm = nullptr;
    if (FBarListHelper) {
        FCustomizedManager.Bars().OnChange = FSavedBarsChange;
        FCustomizedManager.OnItemsChange = FSavedItemsChange;
    }
    // The dialog is going already: ending customizing does not free it again.
    FCustomizedManager.SetCustomizeMode(false);
    if (FSelectionInstalled) FCustomizedManager.SetSelectionHandler(nullptr);
    FRunTimeSelection.reset();
    RemoveMessageListener(this);
    for (TComponent* component : Components())
        if (auto* control = dynamic_cast<TWinControl*>(component)) control->RemoveMessageListener(this);
}

void TdxBarCustomCustomizationForm::Loaded() {
    TForm::Loaded();
    Bind(lbBarsList, "lbBarsList");
    Bind(lbCategories, "lbCategories");
    Bind(lbItems, "lbItems");
    Bind(BBarNew, "BBarNew");
    Bind(BBarRename, "BBarRename");
    Bind(BBarDelete, "BBarDelete");
    Bind(BBarReset, "BBarReset");
    BBarNew->OnClick = TNotifyEvent(this, "aNewToolBarExecute", [this](TComponent* s) { aNewToolBarExecute(s); });
    BBarRename->OnClick =
        TNotifyEvent(this, "aRenameToolBarExecute", [this](TComponent* s) { aRenameToolBarExecute(s); });
    BBarDelete->OnClick =
        TNotifyEvent(this, "aDeleteToolBarExecute", [this](TComponent* s) { aDeleteToolBarExecute(s); });
    BBarReset->OnClick = TNotifyEvent(this, "aResetToolBarExecute", [this](TComponent* s) { aResetToolBarExecute(s); });
}

void TdxBarCustomCustomizationForm::CreateWindowParams(TWindow::CreateParams& params) {
    TForm::CreateWindowParams(params);
    params.classStyle |= CS_OWNDC | CS_SAVEBITS;
    params.exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    // Owned by the manager's form: it stays above it and goes with it.
    if (TCustomForm* form = GetParentForm(&FCustomizedManager.OwnerControl()); form && form->HandleAllocated())
        params.parent = form->Handle();
}

LRESULT TdxBarCustomCustomizationForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST: {
            // Taller only: the side edges are no edges, the corners are the
            // top or bottom edge.
            LRESULT hit = TForm::WndProc(message, wParam, lParam);
            switch (hit) {
                case HTLEFT:
                case HTRIGHT: return HTCLIENT;
                case HTTOPLEFT:
                case HTTOPRIGHT: return HTTOP;
                case HTBOTTOMLEFT:
                case HTBOTTOMRIGHT: return HTBOTTOM;
                default: return hit;
            }
        }
        case WM_GETMINMAXINFO: {
            LRESULT result = TForm::WndProc(message, wParam, lParam);
            if (FMinHeight > 0) {
                RECT window{};
                ::GetWindowRect(Handle(), &window);
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {window.right - window.left, FMinHeight};
                info->ptMaxTrackSize.x = window.right - window.left;
            }
            return result;
        }
        case WM_ACTIVATE: {
            // The form keeps its active title while its dialog is active.
            TCustomForm* form = GetParentForm(&FCustomizedManager.OwnerControl());
            if (form && form->HandleAllocated() && reinterpret_cast<HWND>(lParam) != form->Handle())
                ::SendMessageA(form->Handle(), WM_NCACTIVATE, LOWORD(wParam) != WA_INACTIVE, 0);
            break;
        }
        case WM_SHOWWINDOW:
            // Unlocked before the window goes, so that the form can take the
            // activation back.
            if (!wParam) UnlockWindows();
            break;
        default: break;
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TdxBarCustomCustomizationForm::LockWindows() {
    TdxBarManagerList& managers = TdxBarManagerList::Instance();
    for (int i = 0; i < managers.Count(); ++i) {
        TCustomForm* form = GetParentForm(&managers.Items(i)->OwnerControl());
        if (!form || form == this || !form->HandleAllocated()) continue;
        if (::IsWindowEnabled(form->Handle()) &&
            std::find(FLockedWindows.begin(), FLockedWindows.end(), form->Handle()) == FLockedWindows.end()) {
            ::EnableWindow(form->Handle(), FALSE);
            FLockedWindows.push_back(form->Handle());
        }
    }
}

void TdxBarCustomCustomizationForm::UnlockWindows() {
    std::vector<HWND> locked;
    locked.swap(FLockedWindows);
    for (HWND window : locked)
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
}

bool TdxBarCustomCustomizationForm::RouteMouseWheel(HWND focused, WPARAM wParam) {
    if (IsListBox(focused)) return false;
    POINT pointer{};
    ::GetCursorPos(&pointer);
    HWND target = ::WindowFromPoint(pointer);
    TListBox* list = nullptr;
    for (TListBox* candidate : {lbBarsList, lbCategories, lbItems})
        if (candidate && candidate->HandleAllocated() && candidate->Handle() == target) list = candidate;
    if (!list) return false;
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const WPARAM step = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? SB_LINEDOWN : SB_LINEUP;
    for (UINT i = 0; i < lines && i < 100; ++i) ::SendMessageA(list->Handle(), WM_VSCROLL, step, 0);
    return true;
}

void TdxBarCustomCustomizationForm::BringToFront() {
    if (!HandleAllocated()) return;
    ::BringWindowToTop(Handle());
    ::SetActiveWindow(Handle());
}

void TdxBarCustomCustomizationForm::RefreshList(TListBox& list, TPersistent* object, TListChange change) {
    if (FCustomizedManager.IsLoading() || !list.HandleAllocated()) return;
    const int top = list.TopIndex();
    ::SendMessageA(list.Handle(), WM_SETREDRAW, FALSE, 0);
    if (change == TListChange::Object) {
        const int row = list.IndexOfObject(object);
        if (row >= 0) ::SendMessageA(list.Handle(), dxWM_LB_SYNCHRONIZE(), reinterpret_cast<WPARAM>(object), row);
        ::SendMessageA(list.Handle(), dxWM_LB_UPDATEEVENTS(), 0, 0);
    } else {
        list.Clear();
        ::SendMessageA(list.Handle(), dxWM_LB_SYNCHRONIZE(), 0, -1);
        ::SendMessageA(list.Handle(), dxWM_LB_SYNCHRONIZESELECTION(), 0, 0);
    }
    ::SendMessageA(list.Handle(), WM_SETREDRAW, TRUE, 0);
    list.SetTopIndex(std::min(top, std::max(0, list.Count() - 1)));
    for (int i = 0; i < list.Count(); ++i)
        if (list.Selected(i)) {
            const RECT client = list.ClientRect();
            const int rows = std::max(1, static_cast<int>(client.bottom / std::max(1, list.ItemHeight())));
            if (i < list.TopIndex()) list.SetTopIndex(i);
            else if (i >= list.TopIndex() + rows) list.SetTopIndex(i - rows + 1);
            break;
        }
    ::InvalidateRect(list.Handle(), nullptr, TRUE);
}

void TdxBarCustomCustomizationForm::PushSelection(TListBox& list) {
    ScopedValue<TListBox*> synchronizing(FSynchronizingList, &list);
    std::vector<TPersistent*> objects;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Selected(i)) objects.push_back(static_cast<TPersistent*>(list.Objects(i)));
    if (objects.empty()) FRunTimeSelection->AddToSelection(&FCustomizedManager, TdxBarSelectionOperation::Exclusive);
    else FRunTimeSelection->ReplaceSelection(objects);
}

void TdxBarCustomCustomizationForm::SelectionChanged() {
    if (FFormDestroying || Destroying() || !lbBarsList || !lbBarsList->HandleAllocated()) return;
    ::SendMessageA(lbBarsList->Handle(), dxWM_LB_SYNCHRONIZESELECTION(), 0, 0);
    ::SendMessageA(lbItems->Handle(), dxWM_LB_SYNCHRONIZESELECTION(), 0, 0);
}

std::vector<TdxBar*> TdxBarCustomCustomizationForm::SelectedBars() const {
    std::vector<TdxBar*> bars;
    for (int i = 0; i < lbBarsList->Count(); ++i) {
        auto* bar = dynamic_cast<TdxBar*>(static_cast<TPersistent*>(lbBarsList->Objects(i)));
        if (bar && FRunTimeSelection->InSelection(bar)) bars.push_back(bar);
    }
    return bars;
}

void TdxBarCustomCustomizationForm::ToggleBarVisible(int row) {
    if (row < 0 || row >= lbBarsList->Count()) return;
    auto* bar = dynamic_cast<TdxBar*>(static_cast<TPersistent*>(lbBarsList->Objects(row)));
    if (!bar) return;
    if (bar->IsUserClosable()) bar->SetVisible(!bar->Visible());
    else ::MessageBeep(MB_OK);
}

void TdxBarCustomCustomizationForm::aNewToolBarExecute(TComponent*) {
    if (TdxBar* bar = dxBarAddToolbar(FCustomizedManager, *this))
        FRunTimeSelection->AddToSelection(bar, TdxBarSelectionOperation::Exclusive);
}

void TdxBarCustomCustomizationForm::aRenameToolBarExecute(TComponent*) {
    std::vector<TdxBar*> bars = SelectedBars();
    if (bars.size() == 1) dxBarRenameToolbar(FCustomizedManager, *bars.front());
}

void TdxBarCustomCustomizationForm::aDeleteToolBarExecute(TComponent*) {
    std::vector<TdxBar*> bars = SelectedBars();
    if (bars.empty()) return;
    // The row to select afterwards: the first unselected one after the
    // current row, else the nearest unselected one before it.
    TdxBar* next = nullptr;
    const int current = std::max(0, lbBarsList->ItemIndex());
    auto unselected = [&](int i) {
        auto* bar = dynamic_cast<TdxBar*>(static_cast<TPersistent*>(lbBarsList->Objects(i)));
        return std::find(bars.begin(), bars.end(), bar) == bars.end() ? bar : nullptr;
    };
    for (int i = current + 1; i < lbBarsList->Count() && !next; ++i) next = unselected(i);
    for (int i = current - 1; i >= 0 && !next; --i) next = unselected(i);
    if (dxBarDeleteToolbars(FCustomizedManager, bars)) {
        const int row = next ? lbBarsList->IndexOfObject(static_cast<TPersistent*>(next)) : -1;
        lbBarsList->SetItemIndex(row);
        PushSelection(*lbBarsList);
        FCustomizedManager.RefreshDocks();
    }
    BringToFront();
}

void TdxBarCustomCustomizationForm::aResetToolBarExecute(TComponent*) {
    std::vector<TdxBar*> bars = SelectedBars();
    if (bars.size() == 1) dxBarResetToolbar(FCustomizedManager, *bars.front());
    BringToFront();
}

// ---- Registration

namespace {

void OpenCustomizationForm(TdxBarManager& manager) {
    if (gForm) return;
    std::unique_ptr<TdxBarCustomizationForm> form = TdxBarCustomizationForm::Create(manager);
    gForm = form.release();
    gForm->Show();
}

// A dialog being destroyed has cleared the reference already.
void FreeCustomizationForm() { delete gForm; }

}  // namespace

void InitializeCustomizationForm() {
    Messages();
    RegisterCustomizationFormClass({OpenCustomizationForm, [] { return gForm != nullptr; }, FreeCustomizationForm});
}

}  // namespace bars
