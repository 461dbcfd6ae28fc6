// The main window's folder navigation and its commands: the key map, the
// marks, the layout toggles and the dialogs.
#include "window/mainform.h"
#include "settings/mainsettings.h"

#include "window/panewidgets.h"
#include "session/filelistmodel.h"
#include "session/keymap.h"
#include "common/paths.h"
#include "common/safefile.h"
#include "common/usererror.h"
#include "panes/walking.h"
#include "dialogs/comparedialog.h"
#include "dialogs/filesform.h"
#include "files/fileops.h"
#include "files/folderlisting.h"
#include "files/rawfiles.h"
#include "files/tools.h"
#include "dialogs/options.h"
#include "render/scaling.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QToolButton>

#include <optional>

// ---- Folder and file list -------------------------------------------------

void TfrmMain::reportErrors(const QStringList& messages)
{
    for (const QString& message : messages)
        reportError(message);
}

QString TfrmMain::maskText() const
{
    return MaskTextOf(ListFilter(FiltersList->currentIndex()));
}

bool TfrmMain::ListFolder(const QString& folder)
{
    const QSignalBlocker quiet(FilesList->selectionModel());   // the list empties: no pane loads
    const QString error = m_session.listFolder(folder, maskText());
    if (!error.isEmpty()) {
        reportError(error);
        return false;
    }
    m_listModel->reset();
    return true;
}

void TfrmMain::showList()
{
    const QSignalBlocker quiet(FilesList->selectionModel());
    m_listModel->showComparison(m_session.comparing() ? &m_session.comparison() : nullptr);
}

void TfrmMain::showSelection()
{
    // Not blocked: the view repaints the rows whose highlight changes. The
    // list's handler finds the session there already and does nothing.
    const QModelIndex row = m_listModel->index(m_session.selection());
    FilesList->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    if (row.isValid())
        FilesList->scrollTo(row);
}

void TfrmMain::showPin()
{
    for (int k = 1; k <= 4; ++k)
        m_panes[k - 1].pinMark->setVisible(k == m_paneSet.pinned());
}

void TfrmMain::setFolderText(const QString& text)
{
    if (text == DirEdit->text())
        return;
    DirEdit->setText(text);
    DirEditChange();
}

bool TfrmMain::DirEditChange(bool atStart, bool keepStored)
{
    const bool wasComparing = m_session.comparing();
    const QSignalBlocker quiet(FilesList->selectionModel());
    const ViewSession::FolderOutcome outcome = m_session.openFolder({DirEdit->text(), maskText(), atStart, keepStored});
    if (outcome.opened) {
        m_listModel->reset();
        if (wasComparing)
            showList();
        showPin();
    }
    reportErrors(outcome.errors);
    if (outcome.opened && !atStart)   // at start, the start plan fills the panes
        FillPanesFromList();
    return outcome.opened;
}

void TfrmMain::FilesListChange()
{
    const FolderList& list = m_session.folderList();
    const int row = list.selection();
    if (row >= 0 && !list.name(row).isEmpty())
        LoadPane(m_session.currentPane(), list.path(row));
}

void TfrmMain::FillPanesFromList()
{
    const FolderList& list = m_session.folderList();
    const int n = list.count();
    std::vector<DecodeRequest> wanted;
    for (int k = 1; k <= 4 && k <= n; ++k)
        wanted.push_back({list.path(k - 1), m_session.storedScale(k), m_session.maxSize(), visibleOf(k)});
    m_paneSet.prepare(wanted);   // decoded side by side, then shown in order
    for (int k = 1; k <= 4 && k <= n; ++k) {
        LoadPane(k, list.path(k - 1));
        m_session.selectEntry(k - 1);
        showSelection();
    }
    m_session.lookAhead();
}

