// File names as bytes: every name the file system can hold comes back as the
// same bytes after a trip through the program's strings, and reads sensibly.
#include "common/bytenames.h"
#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

// The expected strings are spelt out as UTF-16 code units, worked out by hand
// from the bytes.
struct NameCase {
    const char* what;
    QByteArray bytes;
    std::u16string text;
    std::u16string shown;   // DisplayName
};

const NameCase kNames[] = {
    {"plain ASCII", "img_01.jpg", u"img_01.jpg", u"img_01.jpg"},
    {"Cyrillic UTF-8", "\xd1\x84\xd0\xbe\xd1\x82\xd0\xbe.jpg", u"\u0444\u043e\u0442\u043e.jpg",
     u"\u0444\u043e\u0442\u043e.jpg"},
    {"euro sign, three bytes", "\xe2\x82\xac.jpg", u"\u20ac.jpg", u"\u20ac.jpg"},
    {"Latin-1 e acute", "b\xe9.jpg", u"b\xdce9.jpg", u"b\u00e9.jpg"},
    {"lone 0x80", "\x80", u"\xdc80", u"\ufffd"},
    {"overlong slash", "\xc0\xaf", u"\xdcc0\xdcaf", u"\u00c0\u00af"},
    {"three-byte overlong", "\xe0\x80\xaf", u"\xdce0\xdc80\xdcaf", u"\u00e0\ufffd\u00af"},
    {"an encoded surrogate", "\xed\xb2\x80", u"\xdced\xdcb2\xdc80", u"\u00ed\u00b2\ufffd"},
    {"ends in a partial sequence", "ab\xe2\x82", u"ab\xdce2\xdc82", u"ab\u00e2\ufffd"},
    {"partial sequence before ASCII", "\xe2\x82z.jpg", u"\xdce2\xdc82z.jpg", u"\u00e2\ufffdz.jpg"},
    {"emoji, four bytes", "\xf0\x9f\x98\x80", u"\xd83d\xde00", u"\xd83d\xde00"},
    // U+10080: its low surrogate lies in the range the escapes use.
    {"pair with an escape-like low half", "\xf0\x90\x82\x80", u"\xd800\xdc80", u"\xd800\xdc80"},
    {"beyond U+10FFFF", "\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80", u"\u00f4\ufffd\ufffd\ufffd"},
    {"bytes F5..FF", "\xf5\xff", u"\xdcf5\xdcff", u"\u00f5\u00ff"},
    {"a path with a foreign folder", "/media/card/D\xc9SERT/\xe9t\xe9.JPG", u"/media/card/D\xdcc9SERT/\xdce9t\xdce9.JPG",
     u"/media/card/D\u00c9SERT/\u00e9t\u00e9.JPG"},
};

TEST(FileNameBytes, RoundTripExactly)
{
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.what);
        const QString text = DecodeFileName(c.bytes);
        EXPECT_EQ(text, QString::fromStdU16String(c.text));
        EXPECT_EQ(EncodeFileName(text), c.bytes);
        EXPECT_EQ(DisplayName(text), QString::fromStdU16String(c.shown));
    }
}

TEST(FileNameBytes, PathHelpersKeepForeignBytes)
{
    const QString folder = DecodeFileName("/tmp/D\xc9/");
    const QString path = DecodeFileName("/tmp/D\xc9/b\xe9.jpg");
    EXPECT_EQ(EncodeFileName(PathFileName(path)), QByteArray("b\xe9.jpg"));
    EXPECT_EQ(PathFolderPart(path), folder);
    EXPECT_EQ(EncodeFileName(AbsolutePath(DecodeFileName("/tmp/./D\xc9//b\xe9.jpg"))), EncodeFileName(path));
}

// A real file under a name that is not UTF-8: the questions the program asks
// of the file system reach it.
TEST(FileNameBytes, FileSystemQuestionsReachTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    bytenames::Cleanup cleanup(folder);
    const QByteArray file = folder + "/b\xe9.jpg";
    FILE* f = std::fopen(file.constData(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_EQ(::symlink("gone\xff", (folder + "/l\xe9").constData()), 0);

    EXPECT_TRUE(IsRegularFile(DecodeFileName(file)));
    EXPECT_TRUE(PathExists(DecodeFileName(file)));
    EXPECT_FALSE(IsRegularFile(DecodeFileName(folder + "/b\xe8.jpg")));
    EXPECT_FALSE(IsRegularFile(DecodeFileName(folder)));
    EXPECT_TRUE(PathExists(DecodeFileName(folder + "/l\xe9")));      // dangling
    EXPECT_FALSE(IsRegularFile(DecodeFileName(folder + "/l\xe9")));

    // A working directory whose name is not UTF-8.
    const QByteArray sub = folder + "/D\xc9";
    ASSERT_EQ(::mkdir(sub.constData(), 0700), 0);
    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(sub.constData()), 0);
    const QString cwd = CurrentDirectory();
    const QString absolute = AbsolutePath(DecodeFileName("x\xe9.jpg"));
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_EQ(EncodeFileName(cwd), sub);
    EXPECT_EQ(EncodeFileName(absolute), sub + "/x\xe9.jpg");
}

}  // namespace
