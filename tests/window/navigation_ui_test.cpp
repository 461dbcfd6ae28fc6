// Walking the folder on the real window: Space and Backspace in shift and
// page mode, clicks in the file list, the list's hold on the keys, folder
// changes by browsing and by typing, and a folder that cannot be listed.
#include "window/mainwindowsandbox.h"
#include "rawwriter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace tetrafot;

namespace {

using uitest::Entries;

class NavigationTest : public uitest::MainWindowTest {
protected:
    QLineEdit* DirEdit() { return Control<QLineEdit>(QStringLiteral("DirEdit")); }
    bool PaneHasPicture(int n) { return win->pane(n).hasPicture(); }
};

// A file named on the command line ("Open with" of a file manager) comes in
// pane 1 and the files after it in panes 2 to 4; the walk goes on from there.
TEST_F(NavigationTest, AFileNamedOnTheCommandLineIsShownFirst)
{
    const QString photos = Folder(QStringLiteral("ten"), 10);
    const struct { QString argument; QStringList names; int selected; QStringList afterSpace, afterBack; } cases[] = {
        {photos + QStringLiteral("/img_05.jpg"), Entries({5, 6, 7, 8}), 8, Entries({6, 7, 8, 9}), Entries({5, 6, 7, 8})},
        // Near the end the panes left over stay empty, and Space has nothing to bring.
        {photos + QStringLiteral("/img_08.jpg"), Entries({8, 9, -1, -1}), 9, Entries({8, 9, -1, -1}), {}},
        {QStringLiteral("ten/img_00.jpg"), Entries({0, 1, 2, 3}), 3, Entries({1, 2, 3, 4}), Entries({0, 1, 2, 3})},
    };
    QDir::setCurrent(tmp.path());   // for the relative name
    for (const auto& c : cases) {
        Start({c.argument});
        EXPECT_EQ(win->app().CurrentFolder, photos);
        EXPECT_EQ(Names(), c.names) << c.argument.toStdString();
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(win->pane(1).PanePath, QDir::cleanPath(QDir(tmp.path()).absoluteFilePath(c.argument)));
        Key(Qt::Key_Space);
        EXPECT_EQ(Names(), c.afterSpace) << c.argument.toStdString();
        if (!c.afterBack.isEmpty()) {
            Key(Qt::Key_Backspace);
            EXPECT_EQ(Names(), c.afterBack) << c.argument.toStdString();
        }
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    }
}

// A RAW file opened from a file manager shows: the filter of JPEG and RAW
// files is chosen, and the walk goes on from it there. A file the program
// cannot show leaves the JPEG filter and its first files, as before.
TEST_F(NavigationTest, ARawFileNamedOnTheCommandLineChoosesTheFilterThatListsIt)
{
    const QString photos = Folder(QStringLiteral("mixed"), 3);   // img_00..img_02.jpg
    uitest::WriteBytes(photos + QStringLiteral("/img_01.dng"), raw::MakeDng({uitest::Photo(64, 48)}));
    uitest::WriteBytes(photos + QStringLiteral("/notes.txt"), "not a photo");
    const struct { const char* name; int filter; QStringList names; } cases[] = {
        {"img_01.jpg", 0, {"img_01.jpg", "img_02.jpg", "", ""}},
        {"img_01.dng", 4, {"img_01.dng", "img_01.jpg", "img_02.jpg", ""}},
        {"notes.txt", 0, {"img_00.jpg", "img_01.jpg", "img_02.jpg", ""}},
    };
    for (const auto& c : cases) {
        Start({photos + QLatin1Char('/') + QLatin1String(c.name)});
        EXPECT_EQ(Control<QComboBox>(QStringLiteral("FiltersList"))->currentIndex(), c.filter) << c.name;
        EXPECT_EQ(Names(), c.names) << c.name;
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// The list draws one highlighted row, the selection, as the walk moves it:
// rows the walk left must be drawn plain again.
TEST_F(NavigationTest, TheListDrawsOnlyTheSelectedRowHighlighted)
{
    const QString photos = Folder(QStringLiteral("ten"), 10);
    Start({photos});
    QListView* list = List();
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    const auto drawnHighlighted = [&] {
        // What the window's pixels show, not the list painted anew: a row
        // the view was not told about keeps its old look there.
        QApplication::processEvents();
        const QImage drawn = win->screen()->grabWindow(win->winId()).toImage();
        const qreal ratio = drawn.devicePixelRatio();
        QList<int> rows;
        for (int row = 0; row < 10; ++row) {
            const QRect r = list->visualRect(list->model()->index(row, 0));
            // The row's right end: past the name, where only its background shows.
            const QPoint inWindow = list->viewport()->mapTo(win.get(), QPoint(r.right() - 2, r.center().y()));
            const QPoint at(inWindow.x() * ratio, inWindow.y() * ratio);
            if (drawn.pixelColor(at) == highlight)
                rows << row;
        }
        return rows;
    };
    const struct { Qt::Key key; int selected; } steps[] = {
        {Qt::Key_Space, 4}, {Qt::Key_Space, 5}, {Qt::Key_End, 9}, {Qt::Key_Backspace, 8}, {Qt::Key_Home, 3},
    };
    EXPECT_EQ(drawnHighlighted(), QList<int>{3});
    for (const auto& step : steps) {
        Key(step.key);
        ASSERT_EQ(Selected(), step.selected);
        EXPECT_EQ(drawnHighlighted(), QList<int>{step.selected}) << "after key " << step.key;
    }
}

TEST_F(NavigationTest, ShiftModeSlidesThePanesOneFileAtATime)
{
    const QString photos = Folder(QStringLiteral("ten"), 10);
    Start({photos});
    ASSERT_EQ(Names(), Entries({0, 1, 2, 3}));
    ASSERT_EQ(Selected(), 3);

    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
    EXPECT_EQ(Selected(), 4);
    // The walk stores full paths.
    EXPECT_EQ(win->pane(4).PanePath, photos + QStringLiteral("/img_04.jpg"));

    Key(Qt::Key_Backspace);
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_EQ(Selected(), 3);
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));

    Key(Qt::Key_Backspace);   // s = 3: nothing before
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_EQ(Selected(), 3);
}

TEST_F(NavigationTest, ShiftModeStopsAtTheLastFile)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    for (int i = 0; i < 8; ++i)
        Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({6, 7, 8, 9}));
    EXPECT_EQ(Selected(), 9);
}

