// The commands on the layout and on the current pane's file, on the real
// window: dragging a picture, the file list and metadata panels, the
// background colour, the even split, the top bar, the read-only toggle,
// reloads, opening a file and the two dialogs.
#include "window/mainwindowsandbox.h"

#include "dialogs/filesform.h"
#include "dialogs/options.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace tetrafot;

namespace {

using uitest::IniValue;

class PaneCommandTest : public uitest::MainWindowTest {
protected:
    PictureArea* Image(int n) { return Control<PictureArea>(QStringLiteral("Image%1").arg(n)); }
    QWidget* Widget(const char* name) { return Control(QString::fromLatin1(name)); }
    QToolButton* Button(const char* name) { return Control<QToolButton>(QString::fromLatin1(name)); }
    bool ReadOnlyMarkShown(int n) { return !Control(QStringLiteral("promark%1").arg(n))->isHidden(); }
    static QFile::Permissions WriteBits()
    {
        // WriteUser is what the running user may do, which for root is always true.
        return QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    }
};

TEST_F(PaneCommandTest, DragMovesThePictureWithTheMouseUntilRelease)
{
    Start({Folder(QStringLiteral("photos"), 4, 100, 60)});
    PictureArea* image = Image(1);
    const QPoint start = image->pos();
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(win->DragPane(), 1);
    QTest::mouseMove(image, QPoint(40, 20));
    EXPECT_EQ(image->pos(), start + QPoint(30, 10));
    // The grabbed point is under the mouse again: a move back by 5 moves by 5.
    QTest::mouseMove(image, QPoint(5, 10));
    EXPECT_EQ(image->pos(), start + QPoint(25, 10));
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(win->DragPane(), 0);
    QTest::mouseMove(image, QPoint(50, 40));
    EXPECT_EQ(image->pos(), start + QPoint(25, 10));
}

TEST_F(PaneCommandTest, DragHasNoLimitAndTheNextScaleLaysTheAreaOutAgain)
{
    Start({Folder(QStringLiteral("photos"), 4, 100, 60)});
    PictureArea* image = Image(1);
    const QPoint start = image->pos();
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseMove(image, QPoint(50 - start.x() - 120, 30));   // wholly out of view to the left
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_EQ(image->x(), -120);
    Key(Qt::Key_1);
    EXPECT_EQ(image->pos(), start);
}

TEST_F(PaneCommandTest, PressOnAnotherPanesPictureStartsNoDragButTheClickMakesItCurrent)
{
    Start({Folder(QStringLiteral("photos"), 4, 100, 60)});
    const QPoint start1 = Image(1)->pos();
    const QPoint start2 = Image(2)->pos();
    QTest::mousePress(Image(2), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(Image(2), QPoint(40, 30));
    EXPECT_EQ(win->DragPane(), 0);
    EXPECT_EQ(Image(1)->pos(), start1);
    EXPECT_EQ(Image(2)->pos(), start2);
    QTest::mouseRelease(Image(2), Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(win->session().currentPane(), 2);

    // Now pane 2 is current: the next press drags.
    QTest::mousePress(Image(2), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(Image(2), QPoint(20, 15));
    EXPECT_EQ(Image(2)->pos(), start2 + QPoint(10, 5));
    QTest::mouseRelease(Image(2), Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(PaneCommandTest, LHidesTheFileListAndBringsItBackAtItsWidth)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    QWidget* list = Widget("LeftPanel");
    QToolButton* button = Button("showflist");
    const int mainWidth = Widget("MainPanel")->width();
    Key(Qt::Key_L);
    EXPECT_EQ(list->width(), 1);
    EXPECT_TRUE(list->isVisible());   // hidden by its width, not made invisible
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(Widget("MainPanel")->width(), mainWidth + 174);
    EXPECT_EQ(win->store().intValue(QStringLiteral("flistwidth"), -1), 175);
    Key(Qt::Key_L);
    EXPECT_EQ(list->width(), 175);
    EXPECT_TRUE(button->isChecked());

    // Dragged to 250, it comes back at 250.
    QWidget* splitter = Widget("Splitter1");
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(1, 100));
    QTest::mouseMove(splitter, QPoint(76, 100));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(1, 100));
    ASSERT_EQ(list->width(), 250);
    Key(Qt::Key_L);
    EXPECT_EQ(list->width(), 1);
    Key(Qt::Key_L);
    EXPECT_EQ(list->width(), 250);

    // The toolbar button does the same, and its pressed state is the command's.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(list->width(), 1);
    EXPECT_FALSE(button->isChecked());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(list->width(), 250);
    EXPECT_TRUE(button->isChecked());
}

TEST_F(PaneCommandTest, ETogglesTheMetadataPanelAndRemembersItsWidth)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    QWidget* panel = Widget("ExPan1");
    Key(Qt::Key_E);
    EXPECT_EQ(panel->width(), 150);
    EXPECT_TRUE(Button("ToolButton5")->isChecked());
    EXPECT_EQ(Widget("ScrollBox1")->width() + 4 + 150, Widget("PanelTopLeft")->width());

    // The splitter to its left widens it by 30.
    QWidget* splitter = Widget("Splitter2");
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(1, 50));
    QTest::mouseMove(splitter, QPoint(-29, 50));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(1, 50));
    ASSERT_EQ(panel->width(), 180);

