// Marks on the real window: V and Ctrl+digit on the panes, the mark images,
// and the bytes of marked.txt when a folder is left and when the program ends.
#include "window/markpictures.h"
#include "window/mainwindowsandbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace tetrafot;

namespace {

using uitest::ReadBytes;
using uitest::WriteBytes;

class MarksTest : public uitest::MainWindowTest {
protected:
    QLabel* Mark(int n) { return Control<QLabel>(QStringLiteral("checkmark%1").arg(n)); }
    // The mark image of pane n shows the picture of this code.
    ::testing::AssertionResult Shows(int n, int code)
    {
        const QImage shown = Mark(n)->pixmap().toImage();
        const double ratio = Mark(n)->devicePixelRatioF();
        if (shown == MarkPicture(code, ratio).toImage())
            return ::testing::AssertionSuccess();
        for (int other = 0; other <= 10; ++other)
            if (shown == MarkPicture(other, ratio).toImage())
                return ::testing::AssertionFailure() << "pane " << n << " shows mark " << other << ", not " << code;
        return ::testing::AssertionFailure() << "pane " << n << " shows no mark picture";
    }
    std::vector<std::pair<QString, int>> Store()
    {
        std::vector<std::pair<QString, int>> entries;
        for (const auto& e : win->app().Marks.entries())
            entries.emplace_back(e.name, e.code);
        return entries;
    }
    void BrowseTo(const QString& folder)
    {
        browseAnswer = folder;
        auto* edit = Control<QLineEdit>(QStringLiteral("DirEdit"));
        QTest::mouseClick(edit->findChild<QToolButton*>(), Qt::LeftButton);
        ASSERT_EQ(win->app().CurrentFolder, folder);
    }
    using Entries = std::vector<std::pair<QString, int>>;
};

TEST_F(MarksTest, VTogglesTheCheckMarkAndTheStore)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    ASSERT_TRUE(Mark(1)->isHidden());
    Key(Qt::Key_V);
    EXPECT_FALSE(Mark(1)->isHidden());
    EXPECT_TRUE(Shows(1, MarkV));
    EXPECT_EQ(Store(), (Entries{{"img_00.jpg", MarkV}}));
    Key(Qt::Key_V);
    EXPECT_TRUE(Mark(1)->isHidden());
    EXPECT_TRUE(Store().empty());
}

TEST_F(MarksTest, CtrlEightMarksWhileEightAloneSetsTheScale)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    Key(Qt::Key_8, Qt::ControlModifier);
    EXPECT_FALSE(Mark(1)->isHidden());
    EXPECT_TRUE(Shows(1, 8));
    EXPECT_EQ(Store(), (Entries{{"img_00.jpg", 8}}));
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 1);

    Key(Qt::Key_8);
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 3);
    EXPECT_EQ(win->paneWidgets(1).picture->image().size(), QSize(8, 6));
    // The reload at the new scale shows the mark again.
    EXPECT_FALSE(Mark(1)->isHidden());
    EXPECT_TRUE(Shows(1, 8));
    EXPECT_EQ(Store(), (Entries{{"img_00.jpg", 8}}));
}

TEST_F(MarksTest, EveryCtrlDigitGivesItsOwnMark)
{
    Start({Folder(QStringLiteral("photos"), 1)});
    const Qt::Key digits[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4,
                              Qt::Key_5, Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9};
    for (int d = 0; d <= 9; ++d) {
        Key(digits[d], Qt::ControlModifier);
        EXPECT_TRUE(Shows(1, d));
        EXPECT_EQ(Store(), (Entries{{"img_00.jpg", d}}));
    }
    // A digit mark goes with V, and a second V gives the V mark.
    Key(Qt::Key_V);
    EXPECT_TRUE(Mark(1)->isHidden());
    EXPECT_TRUE(Store().empty());
    Key(Qt::Key_V);
    EXPECT_TRUE(Shows(1, MarkV));
}

