// The main window's folder navigation and its commands: the key map, the
// marks, the layout toggles and the dialogs.
#include "window/mainform.h"
#include "settings/mainsettings.h"

#include "window/panewidgets.h"
#include "window/filelistmodel.h"
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
#include <QToolButton>

#include <optional>

// ---- Folder and file list -------------------------------------------------

QString TfrmMain::FolderProblem(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.exists())
        return tr("папка не существует");
    if (!info.isDir())
        return tr("это не папка");
    if (!info.isReadable() || !info.isExecutable())
        return tr("нет доступа");
    return {};
}

bool TfrmMain::ListFolder(const QString& folder)
{
    const QFileInfo info(folder);
    QString reason = FolderProblem(folder);
    // Pane paths are made from this absolute form, so that a later change of
    // the working directory never points them at another folder's files.
    const QString absolute = info.absoluteFilePath();
    if (reason.isEmpty() && !QDir::setCurrent(folder))
        reason = tr("не удаётся войти в папку");
    if (!reason.isEmpty()) {
        reportError(tr("Не удаётся открыть папку \"%1\": %2.").arg(folder, reason));
        return false;
    }
    // "Marked files" lists the files that have a mark now. A mark removed
    // later leaves its file listed until the list is made again.
    const QString maskText = FiltersList->currentData().toString();
    FolderList::Filter filter;
    filter.markedOnly = maskText.isEmpty();
    if (!filter.markedOnly)
        filter.masks = FilterMasks(maskText, m_app.RawExtensions);
    m_selectingByCode = true;
    const QString failure = m_folderList.list(absolute, filter, m_app.Marks);
    if (failure.isEmpty())
        m_listModel->reset();
    m_selectingByCode = false;
    if (!failure.isEmpty()) {
        reportError(tr("Не удаётся открыть папку \"%1\": %2.").arg(folder, failure));
        return false;
    }
    return true;
}

QString TfrmMain::EntryPath(int index) const
{
    return m_folderList.path(index);
}

void TfrmMain::selectEntry(int index)
{
    if (m_comparison.active())
        m_comparison.select(index);
    else
        m_folderList.select(index);
    m_selectingByCode = true;
    const QModelIndex row
        = m_listModel->index(m_comparison.active() ? m_comparison.selection() : m_folderList.selection());
    FilesList->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    if (row.isValid())
        FilesList->scrollTo(row);
    m_selectingByCode = false;
}

void TfrmMain::setFolderText(const QString& text)
{
    if (text == DirEdit->text())
        return;
    DirEdit->setText(text);
    DirEditChange();
}

void TfrmMain::DirEditChange()
{
    const QString folder = DirEdit->text();
    // 1. The marks of the folder being left are written first.
    m_marksTimer.stop();
    try {
        saveMarksOf(m_app.CurrentFolder);
    } catch (const UserError& e) {
        reportError(QString::fromUtf8(e.what()));
        return;   // the marks stay in memory and the folder stays
    }
    // 2. List the new folder.
    if (!ListFolder(folder))
        return;
    m_appliedFolder = folder;
    endComparison();         // one folder chosen: the usual walk again
    m_failedLoads.clear();   // a new visit reports its damaged files again
    setPinned(0);            // the pinned file belongs to the folder left
    // 3.-4. Remember it; the settings file is written at every folder change.
    if (!m_keepStoredFolder)
        m_store.set(Stored::CurDir, folder);
    saveStore();
    // 5.-6. The new folder's marks.
    m_app.CurrentFolder = folder;
    if (!m_applyingStartFolder) {
        m_app.Marks.Clear();
        try {
            m_app.Marks.LoadMarks(folder);
        } catch (const UserError& e) {
            reportError(QString::fromUtf8(e.what()));
        }
        m_marksAsRead = m_app.Marks.entries();
        // The list of marked files was made with the former folder's marks.
        if (FiltersList->currentData().toString().isEmpty())
            ListFolder(folder);
    }
    // 7. At start-up the panes are filled once the start is known (a file
    // named, or folders compared).
    FillPanesFromList();
}