    Key(Qt::Key_E);
    EXPECT_EQ(panel->width(), 1);
    EXPECT_FALSE(Button("ToolButton5")->isChecked());
    EXPECT_EQ(win->store().intValue(QStringLiteral("expanwidth1"), -1), 180);
    Key(Qt::Key_E);
    EXPECT_EQ(panel->width(), 180);
}

TEST_F(PaneCommandTest, EOnAnEmptyPaneHidesItsPanel)
{
    WriteSettings("ExPan2_Width=200\r\n");
    Start({Folder(QStringLiteral("photos"), 1)});
    ASSERT_EQ(Widget("ExPan2")->width(), 200);
    Key(Qt::Key_Right);
    ASSERT_TRUE(Button("ToolButton5")->isChecked());   // follows pane 2's wide panel
    Key(Qt::Key_E);
    EXPECT_FALSE(Button("ToolButton5")->isChecked());
    EXPECT_EQ(Widget("ExPan2")->width(), 1);
    Key(Qt::Key_E);   // and it stays hidden
    EXPECT_EQ(Widget("ExPan2")->width(), 1);
    EXPECT_EQ(win->store().intValue(QStringLiteral("expanwidth2"), -1), 150);
}

TEST_F(PaneCommandTest, GTogglesTheReadOnlyAttributeAndItsMark)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    const QString file = photos + QStringLiteral("/img_00.jpg");
    Start({photos});
    ASSERT_FALSE(ReadOnlyMarkShown(1));
    ASSERT_TRUE(QFile::permissions(file) & QFileDevice::WriteOwner);

    Key(Qt::Key_G);
    EXPECT_TRUE(ReadOnlyMarkShown(1));
    EXPECT_EQ(QFile::permissions(file) & WriteBits(), QFile::Permissions());
    // A reload finds the file read-only.
    Key(Qt::Key_R);
    EXPECT_TRUE(ReadOnlyMarkShown(1));

    Key(Qt::Key_G);
    EXPECT_FALSE(ReadOnlyMarkShown(1));
    EXPECT_TRUE(QFile::permissions(file) & QFileDevice::WriteOwner);
    EXPECT_TRUE(QFile::permissions(file) & QFileDevice::ReadOwner);
    // Other panes are untouched.
    EXPECT_TRUE(QFile::permissions(photos + QStringLiteral("/img_01.jpg")) & QFileDevice::WriteOwner);
}

TEST_F(PaneCommandTest, GOnAnEmptyPaneShowsTheMarkAndTouchesNoFile)
{
    const QString photos = Folder(QStringLiteral("photos"), 1);
    Start({photos});
    Key(Qt::Key_Down);
    Key(Qt::Key_G);
    EXPECT_TRUE(ReadOnlyMarkShown(3));
    Key(Qt::Key_G);
    EXPECT_FALSE(ReadOnlyMarkShown(3));
    EXPECT_TRUE(QFile::permissions(photos + QStringLiteral("/img_00.jpg")) & QFileDevice::WriteOwner);
}

