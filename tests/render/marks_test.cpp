#include "common/paths.h"
#include "common/usererror.h"
#include "render/marks.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

QByteArray ReadAll(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& fileName, const QByteArray& content)
{
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

TEST(MarkLines, Parse)
{
    const std::pair<QByteArray, int> cases[] = {
        {"a.jpg", 10}, {"b.jpg:0", 0}, {"C.JPG:9", 9}, {"x.jpg:A", 17}, {"x.jpg:/", 255},
        {":5", 5},     {"a:", 10},     {"", 10},       {":", 10},       {"a.jpg:12", 10},
    };
    for (const auto& [line, code] : cases)
        EXPECT_EQ(MarkStore::ParseMarkLine(line), code) << line.toStdString();
}

TEST(MarkLines, Format)
{
    struct Case {
        QByteArray name;
        int code;
        QByteArray line;
    };
    const Case cases[] = {
        {"a.jpg", 10, "a.jpg"},     {"b.jpg", 0, "b.jpg:0"},   {"C.JPG", 9, "C.JPG:9"},
        {"x.jpg", 17, "x.jpg:A"},   {"x.jpg", 255, "x.jpg:/"}, {"", 3, ":3"},
        {"", 10, ""},
        // A name that already ends like a coded line loses or replaces the code.
        {"odd:7", 10, "odd"},       {"odd:7", 2, "odd:2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MarkStore::FormatMarkLine(c.name, MarkCode(c.code)).toStdString(), c.line.toStdString())
            << c.name.toStdString() << " " << c.code;
}

class MarksFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("marked.txt");
    }
    QTemporaryDir dir;
    QString file;
    MarkStore store;
};

TEST_F(MarksFile, FileNameWithAndWithoutSeparator)
{
    EXPECT_EQ(MarkStore::MarksFileName("/p/q"), "/p/q/marked.txt");
    EXPECT_EQ(MarkStore::MarksFileName("/p/q/"), "/p/q/marked.txt");
    EXPECT_EQ(MarkStore::MarksFileName("/"), "/marked.txt");
}

TEST_F(MarksFile, RoundTripKeepsCaseOrderAndOddCodes)
{
    WriteAll(file, "zeta.jpg\r\nb.jpg:0\r\nC.JPG:9\r\nx.jpg:A\r\n");
    store.LoadMarks(dir.path());
    EXPECT_EQ(store.GetMark("/elsewhere/c.jpg"), 9);   // only the file name counts, case ignored
    EXPECT_EQ(store.GetMark("ZETA.JPG"), MarkV);
    EXPECT_EQ(store.GetMark("b.jpg"), 0);
    EXPECT_EQ(store.GetMark("x.jpg"), 17);
    EXPECT_EQ(store.GetMark("none.jpg"), NoMark);
    ASSERT_EQ(store.entries().size(), 4u);
    EXPECT_EQ(store.entries()[2].name, "C.JPG");

    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file).toStdString(), "zeta.jpg\r\nb.jpg:0\r\nC.JPG:9\r\nx.jpg:A\r\n");
}

TEST_F(MarksFile, LineEndsAndEmptyLines)
{
    // LF alone, CR LF, a last line without its end, and empty lines skipped.
    WriteAll(file, "a.jpg:1\n\r\n\nb.jpg\r\nc.jpg:2");
    store.LoadMarks(dir.path());
    ASSERT_EQ(store.entries().size(), 3u);
    EXPECT_EQ(store.entries()[0].name, "a.jpg");
    EXPECT_EQ(store.entries()[1].name, "b.jpg");
    EXPECT_EQ(store.entries()[1].code, MarkV);
    EXPECT_EQ(store.entries()[2].code, 2);
    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file).toStdString(), "a.jpg:1\r\nb.jpg\r\nc.jpg:2\r\n");
}