TEST_F(MarksTest, MarksAreWrittenWhenTheFolderIsLeftAndWhenTheProgramEnds)
{
    const QString first = Folder(QStringLiteral("first"), 4);
    const QString second = Folder(QStringLiteral("second"), 2, 64, 48, QStringLiteral("b_"));
    Start({first});
    Key(Qt::Key_V);                            // img_00: V
    Key(Qt::Key_Right);
    Key(Qt::Key_V);                            // img_01: V
    Key(Qt::Key_Left);
    Key(Qt::Key_3, Qt::ControlModifier);       // img_00: 3, in its place
    Key(Qt::Key_Down);
    Key(Qt::Key_0, Qt::ControlModifier);       // img_02: 0
    // Nothing reaches the disk before the folder is left.
    EXPECT_FALSE(QFileInfo::exists(first + QStringLiteral("/marked.txt")));

    BrowseTo(second);
    EXPECT_EQ(ReadBytes(first + QStringLiteral("/marked.txt")),
              QByteArray("img_00.jpg:3\r\nimg_01.jpg\r\nimg_02.jpg:0\r\n"));
    EXPECT_TRUE(Store().empty());   // the new folder has no marks

    Key(Qt::Key_Up);                           // pane 1: b_00
    Key(Qt::Key_V);
    EXPECT_FALSE(QFileInfo::exists(second + QStringLiteral("/marked.txt")));
    Destroy();
    EXPECT_EQ(ReadBytes(second + QStringLiteral("/marked.txt")), QByteArray("b_00.jpg\r\n"));
    // The first folder's file is as it was left.
    EXPECT_EQ(ReadBytes(first + QStringLiteral("/marked.txt")),
              QByteArray("img_00.jpg:3\r\nimg_01.jpg\r\nimg_02.jpg:0\r\n"));
}

TEST_F(MarksTest, MarksFileIsReadAtStartAndAgainWhenTheFolderIsEntered)
{
    const QString first = Folder(QStringLiteral("first"), 4);
    const QString second = Folder(QStringLiteral("second"), 4);
    // Letter case is ignored; the store keeps the names as the file has them.
    WriteBytes(first + QStringLiteral("/marked.txt"), "img_00.jpg\r\nimg_01.jpg:0\r\nIMG_02.JPG:9\r\n");
    WriteBytes(second + QStringLiteral("/marked.txt"), "img_03.jpg:5\r\n");
    Start({first});
    EXPECT_TRUE(Shows(1, MarkV));
    EXPECT_TRUE(Shows(2, 0));
    EXPECT_TRUE(Shows(3, 9));
    EXPECT_TRUE(Mark(4)->isHidden());
    EXPECT_FALSE(Mark(3)->isHidden());

    BrowseTo(second);
    EXPECT_EQ(Store(), (Entries{{"img_03.jpg", 5}}));
    EXPECT_TRUE(Mark(1)->isHidden());
    EXPECT_TRUE(Mark(2)->isHidden());
    EXPECT_TRUE(Mark(3)->isHidden());
    EXPECT_TRUE(Shows(4, 5));
    // Unchanged marks are written back unchanged.
    EXPECT_EQ(ReadBytes(first + QStringLiteral("/marked.txt")),
              QByteArray("img_00.jpg\r\nimg_01.jpg:0\r\nIMG_02.JPG:9\r\n"));
}

TEST_F(MarksTest, AnEmptiedStoreDeletesTheFormerFoldersMarksFile)
{
    const QString first = Folder(QStringLiteral("first"), 4);
    const QString second = Folder(QStringLiteral("second"), 4);
    WriteBytes(first + QStringLiteral("/marked.txt"), "img_00.jpg\r\n");
    Start({first});
    ASSERT_FALSE(Mark(1)->isHidden());
    Key(Qt::Key_V);
    ASSERT_TRUE(Store().empty());
    BrowseTo(second);
    EXPECT_FALSE(QFileInfo::exists(first + QStringLiteral("/marked.txt")));
}

TEST_F(MarksTest, AnEmptiedStoreDeletesTheMarksFileAtTheEnd)
{
    const QString first = Folder(QStringLiteral("first"), 4);
    WriteBytes(first + QStringLiteral("/marked.txt"), "img_01.jpg:4\r\n");
    Start({first});
    Key(Qt::Key_Right);
    Key(Qt::Key_V);
    Destroy();
    EXPECT_FALSE(QFileInfo::exists(first + QStringLiteral("/marked.txt")));
}

TEST_F(MarksTest, VAndCtrlDigitOnAnEmptyPaneDoNothing)
{
    const QString photos = Folder(QStringLiteral("photos"), 1);
    Start({photos});
    Key(Qt::Key_Right);
    ASSERT_TRUE(win->pane(2).PanePath.isEmpty());
    Key(Qt::Key_V);
    Key(Qt::Key_5, Qt::ControlModifier);
    EXPECT_TRUE(Mark(2)->isHidden());
    EXPECT_TRUE(Store().empty());
    Destroy();
    EXPECT_FALSE(QFileInfo::exists(photos + QStringLiteral("/marked.txt")));
}

