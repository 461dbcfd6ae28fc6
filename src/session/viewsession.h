#pragma once
#include "files/folderlist.h"
#include "panes/foldercomparison.h"
#include "panes/paneset.h"
#include "panes/panesync.h"
#include "panes/viewplace.h"
#include "render/marks.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

namespace tetrafot {

struct AppState;
class TFormStorage;

// The viewing session behind the window: the listed folder or the folders
// compared, the four panes and the walk over them, the current pane, the
// view modes, the marks of the current folder and their saving, and the
// damaged files already reported. Each command is one call that changes
// this state and says what changed; the window draws what it is told and
// shows the errors it is given.
class ViewSession : public QObject {
    Q_OBJECT
public:
    // app: the marks and the current folder, shared with the dialogs;
    // store: the stored scales and size limit.
    ViewSession(AppState& app, TFormStorage& store, QObject* parent = nullptr);

    PaneSet& panes() { return m_panes; }
    const PaneSet& panes() const { return m_panes; }
    FolderList& folderList() { return m_list; }
    const FolderList& folderList() const { return m_list; }
    const FolderComparison& comparison() const { return m_comparison; }
    bool comparing() const { return m_comparison.active(); }

    // ---- The current pane and the view modes
    int currentPane() const { return m_current; }
    // The file the current pane shows, "" for none.
    const QString& currentFile() const { return m_panes[m_current].PanePath; }
    void selectPane(int n) { m_current = n >= 1 && n <= 4 ? n : m_current; }
    // The pane an arrow key goes to: Left and Right across the grid, Up and
    // Down between its rows.
    enum class Arrow { Across, Down };
    int neighbour(Arrow arrow) const;
    bool pageMode() const { return m_pageMode; }
    // Compared folders walk name by name: false there, and nothing changes.
    bool togglePageMode();
    bool syncOn() const { return m_syncOn; }
    void toggleSync() { m_syncOn = !m_syncOn; }
    bool captionsOn() const { return m_captionsOn; }
    void toggleCaptions() { m_captionsOn = !m_captionsOn; }
    // The mouse dragging a picture: the current pane's, and the others'
    // while synchronized.
    PictureDrag& drag() { return m_drag; }
    const PictureDrag& drag() const { return m_drag; }

    // The scale code pane n (1..4) loads at.
    int storedScale(int n) const;
    // The size limit for fitting: the stored one as taken at start and
    // after the options dialog, not as the store holds it meanwhile.
    int maxSize() const { return m_maxSize; }
    void takeStoredMaxSize();
    // The options dialog closed: the size limit and the upright option are
    // taken from the store. When the upright option changed, every photo
    // shown was turned the other way: reload holds the panes to load again
    // (their decodes are started here), overlay those whose exposure overlay
    // is to be shown again after.
    struct ViewOptionsChange {
        bool smooth = false;
        std::array<bool, 4> reload{};
        std::array<bool, 4> overlay{};
        bool reloading = false;   // any pane reloads
    };
    ViewOptionsChange takeStoredViewOptions();
    // L and E show or hide the file list and the current pane's metadata
    // panel, given the width it has (1 or less: hidden): the width to give
    // it and whether its button stands pressed. A panel that goes keeps its
    // width in the store for its return; an empty pane's panel only goes.
    struct PanelToggle {
        int width = 1;
        bool shown = false;
    };
    PanelToggle toggleFileList(int width);
    PanelToggle toggleMetadataPanel(int width);
    // G: the current pane's file turns read-only or writable (an empty pane
    // only turns its mark). readOnly: what the mark shows now, whether or
    // not the change took; error: why it did not.
    struct ReadOnlyChange {
        bool readOnly = false;
        QString error;
    };
    ReadOnlyChange toggleReadOnly(bool shownReadOnly);
    // The scale code a zoom step (keypad + and -) brings the current pane
    // to, given its picture's size in device pixels; 0 for none.
    int zoomStep(QSize shown, bool in) const;
    // N and P: the external tool runs on the current pane's file.
    void runTool(bool toolN) const;
    // The settings file and the current pane's file, for the dialogs.
    void handToDialogs();
    // R and Shift+R: the panes to load again from disk, each with the
    // message for a file gone since it was shown ("" when it is there).
    struct Reload {
        int pane;
        QString gone;
    };
    std::vector<Reload> reloads(bool all) const;
    // The RAW extensions in use, as the store holds them, and the rule
    // that finds a photo's companions.
    QStringList rawExtensions() const;
    CompanionRule companionRule() const;
    // The decoders take the RAW extensions the store holds now.
    void takeStoredRawExtensions();

