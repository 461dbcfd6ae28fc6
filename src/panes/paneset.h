#pragma once
#include "files/folderlist.h"
#include "panes/walking.h"
#include "pipeline/decodepipeline.h"
#include "metadata/basicexif.h"
#include "render/difference.h"
#include "render/marks.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace tetrafot {

// What a pane shows of a file beside its picture, read once per file
// identity: the metadata panel's text and the caption's fields (both
// empty when the file holds no Exif the reader takes).
struct PhotoFacts {
    FileIdentity identity;
    QString metadataText;   // the panel's lines, one a line
    TBasicExif basic;
};

// How a load finds the RAW companions of a JPEG for the pane's mark.
struct CompanionRule {
    QStringList extensions;
    bool anyRaw = false;   // one companion is enough, rather than all of them
    QString prefix, suffix;
};

// What one pane shows and how: everything about it but its widgets.
struct PaneState {
    QString PanePath;      // full path of the file shown; "" for an empty pane
    int PaneScale = 0;     // scale code 1..5; 0 before the first load
    bool OverlayOn = false;
    std::shared_ptr<const DecodedPhoto> photo;   // as decoded, shared with the cache
    QImage overlay;        // the exposure overlay's painted copy, while OverlayOn
    MarkCode mark = NoMark;
    bool rawCompanions = false;   // a JPEG whose RAW files lie beside it
    bool readOnly = false;        // as the load found the file
    std::shared_ptr<const PhotoFacts> facts;   // null for an empty pane
    // The difference view: this pane's photo against the reference pane's
    // file, decoded at the same DCT scale as this pane's photo.
    bool DifferenceOn = false;
    int differenceReference = 0;   // the pane (1..4) compared with
    std::shared_ptr<const DecodedPhoto> reference;
    // What the difference view shows: the difference over the part of the
    // picture the pane shows (its pixels and where they lie), and the label.
    QImage differenceImage;
    QRect differenceRect;
    QString differenceLabel;
    // The overlay's colours as painted, for the pane's indicator.
    QRgb overColour = 0, underColour = 0;

    bool hasPicture() const { return photo != nullptr; }
    bool isJpeg() const { return photo && photo->jpeg; }
    // The pixels to draw: while only a part of the photo is decoded, the
    // pixels of photo->part.
    const QImage& image() const { return OverlayOn ? overlay : photo->image; }
    bool isPart() const { return !OverlayOn && photo && photo->isPart(); }
    // The size of the picture laid out, whole or not.
    QSize pictureSize() const { return OverlayOn ? overlay.size() : photo->size(); }
    QSize fullSize() const { return isJpeg() ? photo->fullSize : QSize(); }
    // Where the pixels of a part lie in the picture.
    QRect part() const { return isPart() ? photo->part : QRect(); }
    // The size of a preview too small to judge by, for the pane's label.
    QSize meagrePreview() const { return photo ? photo->meagrePreview : QSize(); }
    const TBasicExif& basic() const;
    // The pane's label: the file's path, with the size of a preview too
    // small to judge by; in the difference view, what is compared.
    QString label() const;
    // The caption by the stored pattern of placeholders.
    QString captionText(const QString& pattern) const;
    QString metadataText() const { return facts ? facts->metadataText : QString(); }
};

// The four panes of the grid, numbered 1..4, and the decoding behind them.
// Loads are synchronous for the caller; the pipeline answers from its cache
// when it can and decodes what the next step will need while the user looks.
class PaneSet {
public:
    explicit PaneSet(DecodePipeline::Options options = {});

    const PaneState& operator[](int n) const { return m_panes[size_t(n - 1)]; }
    PaneState& pane(int n) { return m_panes[size_t(n - 1)]; }
    std::array<QString, 4> paths() const;

