// The Options dialog's upright and smooth scaling switches as the panes show them.
#include "window/mainwindowsandbox.h"
#include "exifbuilder.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>

namespace {

class ViewOptionsTest : public uitest::MainWindowTest {
protected:
    // Starts fitted on a folder holding just this photo.
    void StartOn(const QByteArray& photo, const QByteArray& settings)
    {
        ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("photos")));
        uitest::WriteBytes(tmp.filePath(QStringLiteral("photos/a.jpg")), photo);
        WriteSettings("imagescale1=5\r\n" + settings);
        Start({tmp.filePath(QStringLiteral("photos"))});
    }
    // O, the box ticked, "&Close".
    void Toggle(const char* box)
    {
        onDialog = [box](QDialog& d) {
            d.findChild<QCheckBox*>(QLatin1String(box))->click();
            d.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
        };
        Key(Qt::Key_O);
    }
};

TEST_F(ViewOptionsTest, UprightTurnsAQuarterTurnedPhotoForLayoutAndBackWithItsOverlay)
{
    JpegSpec desc;   // 64 x 48 stored, to be turned a quarter clockwise
    desc.markers = {{0xE1, exif::ExifBuilder().Add(exif::ExifDir::Ifd0, exif::Short(0x0112, {6})).Payload()}};
    desc.width = 64, desc.height = 48;
    StartOn(MakeJpeg(desc), "exifrotate=-1\r\n");
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        const bool upright = step != 1;
        const QSize shape = upright ? QSize(48, 64) : QSize(64, 48);
        EXPECT_EQ(win->pane(1).image().size(), shape);
        EXPECT_EQ(win->pane(1).fullSize(), shape);   // what numpad +/- step from
        const QRect drawn = win->paneWidgets(1).picture->drawnRect();
        EXPECT_EQ(drawn.height() > drawn.width(), upright) << drawn.width() << " x " << drawn.height();
        EXPECT_EQ(win->pane(1).OverlayOn, step > 0);   // W before the first switch stays on
        if (step == 0)
            Key(Qt::Key_W);
        Toggle("ckExifRotate");
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ViewOptionsTest, SmoothScalingShrinksAOnePixelCheckerboardToGreyInsteadOfBlackAndWhite)
{
    QImage board(1200, 900, QImage::Format_Grayscale8);
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            board.scanLine(y)[x] = (x + y) % 2 ? 255 : 0;
    StartOn(MakeJpegFromImage(board, 100), "");
    PictureArea* area = win->paneWidgets(1).picture;
    ASSERT_LT(area->drawnRect().width(), board.width() / 2);
    for (const bool smooth : {false, true, false}) {
        const QImage shot = area->grab(area->drawnRect()).toImage();
        int grey = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                grey += qAbs(qGray(shot.pixel(x, y)) - 128) < 64;
        const double share = double(grey) / (shot.width() * shot.height());
        EXPECT_TRUE(smooth ? share > 0.95 : share < 0.05) << smooth << ": grey share " << share;
        Toggle("ckSmoothScale");
    }
}

} // namespace
