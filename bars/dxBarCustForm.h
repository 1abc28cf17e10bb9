// The customization dialog: the toolbars, the commands by category and the
// options of the manager being customized, while the manager is in
// customizing mode; and the toolbar operations its buttons run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bars/dxBarManager.h"
#include "bars/dxBarTypes.h"
#include "forms/ComCtrls.h"
#include "forms/ExtCtrls.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"

namespace bars {

class TdxBarCustomCustomizationForm;

// ---- The toolbar operations. Each asks the user first and returns whether
// it changed anything.

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

// ---- The dialog

// The messages the dialog sends its lists, registered by name: refill a
// list (or rewrite the row of one object), select in it what the manager
// has selected, and recompute the buttons that act on it.
UINT dxWM_LB_SYNCHRONIZE();
UINT dxWM_LB_SYNCHRONIZESELECTION();
UINT dxWM_LB_UPDATEEVENTS();

// The selection of a manager while the dialog is open: at most one toolbar
// and one other object. Adding a toolbar drops the selected toolbar, adding
// anything else drops the other object.
class TdxBarRunTimeSelectionController : public IdxBarSelection {
public:
    explicit TdxBarRunTimeSelectionController(TdxBarManager& manager) : FManager(manager) {}

    void ReadSelection(std::vector<forms::TPersistent*>& list) const override;
    bool InSelection(const forms::TPersistent* object) const override;
    // Add and Exclusive both add by the rule above; Remove is ignored.
    void AddToSelection(forms::TPersistent* object, TdxBarSelectionOperation operation) override;
    void ReplaceSelection(const std::vector<forms::TPersistent*>& list) override;
    bool CanDeleteComponent(const forms::TPersistent*) const override { return true; }
    void ObjectDestroying(const forms::TPersistent* object) override;

    // The selection changed.
    std::function<void()> OnSelectionChanged;

private:
    void Changed(forms::TPersistent* object);

    TdxBarManager& FManager;
    std::vector<forms::TPersistent*> FSelection;
};

// How the dialog draws its command rows, after the manager's bar painter.
class TdxBarCustomizationFormPainter {
public:
    virtual ~TdxBarCustomizationFormPainter() = default;
    // The one painter for the bar painter's kind.
    static const TdxBarCustomizationFormPainter& For(const TdxBarPainter& barPainter);

    // The command list's background.
    virtual forms::TColor ItemsListColor() const { return forms::clBtnFace; }
    // The text on it.
    virtual forms::TColor ItemsListTextColor() const { return forms::clBtnText; }
    // What shows below the last command row.
    virtual COLORREF UnselectedRowColor() const;
    // One command row: the image column and the caption (accelerator marks
    // removed already).
    virtual void DrawItemRow(HDC dc, const RECT& row, const TdxBarManager& manager, TdxBarItem& item,
                             const std::string& caption, bool selected) const;

protected:
    virtual void DrawRowBackground(HDC dc, const RECT& row, const RECT& imageColumn, bool selected) const;
    virtual COLORREF RowTextColor(bool selected) const;
};

class TdxBarCustomizationFormStandardPainter : public TdxBarCustomizationFormPainter {};

class TdxBarCustomizationFormFlatPainter : public TdxBarCustomizationFormPainter {
public:
    forms::TColor ItemsListColor() const override { return forms::clWindow; }
    forms::TColor ItemsListTextColor() const override { return forms::clWindowText; }
};

class TdxBarCustomizationFormXPPainter : public TdxBarCustomizationFormFlatPainter {};

// Unselected rows on the menu colour with the gradient image column,
// selected ones in the menu's selection colour with its frame. Under high
// contrast the rows are a plain list's.
class TdxBarCustomizationFormOffice11Painter : public TdxBarCustomizationFormFlatPainter {
public:
    COLORREF UnselectedRowColor() const override;

protected:
    void DrawRowBackground(HDC dc, const RECT& row, const RECT& imageColumn, bool selected) const override;
    COLORREF RowTextColor(bool selected) const override;
};

// A list box of the dialog, seen through the messages it gets before its
// own procedure does.
class TdxBarCustomizationFormListBoxHelper {
public:
    TdxBarCustomizationFormListBoxHelper(TdxBarCustomCustomizationForm& form, forms::TListBox& listBox);
    virtual ~TdxBarCustomizationFormListBoxHelper();
    TdxBarCustomizationFormListBoxHelper(const TdxBarCustomizationFormListBoxHelper&) = delete;
    TdxBarCustomizationFormListBoxHelper& operator=(const TdxBarCustomizationFormListBoxHelper&) = delete;

