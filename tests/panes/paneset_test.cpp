#include "panes/paneset.h"

#include "common/usererror.h"
#include "exifbuilder.h"
#include "jpegwriter.h"
#include "render/scaling.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include <sys/stat.h>

using namespace tetrafot;

namespace {

// What the workers hand over, kept as a queued connection keeps it, and
// given to the panes on this thread, as the window's slot does.
class HandedOver {
public:
    explicit HandedOver(PaneSet& panes) : m_panes(panes)
    {
        m_connection = QObject::connect(&panes.pipeline().handOff(), &WholeHandOff::wholeReady,
                                        [this](const WholeResult& result) {
                                            std::lock_guard lock(m_mutex);
                                            m_results.push_back(result);
                                        });
    }
    ~HandedOver() { QObject::disconnect(m_connection); }
    // Waits for the workers to be done; what they handed over since.
    std::vector<WholeResult> collect()
    {
        m_panes.pipeline().waitForLookAhead();
        std::lock_guard lock(m_mutex);
        return std::exchange(m_results, {});
    }
    // Delivers what collect gives in the order handed over.
    std::vector<PaneSet::PartOutcome> deliver()
    {
        std::vector<PaneSet::PartOutcome> outcomes;
        for (const WholeResult& result : collect())
            for (const PaneSet::PartOutcome& outcome : m_panes.takeWhole(result))
                outcomes.push_back(outcome);
        return outcomes;
    }

private:
    PaneSet& m_panes;
    QMetaObject::Connection m_connection;
    std::mutex m_mutex;
    std::vector<WholeResult> m_results;
};

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
    HandedOver handed{panes};
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

// The look-ahead decodes what the next Space and Backspace bring; with
// every pane fitted and the walk outpacing the workers (a key waited for
// its file's running decode), it goes a second Space ahead.
TEST_F(PaneSetTest, LookAheadDecodesWhatTheNextStepsBring)
{
    QStringList paths;
    for (int i = 0; i < 9; ++i)
        paths << Put(QStringLiteral("p%1.jpg").arg(i), Jpeg(64 + i * 8, 48));
    const struct {
        const char* name;
        std::array<int, 4> scales;   // panes 1..4
        bool outpaced;
        bool secondSpace;            // entry 7, two Spaces ahead
    } rows[] = {
        {"pane 4 fitted", {1, 1, 1, 5}, false, false},
        {"pane 4 fitted, outpaced", {1, 1, 1, 5}, true, false},
        {"all fitted", {5, 5, 5, 5}, false, false},
        {"all fitted, outpaced", {5, 5, 5, 5}, true, true},
        {"all at 1:2, outpaced", {2, 2, 2, 2}, true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::promise<void> started, release;
        std::shared_future<void> released = release.get_future().share();
        DecodePipeline::Options options;
        options.threads = 1;
        options.beforeDecode = [&, gui = std::this_thread::get_id()](const QString& path) {
            if (path == paths[8] && std::this_thread::get_id() != gui) {
                started.set_value();
                released.wait();
            }
        };
        PaneSet panes(options);
        if (r.outpaced) {
            // A key finds entry 8 still decoding on the worker and waits for it.
            panes.pipeline().lookAhead({{paths[8], 5, 2000}});
            started.get_future().wait();
            std::thread releaser([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                release.set_value();
            });
            panes.pipeline().get(paths[8], 5, 2000);
            releaser.join();
        }
        for (int n = 1; n <= 4; ++n)
            panes.load(n, paths[n + 1], r.scales[size_t(n - 1)], 2000, marks);   // entries 2..5 shown, 5 selected
        auto scaleOf = [&](int n) { return r.scales[size_t(n - 1)]; };
        panes.lookAhead(5, int(paths.size()), false, [&](int i) { return paths[i]; }, scaleOf, 2000);
        panes.pipeline().waitForLookAhead();
        EXPECT_EQ(panes.pipeline().outpaced(), r.outpaced);
        // Space brings entry 6 into pane 4; Backspace brings entry 1 into pane 1.
        EXPECT_TRUE(panes.pipeline().isCached(paths[6], r.scales[3], 2000));
        EXPECT_TRUE(panes.pipeline().isCached(paths[1], r.scales[0], 2000));
        EXPECT_EQ(panes.pipeline().isCached(paths[7], r.scales[3], 2000), r.secondSpace);
        EXPECT_FALSE(panes.pipeline().isCached(paths[0], r.scales[0], 2000));
    }
}

// Walking Space, Space: what the walk can reach stays decoded whatever the
// system has; a photo two steps behind stays only while memory is spare.
TEST(PaneSetMemory, TheCacheFollowsWhatTheWalkCanReach)
{
    JpegSpec desc;
    desc.width = 1200;
    desc.height = 1000;
    const QByteArray bytes = MakeJpeg(desc);
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 9; ++i) {
        paths << dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        QFile f(paths.back());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    const struct {
        qint64 available;
        bool twoBehindKept;
    } rows[] = {{qint64(64) << 30, true}, {qint64(512) << 20, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.available);
        DecodePipeline::Options options;
        options.poolBytes = 0;
        options.memAvailable = [&] { return r.available; };
        PaneSet panes(options);
        MarkStore marks;
        auto show = [&](int first) {   // entries first..first+3, the last selected
            for (int n = 1; n <= 4; ++n)
                panes.load(n, paths[first + n - 1], 1, 0, marks);
            panes.lookAhead(first + 3, int(paths.size()), false, [&](int i) { return paths[i]; },
                            [](int) { return 1; }, 0);
            panes.pipeline().waitForLookAhead();
        };
        show(0);
        show(1);   // Space
        EXPECT_TRUE(panes.pipeline().isCached(paths[0], 1, 0)) << "Backspace right after Space";
        EXPECT_TRUE(panes.pipeline().isCached(paths[5], 1, 0)) << "the next Space";
        show(2);   // Space
        EXPECT_TRUE(panes.pipeline().isCached(paths[1], 1, 0));
        EXPECT_TRUE(panes.pipeline().isCached(paths[6], 1, 0));
        EXPECT_EQ(panes.pipeline().isCached(paths[0], 1, 0), r.twoBehindKept);
        const qint64 photo = 1200 * 1000 * 3 + JpegHead(bytes).size();   // a whole photo keeps its head
        EXPECT_EQ(panes.pipeline().reachableBytes(), 6 * photo);
        EXPECT_LE(panes.pipeline().cache().usedBytes(), r.twoBehindKept ? 8 * photo : 6 * photo);
    }
}

} // namespace

TEST_F(PaneSetTest, ALargePhotoComesAsTheSeenPartFirstThenWhole)
{
    const QString big = Put(QStringLiteral("big.jpg"), Jpeg(1200, 800));
    const QString small = Put(QStringLiteral("small.jpg"), Jpeg(300, 200));
    const QString broken = Put(QStringLiteral("broken.jpg"), WithFrameAfterScan(Jpeg(1200, 800)));
    JpegSpec progressive;
    progressive.width = 1200;
    progressive.height = 800;
    progressive.progressive = true;
    const QString layered = Put(QStringLiteral("layered.jpg"), MakeJpeg(progressive));
    JpegSpec turned;
    turned.width = 1200;
    turned.height = 800;
    turned.markers = {{0xE1, exif::ExifBuilder().Add(exif::ExifDir::Ifd0, exif::Short(0x0112, {6})).Payload()}};
    const QString portrait = Put(QStringLiteral("portrait.jpg"), MakeJpeg(turned));
    const auto box = [](QSize picture) { return VisiblePart(picture, QSize(300, 200), QPoint(450, 290)); };

    // Only what is much larger than its box, at a fixed scale, from a
    // single-scan file, comes in part.
    // A photo turned upright is laid out turned, so its part would not be
    // the one seen.
    const struct {
        QString path;
        int scale;
        bool upright;
        bool part;
    } cases[] = {{big, 1, false, true},      {big, 2, false, true},       {big, 4, false, false},
                 {big, 5, false, false},     {small, 1, false, false},    {layered, 1, false, false},
                 {portrait, 1, false, true}, {portrait, 1, true, false}, {big, 1, true, true}};
    for (const auto& c : cases) {
        panes.setUpright(c.upright);
        panes.load(1, c.path, c.scale, 2000, marks, false, box);
        EXPECT_EQ(panes[1].isPart(), c.part) << c.path.toStdString() << " at " << c.scale;
        handed.deliver();
        EXPECT_FALSE(panes[1].isPart());
    }

    panes.setUpright(false);

    // The part holds the pixels seen, exactly as the whole has them.
    panes.pipeline().clearCache();
    panes.load(2, big, 1, 2000, marks, false, box);
    ASSERT_TRUE(panes[2].isPart());
    const QRect part = panes[2].photo->part;
    EXPECT_TRUE(part.contains(QRect(450, 290, 300, 200)));
    EXPECT_EQ(panes[2].pictureSize(), QSize(1200, 800));
    const QImage seen = panes[2].image();
    // Another pane showing the same place takes the part on show.
    const int parts = panes.pipeline().partCount();
    panes.load(3, big, 1, 2000, marks, false, box);
    EXPECT_EQ(panes.pipeline().partCount(), parts);
    panes.clear(3);
    const auto outcomes = handed.deliver();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].pane, 2);
    EXPECT_TRUE(outcomes[0].error.isEmpty());
    EXPECT_EQ(panes[2].image().size(), QSize(1200, 800));
    EXPECT_EQ(panes[2].image().copy(part), seen);

    // A whole decode that fails after the part was shown: the error a load
    // gives, told once, and the pane as before the load - whether it is
    // waited for by the worker or by a command that needs the whole photo.
    std::string loadError;
    try {
        panes.pipeline().get(broken, 1, 0);
    } catch (const UserError& e) {
        loadError = e.what();
    }
    ASSERT_FALSE(loadError.empty());
    for (const bool waitHere : {false, true}) {
        panes.load(2, broken, 1, 2000, marks, false, box);
        if (!waitHere)   // a part over a part: back to what was before the first
            panes.load(2, broken, 1, 2000, marks, false, box);
        ASSERT_TRUE(panes[2].isPart());
        if (waitHere) {
            try {
                panes.paintOverlay(2, 2, 1, 0, 0);
                ADD_FAILURE() << "the overlay was painted on a broken photo";
            } catch (const UserError& e) {
                EXPECT_EQ(e.what(), loadError);
            }
        } else {
            const auto failed = handed.deliver();
            ASSERT_EQ(failed.size(), 1u);
            EXPECT_EQ(failed[0].path, broken);
            EXPECT_EQ(failed[0].error.toStdString(), loadError);
        }
        EXPECT_EQ(panes[2].PanePath, big) << waitHere;
        EXPECT_FALSE(panes[2].isPart());
        EXPECT_TRUE(handed.deliver().empty());
    }
}

