// Comparing beyond four fixed panes: synchronized scale and position, a
// pinned pane, Home and End, and the list of marked files.
#include "window/mainwindowsandbox.h"
#include "panes/panesync.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QToolButton>

namespace {

QStringList Entries(std::initializer_list<int> indexes)
{
    QStringList names;
    for (int i : indexes)
        names << (i < 0 ? QString() : QStringLiteral("img_%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

class SyncTest : public uitest::MainWindowTest {
protected:
    PictureArea* Image(int n) { return win->paneWidgets(n).picture; }
    // The photo's point in the middle of pane n, as fractions of its size.
    QPointF Centre(int n) { return ViewCentre(Image(n)->geometry(), win->paneWidgets(n).box->viewport()->size()); }
    void ExpectCentre(int n, QPointF expected)
    {
        // A pixel of a 1200 x 900 photo.
        EXPECT_NEAR(Centre(n).x(), expected.x(), 1.0 / 1200) << "pane " << n;
        EXPECT_NEAR(Centre(n).y(), expected.y(), 1.0 / 900) << "pane " << n;
    }
    void Drag(int n, QPoint by, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(Image(n), Qt::LeftButton, modifiers, QPoint(300, 300));
        QTest::mouseMove(Image(n), QPoint(300, 300) + by);
        QTest::mouseRelease(Image(n), Qt::LeftButton, modifiers, QPoint(300, 300));
    }
    void ChooseFilter(int index)
    {
        auto* filter = Control<QComboBox>(QStringLiteral("FiltersList"));
        filter->showPopup();
        QAbstractItemView* popup = filter->view();
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                          popup->visualRect(popup->model()->index(index, 0)).center());
    }
    QStringList Listed()
    {
        QStringList names;
        auto* list = Control<QListWidget>(QStringLiteral("FilesList"));
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    bool PinShown(int n) { return !Control(QStringLiteral("pinmark%1").arg(n))->isHidden(); }
};

TEST_F(SyncTest, SynchronizedPanesScaleDragAndWalkTogether)
{
    Start({Folder(QStringLiteral("burst"), 10, 1200, 900)});
    auto* button = Control<QToolButton>(QStringLiteral("ToolButton8"));
    Key(Qt::Key_S);
    ASSERT_TRUE(win->SyncOn());
    EXPECT_TRUE(button->isChecked());

    // 8 scales all four; 1 then brings each to 1:1 on the point it showed in
    // the middle, the middle of the fitted 1:8 picture.
    Key(Qt::Key_8);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(win->pane(n).PaneScale, 3) << n;
    Key(Qt::Key_1);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(win->pane(n).PaneScale, 1) << n;
        ExpectCentre(n, {0.5, 0.5});
    }

    // A drag moves the four to the same point of their photos.
    Drag(1, {-120, 90});
    const QPointF dragged = Centre(1);
    EXPECT_NEAR(dragged.x(), 0.5 + 120.0 / 1200, 1.0 / 1200);
    EXPECT_NEAR(dragged.y(), 0.5 - 90.0 / 900, 1.0 / 900);
    for (int n = 2; n <= 4; ++n)
        ExpectCentre(n, dragged);

    // Shift drags pane 1 alone; walking keeps each pane's own point.
    Drag(1, {40, 30}, Qt::ShiftModifier);
    const QPointF alone = Centre(1);
    EXPECT_NEAR(alone.x(), dragged.x() - 40.0 / 1200, 1.0 / 1200);
    ExpectCentre(2, dragged);
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
    ExpectCentre(1, alone);
    for (int n = 2; n <= 4; ++n)
        ExpectCentre(n, dragged);

    // Off again: one pane scales and drags as before.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(win->SyncOn());
    EXPECT_FALSE(button->isChecked());
    Drag(1, {-50, 0});
    ExpectCentre(2, dragged);
    Key(Qt::Key_8);
    EXPECT_EQ(win->pane(1).PaneScale, 3);
    EXPECT_EQ(win->pane(2).PaneScale, 1);
    Key(Qt::Key_Space);   // a walk without sync lays each photo out afresh
    EXPECT_EQ(Image(2)->pos(), QPoint(0, 0));
}

TEST_F(SyncTest, APinnedPaneKeepsItsFileWhileTheOthersWalk)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    Key(Qt::Key_Right);   // pane 2
    Key(Qt::Key_A);
    EXPECT_EQ(win->PinnedPane(), 2);
    EXPECT_EQ(QList<bool>({PinShown(1), PinShown(2), PinShown(3), PinShown(4)}), QList<bool>({false, true, false, false}));
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({2, 1, 3, 4}));
    EXPECT_EQ(Selected(), 4);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Names(), Entries({1, 1, 2, 3}));
    EXPECT_EQ(Selected(), 3);
    Key(Qt::Key_J);   // page mode: three at a time
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({4, 1, 5, 6}));
    EXPECT_EQ(Selected(), 6);
    Key(Qt::Key_End);
    EXPECT_EQ(Names(), Entries({7, 1, 8, 9}));

    // A on the pinned pane unpins; on another pane it moves the pin there.
    Key(Qt::Key_A);
    EXPECT_EQ(win->PinnedPane(), 0);
    EXPECT_FALSE(PinShown(2));
    Key(Qt::Key_Left);
    Key(Qt::Key_A);
    Key(Qt::Key_Right);
    Key(Qt::Key_A);
    EXPECT_EQ(win->PinnedPane(), 2);
    EXPECT_FALSE(PinShown(1));
    // A folder change unpins.
    browseAnswer = Folder(QStringLiteral("other"), 2, 64, 48, QStringLiteral("b_"));
    QTest::mouseClick(Control(QStringLiteral("DirEdit"))->findChild<QToolButton*>(), Qt::LeftButton);
    EXPECT_EQ(win->PinnedPane(), 0);
    EXPECT_FALSE(PinShown(2));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SyncTest, HomeAndEndShowTheFirstAndLastFourInEitherMode)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    for (bool page : {false, true}) {
        SCOPED_TRACE(page);
        Key(Qt::Key_End);
        EXPECT_EQ(Names(), Entries({6, 7, 8, 9}));
        EXPECT_EQ(Selected(), 9);
        Key(Qt::Key_Backspace);   // a walk goes on from there
        EXPECT_EQ(Names(), page ? Entries({2, 3, 4, 5}) : Entries({5, 6, 7, 8}));
        Key(Qt::Key_Home);
        EXPECT_EQ(Names(), Entries({0, 1, 2, 3}));
        EXPECT_EQ(Selected(), 3);
        Key(Qt::Key_J);
    }
}

