#include "files/folderlisting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

struct MaskCase {
    const char* name;
    const char* mask;
    bool matches;
};

TEST(FolderListingTest, MasksMatchWithoutRegardToCase)
{
    const MaskCase cases[] = {
        {"a.jpg", "*.jpg", true},     {"A.JPG", "*.jpg", true},      {"a.jpeg", "*.jpg", false},
        {"README", "*", true},        {"README", "*.*", false},      {".hidden.jpg", "*.jpg", true},
        {"x.jpg.bak", "*.jpg", false}, {"ab.jpg", "?b.*", true},     {"b.jpg", "?b.*", false},
        {"Ärger.JPG", "ä*.jpg", true}, {"a.jpg.jpg", "*.jpg", true}, {"", "*", true},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(MatchesMask(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)), c.matches)
            << c.name << " ~ " << c.mask;
}

TEST(FolderListingTest, ListsEverythingButFoldersSortedWithoutRegardToCase)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    for (const char* name : {"b.JPG", "A.jpg", "c.jpg", ".h.jpg", "note.txt", "a.jpg"})
        QFile(d + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir(d).mkdir(QStringLiteral("dir.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + QStringLiteral("/fifo.jpg")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(d + QStringLiteral("/dir.jpg"), d + QStringLiteral("/linkdir.jpg")));
    ASSERT_TRUE(QFile::link(d + QStringLiteral("/gone"), d + QStringLiteral("/dangling.jpg")));
    ASSERT_TRUE(QFile::link(d + QStringLiteral("/c.jpg"), d + QStringLiteral("/linkfile.jpg")));

    const FolderListing jpegs = ListFolderEntries(d, {QStringLiteral("*.jpg")});
    ASSERT_TRUE(jpegs.ok()) << jpegs.error.toStdString();
    // A and a differ only in case: the upper-case one first, always.
    EXPECT_EQ(jpegs.names, QStringList({".h.jpg", "A.jpg", "a.jpg", "b.JPG", "c.jpg", "dangling.jpg", "fifo.jpg",
                                        "linkfile.jpg"}));
    EXPECT_EQ(ListFolderEntries(d, {QStringLiteral("*.txt"), QStringLiteral("c*")}).names,
              QStringList({"c.jpg", "note.txt"}));

    const FolderListing gone = ListFolderEntries(d + QStringLiteral("/nothing"), {QStringLiteral("*")});
    EXPECT_FALSE(gone.ok());
    EXPECT_EQ(gone.error, QStringLiteral("No such file or directory"));
}

} // namespace
