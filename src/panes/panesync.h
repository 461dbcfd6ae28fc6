#pragma once
#include <QPointF>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace tetrafot {

// Synchronized panes show the same point of their photos, whatever each
// photo's size: a point is told as fractions of the picture's width and
// height. `shown` is where a pane's picture lies in its view (view
// coordinates, the part outside scrolled or dragged away).

// The point of the picture at the centre of the view; along an axis where
// the picture fits in the view, its middle.
QPointF ViewCentre(const QRect& shown, QSize view);

// Where the picture's top-left goes so that `centre` comes to the middle of
// the view. Along an axis where the picture is larger than the view it is
// kept covering the view; along one where it fits it stays where it lies.
QPoint PlaceAtCentre(QPointF centre, const QRect& shown, QSize view);

// The part of a picture of `picture` pixels, laid out centred in a box of
// `box` pixels, that a view of `view` pixels shows once `centre` has been
// brought to its middle: what a synchronized walk shows of the next photo.
QRect SynchronizedPart(QPointF centre, QSize picture, QSize box, QSize view);

// What a pane shows at first of a picture (given its size), all in device
// pixels: `box` the pane's box, `view` its viewport, `scroll` the scroll
// position. A synchronized pane brings `centre` (the point of its photo
// shown before) back to the middle; another keeps its scroll position.
std::function<QRect(QSize)> FirstSeen(QSize box, QSize view, QPoint scroll, std::optional<QPointF> centre);

// A pane's picture as its view shows it: where the picture lies (view
// coordinates) and the view's size.
struct ShownPicture {
    QRect shown;
    QSize view;
    bool hasPicture = false;
};
using ShownPictures = std::array<ShownPicture, 4>;

// A pane (1..4) whose picture moves, and by how much.
struct PictureMove {
    int pane;
    QPoint by;
    bool operator==(const PictureMove&) const = default;
};

// How far pane `n`'s picture moves to bring `centre` to the middle of its
// view, for each pane with a picture but `except`.
std::vector<PictureMove> MovesToCentre(QPointF centre, const ShownPictures& panes, int except = 0);

// Dragging the current pane's picture with the mouse. Positions are in the
// picture's own coordinates, which move with it: the point grabbed stays
// under the mouse. While the panes are synchronized the others follow, each
// bringing the same point of its photo to its middle; Shift held at the
// press drags the current pane alone.
class PictureDrag {
public:
    void press(int current, QPoint at, bool alone);
    // The mouse moved over pane `pane`'s picture: the pictures that move.
    // Over another pane than the current one the drag ends.
    std::vector<PictureMove> move(int pane, int current, QPoint at, bool sync, const ShownPictures& panes);
    void release() { m_pane = 0; }
    int pane() const { return m_pane; }   // 0 when no drag runs

private:
    int m_pane = 0;
    QPoint m_start;
    bool m_alone = false;
};

} // namespace tetrafot
