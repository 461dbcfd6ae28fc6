// Folders compared side by side: the start, the walk, a missing name, marks
// in the right folder, the dialog, and the difference view.
#include "window/mainwindowsandbox.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

namespace {

class CompareTest : public uitest::MainWindowTest {
protected:
    QString Label(int n) const { return win->paneWidgets(n).pathLabel->text(); }
    // Folder `name` holding these files, each a photo of the seed.
    QString FolderOf(const QString& name, const QStringList& files, unsigned seed = 1)
    {
        const QString folder = tmp.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        for (const QString& file : files)
            uitest::WriteBytes(folder + QLatin1Char('/') + file, uitest::Photo(64, 48, seed));
        return folder;
    }
};

TEST_F(CompareTest, TwoFoldersWalkTogetherByName)
{
    const QString a = FolderOf(QStringLiteral("camera"), {"IMG_0.JPG", "IMG_1.JPG", "IMG_2.JPG"});
    const QString b = FolderOf(QStringLiteral("export"), {"img_0.jpg", "IMG_2.jpeg"});
    const QString usual = Folder(QStringLiteral("usual"), 1);
    WriteSettings("curdir=" + usual.toUtf8() + "\r\n");
    Start({a, b});
    ASSERT_TRUE(win->session().comparing());
    EXPECT_EQ(ListTexts(), (QStringList{"IMG_0", "IMG_1", "IMG_2"}));
    // Panes 1-2 the first name, 3-4 the next; export lacks IMG_1.
    EXPECT_EQ(PanePaths(), (QStringList{a + "/IMG_0.JPG", b + "/img_0.jpg", a + "/IMG_1.JPG", ""}));
    EXPECT_EQ(Label(4), "Нет файла «IMG_1» в папке " + b);
    EXPECT_EQ(Label(2), b + "/img_0.jpg");

    Key(Qt::Key_Space);
    EXPECT_EQ(PanePaths(), (QStringList{a + "/IMG_1.JPG", "", a + "/IMG_2.JPG", b + "/IMG_2.jpeg"}));
    EXPECT_EQ(Label(2), "Нет файла «IMG_1» в папке " + b);
    EXPECT_EQ(Selected(), 1);
    // Page mode has no meaning here.
    Key(Qt::Key_J);
    EXPECT_FALSE(win->session().pageMode());
    Key(Qt::Key_End);
    EXPECT_EQ(PanePaths(), (QStringList{a + "/IMG_2.JPG", b + "/IMG_2.jpeg", "", ""}));
    Key(Qt::Key_Home);
    EXPECT_EQ(NameIn(1), "IMG_0.JPG");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // Nothing of the comparison is stored: the next plain start opens the usual folder.
    Destroy();
    EXPECT_EQ(uitest::IniValue(ini, QStringLiteral("curdir")), usual);
}

TEST_F(CompareTest, FourFoldersOnePaneEachAndMarksInTheirOwnFolders)
{
    QStringList folders;
    for (const char* name : {"a", "b", "c", "d"})
        folders << FolderOf(QString::fromLatin1(name), {"p1.jpg", "p2.jpg"});
    Start(folders);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(win->pane(n).PanePath, folders[n - 1] + "/p1.jpg") << n;
    // Pane 3 (folder c) and pane 1 (folder a, the current folder) marked.
    Key(Qt::Key_V);
    Key(Qt::Key_Down);
    ASSERT_EQ(win->session().currentPane(), 3);
    Key(Qt::Key_5, Qt::ControlModifier);
    Destroy();
    EXPECT_EQ(uitest::ReadBytes(folders[0] + "/marked.txt"), QByteArray("p1.jpg\r\n"));
    EXPECT_EQ(uitest::ReadBytes(folders[2] + "/marked.txt"), QByteArray("p1.jpg:5\r\n"));
    EXPECT_FALSE(QFileInfo::exists(folders[1] + "/marked.txt"));
}

TEST_F(CompareTest, TheDialogStartsAComparisonAndOneFolderEndsIt)
{
    const QString a = FolderOf(QStringLiteral("a"), {"x.jpg", "y.jpg"});
    const QString b = FolderOf(QStringLiteral("b"), {"renamed-1.jpg", "renamed-2.jpg"});
    Start({a});
    ASSERT_FALSE(win->session().comparing());
    QStringList fields{a, b};
    bool byPosition = true;
    onDialog = [&](QDialog& dialog) {
        for (int i = 0; i < 4; ++i)
            dialog.findChild<QLineEdit*>(QStringLiteral("CompareFolder%1").arg(i + 1))->setText(fields.value(i));
        dialog.findChild<QCheckBox*>(QStringLiteral("CompareByPosition"))->setChecked(byPosition);
        dialog.accept();
    };
    Key(Qt::Key_B);
    ASSERT_TRUE(win->session().comparing());
    EXPECT_EQ(PanePaths(), (QStringList{a + "/x.jpg", b + "/renamed-1.jpg", a + "/y.jpg", b + "/renamed-2.jpg"}));

    fields = {b};
    Key(Qt::Key_B);
    EXPECT_FALSE(win->session().comparing());
    EXPECT_EQ(win->session().folderList().folder(), b);
    EXPECT_EQ(ListTexts(), (QStringList{"renamed-1.jpg", "renamed-2.jpg"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(CompareTest, TheDifferenceViewComesAndGoes)
{
    // Folder b's x is folder a's; its y is another photo.
    const QString a = FolderOf(QStringLiteral("a"), {"x.jpg", "y.jpg"});
    const QString b = FolderOf(QStringLiteral("b"), {"x.jpg"});
    uitest::WriteBytes(b + "/y.jpg", uitest::Photo(64, 48, 7));
    Start({a, b});
    PictureArea* picture = win->paneWidgets(2).picture;
    Key(Qt::Key_Right);
    Key(Qt::Key_I);
    ASSERT_TRUE(win->pane(2).DifferenceOn);
    EXPECT_EQ(Label(2), b + "/x.jpg — разница с панелью 1, ×8");
    // The same photo: black all over.
    ASSERT_EQ(picture->image().size(), QSize(64, 48));
    EXPECT_EQ(picture->image().convertToFormat(QImage::Format_RGB32).pixel(30, 20), qRgb(0, 0, 0));
    // A scale change keeps it; the key again returns to the photo.
    Key(Qt::Key_2);
    EXPECT_TRUE(win->pane(2).DifferenceOn);
    EXPECT_EQ(picture->image().size(), QSize(32, 24));
    Key(Qt::Key_I);
    EXPECT_FALSE(win->pane(2).DifferenceOn);
    EXPECT_EQ(Label(2), b + "/x.jpg");
    EXPECT_EQ(picture->image().cacheKey(), win->pane(2).photo->image.cacheKey());

    // Pane 4 shows y of b against pane 1's x of a: not black; a walk ends it.
    Key(Qt::Key_Down);
    Key(Qt::Key_I);
    ASSERT_TRUE(win->pane(4).DifferenceOn);
    const QImage diff = win->paneWidgets(4).picture->image();
    bool differs = false;
    for (int y = 0; y < diff.height(); ++y)
        for (int x = 0; x < diff.width(); ++x)
            differs = differs || diff.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_TRUE(differs);
    Key(Qt::Key_Backspace);   // nothing before the first name: no walk
    Key(Qt::Key_Space);
    EXPECT_FALSE(win->pane(4).DifferenceOn);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // Pane 1 is the reference: comparing it with itself is refused with a word why.
    Key(Qt::Key_Up);
    Key(Qt::Key_Left);
    ASSERT_EQ(win->session().currentPane(), 1);
    Key(Qt::Key_I);
    EXPECT_FALSE(win->pane(1).DifferenceOn);
    EXPECT_EQ(errors.size(), 1);
}

} // namespace
