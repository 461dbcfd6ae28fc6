// The main window: construction, layout, the settings store's bindings,
// start-up and shutdown.
#include "window/mainform.h"

#include "settings/mainsettings.h"
#include "window/markpictures.h"
#include "window/panewidgets.h"
#include "settings/startfolder.h"
#include "session/keymap.h"
#include "session/startplan.h"
#include "common/paths.h"
#include "common/usererror.h"
#include "files/companions.h"
#include "files/rawfiles.h"
#include "render/scaling.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include "session/filelistmodel.h"
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tetrafot {

namespace {

MainHooks withDefaults(MainHooks hooks)
{
    if (!hooks.showError)
        hooks.showError = [](QWidget* parent, const QString& message) {
            QMessageBox::critical(parent, QStringLiteral("Tetrafot"), message);
        };
    if (!hooks.browseFolder)
        hooks.browseFolder = [](QWidget* parent, const QString& start) {
            return QFileDialog::getExistingDirectory(parent, QString(), start);
        };
    if (!hooks.chooseColour)
        hooks.chooseColour = [](QWidget* parent, const QColor& start) -> std::optional<QColor> {
            QColor c = QColorDialog::getColor(start, parent);
            if (!c.isValid())
                return std::nullopt;
            return c;
        };
    if (!hooks.openExternally)
        hooks.openExternally = [](const QString& path) { QDesktopServices::openUrl(FileUrl(path)); };
    if (!hooks.runDialog)
        hooks.runDialog = [](QDialog& dialog) { dialog.exec(); };
    return hooks;
}

// A button of the top bar: a picture, no frame until pointed at, never the focus.
QToolButton* makeButton(const char* name, const QIcon& icon, const QString& tip)
{
    auto* b = new QToolButton;
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setIconSize(QSize(22, 22));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(tip);
    return b;
}

// Fields and lists are drawn on the button face, as the panels around them.
void onButtonFace(QWidget* w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    w->setPalette(p);
}

} // namespace

TfrmMain::TfrmMain(const QStringList& arguments, MainHooks hooks, QWidget* parent)
    : AlignWidget(QStringLiteral("frmMain"), parent), m_hooks(withDefaults(std::move(hooks))),
      m_store(QStringLiteral("TfrmMain")), m_session(m_app, m_store)
{
    // The whole photos behind parts on show are decoded on workers; the
    // panes take them on the GUI thread.
    connect(&m_paneSet.pipeline().handOff(), &WholeHandOff::wholeReady, this, &TfrmMain::FinishPartialPanes,
            Qt::QueuedConnection);
    FormCreate(arguments);
}

TfrmMain::~TfrmMain()
{
    disconnect(&m_paneSet.pipeline().handOff(), nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    // The destroy-time save runs only when nothing was saved since the last restore.
    if (m_store.restored() && !m_store.savedSinceRestore())
        saveStore(true);
    // The marks of the folder on show; a failure is shown while the window goes.
    guarded([this] { m_session.saveMarks(); });
    // The controls go with the base class, after this class is gone: a
    // folder field losing its focus then must not call back into it.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    m_session.disconnect(this);
}

void TfrmMain::reportError(const QString& message)
{
    m_hooks.showError(this, message);
}

void TfrmMain::guarded(const std::function<void()>& command)
{
    // Errors end the command that raised them and are shown in one place.
    try {
        command();
    } catch (const UserError& e) {
        reportError(e.message());
    }
}

void TfrmMain::FormCreate(const QStringList& arguments)
{
    // 1. Borderless, at the size of the screen; keys reach the window first.
    setWindowTitle(QStringLiteral("Tetrafot"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    buildWindow();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    relayout();
    qApp->installEventFilter(this);
    RequestDetectableAutoRepeat();
    connect(&m_session, &ViewSession::marksFailed, this, &TfrmMain::reportError);

    // 2. The file list button follows the list's width.
    showflist->setChecked(Panel2->childSize(LeftPanel) > 1);

    // 3. The store and the pane table (built in buildWindow); pane 1 is current.
    m_app.Store = &m_store;
    SelectPane(1);

    // 4. The settings file.
    AddMainStoredValues(m_store);
    bindStoredProperties();
    m_store.setIniFileName(SettingsFilePath(QCoreApplication::applicationDirPath()));

    // 5. Restore.
    guarded([&] { m_store.restore(); });

    // 6.-9. The start folder, a file named and its filter, worked out once;
    // the start folder's marks.
    const StartPlan plan = MakeStartPlan(arguments, m_store.get(Stored::CurDir), QDir::currentPath(), m_session.rawExtensions());
    for (const QString& error : m_session.start(plan))
        reportError(error);

    // 10. How pictures are turned and drawn.
    applyViewOptions();

    // 11. The folder field lists the start folder; the panes are filled once,
    // from a file named on the command line, the folders compared or the
    // first four files.
    if (plan.rawFilter)
        FiltersList->setCurrentIndex(int(ListFilter::JpegAndRaw));
    DirEdit->setText(plan.folder);
    DirEditChange(true, plan.keepStoredFolder);
    if (!plan.compared.isEmpty() && StartComparison(plan.compared))
        return;
    const int named = m_session.folderList().indexOf(plan.namedFile);
    if (named >= 0)
        applyWalk(m_paneSet.showFrom(named, m_session.folderList()));
    else
        FillPanesFromList();
}

void TfrmMain::saveStore(bool destroying)
{
    guarded([&] { m_store.save(destroying); });
}

void TfrmMain::showEvent(QShowEvent* event)
{
    AlignWidget::showEvent(event);
    followScreenScale();   // the screen it opened on may not be the primary one
    if (!m_shownOnce) {
        // The store restores once more when the window first appears.
        m_shownOnce = true;
        guarded([&] { m_store.restore(); });
        // A pane that already shows a file keeps its caption rule; only the
        // strips of empty panes keep the visibility read from the file.
        for (int n = 1; n <= 4; ++n)
            if (!m_paneSet[n].PanePath.isEmpty())
                drawPane(n);
    }
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    saveStore();
    AlignWidget::closeEvent(event);
}

int TfrmMain::controlColour(const QString& objectName) const
{
    const QWidget* w = objectName == this->objectName() ? this : findChild<QWidget*>(objectName);
    const QVariant v = w ? w->property("tcolor") : QVariant();
    return v.isValid() ? v.toInt() : StoredColour::ButtonFace;
}

void TfrmMain::setControlColour(QWidget* widget, int colour)
{
    widget->setProperty("tcolor", colour);
    QPalette pal = widget->palette();
    const QColor c = StoredColour{colour}.toQColor(QApplication::palette().color(QPalette::Button));
    pal.setColor(QPalette::Window, c);
    // Paths and captions stay readable on a dark background.
    pal.setColor(QPalette::WindowText, c.lightness() < 128 ? Qt::white : Qt::black);
    if (qobject_cast<QToolBar*>(widget))
        pal.setColor(QPalette::Button, c);   // the toolbar draws its panel in the button colour
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
    if (auto* box = qobject_cast<ScrollBoxWidget*>(widget)) {
        box->viewport()->setBackgroundRole(QPalette::Window);
        box->viewport()->setAutoFillBackground(true);
    }
}

void TfrmMain::buildWindow()
{
    // Top bar: the toolbar, then the folder field and the exit button.
    TopPanel = new AlignWidget(QStringLiteral("TopPanel"));
    addChild(TopPanel, Top, 29);
    buildToolBar();
    buildFolderField();
    // Below: the file list column, its splitter and the picture area.
    Panel2 = new AlignWidget(QStringLiteral("Panel2"));
    addChild(Panel2, Client);
    buildFileList();
    auto* splitter1 = new SplitterWidget(QStringLiteral("Splitter1"), Qt::Horizontal);
    Panel2->addChild(splitter1, Left, 3);
    MainPanel = new AlignWidget(QStringLiteral("MainPanel"));
    Panel2->addChild(MainPanel, Client);
    buildPaneGrid();
    followScreenScale();   // draws the marks
}

void TfrmMain::buildToolBar()
{
    auto* ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(22, 22));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    for (const ToolbarButton& def : kToolbarButtons) {
        QToolButton* b = makeButton(def.name, ToolbarIcon(def.picture), tr(def.hint) + QLatin1Char('\n') + QString::fromUtf8(def.key));
        b->setFixedSize(35, 28);
        b->setCheckable(def.checkable);
        connect(b, &QToolButton::clicked, this, [this, b, def] {
            // The pressed state is the command's to set, not the click's.
            if (def.checkable)
                b->setChecked(!b->isChecked());
            guarded([&] { runCommand({def.command}); });
        });
        ToolBar1->addWidget(b);
    }
    showflist = ToolBar1->findChild<QToolButton*>(QStringLiteral("showflist"));
    ToolButton5 = ToolBar1->findChild<QToolButton*>(QStringLiteral("ToolButton5"));
    ToolButton8 = ToolBar1->findChild<QToolButton*>(QStringLiteral("ToolButton8"));
    TopPanel->addChild(ToolBar1, Left, int(std::size(kToolbarButtons)) * 35);
}

void TfrmMain::buildFolderField()
{
    auto* DirAndExitPanel = new AlignWidget(QStringLiteral("DirAndExitPanel"));
    TopPanel->addChild(DirAndExitPanel, Client);
    QToolButton* SpeedButton1 = makeButton("SpeedButton1", ExitIcon(), tr("Выход") + QStringLiteral("\n(Q)"));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { close(); });
    DirAndExitPanel->addChild(SpeedButton1, Right, 35);
    auto* dirHolder = new AlignWidget(QStringLiteral("DirEditHolder"));
    dirHolder->setContentsMargins(4, 3, 4, 3);
    DirAndExitPanel->addChild(dirHolder, Client);
    DirEdit = new QLineEdit;
    DirEdit->setObjectName(QStringLiteral("DirEdit"));
    DirEdit->setReadOnly(true);
    DirEdit->setFocusPolicy(Qt::NoFocus);
    onButtonFace(DirEdit);
    QAction* browse = DirEdit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("DirEditBrowse"));
    browse->setToolTip(tr("Выбрать папку"));
    connect(browse, &QAction::triggered, this, [this] {
        const QString chosen = m_hooks.browseFolder(this, DirEdit->text());
        if (!chosen.isEmpty())
            setFolderText(QDir::toNativeSeparators(chosen));
    });
    connect(DirEdit, &QLineEdit::returnPressed, this, [this] { m_keys.fieldReturn(); });
    connect(DirEdit, &QLineEdit::editingFinished, this, [this] {
        // A typed folder is applied on Enter or when the field is left; after
        // Enter on a good folder the keys belong to the panes again.
        if (!m_keys.typing())
            return;
        if (DirEdit->text() != m_session.appliedFolder())
            DirEditChange();
        const bool focused = DirEdit->hasFocus();
        if (focused && DirEdit->text() != m_session.appliedFolder())
            return;   // a folder that cannot be listed: typing goes on
        setTyping(false);
        if (focused)
            m_panes[m_session.currentPane() - 1].box->setFocus();
    });
    dirHolder->addChild(DirEdit, Client);
}

void TfrmMain::buildFileList()
{
    LeftPanel = new AlignWidget(QStringLiteral("LeftPanel"));
    Panel2->addChild(LeftPanel, Left, LayoutFallback("LeftPanel"));
    auto* Panel4 = new AlignWidget(QStringLiteral("Panel4"));
    LeftPanel->addChild(Panel4, Bottom, 28);
    auto* Panel1 = new AlignWidget(QStringLiteral("Panel1"));
    LeftPanel->addChild(Panel1, Client);
    FilesList = new QListView;
    FilesList->setObjectName(QStringLiteral("FilesList"));
    FilesList->setFocusPolicy(Qt::ClickFocus);   // skipped by Tab
    FilesList->setUniformItemSizes(true);          // a folder of 100,000 names lays out at once
    FilesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listModel = new FileListModel(m_session.folderList(), FilesList);
    FilesList->setModel(m_listModel);
    onButtonFace(FilesList);
    connect(FilesList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& row) {
        if (row.row() == m_session.selection())
            return;   // the session's own selection, shown
        const ViewSession::RowChoice choice = m_session.chooseRow(row.row());
        guarded([&] {
            applyWalk(choice.walk);
            LoadPane(m_session.currentPane(), choice.path);
        });
    });
    connect(FilesList, &QListView::clicked, this, [this](const QModelIndex& row) {
        if (const QString path = m_session.clickedRow(row.row()); !path.isEmpty())
            guarded([&] { LoadPane(m_session.currentPane(), path); });
    });
    Panel1->addChild(FilesList, Client);
    FiltersList = new QComboBox;
    FiltersList->setObjectName(QStringLiteral("FiltersList"));
    // In the order of ListFilter, whose masks each lists.
    FiltersList->addItems({tr("JPEG files"), tr("All files"), tr("Отмеченные файлы"), tr("RAW-файлы"), tr("JPEG и RAW-файлы")});
    FiltersList->setFocusPolicy(Qt::NoFocus);
    onButtonFace(FiltersList);
    connect(FiltersList, &QComboBox::activated, this, [this] { showRelisted(m_session.relist(maskText())); });
    Panel4->setContentsMargins(2, 3, 2, 3);
    Panel4->addChild(FiltersList, Client);
}

