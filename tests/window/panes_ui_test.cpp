// The four panes on the real window: loading good and bad files, the scale
// keys and the picture area's place in its box, the current pane's border
// and the arrow keys.
#include "window/panewidgets.h"
#include "window/mainwindowsandbox.h"
#include "jpegwriter.h"

#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

using namespace tetrafot;

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
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));
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
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));
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
    ASSERT_EQ(ListCount(), 5);
    ClickEntry(4);
    EXPECT_EQ(errors, QStringList{photos + QStringLiteral("/zz_broken.jpg: JPEG error #%1 (Not a JPEG file: starts with 0xff 0x00)")
                                              .arg(JERR_NO_SOI)});
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/img_00.jpg"));
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
    EXPECT_EQ(win->pane(1).PanePath, photos + QStringLiteral("/cut.jpg"));
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
    EXPECT_FALSE(Image(1)->stretch());
    EXPECT_FALSE(Box(1)->horizontalScrollBar()->isVisible());   // a small photo needs no bar
}

TEST_F(PaneTest, APhotoJustTallerThanTheBoxGetsBothBarsAndKeepsThem)
{
    // Too tall for the box, and too wide once the vertical bar takes its
    // room: both bars, decided once, not switched on and off by each other.
    const QString photos = Folder(QStringLiteral("photos"), 1);
    Start({photos});
    const QRect inner = Box(1)->contentsRect();
    const int extent = Box(1)->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Box(1));
    JpegSpec desc;
    desc.width = inner.width() - extent / 2;
    desc.height = inner.height() + 20;
    const QString tall = photos + QStringLiteral("/tall.jpg");
    ASSERT_TRUE(WriteJpeg(tall, desc));
    win->LoadPane(1, tall);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(Box(1)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Box(1)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const int left = (Box(1)->width() - desc.width) / 2;   // centred: the outer box is wider
    EXPECT_EQ(Box(1)->horizontalScrollBar()->maximum(), left + desc.width - (inner.width() - extent));
    EXPECT_EQ(Box(1)->verticalScrollBar()->maximum(), desc.height - (inner.height() - extent));
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
    ASSERT_EQ(win->session().currentPane(), 2);
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
    EXPECT_EQ(win->session().currentPane(), 3);
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
    Qt::KeyboardModifiers modifiers = {};   // the keypad's arrows with NumLock off
};

void PrintTo(const ArrowRow& r, std::ostream* os) { *os << r.from << " -> " << r.to; }

class ArrowTest : public PaneTest, public ::testing::WithParamInterface<ArrowRow> {};

TEST_P(ArrowTest, ArrowKeysFollowTheNeighbourTable)
{
    const ArrowRow row = GetParam();
    Start({Folder(QStringLiteral("photos"), 4)});
    ClickBox(row.from);
    ASSERT_EQ(win->session().currentPane(), row.from);
    Key(row.key, row.modifiers);
    EXPECT_EQ(win->session().currentPane(), row.to);
    EXPECT_EQ(Framed(), OnlyFramed(row.to));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArrowTest,
    ::testing::Values(ArrowRow{1, Qt::Key_Left, 2}, ArrowRow{1, Qt::Key_Right, 2}, ArrowRow{1, Qt::Key_Down, 3},
                      ArrowRow{1, Qt::Key_Up, 3}, ArrowRow{2, Qt::Key_Left, 1}, ArrowRow{2, Qt::Key_Right, 1},
                      ArrowRow{2, Qt::Key_Down, 4}, ArrowRow{2, Qt::Key_Up, 4}, ArrowRow{3, Qt::Key_Left, 4},
                      ArrowRow{3, Qt::Key_Right, 4}, ArrowRow{3, Qt::Key_Down, 1}, ArrowRow{3, Qt::Key_Up, 1},
                      ArrowRow{4, Qt::Key_Left, 3}, ArrowRow{4, Qt::Key_Right, 3}, ArrowRow{4, Qt::Key_Down, 2},
                      ArrowRow{4, Qt::Key_Up, 2}, ArrowRow{1, Qt::Key_Right, 2, Qt::KeypadModifier},
                      ArrowRow{2, Qt::Key_Down, 4, Qt::KeypadModifier}));

