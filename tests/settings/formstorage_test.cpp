#include "settings/formstorage.h"
#include "settings/mainsettings.h"
#include "settings/mainsettings.h"
#include "common/usererror.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

QByteArray ReadAll(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& fileName, const QByteArray& content)
{
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// A main store as the window builds it, with two of its properties standing
// in for the 32 and a window whose placement the test controls.
class MainStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        fileName = dir.filePath("tetrafot.ini");
        store.setIniFileName(fileName);
        store.addProperty({"LeftPanel.Width", [this] { return QString::number(leftWidth); },
                           [this](const QString& t) {
                               bool ok = false;
                               const int v = t.toInt(&ok);
                               if (ok)
                                   leftWidth = v;
                               return ok;
                           }});
        store.addProperty({"TopPanel.Visible", [this] { return topVisible ? QString("True") : QString("False"); },
                           [this](const QString& t) {
                               if (t != "True" && t != "False")
                                   return false;
                               topVisible = t == "True";
                               return true;
                           }});
        AddMainStoredValues(store);
        store.currentPlacement = [this] { return window; };
        store.applyPlacement = [this](const TFormStorage::RestoredPlacement& r) {
            applied = r;
            ++applyCount;
        };
        store.onRestorePlacement = [this] { ++hookCount; };
        window.normal = QRect(10, 20, 300, 200);
    }

    QTemporaryDir dir;
    QString fileName;
    TFormStorage store{"TfrmMain"};
    int leftWidth = 175;
    bool topVisible = true;
    TFormStorage::Placement window;
    TFormStorage::RestoredPlacement applied;
    int applyCount = 0;
    int hookCount = 0;
};

const QByteArray kFreshFile =
    "[TfrmMain]\n"
    "FormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\nMinMaxPos=0,0,0,0\nNormPos=10,20,310,220\nVisible=0\n"
    "LeftPanel_Width=175\nTopPanel_Visible=True\n"
    "imagescale1=1\nimagescale2=1\nimagescale3=1\nimagescale4=1\n"
    "expanwidth1=150\nexpanwidth2=150\nexpanwidth3=150\nexpanwidth4=150\nflistwidth=150\n"
    "curdir=\ntoolP=\ntoolN=\nPattern=%c\nOverExpColor=0\nUnderExpColor=16777215\nUnderExpMode=2\nOverExpMode=1\n"
    "exts=\nrawprefix=\nrawsuffix=\nanyraw=0\nmaxsize=2000\nlanguage=ru\nexifrotate=0\nsmoothscale=0\n";

TEST_F(MainStore, FirstStartWritesEveryKeyInOrder)
{
    EXPECT_FALSE(store.fileExists());
    store.restore();
    EXPECT_TRUE(store.restored());
    EXPECT_EQ(hookCount, 1);
    EXPECT_FALSE(applied.positionRead);
    store.save();
    EXPECT_TRUE(store.savedSinceRestore());
    EXPECT_EQ(ReadAll(fileName).toStdString(), kFreshFile.toStdString());
}

TEST_F(MainStore, DestroyTimeSaveWritesVisibleOne)
{
    store.restore();
    store.save(true);
    EXPECT_TRUE(ReadAll(fileName).contains("\nVisible=1\n"));
}

TEST_F(MainStore, NothingIsWrittenBeforeARestore)
{
    store.save();
    EXPECT_FALSE(QFile::exists(fileName));
    EXPECT_FALSE(store.savedSinceRestore());
}

TEST_F(MainStore, SecondSaveRewritesInPlaceAndAppendsRemovedKey)
{
    store.restore();
    store.save();
    // Remove curdir by hand and put a later section behind ours.
    QByteArray edited = kFreshFile;
    edited.replace("curdir=\n", "");
    edited += "\n[TfrmFiles]\nDstDir_Text=/x\n";
    WriteAll(fileName, edited);

    store.restore();
    EXPECT_FALSE(store.savedSinceRestore());
    store.writeValue("curdir", "/photos");
    store.writeValue("imagescale2", 5);
    store.writeValue("anyraw", true);
    leftWidth = 1;
    store.save();

    QByteArray expected = kFreshFile;
    expected.replace("curdir=\n", "");
    expected.replace("imagescale2=1", "imagescale2=5");
    expected.replace("anyraw=0", "anyraw=-1");
    expected.replace("LeftPanel_Width=175", "LeftPanel_Width=1");
    expected.replace("smoothscale=0\n", "smoothscale=0\ncurdir=/photos\n");
    expected += "\n[TfrmFiles]\nDstDir_Text=/x\n";
    EXPECT_EQ(ReadAll(fileName).toStdString(), expected.toStdString());
}

