#include "render/scaling.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

using namespace tetrafot;

namespace {

struct StepRow {
    int code, decoderScale, zoomOut, zoomIn;
};

// Numpad - walks 1:1 -> 1:2 -> 1:4 -> 1:8 and stays; numpad + walks back and
// stays at 1:1. Codes 3 and 4 are 1:8 and 1:4.
constexpr StepRow kSteps[] = {
    {1, 1, 2, 1},
    {2, 2, 4, 1},
    {3, 8, 3, 4},
    {4, 4, 3, 2},
};

TEST(ScaleTables, StepsPerCode)
{
    for (const StepRow& row : kSteps) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(DecoderScale(row.code), row.decoderScale);
        EXPECT_EQ(ZoomOutStep(row.code), row.zoomOut);
        EXPECT_EQ(ZoomInStep(row.code), row.zoomIn);
    }
}

TEST(ScaleTables, RepeatedStepsEndAtTheExtremes)
{
    int code = Scale1to1;
    for (int i = 0; i < 6; ++i)
        code = ZoomOutStep(code);
    EXPECT_EQ(code, Scale1to8);
    for (int i = 0; i < 6; ++i)
        code = ZoomInStep(code);
    EXPECT_EQ(code, Scale1to1);
}

TEST(ScaleTables, StoredCodesOutsideTheRangeCountAsOneToOne)
{
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5},
                                         {0, 1}, {-1, 1}, {6, 1}, {99, 1}};
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(NormaliseScaleCode(stored), expected) << "stored " << stored;
}

struct DenomRow {
    int width, height, maxSize, denom;
};

TEST(FitDecoderDenom, HalvesOnlyWhenASideExceedsMaxSize)
{
    const DenomRow rows[] = {
        {2000, 2000, 2000, 1},   // exactly maxsize on both sides: full size
        {2001, 2000, 2000, 2},   // one pixel more in width
        {2000, 2001, 2000, 2},   // one pixel more in height
        {4000, 3000, 2000, 2},
        {1999, 1, 2000, 1},
        {640, 480, 500, 2},
        {500, 500, 500, 1},
    };
    for (const DenomRow& r : rows)
        EXPECT_EQ(FitDecoderDenom(QSize(r.width, r.height), r.maxSize), r.denom)
            << r.width << "x" << r.height << " maxsize " << r.maxSize;
}

struct FitRow {
    QSize picture, box, area;
    QPoint topLeft;
};

void PrintTo(const FitRow& r, std::ostream* os)
{
    *os << r.picture.width() << "x" << r.picture.height() << " in " << r.box.width() << "x" << r.box.height();
}

class FitLayout : public testing::TestWithParam<FitRow> {};

TEST_P(FitLayout, AreaAndPlace)
{
    const FitRow& r = GetParam();
    const QSize area = FitSize(r.picture, r.box);
    EXPECT_EQ(area, r.area);
    const QRect placed = PlaceInBox(area, r.box);
    EXPECT_EQ(placed.topLeft(), r.topLeft);
    EXPECT_EQ(placed.size(), area);
}

// Worked by hand: ratio = min(boxH/picH, boxW/picW) rounded to double, each
// side = side x ratio truncated, left/top = (box - area) div 2.
INSTANTIATE_TEST_SUITE_P(Examples, FitLayout,
    testing::Values(
        // 400/1500 rounds below 4/15: 1500 x ratio is 399.99.. -> 399; 2000 x ratio -> 533
        FitRow{{2000, 1500}, {600, 400}, {533, 399}, {33, 0}},
        FitRow{{800, 600}, {400, 300}, {400, 300}, {0, 0}},
        // enlarged: ratio 1000/640 = 1.5625
        FitRow{{640, 480}, {1000, 800}, {1000, 750}, {0, 25}},
        // 257/100 rounds to the double just below 2.57, so 100 x ratio
        // truncates to 256, not 257; 60 x ratio = 154.19..
        FitRow{{100, 60}, {257, 176}, {256, 154}, {0, 11}},
        FitRow{{1, 1}, {257, 176}, {176, 176}, {40, 0}},
        // portrait photo in a landscape box: 176/1600 = 0.11, 1200 x 0.11 = 132
        FitRow{{1200, 1600}, {257, 176}, {132, 176}, {62, 0}},
        FitRow{{3000, 2000}, {300, 200}, {300, 200}, {0, 0}}));

// Logical and device pixels on a scaled screen, worked by hand. A product
// or quotient that should be whole must stay whole however the floating
// point falls (45 x 1.4 is 62.99999999999999, 21 / 1.4 is 15.000000000000002).
struct ScreenRow {
    double ratio;
    QSize logical, device;    // DevicePixels(logical) == device
    QSize photo, area;        // LogicalSize(photo) == area
};

