#include "render/rawpreview.h"
#include "render/rawprobe.h"

#include "common/usererror.h"
#include "metadata/phmetadata.h"
#include "jpegwriter.h"
#include "rawwriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

// The probe built beside the tests.
RawProbe& Probe()
{
    static RawProbe probe;
    return probe;
}

QByteArray Preview(int width = 1200, int height = 900)
{
    JpegSpec js;
    js.width = width;
    js.height = height;
    return MakeJpeg(js);
}

QByteArray Dng(const QByteArray& preview, QSize size, bool oldJpeg = false,
               exif::ExifOrder order = exif::ExifOrder::Intel)
{
    raw::DngSpec dng;
    dng.preview = preview;
    dng.previewSize = size;
    dng.oldJpeg = oldJpeg;
    dng.order = order;
    return raw::MakeDng(dng);
}

QByteArray WithLong(QByteArray bytes, std::uint32_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[qsizetype(at) + i] = char(value >> (8 * i));   // the files here are little-endian
    return bytes;
}

// The message of a failed extraction, or "" when a preview came.
std::string Failure(const QByteArray& file)
{
    try {
        const RawPreview p = ExtractRawPreview(file, Probe(), QStringLiteral("/cards/IMG_1.DNG"));
        EXPECT_TRUE(p.isJpeg() || !p.bitmap.isNull());
        return {};
    } catch (const UserError& e) {
        return e.what();
    }
}

} // namespace

// Each way a camera stores its preview gives back exactly the JPEG it stored.
TEST(RawPreview, GivesTheStoredJpegWhateverTheLayout)
{
    const QByteArray jpeg = Preview();
    struct Case {
        const char* name;
        bool oldJpeg;
        exif::ExifOrder order;
    } cases[] = {
        {"strip, Intel", false, exif::ExifOrder::Intel},
        {"JPEGInterchangeFormat, Intel", true, exif::ExifOrder::Intel},
        {"strip, Motorola", false, exif::ExifOrder::Motorola},
        {"JPEGInterchangeFormat, Motorola", true, exif::ExifOrder::Motorola},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = Dng(jpeg, QSize(1200, 900), c.oldJpeg, c.order);
        const RawPreview p = ExtractRawPreview(file, Probe());
        EXPECT_EQ(p.jpeg, jpeg);
        EXPECT_EQ(p.size, QSize(1200, 900));
        EXPECT_FALSE(p.isMeagre());
        // The whole file is shorter than the head kept for the Exif.
        EXPECT_EQ(p.tiffHead, file);
    }
}

// The largest preview wins over IFD0's thumbnail; with none but the
// thumbnail, its pixels come as a bitmap.
TEST(RawPreview, LargestPreviewAndBitmapFallback)
{
    const RawPreview small = ExtractRawPreview(Dng(Preview(400, 300), QSize(400, 300)), Probe());
    EXPECT_EQ(small.size, QSize(400, 300));
    EXPECT_TRUE(small.isJpeg());
    EXPECT_TRUE(small.isMeagre());

    const RawPreview bitmap = ExtractRawPreview(raw::MakeDngWithoutJpeg(), Probe());
    ASSERT_FALSE(bitmap.bitmap.isNull());
    EXPECT_TRUE(bitmap.isMeagre());
    EXPECT_EQ(bitmap.bitmap.size(), QSize(32, 24));
    // The thumbnail's red runs 0..255 left to right, green top to bottom, blue 128.
    EXPECT_EQ(bitmap.bitmap.pixel(0, 0), qRgb(0, 0, 128));
    EXPECT_EQ(bitmap.bitmap.pixel(31, 0), qRgb(255, 0, 128));
    EXPECT_EQ(bitmap.bitmap.pixel(31, 23), qRgb(255, 255, 128));
}

