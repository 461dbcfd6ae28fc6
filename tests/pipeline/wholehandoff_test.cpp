#include "pipeline/decodepipeline.h"
#include "pipeline/pipelinetesthelpers.h"
#include "common/errortext.h"

#include "exifbuilder.h"
#include "jpegwriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

using namespace tetrafot;

// The hand-off of whole photos behind parts, driven through the pipeline's
// seams: each test holds a decode where it wants it, changes something, and
// lets go, so the order is the one named, never one left to timing.

namespace {

constexpr int kWidth = 1600, kHeight = 1200;

// A photo whose Exif says to turn it a quarter (orientation 6), so that a
// decode under the other upright setting shows in its size.
QByteArray Portrait()
{
    JpegSpec jpeg;
    jpeg.width = kWidth;
    jpeg.height = kHeight;
    jpeg.markers = {{0xE1, exif::ExifBuilder().Add(exif::ExifDir::Ifd0, exif::Short(0x0112, {6})).Payload()}};
    return MakeJpeg(jpeg);
}

QByteArray Plain(unsigned seed = 1)
{
    JpegSpec jpeg;
    jpeg.width = kWidth;
    jpeg.height = kHeight;
    jpeg.seed = seed;
    return MakeJpeg(jpeg);
}

using pipelinetest::Folder;

DecodeRequest PartOf(const QString& path)
{
    return {path, 1, 0, [](QSize) { return QRect(0, 0, 100, 100); }};
}

// Holds the threads that reach it until released; counts them.
struct Hold {
    std::mutex mutex;
    std::condition_variable cv;
    int entered = 0;
    bool open = false;
    void enter()
    {
        std::unique_lock lock(mutex);
        ++entered;
        cv.notify_all();
        cv.wait(lock, [&] { return open; });
    }
    void waitFor(int count)
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return entered >= count; });
    }
    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
};

// Every hand-off, kept as a queued connection would keep it.
struct HandOffs {
    std::mutex mutex;
    std::vector<WholeResult> results;
    explicit HandOffs(DecodePipeline& pipeline)
    {
        QObject::connect(&pipeline.handOff(), &WholeHandOff::wholeReady, [this](const WholeResult& r) {
            std::lock_guard lock(mutex);
            results.push_back(r);
        });
    }
    std::vector<WholeResult> all()
    {
        std::lock_guard lock(mutex);
        return results;
    }
};

// Where the whole decode behind a part stands when wholeOf asks for it.
enum class Stands { Held, Queued, Running };

struct WholeOfRow {
    const char* name;
    Stands stands;
    bool broken;
    const char* decodedOn;   // the thread that ran the whole decode
};

void PrintTo(const WholeOfRow& r, std::ostream* os) { *os << r.name; }

class WholeOf : public testing::TestWithParam<WholeOfRow> {};

