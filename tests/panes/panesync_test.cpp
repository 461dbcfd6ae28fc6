#include "panes/panesync.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// A view of 200 x 150 pixels; its middle is (100, 75).
const QSize kView(200, 150);

struct CentreCase {
    const char* name;
    QRect shown;
    QPointF centre;
};

class ViewCentres : public ::testing::TestWithParam<CentreCase> {};

TEST_P(ViewCentres, Cases)
{
    const QPointF c = ViewCentre(GetParam().shown, kView);
    EXPECT_DOUBLE_EQ(c.x(), GetParam().centre.x());
    EXPECT_DOUBLE_EQ(c.y(), GetParam().centre.y());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewCentres,
    ::testing::Values(CentreCase{"TopLeft", {0, 0, 400, 300}, {0.25, 0.25}},
                      CentreCase{"Dragged", {-100, -150, 400, 300}, {0.5, 0.75}},
                      CentreCase{"FitsOffCentre", {0, 0, 100, 150}, {0.5, 0.5}},
                      CentreCase{"WideOnly", {-300, 0, 400, 100}, {1.0, 0.5}},
                      CentreCase{"NoPicture", {0, 0, 0, 0}, {0.5, 0.5}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlaceCase {
    const char* name;
    QPointF centre;
    QRect shown;      // where the picture lies before
    QPoint placed;    // its top-left after
    bool exact;       // not held back by an edge: the centre reads back
};

class Placing : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Placing, Cases)
{
    const PlaceCase& c = GetParam();
    const QPoint placed = PlaceAtCentre(c.centre, c.shown, kView);
    EXPECT_EQ(placed, c.placed);
    if (c.exact) {
        const QPointF back = ViewCentre(QRect(placed, c.shown.size()), kView);
        EXPECT_NEAR(back.x(), c.centre.x(), 1e-9);
        EXPECT_NEAR(back.y(), c.centre.y(), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placing,
    ::testing::Values(
        // The same point of a photo twice as large: 100 - 0.5 * 800, 75 - 0.75 * 600.
        PlaceCase{"Larger", {0.5, 0.75}, {0, 0, 800, 600}, {-300, -375}, true},
        // Edges: the picture keeps covering the view (x at most 0, y at least 150 - 600).
        PlaceCase{"HeldByEdges", {0.0, 1.0}, {-40, -40, 800, 600}, {0, -450}, false},
        PlaceCase{"BeyondThePicture", {-0.5, 2.0}, {0, 0, 800, 600}, {0, -450}, false},
        // A picture that fits the view stays where it lies, axis by axis.
        PlaceCase{"Fits", {0.9, 0.1}, {30, 20, 100, 80}, {30, 20}, false},
        PlaceCase{"WideOnly", {0.5, 0.9}, {0, 35, 400, 80}, {-100, 35}, false},
        PlaceCase{"Rounded", {1.0 / 3, 0.5}, {0, 0, 301, 300}, {0, -75}, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