// A whole handed over changes the panes that show a part of that file at
// that scale and no other, once, and only while it is current; a pane
// walked away from meanwhile keeps what it shows now.
TEST_F(PaneSetTest, AWholeChangesOnlyThePanesShowingItsPart)
{
    const QString a = Put(QStringLiteral("a.jpg"), Jpeg(1200, 800));
    const QString b = Put(QStringLiteral("b.jpg"), Jpeg(1200, 800));
    const QString c = Put(QStringLiteral("c.jpg"), Jpeg());
    const auto box = [](QSize picture) { return VisiblePart(picture, QSize(300, 200), QPoint(0, 0)); };
    // The wholes wait until all four panes show their parts: pane 4 is to
    // take pane 1's part, not a whole already decoded.
    std::mutex mutex;
    std::condition_variable cv;
    bool loaded = false;
    DecodePipeline::Options options;
    options.beforeWhole = [&](const QString&) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return loaded; });
    };
    PaneSet set(options);
    HandedOver handedToSet(set);
    const auto release = [&] {
        std::lock_guard lock(mutex);
        loaded = true;
        cv.notify_all();
    };
    // Released however the test ends, before the workers are joined.
    const std::unique_ptr<bool, std::function<void(bool*)>> releaseAtEnd(&loaded, [&](bool*) { release(); });
    const struct {
        QString path;
        int scale;
    } shown[] = {{a, 1}, {b, 1}, {a, 2}, {a, 1}};
    for (int n = 1; n <= 4; ++n) {
        set.load(n, shown[n - 1].path, shown[n - 1].scale, 2000, marks, false, box);
        ASSERT_TRUE(set[n].isPart()) << n;
    }
    release();
    std::array<QImage, 5> seen;
    std::array<QRect, 5> where;
    for (int n = 1; n <= 4; ++n) {
        seen[size_t(n)] = set[n].image();
        where[size_t(n)] = set[n].photo->part;
    }
    std::vector<WholeResult> results = handedToSet.collect();
    ASSERT_EQ(results.size(), 3u);   // pane 4 took pane 1's part: one whole for both
    const auto resultOf = [&](const QString& path, int scale) {
        for (const WholeResult& r : results)
            if (r.key.identity.path == path && r.key.scaleCode == scale)
                return r;
        ADD_FAILURE() << "no whole handed over for " << path.toStdString() << " at " << scale;
        return WholeResult();
    };
    // Before the wholes come, pane 1 walks on and b is to be read again
    // (as R does first): b's whole is no longer current.
    set.load(1, c, 1, 2000, marks);
    set.pipeline().invalidate(b);
    const struct {
        QString path;
        int scale;
        std::vector<int> changed;
    } steps[] = {{a, 1, {4}}, {a, 1, {}}, {b, 1, {}}, {a, 2, {3}}};
    for (const auto& step : steps) {
        std::vector<int> changed;
        for (const PaneSet::PartOutcome& outcome : set.takeWhole(resultOf(step.path, step.scale))) {
            changed.push_back(outcome.pane);
            EXPECT_TRUE(outcome.error.isEmpty());
            EXPECT_EQ(outcome.path, step.path);
        }
        EXPECT_EQ(changed, step.changed) << step.path.toStdString() << " at " << step.scale;
    }
    EXPECT_EQ(set[1].PanePath, c);
    EXPECT_TRUE(set[2].isPart());
    for (int n = 3; n <= 4; ++n) {
        ASSERT_FALSE(set[n].isPart()) << n;
        EXPECT_EQ(set[n].image().copy(where[size_t(n)]), seen[size_t(n)]) << n;   // the same pixels in place
    }
    EXPECT_EQ(set[3].image().size(), QSize(600, 400));
}

