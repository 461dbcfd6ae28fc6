#include "window/panewidgets.h"

#include "render/exposure.h"
#include "render/panebox.h"
#include "render/scaling.h"
#include "panes/viewplace.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <tuple>
#include <cmath>

namespace tetrafot {

namespace {

// Turns the painter to the widget's device pixels, so that an image drawn
// at its own size is copied pixel for pixel, its origin on a whole screen
// pixel rather than left to the paint engine (see CoverInDevicePixels).
// Returns the device pixels that cover `logical`.
QRect ToDevicePixels(QPainter& p, const QRect& logical)
{
    const double ratio = p.device()->devicePixelRatioF();
    const DeviceCover cover = CoverInDevicePixels(p.deviceTransform().map(QPointF(0, 0)), logical, ratio);
    p.scale(1 / ratio, 1 / ratio);
    p.translate(cover.shift);
    return cover.covered;
}

} // namespace

PictureArea::PictureArea(const QString& name, int tag, QWidget* parent) : QWidget(parent), m_tag(tag)
{
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureArea::show(const QImage& pixels, QRect part, QSize whole)
{
    if (part == QRect(QPoint(), whole))
        part = QRect();
    if (pixels.cacheKey() == m_image.cacheKey() && part == m_part && (part.isNull() || whole == m_whole))
        return;
    m_image = pixels;
    m_part = part;
    m_whole = part.isNull() ? QSize() : whole;
    m_scaled = QPixmap();
    update();
}

void PictureArea::clear()
{
    setImage(QImage());
}

void PictureArea::setStretch(bool on)
{
    if (m_stretch != on) {
        m_stretch = on;
        m_scaled = QPixmap();
        update();
    }
}

void PictureArea::setSmooth(bool on)
{
    if (m_smooth != on) {
        m_smooth = on;
        m_scaled = QPixmap();
        update();
    }
}

QSize PictureArea::pixelSize() const
{
    const double ratio = devicePixelRatioF();
    if (m_pixels.isValid() && LogicalSize(m_pixels, ratio) == size())
        return m_pixels;
    return DevicePixels(size(), ratio);
}

void PictureArea::setPixelSize(QSize pixels)
{
    m_pixels = pixels;
    m_scaled = QPixmap();
    resize(LogicalSize(pixels, devicePixelRatioF()));
    update();
}

QRect PictureArea::drawnPixels() const
{
    const QSize pixels = pixelSize();
    if (m_image.isNull() || pixels.isEmpty())
        return {};
    return QRect(QPoint(0, 0), DrawnSize(isPart() ? m_whole : m_image.size(), pixels, m_stretch));
}

QRect PictureArea::drawnRect() const
{
    const QRect pixels = drawnPixels();
    if (pixels.isEmpty())
        return {};
    return QRect(QPoint(0, 0), LogicalSize(pixels.size(), devicePixelRatioF()));
}

void PictureArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_scaled = QPixmap();
}

void PictureArea::paintEvent(QPaintEvent* event)
{
    const QRect target = drawnPixels();
    if (target.isEmpty())
        return;
    QPainter p(this);
    const PaintCopy copy = CopyToPaint(ToDevicePixels(p, event->rect()), target.size(), m_part);
    if (copy.to.isEmpty())
        return;   // an empty source would stand for the whole image
    const QRect from(copy.from, copy.to.size());
    // Parts come only at a fixed scale. At its own size just the exposed
    // pixels are copied, so a 24-megapixel photo at 1:1 repaints only what
    // is seen.
    if (isPart() || target.size() == m_image.size()) {
        p.drawImage(copy.to.topLeft(), m_image, from);
        return;
    }
    // Scaled once for each new picture or size, not on every paint.
    if (m_scaled.size() != target.size())
        m_scaled = QPixmap::fromImage(m_image.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                     m_smooth ? Qt::SmoothTransformation : Qt::FastTransformation));
    p.drawPixmap(copy.to.topLeft(), m_scaled, from);
}

void PictureArea::mousePressEvent(QMouseEvent* event)
{
    m_pressModifiers = event->modifiers();
    emit pressed(m_tag, event->position().toPoint(), event->button());
}

void PictureArea::mouseMoveEvent(QMouseEvent* event)
{
    emit moved(m_tag, event->position().toPoint());
}

void PictureArea::mouseReleaseEvent(QMouseEvent* event)
{
    emit released(m_tag);
    if (rect().contains(event->position().toPoint()))
        emit clicked(m_tag);
}