TEST_F(MarksFile, DuplicatesFirstCounts)
{
    WriteAll(file, "a.jpg:1\r\nA.jpg:2\r\n");
    store.LoadMarks(dir.path());
    EXPECT_EQ(store.GetMark("a.jpg"), 1);
    store.SetMark("a.jpg", 5);
    EXPECT_EQ(store.entries()[0].code, 5);
    EXPECT_EQ(store.entries()[1].code, 2);
    store.ClearMark("a.jpg");
    EXPECT_EQ(store.GetMark("a.jpg"), 2);
    store.ClearMark("a.jpg");
    EXPECT_EQ(store.GetMark("a.jpg"), NoMark);
    EXPECT_TRUE(store.empty());
}

TEST_F(MarksFile, SetMarkKeepsPositionAndAppendsNew)
{
    store.SetMark("/f/one.jpg", MarkV);
    store.SetMark("/f/two.jpg", 4);
    store.SetMark("/f/ONE.jpg", 3);   // replaces in place, keeps the stored spelling
    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file).toStdString(), "one.jpg:3\r\ntwo.jpg:4\r\n");
}

TEST_F(MarksFile, UnicodeNamesRoundTrip)
{
    store.SetMark(QString::fromUtf8("снимок.jpg"), 1);
    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file), QByteArray("\xd1\x81\xd0\xbd\xd0\xb8\xd0\xbc\xd0\xbe\xd0\xba.jpg:1\r\n"));
    MarkStore again;
    again.LoadMarks(dir.path());
    EXPECT_EQ(again.GetMark(QString::fromUtf8("СНИМОК.JPG")), 1);
}

TEST_F(MarksFile, EmptyStoreDeletesTheFileAndMissingIsNoError)
{
    WriteAll(file, "a.jpg\r\n");
    store.SaveMarks(dir.path());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_NO_THROW(store.SaveMarks(dir.path()));
}

TEST_F(MarksFile, LoadEmptiesTheStoreFirst)
{
    store.SetMark("old.jpg", 1);
    store.LoadMarks(dir.path());   // no marked.txt there
    EXPECT_TRUE(store.empty());
}

TEST_F(MarksFile, UnwritableFolderIsAUserErrorAndTheStoreStays)
{
    // A plain file where the folder should be fails for root as well.
    const QString notAFolder = dir.filePath("plain");
    WriteAll(notAFolder, "x");
    store.SetMark("a.jpg", 1);
    try {
        store.SaveMarks(notAFolder);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find((notAFolder + "/marked.txt").toStdString()), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(store.GetMark("a.jpg"), 1);
}

TEST_F(MarksFile, MarksFileThatIsAFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("marked.txt/inner"));
    store.SetMark("a.jpg", 1);
    EXPECT_THROW(store.SaveMarks(dir.path()), UserError);   // cannot replace a folder
    EXPECT_EQ(store.entries().size(), 1u);
    store.Clear();
    EXPECT_THROW(store.SaveMarks(dir.path()), UserError);   // nor delete it
    EXPECT_THROW(store.LoadMarks(dir.path()), UserError);   // nor read it
}

TEST_F(MarksFile, NamesAreBytesUntouchedLinesStayAndInvalidNamesNeverMerge)
{
    const QByteArray old = "caf\xe9.jpg:2\r\ncaf\xe8.jpg:3\r\n\xff\xfe.JPG\r\n";
    WriteAll(file, old);
    store.LoadMarks(dir.path());
    EXPECT_EQ(store.entries().size(), 3u);
    // Both invalid names would decode to this; neither is it.
    EXPECT_EQ(store.GetMark(QString::fromUtf8("caf\xef\xbf\xbd.jpg")), NoMark);
    store.SetMark("/f/B.jpg", 4);
    store.SetMark("b.JPG", 5);
    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file), old + "B.jpg:5\r\n");
}

