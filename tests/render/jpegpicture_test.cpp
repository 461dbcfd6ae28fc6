#include "render/jpegpicture.h"
#include "common/errortext.h"

#include "common/usererror.h"
#include "jpegwriter.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include <jpeglib.h>
#include <jerror.h>

using namespace tetrafot;

namespace {

QByteArray Photo(int width, int height, bool grey = false, bool progressive = false, unsigned seed = 1)
{
    JpegSpec desc;
    desc.width = width;
    desc.height = height;
    desc.grey = grey;
    desc.progressive = progressive;
    desc.seed = seed;
    return MakeJpeg(desc);
}


// The message of a picture made from bytes alone: libjpeg's number and text.
std::string JpegError(int code, const std::string& text)
{
    return "JPEG error #" + std::to_string(code) + " (" + text + ")";
}

// The photo with its frame header claiming another size.
QByteArray WithFrameSize(const QByteArray& photo, int frameMarker, int width, int height)
{
    const int sof = FindMarker(photo, frameMarker);
    EXPECT_GT(sof, 0);
    QByteArray patched = photo;
    patched[sof + 5] = static_cast<char>(height >> 8);
    patched[sof + 6] = static_cast<char>(height & 0xFF);
    patched[sof + 7] = static_cast<char>(width >> 8);
    patched[sof + 8] = static_cast<char>(width & 0xFF);
    return patched;
}

double MeanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    const int bytes = a.width() * (a.format() == QImage::Format_Indexed8 ? 1 : 3);
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pb = b.constScanLine(y);
        for (int i = 0; i < bytes; ++i)
            sum += std::abs(pa[i] - pb[i]);
    }
    return sum / (static_cast<double>(bytes) * a.height());
}

struct SizeRow {
    int width, height, denom, outWidth, outHeight;
};

void PrintTo(const SizeRow& r, std::ostream* os)
{
    *os << r.width << "x" << r.height << " at 1/" << r.denom;
}

class DecodedSize : public testing::TestWithParam<SizeRow> {};

TEST_P(DecodedSize, IsTheFullSizeDividedAndRoundedUp)
{
    const SizeRow r = GetParam();
    TJPEGPicture picture(Photo(r.width, r.height));
    picture.setScaleDenom(r.denom);
    EXPECT_EQ(picture.width(), r.outWidth);
    EXPECT_EQ(picture.height(), r.outHeight);
    EXPECT_FALSE(picture.isDecoded()) << "the size alone must not decode the pixels";
    const QImage& image = picture.image();
    EXPECT_EQ(image.size(), QSize(r.outWidth, r.outHeight));
    EXPECT_EQ(picture.fullWidth(), r.width);
    EXPECT_EQ(picture.fullHeight(), r.height);
}

INSTANTIATE_TEST_SUITE_P(OddSizes, DecodedSize,
    testing::Values(SizeRow{641, 479, 1, 641, 479}, SizeRow{641, 479, 2, 321, 240},
                    SizeRow{641, 479, 4, 161, 120}, SizeRow{641, 479, 8, 81, 60},
                    SizeRow{1, 1, 8, 1, 1}, SizeRow{9, 7, 2, 5, 4}, SizeRow{9, 7, 4, 3, 2},
                    SizeRow{9, 7, 8, 2, 1}, SizeRow{17, 33, 8, 3, 5}, SizeRow{16, 24, 8, 2, 3},
                    SizeRow{1000, 3, 4, 250, 1}));

TEST(JPEGPicture, ColourDecodesToRgb888InRgbOrder)
{
    QImage source(48, 32, QImage::Format_RGB888);
    source.fill(QColor(200, 100, 50));
    TJPEGPicture picture(MakeJpegFromImage(source, 100));
    const QImage& image = picture.image();
    ASSERT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_FALSE(picture.isGreyscale());
    const QColor c = image.pixelColor(20, 15);
    EXPECT_NEAR(c.red(), 200, 2);
    EXPECT_NEAR(c.green(), 100, 2);
    EXPECT_NEAR(c.blue(), 50, 2);
}

