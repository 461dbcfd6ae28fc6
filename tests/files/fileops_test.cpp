#include "files/fileops.h"
#include "common/safefile.h"
#include "common/usererror.h"
#include <cerrno>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

TEST(Targets, Path)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {"/d/sorted", "/e/cam/IMG_0001.JPG", "/d/sorted/IMG_0001.JPG"},
        {"/d/sorted/", "/e/cam/IMG_0001.JPG", "/d/sorted/IMG_0001.JPG"},   // no second separator
        {"sorted", "IMG_0001.JPG", "sorted/IMG_0001.JPG"},
        {"/", "/e/a.jpg", "/a.jpg"},
    };
    for (const auto& [destination, path, target] : cases)
        EXPECT_EQ(TargetPath(destination, path), target);
}

// A camera folder with a photo and its companions, and a destination.
class FileOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath("cam");
        QDir(root.path()).mkpath("sorted");
        cam = root.filePath("cam");
        sorted = root.filePath("sorted");
        photo = cam + "/IMG_0001.JPG";
        Write(photo, "jpeg");
        Write(cam + "/IMG_0001.CRW", "raw");
        Write(cam + "/IMG_0001.thm", "thumb");   // found through the upper-case fallback's lower case
        options.extensions = {"CRW", "THM"};
    }
    static void Write(const QString& name, const QByteArray& content)
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(content);
    }
    static QByteArray Read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QStringList Names(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir root;
    QString cam, sorted, photo;
    FileOpOptions options;
};

TEST_F(FileOps, CopyWithCompanionsUnderTheirOwnNames)
{
    options.companions = true;
    EXPECT_TRUE(CopyCurrentFile(photo, sorted, options));
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm"}));
    EXPECT_EQ(Read(sorted + "/IMG_0001.thm"), "thumb");
    EXPECT_EQ(Names(cam).size(), 3);
}

TEST_F(FileOps, CompanionsOnlyWhenAsked)
{
    EXPECT_TRUE(CopyCurrentFile(photo, sorted + "/", options));
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.JPG"}));
}

TEST_F(FileOps, OverwriteOffKeepsTargetButCompanionsGoOn)
{
    Write(sorted + "/IMG_0001.JPG", "older");
    options.companions = true;
    CopyCurrentFile(photo, sorted, options);
    EXPECT_EQ(Read(sorted + "/IMG_0001.JPG"), "older");
    EXPECT_EQ(Read(sorted + "/IMG_0001.CRW"), "raw");
}

TEST_F(FileOps, OverwriteOnReplacesWholeAndLeavesNoTemporary)
{
    Write(sorted + "/IMG_0001.JPG", "an older and longer file");
    options.overwrite = true;
    CopyCurrentFile(photo, sorted, options);
    EXPECT_EQ(Read(sorted + "/IMG_0001.JPG"), "jpeg");
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.JPG"}));
}

TEST_F(FileOps, CopyKeepsTimeAndMode)
{
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1200000000);
    {
        QFile f(photo);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(photo).constData(), 0444), 0);
    CopyCurrentFile(photo, sorted, options);
    const QFileInfo copy(sorted + "/IMG_0001.JPG");
    EXPECT_EQ(copy.lastModified(), old);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copy.filePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(FileOps, MoveWithCompanions)
{
    options.companions = true;
    EXPECT_TRUE(MoveCurrentFile(photo, sorted, options));
    EXPECT_TRUE(Names(cam).isEmpty());
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm"}));
}

TEST_F(FileOps, MoveOverwriteOffLeavesSource)
{
    Write(sorted + "/IMG_0001.JPG", "older");
    MoveCurrentFile(photo, sorted, options);
    EXPECT_EQ(Read(photo), "jpeg");
    EXPECT_EQ(Read(sorted + "/IMG_0001.JPG"), "older");
    options.overwrite = true;
    MoveCurrentFile(photo, sorted, options);
    EXPECT_FALSE(QFile::exists(photo));
    EXPECT_EQ(Read(sorted + "/IMG_0001.JPG"), "jpeg");
}

TEST_F(FileOps, MoveOntoItselfKeepsTheFile)
{
    options.overwrite = true;
    MoveCurrentFile(photo, cam, options);
    CopyCurrentFile(photo, cam + "/", options);
    EXPECT_EQ(Read(photo), "jpeg");
}

