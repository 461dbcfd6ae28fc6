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
    FormDestroy();
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

    // 6.-8. The start folder, a file named and its filter, worked out once.
    m_app.RawExtensions = ParseExtensions(m_store.get(Stored::Exts));
    m_paneSet.pipeline().setRawExtensions(m_app.RawExtensions);
    const StartPlan plan = MakeStartPlan(arguments, m_store.get(Stored::CurDir), QDir::currentPath(), m_app.RawExtensions);
    if (!plan.folderError.isEmpty())
        reportError(plan.folderError);
    m_app.CurrentFolder = plan.folder;

    // 9. Marks of the start folder; a failure is shown and start-up goes on.
    if (const QString error = m_session.readMarks(m_app.CurrentFolder); !error.isEmpty())
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

void TfrmMain::FormDestroy()
{
    m_app.RawExtensions.clear();
    // Shown while the window goes; the message names the file.
    guarded([this] { m_session.saveMarks(); });
}

void TfrmMain::saveStore(bool destroying)
{
    try {
        m_store.save(destroying);
    } catch (const UserError& e) {
        reportError(e.message());
    }
}

void TfrmMain::FormStorage1RestorePlacement()
{
    if (!m_store.fileExists()) {
        SplitEvenly();
    }
    // The metadata button stands pressed while the current pane's panel is
    // shown, also when the file is what opened the panel.
    SelectPane(m_session.currentPane());
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
            if (PaneSlot& slot = m_panes[n - 1]; !m_paneSet[n].PanePath.isEmpty()) {
                slot.caption->setVisible(!slot.caption->text().isEmpty() && m_session.captionsOn());
                slot.quarter->relayout();
            }
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
    ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(22, 22));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    for (const ToolbarButton& def : kToolbarButtons) {
        auto* b = new QToolButton;
        b->setObjectName(QString::fromLatin1(def.name));
        b->setIcon(ToolbarIcon(def.picture));
        b->setIconSize(QSize(22, 22));
        b->setFixedSize(35, 28);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(tr(def.hint) + QLatin1Char('\n') + QString::fromUtf8(def.key));
        b->setCheckable(def.checkable);
        connect(b, &QToolButton::clicked, this, [this, b, def] {
            // The pressed state is the command's to set, not the click's.
            if (def.checkable)
                b->setChecked(!b->isChecked());
            guarded([&] { runCommand({def.command}); });
        });
        ToolBar1->addWidget(b);
        if (def.name == std::string_view("showflist"))
            showflist = b;
        if (def.name == std::string_view("ToolButton5"))
            ToolButton5 = b;
        if (def.name == std::string_view("ToolButton8"))
            ToolButton8 = b;
    }
    TopPanel->addChild(ToolBar1, Left, int(std::size(kToolbarButtons)) * 35);
}

void TfrmMain::buildFolderField()
{
    DirAndExitPanel = new AlignWidget(QStringLiteral("DirAndExitPanel"));
    TopPanel->addChild(DirAndExitPanel, Client);
    SpeedButton1 = new QToolButton;
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(ExitIcon());
    SpeedButton1->setIconSize(QSize(22, 22));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setToolTip(tr("Выход") + QStringLiteral("\n(Q)"));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { close(); });
    DirAndExitPanel->addChild(SpeedButton1, Right, 35);
    auto* dirHolder = new AlignWidget(QStringLiteral("DirEditHolder"));
    dirHolder->setContentsMargins(4, 3, 4, 3);
    DirAndExitPanel->addChild(dirHolder, Client);
    DirEdit = new QLineEdit;
    DirEdit->setObjectName(QStringLiteral("DirEdit"));
    DirEdit->setReadOnly(true);
    DirEdit->setFocusPolicy(Qt::NoFocus);
    QPalette dp = DirEdit->palette();
    dp.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    DirEdit->setPalette(dp);
    QAction* browse = DirEdit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("DirEditBrowse"));
    browse->setToolTip(tr("Выбрать папку"));
    connect(browse, &QAction::triggered, this, [this] {
        const QString chosen = m_hooks.browseFolder(this, DirEdit->text());
        if (!chosen.isEmpty())
            setFolderText(QDir::toNativeSeparators(chosen));
    });
    connect(DirEdit, &QLineEdit::returnPressed, this, [this] { m_returnTakenByField = m_directInput; });
    connect(DirEdit, &QLineEdit::editingFinished, this, [this] {
        // A typed folder is applied on Enter or when the field is left; after
        // Enter on a good folder the keys belong to the panes again.
        if (!m_directInput)
            return;
        if (DirEdit->text() != m_session.appliedFolder())
            DirEditChange();
        if (!DirEdit->hasFocus()) {
            DirEditExit();
        } else if (DirEdit->text() == m_session.appliedFolder()) {
            DirEditExit();
            m_panes[m_session.currentPane() - 1].box->setFocus();
        }
    });
    dirHolder->addChild(DirEdit, Client);
}

