// The panes on a scaled screen. CTest runs these once more with
// QT_SCALE_FACTOR 2 and 1.5; each table has a row for every factor it is
// run at. 1:1 must put one photo pixel on one device pixel, a fitted photo
// must be drawn from the photo at the box's device size, and a drag must
// move the picture by the mouse's distance on the screen.
#include "window/mainwindowsandbox.h"
#include "window/markpictures.h"
#include "jpegwriter.h"
#include "render/scaling.h"

#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

using namespace tetrafot;

namespace {

// A photo with detail in every pixel: a pixel duplicated or dropped anywhere
// shows as a mismatch against the decoded picture.
QByteArray DetailedPhoto(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor((x * 37 + y * 11) % 256, (x % 2) * 200 + (y % 3) * 20, (x ^ y) % 256));
    return MakeJpegFromImage(image, 100);
}

// Whether the device pixels of `shot` from `offset` on show `picture`'s
// pixels one for one, over the part of the picture that `shot` holds.
// Colours may differ by one step from the backing store's format.
::testing::AssertionResult ShowsOneForOne(const QImage& shot, QPoint offset, const QImage& picture)
{
    const QRect seen = QRect(QPoint(0, 0), picture.size()) & shot.rect().translated(-offset);
    if (seen.width() < 16 || seen.height() < 16)
        return ::testing::AssertionFailure() << "only " << seen.width() << " x " << seen.height() << " seen";
    for (int y = seen.top(); y <= seen.bottom(); ++y)
        for (int x = seen.left(); x <= seen.right(); ++x) {
            const QColor want = picture.pixelColor(x, y), got = shot.pixelColor(x + offset.x(), y + offset.y());
            if (std::abs(want.red() - got.red()) > 1 || std::abs(want.green() - got.green()) > 1
                || std::abs(want.blue() - got.blue()) > 1)
                return ::testing::AssertionFailure()
                    << "photo pixel " << x << "," << y << " is " << want.name().toStdString() << " but device pixel "
                    << x + offset.x() << "," << y + offset.y() << " shows " << got.name().toStdString();
        }
    return ::testing::AssertionSuccess();
}

class HiDpiTest : public uitest::MainWindowTest {
protected:
    // One photo in pane 1, its box 200 x 160 logical pixels (the offscreen
    // screen at 200 % is only 400 x 300).
    void StartOn(const QByteArray& photo, int scaleCode)
    {
        ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("photos")));
        uitest::WriteBytes(tmp.filePath(QStringLiteral("photos/a.jpg")), photo);
        Destroy();   // a window still open would save its settings over these
        WriteSettings("imagescale1=" + QByteArray::number(scaleCode)
                      + "\r\nPanelTopLeft_Width=205\r\nPanelTop_Height=160\r\ncomment1_Visible=0\r\n");
        Start({tmp.filePath(QStringLiteral("photos"))});
        // The pane may show the seen part first: what is checked is the
        // whole photo, which the workers hand over a moment later.
        for (int waited = 0; waited < 5000 && win->pane(1).isPart(); waited += 10)
            QTest::qWait(10);
        ASSERT_FALSE(win->pane(1).isPart()) << "the whole photo never arrived";
        ASSERT_EQ(Box()->size(), QSize(200, 160)) << "the settings no longer give the box this size";
        ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    }
    ScrollBoxWidget* Box() { return win->paneWidgets(1).box; }
    PictureArea* Area() { return win->paneWidgets(1).picture; }
    double Factor() const { return win->devicePixelRatioF(); }
    // The box's viewport at device resolution, without the path label that
    // lies over the picture's top rows.
    QImage Shot()
    {
        Box()->pathLabel()->hide();
        return Box()->viewport()->grab().toImage();
    }
    // The area's top-left in the viewport's device pixels; at a factor of
    // 1.5 an odd position falls between two pixels, and either is right.
    std::vector<QPoint> DeviceOrigins()
    {
        const QPointF p = QPointF(Area()->pos()) * Factor();
        std::vector<QPoint> origins;
        for (int x : {int(std::floor(p.x())), int(std::ceil(p.x()))})
            for (int y : {int(std::floor(p.y())), int(std::ceil(p.y()))})
                origins.emplace_back(x, y);
        return origins;
    }
    ::testing::AssertionResult ShotShows(const QImage& picture)
    {
        const QImage shot = Shot();
        ::testing::AssertionResult result = ::testing::AssertionFailure();
        for (QPoint origin : DeviceOrigins())
            if ((result = ShowsOneForOne(shot, origin, picture)))
                return result;
        return result;
    }
};