// wholeOf gives the whole photo (or throws the load's error) wherever its
// decode stands, runs it on the calling thread only when no worker has
// started on it, and takes it: the hand-off of the same decode is then no
// longer current, so the pane is not changed or told twice.
TEST_P(WholeOf, TakesTheWholeWhereverItsDecodeStands)
{
    const WholeOfRow r = GetParam();
    Folder folder;
    const QString path = folder.put(QStringLiteral("big.jpg"), r.broken ? WithFrameAfterScan(Plain()) : Plain());
    const QString other = folder.put(QStringLiteral("other.jpg"), Plain(2));
    const std::string loadError = ErrorText([&] { DecodePipeline().get(path, 1, 0); });
    const std::thread::id self = std::this_thread::get_id();

    Hold busy;    // the one worker, held in a look-ahead of the other file
    Hold whole;   // the whole decode, held on the worker
    std::mutex mutex;
    std::vector<std::string> wholesOn;
    DecodePipeline::Options options;
    options.threads = 1;
    options.beforeDecode = [&](const QString& p) {
        if (std::this_thread::get_id() != self && p == other)
            busy.enter();
    };
    options.beforeWhole = [&](const QString&) {
        {
            std::lock_guard lock(mutex);
            wholesOn.push_back(std::this_thread::get_id() == self ? "here" : "worker");
        }
        if (r.stands == Stands::Running && std::this_thread::get_id() != self)
            whole.enter();
    };
    DecodePipeline pipeline(options);
    HandOffs handed(pipeline);
    if (r.stands == Stands::Queued) {
        pipeline.lookAhead({{other, 1, 0}});
        busy.waitFor(1);
    }
    const auto part = pipeline.getFirst(PartOf(path));
    ASSERT_TRUE(part->isPart());

    std::string outcome;
    const auto askWhole = [&] {
        try {
            const auto w = pipeline.wholeOf(*part);
            return "whole " + std::to_string(w->image.width()) + "x" + std::to_string(w->image.height());
        } catch (const UserError& e) {
            return std::string(e.what());
        }
    };
    switch (r.stands) {
    case Stands::Held:
        pipeline.waitForLookAhead();
        outcome = askWhole();
        break;
    case Stands::Queued:
        outcome = askWhole();
        busy.release();
        break;
    case Stands::Running: {
        whole.waitFor(1);
        auto asked = std::async(std::launch::async, askWhole);
        whole.release();   // whether wholeOf waits already or not, it gets this decode's answer
        outcome = asked.get();
        break;
    }
    }
    pipeline.waitForLookAhead();

    EXPECT_EQ(outcome, r.broken ? loadError : "whole 1600x1200");
    EXPECT_EQ(wholesOn, std::vector<std::string>{r.decodedOn});
    const auto results = handed.all();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].ok(), !r.broken);
    EXPECT_FALSE(pipeline.take(results[0])) << "the hand-off was still current after wholeOf took it";
}

INSTANTIATE_TEST_SUITE_P(Stands, WholeOf,
    testing::Values(WholeOfRow{"Held", Stands::Held, false, "worker"},
                    WholeOfRow{"HeldError", Stands::Held, true, "worker"},
                    WholeOfRow{"Queued", Stands::Queued, false, "here"},
                    WholeOfRow{"QueuedError", Stands::Queued, true, "here"},
                    WholeOfRow{"Running", Stands::Running, false, "worker"},
                    WholeOfRow{"RunningError", Stands::Running, true, "worker"}),
    [](const testing::TestParamInfo<WholeOfRow>& info) { return std::string(info.param.name); });

struct KeepRow {
    const char* name;
    bool queued;    // the whole is still queued (else it has been handed over)
    bool broken;
    bool kept;      // the part is still on show when the walk goes on
    int handOffs;   // hand-offs seen in all
    bool current;   // whether the (last) hand-off is still current
};

void PrintTo(const KeepRow& r, std::ostream* os) { *os << r.name; }

class KeepCompletionsOf : public testing::TestWithParam<KeepRow> {};

// Walking on drops the wholes owed to parts no longer shown: queued ones are
// never decoded, and what was handed over but not yet taken is no longer
// current, a whole or an error alike.
TEST_P(KeepCompletionsOf, DropsWhatIsOwedToPartsWalkedAwayFrom)
{
    const KeepRow r = GetParam();
    Folder folder;
    const QString path = folder.put(QStringLiteral("big.jpg"), r.broken ? WithFrameAfterScan(Plain()) : Plain());
    const QString other = folder.put(QStringLiteral("other.jpg"), Plain(2));
    const std::thread::id self = std::this_thread::get_id();
    Hold busy;
    std::atomic<int> wholes{0};
    DecodePipeline::Options options;
    options.threads = 1;
    options.beforeDecode = [&](const QString& p) {
        if (std::this_thread::get_id() != self && p == other)
            busy.enter();
    };
    options.beforeWhole = [&](const QString&) { ++wholes; };
    DecodePipeline pipeline(options);
    HandOffs handed(pipeline);
    if (r.queued) {
        pipeline.lookAhead({{other, 1, 0}});
        busy.waitFor(1);
    }
    const auto part = pipeline.getFirst(PartOf(path));
    ASSERT_TRUE(part->isPart());
    if (!r.queued)
        pipeline.waitForLookAhead();
    pipeline.keepCompletionsOf(r.kept ? std::vector<const DecodedPhoto*>{part.get()}
                                      : std::vector<const DecodedPhoto*>{});
    busy.release();
    pipeline.waitForLookAhead();

    const auto results = handed.all();
    ASSERT_EQ(int(results.size()), r.handOffs);
    EXPECT_EQ(wholes.load(), r.handOffs);
    if (!results.empty()) {
        EXPECT_EQ(pipeline.take(results.back()), r.current);
    }
}