TEST(JPEGPicture, GreyDecodesToIndexed8WithGreyPalette)
{
    TJPEGPicture picture(Photo(100, 80, true));
    EXPECT_TRUE(picture.isGreyscale());
    const QImage& image = picture.image();
    ASSERT_EQ(image.format(), QImage::Format_Indexed8);
    ASSERT_EQ(image.colorCount(), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(image.color(i), qRgb(i, i, i)) << "palette entry " << i;
}

struct CmykRow {
    const char* name;
    CmykSpec desc;
    int r, g, b;
};

void PrintTo(const CmykRow& r, std::ostream* os) { *os << r.name; }

class CmykDecode : public testing::TestWithParam<CmykRow> {};

TEST_P(CmykDecode, ConvertsToRgb)
{
    const CmykRow row = GetParam();
    TJPEGPicture picture(MakeCmykJpeg(row.desc));
    const QImage& image = picture.image();
    ASSERT_EQ(image.format(), QImage::Format_RGB888);
    const QColor c = image.pixelColor(30, 20);
    EXPECT_NEAR(c.red(), row.r, 3);
    EXPECT_NEAR(c.green(), row.g, 3);
    EXPECT_NEAR(c.blue(), row.b, 3);
}

// Ink amounts (0 none, 255 full): R = (255-C)(255-K)/255 and so on.
INSTANTIATE_TEST_SUITE_P(Inks, CmykDecode,
    testing::Values(
        CmykRow{"AdobeRed", {64, 48, 0, 255, 255, 0, true, false}, 255, 0, 0},
        CmykRow{"PlainRed", {64, 48, 0, 255, 255, 0, false, false}, 255, 0, 0},
        CmykRow{"AdobeHalfBlack", {64, 48, 0, 0, 0, 128, true, false}, 127, 127, 127},
        CmykRow{"PlainCyan", {64, 48, 255, 0, 0, 0, false, false}, 0, 255, 255},
        CmykRow{"YcckBlue", {64, 48, 255, 255, 0, 0, true, true}, 0, 0, 255},
        CmykRow{"YcckGreyGreen", {64, 48, 255, 0, 255, 102, true, true}, 0, 153, 0}),
    [](const testing::TestParamInfo<CmykRow>& info) { return std::string(info.param.name); });

TEST(JPEGPicture, ProgressiveDecodesLikeBaseline)
{
    TJPEGPicture baseline(Photo(300, 200, false, false, 7));
    TJPEGPicture progressive(Photo(300, 200, false, true, 7));
    for (int denom : {1, 2, 8}) {
        SCOPED_TRACE(denom);
        baseline.setScaleDenom(denom);
        progressive.setScaleDenom(denom);
        ASSERT_EQ(progressive.image().size(), baseline.image().size());
        EXPECT_LT(MeanDifference(progressive.image(), baseline.image()), 1.5);
    }
}

TEST(JPEGPicture, TruncatedFileStillDecodes)
{
    const QByteArray good = Photo(320, 240);
    TJPEGPicture whole(good);
    TJPEGPicture cut(Truncate(good, static_cast<int>(good.size() * 6 / 10)));
    std::string error = ErrorText([&] { cut.image(); });
    EXPECT_EQ(error, "(no error)");
    ASSERT_EQ(cut.image().size(), QSize(320, 240));
    // The part that arrived is the same as in the whole file.
    EXPECT_EQ(std::memcmp(cut.image().constScanLine(0), whole.image().constScanLine(0), 320 * 3), 0);
}

TEST(JPEGPicture, FileCutInsideTheHeaderIsAnError)
{
    const QByteArray good = Photo(64, 48);
    const int sof = FindMarker(good, 0xC0);
    ASSERT_GT(sof, 0);
    TJPEGPicture picture(Truncate(good, sof + 4));
    EXPECT_EQ(ErrorText([&] { picture.width(); }).rfind("JPEG error #", 0), 0u);
}

struct BrokenRow {
    const char* name;
    int offsetFromSof;   // -1: replace the second byte of the file
    char value;
    int code;
    const char* text;
};

void PrintTo(const BrokenRow& r, std::ostream* os) { *os << r.name; }

class BrokenHeader : public testing::TestWithParam<BrokenRow> {};

TEST_P(BrokenHeader, ThrowsTheDecodersMessageNumber)
{
    const BrokenRow row = GetParam();
    const QByteArray good = Photo(64, 48);
    const int sof = FindMarker(good, 0xC0);
    ASSERT_GT(sof, 0);
    const int offset = row.offsetFromSof < 0 ? 1 : sof + row.offsetFromSof;
    TJPEGPicture picture(CorruptAt(good, offset, row.value));
    EXPECT_EQ(ErrorText([&] { picture.width(); }), JpegError(row.code, row.text));
    // The error repeats on the next request instead of leaving a half-read picture.
    EXPECT_EQ(ErrorText([&] { picture.image(); }), JpegError(row.code, row.text));
    EXPECT_FALSE(picture.isDecoded());
}

// SOF0 layout: FF C0, length (2), precision (1), height (2), width (2), components (1).
INSTANTIATE_TEST_SUITE_P(Corruptions, BrokenHeader,
    testing::Values(BrokenRow{"NoStartOfImage", -1, 0x00, JERR_NO_SOI, "Not a JPEG file: starts with 0xff 0x00"},
                    BrokenRow{"Precision", 4, 12, JERR_BAD_PRECISION, "Unsupported JPEG data precision 12"},
                    BrokenRow{"ZeroHeight", 6, 0, JERR_EMPTY_IMAGE, "Empty JPEG image (DNL not supported)"}),
    [](const testing::TestParamInfo<BrokenRow>& info) { return std::string(info.param.name); });

TEST(JPEGPicture, EmptyAndForeignDataAreErrors)
{
    TJPEGPicture empty{QByteArray()};
    EXPECT_EQ(ErrorText([&] { empty.height(); }), JpegError(JERR_INPUT_EMPTY, "Empty input file"));
    TJPEGPicture text{QByteArray("just some text, not a photo")};
    EXPECT_EQ(ErrorText([&] { text.image(); }), JpegError(JERR_NO_SOI, "Not a JPEG file: starts with 0x6a 0x75"));
}

TEST(JPEGPicture, ScaleChangeDiscardsPixelsAndDecodesAgain)
{
    TJPEGPicture picture(Photo(400, 300));
    const QImage full = picture.image();
    ASSERT_EQ(full.size(), QSize(400, 300));
    picture.setScaleDenom(1);
    EXPECT_TRUE(picture.isDecoded()) << "the same scale keeps the pixels";
    picture.setScaleDenom(4);
    EXPECT_FALSE(picture.isDecoded());
    EXPECT_EQ(picture.scaleDenom(), 4);
    EXPECT_EQ(picture.width(), 100);
    EXPECT_EQ(picture.image().size(), QSize(100, 75));
    // A 1/4 decode is a reduced picture of the same photo.
    const QImage reduced = full.scaled(100, 75, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanDifference(picture.image(), reduced), 6.0);
    picture.setScaleDenom(1);
    EXPECT_EQ(MeanDifference(picture.image(), full), 0.0);
}

TEST(JPEGPicture, MarkersBeforeTheFrameDoNotDisturbDecoding)
{
    JpegSpec desc;
    desc.width = 90;
    desc.height = 60;
    desc.markers = {{0xE1, QByteArray("Exif\0\0", 6) + QByteArray(300, 'x')}, {0xFE, "a comment"}};
    TJPEGPicture picture(MakeJpeg(desc));
    EXPECT_EQ(picture.image().size(), QSize(90, 60));
}

TEST(JPEGPicture, PictureOverOneGibibyteIsRefused)
{
    // A small photo whose frame header claims 20000 x 20000: 1.2 GB as RGB
    // at 1:1, a quarter of that at 1:2.
    TJPEGPicture picture(WithFrameSize(Photo(64, 48), 0xC0, 20000, 20000));
    EXPECT_EQ(picture.width(), 20000);
    const std::string error = ErrorText([&] { picture.image(); });
    EXPECT_NE(error.find("1 ГиБ"), std::string::npos) << error;
    EXPECT_NE(error.find("20000 x 20000"), std::string::npos) << error;
    EXPECT_FALSE(picture.isDecoded());
    picture.setScaleDenom(8);
    EXPECT_EQ(picture.image().size(), QSize(2500, 2500));
}

// A progressive file is decoded through a buffer of all its coefficients
// at full size, whatever the scale: 3 bytes a pixel for 4:2:0 colour. At
// 18880 x 18880 that is 1,069,363,200 bytes, with the 1:8 picture
// (2360 x 2360 x 3 = 16,708,800) just over 1 GiB; the same frame in a
// baseline file decodes at 1:8.
TEST(JPEGPicture, ProgressiveFileNeedingMoreThanOneGibibyteIsRefusedAtEveryScale)
{
    const QByteArray progressive = Photo(64, 48, false, true);
    for (int side : {18880, 30000}) {
        for (int denom : {1, 2, 4, 8}) {
            TJPEGPicture picture(WithFrameSize(progressive, 0xC2, side, side));
            picture.setScaleDenom(denom);
            const std::string error = ErrorText([&] { picture.image(); });
            const std::string size = std::to_string(side) + " x " + std::to_string(side);
            EXPECT_NE(error.find(size + " пикселей в масштабе 1:" + std::to_string(denom)), std::string::npos) << error;
            EXPECT_NE(error.find("1 ГиБ"), std::string::npos) << error;
        }
    }
    TJPEGPicture baseline(WithFrameSize(Photo(64, 48), 0xC0, 18880, 18880));
    baseline.setScaleDenom(8);
    EXPECT_EQ(baseline.image().size(), QSize(2360, 2360));
}

TEST(JPEGPicture, FromFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("photo.jpg");
    JpegSpec desc;
    desc.width = 120;
    desc.height = 90;
    ASSERT_TRUE(WriteJpeg(path, desc));
    TJPEGPicture picture = TJPEGPicture::fromFile(path);
    EXPECT_EQ(picture.image().size(), QSize(120, 90));

    // Messages name the file; a FIFO is refused at once, not waited on.
    const QString broken = dir.filePath("broken.jpg");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(CorruptAt(MakeJpeg(desc), 1, 0x00));
    file.close();
    const QString fifo = dir.filePath("fifo.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, std::string>> failures = {
        {dir.filePath("gone.jpg"), "Не удаётся прочитать файл \"" + dir.filePath("gone.jpg").toStdString() +
                                       "\": No such file or directory"},
        {dir.path(), "Не удаётся прочитать файл \"" + dir.path().toStdString() + "\": это папка"},
        {fifo, "Не удаётся прочитать файл \"" + fifo.toStdString() + "\": это не обычный файл"},
        {broken, broken.toStdString() + ": " + JpegError(JERR_NO_SOI, "Not a JPEG file: starts with 0xff 0x00")},
    };
    for (const auto& [path, message] : failures)
        EXPECT_EQ(ErrorText([&] { TJPEGPicture::fromFile(path).image(); }), message);
}

} // namespace

