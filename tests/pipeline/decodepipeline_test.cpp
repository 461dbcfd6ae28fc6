#include "pipeline/decodepipeline.h"
#include "pipeline/pipelinetesthelpers.h"
#include "common/bytenames.h"
#include "common/errortext.h"
#include "common/paths.h"

#include "common/usererror.h"
#include "jpegwriter.h"
#include "render/jpegpicture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <atomic>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <fcntl.h>
#include <jerror.h>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

QByteArray Jpeg(int width = 640, int height = 480, unsigned seed = 1)
{
    JpegSpec desc;
    desc.width = width;
    desc.height = height;
    desc.seed = seed;
    return MakeJpeg(desc);
}

using pipelinetest::Folder;


// Holds the first decode of `path` until released; records every decode.
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<QString> decoded;
    QString hold;
    bool open = false;
    void enter(const QString& path)
    {
        std::unique_lock lock(mutex);
        decoded.push_back(QFileInfo(path).fileName());
        cv.notify_all();
        if (path.endsWith(hold))
            cv.wait(lock, [&] { return open; });
    }
    void waitFor(size_t count)
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return decoded.size() >= count; });
    }
    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
};

struct ScaleRow {
    int code, maxSize, denom;
    QSize size;
};

class PipelineScale : public testing::TestWithParam<ScaleRow> {};

TEST_P(PipelineScale, DecodesOnceAtTheScaleAndSharesThePhoto)
{
    const ScaleRow r = GetParam();
    Folder folder;
    const QByteArray bytes = Jpeg();
    const QString path = folder.put("a.jpg", bytes);
    DecodePipeline pipeline;
    const auto photo = pipeline.get(path, r.code, r.maxSize);
    EXPECT_EQ(photo->denom, r.denom);
    EXPECT_EQ(photo->image.size(), r.size);
    EXPECT_EQ(photo->fullSize, QSize(640, 480));
    // A whole photo keeps the head of its file (its Exif), not the scan.
    EXPECT_EQ(photo->bytes, JpegHead(bytes));
    EXPECT_LT(photo->bytes.size(), bytes.size() / 4);
    TJPEGPicture direct(bytes);
    direct.setScaleDenom(r.denom);
    EXPECT_TRUE(photo->image == direct.image());
    EXPECT_EQ(pipeline.get(path, r.code, r.maxSize), photo);
    EXPECT_EQ(pipeline.decodeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, PipelineScale,
    testing::Values(ScaleRow{1, 0, 1, {640, 480}}, ScaleRow{2, 0, 2, {320, 240}}, ScaleRow{3, 0, 8, {80, 60}},
                    ScaleRow{4, 0, 4, {160, 120}}, ScaleRow{5, 639, 2, {320, 240}}, ScaleRow{5, 640, 1, {640, 480}},
                    ScaleRow{0, 0, 1, {640, 480}}, ScaleRow{9, 0, 1, {640, 480}}),
    [](const testing::TestParamInfo<ScaleRow>& info) {
        return "code" + std::to_string(info.param.code) + "max" + std::to_string(info.param.maxSize);
    });

TEST(DecodePipeline, AFitFindsTheDenominatorItNeedsUnderAFixedScale)
{
    Folder folder;
    const QString path = folder.put("a.jpg", Jpeg());
    DecodePipeline pipeline;
    const auto half = pipeline.get(path, 2, 0);
    EXPECT_EQ(pipeline.get(path, 5, 500), half);
    EXPECT_EQ(pipeline.decodeCount(), 1);
}

TEST(DecodePipeline, AChangedFileIsReadAgain)
{
    Folder folder;
    const QString path = folder.put("a.jpg", Jpeg());
    DecodePipeline pipeline;
    const auto first = pipeline.get(path, 1, 0);
    struct {
        const char* change;
        std::function<void()> apply;
        int decodes;   // after the change and one get
    } rows[] = {
        {"nothing", [] {}, 1},
        {"modification time", [&] {
             const timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 5}};
             ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
         }, 2},
        {"size", [&] { folder.put("a.jpg", Jpeg(640, 480, 2)); }, 3},
        {"invalidated", [&] { pipeline.invalidate(path); }, 4},
    };
    for (const auto& row : rows) {
        row.apply();
        const auto photo = pipeline.get(path, 1, 0);
        EXPECT_EQ(pipeline.decodeCount(), row.decodes) << row.change;
    }
    EXPECT_EQ(pipeline.cache().count(), 1) << "stale copies leave the cache";
}

