// probe: reads another program's windows for the end-to-end test. Run it
// under the same Wine prefix as the program it looks at.
//
//   probe [--desktop NAME] windows    top-level windows, one a line
//   probe children HWND               all descendants of HWND
//   probe close HWND                  posts WM_CLOSE
//   probe alive PID                   exit status 0 while PID runs
//   probe kill PID                    ends PID
//   probe faces NAME...               the face each font name resolves to
//   probe manifest EXE                the manifest resource of EXE
//   probe accessible HWND             what a screen reader reads of HWND's
//                                     client area: the area, then each child
//   probe press HWND CHILD            the default action of that child
//
// Lines are tab-separated:
//   windows:  hwnd pid class visible window-rect client-rect owner text
//   children: hwnd parent class visible window-rect text
//   accessible: child role state location name description shortcut action
//     (child 0 is the area itself; the state lists its flags, "normal"
//     without any; the location is a screen rectangle)
// Rectangles are in screen coordinates as left,top,right,bottom; texts come
// last, with tabs and line breaks turned into spaces.
#include <windows.h>

#include <oleacc.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Whatever it was asked about may hang; it must not hang the test with it.
constexpr UINT kTextTimeoutMs = 2000;

std::string Utf8(const wchar_t* s, int len) {
    if (len <= 0) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s, len, nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, len, out.data(), n, nullptr, nullptr);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string Text(HWND hwnd) {
    wchar_t buf[1024];
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMs, &len))
        return "<no answer>";
    return Utf8(buf, static_cast<int>(len < std::size(buf) ? len : std::size(buf) - 1));
}

std::string ClassOf(HWND hwnd) {
    wchar_t buf[256];
    return Utf8(buf, GetClassNameW(hwnd, buf, static_cast<int>(std::size(buf))));
}

void PrintRect(const RECT& r) {
    std::printf("%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
}

RECT ScreenClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window's own WS_VISIBLE: IsWindowVisible also asks the parents up to
// the calling thread's desktop, which is not theirs in a virtual desktop.
int Visible(HWND hwnd) {
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) ? 1 : 0;
}

unsigned long long HandleValue(HWND hwnd) {
    return reinterpret_cast<UINT_PTR>(hwnd);
}

BOOL CALLBACK PrintTopLevel(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("0x%llx\t%lu\t%s\t%d\t", HandleValue(hwnd), pid, ClassOf(hwnd).c_str(),
                Visible(hwnd));
    PrintRect(r);
    std::printf("\t");
    PrintRect(ScreenClientRect(hwnd));
    std::printf("\t0x%llx\t%s\n", HandleValue(GetWindow(hwnd, GW_OWNER)), Text(hwnd).c_str());
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("0x%llx\t0x%llx\t%s\t%d\t", HandleValue(hwnd), HandleValue(GetParent(hwnd)),
                ClassOf(hwnd).c_str(), Visible(hwnd));
    PrintRect(r);
    std::printf("\t%s\n", Text(hwnd).c_str());
    return TRUE;
}

bool ParseNumber(const char* s, unsigned long long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoull(s, &end, 0);
    return errno == 0 && end != s && *end == '\0';
}

bool ParseWindow(const char* s, HWND& out) {
    unsigned long long v = 0;
    if (!ParseNumber(s, v)) return false;
    out = reinterpret_cast<HWND>(static_cast<UINT_PTR>(v));
    return IsWindow(out) != FALSE;
}

// Top-level windows belong to a desktop, and a program started in a Wine
// virtual desktop is not on ours: switch to its desktop before listing.
bool UseDesktop(const char* name) {
    HDESK desk = OpenDesktopA(name, 0, FALSE, DESKTOP_ENUMERATE | DESKTOP_READOBJECTS);
    if (!desk) {
        std::fprintf(stderr, "probe: cannot open desktop %s (error %lu)\n", name, GetLastError());
        return false;
    }
    if (!SetThreadDesktop(desk)) {
        std::fprintf(stderr, "probe: cannot switch to desktop %s (error %lu)\n", name,
                     GetLastError());
        CloseDesktop(desk);
        return false;
    }
    return true;
}

