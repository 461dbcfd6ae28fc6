#pragma once
#include "files/folderlist.h"
#include "panes/foldercomparison.h"
#include "panes/paneset.h"
#include "render/marks.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

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

    // The scale code pane n (1..4) loads at.
    int storedScale(int n) const;
    // The size limit for fitting: the stored one as taken at start and
    // after the options dialog, not as the store holds it meanwhile.
    int maxSize() const { return m_maxSize; }
    void takeStoredMaxSize();

    // ---- Walking
    // Space, Backspace, Home and End: over the compared folders' names
    // while comparing, else over the folder list with the pin and the page
    // mode. The caller applies the result, then calls lookAhead.
    WalkResult step(PaneSet::Step step) const;
    // A name of the comparison chosen in the list: every pane goes there.
    WalkResult showStep(int row) const;
    // The files the next Space and Backspace bring, decoded meanwhile.
    void lookAhead();
    // The pane that keeps its file while the others walk (0: none); true
    // when that changed.
    bool setPinned(int n);
    bool togglePin() { return setPinned(m_panes.pinned() == m_current ? 0 : m_current); }
    // A file of the list to select; in a comparison the row of a name.
    void selectEntry(int index);
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
    QString openError(const QString& folder, const QString& reason) const;

    AppState& m_app;
    TFormStorage& m_store;
    PaneSet m_panes;
    FolderList m_list;
    FolderComparison m_comparison;
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