constexpr ScreenRow kScreens[] = {
    {1, {257, 193}, {257, 193}, {400, 300}, {400, 300}},
    {2, {257, 193}, {514, 386}, {401, 301}, {201, 151}},
    {1.5, {257, 193}, {385, 289}, {400, 300}, {267, 200}},
    {1.25, {257, 193}, {321, 241}, {400, 301}, {320, 241}},
    {1.4, {45, 85}, {63, 119}, {21, 42}, {15, 30}},
};

TEST(ScreenPixels, LogicalAndDeviceSizes)
{
    for (const ScreenRow& r : kScreens) {
        SCOPED_TRACE(testing::Message() << "ratio " << r.ratio);
        EXPECT_EQ(DevicePixels(r.logical, r.ratio), r.device);
        EXPECT_EQ(LogicalSize(r.photo, r.ratio), r.area);
        // The area holds the whole photo and not a logical pixel more.
        const QSize held = DevicePixels(r.area, r.ratio);
        EXPECT_GE(held.width(), r.photo.width());
        EXPECT_GE(held.height(), r.photo.height());
        EXPECT_LT(DevicePixels(r.area - QSize(1, 1), r.ratio).width(), r.photo.width());
    }
}

TEST(FitLayout, EmptyPictureGivesEmptyArea)
{
    EXPECT_EQ(FitSize(QSize(0, 0), QSize(100, 100)), QSize(0, 0));
}

TEST(PlaceInBox, FixedScales)
{
    // A small photo at 1:1 is centred; one larger than the box sits at 0,0.
    EXPECT_EQ(PlaceInBox(QSize(100, 60), QSize(257, 176)), QRect(78, 58, 100, 60));
    EXPECT_EQ(PlaceInBox(QSize(3000, 2000), QSize(257, 176)), QRect(0, 0, 3000, 2000));
    // Larger in one direction only: centred in the other.
    EXPECT_EQ(PlaceInBox(QSize(100, 500), QSize(257, 176)), QRect(78, 0, 100, 500));
    EXPECT_EQ(PlaceInBox(QSize(257, 176), QSize(257, 176)), QRect(0, 0, 257, 176));
}

TEST(FitPipeline, LargePhotoFitsAtHalfScale)
{
    // 4000 x 3000 with maxsize 2000 decodes at 1/2 and fits a 600 x 400 box.
    const QSize full(4000, 3000);
    const int denom = FitDecoderDenom(full, 2000);
    ASSERT_EQ(denom, 2);
    const QSize decoded(full.width() / denom, full.height() / denom);
    const QSize area = FitSize(decoded, QSize(600, 400));
    EXPECT_EQ(area, QSize(533, 399));
    EXPECT_EQ(PlaceInBox(area, QSize(600, 400)), QRect(33, 0, 533, 399));
}

struct ZoomRow {
    QSize full, fitted;
    int zoomIn, zoomOut;
};

TEST(ZoomFromFit, NearestFixedScales)
{
    const ZoomRow rows[] = {
        // 1:4 is 1000x750 (>= 533x399), 1:8 is 500x375 (smaller)
        {{4000, 3000}, {533, 399}, Scale1to4, Scale1to8},
        // the fit equals 1:2 exactly: in goes to 1:2, out to 1:4
        {{800, 600}, {400, 300}, Scale1to2, Scale1to4},
        // enlarged beyond 1:1: both stay at 1:1
        {{640, 480}, {1000, 750}, Scale1to1, Scale1to1},
        // smaller than 1:8: both go to 1:8
        {{4000, 3000}, {100, 75}, Scale1to8, Scale1to8},
        // 1:8 of 1001 is 126 (rounded up), enough for a fit of 126
        {{1001, 1001}, {126, 126}, Scale1to8, Scale1to8},
        {{1001, 1001}, {127, 127}, Scale1to4, Scale1to8},
        // between 1:1 and 1:2
        {{1000, 800}, {600, 480}, Scale1to1, Scale1to2},
    };
    for (const ZoomRow& r : rows) {
        SCOPED_TRACE(testing::Message() << r.full.width() << "x" << r.full.height() << " fitted "
                                        << r.fitted.width() << "x" << r.fitted.height());
        EXPECT_EQ(ZoomInFromFit(r.full, r.fitted), r.zoomIn);
        EXPECT_EQ(ZoomOutFromFit(r.full, r.fitted), r.zoomOut);
    }
}

} // namespace
