// Synchronized panes, a pinned pane, Home and End, and the marked files.
#include "window/mainwindowsandbox.h"
#include "panes/panesync.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

using namespace tetrafot;

namespace {

using uitest::Entries;

class SyncTest : public uitest::MainWindowTest {
protected:
    PictureArea* Image(int n) { return win->paneWidgets(n).picture; }
    // The point of pane n's 1200 x 900 photo in its middle, within a pixel.
    void ExpectCentre(int n, QPointF expected)
    {
        const QPointF c = ViewCentre(Image(n)->geometry(), win->paneWidgets(n).box->viewport()->size());
        EXPECT_NEAR(c.x(), expected.x(), 1.0 / 1200) << "pane " << n;
        EXPECT_NEAR(c.y(), expected.y(), 1.0 / 900) << "pane " << n;
    }
    void Drag(QPoint by, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(Image(1), Qt::LeftButton, modifiers, QPoint(300, 300));
        QTest::mouseMove(Image(1), QPoint(300, 300) + by);
        QTest::mouseRelease(Image(1), Qt::LeftButton, modifiers, QPoint(300, 300));
    }
    QStringList Listed() { return ListTexts(); }
    void Browse(const QString& folder)
    {
        browseAnswer = folder;
        QTest::mouseClick(Control(QStringLiteral("DirEdit"))->findChild<QToolButton*>(), Qt::LeftButton);
    }
    bool PinShown(int n) { return !win->paneWidgets(n).pinMark->isHidden(); }
};

TEST_F(SyncTest, SynchronizedPanesScaleDragAndWalkTogether)
{
    Start({Folder(QStringLiteral("burst"), 10, 1200, 900)});
    auto* button = Control<QToolButton>(QStringLiteral("ToolButton8"));
    Key(Qt::Key_S);
    ASSERT_TRUE(button->isChecked());
    // 8 scales all four; 1 brings each to 1:1 on the middle of its 1:8 picture.
    Key(Qt::Key_8);
    Key(Qt::Key_1);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(win->pane(n).PaneScale, 1) << n;
        ExpectCentre(n, {0.5, 0.5});
    }
    // A drag brings the four to the same point; Shift drags pane 1 alone.
    Drag({-120, 90});
    const QPointF dragged(0.5 + 120.0 / 1200, 0.5 - 90.0 / 900), alone(dragged.x() - 40.0 / 1200, dragged.y());
    for (int n = 1; n <= 4; ++n)
        ExpectCentre(n, dragged);
    Drag({40, 0}, Qt::ShiftModifier);
    // A walk keeps each pane's own point.
    Key(Qt::Key_Space);
    EXPECT_EQ(Names(), Entries({1, 2, 3, 4}));
    for (int n = 1; n <= 4; ++n)
        ExpectCentre(n, n == 1 ? alone : dragged);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(win->session().syncOn() || button->isChecked());
}

// R, Shift+R and W on synchronized panes keep each pane's place with the
// others, and the walk after them keeps them together.
TEST_F(SyncTest, ReloadAndOverlayKeepSynchronizedPanesInStep)
{
    Start({Folder(QStringLiteral("burst"), 10, 1200, 900)});
    Key(Qt::Key_S);
    Key(Qt::Key_8);
    Key(Qt::Key_1);
    Drag({-120, 90});
    const QPointF dragged(0.5 + 120.0 / 1200, 0.5 - 90.0 / 900);
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; } keys[] = {
        {Qt::Key_R, {}}, {Qt::Key_W, {}}, {Qt::Key_W, {}}, {Qt::Key_R, Qt::ShiftModifier}, {Qt::Key_Space, {}},
    };
    for (const auto& k : keys) {
        Key(k.key, k.modifiers);
        for (int n = 1; n <= 4; ++n)
            ExpectCentre(n, dragged);
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SyncTest, APinnedPaneKeepsItsFileWhileTheOthersWalk)
{
    Start({Folder(QStringLiteral("ten"), 10)});
    Key(Qt::Key_Right);   // pane 2
    Key(Qt::Key_A);
    EXPECT_EQ(QList<bool>({PinShown(1), PinShown(2), PinShown(3), PinShown(4)}), QList<bool>({false, true, false, false}));
    const struct { Qt::Key key; QStringList names; int selected; } steps[] = {
        {Qt::Key_Space, Entries({2, 1, 3, 4}), 4}, {Qt::Key_Backspace, Entries({0, 1, 2, 3}), 3},
        {Qt::Key_Backspace, Entries({0, 1, 2, 3}), 3}, {Qt::Key_J, Entries({0, 1, 2, 3}), 3},
        {Qt::Key_Space, Entries({4, 1, 5, 6}), 6}, {Qt::Key_End, Entries({7, 1, 8, 9}), 9},
        {Qt::Key_Home, Entries({0, 1, 2, 3}), 3},
    };
    for (const auto& step : steps) {
        Key(step.key);
        EXPECT_EQ(Names(), step.names);
        EXPECT_EQ(Selected(), step.selected);
    }
    // A on the pinned pane unpins it, and so does a folder change.
    Key(Qt::Key_A);
    EXPECT_EQ(win->session().panes().pinned(), 0);
    Key(Qt::Key_A);
    Browse(Folder(QStringLiteral("other"), 2, 64, 48, QStringLiteral("b_")));
    EXPECT_EQ(win->session().panes().pinned(), 0);
    EXPECT_FALSE(PinShown(2));
}

