#pragma once
#include "pipeline/bufferpool.h"
#include "pipeline/decodecache.h"
#include "pipeline/decodequeues.h"
#include "pipeline/owedwholes.h"
#include "pipeline/wholehandoff.h"
#include "render/jpegpicture.h"
#include "render/rawprobe.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tetrafot {

// One answer of getMany: the photo, or the error text the user is shown.
struct DecodeResult {
    std::shared_ptr<const DecodedPhoto> photo;
    QString error;
    bool ok() const { return photo != nullptr; }
};

// Decodes photos for the panes: answers from the cache when it can, decodes
// several files in parallel when they are needed at once, and decodes the
// files the next step will need on worker threads while the user looks.
//
// The caller sees a synchronous program: get and getMany return with the
// photos decoded. Errors are never cached: a file that fails is read and
// fails again on the next get, and loads once repaired. The worker threads
// touch only the cache, the pool and the files.
class DecodePipeline {
public:
    struct Options {
        // Cache and pool together at most; while walking, they follow what the
        // walk can reach (see lookAhead and WalkBudget).
        qint64 budgetBytes = DecodeCache::DefaultBudget();
        qint64 poolBytes = BufferPool::kDefaultKeepBytes;    // of the budget, kept for reuse
        int threads = 0;   // worker threads; 0: one fewer than the cores, at least one
        bool spareBuffers = false;   // keep picture buffers mapped ahead (see BufferPool::setSpareListener)
        // How often the system's memory is read while the cache and the pool
        // keep more than the walk can reach, so that it is given back when the
        // system runs short while the user looks at a photo. It is read after
        // each decode and each look-ahead too.
        std::chrono::milliseconds memoryCheck{2000};
        // Test seam: called on the decoding thread before a file is read.
        std::function<void(const QString& path)> beforeDecode;
        // Test seam: called on the thread that owes a part its whole photo
        // once it holds the file's decode: its own is about to start, or
        // another one is running and will be waited for.
        std::function<void(const QString& path)> beforeWhole;
        // The system's available memory in bytes (MemAvailableBytes when unset);
        // called on the pipeline's own threads.
        std::function<qint64()> memAvailable;
        // Test seam: called on the spare-buffer thread before it maps a spare.
        std::function<void()> beforeSpare;
        // The program that parses RAW files' headers; empty: the one beside
        // the running program (see RawProbe).
        QString rawProbe;
    };

    DecodePipeline();
    explicit DecodePipeline(Options options);
    // Drops queued look-ahead, waits for running decodes and for a spare
    // buffer being prepared.
    ~DecodePipeline();
    DecodePipeline(const DecodePipeline&) = delete;
    DecodePipeline& operator=(const DecodePipeline&) = delete;

    // The photo at the denominator its scale code gives (a fitted photo's
    // from its full size and maxSize). From the cache, from a decode already
    // running for it, or decoded now. Throws UserError with the text a pane
    // load shows: the file cannot be read, an unknown extension, a JPEG error.
    std::shared_ptr<const DecodedPhoto> get(const QString& path, int scaleCode, int maxSize);
    std::shared_ptr<const DecodedPhoto> get(const DecodeRequest& r);
    // Several at once, decoded in parallel on the workers and the calling
    // thread; one answer per request, in order.
    // Requests with visibleOf set are answered as getFirst answers.
    std::vector<DecodeResult> getMany(const std::vector<DecodeRequest>& requests);

