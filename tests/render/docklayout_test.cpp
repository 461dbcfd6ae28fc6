#include "render/docklayout.h"
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

using A = DockLayout::Align;

DockLayout Make(const std::vector<std::pair<A, int>>& items)
{
    DockLayout layout;
    for (const auto& [align, size] : items)
        layout.add(align, size);
    return layout;
}

TEST(DockLayout, EdgesInTheirOrderThenTheClient)
{
    // A second Top added after a Left still goes before it; the hidden
    // Bottom takes no room.
    const DockLayout layout =
        Make({{A::Top, 10}, {A::Left, 20}, {A::Bottom, 5}, {A::Top, 7}, {A::Client, 0}, {A::Right, 30}});
    const std::vector<bool> shown = {true, true, false, true, true, true};
    const std::vector<QRect> expected = {
        {0, 0, 100, 10}, {0, 17, 20, 63}, {}, {0, 10, 100, 7}, {20, 17, 50, 63}, {70, 17, 30, 63},
    };
    EXPECT_EQ(layout.rects(QRect(0, 0, 100, 80), shown), expected);
}

TEST(DockLayout, PanelsTakeAtMostWhatIsLeftAndAThinClientCollapses)
{
    const struct {
        const char* what;
        std::vector<std::pair<A, int>> items;
        QRect room;
        std::vector<QRect> rects;
    } cases[] = {
        {"second top cut, client empty", {{A::Top, 20}, {A::Top, 20}, {A::Client, 0}}, {0, 0, 100, 30},
         {{0, 0, 100, 20}, {0, 20, 100, 10}, {0, 30, 0, 0}}},
        {"client one pixel wide", {{A::Left, 99}, {A::Client, 0}}, {0, 0, 100, 50}, {{0, 0, 99, 50}, {99, 0, 0, 0}}},
        {"client two pixels wide", {{A::Right, 98}, {A::Client, 0}}, {5, 5, 100, 50}, {{7, 5, 98, 50}, {5, 5, 2, 50}}},
        {"inset room, bottom", {{A::Bottom, 17}, {A::Client, 0}}, {7, 7, 86, 86}, {{7, 76, 86, 17}, {7, 7, 86, 69}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Make(c.items).rects(c.room, std::vector<bool>(c.items.size(), true)), c.rects) << c.what;
}

TEST(DockLayout, TheSplittersNeighbourAndItsDraggedSize)
{
    // Caption at the bottom, then metadata panel, splitter and box as a
    // pane's quarter has them.
    const DockLayout layout = Make({{A::Bottom, 17}, {A::Right, 1}, {A::Right, 4}, {A::Client, 0}});
    EXPECT_EQ(layout.before(2, {true, true, true, true}), 1);
    EXPECT_EQ(layout.before(2, {true, false, true, true}), -1);   // a hidden panel is not resized
    EXPECT_EQ(layout.before(1, {true, true, true, true}), -1);
    EXPECT_EQ(layout.size(3), 0);   // the client has no docked size

    const struct { A align; int start, delta, size; } drags[] = {
        {A::Left, 100, 25, 125}, {A::Right, 100, 25, 75}, {A::Bottom, 10, 20, 1}, {A::Top, 50, -60, 1},
    };
    for (const auto& d : drags)
        EXPECT_EQ(DockLayout::dragged(d.align, d.start, d.delta), d.size) << d.align << " " << d.delta;
}

} // namespace