// A photo or bitmap named in Latin-1 decodes like any other; a damaged one
// names itself readably.
TEST(DecodePipeline, ForeignNamesDecodeAndFailReadably)
{
    Folder folder;
    const QByteArray dir = QFile::encodeName(folder.dir.path());
    bytenames::Cleanup cleanup(dir);
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(bitmap.save(&buffer, "BMP"));
    bytenames::Write(dir + "/b\xe9.jpg", Jpeg(64, 48));
    bytenames::Write(dir + "/b\xe9.bmp", bmp);
    bytenames::Write(dir + "/d\xe9.jpg", Jpeg(64, 48).left(20));
    DecodePipeline pipeline;
    EXPECT_EQ(pipeline.get(DecodeFileName(dir + "/b\xe9.jpg"), 1, 0)->image.size(), QSize(64, 48));
    EXPECT_EQ(pipeline.get(DecodeFileName(dir + "/b\xe9.bmp"), 1, 0)->image.size(), QSize(3, 2));
    const std::string damaged = ErrorText([&] { pipeline.get(DecodeFileName(dir + "/d\xe9.jpg"), 1, 0); });
    EXPECT_EQ(damaged.rfind(folder.dir.path().toStdString() + "/d\xc3\xa9.jpg: JPEG error #", 0), 0u) << damaged;
}

TEST(DecodePipeline, AFailingFileFailsEveryTimeUntilRepaired)
{
    Folder folder;
    const QByteArray good = Jpeg();
    const int sof = FindMarker(good, 0xC0);
    const QString missing = folder.dir.filePath("gone.jpg");
    struct {
        QString path;
        std::string error;
    } rows[] = {
        {missing, "Не удаётся прочитать файл \"" + missing.toStdString() + "\": No such file or directory"},
        // SOF0: FF C0, length (2), precision (1), height (2): a height of 0.
        {folder.put("b.jpg", CorruptAt(CorruptAt(good, sof + 5, 0), sof + 6, 0)),
         folder.dir.filePath("b.jpg").toStdString() + ": JPEG error #" + std::to_string(JERR_EMPTY_IMAGE)
             + " (Empty JPEG image (DNL not supported))"},
        {folder.put("c.txt", good), "Unknown picture file extension (.txt)"},
    };
    DecodePipeline pipeline;
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorText([&] { pipeline.get(row.path, 1, 0); }), row.error);
        EXPECT_EQ(ErrorText([&] { pipeline.get(row.path, 1, 0); }), row.error) << "not cached";
    }
    EXPECT_EQ(pipeline.decodeCount(), 6);
    folder.put("gone.jpg", good);
    folder.put("b.jpg", good);
    EXPECT_EQ(pipeline.get(missing, 1, 0)->image.size(), QSize(640, 480));
    EXPECT_EQ(pipeline.get(rows[1].path, 1, 0)->image.size(), QSize(640, 480));

    // Several at once: one answer per request, in order.
    const auto results = pipeline.getMany({{rows[2].path, 1, 0}, {missing, 5, 500}, {rows[0].path, 4, 0},
                                           {folder.put("d.jpg", good), 1, 0}, {missing, 2, 0}});
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0].error.toStdString(), rows[2].error);
    EXPECT_EQ(results[1].photo->denom, 2);
    EXPECT_EQ(results[1].photo, results[4].photo);
    EXPECT_EQ(results[2].photo->denom, 4);
    EXPECT_EQ(results[3].photo->denom, 1);
    for (int i : {1, 2, 3, 4})
        EXPECT_TRUE(results[i].error.isEmpty()) << i;
}