TEST_F(NavigationTest, PageModeJumpsFourFilesAndNeverShowsAShortLastPageOfTen)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    const QImage shown = win->paneWidgets(1).picture->image();
    Key(Qt::Key_J);
    EXPECT_TRUE(win->session().pageMode());
    // The frame of page mode: a line and two 3-pixel bevels round the panes.
    EXPECT_EQ(Control(QStringLiteral("PanelTop"))->pos(), QPoint(7, 7));
    EXPECT_EQ(win->paneWidgets(1).picture->image(), shown);   // nothing reloaded
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({4, 5, 6, 7}));
    EXPECT_EQ(Selected(), 7);
    Key(Qt::Key_Space);   // 7 > 10 - 4: nothing
    EXPECT_EQ(Names(), Entries({4, 5, 6, 7}));
    EXPECT_EQ(Selected(), 7);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_EQ(Selected(), 3);
    // J again: back to shift mode, nothing reloaded.
    Key(Qt::Key_J);
    EXPECT_FALSE(win->session().pageMode());
    EXPECT_EQ(Control(QStringLiteral("PanelTop"))->pos(), QPoint(0, 0));
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
}

TEST_F(NavigationTest, PageModeWithElevenFilesFillsThreePanesAndClearsTheFourth)
{
    Start({Folder(QStringLiteral("eleven"), 11)});
    Key(Qt::Key_J);
    Key(Qt::Key_Space);
    ASSERT_EQ(Selected(), 7);
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({8, 9, 10, -1}));
    EXPECT_EQ(Selected(), 10);
    EXPECT_FALSE(PaneHasPicture(4));
    EXPECT_TRUE(Control<QLabel>(QStringLiteral("lbl4"))->text().isEmpty());
    EXPECT_TRUE(PaneHasPicture(3));
}

