#pragma once
#include "settings/appstate.h"
#include "panes/foldercomparison.h"
#include "panes/paneset.h"
#include "session/keymap.h"
#include "session/viewsession.h"

#include <QColor>
#include <QHash>
#include <QPoint>
#include <QPointF>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include "window/alignwidget.h"
#include "window/paneview.h"
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QDialog;
class QLineEdit;
class QListView;
class QToolButton;

namespace tetrafot {

class FileListModel;

// What the window asks of the user or the desktop. Tests replace these so
// that no modal box or external program appears.
struct MainHooks {
    std::function<void(QWidget* parent, const QString& message)> showError;
    std::function<QString(QWidget* parent, const QString& start)> browseFolder;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& start)> chooseColour;
    std::function<void(const QString& absolutePath)> openExternally;
    std::function<void(QDialog& dialog)> runDialog;
};

// Asks the X server to send a key's release only when it really goes up;
// false where there is no X server or it cannot (mainform_xkb.cpp).
bool RequestDetectableAutoRepeat();

// The window's name for a pane's controls.
using PaneSlot = PaneView;

// The main window: four panes in a two by two grid, the file list and the
// toolbar. Construction restores the settings, works out the start folder
// and fills the panes; closing saves the settings, destruction the marks.
class TfrmMain : public AlignWidget {
    Q_OBJECT
public:
    // arguments: the command line less the program name.
    explicit TfrmMain(const QStringList& arguments, MainHooks hooks = {}, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The pane shows the file, or keeps what it shows when the file fails to
    // load. fromDisk: read again whatever the cache holds (R), and a failure
    // is shown even when it was before.
    void LoadPane(int n, const QString& path, bool fromDisk = false);
    void ReloadPane(int n);
    void SelectPane(int n);
    // Lists the folder in the file list with the chosen filter; false, with
    // the reason shown, when it cannot be.
    bool ListFolder(const QString& folder);

    // State, for tests: the session holds what the window shows.
    ViewSession& session() { return m_session; }
    const PaneState& pane(int n) const { return m_paneSet[n]; }
    const PaneSlot& paneWidgets(int n) const { return m_panes[n - 1]; }
    int DragPane() const { return m_session.drag().pane(); }
    AppState& app() { return m_app; }
    TFormStorage& store() { return m_store; }
    // The Windows-style colour of a recolourable control (0x00BBGGRR, or a
    // negative system colour).
    int controlColour(const QString& objectName) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Panes
    void ClearPane(int n);
    void SetPaneScale(int n, int code);
    void ToggleExposureOverlay(int n);
    // Puts a whole photo handed over by the pipeline into the panes showing
    // a part of it, or reports its error.
    void FinishPartialPanes(const WholeResult& result);
    // A scale code from the keys or the toolbar: the current pane's, or all
    // four panes' while they are synchronized.
    void ScaleCommand(int code);
    // The current pane's difference from the reference pane (the pinned
    // one, else pane 1), in place of its picture; again to return.
    void ToggleDifference();

    // Folders side by side: two to four, walked together over the names
    // they hold. False, with the reason shown, when one cannot be listed.
    bool StartComparison(const QStringList& folders, FolderComparison::Options options = {});
    void OpenCompareDialog();
    // The list made again, with its selection, or the error that stopped it.
    void showRelisted(const QString& error);

    // Folder and file list
    // Applies the folder in the field (see ViewSession::openFolder) and,
    // but at start, fills the panes from it; true when it is listed now.
    bool DirEditChange(bool atStart = false, bool keepStored = false);
    void FillPanesFromList();
    // D: a folder is typed into the folder field; false: the field is shown only.
    void setTyping(bool on);

    // Commands
    void runCommand(KeyCommand key);
    void ToggleFileList();
    void ToggleMetadataPanel();
    void ChooseBackgroundColour();
    void SplitEvenly();
    void ToggleCaptions();
    void ToggleReadOnly();
    void ToggleTopBar();
    void OpenInAssociatedProgram();
    void OpenFilesDialog();
    void OpenOptionsDialog();
    void setControlColour(QWidget* widget, int colour);

    void FormCreate(const QStringList& arguments);
    void buildWindow();
    void buildToolBar();
    void buildFolderField();
    void buildFileList();
    void buildPaneGrid();
    void buildPane(int n, AlignWidget* quarter);
    void bindStoredProperties();
    void applyWalk(const struct WalkResult& walk);
    // The file list shows the folder or the comparison, with its selection.
    void showList();
    void showSelection();
    void showPin();
    // The notes of the files missing from their folders in the empty panes.
    void showMissingNotes();
    QString maskText() const;   // the chosen filter's masks, "" for the marked files
    // The difference of pane n over what it shows now, and its label.
    void refreshDifference(int n);
    void setFolderText(const QString& text);
    // The session, told the boxes' sizes first.
    ViewSession& measured();
    // The panes a session command changed, drawn, and its errors shown.
    void drawPanes(const ViewSession::PaneUpdate& update);
    // Draws pane n's state; true when its caption came or went (see PaneView::show).
    bool drawPane(int n);
    // Draws the marks again and lays the pictures out again when the
    // window's screen has another scale than they were made for.
    void followScreenScale();
    PaneViewOptions paneViewOptions() const;
    // What of a picture (given its size) pane n shows at first.
    std::function<QRect(QSize)> visibleOf(int n);
    // Takes the upright and smooth scaling options from the store; loads the
    // panes again when the upright one changed.
    void applyViewOptions();
    void reportError(const QString& message);
    void drawMarkOf(int n);   // pane n with its new mark; 0: none
    void saveStore(bool destroying = false);
    void guarded(const std::function<void()>& command);

    void ImageMouseDown(int tag, QPoint pos);
    void ImageMouseMove(int tag, QPoint pos);
    void ImageMouseUp(int tag);
    void ImageClick(int tag);
    void ScrollClick(int tag);

    MainHooks m_hooks;
    AppState m_app;
    TFormStorage m_store;
    std::array<PaneSlot, 4> m_panes;
    ViewSession m_session;
    PaneSet& m_paneSet = m_session.panes();
    bool m_shownOnce = false;
    FileListModel* m_listModel = nullptr;
    QColor m_lastColour = Qt::black;
    WindowKeys m_keys;
    double m_screenRatio = 0;   // device pixels per logical pixel the pictures were made for

    // Controls
    AlignWidget* TopPanel = nullptr;
    QLineEdit* DirEdit = nullptr;
    QToolButton* showflist = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton8 = nullptr;
    AlignWidget* Panel2 = nullptr;
    AlignWidget* LeftPanel = nullptr;
    QListView* FilesList = nullptr;
    QComboBox* FiltersList = nullptr;
    AlignWidget* MainPanel = nullptr;
    AlignWidget* PanelTop = nullptr;
    AlignWidget* PanelBottom = nullptr;
    AlignWidget* PanelTopLeft = nullptr;
    AlignWidget* PanelBottomLeft = nullptr;
    MarkPictureSet m_markPictures{};   // mark0..mark9, markV
};

} // namespace tetrafot
