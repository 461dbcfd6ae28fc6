// The folder list the file list shows: filters, the marked-files list, the
// entries' paths and indexes, the selection, and a folder that cannot be read.
#include "files/folderlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"b.JPG", "a.jpg", "c.png", "d.jpeg", "e"})
            ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub.jpg")));
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < list.count(); ++i)
            names << list.name(i);
        return names;
    }
    QTemporaryDir dir;
    MarkStore marks;
    FolderList list;
};

TEST_F(FolderListTest, FiltersAndTheMarkedFiles)
{
    marks.SetMark(QStringLiteral("C.PNG"), 3);
    marks.SetMark(QStringLiteral("d.jpeg"), MarkV);
    marks.SetMark(QStringLiteral("gone.jpg"), MarkV);
    const struct { QStringList masks; bool markedOnly; QStringList names; } cases[] = {
        {{"*.jpg", "*.jpeg"}, false, {"a.jpg", "b.JPG", "d.jpeg"}},
        {{"*"}, false, {"a.jpg", "b.JPG", "c.png", "d.jpeg", "e"}},
        {{"*.tif"}, false, {}},
        // The marks choose, whatever the masks; a mark without a file lists nothing.
        {{"*.jpg"}, true, {"c.png", "d.jpeg"}},
    };
    for (const auto& c : cases) {
        list.select(0);
        ASSERT_EQ(list.list(dir.path(), {c.masks, c.markedOnly}, marks), QString());
        EXPECT_EQ(Names(), c.names) << c.masks.join(';').toStdString();
        EXPECT_EQ(list.selection(), -1);
    }
}

TEST_F(FolderListTest, PathsIndexesAndTheSelection)
{
    ASSERT_EQ(list.list(dir.path(), {{"*.jpg", "*.jpeg"}}, marks), QString());
    const QString folder = QDir(dir.path()).absolutePath();
    const struct { QString path; int index; } cases[] = {
        {folder + "/a.jpg", 0}, {folder + "/d.jpeg", 2}, {folder + "/c.png", -1},
        {folder + "/sub/a.jpg", -1}, {"a.jpg", -1}, {"", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.indexOf(c.path), c.index) << c.path.toStdString();
        if (c.index >= 0) {
            EXPECT_EQ(list.path(c.index), c.path);
        }
    }
    EXPECT_EQ(list.path(3), QString());
    EXPECT_EQ(list.path(-1), QString());
    for (const auto& [asked, selected] : std::vector<std::pair<int, int>>{{2, 2}, {3, -1}, {-5, -1}, {0, 0}}) {
        list.select(asked);
        EXPECT_EQ(list.selection(), selected) << asked;
    }
}

TEST_F(FolderListTest, AFolderThatCannotBeListedLeavesTheListAsItWas)
{
    ASSERT_EQ(list.list(dir.path(), {{"*.jpg"}}, marks), QString());
    list.select(1);
    EXPECT_NE(list.list(dir.filePath(QStringLiteral("gone")), {{"*"}}, marks), QString());
    EXPECT_EQ(Names(), QStringList({"a.jpg", "b.JPG"}));
    EXPECT_EQ(list.selection(), 1);
    EXPECT_EQ(list.indexOf(QDir(dir.path()).absolutePath() + "/b.JPG"), 1);
}

} // namespace