void TfrmMain::applyWalk(const WalkResult& walk)
{
    if (!walk.changed)
        return;
    m_session.selectEntry(walk.selection);
    showSelection();
    // A pane takes its new path only with its picture: a file that fails to
    // load leaves the pane's picture, label and path as they were, so its
    // commands act on the file it shows. A pane given no file is emptied.
    for (int k = 0; k < 4; ++k)
        if (walk.clear[k] || (walk.load[k] && walk.paths[k].isEmpty()))
            ClearPane(k + 1);
    std::vector<DecodeRequest> wanted;
    for (int k = 0; k < 4; ++k)
        if (walk.load[k] && !walk.paths[k].isEmpty())
            wanted.push_back({walk.paths[k], m_session.storedScale(k + 1), m_session.maxSize(), visibleOf(k + 1)});
    m_paneSet.prepare(wanted);
    // Synchronized panes keep their places in the photos across the walk.
    std::array<std::optional<QPointF>, 4> centres;
    for (int k = 0; k < 4; ++k)
        if (m_session.syncOn() && m_paneSet[k + 1].hasPicture())
            centres[k] = viewCentre(k + 1);
    // Compared folders show one photo in versions: a pane that was empty
    // (its folder lacked the name) takes the place the others keep.
    if (m_session.comparing() && m_session.syncOn()) {
        const auto kept = std::find_if(centres.begin(), centres.end(), [](const auto& c) { return c.has_value(); });
        for (auto& centre : centres)
            if (!centre && kept != centres.end())
                centre = *kept;
    }
    for (int k = 0; k < 4; ++k)
        if (walk.load[k] && !walk.paths[k].isEmpty()) {
            LoadPane(k + 1, walk.paths[k]);
            if (centres[k])
                placeAt(k + 1, *centres[k]);
        }
    showMissingNotes();
    m_session.lookAhead();
}

void TfrmMain::showMissingNotes()
{
    const std::array<QString, 4> notes = m_session.missingNotes();
    for (int k = 0; k < 4; ++k)
        if (m_paneSet[k + 1].PanePath.isEmpty())
            m_panes[size_t(k)].pathLabel->setText(notes[size_t(k)]);
}

bool TfrmMain::StartComparison(const QStringList& folders, FolderComparison::Options options)
{
    const QSignalBlocker quiet(FilesList->selectionModel());
    const ViewSession::FolderOutcome outcome = m_session.startComparison(folders, maskText(), options);
    reportErrors(outcome.errors);
    if (!outcome.opened)
        return false;
    showList();
    showPin();
    MainPanel->setBevelFrame(m_session.pageMode());
    DirEdit->setText(m_session.appliedFolder());
    for (int n = 1; n <= 4; ++n)
        ClearPane(n);
    if (m_session.comparison().count() > 0)
        applyWalk(m_session.showStep(0));
    else
        showMissingNotes();
    return true;
}