void TfrmMain::FilesListChange()
{
    const int row = m_folderList.selection();
    if (row >= 0 && !m_folderList.name(row).isEmpty())
        LoadPane(m_currentPane, EntryPath(row));
}

int TfrmMain::storedScale(int n) const
{
    return NormaliseScaleCode(m_store.get(Stored::ImageScale, n));
}

void TfrmMain::FillPanesFromList()
{
    const int n = m_folderList.count();
    std::vector<DecodeRequest> wanted;
    for (int k = 1; k <= 4 && k <= n; ++k)
        wanted.push_back({EntryPath(k - 1), storedScale(k), m_app.MaxSize, visibleOf(k)});
    m_paneSet.prepare(wanted);   // decoded side by side, then shown in order
    for (int k = 1; k <= 4 && k <= n; ++k) {
        LoadPane(k, EntryPath(k - 1));
        selectEntry(k - 1);
    }
    lookAhead();
}

void TfrmMain::lookAhead()
{
    if (m_comparison.active()) {
        const std::array<QString, 4> shown = panePaths();
        m_paneSet.lookAhead({m_comparison.step(FolderComparison::Step::Next, shown),
                             m_comparison.step(FolderComparison::Step::Previous, shown)},
                            [this](int n) { return storedScale(n); }, m_app.MaxSize);
        return;
    }
    m_paneSet.lookAhead(m_folderList, m_pageMode, [this](int n) { return storedScale(n); }, m_app.MaxSize);
}

