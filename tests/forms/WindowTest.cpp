// The window layer: handle owners.
#include <gtest/gtest.h>

#include "forms/Forms.h"
#include "forms/Handles.h"

using namespace forms;

namespace {

LRESULT CALLBACK PassOn(int code, WPARAM wParam, LPARAM lParam) { return ::CallNextHookEx(nullptr, code, wParam, lParam); }

// Makes an owner, moves it on and checks that its handle is counted once
// while owned and freed with its last owner (where `alive` can tell).
template <class Owner, class Make, class Alive>
void ExpectCountedOnce(const char* kind, long HandleCount::*group, Make make, Alive alive) {
    SCOPED_TRACE(kind);
    const HandleCount before = LiveHandles();
    typename Owner::Handle raw = nullptr;
    {
        Owner first = make();
        raw = first.Get();
        ASSERT_TRUE(raw);
        EXPECT_EQ(LiveHandles().*group, before.*group + 1);
        Owner second = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        EXPECT_EQ(LiveHandles().*group, before.*group + 1);
        EXPECT_TRUE(alive(raw, true));
    }
    EXPECT_TRUE(alive(raw, false)) << "not freed";
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

TEST(Handles, EachKindIsCountedWhileOwnedAndFreedWithItsLastOwner) {
    const BYTE andBits[32] = {}, xorBits[32] = {};
    auto gdiObject = [](HGDIOBJ h, bool alive) { return (::GetObjectType(h) != 0) == alive; };
    auto iconLike = [](HICON h, bool alive) {
        ICONINFO info{};
        bool valid = ::GetIconInfo(h, &info) != FALSE;
        if (valid) {
            ::DeleteObject(info.hbmMask);
            ::DeleteObject(info.hbmColor);
        }
        return valid == alive;
    };
    auto unknowable = [](auto, bool) { return true; };  // no harmless test of a freed one
    ExpectCountedOnce<Brush>("brush", &HandleCount::gdi, [] { return Brush(::CreateSolidBrush(RGB(1, 2, 3))); },
                             gdiObject);
    ExpectCountedOnce<Region>("region", &HandleCount::gdi, [] { return Region(::CreateRectRgn(0, 0, 4, 4)); },
                              gdiObject);
    ExpectCountedOnce<MemoryDC>("memory DC", &HandleCount::gdi, [] { return MemoryDC(); }, gdiObject);
    // A window's DC goes back to the system's cache, still a DC.
    ExpectCountedOnce<WindowDC>("window DC", &HandleCount::gdi, [] { return WindowDC(); }, unknowable);
    ExpectCountedOnce<NonClientDC>("whole-window DC", &HandleCount::gdi,
                                   [] { return NonClientDC(Application().Handle()); }, unknowable);
    ExpectCountedOnce<ImageListHandle>("image list", &HandleCount::gdi,
                                       [] { return ImageListHandle(::ImageList_Create(16, 16, ILC_COLOR32, 1, 1)); },
                                       unknowable);
    ExpectCountedOnce<Icon>("icon", &HandleCount::user,
                            [&] { return Icon(::CreateIcon(nullptr, 16, 16, 1, 1, andBits, xorBits)); }, iconLike);
    ExpectCountedOnce<Cursor>("cursor", &HandleCount::user,
                              [&] { return Cursor(::CreateCursor(nullptr, 0, 0, 16, 16, andBits, xorBits)); }, iconLike);
    ExpectCountedOnce<Menu>("menu", &HandleCount::user, [] { return Menu(::CreateMenu()); },
                            [](HMENU h, bool alive) { return (::IsMenu(h) != FALSE) == alive; });
    ExpectCountedOnce<Hook>("hook", &HandleCount::user,
                            [] { return Hook(::SetWindowsHookExA(WH_CALLWNDPROC, PassOn, nullptr, ::GetCurrentThreadId())); },
                            unknowable);
}

}  // namespace