// The look-ahead of a file damaged at its end is decoding when the file
// comes in part: its failure is the whole's, and the pane, told at once,
// reports it and shows what it showed before.
TEST_F(PaneSetTest, AWholeThatFailedInTheLookAheadPutsThePaneBack)
{
    const QString before = Put(QStringLiteral("a.jpg"), Jpeg());
    const QString broken = Put(QStringLiteral("broken.jpg"), WithFrameAfterScan(Jpeg(1200, 800)));
    std::string loadError;
    try {
        DecodePipeline().get(broken, 1, 0);
    } catch (const UserError& e) {
        loadError = e.what();
    }
    ASSERT_FALSE(loadError.empty());

    std::mutex mutex;
    std::condition_variable cv;
    bool aheadStarted = false, loaded = false, released = false;
    const std::thread::id self = std::this_thread::get_id();
    DecodePipeline::Options options;
    options.threads = 2;
    options.beforeDecode = [&](const QString& path) {
        if (std::this_thread::get_id() == self || !path.endsWith(QStringLiteral("broken.jpg")))
            return;
        std::unique_lock lock(mutex);   // the look-ahead holds the file until the whole waits for it
        aheadStarted = true;
        cv.notify_all();
        cv.wait(lock, [&] { return released; });
    };
    options.beforeWhole = [&](const QString&) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return loaded; });
        released = true;
        cv.notify_all();
    };
    PaneSet set(options);
    HandedOver handedToSet(set);
    set.load(2, before, 1, 2000, marks);
    set.pipeline().lookAhead({{broken, 1, 0}});
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return aheadStarted; });
    }
    const auto box = [](QSize picture) { return VisiblePart(picture, QSize(300, 200), QPoint(0, 0)); };
    set.load(2, broken, 1, 2000, marks, false, box);
    ASSERT_TRUE(set[2].isPart());
    {
        std::lock_guard lock(mutex);
        loaded = true;
        cv.notify_all();
    }
    const auto outcomes = handedToSet.deliver();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].pane, 2);
    EXPECT_EQ(outcomes[0].path, broken);
    EXPECT_EQ(outcomes[0].error.toStdString(), loadError);
    EXPECT_EQ(set[2].PanePath, before);
    EXPECT_FALSE(set[2].isPart());
}