TEST_F(PaneCommandTest, ColourCancelledChangesNothingConfirmedRecoloursAndSurvivesARestart)
{
    const char* recoloured[] = {"ScrollBox1", "ScrollBox2", "ScrollBox3", "ScrollBox4", "Splitter1", "Splitter3",
                                "Splitter4", "Splitter5", "Panel1", "Panel4", "PanelTopLeft", "PanelTopRight",
                                "PanelBottomRight", "PanelBottomLeft", "TopPanel", "ToolBar1", "DirAndExitPanel"};
    const char* kept[] = {"Splitter2", "Splitter6", "Splitter7", "Splitter8", "Panel2",
                          "LeftPanel", "MainPanel", "PanelTop", "PanelBottom", "ExPan1"};
    constexpr int kButtonFace = -2147483633;
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos});

    colourAnswers = {std::nullopt};
    Key(Qt::Key_C);
    ASSERT_EQ(colourStarts.size(), 1u);
    EXPECT_EQ(colourStarts[0], QColor(Qt::black));
    for (const char* name : recoloured)
        EXPECT_EQ(win->controlColour(QString::fromLatin1(name)), kButtonFace) << name;

    // 0x00BBGGRR: red 0x12, green 0x34, blue 0x56.
    const int colour = 0x563412;
    colourAnswers = {QColor(0x12, 0x34, 0x56)};
    QTest::mouseClick(Button("ToolButton6"), Qt::LeftButton);
    ASSERT_EQ(colourStarts.size(), 2u);
    for (const char* name : recoloured)
        EXPECT_EQ(win->controlColour(QString::fromLatin1(name)), colour) << name;
    EXPECT_EQ(win->controlColour(win->objectName()), colour);
    for (const char* name : kept)
        EXPECT_EQ(win->controlColour(QString::fromLatin1(name)), kButtonFace) << name;
    EXPECT_EQ(Widget("ScrollBox1")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    // Labels without a colour of their own follow their parents.
    EXPECT_EQ(Widget("lbl1")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(Widget("comment3")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    // The list and the memos keep the button face.
    EXPECT_NE(Widget("FilesList")->palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));
    EXPECT_NE(Widget("exif1")->palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));

    // The dialog opens on the colour last chosen.
    colourAnswers = {std::nullopt};
    Key(Qt::Key_C);
    ASSERT_EQ(colourStarts.size(), 3u);
    EXPECT_EQ(colourStarts[2], QColor(0x12, 0x34, 0x56));

    Key(Qt::Key_Q);
    EXPECT_EQ(IniValue(ini, QStringLiteral("ScrollBox1_Color")), QString::number(colour));
    Destroy();
    Start({photos});
    for (const char* name : recoloured)
        EXPECT_EQ(win->controlColour(QString::fromLatin1(name)), colour) << name;
    EXPECT_EQ(Widget("ScrollBox1")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
}

TEST_F(PaneCommandTest, HSplitsThePicturesEvenly)
{
    WriteSettings("PanelTop_Height=100\r\nPanelTopLeft_Width=150\r\nPanelBottomLeft_Width=400\r\n");
    Start({Folder(QStringLiteral("photos"), 4)});
    ASSERT_EQ(Widget("PanelTop")->height(), 100);
    const QSize main = Widget("MainPanel")->size();
    Key(Qt::Key_H);
    EXPECT_EQ(Widget("PanelTop")->height(), main.height() / 2);
    EXPECT_EQ(Widget("PanelTopLeft")->width(), main.width() / 2);
    EXPECT_EQ(Widget("PanelBottomLeft")->width(), main.width() / 2);
    EXPECT_EQ(Widget("PanelBottom")->height(), main.height() - main.height() / 2 - 3);
    EXPECT_EQ(Widget("PanelTopRight")->width(), main.width() - main.width() / 2 - 7);
    EXPECT_EQ(Widget("PanelBottomRight")->width(), main.width() - main.width() / 2 - 7);
}

TEST_F(PaneCommandTest, THidesAndShowsTheTopBarAndThePicturesTakeItsHeight)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos});
    QWidget* panel2 = Widget("Panel2");
    ASSERT_EQ(panel2->geometry(), QRect(0, 29, win->width(), win->height() - 29));
    Key(Qt::Key_T);
    EXPECT_TRUE(Widget("TopPanel")->isHidden());
    EXPECT_EQ(panel2->geometry(), QRect(0, 0, win->width(), win->height()));
    Key(Qt::Key_T);
    EXPECT_FALSE(Widget("TopPanel")->isHidden());
    EXPECT_EQ(panel2->geometry(), QRect(0, 29, win->width(), win->height() - 29));
}