    forms::TListBox& ListBox() const { return FListBox; }

protected:
    // A message for the list; true when it was handled.
    virtual bool Message(forms::TMessage& message);
    // Refills the list (null object) or rewrites the object's row.
    virtual void Synchronize(forms::TPersistent* object, int row);
    virtual void FillList() {}
    // Selects the rows of what the manager has selected.
    virtual void SynchronizeSelection();
    virtual void UpdateEvents() {}
    // Scrolls the first selected row into view.
    void MakeSelectionVisible();

    TdxBarCustomCustomizationForm& FForm;
    forms::TListBox& FListBox;
};

// The toolbar list: a check box per row, toggled by a press in it, a
// double-click beside it or Space; Insert and Delete add and delete.
class TdxBarCustomizationFormBarListHelper : public TdxBarCustomizationFormListBoxHelper {
public:
    TdxBarCustomizationFormBarListHelper(TdxBarCustomCustomizationForm& form, forms::TListBox& listBox);
    void DrawRow(int index, HDC dc, const RECT& rect, UINT state);

protected:
    bool Message(forms::TMessage& message) override;
    void FillList() override;
    void Synchronize(forms::TPersistent* object, int row) override;
    void UpdateEvents() override;

private:
    RECT CheckRect(int index) const;
};

class TdxBarCustomizationFormCategoryListHelper : public TdxBarCustomizationFormListBoxHelper {
public:
    using TdxBarCustomizationFormListBoxHelper::TdxBarCustomizationFormListBoxHelper;

protected:
    bool Message(forms::TMessage& message) override;
    void FillList() override;
    void SynchronizeSelection() override {}
};

// The command list of the selected category.
class TdxBarCustomizationFormItemsListHelper : public TdxBarCustomizationFormListBoxHelper {
public:
    using TdxBarCustomizationFormListBoxHelper::TdxBarCustomizationFormListBoxHelper;

protected:
    bool Message(forms::TMessage& message) override;
    void FillList() override;
    void Synchronize(forms::TPersistent* object, int row) override;
    void UpdateEvents() override;

private:
    void EndPendingDrag();

    // The row pressed with the left button, until the pointer leaves the
    // drag rectangle around the press (a drag) or the button comes up.
    int FDragRow = -1;
    POINT FDragPressPoint{};
};

// The operations on toolbars and the list machinery of the dialog.
class TdxBarCustomCustomizationForm : public forms::TForm {
public:
    ~TdxBarCustomCustomizationForm() override;

    TdxBarManager& BarManager() const { return FCustomizedManager; }
    // The open dialog of the process, if any.
    static TdxBarCustomCustomizationForm* Instance();
    const TdxBarCustomizationFormPainter& Painter() const;

    // Refills the list (null object: the whole list, or a structural
    // change) or redraws the object's row.
    enum class TListChange { Object, List };
    void RefreshList(forms::TListBox& list, forms::TPersistent* object, TListChange change);
    // The list's selected rows become the manager's selection.
    void PushSelection(forms::TListBox& list);
    forms::TListBox* SynchronizingList() const { return FSynchronizingList; }
    // Shows or hides the toolbar of the row; a beep when it may not be hidden.
    void ToggleBarVisible(int row);
    // The toolbars selected in the manager, in list order.
    std::vector<TdxBar*> SelectedBars() const;
    // The command list's selection changed: its description shows.
    virtual void ItemSelectionChanged() {}
    // The windows disabled while the dialog shows.
    const std::vector<HWND>& LockedWindows() const { return FLockedWindows; }

    // Published components.
    forms::TListBox* lbBarsList = nullptr;
    forms::TListBox* lbCategories = nullptr;
    forms::TListBox* lbItems = nullptr;
    forms::TButton* BBarNew = nullptr;
    forms::TButton* BBarRename = nullptr;
    forms::TButton* BBarDelete = nullptr;
    forms::TButton* BBarReset = nullptr;