// A part decoded alone has exactly the pixels of the whole decode at the
// same place: at every scale, at the picture's corners and inside it, in
// colour (4:2:0, where the upsampler reaches across block edges) and grey,
// for sizes that are not whole blocks.
TEST(JPEGPicture, PartHasThePixelsOfTheWholeDecode)
{
    struct Case {
        bool grey;
        QRect want;   // at the scale's size
    };
    const Case cases[] = {
        {false, QRect(0, 0, 100, 60)},    {false, QRect(37, 21, 90, 50)},  {false, QRect(150, 100, 400, 400)},
        {false, QRect(-20, -20, 30, 30)}, {true, QRect(0, 0, 100, 60)},    {true, QRect(33, 45, 41, 17)},
        {true, QRect(200, 150, 400, 400)},
    };
    const QByteArray colour = Photo(301, 205, false), grey = Photo(301, 205, true);
    for (const int denom : {1, 2, 4, 8}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "1:" << denom << " grey " << c.grey << " want " << c.want.x() << ","
                                            << c.want.y() << " " << c.want.width() << "x" << c.want.height());
            TJPEGPicture whole(c.grey ? grey : colour), part(c.grey ? grey : colour);
            whole.setScaleDenom(denom);
            part.setScaleDenom(denom);
            QRect rect;
            const QImage pixels = part.decodePart(c.want, &rect);
            const QRect clipped = c.want & QRect(0, 0, whole.width(), whole.height());
            if (clipped.isEmpty()) {
                EXPECT_TRUE(pixels.isNull());
                continue;
            }
            ASSERT_FALSE(pixels.isNull());
            EXPECT_TRUE(rect.contains(clipped));
            EXPECT_EQ(pixels.size(), rect.size());
            EXPECT_EQ(pixels.format(), whole.image().format());
            EXPECT_EQ(pixels, whole.image().copy(rect));
        }
    }
}