// Damaged and hostile files: each fails with one message naming the file
// and the cause, before anything is allocated for what the file claims.
TEST(RawPreview, DamagedFilesFailWithTheirCause)
{
    const QByteArray good = Dng(Preview(), QSize(1200, 900));
    const raw::DngLayout at = raw::FindDngPreview(good);
    ASSERT_GT(at.previewOffset, 0u);
    const std::uint32_t size = std::uint32_t(good.size());
    // IFD0 (at 8) of the thumbnail-only file: its StripByteCounts (0x117)
    // is entry 12 counted from 0, the tags sorted, 12 bytes an entry.
    const QByteArray thumbOnly = raw::MakeDngWithoutJpeg();
    const std::uint32_t thumbLength = 8 + 2 + 12 * 12 + 8;   // the 13th entry, 0x117
    ASSERT_GE(at.previewOffset + at.previewLength + 1, size);   // the preview comes last, maybe padded
    struct Case {
        const char* name;
        QByteArray file;
        const char* cause;   // in the message
    } cases[] = {
        {"empty", QByteArray(), "повреждён или обрезан"},
        {"a JPEG named .DNG", Preview(64, 48), "не RAW-файл"},
        {"text", QByteArray("II*\0 this is no camera file at all", 35), "повреждён или обрезан"},
        {"cut in its header", good.left(100), "повреждён или обрезан"},
        {"cut in its preview", good.left(qsizetype(at.previewOffset + at.previewLength / 2)), "за конец файла"},
        {"preview offset past the end", WithLong(good, at.offsetField, size + 4096), "за конец файла"},
        {"preview offset at the very end", WithLong(good, at.offsetField, size), "за конец файла"},
        {"preview length of 4 GB", WithLong(good, at.lengthField, 0xFFFFFFFFu), "за конец файла"},
        {"preview length one byte past the end", WithLong(good, at.lengthField, size - at.previewOffset + 1), "за конец файла"},
        {"preview offset into the mosaic", WithLong(good, at.offsetField, 2048), "превью"},
        {"bitmap shorter than its size", WithLong(thumbOnly, thumbLength, 32 * 24 * 3 - 194), "нельзя показать"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = Failure(c.file);
        EXPECT_NE(message.find("IMG_1.DNG"), std::string::npos) << message;
        EXPECT_NE(message.find(c.cause), std::string::npos) << message;
    }
}

// Every single bit flip in the headers gives a preview or a message, and a
// preview never larger than the file.
TEST(RawPreview, BitFlipsInTheHeadersNeverOverrun)
{
    const QByteArray good = Dng(Preview(64, 48), QSize(64, 48));
    const int headers = int(raw::FindDngPreview(good).previewOffset);
    int failed = 0;
    for (int i = 0; i < headers; i += 3) {
        QByteArray file = good;
        file[i] = char(file[i] ^ (1 << (i % 8)));
        try {
            const RawPreview p = ExtractRawPreview(file, Probe(), QStringLiteral("flip.dng"));
            EXPECT_LE(p.jpeg.size(), file.size()) << "flip at " << i;
            EXPECT_LE(qint64(p.bitmap.sizeInBytes()), qint64(1) << 30) << "flip at " << i;
        } catch (const UserError& e) {
            ++failed;
            EXPECT_NE(std::string(e.what()).find("flip.dng"), std::string::npos) << e.what();
        }
    }
    EXPECT_GT(failed, 0);   // the byte order mark and magic alone must fail
}

// Read from a file: only regular files, never waited on.
TEST(RawPreview, ReadsRegularFilesOnly)
{
    QTemporaryDir dir;
    const QByteArray jpeg = Preview(640, 480);
    const QString dng = dir.filePath("IMG_2.DNG");
    ASSERT_TRUE(exif::WriteBytesToFile(dng, Dng(jpeg, QSize(640, 480))));
    EXPECT_EQ(ReadRawPreview(dng, Probe()).jpeg, jpeg);

    const QString fifo = dir.filePath("fifo.dng");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder.dng");
    struct Case {
        QString path;
        const char* cause;
    } cases[] = {
        {fifo, "не обычный файл"},
        {dir.filePath("folder.dng"), "папка"},
        {dir.filePath("missing.dng"), "No such file"},
    };
    for (const Case& c : cases) {
        try {
            ReadRawPreview(c.path, Probe());
            ADD_FAILURE() << c.path.toStdString();
        } catch (const UserError& e) {
            EXPECT_NE(std::string(e.what()).find(c.cause), std::string::npos) << e.what();
        }
    }
}

namespace {

// The preview where the answer says it lies, read from the file's bytes.
RawPreview FromAnswer(const QByteArray& file, const QByteArray& answer)
{
    const int fd = ::memfd_create("rawpreview-test", MFD_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, file.constData(), size_t(file.size())), file.size());
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    return PreviewFromProbeAnswer(answer, fd, file.size(), QStringLiteral("IMG.RAW"));
}

QByteArray Answer(qsizetype offset, qsizetype length, QSize size)
{
    return QStringLiteral("preview %1 %2 %3 %4").arg(offset).arg(length).arg(size.width()).arg(size.height()).toLatin1();
}

std::string ModelIn(const TImageMetadata& m)
{
    for (const TTagItem& item : m.Tags)
        if (item.tag == 0x110)
            return item.text;
    return "<none>";
}

} // namespace

