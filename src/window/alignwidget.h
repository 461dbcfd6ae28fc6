#pragma once
#include "render/docklayout.h"

#include <QFrame>
#include <QWidget>
#include <vector>

namespace tetrafot {

// A panel that lays its children out as a DockLayout says, in the order
// they were added.
class AlignWidget : public QFrame {
    Q_OBJECT
public:
    using Align = DockLayout::Align;
    static constexpr Align Top = DockLayout::Top, Bottom = DockLayout::Bottom, Left = DockLayout::Left,
                           Right = DockLayout::Right, Client = DockLayout::Client;

    explicit AlignWidget(const QString& name, QWidget* parent = nullptr);

    void addChild(QWidget* child, Align align, int size = 0);
    // The docked size (height for Top/Bottom, width for Left/Right).
    int childSize(QWidget* child) const;
    void setChildSize(QWidget* child, int size);
    // The child docked just before `child` on the same side (what a splitter resizes).
    QWidget* neighbourBefore(QWidget* child) const;
    Align alignOf(QWidget* child) const;

    // The page-mode frame: a line, a lowered and a raised bevel of 3 pixels.
    void setBevelFrame(bool on);
    bool bevelFrame() const { return m_bevel; }
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    int indexOf(const QObject* child) const;
    std::vector<bool> shown() const;
    DockLayout m_layout;
    std::vector<QWidget*> m_children;   // as m_layout holds them
    int m_inset = 0;
    bool m_bevel = false;
};

// A draggable bar between two docked panels; dragging resizes the panel
// docked before it on the same side.
class SplitterWidget : public QWidget {
    Q_OBJECT
public:
    SplitterWidget(const QString& name, Qt::Orientation orientation, QWidget* parent = nullptr);
    AlignWidget* host() const;

signals:
    void moved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Orientation m_orientation;
    bool m_dragging = false;
    int m_grab = 0;
    int m_startSize = 0;
};

} // namespace tetrafot