int Faces(int count, char** names) {
    HDC dc = GetDC(nullptr);
    if (!dc) return 1;
    for (int i = 0; i < count; ++i) {
        LOGFONTA lf{};
        lf.lfHeight = -12;
        lf.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(lf.lfFaceName, names[i], LF_FACESIZE - 1);
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        DeleteObject(font);
        std::printf("%s\t%s\n", names[i], face);
    }
    ReleaseDC(nullptr, dc);
    return 0;
}

// Prints the program's manifest, as the loader reads it.
int Manifest(const char* path) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 1;
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (bytes) std::fwrite(bytes, 1, SizeofResource(module, info), stdout);
    FreeLibrary(module);
    return bytes ? 0 : 1;
}

// A COM call into a program that hangs would hang the probe with it.
constexpr DWORD kAccessibleTimeoutMs = 10000;

DWORD WINAPI Watchdog(void*) {
    Sleep(kAccessibleTimeoutMs);
    std::fprintf(stderr, "probe: no answer within %lu ms\n", kAccessibleTimeoutMs);
    std::fflush(stdout);
    ExitProcess(3);
}

VARIANT ChildId(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// Frees the string; empty for none.
std::string Taken(BSTR s) {
    std::string out = s ? Utf8(s, static_cast<int>(SysStringLen(s))) : std::string();
    SysFreeString(s);
    return out;
}

std::string RoleText(const VARIANT& role) {
    if (role.vt != VT_I4) return "?";
    wchar_t buf[128];
    UINT n = GetRoleTextW(static_cast<DWORD>(role.lVal), buf, static_cast<UINT>(std::size(buf)));
    return Utf8(buf, static_cast<int>(n));
}

std::string StateText(const VARIANT& state) {
    if (state.vt != VT_I4) return "?";
    std::string out;
    for (int bit = 0; bit < 31; ++bit) {
        const DWORD flag = 1UL << bit;
        if (!(static_cast<DWORD>(state.lVal) & flag)) continue;
        wchar_t buf[128];
        UINT n = GetStateTextW(flag, buf, static_cast<UINT>(std::size(buf)));
        if (!out.empty()) out += ",";
        out += Utf8(buf, static_cast<int>(n));
    }
    return out.empty() ? "normal" : out;
}

// One element's line; empty when the object cannot even tell its role.
std::string ElementLine(IAccessible* acc, LONG id, long shownAs) {
    VARIANT child = ChildId(id), role, state;
    VariantInit(&role);
    VariantInit(&state);
    if (FAILED(acc->get_accRole(child, &role))) return {};
    acc->get_accState(child, &state);
    LONG l = 0, t = 0, w = 0, h = 0;
    acc->accLocation(&l, &t, &w, &h, child);
    BSTR name = nullptr, description = nullptr, shortcut = nullptr, action = nullptr;
    acc->get_accName(child, &name);
    acc->get_accDescription(child, &description);
    acc->get_accKeyboardShortcut(child, &shortcut);
    acc->get_accDefaultAction(child, &action);
    char place[128];
    std::snprintf(place, sizeof place, "%ld\t%s\t%s\t%ld,%ld,%ld,%ld\t", shownAs, RoleText(role).c_str(),
                  StateText(state).c_str(), l, t, l + w, t + h);
    VariantClear(&role);
    VariantClear(&state);
    return place + Taken(name) + "\t" + Taken(description) + "\t" + Taken(shortcut) + "\t" + Taken(action) + "\n";
}

// A child that is an object of its own (a child window), else null.
IAccessible* ChildObject(IAccessible* parent, LONG id) {
    IDispatch* dispatch = nullptr;
    if (parent->get_accChild(ChildId(id), &dispatch) != S_OK || !dispatch) return nullptr;
    IAccessible* acc = nullptr;
    dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&acc));
    dispatch->Release();
    return acc;
}