void TfrmMain::applyWalk(const WalkResult& walk)
{
    if (!walk.changed)
        return;
    selectEntry(walk.selection);
    // A pane takes its new path only with its picture: a file that fails to
    // load leaves the pane's picture, label and path as they were, so its
    // commands act on the file it shows. A pane given no file is emptied.
    for (int k = 0; k < 4; ++k)
        if (walk.clear[k] || (walk.load[k] && walk.paths[k].isEmpty()))
            ClearPane(k + 1);
    std::vector<DecodeRequest> wanted;
    for (int k = 0; k < 4; ++k)
        if (walk.load[k] && !walk.paths[k].isEmpty())
            wanted.push_back({walk.paths[k], storedScale(k + 1), m_app.MaxSize, visibleOf(k + 1)});
    m_paneSet.prepare(wanted);
    // Synchronized panes keep their places in the photos across the walk.
    std::array<std::optional<QPointF>, 4> centres;
    for (int k = 0; k < 4; ++k)
        if (m_syncOn && m_paneSet[k + 1].hasPicture())
            centres[k] = viewCentre(k + 1);
    // Compared folders show one photo in versions: a pane that was empty
    // (its folder lacked the name) takes the place the others keep.
    if (m_comparison.active() && m_syncOn) {
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
    lookAhead();
}

void TfrmMain::showMissingNotes()
{
    if (!m_comparison.active())
        return;
    const std::array<FolderComparison::Entry, 4> entries = m_comparison.panes(m_comparison.selection());
    for (int k = 0; k < 4; ++k)
        if (m_paneSet[k + 1].PanePath.isEmpty())
            m_panes[size_t(k)].pathLabel->setText(entries[size_t(k)].missing);
}

QStringList TfrmMain::listedMasks() const
{
    // "Marked files" names no masks; folders are compared by their photos then.
    QString maskText = FiltersList->currentData().toString();
    if (maskText.isEmpty())
        maskText = FiltersList->itemData(0).toString();
    return FilterMasks(maskText, m_app.RawExtensions);
}

bool TfrmMain::StartComparison(const QStringList& folders, FolderComparison::Options options)
{
    if (folders.size() < 2 || folders.size() > 4)
        return false;
    QStringList absolute;
    for (const QString& folder : folders) {
        if (const QString reason = FolderProblem(folder); !reason.isEmpty()) {
            reportError(tr("Не удаётся открыть папку \"%1\": %2.").arg(folder, reason));
            return false;
        }
        absolute << QFileInfo(folder).absoluteFilePath();
    }
    FolderComparison next;
    if (const QString failure = next.list(absolute, listedMasks(), options); !failure.isEmpty()) {
        reportError(tr("Не удаётся открыть папку %1.").arg(failure));
        return false;
    }
    // Folder 1 is the current folder, whose marks the store in memory holds;
    // the other folders' files are marked in their own folders' files. It is
    // not stored as the folder to start in.
    if (!inCurrentFolder(WithTrailingSeparator(absolute.first()) + QLatin1Char('x'))) {
        m_marksTimer.stop();
        saveMarksOf(m_app.CurrentFolder);   // a failure ends the command: nothing has changed yet
        if (!ListFolder(absolute.first()))
            return false;
        m_app.CurrentFolder = absolute.first();
        m_app.Marks.Clear();
        try {
            m_app.Marks.LoadMarks(absolute.first());
        } catch (const UserError& e) {
            reportError(QString::fromUtf8(e.what()));
        }
        m_marksAsRead = m_app.Marks.entries();
    }
    m_failedLoads.clear();
    setPinned(0);
    if (m_pageMode)
        TogglePageMode();   // no pages among compared folders
    m_comparison = std::move(next);
    m_listModel->showComparison(&m_comparison);
    QStringList shown;
    for (const QString& folder : absolute)
        shown << DisplayName(folder);
    // The field names the folders; choosing one folder there ends the comparison.
    m_appliedFolder = shown.join(QStringLiteral("  |  "));
    DirEdit->setText(m_appliedFolder);
    for (int n = 1; n <= 4; ++n)
        ClearPane(n);
    if (m_comparison.count() > 0)
        applyWalk(m_comparison.showStep(0, panePaths()));
    else
        showMissingNotes();
    return true;
}

void TfrmMain::endComparison()
{
    if (!m_comparison.active())
        return;
    m_comparison.clear();
    m_listModel->showComparison(nullptr);
}

void TfrmMain::relistComparison()
{
    const int selection = m_comparison.selection();
    FolderComparison again;
    if (const QString failure = again.list(m_comparison.folders(), listedMasks(), m_comparison.options());
        !failure.isEmpty()) {
        reportError(tr("Не удаётся открыть папку %1.").arg(failure));
        return;
    }
    m_comparison = std::move(again);
    m_listModel->showComparison(&m_comparison);
    selectEntry(std::min(selection, m_comparison.count() - 1));
}

void TfrmMain::OpenCompareDialog()
{
    QStringList folders = m_comparison.folders();
    if (folders.isEmpty())
        folders << m_app.CurrentFolder;
    TfrmCompare dialog(folders, m_comparison.options(), m_hooks.browseFolder, this);
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

std::array<QString, 4> TfrmMain::panePaths() const
{
    std::array<QString, 4> paths;
    for (int k = 0; k < 4; ++k)
        paths[k] = m_paneSet[k + 1].PanePath;
    return paths;
}

void TfrmMain::NextFiles()
{
    if (m_comparison.active()) {
        applyWalk(m_comparison.step(FolderComparison::Step::Next, panePaths()));
        return;
    }
    applyWalk(m_paneSet.step(PaneSet::Step::Next, m_folderList, m_pageMode));
}

void TfrmMain::PreviousFiles()
{
    if (m_comparison.active()) {
        applyWalk(m_comparison.step(FolderComparison::Step::Previous, panePaths()));
        return;
    }
    applyWalk(m_paneSet.step(PaneSet::Step::Previous, m_folderList, m_pageMode));
}

void TfrmMain::FirstFiles()
{
    if (m_comparison.active()) {
        applyWalk(m_comparison.step(FolderComparison::Step::First, panePaths()));
        return;
    }
    applyWalk(m_paneSet.step(PaneSet::Step::First, m_folderList, m_pageMode));
}

void TfrmMain::LastFiles()
{
    if (m_comparison.active()) {
        applyWalk(m_comparison.step(FolderComparison::Step::Last, panePaths()));
        return;
    }
    applyWalk(m_paneSet.step(PaneSet::Step::Last, m_folderList, m_pageMode));
}

void TfrmMain::TogglePin()
{
    setPinned(m_paneSet.pinned() == m_currentPane ? 0 : m_currentPane);
}

void TfrmMain::setPinned(int n)
{
    if (n == m_paneSet.pinned())
        return;
    m_paneSet.setPinned(n);
    for (int k = 1; k <= 4; ++k)
        m_panes[k - 1].pinMark->setVisible(k == n);
    lookAhead();   // the pinned pane is no longer brought in
}

void TfrmMain::TogglePageMode()
{
    m_pageMode = !m_pageMode;
    // Page mode frames the four panes: a line, a lowered and a raised bevel.
    MainPanel->setBevelFrame(m_pageMode);
    lookAhead();   // the next steps bring other files now
}

void TfrmMain::DirEditExit()
{
    m_directInput = false;
    DirEdit->setReadOnly(true);
    DirEdit->setFocusPolicy(Qt::NoFocus);
}

// ---- Keys -----------------------------------------------------------------

int TfrmMain::KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (qtKey) {
    case Qt::Key_Space: return 32;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    // The keypad's arrows (NumLock off) are arrows too.
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_Plus: return keypad ? 107 : 0;
    case Qt::Key_Minus: return keypad ? 109 : 0;
    default: break;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 0 : 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    return 0;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::ScreenChangeInternal) {
        followScreenScale();   // moved to a screen of another scale
        return false;
    }
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        // Releases of keys that went down here may go to another window now.
        m_pressModifiers.clear();
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
    if (event->type() == QEvent::KeyPress && !childKeys) {
        if (!key->isAutoRepeat() || !m_pressModifiers.contains(key->key()))
            m_pressModifiers[key->key()] = key->modifiers();
    }
    if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat()) {
        const auto press = m_pressModifiers.constFind(key->key());
        if (press != m_pressModifiers.constEnd()) {
            // Ctrl counts when it was held as the key went down, so Ctrl+3
            // released in either order still marks.
            const Qt::KeyboardModifiers modifiers = key->modifiers() | press.value();
            m_pressModifiers.erase(press);
            const int code = KeyCodeOf(key->key(), modifiers);
            guarded([&] { FormKeyUp(code, modifiers); });
        }
    }
    // Everything else is the window's: a pane's box must not scroll on the
    // arrows, nor a button click on Space.
    return !childKeys;
}

