// The row layout worked out without windows: where the bars of a dock row
// go for a dock length the dock does not have yet, and how many of their
// buttons fit, agree with where the dock then puts them.
#include "tests/bars/BarsTestSupport.h"

#include "bars/dxBarLayout.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

// A toolbar of the test form: which of the five buttons it shows.
struct BarShape {
    std::vector<int> buttons;
    int position = 0;  // DockedLeft, or DockedTop in a side dock
    const char* border = "bbsNone";
    bool mark = false;
    bool restSpace = false;
    bool visible = true;
};

ObjectNode FormWithBars(const std::vector<BarShape>& bars, bool vertical) {
    const char* dock = vertical ? "dsLeft" : "dsTop";
    std::vector<std::vector<Property>> collection;
    for (const BarShape& b : bars) {
        std::vector<std::vector<Property>> links;
        for (int i : b.buttons)
            links.push_back({{"Visible", Value::Bool(true)}, {"ItemName", Value::Str("btn" + std::to_string(i))}});
        collection.push_back({{"BorderStyle", Value::Id(b.border)},
                              {"DockingStyle", Value::Id(dock)},
                              {"DockedDockingStyle", Value::Id(dock)},
                              {"DockedLeft", Value::Int(vertical ? 0 : b.position)},
                              {"DockedTop", Value::Int(vertical ? b.position : 0)},
                              {"ItemLinks", Value::CollectionOf(links)},
                              {"ShowMark", Value::Bool(b.mark)},
                              {"SizeGrip", Value::Bool(false)},
                              {"UseRestSpace", Value::Bool(b.restSpace)},
                              {"Visible", Value::Bool(b.visible)}});
    }
    FormShape shape;
    shape.manager.push_back({"Bars", Value::CollectionOf(collection)});
    return MainLikeForm(shape);
}

int ShownButtons(const TdxBarControl& bar) {
    int shown = 0;
    for (int i = 0; i < bar.ControlCount(); ++i) shown += bar.Controls(i).Hidden() ? 0 : 1;
    return shown;
}

TEST(DockRowLayout, BarsGoWhereTheLayoutSaysBeforeTheDockHasItsLength) {
    // Buttons 75 wide and 52 high; a single border takes 9 along a
    // horizontal bar and 4 across it; a mark takes 11.
    MenuFont menu(13);
    struct Case {
        const char* name;
        bool vertical;
        std::vector<BarShape> bars;
        int length;                // of the dock
        std::vector<RECT> bounds;  // of the shown bars, in row order
        std::vector<int> shown;    // buttons each of them shows
    } cases[] = {
        {"one bar at its place", false, {{{0, 1}, 100, "bbsSingle"}}, 375, {Rect(100, 0, 259, 56)}, {2}},
        {"one bar kept inside the dock", false, {{{0, 1}, 300, "bbsSingle"}}, 300, {Rect(141, 0, 300, 56)}, {2}},
        {"bars wider than the dock: the last one shrinks",
         false,
         {{{0, 1, 2}, 0}, {{2, 3, 4}, 225, "bbsNone", true}},
         375,
         {Rect(0, 0, 225, 52), Rect(225, 0, 375, 52)},
         {3, 1}},
        {"bars much wider than the dock: both shrink",
         false,
         {{{0, 1, 2}, 0}, {{2, 3, 4}, 225, "bbsNone", true}},
         200,
         {Rect(0, 0, 114, 52), Rect(114, 0, 200, 52)},
         {1, 1}},
        {"a hidden bar takes no room",
         false,
         {{{0}, 0}, {{1, 2}, 75, "bbsNone", false, false, false}, {{3, 4}, 150}},
         375,
         {Rect(0, 0, 75, 52), Rect(150, 0, 300, 52)},
         {1, 2}},
        {"a bar takes the room up to the next",
         false,
         {{{0, 1}, 50, "bbsNone", false, true}, {{2}, 300}},
         375,
         {Rect(0, 0, 300, 52), Rect(300, 0, 375, 52)},
         {2, 1}},
        {"side dock", true, {{{0, 1}, 0}, {{2}, 200}}, 157, {Rect(0, 0, 75, 104), Rect(0, 105, 75, 157)}, {2, 1}},
        {"side dock shorter than its bars",
         true,
         {{{0, 1, 2}, 0}, {{3}, 200}},
         140,
         {Rect(0, 0, 75, 88), Rect(0, 88, 75, 140)},
         {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = LoadForm(FormWithBars(c.bars, c.vertical));
        TdxDockControl& dock =
            *form->Manager()->Bars().DockControl(c.vertical ? TdxBarDockingStyle::Left : TdxBarDockingStyle::Top);
        ASSERT_EQ(dock.RowCount(), 1);
        std::vector<TdxBarControl*> windows;
        std::vector<RECT> before;
        for (int i = 0; i < dock.Rows(0).ColCount(); ++i) {
            windows.push_back(&dock.Rows(0).Cols(i).BarControl());
            before.push_back(windows.back()->BoundsRect());
        }
        ASSERT_EQ(windows.size(), c.bounds.size());

        const TdxDockRowLayout layout = ArrangeDockRow(dock.RowBars(0), c.length, false);
        for (std::size_t i = 0; i < windows.size(); ++i) EXPECT_EQ(windows[i]->BoundsRect(), before[i]) << i;

        if (c.vertical) form->SetClientSize(375, c.length);
        else form->SetClientSize(c.length, 157);
        ASSERT_EQ(layout.bars.size(), windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            SCOPED_TRACE(i);
            const TdxDockRowPlace& p = layout.bars[i];
            const RECT worked = c.vertical ? Rect(0, p.along, layout.thickness, p.along + p.length)
                                           : Rect(p.along, 0, p.along + p.length, layout.thickness);
            EXPECT_EQ(worked, c.bounds[i]);
            EXPECT_EQ(p.fitting, c.shown[i]);
            EXPECT_EQ(windows[i]->BoundsRect(), c.bounds[i]);
            EXPECT_EQ(ShownButtons(*windows[i]), c.shown[i]);
        }
    }
}

}  // namespace