namespace {

// The walk is one call on the panes and the folder list: the pinned file is
// found in the list and left out of it, and the look-ahead is worked out
// from the same list.
TEST_F(PaneSetTest, WalksTheListWithThePinnedFileLeftOut)
{
    for (int i = 0; i < 8; ++i)
        Put(QStringLiteral("f%1.jpg").arg(i), Jpeg(32, 24));
    FolderList list;
    ASSERT_EQ(list.list(QDir(dir.path()).absolutePath(), {{"*.jpg"}}, marks), QString());
    const auto apply = [&](const WalkResult& r) {
        for (int k = 0; k < 4; ++k)
            if (r.load[size_t(k)])
                panes.load(k + 1, r.paths[size_t(k)], 4, 2000, marks);
        if (r.changed)
            list.select(r.selection);
    };
    const auto shown = [&] {
        QString s;
        for (int k = 1; k <= 4; ++k)
            s += panes[k].PanePath.isEmpty() ? QStringLiteral(".") : panes[k].PanePath.right(5).left(1);
        return s;
    };
    apply(panes.step(PaneSet::Step::First, list, false));
    ASSERT_EQ(shown(), QStringLiteral("0123"));
    panes.setPinned(2);
    const struct { PaneSet::Step step; bool pageMode; const char* after; int selection; } steps[] = {
        {PaneSet::Step::Previous, false, "0123", 3}, {PaneSet::Step::Next, false, "2134", 4},
        {PaneSet::Step::Last, false, "5167", 7},     {PaneSet::Step::Previous, true, "2134", 4},
        {PaneSet::Step::Next, true, "5167", 7},      {PaneSet::Step::First, false, "0123", 3},
    };
    for (const auto& s : steps) {
        apply(panes.step(s.step, list, s.pageMode));
        EXPECT_EQ(shown(), QString::fromLatin1(s.after));
        EXPECT_EQ(list.selection(), s.selection);
    }
    // The look-ahead decodes what Space and Backspace bring: entries 4 and 0.
    panes.lookAhead(list, false, [](int) { return 4; }, 2000);
    panes.pipeline().waitForLookAhead();
    const int before = panes.pipeline().decodeCount();
    apply(panes.step(PaneSet::Step::Next, list, false));
    EXPECT_EQ(shown(), QStringLiteral("2134"));
    EXPECT_EQ(panes.pipeline().decodeCount(), before);
}

} // namespace

