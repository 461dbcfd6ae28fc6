// The exposure overlay on the real window: W paints the current pane's
// photo and shows the indicator, W again reads the photo back, and a scale
// change repaints at the new scale with the settings then in force.
#include "window/mainwindowsandbox.h"
#include "jpegwriter.h"

using namespace tetrafot;

namespace {

// 64 x 48: the left half pure white, the right half mid grey. Both halves
// are whole 16-pixel blocks, so the decoder gives back exactly 255 and 128
// away from the seam.
QByteArray HalfWhitePhoto()
{
    QImage image(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixelColor(x, y, x < 32 ? QColor(255, 255, 255) : QColor(128, 128, 128));
    return MakeJpegFromImage(image, 95);
}

class OverlayTest : public uitest::MainWindowTest {
protected:
    void SetUp() override
    {
        uitest::MainWindowTest::SetUp();
        folder = Folder(QStringLiteral("photos"), 1);
        uitest::WriteBytes(folder + QStringLiteral("/a_half.jpg"), HalfWhitePhoto());   // pane 1
        // Red for over-exposure; the under colour keeps its default, white.
        WriteSettings("OverExpColor=255\r\n");
    }
    QImage Shown(int n) { return win->paneWidgets(n).picture->image(); }
    ExposureIndicator* Indicator(int n) { return Control<ExposureIndicator>(QStringLiteral("warn_ind_%1").arg(n)); }
    QString folder;
};

TEST_F(OverlayTest, WPaintsTheWhiteAreaInTheOverColourAndWAgainRestoresThePhoto)
{
    Start({folder});
    ASSERT_EQ(NameIn(1), QStringLiteral("a_half.jpg"));
    ASSERT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 255, 255));
    const QColor grey = Shown(1).pixelColor(56, 24);
    ASSERT_LE(std::abs(grey.red() - 128), 1);
    const QRect area = win->paneWidgets(1).picture->geometry();
    EXPECT_TRUE(Indicator(1)->isHidden());

    Key(Qt::Key_W);
    EXPECT_TRUE(win->pane(1).OverlayOn);
    EXPECT_FALSE(Indicator(1)->isHidden());
    EXPECT_EQ(Indicator(1)->fill(), QColor(255, 0, 0));
    EXPECT_EQ(Indicator(1)->outline(), QColor(255, 255, 255));
    const QImage disc = Indicator(1)->grab().toImage();   // drawn without blending
    EXPECT_EQ(disc.pixelColor(8, 8), QColor(255, 0, 0));
    for (QPoint rim : {QPoint(8, 0), QPoint(2, 2), QPoint(16, 8)})
        EXPECT_EQ(disc.pixelColor(rim), QColor(255, 255, 255)) << rim.x() << "," << rim.y();
    EXPECT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 0, 0));
    EXPECT_EQ(Shown(1).pixelColor(56, 24), grey);   // neither under nor over
    EXPECT_EQ(win->paneWidgets(1).picture->geometry(), area);
    // Painted on a copy: the decoded photo, shared with the cache, is untouched.
    EXPECT_EQ(win->pane(1).photo->image.pixelColor(8, 24), QColor(255, 255, 255));

    Key(Qt::Key_W);
    EXPECT_FALSE(win->pane(1).OverlayOn);
    EXPECT_TRUE(Indicator(1)->isHidden());
    EXPECT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 255, 255));
    EXPECT_TRUE(win->pane(1).isJpeg());
    EXPECT_EQ(win->paneWidgets(1).picture->geometry(), area);
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 1);
}

TEST_F(OverlayTest, AScaleChangeRepaintsAtTheNewScaleWithTheSettingsThenInForce)
{
    Start({folder});
    Key(Qt::Key_W);
    // The options dialog would change this; the next painting uses it.
    win->store().writeValue(QStringLiteral("OverExpColor"), 0x00FF00);   // green
    Key(Qt::Key_2);
    EXPECT_TRUE(win->pane(1).OverlayOn);
    EXPECT_FALSE(Indicator(1)->isHidden());
    EXPECT_EQ(Indicator(1)->fill(), QColor(0, 255, 0));
    ASSERT_EQ(Shown(1).size(), QSize(32, 24));
    EXPECT_EQ(Shown(1).pixelColor(4, 12), QColor(0, 255, 0));
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 2);
    EXPECT_EQ(win->paneWidgets(1).picture->size(), QSize(32, 24));

    // Off again: the photo at 1:2, read from its file.
    Key(Qt::Key_W);
    EXPECT_EQ(Shown(1).size(), QSize(32, 24));
    EXPECT_EQ(Shown(1).pixelColor(4, 12), QColor(255, 255, 255));
}

TEST_F(OverlayTest, OverlayOnAFittedPhotoKeepsTheFittedArea)
{
    Start({folder});
    Key(Qt::Key_U);
    const QRect area = win->paneWidgets(1).picture->geometry();
    ASSERT_GT(area.width(), 64);
    Key(Qt::Key_W);
    EXPECT_EQ(win->paneWidgets(1).picture->geometry(), area);
    EXPECT_TRUE(win->paneWidgets(1).picture->stretch());
    EXPECT_EQ(Shown(1).size(), QSize(64, 48));
    EXPECT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 0, 0));
}

TEST_F(OverlayTest, LoadingAnotherFileEndsTheOverlay)
{
    Start({folder});
    Key(Qt::Key_W);
    ASSERT_TRUE(win->pane(1).OverlayOn);
    Key(Qt::Key_R);
    EXPECT_FALSE(win->pane(1).OverlayOn);
    EXPECT_TRUE(Indicator(1)->isHidden());
    EXPECT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 255, 255));
}

TEST_F(OverlayTest, WOnAnEmptyPaneDoesNothing)
{
    Start({folder});
    Key(Qt::Key_Down);
    ASSERT_FALSE(win->pane(3).hasPicture());
    Key(Qt::Key_W);
    EXPECT_FALSE(win->pane(3).OverlayOn);
    EXPECT_TRUE(Indicator(3)->isHidden());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OverlayTest, IfTheFileHasGoneSwitchingOffKeepsThePaintedPicture)
{
    Start({folder});
    Key(Qt::Key_W);
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/a_half.jpg")));
    Key(Qt::Key_W);
    EXPECT_FALSE(win->pane(1).OverlayOn);
    EXPECT_TRUE(Indicator(1)->isHidden());
    EXPECT_EQ(Shown(1).pixelColor(8, 24), QColor(255, 0, 0));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    // A scale key on the painted bitmap neither stores nor changes the scale.
    Key(Qt::Key_2);
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 1);
    EXPECT_EQ(win->paneWidgets(1).picture->size(), QSize(64, 48));
}

} // namespace