// The panes' paths carry names that are not UTF-8 as escapes; the marks
// reach marked.txt as the very bytes of the file names, and are found again.
TEST_F(MarksFile, ForeignNamesFromPanePathsKeepTheirBytes)
{
    WriteAll(file, "caf\xe9.jpg:2\r\ncaf\xe8.jpg:3\r\n\xff\xfe.JPG\r\n");
    store.LoadMarks(dir.path());
    const std::pair<QByteArray, int> found[] = {
        {"/f/caf\xe9.jpg", 2}, {"/f/caf\xe8.jpg", 3}, {"\xff\xfe.JPG", MarkV},
        {"/f/caf\xc3\xa9.jpg", NoMark},   // the same name in UTF-8 is another file
        {"/f/CAF\xc9.jpg", NoMark},        // nor does an unreadable name have a case
    };
    for (const auto& [path, code] : found)
        EXPECT_EQ(store.GetMark(DecodeFileName(path)), code) << path.toStdString();

    store.SetMark(DecodeFileName("/f/caf\xe8.jpg"), 7);
    store.SetMark(DecodeFileName("/f/n\xe9.jpg"), MarkV);
    store.ClearMark(DecodeFileName("/f/\xff\xfe.JPG"));
    store.SaveMarks(dir.path());
    EXPECT_EQ(ReadAll(file), QByteArray("caf\xe9.jpg:2\r\ncaf\xe8.jpg:7\r\nn\xe9.jpg\r\n"));

    store.LoadMarks(dir.path());
    EXPECT_EQ(store.GetMark(DecodeFileName("/g/n\xe9.jpg")), MarkV);
}

TEST_F(MarksFile, NameWithLineBreakIsRefused)
{
    for (const char* path : {"/f/a\nb.jpg", "a\rb.jpg", "/f/\n"}) {
        try {
            store.SetMark(path, 3);
            ADD_FAILURE() << "no error for " << path;
        } catch (const UserError& e) {
            EXPECT_NE(std::string(e.what()).find("в имени файла есть перевод строки"), std::string::npos) << e.what();
        }
    }
    store.SetMark("/x\ny/ok.jpg", 3);   // only the file name goes into the file
    EXPECT_EQ(store.entries(), (std::vector<MarkStore::Entry>{{"ok.jpg", 3}}));
}

TEST_F(MarksFile, FifoIsReportedNotWaitedOn)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    store.SetMark("a.jpg", 1);
    QElapsedTimer timer;
    timer.start();
    try {
        store.LoadMarks(dir.path());
        ADD_FAILURE() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), ("Не удаётся прочитать файл отметок \"" + file + "\": это не обычный файл").toStdString());
    }
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(store.empty());
    store.SetMark("a.jpg", 1);
    EXPECT_THROW(store.SaveMarks(dir.path()), UserError);   // nor replaced
    struct stat st {};
    EXPECT_TRUE(::stat(QFile::encodeName(file).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST_F(MarksFile, ChangedSinceSave)
{
    WriteAll(file, "a.jpg:1\r\n");
    const std::pair<std::function<void()>, bool> steps[] = {
        {[&] { store.LoadMarks(dir.path()); }, false},
        {[&] { store.SetMark("A.JPG", 1); }, false},   // the mark it has
        {[&] { store.ClearMark("none.jpg"); }, false},
        {[&] { store.SetMark("a.jpg", 2); }, true},
        {[&] { store.SaveMarks(dir.path()); }, false},
        {[&] { store.SetMark("b.jpg", MarkV); }, true},
        {[&] { store.LoadMarks(dir.path()); }, false},
        {[&] { store.ClearMark("a.jpg"); }, true},
        {[&] { store.SaveMarks(dir.path()); }, false},   // deletes the file
        {[&] { store.Clear(); }, false},
    };
    int i = 0;
    for (const auto& [step, changed] : steps) {
        step();
        EXPECT_EQ(store.changedSinceSave(), changed) << "step " << i++;
    }
}

}  // namespace