void TfrmMain::FormKeyUp(int keyCode, Qt::KeyboardModifiers modifiers)
{
    if (m_app.FilesDialogOpen)
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus == FilesList)
        return;
    // Letters typed into the folder field are the field's, not commands.
    if (focus == DirEdit && m_directInput)
        return;

    static const int left[] = {2, 1, 4, 3}, up[] = {3, 4, 1, 2};
    switch (keyCode) {
    case 32: NextFiles(); return;
    case 8: PreviousFiles(); return;
    case 13: OpenInAssociatedProgram(); return;
    case 37:
    case 39: SelectPane(left[m_currentPane - 1]); return;
    case 38:
    case 40: SelectPane(up[m_currentPane - 1]); return;
    case 107: ZoomStep(true); return;
    case 109: ZoomStep(false); return;
    case 36: FirstFiles(); return;
    case 35: LastFiles(); return;
    default: break;
    }
    if ((modifiers & Qt::ControlModifier) && keyCode >= 48 && keyCode <= 57) {
        SetDigitMark(keyCode - 48);
        return;
    }
    switch (keyCode) {
    case '1': ScaleCommand(1); break;
    case '2': ScaleCommand(2); break;
    case '4': ScaleCommand(4); break;
    case '8': ScaleCommand(3); break;
    case 'C': ChooseBackgroundColour(); break;
    case 'D':
        // The folder field is typed into where the user can see it.
        if (TopPanel->isHidden())
            ToggleTopBar();
        m_directInput = true;
        DirEdit->setReadOnly(false);
        DirEdit->setFocusPolicy(Qt::StrongFocus);
        DirEdit->setFocus();
        break;
    case 'E': ToggleMetadataPanel(); break;
    case 'F': OpenFilesDialog(); break;
    case 'G': ToggleReadOnly(); break;
    case 'H': SplitEvenly(); break;
    case 'B': OpenCompareDialog(); break;
    case 'I': ToggleDifference(); break;
    case 'J':
        if (!m_comparison.active())   // compared folders walk name by name
            TogglePageMode();
        break;
    case 'L': ToggleFileList(); break;
    case 'N':
        RunTool(m_paneSet[m_currentPane].PanePath, m_app.NToolCommand, m_app.CurrentFolder, CurrentDirectory());
        break;
    case 'O': OpenOptionsDialog(); break;
    case 'P':
        RunTool(m_paneSet[m_currentPane].PanePath, m_app.PToolCommand, m_app.CurrentFolder, CurrentDirectory());
        break;
    case 'Q': close(); break;
    case 'A': TogglePin(); break;
    case 'S': ToggleSync(); break;
    case 'R':
        for (int n = 1; n <= 4; ++n)
            if (n == m_currentPane || (modifiers & Qt::ShiftModifier)) {
                // A file gone since it was shown: R says so, and the pane keeps it.
                const QString path = m_paneSet[n].PanePath;
                if (!path.isEmpty() && !IsRegularFile(path))
                    reportError(tr("Не удаётся прочитать файл \"%1\": %2.")
                                    .arg(DisplayName(path),
                                         PathExists(path) ? tr("это не обычный файл") : tr("файл не существует")));
                ReloadPane(n);
            }
        break;
    case 'T': ToggleTopBar(); break;
    case 'U': ScaleCommand(ScaleFit); break;
    case 'V': ToggleMarkV(); break;
    case 'W': ToggleExposureOverlay(m_currentPane); break;
    case 'X': ClearPane(m_currentPane); break;
    case 'Z': ToggleCaptions(); break;
    default: break;
    }
}

