#include "files/tools.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tetrafot;

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
        // A name or folder put in is never read as a macro by a later pass.
        {"%d", "/x%fy/", "N", "e", "/x%fy/"},
        {"%f", "/P/", "a%db", "e", "a%db"},
        {"%f", "/P/", "a%eb", "E", "a%eb"},
        {"%p", "/P/", "100%%", "e", "/P/100%%.e"},
        {"%%ep", "/P/", "n", "", "/P/n."},   // an empty value joins the text around it
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandToolMacros(c.templ, c.folder, c.name, c.extension), c.expected) << c.templ.toStdString();
}

// Program first, then the arguments.
QStringList Tokens(const SplitCommand& command)
{
    return QStringList{command.program} + command.arguments;
}

TEST(ToolCommand, FolderNameAndExtension)
{
    const QString cwd = QDir::currentPath() + "/";
    struct Case {
        QString path, templ, currentFolder;
        QStringList expected;
    };
    const Case cases[] = {
        {"/Photos/IMG_0001.JPG", "\"/opt/My Tools/view\" %p", "/cur", {"/opt/My Tools/view", "/Photos/IMG_0001.JPG"}},
        {"/Photos/IMG_0001.JPG", "conv %d%f.CRW", "/cur", {"conv", "/Photos/IMG_0001.CRW"}},
        {"/a.jpg", "%d|%p", "/cur", {"/|/a.jpg"}},                    // the root keeps one separator
        {"/p//a.jpg", "%d", "/cur", {"/p/"}},
        {"/p/a.b.jpg", "x %f|%e", "/cur", {"x", "a.b|jpg"}},
        {"/p/README", "x %f %e %p", "/cur", {"x", "README", "/p/README."}},   // an empty part is left out
        {"/p/README", "%e x", "/cur", {"x"}},
        {"IMG_0001.JPG", "%d|%p", "/cur", {"/cur/|/cur/IMG_0001.JPG"}},  // a bare name is in the listed folder
        {"IMG_0001.JPG", "%d", "/cur/", {"/cur/"}},
        {"IMG_0001.JPG", "%d", "", {cwd}},                            // no folder chosen yet
        {"/p/a b.jpg", "%d/tool -x 100%% %e", "/cur", {"/p//tool", "-x", "100%", "jpg"}},
        {"/p/a.jpg", "\"/opt/my tool\" \"%p\" -o \"%d%f out.png\"", "/cur",
         {"/opt/my tool", "/p/a.jpg", "-o", "/p/a out.png"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(ToolCommand(c.path, c.templ, c.currentFolder)), c.expected) << c.templ.toStdString();
    EXPECT_EQ(Tokens(ToolCommand("", "view %p", "/cur")), QStringList{QString()});
}

// Any name the file system allows reaches the tool as one argument, as it is
// spelt, whether the template quotes the macro or not.
TEST(ToolCommand, AwkwardNamesArriveWhole)
{
    const QString folder = "/ph o\"t'o\\s $HOME/";
    const QString names[] = {
        "say \"hi\".JPG", "it's a photo.jpg", "back\\slash\\.jpg", "$HOME $(id) `id`.jpg", "line\nbreak.jpg",
        "tab\there.jpg", "\"\"\"\".jpg", "\"\"\"\"\"\".jpg", " lead.jpg", "trail .jpg", "100%%.jpg",
        "a%eb%p%d%f%%.jpg", "*?[a]|;&<>(){}.jpg", "dots.in.it.jpeg", "\"\".jpg", "'\"' \"'\".jpg",
    };
    for (const QString& name : names) {
        const QString path = folder + name;
        for (const char* templ : {"view %p", "view \"%p\"", "view %d%f.%e", "\"view\" --file=%p", "%p"}) {
            const SplitCommand command = ToolCommand(path, templ, "/cur");
            const QString whole = QString(templ).contains("--file=") ? "--file=" + path : path;
            EXPECT_EQ(QString(templ) == "%p" ? command.program : command.arguments.value(0), whole)
                << templ << " " << path.toStdString();
            EXPECT_EQ(command.arguments.size(), QString(templ) == "%p" ? 0 : 1) << templ << " " << path.toStdString();
        }
    }
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
    ASSERT_TRUE(RunTool("/photos/say \"hi\" $x.JPG", "touch %f.done", "", dir.path()));
    const QString expected = dir.filePath("say \"hi\" $x.done");
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(expected) && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(expected));
}

}  // namespace
