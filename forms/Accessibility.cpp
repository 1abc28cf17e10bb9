#include "forms/Accessibility.h"

#include <ole2.h>
#include <oleacc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "forms/Boundary.h"
#include "forms/Helpers.h"

namespace forms {

namespace {

std::atomic<int> gLiveObjects{0};
bool gApartmentJoined = false;

// oleacc and oleaut32 are loaded with the first request of a client, not
// at start.
BSTR AllocString(const OLECHAR* text, UINT length) {
    static TLibraryFunction<decltype(::SysAllocStringLen)> function("oleaut32.dll", "SysAllocStringLen");
    auto allocate = function.Get();
    return allocate ? allocate(text, length) : nullptr;
}

void EmptyVariant(VARIANT* variant) { V_VT(variant) = VT_EMPTY; }

// Null for an empty text: the property is then absent (S_FALSE).
BSTR ToBstr(const std::string& text) {
    if (text.empty()) return nullptr;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = AllocString(nullptr, static_cast<UINT>(length));
    if (!result) throw std::bad_alloc();
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

// The window's own object, which holds its client area: how a parent
// hands out a child window, and the client area's parent.
IDispatch* WindowObject(HWND window) {
    static TLibraryFunction<decltype(::AccessibleObjectFromWindow)> accessibleObjectFromWindow(
        "oleacc.dll", "AccessibleObjectFromWindow");
    auto objectFromWindow = accessibleObjectFromWindow.Get();
    IDispatch* object = nullptr;
    if (!objectFromWindow || FAILED(objectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                                     reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

bool Overlap(LONG from1, LONG to1, LONG from2, LONG to2) { return from1 < to2 && from2 < to1; }

// The child nearest to `from` in a direction on the screen; -1 for none.
// Only children beside it (sharing rows for left and right, columns for
// up and down) count.
int Beside(const TAccessibleSource& source, int from, long direction) {
    TAccessibleInfo start;
    if (!source.AccessibleInfo(from, start)) return -1;
    const RECT& a = start.bounds;
    const LONG ax = (a.left + a.right) / 2, ay = (a.top + a.bottom) / 2;
    int best = -1;
    LONG bestDistance = 0;
    for (int i = 1; i <= source.AccessibleChildCount(); ++i) {
        TAccessibleInfo other;
        if (i == from || !source.AccessibleInfo(i, other) || (other.state & STATE_SYSTEM_INVISIBLE)) continue;
        const RECT& b = other.bounds;
        const LONG dx = (b.left + b.right) / 2 - ax, dy = (b.top + b.bottom) / 2 - ay;
        bool ahead = false;
        switch (direction) {
            case NAVDIR_LEFT: ahead = dx < 0 && Overlap(a.top, a.bottom, b.top, b.bottom); break;
            case NAVDIR_RIGHT: ahead = dx > 0 && Overlap(a.top, a.bottom, b.top, b.bottom); break;
            case NAVDIR_UP: ahead = dy < 0 && Overlap(a.left, a.right, b.left, b.right); break;
            case NAVDIR_DOWN: ahead = dy > 0 && Overlap(a.left, a.right, b.left, b.right); break;
            default: break;
        }
        const LONG distance = std::labs(dx) + std::labs(dy);
        if (ahead && (best < 0 || distance < bestDistance)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

// Answers clients from the source while it exists. Calls come on the
// window's thread: in process directly, from other processes through the
// apartment's message queue.
class TAccessibleServer::Object final : public IAccessible, public IOleWindow {
public:
    explicit Object(TAccessibleSource& source) : FSource(&source) { ++gLiveObjects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void Disconnect() { FSource = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (riid == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++FReferences; }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const ULONG left = --FReferences;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: clients use the interface's own methods.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override {
        return E_NOTIMPL;
    }

    // IOleWindow: the window the object belongs to.
    STDMETHODIMP GetWindow(HWND* window) noexcept override {
        if (!window) return E_POINTER;
        *window = nullptr;
        return Call([&](TAccessibleSource& s) {
            *window = s.AccessibleHandle();
            return S_OK;
        });
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        return Call([&](TAccessibleSource& s) {
            *parent = WindowObject(s.AccessibleHandle());
            return *parent ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP get_accChildCount(long* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return Call([&](TAccessibleSource& s) {
            *count = s.AccessibleChildCount();
            return S_OK;
        });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        return Call([&](TAccessibleSource& s) -> HRESULT {
            const LONG id = child.vt == VT_I4 ? child.lVal : -1;
            if (id < 1 || id > s.AccessibleChildCount()) return E_INVALIDARG;
            HWND window = s.AccessibleChildWindow(id);
            *object = window ? WindowObject(window) : nullptr;
            return *object ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override {
        return Text(child, name, &TAccessibleInfo::name);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override {
        return Text(child, value, &TAccessibleInfo::value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) noexcept override {
        return Text(child, description, &TAccessibleInfo::description);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override {
        return Number(child, role, &TAccessibleInfo::role);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override {
        return Number(child, state, &TAccessibleInfo::state);
    }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* help) noexcept override {
        if (!help) return E_POINTER;
        *help = nullptr;
        return Call([](TAccessibleSource&) { return S_FALSE; });
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return Call([](TAccessibleSource&) { return DISP_E_MEMBERNOTFOUND; });
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override {
        return Text(child, shortcut, &TAccessibleInfo::shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) noexcept override {
        if (!focus) return E_POINTER;
        EmptyVariant(focus);
        return Call([&](TAccessibleSource& s) {
            const int id = s.AccessibleFocus();
            return id < 0 ? S_FALSE : Element(s, id, *focus);
        });
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) noexcept override {
        if (!selection) return E_POINTER;
        EmptyVariant(selection);
        return Call([](TAccessibleSource&) { return DISP_E_MEMBERNOTFOUND; });
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
        return Text(child, action, &TAccessibleInfo::defaultAction);
    }
    STDMETHODIMP accSelect(long, VARIANT) noexcept override {
        return Call([](TAccessibleSource&) { return DISP_E_MEMBERNOTFOUND; });
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) noexcept override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return Call([&](TAccessibleSource& s) -> HRESULT {
            TAccessibleInfo info;
            if (!Describe(s, child, info)) return E_INVALIDARG;
            *left = info.bounds.left;
            *top = info.bounds.top;
            *width = info.bounds.right - info.bounds.left;
            *height = info.bounds.bottom - info.bounds.top;
            return S_OK;
        });
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override {
        if (!end) return E_POINTER;
        EmptyVariant(end);
        return Call([&](TAccessibleSource& s) -> HRESULT {
            const int count = s.AccessibleChildCount();
            const LONG from = start.vt == VT_I4 ? start.lVal : -1;
            if (from < 0 || from > count) return E_INVALIDARG;
            int to = -1;
            switch (direction) {
                case NAVDIR_FIRSTCHILD:
                case NAVDIR_LASTCHILD:
                    if (from != CHILDID_SELF) return E_INVALIDARG;
                    if (count > 0) to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
                    break;
                // The client area's own siblings are its window's to give.
                case NAVDIR_NEXT:
                    if (from != CHILDID_SELF && from < count) to = from + 1;
                    break;
                case NAVDIR_PREVIOUS:
                    if (from > 1) to = from - 1;
                    break;
                case NAVDIR_LEFT:
                case NAVDIR_RIGHT:
                case NAVDIR_UP:
                case NAVDIR_DOWN:
                    if (from != CHILDID_SELF) to = Beside(s, from, direction);
                    break;
                default: return E_INVALIDARG;
            }
            return to < 0 ? S_FALSE : Element(s, to, *end);
        });
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* hit) noexcept override {
        if (!hit) return E_POINTER;
        EmptyVariant(hit);
        return Call([&](TAccessibleSource& s) {
            const POINT point{x, y};
            // Child windows lie over what their parent draws; among the
            // rest the later one lies over the earlier.
            auto find = [&](bool windows) {
                for (int i = s.AccessibleChildCount(); i >= 1; --i) {
                    TAccessibleInfo info;
                    if ((s.AccessibleChildWindow(i) != nullptr) != windows || !s.AccessibleInfo(i, info)) continue;
                    if (!(info.state & STATE_SYSTEM_INVISIBLE) && ::PtInRect(&info.bounds, point)) return i;
                }
                return -1;
            };
            int id = find(true);
            if (id < 0) id = find(false);
            TAccessibleInfo own;
            if (id < 0 && s.AccessibleInfo(CHILDID_SELF, own) && ::PtInRect(&own.bounds, point)) id = CHILDID_SELF;
            return id < 0 ? S_FALSE : Element(s, id, *hit);
        });
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override {
        return Call([&](TAccessibleSource& s) -> HRESULT {
            TAccessibleInfo info;
            if (!Describe(s, child, info)) return E_INVALIDARG;
            if (info.defaultAction.empty() || !s.RequestAccessibleAction(child.lVal)) return DISP_E_MEMBERNOTFOUND;
            return S_OK;
        });
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }

private:
    ~Object() { --gLiveObjects; }

    // Runs a call against the source; once the source is gone the call
    // fails as a disconnected object's would.
    template <class F>
    HRESULT Call(F&& body) noexcept {
        if (!FSource) return CO_E_OBJNOTCONNECTED;
        return CallAtBoundary(HRESULT(E_FAIL), [&]() -> HRESULT { return body(*FSource); });
    }

    static bool Describe(const TAccessibleSource& s, const VARIANT& child, TAccessibleInfo& info) {
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > s.AccessibleChildCount()) return false;
        return s.AccessibleInfo(child.lVal, info);
    }

    // A child window goes out as its own object, anything else by its id.
    static HRESULT Element(const TAccessibleSource& s, int id, VARIANT& out) {
        if (HWND window = id > 0 ? s.AccessibleChildWindow(id) : nullptr)
            if (IDispatch* object = WindowObject(window)) {
                out.vt = VT_DISPATCH;
                out.pdispVal = object;
                return S_OK;
            }
        out.vt = VT_I4;
        out.lVal = id;
        return S_OK;
    }

    HRESULT Text(const VARIANT& child, BSTR* out, std::string TAccessibleInfo::*field) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&](TAccessibleSource& s) -> HRESULT {
            TAccessibleInfo info;
            if (!Describe(s, child, info)) return E_INVALIDARG;
            *out = ToBstr(info.*field);
            return *out ? S_OK : S_FALSE;
        });
    }

    HRESULT Number(const VARIANT& child, VARIANT* out, LONG TAccessibleInfo::*field) noexcept {
        if (!out) return E_POINTER;
        EmptyVariant(out);
        return Call([&](TAccessibleSource& s) -> HRESULT {
            TAccessibleInfo info;
            if (!Describe(s, child, info)) return E_INVALIDARG;
            out->vt = VT_I4;
            out->lVal = info.*field;
            return S_OK;
        });
    }

    std::atomic<ULONG> FReferences{1};
    TAccessibleSource* FSource;
};

TAccessibleServer::~TAccessibleServer() {
    if (!FObject) return;
    FObject->Disconnect();
    // Drops what other processes hold, so that the object goes as soon as
    // no one in this process holds it.
    ::CoDisconnectObject(static_cast<IAccessible*>(FObject), 0);
    FObject->Release();
}

bool TAccessibleServer::Answer(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return false;
    static TLibraryFunction<decltype(::LresultFromObject)> lresultFromObject("oleacc.dll", "LresultFromObject");
    auto fromObject = lresultFromObject.Get();
    if (!fromObject) return false;
    // Other processes call in through the apartment; its thread is the one
    // that answers, the user-interface thread.
    if (!gApartmentJoined) gApartmentJoined = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!FObject) FObject = new Object(FSource);
    result = fromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(FObject));
    return true;
}

int LiveAccessibleObjects() { return gLiveObjects; }

void LeaveAccessibleApartment() {
    if (gApartmentJoined) ::CoUninitialize();
    gApartmentJoined = false;
}

void NotifyAccessible(DWORD event, HWND window, int child) {
    if (window) ::NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

UINT AccessibleActionMessage() {
    static const UINT message = ::RegisterWindowMessageA("QuorvaAccessibleAction");
    return message;
}

bool WindowAcceptsInput(HWND window) {
    for (HWND w = window; w; w = (::GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? ::GetParent(w) : nullptr)
        if (!::IsWindowEnabled(w)) return false;
    return window != nullptr;
}

std::string AccessibleText(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            text += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            text += '&';
            ++i;
        }
    }
    return text;
}

std::string AccelShortcut(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto upper = reinterpret_cast<UINT_PTR>(
            ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<BYTE>(caption[i + 1])))));
        return std::string("Alt+") + static_cast<char>(upper);
    }
    return "";
}

std::string LongHint(const std::string& hint) {
    const std::size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

}  // namespace forms
