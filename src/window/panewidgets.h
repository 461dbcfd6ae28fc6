#pragma once
#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <array>

class QLabel;

namespace tetrafot {

class ViewPlace;
struct BoxMetrics;

// The picture area of a pane (Image1..Image4). It never sizes itself: the
// pane layout sets its geometry. With stretch on, the picture is scaled to
// the area keeping its aspect ratio, anchored top left; with stretch off it
// is drawn at its own size, scaled down only when it is larger than the
// area. Scaling drops or repeats pixels, or with smooth on filters them, so
// that fine detail shrunk to the area does not alias.
//
// Pictures are drawn in device pixels: at its own size one pixel of the
// picture is one pixel of the screen, whatever the screen's scale, and the
// area's logical size is the picture's divided by the scale.
class PictureArea : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(const QString& name, int tag, QWidget* parent = nullptr);

    void setImage(const QImage& image) { show(image, QRect(), image.size()); }
    // Only a part of the picture is at hand: its pixels, where they lie and
    // the picture's whole size. The rest shows the pane's background until
    // setImage brings the whole picture.
    void setPart(const QImage& pixels, QRect part, QSize whole) { show(pixels, part, whole); }
    // Either of the two: a part that is the whole picture, or none, is the
    // picture. The same pixels again change nothing.
    void show(const QImage& pixels, QRect part, QSize whole);
    const QImage& image() const { return m_image; }
    bool isPart() const { return !m_part.isNull(); }
    void clear();
    void setStretch(bool on);
    bool stretch() const { return m_stretch; }
    void setSmooth(bool on);
    bool smooth() const { return m_smooth; }
    int tag() const { return m_tag; }
    // The keyboard modifiers held as the last mouse press went down.
    Qt::KeyboardModifiers pressModifiers() const { return m_pressModifiers; }
    // The rectangle the picture is drawn into, in the area's coordinates.
    QRect drawnRect() const;
    // The same in the area's device pixels.
    QRect drawnPixels() const;
    // Sizes the area to hold exactly this many device pixels (its logical
    // size rounded up), the size the layout worked out on the screen.
    void setPixelSize(QSize pixels);
    // The device pixels the picture may take: as set by setPixelSize, or
    // the whole device pixels of the area's geometry.
    QSize pixelSize() const;

signals:
    void pressed(int tag, QPoint pos, Qt::MouseButton button);
    void moved(int tag, QPoint pos);
    void released(int tag);
    void clicked(int tag);
    void doubleClicked(int tag);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    QRect m_part;    // where m_image lies in the picture, while only a part is at hand
    QSize m_whole;
    QPixmap m_scaled;   // the picture at its drawn size, when that is not its own
    QSize m_pixels;     // from setPixelSize, while the geometry still fits it
    bool m_stretch = false;
    Qt::KeyboardModifiers m_pressModifiers;
    bool m_smooth = false;
    int m_tag;
};

// The 17 x 17 exposure indicator: a disc in the over colour with a rim in
// the under colour.
class ExposureIndicator : public QWidget {
    Q_OBJECT
public:
    explicit ExposureIndicator(const QString& name, QWidget* parent = nullptr);
    void setColours(const QColor& fill, const QColor& outline);
    QColor fill() const { return m_fill; }
    QColor outline() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill = Qt::black;
    QColor m_outline = Qt::white;
};

// The scrolling frame of a pane (ScrollBox1..ScrollBox4). It holds the
// picture area where the pane's ViewPlace puts it, tells the place of the
// user's scrolling and of its new sizes, and keeps the pane's overlays
// anchored to its corners.
class ScrollBoxWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    ScrollBoxWidget(int pane, QWidget* parent = nullptr);

    int tag() const { return m_tag; }
    PictureArea* area() const { return m_area; }
    QLabel* pathLabel() const { return m_label; }
    // One of the overlays (a PaneOverlay): the indicator is an
    // ExposureIndicator, the others are labels.
    QWidget* overlay(int which) const { return m_overlays[size_t(which)]; }

    // Its sizes, for its place.
    BoxMetrics metrics() const;
    // The scroll bars and the picture area as the place has them.
    void apply(ViewPlace& place);
    QRect areaRect() const;   // unscrolled
    void setCurrent(bool current);
    bool isCurrent() const { return m_current; }

signals:
    void clicked(int tag);
    // The user scrolled or the box changed its size: another part of the
    // picture is seen.
    void areaMoved();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // The place's scroll bars and area position shown.
    void showPlace();
    void placeOverlays();

    int m_tag;
    bool m_current = false;
    PictureArea* m_area;
    std::array<QWidget*, 6> m_overlays{};
    QLabel* m_label;
    ViewPlace* m_place = nullptr;   // from the first apply on
    bool m_applying = false;        // scroll bars set from the place, not by the user
};

} // namespace tetrafot
