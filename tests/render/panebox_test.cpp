#include "render/panebox.h"
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

TEST(PaneBox, PicturesLaidOutAtEachScale)
{
    // A box of 200 x 100 logical pixels.
    const struct {
        const char* what;
        QSize picture;
        bool fit;
        double ratio;
        QSize pixels;
        QRect area;
    } cases[] = {
        {"smaller, centred", {100, 60}, false, 1, {100, 60}, {50, 20, 100, 60}},
        {"larger, at the top left", {400, 300}, false, 1, {400, 300}, {0, 0, 400, 300}},
        {"fitted exactly", {400, 200}, true, 1, {200, 100}, {0, 0, 200, 100}},
        {"fitted by its height", {100, 400}, true, 1, {25, 100}, {87, 0, 25, 100}},
        {"fitted, enlarged", {50, 50}, true, 1, {100, 100}, {50, 0, 100, 100}},
        {"screen at 200 %", {300, 100}, false, 2, {300, 100}, {25, 25, 150, 50}},
        {"fitted at 200 %", {800, 800}, true, 2, {200, 200}, {50, 0, 100, 100}},
        {"one device pixel wider than the box at 150 %", {301, 100}, false, 1.5, {301, 100}, {0, 16, 201, 67}},
    };
    for (const auto& c : cases) {
        const PictureLayout layout = LayOutPicture(c.picture, c.fit, QSize(200, 100), c.ratio);
        EXPECT_EQ(layout.pixels, c.pixels) << c.what;
        EXPECT_EQ(layout.area, c.area) << c.what;
        EXPECT_EQ(layout.scrollBars, !c.fit) << c.what;
    }
}

TEST(PaneBox, ScrollBarsForAnAreaInTheBox)
{
    // Inner size 200 x 100, bars 10 thick.
    const struct {
        const char* what;
        QRect area;
        bool allowed, horizontal, vertical;
        QSize view;
        QPoint range;
    } cases[] = {
        {"fits", {25, 10, 150, 80}, true, false, false, {200, 100}, {0, 0}},
        {"wider only", {0, 0, 300, 80}, true, true, false, {200, 90}, {100, 0}},
        {"wider, and the bar covers its foot", {0, 0, 300, 95}, true, true, true, {190, 90}, {110, 5}},
        {"taller, and the bar covers its edge", {0, 0, 195, 150}, true, true, true, {190, 90}, {5, 60}},
        {"just as large as the box", {0, 0, 200, 100}, true, false, false, {200, 100}, {0, 0}},
        {"dragged half out", {-50, 0, 300, 80}, true, true, false, {200, 90}, {50, 0}},
        {"fitted: never bars", {0, 0, 300, 300}, false, false, false, {200, 100}, {100, 200}},
    };
    for (const auto& c : cases) {
        const ScrollBars bars = ScrollBarsFor(c.area, QSize(200, 100), 10, c.allowed);
        EXPECT_EQ(bars.horizontal, c.horizontal) << c.what;
        EXPECT_EQ(bars.vertical, c.vertical) << c.what;
        EXPECT_EQ(bars.view, c.view) << c.what;
        EXPECT_EQ(bars.range, c.range) << c.what;
    }
}

// A paint starts on a whole device pixel: at 150 % a widget at logical
// x = 11 begins at device x = 16.5 and is moved half a pixel on, so its
// first logical pixels cover device pixels -1 .. 14 of the moved widget.
TEST(PaneBox, APaintStartsOnAWholeDevicePixel)
{
    const struct {
        QPointF origin;
        QRect logical;
        double ratio;
        QPointF shift;
        QRect covered;
    } cases[] = {
        {{0, 0}, {0, 0, 10, 10}, 1.0, {0, 0}, {0, 0, 10, 10}},
        {{16.5, 0}, {0, 0, 10, 10}, 1.5, {0.5, 0}, {-1, 0, 16, 15}},
        {{16.4, 7.6}, {2, 3, 5, 4}, 2.0, {-0.4, 0.4}, {4, 5, 11, 9}},
    };
    for (const auto& c : cases) {
        const DeviceCover cover = CoverInDevicePixels(c.origin, c.logical, c.ratio);
        EXPECT_NEAR(cover.shift.x(), c.shift.x(), 1e-9) << c.ratio;
        EXPECT_NEAR(cover.shift.y(), c.shift.y(), 1e-9) << c.ratio;
        EXPECT_EQ(cover.covered, c.covered) << c.ratio;
    }
}

TEST(PaneBox, WhatOfThePictureIsDrawnAndSeen)
{
    EXPECT_EQ(DrawnSize({100, 50}, {200, 200}, false), QSize(100, 50));
    EXPECT_EQ(DrawnSize({100, 50}, {200, 200}, true), QSize(200, 100));
    EXPECT_EQ(DrawnSize({400, 100}, {200, 200}, false), QSize(200, 50));

    // A view of 50 x 40 logical pixels over a picture of 80 x 80 device
    // pixels at 150 %, scrolled by 10 x 20: device pixels from 15 x 30 on,
    // cut by the picture's edge.
    EXPECT_EQ(ShownPixels({-10, -20}, {50, 40}, 1.5, {80, 80}), QRect(QPoint(15, 30), QPoint(79, 79)));
    // Inside the picture the view's width and height in device pixels, no
    // more: 50 x 40 at 100 %, 75 x 60 at 150 %, and at 150 % from an odd
    // logical position a pixel cut at each edge (22.5 .. 97.5 -> 22 .. 97).
    EXPECT_EQ(ShownPixels({-10, -20}, {50, 40}, 1, {200, 200}), QRect(10, 20, 50, 40));
    EXPECT_EQ(ShownPixels({-10, -20}, {50, 40}, 1.5, {200, 200}), QRect(15, 30, 75, 60));
    EXPECT_EQ(ShownPixels({-15, 0}, {50, 40}, 1.5, {200, 200}), QRect(22, 0, 76, 60));
    // A pane larger than its picture sees all of it.
    EXPECT_EQ(ShownPixels({20, 10}, {200, 100}, 1, {100, 50}), QRect(0, 0, 100, 50));
}

TEST(PaneBox, WhatAPaintCopies)
{
    // A picture drawn at 100 x 80 device pixels.
    const struct {
        const char* what;
        QRect exposed, part;
        QRect to;
        QPoint from;
    } cases[] = {
        {"whole, exposed inside", {10, 20, 30, 30}, {}, {10, 20, 30, 30}, {10, 20}},
        {"whole, exposed past its corner", {90, 70, 30, 30}, {}, {90, 70, 10, 10}, {90, 70}},
        {"a part, exposed across its edge", {10, 20, 30, 30}, {20, 30, 10, 10}, {20, 30, 10, 10}, {0, 0}},
        {"a part, exposed within it", {25, 32, 4, 5}, {20, 30, 10, 10}, {25, 32, 4, 5}, {5, 2}},
        {"a part, exposed beside it", {0, 0, 10, 10}, {20, 30, 10, 10}, {}, {}},
    };
    for (const auto& c : cases) {
        const PaintCopy copy = CopyToPaint(c.exposed, QSize(100, 80), c.part);
        EXPECT_EQ(copy.to.isEmpty() ? QRect() : copy.to, c.to) << c.what;
        if (!c.to.isEmpty()) {
            EXPECT_EQ(copy.from, c.from) << c.what;
        }
    }
}

} // namespace
