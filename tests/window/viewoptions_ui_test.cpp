// The Options dialog's upright and smooth scaling switches as the panes show them.
#include "window/mainwindowsandbox.h"
#include "exifbuilder.h"

#include <QCheckBox>
#include <QDialog>
#include <QPainter>
#include <QPushButton>

using namespace tetrafot;

namespace {

class ViewOptionsTest : public uitest::MainWindowTest {
protected:
    // Starts fitted on a folder holding just this photo; Toggle(box) is O,
    // a click on the box and "&Close".
    void StartOn(const QByteArray& photo, const QByteArray& settings)
    {
        ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("photos")));
        uitest::WriteBytes(tmp.filePath(QStringLiteral("photos/a.jpg")), photo);
        WriteSettings("imagescale1=5\r\n" + settings);
        Start({tmp.filePath(QStringLiteral("photos"))});
        onDialog = [this](QDialog& d) {
            d.findChild<QCheckBox*>(box)->click();
            d.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
        };
    }
    void Toggle(const char* name) { box = QLatin1String(name), Key(Qt::Key_O); }
    QString box;
};

TEST_F(ViewOptionsTest, UprightTurnsAQuarterTurnedPhotoForLayoutAndBackWithItsOverlay)
{
    JpegSpec desc;   // 64 x 48 stored, to be turned a quarter clockwise
    desc.markers = {{0xE1, exif::ExifBuilder().Add(exif::ExifDir::Ifd0, exif::Short(0x0112, {6})).Payload()}};
    StartOn(MakeJpeg(desc), "exifrotate=-1\r\n");
    Key(Qt::Key_W);   // the overlay stays on through the switches
    for (const bool upright : {true, false, true}) {
        const QSize shape = upright ? QSize(480, 640) : QSize(640, 480);
        EXPECT_EQ(win->pane(1).image().size(), shape) << upright;
        EXPECT_EQ(win->pane(1).fullSize(), shape) << upright;   // what numpad +/- step from
        const QRect drawn = win->paneWidgets(1).picture->drawnRect();
        EXPECT_EQ(drawn.height() > drawn.width(), upright) << drawn.width() << " x " << drawn.height();
        EXPECT_TRUE(win->pane(1).OverlayOn);
        Toggle("ckExifRotate");
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ViewOptionsTest, SmoothScalingShrinksAOnePixelCheckerboardToGreyInsteadOfBlackAndWhite)
{
    QImage board(1200, 900, QImage::Format_Grayscale8);
    board.fill(Qt::white);
    QPainter(&board).fillRect(board.rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    StartOn(MakeJpegFromImage(board, 100), "");
    PictureArea* area = win->paneWidgets(1).picture;
    ASSERT_LT(area->drawnRect().width(), board.width() / 2);
    for (const bool smooth : {false, true, false}) {
        const QImage shot = area->grab(area->drawnRect()).toImage().convertToFormat(QImage::Format_Grayscale8);
        int grey = 0;
        for (int y = 0; y < shot.height(); ++y)
            grey += int(std::count_if(shot.scanLine(y), shot.scanLine(y) + shot.width(),
                                      [](uchar v) { return qAbs(v - 128) < 64; }));
        const double share = double(grey) / (shot.width() * shot.height());
        EXPECT_TRUE(smooth ? share > 0.95 : share < 0.05) << smooth << ": grey share " << share;
        Toggle("ckSmoothScale");
    }
}

} // namespace
