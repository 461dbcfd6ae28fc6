// Every damaged file of the generator, loaded into a pane at each scale
// through the real window and dumped as --dump-exif does: no crash, no hang,
// either a picture or one message naming the file, and after an error the
// pane shows what it showed before. Prints the counts per category and the
// slowest file.
#include "damagedjpegs.h"
#include "metadata/dumpexif.h"
#include "render/scaling.h"
#include "window/mainwindowsandbox.h"

#include <QElapsedTimer>
#include <QLabel>
#include <cstdio>
#include <map>

using namespace tetrafot;

using namespace uitest;

namespace {

std::string ReadAll(std::FILE* f)
{
    std::string text;
    std::rewind(f);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        text.append(buffer, n);
    return text;
}

struct Tally {
    int files = 0;
    int shown = 0;       // shown at every scale
    int refused = 0;     // refused at every scale
    int mixed = 0;       // shown at some scales only
    int dumpFailed = 0;  // --dump-exif reported it
};

} // namespace

class DamagedFilesTest : public MainWindowTest {};

TEST_F(DamagedFilesTest, EachIsShownOrReportedAndAFailureLeavesThePaneAsItWas)
{
    const std::vector<DamagedJpeg> files = MakeDamagedJpegs();
    ASSERT_GE(files.size(), 1000u);
    const QString shown = Folder(QStringLiteral("shown"), 1);
    const QString good = shown + QStringLiteral("/img_00.jpg");
    const QString damaged = tmp.filePath(QStringLiteral("damaged"));
    ASSERT_TRUE(QDir().mkpath(damaged));
    for (const DamagedJpeg& f : files)
        WriteBytes(damaged + QLatin1Char('/') + QString::fromStdString(f.name) + QStringLiteral(".jpg"), f.bytes);
    Start({shown});

    std::map<std::string, Tally> tally;
    std::string slowest;
    qint64 slowestNs = -1;
    QElapsedTimer total;
    total.start();
    for (const DamagedJpeg& f : files) {
        SCOPED_TRACE(f.name);
        const QString name = QString::fromStdString(f.name) + QStringLiteral(".jpg");
        const QString path = damaged + QLatin1Char('/') + name;
        QElapsedTimer timer;
        timer.start();
        int shownAt = 0, refusedAt = 0;
        for (int code : {Scale1to1, Scale1to2, Scale1to4, Scale1to8, ScaleFit}) {
            win->store().writeValue(QStringLiteral("imagescale1"), code);
            win->LoadPane(1, good);
            ASSERT_EQ(win->pane(1).PanePath, good);
            const qint64 before = win->pane(1).image().cacheKey();
            const QString label = win->paneWidgets(1).pathLabel->text();
            errors.clear();
            win->LoadPane(1, path);
            if (win->pane(1).PanePath == path) {
                ++shownAt;
                EXPECT_FALSE(win->pane(1).image().isNull());
                EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
            } else {
                // A file reported once per visit of its folder: the first
                // refusal shows a message, later ones may not.
                EXPECT_EQ(win->pane(1).PanePath, good);
                EXPECT_EQ(win->pane(1).image().cacheKey(), before);
                EXPECT_EQ(win->paneWidgets(1).pathLabel->text(), label);
                EXPECT_LE(errors.size(), 1);
                if (refusedAt++ == 0) {
                    ASSERT_EQ(errors.size(), 1);
                    EXPECT_TRUE(errors[0].contains(name)) << errors[0].toStdString();
                }
            }
        }

        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        const int rc = DumpExif({path.toStdString()}, out, err);
        const std::string outText = ReadAll(out), errText = ReadAll(err);
        std::fclose(out);
        std::fclose(err);
        EXPECT_TRUE(rc == 0 || rc == 1);
        if (rc == 0) {
            EXPECT_EQ(errText, "");
        } else {
            EXPECT_EQ(outText, "");
            EXPECT_NE(errText.find(path.toStdString()), std::string::npos) << errText;
        }

        Tally& t = tally[f.category];
        ++t.files;
        t.shown += refusedAt == 0;
        t.refused += shownAt == 0;
        t.mixed += shownAt > 0 && refusedAt > 0;
        t.dumpFailed += rc != 0;
        if (timer.nsecsElapsed() > slowestNs) {
            slowestNs = timer.nsecsElapsed();
            slowest = f.name;
        }
    }

    std::printf("%-18s %6s %6s %8s %6s %10s\n", "category", "files", "shown", "refused", "mixed", "dump-error");
    Tally sum;
    for (const auto& [category, t] : tally) {
        std::printf("%-18s %6d %6d %8d %6d %10d\n", category.c_str(), t.files, t.shown, t.refused, t.mixed, t.dumpFailed);
        sum.files += t.files, sum.shown += t.shown, sum.refused += t.refused, sum.mixed += t.mixed,
            sum.dumpFailed += t.dumpFailed;
    }
    std::printf("%-18s %6d %6d %8d %6d %10d\n", "all", sum.files, sum.shown, sum.refused, sum.mixed, sum.dumpFailed);
    std::printf("loads: %d (5 scales each); total %.1f s; slowest file %s: %.1f ms\n", sum.files * 5,
                total.nsecsElapsed() / 1e9, slowest.c_str(), slowestNs / 1e6);
    // Every kind of damage is met: each category holds files, and both
    // outcomes occur.
    EXPECT_EQ(tally.size(), 12u);
    EXPECT_GT(sum.shown, 0);
    EXPECT_GT(sum.refused, 0);
}
