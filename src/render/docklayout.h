#pragma once
#include <QRect>

#include <vector>

namespace tetrafot {

// Panels docked the way the window was designed: each to the top, bottom,
// left or right edge of the room still free, at its own size (height for
// Top and Bottom, width for Left and Right), with the Client one filling
// what is left. Sizes are plain numbers, so the stored widths and heights
// mean exactly what they say.
class DockLayout {
public:
    enum Align { Top, Bottom, Left, Right, Client };

    void add(Align align, int size);
    void remove(int index);
    int count() const { return int(m_items.size()); }
    Align align(int index) const { return m_items[size_t(index)].align; }
    // The docked size; 0 for the Client.
    int size(int index) const;
    void setSize(int index, int size);   // at least 0

    // The shown item docked just before `index` on the same side (what a
    // splitter after it resizes), or -1.
    int before(int index, const std::vector<bool>& shown) const;
    // Where each item goes in `room`: the edges in the order top, bottom,
    // left, right, and within an edge in the order of adding, each taking
    // at most what is left; then the Client. A hidden item takes no room
    // and gets an empty rectangle. A Client of width or height 1 or less
    // counts as hidden: it gets a size of 0 at its place.
    std::vector<QRect> rects(QRect room, const std::vector<bool>& shown) const;

    // The size of the panel a splitter resizes, the bar dragged by `delta`
    // along its axis from where the panel had `startSize`: a panel on the
    // right or bottom grows when the bar moves away from it; 1 at least.
    static int dragged(Align align, int startSize, int delta);

private:
    struct Item {
        Align align;
        int size;
    };
    std::vector<Item> m_items;
};

} // namespace tetrafot
