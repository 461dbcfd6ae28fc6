// The start worked out from each kind of command line: which folder is
// listed, whether curdir is kept, which file pane 1 shows and whether the
// RAW filter is needed for it.
#include "session/startplan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

TEST(StartPlanTest, EachKindOfArgument)
{
    QTemporaryDir wd;
    ASSERT_TRUE(wd.isValid());
    const QString w = wd.path();
    for (const char* folder : {"shots/day1", "other", "stored"})
        ASSERT_TRUE(QDir(w).mkpath(folder));
    for (const char* file : {"shots/a.jpg", "shots/b.CR2", "shots/c.nef.jpg", "shots/day1/d.jpg"}) {
        QFile f(w + "/" + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString stored = w + "/stored", gone = w + "/unplugged";
    const struct {
        const char* what;
        QStringList arguments;
        QString storedCurdir;
        QString folder;
        bool error, keepStored;
        QStringList compared;
        QString namedFile;
        bool rawFilter;
    } cases[] = {
        {"none: the stored folder", {}, stored, stored, false, false, {}, "", false},
        {"none, nothing stored: the working directory", {}, "", w, false, false, {}, "", false},
        {"none, the stored folder gone: reported, kept", {}, gone, w, true, true, {}, "", false},
        {"a folder", {w + "/other"}, stored, w + "/other", false, false, {}, "", false},
        {"a relative folder", {"shots/day1"}, stored, w + "/shots/day1", false, false, {}, "", false},
        {"a JPEG file: its folder, shown first", {w + "/shots/a.jpg"}, stored, w + "/shots", false, false, {},
         w + "/shots/a.jpg", false},
        {"a relative JPEG in a subfolder", {"shots/day1/d.jpg"}, stored, w + "/shots/day1", false, false, {},
         w + "/shots/day1/d.jpg", false},
        {"a RAW file: listed with the RAW files", {w + "/shots/b.CR2"}, stored, w + "/shots", false, false, {},
         w + "/shots/b.CR2", true},
        {"a JPEG named like a RAW file is a JPEG", {w + "/shots/c.nef.jpg"}, stored, w + "/shots", false, false, {},
         w + "/shots/c.nef.jpg", false},
        {"a missing path: the stored folder", {w + "/nothing.jpg"}, stored, stored, false, false, {}, "", false},
        {"-d: the working directory", {"-d"}, stored, w, false, false, {}, "", false},
        {"two folders: compared, curdir kept", {"shots", w + "/other"}, stored, w + "/shots", false, true,
         {w + "/shots", w + "/other"}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const StartPlan plan = MakeStartPlan(c.arguments, c.storedCurdir, w, {});
        EXPECT_EQ(plan.folder, c.folder);
        EXPECT_EQ(!plan.folderError.isEmpty(), c.error) << plan.folderError.toStdString();
        EXPECT_EQ(plan.keepStoredFolder, c.keepStored);
        EXPECT_EQ(plan.compared, c.compared);
        EXPECT_EQ(plan.namedFile, c.namedFile);
        EXPECT_EQ(plan.rawFilter, c.rawFilter);
    }
}

} // namespace
