// Which key events run the window's commands: only the release of a key the
// window saw going down, whatever window or field took its press.
#include "window/mainwindowsandbox.h"

#include <QLineEdit>

namespace {

class KeyTest : public uitest::MainWindowTest {};

TEST_F(KeyTest, AReleaseWithoutItsPressRunsNothing)
{
    // The press went to a message box or a dialog that is closed now.
    const QString photos = Folder(QStringLiteral("photos"), 6);
    Start({photos});
    QWidget box;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_X, Qt::Key_Q}) {
        QTest::keyPress(&box, key);
        QTest::keyRelease(win.get(), key);
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(Names(), QStringList({"img_00.jpg", "img_01.jpg", "img_02.jpg", "img_03.jpg"}));
    // A full key stroke after that still acts.
    Key(Qt::Key_Space);
    EXPECT_EQ(NameIn(4), QStringLiteral("img_04.jpg"));
}

TEST_F(KeyTest, DWithTheTopBarHiddenShowsItAndTypesIntoTheFolderField)
{
    Start({Folder(QStringLiteral("photos"), 2)});
    Key(Qt::Key_T);
    ASSERT_TRUE(Control(QStringLiteral("TopPanel"))->isHidden());
    Key(Qt::Key_D);
    EXPECT_FALSE(Control(QStringLiteral("TopPanel"))->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>(QStringLiteral("DirEdit")));
}

} // namespace