    // The photo, or only the part of it that r.visibleOf names when that is
    // much less than the whole: a baseline JPEG photo at a fixed scale that
    // is not at hand. Such a part comes back at once (isPart()), and the
    // whole photo is decoded on a worker from the bytes already read, ahead
    // of any look-ahead, and handed over when done (see handOff; completion()
    // tells the same). Otherwise as get.
    std::shared_ptr<const DecodedPhoto> getFirst(const DecodeRequest& r);
    enum class Completion { Pending, Done, Failed };
    // What became of the whole decode behind a part: Done with the whole
    // photo in *photo, Failed with the message a load would have shown in
    // *error (told once), or Pending. A whole photo delivered for the part
    // is held until taken here, whatever the cache does meanwhile; one that
    // never arrived (its decode went stale) is decoded again.
    Completion completion(const DecodedPhoto& part, std::shared_ptr<const DecodedPhoto>* photo, QString* error);
    // The whole photo behind a part, waited for (or decoded here when no
    // worker has started on it). Throws UserError as the load would have.
    std::shared_ptr<const DecodedPhoto> wholeOf(const DecodedPhoto& part);
    // Drops the queued whole decodes of parts other than these, and the
    // wholes and errors held for them; one running finishes into the cache.
    void keepCompletionsOf(const std::vector<const DecodedPhoto*>& parts);
    // Each whole decode behind a part that ends with a photo or an error is
    // handed over through this object's signal, once completion() can tell
    // the same. The object lives on the thread that made the pipeline.
    WholeHandOff& handOff() { return m_handOff; }
    // Takes what the hand-off brought, as completion() would: true when it
    // is still what the pipeline holds for the part, false for one taken
    // already (by completion or wholeOf) or dropped since (keepCompletionsOf,
    // invalidate, setUpright), which is not to be shown as current.
    bool take(const WholeResult& result);
    // Replaces the look-ahead: the requests not yet started are dropped (a
    // running decode finishes into the cache), then these are decoded in
    // order on the workers. Returns at once. Files that fail are skipped;
    // nothing is decoded that would push the cache over its budget.
    // The budget of the cache and the pool is set anew first: what the
    // photos held (on show), the wholes owed to parts and these requests
    // take, and more only while the system has memory to spare.
    void lookAhead(const std::vector<DecodeRequest>& requests);
    // Whether the walk outpaces the workers: a get waited for its file's
    // running decode within the last second.
    bool outpaced() const;
    // The bytes the walk could reach when the budget was last set.
    qint64 reachableBytes() const { return m_reachable.load(); }
    // The file is read from disk on the next get.
    void invalidate(const QString& path);

    // Whether JPEG photos are turned upright by their Exif orientation (off
    // at first). A change drops every decoded photo: they are turned the
    // other way, and so is the full size a fitted photo is laid out by.
    void setUpright(bool on);
    bool upright() const { return m_upright.load(); }
    // The configured companion extensions: files with these and the common
    // RAW extensions are shown through the preview they hold.
    void setRawExtensions(const QStringList& configured);

    // Whether get would answer without decoding.
    bool isCached(const QString& path, int scaleCode, int maxSize) { return cached({path, scaleCode, maxSize}) != nullptr; }
    bool isCached(const DecodeRequest& r) { return cached(r) != nullptr; }
    // Waits until no look-ahead or whole decode behind a part is queued,
    // running or being handed over (tests, benchmarks).
    void waitForLookAhead();
    void clearCache() { m_cache.clear(); }
    const DecodeCache& cache() const { return m_cache; }
    const BufferPool& pool() const { return m_pool; }
    const RawProbe& rawProbe() const { return m_rawProbe; }
    // Decodes started so far (each reads the file); a look-ahead that gave
    // up for the budget before decoding is not one.
    int decodeCount() const { return m_decodes.load(); }
    // Parts decoded first so far.
    int partCount() const { return m_parts.load(); }

private:
    enum class Kind { Jpeg, Raw, Bitmap, Unknown };
    Kind kindOf(const QString& path) const;
    // A file's bytes as one decode reads them (see the .cpp).
    struct Read;
    Read readFile(const QString& path, Kind kind);
    struct Job;
    struct JobKey {
        FileIdentity identity;
        int scaleCode, maxSize;
        bool operator<(const JobKey& o) const
        {
            return std::tie(identity, scaleCode, maxSize) < std::tie(o.identity, o.scaleCode, o.maxSize);
        }
    };