TEST_F(PaneTest, ClickOnABoxsEmptyAreaMakesItCurrentAndGivesItTheFocus)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    Key(Qt::Key_E);
    ClickBox(3);
    EXPECT_EQ(win->session().currentPane(), 3);
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
    EXPECT_EQ(win->session().currentPane(), 4);
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
    Key(Qt::Key_8);   // no picture: no scale
    EXPECT_EQ(StoredScale(1), 1);
    EXPECT_EQ(Names().mid(1), QStringList({"img_01.jpg", "img_02.jpg", "img_03.jpg"}));
}

// A stored scale code is read at every load; a hand-edited one that is no
// code counts as 1:1.
struct StoredCodeRow {
    const char* name;
    const char* stored;
    int code;
    QSize decoded;   // of a 64 x 48 photo
};

void PrintTo(const StoredCodeRow& r, std::ostream* os) { *os << r.name; }

class StoredScaleTest : public PaneTest, public ::testing::WithParamInterface<StoredCodeRow> {};

TEST_P(StoredScaleTest, LoadShowsThePhotoAtItsPanesStoredCode)
{
    const StoredCodeRow row = GetParam();
    WriteSettings(QByteArray("imagescale1=") + row.stored + "\r\n");
    Start({Folder(QStringLiteral("photos"), 2)});
    EXPECT_EQ(win->pane(1).PaneScale, row.code);
    EXPECT_EQ(Image(1)->image().size(), row.decoded);
    EXPECT_EQ(win->pane(2).PaneScale, 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Codes, StoredScaleTest,
                         ::testing::Values(StoredCodeRow{"Half", "2", 2, {32, 24}},
                                           StoredCodeRow{"Eighth", "3", 3, {8, 6}},
                                           StoredCodeRow{"Quarter", "4", 4, {16, 12}},
                                           StoredCodeRow{"Fit", "5", 5, {64, 48}},
                                           StoredCodeRow{"Blanks", " 4 ", 4, {16, 12}},
                                           StoredCodeRow{"Zero", "0", 1, {64, 48}},
                                           StoredCodeRow{"Six", "6", 1, {64, 48}},
                                           StoredCodeRow{"Text", "abc", 1, {64, 48}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaneTest, FitDecodesAtHalfOnlyWhenThePhotoExceedsMaxsize)
{
    WriteSettings("maxsize=100\r\n");
    const QString photos = tmp.filePath(QStringLiteral("photos"));
    QDir().mkpath(photos);
    WriteBytes(photos + QStringLiteral("/a.jpg"), Photo(100, 60));   // exactly the limit
    WriteBytes(photos + QStringLiteral("/b.jpg"), Photo(101, 60));   // one pixel more
    WriteBytes(photos + QStringLiteral("/c.jpg"), Photo(60, 101));
    Start({photos});
    const std::pair<int, QSize> expected[] = {{1, {100, 60}}, {2, {51, 30}}, {3, {30, 51}}};
    for (const auto& [pane, decoded] : expected) {
        ClickBox(pane);
        Key(Qt::Key_U);
        EXPECT_EQ(Image(pane)->image().size(), decoded) << "pane " << pane;
        // Fitting again keeps the scale: the rule looks at the full size.
        Key(Qt::Key_U);
        EXPECT_EQ(Image(pane)->image().size(), decoded) << "pane " << pane;
    }
    // From 1:8 too.
    ClickBox(2);
    Key(Qt::Key_8);
    Key(Qt::Key_U);
    EXPECT_EQ(Image(2)->image().size(), QSize(51, 30));
    // maxsize is read at start; a later change waits for the options dialog.
    win->store().writeValue(QStringLiteral("maxsize"), 2000);
    Key(Qt::Key_U);
    EXPECT_EQ(Image(2)->image().size(), QSize(51, 30));
}

TEST_F(PaneTest, ToolbarButtonsSetTheScales)
{
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    const std::pair<const char*, int> buttons[] = {
        {"ToolButton4", 3}, {"ToolButton1", 4}, {"ToolButton2", 2}, {"ToolButton3", 1}};
    for (const auto& [name, code] : buttons) {
        QTest::mouseClick(Control<QToolButton>(QString::fromLatin1(name)), Qt::LeftButton);
        EXPECT_EQ(StoredScale(1), code) << name;
    }
}

TEST_F(PaneTest, KeypadDigitsNeitherScaleNorMark)
{
    Start({Folder(QStringLiteral("photos"), 1, 100, 60)});
    Key(Qt::Key_8, Qt::KeypadModifier);
    Key(Qt::Key_2, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(StoredScale(1), 1);
    EXPECT_TRUE(win->app().Marks.empty());
    EXPECT_TRUE(Control(QStringLiteral("checkmark1"))->isHidden());
}

TEST_F(PaneTest, ArrowsMoveTheFrameWithoutScrollingTheFocusedBox)
{
    Start({Folder(QStringLiteral("photos"), 4, 1600, 1200)});
    ClickBox(1);
    ASSERT_EQ(QApplication::focusWidget(), Box(1));
    ASSERT_GT(Box(1)->horizontalScrollBar()->maximum(), 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    EXPECT_EQ(win->session().currentPane(), 4);
    EXPECT_EQ(Box(1)->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(Box(1)->verticalScrollBar()->value(), 0);
    EXPECT_EQ(Image(1)->pos(), QPoint(0, 0));
}

TEST_F(PaneTest, HoldingAKeyDownRunsItsCommandOnce)
{
    Start({Folder(QStringLiteral("photos"), 10)});
    // Auto-repeat sends releases while the key is held; only the last one counts.
    for (int i = 0; i < 3; ++i) {
        QTest::simulateEvent(win.get(), true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QTest::simulateEvent(win.get(), false, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    }
    EXPECT_EQ(NameIn(1), QStringLiteral("img_00.jpg"));
    QTest::keyRelease(win.get(), Qt::Key_Space);
    EXPECT_EQ(NameIn(1), QStringLiteral("img_01.jpg"));
}

TEST_F(PaneTest, ReadOnlyAndCompanionMarksShowAtLoad)
{
    WriteSettings("exts=crw;thm\r\nanyraw=-1\r\n");
    const QString photos = Folder(QStringLiteral("photos"), 4);
    // Companions found whatever the letter case of their extension.
    WriteBytes(photos + QStringLiteral("/img_00.CRW"), "raw");
    WriteBytes(photos + QStringLiteral("/img_02.thm"), "thumb");
    ASSERT_TRUE(QFile::setPermissions(photos + QStringLiteral("/img_01.jpg"),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    Start({photos});
    std::vector<bool> raw, readOnly;
    for (int n = 1; n <= 4; ++n) {
        raw.push_back(!Control(QStringLiteral("rawmark%1").arg(n))->isHidden());
        readOnly.push_back(!Control(QStringLiteral("promark%1").arg(n))->isHidden());
    }
    EXPECT_EQ(raw, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(readOnly, (std::vector<bool>{false, true, false, false}));
}

TEST_F(PaneTest, ResizingThePanesLeavesTheAreaUntilTheNextScale)
{
    Start({Folder(QStringLiteral("photos"), 4, 64, 32)});
    ClickBox(2);
    Key(Qt::Key_U);
    const QRect fitted = Image(2)->geometry();
    const QRect centred = Image(1)->geometry();
    Key(Qt::Key_L);   // the right column grows by the list's width
    ClickBox(1);
    Key(Qt::Key_E);   // pane 1's box shrinks by its metadata panel
    ASSERT_GT(Box(2)->width(), fitted.width());
    EXPECT_EQ(Image(2)->geometry(), fitted);
    EXPECT_EQ(Image(1)->geometry(), centred);
    ClickBox(2);
    Key(Qt::Key_U);
    EXPECT_EQ(Image(2)->width(), Box(2)->width());
}

TEST_F(PaneTest, AScrollPositionBeyondTheNewExtentComesBackToTheEdge)
{
    Start({Folder(QStringLiteral("photos"), 1, 1600, 1200)});
    QScrollBar* bar = Box(1)->horizontalScrollBar();
    bar->setValue(bar->maximum());   // as dragging the bar to the right end
    ASSERT_EQ(Image(1)->x(), -bar->maximum());
    const int viewport = Box(1)->viewport()->width();
    Key(Qt::Key_2);   // 800 x 600
    ASSERT_LT(viewport, 800);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(Image(1)->x() + 800, Box(1)->viewport()->width());   // the right edges meet
    Key(Qt::Key_8);   // 200 x 150: centred, nothing to scroll
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(Image(1)->x(), (Box(1)->width() - 200) / 2);
}

TEST_F(PaneTest, NumpadStepsFromAFittedPhotoGoToTheNeighbouringFixedScales)
{
    // 1600 x 1200 fitted into the box lies between 1:8 (200 x 150) and 1:4 (400 x 300).
    Start({Folder(QStringLiteral("photos"), 1, 1600, 1200)});
    Key(Qt::Key_U);
    const QSize fitted = Image(1)->size();
    ASSERT_TRUE(fitted.width() > 200 && fitted.width() < 400 && fitted.height() > 150 && fitted.height() < 300)
        << "the box is not between the two scales: " << fitted.width() << "x" << fitted.height();
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(StoredScale(1), 4);
    EXPECT_EQ(Image(1)->size(), QSize(400, 300));
    Key(Qt::Key_U);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(StoredScale(1), 3);
    EXPECT_EQ(Image(1)->size(), QSize(200, 150));
    // With the overlay on, the steps work alike and the overlay is painted again.
    Key(Qt::Key_U);
    Key(Qt::Key_W);
    ASSERT_TRUE(win->pane(1).OverlayOn);
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(StoredScale(1), 4);
    EXPECT_EQ(Image(1)->size(), QSize(400, 300));
    EXPECT_TRUE(win->pane(1).OverlayOn);
}

TEST_F(PaneTest, PanesOfTheFirstFillHoldFullPathsAsTheirLabelsShow)
{
    const QString photos = Folder(QStringLiteral("photos"), 2);
    Start({photos});
    EXPECT_EQ(win->pane(2).PanePath, photos + QStringLiteral("/img_01.jpg"));
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl2"))->text(), photos + QStringLiteral("/img_01.jpg"));
}

TEST_F(PaneTest, ADamagedFileIsReportedOncePerVisitAndLeavesThePaneAsItWas)
{
    const QString photos = Folder(QStringLiteral("photos"), 6);
    WriteBytes(photos + QStringLiteral("/img_04.jpg"), "not a photo");
    Start({photos});
    const QImage before = Image(4)->image();
    Key(Qt::Key_Space);   // pane 4 is to get img_04.jpg
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("img_04.jpg"))) << errors[0].toStdString();
    // Picture, label and path still agree on the file shown before.
    EXPECT_EQ(win->pane(4).PanePath, photos + QStringLiteral("/img_03.jpg"));
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl4"))->text(), photos + QStringLiteral("/img_03.jpg"));
    EXPECT_EQ(Image(4)->image(), before);
    // Walking past it again in the same visit shows no new box; R does.
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Space);
    EXPECT_EQ(errors.size(), 1);
    ClickEntry(4);
    EXPECT_EQ(errors.size(), 1);
}

} // namespace

namespace {

// A large photo comes first as the part its pane shows; the whole follows
// into the same place. A photo whose end fails to decode is reported once
// and leaves its pane as before, as a failed load does.
TEST_F(PaneTest, LargePhotosShowTheirSeenPartFirstAndTheWholeFollows)
{
    const QString folder = tmp.filePath(QStringLiteral("large"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray big = Photo(3000, 2000);
    const QByteArray badEnd = WithFrameAfterScan(big);   // only a whole decode reaches its fault
    WriteBytes(folder + QStringLiteral("/a.jpg"), big);
    WriteBytes(folder + QStringLiteral("/b.jpg"), badEnd);
    Start({folder});
    EXPECT_GE(win->session().panes().pipeline().partCount(), 2);
    const bool done = QTest::qWaitFor([&] { return !win->pane(1).isPart() && !win->pane(2).isPart(); }, 10000);
    ASSERT_TRUE(done) << win->pane(1).isPart() << win->pane(2).isPart() << " " << errors.size() << " " << win->pane(1).PanePath.toStdString() << " " << win->pane(2).PanePath.toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(Image(1)->image().size(), QSize(3000, 2000));
    EXPECT_FALSE(Image(1)->isPart());
    ASSERT_EQ(errors.size(), 1) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("b.jpg: JPEG error"))) << errors[0].toStdString();
    EXPECT_TRUE(win->pane(2).PanePath.isEmpty());
    EXPECT_TRUE(Image(2)->image().isNull());

    // A part is drawn where it lies; the rest is the background, never
    // pixels of another picture.
    PictureArea area(QStringLiteral("part"), 1);
    area.resize(100, 80);
    QImage part(10, 10, QImage::Format_RGB888);
    part.fill(Qt::red);
    area.setPart(part, QRect(20, 30, 10, 10), QSize(100, 80));
    const QImage drawn = area.grab().toImage();
    EXPECT_EQ(area.drawnRect(), QRect(0, 0, 100, 80));
    EXPECT_EQ(drawn.pixelColor(25, 35), QColor(Qt::red));
    EXPECT_NE(drawn.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_NE(drawn.pixelColor(31, 35), QColor(Qt::red));
}

} // namespace
