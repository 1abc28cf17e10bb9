// Quorva against an empty Win32 window: from process start to the first
// paint of the main window, and the private memory once it waits for
// input. Also against an empty window that loads the common controls and
// paints a line of text, which is what Wine's system libraries alone cost
// a program like this one, and against one that also makes Quorva's
// windows, empty, which is what Wine's window system alone costs it.
//
//   startup_bench [QUORVA_EXE [EMPTY_EXE [ROUNDS]]]
//
// Both programs are taken from the folders next to this one by default.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/Timing.h"

namespace {

struct Started {
    double toFirstPaint = 0;    // seconds
    SIZE_T privateBytes = 0;
};

// Whether a visible window still waits for a paint, and so each of its
// visible children.
BOOL CALLBACK ChildWaitsForPaint(HWND child, LPARAM waits) noexcept {
    if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(waits) = true;
        return FALSE;
    }
    return TRUE;
}

// The main window of a class has been painted once it is visible and no
// part of it or of its children waits for a paint any more. The program
// may go on with work it left for later; the window is on the screen.
bool Painted(const char* windowClass) {
    HWND window = ::FindWindowA(windowClass, nullptr);
    if (!window || !::IsWindowVisible(window) || ::GetUpdateRect(window, nullptr, FALSE)) return false;
    bool waits = false;
    ::EnumChildWindows(window, ChildWaitsForPaint, reinterpret_cast<LPARAM>(&waits));
    return !waits;
}

bool Start(const std::string& exe, const char* arguments, const char* windowClass, Started& result) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\" " + arguments;
    LARGE_INTEGER from, to;
    ::QueryPerformanceCounter(&from);
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
        return false;
    }
    bool painted = false;
    for (int i = 0; i < 30000 && !(painted = Painted(windowClass)); ++i) ::Sleep(1);
    ::QueryPerformanceCounter(&to);
    result.toFirstPaint = bench::Seconds(from, to);
    // Memory once the start has settled.
    ::Sleep(500);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine leaves PrivateUsage of another process at zero; the page-file
    // share is the same figure on Windows.
    result.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // The window system clears away what the program left after it has
    // gone; the next start should not share the machine with that.
    ::Sleep(300);
    if (!painted) {
        std::fprintf(stderr, "%s did not paint its window\n", exe.c_str());
        return false;
    }
    return true;
}

std::string NextToThisProgram(const char* relative) {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.erase(dir.find_last_of("\\/") + 1);
    return dir + relative;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string quorva = argc > 1 ? argv[1] : NextToThisProgram("..\\app\\Quorva.exe");
    const std::string empty = argc > 2 ? argv[2] : NextToThisProgram("empty_window.exe");
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;

    // The best of several starts: the machine is shared, and other work
    // only ever makes a start slower. The programs take turns, so a slow
    // spell of the machine falls on each of them alike. The first start of
    // each warms the file cache and is not counted. Memory: the most any
    // start used.
    constexpr int kPrograms = 4;
    Started best[kPrograms];
    const std::string* programs[kPrograms] = {&quorva, &empty, &empty, &empty};
    const char* arguments[kPrograms] = {"", "", "/common-controls", "/same-windows"};
    const char* windowClasses[kPrograms] = {"TfrmMain", "QuorvaEmptyWindow", "QuorvaEmptyWindow", "QuorvaEmptyWindow"};
    for (int p = 0; p < kPrograms; ++p) {
        Started warm;
        if (!Start(*programs[p], arguments[p], windowClasses[p], warm)) return 1;
        best[p].toFirstPaint = 1e9;
    }
    for (int r = 0; r < rounds; ++r)
        for (int p = 0; p < kPrograms; ++p) {
            Started one;
            if (!Start(*programs[p], arguments[p], windowClasses[p], one)) return 1;
            best[p].toFirstPaint = std::min(best[p].toFirstPaint, one.toFirstPaint);
            best[p].privateBytes = std::max(best[p].privateBytes, one.privateBytes);
        }
    std::printf("start to first paint       %8.1f ms  empty window %8.1f ms  %5.2fx (target at most 1.2x)\n",
                best[0].toFirstPaint * 1e3, best[1].toFirstPaint * 1e3, best[0].toFirstPaint / best[1].toFirstPaint);
    std::printf("  with common controls and text          empty window %8.1f ms  %5.2fx; Quorva %5.2fx of it\n",
                best[2].toFirstPaint * 1e3, best[2].toFirstPaint / best[1].toFirstPaint,
                best[0].toFirstPaint / best[2].toFirstPaint);
    std::printf("  with Quorva's windows, empty           empty window %8.1f ms  %5.2fx; Quorva %5.2fx of it\n",
                best[3].toFirstPaint * 1e3, best[3].toFirstPaint / best[1].toFirstPaint,
                best[0].toFirstPaint / best[3].toFirstPaint);
    const double extra = (double(best[0].privateBytes) - double(best[1].privateBytes)) / (1024.0 * 1024.0);
    std::printf("private memory             %8.1f MB  empty window %8.1f MB  %+5.2f MB (target at most +4 MB)\n",
                double(best[0].privateBytes) / (1024.0 * 1024.0), double(best[1].privateBytes) / (1024.0 * 1024.0),
                extra);
    return 0;
}
