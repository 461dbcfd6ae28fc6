// RAW files through the pipeline: their preview decodes as a JPEG file
// would, whole or by parts, and the RAW file's own Exif goes with it.
#include "pipeline/decodepipeline.h"

#include "common/usererror.h"
#include "jpegwriter.h"
#include "metadata/metadatalisting.h"
#include "metadata/phmetadata.h"
#include "rawwriter.h"
#include "render/jpegpicture.h"
#include "render/scaling.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>

using namespace tetrafot;

namespace {

struct RawFolder {
    QTemporaryDir dir;
    QByteArray preview;

    QString dng(const QString& name, int width, int height, int orientation = 1)
    {
        JpegSpec js;
        js.width = width;
        js.height = height;
        preview = MakeJpeg(js);
        raw::DngSpec dng;
        dng.preview = preview;
        dng.previewSize = QSize(width, height);
        dng.orientation = orientation;
        const QString path = dir.filePath(name);
        EXPECT_TRUE(exif::WriteBytesToFile(path, raw::MakeDng(dng)));
        return path;
    }
    // A RAF: its JPEG preview holds the Exif.
    QString raf(const QString& name, int width, int height, int orientation)
    {
        JpegSpec js;
        js.width = width;
        js.height = height;
        raw::RafSpec raf;
        raf.model = "Tetra D1";
        raf.jpeg = preview = raw::RafJpeg(MakeJpeg(js), raf.model, orientation);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(exif::WriteBytesToFile(path, raw::MakeRaf(raf)));
        return path;
    }
    QImage previewAt(int denom)
    {
        TJPEGPicture jpeg(preview);
        jpeg.setScaleDenom(denom);
        return jpeg.image();
    }
};

std::string Listed(const DecodedPhoto& photo, const std::string& name)
{
    const MetadataListing listing = ListMetadata(ExifOf(photo));
    for (const std::string& line : listing.lines)
        if (line.rfind(name + ":", 0) == 0)
            return line.substr(name.size() + 2);
    return "<none>";
}

DecodePipeline::Options OneWorker()
{
    DecodePipeline::Options options;
    options.threads = 1;
    return options;
}

} // namespace

// At every scale the pixels are those of the preview decoded as a JPEG file.
TEST(RawDecode, PreviewDecodesAsItsJpegAtEveryScale)
{
    RawFolder folder;
    const QString path = folder.dng("IMG_1.DNG", 1600, 1200);
    DecodePipeline pipeline(OneWorker());
    struct Case {
        int scaleCode, denom;
    } cases[] = {{Scale1to1, 1}, {Scale1to2, 2}, {Scale1to4, 4}, {Scale1to8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.denom);
        const auto photo = pipeline.get(path, c.scaleCode, 0);
        EXPECT_EQ(photo->image, folder.previewAt(c.denom));
        EXPECT_EQ(photo->fullSize, QSize(1600, 1200));
        EXPECT_TRUE(photo->jpeg);
        EXPECT_TRUE(photo->raw);
        EXPECT_TRUE(photo->meagrePreview.isEmpty());
        EXPECT_EQ(photo->bytes, JpegHead(folder.preview));
    }
}

// A part first, then the whole from the bytes already read: the same pixels.
TEST(RawDecode, VisiblePartFirstThenTheWhole)
{
    RawFolder folder;
    const QString path = folder.dng("IMG_2.DNG", 2400, 1800);
    DecodePipeline pipeline(OneWorker());
    const QRect seen(800, 600, 400, 300);
    const auto part = pipeline.getFirst({path, Scale1to1, 0, [&](QSize) { return seen; }});
    ASSERT_TRUE(part->isPart());
    EXPECT_TRUE(part->part.contains(seen));
    EXPECT_TRUE(part->raw);
    const QImage whole = folder.previewAt(1);
    EXPECT_EQ(part->image, whole.copy(part->part));
    const auto done = pipeline.wholeOf(*part);
    EXPECT_EQ(done->image, whole);
    EXPECT_EQ(Listed(*done, "Model"), "Tetra D1");   // the whole keeps the RAW's own Exif
}

