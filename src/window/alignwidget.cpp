#include "window/alignwidget.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>
#include <algorithm>

AlignWidget::AlignWidget(const QString& name, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
}

void AlignWidget::addChild(QWidget* child, Align align, int size)
{
    child->setParent(this);
    m_items.push_back({child, align, size});
    relayout();
}

AlignWidget::Item* AlignWidget::item(QWidget* child)
{
    for (auto& it : m_items)
        if (it.widget == child)
            return &it;
    return nullptr;
}

const AlignWidget::Item* AlignWidget::item(QWidget* child) const
{
    for (const auto& it : m_items)
        if (it.widget == child)
            return &it;
    return nullptr;
}

int AlignWidget::childSize(QWidget* child) const
{
    const Item* it = item(child);
    if (!it)
        return 0;
    if (it->align == Client)
        return 0;
    return it->size;
}

void AlignWidget::setChildSize(QWidget* child, int size)
{
    if (Item* it = item(child)) {
        it->size = std::max(0, size);
        relayout();
    }
}

AlignWidget::Align AlignWidget::alignOf(QWidget* child) const
{
    const Item* it = item(child);
    return it ? it->align : Client;
}

QWidget* AlignWidget::neighbourBefore(QWidget* child) const
{
    const Item* target = item(child);
    if (!target)
        return nullptr;
    QWidget* before = nullptr;
    for (const auto& it : m_items) {
        if (it.widget == child)
            break;
        if (it.align == target->align && !it.widget->isHidden())
            before = it.widget;
    }
    return before;
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
    QRect r = contentsRect().adjusted(m_inset, m_inset, -m_inset, -m_inset);
    // Edges first in the order top, bottom, left, right, as the design has it;
    // within one edge the order of adding counts.
    for (Align pass : {Top, Bottom, Left, Right}) {
        for (auto& it : m_items) {
            if (it.align != pass || it.widget->isHidden())
                continue;
            switch (pass) {
            case Top: {
                int h = std::min(it.size, std::max(0, r.height()));
                it.widget->setGeometry(r.left(), r.top(), r.width(), h);
                r.setTop(r.top() + h);
                break;
            }
            case Bottom: {
                int h = std::min(it.size, std::max(0, r.height()));
                it.widget->setGeometry(r.left(), r.bottom() + 1 - h, r.width(), h);
                r.setBottom(r.bottom() - h);
                break;
            }
            case Left: {
                int w = std::min(it.size, std::max(0, r.width()));
                it.widget->setGeometry(r.left(), r.top(), w, r.height());
                r.setLeft(r.left() + w);
                break;
            }
            case Right: {
                int w = std::min(it.size, std::max(0, r.width()));
                it.widget->setGeometry(r.right() + 1 - w, r.top(), w, r.height());
                r.setRight(r.right() - w);
                break;
            }
            case Client:
                break;
            }
        }
    }
    // A panel of width 1 counts as hidden: what fills it is not drawn.
    const bool collapsed = r.width() <= 1 || r.height() <= 1;
    for (auto& it : m_items)
        if (it.align == Client && !it.widget->isHidden())
            it.widget->setGeometry(r.left(), r.top(), collapsed ? 0 : r.width(), collapsed ? 0 : r.height());
    // A hidden window gets no resize events yet, but start-up lays pictures
    // out before the first show: pass the new sizes down at once.
    if (!isVisible())
        for (auto& it : m_items)
            if (auto* child = qobject_cast<AlignWidget*>(it.widget))
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
    if (event->type() == QEvent::ChildRemoved)
        std::erase_if(m_items, [&](const Item& it) { return it.widget == event->child(); });
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
    int delta = pos - m_grab;
    // A panel docked to the right or bottom grows when the bar moves away from it.
    AlignWidget::Align a = h->alignOf(target);
    if (a == AlignWidget::Right || a == AlignWidget::Bottom)
        delta = -delta;
    h->setChildSize(target, std::max(1, m_startSize + delta));
    emit moved();
}

void SplitterWidget::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}