// What the parent says of a child; a parent that leaves it to the child's
// own object is asked for that. (Wine's objects for child windows answer
// next to nothing, so the parent's word comes first.)
std::string ChildLine(IAccessible* parent, LONG id) {
    std::string line = ElementLine(parent, id, id);
    if (!line.empty()) return line;
    if (IAccessible* own = ChildObject(parent, id)) {
        line = ElementLine(own, CHILDID_SELF, id);
        own->Release();
    }
    return line.empty() ? std::to_string(id) + "\t?\n" : line;
}

// Lists the elements of the window's client area, or presses one of them
// (press >= 0).
int Accessible(HWND hwnd, long press) {
    CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    IAccessible* acc = nullptr;
    HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&acc));
    if (FAILED(hr) || !acc) {
        std::fprintf(stderr, "probe: no accessible object (error 0x%lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    int status = 0;
    if (press >= 0) {
        hr = acc->accDoDefaultAction(ChildId(press));
        if (FAILED(hr)) {
            std::fprintf(stderr, "probe: no default action (error 0x%lx)\n", static_cast<unsigned long>(hr));
            status = 1;
        }
    } else {
        std::fputs(ElementLine(acc, CHILDID_SELF, 0).c_str(), stdout);
        long count = 0;
        acc->get_accChildCount(&count);
        for (long i = 1; i <= count; ++i) std::fputs(ChildLine(acc, i).c_str(), stdout);
    }
    acc->Release();
    CoUninitialize();
    return status;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: probe [--desktop NAME] windows | children HWND | close HWND |\n"
                 "       alive PID | kill PID | faces NAME... | manifest EXE |\n"
                 "       accessible HWND | press HWND CHILD\n");
    return 2;
}

int Run(int argc, char** argv) {
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--desktop") == 0) {
        if (!UseDesktop(argv[i + 1])) return 1;
        i += 2;
    }
    if (i >= argc) return Usage();
    const std::string cmd = argv[i];
    const int rest = argc - i - 1;
    char* arg = rest > 0 ? argv[i + 1] : nullptr;

    if (cmd == "windows" && rest == 0) {
        EnumWindows(PrintTopLevel, 0);
        return 0;
    }
    if (cmd == "faces" && rest > 0) return Faces(rest, argv + i + 1);
    if (cmd == "press" && rest == 2) {
        HWND hwnd = nullptr;
        unsigned long long child = 0;
        if (!ParseWindow(argv[i + 1], hwnd) || !ParseNumber(argv[i + 2], child) || child > 0x7fffffffULL)
            return Usage();
        return Accessible(hwnd, static_cast<long>(child));
    }
    if (rest != 1) return Usage();
    if (cmd == "manifest") return Manifest(arg);

    if (cmd == "children" || cmd == "close" || cmd == "accessible") {
        HWND hwnd = nullptr;
        if (!ParseWindow(arg, hwnd)) {
            std::fprintf(stderr, "probe: no window %s\n", arg);
            return 1;
        }
        if (cmd == "children") {
            EnumChildWindows(hwnd, PrintChild, 0);
            return 0;
        }
        if (cmd == "accessible") return Accessible(hwnd, -1);
        return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (cmd == "alive" || cmd == "kill") {
        unsigned long long pid = 0;
        if (!ParseNumber(arg, pid) || pid > 0xffffffffULL) return Usage();
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
        if (!process) return 1;
        bool ok = false;
        if (cmd == "alive")
            ok = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        else
            ok = TerminateProcess(process, 1) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
        CloseHandle(process);
        return ok ? 0 : 1;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends for the shell that reads us.
    _setmode(_fileno(stdout), _O_BINARY);
    int status = Run(argc, argv);
    std::fflush(stdout);
    return status;
}
