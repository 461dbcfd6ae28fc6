#pragma once
#include <QPoint>
#include <QString>

#include <array>

class AlignWidget;
class ExposureIndicator;
class PictureArea;
class QLabel;
class QPlainTextEdit;
class QWidget;
class ScrollBoxWidget;
struct PaneState;

// How the window wants its panes drawn.
struct PaneViewOptions {
    bool captionsOn = false;
    QString captionPattern;   // the caption's placeholders, as stored
};

// The eleven mark pictures (digits 0..9, 10 = V) the panes show copies of.
using MarkPictureSet = std::array<QLabel*, 11>;

// One pane's controls and the drawing of its state. What it shows is a
// PaneState of the core; the view reads it and writes nothing back. The
// picture's layout (scale, fit, scroll position) is the window's.
class PaneView {
public:
    // Makes pane n's controls in its quarter of the grid: the caption strip
    // (commentN), the metadata panel (ExPanN, exifN) and the scrolling box
    // with its overlays.
    void build(int n, AlignWidget* quarter);

    // The marks, the label, the metadata panel and the caption of a pane
    // that has just loaded its file; the picture is left to the layout.
    void showLoaded(const PaneState& state, const PaneViewOptions& options, const MarkPictureSet& marks);
    // The label, the metadata panel, the caption and the mark's picture.
    void showFile(const PaneState& state, const PaneViewOptions& options, const MarkPictureSet& marks);
    // The pane's picture laid out at the scale code: at its decoded size, or
    // fitted into the box, and placed in it.
    void layOut(const PaneState& state, int code);
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
};
