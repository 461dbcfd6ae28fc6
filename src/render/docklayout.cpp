#include "render/docklayout.h"

#include <algorithm>

namespace tetrafot {

void DockLayout::add(Align align, int size)
{
    m_items.push_back({align, size});
}

void DockLayout::remove(int index)
{
    m_items.erase(m_items.begin() + index);
}

int DockLayout::size(int index) const
{
    const Item& it = m_items[size_t(index)];
    return it.align == Client ? 0 : it.size;
}

void DockLayout::setSize(int index, int size)
{
    m_items[size_t(index)].size = std::max(0, size);
}

int DockLayout::before(int index, const std::vector<bool>& shown) const
{
    int found = -1;
    for (int i = 0; i < index; ++i)
        if (m_items[size_t(i)].align == m_items[size_t(index)].align && shown[size_t(i)])
            found = i;
    return found;
}

std::vector<QRect> DockLayout::rects(QRect r, const std::vector<bool>& shown) const
{
    std::vector<QRect> out(m_items.size());
    for (Align pass : {Top, Bottom, Left, Right}) {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].align != pass || !shown[i])
                continue;
            const bool across = pass == Top || pass == Bottom;
            const int s = std::min(m_items[i].size, std::max(0, across ? r.height() : r.width()));
            switch (pass) {
            case Top: out[i] = QRect(r.left(), r.top(), r.width(), s); r.setTop(r.top() + s); break;
            case Bottom: out[i] = QRect(r.left(), r.bottom() + 1 - s, r.width(), s); r.setBottom(r.bottom() - s); break;
            case Left: out[i] = QRect(r.left(), r.top(), s, r.height()); r.setLeft(r.left() + s); break;
            default: out[i] = QRect(r.right() + 1 - s, r.top(), s, r.height()); r.setRight(r.right() - s); break;
            }
        }
    }
    // A panel of width 1 counts as hidden: what fills it is not drawn.
    const bool collapsed = r.width() <= 1 || r.height() <= 1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].align == Client && shown[i])
            out[i] = QRect(r.left(), r.top(), collapsed ? 0 : r.width(), collapsed ? 0 : r.height());
    return out;
}

int DockLayout::dragged(Align align, int startSize, int delta)
{
    if (align == Right || align == Bottom)
        delta = -delta;
    return std::max(1, startSize + delta);
}

} // namespace tetrafot