TEST_F(SyncTest, MarkedFilesListsTheMarkedUntilTheListIsMadeAgain)
{
    const QString photos = Folder(QStringLiteral("six"), 6);
    const QString other = Folder(QStringLiteral("other"), 3, 64, 48, QStringLiteral("b_"));
    MarkStore otherMarks;
    otherMarks.SetMark(QStringLiteral("b_02.jpg"), MarkV);
    otherMarks.SaveMarks(other);
    Start({photos});
    Key(Qt::Key_Right);   // pane 2: img_01
    Key(Qt::Key_V);
    Key(Qt::Key_Down);    // pane 4: img_03
    Key(Qt::Key_3, Qt::ControlModifier);
    const QStringList shown = PanePaths();
    ChooseFilter(2);
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("FiltersList"))->currentText(), QStringLiteral("Marked files"));
    EXPECT_EQ(Listed(), Entries({1, 3}));
    EXPECT_EQ(PanePaths(), shown);   // listing loads nothing

    // Walking works on the list; a mark removed leaves its file listed
    // until the list is made again.
    Key(Qt::Key_Home);
    EXPECT_EQ(Names(), QStringList({"img_01.jpg", "img_03.jpg", "", ""}));
    Key(Qt::Key_Up);      // pane 2: img_03
    Key(Qt::Key_V);       // its 3 goes
    EXPECT_EQ(win->app().Marks.GetMark(photos + QStringLiteral("/img_03.jpg")), NoMark);
    EXPECT_EQ(Listed(), Entries({1, 3}));
    ChooseFilter(2);
    EXPECT_EQ(Listed(), Entries({1}));

    // Another folder is listed with its own marks.
    browseAnswer = other;
    QTest::mouseClick(Control(QStringLiteral("DirEdit"))->findChild<QToolButton*>(), Qt::LeftButton);
    EXPECT_EQ(Listed(), QStringList({"b_02.jpg"}));
    EXPECT_EQ(NameIn(1), QStringLiteral("b_02.jpg"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

} // namespace