void TfrmMain::buildFileList()
{
    LeftPanel = new AlignWidget(QStringLiteral("LeftPanel"));
    Panel2->addChild(LeftPanel, Left, 175);
    Panel4 = new AlignWidget(QStringLiteral("Panel4"));
    LeftPanel->addChild(Panel4, Bottom, 28);
    Panel1 = new AlignWidget(QStringLiteral("Panel1"));
    LeftPanel->addChild(Panel1, Client);
    FilesList = new QListView;
    FilesList->setObjectName(QStringLiteral("FilesList"));
    FilesList->setFocusPolicy(Qt::ClickFocus);   // skipped by Tab
    FilesList->setUniformItemSizes(true);          // a folder of 100,000 names lays out at once
    FilesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listModel = new FileListModel(m_session.folderList(), FilesList);
    FilesList->setModel(m_listModel);
    QPalette lp = FilesList->palette();
    lp.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    FilesList->setPalette(lp);
    connect(FilesList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& row) {
        if (row.row() == m_session.selection())
            return;   // the session's own selection, shown
        if (m_session.comparing()) {
            // A name of the comparison: every pane goes there.
            guarded([&] { applyWalk(m_session.showStep(row.row())); });
            return;
        }
        m_session.selectEntry(row.row());
        guarded([this] { FilesListChange(); });
    });
    // A click on the entry that is already highlighted loads it too, when
    // the current pane shows another file.
    connect(FilesList, &QListView::clicked, this, [this](const QModelIndex& row) {
        if (m_session.comparing())
            return;
        const QString path = m_session.folderList().path(row.row());
        const int current = m_session.currentPane();
        if (!path.isEmpty() && m_paneSet[current].PanePath != path)
            guarded([&] { LoadPane(current, path); });
    });
    Panel1->addChild(FilesList, Client);
    FiltersList = new QComboBox;
    FiltersList->setObjectName(QStringLiteral("FiltersList"));
    // In the order of ListFilter, whose masks each lists.
    FiltersList->addItems({tr("JPEG files"), tr("All files"), tr("Отмеченные файлы"), tr("RAW-файлы"), tr("JPEG и RAW-файлы")});
    FiltersList->setFocusPolicy(Qt::NoFocus);
    FiltersList->setPalette(lp);
    connect(FiltersList, &QComboBox::activated, this, [this] {
        if (m_session.comparing())
            relistComparison();
        else if (!m_session.folderList().folder().isEmpty())
            ListFolder(m_session.folderList().folder());
    });
    Panel4->setContentsMargins(2, 3, 2, 3);
    Panel4->addChild(FiltersList, Client);
}

