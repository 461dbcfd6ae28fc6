// Directory entries that are no photos, and files and folders that change
// under the window: nothing hangs, nothing crashes, each problem is a
// message, and the marks stay in memory when their folder has gone.
#include "metadata/dumpexif.h"
#include "window/mainwindowsandbox.h"

#include <QLabel>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tetrafot;

using namespace uitest;

namespace {

std::string DumpErrors(const QString& path)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int rc = DumpExif({path.toStdString()}, out, err);
    std::string text(4096, '\0');
    std::rewind(err);
    text.resize(std::fread(text.data(), 1, text.size(), err));
    std::fclose(out);
    std::fclose(err);
    return rc == 1 ? text : "exit " + std::to_string(rc);
}

} // namespace

class OddEntriesTest : public MainWindowTest {};

TEST_F(OddEntriesTest, NonRegularEntriesAreNeitherWaitedOnNorShown)
{
    const QString folder = Folder(QStringLiteral("photos"), 3);
    const auto at = [&](const char* name) { return QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(name)); };
    // A character device: the null device where one may be made, else a
    // link to it (which is as much a device to anyone who opens it).
    const bool madeDevice = ::mknod(at("dev.jpg").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const struct {
        const char* name;
        std::function<bool()> make;
        const char* reason;   // what --dump-exif says
    } rows[] = {
        {"x.jpg", [&] { return ::mkfifo(at("x.jpg").constData(), 0600) == 0; }, "it is not a regular file"},
        {"dev.jpg", [&] { return madeDevice || ::symlink("/dev/null", at("dev.jpg").constData()) == 0; }, "it is not a regular file"},
        {"y.jpg", [&] { return QDir().mkdir(folder + QStringLiteral("/y.jpg")); }, "it is a folder"},
        {"dangling.jpg", [&] { return ::symlink("gone.jpg", at("dangling.jpg").constData()) == 0; }, "No such file or directory"},
        {"loop.jpg", [&] { return ::symlink("loop.jpg", at("loop.jpg").constData()) == 0; }, "Too many levels of symbolic links"},
        {"ping.jpg", [&] {
             return ::symlink("pong.jpg", at("ping.jpg").constData()) == 0 && ::symlink("ping.jpg", at("pong.jpg").constData()) == 0;
         }, "Too many levels of symbolic links"},
    };
    for (const auto& row : rows)
        ASSERT_TRUE(row.make()) << row.name;

    Start({folder});
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Space})
        Key(key);
    Key(Qt::Key_R, Qt::ShiftModifier);
    win->LoadPane(1, folder + QStringLiteral("/img_00.jpg"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = folder + QLatin1Char('/') + QLatin1String(row.name);
        win->LoadPane(1, path);
        EXPECT_EQ(NameIn(1), QStringLiteral("img_00.jpg"));
        EXPECT_EQ(DumpErrors(path), "tetrafot: " + path.toStdString() + ": cannot read it: " + row.reason + "\n");
    }
    for (const QString& name : Names())
        EXPECT_TRUE(name.isEmpty() || name.startsWith(QStringLiteral("img_"))) << name.toStdString();
}

TEST_F(OddEntriesTest, ShownFileAndShownFolderDeletedUnderTheWindow)
{
    const QString folder = Folder(QStringLiteral("photos"), 4);
    Start({folder});
    const QString first = win->pane(1).PanePath;
    ASSERT_TRUE(QFile::remove(first));
    errors.clear();
    for (Qt::Key key : {Qt::Key_R, Qt::Key_G, Qt::Key_F, Qt::Key_V})
        Key(key);
    EXPECT_EQ(win->pane(1).PanePath, first);   // R keeps what was shown
    // R and G each say why they could not act, naming the file.
    EXPECT_GE(errors.size(), 2) << errors.join(QLatin1Char('\n')).toStdString();
    for (const QString& e : errors)
        EXPECT_TRUE(e.contains(QStringLiteral("img_00.jpg"))) << e.toStdString();

    // The whole folder goes; a mark set now cannot reach marked.txt.
    Key(Qt::Key_Right);
    Key(Qt::Key_3, Qt::ControlModifier);
    const QString second = win->pane(win->session().currentPane()).PanePath;
    ASSERT_TRUE(QDir(folder).removeRecursively());
    errors.clear();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_R, Qt::Key_U, Qt::Key_W, Qt::Key_Space})
        Key(key);
    EXPECT_TRUE(QTest::qWaitFor([&] { return errors.join(QLatin1Char('\n')).contains(QStringLiteral("marked.txt")); }, 4000))
        << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(win->app().Marks.GetMark(second), 3);
    EXPECT_EQ(win->app().Marks.GetMark(first), MarkV);
}

TEST_F(OddEntriesTest, AFileBeingWrittenShowsWhenItIsWhole)
{
    const QString folder = Folder(QStringLiteral("photos"), 1);
    const QByteArray whole = Photo(200, 150, 9);
    const QString growing = folder + QStringLiteral("/growing.jpg");
    Start({folder});
    // Each step appends a part and asks for the file again, as R does.
    int shown = 0;
    for (int part = 1; part <= 8; ++part) {
        WriteBytes(growing, whole.left(whole.size() * part / 8));
        win->LoadPane(2, growing);
        win->ReloadPane(2);
        shown += win->pane(2).PanePath == growing;
    }
    EXPECT_GT(shown, 0);
    EXPECT_EQ(win->pane(2).PanePath, growing);
    EXPECT_EQ(win->pane(2).image().size(), QSize(200, 150));
}
