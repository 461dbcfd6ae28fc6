// Damaged RAW files through the whole pipeline at every scale: each is shown
// or refused with one message naming the file, and the pipeline goes on to
// decode a good one. The file that once crashed LibRaw is among them.
#include "damagedraws.h"
#include "pipeline/decodepipeline.h"

#include "common/usererror.h"
#include "exifbuilder.h"
#include "render/scaling.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

TEST(DamagedRaws, EachIsShownOrReportedByNameAndThePipelineGoesOn)
{
    QTemporaryDir dir;
    std::vector<DamagedRaw> files = MakeDamagedRaws();
    QFile crash(QStringLiteral(TETRAFOT_REGRESSIONS "/libraw-nested-subifd-crash.dng"));
    ASSERT_TRUE(crash.open(QIODevice::ReadOnly));
    files.push_back({"libraw-crash", "libraw-crash", crash.readAll()});

    DecodePipeline::Options options;
    options.threads = 2;
    DecodePipeline pipeline(options);
    struct Tally {
        int shown = 0, refused = 0;
    };
    std::map<std::string, Tally> tally;
    for (const DamagedRaw& f : files) {
        SCOPED_TRACE(f.name);
        const QString name = QString::fromStdString(f.name) + QStringLiteral(".DNG");
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
    }
    // The probe ran once per file, whatever the scales asked.
    EXPECT_LE(pipeline.rawProbe().started(), int(files.size()));
    for (const auto& [category, t] : tally)
        std::printf("%-16s shown %4d refused %4d (loads)\n", category.c_str(), t.shown, t.refused);
    // Cut in the headers, or a preview beyond the file: never shown.
    for (const char* category : {"offset-past-end", "length-4gb", "libraw-crash"}) {
        EXPECT_EQ(tally[category].shown, 0) << category;
        EXPECT_GT(tally[category].refused, 0) << category;
    }
    EXPECT_GT(tally["truncated"].refused, 0);
    EXPECT_GT(tally["header-bitflip"].shown, 0);
}
