// The settings and marks files under hostile conditions: a writer killed at
// random moments leaves the old or the new file whole, and files of
// garbage, a million lines or lines of a megabyte are read, and written
// back, in bounded time.
#include "render/marks.h"
#include "settings/iniprofile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

struct Writer {
    const char* what;
    QString file;                                 // relative to the folder
    std::function<void(const QString& folder, int round)> save;
};

// Marks file contents of about 40 KB, different for each round's parity.
MarkStore MarksOfRound(int round)
{
    MarkStore marks;
    for (int i = 0; i < 2000; ++i)
        marks.SetMark(QStringLiteral("photo_%1.jpg").arg(i), MarkCode((i + round) % 2 ? MarkV : i % 10));
    return marks;
}

IniProfile::KeyValues KeysOfRound(int round)
{
    IniProfile::KeyValues keys;
    for (int i = 0; i < 2000; ++i)
        keys.emplace_back(QStringLiteral("key%1").arg(i), QString::number(i * 2 + round % 2));
    return keys;
}

} // namespace

TEST(KilledWriter, TheFileIsAlwaysTheOldOrTheNewOneWhole)
{
    const Writer writers[] = {
        {"marks", QStringLiteral("marked.txt"), [](const QString& folder, int round) { MarksOfRound(round).SaveMarks(folder); }},
        {"settings", QStringLiteral("tetrafot.ini"),
         [](const QString& folder, int round) {
             IniProfile::WriteSection(folder + QStringLiteral("/tetrafot.ini"), QStringLiteral("TfrmMain"), KeysOfRound(round));
         }},
    };
    std::mt19937 rng(15);
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.what);
        QTemporaryDir dir;
        const QString target = dir.filePath(w.file);
        w.save(dir.path(), 0);
        const QByteArray contents[2] = {Read(target), (w.save(dir.path(), 1), Read(target))};
        ASSERT_NE(contents[0], contents[1]);
        // Kills spread over about three saves of the child's.
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < 4; ++round)
            w.save(dir.path(), round);
        unsigned spanUs = unsigned(std::max<qint64>(timer.nsecsElapsed() / 1000 * 3 / 4, 1000));
        int changed = 0;
        int kills = 0;
        QByteArray last = Read(target);
        // At least 100 kills, and more while too few let a save finish: on a
        // loaded machine the forked writer runs slower than the timing above,
        // so the kills then spread over a longer time.
        for (int k = 0; k < 100 || (changed <= k / 10 && k < 400); ++k) {
            if (k > 0 && k % 20 == 0 && changed <= k / 10)
                spanUs *= 2;
            // A forked writer inherits the random state behind the temporary
            // names; moving it on gives each writer names of its own, as
            // separately started programs have.
            for (int i = 0; i < 1000; ++i)
                QRandomGenerator::global()->generate();
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                try {
                    for (int round = last == contents[0] ? 1 : 0;; ++round)
                        w.save(dir.path(), round);
                } catch (...) {
                }
                ::_exit(1);   // never back into the test's own code
            }
            ::usleep(rng() % spanUs);
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            const QByteArray now = Read(target);
            ASSERT_TRUE(now == contents[0] || now == contents[1]) << "kill " << k << ": " << now.size() << " bytes";
            changed += now != last;
            last = now;
            ++kills;
        }
        // The kills landed at many points of the writes, not all before the first.
        EXPECT_GT(changed, kills / 10);
        const int leftovers = int(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size()) - 1;
        std::printf("%s: %d kills over %.1f ms each, the file changed between %d of them; %d temporary files left "
                    "by killed writers\n", w.what, kills, spanUs / 1000.0, changed, leftovers);
    }
}

TEST(HugeFiles, AreReadAndWrittenInBoundedTime)
{
    std::mt19937 rng(3);
    QByteArray garbage(8 << 20, '\0');
    for (char& c : garbage)
        c = char(rng());
    QByteArray millionKeys = "[TfrmMain]\r\n", millionMarks, longKeys = "[TfrmMain]\r\n", longMarks;
    millionKeys.reserve(14 << 20);
    millionMarks.reserve(16 << 20);
    for (int i = 0; i < 1000000; ++i) {
        millionKeys += "k" + QByteArray::number(i) + "=" + QByteArray::number(i % 7) + "\r\n";
        millionMarks += "p" + QByteArray::number(i) + ".jpg:" + QByteArray::number(i % 10) + "\r\n";
    }
    for (int i = 0; i < 8; ++i) {
        longKeys += "long" + QByteArray::number(i) + "=" + QByteArray(1 << 20, char('a' + i)) + "\r\n";
        longMarks += QByteArray(1 << 20, char('a' + i)) + ".jpg:" + QByteArray::number(i) + "\r\n";
    }
    // Each file ends with one known entry; the one before it, where there
    // is a count of its own, must be read as well.
    struct Case {
        const char* what;
        QByteArray settings, marks;
        size_t keys, entries;   // 0: not counted (garbage may hold anything)
    };
    const Case cases[] = {
        {"binary garbage", garbage + "\n[TfrmMain]\nlast=9\n", garbage + "\nlast.jpg:9\n", 0, 0},
        {"a million lines", millionKeys + "last=9\r\n", millionMarks + "last.jpg:9\r\n", 1000001, 1000001},
        {"lines of a megabyte", longKeys + "last=9\r\n", longMarks + "last.jpg:9\r\n", 9, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("tetrafot.ini"));
        Write(ini, c.settings);
        Write(MarkStore::MarksFileName(dir.path()), c.marks);
        QElapsedTimer timer;
        timer.start();

        const IniProfile::KeyValues keys = IniProfile::ReadSection(ini, QStringLiteral("TfrmMain"));
        ASSERT_FALSE(keys.empty());
        EXPECT_EQ(keys.back(), (std::pair{QStringLiteral("last"), QStringLiteral("9")}));
        if (c.keys) {
            EXPECT_EQ(keys.size(), c.keys);
        }
        const double readSettings = timer.nsecsElapsed() / 1e9;
        IniProfile::WriteSection(ini, QStringLiteral("TfrmMain"), {{QStringLiteral("last"), QStringLiteral("8")}, {QStringLiteral("new"), QStringLiteral("1")}});
        const QByteArray written = Read(ini);
        EXPECT_TRUE(written.startsWith(c.settings.left(c.settings.size() - 8)));
        EXPECT_TRUE(written.contains("last=8") && written.contains("new=1") && !written.contains("last=9"));
        const double writeSettings = timer.nsecsElapsed() / 1e9 - readSettings;

        MarkStore marks;
        marks.LoadMarks(dir.path());
        EXPECT_EQ(marks.GetMark(QStringLiteral("last.jpg")), 9);
        if (c.entries) {
            EXPECT_EQ(marks.entries().size(), c.entries);
        }
        marks.SetMark(QStringLiteral("added.jpg"), MarkV);
        marks.SaveMarks(dir.path());
        EXPECT_TRUE(Read(MarkStore::MarksFileName(dir.path())).endsWith("last.jpg:9\r\nadded.jpg\r\n"));
        const double total = timer.nsecsElapsed() / 1e9;
        std::printf("%-20s settings read %.2f s, written %.2f s; marks read and written %.2f s\n", c.what, readSettings,
                    writeSettings, total - readSettings - writeSettings);
        for (double step : {readSettings, writeSettings, total - readSettings - writeSettings})
            EXPECT_LT(step, 20.0) << "a guard against hanging, not a benchmark";
    }
}
