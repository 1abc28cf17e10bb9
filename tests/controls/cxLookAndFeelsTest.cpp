// Look-and-feel settings: inheritance from masters and the root, change
// propagation, painter resolution, the system-colour listener and the
// theme manager.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/cxLookAndFeels.h"
#include "controls/dxThemeManager.h"
#include "forms/Handles.h"
#include "tests/controls/LookAndFeelTestSupport.h"

using namespace controls;
using namespace controlstest;
using K = TcxLookAndFeelKind;

namespace {

// Writes down the changes a look-and-feel tells its owner.
struct ChangeLog {
    explicit ChangeLog(TcxLookAndFeel& lf) {
        lf.OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues changed) { seen.push_back(changed); };
    }
    std::vector<TcxLookAndFeelValues> seen;
};

// Puts the root back to its built-in defaults after a test.
struct RootGuard {
    ~RootGuard() { RootLookAndFeel()->Reset(); }
};

void SendSysColorChange() {
    ASSERT_NE(TcxSystemPaletteChangedListener::Instance(), nullptr);
    ::SendMessageA(TcxSystemPaletteChangedListener::Instance()->Handle(), WM_SYSCOLORCHANGE, 0, 0);
}

}  // namespace

TEST(LookAndFeel, TheRootChangesReachOnlyWhatIsNotAssigned) {
    RootGuard guard;
    TcxLookAndFeel follower, own;
    own.SetKind(K::lfFlat);
    ChangeLog followerLog(follower), ownLog(own);
    EXPECT_EQ(follower.Kind(), K::lfUltraFlat);
    EXPECT_EQ(follower.Painter(), TcxUltraFlatLookAndFeelPainter::Class());

    RootLookAndFeel()->SetKind(K::lfStandard);
    EXPECT_EQ(follower.Kind(), K::lfStandard);
    EXPECT_EQ(follower.Painter(), TcxStandardLookAndFeelPainter::Class());
    EXPECT_EQ(followerLog.seen, std::vector<TcxLookAndFeelValues>{lfvKind});
    EXPECT_EQ(own.Kind(), K::lfFlat);
    EXPECT_TRUE(ownLog.seen.empty());

    // Writing the value it already has changes nothing to tell.
    followerLog.seen.clear();
    follower.SetKind(K::lfStandard);
    EXPECT_TRUE(followerLog.seen.empty());
    EXPECT_EQ(follower.AssignedValues(), lfvKind);
    // Un-assigned, it follows the root again.
    RootLookAndFeel()->SetKind(K::lfFlat);
    EXPECT_EQ(follower.Kind(), K::lfStandard);
    follower.SetAssignedValues(0);
    EXPECT_EQ(follower.Kind(), K::lfFlat);
    EXPECT_EQ(followerLog.seen, std::vector<TcxLookAndFeelValues>{lfvKind});
}

TEST(LookAndFeel, MastersPassTheirValuesDownAndLetGoWhenDestroyed) {
    TcxLookAndFeel child;
    ChangeLog log(child);
    {
        TcxLookAndFeel master;
        master.SetKind(K::lfOffice11);
        child.SetMasterLookAndFeel(&master);
        EXPECT_EQ(child.Kind(), K::lfOffice11);
        EXPECT_EQ(child.Painter(), TcxOffice11LookAndFeelPainter::Class());
        master.SetSkinName("Blue");
        EXPECT_EQ(child.SkinName(), "Blue");
        EXPECT_EQ(log.seen, (std::vector<TcxLookAndFeelValues>{lfvKind, lfvSkinName}));
        log.seen.clear();
    }
    EXPECT_EQ(child.MasterLookAndFeel(), nullptr);
    EXPECT_EQ(child.Kind(), K::lfUltraFlat);
    EXPECT_EQ(child.SkinName(), "");
    EXPECT_EQ(log.seen, std::vector<TcxLookAndFeelValues>{lfvKind | lfvSkinName});
}

TEST(LookAndFeel, AMasterThatInheritsFromItIsRefused) {
    TcxLookAndFeel a, b;
    b.SetMasterLookAndFeel(&a);
    a.SetMasterLookAndFeel(&b);
    a.SetMasterLookAndFeel(&a);
    EXPECT_EQ(a.MasterLookAndFeel(), nullptr);
    a.SetKind(K::lfFlat);
    EXPECT_EQ(b.Kind(), K::lfFlat);
    RootLookAndFeel()->SetMasterLookAndFeel(&a);
    EXPECT_EQ(RootLookAndFeel()->MasterLookAndFeel(), nullptr);
}

TEST(LookAndFeel, AssignTakesOwnValuesAndMaster) {
    TcxLookAndFeel master, source, target;
    master.SetKind(K::lfStandard);
    source.SetMasterLookAndFeel(&master);
    source.SetNativeStyle(true);
    ChangeLog log(target);
    target.Assign(source);
    EXPECT_EQ(target.MasterLookAndFeel(), &master);
    EXPECT_EQ(target.AssignedValues(), lfvNativeStyle);
    EXPECT_EQ(target.Kind(), K::lfStandard);
    EXPECT_EQ(log.seen, std::vector<TcxLookAndFeelValues>{lfvKind | lfvNativeStyle});
}

