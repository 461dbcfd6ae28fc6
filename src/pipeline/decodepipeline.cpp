#include "pipeline/decodepipeline.h"
#include "pipeline/memorybudget.h"

#include "common/paths.h"
#include "common/safefile.h"
#include "common/usererror.h"
#include "files/rawfiles.h"
#include "metadata/phmetadata.h"
#include "render/rawpreview.h"
#include "render/jpegpicture.h"
#include "render/orientation.h"
#include "render/scaling.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>

#include <algorithm>
#include <utility>

namespace tetrafot {

struct DecodePipeline::Read {
    TJPEGPicture jpeg{QByteArray()};
    QImage bitmap;          // a RAW file's preview that is no JPEG
    bool raw = false;
    QByteArray tiffHead;    // the bytes of a RAW file that hold its Exif

    // The Exif orientation of the file: a RAW file's own, else the JPEG's.
    int orientation() const
    {
        if (tiffHead.isEmpty())
            return ReadOrientation(jpeg.data());
        return OrientationOf(TImageMetadata::FromRawHead(std::string_view(tiffHead.constData(), size_t(tiffHead.size()))));
    }
};

namespace {

// A BMP or ICO beyond this is no picture a camera folder holds.
constexpr qint64 kMaxBitmapBytes = qint64(256) << 20;

// The text after the file name's last dot; "" without one.
QString Extension(const QString& path)
{
    const QString name = PathFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

// The request's file identity: the one its caller looked up, or looked up now.
bool IdentityOf(const DecodeRequest& r, FileIdentity* id)
{
    if (r.identity && r.identity->path == r.path) {
        *id = *r.identity;
        return true;
    }
    return StatFileIdentity(r.path, id);
}

} // namespace

DecodePipeline::Kind DecodePipeline::kindOf(const QString& path) const
{
    // .jpe and .jfif are offered by the file list, so they decode too.
    const QString ext = Extension(path).toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") || ext == QLatin1String("jpe")
        || ext == QLatin1String("jfif"))
        return Kind::Jpeg;
    if (ext == QLatin1String("bmp") || ext == QLatin1String("ico"))
        return Kind::Bitmap;
    std::lock_guard lock(m_kindMutex);
    return IsRawFileName(path, m_rawExtensions) ? Kind::Raw : Kind::Unknown;
}

void DecodePipeline::setRawExtensions(const QStringList& configured)
{
    std::lock_guard lock(m_kindMutex);
    m_rawExtensions = RawFileExtensions(configured);
}

DecodePipeline::Read DecodePipeline::readFile(const QString& path, Kind kind)
{
    Read read;
    if (kind != Kind::Raw) {
        read.jpeg = TJPEGPicture::fromFile(path);
        return read;
    }
    RawPreview preview = ReadRawPreview(path, m_rawProbe);
    read.jpeg = TJPEGPicture(std::move(preview.jpeg), path);
    read.bitmap = std::move(preview.bitmap);
    read.raw = true;
    read.tiffHead = std::move(preview.tiffHead);
    return read;
}

struct DecodePipeline::Job {
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    bool done = false;
    bool stale = false;   // the file was invalidated while it decoded
    std::shared_ptr<const DecodedPhoto> photo;
    // A failure as its message: the exception itself stays with the thread
    // that decoded, so no exception object is shared between threads.
    bool failed = false;
    QString errorText;
};

namespace {

// The message a load of the file would have shown for this failure.
QString MessageOf(const std::exception_ptr& error, const QString& path)
{
    try {
        std::rethrow_exception(error);
    } catch (const UserError& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("DecodePipeline", "%1: не удалось декодировать изображение.")
            .arg(DisplayName(path));
    }
}

} // namespace

DecodePipeline::DecodePipeline() : DecodePipeline(Options()) {}

DecodePipeline::DecodePipeline(Options options)
    : m_options(std::move(options)),
      m_pool(std::min(m_options.poolBytes, m_options.budgetBytes / 2)),
      m_cache(m_options.budgetBytes - std::min(m_options.poolBytes, m_options.budgetBytes / 2)),
      m_rawProbe(m_options.rawProbe)
{
    if (m_options.spareBuffers)
        m_pool.setSpareListener([this] { wakeKeeper(true); });
    int threads = m_options.threads;
    if (threads <= 0)
        threads = std::max(1, int(std::thread::hardware_concurrency()) - 1);
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { workerLoop(); });
    m_keeper = std::thread([this] { keeperLoop(); });
}