// The RAW file's own Exif, its orientation included, whatever the preview holds.
TEST(RawDecode, ExifAndOrientationComeFromTheRawFile)
{
    for (const bool isRaf : {false, true}) {
        SCOPED_TRACE(isRaf ? "RAF" : "DNG");
        RawFolder folder;
        const QString path = isRaf ? folder.raf("IMG_3.RAF", 1200, 800, 6) : folder.dng("IMG_3.DNG", 1200, 800, 6);
        DecodePipeline pipeline(OneWorker());
        const auto photo = pipeline.get(path, Scale1to1, 0);
        EXPECT_EQ(Listed(*photo, "Model"), "Tetra D1");
        EXPECT_EQ(Listed(*photo, "Exposure Time (sec)"), "1/250.00");
        EXPECT_EQ(Listed(*photo, "ISO Speed Ratings"), "400");
        EXPECT_EQ(photo->image.size(), QSize(1200, 800));

        pipeline.setUpright(true);
        const auto upright = pipeline.get(path, Scale1to1, 0);
        EXPECT_EQ(upright->image.size(), QSize(800, 1200));
        EXPECT_EQ(upright->fullSize, QSize(800, 1200));
        // 6: a quarter turn clockwise; the stored top-left corner goes top right.
        const QImage stored = folder.previewAt(1);
        EXPECT_EQ(upright->image.pixel(799, 0), stored.pixel(0, 0));

        // The same file read for --dump-exif.
        const TImageMetadata fromFile(path.toStdString());
        EXPECT_EQ(fromFile.ErrorCode, ExifStatus::Ok);
        EXPECT_EQ(ListMetadata(fromFile).lines, ListMetadata(ExifOf(*photo)).lines);
    }
}

// Small previews and bitmaps are shown as they are and say so; a file with
// no preview fails with one message naming it.
TEST(RawDecode, MeagrePreviewsAndFailures)
{
    RawFolder folder;
    DecodePipeline pipeline(OneWorker());
    const auto small = pipeline.get(folder.dng("SMALL.NEF", 640, 480), ScaleFit, 4000);
    EXPECT_EQ(small->meagrePreview, QSize(640, 480));

    const QString bitmapPath = folder.dir.filePath("THUMB.DNG");
    ASSERT_TRUE(exif::WriteBytesToFile(bitmapPath, raw::MakeDngWithoutJpeg()));
    const auto bitmap = pipeline.get(bitmapPath, ScaleFit, 100);
    EXPECT_FALSE(bitmap->jpeg);
    EXPECT_EQ(bitmap->meagrePreview, QSize(32, 24));
    EXPECT_EQ(Listed(*bitmap, "Model"), "Tetra D1");
    const int decodes = pipeline.decodeCount();
    pipeline.get(bitmapPath, ScaleFit, 100);   // the fitted bitmap comes from the cache
    EXPECT_EQ(pipeline.decodeCount(), decodes);

    const QString broken = folder.dir.filePath("BROKEN.CR2");
    ASSERT_TRUE(exif::WriteBytesToFile(broken, QByteArray("II*\0\x08\0\0\0", 8)));
    try {
        pipeline.get(broken, Scale1to1, 0);
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find("BROKEN.CR2"), std::string::npos) << e.what();
    }
}

// Configured companion extensions count as RAW files too.
TEST(RawDecode, ConfiguredExtensionsAreRawFiles)
{
    RawFolder folder;
    const QString path = folder.dng("IMG_4.XYZ", 640, 480);
    DecodePipeline pipeline(OneWorker());
    try {
        pipeline.get(path, Scale1to1, 0);
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find("Unknown picture file extension"), std::string::npos) << e.what();
    }
    pipeline.setRawExtensions({" xyz", "xmp"});
    EXPECT_EQ(pipeline.get(path, Scale1to1, 0)->image, folder.previewAt(1));
}
