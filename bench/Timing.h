// How the benchmarks time a piece of work.
#pragma once

#include <windows.h>

#include <algorithm>

namespace bench {

inline double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

// Seconds per call, the best of several rounds: the machine is shared, and
// other work only ever makes a round slower. GDI's queued drawing is
// flushed inside the round.
template <class F>
double PerCall(int calls, F f) {
    constexpr int kRounds = 7;
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER a, b;
        ::QueryPerformanceCounter(&a);
        for (int i = 0; i < calls; ++i) f(i);
        ::GdiFlush();
        ::QueryPerformanceCounter(&b);
        best = std::min(best, Seconds(a, b) / calls);
    }
    return best;
}

}  // namespace bench
