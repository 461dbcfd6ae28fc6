// Matching the files of two to four folders, and the walk over the matches.
#include "panes/foldercomparison.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tetrafot;

namespace {

using Match = FolderComparison::Match;

// Each step written as "name: a|b|c", one file name per folder, "-" where
// the folder lacks it.
std::vector<std::string> Steps(const FolderComparison& c)
{
    std::vector<std::string> steps;
    for (int s = 0; s < c.count(); ++s) {
        std::string line = c.stepName(s).toStdString() + ":";
        for (int f = 0; f < c.folderCount(); ++f) {
            const QString path = c.entry(s, f).path;
            line += (f ? "|" : " ") + (path.isEmpty() ? std::string("-") : path.section('/', -1).toStdString());
        }
        steps.push_back(line);
    }
    return steps;
}

struct MatchCase {
    const char* what;
    std::vector<QStringList> names;   // per folder, sorted as the listing sorts
    Match match;
    bool commonOnly;
    std::vector<std::string> steps;
};

TEST(FolderComparisonTest, MatchesNamesAcrossFolders)
{
    const MatchCase cases[] = {
        {"case and extension do not matter",
         {{"IMG_0001.JPG", "IMG_0002.JPG"}, {"img_0001.jpg", "IMG_0002.jpeg"}},
         Match::ByName, false,
         {"IMG_0001: IMG_0001.JPG|img_0001.jpg", "IMG_0002: IMG_0002.JPG|IMG_0002.jpeg"}},
        {"the union of the names, in order, each folder's gaps shown",
         {{"a.jpg", "c.jpg"}, {"b.jpg", "c.jpg"}, {"a.jpg", "d.jpg"}},
         Match::ByName, false,
         {"a: a.jpg|-|a.jpg", "b: -|b.jpg|-", "c: c.jpg|c.jpg|-", "d: -|-|d.jpg"}},
        {"only the names every folder holds",
         {{"a.jpg", "b.jpg", "c.jpg"}, {"B.JPG", "c.jpeg", "d.jpg"}},
         Match::ByName, true,
         {"b: b.jpg|B.JPG", "c: c.jpg|c.jpeg"}},
        {"nothing in common",
         {{"a.jpg"}, {"b.jpg"}}, Match::ByName, true, {}},
        {"two files of one name in a folder: the first in its order stands for it",
         {{"x.jpeg", "X.jpg"}, {"x.jpg"}},
         Match::ByName, false,
         {"x: x.jpeg|x.jpg"}},
        {"only the last extension goes; a leading dot is no extension",
         {{".hidden.jpg", "p.edit.jpg", "p.jpg"}, {".HIDDEN.jpg", "p.edit.jpeg", "p"}},
         Match::ByName, false,
         {".hidden: .hidden.jpg|.HIDDEN.jpg", "p: p.jpg|p", "p.edit: p.edit.jpg|p.edit.jpeg"}},
        {"by position: the n-th file of each folder, however named",
         {{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"}, {"export-a.jpg", "export-b.jpg"}},
         Match::ByPosition, false,
         {"IMG_1: IMG_1.jpg|export-a.jpg", "IMG_2: IMG_2.jpg|export-b.jpg", "IMG_3: IMG_3.jpg|-"}},
        {"by position, common only: as far as the shortest folder",
         {{"1.jpg", "2.jpg", "3.jpg"}, {"a.jpg", "b.jpg", "c.jpg"}, {"x.jpg"}},
         Match::ByPosition, true,
         {"1: 1.jpg|a.jpg|x.jpg"}},
        {"by position, the name from the first folder that has the file",
         {{"1.jpg"}, {"a.jpg", "b.jpg"}},
         Match::ByPosition, false,
         {"1: 1.jpg|a.jpg", "b: -|b.jpg"}},
        {"empty folders", {{}, {}}, Match::ByName, false, {}},
    };
    for (const MatchCase& c : cases) {
        QStringList folders;
        for (size_t f = 0; f < c.names.size(); ++f)
            folders << QStringLiteral("/f%1").arg(f + 1);
        FolderComparison comparison;
        comparison.build(folders, c.names, {c.match, c.commonOnly});
        EXPECT_EQ(Steps(comparison), c.steps) << c.what;
    }
}

TEST(FolderComparisonTest, MissingFilesAreNamedWithTheirFolder)
{
    FolderComparison byName;
    byName.build({"/a", "/b"}, {{"IMG_7.JPG"}, {}}, {});
    EXPECT_EQ(byName.entry(0, 0).path, "/a/IMG_7.JPG");
    EXPECT_EQ(byName.entry(0, 0).missing, "");
    EXPECT_EQ(byName.entry(0, 1).path, "");
    EXPECT_EQ(byName.entry(0, 1).missing, "Нет файла «IMG_7» в папке /b");

    FolderComparison byPosition;
    byPosition.build({"/a", "/b"}, {{"1.jpg", "2.jpg"}, {"x.jpg"}}, {Match::ByPosition, false});
    EXPECT_EQ(byPosition.entry(1, 1).missing, "Нет файла № 2 в папке /b");
}

// Which step and folder each pane shows, for 2, 3 and 4 folders.
TEST(FolderComparisonTest, PanesTakeTheFoldersInOrderAndTheNextNames)
{
    const struct {
        int folders;
        int step[4];     // pane 1..4 at the walk's step 5
        int folder[4];
    } cases[] = {
        {2, {5, 5, 6, 6}, {0, 1, 0, 1}},
        {3, {5, 5, 5, 6}, {0, 1, 2, 0}},
        {4, {5, 5, 5, 5}, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        FolderComparison comparison;
        comparison.build(QStringList(c.folders, QStringLiteral("/f")), std::vector<QStringList>(size_t(c.folders)), {});
        for (int pane = 1; pane <= 4; ++pane) {
            EXPECT_EQ(comparison.paneStep(pane, 5), c.step[pane - 1]) << c.folders << " folders, pane " << pane;
            EXPECT_EQ(comparison.paneFolder(pane), c.folder[pane - 1]) << c.folders << " folders, pane " << pane;
        }
    }
}

// "L" load, "C" clear, "-" neither, for panes 1..4.
std::string Actions(const WalkResult& r)
{
    std::string s;
    for (int k = 0; k < 4; ++k)
        s += r.load[size_t(k)] ? 'L' : r.clear[size_t(k)] ? 'C' : '-';
    return s;
}

TEST(FolderComparisonTest, TheWalkStepsAllPanesOverTheNames)
{
    // Two folders, three names; b lacks "2". Panes 1-2 show a name, 3-4 the next.
    FolderComparison c;
    c.build({"/a", "/b"}, {{"1.jpg", "2.jpg", "3.jpg"}, {"1.jpg", "3.jpg"}}, {});
    using Step = FolderComparison::Step;
    const struct {
        const char* what;
        int from;
        Step step;
        bool changed;
        int to;
        const char* actions;
        std::array<const char*, 4> paths;
    } cases[] = {
        {"the first step from nothing", -1, Step::Next, true, 0, "LLLC", {"/a/1.jpg", "/b/1.jpg", "/a/2.jpg", ""}},
        {"next", 0, Step::Next, true, 1, "LCLL", {"/a/2.jpg", "", "/a/3.jpg", "/b/3.jpg"}},
        {"next to the last name: nothing after it", 1, Step::Next, true, 2, "LLCC", {"/a/3.jpg", "/b/3.jpg", "", ""}},
        {"next at the end does nothing", 2, Step::Next, false, -1, "----", {"", "", "", ""}},
        {"previous", 2, Step::Previous, true, 1, "LCLL", {"/a/2.jpg", "", "/a/3.jpg", "/b/3.jpg"}},
        {"previous at the start does nothing", 0, Step::Previous, false, -1, "----", {"", "", "", ""}},
        {"home", 2, Step::First, true, 0, "LLLC", {"/a/1.jpg", "/b/1.jpg", "/a/2.jpg", ""}},
        {"home at the start does nothing", 0, Step::First, false, -1, "----", {"", "", "", ""}},
        {"end", 0, Step::Last, true, 2, "LLCC", {"/a/3.jpg", "/b/3.jpg", "", ""}},
    };
    for (const auto& k : cases) {
        c.select(k.from);
        // What the panes show at the step walked from, so a pane that keeps
        // its file is not loaded again.
        std::array<QString, 4> shown;
        for (size_t p = 0; p < 4; ++p)
            shown[p] = k.from >= 0 ? c.panes(k.from)[p].path : QString();
        const WalkResult r = c.step(k.step, shown);
        EXPECT_EQ(r.changed, k.changed) << k.what;
        if (!k.changed)
            continue;
        EXPECT_EQ(r.selection, k.to) << k.what;
        EXPECT_EQ(Actions(r), k.actions) << k.what;
        for (size_t p = 0; p < 4; ++p)
            EXPECT_EQ(r.paths[p], QString::fromUtf8(k.paths[p])) << k.what << ", pane " << p + 1;
    }
    // A pane that already shows its file keeps it, unloaded.
    const std::array<QString, 4> shown{"/a/1.jpg", "/b/1.jpg", "/a/9.jpg", ""};
    EXPECT_EQ(Actions(c.showStep(0, shown)), "--LC");
}

TEST(FolderComparisonTest, ListsTheFoldersWithTheMasks)
{
    QTemporaryDir a, b;
    for (const char* name : {"IMG_1.JPG", "IMG_2.jpg", "notes.txt"})
        ASSERT_TRUE(QFile(a.filePath(name)).open(QIODevice::WriteOnly));
    for (const char* name : {"img_1.jpeg", "IMG_3.jpg", "img_2.txt"})
        ASSERT_TRUE(QFile(b.filePath(name)).open(QIODevice::WriteOnly));
    FolderComparison c;
    ASSERT_EQ(c.list({a.path(), b.path()}, {"*.jpg", "*.jpeg"}, {}), QString());
    EXPECT_EQ(Steps(c), (std::vector<std::string>{"IMG_1: IMG_1.JPG|img_1.jpeg", "IMG_2: IMG_2.jpg|-",
                                                  "IMG_3: -|IMG_3.jpg"}));

    // A folder that cannot be read names itself and leaves the comparison as it was.
    const QString gone = b.path() + QStringLiteral("/gone");
    const QString error = c.list({a.path(), gone}, {"*"}, {});
    EXPECT_TRUE(error.startsWith(gone)) << error.toStdString();
    EXPECT_EQ(c.count(), 3);
    EXPECT_EQ(c.folders(), (QStringList{a.path(), b.path()}));
}

} // namespace
