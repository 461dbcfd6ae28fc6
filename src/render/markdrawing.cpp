#include "render/markdrawing.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

namespace tetrafot {

namespace {

// Each picture is painted in its own logical size onto an image with that
// many device pixels.
QImage Render(QSize logical, double ratio, const std::function<void(QPainter&)>& draw)
{
    QImage image(int(std::ceil(logical.width() * ratio - 1e-6)), int(std::ceil(logical.height() * ratio - 1e-6)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(p);
    return image;
}

QFont pixelFont(int px, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

const QColor kMarkGreen(0, 120, 40);

} // namespace

QImage MarkImage(int code, double ratio)
{
    return Render(QSize(22, 22), ratio, [code](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kMarkGreen, 1.5));
        p.setBrush(QColor(255, 255, 240));
        p.drawRoundedRect(QRectF(1.5, 1.5, 19, 19), 3, 3);
        if (code == 10) {
            QPainterPath check;
            check.moveTo(5.5, 11.5);
            check.lineTo(9.5, 15.5);
            check.lineTo(16.5, 6);
            p.setPen(QPen(kMarkGreen, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(check);
        } else {
            p.setPen(kMarkGreen.darker(130));
            p.setFont(pixelFont(15));
            p.drawText(QRect(0, 0, 22, 22), Qt::AlignCenter, QString::number(code));
        }
    });
}

QImage RawMarkImage(double ratio)
{
    return Render(QSize(26, 15), ratio, [](QPainter& p) {
        p.fillRect(0, 0, 26, 15, QColor(255, 250, 220));
        p.setPen(QColor(150, 40, 0));
        p.drawRect(0, 0, 25, 14);
        p.setFont(pixelFont(10));
        p.drawText(QRect(0, 0, 26, 15), Qt::AlignCenter, QStringLiteral("RAW"));
    });
}

QImage ReadOnlyMarkImage(double ratio)
{
    return Render(QSize(26, 15), ratio, [](QPainter& p) {
        p.fillRect(0, 0, 26, 15, QColor(235, 240, 255));
        p.setPen(QColor(30, 50, 140));
        p.drawRect(0, 0, 25, 14);
        p.setRenderHint(QPainter::Antialiasing);
        // A key lying on its side: bow at the left, bit at the right.
        p.setPen(QPen(QColor(30, 50, 140), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4.5, 4, 7, 7));
        p.drawLine(QPointF(11.5, 7.5), QPointF(21.5, 7.5));
        p.drawLine(QPointF(18.5, 7.5), QPointF(18.5, 11));
        p.drawLine(QPointF(21, 7.5), QPointF(21, 10.5));
    });
}

QImage PinMarkImage(double ratio)
{
    return Render(QSize(22, 22), ratio, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 255, 240), 1));
        p.setBrush(QColor(255, 255, 240, 200));
        p.drawEllipse(QRectF(0.5, 0.5, 21, 21));
        // The needle from the lower left up to a red head at the upper right.
        p.setPen(QPen(QColor(60, 60, 60), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 17), QPointF(11, 11));
        p.setPen(QPen(QColor(120, 10, 10), 1));
        p.setBrush(QColor(210, 30, 30));
        p.drawEllipse(QRectF(9.5, 4.5, 8, 8));
    });
}

void PaintToolbarPicture(QPainter& p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 40);
    auto scaleText = [&](const QString& text) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);   // readable on any background colour
        p.drawRect(QRectF(0.5, 3.5, 21, 15));
        p.setFont(pixelFont(10));
        p.drawText(QRect(0, 3, 22, 16), Qt::AlignCenter, text);
    };
    switch (index) {
    case 0: scaleText(QStringLiteral("1:4")); break;
    case 1: scaleText(QStringLiteral("1:2")); break;
    case 2: scaleText(QStringLiteral("1:1")); break;
    case 3: scaleText(QStringLiteral("1:8")); break;
    case 4: { // background colour: a palette of three swatches
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(220, 60, 50));
        p.drawRect(QRectF(2.5, 3.5, 8, 8));
        p.setBrush(QColor(60, 160, 70));
        p.drawRect(QRectF(11.5, 3.5, 8, 8));
        p.setBrush(QColor(50, 90, 200));
        p.drawRect(QRectF(7, 11.5, 8, 8));
        break;
    }
    case 5: { // EXIF data: a sheet with lines
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 13, 19));
        for (int y = 5; y <= 17; y += 3)
            p.drawLine(QPointF(7, y + 0.5), QPointF(15, y + 0.5));
        break;
    }
    case 7: { // open in the associated program: an arrow leaving a frame
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 6.5, 13, 13));
        p.drawLine(QPointF(9, 13), QPointF(19, 3));
        p.drawLine(QPointF(13, 3), QPointF(19, 3));
        p.drawLine(QPointF(19, 3), QPointF(19, 9));
        break;
    }
    case 9: { // synchronized panes: two frames joined by arrows both ways
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 5.5, 8, 11));
        p.drawRect(QRectF(13.5, 5.5, 8, 11));
        p.setPen(QPen(QColor(30, 90, 200), 1.5));
        p.drawLine(QPointF(4.5, 11), QPointF(17.5, 11));
        p.drawLine(QPointF(4.5, 11), QPointF(7, 8.5));
        p.drawLine(QPointF(4.5, 11), QPointF(7, 13.5));
        p.drawLine(QPointF(17.5, 11), QPointF(15, 8.5));
        p.drawLine(QPointF(17.5, 11), QPointF(15, 13.5));
        break;
    }
    case 10: { // folders compared: two folder shapes side by side
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(240, 200, 90));
        for (double x : {0.5, 12.5}) {
            p.drawRect(QRectF(x, 6.5, 9, 11));
            p.drawRect(QRectF(x, 4.5, 4, 2));
        }
        p.setPen(QPen(QColor(30, 90, 200), 1.5));
        p.drawLine(QPointF(10, 12), QPointF(12.5, 12));
        break;
    }
    case 8: { // file list: a column of entries
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 17, 17));
        for (int y = 6; y <= 16; y += 3)
            p.drawLine(QPointF(5, y + 0.5), QPointF(17, y + 0.5));
        break;
    }
    default: break;
    }
}

void PaintExitPicture(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(170, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 6), QPointF(16, 16));
    p.drawLine(QPointF(16, 6), QPointF(6, 16));
}

} // namespace tetrafot