TEST_F(PaneCommandTest, RReloadsTheCurrentPaneAndShiftRAllFour)
{
    const QString photos = Folder(QStringLiteral("photos"), 4, 64, 48);
    Start({photos});
    // Every file changes on disk; only a reload shows it.
    for (int i = 0; i < 4; ++i)
        uitest::WriteBytes(photos + QStringLiteral("/img_%1.jpg").arg(i, 2, 10, QLatin1Char('0')),
                           uitest::Photo(32 + 8 * i, 24));
    Key(Qt::Key_Right);
    Key(Qt::Key_R);
    std::vector<QSize> sizes;
    for (int n = 1; n <= 4; ++n)
        sizes.push_back(Image(n)->image().size());
    EXPECT_EQ(sizes, (std::vector<QSize>{{64, 48}, {40, 24}, {64, 48}, {64, 48}}));

    Key(Qt::Key_R, Qt::ShiftModifier);
    sizes.clear();
    for (int n = 1; n <= 4; ++n)
        sizes.push_back(Image(n)->image().size());
    EXPECT_EQ(sizes, (std::vector<QSize>{{32, 24}, {40, 24}, {48, 24}, {56, 24}}));
}

TEST_F(PaneCommandTest, EnterAndADoubleClickOpenTheCurrentFile)
{
    const QString photos = Folder(QStringLiteral("photos"), 2);
    Start({photos});
    Key(Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{photos + QStringLiteral("/img_00.jpg")});

    // A double click as the mouse makes it: a click, then the second press.
    QTest::mouseClick(Image(2), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(Image(2), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(Image(2), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(win->session().currentPane(), 2);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], photos + QStringLiteral("/img_01.jpg"));

    QTest::mouseClick(Button("ToolButton7"), Qt::LeftButton);
    EXPECT_EQ(opened.size(), 3);

    // An empty pane opens nothing.
    Key(Qt::Key_Down);
    Key(Qt::Key_Enter);
    EXPECT_EQ(opened.size(), 3);
}

TEST_F(PaneCommandTest, FilesDialogHoldsTheKeysWhileOpenAndGivesThemBackAfter)
{
    const QString photos = Folder(QStringLiteral("photos"), 6);
    Start({photos});
    bool openDuring = false;
    QString className;
    QString current;
    onDialog = [&](QDialog& dialog) {
        openDuring = win->app().FilesDialogOpen;
        className = QString::fromLatin1(dialog.metaObject()->className());
        current = win->app().CurrentFilePath;
        // The main window ignores its keys meanwhile.
        QTest::keyClick(win.get(), Qt::Key_Space);
        QTest::keyClick(win.get(), Qt::Key_X);
        dialog.reject();
    };
    Key(Qt::Key_F);
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_TRUE(openDuring);
    EXPECT_EQ(className, QStringLiteral("tetrafot::TfrmFiles"));
    EXPECT_EQ(current, photos + QStringLiteral("/img_00.jpg"));
    EXPECT_EQ(win->app().SettingsFileName, ini);
    EXPECT_FALSE(win->app().FilesDialogOpen);
    EXPECT_EQ(Names(), QStringList({"img_00.jpg", "img_01.jpg", "img_02.jpg", "img_03.jpg"}));

    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), QStringList({"img_01.jpg", "img_02.jpg", "img_03.jpg", "img_04.jpg"}));
}

TEST_F(PaneCommandTest, FilesDialogMoveRelistsTheFolderAndThePaneKeepsThePicture)
{
    const QString photos = Folder(QStringLiteral("photos"), 6);
    const QString sorted = tmp.filePath(QStringLiteral("sorted"));
    ASSERT_TRUE(QDir().mkpath(sorted));
    Start({photos});
    ASSERT_EQ(Selected(), 3);
    const QImage shown = Image(1)->image();
    onDialog = [&](QDialog& dialog) {
        dialog.show();
        auto* dst = dialog.findChild<QLineEdit*>(QStringLiteral("DstDir"));
        ASSERT_NE(dst, nullptr);
        dst->setText(sorted);
        dialog.findChild<QRadioButton*>(QStringLiteral("OpSelectorItem1"))->setChecked(true);   // move
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    };
    Key(Qt::Key_F);
    EXPECT_TRUE(QFileInfo::exists(sorted + QStringLiteral("/img_00.jpg")));
    EXPECT_FALSE(QFileInfo::exists(photos + QStringLiteral("/img_00.jpg")));
    EXPECT_FALSE(win->app().FilesDialogOpen);
    ASSERT_EQ(ListCount(), 5);
    EXPECT_FALSE(ListTexts().contains(QStringLiteral("img_00.jpg")));
    EXPECT_EQ(Selected(), 3);   // the same place, now another file
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));
    EXPECT_EQ(Image(1)->image(), shown);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PaneCommandTest, OptionsDialogDoesNotHoldTheKeys)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    bool openDuring = true;
    QString className;
    onDialog = [&](QDialog& dialog) {
        openDuring = win->app().FilesDialogOpen;
        className = QString::fromLatin1(dialog.metaObject()->className());
        dialog.reject();
    };
    Key(Qt::Key_O);
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_FALSE(openDuring);
    EXPECT_EQ(className, QStringLiteral("tetrafot::TfrmOptions"));
    Key(Qt::Key_X);
    EXPECT_TRUE(win->pane(1).PanePath.isEmpty());
}

