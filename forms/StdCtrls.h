// Labels, push buttons and edits: a windowless label, and buttons and
// edits hosted on the system's controls.
#pragma once

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

protected:
    friend class TCustomForm;
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

}  // namespace forms
