#include "files/companions.h"
#include "common/paths.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

TEST(Extensions, Parse)
{
    const std::pair<QString, QStringList> cases[] = {
        {"CRW;THM", {"CRW", "THM"}},
        {"CRW;THM;", {"CRW", "THM"}},
        {";CRW", {"", "CRW"}},
        {"CRW;;THM", {"CRW", "", "THM"}},
        {"", {}},
        {";", {""}},
        {" crw ;.Thm", {" crw ", ".Thm"}},
        {"CRW;CRW", {"CRW", "CRW"}},
    };
    for (const auto& [text, entries] : cases)
        EXPECT_EQ(ParseExtensions(text), entries) << text.toStdString();
}

TEST(Companions, Names)
{
    struct Case {
        QString path, extension, prefix, suffix, expected;
    };
    const Case cases[] = {
        {"IMG_0001.JPG", "CRW", "", "", "IMG_0001.CRW"},
        {"e_IMG_0001.JPG", "CRW", "e_", "", "IMG_0001.CRW"},
        {"IMG_0001.JPG", "CRW", "e_", "", "IMG_0001.CRW"},
        {"E_IMG_0001.JPG", "CRW", "e_", "", "E_IMG_0001.CRW"},   // letter case counts
        {"IMG_0001_edit.JPG", "CRW", "", "_edit", "IMG_0001.CRW"},
        {"xy.JPG", "CRW", "x", "y", ".CRW"},
        {"e_.JPG", "CRW", "e_", "", ".CRW"},
        {"x.JPG", "CRW", "xx", "", "x.CRW"},                     // shorter than the prefix
        {"e_e_a.JPG", "CRW", "e_", "", "e_a.CRW"},               // removed once only
        {"a_s_s.JPG", "CRW", "", "_s", "a_s.CRW"},
        {"/photos/e_IMG_0001.JPG", "CRW", "e_", "", "/photos/IMG_0001.CRW"},
        {"/e_photos/IMG.JPG", "CRW", "e_", "", "/e_photos/IMG.CRW"},   // never the folder
        {"a.b.JPG", "THM", "", "", "a.b.THM"},
        {"IMG_0001.JPG", "", "", "", "IMG_0001."},
        {"README", "CRW", "", "", ""},
        {"/a.b/README", "CRW", "", "", ""},                      // the dot is the folder's
        {"/a.b/.hidden", "CRW", "", "", "/a.b/.CRW"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompanionName(c.path, c.extension, c.prefix, c.suffix), c.expected) << c.path.toStdString();
}

TEST(Paths, Parts)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {"/a/b/c.jpg", "/a/b/", "c.jpg"}, {"c.jpg", "", "c.jpg"}, {"/c.jpg", "/", "c.jpg"},
        {"/a/b/", "/a/b/", ""},           {"", "", ""},
    };
    for (const auto& [path, folder, name] : cases) {
        EXPECT_EQ(PathFolderPart(path), folder) << path.toStdString();
        EXPECT_EQ(PathFileName(path), name) << path.toStdString();
    }
    EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
    EXPECT_EQ(WithTrailingSeparator(""), "/");
}

// A listed folder as the working directory, as the file list makes it.
class ListedFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        saved = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }
    void TearDown() override { QDir::setCurrent(saved); }
    void Touch(const QString& name)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QTemporaryDir dir;
    QString saved;
};

TEST_F(ListedFolder, FindTriesExactThenUpperThenLower)
{
    Touch("A.CRW");
    Touch("b.thm");
    Touch("c.Thm");
    Touch("d.crw");
    Touch("d.CRW");
    ASSERT_TRUE(QDir(dir.path()).mkpath("IMG_0001.THM"));
    struct Case {
        QString asked, found;
    };
    const Case cases[] = {
        {"A.CRW", "A.CRW"},  {"A.crw", "A.CRW"},  {"b.THM", "b.thm"}, {"c.Thm", "c.Thm"},
        {"c.THM", ""},       {"a.CRW", ""},        // only the extension changes case
        {"d.Crw", "d.CRW"},  {"IMG_0001.THM", ""},  // a folder is no companion
        {"", ""},            {"missing.CRW", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindCompanion(c.asked), c.found) << c.asked.toStdString();
    EXPECT_EQ(FindCompanion(dir.filePath("b.THM")), dir.filePath("b.thm"));
}

TEST_F(ListedFolder, RawTestAllOrAny)
{
    Touch("IMG_0001.CRW");
    ASSERT_TRUE(QDir(dir.path()).mkpath("IMG_0002.THM"));
    Touch("IMG_0002.CRW");
    Touch("IMG_0003.crw");
    Touch("IMG_0003.thm");
    Touch("IMG_0004.CRW");
    const QStringList both{"CRW", "THM"};
    struct Case {
        QString path;
        QStringList extensions;
        bool anyRaw;
        QString prefix;
        bool expected;
    };
    const Case cases[] = {
        {"IMG_0001.JPG", both, false, "", false},   // THM missing
        {"IMG_0001.JPG", both, true, "", true},
        {"IMG_0002.JPG", both, false, "", false},   // the THM is a folder
        {"IMG_0003.JPG", both, false, "", true},    // found in lower case
        {"/somewhere/else/IMG_0003.JPG", both, false, "", true},   // looked up in the listed folder
        {"e_IMG_0004.JPG", {"CRW"}, false, "e_", true},
        {"IMG_0001.JPG", {}, true, "", false},      // no extensions, no mark
        {"IMG_0001.JPG", {""}, true, "", false},    // "IMG_0001." does not exist
        {"README", both, true, "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasRawCompanions(c.path, c.extensions, c.anyRaw, c.prefix, ""), c.expected)
            << c.path.toStdString() << " any=" << c.anyRaw;
}

}  // namespace