namespace {

QByteArray CameraJpeg(const std::string& model, int width = 64)
{
    JpegSpec desc;
    desc.width = width;
    desc.height = 48;
    desc.jfif = false;
    if (!model.empty())
        desc.markers = {{0xE1, exif::ExifBuilder().Add(exif::ExifDir::Ifd0, exif::Ascii(0x0110, model)).Payload()}};
    return MakeJpeg(desc);
}

// Companions are looked up by name in the working directory, the folder
// the window lists.
class InFolder {
public:
    explicit InFolder(const QString& folder) : m_was(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~InFolder() { QDir::setCurrent(m_was); }

private:
    QString m_was;
};

} // namespace

// One load gives everything the pane shows of its file.
TEST_F(PaneSetTest, ALoadHoldsTheListingCaptionFieldsAndMarksOfItsFile)
{
    const InFolder folder(dir.path());
    Put(QStringLiteral("IMG_1.jpg"), CameraJpeg("CAM-1"));
    Put(QStringLiteral("IMG_1.CR2"), "raw");
    Put(QStringLiteral("IMG_2.jpg"), CameraJpeg(""));
    Put(QStringLiteral("IMG_3.jpg"), CameraJpeg("CAM-3"));
    Put(QStringLiteral("IMG_3.crw"), "raw");   // the rule says CRW: found in another case
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("IMG_3.jpg"))).constData(), 0444), 0);
    marks.SetMark(dir.filePath(QStringLiteral("IMG_2.jpg")), 7);
    const struct {
        const char* name;
        QStringList extensions;
        std::string model;
        QString listing;
        MarkCode mark;
        bool raw, readOnly;
    } cases[] = {
        {"IMG_1.jpg", {"CR2"}, "CAM-1", "Model:\tCAM-1", NoMark, true, false},
        {"IMG_1.jpg", {"CR2", "XMP"}, "CAM-1", "Model:\tCAM-1", NoMark, false, false},   // all of them, not one
        {"IMG_2.jpg", {"CR2"}, "", "", 7, false, false},
        {"IMG_3.jpg", {"CRW"}, "CAM-3", "Model:\tCAM-3", NoMark, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompanionRule rule;
        rule.extensions = c.extensions;
        ASSERT_TRUE(panes.load(3, dir.filePath(QString::fromLatin1(c.name)), 1, 2000, marks, false, nullptr, rule));
        EXPECT_EQ(panes[3].basic().Model, c.model);
        EXPECT_EQ(panes[3].metadataText(), c.listing);
        EXPECT_EQ(panes[3].mark, c.mark);
        EXPECT_EQ(panes[3].rawCompanions, c.raw);
        EXPECT_EQ(panes[3].readOnly, c.readOnly);
    }
    // A name that is no regular file changes nothing.
    EXPECT_FALSE(panes.load(3, dir.path(), 1, 2000, marks));
    EXPECT_FALSE(panes.load(3, dir.filePath(QStringLiteral("gone.jpg")), 1, 2000, marks));
    EXPECT_TRUE(panes[3].PanePath.endsWith(QStringLiteral("IMG_3.jpg")));
    EXPECT_EQ(panes[3].basic().Model, "CAM-3");
    panes.clear(3);
    EXPECT_TRUE(panes[3].metadataText().isEmpty());
    EXPECT_FALSE(panes[3].readOnly);
}

