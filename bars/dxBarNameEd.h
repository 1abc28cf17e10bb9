// The small modal dialog that asks for a toolbar's name when a toolbar is
// added or renamed; it refuses a name another toolbar already has.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "forms/Forms.h"
#include "forms/StdCtrls.h"

namespace bars {

class TdxBar;
class TdxBarManager;

class TdxBarNameEd : public forms::TForm {
public:
    // The dialog, hidden, attached to the window that is active now and
    // written in the manager's font. `bar` is the toolbar being renamed,
    // null when one is added.
    static std::unique_ptr<TdxBarNameEd> Create(TdxBarManager& manager, TdxBar* bar, const std::string& title,
                                                const std::string& text);

    const char* ClassName() const override { return "TdxBarNameEd"; }

    TdxBarManager& Manager() const { return FManager; }
    TdxBar* Bar() const { return FBar; }

    // Published components.
    forms::TLabel* LName = nullptr;
    forms::TEdit* EName = nullptr;
    forms::TButton* BOK = nullptr;
    forms::TButton* BCancel = nullptr;

    void ENameChange(forms::TComponent* sender);
    void FormCloseQuery(forms::TComponent* sender, bool& canClose);

protected:
    TdxBarNameEd(TdxBarManager& manager, TdxBar* bar);
    void CreateWindowParams(forms::TWindow::CreateParams& params) override;
    void Loaded() override;

private:
    TdxBarManager& FManager;
    TdxBar* FBar;
    HWND FAttachedTo;
};

// Asks for the name of a toolbar to add, starting from `name`; true and the
// entered name in `name` on OK.
bool dxBarNameEdNewToolbar(TdxBarManager& manager, std::string& name);
// Asks for a new name of `bar`, starting from its caption; true and the
// entered name in `name` on OK.
bool dxBarNameEdRenameToolbar(TdxBarManager& manager, TdxBar& bar, std::string& name);

}  // namespace bars