void TfrmMain::ZoomStep(bool in)
{
    PaneSlot& slot = m_panes[m_currentPane - 1];
    const PaneState& state = m_paneSet[m_currentPane];
    if (state.PaneScale == 0 || !state.hasPicture())
        return;
    int code;
    if (state.PaneScale == ScaleFit) {
        if (state.fullSize().isEmpty())
            return;   // only JPEG photos have fixed scales
        const QSize shown = slot.picture->pixelSize();   // device pixels: a photo's at 1:1
        code = in ? ZoomInFromFit(state.fullSize(), shown) : ZoomOutFromFit(state.fullSize(), shown);
    } else {
        code = in ? ZoomInStep(state.PaneScale) : ZoomOutStep(state.PaneScale);
    }
    ScaleCommand(code);
}

// ---- Marks ----------------------------------------------------------------

void TfrmMain::ToggleMarkV()
{
    if (m_paneSet[m_currentPane].PanePath.isEmpty())
        return;   // a pane without a file has nothing to mark
    setMark(m_currentPane, m_panes[m_currentPane - 1].markImage->isHidden() ? MarkV : NoMark);
}

void TfrmMain::SetDigitMark(int digit)
{
    if (m_paneSet[m_currentPane].PanePath.isEmpty())
        return;
    setMark(m_currentPane, MarkCode(digit));
}

bool TfrmMain::inCurrentFolder(const QString& path) const
{
    const auto absolute = [](const QString& folder) { return QDir::cleanPath(QDir(folder).absolutePath()); };
    return absolute(PathFolderPart(path)) == absolute(m_app.CurrentFolder);
}

void TfrmMain::setMark(int n, MarkCode code)
{
    const QString path = m_paneSet[n].PanePath;
    if (inCurrentFolder(path)) {
        if (code == NoMark)
            m_app.Marks.ClearMark(path);
        else
            m_app.Marks.SetMark(path, code);
        marksChanged();
    } else {
        // A file of a folder left behind: its own folder's marks file.
        WriteMarkInOwnFolder(path, code);
    }
    m_paneSet.pane(n).mark = code;
    PaneSlot& slot = m_panes[n - 1];
    if (code != NoMark)
        ShowMark(n, code);
    slot.markImage->setVisible(code != NoMark);
}