void TfrmMain::OpenCompareDialog()
{
    QStringList folders = m_session.comparison().folders();
    if (folders.isEmpty())
        folders << m_app.CurrentFolder;
    TfrmCompare dialog(folders, m_session.comparison().options(), m_hooks.browseFolder, this);
    m_hooks.runDialog(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.folders();
    if (chosen.size() >= 2) {
        StartComparison(chosen.mid(0, 4), dialog.options());
    } else if (chosen.size() == 1) {
        // One folder: the usual walk over it, as the folder field gives.
        if (chosen.first() == DirEdit->text())
            return;
        setFolderText(chosen.first());
    }
}

void TfrmMain::relistComparison()
{
    if (const QString error = m_session.relistComparison(maskText()); !error.isEmpty()) {
        reportError(error);
        return;
    }
    showList();
    showSelection();
}

void TfrmMain::Walk(PaneSet::Step step)
{
    applyWalk(m_session.step(step));
}

void TfrmMain::TogglePin()
{
    if (m_session.togglePin())
        showPin();
}

void TfrmMain::TogglePageMode()
{
    if (!m_session.togglePageMode())
        return;   // compared folders walk name by name
    // Page mode frames the four panes: a line, a lowered and a raised bevel.
    MainPanel->setBevelFrame(m_session.pageMode());
}

void TfrmMain::DirEditExit()
{
    m_directInput = false;
    DirEdit->setReadOnly(true);
    DirEdit->setFocusPolicy(Qt::NoFocus);
}

// ---- Keys -----------------------------------------------------------------

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::ScreenChangeInternal) {
        followScreenScale();   // moved to a screen of another scale
        return false;
    }
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        // Releases of keys that went down here may go to another window now.
        m_keys.clear();
        m_returnTakenByField = false;
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QWidget* focus = QApplication::focusWidget();
    // The file list and a folder being typed handle their own keys; Tab moves the focus.
    const bool childKeys = focus == FilesList || (focus == DirEdit && m_directInput)
        || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    // A command runs on the release of a key whose press the window's
    // commands saw. The release of a Return that closed a message box or a
    // dialog, or applied a typed folder, finds no press here and does nothing.
    // The Return that applied a typed folder is the field's: the field lets
    // its press on to the window, and its release must not open a photo.
    const bool enterKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enterKey && m_returnTakenByField) {
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            m_returnTakenByField = false;
        return true;
    }
    if (event->type() == QEvent::KeyPress && !childKeys)
        m_keys.pressed(key->key(), key->modifiers(), key->isAutoRepeat());
    if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
        if (const KeyCommand command = m_keys.released(key->key(), key->modifiers()); command.command != Command::None)
            guarded([&] { FormKeyUp(command); });
    // Everything else is the window's: a pane's box must not scroll on the
    // arrows, nor a button click on Space.
    return !childKeys;
}

void TfrmMain::FormKeyUp(KeyCommand key)
{
    if (m_app.FilesDialogOpen)
        return;
    QWidget* focus = QApplication::focusWidget();
    // Letters typed into the folder field are the field's, not commands.
    if (focus == FilesList || (focus == DirEdit && m_directInput))
        return;
    runCommand(key);
}

void TfrmMain::runCommand(KeyCommand key)
{
    const int current = m_session.currentPane();
    switch (key.command) {
    case Command::None: break;
    case Command::Next: Walk(PaneSet::Step::Next); break;
    case Command::Previous: Walk(PaneSet::Step::Previous); break;
    case Command::First: Walk(PaneSet::Step::First); break;
    case Command::Last: Walk(PaneSet::Step::Last); break;
    case Command::OpenExternally: OpenInAssociatedProgram(); break;
    case Command::PaneAcross: SelectPane(m_session.neighbour(ViewSession::Arrow::Across)); break;
    case Command::PaneDown: SelectPane(m_session.neighbour(ViewSession::Arrow::Down)); break;
    case Command::ZoomIn: ZoomStep(true); break;
    case Command::ZoomOut: ZoomStep(false); break;
    case Command::DigitMark: SetDigitMark(key.digit); break;
    case Command::Scale1to1: ScaleCommand(Scale1to1); break;
    case Command::Scale1to2: ScaleCommand(Scale1to2); break;
    case Command::Scale1to4: ScaleCommand(Scale1to4); break;
    case Command::Scale1to8: ScaleCommand(Scale1to8); break;
    case Command::ScaleFit: ScaleCommand(ScaleFit); break;
    case Command::BackgroundColour: ChooseBackgroundColour(); break;
    case Command::TypeFolder:
        // The folder field is typed into where the user can see it.
        if (TopPanel->isHidden())
            ToggleTopBar();
        m_directInput = true;
        DirEdit->setReadOnly(false);
        DirEdit->setFocusPolicy(Qt::StrongFocus);
        DirEdit->setFocus();
        break;
    case Command::MetadataPanel: ToggleMetadataPanel(); break;
    case Command::FilesDialog: OpenFilesDialog(); break;
    case Command::ReadOnly: ToggleReadOnly(); break;
    case Command::SplitEvenly: SplitEvenly(); break;
    case Command::CompareDialog: OpenCompareDialog(); break;
    case Command::Difference: ToggleDifference(); break;
    case Command::PageMode: TogglePageMode(); break;
    case Command::FileList: ToggleFileList(); break;
    case Command::ToolN:
    case Command::ToolP:
        RunTool(m_paneSet[current].PanePath, m_store.get(key.command == Command::ToolN ? Stored::ToolN : Stored::ToolP),
                m_app.CurrentFolder, CurrentDirectory());
        break;
    case Command::OptionsDialog: OpenOptionsDialog(); break;
    case Command::Quit: close(); break;
    case Command::Pin: TogglePin(); break;
    case Command::Sync: ToggleSync(); break;
    case Command::Reload:
    case Command::ReloadAll:
        for (int n = 1; n <= 4; ++n)
            if (n == current || key.command == Command::ReloadAll) {
                // A file gone since it was shown: R says so, and the pane keeps it.
                if (const QString gone = UnreadableFileMessage(m_paneSet[n].PanePath); !gone.isEmpty())
                    reportError(gone);
                ReloadPane(n);
            }
        break;
    case Command::TopBar: ToggleTopBar(); break;
    case Command::MarkV: ToggleMarkV(); break;
    case Command::Exposure: ToggleExposureOverlay(current); break;
    case Command::ClearPane: ClearPane(current); break;
    case Command::Captions: ToggleCaptions(); break;
    }
}