void PictureArea::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked(m_tag);
}

ExposureIndicator::ExposureIndicator(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setFixedSize(17, 17);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ExposureIndicator::setColours(const QColor& fill, const QColor& outline)
{
    m_fill = fill;
    m_outline = outline;
    update();
}

void ExposureIndicator::paintEvent(QPaintEvent*)
{
    // Drawn at the screen's scale, so that the disc stays crisp there too.
    QPainter p(this);
    ToDevicePixels(p, rect());
    p.drawImage(0, 0, IndicatorDisc(DevicePixels(size(), devicePixelRatioF()).width(), m_fill.rgb(), m_outline.rgb()));
}

ScrollBoxWidget::ScrollBoxWidget(int pane, QWidget* parent) : QAbstractScrollArea(parent), m_tag(pane)
{
    setObjectName(QStringLiteral("ScrollBox%1").arg(pane));
    setFocusPolicy(Qt::ClickFocus);
    setFrameStyle(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(true);

    m_area = new PictureArea(QStringLiteral("Image%1").arg(pane), pane, viewport());
    m_area->setGeometry(0, 0, 0, 0);

    // The overlays, in the order of PaneOverlay; the mouse goes through them.
    const char* const names[] = {"lbl%1", "warn_ind_%1", "checkmark%1", "rawmark%1", "promark%1", "pinmark%1"};
    for (int i = 0; i < OverlayCount; ++i) {
        const QString name = QString::fromLatin1(names[i]).arg(pane);
        m_overlays[size_t(i)] = i == OverlayIndicator ? static_cast<QWidget*>(new ExposureIndicator(name, viewport()))
                                                        : new QLabel(viewport());
        m_overlays[size_t(i)]->setObjectName(name);
        m_overlays[size_t(i)]->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (i != OverlayPath)
            m_overlays[size_t(i)]->hide();
    }
    m_label = static_cast<QLabel*>(m_overlays[OverlayPath]);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAutoFillBackground(true);
    m_label->setContentsMargins(2, 0, 0, 0);
    placeOverlays();
}

void ScrollBoxWidget::setCurrent(bool current)
{
    m_current = current;
    // The current pane's two-pixel sunken frame is its only sign.
    if (current) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    showPlace();
    placeOverlays();
}

BoxMetrics ScrollBoxWidget::metrics() const
{
    return {size(), contentsRect().size(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this),
            devicePixelRatioF()};
}

QRect ScrollBoxWidget::areaRect() const
{
    return m_place ? m_place->area() : QRect();
}

void ScrollBoxWidget::apply(ViewPlace& place)
{
    m_place = &place;
    showPlace();
}

void ScrollBoxWidget::showPlace()
{
    if (!m_place)
        return;
    m_place->measure(metrics());
    const ScrollBars bars = m_place->bars();
    const QPoint scroll = m_place->scroll();
    m_applying = true;
    setHorizontalScrollBarPolicy(bars.horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(bars.vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    for (auto [bar, range, page, value] : {std::tuple(horizontalScrollBar(), bars.range.x(), bars.view.width(), scroll.x()),
                                           std::tuple(verticalScrollBar(), bars.range.y(), bars.view.height(), scroll.y())}) {
        bar->setRange(0, range);
        bar->setPageStep(page);
        bar->setValue(value);
    }
    m_applying = false;
    m_area->resize(m_place->area().size());
    m_area->move(m_place->shown().topLeft());
}

void ScrollBoxWidget::placeOverlays()
{
    const auto rects = OverlayRects(viewport()->size());
    for (size_t i = 0; i < m_overlays.size(); ++i) {
        m_overlays[i]->setGeometry(rects[i]);
        m_overlays[i]->raise();
    }
}

void ScrollBoxWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    showPlace();
    placeOverlays();
    emit areaMoved();
}

void ScrollBoxWidget::scrollContentsBy(int, int)
{
    if (m_applying || !m_place)
        return;
    // Only the picture scrolls; the overlays stay at the corners.
    m_place->scrollTo(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    m_area->move(m_place->shown().topLeft());
    emit areaMoved();
}

void ScrollBoxWidget::mousePressEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mousePressEvent(event);
    emit clicked(m_tag);
}

bool ScrollBoxWidget::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        emit clicked(m_tag);
        return true;
    }
    if (event->type() == QEvent::Resize)
        placeOverlays();
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace tetrafot