void TfrmMain::marksChanged()
{
    m_marksTimer.start();   // restarted by every change of a burst
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
    PaneSlot& slot = m_panes[m_currentPane - 1];
    const QString path = m_paneSet[m_currentPane].PanePath;
    if (path.isEmpty()) {
        ToolButton5->setChecked(false);
        slot.quarter->setChildSize(slot.metaPanel, 1);
    } else if (slot.quarter->childSize(slot.metaPanel) <= 1) {
        ToolButton5->setChecked(true);
        slot.quarter->setChildSize(slot.metaPanel, m_store.get(Stored::ExpanWidth, m_currentPane));
    } else {
        m_store.set(Stored::ExpanWidth, m_currentPane, slot.quarter->childSize(slot.metaPanel));
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
    for (const char* name : {"ScrollBox1", "ScrollBox2", "ScrollBox3", "ScrollBox4", "Splitter1", "Splitter3",
                             "Splitter4", "Splitter5", "Panel1", "Panel4", "PanelTopLeft", "PanelTopRight",
                             "PanelBottomRight", "PanelBottomLeft", "TopPanel", "ToolBar1", "DirAndExitPanel"})
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
    m_captionsOn = !m_captionsOn;
    for (auto& slot : m_panes) {
        slot.caption->setVisible(slot.caption->isHidden() && m_captionsOn);
        slot.quarter->relayout();
    }
}

void TfrmMain::ToggleReadOnly()
{
    PaneSlot& slot = m_panes[m_currentPane - 1];
    const QString path = m_paneSet[m_currentPane].PanePath;
    if (path.isEmpty()) {
        slot.readOnlyMark->setVisible(slot.readOnlyMark->isHidden());   // an empty pane: only the mark
        return;
    }
    QString failure;
    if (!IsRegularFile(path))
        failure = PathExists(path) ? tr("это не обычный файл") : tr("файл не существует");
    else if (const int error = SetReadOnly(path, slot.readOnlyMark->isHidden()))
        failure = SystemReason(error);
    if (!failure.isEmpty())
        reportError(tr("Не удаётся изменить права доступа к файлу \"%1\": %2.").arg(DisplayName(path), failure));
    // The mark shows what the file is now, whether or not the change took.
    slot.readOnlyMark->setVisible(m_paneSet.checkReadOnly(m_currentPane));
}

void TfrmMain::ToggleTopBar()
{
    TopPanel->setVisible(TopPanel->isHidden());
    relayout();
}

void TfrmMain::OpenInAssociatedProgram()
{
    const QString path = m_paneSet[m_currentPane].PanePath;
    if (path.isEmpty())
        return;
    m_hooks.openExternally(AbsolutePath(path));
}

void TfrmMain::OpenFilesDialog()
{
    m_app.SettingsFileName = m_store.iniFileName();
    m_app.CurrentFilePath = m_paneSet[m_currentPane].PanePath;
    {
        TfrmFiles dialog(m_app, this);
        dialog.showError = [this](const QString& message) { reportError(message); };
        m_app.FilesDialogOpen = true;
        m_hooks.runDialog(dialog);
    }
    m_app.FilesDialogOpen = false;
    m_paneSet.pipeline().setRawExtensions(m_app.RawExtensions);
    if (m_comparison.active()) {
        relistComparison();   // files copied, moved or deleted in any of the folders
        return;
    }
    const int index = m_folderList.selection();
    if (ListFolder(m_folderList.folder()))
        selectEntry(index);
}

void TfrmMain::OpenOptionsDialog()
{
    m_app.SettingsFileName = m_store.iniFileName();
    m_app.CurrentFilePath = m_paneSet[m_currentPane].PanePath;
    {
        TfrmOptions dialog(m_app, this);
        m_hooks.runDialog(dialog);
    }
    applyViewOptions();
}

void TfrmMain::applyViewOptions()
{
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
            wanted.push_back({m_paneSet[n].PanePath, storedScale(n), m_app.MaxSize});
    m_paneSet.prepare(wanted);
    for (int n = 1; n <= 4; ++n) {
        const bool overlay = m_paneSet[n].OverlayOn;
        LoadPane(n, m_paneSet[n].PanePath);
        if (overlay && !m_paneSet[n].OverlayOn)
            ToggleExposureOverlay(n);
    }
    if (!wanted.empty())
        lookAhead();
}