TEST_F(PaneCommandTest, OptionsTakeEffectAtTheirNextUseAndReachTheFileAtTheNextSave)
{
    Start({Folder(QStringLiteral("photos"), 4, 64, 48)});
    onDialog = [&](QDialog& dialog) {
        dialog.show();
        auto* pattern = dialog.findChild<QLineEdit*>(QStringLiteral("txtScribe"));
        ASSERT_NE(pattern, nullptr);
        pattern->setText(QStringLiteral("100%%"));
        auto* maxSize = dialog.findChild<QAbstractSpinBox*>(QStringLiteral("edMaxSize"));
        ASSERT_NE(maxSize, nullptr);
        maxSize->setFocus();
        maxSize->selectAll();
        QTest::keyClicks(maxSize, QStringLiteral("50"));
        dialog.findChild<QCheckBox*>(QStringLiteral("ckAnyRAW"))->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
    };
    Key(Qt::Key_O);
    ASSERT_EQ(dialogsRun, 1);
    EXPECT_EQ(win->store().get(Stored::MaxSize), 50);
    // Nothing is refreshed: the caption changes at the next load.
    EXPECT_TRUE(Control<QLabel>(QStringLiteral("comment1"))->text().isEmpty());
    Key(Qt::Key_R);
    EXPECT_EQ(Control<QLabel>(QStringLiteral("comment1"))->text(), QStringLiteral("100%"));
    // 64 x 48 is over the new limit of 50: fitted at 1/2.
    Key(Qt::Key_U);
    EXPECT_EQ(Image(1)->image().size(), QSize(32, 24));

    EXPECT_EQ(IniValue(ini, QStringLiteral("anyraw")), QStringLiteral("0"));
    Key(Qt::Key_Q);
    EXPECT_EQ(IniValue(ini, QStringLiteral("anyraw")), QStringLiteral("-1"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("maxsize")), QStringLiteral("50"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("Pattern")), QStringLiteral("100%%"));
}

TEST_F(PaneCommandTest, FilesDialogLeavesNoSelectionWhenTheOldIndexIsBeyondTheEnd)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    const QString sorted = tmp.filePath(QStringLiteral("sorted"));
    ASSERT_TRUE(QDir().mkpath(sorted));
    Start({photos});
    ClickBox(4);   // img_03, the selected entry and the last one
    onDialog = [&](QDialog& dialog) {
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("DstDir"))->setText(sorted);
        dialog.findChild<QRadioButton*>(QStringLiteral("OpSelectorItem1"))->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    };
    Key(Qt::Key_F);
    ASSERT_TRUE(QFileInfo::exists(sorted + QStringLiteral("/img_03.jpg")));
    EXPECT_EQ(ListCount(), 3);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(win->pane(4).PanePath, photos + QStringLiteral("/img_03.jpg"));
    EXPECT_TRUE(win->pane(4).hasPicture());
}

TEST_F(PaneCommandTest, MetadataButtonFollowsAPanelOpenedByTheSettingsFile)
{
    WriteSettings("ExPan1_Width=180\r\n");
    Start({Folder(QStringLiteral("photos"), 4)});
    ASSERT_EQ(Widget("ExPan1")->width(), 180);
    EXPECT_TRUE(Button("ToolButton5")->isChecked());
    Key(Qt::Key_E);
    EXPECT_EQ(Widget("ExPan1")->width(), 1);
    EXPECT_FALSE(Button("ToolButton5")->isChecked());
}

} // namespace
