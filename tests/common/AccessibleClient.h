// Reads a window as a screen reader does: through the accessible object
// the window hands out for its client area.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace testsupport {

struct AccessibleElement {
    HRESULT result = E_FAIL;  // of reading the role
    LONG role = 0;
    LONG state = 0;
    RECT bounds{};
    std::string name, value, description, shortcut, action;
};

class AccessibleClient {
public:
    explicit AccessibleClient(HWND window) {
        FResult = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&FObject));
    }
    ~AccessibleClient() { Drop(); }
    AccessibleClient(const AccessibleClient&) = delete;
    AccessibleClient& operator=(const AccessibleClient&) = delete;

    HRESULT Result() const { return FResult; }
    IAccessible* Object() const { return FObject; }
    void Drop() {
        if (FObject) FObject->Release();
        FObject = nullptr;
    }

    static VARIANT Child(long id) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }

    long ChildCount() const {
        long count = -1;
        return SUCCEEDED(FObject->get_accChildCount(&count)) ? count : -1;
    }

    AccessibleElement Read(long id) const {
        AccessibleElement e;
        const VARIANT child = Child(id);
        VARIANT v;
        ::VariantInit(&v);
        e.result = FObject->get_accRole(child, &v);
        if (v.vt == VT_I4) e.role = v.lVal;
        ::VariantClear(&v);
        if (SUCCEEDED(FObject->get_accState(child, &v)) && v.vt == VT_I4) e.state = v.lVal;
        ::VariantClear(&v);
        LONG l = 0, t = 0, w = 0, h = 0;
        if (SUCCEEDED(FObject->accLocation(&l, &t, &w, &h, child))) e.bounds = {l, t, l + w, t + h};
        e.name = Text(&IAccessible::get_accName, child);
        e.value = Text(&IAccessible::get_accValue, child);
        e.description = Text(&IAccessible::get_accDescription, child);
        e.shortcut = Text(&IAccessible::get_accKeyboardShortcut, child);
        e.action = Text(&IAccessible::get_accDefaultAction, child);
        return e;
    }

    HRESULT Press(long id) const { return FObject->accDoDefaultAction(Child(id)); }

    // The child id a variant names; 0 for the object itself, -1 for none
    // or for an object of its own.
    static long IdOf(VARIANT& v) {
        const long id = v.vt == VT_I4 ? v.lVal : -1;
        ::VariantClear(&v);
        return id;
    }

private:
    std::string Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), const VARIANT& child) const {
        BSTR text = nullptr;
        if (FAILED((FObject->*get)(child, &text)) || !text) return {};
        const int length = static_cast<int>(::SysStringLen(text));
        std::string out(static_cast<std::size_t>(
                            ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr)),
                        '\0');
        ::WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
        ::SysFreeString(text);
        return out;
    }

    IAccessible* FObject = nullptr;
    HRESULT FResult = E_FAIL;
};

}  // namespace testsupport