TEST_F(NavigationTest, PageModeBackFromFiveRightAlignsTheFirstFiles)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    Key(Qt::Key_Space);
    Key(Qt::Key_Space);
    ASSERT_EQ(Selected(), 5);
    Key(Qt::Key_J);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Names(), Entries({-1, -1, 0, 1}));
    EXPECT_EQ(Selected(), 0);
    EXPECT_FALSE(PaneHasPicture(1));
    EXPECT_FALSE(PaneHasPicture(2));
    Key(Qt::Key_Space);   // from s = 0
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
    EXPECT_EQ(Selected(), 4);
}

TEST_F(NavigationTest, SpaceAfterAClearedPaneEmptiesThePaneThatTakesItsPlace)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    Key(Qt::Key_Right);
    Key(Qt::Key_X);   // pane 2 cleared
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({-1, 2, 3, 4}));
    // No picture is left behind a pane that has no file to act on.
    EXPECT_FALSE(win->pane(1).hasPicture());
    EXPECT_TRUE(Control<QLabel>(QStringLiteral("lbl1"))->text().isEmpty());
}

TEST_F(NavigationTest, PanesKeepActingOnTheirOwnFilesAfterAFolderChange)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    // Another folder with other photos under the names panes 3 and 4 show.
    const QString other = tmp.filePath(QStringLiteral("bb"));
    ASSERT_TRUE(QDir().mkpath(other));
    for (const char* name : {"/img_02.jpg", "/img_03.jpg"})
        uitest::WriteBytes(other + QLatin1String(name), uitest::Photo(32, 24, 7));
    Start({ten});
    const QImage shown = win->paneWidgets(3).picture->image();
    browseAnswer = other;
    QTest::mouseClick(DirEdit()->findChild<QToolButton*>(), Qt::LeftButton);
    ASSERT_EQ(win->app().CurrentFolder, other);

    const QString own = ten + QStringLiteral("/img_02.jpg");
    EXPECT_EQ(win->pane(3).PanePath, own);
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl3"))->text(), own);
    ClickBox(3);
    Key(Qt::Key_G);   // read-only goes to the file pane 3 shows
    EXPECT_FALSE(QFileInfo(own).permissions() & QFileDevice::WriteOwner);
    EXPECT_TRUE(QFileInfo(other + QStringLiteral("/img_02.jpg")).permissions() & QFileDevice::WriteOwner);
    Key(Qt::Key_R);
    EXPECT_EQ(win->paneWidgets(3).picture->image(), shown);
}

TEST_F(NavigationTest, AClickOnTheHighlightedEntryLoadsItIntoTheCurrentPane)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    Key(Qt::Key_Space);
    ASSERT_EQ(Selected(), 4);
    ClickBox(1);
    ClickEntry(4);
    EXPECT_EQ(NameIn(1), QStringLiteral("img_04.jpg"));
}

TEST_F(NavigationTest, ClickInTheListLoadsOnlyTheCurrentPaneAndAnchorsTheWalk)
{
    const QString photos = Folder(QStringLiteral("ten"), 10);
    Start({photos});
    ClickBox(3);
    ClickEntry(6);
    EXPECT_EQ(Names(), Entries({0, 1, 6, 3}));
    EXPECT_EQ(win->pane(3).PanePath, photos + QStringLiteral("/img_06.jpg"));
    EXPECT_EQ(Selected(), 6);
    EXPECT_EQ(QApplication::focusWidget(), List());

    // The pane takes the keys back; Space walks on from entry 6.
    ClickBox(3);
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({1, 6, 3, 7}));
    EXPECT_EQ(Selected(), 7);
}

TEST_F(NavigationTest, WhileTheListHasTheFocusTheWindowsKeysDoNothing)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    ClickEntry(5);   // into pane 1
    ASSERT_EQ(QApplication::focusWidget(), List());
    ASSERT_EQ(Names(), Entries({5, 1, 2, 3}));
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_X, Qt::Key_J, Qt::Key_L, Qt::Key_8, Qt::Key_Q})
        Key(key);
    EXPECT_EQ(Names(), Entries({5, 1, 2, 3}));
    EXPECT_FALSE(win->session().pageMode());
    EXPECT_EQ(win->pane(1).PaneScale, 1);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(Control(QStringLiteral("LeftPanel"))->width(), 175);

    // The list's own arrows load each newly selected entry into the current pane.
    Key(Qt::Key_Down);
    EXPECT_EQ(Names(), Entries({6, 1, 2, 3}));
    EXPECT_EQ(win->session().currentPane(), 1);

    // A click on a pane gives the keys back.
    ClickBox(2);
    Key(Qt::Key_X);
    EXPECT_EQ(Names(), Entries({6, -1, 2, 3}));
}

