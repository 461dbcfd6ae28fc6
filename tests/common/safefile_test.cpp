// The three files the program writes (settings, marks, a copy) under every
// failure the writer can meet: the old file stays byte for byte, no
// temporary file is left, and the message names the file and the reason.
#include "settings/iniprofile.h"
#include "common/usererror.h"
#include "files/fileops.h"
#include "common/safefile.h"
#include "render/marks.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

using SafeFileFaults::Step;

enum class Kind { Settings, Marks, Copy };

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& name, const QByteArray& content)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(f.write(content), content.size());
}

QStringList Names(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A folder with the old file of the kind; Save() writes the new content.
struct Scene {
    Scene(const QString& folder, Kind kind) : kind(kind), folder(folder)
    {
        const char* names[] = {"tetrafot.ini", "marked.txt", "IMG_1.JPG"};
        target = folder + "/" + names[int(kind)];
        const QByteArray old[] = {"[Other]\r\nkey=1\r\n[Main]\r\nA=0\r\n", "caf\xe9.jpg:2\r\nb.jpg\r\n", "old photo"};
        Write(target, old[int(kind)]);
        source = QDir(folder).filePath("../IMG_1.JPG");
        Write(source, "new photo");
        marks.LoadMarks(folder);
        marks.SetMark("c.jpg", 4);
    }
    void Save()
    {
        if (kind == Kind::Settings)
            IniProfile::WriteSection(target, "Main", {{"A", "1"}});
        else if (kind == Kind::Marks)
            marks.SaveMarks(folder);
        else
            CopyFileWhole(source, target, true);
    }
    QByteArray Saved() const
    {
        const QByteArray saved[] = {"[Other]\r\nkey=1\r\n[Main]\r\nA=1\r\n", "caf\xe9.jpg:2\r\nb.jpg\r\nc.jpg:4\r\n",
                                    "new photo"};
        return saved[int(kind)];
    }
    Kind kind;
    QString folder, target, source;
    MarkStore marks;
};

// Each errno with strerror's text in the C locale, worked out by hand.
const std::pair<int, const char*> kErrors[] = {
    {ENOSPC, "No space left on device"}, {EIO, "Input/output error"}, {EROFS, "Read-only file system"}};

class WriteFaults : public ::testing::TestWithParam<std::tuple<Step, int, Kind>> {
protected:
    void TearDown() override { SafeFileFaults::Clear(); }
};

TEST_P(WriteFaults, OldFileStaysWholeAndTheMessageSaysWhy)
{
    const auto [step, errorIndex, kind] = GetParam();
    const auto [error, reason] = kErrors[errorIndex];
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir("f"));
    Scene scene(root.filePath("f"), kind);
    const QByteArray before = Read(scene.target);

    SafeFileFaults::Inject(step, 1, error);
    try {
        scene.Save();
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find(("\"" + scene.target + "\": ").toStdString() + reason), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(Read(scene.target), before);
    EXPECT_EQ(Names(scene.folder).size(), 1) << Names(scene.folder).join(' ').toStdString();

    SafeFileFaults::Clear();   // the same save goes through once the fault is gone
    scene.Save();
    EXPECT_EQ(Read(scene.target).toStdString(), scene.Saved().toStdString());
    EXPECT_EQ(Names(scene.folder).size(), 1);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Step, int, Kind>>& info)
{
    const char* steps[] = {"Open", "Write", "Fsync", "Close", "Rename"};
    const char* errors[] = {"ENOSPC", "EIO", "EROFS"};
    const char* kinds[] = {"Settings", "Marks", "Copy"};
    const auto [step, error, kind] = info.param;
    return std::string(kinds[int(kind)]) + steps[int(step)] + errors[error];
}

INSTANTIATE_TEST_SUITE_P(AllSteps, WriteFaults,
                         ::testing::Combine(::testing::Values(Step::Open, Step::Write, Step::Fsync, Step::Close,
                                                              Step::Rename),
                                            ::testing::Range(0, 3),
                                            ::testing::Values(Kind::Settings, Kind::Marks, Kind::Copy)),
                         CaseName);

TEST(AtomicWrite, InterruptedAndShortWritesStillWriteEverything)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("f");
    QByteArray content;
    for (int i = 0; i < 1000; ++i)
        content += QByteArray::number(i) + ' ';
    const std::tuple<Step, int, int> cases[] = {
        {Step::Write, 1, EINTR}, {Step::Write, 1, 0}, {Step::Write, 2, 0}, {Step::Fsync, 1, EINTR}, {Step::Close, 1, EINTR},
    };
    for (const auto& [step, nth, error] : cases) {
        SafeFileFaults::Inject(step, nth, error);
        content += '.';
        WriteFileAtomically(file, content, "Cannot write");
        EXPECT_EQ(Read(file), content) << int(step) << " " << nth << " " << error;
    }
    SafeFileFaults::Clear();
    EXPECT_EQ(Names(dir.path()), QStringList{"f"});
}

TEST(AtomicWrite, KeepsModeFollowsLinksAndRefusesToReplaceWithoutOverwrite)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real"), link = dir.filePath("link");
    Write(real, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0604), 0);
    ASSERT_TRUE(QFile::link(real, link));
    WriteFileAtomically(link, "new", "Cannot write");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_EQ(Read(real), "new");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    Write(dir.filePath("src"), "copy");
    EXPECT_THROW(CopyFileWhole(dir.filePath("src"), real, false), UserError);
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(Names(dir.path()), (QStringList{"link", "real", "src"}));
}

// A real full disk: a 64 KiB tmpfs filled to the last page.
TEST(AtomicWrite, FullTmpfsKeepsEveryOldFile)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const QString folder = dir.filePath("f");
    QDir().mkdir(folder);
    std::vector<std::unique_ptr<Scene>> scenes;
    for (Kind kind : {Kind::Settings, Kind::Marks, Kind::Copy})
        scenes.push_back(std::make_unique<Scene>(folder, kind));
    {
        QFile filler(dir.filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size()) {
        }
    }
    for (const auto& scene : scenes) {
        const QByteArray before = Read(scene->target);
        try {
            scene->Save();
            ADD_FAILURE() << "no error for " << scene->target.toStdString();
        } catch (const UserError& e) {
            EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
        }
        EXPECT_EQ(Read(scene->target), before);
    }
    EXPECT_EQ(Names(folder).size(), 3);
}

}  // namespace