    // ---- What the panes show, and where
    // What a pane command changed: the panes to draw again from their
    // states and places, and the errors to show, in order.
    struct PaneUpdate {
        std::array<bool, 4> draw{};
        QStringList errors;
        void add(int n) { draw[size_t(n - 1)] = true; }
        PaneUpdate& operator+=(const PaneUpdate& other);
    };
    // Where pane n's picture lies in its box.
    ViewPlace& place(int n) { return m_places[size_t(n - 1)]; }
    const ViewPlace& place(int n) const { return m_places[size_t(n - 1)]; }
    ShownPictures shownPictures() const;
    // What of a picture (given its size) pane n shows at first: a
    // synchronized pane the point it showed in its middle.
    std::function<QRect(QSize)> visibleOf(int n) const;
    // The pane shows the file at its stored scale, or keeps what it shows
    // when the file fails (its message once per visit of the folder, or
    // always with fromDisk, which reads the file again whatever the cache
    // holds). A name that is no regular file changes nothing.
    PaneUpdate loadPane(int n, const QString& path, bool fromDisk = false);
    // R: the pane's file read again; a synchronized pane keeps its place.
    PaneUpdate reloadPane(int n);
    // The pane's picture at the scale code (stored for its next loads), an
    // overlay painted again over the photo at that scale, a difference
    // worked out again.
    PaneUpdate setScale(int n, int code);
    // A scale from the keys or the toolbar: the current pane's, or while
    // synchronized every pane's, each keeping the point in its middle.
    PaneUpdate scaleCommand(int code);
    // The same scale laid out again for a screen of another scale, the
    // point in the middle kept.
    PaneUpdate layOutAgain(int n);
    // Brings a point of pane n's picture (as fractions of its size) to the
    // middle of its view.
    PaneUpdate placeAt(int n, QPointF centre);
    // The exposure overlay on or off (off reads the file again).
    PaneUpdate toggleOverlay(int n);
    // The difference from the reference pane (the pinned one, else pane 1)
    // in place of the picture, or the picture again; the view stays where
    // it is.
    PaneUpdate setDifference(int n, bool on);
    // The difference over what pane n shows now, and its label.
    void refreshDifference(int n);
    // A whole photo handed over by the pipeline, in the panes showing a
    // part of it, or its error.
    PaneUpdate takeWhole(const WholeResult& result);
    // The mouse dragged over pane n's picture (see PictureDrag).
    PaneUpdate dragTo(int n, QPoint at);

    // ---- Walking
    // Space, Backspace, Home and End: over the compared folders' names
    // while comparing, else over the folder list with the pin and the page
    // mode. The caller applies the result, then calls lookAhead.
    WalkResult step(PaneSet::Step step) const;
    // A name of the comparison chosen in the list: every pane goes there.
    WalkResult showStep(int row) const;
    // The files the next Space and Backspace bring, decoded meanwhile.
    void lookAhead();
    // What pane n (1..4) shows at first of a picture of the given size.
    using VisibleOf = std::function<std::function<QRect(QSize)>(int n)>;
    // Starts decoding the files the panes are about to load (paths[k] for
    // pane k + 1, "" for none) side by side, at their stored scales.
    void prepareLoads(const std::array<QString, 4>& paths, const VisibleOf& visibleOf = nullptr);
    // A walk as the window carries it out: the panes to empty first, then
    // the file each pane loads ("" none) and, while synchronized, the pane
    // (1..4) whose place in its photo, taken after the emptying and before
    // the loads, the loaded pane is put at (0: none).
    struct WalkPlan {
        bool changed = false;
        std::array<bool, 4> clear{};
        std::array<QString, 4> load;
        // Synchronized panes: the pane (1..4, 0 for none) whose place each
        // loaded pane takes, and that place's point of its photo before the
        // walk, to be brought to the loaded pane's middle.
        std::array<int, 4> placeFrom{};
        std::array<std::optional<QPointF>, 4> centre;
    };
    // The first four files of the list (fewer when it holds fewer), their
    // decodes started side by side.
    std::array<QString, 4> firstFiles(const VisibleOf& visibleOf);
    // Selects the walk's entry and starts decoding its files.
    WalkPlan planWalk(const WalkResult& walk, const VisibleOf& visibleOf);
    // Start-up: the decoders take the stored RAW extensions, the plan's
    // folder becomes the current folder and its marks are read. The errors
    // to show, in order.
    QStringList start(const struct StartPlan& plan);
    // Another filter chosen: the folder or the compared folders are listed
    // again with its masks (a comparison keeps its selection). The error
    // text, or "" when listed or when no folder is.
    QString relist(const QString& maskText);
    // The file operations dialog closed: files may have been copied, moved
    // or deleted. The decoders take the RAW extensions it stored; the list
    // is made again as by relist, the selection kept.
    QString filesChanged(const QString& maskText);
    // The folders the compare dialog opens with: those compared, else the current one.
    QStringList foldersToCompare() const;
    // The pane that keeps its file while the others walk (0: none); true
    // when that changed.
    bool setPinned(int n);
    bool togglePin() { return setPinned(m_panes.pinned() == m_current ? 0 : m_current); }
    // A file of the list to select; in a comparison the row of a name.
    void selectEntry(int index);
    // A row of the file list chosen by the user. In a comparison every
    // pane goes to its name (walk); else the row is selected and the
    // current pane loads its file (path; "" for none).
    struct RowChoice {
        WalkResult walk;
        QString path;
    };
    RowChoice chooseRow(int row);
    // A click on a row, also the one already selected: the file the current
    // pane loads when it shows another; "" for none, and in a comparison.
    QString clickedRow(int row) const;
    int selection() const { return m_comparison.active() ? m_comparison.selection() : m_list.selection(); }

