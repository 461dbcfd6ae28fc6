#include "panes/panesync.h"
#include <gtest/gtest.h>

using namespace tetrafot;

// A move as the failure message shows it.
void PrintTo(const PictureMove& m, std::ostream* os)
{
    *os << "pane " << m.pane << " by " << m.by.x() << "," << m.by.y();
}

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

TEST(PaneSync, WhatASynchronizedWalkShowsOfTheNextPhoto)
{
    // A box of 200 x 150; the view is the box less any scroll bars.
    const struct { const char* what; QPointF centre; QSize picture; QSize view; QRect part; } cases[] = {
        {"middle of a larger photo", {0.5, 0.5}, {400, 300}, {200, 150}, {100, 75, 200, 150}},
        {"a corner, held by the edges", {1.0, 0.0}, {400, 300}, {200, 150}, {200, 0, 200, 150}},
        {"a photo smaller than the pane: all of it", {0.9, 0.1}, {100, 60}, {200, 150}, {0, 0, 100, 60}},
        // Centred in the box (2, 25) but wider than the view the bars leave:
        // 95 - 97.5 rounds away from zero.
        {"just wider than the view", {0.5, 0.5}, {195, 100}, {190, 140}, {3, 0, 190, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SynchronizedPart(c.centre, c.picture, QSize(200, 150), c.view), c.part) << c.what;
}

TEST(PaneSync, DraggingMovesTheCurrentPaneAndTheSynchronizedOthers)
{
    // Views of 200 x 150. Pane 2 shows a photo twice as large as pane 1's,
    // pane 3 nothing, pane 4 one that fits.
    ShownPictures panes;
    panes[0] = {{0, 0, 400, 300}, kView, true};
    panes[1] = {{0, 0, 800, 600}, kView, true};
    panes[2] = {{}, kView, false};
    panes[3] = {{25, 35, 150, 80}, kView, true};
    // Pane 1 moved by (30, 10) shows (100 - 30) / 400, (75 - 10) / 300 in
    // its middle; pane 2 brings that point there: 100 - 0.175 * 800 and
    // 75 - 0.21667 * 600.
    const std::vector<PictureMove> synced = {{1, {30, 10}}, {2, {-40, -55}}, {4, {0, 0}}};
    const std::vector<PictureMove> alone = {{1, {30, 10}}};
    const struct { const char* what; bool shift, sync; std::vector<PictureMove> moves; } cases[] = {
        {"synchronized", false, true, synced},
        {"Shift: alone", true, true, alone},
        {"not synchronized", false, false, alone},
    };
    for (const auto& c : cases) {
        PictureDrag drag;
        drag.press(1, {10, 10}, c.shift);
        EXPECT_EQ(drag.pane(), 1);
        EXPECT_EQ(drag.move(1, 1, {40, 20}, c.sync, panes), c.moves) << c.what;
        // The grabbed point is under the mouse again: the next move counts from it.
        EXPECT_EQ(drag.move(1, 1, {5, 10}, false, panes), std::vector<PictureMove>({{1, {-5, 0}}})) << c.what;
        drag.release();
        EXPECT_TRUE(drag.move(1, 1, {50, 50}, c.sync, panes).empty()) << c.what;
    }
}

TEST(PaneSync, ADragOverAnotherPaneEndsOrNeverStarts)
{
    ShownPictures panes;
    for (auto& p : panes)
        p = {{0, 0, 400, 300}, kView, true};
    PictureDrag drag;
    drag.press(1, {10, 10}, false);
    EXPECT_TRUE(drag.move(2, 1, {40, 20}, true, panes).empty());   // over pane 2's picture
    EXPECT_EQ(drag.pane(), 0);
    EXPECT_TRUE(drag.move(1, 1, {40, 20}, true, panes).empty());   // and back: still ended

    // The current pane changed (an arrow key) while the button was down:
    // nothing moves, and the drag is not ended by the new current pane.
    drag.press(1, {10, 10}, false);
    EXPECT_TRUE(drag.move(2, 2, {40, 20}, true, panes).empty());
    EXPECT_EQ(drag.pane(), 1);
}

} // namespace