// After a change to a folder of two files, panes 3 and 4 still show files
// of the folder left behind: their marks go to that folder's marked.txt at
// once, never to the current folder's, which may hold a photo of the same name.
TEST_F(MarksTest, AMarkOnAFileOfTheFolderLeftBehindGoesToItsOwnFolder)
{
    const QString before = Folder(QStringLiteral("before"), 4);
    const QString after = Folder(QStringLiteral("after"), 2);
    WriteBytes(after + QStringLiteral("/img_02.jpg.txt"), "not a photo");
    Start({before});
    Key(Qt::Key_Down);   // pane 3
    Key(Qt::Key_V);      // img_02 of the first folder, kept in memory
    BrowseTo(after);
    ASSERT_EQ(NameIn(3), QStringLiteral("img_02.jpg"));
    ASSERT_EQ(NameIn(4), QStringLiteral("img_03.jpg"));
    const auto marksOf = [](const QString& folder) {
        MarkStore store;
        store.LoadMarks(folder);
        Entries entries;
        for (const auto& e : store.entries())
            entries.emplace_back(e.name, e.code);
        return entries;
    };
    ASSERT_EQ(marksOf(before), (Entries{{"img_02.jpg", MarkV}}));   // written at the folder change

    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; int pane; Entries own; int shown; } steps[] = {
        {Qt::Key_V, {}, 4, {{"img_02.jpg", MarkV}, {"img_03.jpg", MarkV}}, MarkV},
        {Qt::Key_5, Qt::ControlModifier, 3, {{"img_02.jpg", 5}, {"img_03.jpg", MarkV}}, 5},
        {Qt::Key_V, {}, 3, {{"img_03.jpg", MarkV}}, NoMark},
        {Qt::Key_V, {}, 4, {}, NoMark},
    };
    for (const auto& step : steps) {
        ClickBox(step.pane);
        Key(step.key, step.modifiers);
        EXPECT_EQ(marksOf(before), step.own);
        EXPECT_EQ(win->pane(step.pane).mark, step.shown);
        EXPECT_EQ(Mark(step.pane)->isHidden(), step.shown == NoMark);
        if (step.shown != NoMark) {
            EXPECT_TRUE(Shows(step.pane, step.shown));
        }
        EXPECT_TRUE(Store().empty());
    }
    EXPECT_FALSE(QFileInfo::exists(after + QStringLiteral("/marked.txt")));
    // A marks file that cannot be read is reported and left as it is.
    ASSERT_TRUE(QDir().mkpath(before + QStringLiteral("/marked.txt")));
    ClickBox(3);
    Key(Qt::Key_V);
    EXPECT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    EXPECT_TRUE(Mark(3)->isHidden());
    EXPECT_TRUE(QFileInfo(before + QStringLiteral("/marked.txt")).isDir());
    Destroy();
    EXPECT_FALSE(QFileInfo::exists(after + QStringLiteral("/marked.txt")));
}

TEST_F(MarksTest, AMarkShowsInAnotherPaneOfTheSameFileAtItsNextLoad)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos});
    win->LoadPane(2, QStringLiteral("img_00.jpg"));   // the same file in two panes
    Key(Qt::Key_V);
    EXPECT_FALSE(Mark(1)->isHidden());
    EXPECT_TRUE(Mark(2)->isHidden());
    Key(Qt::Key_Right);
    Key(Qt::Key_R);
    EXPECT_FALSE(Mark(2)->isHidden());
    EXPECT_TRUE(Shows(2, MarkV));
}

TEST_F(MarksTest, CtrlDigitMarksWhicheverKeyIsReleasedFirst)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : win.get();
    // Ctrl down, 8 down, Ctrl up, 8 up: the 8 is released without Ctrl held.
    QTest::simulateEvent(target, true, Qt::Key_Control, Qt::ControlModifier, QString(), false);
    QTest::simulateEvent(target, true, Qt::Key_8, Qt::ControlModifier, QStringLiteral("8"), false);
    QTest::simulateEvent(target, false, Qt::Key_Control, Qt::NoModifier, QString(), false);
    QTest::simulateEvent(target, false, Qt::Key_8, Qt::NoModifier, QStringLiteral("8"), false);
    EXPECT_TRUE(Shows(1, 8));
    EXPECT_EQ(Store(), (Entries{{"img_00.jpg", 8}}));
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 1);
    // The next 8 alone is a scale again.
    Key(Qt::Key_8);
    EXPECT_EQ(win->store().intValue(QStringLiteral("imagescale1"), -1), 3);
}

TEST_F(MarksTest, MarksReachTheDiskASecondAfterTheLastChange)
{
    const QString photos = Folder(QStringLiteral("photos"), 2);
    const QString marks = photos + QStringLiteral("/marked.txt");
    Start({photos});
    Key(Qt::Key_V);
    QTest::qWait(600);
    Key(Qt::Key_Right);
    Key(Qt::Key_2, Qt::ControlModifier);
    QTest::qWait(600);   // 1.2 s after the first change, 0.6 s after the last
    EXPECT_FALSE(QFileInfo::exists(marks)) << "written while the burst went on";
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marks); }, 3000));
    EXPECT_EQ(ReadBytes(marks), QByteArray("img_00.jpg\r\nimg_01.jpg:2\r\n"));
}

} // namespace