    // known: the file's identity when the caller has it.
    std::shared_ptr<const DecodedPhoto> getOrDecode(const QString& path, int scaleCode, int maxSize, Read* read,
                                                    const FileIdentity* known = nullptr);
    std::shared_ptr<const DecodedPhoto> cached(const DecodeRequest& r);
    std::shared_ptr<const DecodedPhoto> cachedLocked(const FileIdentity& id, int scaleCode, int maxSize);
    // Decodes the file; null when `mayExceedBudget` is false and the photo
    // does not fit. Throws UserError.
    // `read`: the file's bytes when they are in memory already.
    std::shared_ptr<const DecodedPhoto> decode(const QString& path, const FileIdentity* id, int scaleCode,
                                               int maxSize, bool mayExceedBudget, Read* read = nullptr);
    void decodeBitmapPreview(DecodedPhoto& photo, const QImage& bitmap, const QString& path);
    Completion completionLocked(const DecodedPhoto& part, std::shared_ptr<const DecodedPhoto>* photo, QString* error);
    // Runs an owed decode started in m_queues and hands it over; `lock`
    // (on m_mutex) is held on entry and on return, not while decoding.
    void runOwedHere(std::unique_lock<std::mutex>& lock, const OwedDecode& owed);
    // What the decode brought, also kept in m_wholes; empty when it went stale.
    std::optional<WholeResult> runOwed(const OwedDecode& owed);
    // owedFor: the whole owed to a part that this decode is, held for it
    // as the job ends, so that no waiter finds the photo without it.
    void finishJob(const JobKey& key, const std::shared_ptr<Job>& job, std::shared_ptr<const DecodedPhoto> photo,
                   std::exception_ptr error, const WholeKey* owedFor = nullptr);
    void runLookAhead(const DecodeRequest& r);
    // Runs the look-ahead's next task (setting its budget, or decoding its
    // next file) when that is what is queued next; false when it is not.
    // `lock` (on m_mutex) is held on entry and on return, not while it runs.
    bool runAheadTask(std::unique_lock<std::mutex>& lock);
    // Whether a thread waiting for this running decode is likely to wait
    // long enough to decode a look-ahead file meanwhile (m_mutex held).
    bool worthHelpingWhile(const Job& job, int scaleCode) const;
    void fitBudgetTo(const std::vector<DecodeRequest>& requests);
    void applyBudgetLocked();   // m_budgetMutex held
    // The keeper thread: prepares spare buffers, and reads the system's
    // memory after decodes and now and then, giving back what the walk cannot
    // reach when it runs short.
    void wakeKeeper(bool spare);
    void keeperLoop();
    void workerLoop();

    Options m_options;
    BufferPool m_pool;
    DecodeCache m_cache;
    std::atomic<int> m_decodes{0};
    std::atomic<int> m_parts{0};
    std::atomic<qint64> m_reachable{0};
    std::atomic<qint64> m_photoGuess{0};    // the bytes a photo of the walk is taken to need
    std::atomic<bool> m_budgetSet{false};   // by a look-ahead: until then the budget is Options'
    std::mutex m_budgetMutex;
    std::atomic<qint64> m_recentCost{0};   // of the last photo decoded or shown in part
    std::atomic<bool> m_upright{false};
    // When a get last waited for a running decode (steady clock ticks; 0: never).
    std::atomic<std::chrono::steady_clock::rep> m_lastWait{0};
    mutable std::mutex m_kindMutex;
    QStringList m_rawExtensions;
    RawProbe m_rawProbe;   // its answers outlive the cache's photos

    std::mutex m_mutex;
    std::condition_variable m_wake;      // workers: work or stop
    std::condition_variable m_changed;   // waiters: a job finished, look-ahead went idle
    std::map<JobKey, std::shared_ptr<Job>> m_running;
    // How long the last decode at each scale code took (m_mutex held).
    std::array<std::chrono::steady_clock::duration, 6> m_lastDecodeTime{};
    DecodeQueues m_queues;
    OwedWholes m_wholes;
    int m_telling = 0;   // hand-offs being emitted
    bool m_stop = false;
    WholeHandOff m_handOff;   // outlives the workers, which are joined first
    std::vector<std::thread> m_workers;

    std::mutex m_keeperMutex;
    std::condition_variable m_keeperWake;
    bool m_keeperStop = false;
    bool m_spareDue = false;
    bool m_memoryDue = false;
    std::thread m_keeper;
};

} // namespace tetrafot