TEST_F(MainStore, OtherSectionsCommentsAndUnknownKeysSurvive)
{
    const QByteArray before =
        "; settings\r\n[TfrmFiles]\r\nckCRW_Checked=True\r\n\r\n[tfrmmain]\r\nmaxsize=900\r\n"
        "Unknown=keep me\r\n# comment\r\n\r\n[Last]\r\nx=1";
    WriteAll(fileName, before);
    store.restore();
    EXPECT_EQ(store.intValue("maxsize", 0), 900);
    store.save();

    const QByteArray after = ReadAll(fileName);
    // Everything outside our keys is byte for byte where it was.
    EXPECT_TRUE(after.startsWith("; settings\r\n[TfrmFiles]\r\nckCRW_Checked=True\r\n\r\n[tfrmmain]\r\nmaxsize=900\r\n"
                                 "Unknown=keep me\r\nFormVersion=0\r\n"))
        << after.toStdString();
    EXPECT_TRUE(after.endsWith("anyraw=0\r\nlanguage=ru\r\nexifrotate=0\r\nsmoothscale=0\r\n# comment\r\n\r\n[Last]\r\nx=1")) << after.toStdString();
    EXPECT_EQ(after.count("[tfrmmain]"), 1);
    EXPECT_EQ(after.count("maxsize="), 1);
}

TEST_F(MainStore, FileFromBeforeTheViewOptionsReadsThemOffAndGetsThemAppended)
{
    QByteArray old = kFreshFile;
    old.replace("exifrotate=0\nsmoothscale=0\n", "");
    WriteAll(fileName, old);
    for (const bool again : {false, true}) {   // as read, then as saved and read back
        store.restore();
        EXPECT_FALSE(store.boolValue("exifrotate", true));
        EXPECT_EQ(store.boolValue("smoothscale", !again), again);
        store.writeValue("smoothscale", true);
        store.save();
    }
    EXPECT_EQ(ReadAll(fileName).toStdString(), old.toStdString() + "exifrotate=0\nsmoothscale=-1\n");
}

TEST_F(MainStore, RestoredValuesHoldTheTextRead)
{
    WriteAll(fileName, "[TfrmMain]\nimagescale1=abc\nanyraw=-1\nPattern=  %m %d  \nmaxsize=1500\n");
    store.restore();
    // Every value is text now; readers convert, and a bad one counts as its default.
    EXPECT_EQ(store.readValue("IMAGESCALE1").typeId(), QMetaType::QString);
    EXPECT_EQ(store.readValue("imagescale1").toString(), "abc");
    EXPECT_EQ(store.intValue("imagescale1", 1), 1);
    EXPECT_EQ(store.intValue("maxsize", 0), 1500);
    EXPECT_TRUE(store.boolValue("anyraw", false));
    EXPECT_EQ(store.textValue("Pattern"), "%m %d");
    // Keys the file lacks keep their defaults, as text.
    EXPECT_EQ(store.readValue("expanwidth3").toString(), "150");
    EXPECT_TRUE(store.readValue("nosuchvalue").isNull());
}

TEST_F(MainStore, NegativeFormVersionRestoresNothing)
{
    WriteAll(fileName, "[TfrmMain]\nFormVersion=-1\nmaxsize=5\nLeftPanel_Width=3\nNormPos=1,2,3,4\n");
    store.writeValue("maxsize", 2000);
    store.restore();
    EXPECT_FALSE(store.restored());
    EXPECT_EQ(hookCount, 0);
    EXPECT_EQ(applyCount, 0);
    EXPECT_EQ(leftWidth, 175);
    EXPECT_EQ(store.intValue("maxsize", 0), 2000);
}

TEST_F(MainStore, PropertiesRestoreTrimmedAndRefusalKeepsValue)
{
    WriteAll(fileName, "[TfrmMain]\nLeftPanel_Width=  240 \nTopPanel_Visible=maybe\n");
    store.restore();
    EXPECT_EQ(leftWidth, 240);
    EXPECT_TRUE(topVisible);
}

