// The four panes on the real window: loading good and bad files, the scale
// keys and the picture area's place in its box, the current pane's border
// and the arrow keys.
#include "app/panewidgets.h"
#include "support/mainwindowsandbox.h"
#include "jpegwriter.h"

#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

using uitest::Photo;
using uitest::WriteBytes;

class PaneTest : public uitest::MainWindowTest {
protected:
    PictureArea* Image(int n) { return Control<PictureArea>(QStringLiteral("Image%1").arg(n)); }
    ScrollBoxWidget* Box(int n) { return Control<ScrollBoxWidget>(QStringLiteral("ScrollBox%1").arg(n)); }
    int StoredScale(int n) { return win->store().intValue(QStringLiteral("imagescale%1").arg(n), -1); }
    // Which panes have the current pane's frame.
    std::vector<bool> Framed()
    {
        std::vector<bool> framed;
        for (int n = 1; n <= 4; ++n)
            framed.push_back(Box(n)->frameWidth() == 2);
        return framed;
    }
    static std::vector<bool> OnlyFramed(int n)
    {
        std::vector<bool> framed(4, false);
        framed[n - 1] = true;
        return framed;
    }
};

TEST_F(PaneTest, LoadingAMissingFileChangesNothing)
{
    const QString photos = Folder(QStringLiteral("photos"), 2);
    Start({photos});
    const QImage before = Image(1)->image();
    win->LoadPane(1, photos + QStringLiteral("/nothing.jpg"));
    win->LoadPane(3, photos + QStringLiteral("/nothing.jpg"));
    EXPECT_EQ(win->pane(1).PanePath, QStringLiteral("img_00.jpg"));
    EXPECT_EQ(Image(1)->image(), before);
    EXPECT_TRUE(win->pane(3).PanePath.isEmpty());
    EXPECT_FALSE(win->pane(3).hasPicture());
    EXPECT_EQ(win->pane(3).PaneScale, 0);   // not even the scale code was read
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PaneTest, UnknownExtensionIsReportedAndThePaneKeepsItsFile)
{
    const QString photos = Folder(QStringLiteral("photos"), 1, 100, 60);
    WriteBytes(photos + QStringLiteral("/looks.png"), Photo(64, 48));   // a JPEG under another name
    Start({photos});
    const QImage before = Image(1)->image();
    const QString label = Control<QLabel>(QStringLiteral("lbl1"))->text();

    win->LoadPane(1, photos + QStringLiteral("/looks.png"));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Unknown picture file extension (.png)")});
    EXPECT_EQ(win->pane(1).PanePath, QStringLiteral("img_00.jpg"));
    EXPECT_EQ(Image(1)->image(), before);
    EXPECT_EQ(Image(1)->size(), QSize(100, 60));
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl1"))->text(), label);
}

TEST_F(PaneTest, CorruptJpegIsReportedByTheDecodersNumberAndThePaneKeepsItsFile)
{
    const QString photos = Folder(QStringLiteral("photos"), 4, 100, 60);
    WriteBytes(photos + QStringLiteral("/zz_broken.jpg"), CorruptAt(Photo(64, 48), 1, 0x00));   // no SOI
    Start({photos});
    ASSERT_TRUE(errors.isEmpty());
    const QImage before = Image(1)->image();
    const QRect area = Image(1)->geometry();
    const QString label = Control<QLabel>(QStringLiteral("lbl1"))->text();

    // A click on the broken file's entry loads it into the current pane.
    auto* list = Control<QListWidget>(QStringLiteral("FilesList"));
    ASSERT_EQ(list->count(), 5);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(4)).center());
    EXPECT_EQ(errors, QStringList{QStringLiteral("JPEG error #%1").arg(JERR_NO_SOI)});
    EXPECT_EQ(win->pane(1).PanePath, QStringLiteral("img_00.jpg"));
    EXPECT_EQ(Image(1)->image(), before);
    EXPECT_EQ(Image(1)->geometry(), area);
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl1"))->text(), label);
}