// A RAF's JPEG is its preview and carries its Exif; a CR3 keeps its Exif
// in its boxes, so the start of the file goes with the preview. LibRaw
// takes the RAF the writer makes; it takes no CR3 without a real sensor
// track, so the CR3's answer is given here as the probe would give it.
TEST(RawPreview, KeepsTheBytesThatHoldTheExifOfRafAndCr3)
{
    raw::RafSpec raf;
    raf.jpeg = raw::RafJpeg(Preview(), raf.model, 6);
    const QByteArray rafFile = raw::MakeRaf(raf);
    const QByteArray other = Preview(300, 200);
    raw::Cr3Spec cr3;
    cr3.preview = Preview(1620, 1080);
    cr3.model = "Tetra C1";
    const QByteArray cr3File = raw::MakeCr3(cr3);
    const qsizetype prvw = cr3File.indexOf(cr3.preview);
    ASSERT_GT(prvw, 0);
    ASSERT_EQ(cr3File.mid(36, 4), "uuid");
    const qsizetype canonBox = qsizetype(cr3File.mid(32, 4).toHex().toUInt(nullptr, 16));

    const RawPreview fromLibRaw = ExtractRawPreview(rafFile, Probe());
    EXPECT_EQ(fromLibRaw.jpeg, raf.jpeg);
    EXPECT_EQ(fromLibRaw.size, QSize(1200, 900));
    EXPECT_TRUE(fromLibRaw.tiffHead.isEmpty());

    struct Case {
        const char* name;
        QByteArray file;
        QByteArray answer;
        QByteArray jpeg, head;
        std::string model;
    } cases[] = {
        {"RAF, its own JPEG", rafFile, Answer(148, raf.jpeg.size(), QSize(1200, 900)), raf.jpeg, {}, "Tetra F1"},
        {"RAF, another preview", rafFile + other, Answer(rafFile.size(), other.size(), QSize(300, 200)), other,
         raf.jpeg.left(128 << 10), "Tetra F1"},
        // ftyp (24 bytes), moov's header, then Canon's box, whose size leads it.
        {"CR3", cr3File, Answer(prvw, cr3.preview.size(), QSize(1620, 1080)), cr3.preview, cr3File.left(32 + canonBox),
         "Tetra C1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RawPreview p = FromAnswer(c.file, c.answer);
        EXPECT_EQ(p.jpeg, c.jpeg);
        EXPECT_EQ(p.tiffHead, c.head);
        const QByteArray& exif = p.tiffHead.isEmpty() ? p.jpeg : p.tiffHead;
        const TImageMetadata m = TImageMetadata::FromRawHead(std::string_view(exif.constData(), size_t(exif.size())));
        EXPECT_EQ(m.ErrorCode, ExifStatus::Ok);
        EXPECT_EQ(ModelIn(m), c.model);
    }
}
