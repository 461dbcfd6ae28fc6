// A photo whose name is not UTF-8 (a Latin-1 "b\xe9.jpg" from an old card) on
// the real window: listed readably, shown with its label, and reached by a
// click, V, Ctrl+digit, G, Enter, P and the files dialog under its own bytes.
#include "common/bytenames.h"
#include "common/paths.h"
#include "window/mainwindowsandbox.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

class ForeignNameTest : public uitest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        cleanup.setFolder(QFile::encodeName(tmp.path()));
        photos = Folder(QStringLiteral("photos"), 0);
        folder = QFile::encodeName(photos);
        photo = folder + "/b\xe9.jpg";
        bytenames::Write(folder + "/a.jpg", uitest::Photo(64, 48, 1));
        bytenames::Write(photo, uitest::Photo(80, 60, 2));
        bytenames::Write(folder + "/b\xe9.CRW", "raw");
    }
    QByteArray PaneBytes(int n) { return EncodeFileName(win->pane(n).PanePath); }

    bytenames::Cleanup cleanup;
    QString photos;
    QByteArray folder, photo;
};

TEST_F(ForeignNameTest, ListedReadablyShownAndReachedByAClick)
{
    WriteSettings("exts=crw\r\n");
    Start({photos});
    QStringList shown;
    for (int i = 0; i < ListCount(); ++i)
        shown << ListText(i);
    EXPECT_EQ(shown, QStringList({QStringLiteral("a.jpg"), QStringLiteral("b\u00e9.jpg")}));

    // The first fill put it in pane 2, with its picture and a readable label.
    ASSERT_EQ(PaneBytes(2), photo);
    EXPECT_EQ(win->pane(2).pictureSize(), QSize(80, 60));
    EXPECT_EQ(win->paneWidgets(2).pathLabel->text(), photos + QStringLiteral("/b\u00e9.jpg"));
    EXPECT_FALSE(win->paneWidgets(2).rawMark->isHidden()) << "its companion b\\xe9.CRW is found";

    // A click on the entry loads it into the current pane.
    Key(Qt::Key_X);
    ASSERT_TRUE(win->pane(1).PanePath.isEmpty());
    ClickEntry(1);
    ASSERT_EQ(PaneBytes(1), photo);
    EXPECT_EQ(win->pane(1).pictureSize(), QSize(80, 60));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ForeignNameTest, MarksReachMarkedTxtAsTheNamesBytes)
{
    Start({photos});
    win->SelectPane(2);
    Key(Qt::Key_V);
    Destroy();
    EXPECT_EQ(bytenames::Read(folder + "/marked.txt"), QByteArray("b\xe9.jpg\r\n"));

    Start({photos});
    EXPECT_FALSE(win->paneWidgets(2).markImage->isHidden()) << "the mark is read back for the file";
    win->SelectPane(2);
    Key(Qt::Key_3, Qt::ControlModifier);
    Destroy();
    EXPECT_EQ(bytenames::Read(folder + "/marked.txt"), QByteArray("b\xe9.jpg:3\r\n"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ForeignNameTest, ReadOnlyEnterAndToolsActOnTheFile)
{
    const QByteArray tool = QFile::encodeName(tmp.path()) + "/tool.sh";
    bytenames::Write(tool, "#!/bin/sh\nprintf '%s\\n' \"$@\" > argv.tmp\nmv argv.tmp argv.out\n");
    ASSERT_EQ(::chmod(tool.constData(), 0755), 0);
    Start({photos});
    win->SelectPane(2);

    Key(Qt::Key_G);
    struct stat st {};
    ASSERT_EQ(::stat(photo.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_FALSE(win->paneWidgets(2).readOnlyMark->isHidden());
    Key(Qt::Key_G);
    ASSERT_EQ(::stat(photo.constData(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);

    Key(Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(EncodeFileName(opened[0]), photo);
    EXPECT_EQ(FileUrl(opened[0]).toEncoded(), "file://" + folder.toPercentEncoding("/") + "/b%E9.jpg");

    win->store().set(Stored::ToolP, QString::fromUtf8(tool) + QStringLiteral(" %p %f.%e"));
    Key(Qt::Key_P);
    QElapsedTimer timer;
    timer.start();
    while (!bytenames::Exists(folder + "/argv.out") && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_EQ(bytenames::Read(folder + "/argv.out"), photo + "\nb\xe9.jpg\n");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ForeignNameTest, FilesDialogCopiesAndDeletesWithTheCompanion)
{
    const QByteArray sorted = QFile::encodeName(tmp.path()) + "/sorted";
    ASSERT_EQ(::mkdir(sorted.constData(), 0755), 0);
    Start({photos});
    win->SelectPane(2);
    auto runDialog = [&](int operation) {
        onDialog = [&, operation](QDialog& dialog) {
            dialog.show();
            dialog.findChild<QLineEdit*>(QStringLiteral("DstDir"))->setText(QString::fromUtf8(sorted));
            dialog.findChild<QLineEdit*>(QStringLiteral("txtCRWExt"))->setText(QStringLiteral("crw"));
            dialog.findChild<QCheckBox*>(QStringLiteral("ckCRW"))->setChecked(true);
            dialog.findChild<QRadioButton*>(QStringLiteral("OpSelectorItem%1").arg(operation))->setChecked(true);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
        };
        Key(Qt::Key_F);
    };
    runDialog(0);   // copy
    EXPECT_EQ(bytenames::List(sorted), (QByteArrayList{"b\xe9.CRW", "b\xe9.jpg"}));
    EXPECT_EQ(bytenames::Read(sorted + "/b\xe9.jpg"), bytenames::Read(photo));

    runDialog(2);   // delete
    EXPECT_EQ(bytenames::List(folder), (QByteArrayList{"a.jpg"}));
    ASSERT_EQ(ListCount(), 1) << "the list is made again";
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

}  // namespace