    void aNewToolBarExecute(forms::TComponent* sender);
    void aRenameToolBarExecute(forms::TComponent* sender);
    void aDeleteToolBarExecute(forms::TComponent* sender);
    void aResetToolBarExecute(forms::TComponent* sender);

protected:
    explicit TdxBarCustomCustomizationForm(TdxBarManager& manager);
    // Builds the dialog from its description; the order matters (see the
    // source).
    void Build(const forms::ObjectNode& description);
    void CreateWindowParams(forms::TWindow::CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Loaded() override;
    // The texts and states the derived layout sets before the lists fill.
    virtual void InitControls() {}
    // The selection of the manager changed.
    virtual void SelectionChanged();

private:
    friend class TdxBarCustomizationFormListBoxHelper;
    void LockWindows();
    void UnlockWindows();
    // Scrolls a list under the pointer by the wheel while no list has the
    // focus; true when it did.
    bool RouteMouseWheel(HWND target, WPARAM wParam);
    void BringToFront();

    TdxBarManager& FCustomizedManager;
    std::unique_ptr<TdxBarCustomizationFormBarListHelper> FBarListHelper;
    std::unique_ptr<TdxBarCustomizationFormCategoryListHelper> FCategoryListHelper;
    std::unique_ptr<TdxBarCustomizationFormItemsListHelper> FItemsListHelper;
    std::unique_ptr<TdxBarRunTimeSelectionController> FRunTimeSelection;
    bool FSelectionInstalled = false;
    TdxBarChangeEvent FSavedBarsChange, FSavedItemsChange;
    std::vector<HWND> FLockedWindows;
    forms::TListBox* FSynchronizingList = nullptr;
    int FMinHeight = 0;
    bool FFormDestroying = false;
};

// The dialog as the user sees it: three tabs (toolbars, commands, options)
// and Close.
class TdxBarCustomizationForm : public TdxBarCustomCustomizationForm {
public:
    // The dialog for the manager, built and hidden; shown modeless, it is
    // the process's one dialog and frees itself when closed.
    static std::unique_ptr<TdxBarCustomizationForm> Create(TdxBarManager& manager);
    const char* ClassName() const override { return "TdxBarCustomizationForm"; }

    forms::TPanel* Panel1 = nullptr;
    forms::TButton* BClose = nullptr;
    forms::TPageControl* PageControl = nullptr;
    forms::TTabSheet* tsToolbars = nullptr;
    forms::TTabSheet* tsItems = nullptr;
    forms::TTabSheet* tsOptions = nullptr;
    forms::TLabel* LabelToobars = nullptr;
    forms::TLabel* LabelCategories = nullptr;
    forms::TLabel* LabelCommands = nullptr;
    forms::TLabel* LabelDescription = nullptr;
    forms::TBevel* DescriptionBevel = nullptr;
    forms::TLabel* DescriptionLabel = nullptr;
    forms::TPanel* EnhancedOptionsPanel = nullptr;
    forms::TPanel* StandardOptionsPanel = nullptr;
    forms::TLabel* Label1 = nullptr;
    forms::TLabel* Label2 = nullptr;
    forms::TLabel* Label3 = nullptr;
    forms::TBevel* Bevel2 = nullptr;
    forms::TBevel* Bevel3 = nullptr;
    forms::TCheckBox* CBMenusShowRecentItemsFirst = nullptr;
    forms::TCheckBox* CBShowFullMenusAfterDelay = nullptr;
    forms::TButton* BResetUsageData = nullptr;
    forms::TCheckBox* CBLargeIcons = nullptr;
    forms::TCheckBox* CBLargeIconsEx = nullptr;
    forms::TCheckBox* CBHint1 = nullptr;
    forms::TCheckBox* CBHint1Ex = nullptr;
    forms::TCheckBox* CBHint2 = nullptr;
    forms::TCheckBox* CBHint2Ex = nullptr;
    forms::TLabel* LabelMenuAnimations = nullptr;
    forms::TComboBox* ComboBoxMenuAnimations = nullptr;
    forms::TComboBox* ComboBoxMenuAnimationsEx = nullptr;

    void BCloseClick(forms::TComponent* sender);
    void CBLargeIconsClick(forms::TComponent* sender);
    void CBHint1Click(forms::TComponent* sender);
    void CBHint1ExClick(forms::TComponent* sender);
    void CBHint2Click(forms::TComponent* sender);
    void CBMenusShowRecentItemsFirstClick(forms::TComponent* sender);
    void CBShowFullMenusAfterDelayClick(forms::TComponent* sender);
    void BResetUsageDataClick(forms::TComponent* sender);
    void ComboBoxMenuAnimationsClick(forms::TComponent* sender);
    void lbItemsDrawItem(forms::TListBox* sender, int index, HDC dc, const RECT& rect, UINT state);

protected:
    using TdxBarCustomCustomizationForm::TdxBarCustomCustomizationForm;
    void Loaded() override;
    void InitControls() override;
    void ItemSelectionChanged() override;
};

// Registers the dialog with the managers and its list messages.
void InitializeCustomizationForm();

}  // namespace bars
