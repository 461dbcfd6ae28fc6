// A RAW file that crashes LibRaw's parser, and one whose preview claims
// 4 GB, loaded into a pane of the real window: one message naming the file,
// the pane as it was, and the window goes on to show the next photo.
#include "damagedraws.h"
#include "window/mainwindowsandbox.h"

#include <QFile>
#include <QLabel>

using namespace tetrafot;

using namespace uitest;

class DamagedRawsTest : public MainWindowTest {};

TEST_F(DamagedRawsTest, AFileThatBreaksTheParserIsReportedAndThePaneStays)
{
    const QString shown = Folder(QStringLiteral("shown"), 2);
    const QString good = shown + QStringLiteral("/img_00.jpg");
    const QString next = shown + QStringLiteral("/img_01.jpg");
    QFile crash(QStringLiteral(TETRAFOT_REGRESSIONS "/libraw-nested-subifd-crash.dng"));
    ASSERT_TRUE(crash.open(QIODevice::ReadOnly));
    const QString crashing = shown + QStringLiteral("/CRASH.DNG");
    WriteBytes(crashing, crash.readAll());
    QString huge;
    for (const DamagedRaw& f : MakeDamagedRaws())
        if (f.category == "length-4gb") {
            huge = shown + QStringLiteral("/HUGE.DNG");
            WriteBytes(huge, f.bytes);
            break;
        }
    ASSERT_FALSE(huge.isEmpty());
    Start({shown});

    for (const QString& bad : {crashing, huge}) {
        SCOPED_TRACE(bad.toStdString());
        win->LoadPane(1, good);
        ASSERT_EQ(win->pane(1).PanePath, good);
        const qint64 before = win->pane(1).image().cacheKey();
        const QString label = win->paneWidgets(1).pathLabel->text();
        errors.clear();
        win->LoadPane(1, bad);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(bad.mid(bad.lastIndexOf(QLatin1Char('/')) + 1))) << errors[0].toStdString();
        EXPECT_EQ(win->pane(1).PanePath, good);
        EXPECT_EQ(win->pane(1).image().cacheKey(), before);
        EXPECT_EQ(win->paneWidgets(1).pathLabel->text(), label);
    }
    win->LoadPane(1, next);
    EXPECT_EQ(win->pane(1).PanePath, next);
    EXPECT_FALSE(win->pane(1).image().isNull());
}