void TfrmMain::buildPaneGrid()
{
    // Each row: its left quarter, a splitter, the right quarter filling the rest.
    auto row = [](AlignWidget* host, const char* left, const char* splitter, const char* right) {
        auto* l = new AlignWidget(QLatin1String(left));
        host->addChild(l, Left, LayoutFallback(left));
        host->addChild(new SplitterWidget(QLatin1String(splitter), Qt::Horizontal), Left, 7);
        auto* r = new AlignWidget(QLatin1String(right));
        host->addChild(r, Client);
        return std::pair{l, r};
    };
    PanelTop = new AlignWidget(QStringLiteral("PanelTop"));
    MainPanel->addChild(PanelTop, Top, LayoutFallback("PanelTop"));
    MainPanel->addChild(new SplitterWidget(QStringLiteral("Splitter3"), Qt::Vertical), Top, 3);
    PanelBottom = new AlignWidget(QStringLiteral("PanelBottom"));
    MainPanel->addChild(PanelBottom, Client);
    const auto top = row(PanelTop, "PanelTopLeft", "Splitter4", "PanelTopRight");
    const auto bottom = row(PanelBottom, "PanelBottomLeft", "Splitter5", "PanelBottomRight");
    PanelTopLeft = top.first;
    PanelBottomLeft = bottom.first;
    buildPane(1, top.first);
    buildPane(2, top.second);
    buildPane(3, bottom.first);
    buildPane(4, bottom.second);

    // The eleven mark pictures live hidden in pane 1's box.
    for (int code = 0; code <= 10; ++code) {
        auto* pic = new QLabel(m_panes[0].box);
        pic->setObjectName(code == 10 ? QStringLiteral("markV") : QStringLiteral("mark%1").arg(code));
        pic->setFixedSize(22, 22);
        pic->hide();
        m_markPictures[code] = pic;
    }
}