TEST_F(PaneTest, TruncatedJpegStillLoads)
{
    const QString photos = Folder(QStringLiteral("photos"), 1);
    const QByteArray good = Photo(96, 64, 7);
    WriteBytes(photos + QStringLiteral("/cut.jpg"), Truncate(good, good.size() * 6 / 10));
    Start({photos});   // "cut.jpg" sorts first: pane 1
    EXPECT_EQ(win->pane(1).PanePath, QStringLiteral("cut.jpg"));
    EXPECT_EQ(Image(1)->image().size(), QSize(96, 64));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// The digit keys set the current pane's scale: the decoded size at that
// scale, the code kept in the pane's imagescale value, and the picture area
// centred in the box's outer size.
struct ScaleRow {
    Qt::Key key;
    int code;
    QSize decoded;   // of a 100 x 60 photo
};

void PrintTo(const ScaleRow& r, std::ostream* os) { *os << "code " << r.code; }

class ScaleKeyTest : public PaneTest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(ScaleKeyTest, DecodesAtTheScaleAndCentresTheArea)
{
    const ScaleRow row = GetParam();
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    ClickBox(1);
    Key(row.key);
    EXPECT_EQ(StoredScale(1), row.code);
    EXPECT_EQ(win->pane(1).PaneScale, row.code);
    EXPECT_EQ(Image(1)->image().size(), row.decoded);
    const QSize box = Box(1)->size();
    EXPECT_EQ(Image(1)->geometry(), QRect((box.width() - row.decoded.width()) / 2,
                                          (box.height() - row.decoded.height()) / 2, row.decoded.width(),
                                          row.decoded.height()));
    EXPECT_FALSE(Image(1)->stretch());
    EXPECT_FALSE(Box(1)->horizontalScrollBar()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, ScaleKeyTest,
                         ::testing::Values(ScaleRow{Qt::Key_1, 1, {100, 60}}, ScaleRow{Qt::Key_2, 2, {50, 30}},
                                           ScaleRow{Qt::Key_4, 4, {25, 15}},
                                           // 100/8 and 60/8 round up
                                           ScaleRow{Qt::Key_8, 3, {13, 8}}));

TEST_F(PaneTest, ScaleKeysAfterEachOtherStartFromTheDecodedPhotoEachTime)
{
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    for (auto [key, size] : {std::pair{Qt::Key_8, QSize(13, 8)}, std::pair{Qt::Key_1, QSize(100, 60)},
                             std::pair{Qt::Key_4, QSize(25, 15)}, std::pair{Qt::Key_2, QSize(50, 30)}}) {
        Key(key);
        EXPECT_EQ(Image(1)->size(), size);
    }
}

TEST_F(PaneTest, FitFillsTheBoxWidthOfAWidePhotoAndDisablesTheScrollBars)
{
    // 64 wide: box width / 64 is exact in binary, so the fitted width is the
    // box's and the height half of it, truncated.
    Start({Folder(QStringLiteral("photos"), 1, 64, 32)});
    Key(Qt::Key_U);
    const QSize box = Box(1)->size();
    ASSERT_GE(box.height() * 2, box.width()) << "the test needs a box that is at least half as high as wide";
    EXPECT_EQ(StoredScale(1), 5);
    EXPECT_EQ(Image(1)->image().size(), QSize(64, 32));   // decoded at 1/1, stretched
    EXPECT_TRUE(Image(1)->stretch());
    EXPECT_EQ(Image(1)->geometry(), QRect(0, (box.height() - box.width() / 2) / 2, box.width(), box.width() / 2));
    EXPECT_EQ(Box(1)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Box(1)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // The next file in this pane comes up fitted too.
    Key(Qt::Key_1);
    EXPECT_EQ(Image(1)->geometry().size(), QSize(64, 32));
    EXPECT_EQ(Box(1)->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(PaneTest, APhotoLargerThanTheBoxStartsTopLeftAndScrolls)
{
    Start({Folder(QStringLiteral("photos"), 1, 1600, 1200)});
    ASSERT_LT(Box(1)->width(), 1600);
    EXPECT_EQ(Image(1)->geometry(), QRect(0, 0, 1600, 1200));
    EXPECT_TRUE(Box(1)->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Box(1)->verticalScrollBar()->isVisible());
    EXPECT_GT(Box(1)->horizontalScrollBar()->maximum(), 0);
}

TEST_F(PaneTest, ScaleKeyOnAnEmptyPaneStoresNothing)
{
    WriteSettings("imagescale2=4\r\n");
    Start({Folder(QStringLiteral("photos"), 1)});
    Key(Qt::Key_Right);
    ASSERT_EQ(win->CurrentPane(), 2);
    for (Qt::Key key : {Qt::Key_8, Qt::Key_1, Qt::Key_U, Qt::Key_2})
        Key(key);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(StoredScale(2), 4);
    EXPECT_EQ(win->pane(2).PaneScale, 0);
    EXPECT_EQ(Image(2)->size(), QSize(0, 0));
}

// Numpad + and - walk 1:8, 1:4, 1:2, 1:1 and stop at either end.
struct StepRow {
    Qt::Key setKey;   // the scale before
    Qt::Key step;     // Plus or Minus
    int expectedCode;
};

void PrintTo(const StepRow& r, std::ostream* os) { *os << (r.step == Qt::Key_Plus ? "+" : "-") << " -> " << r.expectedCode; }

class ZoomStepTest : public PaneTest, public ::testing::WithParamInterface<StepRow> {};

TEST_P(ZoomStepTest, NumpadKeysStepThroughTheFixedScales)
{
    const StepRow row = GetParam();
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    Key(row.setKey);
    Key(row.step, Qt::KeypadModifier);
    EXPECT_EQ(StoredScale(1), row.expectedCode);
    EXPECT_EQ(win->pane(1).PaneScale, row.expectedCode);
}

INSTANTIATE_TEST_SUITE_P(Steps, ZoomStepTest,
                         ::testing::Values(StepRow{Qt::Key_2, Qt::Key_Plus, 1}, StepRow{Qt::Key_1, Qt::Key_Plus, 1},
                                           StepRow{Qt::Key_8, Qt::Key_Plus, 4}, StepRow{Qt::Key_4, Qt::Key_Plus, 2},
                                           StepRow{Qt::Key_1, Qt::Key_Minus, 2}, StepRow{Qt::Key_2, Qt::Key_Minus, 4},
                                           StepRow{Qt::Key_4, Qt::Key_Minus, 3}, StepRow{Qt::Key_8, Qt::Key_Minus, 3}));

TEST_F(PaneTest, PlusAndMinusOfTheMainKeyboardAreNoZoomKeys)
{
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    Key(Qt::Key_2);
    Key(Qt::Key_Plus);
    Key(Qt::Key_Minus);
    EXPECT_EQ(StoredScale(1), 2);
}

TEST_F(PaneTest, SelectPaneMovesTheFrameAndTheMetadataButtonFollowsThePanel)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    auto* button = Control<QToolButton>(QStringLiteral("ToolButton5"));
    EXPECT_EQ(Framed(), OnlyFramed(1));
    Key(Qt::Key_E);   // pane 1's metadata panel opens
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(Control(QStringLiteral("ExPan1"))->width(), 150);

    Key(Qt::Key_Down);
    EXPECT_EQ(win->CurrentPane(), 3);
    EXPECT_EQ(Framed(), OnlyFramed(3));
    EXPECT_FALSE(button->isChecked());

    Key(Qt::Key_Up);
    EXPECT_EQ(Framed(), OnlyFramed(1));
    EXPECT_TRUE(button->isChecked());
    // The arrows move the frame, not the keyboard focus, and do not scroll.
    EXPECT_NE(QApplication::focusWidget(), Box(3));
}

// From each pane, where each arrow leads.
struct ArrowRow {
    int from;
    Qt::Key key;
    int to;
};

void PrintTo(const ArrowRow& r, std::ostream* os) { *os << r.from << " -> " << r.to; }

class ArrowTest : public PaneTest, public ::testing::WithParamInterface<ArrowRow> {};

TEST_P(ArrowTest, ArrowKeysFollowTheNeighbourTable)
{
    const ArrowRow row = GetParam();
    Start({Folder(QStringLiteral("photos"), 4)});
    ClickBox(row.from);
    ASSERT_EQ(win->CurrentPane(), row.from);
    Key(row.key);
    EXPECT_EQ(win->CurrentPane(), row.to);
    EXPECT_EQ(Framed(), OnlyFramed(row.to));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArrowTest,
    ::testing::Values(ArrowRow{1, Qt::Key_Left, 2}, ArrowRow{1, Qt::Key_Right, 2}, ArrowRow{1, Qt::Key_Down, 3},
                      ArrowRow{1, Qt::Key_Up, 3}, ArrowRow{2, Qt::Key_Left, 1}, ArrowRow{2, Qt::Key_Right, 1},
                      ArrowRow{2, Qt::Key_Down, 4}, ArrowRow{2, Qt::Key_Up, 4}, ArrowRow{3, Qt::Key_Left, 4},
                      ArrowRow{3, Qt::Key_Right, 4}, ArrowRow{3, Qt::Key_Down, 1}, ArrowRow{3, Qt::Key_Up, 1},
                      ArrowRow{4, Qt::Key_Left, 3}, ArrowRow{4, Qt::Key_Right, 3}, ArrowRow{4, Qt::Key_Down, 2},
                      ArrowRow{4, Qt::Key_Up, 2}));

TEST_F(PaneTest, ClickOnABoxsEmptyAreaMakesItCurrentAndGivesItTheFocus)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    Key(Qt::Key_E);
    ClickBox(3);
    EXPECT_EQ(win->CurrentPane(), 3);
    EXPECT_EQ(Framed(), OnlyFramed(3));
    EXPECT_EQ(QApplication::focusWidget(), Box(3));
    EXPECT_FALSE(Control<QToolButton>(QStringLiteral("ToolButton5"))->isChecked());
    // The picture area keeps its place: a frame that comes or goes does not
    // change the box's outer size.
    const QRect before = Image(3)->geometry();
    ClickBox(4);
    EXPECT_EQ(Image(3)->geometry(), before);
}

TEST_F(PaneTest, ClickOnAPictureMakesItsPaneCurrent)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    QTest::mouseClick(Image(4), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(win->CurrentPane(), 4);
    EXPECT_EQ(Framed(), OnlyFramed(4));
    EXPECT_EQ(QApplication::focusWidget(), Box(4));
}

TEST_F(PaneTest, XClearsTheCurrentPaneButKeepsItsListing)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos});
    Key(Qt::Key_X);
    EXPECT_TRUE(win->pane(1).PanePath.isEmpty());
    EXPECT_TRUE(Image(1)->image().isNull());
    EXPECT_TRUE(Control<QLabel>(QStringLiteral("lbl1"))->text().isEmpty());
    EXPECT_EQ(win->pane(1).PaneScale, 1);
    EXPECT_EQ(Names().mid(1), QStringList({"img_01.jpg", "img_02.jpg", "img_03.jpg"}));
}

} // namespace