TEST(DecodePipeline, LookAheadFillsTheCacheAndAGetWaitsForItsRunningDecode)
{
    Folder folder;
    const QString a = folder.put("a.jpg", Jpeg()), b = folder.put("b.jpg", Jpeg());
    Gate gate;
    gate.hold = "a.jpg";
    DecodePipeline::Options options;
    options.threads = 1;   // a before b
    options.beforeDecode = [&](const QString& path) { gate.enter(path); };
    DecodePipeline pipeline(options);
    pipeline.lookAhead({{a, 1, 0}, {b, 5, 500}});
    gate.waitFor(1);
    auto waiting = std::async(std::launch::async, [&] { return pipeline.get(a, 1, 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.release();
    const auto photo = waiting.get();
    pipeline.waitForLookAhead();
    EXPECT_EQ(pipeline.get(a, 1, 0), photo);
    EXPECT_EQ(pipeline.get(b, 5, 500)->denom, 2);
    EXPECT_EQ(gate.decoded, (std::vector<QString>{"a.jpg", "b.jpg"}));
}

// A walk faster than the workers: the key's file is still decoding on the
// one worker. The waiting thread decodes the look-ahead's next file
// meanwhile rather than idle, and no file is decoded twice.
TEST(DecodePipeline, AGetWaitingForARunningDecodeDecodesTheNextLookAheadFile)
{
    Folder folder;
    const QByteArray bytes = Jpeg();
    const QString a = folder.put("a.jpg", bytes), b = folder.put("b.jpg", bytes), c = folder.put("c.jpg", bytes);
    Gate gate;
    gate.hold = "a.jpg";
    std::mutex threadsMutex;
    std::map<QString, std::thread::id> decodedOn;
    DecodePipeline::Options options;
    options.threads = 1;
    options.beforeDecode = [&](const QString& path) {
        {
            std::lock_guard lock(threadsMutex);
            decodedOn[QFileInfo(path).fileName()] = std::this_thread::get_id();
        }
        if (path == b)
            gate.release();   // a ends once b has begun here
        gate.enter(path);
    };
    DecodePipeline pipeline(options);
    pipeline.lookAhead({{a, 5, 300}, {b, 5, 300}, {c, 5, 300}});
    gate.waitFor(1);
    // Without help the get below would wait for a for ever: a timer lets it
    // end, and the checks then fail.
    std::thread timeout([&] {
        std::this_thread::sleep_for(std::chrono::seconds(5));
        gate.release();
    });
    const auto photo = pipeline.get(a, 5, 300);
    pipeline.waitForLookAhead();
    timeout.join();
    ASSERT_TRUE(photo);
    EXPECT_EQ(decodedOn["b.jpg"], std::this_thread::get_id()) << "the waiting thread decoded b";
    EXPECT_NE(decodedOn["a.jpg"], std::this_thread::get_id());
    EXPECT_EQ(pipeline.decodeCount(), 3) << "each file once";
    for (const QString& path : {a, b, c})
        EXPECT_TRUE(pipeline.isCached(path, 5, 300)) << path.toStdString();
}

TEST(DecodePipeline, ReaimedLookAheadDropsWhatHasNotStarted)
{
    Folder folder;
    const QByteArray bytes = Jpeg();
    Gate gate;
    gate.hold = "a.jpg";
    DecodePipeline::Options options;
    options.threads = 1;
    options.beforeDecode = [&](const QString& path) { gate.enter(path); };
    DecodePipeline pipeline(options);
    pipeline.lookAhead({{folder.put("a.jpg", bytes), 1, 0}, {folder.put("b.jpg", bytes), 1, 0},
                        {folder.put("c.jpg", bytes), 1, 0}});
    gate.waitFor(1);
    pipeline.lookAhead({{folder.put("d.jpg", bytes), 1, 0}});
    gate.release();
    pipeline.waitForLookAhead();
    EXPECT_EQ(gate.decoded, (std::vector<QString>{"a.jpg", "d.jpg"}));
    EXPECT_TRUE(pipeline.isCached(folder.dir.filePath("a.jpg"), 1, 0)) << "a running decode finishes";
    EXPECT_FALSE(pipeline.isCached(folder.dir.filePath("b.jpg"), 1, 0));
}

TEST(DecodePipeline, LookAheadStaysInsideTheBudgetAndLeavesHeldPhotos)
{
    Folder folder;
    const QByteArray bytes = Jpeg();
    const QString a = folder.put("a.jpg", bytes), b = folder.put("b.jpg", bytes), c = folder.put("c.jpg", bytes);
    DecodePipeline::Options options;
    options.budgetBytes = (640 * 480 * 3 + bytes.size()) * 5 / 2;   // two and a half photos
    options.poolBytes = 0;
    DecodePipeline pipeline(options);
    const auto paneA = pipeline.get(a, 1, 0);
    auto paneB = pipeline.get(b, 1, 0);
    pipeline.lookAhead({{c, 1, 0}});
    pipeline.waitForLookAhead();
    EXPECT_FALSE(pipeline.isCached(c, 1, 0));
    EXPECT_EQ(pipeline.cache().count(), 2);
    paneB.reset();   // the pane moves on: b may go now
    pipeline.lookAhead({{c, 1, 0}});
    pipeline.waitForLookAhead();
    EXPECT_TRUE(pipeline.isCached(c, 1, 0));
    EXPECT_TRUE(pipeline.isCached(a, 1, 0));
    EXPECT_FALSE(pipeline.isCached(b, 1, 0));
    EXPECT_LE(pipeline.cache().usedBytes(), options.budgetBytes);
}

} // namespace

namespace {

// The whole decode behind a part may find the file already being decoded by
// the look-ahead: the pane is told once that decode has ended, not before,
// since nothing tells it later.
TEST(DecodePipeline, ThePaneIsToldOfAWholePhotoOnlyWhenItIsThere)
{
    Folder folder;
    const QString path = folder.put(QStringLiteral("big.jpg"), Jpeg(1600, 1200));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> aheadStarted;
    const std::thread::id gui = std::this_thread::get_id();
    DecodePipeline::Options options;
    options.threads = 2;
    options.beforeDecode = [&, once = std::make_shared<std::once_flag>()](const QString&) {
        if (std::this_thread::get_id() != gui)
            std::call_once(*once, [&] {
                aheadStarted.set_value();
                released.wait();   // the look-ahead holds the file
            });
    };
    DecodePipeline pipeline(options);
    std::atomic<int> told{0}, toldEarly{0};
    QObject::connect(&pipeline.handOff(), &WholeHandOff::wholeReady, [&](const WholeResult&) {
        ++told;
        if (!pipeline.isCached(path, 1, 0))
            ++toldEarly;
    });
    pipeline.lookAhead({{path, 1, 0}});
    aheadStarted.get_future().wait();
    const auto part = pipeline.getFirst({path, 1, 0, [](QSize) { return QRect(0, 0, 100, 100); }});
    ASSERT_TRUE(part->isPart());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));   // the owed decode finds the look-ahead running
    release.set_value();
    pipeline.waitForLookAhead();
    EXPECT_GE(told.load(), 1);
    EXPECT_EQ(toldEarly.load(), 0);
    std::shared_ptr<const DecodedPhoto> whole;
    QString error;
    EXPECT_EQ(pipeline.completion(*part, &whole, &error), DecodePipeline::Completion::Done);
}

} // namespace

