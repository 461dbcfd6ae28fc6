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

namespace tetrafot {

// ---- Folder and file list -------------------------------------------------

QString TfrmMain::maskText() const
{
    return MaskTextOf(ListFilter(FiltersList->currentIndex()));
}

bool TfrmMain::ListFolder(const QString& folder)
{
    const QString error = m_session.listFolder(folder, maskText());
    showRelisted(error);
    return error.isEmpty();
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
    const ViewSession::FolderOutcome outcome = m_session.openFolder({DirEdit->text(), maskText(), atStart, keepStored});
    if (outcome.opened) {
        showList();   // blocked: the list empties, no pane loads
        showPin();
    }
    for (const QString& error : outcome.errors)
        reportError(error);
    if (outcome.opened && !atStart)   // at start, the start plan fills the panes
        FillPanesFromList();
    return outcome.opened;
}

void TfrmMain::FillPanesFromList()
{
    // Decoded side by side, then shown in order.
    const std::array<QString, 4> paths = m_session.firstFiles([this](int n) { return visibleOf(n); });
    for (int k = 0; k < 4 && !paths[k].isEmpty(); ++k) {
        LoadPane(k + 1, paths[k]);
        m_session.selectEntry(k);
        showSelection();
    }
    m_session.lookAhead();
}

void TfrmMain::applyWalk(const WalkResult& walk)
{
    const ViewSession::WalkPlan plan = measured().planWalk(walk, [this](int n) { return visibleOf(n); });
    if (!plan.changed)
        return;
    showSelection();
    for (int k = 1; k <= 4; ++k)
        if (plan.clear[k - 1])
            ClearPane(k);
    for (int k = 1; k <= 4; ++k)
        if (!plan.load[k - 1].isEmpty()) {
            LoadPane(k, plan.load[k - 1]);
            if (plan.centre[k - 1])
                drawPanes(measured().placeAt(k, *plan.centre[k - 1]));
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
    for (const QString& error : outcome.errors)
        reportError(error);
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
    TfrmCompare dialog(m_session.foldersToCompare(), m_session.comparison().options(), m_hooks.browseFolder, this);
    m_hooks.runDialog(dialog);
    const QStringList chosen = dialog.result() == QDialog::Accepted ? dialog.folders() : QStringList();
    if (chosen.size() >= 2)
        StartComparison(chosen.mid(0, 4), dialog.options());
    else if (chosen.size() == 1)
        setFolderText(chosen.first());   // one folder: the usual walk over it, as the folder field gives
}

void TfrmMain::showRelisted(const QString& error)
{
    if (!error.isEmpty())
        return reportError(error);
    showList();
    showSelection();
}

void TfrmMain::setTyping(bool on)
{
    if (on && TopPanel->isHidden())
        ToggleTopBar();   // the folder field is typed into where the user can see it
    on ? m_keys.startTyping() : m_keys.stopTyping();
    DirEdit->setReadOnly(!on);
    DirEdit->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    if (on)
        DirEdit->setFocus();
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
        m_keys.windowLeft();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QWidget* focus = QApplication::focusWidget();
    const auto where = focus == FilesList ? WindowKeys::Focus::FileList
        : focus == DirEdit                ? WindowKeys::Focus::FolderField
                                          : WindowKeys::Focus::Elsewhere;
    const WindowKeys::Route route = event->type() == QEvent::KeyPress
        ? m_keys.pressed(key->key(), key->modifiers(), key->isAutoRepeat(), where)
        : m_keys.released(key->key(), key->modifiers(), key->isAutoRepeat(), where);
    if (route.command.command != Command::None && !m_app.FilesDialogOpen)
        guarded([&] { runCommand(route.command); });
    return route.eaten;
}

void TfrmMain::runCommand(KeyCommand key)
{
    const int current = m_session.currentPane();
    if (const std::optional<PaneSet::Step> step = StepOf(key.command))
        return applyWalk(m_session.step(*step));
    if (const int code = ScaleCodeOf(key.command))
        return ScaleCommand(code);
    switch (key.command) {
    case Command::OpenExternally: OpenInAssociatedProgram(); break;
    case Command::PaneAcross: SelectPane(m_session.neighbour(ViewSession::Arrow::Across)); break;
    case Command::PaneDown: SelectPane(m_session.neighbour(ViewSession::Arrow::Down)); break;
    case Command::ZoomIn:
    case Command::ZoomOut:
        // The picture's size in device pixels: a photo's at 1:1.
        if (const int code = m_session.zoomStep(m_panes[current - 1].picture->pixelSize(), key.command == Command::ZoomIn))
            ScaleCommand(code);
        break;
    case Command::DigitMark: drawMarkOf(m_session.setDigitMark(key.digit)); break;
    case Command::BackgroundColour: ChooseBackgroundColour(); break;
    case Command::TypeFolder: setTyping(true); break;
    case Command::MetadataPanel: ToggleMetadataPanel(); break;
    case Command::FilesDialog: OpenFilesDialog(); break;
    case Command::ReadOnly: ToggleReadOnly(); break;
    case Command::SplitEvenly: SplitEvenly(); break;
    case Command::CompareDialog: OpenCompareDialog(); break;
    case Command::Difference: ToggleDifference(); break;
    case Command::PageMode:
        // Page mode frames the four panes: a line, a lowered and a raised
        // bevel. Compared folders walk name by name, without it.
        if (m_session.togglePageMode())
            MainPanel->setBevelFrame(m_session.pageMode());
        break;
    case Command::FileList: ToggleFileList(); break;
    case Command::ToolN:
    case Command::ToolP: m_session.runTool(key.command == Command::ToolN); break;
    case Command::OptionsDialog: OpenOptionsDialog(); break;
    case Command::Quit: close(); break;
    case Command::Pin:
        if (m_session.togglePin())
            showPin();
        break;
    case Command::Sync:
        m_session.toggleSync();
        ToolButton8->setChecked(m_session.syncOn());
        break;
    case Command::Reload:
    case Command::ReloadAll:
        for (const ViewSession::Reload& r : m_session.reloads(key.command == Command::ReloadAll)) {
            if (!r.gone.isEmpty())
                reportError(r.gone);
            ReloadPane(r.pane);
        }
        break;
    case Command::TopBar: ToggleTopBar(); break;
    case Command::MarkV: drawMarkOf(m_session.toggleMarkV()); break;
    case Command::Exposure: ToggleExposureOverlay(current); break;
    case Command::ClearPane: ClearPane(current); break;
    case Command::Captions: ToggleCaptions(); break;
    default: break;
    }
}

// ---- Marks ----------------------------------------------------------------

void TfrmMain::drawMarkOf(int n)
{
    if (n != 0)   // 0: an empty pane, nothing marked
        drawPane(n);
}

// ---- Layout commands --------------------------------------------------------

void TfrmMain::ToggleFileList()
{
    const ViewSession::PanelToggle panel = m_session.toggleFileList(Panel2->childSize(LeftPanel));
    Panel2->setChildSize(LeftPanel, panel.width);
    showflist->setChecked(panel.shown);
}

void TfrmMain::ToggleMetadataPanel()
{
    PaneSlot& slot = m_panes[m_session.currentPane() - 1];
    const ViewSession::PanelToggle panel = m_session.toggleMetadataPanel(slot.quarter->childSize(slot.metaPanel));
    slot.quarter->setChildSize(slot.metaPanel, panel.width);
    ToolButton5->setChecked(panel.shown);
}

void TfrmMain::ChooseBackgroundColour()
{
    const std::optional<QColor> chosen = m_hooks.chooseColour(this, m_lastColour);
    if (!chosen)
        return;
    m_lastColour = *chosen;
    const int colour = StoredColour::of(*chosen).value;
    setControlColour(this, colour);
    for (const LayoutProperty& p : LayoutProperties)
        if (QWidget* w = findChild<QWidget*>(QLatin1String(p.control)); w && p.kind == LayoutKind::Colour)
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
    const ViewSession::ReadOnlyChange change = m_session.toggleReadOnly(!slot.readOnlyMark->isHidden());
    if (!change.error.isEmpty())
        reportError(change.error);
    slot.readOnlyMark->setVisible(change.readOnly);
}

void TfrmMain::ToggleTopBar()
{
    TopPanel->setVisible(TopPanel->isHidden());
    relayout();
}

void TfrmMain::OpenInAssociatedProgram()
{
    if (const QString path = m_session.currentFile(); !path.isEmpty())
        m_hooks.openExternally(AbsolutePath(path));
}

void TfrmMain::OpenFilesDialog()
{
    m_session.handToDialogs();
    {
        TfrmFiles dialog(m_app, this);
        dialog.showError = [this](const QString& message) { reportError(message); };
        m_app.FilesDialogOpen = true;
        m_hooks.runDialog(dialog);
    }
    m_app.FilesDialogOpen = false;
    showRelisted(m_session.filesChanged(maskText()));
}

void TfrmMain::OpenOptionsDialog()
{
    m_session.handToDialogs();
    {
        TfrmOptions dialog(m_app, this);
        m_hooks.runDialog(dialog);
    }
    applyViewOptions();
}

void TfrmMain::applyViewOptions()
{
    const ViewSession::ViewOptionsChange change = m_session.takeStoredViewOptions();
    for (PaneSlot& slot : m_panes)
        slot.picture->setSmooth(change.smooth);
    for (int n = 1; n <= 4; ++n)
        if (change.reload[n - 1]) {
            LoadPane(n, m_paneSet[n].PanePath);
            if (change.overlay[n - 1] && !m_paneSet[n].OverlayOn)
                ToggleExposureOverlay(n);
        }
    if (change.reloading)
        m_session.lookAhead();
}

} // namespace tetrafot