    // Decodes the file at the scale code and only then makes it the pane's,
    // with everything the pane shows of it: its mark in `marks`, its Exif
    // listing and caption fields, whether it is read-only and whether RAW
    // companions lie beside it. A file that fails (UserError) leaves the
    // pane as it was; a name that is no regular file changes nothing and
    // gives false. The file is looked up once; its Exif is read once while
    // a pane or the recent loads hold it. R asks for fromDisk, so a file
    // changed in place is read again whatever the cache holds.
    // visibleOf: what of the picture (given its size) the pane shows at
    // first; when set, a large photo may come as that part alone (isPart()),
    // its whole following on a worker (see takeWhole).
    bool load(int n, const QString& path, int scaleCode, int maxSize, const MarkStore& marks, bool fromDisk = false,
              std::function<QRect(QSize)> visibleOf = nullptr, const CompanionRule& companions = {});
    // Exif listings read so far (each reads a file's Exif block).
    int metadataReads() const { return m_metadataReads; }
    // Puts a whole photo handed over by the pipeline (see
    // DecodePipeline::handOff) into the panes that show a part of it, and
    // only those. A whole decode that failed puts them back as they were
    // before the load, as a failed load would have left them. A result that
    // is no longer current (taken already, or dropped by a change since)
    // changes nothing. One outcome per pane changed: its number and the
    // error, empty when the whole photo came.
    struct PartOutcome {
        int pane;
        QString path;    // the file whose whole came or failed
        QString error;
    };
    std::vector<PartOutcome> takeWhole(const WholeResult& result);
    // The whole photo for a pane showing a part, waited for. On UserError
    // the pane is put back as before the load, and the error rethrown.
    void makeWhole(int n);
    // The pane's photo at another scale; UserError leaves the pane as it
    // was, or for a pane showing a part whose whole fails, as before its load.
    void rescale(int n, int scaleCode, int maxSize);
    // The pane's file looked at again after its permissions changed: its
    // read-only mark as the file is now (a file that cannot be looked at
    // counts as read-only).
    bool checkReadOnly(int n);
    // Empties the pane; its scale code stays for the next load.
    void clear(int n);
    // Paints the overlay on a copy of the pane's JPEG photo; false for a
    // pane without one.
    bool paintOverlay(int n, int underMode, int overMode, int underColour, int overColour);
    // Switches the overlay off, keeping its painted pixels as the pane's
    // picture (a plain bitmap, no longer a photo at a scale) until the file
    // is read again: a file that has gone meanwhile leaves what was shown.
    void keepOverlayAsPicture(int n);

    // Turns the difference view on: pane n's photo against the file of pane
    // `reference`. False when either pane shows no picture or they are one
    // pane; UserError when the reference cannot be decoded (the pane stays).
    bool startDifference(int n, int reference, int maxSize);
    void stopDifference(int n);
    // The difference over `visible` (in the picture's pixels) of a pane
    // whose difference view is on.
    PhotoDifference difference(int n, QRect visible) const;

    // Decodes these files (or the parts of them that are seen first) in
    // parallel so that the loads that follow find them ready. Errors are
    // left for the loads to report.
    void prepare(const std::vector<DecodeRequest>& requests);
    // What one walking key does to the panes, worked out over the list with
    // the pinned pane's file left out of it. Nothing changes until the
    // caller applies the result.
    enum class Step { Next, Previous, First, Last };
    WalkResult step(Step step, const FolderList& list, bool pageMode) const;
    // The files from entry `first` on (a file named at start).
    WalkResult showFrom(int first, const FolderList& list) const;
    // After a walk: the files that the next Space and the next Backspace
    // would bring in, decoded on the workers at their panes' scales.
    void lookAhead(const FolderList& list, bool pageMode, const std::function<int(int)>& scaleOf, int maxSize);
    // scaleOf(k): the scale code pane k (1..4) would load at; pinnedEntry:
    // the list's index of the pinned pane's file, or -1 (see Pin).
    void lookAhead(int selection, int count, bool pageMode, const EntryPath& entryPath,
                   const std::function<int(int)>& scaleOf, int maxSize, int pinnedEntry = -1);
    // The files these steps would load, decoded on the workers.
    void lookAhead(const std::vector<WalkResult>& steps, const std::function<int(int)>& scaleOf, int maxSize);

    // The pane (1..4) that keeps its file while the others walk, or 0.
    int pinned() const { return m_pinned; }
    void setPinned(int n) { m_pinned = n >= 1 && n <= 4 ? n : 0; }
    // Photos turned upright by their Exif orientation, from the next load
    // on; true when that changed, and the panes should then be loaded again.
    bool setUpright(bool on);

    DecodePipeline& pipeline() { return m_pipeline; }

private:
    void putBack(int n);   // as before the load of a part whose whole failed
    // A part shown in a pane that holds what r's pane will show, or null.
    std::shared_ptr<const DecodedPhoto> shownPart(const DecodeRequest& r);
    // The facts of the photo's file: a pane's or a recent load's, else read
    // (always when fromDisk).
    std::shared_ptr<const PhotoFacts> factsOf(const DecodedPhoto& photo, const FileIdentity& identity, bool fromDisk);
    std::array<PaneState, 4> m_panes;
    // What a pane showing a part showed before its load, for a whole decode that fails.
    std::array<std::optional<PaneState>, 4> m_before;
    std::vector<std::pair<DecodeRequest, std::shared_ptr<const DecodedPhoto>>> m_prepared;
    DecodePipeline m_pipeline;
    std::vector<std::shared_ptr<const PhotoFacts>> m_recentFacts;   // most recent first
    int m_metadataReads = 0;
    int m_pinned = 0;
};

} // namespace tetrafot