namespace {

// Takes each hand-off at once, on the thread that hands over: the earliest
// a window could take the whole photo behind its part. It takes nothing
// more once it has the whole or the error, as a pane does.
struct EarlyAnswers {
    DecodePipeline* pipeline = nullptr;
    std::function<void()> beforeAnswer;
    std::mutex mutex;
    std::condition_variable cv;
    std::shared_ptr<const DecodedPhoto> part;
    std::vector<std::string> outcomes;   // "whole WxH" or the error told
    int told = 0;

    void show(std::shared_ptr<const DecodedPhoto> p)
    {
        std::lock_guard lock(mutex);
        part = std::move(p);
        cv.notify_all();
    }
    std::shared_ptr<const DecodedPhoto> shown()
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return part != nullptr; });
        return part;
    }
    void answer(const WholeResult& result)
    {
        const auto p = shown();
        {
            std::lock_guard lock(mutex);
            ++told;
            if (!outcomes.empty())
                return;
        }
        if (beforeAnswer)
            beforeAnswer();
        if (!(result.key.identity == p->identity && result.key.scaleCode == 1) || !pipeline->take(result))
            return;
        const std::string outcome = result.ok() ? "whole " + std::to_string(result.photo->image.width()) + "x"
                + std::to_string(result.photo->image.height())
                                                : result.error.toStdString();
        std::lock_guard lock(mutex);
        outcomes.push_back(outcome);
    }
};

enum class Meanwhile { Nothing, Invalidate, Upright };

