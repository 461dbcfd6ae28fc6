// The main window's start and end, driven on the real window: the settings
// file written at the first folder change, the first start's even split,
// where the window starts, and what closing and destroying save.
#include "window/mainwindowsandbox.h"

#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <utility>

namespace {

using uitest::IniKeys;
using uitest::IniValue;

class StartupTest : public uitest::MainWindowTest {};

// The screen the window fills, and the picture area that is left of it:
// below the 29-pixel top bar, right of the 175-wide file list and its
// 3-wide splitter.
struct Geometry {
    int screenW, screenH, mainW, mainH;
};

Geometry ScreenGeometry()
{
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    return {s.width(), s.height(), s.width() - 175 - 3, s.height() - 29};
}

TEST_F(StartupTest, FreshSettingsFileIsWrittenWholeAtTheFirstFolderChange)
{
    const QString photos = Folder(QStringLiteral("photos"), 5);
    ASSERT_FALSE(QFileInfo::exists(ini));
    Start({photos}, /*show=*/false);

    // Written by the folder change of start-up, before anything is shown.
    ASSERT_TRUE(QFileInfo::exists(ini));
    const Geometry g = ScreenGeometry();
    const QString face = QStringLiteral("-2147483633");
    const int ppi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    const std::vector<std::pair<QString, QString>> expected = {
        {"FormVersion", "0"}, {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", QString::number(ppi)},
        {"MinMaxPos", "0,0,0,0"},
        {"NormPos", QStringLiteral("0,0,%1,%2").arg(g.screenW).arg(g.screenH)},
        {"Visible", "0"},
        {"LeftPanel_Width", "175"},
        // The even split of the first start; the bottom row takes the rest less the 3-pixel splitter.
        {"PanelBottom_Height", QString::number(g.mainH - g.mainH / 2 - 3)},
        {"PanelBottomLeft_Width", QString::number(g.mainW / 2)},
        {"PanelTop_Height", QString::number(g.mainH / 2)},
        {"PanelTopLeft_Width", QString::number(g.mainW / 2)},
        {"ScrollBox1_Color", face}, {"Splitter3_Color", face}, {"ScrollBox2_Color", face},
        {"ScrollBox3_Color", face}, {"ScrollBox4_Color", face}, {"Splitter1_Color", face},
        {"Splitter5_Color", face}, {"Splitter4_Color", face}, {"ToolBar1_Color", face},
        {"TopPanel_Color", face}, {"Panel1_Color", face}, {"Panel4_Color", face},
        {"PanelBottomLeft_Color", face}, {"PanelBottomRight_Color", face}, {"PanelTopLeft_Color", face},
        {"PanelTopRight_Color", face},
        {"ExPan1_Width", "1"}, {"ExPan2_Width", "1"}, {"ExPan3_Width", "1"}, {"ExPan4_Width", "1"},
        {"DirAndExitPanel_Color", face}, {"TopPanel_Visible", "True"}, {"showflist_Down", "True"},
        // Saved before the panes were filled, so the strips still stand as built.
        {"comment1_Visible", "True"}, {"comment2_Visible", "True"}, {"comment3_Visible", "True"},
        {"comment4_Visible", "True"},
        {"imagescale1", "1"}, {"imagescale2", "1"}, {"imagescale3", "1"}, {"imagescale4", "1"},
        {"expanwidth1", "150"}, {"expanwidth2", "150"}, {"expanwidth3", "150"}, {"expanwidth4", "150"},
        {"flistwidth", "150"}, {"curdir", photos}, {"toolP", ""}, {"toolN", ""}, {"Pattern", "%c"},
        {"OverExpColor", "0"}, {"UnderExpColor", "16777215"}, {"UnderExpMode", "2"}, {"OverExpMode", "1"},
        {"exts", ""}, {"rawprefix", ""}, {"rawsuffix", ""}, {"anyraw", "0"}, {"maxsize", "2000"},
        {"language", "ru"}, {"exifrotate", "0"}, {"smoothscale", "0"},
    };
    ASSERT_EQ(expected.size(), 7u + 32u + 25u);
    QStringList expectedKeys;
    for (const auto& [key, value] : expected)
        expectedKeys << key;
    EXPECT_EQ(IniKeys(ini), expectedKeys);
    for (const auto& [key, value] : expected)
        EXPECT_EQ(IniValue(ini, key), value) << key.toStdString();
    // The file holds one section and nothing else.
    EXPECT_TRUE(uitest::ReadBytes(ini).startsWith("[TfrmMain]"));
}

TEST_F(StartupTest, FirstStartSplitsThePicturesEvenlyAndShowsTheFileList)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    const Geometry g = ScreenGeometry();
    auto* mainPanel = Control(QStringLiteral("MainPanel"));
    ASSERT_EQ(mainPanel->size(), QSize(g.mainW, g.mainH));
    EXPECT_EQ(Control(QStringLiteral("PanelTop"))->height(), g.mainH / 2);
    EXPECT_EQ(Control(QStringLiteral("PanelTopLeft"))->width(), g.mainW / 2);
    EXPECT_EQ(Control(QStringLiteral("PanelBottomLeft"))->width(), g.mainW / 2);
    EXPECT_EQ(Control(QStringLiteral("PanelBottom"))->height(), g.mainH - g.mainH / 2 - 3);
    EXPECT_EQ(Control(QStringLiteral("PanelTopRight"))->width(), g.mainW - g.mainW / 2 - 7);
    EXPECT_EQ(Control(QStringLiteral("LeftPanel"))->width(), 175);
    EXPECT_TRUE(Control<QToolButton>(QStringLiteral("showflist"))->isChecked());
    EXPECT_EQ(win->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(StartupTest, AStoredLayoutIsKeptAndNotSplit)
{
    WriteSettings("PanelTop_Height=100\r\nPanelTopLeft_Width=150\r\nPanelBottomLeft_Width=400\r\n");
    Start({Folder(QStringLiteral("photos"), 4)});
    EXPECT_EQ(Control(QStringLiteral("PanelTop"))->height(), 100);
    EXPECT_EQ(Control(QStringLiteral("PanelTopLeft"))->width(), 150);
    EXPECT_EQ(Control(QStringLiteral("PanelBottomLeft"))->width(), 400);
}

// Where the window starts, by its first argument.
enum class StartArg { Folder, File, WorkingDirSwitch, UpperCaseSwitch, None, NoneNoStored, Missing, StoredGone };

struct StartCase {
    const char* name;
    StartArg arg;
    const char* expectedFolder;   // "arg", "stored" or "cwd"
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartFolderTest : public uitest::MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartFolderTest, ListsTheFolderAndFillsThePanesFromIt)
{
    const StartCase c = GetParam();
    const QString argFolder = Folder(QStringLiteral("arg"), 6, 64, 48, QStringLiteral("arg_"));
    const QString stored = Folder(QStringLiteral("stored"), 4, 64, 48, QStringLiteral("sto_"));
    const QString cwd = Folder(QStringLiteral("cwd"), 4, 64, 48, QStringLiteral("cwd_"));
    ASSERT_TRUE(QDir::setCurrent(cwd));
    if (c.arg == StartArg::StoredGone)
        WriteSettings("curdir=" + tmp.filePath(QStringLiteral("gone")).toLocal8Bit() + "\r\n");
    else if (c.arg != StartArg::NoneNoStored)
        WriteSettings("curdir=" + stored.toLocal8Bit() + "\r\n");

    QStringList args;
    switch (c.arg) {
    case StartArg::Folder: args << argFolder; break;
    case StartArg::File: args << argFolder + QStringLiteral("/arg_04.jpg"); break;
    case StartArg::WorkingDirSwitch: args << QStringLiteral("-d"); break;
    case StartArg::UpperCaseSwitch: args << QStringLiteral("-D"); break;
    case StartArg::Missing: args << tmp.filePath(QStringLiteral("gone")); break;
    case StartArg::None:
    case StartArg::NoneNoStored:
    case StartArg::StoredGone: break;
    }
    Start(args);

    const QString expected = QByteArray(c.expectedFolder) == "arg" ? argFolder
        : QByteArray(c.expectedFolder) == "stored"                 ? stored
                                                                   : cwd;
    const QString prefix = QByteArray(c.expectedFolder) == "arg" ? QStringLiteral("arg_")
        : QByteArray(c.expectedFolder) == "stored"               ? QStringLiteral("sto_")
                                                                 : QStringLiteral("cwd_");
    EXPECT_EQ(Control<QLineEdit>(QStringLiteral("DirEdit"))->text(), expected);
    EXPECT_EQ(win->app().CurrentFolder, expected);
    EXPECT_EQ(QDir::currentPath(), expected);   // listing a folder enters it
    // A stored folder that has gone stays stored until the user picks another.
    const bool gone = c.arg == StartArg::StoredGone;
    const QString goneFolder = tmp.filePath(QStringLiteral("gone"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("curdir")), gone ? goneFolder : expected);
    // The first four files; a file named comes first, the files after it
    // beside it, and the panes past the end of the list stay empty.
    if (c.arg == StartArg::File) {
        EXPECT_EQ(Names(), QStringList({prefix + "04.jpg", prefix + "05.jpg", "", ""}));
        EXPECT_EQ(Selected(), 5);
    } else {
        EXPECT_EQ(Names(), QStringList({prefix + "00.jpg", prefix + "01.jpg", prefix + "02.jpg", prefix + "03.jpg"}));
        EXPECT_EQ(Selected(), 3);
    }
    if (gone)
        EXPECT_EQ(errors, QStringList{QStringLiteral("Не удаётся открыть папку \"%1\": папка не существует.").arg(goneFolder)});
    else
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartFolderTest,
    ::testing::Values(StartCase{"FolderArgument", StartArg::Folder, "arg"},
                      StartCase{"FileArgumentGivesItsFolder", StartArg::File, "arg"},
                      StartCase{"DashDIsTheWorkingDirectory", StartArg::WorkingDirSwitch, "cwd"},
                      StartCase{"DashUpperDIsAPathThatDoesNotExist", StartArg::UpperCaseSwitch, "stored"},
                      StartCase{"NoArgumentGivesTheStoredFolder", StartArg::None, "stored"},
                      StartCase{"NoArgumentNoStoredFolderGivesTheWorkingDirectory", StartArg::NoneNoStored, "cwd"},
                      StartCase{"MissingPathGivesTheStoredFolder", StartArg::Missing, "stored"},
                      StartCase{"StoredFolderGoneIsReportedAndTheWorkingDirectoryShown", StartArg::StoredGone, "cwd"}),
    [](const auto& info) { return std::string(info.param.name); });

class ShutdownTest : public uitest::MainWindowTest {};

TEST_F(ShutdownTest, QClosesTheWindowAndSavesWhatChanged)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    Key(Qt::Key_L);   // the file list goes: its width is a stored property
    ASSERT_EQ(Control(QStringLiteral("LeftPanel"))->width(), 1);
    EXPECT_EQ(IniValue(ini, QStringLiteral("LeftPanel_Width")), QStringLiteral("175"));   // memory only so far

    Key(Qt::Key_Q);
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(IniValue(ini, QStringLiteral("LeftPanel_Width")), QStringLiteral("1"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("flistwidth")), QStringLiteral("175"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("showflist_Down")), QStringLiteral("False"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("Visible")), QStringLiteral("0"));

    // Saved at close, so the end writes nothing more.
    Destroy();
    EXPECT_EQ(IniValue(ini, QStringLiteral("Visible")), QStringLiteral("0"));
}

TEST_F(ShutdownTest, ExitButtonClosesAndSaves)
{
    Start({Folder(QStringLiteral("photos"), 4)});
    Key(Qt::Key_L);
    QTest::mouseClick(Control(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(IniValue(ini, QStringLiteral("LeftPanel_Width")), QStringLiteral("1"));
}

// The save at destruction runs only when nothing was saved since the last
// restore, and it is the one that writes Visible=1.
struct DestroyCase {
    const char* name;
    bool show;          // showing restores once more
    bool closeFirst;    // closing saves
    const char* visible;
};

void PrintTo(const DestroyCase& c, std::ostream* os) { *os << c.name; }

class DestroySaveTest : public uitest::MainWindowTest, public ::testing::WithParamInterface<DestroyCase> {};

TEST_P(DestroySaveTest, WritesVisibleOneOnlyWhenNothingWasSavedSinceTheLastRestore)
{
    const DestroyCase c = GetParam();
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos}, c.show);
    // A change in memory that only a save brings to the file.
    win->store().writeValue(QStringLiteral("toolP"), QStringLiteral("viewer %f"));
    if (c.closeFirst)
        win->close();
    Destroy();
    EXPECT_EQ(IniValue(ini, QStringLiteral("Visible")), QString::fromLatin1(c.visible));
    const bool saved = c.closeFirst || QByteArray(c.visible) == "1";
    EXPECT_EQ(IniValue(ini, QStringLiteral("toolP")), saved ? QStringLiteral("viewer %f") : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, DestroySaveTest,
    ::testing::Values(
        // Start-up's folder change saved after the restore of FormCreate.
        DestroyCase{"NeverShown", false, false, "0"},
        // The first show restored again; nothing saved since.
        DestroyCase{"ShownThenDestroyed", true, false, "1"},
        DestroyCase{"ShownClosedThenDestroyed", true, true, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShutdownTest, ARestartReadsWhatTheLastRunSaved)
{
    const QString photos = Folder(QStringLiteral("photos"), 4);
    Start({photos});
    Key(Qt::Key_T);
    Key(Qt::Key_8);
    Key(Qt::Key_Q);
    Destroy();
    Start({});
    EXPECT_TRUE(Control(QStringLiteral("TopPanel"))->isHidden());
    EXPECT_EQ(win->app().CurrentFolder, photos);
    EXPECT_EQ(win->pane(1).PaneScale, 3);   // 1:8 again for the new load
    EXPECT_EQ(win->pane(1).photo->image.width(), 8);
}

// The window's position comes from NormPos when the file was written at
// the screen's resolution; the window keeps the screen's size.
struct PlacementCase {
    const char* name;
    const char* keys;
    bool samePpi;
    QPoint expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PlacementTest : public uitest::MainWindowTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, PositionIsRestoredOnlyAtTheSameResolution)
{
    const PlacementCase c = GetParam();
    const int ppi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    WriteSettings(QByteArray(c.keys) + "PixelsPerInch=" + QByteArray::number(c.samePpi ? ppi : ppi + 24) + "\r\n");
    const QString photos = Folder(QStringLiteral("photos"), 1);
    Start({photos});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(win->pos(), c.expected);
    EXPECT_EQ(win->size(), screen.size());
    Key(Qt::Key_Q);
    EXPECT_EQ(IniValue(ini, QStringLiteral("NormPos")), QStringLiteral("%1,%2,%3,%4")
                                                            .arg(c.expected.x())
                                                            .arg(c.expected.y())
                                                            .arg(c.expected.x() + screen.width())
                                                            .arg(c.expected.y() + screen.height()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlacementTest,
    ::testing::Values(PlacementCase{"NormPosAtTheSameResolution", "NormPos=10,20,500,400\r\n", true, {10, 20}},
                      PlacementCase{"NormPosAtAnotherResolution", "NormPos=10,20,500,400\r\n", false, {0, 0}},
                      PlacementCase{"BlanksAndCommas", "NormPos= 30 , 40,0,0\r\n", true, {30, 40}},
                      PlacementCase{"OnlyMinMaxPosKeepsThePosition", "MinMaxPos=1,2,3,4\r\n", true, {0, 0}},
                      PlacementCase{"NoPositionKeys", "", true, {0, 0}},
                      // Positions no screen reaches bring the window to the primary screen.
                      PlacementCase{"OffEveryScreen", "NormPos=3000,3000,4000,4000\r\n", true, {0, 0}},
                      PlacementCase{"BeyondTheIntRange", "NormPos=2147483647,0,-2147483648,0\r\n", true, {0, 0}},
                      PlacementCase{"PartlyOnTheScreen", "NormPos=-300,-200,0,0\r\n", true, {-300, -200}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