// Worked by hand for each factor: the area's logical size is the photo's
// divided by the factor, rounded up; the scroll range is what the area
// reaches beyond the viewport.
struct OneToOneCase {
    double factor;
    QSize photo;
    QSize area;   // logical pixels
};

TEST_F(HiDpiTest, OneToOneDrawsEachPhotoPixelOnOneDevicePixel)
{
    const OneToOneCase cases[] = {
        {1, {200, 150}, {200, 150}},   {1, {401, 301}, {401, 301}},
        {2, {200, 150}, {100, 75}},    {2, {401, 301}, {201, 151}},
        {1.5, {200, 150}, {134, 100}}, {1.5, {401, 301}, {268, 201}},
    };
    int run = 0;
    for (const OneToOneCase& c : cases) {
        if (std::abs(c.factor - qApp->devicePixelRatio()) > 1e-9)
            continue;
        ++run;
        SCOPED_TRACE(testing::Message() << c.photo.width() << " x " << c.photo.height() << " at " << c.factor);
        ASSERT_NO_FATAL_FAILURE(StartOn(DetailedPhoto(c.photo.width(), c.photo.height()), 1));
        ASSERT_EQ(Factor(), c.factor);
        EXPECT_EQ(Area()->size(), c.area);
        EXPECT_EQ(Area()->pixelSize(), c.photo);
        const QImage photo = win->pane(1).image();
        ASSERT_EQ(photo.size(), c.photo);
        // Grabbed at the device's resolution, the area is the photo itself.
        EXPECT_TRUE(ShowsOneForOne(Area()->grab().toImage(), QPoint(0, 0), photo));
        // So is the box around it, wherever the area lies in it.
        EXPECT_TRUE(ShotShows(photo));
        // The bars reach the area's far edge, where it lies in the box.
        const QSize vp = Box()->viewport()->size();
        const QPoint at = Box()->areaRect().topLeft();
        EXPECT_EQ(Box()->horizontalScrollBar()->maximum(), std::max(0, at.x() + c.area.width() - vp.width()));
        EXPECT_EQ(Box()->verticalScrollBar()->maximum(), std::max(0, at.y() + c.area.height() - vp.height()));
    }
    if (run == 0)
        GTEST_SKIP() << "no case for the factor " << qApp->devicePixelRatio();
}

// A 1600 x 1200 photo (decoded whole: it is within maxsize) fitted into the
// 200 x 160 box, whose device size is the factor times that: the fitted
// size, the size drawn (Qt keeps the aspect ratio within the area) and
// where numpad + and - go from there, all in device pixels.
struct FitCase {
    double factor;
    QSize fitted;   // device pixels
    QSize drawn;
    int zoomIn, zoomOut;
};

