// Damaged RAW files through the whole pipeline at every scale: each is shown
// or refused with one message naming the file, and the pipeline goes on to
// decode a good one. The file that once crashed LibRaw is among them, and
// the one that kept LibRaw's parse running.
#include "damagedraws.h"
#include "pipeline/decodepipeline.h"

#include "common/usererror.h"
#include "exifbuilder.h"
#include "metadata/phmetadata.h"
#include "render/scaling.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

using namespace tetrafot;

TEST(DamagedRaws, EachIsShownOrReportedByNameAndThePipelineGoesOn)
{
    QTemporaryDir dir;
    std::vector<DamagedRaw> files = MakeDamagedRaws();
    QFile crash(QStringLiteral(TETRAFOT_REGRESSIONS "/libraw-nested-subifd-crash.dng"));
    ASSERT_TRUE(crash.open(QIODevice::ReadOnly));
    files.push_back({"libraw-crash", "libraw-crash", crash.readAll()});
    // A CR3 whose 64-bit moov size makes LibRaw's parse run on until the
    // probe's CPU limit ends it (found by the RAW fuzzer).
    QFile loop(QStringLiteral(TETRAFOT_REGRESSIONS "/libraw-cr3-size-loop.cr3"));
    ASSERT_TRUE(loop.open(QIODevice::ReadOnly));
    files.push_back({"libraw-hang", "libraw-hang", loop.readAll(), "CR3"});

    DecodePipeline::Options options;
    options.threads = 2;
    DecodePipeline pipeline(options);
    struct Tally {
        int shown = 0, refused = 0, exifRead = 0;
    };
    std::map<std::string, Tally> tally;
    for (const DamagedRaw& f : files) {
        SCOPED_TRACE(f.name);
        const QString name = QString::fromStdString(f.name + "." + f.extension);
        const QString path = dir.filePath(name);
        ASSERT_TRUE(exif::WriteBytesToFile(path, f.bytes));
        for (int code : {Scale1to1, Scale1to2, Scale1to8, ScaleFit}) {
            try {
                const auto photo = pipeline.get(path, code, 800);
                ASSERT_TRUE(photo);
                EXPECT_FALSE(photo->image.isNull());
                ++tally[f.category].shown;
            } catch (const UserError& e) {
                EXPECT_NE(std::string(e.what()).find(name.toStdString()), std::string::npos) << e.what();
                ++tally[f.category].refused;
            }
        }
        // What the Exif panel and --dump-exif read of it: within the file,
        // never past it, whatever the status.
        const TImageMetadata exif(path.toStdString());
        EXPECT_NE(exif.ErrorCode, ExifStatus::Unfinished);
        if (exif.ErrorCode == ExifStatus::Ok)
            ++tally[f.category].exifRead;
    }
    // The probe ran once per file, whatever the scales asked.
    EXPECT_LE(pipeline.rawProbe().started(), int(files.size()));
    for (const auto& [category, t] : tally)
        std::printf("%-20s shown %4d refused %4d (loads), Exif read %3d\n", category.c_str(), t.shown, t.refused,
                    t.exifRead);
    // Cut in the headers, or a preview beyond the file: never shown.
    for (const char* category : {"offset-past-end", "length-4gb", "libraw-crash", "libraw-hang", "raf-offset-past-end", "raf-length-4gb"}) {
        EXPECT_EQ(tally[category].shown, 0) << category;
        EXPECT_GT(tally[category].refused, 0) << category;
    }
    EXPECT_GT(tally["truncated"].refused, 0);
    EXPECT_GT(tally["header-bitflip"].shown, 0);
    EXPECT_GT(tally["raf-header-bitflip"].shown, 0);
    // Damage in the header leaves the RAF's Exif readable where the JPEG's
    // place survives it, and a CR3's box sizes past the end or of 0 keep it.
    EXPECT_GT(tally["raf-header-bitflip"].exifRead, 0);
    EXPECT_GT(tally["cr3-box-size"].exifRead, 0);
}
