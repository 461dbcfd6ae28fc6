#include "files/companions.h"
#include "files/folderlisting.h"
#include "files/rawfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tetrafot;

// What the RAW filters list, worked out by hand for a card's names.
TEST(RawFiles, FiltersListTheRawFilesOfAFolder)
{
    QTemporaryDir dir;
    for (const char* name : {"a.CR2", "b.cr3", "c.NeF", "d.jpg", "d.CRW", "e.DNG", "f.raf", "g.x3f", "h.txt", "i.xmp",
                             "j.3FR", "k.dng.jpg", "noext", "l.IIQ", "m.thm"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    struct Case {
        const char* filter;
        QStringList configured;
        QStringList listed;
    } cases[] = {
        {"<raw>", {}, {"a.CR2", "b.cr3", "c.NeF", "d.CRW", "e.DNG", "f.raf", "g.x3f", "j.3FR", "l.IIQ"}},
        {"<raw>", {"thm", " XMP ", "", "*"}, {"a.CR2", "b.cr3", "c.NeF", "d.CRW", "e.DNG", "f.raf", "g.x3f", "i.xmp",
                                             "j.3FR", "l.IIQ", "m.thm"}},
        {"*.jpg;*.jpeg;*.jpe;*.jfif;<raw>", {}, {"a.CR2", "b.cr3", "c.NeF", "d.CRW", "d.jpg", "e.DNG", "f.raf", "g.x3f",
                                                 "j.3FR", "k.dng.jpg", "l.IIQ"}},
        {"*.jpg;*.jpeg;*.jpe;*.jfif", {"cr2"}, {"d.jpg", "k.dng.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        const FolderListing listing = ListFolderEntries(dir.path(), FilterMasks(QString::fromLatin1(c.filter), c.configured));
        EXPECT_EQ(listing.names, c.listed);
    }
}

TEST(RawFiles, NamesAndTheCompanionMark)
{
    struct Case {
        const char* name;
        bool raw;
    } cases[] = {
        {"/c/IMG_1.CR2", true}, {"IMG_1.cr2", true}, {"x.Arw", true}, {"x.SRW", true}, {"x.mos", true},
        {"x.jpg", false}, {"x.cr2.jpg", false}, {"cr2", false}, {"x.", false}, {"x.tif", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRawFileName(QString::fromLatin1(c.name), {}), c.raw) << c.name;
    EXPECT_TRUE(IsRawFileName(QStringLiteral("x.THM"), {QStringLiteral("thm")}));

    // A RAW file shown alone has no RAW mark, even though its own extension
    // would find itself; its JPEG keeps the mark.
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    for (const char* name : {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.xmp"}) {
        QFile f(QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(HasRawCompanions("IMG_1.JPG", {"CR2"}, false, "", ""));
    EXPECT_FALSE(HasRawCompanions("IMG_1.CR2", {"CR2"}, false, "", ""));
    EXPECT_FALSE(HasRawCompanions("IMG_1.CR2", {"xmp"}, true, "", ""));
    QDir::setCurrent(old);
}
