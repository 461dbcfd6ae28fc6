#include "panes/panesync.h"
#include <gtest/gtest.h>

namespace {

// A view of 200 x 150 pixels; its middle is (100, 75).
const QSize kView(200, 150);

TEST(PaneSync, ThePointInTheMiddleOfTheView)
{
    const struct { QRect shown; QPointF centre; } cases[] = {
        {{0, 0, 400, 300}, {0.25, 0.25}},
        {{-100, -150, 400, 300}, {0.5, 0.75}},
        {{-300, 0, 400, 100}, {1.0, 0.5}},   // fits in height: its middle
        {{0, 0, 0, 0}, {0.5, 0.5}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ViewCentre(c.shown, kView), c.centre) << c.shown.x() << "," << c.shown.width();
}

TEST(PaneSync, PlacingAPointInTheMiddle)
{
    const struct { QPointF centre; QRect shown; QPoint placed; } cases[] = {
        // 100 - 0.5 * 800, 75 - 0.75 * 600: the same point of a photo twice as large.
        {{0.5, 0.75}, {0, 0, 800, 600}, {-300, -375}},
        // Held by the edges: x at most 0, y at least 150 - 600.
        {{0.0, 1.0}, {-40, -40, 800, 600}, {0, -450}},
        // Along an axis where the picture fits it stays where it lies.
        {{0.9, 0.1}, {30, 20, 100, 80}, {30, 20}},
        {{0.5, 0.9}, {0, 35, 400, 80}, {-100, 35}},
        {{1.0 / 3, 0.5}, {0, 0, 301, 300}, {0, -75}},   // -0.33 rounds to 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceAtCentre(c.centre, c.shown, kView), c.placed) << c.centre.x() << "," << c.centre.y();
    EXPECT_EQ(ViewCentre(QRect(-300, -375, 800, 600), kView), QPointF(0.5, 0.75));
}

} // namespace
