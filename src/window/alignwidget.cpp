#include "window/alignwidget.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>
#include <algorithm>

namespace tetrafot {

AlignWidget::AlignWidget(const QString& name, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
}

void AlignWidget::addChild(QWidget* child, Align align, int size)
{
    child->setParent(this);
    m_layout.add(align, size);
    m_children.push_back(child);
    relayout();
}

int AlignWidget::indexOf(const QObject* child) const
{
    const auto it = std::find(m_children.begin(), m_children.end(), child);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

std::vector<bool> AlignWidget::shown() const
{
    std::vector<bool> out;
    for (QWidget* w : m_children)
        out.push_back(!w->isHidden());
    return out;
}

int AlignWidget::childSize(QWidget* child) const
{
    const int i = indexOf(child);
    return i < 0 ? 0 : m_layout.size(i);
}

void AlignWidget::setChildSize(QWidget* child, int size)
{
    if (const int i = indexOf(child); i >= 0) {
        m_layout.setSize(i, size);
        relayout();
    }
}

AlignWidget::Align AlignWidget::alignOf(QWidget* child) const
{
    const int i = indexOf(child);
    return i < 0 ? Client : m_layout.align(i);
}

QWidget* AlignWidget::neighbourBefore(QWidget* child) const
{
    const int i = indexOf(child);
    const int before = i < 0 ? -1 : m_layout.before(i, shown());
    return before < 0 ? nullptr : m_children[size_t(before)];
}

void AlignWidget::setBevelFrame(bool on)
{
    m_bevel = on;
    m_inset = on ? 1 + 3 + 3 : 0;
    relayout();
    update();
}

void AlignWidget::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!m_bevel)
        return;
    QPainter p(this);
    const QPalette& pal = palette();
    QRect r = contentsRect();
    p.setPen(pal.color(QPalette::WindowText));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
    qDrawShadePanel(&p, r, pal, true, 3);
    qDrawShadePanel(&p, r.adjusted(3, 3, -3, -3), pal, false, 3);
}

void AlignWidget::relayout()
{
    const std::vector<QRect> rects =
        m_layout.rects(contentsRect().adjusted(m_inset, m_inset, -m_inset, -m_inset), shown());
    for (size_t i = 0; i < m_children.size(); ++i)
        if (!m_children[i]->isHidden())
            m_children[i]->setGeometry(rects[i]);
    // A hidden window gets no resize events yet, but start-up lays pictures
    // out before the first show: pass the new sizes down at once.
    if (!isVisible())
        for (QWidget* w : m_children)
            if (auto* child = qobject_cast<AlignWidget*>(w))
                child->relayout();
}

void AlignWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    relayout();
}

void AlignWidget::childEvent(QChildEvent* event)
{
    QFrame::childEvent(event);
    if (event->type() != QEvent::ChildRemoved)
        return;
    if (const int i = indexOf(event->child()); i >= 0) {
        m_layout.remove(i);
        m_children.erase(m_children.begin() + i);
    }
}

SplitterWidget::SplitterWidget(const QString& name, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation)
{
    setObjectName(name);
    setCursor(orientation == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    setAutoFillBackground(true);
}

AlignWidget* SplitterWidget::host() const
{
    return qobject_cast<AlignWidget*>(parentWidget());
}

void SplitterWidget::mousePressEvent(QMouseEvent* event)
{
    AlignWidget* h = host();
    QWidget* target = h ? h->neighbourBefore(this) : nullptr;
    if (event->button() != Qt::LeftButton || !target)
        return;
    m_dragging = true;
    m_grab = m_orientation == Qt::Horizontal ? event->globalPosition().toPoint().x() : event->globalPosition().toPoint().y();
    m_startSize = h->childSize(target);
}

void SplitterWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    AlignWidget* h = host();
    QWidget* target = h ? h->neighbourBefore(this) : nullptr;
    if (!target)
        return;
    int pos = m_orientation == Qt::Horizontal ? event->globalPosition().toPoint().x() : event->globalPosition().toPoint().y();
    h->setChildSize(target, DockLayout::dragged(h->alignOf(target), m_startSize, pos - m_grab));
    emit moved();
}

void SplitterWidget::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

} // namespace tetrafot