void TfrmMain::ZoomStep(bool in)
{
    const PaneState& state = m_paneSet[m_session.currentPane()];
    const QSize shown = m_panes[m_session.currentPane() - 1].picture->pixelSize();   // device pixels: a photo's at 1:1
    if (const int code = state.hasPicture() ? ZoomStepCode(state.PaneScale, state.fullSize(), shown, in) : 0)
        ScaleCommand(code);
}

// ---- Marks ----------------------------------------------------------------

void TfrmMain::ToggleMarkV()
{
    if (const int n = m_session.toggleMarkV())
        showMarkOf(n);
}

void TfrmMain::SetDigitMark(int digit)
{
    if (const int n = m_session.setDigitMark(digit))
        showMarkOf(n);
}

void TfrmMain::showMarkOf(int n)
{
    const MarkCode code = m_paneSet[n].mark;
    if (code != NoMark)
        ShowMark(n, code);
    m_panes[n - 1].markImage->setVisible(code != NoMark);
}

// ---- Layout commands --------------------------------------------------------

void TfrmMain::ToggleFileList()
{
    if (Panel2->childSize(LeftPanel) <= 1) {
        Panel2->setChildSize(LeftPanel, m_store.get(Stored::FileListWidth));
        showflist->setChecked(true);
    } else {
        m_store.set(Stored::FileListWidth, Panel2->childSize(LeftPanel));
        Panel2->setChildSize(LeftPanel, 1);
        showflist->setChecked(false);
    }
}

void TfrmMain::ToggleMetadataPanel()
{
    PaneSlot& slot = m_panes[m_session.currentPane() - 1];
    const QString path = m_paneSet[m_session.currentPane()].PanePath;
    if (path.isEmpty()) {
        ToolButton5->setChecked(false);
        slot.quarter->setChildSize(slot.metaPanel, 1);
    } else if (slot.quarter->childSize(slot.metaPanel) <= 1) {
        ToolButton5->setChecked(true);
        slot.quarter->setChildSize(slot.metaPanel, m_store.get(Stored::ExpanWidth, m_session.currentPane()));
    } else {
        m_store.set(Stored::ExpanWidth, m_session.currentPane(), slot.quarter->childSize(slot.metaPanel));
        slot.quarter->setChildSize(slot.metaPanel, 1);
        ToolButton5->setChecked(false);
    }
}

void TfrmMain::ChooseBackgroundColour()
{
    const std::optional<QColor> chosen = m_hooks.chooseColour(this, m_lastColour);
    if (!chosen)
        return;
    m_lastColour = *chosen;
    const int colour = StoredColour::of(*chosen).value;
    setControlColour(this, colour);
    for (const char* name : RecolouredControls)
        if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(name)))
            setControlColour(w, colour);
}

