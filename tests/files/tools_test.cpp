#include "files/tools.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(ToolMacros, Expand)
{
    struct Case {
        QString templ, folder, name, extension, expected;
    };
    const Case cases[] = {
        {"conv %d%f.CRW", "/Photos/", "IMG_0001", "JPG", "conv /Photos/IMG_0001.CRW"},
        {"%p", "/Photos/", "IMG_0001", "JPG", "/Photos/IMG_0001.JPG"},
        {"%%d", "/P/", "n", "e", "%/P/"},
        {"%%%%", "/P/", "n", "e", "%%"},
        {"%%p", "/P/", "n", "e", "%/P/n.e"},
        {"%D %P %x %", "/P/", "n", "e", "%D %P %x %"},
        {"%e%f", "/P/", "n", "", "n"},
        // Later passes see what earlier ones put in; a pass never sees its own.
        {"%d", "/x%fy/", "N", "e", "/xNy/"},
        {"%f", "/P/", "a%db", "e", "a%db"},
        {"%f", "/P/", "a%eb", "E", "aEb"},
        {"%p", "/P/", "100%%", "e", "/P/100%.e"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandToolMacros(c.templ, c.folder, c.name, c.extension), c.expected) << c.templ.toStdString();
}

TEST(ToolCommand, FolderNameAndExtension)
{
    const QString cwd = QDir::currentPath() + "/";
    struct Case {
        QString path, templ, currentFolder, expected;
    };
    const Case cases[] = {
        {"/Photos/IMG_0001.JPG", "\"/opt/My Tools/view\" %p", "/cur",
         "\"/opt/My Tools/view\" /Photos/IMG_0001.JPG"},
        {"/Photos/IMG_0001.JPG", "conv %d%f.CRW", "/cur", "conv /Photos/IMG_0001.CRW"},
        {"/a.jpg", "%d|%p", "/cur", "/|/a.jpg"},                    // the root keeps one separator
        {"/p//a.jpg", "%d", "/cur", "/p/"},
        {"/p/a.b.jpg", "%f|%e", "/cur", "a.b|jpg"},
        {"/p/README", "%f|%e|%p", "/cur", "README||/p/README."},
        {"IMG_0001.JPG", "%d|%p", "/cur", "/cur/|/cur/IMG_0001.JPG"},  // a bare name is in the listed folder
        {"IMG_0001.JPG", "%d", "/cur/", "/cur/"},
        {"IMG_0001.JPG", "%d", "", cwd},                            // no folder chosen yet
        {"", "%p", "/cur", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToolCommandLine(c.path, c.templ, c.currentFolder), c.expected) << c.path.toStdString();
}

TEST(ToolCommand, LongLinesAreNotCut)
{
    const QString folder = "/" + QString(300, 'x') + "/";
    const QString line = ToolCommandLine(folder + "a.jpg", "view %p", "");
    EXPECT_EQ(line, "view " + folder + "a.jpg");
}

TEST(ToolCommand, Split)
{
    struct Case {
        QString line, program;
        QStringList arguments;
    };
    const Case cases[] = {
        {"\"/opt/My Tools/view\" /Photos/IMG_0001.JPG", "/opt/My Tools/view", {"/Photos/IMG_0001.JPG"}},
        {"conv /p/a b.jpg", "conv", {"/p/a", "b.jpg"}},            // the path is not quoted for the user
        {"gimp \"/p/a b.jpg\" -x", "gimp", {"/p/a b.jpg", "-x"}},
        {"  view\t/p/a.jpg", "view", {"/p/a.jpg"}},
        {"\"/opt/x\"/p/a.jpg", "/opt/x", {"/p/a.jpg"}},
        {"\"unterminated quote", "unterminated quote", {}},
        {"", "", {}},
        {"alone", "alone", {}},
    };
    for (const Case& c : cases) {
        const SplitCommand split = SplitCommandLine(c.line);
        EXPECT_EQ(split.program, c.program) << c.line.toStdString();
        EXPECT_EQ(split.arguments, c.arguments) << c.line.toStdString();
    }
}

TEST(ToolRun, NothingToStart)
{
    EXPECT_FALSE(RunTool("", "touch %p", "/tmp", "/tmp"));
    EXPECT_FALSE(RunTool("/p/a.jpg", "", "/tmp", "/tmp"));
    EXPECT_FALSE(RunTool("/p/a.jpg", "   ", "/tmp", "/tmp"));
}

TEST(ToolRun, StartsDetachedInTheListedFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A relative output name shows that the tool runs in the given folder.
    ASSERT_TRUE(RunTool("/photos/IMG_0001.JPG", "touch %f.done", "", dir.path()));
    const QString expected = dir.filePath("IMG_0001.done");
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(expected) && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(expected));
}

}  // namespace