DecodePipeline::~DecodePipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queues.clear();
    }
    m_wake.notify_all();
    {
        std::lock_guard lock(m_keeperMutex);
        m_keeperStop = true;
    }
    m_keeperWake.notify_all();
    for (std::thread& t : m_workers)
        t.join();
    m_keeper.join();
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::cachedLocked(const FileIdentity& id, int scaleCode, int maxSize)
{
    int denom = 1;
    const Kind kind = kindOf(id.path);
    switch (kind) {
    case Kind::Unknown:
        return nullptr;
    case Kind::Bitmap:
        break;
    case Kind::Jpeg:
    case Kind::Raw:
        if (scaleCode == ScaleFit) {
            const std::optional<QSize> full = m_cache.fullSize(id);
            if (!full)
                return nullptr;
            denom = FitDecoderDenom(*full, maxSize);
        } else {
            denom = DecoderScale(scaleCode);
        }
        break;
    }
    auto hit = m_cache.find(id, denom);
    if (!hit && kind == Kind::Raw && denom != 1) {
        // A RAW file whose preview is a bitmap has it at 1:1 only.
        hit = m_cache.find(id, 1);
        if (hit && hit->jpeg)
            hit = nullptr;
    }
    return hit;
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::decode(const QString& path, const FileIdentity* id, int scaleCode,
                                                           int maxSize, bool mayExceedBudget, Read* read)
{
    ++m_decodes;
    if (m_options.beforeDecode && !read)
        m_options.beforeDecode(path);
    auto photo = std::make_shared<DecodedPhoto>();
    if (id)
        photo->identity = *id;
    else
        photo->identity.path = path;
    const Kind kind = kindOf(path);
    switch (kind) {
    case Kind::Jpeg:
    case Kind::Raw: {
        // The same steps, in the same order, as a pane load always took, so
        // the same file fails with the same message.
        Read fresh;
        if (!read) {
            fresh = readFile(path, kind);
            read = &fresh;
        }
        photo->raw = read->raw;
        photo->tiffHead = read->tiffHead;
        if (!read->bitmap.isNull()) {
            decodeBitmapPreview(*photo, read->bitmap, path);
            break;
        }
        TJPEGPicture jpeg = std::move(read->jpeg);
        const QSize full(jpeg.fullWidth(), jpeg.fullHeight());
        const int denom = scaleCode == ScaleFit ? FitDecoderDenom(full, maxSize) : DecoderScale(scaleCode);
        jpeg.setScaleDenom(denom);
        if (id && scaleCode == ScaleFit)
            if (auto hit = m_cache.find(*id, denom))
                return hit;   // held at this denominator under a fixed scale
        // Room first, so that a buffer pushed out now is the one reused.
        const qint64 rowBytes = (qint64(jpeg.width()) * (jpeg.isGreyscale() ? 1 : 3) + 3) / 4 * 4;
        // A whole photo keeps the head of its file, where its Exif is, not
        // the compressed data it no longer needs.
        const QByteArray head = JpegHead(jpeg.data());
        const qint64 cost = rowBytes * jpeg.height() + head.size() + photo->tiffHead.size();
        m_recentCost = cost;
        if (!m_cache.makeRoom(cost) && !mayExceedBudget) {
            --m_decodes;   // nothing decoded
            return nullptr;
        }
        jpeg.setImageAllocator([this](QSize size, QImage::Format format) { return m_pool.allocate(size, format); });
        photo->image = jpeg.image();
        wakeKeeper(false);   // the system's memory may have run short
        photo->bytes = head;
        photo->fullSize = full;
        if (m_upright) {
            const int orientation = OrientationOf(ExifOf(*photo));
            photo->image = Upright(photo->image, orientation);
            if (photo->image.isNull())
                throw UserError(QCoreApplication::translate("DecodePipeline", "Недостаточно памяти, чтобы показать изображение \"%1\".")
                                    .arg(DisplayName(path)).toStdString());
            photo->fullSize = UprightSize(full, orientation);
        }
        photo->denom = denom;
        photo->grey = jpeg.isGreyscale();
        photo->jpeg = true;
        if (photo->raw && full.width() < RawPreview::kMeagreWidth)
            photo->meagrePreview = photo->fullSize;
        break;
    }
    case Kind::Bitmap: {
        // Read here rather than by Qt's file functions, which would look for
        // a name that is not UTF-8 under other bytes.
        RegularFileRead file = ReadRegularFile(path, kMaxBitmapBytes);
        if (!file.ok())
            throw UserError(QCoreApplication::translate("DecodePipeline", "Не удаётся прочитать изображение \"%1\": %2")
                                .arg(DisplayName(path), file.reason).toStdString());
        QBuffer buffer(&file.data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, Extension(path).toLower().toLatin1());
        photo->image = reader.read();
        if (photo->image.isNull())
            throw UserError(QCoreApplication::translate("DecodePipeline", "Не удаётся прочитать изображение \"%1\": %2")
                                .arg(DisplayName(path), reader.errorString()).toStdString());
        photo->fullSize = photo->image.size();
        photo->grey = photo->image.isGrayscale();
        photo->jpeg = false;
        break;
    }
    case Kind::Unknown:
        throw UserError(QStringLiteral("Unknown picture file extension (.%1)").arg(DisplayName(Extension(path))).toStdString());
    }
    return photo;
}

void DecodePipeline::decodeBitmapPreview(DecodedPhoto& photo, const QImage& bitmap, const QString& path)
{
    // Shown as it is, at 1:1 whatever the scale, like a bitmap file.
    photo.image = bitmap;
    photo.fullSize = bitmap.size();
    if (m_upright) {
        const int orientation = OrientationOf(ExifOf(photo));
        photo.image = Upright(bitmap, orientation);
        if (photo.image.isNull())
            throw UserError(QCoreApplication::translate("DecodePipeline",
                                                        "Недостаточно памяти, чтобы показать изображение \"%1\".")
                                .arg(DisplayName(path)).toStdString());
        photo.fullSize = photo.image.size();
    }
    photo.meagrePreview = photo.fullSize;
    photo.jpeg = false;
}

void DecodePipeline::finishJob(const JobKey& key, const std::shared_ptr<Job>& job,
                               std::shared_ptr<const DecodedPhoto> photo, std::exception_ptr error,
                               const WholeKey* owedFor)
{
    const QString errorText = error ? MessageOf(error, key.identity.path) : QString();
    {
        std::lock_guard lock(m_mutex);
        if (photo && !job->stale)
            photo = m_cache.insert(std::move(photo));
        job->photo = std::move(photo);
        job->failed = error != nullptr;
        job->errorText = errorText;
        job->done = true;
        if (job->photo && size_t(key.scaleCode) < m_lastDecodeTime.size())
            m_lastDecodeTime[size_t(key.scaleCode)] = std::chrono::steady_clock::now() - job->started;
        // A stale whole is not delivered: it may be turned the old way.
        if (owedFor && job->photo && !job->stale)
            m_wholes.delivered(*owedFor, job->photo);
        if (auto it = m_running.find(key); it != m_running.end() && it->second == job)
            m_running.erase(it);
    }
    m_changed.notify_all();
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::get(const QString& path, int scaleCode, int maxSize)
{
    return getOrDecode(path, scaleCode, maxSize, nullptr);
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::get(const DecodeRequest& r)
{
    return getOrDecode(r.path, r.scaleCode, r.maxSize, nullptr,
                       r.identity && r.identity->path == r.path ? &*r.identity : nullptr);
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::getOrDecode(const QString& path, int scaleCode, int maxSize,
                                                                Read* read, const FileIdentity* known)
{
    scaleCode = NormaliseScaleCode(scaleCode);
    if (scaleCode != ScaleFit)
        maxSize = 0;
    FileIdentity id;
    if (known)
        id = *known;
    else if (!StatFileIdentity(path, &id))
        return decode(path, nullptr, scaleCode, maxSize, true, read);   // fails as a load would; never cached
    const JobKey key{id, scaleCode, maxSize};
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (auto hit = cachedLocked(id, scaleCode, maxSize))
            return hit;
        auto it = m_running.find(key);
        if (it == m_running.end() || it->second->stale)
            break;
        // Decoding on another thread right now: wait for it rather than decode
        // twice. A walk that outpaces the workers lands here; when the wait
        // promises to be long, this thread decodes the look-ahead's next file
        // meanwhile instead of idling, so that both cores decode.
        const std::shared_ptr<Job> job = it->second;
        m_lastWait = std::chrono::steady_clock::now().time_since_epoch().count();
        if (worthHelpingWhile(*job, scaleCode) && runAheadTask(lock))
            continue;
        m_changed.wait(lock, [&] { return job->done; });
        if (job->failed)
            throw UserError(job->errorText.toStdString());
        if (job->photo)
            return job->photo;
        // A look-ahead that gave up for the budget: decode here.
    }
    const auto job = std::make_shared<Job>();
    m_running[key] = job;
    lock.unlock();
    std::shared_ptr<const DecodedPhoto> photo;
    std::exception_ptr error;
    try {
        photo = decode(path, &id, scaleCode, maxSize, true, read);
    } catch (...) {
        error = std::current_exception();
    }
    finishJob(key, job, photo, error);
    if (error)
        std::rethrow_exception(error);
    return job->photo;
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::getFirst(const DecodeRequest& r)
{
    const int scaleCode = NormaliseScaleCode(r.scaleCode);
    FileIdentity id;
    const Kind kind = kindOf(r.path);
    if (!r.visibleOf || scaleCode == ScaleFit || (kind != Kind::Jpeg && kind != Kind::Raw)
        || !IdentityOf(r, &id))
        return get(r);
    {
        std::lock_guard lock(m_mutex);
        if (auto hit = cachedLocked(id, scaleCode, 0))
            return hit;
    }
    if (m_options.beforeDecode)
        m_options.beforeDecode(r.path);
    Read read = readFile(r.path, kind);
    if (!read.bitmap.isNull())
        return getOrDecode(r.path, scaleCode, 0, &read, &id);
    TJPEGPicture& jpeg = read.jpeg;
    const int denom = DecoderScale(scaleCode);
    jpeg.setScaleDenom(denom);
    const QSize size(jpeg.width(), jpeg.height());
    const QRect visible = r.visibleOf(size) & QRect(QPoint(), size);
    // A part pays when the pane sees a small share of the picture; for the
    // rest the whole decode is as quick to show. A photo to be turned
    // upright is laid out turned: its part would not be the one seen.
    if (!jpeg.canDecodePart() || (m_upright && read.orientation() > 1) || 4 * qint64(visible.width()) * visible.height() > qint64(size.width()) * size.height())
        return getOrDecode(r.path, scaleCode, 0, &read, &id);
    ++m_parts;
    m_recentCost = (qint64(size.width()) * (jpeg.isGreyscale() ? 1 : 3) + 3) / 4 * 4 * size.height() + jpeg.data().size()
        + read.tiffHead.size();
    // The whole photo starts on a worker at once, side by side with the
    // part: the whole comes about as soon as it would have alone.
    {
        std::lock_guard lock(m_mutex);
        m_queues.owe({{id, scaleCode}, jpeg.data(), read.raw, read.tiffHead});
    }
    m_wake.notify_one();
    auto photo = std::make_shared<DecodedPhoto>();
    photo->image = jpeg.decodePart(visible, &photo->part);
    photo->identity = id;
    photo->bytes = jpeg.data();
    photo->whole = size;
    photo->fullSize = QSize(jpeg.fullWidth(), jpeg.fullHeight());
    photo->denom = denom;
    photo->grey = jpeg.isGreyscale();
    photo->raw = read.raw;
    photo->tiffHead = read.tiffHead;
    if (read.raw && photo->fullSize.width() < RawPreview::kMeagreWidth)
        photo->meagrePreview = photo->fullSize;
    if (photo->image.isNull())
        return getOrDecode(r.path, scaleCode, 0, &read, &id);   // nothing of it is seen: the whole, here or from the worker
    return photo;
}


DecodePipeline::Completion DecodePipeline::completion(const DecodedPhoto& part,
                                                      std::shared_ptr<const DecodedPhoto>* photo, QString* error)
{
    std::lock_guard lock(m_mutex);
    return completionLocked(part, photo, error);
}

DecodePipeline::Completion DecodePipeline::completionLocked(const DecodedPhoto& part,
                                                            std::shared_ptr<const DecodedPhoto>* photo, QString* error)
{
    const WholeKey key{part.identity, FixedScaleOfDenom(part.denom)};
    if (std::optional<WholeResult> held = m_wholes.take(key)) {
        if (!held->ok()) {
            *error = std::move(held->error);
            return Completion::Failed;
        }
        *photo = std::move(held->photo);
        return Completion::Done;
    }
    if (auto hit = m_cache.find(part.identity, part.denom)) {
        *photo = hit;
        return Completion::Done;
    }
    if (auto it = m_running.find({key.identity, key.scaleCode, 0}); it == m_running.end() || it->second->stale) {
        m_queues.owe({key, part.bytes, part.raw, part.tiffHead});
        m_wake.notify_one();
    }
    return Completion::Pending;
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::wholeOf(const DecodedPhoto& part)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::shared_ptr<const DecodedPhoto> photo;
        QString error;
        switch (completionLocked(part, &photo, &error)) {
        case Completion::Done:
            return photo;
        case Completion::Failed:
            throw UserError(error.toStdString());
        case Completion::Pending:
            break;
        }
        if (std::optional<OwedDecode> owed = m_queues.startOwed({part.identity, FixedScaleOfDenom(part.denom)}))
            runOwedHere(lock, *owed);   // no worker has started on it
        else
            m_changed.wait(lock);    // a worker or a load is decoding it
    }
}

void DecodePipeline::runOwedHere(std::unique_lock<std::mutex>& lock, const OwedDecode& owed)
{
    lock.unlock();
    const std::optional<WholeResult> result = runOwed(owed);
    lock.lock();
    m_queues.finishOwed(owed.key);
    // A whole that went stale is owed again from the same bytes: the part
    // still waits for it, as far as the pipeline knows (keepCompletionsOf
    // and invalidate drop it when not).
    if (!result && !m_stop && m_queues.owe(owed))
        m_wake.notify_one();
    m_changed.notify_all();
    if (!result)
        return;
    // Handed over only now: one who takes it and finds nothing held owes
    // the decode again, which it cannot while this one still counts as running.
    ++m_telling;
    lock.unlock();
    emit m_handOff.wholeReady(*result);
    lock.lock();
    --m_telling;
    m_changed.notify_all();
}

void DecodePipeline::keepCompletionsOf(const std::vector<const DecodedPhoto*>& parts)
{
    const auto kept = [&](const WholeKey& key) {
        return std::any_of(parts.begin(), parts.end(), [&](const DecodedPhoto* p) {
            return p->identity == key.identity && DecoderScale(key.scaleCode) == p->denom;
        });
    };
    std::lock_guard lock(m_mutex);
    m_queues.keepOwed(kept);
    m_wholes.keepOnly(kept);
}

bool DecodePipeline::take(const WholeResult& result)
{
    std::lock_guard lock(m_mutex);
    return m_wholes.takeIf(result);
}

std::optional<WholeResult> DecodePipeline::runOwed(const OwedDecode& owed)
{
    const FileIdentity& id = owed.key.identity;
    const JobKey key{id, owed.key.scaleCode, 0};
    // Kept for a pane to take, and handed over; m_mutex held.
    const auto held = [&](std::shared_ptr<const DecodedPhoto> photo) {
        m_wholes.delivered(owed.key, photo);
        return WholeResult{owed.key, std::move(photo), QString()};
    };
    const auto failed = [&](const QString& error) {
        m_wholes.failed(owed.key, error);
        return WholeResult{owed.key, nullptr, error};
    };
    for (;;) {
        const auto job = std::make_shared<Job>();
        std::shared_ptr<Job> other;
        {
            std::lock_guard lock(m_mutex);
            if (auto hit = cachedLocked(id, owed.key.scaleCode, 0))
                return held(std::move(hit));
            if (auto it = m_running.find(key); it != m_running.end() && !it->second->stale)
                other = it->second;   // a look-ahead or a load is decoding it
            else
                m_running[key] = job;
        }
        if (m_options.beforeWhole)
            m_options.beforeWhole(id.path);
        if (other) {
            // The pane is told when that decode ends, with what it brought.
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return other->done; });
            if (other->failed)
                return failed(other->errorText);
            if (other->photo && !other->stale)
                return held(other->photo);
            continue;   // it gave up for the budget or went stale: decode here
        }
        std::shared_ptr<const DecodedPhoto> photo;
        std::exception_ptr error;
        try {
            Read read;
            read.jpeg = TJPEGPicture(owed.bytes, id.path);
            read.raw = owed.raw;
            read.tiffHead = owed.tiffHead;
            photo = decode(id.path, &id, owed.key.scaleCode, 0, true, &read);
        } catch (...) {
            error = std::current_exception();
        }
        std::optional<WholeResult> result;
        if (error) {
            // Before the job ends, so that whoever waits on it finds the message.
            std::lock_guard lock(m_mutex);
            result = failed(MessageOf(error, id.path));
        }
        finishJob(key, job, std::move(photo), error, &owed.key);
        std::lock_guard lock(m_mutex);
        if (!error && !job->stale)
            result = WholeResult{owed.key, job->photo, QString()};
        return result;
    }
}

std::vector<DecodeResult> DecodePipeline::getMany(const std::vector<DecodeRequest>& requests)
{
    struct Batch {
        std::mutex mutex;
        std::condition_variable done;
        std::vector<DecodeRequest> requests;
        std::vector<DecodeResult> results;
        std::vector<size_t> todo;
        size_t next = 0;
        size_t pending = 0;
        std::exception_ptr failure;   // anything but a UserError
    };
    auto batch = std::make_shared<Batch>();
    batch->requests = requests;
    batch->results.resize(requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        // Looked up once here: the cache and the decode take the same identity.
        if (FileIdentity id; !batch->requests[i].identity && StatFileIdentity(requests[i].path, &id))
            batch->requests[i].identity = id;
        batch->results[i].photo = cached(batch->requests[i]);
        if (!batch->results[i].ok())
            batch->todo.push_back(i);
    }
    batch->pending = batch->todo.size();

    auto work = [this, batch] {
        for (;;) {
            size_t i;
            {
                std::lock_guard lock(batch->mutex);
                if (batch->next == batch->todo.size())
                    return;
                i = batch->todo[batch->next++];
            }
            DecodeResult result;
            std::exception_ptr failure;
            try {
                result.photo = getFirst(batch->requests[i]);
            } catch (const UserError& e) {
                result.error = QString::fromUtf8(e.what());
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(batch->mutex);
            batch->results[i] = std::move(result);
            if (failure && !batch->failure)
                batch->failure = failure;
            if (--batch->pending == 0)
                batch->done.notify_all();
        }
    };
    // The calling thread decodes too; the workers take the rest.
    const size_t helpers = std::min(batch->todo.size(), m_workers.size() + 1);
    if (helpers > 1) {
        {
            std::lock_guard lock(m_mutex);
            for (size_t i = 1; i < helpers; ++i)
                m_queues.pushUrgent(work);
        }
        m_wake.notify_all();
    }
    work();
    std::unique_lock lock(batch->mutex);
    batch->done.wait(lock, [&] { return batch->pending == 0; });
    if (batch->failure)
        std::rethrow_exception(batch->failure);
    return batch->results;
}

void DecodePipeline::fitBudgetTo(const std::vector<DecodeRequest>& requests)
{
    // A photo not yet decoded is taken to be as large as the largest on
    // show, or else as the last one decoded: the photos of a folder are alike.
    qint64 largest = 0;
    qint64 reachable = m_cache.heldBytes(&largest);
    const qint64 guess = std::max(largest, m_recentCost.load());
    for (const DecodeRequest& r : requests) {
        const auto hit = cached(r);
        if (!hit)
            reachable += guess;
        else if (hit.use_count() <= 2)   // the cache's and this one: not counted as held
            reachable += hit->costBytes();
    }
    {
        std::lock_guard lock(m_mutex);
        reachable += qint64(m_queues.owedCount()) * guess;
    }
    std::lock_guard lock(m_budgetMutex);
    m_reachable = reachable;
    m_photoGuess = guess;
    m_budgetSet = true;
    applyBudgetLocked();
}

void DecodePipeline::applyBudgetLocked()
{
    const qint64 available = m_options.memAvailable ? m_options.memAvailable() : MemAvailableBytes();
    // Buffers are kept for reuse only from what the budget has beyond the
    // photos themselves.
    const WalkShares shares = SplitWalkBudget(m_reachable, available, BufferPool::capacityFor(m_photoGuess),
                                              m_options.budgetBytes, m_options.poolBytes);
    m_pool.setKeepBytes(shares.pool);
    m_cache.setBudget(shares.cache);
}

void DecodePipeline::wakeKeeper(bool spare)
{
    {
        std::lock_guard lock(m_keeperMutex);
        if (spare)
            m_spareDue = true;
        else
            m_memoryDue = true;
    }
    m_keeperWake.notify_one();
}

void DecodePipeline::keeperLoop()
{
    const auto due = [this] { return m_keeperStop || m_spareDue || m_memoryDue; };
    const auto stopped = [this] {
        if (m_options.beforeSpare)
            m_options.beforeSpare();
        std::lock_guard lock(m_keeperMutex);
        return m_keeperStop;
    };
    std::unique_lock lock(m_keeperMutex);
    for (;;) {
        const bool woken = m_keeperWake.wait_for(lock, m_options.memoryCheck, due);
        if (m_keeperStop)
            return;
        const bool spare = std::exchange(m_spareDue, false);
        m_memoryDue = false;
        lock.unlock();
        // Now and then, the system's memory is read only while there is
        // something to give back: more kept than the walk can reach.
        if (m_budgetSet && (woken || m_cache.usedBytes() + m_pool.keptBytes() > m_reachable)) {
            std::lock_guard budgetLock(m_budgetMutex);
            applyBudgetLocked();
        }
        if (spare)
            m_pool.prepareSpares(stopped);
        lock.lock();
    }
}

void DecodePipeline::lookAhead(const std::vector<DecodeRequest>& requests)
{
    {
        std::lock_guard lock(m_mutex);
        // Set on a worker, before the first of these: the key does not wait
        // for the files' status or the system's memory.
        m_queues.setAhead(requests);
    }
    m_wake.notify_all();
    m_changed.notify_all();   // an emptied queue may end a wait
}

void DecodePipeline::setUpright(bool on)
{
    std::lock_guard lock(m_mutex);
    if (m_upright.exchange(on) == on)
        return;
    // A decode running now may have read the old setting: what it brings
    // is not kept.
    for (auto& [key, job] : m_running)
        job->stale = true;
    m_wholes.dropWholes();
    m_cache.clear();
}

void DecodePipeline::invalidate(const QString& path)
{
    std::lock_guard lock(m_mutex);
    for (auto& [key, job] : m_running)
        if (key.identity.path == path)
            job->stale = true;
    m_queues.keepOwed([&](const WholeKey& key) { return key.identity.path != path; });
    m_wholes.dropWholesOf(path);
    m_cache.remove(path);
}

std::shared_ptr<const DecodedPhoto> DecodePipeline::cached(const DecodeRequest& r)
{
    const int scaleCode = NormaliseScaleCode(r.scaleCode);
    FileIdentity id;
    if (!IdentityOf(r, &id))
        return nullptr;
    std::lock_guard lock(m_mutex);
    return cachedLocked(id, scaleCode, r.maxSize);
}

void DecodePipeline::waitForLookAhead()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queues.idle() && m_telling == 0; });
}

