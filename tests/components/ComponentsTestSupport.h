// A form to put the components on, and what a window would repaint.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "forms/FormReader.h"
#include "forms/Forms.h"

namespace componentstest {

class TTestForm : public forms::TForm {
public:
    TTestForm() : TForm(nullptr) {}
    const char* ClassName() const override { return "TTestForm"; }
    void Load(const forms::ObjectNode& node) { Create(node); }
    int Clicks = 0;

protected:
    forms::TMethod FindMethod(const std::string& name) override {
        if (name == "Clicked") return std::function<void(forms::TComponent*)>([this](forms::TComponent*) { ++Clicks; });
        return TForm::FindMethod(name);
    }
};

// Whether the window has anything left to repaint; validates it.
inline bool Invalidated(HWND window) {
    RECT r;
    bool invalid = ::GetUpdateRect(window, &r, FALSE) != FALSE;
    ::ValidateRect(window, nullptr);
    return invalid;
}

}  // namespace componentstest