TEST_F(SyncTest, ThePanesWalkingBesideAPinnedLastPaneNeverShowItsFile)
{
    Start({Folder(QStringLiteral("eight"), 8)});
    ClickBox(4);
    Key(Qt::Key_A);
    const struct { Qt::Key key; QStringList names; } steps[] = {
        {Qt::Key_Space, Entries({1, 2, 4, 3})},     {Qt::Key_Backspace, Entries({0, 1, 2, 3})},
        {Qt::Key_Backspace, Entries({0, 1, 2, 3})}, {Qt::Key_End, Entries({5, 6, 7, 3})},
        {Qt::Key_Backspace, Entries({4, 5, 6, 3})}, {Qt::Key_Home, Entries({0, 1, 2, 3})},
    };
    for (const auto& step : steps) {
        Key(step.key);
        EXPECT_EQ(Names(), step.names) << "after " << QTest::toString(QKeySequence(step.key));
    }
}

TEST_F(SyncTest, MarkedFilesListsTheMarkedUntilTheListIsMadeAgain)
{
    const QString other = Folder(QStringLiteral("other"), 3, 64, 48, QStringLiteral("b_"));
    MarkStore otherMarks;
    otherMarks.SetMark(QStringLiteral("b_02.jpg"), MarkV);
    otherMarks.SaveMarks(other);
    Start({Folder(QStringLiteral("six"), 6)});
    auto* filter = Control<QComboBox>(QStringLiteral("FiltersList"));
    const auto chooseMarkedFiles = [filter] { filter->setCurrentIndex(2); emit filter->activated(2); };
    Key(Qt::Key_Right);   // pane 2: img_01
    Key(Qt::Key_V);
    Key(Qt::Key_Down);    // pane 4: img_03
    Key(Qt::Key_3, Qt::ControlModifier);
    chooseMarkedFiles();
    EXPECT_EQ(Listed(), Entries({1, 3}));
    // Walking works on the list; a mark removed keeps its file listed until
    // the list is made again.
    Key(Qt::Key_Home);
    EXPECT_EQ(Names(), Entries({1, 3, -1, -1}));
    Key(Qt::Key_Up);      // pane 2: img_03
    Key(Qt::Key_V);
    EXPECT_EQ(Listed(), Entries({1, 3}));
    chooseMarkedFiles();
    EXPECT_EQ(Listed(), Entries({1}));
    // Another folder is listed with its own marks.
    Browse(other);
    EXPECT_EQ(Listed(), QStringList({"b_02.jpg"}));
    EXPECT_EQ(NameIn(1), QStringLiteral("b_02.jpg"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

} // namespace

namespace {

// A synchronized walk shows the next photos around the same point: the
// parts decoded first hold what the panes then show.
TEST_F(SyncTest, PartsOfASynchronizedWalkHoldWhatThePanesShow)
{
    Start({Folder(QStringLiteral("large"), 6, 3000, 2000)});
    Key(Qt::Key_S);
    Key(Qt::Key_8);
    Key(Qt::Key_1);
    Drag(QPoint(-700, -400));
    DecodePipeline& pipeline = win->session().panes().pipeline();
    pipeline.lookAhead({});
    pipeline.waitForLookAhead();
    QCoreApplication::processEvents();
    pipeline.clearCache();
    const int before = pipeline.partCount();
    Key(Qt::Key_Space);
    EXPECT_GT(pipeline.partCount(), before);
    for (int n = 1; n <= 4; ++n) {
        const PaneState& state = win->pane(n);
        if (!state.isPart())
            continue;
        const QRect shown = Image(n)->geometry();
        const QRect seen = QRect(-shown.topLeft(), win->paneWidgets(n).box->viewport()->size()) & QRect(QPoint(), shown.size());
        EXPECT_TRUE(state.photo->part.contains(seen)) << "pane " << n;
    }
}

} // namespace