struct OrderRow {
    const char* name;
    bool broken;          // the file fails at its end, after its part decoded
    bool aheadFirst;      // a look-ahead of the file is decoding when the whole is owed
    double budget;        // in whole photos; 0: the default
    Meanwhile meanwhile;  // once, while a decode of the file is under way for the whole
    bool lateEvicted;     // the first telling is answered after the worker is done, and
                          // another photo is loaded before each answer
    int decodes;          // besides reading the file for the part
};

void PrintTo(const OrderRow& r, std::ostream* os) { *os << r.name; }

class WholeBehindPart : public testing::TestWithParam<OrderRow> {};

// Whatever order the decodes, the changes and the answers come in, the pane
// gets its whole photo or its error exactly once, with no decode repeated
// that brought something.
TEST_P(WholeBehindPart, ReachesThePaneOnceWhateverTheOrder)
{
    const OrderRow r = GetParam();
    Folder folder;
    const QByteArray good = Jpeg(1600, 1200);
    const QString path = folder.put("big.jpg", r.broken ? WithFrameAfterScan(good) : good);
    const QString other = folder.put("other.jpg", Jpeg(1600, 1200, 2));
    const std::string loadError = ErrorText([&] { DecodePipeline().get(path, 1, 0); });

    const std::thread::id self = std::this_thread::get_id();
    Gate ahead;   // holds the look-ahead of the file until the whole waits for it
    ahead.hold = "big.jpg";
    ahead.open = !r.aheadFirst;
    EarlyAnswers answers;
    std::atomic<bool> changed{false};
    std::unique_ptr<DecodePipeline> pipeline;
    DecodePipeline::Options options;
    options.threads = 2;
    options.poolBytes = 0;
    if (r.budget > 0)
        options.budgetBytes = qint64(r.budget * (1600 * 1200 * 3 + good.size()));
    options.beforeDecode = [&](const QString& p) {
        if (std::this_thread::get_id() != self)
            ahead.enter(p);
    };
    options.beforeWhole = [&](const QString&) {
        answers.shown();   // the part is on show before anything else happens
        if (!changed.exchange(true)) {
            if (r.meanwhile == Meanwhile::Invalidate)
                pipeline->invalidate(path);
            else if (r.meanwhile == Meanwhile::Upright)
                pipeline->setUpright(true);
        }
        ahead.release();
    };
    pipeline = std::make_unique<DecodePipeline>(options);
    answers.pipeline = pipeline.get();
    if (r.lateEvicted)
        answers.beforeAnswer = [&] { pipeline->get(other, 1, 0); };
    std::mutex lateMutex;
    std::optional<WholeResult> late;   // the first hand-off, taken once the worker is done
    QObject::connect(&pipeline->handOff(), &WholeHandOff::wholeReady, [&](const WholeResult& result) {
        std::unique_lock lock(lateMutex);
        if (r.lateEvicted && !late) {
            late = result;
            return;
        }
        lock.unlock();
        answers.answer(result);
    });

    if (r.aheadFirst) {
        pipeline->lookAhead({{path, 1, 0}});
        ahead.waitFor(1);
    }
    const auto part = pipeline->getFirst({path, 1, 0, [](QSize) { return QRect(0, 0, 100, 100); }});
    ASSERT_TRUE(part->isPart());
    answers.show(part);
    pipeline->waitForLookAhead();
    if (r.lateEvicted) {
        ASSERT_TRUE(late.has_value());
        answers.answer(*late);   // as a queued call would, once the worker is done
        pipeline->waitForLookAhead();
    }

    const std::string expected = r.broken ? loadError : "whole 1600x1200";
    EXPECT_EQ(answers.outcomes, std::vector<std::string>{expected}) << "told " << answers.told << " times";
    EXPECT_EQ(pipeline->decodeCount(), r.decodes);
}