void DecodePipeline::runLookAhead(const DecodeRequest& r)
{
    const int scaleCode = NormaliseScaleCode(r.scaleCode);
    const int maxSize = scaleCode == ScaleFit ? r.maxSize : 0;
    FileIdentity id;
    if (!StatFileIdentity(r.path, &id))
        return;
    const JobKey key{id, scaleCode, maxSize};
    const auto job = std::make_shared<Job>();
    {
        std::lock_guard lock(m_mutex);
        if (cachedLocked(id, scaleCode, maxSize))
            return;
        if (auto it = m_running.find(key); it != m_running.end() && !it->second->stale)
            return;
        m_running[key] = job;
    }
    std::shared_ptr<const DecodedPhoto> photo;
    std::exception_ptr error;
    try {
        photo = decode(r.path, &id, scaleCode, maxSize, false);
    } catch (...) {
        error = std::current_exception();   // for a get waiting on it; the look-ahead itself says nothing
    }
    finishJob(key, job, std::move(photo), error);
}

void DecodePipeline::workerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_queues.next() != DecodeQueues::Task::None; });
        if (m_stop)
            return;
        switch (m_queues.next()) {
        case DecodeQueues::Task::None:
            break;
        case DecodeQueues::Task::Urgent: {
            const std::function<void()> task = m_queues.takeUrgent();
            lock.unlock();
            task();
            lock.lock();
            break;
        }
        case DecodeQueues::Task::Owed:
            runOwedHere(lock, m_queues.startOwed());
            break;
        case DecodeQueues::Task::Budget:
        case DecodeQueues::Task::Ahead:
            runAheadTask(lock);
            break;
        }
    }
}

