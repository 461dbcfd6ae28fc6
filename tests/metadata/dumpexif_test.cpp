#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

#include <QFile>

#include "exiftestfiles.h"
#include "metadata/dumpexif.h"

using namespace tetrafot;

using namespace exif;
using namespace exiftest;

namespace {

// Captures what DumpExif writes to its two streams.
struct Streams {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out{std::tmpfile(), &std::fclose};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> err{std::tmpfile(), &std::fclose};

    static std::string Text(std::FILE* f)
    {
        std::fflush(f);
        std::rewind(f);
        std::string text;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        return text;
    }
    std::string Out() { return Text(out.get()); }
    std::string Err() { return Text(err.get()); }
};

class DumpExifTest : public ExifFileTest {
protected:
    void SetUp() override
    {
        ExifBuilder a;
        a.Add(ExifDir::Ifd0, Ascii(0x0110, "Cam A")).Add(ExifDir::Exif, Undefined(0x927C, "hidden"));
        first = Write(ExifJpeg(a), "a.jpg");
        ExifBuilder b;
        b.Add(ExifDir::Ifd0, Short(0x0112, {1}));
        second = Write(ExifJpeg(b), "b.jpg");
        bad = Write(MiniJpeg({}), "none.jpg");
        const std::string exifAt = std::to_string(a.DirectoryOffset(ExifDir::Exif));
        firstLines = "Model:\tCam A\nEXIF SubIFD Offset:\t" + exifAt + "\n";
    }

    std::string first, second, bad, firstLines;
};

TEST_F(DumpExifTest, OneFileHasNoHeader)
{
    Streams s;
    EXPECT_EQ(DumpExif({first}, s.out.get(), s.err.get()), 0);
    EXPECT_EQ(s.Out(), firstLines);
    EXPECT_EQ(s.Err(), "");
}

TEST_F(DumpExifTest, SeveralFilesHaveHeaders)
{
    Streams s;
    EXPECT_EQ(DumpExif({first, second}, s.out.get(), s.err.get()), 0);
    EXPECT_EQ(s.Out(), "==> " + first + " <==\n" + firstLines + "==> " + second +
                           " <==\nOrientation:\tPortrait (Top Left)\n");
}

// A file that does not open says why; a FIFO is refused, not waited on.
TEST_F(DumpExifTest, FailedFileOnlyOnTheErrorStream)
{
    Streams s;
    const std::string missing = dir.filePath("missing.jpg").toStdString();
    const std::string folder = dir.path().toStdString();
    const std::string fifo = dir.filePath("fifo.jpg").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(DumpExif({bad, first, missing, folder, fifo}, s.out.get(), s.err.get()), 1);
    EXPECT_EQ(s.Out(), "==> " + first + " <==\n" + firstLines);
    EXPECT_EQ(s.Err(), "tetrafot: " + bad + ": no EXIF data (status 11)\n"
                       "tetrafot: " + missing + ": cannot read it: No such file or directory\n"
                       "tetrafot: " + folder + ": cannot read it: it is a folder\n"
                       "tetrafot: " + fifo + ": cannot read it: it is not a regular file\n");

    Streams alone;
    EXPECT_EQ(DumpExif({bad}, alone.out.get(), alone.err.get()), 1);
    EXPECT_EQ(alone.Out(), "");
}

// A name keeps its header on one line of valid UTF-8, and the escapes
// cannot be mistaken for characters of another name.
TEST_F(DumpExifTest, NamesAreEscaped)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb.jpg", "a\\nb.jpg"},
        {"tab\there\r.jpg", "tab\\there\\r.jpg"},
        {"back\\n.jpg", "back\\\\n.jpg"},
        {"caf\xE9\x01\x7F.jpg", "caf\\xE9\\x01\\x7F.jpg"},
        {"Zo\xC3\xAB \xE2\x82\xAC.jpg", "Zo\xC3\xAB \xE2\x82\xAC.jpg"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(DumpName(name), expected) << name;

    const QString lineBreak = dir.filePath("a\nb.jpg");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(first), lineBreak));
    Streams s;
    EXPECT_EQ(DumpExif({second, lineBreak.toStdString()}, s.out.get(), s.err.get()), 0);
    EXPECT_EQ(s.Out(), "==> " + second + " <==\nOrientation:\tPortrait (Top Left)\n==> " + dir.path().toStdString() +
                           "/a\\nb.jpg <==\n" + firstLines);
}

// Each entry stays one line of valid UTF-8.
TEST(DumpLine, KeepsEveryEntryOnOneValidLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Model:\tplain", "Model:\tplain"},
        {"Artist:\tZo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80", "Artist:\tZo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"Copyright:\tline one\nline two\r", "Copyright:\tline one?line two?"},
        {"User Comment:\t", "User Comment:\t"},
        {std::string("Make:\ta\0b\tc", 11), "Make:\ta?b?c"},
        {"Make:\t\xFF\xC3(\xE2\x82", "Make:\t??" "(??"},          // stray and cut-off sequences
        {"Make:\t\xC0\xAF\xED\xA0\x80", "Make:\t?????"},          // overlong, surrogate
        {"Make:\t\xF4\x90\x80\x80\x7F", "Make:\t?????"},          // past U+10FFFF, DEL
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(DumpLine(line), expected) << line;
}

} // namespace