    // ---- Folders
    // Why a folder cannot be listed, or "" when it can.
    static QString folderProblem(const QString& folder);
    // Lists the folder with the filter's masks ("" lists the marked files)
    // and enters it. The error text, or "" when it was listed.
    QString listFolder(const QString& folder, const QString& maskText);
    // A folder chosen in the field. atStart: the start folder, whose marks
    // are read already; keepStored: not remembered as the folder to start in.
    struct FolderChoice {
        QString folder;
        QString maskText;
        bool atStart = false;
        bool keepStored = false;
    };
    // The marks of the folder left are written, the new folder listed and
    // its marks read; a comparison ends and the pin goes. opened: the folder
    // is the listed one now; errors: what to show, in order.
    struct FolderOutcome {
        bool opened = false;
        QStringList errors;
    };
    FolderOutcome openFolder(const FolderChoice& choice);
    // The folder text last applied (the compared folders' names while comparing).
    const QString& appliedFolder() const { return m_appliedFolder; }

    // ---- Folders side by side
    // Two to four folders, listed with the filter's masks (the photos'
    // masks for the marked files); opened when they are compared now.
    // Folder 1 becomes the current folder; the page mode and the pin end.
    FolderOutcome startComparison(const QStringList& folders, const QString& maskText, FolderComparison::Options options);
    // Lists the compared folders again (files copied, moved or deleted).
    QString relistComparison(const QString& maskText);
    void endComparison() { m_comparison.clear(); }
    // The masks a comparison lists with: the marked files name none.
    QStringList comparedMasks(const QString& maskText) const;
    // While comparing, what an empty pane says of the file its folder lacks
    // at the selected name; empty texts for the other panes.
    std::array<QString, 4> missingNotes() const;

    // ---- Marks
    // Whether the file lies in the current folder, whose marks are held here.
    bool inCurrentFolder(const QString& path) const;
    // The marks a file of pane loads are looked up in.
    MarkStore marksFor(const QString& path) const;
    // V on the current pane: its mark goes when it has one, else V. Digits
    // set their mark. The pane changed (to draw again), or 0 for an empty
    // pane. A file of another folder is marked in its own folder's file at
    // once (UserError when that fails); the current folder's marks are
    // written a second after the last change.
    int toggleMarkV();
    int setDigitMark(int digit);
    // Writes the current folder's marks when they differ from the file's.
    // UserError when it cannot; the marks stay in memory.
    void saveMarks();
    // Reads the folder's marks in place of those held; the error text or "".
    QString readMarks(const QString& folder);
    bool marksPending() const { return m_marksTimer.isActive(); }

    // ---- Damaged files
    // A load of the file failed: whether to show its message. Walking past
    // a damaged file shows it once per visit of the folder; always (R) shows
    // it again.
    bool failureToReport(const QString& path, bool always);
    // The file loaded: a later failure is news again.
    void loaded(const QString& path) { m_failedLoads.remove(path); }

signals:
    // The marks written after a change could not be.
    void marksFailed(const QString& message);

private:
    int setMark(int n, MarkCode code);
    // A failed load of the file: its message, when it is to be shown.
    PaneUpdate loadFailed(const QString& path, const QString& message, bool always);
    // The rest of a photo shown in part failed: the pane as before its load.
    PaneUpdate wholeFailed(int n, const QString& path, const QString& message);
    PaneUpdate layOut(int n, int code);
    QString openError(const QString& folder, const QString& reason) const;

    AppState& m_app;
    TFormStorage& m_store;
    PaneSet m_panes;
    FolderList m_list;
    FolderComparison m_comparison;
    PictureDrag m_drag;
    std::array<ViewPlace, 4> m_places;
    int m_current = 1;
    bool m_pageMode = false;
    bool m_syncOn = false;
    bool m_captionsOn = false;
    QString m_appliedFolder;
    int m_maxSize;
    std::vector<MarkStore::Entry> m_marksAsRead;   // to spare rewriting an unchanged marks file
    QTimer m_marksTimer;
    QSet<QString> m_failedLoads;
};

} // namespace tetrafot