TEST_F(FileOps, MoveAcrossFileSystems)
{
    const QString shm = "/dev/shm";
    struct stat a {}, b {};
    if (::stat(shm.toLocal8Bit().constData(), &a) != 0 || ::stat(QFile::encodeName(cam).constData(), &b) != 0 ||
        a.st_dev == b.st_dev || !QFileInfo(shm).isWritable())
        GTEST_SKIP() << "no second file system";
    QTemporaryDir other(shm + "/tetrafot-XXXXXX");
    ASSERT_TRUE(other.isValid());
    options.companions = true;
    MoveCurrentFile(photo, other.path(), options);
    EXPECT_TRUE(Names(cam).isEmpty());
    EXPECT_EQ(Names(other.path()), QStringList({"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm"}));
    EXPECT_EQ(Read(other.path() + "/IMG_0001.CRW"), "raw");
}

TEST_F(FileOps, PrefixIsStrippedForCompanions)
{
    const QString edited = cam + "/e_IMG_0001.JPG";
    Write(edited, "edited");
    options.companions = true;
    options.prefix = "e_";
    CopyCurrentFile(edited, sorted, options);
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.CRW", "IMG_0001.thm", "e_IMG_0001.JPG"}));
}

TEST_F(FileOps, RelativeDestinationAndBareNameUseTheListedFolder)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cam));
    options.companions = true;
    CopyCurrentFile("IMG_0001.JPG", "../sorted", options);
    QDir::setCurrent(saved);
    EXPECT_EQ(Names(sorted), QStringList({"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm"}));
}

TEST_F(FileOps, MissingDestinationFolderIsNotCreatedAndEveryFailureIsReported)
{
    options.companions = true;
    const QString target = root.filePath("nowhere/IMG_0001.JPG");
    const struct {
        bool (*operation)(const QString&, const QString&, const FileOpOptions&);
        QString firstLine;
    } rows[] = {
        {&CopyCurrentFile, "Не удаётся записать копию \"" + target + "\": No such file or directory"},
        {&MoveCurrentFile, "Не удаётся переместить файл \"" + photo + "\" в \"" + target + "\": No such file or directory"},
    };
    for (const auto& row : rows) {
        try {
            row.operation(photo, root.filePath("nowhere"), options);
            ADD_FAILURE() << "a copy into a missing folder reported success";
        } catch (const UserError& e) {
            // One line per file tried: the photo and its two companions.
            const QStringList lines = e.message().split('\n');
            EXPECT_EQ(lines.size(), 3) << e.what();
            EXPECT_EQ(lines[0].toStdString(), row.firstLine.toStdString());
        }
    }
    EXPECT_FALSE(QFileInfo::exists(root.filePath("nowhere")));
    EXPECT_EQ(Names(cam).size(), 3);
}

TEST_F(FileOps, EmptyDestinationTouchesNothing)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cam));
    options.companions = true;
    options.overwrite = true;
    EXPECT_FALSE(CopyCurrentFile(photo, "", options));
    EXPECT_FALSE(MoveCurrentFile(photo, "  ", options));
    QDir::setCurrent(saved);
    EXPECT_EQ(Names(cam).size(), 3);
    EXPECT_EQ(Read(photo), "jpeg");
}

TEST_F(FileOps, NoCurrentFileChangesNothing)
{
    options.companions = true;
    CopyCurrentFile("", sorted, options);
    DeleteCurrentFile("", options);
    EXPECT_TRUE(Names(sorted).isEmpty());
    EXPECT_EQ(Names(cam).size(), 3);
}

TEST_F(FileOps, DeleteWithAndWithoutCompanions)
{
    Write(cam + "/IMG_0002.JPG", "2");
    Write(cam + "/IMG_0002.CRW", "2");
    DeleteCurrentFile(cam + "/IMG_0002.JPG", options);
    EXPECT_EQ(Names(cam), QStringList({"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm", "IMG_0002.CRW"}));
    options.companions = true;
    DeleteCurrentFile(photo, options);
    EXPECT_EQ(Names(cam), QStringList({"IMG_0002.CRW"}));
}

