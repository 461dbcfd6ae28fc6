#include "session/viewsession.h"

#include "common/paths.h"
#include "common/usererror.h"
#include "files/companions.h"
#include "files/fileops.h"
#include "files/tools.h"
#include "files/rawfiles.h"
#include "render/scaling.h"
#include "settings/appstate.h"
#include "settings/mainsettings.h"
#include "session/startplan.h"

#include <QDir>
#include <QFileInfo>

namespace tetrafot {

ViewSession::ViewSession(AppState& app, TFormStorage& store, QObject* parent)
    : QObject(parent), m_app(app), m_store(store), m_maxSize(store.get(Stored::MaxSize))
{
    // Marks reach the disk a second after the last change, so a crash loses
    // at most that second, while a burst of keys costs one write.
    m_marksTimer.setSingleShot(true);
    m_marksTimer.setInterval(1000);
    connect(&m_marksTimer, &QTimer::timeout, this, [this] {
        try {
            saveMarks();
        } catch (const UserError& e) {
            emit marksFailed(e.message());
        }
    });
}

int ViewSession::neighbour(Arrow arrow) const
{
    // 1 2
    // 3 4
    static const int across[] = {2, 1, 4, 3}, down[] = {3, 4, 1, 2};
    return (arrow == Arrow::Across ? across : down)[m_current - 1];
}

bool ViewSession::togglePageMode()
{
    if (m_comparison.active())
        return false;
    m_pageMode = !m_pageMode;
    lookAhead();   // the next steps bring other files now
    return true;
}

int ViewSession::storedScale(int n) const
{
    return NormaliseScaleCode(m_store.get(Stored::ImageScale, n));
}

void ViewSession::takeStoredMaxSize()
{
    m_maxSize = m_store.get(Stored::MaxSize);
}

ViewSession::ViewOptionsChange ViewSession::takeStoredViewOptions()
{
    takeStoredMaxSize();
    ViewOptionsChange change;
    change.smooth = m_store.get(Stored::SmoothScale);
    if (!m_panes.setUpright(m_store.get(Stored::ExifRotate)))
        return change;
    std::array<QString, 4> paths;
    for (int n = 1; n <= 4; ++n) {
        paths[n - 1] = m_panes[n].PanePath;
        change.reload[n - 1] = !paths[n - 1].isEmpty();
        change.overlay[n - 1] = change.reload[n - 1] && m_panes[n].OverlayOn;
        change.reloading = change.reloading || change.reload[n - 1];
    }
    prepareLoads(paths);
    return change;
}

ViewSession::PanelToggle ViewSession::toggleFileList(int width)
{
    if (width <= 1)
        return {m_store.get(Stored::FileListWidth), true};
    m_store.set(Stored::FileListWidth, width);
    return {};
}

ViewSession::PanelToggle ViewSession::toggleMetadataPanel(int width)
{
    if (m_panes[m_current].PanePath.isEmpty())
        return {};
    if (width <= 1)
        return {m_store.get(Stored::ExpanWidth, m_current), true};
    m_store.set(Stored::ExpanWidth, m_current, width);
    return {};
}

ViewSession::ReadOnlyChange ViewSession::toggleReadOnly(bool shownReadOnly)
{
    const QString path = m_panes[m_current].PanePath;
    if (path.isEmpty())
        return {!shownReadOnly, {}};
    ReadOnlyChange change;
    change.error = ChangeReadOnly(path, !shownReadOnly);
    change.readOnly = m_panes.checkReadOnly(m_current);
    return change;
}

int ViewSession::zoomStep(QSize shown, bool in) const
{
    const PaneState& state = m_panes[m_current];
    return state.hasPicture() ? ZoomStepCode(state.PaneScale, state.fullSize(), shown, in) : 0;
}

void ViewSession::runTool(bool toolN) const
{
    RunTool(m_panes[m_current].PanePath, m_store.get(toolN ? Stored::ToolN : Stored::ToolP), m_app.CurrentFolder,
            CurrentDirectory());
}

void ViewSession::handToDialogs()
{
    m_app.SettingsFileName = m_store.iniFileName();
    m_app.CurrentFilePath = m_panes[m_current].PanePath;
}

std::vector<ViewSession::Reload> ViewSession::reloads(bool all) const
{
    std::vector<Reload> panes;
    for (int n = 1; n <= 4; ++n)
        if (all || n == m_current)
            // A file gone since it was shown: R says so, and the pane keeps it.
            panes.push_back({n, UnreadableFileMessage(m_panes[n].PanePath)});
    return panes;
}

QStringList ViewSession::rawExtensions() const
{
    return ParseExtensions(m_store.get(Stored::Exts));
}

CompanionRule ViewSession::companionRule() const
{
    return {rawExtensions(), m_store.get(Stored::AnyRaw), m_store.get(Stored::RawPrefix), m_store.get(Stored::RawSuffix)};
}

void ViewSession::takeStoredRawExtensions()
{
    m_panes.pipeline().setRawExtensions(rawExtensions());
}

// ---- Walking ------------------------------------------------------------------

void ViewSession::prepareLoads(const std::array<QString, 4>& paths, const VisibleOf& visibleOf)
{
    std::vector<DecodeRequest> wanted;
    for (int k = 0; k < 4; ++k)
        if (!paths[k].isEmpty())
            wanted.push_back({paths[k], storedScale(k + 1), maxSize(), visibleOf ? visibleOf(k + 1) : nullptr});
    m_panes.prepare(wanted);
}

std::array<QString, 4> ViewSession::firstFiles(const VisibleOf& visibleOf)
{
    std::array<QString, 4> paths;
    for (int k = 0; k < 4 && k < m_list.count(); ++k)
        paths[k] = m_list.path(k);
    prepareLoads(paths, visibleOf);
    return paths;
}

ViewSession::WalkPlan ViewSession::planWalk(const WalkResult& walk, const VisibleOf& visibleOf)
{
    WalkPlan plan;
    plan.changed = walk.changed;
    if (!walk.changed)
        return plan;
    selectEntry(walk.selection);
    // A pane takes its new path only with its picture: a file that fails to
    // load leaves the pane's picture, label and path as they were, so its
    // commands act on the file it shows. A pane given no file is emptied.
    for (int k = 0; k < 4; ++k) {
        plan.clear[k] = walk.clear[k] || (walk.load[k] && walk.paths[k].isEmpty());
        if (walk.load[k])
            plan.load[k] = walk.paths[k];
    }
    prepareLoads(plan.load, visibleOf);
    if (!m_syncOn)
        return plan;
    // Synchronized panes keep their places in the photos across the walk.
    // Compared folders show one photo in versions: a pane that was empty
    // (its folder lacked the name) takes the place of the first that keeps one.
    int kept = 0;
    for (int k = 4; k >= 1; --k)
        if (m_panes[k].hasPicture() && !plan.clear[k - 1])
            kept = k;
    for (int k = 1; k <= 4; ++k) {
        const bool keeps = m_panes[k].hasPicture() && !plan.clear[k - 1];
        const int from = keeps ? k : m_comparison.active() ? kept : 0;
        if (!plan.load[k - 1].isEmpty() && from) {
            plan.placeFrom[k - 1] = from;
            plan.centre[k - 1] = place(from).centre();
        }
    }
    return plan;
}

WalkResult ViewSession::step(PaneSet::Step step) const
{
    if (m_comparison.active())
        return m_comparison.step(FolderComparison::Step(int(step)), m_panes.paths());
    return m_panes.step(step, m_list, m_pageMode);
}

WalkResult ViewSession::showStep(int row) const
{
    return m_comparison.showStep(row, m_panes.paths());
}

void ViewSession::lookAhead()
{
    const auto scaleOf = [this](int n) { return storedScale(n); };
    if (m_comparison.active()) {
        m_panes.lookAhead({step(PaneSet::Step::Next), step(PaneSet::Step::Previous)}, scaleOf, maxSize());
        return;
    }
    m_panes.lookAhead(m_list, m_pageMode, scaleOf, maxSize());
}

bool ViewSession::setPinned(int n)
{
    if (n == m_panes.pinned())
        return false;
    m_panes.setPinned(n);
    lookAhead();   // the pinned pane is no longer brought in
    return true;
}

void ViewSession::selectEntry(int index)
{
    if (m_comparison.active())
        m_comparison.select(index);
    else
        m_list.select(index);
}

ViewSession::RowChoice ViewSession::chooseRow(int row)
{
    if (m_comparison.active())
        return {showStep(row), {}};
    m_list.select(row);
    const int selected = m_list.selection();
    if (selected < 0 || m_list.name(selected).isEmpty())
        return {};
    return {{}, m_list.path(selected)};
}

QString ViewSession::clickedRow(int row) const
{
    if (m_comparison.active())
        return {};
    const QString path = m_list.path(row);
    return path == m_panes[m_current].PanePath ? QString() : path;
}

// ---- Folders ------------------------------------------------------------------

QString ViewSession::folderProblem(const QString& folder)
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

QString ViewSession::openError(const QString& folder, const QString& reason) const
{
    return tr("Не удаётся открыть папку \"%1\": %2.").arg(folder, reason);
}

QString ViewSession::listFolder(const QString& folder, const QString& maskText)
{
    QString reason = folderProblem(folder);
    // Pane paths are made from this absolute form, so that a later change of
    // the working directory never points them at another folder's files.
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    if (reason.isEmpty() && !QDir::setCurrent(folder))
        reason = tr("не удаётся войти в папку");
    if (!reason.isEmpty())
        return openError(folder, reason);
    // "Marked files" lists the files that have a mark now. A mark removed
    // later leaves its file listed until the list is made again.
    FolderList::Filter filter;
    filter.markedOnly = maskText.isEmpty();
    if (!filter.markedOnly)
        filter.masks = FilterMasks(maskText, rawExtensions());
    if (const QString failure = m_list.list(absolute, filter, m_app.Marks); !failure.isEmpty())
        return openError(folder, failure);
    return {};
}

ViewSession::FolderOutcome ViewSession::openFolder(const FolderChoice& choice)
{
    FolderOutcome outcome;
    // The marks of the folder being left are written first; when they
    // cannot be, they stay in memory and the folder stays.
    m_marksTimer.stop();
    try {
        saveMarks();
    } catch (const UserError& e) {
        outcome.errors << e.message();
        return outcome;
    }
    if (const QString error = listFolder(choice.folder, choice.maskText); !error.isEmpty()) {
        outcome.errors << error;
        return outcome;
    }
    outcome.opened = true;
    m_appliedFolder = choice.folder;
    m_comparison.clear();    // one folder chosen: the usual walk again
    m_failedLoads.clear();   // a new visit reports its damaged files again
    setPinned(0);            // the pinned file belongs to the folder left
    // The settings file is written at every folder change.
    if (!choice.keepStored)
        m_store.set(Stored::CurDir, choice.folder);
    try {
        m_store.save();
    } catch (const UserError& e) {
        outcome.errors << e.message();
    }
    m_app.CurrentFolder = choice.folder;
    if (choice.atStart)
        return outcome;
    if (const QString error = readMarks(choice.folder); !error.isEmpty())
        outcome.errors << error;
    // The list of marked files was made with the former folder's marks.
    if (choice.maskText.isEmpty())
        if (const QString error = listFolder(choice.folder, choice.maskText); !error.isEmpty())
            outcome.errors << error;
    return outcome;
}

QStringList ViewSession::start(const StartPlan& plan)
{
    QStringList errors;
    takeStoredRawExtensions();
    if (!plan.folderError.isEmpty())
        errors << plan.folderError;
    m_app.CurrentFolder = plan.folder;
    // A failure to read the marks is shown and start-up goes on.
    if (const QString error = readMarks(plan.folder); !error.isEmpty())
        errors << error;
    return errors;
}

QString ViewSession::relist(const QString& maskText)
{
    if (m_comparison.active())
        return relistComparison(maskText);
    return m_list.folder().isEmpty() ? QString() : listFolder(m_list.folder(), maskText);
}

QString ViewSession::filesChanged(const QString& maskText)
{
    takeStoredRawExtensions();
    const int index = selection();
    const QString error = relist(maskText);
    if (error.isEmpty() && !m_comparison.active())
        m_list.select(index);
    return error;
}

QStringList ViewSession::foldersToCompare() const
{
    return m_comparison.folders().isEmpty() ? QStringList{m_app.CurrentFolder} : m_comparison.folders();
}

// ---- Folders side by side -----------------------------------------------------

QStringList ViewSession::comparedMasks(const QString& maskText) const
{
    // "Marked files" names no masks; folders are compared by their photos then.
    return FilterMasks(maskText.isEmpty() ? QString::fromLatin1(PhotoMasks) : maskText, rawExtensions());
}

std::array<QString, 4> ViewSession::missingNotes() const
{
    std::array<QString, 4> notes;
    if (!comparing())
        return notes;
    const std::array<FolderComparison::Entry, 4> entries = m_comparison.panes(m_comparison.selection());
    for (int k = 0; k < 4; ++k)
        if (m_panes[k + 1].PanePath.isEmpty())
            notes[size_t(k)] = entries[size_t(k)].missing;
    return notes;
}

ViewSession::FolderOutcome ViewSession::startComparison(const QStringList& folders, const QString& maskText,
                                                       FolderComparison::Options options)
{
    FolderOutcome outcome;
    if (folders.size() < 2 || folders.size() > 4)
        return outcome;
    QStringList absolute;
    for (const QString& folder : folders) {
        if (const QString reason = folderProblem(folder); !reason.isEmpty()) {
            outcome.errors << openError(folder, reason);
            return outcome;
        }
        absolute << QFileInfo(folder).absoluteFilePath();
    }
    FolderComparison next;
    if (const QString failure = next.list(absolute, comparedMasks(maskText), options); !failure.isEmpty()) {
        outcome.errors << tr("Не удаётся открыть папку %1.").arg(failure);
        return outcome;
    }
    // Folder 1 is the current folder, whose marks are held here; the other
    // folders' files are marked in their own folders' files. It is not
    // stored as the folder to start in.
    if (!inCurrentFolder(WithTrailingSeparator(absolute.first()) + QLatin1Char('x'))) {
        try {
            saveMarks();   // a failure ends the command: nothing has changed yet
        } catch (const UserError& e) {
            outcome.errors << e.message();
            return outcome;
        }
        if (const QString error = listFolder(absolute.first(), maskText); !error.isEmpty()) {
            outcome.errors << error;
            return outcome;
        }
        m_app.CurrentFolder = absolute.first();
        if (const QString error = readMarks(absolute.first()); !error.isEmpty())
            outcome.errors << error;
    }
    outcome.opened = true;
    m_failedLoads.clear();
    m_pageMode = false;   // no pages among compared folders
    m_comparison = std::move(next);
    setPinned(0);
    QStringList shown;
    for (const QString& folder : absolute)
        shown << DisplayName(folder);
    // The field names the folders; choosing one folder there ends the comparison.
    m_appliedFolder = shown.join(QStringLiteral("  |  "));
    return outcome;
}

QString ViewSession::relistComparison(const QString& maskText)
{
    const int selection = m_comparison.selection();
    FolderComparison again;
    if (const QString failure = again.list(m_comparison.folders(), comparedMasks(maskText), m_comparison.options());
        !failure.isEmpty())
        return tr("Не удаётся открыть папку %1.").arg(failure);
    m_comparison = std::move(again);
    m_comparison.select(std::min(selection, m_comparison.count() - 1));
    return {};
}

// ---- Marks --------------------------------------------------------------------

bool ViewSession::inCurrentFolder(const QString& path) const
{
    const auto absolute = [](const QString& folder) { return QDir::cleanPath(QDir(folder).absolutePath()); };
    return absolute(PathFolderPart(path)) == absolute(m_app.CurrentFolder);
}

MarkStore ViewSession::marksFor(const QString& path) const
{
    return inCurrentFolder(path) ? m_app.Marks : MarksOfOwnFolder(path);
}

int ViewSession::toggleMarkV()
{
    return setMark(m_current, m_panes[m_current].mark != NoMark ? NoMark : MarkV);
}

int ViewSession::setDigitMark(int digit)
{
    return setMark(m_current, MarkCode(digit));
}

int ViewSession::setMark(int n, MarkCode code)
{
    const QString path = m_panes[n].PanePath;
    if (path.isEmpty())
        return 0;   // a pane without a file has nothing to mark
    if (inCurrentFolder(path)) {
        if (code == NoMark)
            m_app.Marks.ClearMark(path);
        else
            m_app.Marks.SetMark(path, code);
        m_marksTimer.start();   // restarted by every change of a burst
    } else {
        // A file of a folder left behind: its own folder's marks file.
        WriteMarkInOwnFolder(path, code);
    }
    m_panes.pane(n).mark = code;
    return n;
}

void ViewSession::saveMarks()
{
    m_marksTimer.stop();
    const QString& folder = m_app.CurrentFolder;
    // An unchanged store need not be written back: this keeps a read-only
    // folder with a marks file usable.
    if (m_app.Marks.entries() == m_marksAsRead
        && (m_marksAsRead.empty() != QFileInfo::exists(MarkStore::MarksFileName(folder))))
        return;
    m_app.Marks.SaveMarks(folder);
    m_marksAsRead = m_app.Marks.entries();
}

QString ViewSession::readMarks(const QString& folder)
{
    QString error;
    m_app.Marks.Clear();
    try {
        m_app.Marks.LoadMarks(folder);
    } catch (const UserError& e) {
        error = e.message();
    }
    m_marksAsRead = m_app.Marks.entries();
    return error;
}

// ---- Damaged files ------------------------------------------------------------

bool ViewSession::failureToReport(const QString& path, bool always)
{
    const bool seen = m_failedLoads.contains(path);
    m_failedLoads.insert(path);
    return !seen || always;
}

} // namespace tetrafot