INSTANTIATE_TEST_SUITE_P(Walks, KeepCompletionsOf,
    testing::Values(KeepRow{"QueuedKept", true, false, true, 1, true},
                    KeepRow{"QueuedDropped", true, false, false, 0, false},
                    KeepRow{"HandedOverKept", false, false, true, 1, true},
                    KeepRow{"HandedOverDropped", false, false, false, 1, false},
                    KeepRow{"ErrorKept", false, true, true, 1, true},
                    KeepRow{"ErrorDropped", false, true, false, 1, false}),
    [](const testing::TestParamInfo<KeepRow>& info) { return std::string(info.param.name); });

// A whole decode that failed is told once, whichever way it is taken first:
// by the hand-off (the window's slot) or by completion (a command that
// needs the whole photo). The second asker hears nothing of it.
TEST(WholeHandOff, AnErrorIsToldOnce)
{
    Folder folder;
    const QString path = folder.put(QStringLiteral("broken.jpg"), WithFrameAfterScan(Plain()));
    const std::string loadError = ErrorText([&] { DecodePipeline().get(path, 1, 0); });
    enum Taker { Slot, Completion };
    const struct {
        Taker first, second;
    } orders[] = {{Slot, Slot}, {Slot, Completion}, {Completion, Slot}, {Completion, Completion}};
    for (const auto& order : orders) {
        DecodePipeline pipeline;
        HandOffs handed(pipeline);
        const auto part = pipeline.getFirst(PartOf(path));
        ASSERT_TRUE(part->isPart());
        pipeline.waitForLookAhead();
        ASSERT_EQ(handed.all().size(), 1u);
        const WholeResult result = handed.all()[0];
        EXPECT_EQ(result.error.toStdString(), loadError);
        EXPECT_EQ(result.key.identity, part->identity);
        EXPECT_EQ(result.key.scaleCode, 1);
        std::vector<std::string> told;
        for (const Taker taker : {order.first, order.second}) {
            if (taker == Slot) {
                if (pipeline.take(result))
                    told.push_back(result.error.toStdString());
                continue;
            }
            std::shared_ptr<const DecodedPhoto> whole;
            QString error;
            if (pipeline.completion(*part, &whole, &error) == DecodePipeline::Completion::Failed)
                told.push_back(error.toStdString());
        }
        EXPECT_EQ(told, std::vector<std::string>{loadError}) << order.first << " then " << order.second;
        pipeline.waitForLookAhead();   // a completion that found nothing owes the decode again
    }
}

enum class Change { Invalidate, Upright };
enum class During { LookAheadDecode, WholeWaitingOnLookAhead, AfterHandOff };

struct StaleRow {
    const char* name;
    Change change;
    During during;
    int decodes;   // in all, the later get's included
    QSize size;    // of what the later get or the hand-off gives
};

void PrintTo(const StaleRow& r, std::ostream* os) { *os << r.name; }

class StaleDecode : public testing::TestWithParam<StaleRow> {};