bool DecodePipeline::runAheadTask(std::unique_lock<std::mutex>& lock)
{
    switch (m_queues.next()) {
    case DecodeQueues::Task::Budget: {
        const std::vector<DecodeRequest> requests = m_queues.startBudget();
        lock.unlock();
        fitBudgetTo(requests);
        lock.lock();
        break;
    }
    case DecodeQueues::Task::Ahead: {
        const DecodeRequest request = m_queues.startAhead();
        lock.unlock();
        runLookAhead(request);
        lock.lock();
        break;
    }
    default:
        return false;
    }
    m_queues.finishAhead();
    m_changed.notify_all();
    return true;
}

bool DecodePipeline::outpaced() const
{
    const auto last = m_lastWait.load();
    return last != 0
        && std::chrono::steady_clock::now().time_since_epoch() - std::chrono::steady_clock::duration(last)
        < std::chrono::seconds(1);
}

bool DecodePipeline::worthHelpingWhile(const Job& job, int scaleCode) const
{
    // Half a decode still to come, by the last one at this scale: a
    // look-ahead file decoded meanwhile delays this answer by about as much
    // as it brings the next step forward. With no decode timed yet, helping
    // is taken to pay.
    if (job.done)
        return false;
    const auto typical = size_t(scaleCode) < m_lastDecodeTime.size() ? m_lastDecodeTime[size_t(scaleCode)]
                                                                      : std::chrono::steady_clock::duration{};
    return typical.count() == 0 || std::chrono::steady_clock::now() - job.started < typical / 2;
}

} // namespace tetrafot
