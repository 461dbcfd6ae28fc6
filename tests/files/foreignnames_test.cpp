// Files whose names are not UTF-8 (a Latin-1 "b\xe9.jpg" from an old card),
// in folders whose names are not either: listed, copied, moved and deleted
// with their RAW companions, and handed to tools, always under their bytes.
#include "common/bytenames.h"
#include "common/errortext.h"
#include "common/paths.h"
#include "files/fileops.h"
#include "files/folderlisting.h"
#include "files/tools.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

class ForeignNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = QFile::encodeName(tmp.path());
        cleanup.setFolder(root);
        cam = root + "/cam\xc9";
        ASSERT_EQ(::mkdir(cam.constData(), 0755), 0);
    }
    QTemporaryDir tmp;
    bytenames::Cleanup cleanup;
    QByteArray root, cam;
};

TEST_F(ForeignNames, ListedUnderTheirBytesAndSortedAsShown)
{
    for (const char* name : {"b\xe9.jpg", "be.jpg", "bf.jpg", "a.jpg", "b\xc3\xa9" "a.jpg", "c\xc3\xa9.JPG", "z\x80.jpg",
                              "n\xe9.txt"})
        bytenames::Write(cam + '/' + name, "x");
    const FolderListing listing = ListFolderEntries(DecodeFileName(cam), {QStringLiteral("*.jpg")});
    ASSERT_TRUE(listing.ok()) << listing.error.toStdString();
    QByteArrayList names;
    for (const QString& name : listing.names)
        names << EncodeFileName(name);
    // "b\xe9" reads "b\u00e9": after "bf", before the UTF-8 "b\u00e9a".
    const QByteArrayList expected{"a.jpg",          "be.jpg",       "bf.jpg",   "b\xe9.jpg",
                                  "b\xc3\xa9" "a.jpg", "c\xc3\xa9.JPG", "z\x80.jpg"};
    EXPECT_EQ(names, expected);
}

TEST_F(ForeignNames, CopyMoveAndDeleteTakeTheCompanionAlong)
{
    FileOpOptions options;
    options.companions = true;
    options.extensions = {QStringLiteral("crw")};   // found as "CRW"
    const QByteArray photo = cam + "/b\xe9.jpg";
    const QString path = DecodeFileName(photo);
    const QByteArray out = root + "/out\xe9";
    ASSERT_EQ(::mkdir(out.constData(), 0755), 0);
    bytenames::Write(photo, "jpeg");
    bytenames::Write(cam + "/b\xe9.CRW", "raw");

    ASSERT_TRUE(CopyCurrentFile(path, DecodeFileName(out), options));
    EXPECT_EQ(bytenames::List(out), (QByteArrayList{"b\xe9.CRW", "b\xe9.jpg"}));
    EXPECT_EQ(bytenames::Read(out + "/b\xe9.jpg"), "jpeg");
    EXPECT_EQ(bytenames::Read(out + "/b\xe9.CRW"), "raw");
    EXPECT_EQ(bytenames::List(cam), (QByteArrayList{"b\xe9.CRW", "b\xe9.jpg"}));

    const QByteArray moved = root + "/moved";
    ASSERT_EQ(::mkdir(moved.constData(), 0755), 0);
    ASSERT_TRUE(MoveCurrentFile(path, DecodeFileName(moved), options));
    EXPECT_EQ(bytenames::List(moved), (QByteArrayList{"b\xe9.CRW", "b\xe9.jpg"}));
    EXPECT_EQ(bytenames::List(cam), QByteArrayList());

    DeleteCurrentFile(DecodeFileName(out + "/b\xe9.jpg"), options);
    EXPECT_EQ(bytenames::List(out), QByteArrayList());
}

TEST_F(ForeignNames, FailuresNameTheFileReadably)
{
    bytenames::Write(cam + "/b\xe9.jpg", "jpeg");
    const std::string text = ErrorText(
        [&] { CopyCurrentFile(DecodeFileName(cam + "/b\xe9.jpg"), DecodeFileName(root + "/gone\xe9"), {}); });
    EXPECT_NE(text.find("gone\xc3\xa9/b\xc3\xa9.jpg"), std::string::npos) << text;
}

TEST_F(ForeignNames, ReadOnlyToggleReachesTheFile)
{
    const QByteArray photo = cam + "/b\xe9.jpg";
    bytenames::Write(photo, "jpeg");
    const QString path = DecodeFileName(photo);
    struct stat st {};
    EXPECT_FALSE(IsReadOnlyFile(path));
    EXPECT_EQ(SetReadOnly(path, true), 0);
    ASSERT_EQ(::stat(photo.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_TRUE(IsReadOnlyFile(path));
    EXPECT_EQ(SetReadOnly(path, false), 0);
    ASSERT_EQ(::stat(photo.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, unsigned(S_IWUSR));
    EXPECT_EQ(SetReadOnly(DecodeFileName(cam + "/b\xe8.jpg"), true), ENOENT);
    EXPECT_EQ(SetReadOnly(DecodeFileName(cam), true), EINVAL);
}

// A tool that writes its arguments, one a line, and its working directory.
TEST_F(ForeignNames, ToolsGetTheExactBytesAndRunInTheFolder)
{
    const QByteArray tool = root + "/tool.sh";
    bytenames::Write(tool, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > argv.tmp\n"
                           "pwd -P >> argv.tmp\nmv argv.tmp argv.out\n");
    ASSERT_EQ(::chmod(tool.constData(), 0755), 0);
    const QByteArray photo = cam + "/b\xe9.jpg";
    bytenames::Write(photo, "jpeg");

    ASSERT_TRUE(RunTool(DecodeFileName(photo), QString::fromUtf8("\"" + tool + "\" %p %f.%e \"[%d]\""), {},
                        DecodeFileName(cam)));
    QElapsedTimer timer;
    timer.start();
    while (!bytenames::Exists(cam + "/argv.out") && timer.elapsed() < 10000)
        QThread::msleep(20);
    char* real = ::realpath(cam.constData(), nullptr);
    ASSERT_NE(real, nullptr);
    const QByteArray realCam(real);
    std::free(real);
    EXPECT_EQ(bytenames::Read(cam + "/argv.out"), photo + "\nb\xe9.jpg\n[" + cam + "/]\n" + realCam + "\n");
}

TEST_F(ForeignNames, ToolThatCannotStartIsReported)
{
    const QString photo = DecodeFileName(cam + "/b\xe9.jpg");
    EXPECT_FALSE(RunTool(photo, QStringLiteral("no-such-tool-here %p"), {}, DecodeFileName(cam)));
    EXPECT_FALSE(RunTool(photo, QStringLiteral("true %p"), {}, DecodeFileName(root + "/no\xe9")));
    EXPECT_TRUE(RunTool(photo, QStringLiteral("true %p"), {}, DecodeFileName(cam)));
}

}  // namespace