// invalidate or setUpright while a decode of the file runs: what that decode
// brings is not kept as current, neither in the cache (a later get decodes
// again, turned the new way) nor as the whole behind a part (decoded anew
// from the part's bytes and handed over), and a whole handed over before
// the change is no longer current when the window comes to take it.
TEST_P(StaleDecode, IsNotDeliveredAsCurrent)
{
    const StaleRow r = GetParam();
    Folder folder;
    const QString path = folder.put(QStringLiteral("portrait.jpg"), Portrait());
    const std::thread::id self = std::this_thread::get_id();
    Hold ahead;   // the look-ahead's decode of the file, on a worker
    std::once_flag changed;
    std::unique_ptr<DecodePipeline> pipeline;
    const auto change = [&] {
        if (r.change == Change::Invalidate)
            pipeline->invalidate(path);
        else
            pipeline->setUpright(true);
    };
    DecodePipeline::Options options;
    options.threads = 2;
    options.beforeDecode = [&](const QString&) {
        if (std::this_thread::get_id() != self)
            ahead.enter();
    };
    options.beforeWhole = [&](const QString&) {
        // Held here, the whole has found the look-ahead running and waits on it.
        if (r.during == During::WholeWaitingOnLookAhead) {
            std::call_once(changed, change);
            ahead.release();
        }
    };
    pipeline = std::make_unique<DecodePipeline>(options);
    HandOffs handed(*pipeline);

    switch (r.during) {
    case During::LookAheadDecode: {
        pipeline->lookAhead({{path, 1, 0}});
        ahead.waitFor(1);
        change();
        ahead.release();
        pipeline->waitForLookAhead();
        const auto photo = pipeline->get(path, 1, 0);
        EXPECT_EQ(photo->image.size(), r.size);
        break;
    }
    case During::WholeWaitingOnLookAhead: {
        pipeline->lookAhead({{path, 1, 0}});
        ahead.waitFor(1);
        const auto part = pipeline->getFirst(PartOf(path));
        ASSERT_TRUE(part->isPart());
        pipeline->waitForLookAhead();
        const auto results = handed.all();
        ASSERT_EQ(results.size(), 1u) << "the stale whole was handed over";
        ASSERT_TRUE(results[0].ok());
        EXPECT_EQ(results[0].photo->image.size(), r.size);
        EXPECT_TRUE(pipeline->take(results[0]));
        break;
    }
    case During::AfterHandOff: {
        ahead.release();
        const auto part = pipeline->getFirst(PartOf(path));
        ASSERT_TRUE(part->isPart());
        pipeline->waitForLookAhead();
        const auto results = handed.all();
        ASSERT_EQ(results.size(), 1u);
        change();
        EXPECT_FALSE(pipeline->take(results[0])) << "a whole from before the change was taken as current";
        break;
    }
    }
    EXPECT_EQ(pipeline->decodeCount(), r.decodes);
}

INSTANTIATE_TEST_SUITE_P(Changes, StaleDecode,
    testing::Values(
        StaleRow{"LookAheadInvalidated", Change::Invalidate, During::LookAheadDecode, 2, {kWidth, kHeight}},
        StaleRow{"LookAheadTurnedUpright", Change::Upright, During::LookAheadDecode, 2, {kHeight, kWidth}},
        StaleRow{"WholeFromInvalidatedLookAhead", Change::Invalidate, During::WholeWaitingOnLookAhead, 2,
                 {kWidth, kHeight}},
        StaleRow{"WholeFromLookAheadTurnedUpright", Change::Upright, During::WholeWaitingOnLookAhead, 2,
                 {kHeight, kWidth}},
        StaleRow{"HandedOverThenInvalidated", Change::Invalidate, During::AfterHandOff, 1, {}},
        StaleRow{"HandedOverThenTurnedUpright", Change::Upright, During::AfterHandOff, 1, {}}),
    [](const testing::TestParamInfo<StaleRow>& info) { return std::string(info.param.name); });

} // namespace
