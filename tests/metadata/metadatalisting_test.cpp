#include <gtest/gtest.h>

#include "exiftestfiles.h"
#include "jpegwriter.h"
#include "metadata/metadatalisting.h"

using namespace tetrafot;

using namespace exif;
using namespace exiftest;

namespace {

using Lines = std::vector<std::string>;

class ListMetadataTest : public ExifFileTest {
protected:
    MetadataListing List(const QByteArray& file) { return ListMetadata(Write(file)); }
};

// A camera-like block: every caption field twice where cameras write two
// candidates, so the right source must be picked.
ExifBuilder CameraBlock()
{
    ExifBuilder b(ExifOrder::Motorola);
    b.Add(ExifDir::Ifd0, Ascii(0x010F, "Maker"))
        .Add(ExifDir::Ifd0, Ascii(0x0110, "Cam 1"))
        .Add(ExifDir::Ifd0, Ascii(0x0132, "2024:05:06 07:08:09"))
        .Add(ExifDir::Exif, Rational(0x829A, {{1, 250}}))
        .Add(ExifDir::Exif, Rational(0x829D, {{56, 10}}))
        .Add(ExifDir::Exif, Short(0x8827, {400}))
        .Add(ExifDir::Exif, Ascii(0x9003, "2001:01:01 00:00:00"))
        .Add(ExifDir::Exif, SRational(0x9201, {{8, 1}}))
        .Add(ExifDir::Exif, Rational(0x9202, {{5, 1}}))
        .Add(ExifDir::Exif, SRational(0x9204, {{-2, 3}}))
        .Add(ExifDir::Exif, Rational(0x920A, {{185, 10}}))
        .Add(ExifDir::Exif, Undefined(0x927C, "\x01\x02\x03\x04\x05"))
        .Add(ExifDir::Exif, Undefined(0x9286, {"ASCII\0\0\0Holiday", 15}))
        .Add(ExifDir::Exif, Short(0xA001, {1}))
        .Add(ExifDir::Ifd1, Short(0x0103, {6}));
    return b;
}

TEST_F(ListMetadataTest, LinesAndCaptionFields)
{
    ExifBuilder b = CameraBlock();
    MetadataListing listing = List(ExifJpeg(b));
    ASSERT_EQ(listing.status, 0);
    const Lines expected = {
        "Make:\tMaker",
        "Model:\tCam 1",
        "Date & Time:\t2024:05:06 07:08:09",
        "Exposure Time (sec):\t1/250.00",
        "F-Number:\t5.60",
        "ISO Speed Ratings:\t400",
        "Original Date & Time:\t2001:01:01 00:00:00",
        "Shutter Speed Value:\t1/256.00",
        "Aperture Value:\t5.66",
        "Exposure Bias Value:\t-0.67",
        "Focal Length (mm):\t18.5",
        // no Maker Note
        "User Comment:\tHoliday",
        "Color Space:\tsRGB",
        "EXIF SubIFD Offset:\t" + std::to_string(b.DirectoryOffset(ExifDir::Exif)),
        "Compression:\tJPEG",
    };
    EXPECT_EQ(listing.lines, expected);
    const TBasicExif& e = listing.basic;
    EXPECT_EQ(e.Model, "Cam 1");
    EXPECT_EQ(e.DateTime, "2024:05:06 07:08:09");
    EXPECT_EQ(e.ISO, "400");
    EXPECT_EQ(e.ShutterSpeed, "1/256.00");
    EXPECT_EQ(e.Aperture, "5.66");
    EXPECT_EQ(e.ExposureBias, "-0.67");
    EXPECT_EQ(e.FocalLength, "18.5");
    EXPECT_EQ(e.UserComment, "Holiday");
    EXPECT_EQ(e.ColorSpace, "sRGB");
}

TEST_F(ListMetadataTest, LaterItemOfTheSameNameWins)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x0110, "Main"))
        .Add(ExifDir::Ifd0, Ascii(0x0304, "First title"))
        .Add(ExifDir::Ifd0, Ascii(0x0320, "Second title"))
        .Add(ExifDir::Exif, Short(0xA001, {65535}))
        .Add(ExifDir::Ifd1, Ascii(0x0110, "Thumb"))
        .Add(ExifDir::Ifd1, Short(0xA001, {1}));
    MetadataListing listing = List(ExifJpeg(b));
    EXPECT_EQ(listing.basic.Model, "Thumb");
    EXPECT_EQ(listing.basic.ColorSpace, "sRGB");
    EXPECT_EQ(listing.lines[1], "Image Title:\tFirst title");
    EXPECT_EQ(listing.lines[2], "Image Title:\tSecond title");
    EXPECT_EQ(listing.lines.size(), 7u);
}

TEST_F(ListMetadataTest, BlankCommentLeavesTheLineEndingAtItsTab)
{
    ExifBuilder b;
    b.Add(ExifDir::Exif, Undefined(0x9286, {"\0\0\0\0\0\0\0\0    ", 12}));
    MetadataListing listing = List(ExifJpeg(b));
    ASSERT_EQ(listing.lines.size(), 2u);
    EXPECT_EQ(listing.lines[0], "User Comment:\t");
    EXPECT_EQ(listing.basic.UserComment, "");
}

TEST_F(ListMetadataTest, ErrorTextsAreListed)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x0110, "Far away").WithValueField(50000));
    MetadataListing listing = List(ExifJpeg(b));
    EXPECT_EQ(listing.lines, Lines{"Model:\t(error)"});
    EXPECT_EQ(listing.basic.Model, "(error)");
}

// Whatever stops the reader, the panel and the caption fields stay empty.
TEST_F(ListMetadataTest, NothingUnlessTheStatusIsZero)
{
    const QByteArray good = ExifJpeg(CameraBlock());
    const QByteArray xmp = Segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
    const std::vector<std::pair<QByteArray, int>> files = {
        {QByteArray(), 2},
        {QByteArray("BM\x00\x00", 4), 10},
        {MiniJpeg({}), 11},
        {MiniJpeg({xmp, Segment(0xE1, CameraBlock().Payload())}), 100},
        {good.left(good.size() / 2), 2},
    };
    for (const auto& [bytes, status] : files) {
        MetadataListing listing = List(bytes);
        EXPECT_EQ(listing.status, status);
        EXPECT_TRUE(listing.lines.empty()) << status;
        EXPECT_EQ(listing.basic.Model + listing.basic.DateTime + listing.basic.ColorSpace +
                      listing.basic.UserComment + listing.basic.ShutterSpeed,
                  "");
    }
    EXPECT_EQ(ListMetadata(dir.filePath("none.jpg").toStdString()).status, 1);
}

// A real photo: the Exif segment after SOI and JFIF, the picture behind it.
TEST_F(ListMetadataTest, RealPhoto)
{
    JpegSpec desc;
    desc.width = 320;
    desc.height = 200;
    desc.markers = {{0xE1, CameraBlock().Payload()}};
    MetadataListing withExif = List(MakeJpeg(desc));
    EXPECT_EQ(withExif.status, 0);
    EXPECT_EQ(withExif.basic.Model, "Cam 1");

    desc.markers.clear();
    MetadataListing plain = List(MakeJpeg(desc));
    EXPECT_EQ(plain.status, 11);
    EXPECT_TRUE(plain.lines.empty());
}

} // namespace
