// Labels, push buttons, edits, check boxes, list boxes and combo boxes: a
// windowless label, and the others hosted on the system's controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/Forms.h"

namespace forms {

enum class TTextLayout { Top, Center, Bottom };

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool show);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);
    // The control the label's accelerator focuses.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);

    void Paint(TCanvas& canvas) override;
    const PropertyTable& StoredProperties() const override;
    bool DialogChar(char ch) override;
    // Read as static text.
    void DescribeAccessible(TAccessibleInfo& info) const override;

protected:
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Fits the bounds to the text when AutoSize is on.
    void AdjustBounds();
    UINT TextFormat() const;

private:
    bool FAutoSize = true;
    bool FTransparent = false;
    TAlignment FAlignment = TAlignment::LeftJustify;
    bool FShowAccelChar = true;
    bool FWordWrap = false;
    TTextLayout FLayout = TTextLayout::Top;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
    const char* ClassName() const override { return "TLabel"; }
};

// The base of push buttons: Enter clicks the focused one, or the default
// button while no button has the focus; Esc clicks the cancel button; a
// click hands the modal result to the form.
class TCustomButton : public TWinControl {
public:
    explicit TCustomButton(TComponent* owner);

    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    // Enter would click it now: it has the focus, or it is the default
    // button and the focus is on no other button. Drawn as default then.
    bool Active() const { return FActive; }

    // Sets the form's modal result first, when the button has one.
    void Click() override;
    bool DialogChar(char ch) override;
    // A push button whose default action clicks it.
    void DescribeAccessible(TAccessibleInfo& info) const override;
    void DoAccessibleAction() override { Click(); }

protected:
    friend class TCustomForm;
    // The system's object for its class cannot tell our default button.
    bool AnswersAccessibility() const override { return true; }
    // `focused`: the control of the form with the focus, or null.
    void UpdateActive(TWinControl* focused);
    virtual void ActiveChanged() {}
    const PropertyTable& StoredProperties() const override;

private:
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
    bool FActive = false;
};

// A push button on the system's "BUTTON" control.
class TButton : public TCustomButton {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }

protected:
    void CreateWindowParams(TWindow::CreateParams& params) override;
    LRESULT CNCommand(WORD code) override;
    // The system draws the default frame of BS_DEFPUSHBUTTON.
    void ActiveChanged() override;
};

// A one-line edit on the system's "EDIT" control; its text is the caption.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    const char* ClassName() const override { return "TEdit"; }

    const std::string& Text() const { return Caption(); }
    void SetText(std::string text) { SetCaption(std::move(text)); }

    // The text changed, typed or set.
    TNotifyEvent OnChange;

protected:
    const PropertyTable& StoredProperties() const override;
    void CreateWindowParams(TWindow::CreateParams& params) override;
    LRESULT CNCommand(WORD code) override;
    void TextChanged() override;
};

// A check box on the system's "BUTTON" control. A toggle by the user (a
// click, Space, its accelerator) fires OnClick; setting Checked does not.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const { return FChecked; }
    void SetChecked(bool checked);

    bool DialogChar(char ch) override;

protected:
    const PropertyTable& StoredProperties() const override;
    void CreateWindowParams(TWindow::CreateParams& params) override;
    void CreateWnd() override;
    LRESULT CNCommand(WORD code) override;

private:
    bool FChecked = false;
};

enum class TListBoxStyle { Standard, OwnerDrawFixed };

// A list box on the system's "LISTBOX" control. Each row has a text and an
// object of the caller's (not owned). The window is made again when its
// style or selection mode changes; the rows and the selection stay.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    const char* ClassName() const override { return "TListBox"; }

    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle style);
    // The height of a row: set, or the system's.
    int ItemHeight() const;
    void SetItemHeight(int height);
    // Extended selection: Shift and Ctrl with clicks and arrows.
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool multiSelect);

    int Count() const { return int(FItems.size()); }
    // Appends a row; returns its index.
    int AddItem(const std::string& text, void* object);
    void Clear();
    std::string ItemText(int i) const;
    // Keeps the row's object and whether it is selected.
    void SetItemText(int i, const std::string& text);
    void* Objects(int i) const;
    int IndexOfObject(const void* object) const;

    // The current row (the caret row with MultiSelect); -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Selected(int i) const;
    void SetSelected(int i, bool selected);
    int TopIndex() const;
    void SetTopIndex(int index);
    // In client coordinates; empty for a row out of range.
    RECT ItemRect(int i) const;
    // The row under a client point. With `existing`, -1 where there is no
    // row; without, Count() below the last one.
    int ItemAtPos(POINT client, bool existing) const;

    // The user changed the selection (OnClick) or double-clicked a row.
    TNotifyEvent OnDblClick;
    // Draws a row of an owner-drawn list; `state` holds ODS_* bits.
    std::function<void(TListBox* sender, int index, HDC dc, const RECT& rect, UINT state)> OnDrawItem;

protected:
    const PropertyTable& StoredProperties() const override;
    void CreateWindowParams(TWindow::CreateParams& params) override;
    void CreateWnd() override;
    void FontChanged() override;
    LRESULT CNCommand(WORD code) override;
    LRESULT CNDrawItem(DRAWITEMSTRUCT& item) override;

private:
    struct Item {
        std::string text;
        void* object;
    };
    // Destroys the window and makes it again with the present style.
    void RecreateWnd();
    // A row in the standard selection colours.
    void DrawItem(HDC dc, int index, const RECT& rect, UINT state);
    bool ValidIndex(int i) const { return i >= 0 && i < Count(); }

    std::vector<Item> FItems;
    TListBoxStyle FStyle = TListBoxStyle::Standard;
    int FItemHeight = 0;  // 0: the system's
    bool FMultiSelect = false;
};

// A drop-down list on the system's "COMBOBOX" control. Its height is the
// system's; the list that drops down has room for eight rows.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    const char* ClassName() const override { return "TComboBox"; }

    void AddItem(const std::string& text);
    int Count() const { return int(FItems.size()); }
    void Clear();
    const std::vector<std::string>& Items() const { return FItems; }
    void SetItems(const std::vector<std::string>& items);
    int ItemIndex() const;
    void SetItemIndex(int index);

    // The user chose an entry.
    TNotifyEvent OnChange;

protected:
    const PropertyTable& StoredProperties() const override;
    void CreateWindowParams(TWindow::CreateParams& params) override;
    void CreateWnd() override;
    void UpdateBounds() override;
    LRESULT CNCommand(WORD code) override;

private:
    // What the window is given on top of its own height: the dropped list.
    int DropDownHeight() const;

    std::vector<std::string> FItems;
    int FItemIndex = -1;  // until the window exists
};

}  // namespace forms
