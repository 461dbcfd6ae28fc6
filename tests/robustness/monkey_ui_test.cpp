// A seeded random session on the window: key releases, clicks and drags
// over a folder of good, damaged and vanishing photos. At the end the marks
// in memory, in marked.txt and in the session's own record agree, and
// tetrafot.ini holds the scales the panes were left at.
// TETRAFOT_MONKEY_EVENTS and TETRAFOT_MONKEY_SEED set the length and the
// seed (scripts/monkey runs a long session under the sanitizers).
#include "damagedjpegs.h"
#include "render/marks.h"
#include "window/mainwindowsandbox.h"
#include "window/panewidgets.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdio>
#include <map>
#include <random>

using namespace tetrafot;

using namespace uitest;

namespace {

int EnvNumber(const char* name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : fallback;
}

} // namespace

class MonkeyTest : public MainWindowTest {};

TEST_F(MonkeyTest, ARandomSessionKeepsMarksAndSettingsConsistent)
{
    const int events = EnvNumber("TETRAFOT_MONKEY_EVENTS", 1500);
    const unsigned seed = unsigned(EnvNumber("TETRAFOT_MONKEY_SEED", 1));
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };

    const QString folder = tmp.filePath(QStringLiteral("photos"));
    ASSERT_TRUE(QDir().mkpath(folder));
    std::vector<std::pair<QString, QByteArray>> files;   // name, bytes when present
    for (int i = 0; i < 14; ++i)
        files.emplace_back(QStringLiteral("good_%1.jpg").arg(i), Photo(64 + 20 * i, 48 + 15 * i, unsigned(i + 1)));
    const std::vector<DamagedJpeg> damaged = MakeDamagedJpegs();
    for (int i = 0; i < 10; ++i) {
        const DamagedJpeg& d = damaged[size_t(i) * damaged.size() / 10 + 3];
        files.emplace_back(QString::fromStdString(d.name) + QStringLiteral(".jpg"), d.bytes);
    }
    // Two photos large enough to come as parts first, one failing at its end.
    files.emplace_back(QStringLiteral("large.jpg"), Photo(1600, 1200, 30));
    files.emplace_back(QStringLiteral("large_bad_end.jpg"), WithFrameAfterScan(Photo(1600, 1200, 31)));
    for (const auto& [name, bytes] : files)
        WriteBytes(folder + QLatin1Char('/') + name, bytes);
    Start({folder});

    std::map<QString, int> marks;   // what the session's mark keys did
    const Qt::Key plain[] = {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                             Qt::Key_1, Qt::Key_2, Qt::Key_4, Qt::Key_8, Qt::Key_U, Qt::Key_V, Qt::Key_V, Qt::Key_W,
                             Qt::Key_X, Qt::Key_Z, Qt::Key_E, Qt::Key_H, Qt::Key_J, Qt::Key_L, Qt::Key_R, Qt::Key_G,
                             Qt::Key_T, Qt::Key_Return, Qt::Key_Space, Qt::Key_Backspace};
    int keys = 0, clicks = 0, drags = 0, fileChanges = 0;
    QElapsedTimer timer;
    timer.start();
    for (int e = 0; e < events; ++e) {
        const int kind = pick(100);
        const int n = win->session().currentPane();
        const QString shown = QFileInfo(win->pane(n).PanePath).fileName();
        if (kind < 60) {
            const Qt::Key key = plain[pick(int(std::size(plain)))];
            if (key == Qt::Key_V && !shown.isEmpty()) {
                if (win->paneWidgets(n).markImage->isHidden())
                    marks[shown] = MarkV;
                else
                    marks.erase(shown);
            }
            const bool shifted = key == Qt::Key_R && pick(3) == 0;
            Key(key, shifted ? Qt::ShiftModifier : Qt::NoModifier);
            ++keys;
        } else if (kind < 70) {
            const int digit = pick(10);
            if (!shown.isEmpty())
                marks[shown] = digit;
            Key(Qt::Key(Qt::Key_0 + digit), Qt::ControlModifier);
            ++keys;
        } else if (kind < 82) {
            auto* box = Control<QAbstractScrollArea>(QStringLiteral("ScrollBox%1").arg(1 + pick(4)));
            QWidget* vp = box->viewport();
            QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(pick(std::max(1, vp->width())), pick(std::max(1, vp->height()))));
            ++clicks;
        } else if (kind < 94) {
            QWidget* image = win->paneWidgets(1 + pick(4)).picture;
            if (image->isVisible() && image->width() > 0 && image->height() > 0) {
                QPoint at(pick(image->width()), pick(image->height()));
                QTest::mousePress(image, Qt::LeftButton, {}, at);
                for (int step = 0; step < 3; ++step)
                    QTest::mouseMove(image, at += QPoint(pick(61) - 30, pick(61) - 30));
                QTest::mouseRelease(image, Qt::LeftButton, {}, at);
                ++drags;
            }
        } else {
            // A file vanishes, comes back whole, or comes back half-written.
            auto& [name, bytes] = files[size_t(pick(int(files.size())))];
            const QString path = folder + QLatin1Char('/') + name;
            const int change = pick(3);
            if (change == 0)
                QFile::remove(path);
            else
                WriteBytes(path, change == 1 ? bytes : bytes.left(pick(int(bytes.size()))));
            ++fileChanges;
        }
        if (e % 100 == 0)
            QCoreApplication::processEvents();
        errors.clear();
    }

    // Marks in memory agree with the session's record; the settings keep
    // the scales the panes were left at.
    std::map<QString, int> inMemory;
    for (const MarkStore::Entry& entry : win->app().Marks.entries())
        inMemory[QString::fromUtf8(entry.name)] = entry.code;
    EXPECT_EQ(inMemory, marks);
    QStringList scales;
    for (int n = 1; n <= 4; ++n)
        scales << QString::number(win->store().intValue(QStringLiteral("imagescale%1").arg(n), 1));
    const qint64 sessionMs = timer.elapsed();
    const int parts = win->session().panes().pipeline().partCount();
    Destroy();

    MarkStore fromFile;
    fromFile.LoadMarks(folder);
    std::map<QString, int> onDisk;
    for (const MarkStore::Entry& entry : fromFile.entries())
        onDisk[QString::fromUtf8(entry.name)] = entry.code;
    EXPECT_EQ(onDisk, marks);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(IniValue(ini, QStringLiteral("imagescale%1").arg(n)), scales[n - 1]) << n;
    std::printf("seed %u: %d events (%d keys, %d clicks, %d drags, %d file changes) in %.1f s; %zu marks; "
                "%d parts shown first\n",
                seed, events, keys, clicks, drags, fileChanges, sessionMs / 1000.0, marks.size(), parts);
}
