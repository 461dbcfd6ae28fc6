// The viewing session without a window: which folder's marks file a mark
// reaches, the walk over compared folders, and damaged files reported once
// per visit.
#include "session/viewsession.h"

#include "common/usererror.h"
#include "jpegwriter.h"
#include "render/scaling.h"
#include "settings/appstate.h"
#include "settings/mainsettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tetrafot;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ViewSessionTest : public ::testing::Test {
public:
    void SetUp() override
    {
        // The marks are written on a timer: it needs an event dispatcher.
        if (!QCoreApplication::instance())
            events = std::make_unique<QCoreApplication>(argc, argv);
        ASSERT_TRUE(tmp.isValid());
        savedCwd = QDir::currentPath();
        AddMainStoredValues(store);
        store.setIniFileName(tmp.filePath(QStringLiteral("tetrafot.ini")));
        Fresh();
    }
    void TearDown() override { QDir::setCurrent(savedCwd); }

    // A folder under the sandbox holding these photos.
    QString Folder(const QString& name, const QStringList& files)
    {
        const QString folder = tmp.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        JpegSpec desc;
        desc.width = 16;
        desc.height = 12;
        const QByteArray photo = MakeJpeg(desc);
        for (const QString& file : files) {
            QFile out(folder + QLatin1Char('/') + file);
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(photo);
        }
        return folder;
    }

    // The folder chosen as in the folder field, with the photos' filter.
    void Open(const QString& folder)
    {
        const ViewSession::FolderOutcome outcome = session().openFolder({folder, QStringLiteral("*.jpg")});
        ASSERT_TRUE(outcome.opened) << outcome.errors.join('\n').toStdString();
    }

    // What the window does with a walk: clears the panes the plan empties,
    // then loads those given a file.
    ViewSession::WalkPlan Apply(const WalkResult& walk)
    {
        const ViewSession::WalkPlan plan = session().planWalk(walk, nullptr);
        for (int k = 0; k < 4; ++k)
            if (plan.clear[k])
                session().panes().clear(k + 1);
        for (int k = 0; k < 4; ++k)
            if (!plan.load[k].isEmpty())
                session().panes().load(k + 1, plan.load[k], session().storedScale(k + 1), session().maxSize(),
                                       session().marksFor(plan.load[k]));
        return plan;
    }

    // The panes' file names, "-" for an empty pane.
    std::string Shown() const
    {
        std::string shown;
        for (int n = 1; n <= 4; ++n) {
            const QString path = session().panes()[n].PanePath;
            shown += (n > 1 ? " " : "") + (path.isEmpty() ? std::string("-") : path.section('/', -2).toStdString());
        }
        return shown;
    }

    // A session of its own, with the marks and current folder it shares.
    void Fresh()
    {
        m_session.reset();
        m_app = std::make_unique<AppState>();
        m_app->Store = &store;
        m_app->CurrentFolder = tmp.path();   // holds no marks file
        m_session = std::make_unique<ViewSession>(*m_app, store);
    }
    ViewSession& session() { return *m_session; }
    const ViewSession& session() const { return *m_session; }
    AppState& app() { return *m_app; }

    int argc = 1;
    char name[11] = "core_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QCoreApplication> events;
    QTemporaryDir tmp;
    QString savedCwd;
    TFormStorage store{"TfrmMain"};
    std::unique_ptr<AppState> m_app;
    std::unique_ptr<ViewSession> m_session;
};

