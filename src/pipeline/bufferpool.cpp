#include "pipeline/bufferpool.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>

#include <sys/mman.h>

namespace tetrafot {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

// Large buffers are mapped directly and asked for huge pages, so that even
// a fresh buffer costs a few dozen page faults rather than thousands.
struct Buffer {
    void* data = nullptr;
    size_t capacity = 0;
};

Buffer MapBuffer(size_t bytes)
{
    const size_t capacity = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return {};
#ifdef MADV_HUGEPAGE
    ::madvise(p, capacity, MADV_HUGEPAGE);
#endif
    return {p, capacity};
}

void UnmapBuffer(const Buffer& b)
{
    ::munmap(b.data, b.capacity);
}

} // namespace

struct BufferPool::State {
    std::mutex mutex;
    qint64 keepBytes;
    qint64 keptBytes = 0;
    qint64 fresh = 0;
    bool closed = false;          // the pool is gone: returned buffers are freed
    size_t spareBytes = 0;        // the size spares are prepared for; 0: none wanted
    std::list<Buffer> kept;       // oldest first

    int fitting(size_t bytes) const   // under the mutex
    {
        int n = 0;
        for (const Buffer& b : kept)
            if (b.capacity >= bytes && b.capacity - bytes <= b.capacity / 4)
                ++n;
        return n;
    }

    // Takes the smallest kept buffer that holds `bytes` without wasting more
    // than a quarter of it, else maps a new one.
    Buffer take(size_t bytes)
    {
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        {
            std::lock_guard lock(mutex);
            auto best = kept.end();
            for (auto it = kept.begin(); it != kept.end(); ++it)
                if (it->capacity >= bytes && it->capacity - bytes <= it->capacity / 4
                    && (best == kept.end() || it->capacity < best->capacity))
                    best = it;
            if (best != kept.end()) {
                const Buffer b = *best;
                keptBytes -= qint64(b.capacity);
                kept.erase(best);
                return b;
            }
            ++fresh;
        }
        return MapBuffer(bytes);
    }

    // Whether spares of the size last asked for are wanted (under the mutex).
    bool spareWanted() const
    {
        return !closed && spareBytes > 0 && qint64(spareBytes) * kSpares <= keepBytes
            && fitting(spareBytes) < kSpares;
    }

    void give(const Buffer& b)
    {
        std::list<Buffer> dropped;
        {
            std::lock_guard lock(mutex);
            if (closed || qint64(b.capacity) > keepBytes) {
                dropped.push_back(b);
            } else {
                kept.push_back(b);
                keptBytes += qint64(b.capacity);
                while (keptBytes > keepBytes) {
                    keptBytes -= qint64(kept.front().capacity);
                    dropped.splice(dropped.end(), kept, kept.begin());
                }
            }
        }
        for (const Buffer& d : dropped)
            UnmapBuffer(d);
    }
};

namespace {

struct Loan {
    std::shared_ptr<BufferPool::State> state;
    Buffer buffer;
};

void ReturnBuffer(void* info)
{
    auto* loan = static_cast<Loan*>(info);
    loan->state->give(loan->buffer);
    delete loan;
}

} // namespace

BufferPool::BufferPool(qint64 keepBytes, qint64 minPooledBytes) : m_state(std::make_shared<State>())
{
    m_state->keepBytes = keepBytes;
    m_minBytes = minPooledBytes;
}

BufferPool::~BufferPool()
{
    std::list<Buffer> kept;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closed = true;
        kept.swap(m_state->kept);
        m_state->keptBytes = 0;
    }
    for (const Buffer& b : kept)
        UnmapBuffer(b);
}

QImage BufferPool::allocate(QSize size, QImage::Format format)
{
    if (size.isEmpty())
        return QImage();
    // Rows padded to 32 bits, as QImage pads its own.
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    const qint64 bytes = qint64(bytesPerLine) * size.height();
    if (bytes < m_minBytes)
        return QImage(size, format);
    const Buffer b = m_state->take(size_t(bytes));
    if (!b.data)
        return QImage();
    if (m_spareListener) {
        bool wanted;
        {
            std::lock_guard lock(m_state->mutex);
            m_state->spareBytes = size_t(capacityFor(bytes));
            wanted = m_state->spareWanted();
        }
        if (wanted)
            m_spareListener();
    }
    auto* loan = new Loan{m_state, b};
    QImage image(static_cast<uchar*>(b.data), size.width(), size.height(), bytesPerLine, format, ReturnBuffer, loan);
    if (image.isNull())
        ReturnBuffer(loan);
    return image;
}

qint64 BufferPool::capacityFor(qint64 bytes)
{
    return (std::max<qint64>(0, bytes) + qint64(kHugePage) - 1) / qint64(kHugePage) * qint64(kHugePage);
}

void BufferPool::setSpareListener(std::function<void()> listener)
{
    m_spareListener = std::move(listener);
}

void BufferPool::prepareSpares(const std::function<bool()>& stop)
{
    for (;;) {
        size_t bytes;
        {
            std::lock_guard lock(m_state->mutex);
            if (!m_state->spareWanted())
                return;
            bytes = m_state->spareBytes;
        }
        if (stop && stop())
            return;
        // Written once, so that its pages are mapped before a decode needs them.
        const Buffer b = MapBuffer(bytes);
        if (!b.data)
            return;
        std::memset(b.data, 0, b.capacity);
        m_state->give(b);
    }
}

void BufferPool::setKeepBytes(qint64 keepBytes)
{
    std::list<Buffer> dropped;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->keepBytes = keepBytes;
        while (m_state->keptBytes > keepBytes) {
            m_state->keptBytes -= qint64(m_state->kept.front().capacity);
            dropped.splice(dropped.end(), m_state->kept, m_state->kept.begin());
        }
    }
    for (const Buffer& d : dropped)
        UnmapBuffer(d);
}

qint64 BufferPool::keptBytes() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->keptBytes;
}

int BufferPool::keptCount() const
{
    std::lock_guard lock(m_state->mutex);
    return int(m_state->kept.size());
}

qint64 BufferPool::freshAllocations() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->fresh;
}

} // namespace tetrafot
