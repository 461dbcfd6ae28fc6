#include "settings/iniprofile.h"
#include "common/usererror.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

using IniProfile::KeyValues;

struct UpdateCase {
    const char* name;
    QByteArray before;
    KeyValues keys;
    QByteArray after;
};

class IniUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(IniUpdate, EditsOnlyTheSectionsKeys)
{
    const UpdateCase& c = GetParam();
    EXPECT_EQ(IniProfile::UpdateSectionText(c.before, "Main", c.keys).toStdString(), c.after.toStdString());
}

const KeyValues kAB{{"A", "1"}, {"B", "2"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, IniUpdate,
    ::testing::Values(
        UpdateCase{"EmptyFile", "", kAB, "[Main]\nA=1\nB=2\n"},
        UpdateCase{"SectionAppendedAfterBlankLine", "[Other]\nx=1\n", kAB, "[Other]\nx=1\n\n[Main]\nA=1\nB=2\n"},
        UpdateCase{"LastLineWithoutLineEnd", "[Other]\nx=1", kAB, "[Other]\nx=1\n\n[Main]\nA=1\nB=2\n"},
        UpdateCase{"CrLfFileKeepsCrLf", "[Other]\r\nx=1\r\n", kAB,
                   "[Other]\r\nx=1\r\n\r\n[Main]\r\nA=1\r\nB=2\r\n"},
        UpdateCase{"RewrittenInPlace", "[Main]\nB=old\nA=old\n", kAB, "[Main]\nB=2\nA=1\n"},
        UpdateCase{"MissingKeyAfterLastKeyNotAtFileEnd",
                   "[Main]\nA=0\n; note\n\n[Other]\nB=9\n", kAB,
                   "[Main]\nA=1\nB=2\n; note\n\n[Other]\nB=9\n"},
        UpdateCase{"NamesIgnoreCase", "[MAIN]\na=0\nb = 0\n", kAB, "[MAIN]\nA=1\nB=2\n"},
        UpdateCase{"HeaderWithBlanks", "  [ Main ]  \nA=0\n", kAB, "  [ Main ]  \nA=1\nB=2\n"},
        UpdateCase{"OnlyFirstOfTwoEqualKeys", "[Main]\nA=0\nA=5\nB=0\n", kAB, "[Main]\nA=1\nA=5\nB=2\n"},
        UpdateCase{"CommentWithEqualsIsNoKey", "[Main]\n;A=0\n#B=0\n", kAB, "[Main]\nA=1\nB=2\n;A=0\n#B=0\n"},
        UpdateCase{"EmptySectionGetsKeysBelowHeader", "[Main]\n\n[Z]\n", kAB, "[Main]\nA=1\nB=2\n\n[Z]\n"},
        UpdateCase{"LinesBeforeAnySectionStay", "top=1\r\n[Main]\r\nA=0", kAB, "top=1\r\n[Main]\r\nA=1\r\nB=2\r\n"},
        UpdateCase{"LineBreakInValueBecomesBlank", "", KeyValues{{"A", "x\r\ny"}}, "[Main]\nA=x  y\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, FirstSectionAndFirstKeyTrimmed)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("t.ini");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[other]\nA=wrong\n[main]\r\n  A =  one two  \r\n;B=c\r\nA=second\r\nC=\r\nnoequals\n[Main]\nD=later\n");
    f.close();

    const KeyValues keys = IniProfile::ReadSection(file, "MAIN");
    const KeyValues expected{{"A", "one two"}, {"C", ""}};
    EXPECT_EQ(keys, expected);
    EXPECT_TRUE(IniProfile::ReadSection(dir.filePath("missing.ini"), "main").empty());
}

TEST(IniWrite, UnwritableFileNamesTheFile)
{
    QTemporaryDir dir;
    // A regular file where a folder should be: fails even for root.
    const QString blocker = dir.filePath("plain");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString file = blocker + "/t.ini";
    try {
        IniProfile::WriteSection(file, "Main", kAB);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find(file.toStdString()), std::string::npos) << e.what();
    }
}

TEST(IniWrite, ReplacesWholeFileAndLeavesNoTemporary)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("t.ini");
    IniProfile::WriteSection(file, "Main", kAB);
    IniProfile::WriteSection(file, "Main", {{"B", "3"}});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), "[Main]\nA=1\nB=3\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(IniRead, FifoReadsAsNoSettingsAndIsNeverReplaced)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("t.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(IniProfile::ReadSection(file, "Main").empty());
    try {
        IniProfile::WriteSection(file, "Main", kAB);
        ADD_FAILURE() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()),
                  ("Не удаётся прочитать файл настроек \"" + file + "\": это не обычный файл").toStdString());
    }
    EXPECT_LT(timer.elapsed(), 1000);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
