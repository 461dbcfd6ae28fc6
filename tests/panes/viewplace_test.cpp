#include "panes/viewplace.h"
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

// A box of 200 x 100 logical pixels without a frame, bars 10 thick.
ViewPlace Place(double ratio)
{
    ViewPlace place;
    place.measure({QSize(200, 100), QSize(200, 100), 10, ratio});
    return place;
}

TEST(ViewPlace, LaidOutScrolledAndSeen)
{
    const struct {
        const char* what;
        double ratio;
        QSize picture;
        bool fit;
        QPoint scrollAsked;
        QRect area;
        QSize view;
        QPoint scroll;
        QRect seen;   // device pixels of the picture
    } cases[] = {
        {"larger: both bars, scroll held in their range", 1, {400, 300}, false, {150, 500},
         {0, 0, 400, 300}, {190, 90}, {150, 210}, {150, 210, 190, 90}},
        {"smaller: centred, nothing to scroll", 1, {100, 60}, false, {30, 30},
         {50, 20, 100, 60}, {200, 100}, {0, 0}, {0, 0, 100, 60}},
        {"fitted: no bars, seen whole", 1, {400, 200}, true, {50, 50},
         {0, 0, 200, 100}, {200, 100}, {0, 0}, {0, 0, 400, 200}},
        {"at 200 %: scroll in logical, seen in device pixels", 2, {600, 400}, false, {20, 10},
         {0, 0, 300, 200}, {190, 90}, {20, 10}, {40, 20, 380, 180}},
    };
    for (const auto& c : cases) {
        ViewPlace place = Place(c.ratio);
        place.layOut(c.picture, c.fit, c.fit);
        place.scrollTo(c.scrollAsked);
        EXPECT_EQ(place.area(), c.area) << c.what;
        EXPECT_EQ(place.view(), c.view) << c.what;
        EXPECT_EQ(place.scroll(), c.scroll) << c.what;
        EXPECT_EQ(place.shownPixels(c.picture), c.seen) << c.what;
    }
}

TEST(ViewPlace, ASmallerLayoutOrBoxBringsTheScrollBack)
{
    ViewPlace place = Place(1);
    place.layOut({400, 300}, false, false);
    place.scrollTo({150, 210});
    // 250 x 150 in a view of 190 x 90: at most 60 along each axis.
    place.layOut({250, 150}, false, false);
    EXPECT_EQ(place.scroll(), QPoint(60, 60));
    // A box grown to 300 x 200 holds it whole.
    place.measure({QSize(300, 200), QSize(300, 200), 10, 1});
    EXPECT_EQ(place.scroll(), QPoint(0, 0));
    EXPECT_EQ(place.view(), QSize(300, 200));
}

TEST(ViewPlace, CentreKeptAcrossPlacesAndFirstSight)
{
    ViewPlace place = Place(1);
    place.layOut({400, 300}, false, false);
    // The view of 190 x 90 at the top left: its middle at 95 x 45.
    EXPECT_EQ(place.centre(), QPointF(95.0 / 400, 45.0 / 300));
    // The photo's middle brought to the view's: the area 105 to the left and up.
    place.placeAt({0.5, 0.5});
    EXPECT_EQ(place.shown(), QRect(-105, -105, 400, 300));
    EXPECT_EQ(place.centre(), QPointF(0.5, 0.5));

    // At 150 % the box is 300 x 150 device pixels and the view 285 x 135;
    // a scroll of 10 x 20 is 15 x 30 of them.
    ViewPlace hidpi = Place(1.5);
    hidpi.layOut({600, 400}, false, false);
    hidpi.scrollTo({10, 20});
    EXPECT_EQ(hidpi.firstSeen(std::nullopt)(QSize(600, 400)), QRect(15, 30, 300, 150));
    // The middle: 142.5 - 300 and 67.5 - 200 rounded away from zero.
    EXPECT_EQ(hidpi.firstSeen(QPointF(0.5, 0.5))(QSize(600, 400)), QRect(158, 133, 285, 135));
}

} // namespace
