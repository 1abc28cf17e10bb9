// Cost of one DrawImage call of a 32 x 32 picture in each mode, against a
// plain BitBlt of the same area, and the live handle count around it all.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/Timing.h"
#include "controls/Startup.h"
#include "controls/cxGraphics.h"
#include "forms/Forms.h"
#include "forms/Handles.h"

using namespace controls;

using bench::PerCall;

namespace {

constexpr int kSize = 32;

// A soft-edged disc with a highlight: alpha from 0 to 255, premultiplied.
void PaintPicture(TcxBitmap32& picture) {
    auto px = picture.Pixels();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - 15.5, dy = y - 15.5, d = dx * dx + dy * dy;
            const double a = d < 144 ? 1.0 : d < 225 ? (225 - d) / 81 : 0.0;
            const auto alpha = static_cast<std::uint32_t>(a * 255 + 0.5);
            const std::uint32_t r = alpha * (200 - x * 3) / 255, g = alpha * (60 + y * 4) / 255, b = alpha * 90 / 255;
            px[static_cast<std::size_t>(y) * kSize + x] = alpha << 24 | r << 16 | g << 8 | b;
        }
    picture.Modified();
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 5000;
    forms::InitializeForms();
    InitializeControls();
    const forms::HandleCount before = forms::LiveHandles();
    {
        TcxImageList list(nullptr, kSize, kSize);
        TcxBitmap32 picture(kSize, kSize);
        PaintPicture(picture);
        list.AddPicture(&picture);

        // The target: a 32-bit DIB with something behind the picture.
        TcxBitmap32 target(4 * kSize, 4 * kSize);
        for (auto& p : target.Pixels()) p = 0x009EBEF5;
        target.Modified();
        forms::MemoryDC dc;
        forms::SelectGuard select(dc.Get(), target.Handle());
        TcxBitmap32 source(kSize, kSize);
        forms::MemoryDC sourceDC;
        forms::SelectGuard selectSource(sourceDC.Get(), source.Handle());

        const double blt = PerCall(calls, [&](int i) {
            ::BitBlt(dc.Get(), i % 64, 8, kSize, kSize, sourceDC.Get(), 0, 0, SRCCOPY);
        });
        std::printf("%d calls each, best of 7 rounds; BitBlt of %dx%d: %.2f us\n", calls, kSize, kSize, blt * 1e6);

        struct Mode {
            const char* name;
            ImageDrawMode mode;
        };
        const Mode modes[] = {{"Normal", ImageDrawMode::Normal},     {"Disabled", ImageDrawMode::Disabled},
                              {"Faded", ImageDrawMode::Faded},       {"Grayscale", ImageDrawMode::Grayscale},
                              {"Pale", ImageDrawMode::Pale},         {"Shadowed", ImageDrawMode::Shadowed}};
        struct Path {
            const char* name;
            TcxBlendPath path;
        };
        const Path paths[] = {{"AlphaBlend", TcxBlendPath::AlphaBlend},
                              {"GDI+", TcxBlendPath::GdiPlus},
                              {"pixels", TcxBlendPath::Pixels}};
        const TcxBlendPath autoPath = ResolvedBlendPath();
        std::printf("%d-bit build, %s; Auto blends with %s\n", int(sizeof(void*) * 8),
                    RunningUnderWow64() ? "under WOW64" : "not under WOW64",
                    autoPath == TcxBlendPath::Pixels ? "pixels" : "AlphaBlend");
        std::printf("%-10s", "");
        for (const Path& p : paths) std::printf(" %18s", p.name);
        std::printf("\n");
        for (const Mode& m : modes) {
            std::printf("%-10s", m.name);
            for (const Path& p : paths) {
                SetBlendPath(p.path);
                const double t = PerCall(calls, [&](int i) {
                    const RECT r{i % 64, 8, i % 64 + kSize, 8 + kSize};
                    DrawImage(dc.Get(), r, r, nullptr, &list, 0, m.mode);
                });
                std::printf(" %7.2f us %5.1fx%s", t * 1e6, t / blt, p.path == autoPath ? "*" : " ");
            }
            std::printf("\n");
        }
        SetBlendPath(TcxBlendPath::Auto);
        std::printf("(times per call and against BitBlt; * marks the path Auto takes)\n");
    }
    const forms::HandleCount held = forms::LiveHandles();
    FinalizeControls();
    const forms::HandleCount after = forms::LiveHandles();
    std::printf("live GDI handles: %ld before, %ld with the scratch bitmaps, %ld after shutdown; USER: %ld, %ld\n",
                before.gdi, held.gdi, after.gdi, before.user, after.user);
    return 0;
}