TEST(LookAndFeel, NativeStyleResolvesByTheVisualStyles) {
    struct Case {
        bool visualStyles;
        bool native;
        K kind;
        TcxLookAndFeelPainterClass painter;
    };
    const Case cases[] = {
        {false, true, K::lfUltraFlat, TcxUltraFlatLookAndFeelPainter::Class()},
        {true, true, K::lfUltraFlat, TcxWinXPLookAndFeelPainter::Class()},
        {true, false, K::lfUltraFlat, TcxUltraFlatLookAndFeelPainter::Class()},
        {true, true, K::lfOffice11, TcxWinXPLookAndFeelPainter::Class()},
        {false, true, K::lfFlat, TcxFlatLookAndFeelPainter::Class()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.visualStyles << c.native << int(c.kind));
        VisualStyles styles(c.visualStyles);
        TcxLookAndFeel lf;
        lf.SetNativeStyle(c.native);
        if (c.kind != K::lfUltraFlat) lf.SetKind(c.kind);
        EXPECT_EQ(lf.Painter(), c.painter);
    }
    TcxLookAndFeel lf;
    lf.SetPainter(TcxStandardLookAndFeelPainter::Class());
    EXPECT_EQ(lf.Painter(), TcxStandardLookAndFeelPainter::Class());
    EXPECT_EQ(KindOfPainterStyle(3), K::lfStandard);
    EXPECT_EQ(KindOfPainterStyle(4), K::lfOffice11);
}

TEST(LookAndFeel, ControllersSetTheRootAndTheLastOneGoingResetsIt) {
    {
        TcxLookAndFeel follower;
        auto first = std::make_unique<TcxLookAndFeelController>(nullptr);
        auto second = std::make_unique<TcxLookAndFeelController>(nullptr);
        first->SetKind(K::lfStandard);
        EXPECT_EQ(follower.Kind(), K::lfStandard);
        EXPECT_EQ(second->Kind(), K::lfStandard);
        first.reset();
        EXPECT_EQ(follower.Kind(), K::lfStandard);
        second.reset();
        EXPECT_EQ(follower.Kind(), K::lfUltraFlat);
        EXPECT_EQ(RootLookAndFeel()->AssignedValues(), 0u);
    }
    // Only the root takes a controller.
    TcxLookAndFeel other;
    TcxLookAndFeelController controller(nullptr);
    other.AddChangeListener(&controller);
    controller.SetKind(K::lfFlat);
    EXPECT_EQ(other.Kind(), K::lfFlat);
    controller.Reset();
    EXPECT_EQ(RootLookAndFeel()->Kind(), K::lfUltraFlat);
}

TEST(SystemPaletteListener, PrimaryFirstThenInOrderAndSafeAgainstLeaving) {
    std::vector<std::string> calls;
    std::unique_ptr<TcxSystemPaletteChangedNotifier> b;
    TcxSystemPaletteChangedNotifier a([&] { calls.push_back("a"); });
    b = std::make_unique<TcxSystemPaletteChangedNotifier>([&] {
        calls.push_back("b");
        b.reset();  // ends its own subscription while being called
    });
    std::unique_ptr<TcxSystemPaletteChangedNotifier> c;
    TcxSystemPaletteChangedNotifier primary([&] {
        calls.push_back("primary");
        c.reset();  // and another one's
    }, true);
    c = std::make_unique<TcxSystemPaletteChangedNotifier>([&] { calls.push_back("c"); });
    SendSysColorChange();
    EXPECT_EQ(calls, (std::vector<std::string>{"primary", "a", "b"}));
    calls.clear();
    SendSysColorChange();
    EXPECT_EQ(calls, (std::vector<std::string>{"primary", "a"}));
}

TEST(SystemPaletteListener, AColourChangeResolvesPaintersAgainButAThemeChangeDoesNot) {
    VisualStyles off(false);
    TcxLookAndFeel lf;
    lf.SetNativeStyle(true);
    ChangeLog log(lf);
    ASSERT_EQ(lf.Painter(), TcxUltraFlatLookAndFeelPainter::Class());
    forms::SetVisualStylesActive(true);
    if (HWND theme = ThemeChangedWindow()) {
        ::SendMessageA(theme, WM_THEMECHANGED, 0, 0);
        forms::SetVisualStylesActive(true);
    }
    EXPECT_EQ(lf.Painter(), TcxUltraFlatLookAndFeelPainter::Class());
    SendSysColorChange();
    EXPECT_EQ(lf.Painter(), TcxWinXPLookAndFeelPainter::Class());
    EXPECT_EQ(log.seen, std::vector<TcxLookAndFeelValues>{lfvNativeStyle});
}

TEST(ThemeManager, CachesHandlesAndClosesThemOnAThemeChange) {
    HWND window = ThemeChangedWindow();
    if (!window) GTEST_SKIP() << "no visual-styles library";
    VisualStyles on(true);
    CloseAllThemes();
    forms::HandleCount before = forms::LiveHandles();
    HTHEME button = OpenTheme(TdxThemedObjectType::totButton);
    if (!button) GTEST_SKIP() << "the \"Button\" class does not open";
    EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), button);
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi + 1);
    // Another class list replaces the cached handle.
    EXPECT_NE(OpenTheme(TdxThemedObjectType::totButton, L"ToolBar"), nullptr);
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi + 1);

    int told = 0;
    bool flagWhenTold = true;
    TdxThemeChangedNotificator notificator([&] {
        ++told;
        flagWhenTold = forms::VisualStylesActive();
    });
    forms::SetVisualStylesActive(!forms::QueryVisualStylesActive());
    ::SendMessageA(window, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(forms::VisualStylesActive(), forms::QueryVisualStylesActive());
    EXPECT_EQ(flagWhenTold, forms::QueryVisualStylesActive());
}

TEST(ThemeManager, NothingOpensWithoutVisualStyles) {
    VisualStyles off(false);
    EXPECT_FALSE(AreVisualStylesAvailable());
    EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), nullptr);
    EXPECT_STREQ(ThemedObjectClassName(TdxThemedObjectType::totWindow), L"Window");
    EXPECT_STREQ(ThemedObjectClassName(TdxThemedObjectType::totTrayNotify), L"TrayNotify");
}
