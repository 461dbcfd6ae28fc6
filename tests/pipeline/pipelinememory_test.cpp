// The memory the pipeline keeps beyond the photos on show: buffers kept for
// reuse, photos the walk may come back to, and the thread that prepares
// spare buffers.
#include "pipeline/decodepipeline.h"

#include "jpegwriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

using namespace tetrafot;

namespace {

using namespace std::chrono_literals;

constexpr qint64 GiB = qint64(1) << 30;

struct Photos {
    QTemporaryDir dir;
    QStringList paths;
    // Large enough for the pool, and four of them beyond the least budget
    // (9 MB a photo).
    explicit Photos(int count)
    {
        JpegSpec desc;
        desc.width = 2000;
        desc.height = 1500;
        const QByteArray bytes = MakeJpeg(desc);
        for (int i = 0; i < count; ++i) {
            paths << dir.filePath(QStringLiteral("p%1.jpg").arg(i));
            QFile f(paths.back());
            EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
    }
};

// Waits up to five seconds for what another thread of the pipeline does.
bool Eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

int ThreadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// A window showing one photo, reloaded again and again: each new decode
// goes into the buffer of the photo it replaced, not into fresh memory.
// That buffer is given back when the system runs short, with no key pressed.
TEST(PipelineMemory, AReloadOfTheOnlyPhotoOnShowReusesItsBuffer)
{
    Photos photos(1);
    const QString path = photos.paths[0];
    std::atomic<qint64> available{64 * GiB};
    DecodePipeline::Options options;
    options.memAvailable = [&] { return available.load(); };
    options.memoryCheck = 10ms;
    DecodePipeline pipeline(options);
    auto shown = pipeline.get(path, 1, 0);
    pipeline.lookAhead({});   // the budget follows the one photo on show
    pipeline.waitForLookAhead();
    for (int i = 0; i < 4; ++i) {
        pipeline.invalidate(path);
        shown = pipeline.get(path, 1, 0);   // the photo replaced is let go only now
    }
    EXPECT_EQ(pipeline.pool().freshAllocations(), 2);
    EXPECT_EQ(pipeline.pool().keptCount(), 1);

    available = 512 << 20;
    EXPECT_TRUE(Eventually([&] { return pipeline.pool().keptCount() == 0; }));
    EXPECT_TRUE(pipeline.isCached(path, 1, 0));
}

// Space and Space again while memory is plenty, so that the cache keeps the
// photo two steps behind too; then the system's memory falls while the user
// looks. What the next Space and Backspace bring stays whatever it falls to;
// the photo two steps behind only while one photo more is spare (an eighth
// of what the system has beyond 1 GiB).
TEST(PipelineMemory, AFallOfAvailableMemoryWhileIdleGivesBackWhatTheWalkCannotReach)
{
    const struct {
        qint64 fallTo;
        bool twoBehindKept;
    } rows[] = {
        {64 * GiB, true},
        {GiB + 160 * (qint64(1) << 20), true},   // 20 MiB spare: a 9 MB photo more
        {GiB + 40 * (qint64(1) << 20), false},   // 5 MiB spare
        {512 << 20, false},
        {-1, false},   // unknown
    };
    Photos photos(4);
    const QStringList& p = photos.paths;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fallTo);
        std::atomic<qint64> available{64 * GiB};
        std::atomic<int> reads{0};
        DecodePipeline::Options options;
        options.poolBytes = 0;   // what is given back is in the cache
        options.memAvailable = [&] {
            ++reads;
            return available.load();
        };
        options.memoryCheck = 10ms;
        DecodePipeline pipeline(options);
        auto shown = pipeline.get(p[1], 1, 0);
        pipeline.lookAhead({{p[2], 1, 0}, {p[0], 1, 0}});   // Space, Backspace
        pipeline.waitForLookAhead();
        shown = pipeline.get(p[2], 1, 0);   // Space: p[0] is two steps behind
        pipeline.lookAhead({{p[3], 1, 0}, {p[1], 1, 0}});
        pipeline.waitForLookAhead();
        const qint64 photo = pipeline.reachableBytes() / 3;
        ASSERT_GT(photo, 2000 * 1500 * 3);
        // Counted, not looked up: a look-up would make p[0] the most recently used.
        ASSERT_EQ(pipeline.cache().usedBytes(), 4 * photo);

        const int before = reads;
        available = r.fallTo;   // no key pressed
        if (r.twoBehindKept) {
            ASSERT_TRUE(Eventually([&] { return reads >= before + 2; }));
            EXPECT_EQ(pipeline.cache().usedBytes(), 4 * photo);
        } else {
            EXPECT_TRUE(Eventually([&] { return pipeline.cache().usedBytes() == 3 * photo; }));
            EXPECT_FALSE(pipeline.isCached(p[0], 1, 0)) << "two steps behind";
        }
        EXPECT_TRUE(pipeline.isCached(p[1], 1, 0)) << "Backspace right after Space";
        EXPECT_TRUE(pipeline.isCached(p[2], 1, 0)) << "on show";
        EXPECT_TRUE(pipeline.isCached(p[3], 1, 0)) << "the next Space";
    }
}

// Spare buffers are prepared on a thread of the pipeline, which is joined
// with it even while a spare is being prepared.
TEST(PipelineMemory, TheSpareBufferThreadEndsWithThePipeline)
{
    Photos photos(1);
    {
        DecodePipeline::Options options;
        options.spareBuffers = true;
        DecodePipeline pipeline(options);
        auto shown = pipeline.get(photos.paths[0], 1, 0);
        EXPECT_TRUE(Eventually([&] { return pipeline.pool().keptCount() == BufferPool::kSpares; }));
        EXPECT_EQ(pipeline.pool().freshAllocations(), 1) << "spares are mapped beside the decodes' count";
    }

    const int before = ThreadCount();
    std::mutex mutex;
    std::condition_variable cv;
    bool underway = false;
    {
        DecodePipeline::Options options;
        options.spareBuffers = true;
        options.beforeSpare = [&] {
            {
                std::lock_guard lock(mutex);
                underway = true;
            }
            cv.notify_all();
            std::this_thread::sleep_for(50ms);   // the pipeline goes meanwhile
        };
        DecodePipeline pipeline(options);
        auto shown = pipeline.get(photos.paths[0], 1, 0);
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, 5s, [&] { return underway; }));
    }
    EXPECT_EQ(ThreadCount(), before);
}

} // namespace