// Each case: the folders, what is done, and each folder's marks file after
// the marks of the current folder are saved.
TEST_F(ViewSessionTest, MarksReachTheMarksFileOfTheFilesOwnFolder)
{
    struct Case {
        const char* what;
        std::function<void(ViewSessionTest&, const QString& a, const QString& b)> act;
        QByteArray marksA;
        QByteArray marksB;
    };
    const auto select = [](ViewSessionTest& t, int n) { t.session().selectPane(n); };
    const Case cases[] = {
        {"V on a file of the current folder",
         [&](ViewSessionTest& t, const QString& a, const QString&) {
             t.Open(a);
             t.Apply(t.session().step(PaneSet::Step::First));
             select(t, 2);
             EXPECT_EQ(t.session().toggleMarkV(), 2);
         },
         "p2.jpg\r\n", "<missing>"},
        {"a digit, then V takes the mark away and the file is deleted",
         [&](ViewSessionTest& t, const QString& a, const QString&) {
             t.Open(a);
             t.Apply(t.session().step(PaneSet::Step::First));
             EXPECT_EQ(t.session().setDigitMark(3), 1);
             t.session().saveMarks();
             EXPECT_EQ(ReadAll(a + "/marked.txt"), "p1.jpg:3\r\n");
             EXPECT_EQ(t.session().toggleMarkV(), 1);
         },
         "<missing>", "<missing>"},
        {"a pane still showing a file of the folder left: its own folder's file, at once",
         [&](ViewSessionTest& t, const QString& a, const QString& b) {
             t.Open(a);
             t.Apply(t.session().step(PaneSet::Step::First));
             t.Open(b);
             select(t, 3);   // still a's p3.jpg: nothing has walked in b yet
             EXPECT_EQ(t.session().setDigitMark(7), 3);
             EXPECT_EQ(ReadAll(a + "/marked.txt"), "p3.jpg:7\r\n");   // before any save
         },
         "p3.jpg:7\r\n", "<missing>"},
        {"leaving a folder writes its marks there, not in the folder entered",
         [&](ViewSessionTest& t, const QString& a, const QString& b) {
             t.Open(a);
             t.Apply(t.session().step(PaneSet::Step::First));
             t.session().toggleMarkV();
             t.Open(b);
             EXPECT_FALSE(t.session().marksPending());
         },
         "p1.jpg\r\n", "<missing>"},
        {"compared folders: folder 2's pane marks folder 2's file",
         [&](ViewSessionTest& t, const QString& a, const QString& b) {
             t.Open(b);
             const ViewSession::FolderOutcome started
                 = t.session().startComparison({a, b}, QStringLiteral("*.jpg"), {});
             ASSERT_TRUE(started.opened) << started.errors.join('\n').toStdString();
             t.Apply(t.session().showStep(0));
             select(t, 2);
             EXPECT_EQ(t.session().toggleMarkV(), 2);
             select(t, 1);
             EXPECT_EQ(t.session().setDigitMark(5), 1);
         },
         "p1.jpg:5\r\n", "p1.jpg\r\n"},
        {"an empty pane has nothing to mark",
         [&](ViewSessionTest& t, const QString& a, const QString&) {
             t.Open(a);
             select(t, 4);
             EXPECT_EQ(t.session().toggleMarkV(), 0);
             EXPECT_EQ(t.session().setDigitMark(1), 0);
         },
         "<missing>", "<missing>"},
    };
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case in folders of its own, with a session of its own.
        const QString a = Folder(QStringLiteral("a%1").arg(k), {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"});
        const QString b = Folder(QStringLiteral("b%1").arg(k), {"p1.jpg", "p2.jpg"});
        ++k;
        Fresh();
        c.act(*this, a, b);
        session().saveMarks();
        EXPECT_EQ(ReadAll(a + "/marked.txt"), c.marksA);
        EXPECT_EQ(ReadAll(b + "/marked.txt"), c.marksB);
    }
}

// Marks as they were read are not written back: a read-only folder with a
// marks file stays usable. The file is left as it stands, line ends and all.
TEST_F(ViewSessionTest, UnchangedMarksAreNotWrittenBack)
{
    const QString a = Folder(QStringLiteral("kept"), {"p1.jpg", "p2.jpg"});
    QFile marks(a + "/marked.txt");
    ASSERT_TRUE(marks.open(QIODevice::WriteOnly));
    marks.write("p1.jpg\n");   // the program writes CR LF
    marks.close();
    Open(a);
    Apply(session().step(PaneSet::Step::First));
    EXPECT_EQ(session().panes()[1].mark, MarkV);
    session().selectPane(2);
    session().setDigitMark(4);
    session().toggleMarkV();   // and taken away again: as read
    const QString b = Folder(QStringLiteral("other"), {"q.jpg"});
    const ViewSession::FolderOutcome outcome = session().openFolder({b, QStringLiteral("*.jpg")});
    EXPECT_TRUE(outcome.opened);
    EXPECT_TRUE(outcome.errors.isEmpty()) << outcome.errors.join('\n').toStdString();
    EXPECT_EQ(ReadAll(a + "/marked.txt"), "p1.jpg\n");
}

// Marks that cannot be written keep the folder: nothing is listed anew and
// the marks stay in memory, to be written once the way is clear.
TEST_F(ViewSessionTest, MarksThatCannotBeWrittenKeepTheFolder)
{
    const QString a = Folder(QStringLiteral("a"), {"p1.jpg"});
    Open(a);
    Apply(session().step(PaneSet::Step::First));
    session().toggleMarkV();
    // A folder in the marks file's place: no one can write the file.
    ASSERT_TRUE(QDir().mkpath(a + "/marked.txt/inside"));
    const QString b = Folder(QStringLiteral("b"), {"q.jpg"});
    const ViewSession::FolderOutcome outcome = session().openFolder({b, QStringLiteral("*.jpg")});
    EXPECT_FALSE(outcome.opened);
    ASSERT_EQ(outcome.errors.size(), 1);
    EXPECT_TRUE(outcome.errors[0].contains("marked.txt")) << outcome.errors[0].toStdString();
    EXPECT_EQ(session().folderList().folder(), a);
    EXPECT_EQ(app().CurrentFolder, a);
    EXPECT_EQ(app().Marks.GetMark(a + "/p1.jpg"), MarkV);
    ASSERT_TRUE(QDir(a + "/marked.txt").removeRecursively());
    session().saveMarks();
    EXPECT_EQ(ReadAll(a + "/marked.txt"), "p1.jpg\r\n");
}

// The four walking keys over two compared folders: a name missing from a
// folder leaves its pane empty; page mode has no say there.
TEST_F(ViewSessionTest, WalkingComparedFoldersGoesNameByName)
{
    const QString a = Folder(QStringLiteral("one"), {"a.jpg", "b.jpg", "c.jpg"});
    const QString b = Folder(QStringLiteral("two"), {"a.jpg", "c.jpg", "d.jpg"});
    Open(a);
    session().togglePageMode();
    ASSERT_TRUE(session().pageMode());
    session().selectPane(2);
    ASSERT_TRUE(session().togglePin());
    ASSERT_TRUE(session().startComparison({a, b}, QStringLiteral("*.jpg"), {}).opened);
    EXPECT_FALSE(session().pageMode());
    EXPECT_EQ(session().panes().pinned(), 0);
    EXPECT_FALSE(session().togglePageMode());
    Apply(session().showStep(0));
    struct Step {
        PaneSet::Step key;
        const char* shown;
        int selection;
    };
    // Two folders: panes 1-2 show a name, panes 3-4 the next.
    const Step steps[] = {
        {PaneSet::Step::Next, "one/b.jpg - one/c.jpg two/c.jpg", 1},
        {PaneSet::Step::Next, "one/c.jpg two/c.jpg - two/d.jpg", 2},
        {PaneSet::Step::Next, "- two/d.jpg - -", 3},
        {PaneSet::Step::Next, "- two/d.jpg - -", 3},   // at the end: nothing
        {PaneSet::Step::Previous, "one/c.jpg two/c.jpg - two/d.jpg", 2},
        {PaneSet::Step::First, "one/a.jpg two/a.jpg one/b.jpg -", 0},
        {PaneSet::Step::Last, "- two/d.jpg - -", 3},
    };
    EXPECT_EQ(Shown(), "one/a.jpg two/a.jpg one/b.jpg -");
    for (const Step& s : steps) {
        Apply(session().step(s.key));
        EXPECT_EQ(Shown(), s.shown) << "after step " << int(s.key);
        EXPECT_EQ(session().selection(), s.selection);
    }
    // Folder 1 is the current folder; choosing a folder ends the comparison.
    EXPECT_EQ(app().CurrentFolder, a);
    Open(b);
    EXPECT_FALSE(session().comparing());
}

// While synchronized, a pane that keeps a picture across a step is put back
// at its own place; in a comparison a pane that was empty takes the first
// kept pane's place. Each row starts from "one/a two/a one/b -" (.jpg each).
TEST_F(ViewSessionTest, SynchronizedWalkKeepsThePlaces)
{
    const QString a = Folder(QStringLiteral("one"), {"a.jpg", "b.jpg", "c.jpg"});
    const QString b = Folder(QStringLiteral("two"), {"a.jpg", "c.jpg", "d.jpg"});
    Open(a);
    ASSERT_TRUE(session().startComparison({a, b}, QStringLiteral("*.jpg"), {}).opened);
    struct Row {
        bool sync;
        int steps;   // Spaces; the last one's plan is checked
        const char* shown;
        std::array<bool, 4> clear;
        std::array<int, 4> placeFrom;
    };
    const Row rows[] = {
        {false, 1, "one/b.jpg - one/c.jpg two/c.jpg", {false, true, false, false}, {0, 0, 0, 0}},
        // Pane 4 was empty: it takes pane 1's place; pane 2 loses its file.
        {true, 1, "one/b.jpg - one/c.jpg two/c.jpg", {false, true, false, false}, {1, 0, 3, 1}},
        // Pane 2 was emptied by the step before: pane 1's place again.
        {true, 2, "one/c.jpg two/c.jpg - two/d.jpg", {false, false, true, false}, {1, 1, 0, 4}},
        {false, 2, "one/c.jpg two/c.jpg - two/d.jpg", {false, false, true, false}, {0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.shown) + (row.sync ? " synchronized" : ""));
        Apply(session().showStep(0));
        ASSERT_EQ(Shown(), "one/a.jpg two/a.jpg one/b.jpg -");
        if (session().syncOn() != row.sync)
            session().toggleSync();
        ViewSession::WalkPlan plan;
        for (int i = 0; i < row.steps; ++i)
            plan = Apply(session().step(PaneSet::Step::Next));
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(plan.clear, row.clear);
        EXPECT_EQ(plan.placeFrom, row.placeFrom);
    }
}

// L and E: a panel that goes keeps its width in the store, one that comes
// takes it from there; an empty pane's metadata panel only goes.
TEST_F(ViewSessionTest, PanelsKeepTheirWidthsInTheStore)
{
    const QString a = Folder(QStringLiteral("one"), {"a.jpg"});
    Open(a);
    Apply(session().step(PaneSet::Step::First));   // pane 1 shows a.jpg, pane 2 is empty
    ASSERT_FALSE(session().panes()[1].PanePath.isEmpty());
    struct Row {
        bool fileList;   // else pane's metadata panel
        int pane;
        int widthNow;
        int widthGiven;
        bool shown;
        int storedAfter;
    };
    const Row rows[] = {
        {true, 1, 1, 150, true, 150},    // hidden: comes back at the stored default
        {true, 1, 220, 1, false, 220},   // shown: goes, its width kept
        {true, 1, 0, 220, true, 220},    // and comes back at it
        {false, 1, 1, 150, true, 150},
        {false, 1, 90, 1, false, 90},
        {false, 1, 1, 90, true, 90},
        {false, 2, 1, 1, false, 150},    // an empty pane: nothing to show
        {false, 2, 120, 1, false, 150},  // its panel goes, no width kept
    };
    for (const Row& row : rows) {
        session().selectPane(row.pane);
        const ViewSession::PanelToggle t =
            row.fileList ? session().toggleFileList(row.widthNow) : session().toggleMetadataPanel(row.widthNow);
        EXPECT_EQ(t.width, row.widthGiven) << row.widthNow;
        EXPECT_EQ(t.shown, row.shown) << row.widthNow;
        EXPECT_EQ(row.fileList ? store.get(Stored::FileListWidth) : store.get(Stored::ExpanWidth, row.pane), row.storedAfter);
    }
}

// Walking past a damaged file shows its message once per visit of the
// folder; R shows it every time; a good load or a new visit makes it news.
TEST_F(ViewSessionTest, FailuresAreReportedOncePerVisit)
{
    const QString a = Folder(QStringLiteral("a"), {"p.jpg"});
    const QString b = Folder(QStringLiteral("b"), {"q.jpg"});
    Open(a);
    struct Case {
        const char* what;
        QString path;
        bool always;
        bool reported;
    };
    const QString bad = a + "/bad.jpg", other = a + "/other.jpg";
    const std::vector<Case> first = {
        {"first failure", bad, false, true},
        {"the same file again", bad, false, false},
        {"another file", other, false, true},
        {"R asks again", bad, true, true},
        {"walking past after R", bad, false, false},
    };
    for (const Case& c : first)
        EXPECT_EQ(session().failureToReport(c.path, c.always), c.reported) << c.what;
    session().loaded(bad);
    EXPECT_TRUE(session().failureToReport(bad, false)) << "failing again after a good load";
    EXPECT_FALSE(session().failureToReport(other, false));
    Open(b);
    Open(a);
    EXPECT_TRUE(session().failureToReport(other, false)) << "a new visit";
}

// A folder that cannot be listed changes nothing and says why.
TEST_F(ViewSessionTest, AFolderThatCannotBeListedChangesNothing)
{
    const QString a = Folder(QStringLiteral("a"), {"p.jpg"});
    Open(a);
    const QString gone = tmp.filePath(QStringLiteral("gone"));
    const ViewSession::FolderOutcome outcome = session().openFolder({gone, QStringLiteral("*.jpg")});
    EXPECT_FALSE(outcome.opened);
    ASSERT_EQ(outcome.errors.size(), 1);
    EXPECT_TRUE(outcome.errors[0].contains(gone)) << outcome.errors[0].toStdString();
    EXPECT_EQ(session().folderList().folder(), a);
    EXPECT_EQ(session().appliedFolder(), a);
    EXPECT_EQ(app().CurrentFolder, a);
}

// The arrows move across the grid's rows and columns.
TEST_F(ViewSessionTest, ArrowsMoveAcrossTheGrid)
{
    const int across[] = {2, 1, 4, 3}, down[] = {3, 4, 1, 2};
    for (int n = 1; n <= 4; ++n) {
        session().selectPane(n);
        EXPECT_EQ(session().neighbour(ViewSession::Arrow::Across), across[n - 1]) << n;
        EXPECT_EQ(session().neighbour(ViewSession::Arrow::Down), down[n - 1]) << n;
    }
}

// The marks are written a second after the last change of a burst.
TEST_F(ViewSessionTest, MarksAreWrittenAfterABurst)
{
    const QString a = Folder(QStringLiteral("a"), {"p1.jpg", "p2.jpg"});
    Open(a);
    Apply(session().step(PaneSet::Step::First));
    session().toggleMarkV();
    session().selectPane(2);
    session().setDigitMark(2);
    EXPECT_TRUE(session().marksPending());
    EXPECT_EQ(ReadAll(a + "/marked.txt"), "<missing>");
    QElapsedTimer clock;
    clock.start();
    while (session().marksPending() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(ReadAll(a + "/marked.txt"), "p1.jpg\r\np2.jpg:2\r\n");
}

} // namespace

namespace {

// The difference view's checks and labels, as the session tells them.
TEST_F(ViewSessionTest, TheDifferenceViewChecksItsPanesAndSaysWhatItCompares)
{
    const QString folder = tmp.filePath(QStringLiteral("sizes"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto photo = [&](const QString& name, int width) {
        JpegSpec desc;
        desc.width = width;
        desc.height = 12;
        QFile out(folder + QLatin1Char('/') + name);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(MakeJpeg(desc));
        return out.fileName();
    };
    const QString narrow = photo(QStringLiteral("narrow.jpg"), 16), wide = photo(QStringLiteral("wide.jpg"), 24);
    for (int n = 1; n <= 4; ++n) {
        session().place(n).measure({QSize(200, 100), QSize(200, 100), 10, 1});
        store.set(Stored::ImageScale, n, Scale1to1);
    }
    const QString reference = QStringLiteral("Панель 1 — образец, с которым сравниваются другие панели. Выберите "
                                             "другую панель или закрепите образец клавишей A.");
    const QString noPhoto = QStringLiteral("В панели 1 нет снимка, с которым сравнивать.");

    // Pane 2 shows the wide photo; pane 1 nothing yet.
    ASSERT_TRUE(session().loadPane(2, wide).errors.isEmpty());
    EXPECT_EQ(session().setDifference(2, true).errors, QStringList{noPhoto});
    ASSERT_TRUE(session().loadPane(1, narrow).errors.isEmpty());
    EXPECT_EQ(session().setDifference(1, true).errors, QStringList{reference});
    EXPECT_FALSE(session().panes()[1].DifferenceOn);

    const ViewSession::PaneUpdate on = session().setDifference(2, true);
    EXPECT_TRUE(on.errors.isEmpty());
    EXPECT_TRUE(on.draw[1]);
    const PaneState& pane = session().panes()[2];
    ASSERT_TRUE(pane.DifferenceOn);
    // Compared over the narrow photo's 16 x 12; the whole wide one is seen.
    EXPECT_EQ(pane.differenceRect, QRect(0, 0, 24, 12));
    EXPECT_EQ(pane.differenceLabel, QDir::cleanPath(wide) + QStringLiteral(" — разница с панелью 1, ×8; размеры "
                                                                           "разные, сравнивается общая область 16 × 12"));
    // The right third has no reference pixel there.
    EXPECT_EQ(pane.differenceImage.pixel(20, 6), NotCompared);

    // Pinned, pane 2 is the reference of the others.
    session().selectPane(2);
    EXPECT_TRUE(session().setPinned(2));
    EXPECT_TRUE(session().setDifference(2, false).draw[1]);
    EXPECT_FALSE(session().panes()[2].DifferenceOn);
    EXPECT_EQ(session().setDifference(2, true).errors,
              QStringList{QString(reference).replace(QStringLiteral("Панель 1"), QStringLiteral("Панель 2"))});
    EXPECT_TRUE(session().setDifference(1, true).errors.isEmpty());
    EXPECT_EQ(session().panes()[1].differenceLabel,
              QDir::cleanPath(narrow) + QStringLiteral(" — разница с панелью 2, ×8; размеры разные, сравнивается "
                                                       "общая область 16 × 12"));
}

} // namespace
