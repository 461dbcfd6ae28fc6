#pragma once
#include <QPoint>
#include <QString>

#include <array>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace tetrafot {

class AlignWidget;
class ExposureIndicator;
class PictureArea;
class ScrollBoxWidget;
class ViewPlace;
struct PaneState;

// How the window wants its panes drawn.
struct PaneViewOptions {
    bool captionsOn = false;
    QString captionPattern;   // the caption's placeholders, as stored
};

// The eleven mark pictures (digits 0..9, 10 = V) the panes show copies of.
using MarkPictureSet = std::array<QLabel*, 11>;

// One pane's controls and the drawing of its state. What it shows is a
// PaneState of the core and where its picture lies a ViewPlace, whose
// scroll position the box keeps up with the user's scrolling; the view
// writes nothing else back.
class PaneView {
public:
    // Makes pane n's controls in its quarter of the grid: the caption strip
    // (commentN), the metadata panel (ExPanN, exifN) and the scrolling box
    // with its overlays.
    void build(int n, AlignWidget* quarter);

    // The pane as its state and place say: the picture (or the difference,
    // or the overlay) laid out and placed, the label, the exposure
    // indicator, the marks, the metadata panel and the caption. An empty
    // pane is cleared.
    // True when the caption came or went: the box the picture was laid out
    // in changed size.
    bool show(const PaneState& state, ViewPlace& place, const PaneViewOptions& options, const MarkPictureSet& marks);
    // An odd code from a hand-edited marks file keeps the picture shown.
    void showMark(int code, const MarkPictureSet& marks);
    // Nothing shown: no picture, texts or marks.
    void clear();
    // The mark pictures drawn for a screen of this scale.
    void drawMarkPictures(double ratio);

    PictureArea* picture = nullptr;
    ScrollBoxWidget* box = nullptr;
    QLabel* pathLabel = nullptr;
    QPlainTextEdit* memo = nullptr;
    QLabel* caption = nullptr;
    QWidget* metaPanel = nullptr;
    AlignWidget* quarter = nullptr;   // the panel that holds the pane
    ExposureIndicator* indicator = nullptr;
    QLabel* markImage = nullptr;
    QLabel* rawMark = nullptr;
    QLabel* readOnlyMark = nullptr;
    QLabel* pinMark = nullptr;
    int shownMark = 10;   // the mark picture markImage holds a copy of (V before any)

private:
    QString m_metadataText;   // as the panel holds it: set again only when it changes
};

} // namespace tetrafot