TEST_F(HiDpiTest, FitFillsTheBoxInDevicePixelsAndStepsToScalesByThem)
{
    const FitCase cases[] = {
        // 200/1600 = 0.125 < 160/1200: 200 x 150, just what 1:8 gives.
        {1, {200, 150}, {200, 150}, Scale1to8, Scale1to8},
        // 400 x 320 device pixels: 0.25, 400 x 300; 1:4 covers it, 1:8 does not.
        {2, {400, 300}, {400, 300}, Scale1to4, Scale1to8},
        // 300 x 240: 0.1875, 300 x 225; 1:4 (400 x 300) covers it, 1:8 does not.
        {1.5, {300, 225}, {300, 225}, Scale1to4, Scale1to8},
    };
    for (const FitCase& c : cases) {
        if (std::abs(c.factor - qApp->devicePixelRatio()) > 1e-9)
            continue;
        for (const bool in : {true, false}) {
            SCOPED_TRACE(testing::Message() << "factor " << c.factor << (in ? " numpad +" : " numpad -"));
            ASSERT_NO_FATAL_FAILURE(StartOn(DetailedPhoto(1600, 1200), ScaleFit));
            const QImage photo = win->pane(1).image();
            ASSERT_EQ(photo.size(), QSize(1600, 1200));
            EXPECT_EQ(Area()->pixelSize(), c.fitted);
            EXPECT_EQ(Area()->drawnPixels().size(), c.drawn);
            // Drawn from the photo at the device size, not enlarged from a
            // smaller picture: nearest pixels of the photo itself.
            EXPECT_TRUE(ShotShows(photo.scaled(c.drawn, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
            Key(in ? Qt::Key_Plus : Qt::Key_Minus, Qt::KeypadModifier);
            EXPECT_EQ(win->pane(1).PaneScale, in ? c.zoomIn : c.zoomOut);
        }
        return;
    }
    GTEST_SKIP() << "no case for the factor " << qApp->devicePixelRatio();
}

// An 800 x 600 photo at 1:1, larger than the box at every factor, starts at
// the top left; a drag of 40 x 20 logical pixels to the upper left moves it
// by as many screen pixels: the factor times as many photo pixels.
TEST_F(HiDpiTest, ADragMovesThePhotoByTheMousesDistanceOnTheScreen)
{
    const std::pair<double, QPoint> cases[] = {{1, {40, 20}}, {2, {80, 40}}, {1.5, {60, 30}}};
    for (const auto& [factor, shift] : cases) {
        if (std::abs(factor - qApp->devicePixelRatio()) > 1e-9)
            continue;
        ASSERT_NO_FATAL_FAILURE(StartOn(DetailedPhoto(800, 600), 1));
        const QImage photo = win->pane(1).image();
        ASSERT_EQ(Area()->pos(), QPoint(0, 0));
        EXPECT_TRUE(ShowsOneForOne(Shot(), QPoint(0, 0), photo));
        QTest::mousePress(Area(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(Area(), QPoint(60, 80));
        QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(60, 80));
        EXPECT_EQ(Area()->pos(), QPoint(-40, -20));
        // Device pixel (x, y) of the box now shows photo pixel (x, y) + shift.
        EXPECT_TRUE(ShowsOneForOne(Shot(), -shift, photo));
        return;
    }
    GTEST_SKIP() << "no case for the factor " << qApp->devicePixelRatio();
}

// The marks and indicators are drawn with the screen's pixels, not
// enlarged from pictures of the design's size.
TEST_F(HiDpiTest, MarksAreDrawnAtTheScreensScale)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(DetailedPhoto(64, 48), 1));
    const double factor = Factor();
    const int side = int(std::ceil(22 * factor - 1e-6));
    for (const char* name : {"checkmark1", "pinmark1", "mark3", "markV"}) {
        const QPixmap shown = Control<QLabel>(QString::fromLatin1(name))->pixmap();
        EXPECT_EQ(shown.devicePixelRatio(), factor) << name;
        EXPECT_EQ(shown.size(), QSize(side, side)) << name;
    }
    EXPECT_EQ(Control<QLabel>(QStringLiteral("rawmark1"))->pixmap().size(),
              QSize(int(std::ceil(26 * factor - 1e-6)), int(std::ceil(15 * factor - 1e-6))));
    Key(Qt::Key_W);
    QWidget* indicator = Control(QStringLiteral("warn_ind_1"));
    ASSERT_FALSE(indicator->isHidden());
    const QImage disc = indicator->grab().toImage();
    const int across = int(std::floor(17 * factor + 1e-6));
    // The rim is one device pixel wide at every factor.
    const QColor rim = disc.pixelColor(across / 2, 0), inside = disc.pixelColor(across / 2, 1);
    EXPECT_NE(rim, inside);
    EXPECT_EQ(disc.pixelColor(across / 2, across / 2), inside);
}

} // namespace