TEST_F(NavigationTest, BrowsingToAFolderWithFewerFilesKeepsTheOtherPanes)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    const QString two = Folder(QStringLiteral("two"), 2, 64, 48, QStringLiteral("b_"));
    Start({ten});
    browseAnswer = two;
    auto* browse = DirEdit()->findChild<QToolButton*>();
    ASSERT_NE(browse, nullptr);
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(browseStarts, QStringList{ten});
    EXPECT_EQ(DirEdit()->text(), two);
    EXPECT_EQ(Names(), QStringList({"b_00.jpg", "b_01.jpg", "img_02.jpg", "img_03.jpg"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(win->app().CurrentFolder, two);
    EXPECT_EQ(uitest::IniValue(ini, QStringLiteral("curdir")), two);
    EXPECT_EQ(ListCount(), 2);

    // Cancelling the browser changes nothing.
    browseAnswer.clear();
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(DirEdit()->text(), two);
}

TEST_F(NavigationTest, TypedFolderRunsNoCommandsAndIsAppliedOnEnter)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    // Letters of the path name commands: q closes, x clears, w paints, z captions.
    const QString typed = Folder(QStringLiteral("qxzwjl"), 2, 64, 48, QStringLiteral("b_"));
    Start({ten});
    Key(Qt::Key_D);
    ASSERT_EQ(QApplication::focusWidget(), DirEdit());
    EXPECT_FALSE(DirEdit()->isReadOnly());
    DirEdit()->selectAll();
    QTest::keyClicks(DirEdit(), typed);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_FALSE(win->pane(1).OverlayOn);
    EXPECT_FALSE(win->session().captionsOn());
    EXPECT_FALSE(win->session().pageMode());
    EXPECT_EQ(Control(QStringLiteral("LeftPanel"))->width(), 175);
    EXPECT_TRUE(errors.isEmpty()) << "a partial path was listed: " << errors.join('\n').toStdString();
    EXPECT_EQ(win->app().CurrentFolder, ten);

    QTest::keyClick(DirEdit(), Qt::Key_Return);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(opened.isEmpty()) << "the Enter that applied the folder opened " << opened.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(win->app().CurrentFolder, typed);
    EXPECT_EQ(Names(), QStringList({"b_00.jpg", "b_01.jpg", "img_02.jpg", "img_03.jpg"}));
    EXPECT_EQ(uitest::IniValue(ini, QStringLiteral("curdir")), typed);

    // The keys belong to the panes again.
    Key(Qt::Key_X);
    EXPECT_TRUE(win->pane(1).PanePath.isEmpty());
}

TEST_F(NavigationTest, AFolderThatCannotBeListedGivesOneErrorAndChangesNothing)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    Start({ten});
    Key(Qt::Key_V);   // a mark in memory, written when the folder is left
    Key(Qt::Key_D);
    DirEdit()->selectAll();
    const QString missing = tmp.filePath(QStringLiteral("no/such/folder"));
    QTest::keyClicks(DirEdit(), missing);
    QTest::keyClick(DirEdit(), Qt::Key_Return);
    ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors[0].contains(missing)) << errors[0].toStdString();
    EXPECT_EQ(win->app().CurrentFolder, ten);
    EXPECT_EQ(uitest::IniValue(ini, QStringLiteral("curdir")), ten);
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_EQ(ListCount(), 10);
    EXPECT_EQ(QDir::currentPath(), ten);
    // The marks of the folder being left were written first.
    EXPECT_EQ(uitest::ReadBytes(ten + QStringLiteral("/marked.txt")), QByteArray("img_00.jpg\r\n"));
    EXPECT_EQ(win->app().Marks.GetMark(QStringLiteral("img_00.jpg")), MarkV);

    // Leaving the field does not report the same folder a second time.
    ClickBox(2);
    EXPECT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
}