void TfrmMain::SplitEvenly()
{
    MainPanel->setChildSize(PanelTop, MainPanel->height() / 2);
    PanelTop->setChildSize(PanelTopLeft, MainPanel->width() / 2);
    PanelBottom->setChildSize(PanelBottomLeft, MainPanel->width() / 2);
}

void TfrmMain::ToggleCaptions()
{
    m_session.toggleCaptions();
    for (auto& slot : m_panes) {
        slot.caption->setVisible(slot.caption->isHidden() && m_session.captionsOn());
        slot.quarter->relayout();
    }
}

void TfrmMain::ToggleReadOnly()
{
    PaneSlot& slot = m_panes[m_session.currentPane() - 1];
    const QString path = m_paneSet[m_session.currentPane()].PanePath;
    if (path.isEmpty()) {
        slot.readOnlyMark->setVisible(slot.readOnlyMark->isHidden());   // an empty pane: only the mark
        return;
    }
    if (const QString failure = ChangeReadOnly(path, slot.readOnlyMark->isHidden()); !failure.isEmpty())
        reportError(failure);
    // The mark shows what the file is now, whether or not the change took.
    slot.readOnlyMark->setVisible(m_paneSet.checkReadOnly(m_session.currentPane()));
}

void TfrmMain::ToggleTopBar()
{
    TopPanel->setVisible(TopPanel->isHidden());
    relayout();
}

void TfrmMain::OpenInAssociatedProgram()
{
    const QString path = m_paneSet[m_session.currentPane()].PanePath;
    if (path.isEmpty())
        return;
    m_hooks.openExternally(AbsolutePath(path));
}

void TfrmMain::OpenFilesDialog()
{
    m_app.SettingsFileName = m_store.iniFileName();
    m_app.CurrentFilePath = m_paneSet[m_session.currentPane()].PanePath;
    {
        TfrmFiles dialog(m_app, this);
        dialog.showError = [this](const QString& message) { reportError(message); };
        m_app.FilesDialogOpen = true;
        m_hooks.runDialog(dialog);
    }
    m_app.FilesDialogOpen = false;
    m_paneSet.pipeline().setRawExtensions(m_app.RawExtensions);
    if (m_session.comparing()) {
        relistComparison();   // files copied, moved or deleted in any of the folders
        return;
    }
    const int index = m_session.folderList().selection();
    if (ListFolder(m_session.folderList().folder())) {
        m_session.selectEntry(index);
        showSelection();
    }
}

void TfrmMain::OpenOptionsDialog()
{
    m_app.SettingsFileName = m_store.iniFileName();
    m_app.CurrentFilePath = m_paneSet[m_session.currentPane()].PanePath;
    {
        TfrmOptions dialog(m_app, this);
        m_hooks.runDialog(dialog);
    }
    applyViewOptions();
}

void TfrmMain::applyViewOptions()
{
    m_session.takeStoredMaxSize();
    const bool smooth = m_store.get(Stored::SmoothScale);
    for (PaneSlot& slot : m_panes)
        slot.picture->setSmooth(smooth);
    if (!m_paneSet.setUpright(m_store.get(Stored::ExifRotate)))
        return;
    // Every photo shown was turned the other way: the panes load their
    // files again, side by side, and lay them out anew.
    std::vector<DecodeRequest> wanted;
    for (int n = 1; n <= 4; ++n)
        if (!m_paneSet[n].PanePath.isEmpty())
            wanted.push_back({m_paneSet[n].PanePath, m_session.storedScale(n), m_session.maxSize()});
    m_paneSet.prepare(wanted);
    for (int n = 1; n <= 4; ++n) {
        const bool overlay = m_paneSet[n].OverlayOn;
        LoadPane(n, m_paneSet[n].PanePath);
        if (overlay && !m_paneSet[n].OverlayOn)
            ToggleExposureOverlay(n);
    }
    if (!wanted.empty())
        m_session.lookAhead();
}