INSTANTIATE_TEST_SUITE_P(Orders, WholeBehindPart,
    testing::Values(
        // The look-ahead's decode ends without a photo; the whole is decoded
        // after it, and the answer must not find it still counted as running.
        // The look-ahead read the file but decoded nothing: one decode in all.
        OrderRow{"AheadGaveUpForTheBudget", false, true, 0.5, Meanwhile::Nothing, false, 1},
        // The look-ahead's failure is the whole's: told, not decoded again.
        OrderRow{"AheadFailedAtTheEnd", true, true, 0, Meanwhile::Nothing, false, 1},
        OrderRow{"AheadInvalidated", false, true, 0, Meanwhile::Invalidate, false, 2},
        // The stale whole is not delivered; the answer owes it again.
        OrderRow{"WholeInvalidated", false, false, 0, Meanwhile::Invalidate, false, 2},
        OrderRow{"WholeTurnedUpright", false, false, 0, Meanwhile::Upright, false, 2},
        // Room for one and a half photos: the other one would push the
        // whole out of the cache between its insert and the answer.
        OrderRow{"CachePushedTheWholeOut", false, false, 1.5, Meanwhile::Nothing, true, 2}),
    [](const testing::TestParamInfo<OrderRow>& info) { return std::string(info.param.name); });

} // namespace

namespace {

struct OvertakeRow {
    const char* name;
    bool broken;     // the file fails at its end, after its part decoded
    double budget;   // in whole photos; 0: the default
};

void PrintTo(const OvertakeRow& r, std::ostream* os) { *os << r.name; }

class KeyOvertakesLookAhead : public testing::TestWithParam<OvertakeRow> {};

// A key asks for the photo the look-ahead is decoding: its part comes at
// once, while that decode is held, and the pane is told of the whole (or
// the error) once, from that one decode.
TEST_P(KeyOvertakesLookAhead, ThePartComesAtOnceAndTheWholeFromTheRunningDecode)
{
    const OvertakeRow r = GetParam();
    Folder folder;
    const QByteArray good = Jpeg(1600, 1200);
    const QString path = folder.put("big.jpg", r.broken ? WithFrameAfterScan(good) : good);
    const std::string loadError = ErrorText([&] { DecodePipeline().get(path, 1, 0); });
    std::promise<std::thread::id> keyThread;
    const std::shared_future<std::thread::id> keyId = keyThread.get_future().share();
    Gate ahead;
    ahead.hold = "big.jpg";
    DecodePipeline::Options options;
    options.threads = 2;
    options.poolBytes = 0;
    if (r.budget > 0)
        options.budgetBytes = qint64(r.budget * (1600 * 1200 * 3 + good.size()));
    options.beforeDecode = [&](const QString& p) {
        // The look-ahead is held; the key reads the file freely.
        if (keyId.wait_for(std::chrono::seconds(0)) != std::future_status::ready
            || std::this_thread::get_id() != keyId.get())
            ahead.enter(p);
    };
    DecodePipeline pipeline(options);
    std::atomic<int> told{0};
    QObject::connect(&pipeline.handOff(), &WholeHandOff::wholeReady, [&](const WholeResult&) { ++told; });
    pipeline.lookAhead({{path, 1, 0}});
    ahead.waitFor(1);
    auto key = std::async(std::launch::async, [&] {
        keyThread.set_value(std::this_thread::get_id());
        return pipeline.getFirst({path, 1, 0, [](QSize) { return QRect(0, 0, 100, 100); }});
    });
    const bool atOnce = key.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    ahead.release();
    const auto part = key.get();
    EXPECT_TRUE(atOnce) << "the key waited for the look-ahead";
    ASSERT_TRUE(part->isPart());
    pipeline.waitForLookAhead();
    std::shared_ptr<const DecodedPhoto> whole;
    QString error;
    const auto outcome = pipeline.completion(*part, &whole, &error);
    if (r.broken) {
        EXPECT_EQ(outcome, DecodePipeline::Completion::Failed);
        EXPECT_EQ(error.toStdString(), loadError);
    } else {
        ASSERT_EQ(outcome, DecodePipeline::Completion::Done);
        EXPECT_EQ(whole->image.size(), QSize(1600, 1200));
    }
    EXPECT_EQ(told.load(), 1);
    EXPECT_EQ(pipeline.decodeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Ends, KeyOvertakesLookAhead,
    testing::Values(OvertakeRow{"Whole", false, 0}, OvertakeRow{"FailsAtTheEnd", true, 0},
                    OvertakeRow{"GivesUpForTheBudget", false, 0.5}),
    [](const testing::TestParamInfo<OvertakeRow>& info) { return std::string(info.param.name); });

} // namespace