TEST_F(MainStore, UnwritableFileIsAUserErrorNamingIt)
{
    const QString bad = dir.filePath("missing-folder/tetrafot.ini");
    store.setIniFileName(bad);
    store.restore();
    try {
        store.save();
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find(bad.toStdString()), std::string::npos) << e.what();
    }
    EXPECT_FALSE(store.savedSinceRestore());
}

struct PlacementCase {
    const char* name;
    const char* lines;   // the section's placement keys
    bool positionRead;
    QPoint minPos, maxPos;
    QRect normal;        // the window now is at (10,20) 300x200
    int pixelsPerInch, showCmd, flags;
};

class PlacementRestore : public MainStore, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementRestore, ParsesWordsWithFallbacks)
{
    const PlacementCase& c = GetParam();
    window.flags = 7;
    WriteAll(fileName, QByteArray("[TfrmMain]\n") + c.lines);
    store.restore();
    ASSERT_EQ(applyCount, 1);
    EXPECT_EQ(applied.positionRead, c.positionRead);
    EXPECT_EQ(applied.placement.minPos, c.minPos);
    EXPECT_EQ(applied.placement.maxPos, c.maxPos);
    EXPECT_EQ(applied.placement.normal, c.normal);
    EXPECT_EQ(applied.placement.pixelsPerInch, c.pixelsPerInch);
    EXPECT_EQ(applied.placement.showCmd, c.showCmd);
    EXPECT_EQ(applied.placement.flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementRestore,
    ::testing::Values(
        PlacementCase{"NoKeys", "", false, {0, 0}, {0, 0}, QRect(10, 20, 300, 200), 96, 0, 7},
        PlacementCase{"Commas", "Flags=2\nMinMaxPos=1,2,3,4\nNormPos=5,6,105,56\nPixelsPerInch=120\nShowCmd=3\n",
                      true, {1, 2}, {3, 4}, QRect(5, 6, 100, 50), 120, 3, 2},
        PlacementCase{"BlanksAndRuns", "MinMaxPos= -1  -2 ,, 3\t4\nNormPos=5 6,,105   56\n", true, {-1, -2}, {3, 4},
                      QRect(5, 6, 100, 50), 96, 0, 7},
        // A bad or missing word: 0 for MinMaxPos; the current left, top,
        // left + width, top + height for NormPos.
        PlacementCase{"BadWords", "MinMaxPos=x,2\nNormPos=a,b,c,d\n", true, {0, 2}, {0, 0}, QRect(10, 20, 300, 200),
                      96, 0, 7},
        PlacementCase{"ShortNormPos", "NormPos=50\n", true, {0, 0}, {0, 0}, QRect(50, 20, 260, 200), 96, 0, 7},
        PlacementCase{"OnlyMinMaxCountsAsRead", "MinMaxPos=0,0,0,0\nFlags=zz\nShowCmd=q\n", true, {0, 0}, {0, 0},
                      QRect(10, 20, 300, 200), 96, 0, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlacementRule, PositionAppliesOnlyAtTheSameResolution)
{
    TFormStorage::RestoredPlacement r;
    r.placement.pixelsPerInch = 96;
    EXPECT_FALSE(r.positionApplies(96));
    r.positionRead = true;
    EXPECT_TRUE(r.positionApplies(96));
    EXPECT_FALSE(r.positionApplies(120));
}

TEST(PlacementRule, ShowCmdStates)
{
    using S = TFormStorage::WindowState;
    const std::pair<int, S> cases[] = {{0, S::Normal},    {1, S::Normal},    {2, S::Minimized}, {3, S::Maximized},
                                       {4, S::Normal},    {5, S::Normal},    {6, S::Minimized}, {7, S::Minimized},
                                       {8, S::Normal},    {9, S::Normal},    {10, S::Normal},   {-3, S::Normal}};
    for (const auto& [cmd, state] : cases)
        EXPECT_EQ(TFormStorage::StateOfShowCmd(cmd), state) << cmd;
}

TEST(StoredValues, ConversionsTable)
{
    TFormStorage store("S");
    struct Case {
        QVariant value;
        QString text;
        int asInt;     // fallback 42
        int asBool;    // 1 true, 0 false, -1 fallback
    };
    const Case cases[] = {
        {QVariant(true), "-1", -1, 1},     {QVariant(false), "0", 0, 0},    {QVariant(150), "150", 150, -1},
        {QVariant(-7), "-7", -7, -1},      {QVariant("-1"), "-1", -1, 1},   {QVariant("1"), "1", 1, 1},
        {QVariant("True"), "True", 42, 1}, {QVariant("false"), "false", 42, 0},
        {QVariant("0"), "0", 0, 0},        {QVariant("2"), "2", 2, -1},     {QVariant("abc"), "abc", 42, -1},
        {QVariant(" 12 "), " 12 ", 12, -1}, {QVariant(""), "", 42, -1},     {QVariant("12x"), "12x", 42, -1},
    };
    for (const Case& c : cases) {
        store.writeValue("v", c.value);
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(TFormStorage::valueText(c.value), c.text);
        EXPECT_EQ(store.intValue("v", 42), c.asInt);
        EXPECT_EQ(store.boolValue("v", true), c.asBool == -1 ? true : c.asBool == 1);
        EXPECT_EQ(store.boolValue("v", false), c.asBool == -1 ? false : c.asBool == 1);
    }
    EXPECT_EQ(store.intValue("absent", 9), 9);
    EXPECT_TRUE(store.boolValue("absent", true));
}

TEST(StoredValues, WriteAppendsAndNamesIgnoreCase)
{
    TFormStorage store("S");
    AddMainStoredValues(store);
    store.writeValue("CURDIR", "/a");
    store.writeValue("newone", 3);
    EXPECT_EQ(store.textValue("curdir"), "/a");
    EXPECT_EQ(store.intValue("NEWONE", 0), 3);
    EXPECT_EQ(store.textValue("Pattern"), "%c");
    EXPECT_EQ(store.intValue("UnderExpColor", 0), 16777215);
    EXPECT_FALSE(store.boolValue("anyraw", true));
}

}  // namespace

namespace {

TEST(StoredColours, IntegerFormHasRedInTheLowByte)
{
    struct Case {
        QColor colour;
        int value;
    };
    for (const Case& c : {Case{QColor(255, 0, 0), 255}, Case{QColor(0, 255, 0), 65280},
                          Case{QColor(0, 0, 255), 16711680}, Case{QColor(255, 255, 255), 16777215},
                          Case{QColor(0x12, 0x34, 0x56), 0x563412}}) {
        EXPECT_EQ(StoredColour::of(c.colour).value, c.value) << c.colour.name().toStdString();
        EXPECT_EQ(StoredColour{c.value}.toQColor(), c.colour) << c.value;
    }
    // A system colour (top bit set) shows its low three bytes: button face.
    EXPECT_EQ(StoredColour{-2147483633}.toQColor(), QColor(0x0F, 0, 0));
}

// Every declared value reads as its default from an empty file, and a
// written value reads back as its type.
TEST(StoredValues, DefaultsAndTypedReadsOfTheMainTable)
{
    TFormStorage store(QStringLiteral("TfrmMain"));
    AddMainStoredValues(store);
    EXPECT_EQ(store.get(Stored::ImageScale, 3), 1);
    EXPECT_EQ(store.get(Stored::ExpanWidth, 4), 150);
    EXPECT_EQ(store.get(Stored::MaxSize), 2000);
    EXPECT_EQ(store.get(Stored::Pattern), QStringLiteral("%c"));
    EXPECT_EQ(store.get(Stored::Language), QStringLiteral("ru"));
    EXPECT_EQ(store.get(Stored::UnderExpColour).toQColor(), QColor(Qt::white));
    EXPECT_FALSE(store.get(Stored::SmoothScale));
    store.set(Stored::ImageScale, 3, 4);
    store.set(Stored::SmoothScale, true);
    store.set(Stored::OverExpColour, StoredColour::of(QColor(0x12, 0x34, 0x56)));
    store.writeValue(QStringLiteral("MAXSIZE"), QStringLiteral("abc"));   // a hand-edited value
    EXPECT_EQ(store.get(Stored::ImageScale, 3), 4);
    EXPECT_EQ(store.readValue(QStringLiteral("imagescale3")).toInt(), 4);
    EXPECT_TRUE(store.get(Stored::SmoothScale));
    EXPECT_EQ(store.readValue(QStringLiteral("OverExpColor")).toInt(), 0x563412);
    EXPECT_EQ(store.get(Stored::MaxSize), 2000);
}

} // namespace