void TfrmMain::buildPaneGrid()
{
    PanelTop = new AlignWidget(QStringLiteral("PanelTop"));
    MainPanel->addChild(PanelTop, Top, 193);
    MainPanel->addChild(new SplitterWidget(QStringLiteral("Splitter3"), Qt::Vertical), Top, 3);
    PanelBottom = new AlignWidget(QStringLiteral("PanelBottom"));
    MainPanel->addChild(PanelBottom, Client);

    PanelTopLeft = new AlignWidget(QStringLiteral("PanelTopLeft"));
    PanelTop->addChild(PanelTopLeft, Left, 262);
    PanelTop->addChild(new SplitterWidget(QStringLiteral("Splitter4"), Qt::Horizontal), Left, 7);
    PanelTopRight = new AlignWidget(QStringLiteral("PanelTopRight"));
    PanelTop->addChild(PanelTopRight, Client);
    PanelBottomLeft = new AlignWidget(QStringLiteral("PanelBottomLeft"));
    PanelBottom->addChild(PanelBottomLeft, Left, 262);
    PanelBottom->addChild(new SplitterWidget(QStringLiteral("Splitter5"), Qt::Horizontal), Left, 7);
    PanelBottomRight = new AlignWidget(QStringLiteral("PanelBottomRight"));
    PanelBottom->addChild(PanelBottomRight, Client);

    buildPane(1, PanelTopLeft);
    buildPane(2, PanelTopRight);
    buildPane(3, PanelBottomLeft);
    buildPane(4, PanelBottomRight);

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
    auto sizeProp = [this](const QString& name, AlignWidget* host, QWidget* child) {
        m_store.addProperty(TFormStorage::intProperty(name, [host, child] { return host->childSize(child); },
                                                      [host, child](int v) { host->setChildSize(child, v); }));
    };
    // A panel that fills the rest takes its height from the layout; its
    // stored height is kept for the file but has no effect.
    auto clientHeightProp = [this](const QString& name, QWidget* w) {
        m_store.addProperty(TFormStorage::intProperty(name, [w] { return w->height(); }, [](int) {}));
    };
    auto colourProp = [this](const QString& component) {
        m_store.addProperty({component + QStringLiteral(".Color"),
                             [this, component] { return QString::number(controlColour(component)); },
                             [this, component](const QString& text) {
                                 bool ok = false;
                                 const int v = text.toInt(&ok);
                                 QWidget* w = findChild<QWidget*>(component);
                                 if (ok && w)
                                     setControlColour(w, v);
                                 return ok && w;
                             }});
    };
    auto visibleProp = [this](const QString& name, QWidget* w) {
        m_store.addProperty(TFormStorage::boolProperty(name, [w] { return !w->isHidden(); }, [w](bool on) {
            w->setVisible(on);
            if (auto* host = qobject_cast<AlignWidget*>(w->parentWidget()))
                host->relayout();
        }));
    };

    sizeProp(QStringLiteral("LeftPanel.Width"), Panel2, LeftPanel);
    clientHeightProp(QStringLiteral("PanelBottom.Height"), PanelBottom);
    sizeProp(QStringLiteral("PanelBottomLeft.Width"), PanelBottom, PanelBottomLeft);
    sizeProp(QStringLiteral("PanelTop.Height"), MainPanel, PanelTop);
    sizeProp(QStringLiteral("PanelTopLeft.Width"), PanelTop, PanelTopLeft);
    for (const char* c : RecolouredControls) {
        if (c == std::string_view("DirAndExitPanel"))
            for (int n = 1; n <= 4; ++n)
                sizeProp(QStringLiteral("ExPan%1.Width").arg(n), m_panes[n - 1].quarter, m_panes[n - 1].metaPanel);
        colourProp(QString::fromLatin1(c));
    }
    visibleProp(QStringLiteral("TopPanel.Visible"), TopPanel);
    m_store.addProperty(TFormStorage::boolProperty(QStringLiteral("showflist.Down"),
                                                   [this] { return showflist->isChecked(); },
                                                   [this](bool on) { showflist->setChecked(on); }));
    for (int n = 1; n <= 4; ++n)
        visibleProp(QStringLiteral("comment%1.Visible").arg(n), m_panes[n - 1].caption);

    m_store.currentPlacement = [this] {
        TFormStorage::Placement p;
        p.flags = 0;
        p.showCmd = isMinimized() ? 2 : isMaximized() ? 3 : 1;
        p.pixelsPerInch = screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
        const QRect g = geometry();
        p.normal = g;
        return p;
    };
    m_store.applyPlacement = [this](const TFormStorage::RestoredPlacement& rp) {
        const int ppi = screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
        // Borderless: only the position is taken, the window keeps its size.
        if (rp.positionRead && rp.placement.pixelsPerInch == ppi) {
            QList<QRect> screens;
            for (const QScreen* s : QGuiApplication::screens())
                screens << s->geometry();
            const QScreen* primary = QGuiApplication::primaryScreen();
            move(KeepOnScreen(QRect(rp.placement.normal.topLeft(), size()), screens,
                              primary ? primary->geometry() : QRect()));
        }
        if (rp.placement.showCmd == 3)
            setWindowState(windowState() | Qt::WindowMaximized);
    };
    m_store.onRestorePlacement = [this] { FormStorage1RestorePlacement(); };
}