void TfrmMain::buildPane(int n, AlignWidget* quarter)
{
    PaneSlot& slot = m_panes[n - 1];
    slot.build(n, quarter);

    connect(slot.box, &ScrollBoxWidget::clicked, this, [this](int tag) { ScrollClick(tag); });
    // A difference is computed for what the pane shows: again as that changes.
    connect(slot.box, &ScrollBoxWidget::areaMoved, this, [this, n] {
        if (m_paneSet[n].DifferenceOn)
            refreshDifference(n);
    });
    connect(slot.picture, &PictureArea::pressed, this, [this](int tag, QPoint pos, Qt::MouseButton) { ImageMouseDown(tag, pos); });
    connect(slot.picture, &PictureArea::moved, this, [this](int tag, QPoint pos) { ImageMouseMove(tag, pos); });
    connect(slot.picture, &PictureArea::released, this, [this](int tag) { ImageMouseUp(tag); });
    connect(slot.picture, &PictureArea::clicked, this, [this](int tag) { ImageClick(tag); });
    connect(slot.picture, &PictureArea::doubleClicked, this, [this](int) { guarded([this] { OpenInAssociatedProgram(); }); });
}

void TfrmMain::bindStoredProperties()
{
    auto hostOf = [](QWidget* w) { return qobject_cast<AlignWidget*>(w->parentWidget()); };
    LayoutControls controls;
    controls.read = [this, hostOf](const LayoutProperty& p) {
        QWidget* w = findChild<QWidget*>(QLatin1String(p.control));
        switch (p.kind) {
        case LayoutKind::Size: return hostOf(w)->childSize(w);
        case LayoutKind::FilledHeight: return w->height();
        case LayoutKind::Colour: return controlColour(QLatin1String(p.control));
        case LayoutKind::Visible: return int(!w->isHidden());
        case LayoutKind::Pressed: return int(static_cast<QToolButton*>(w)->isChecked());
        }
        return 0;
    };
    controls.apply = [this, hostOf](const LayoutProperty& p, int value) {
        QWidget* w = findChild<QWidget*>(QLatin1String(p.control));
        if (!w)
            return false;
        switch (p.kind) {
        case LayoutKind::Size: hostOf(w)->setChildSize(w, value); break;
        case LayoutKind::FilledHeight: break;
        case LayoutKind::Colour: setControlColour(w, value); break;
        case LayoutKind::Visible:
            w->setVisible(value != 0);
            hostOf(w)->relayout();
            break;
        case LayoutKind::Pressed: static_cast<QToolButton*>(w)->setChecked(value != 0); break;
        }
        return true;
    };
    AddLayoutProperties(m_store, controls);

    // The screen's resolution as the window finds it at each save and restore.
    auto ppi = [this] { return screen() ? qRound(screen()->logicalDotsPerInch()) : 96; };
    m_store.currentPlacement = [this, ppi] {
        return TFormStorage::Placement{0, isMinimized() ? 2 : isMaximized() ? 3 : 1, ppi(), {}, {}, geometry()};
    };
    m_store.applyPlacement = [this, ppi](const TFormStorage::RestoredPlacement& rp) {
        // Borderless: only the position is taken, the window keeps its size.
        QList<QRect> screens;
        for (const QScreen* s : QGuiApplication::screens())
            screens << s->geometry();
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (rp.positionApplies(ppi()))
            move(KeepOnScreen(QRect(rp.placement.normal.topLeft(), size()), screens, primary ? primary->geometry() : QRect()));
        if (rp.placement.showCmd == 3)
            setWindowState(windowState() | Qt::WindowMaximized);
    };
    m_store.onRestorePlacement = [this] {
        if (!m_store.fileExists())
            SplitEvenly();
        // The metadata button stands pressed while the current pane's panel
        // is shown, also when the file is what opened the panel.
        SelectPane(m_session.currentPane());
    };
}

} // namespace tetrafot
