#pragma once
#include "pipeline/bufferpool.h"
#include "pipeline/decodecache.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A photo asked for at a pane's scale code (1..5, as the settings hold
// them); maxSize is the fit rule's limit.
struct DecodeRequest {
    QString path;
    int scaleCode = 1;
    int maxSize = 0;
};

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
        qint64 budgetBytes = DecodeCache::DefaultBudget();   // cache and pool together
        qint64 poolBytes = BufferPool::kDefaultKeepBytes;    // of the budget, kept for reuse
        int threads = 0;   // worker threads; 0: one fewer than the cores, at least one
        bool spareBuffers = false;   // keep a picture buffer mapped ahead (see BufferPool::setSpares)
        // Test seam: called on the decoding thread before a file is read.
        std::function<void(const QString& path)> beforeDecode;
    };

    DecodePipeline();
    explicit DecodePipeline(Options options);
    ~DecodePipeline();   // drops queued look-ahead, waits for running decodes
    DecodePipeline(const DecodePipeline&) = delete;
    DecodePipeline& operator=(const DecodePipeline&) = delete;

    // The photo at the denominator its scale code gives (a fitted photo's
    // from its full size and maxSize). From the cache, from a decode already
    // running for it, or decoded now. Throws UserError with the text a pane
    // load shows: the file cannot be read, an unknown extension, a JPEG error.
    std::shared_ptr<const DecodedPhoto> get(const QString& path, int scaleCode, int maxSize);
    std::shared_ptr<const DecodedPhoto> get(const DecodeRequest& r) { return get(r.path, r.scaleCode, r.maxSize); }
    // Several at once, decoded in parallel on the workers and the calling
    // thread; one answer per request, in order.
    std::vector<DecodeResult> getMany(const std::vector<DecodeRequest>& requests);
    // Replaces the look-ahead: the requests not yet started are dropped (a
    // running decode finishes into the cache), then these are decoded in
    // order on the workers. Returns at once. Files that fail are skipped;
    // nothing is decoded that would push the cache over its budget.
    void lookAhead(const std::vector<DecodeRequest>& requests);
    // The file is read from disk on the next get.
    void invalidate(const QString& path);

    // Whether JPEG photos are turned upright by their Exif orientation (off
    // at first). A change drops every decoded photo: they are turned the
    // other way, and so is the full size a fitted photo is laid out by.
    void setUpright(bool on);
    bool upright() const { return m_upright.load(); }

    // Whether get would answer without decoding.
    bool isCached(const QString& path, int scaleCode, int maxSize) { return cached({path, scaleCode, maxSize}) != nullptr; }
    // Waits until no look-ahead is queued or running (tests, benchmarks).
    void waitForLookAhead();
    void clearCache() { m_cache.clear(); }
    const DecodeCache& cache() const { return m_cache; }
    const BufferPool& pool() const { return m_pool; }
    // Decodes started so far (each reads the file).
    int decodeCount() const { return m_decodes.load(); }

private:
    struct Job;
    struct JobKey {
        FileIdentity identity;
        int scaleCode, maxSize;
        bool operator<(const JobKey& o) const
        {
            return std::tie(identity, scaleCode, maxSize) < std::tie(o.identity, o.scaleCode, o.maxSize);
        }
    };

    std::shared_ptr<const DecodedPhoto> cached(const DecodeRequest& r);
    std::shared_ptr<const DecodedPhoto> cachedLocked(const FileIdentity& id, int scaleCode, int maxSize);
    // Decodes the file; null when `mayExceedBudget` is false and the photo
    // does not fit. Throws UserError.
    std::shared_ptr<const DecodedPhoto> decode(const QString& path, const FileIdentity* id, int scaleCode,
                                               int maxSize, bool mayExceedBudget);
    void finishJob(const JobKey& key, const std::shared_ptr<Job>& job, std::shared_ptr<const DecodedPhoto> photo,
                   std::exception_ptr error);
    void runLookAhead(const DecodeRequest& r);
    void workerLoop();

    Options m_options;
    BufferPool m_pool;
    DecodeCache m_cache;
    std::atomic<int> m_decodes{0};
    std::atomic<bool> m_upright{false};

    std::mutex m_mutex;
    std::condition_variable m_wake;      // workers: work or stop
    std::condition_variable m_changed;   // waiters: a job finished, look-ahead went idle
    std::map<JobKey, std::shared_ptr<Job>> m_running;
    std::deque<std::function<void()>> m_urgent;   // getMany's share for the workers
    std::deque<DecodeRequest> m_ahead;
    int m_aheadRunning = 0;
    bool m_stop = false;
    std::vector<std::thread> m_workers;
};
