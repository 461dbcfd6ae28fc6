#pragma once
#include <QImage>
#include <QSize>

#include <functional>
#include <memory>

namespace tetrafot {

// Picture buffers that outlive the pictures in them. A 24-megapixel photo
// at 1:1 takes 72 MB; memory fresh from the system is mapped page by page
// as the decoder first writes it, which costs about as much as the decode.
// Freed buffers are kept (up to keepBytes in all, oldest dropped first) and
// handed out again for a picture that fits. Small pictures are not pooled.
// Thread-safe; pictures may outlive the pool (their buffers are then freed).
class BufferPool {
public:
    static constexpr qint64 kDefaultKeepBytes = qint64(256) << 20;
    static constexpr qint64 kDefaultMinBytes = qint64(1) << 20;

    explicit BufferPool(qint64 keepBytes = kDefaultKeepBytes, qint64 minPooledBytes = kDefaultMinBytes);
    ~BufferPool();
    BufferPool(const BufferPool&) = delete;
    BufferPool& operator=(const BufferPool&) = delete;

    // A picture of the given size and format, uninitialised; a null image
    // when the memory cannot be had.
    QImage allocate(QSize size, QImage::Format format);

    // A new bound for the buffers kept; the oldest beyond it are freed.
    void setKeepBytes(qint64 keepBytes);
    qint64 keptBytes() const;     // in freed buffers waiting for reuse
    int keptCount() const;
    qint64 freshAllocations() const;   // buffers taken from the system so far
    // The bytes a buffer for a picture of this many bytes takes: what must
    // be free under the keep bound for it to be kept.
    static qint64 capacityFor(qint64 bytes);

    // Spare buffers: with a listener set, a picture that took a buffer asks
    // for buffers of its size to be mapped and written ahead, so that a
    // decode that finds none to reuse (one the user waits for) does not pay
    // the page faults. The listener is called on the allocating thread and
    // must only wake the thread that then calls prepareSpares (off by
    // default: tests count buffers).
    void setSpareListener(std::function<void()> listener);
    // Maps spares of the size last asked for until kSpares fit or there is
    // no room for them under the keep bound; stops early once `stop` says
    // so (checked before each buffer). Returns at once when none is wanted.
    static constexpr int kSpares = 2;
    void prepareSpares(const std::function<bool()>& stop);

    struct State;

private:
    std::shared_ptr<State> m_state;
    qint64 m_minBytes;
    std::function<void()> m_spareListener;
};

} // namespace tetrafot