// The read-only mark is the file's as it is now, also when its photo comes
// from the cache of a time the file could still be written.
TEST_F(PaneSetTest, TheReadOnlyMarkFollowsThePermissionsNotTheCache)
{
    const QString path = Put(QStringLiteral("a.jpg"), Jpeg());
    const QByteArray name = QFile::encodeName(path);
    panes.load(1, path, 1, 2000, marks);
    const auto photo = panes[1].photo;
    ASSERT_EQ(::chmod(name.constData(), 0444), 0);
    panes.load(2, path, 1, 2000, marks);
    EXPECT_EQ(panes[2].photo, photo) << "from the cache";
    EXPECT_TRUE(panes[2].readOnly);
    EXPECT_FALSE(panes[1].readOnly) << "until looked at again";
    EXPECT_TRUE(panes.checkReadOnly(1));
    ASSERT_EQ(::chmod(name.constData(), 0644), 0);
    EXPECT_FALSE(panes.checkReadOnly(2));
    EXPECT_FALSE(panes[2].readOnly);
}

// A file's Exif is read once while a pane or the recent loads hold it: a
// Space in shift mode (one new photo, three panes moved on) reads one block.
TEST_F(PaneSetTest, AShiftStepReadsTheExifOfTheNewPhotoAlone)
{
    QStringList paths;
    for (int i = 0; i < 6; ++i)
        paths << Put(QStringLiteral("p%1.jpg").arg(i), CameraJpeg("CAM-" + std::to_string(i)));
    const auto show = [&](int first, bool fromDisk = false) {
        for (int n = 1; n <= 4; ++n)
            panes.load(n, paths[first + n - 1], 1, 2000, marks, fromDisk);
    };
    const struct {
        const char* step;
        int first;
        bool fromDisk;
        int reads;            // in all, since the start
        std::string model1;   // pane 1's caption field
    } steps[] = {
        {"the first fill", 0, false, 4, "CAM-0"},
        {"Space", 1, false, 5, "CAM-1"},
        {"Space", 2, false, 6, "CAM-2"},
        {"Backspace", 1, false, 6, "CAM-1"},
        {"a file rewritten in place", 1, false, 7, "CAM-X"},
        {"R on every pane", 1, true, 11, "CAM-X"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (std::string_view(s.step) == "a file rewritten in place")
            Put(QStringLiteral("p1.jpg"), CameraJpeg("CAM-X", 72));
        show(s.first, s.fromDisk);
        EXPECT_EQ(panes.metadataReads(), s.reads);
        EXPECT_EQ(panes[1].basic().Model, s.model1);
        EXPECT_EQ(panes[4].basic().Model, "CAM-" + std::to_string(s.first + 3));
    }
}

// A photo prepared for a step is the file's as it was then: a file
// rewritten before its pane loads is decoded again.
TEST_F(PaneSetTest, APreparedPhotoOfAFileChangedSinceIsNotShown)
{
    const QString a = Put(QStringLiteral("a.jpg"), Jpeg(64, 48));
    const QString b = Put(QStringLiteral("b.jpg"), Jpeg(64, 48));
    panes.prepare({{a, 1, 2000}, {b, 1, 2000}});
    Put(QStringLiteral("a.jpg"), Jpeg(96, 48));
    panes.load(1, a, 1, 2000, marks);
    panes.load(2, b, 1, 2000, marks);
    EXPECT_EQ(panes[1].image().size(), QSize(96, 48));
    EXPECT_EQ(panes[2].image().size(), QSize(64, 48));
}