TEST_F(FileOps, CopyFromAFifoIsRefusedAtOnce)
{
    // A photo swapped for a FIFO after the folder was listed.
    const QString fifo = cam + "/IMG_0002.JPG";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        CopyFileWhole(fifo, sorted + "/IMG_0002.JPG", true);
        ADD_FAILURE() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), ("Не удаётся прочитать файл \"" + fifo + "\": это не обычный файл").toStdString());
    }
    EXPECT_TRUE(Names(sorted).isEmpty());
}

}  // namespace

// A RAW file whose own extension is configured is copied once, not again
// as its own companion: the second open of a copy would fail here.
TEST_F(FileOps, RawFileIsNotItsOwnCompanion)
{
    const QString rawPhoto = cam + "/IMG_0001.CRW";
    options.companions = true;
    options.overwrite = true;
    options.extensions = {"CRW"};
    SafeFileFaults::Inject(SafeFileFaults::Step::Open, 2, EACCES);
    EXPECT_NO_THROW(CopyCurrentFile(rawPhoto, sorted, options));
    SafeFileFaults::Clear();
    EXPECT_EQ(Read(sorted + "/IMG_0001.CRW"), "raw");
    EXPECT_EQ(Names(sorted), QStringList{"IMG_0001.CRW"});
}

// The file operations dialog's outcomes: each row on a fresh camera folder
// holding IMG_0001.JPG with a .CRW and a .thm companion.
TEST(FileOperationOutcome, Table)
{
    enum Where { Sorted, Empty, Blank, NotAFolder };
    const QStringList all{"IMG_0001.CRW", "IMG_0001.JPG", "IMG_0001.thm"}, raws{"IMG_0001.CRW", "IMG_0001.thm"};
    const struct {
        const char* name;
        FileOperation operation;
        bool companions;
        Where where;
        QStringList camAfter, sortedAfter;
        bool needsDestination;
        int errorLines;
    } rows[] = {
        {"copy with companions", FileOperation::Copy, true, Sorted, all, all, false, 0},
        {"copy alone", FileOperation::Copy, false, Sorted, all, {"IMG_0001.JPG"}, false, 0},
        {"move with companions", FileOperation::Move, true, Sorted, {}, all, false, 0},
        {"move alone", FileOperation::Move, false, Sorted, raws, {"IMG_0001.JPG"}, false, 0},
        {"delete with companions", FileOperation::Delete, true, Sorted, {}, {}, false, 0},
        {"delete alone", FileOperation::Delete, false, Sorted, raws, {}, false, 0},
        {"delete needs no folder", FileOperation::Delete, true, Empty, {}, {}, false, 0},
        {"copy to no folder", FileOperation::Copy, true, Empty, all, {}, true, 0},
        {"move to a blank folder", FileOperation::Move, true, Blank, all, {}, true, 0},
        {"nothing chosen", FileOperation::None, true, Sorted, all, {}, false, 0},
        // Each file that fails is one line; the source stays whole.
        {"copy into a file's name", FileOperation::Copy, true, NotAFolder, all, {}, false, 3},
        {"move into a file's name", FileOperation::Move, false, NotAFolder, all, {}, false, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString cam = root.filePath("cam"), sorted = root.filePath("sorted");
        QDir().mkpath(cam);
        QDir().mkpath(sorted);
        for (const QString& name : all) {
            QFile f(cam + '/' + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name.toLatin1());
        }
        // A file where the folder should be fails for every user, root too.
        const QString plain = root.filePath("plain");
        QFile(plain).open(QIODevice::WriteOnly);
        const QString destination = row.where == Empty ? "" : row.where == Blank ? "  " : row.where == NotAFolder ? plain : sorted;
        FileOpOptions options;
        options.companions = row.companions;
        options.extensions = {"CRW", "THM"};
        const FileOpOutcome outcome = CarryOutFileOperation(row.operation, cam + "/IMG_0001.JPG", destination, options);
        EXPECT_EQ(outcome.needsDestination, row.needsDestination);
        EXPECT_EQ(outcome.error.isEmpty() ? 0 : int(outcome.error.count('\n')) + 1, row.errorLines) << outcome.error.toStdString();
        EXPECT_EQ(QDir(cam).entryList(QDir::Files, QDir::Name), row.camAfter);
        EXPECT_EQ(QDir(sorted).entryList(QDir::Files, QDir::Name), row.sortedAfter);
    }
}