TEST_F(NavigationTest, AnEmptyFolderLoadsNothingAndTheWalkDoesNothing)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    const QString empty = Folder(QStringLiteral("empty"), 0);
    Start({ten});
    browseAnswer = empty;
    QTest::mouseClick(DirEdit()->findChild<QToolButton*>(), Qt::LeftButton);
    ASSERT_EQ(win->app().CurrentFolder, empty);
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_J, Qt::Key_Space, Qt::Key_Backspace})
        Key(key);
    EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(NavigationTest, ListHoldsTheFolderFilesOfTheMaskSortedWithoutRegardToCase)
{
    const QString folder = tmp.filePath(QStringLiteral("mixed"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub.jpg")));   // a folder is no entry
    const QByteArray photo = uitest::Photo(64, 48);
    for (const char* name : {"b.JPG", "A.jpeg", "c.jpe", "d.jfif", ".hidden.jpg", "e.png", "f.txt", "G.Jpg", "README"})
        uitest::WriteBytes(folder + QLatin1Char('/') + QLatin1String(name), photo);
    ASSERT_TRUE(QFile::setPermissions(folder + QStringLiteral("/G.Jpg"), QFileDevice::ReadOwner));
    Start({folder});
    QStringList entries;
    for (int i = 0; i < ListCount(); ++i)
        entries << ListText(i);
    EXPECT_EQ(entries, QStringList({".hidden.jpg", "A.jpeg", "b.JPG", "c.jpe", "d.jfif", "G.Jpg"}));
    // .jpe and .jfif decode as JPEG files.
    ClickBox(1);
    for (int row : {4, 3}) {   // 3 is the selected entry: 4 first
        ClickEntry(row);
        EXPECT_EQ(win->pane(1).PanePath, folder + QLatin1Char('/') + entries[row]);
        EXPECT_TRUE(win->pane(1).isJpeg());
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // "All files" lists everything but the folder, and loads nothing.
    const QStringList before = PanePaths();
    auto* filter = Control<QComboBox>(QStringLiteral("FiltersList"));
    filter->showPopup();
    QAbstractItemView* popup = filter->view();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(popup->model()->index(1, 0)).center());
    ASSERT_EQ(filter->currentText(), QStringLiteral("All files"));
    entries.clear();
    for (int i = 0; i < ListCount(); ++i)
        entries << ListText(i);
    EXPECT_EQ(entries, QStringList({".hidden.jpg", "A.jpeg", "b.JPG", "c.jpe", "d.jfif", "e.png", "f.txt", "G.Jpg", "README"}));
    EXPECT_EQ(PanePaths(), before);
}

TEST_F(NavigationTest, TypedFolderIsAppliedWhenTheFieldIsLeft)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    const QString other = Folder(QStringLiteral("other"), 2, 64, 48, QStringLiteral("b_"));
    Start({ten});
    Key(Qt::Key_D);
    DirEdit()->selectAll();
    QTest::keyClicks(DirEdit(), other);
    ClickBox(3);
    EXPECT_EQ(win->app().CurrentFolder, other);
    EXPECT_EQ(Names(), QStringList({"b_00.jpg", "b_01.jpg", "img_02.jpg", "img_03.jpg"}));
    // Direct input is off again: the field takes no keys, the panes do.
    EXPECT_TRUE(DirEdit()->isReadOnly());
    Key(Qt::Key_X);
    EXPECT_TRUE(win->pane(3).PanePath.isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(NavigationTest, TheSameFolderTypedAgainChangesNothing)
{
    const QString ten = Folder(QStringLiteral("ten"), 10);
    Start({ten});
    Key(Qt::Key_Space);
    Key(Qt::Key_D);
    QTest::keyClick(DirEdit(), Qt::Key_Return);
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
    EXPECT_EQ(Selected(), 4);
}

TEST_F(NavigationTest, AFolderEndingInASeparatorGivesPathsWithOneSeparator)
{
    const QString photos = Folder(QStringLiteral("ten"), 10);
    Start({photos + QLatin1Char('/')});
    Key(Qt::Key_Space);
    EXPECT_EQ(win->pane(4).PanePath, photos + QStringLiteral("/img_04.jpg"));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));
}

} // namespace
