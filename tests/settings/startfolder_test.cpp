#include "settings/startfolder.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

class StartFolderRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wd.isValid());
        ASSERT_TRUE(QDir(wd.path()).mkpath("shots/day1"));
        ASSERT_TRUE(QDir(wd.path()).mkpath("-D"));
        QFile f(wd.filePath("shots/a.jpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QFile g(wd.filePath("bare.jpg"));
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    }
    QString Start(const QString& arg, bool has, const QString& curdir = "/stored")
    {
        return StartFolder(arg, has, curdir, wd.path());
    }
    QTemporaryDir wd;
};

TEST_F(StartFolderRules, Table)
{
    const QString w = wd.path();
    struct Case {
        QString argument;
        bool hasArgument;
        QString curdir;
        QString expected;
    };
    const Case cases[] = {
        {"-d", true, "/stored", w},                        // the switch, exact case
        {"-d", false, "/stored", "/stored"},               // no argument at all
        {"", false, "/stored", "/stored"},
        {"-D", true, "/stored", w + "/-D"},                // not the switch: a path, here an existing folder
        {"-X", true, "/stored", "/stored"},                // neither file nor folder
        {w + "/shots/a.jpg", true, "/stored", w + "/shots"},  // a file gives its folder
        {"shots/a.jpg", true, "/stored", w + "/shots"},    // relative file, made absolute
        {"bare.jpg", true, "/stored", w},
        {w + "/shots/day1", true, "/stored", w + "/shots/day1"},  // an existing folder unchanged
        {w + "/shots/day1/", true, "/stored", w + "/shots/day1/"},
        {"shots/day1", true, "/stored", w + "/shots/day1"},
        {w + "/nothing.jpg", true, "/stored", "/stored"},
        {"", false, "", w},                                // first start: never the root
        {"nope", true, "", w},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Start(c.argument, c.hasArgument, c.curdir), c.expected)
            << c.argument.toStdString() << " has=" << c.hasArgument << " curdir=" << c.curdir.toStdString();
}

// The settings file location follows TETRAFOT_INI and XDG_CONFIG_HOME, so
// each case sets them and puts back what was there.
class SettingsLocation : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedIni = qgetenv("TETRAFOT_INI");
        hadIni = qEnvironmentVariableIsSet("TETRAFOT_INI");
        savedXdg = qgetenv("XDG_CONFIG_HOME");
        hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qunsetenv("TETRAFOT_INI");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }
    void TearDown() override
    {
        hadIni ? qputenv("TETRAFOT_INI", savedIni) : qunsetenv("TETRAFOT_INI");
        hadXdg ? qputenv("XDG_CONFIG_HOME", savedXdg) : qunsetenv("XDG_CONFIG_HOME");
    }
    QTemporaryDir exe, config;
    QByteArray savedIni, savedXdg;
    bool hadIni = false, hadXdg = false;
};

TEST_F(SettingsLocation, EnvironmentOverridesBoth)
{
    qputenv("TETRAFOT_INI", "/somewhere/else.ini");
    EXPECT_EQ(SettingsFilePath(exe.path()), "/somewhere/else.ini");
}

TEST_F(SettingsLocation, BesideTheExecutableWhenWritable)
{
    EXPECT_EQ(SettingsFilePath(exe.path()), exe.path() + "/tetrafot.ini");
}

TEST_F(SettingsLocation, ConfigFolderOtherwiseAndCreated)
{
    const QString missing = exe.path() + "/not-there";
    EXPECT_EQ(SettingsFilePath(missing), config.path() + "/tetrafot/tetrafot.ini");
    EXPECT_TRUE(QFileInfo(config.path() + "/tetrafot").isDir());
}

}  // namespace