TEST(JPEGPicture, ProgressiveAndCmykFilesAreNotDecodedByParts)
{
    QRect rect;
    TJPEGPicture progressive(Photo(300, 200, false, true)), cmyk(MakeCmykJpeg(CmykSpec{})), plain(Photo(300, 200));
    EXPECT_FALSE(progressive.canDecodePart());
    EXPECT_TRUE(progressive.decodePart(QRect(0, 0, 50, 50), &rect).isNull());
    EXPECT_FALSE(cmyk.canDecodePart());
    EXPECT_TRUE(plain.canDecodePart());
}

namespace {

// The head a whole photo keeps: everything before the scan, or the whole
// file when its markers do not read as a JPEG file's head.
TEST(JpegHeadTest, StopsAtTheScanAndKeepsWhatItCannotRead)
{
    const struct { const char* name; QByteArray file; qsizetype head; } cases[] = {
        {"app0 then scan", QByteArray::fromHex("FFD8 FFE0 0004 AABB FFDA 0002 1234 FFD9"), 8},
        {"fill bytes before a marker", QByteArray::fromHex("FFD8 FFFF FFE1 0003 00 FFDA 0002"), 9},
        {"two segments", QByteArray::fromHex("FFD8 FFE1 0002 FFDB 0003 07 FFDA"), 11},
        {"no scan", QByteArray::fromHex("FFD8 FFE0 0004 AABB FFD9"), 10},
        {"no start of image", QByteArray::fromHex("0000 FFE0 0004 AABB FFDA"), 10},
        {"a length past the end", QByteArray::fromHex("FFD8 FFE1 FFFF 00 FFDA"), 9},
        {"a length below two", QByteArray::fromHex("FFD8 FFE1 0001 FFDA 0000"), 10},
        {"data where a marker belongs", QByteArray::fromHex("FFD8 FFE0 0002 12 FFDA 0000"), 11},
        {"a restart marker in the head", QByteArray::fromHex("FFD8 FFD0 FFDA 0000"), 8},
        {"empty", QByteArray(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegHead(c.file), c.file.left(c.head)) << c.name;
    // A real photo: its head reads as the same Exif and ends where the scan starts.
    JpegSpec desc;
    desc.width = 320;
    desc.height = 240;
    const QByteArray file = MakeJpeg(desc);
    const QByteArray head = JpegHead(file);
    ASSERT_LT(head.size(), file.size());
    EXPECT_TRUE(file.startsWith(head));
    EXPECT_EQ(file.mid(head.size(), 2), QByteArray::fromHex("FFDA"));
    EXPECT_EQ(JpegHead(head), head);
}

} // namespace
