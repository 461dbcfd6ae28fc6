#include "panes/paneset.h"

#include "common/usererror.h"
#include "jpegwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PaneSetTest : public ::testing::Test {
protected:
    QString Put(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray Jpeg(int w = 160, int h = 120)
    {
        JpegSpec desc;
        desc.width = w;
        desc.height = h;
        return MakeJpeg(desc);
    }
    QTemporaryDir dir;
    MarkStore marks;
    PaneSet panes;
};

TEST_F(PaneSetTest, ALoadChangesThePaneOnlyWhenTheFileDecodes)
{
    const QString good = Put(QStringLiteral("a.jpg"), Jpeg());
    const QString bad = Put(QStringLiteral("b.jpg"), "no photo");
    marks.SetMark(good, 3);
    panes.load(2, good, 1, 2000, marks);
    const auto shown = panes[2].photo;
    EXPECT_EQ(panes[2].PanePath, good);
    EXPECT_EQ(panes[2].mark, 3);
    EXPECT_EQ(panes[2].image().size(), QSize(160, 120));

    EXPECT_THROW(panes.load(2, bad, 4, 2000, marks), UserError);
    EXPECT_EQ(panes[2].PanePath, good);
    EXPECT_EQ(panes[2].PaneScale, 1);
    EXPECT_EQ(panes[2].photo, shown);

    // Scale codes 1, 2, 8 (code 3), 4 and fit (code 5: 1:1 below maxsize).
    const std::pair<int, QSize> scales[] = {{2, {80, 60}}, {3, {20, 15}}, {4, {40, 30}}, {5, {160, 120}}};
    for (const auto& [code, size] : scales) {
        panes.rescale(2, code, 2000);
        EXPECT_EQ(panes[2].image().size(), size) << code;
        EXPECT_EQ(panes[2].fullSize(), QSize(160, 120));
    }
    panes.clear(2);
    EXPECT_FALSE(panes[2].hasPicture());
    EXPECT_TRUE(panes[2].PanePath.isEmpty());
}

TEST_F(PaneSetTest, TheOverlayPaintsACopyAndLeavesTheSharedPhotoAlone)
{
    // Left half blown out, right half mid grey.
    QImage pixels(64, 48, QImage::Format_RGB888);
    pixels.fill(QColor(128, 128, 128));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x)
            pixels.setPixelColor(x, y, Qt::white);
    const QString path = Put(QStringLiteral("a.jpg"), MakeJpegFromImage(pixels));
    EXPECT_FALSE(panes.paintOverlay(1, 2, 1, 0xFFFFFF, 0x0000FF));   // nothing shown
    panes.load(1, path, 1, 2000, marks);
    const QImage before = panes[1].photo->image.copy();
    ASSERT_TRUE(panes.paintOverlay(1, 2, 1, 0xFFFFFF, 0x0000FF));
    EXPECT_TRUE(panes[1].OverlayOn);
    EXPECT_EQ(panes[1].photo->image, before);
    EXPECT_EQ(panes[1].image().pixelColor(8, 24), QColor(255, 0, 0));   // the over colour
    EXPECT_EQ(panes[1].image().size(), before.size());
}

TEST_F(PaneSetTest, LookAheadDecodesWhatTheNextSpaceAndBackspaceBring)
{
    QStringList paths;
    for (int i = 0; i < 9; ++i)
        paths << Put(QStringLiteral("p%1.jpg").arg(i), Jpeg(64 + i * 8, 48));
    for (int n = 1; n <= 4; ++n)
        panes.load(n, paths[n + 1], n == 4 ? 5 : 1, 2000, marks);   // entries 2..5 shown, 5 selected
    auto scaleOf = [](int n) { return n == 4 ? 5 : 1; };
    panes.lookAhead(5, int(paths.size()), false, [&](int i) { return paths[i]; }, scaleOf, 2000);
    panes.pipeline().waitForLookAhead();
    // Space brings entry 6 into pane 4 (fitted); Backspace brings entry 1 into pane 1.
    EXPECT_TRUE(panes.pipeline().isCached(paths[6], 5, 2000));
    EXPECT_TRUE(panes.pipeline().isCached(paths[1], 1, 2000));
    EXPECT_FALSE(panes.pipeline().isCached(paths[7], 5, 2000));
    EXPECT_FALSE(panes.pipeline().isCached(paths[0], 1, 2000));
}

} // namespace
